// The exported list printers: stepping through a list of names, the column
// layout of bnPrintList, and what bnPrintDirectoryList finds, prints or
// hands back for a directory, a file, a pattern and a missing path.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "builtins/zqbuiltins.h"
#include "dirs/dirs_support.h"
#include "dirs/name_list.h"
#include "host/ut.h"
#include "support/host_fixture.h"
#include "zqhost/host.h"

namespace {

using zq::dirs::countNames;
using zq::dirs::nextName;

// A name list in a utMalloc block, as the host hands them out.
char *listOf(const std::vector<std::string> &names) {
  std::string bytes;
  for (const std::string &n : names) bytes += n + '\0';
  bytes += std::string(2, '\0');
  auto *list = static_cast<char *>(utMalloc(bytes.size()));
  std::memcpy(list, bytes.data(), bytes.size());
  return list;
}

TEST(NameList, StepsCountAndCutExtensions) {
  zq::common::UtBlock<char> list(listOf({"a.b.c", ".profile", "plain"}));
  EXPECT_EQ(countNames(list.get()), 3u);
  char *first = list.get();
  char *second = nextName(first, true);
  char *third = nextName(second, true);
  EXPECT_EQ(nextName(third, true), nullptr);
  EXPECT_STREQ(first, "a.b");
  EXPECT_STREQ(second, "") << "a name that begins with its only dot becomes empty";
  EXPECT_STREQ(third, "plain");
  EXPECT_EQ(second - first, 6) << "the step goes from where the name ended before the cut";

  zq::common::UtBlock<char> empty(listOf({""}));
  EXPECT_EQ(countNames(empty.get()), 1u) << "the first name counts even when empty";
}

// Byte order throughout: names that share their first eight bytes, a name
// that is a prefix of another, and bytes above 0x7f after every ASCII one.
TEST(NameList, SortsByByteValue) {
  std::vector<std::string> texts{"abcdefghZ", "abcdefgh", "\xc3\xa9", "abcdefgha", "Zeta", "abcdefgi", "a", "_", ""};
  std::vector<char *> names;
  for (std::string &t : texts) names.push_back(t.data());
  zq::dirs::sortNames(names);
  const std::vector<std::string> sorted(names.begin(), names.end());
  EXPECT_EQ(sorted, (std::vector<std::string>{"", "Zeta", "_", "a", "abcdefgh", "abcdefghZ", "abcdefgha", "abcdefgi",
                                              "\xc3\xa9"}));
}

// What bnPrintList prints for a list in a window of the given width.
std::string printed(const std::vector<std::string> &names, int columns, int keepExtensions = 1, int keepAtSign = 1,
                    const char *header = nullptr) {
  zqtest::ScopedEnv width("COLUMNS", std::to_string(columns));
  zqtest::StdoutCapture out;
  EXPECT_EQ(bnPrintList(header, listOf(names), keepExtensions, keepAtSign), 1);
  return out.text();
}

TEST(PrintList, SortsByByteValueIntoColumnsAcrossTheWindow) {
  // Width 5 + 2; (30 - 1) / 7 = 4 columns; the columns fill top to bottom.
  const std::vector<std::string> names{"e", "alpha", "Zeta", "b", "c", "d", "_"};
  EXPECT_EQ(printed(names, 30), "Zeta   alpha  c      e      \n_      b      d      \n");
  EXPECT_EQ(printed(names, 5), "Zeta   \n_      \nalpha  \nb      \nc      \nd      \ne      \n")
      << "a window narrower than one column prints one name per line";
}

TEST(PrintList, StrippedExtensionsAndAtSigns) {
  EXPECT_EQ(printed({"foo.txt", "bar"}, 80, 0), "bar      foo      \n") << "columns sized for foo.txt";
  EXPECT_EQ(printed({"@cls", "b"}, 80, 1, 0), "b    cls  \n") << "sorted and sized without the at sign";
  EXPECT_EQ(printed({"@cls", "b"}, 80, 1, 1), "@cls  b     \n");
  EXPECT_EQ(printed({"@cls.m", "b.m"}, 80, 0, 0), "b      cls    \n");
}

TEST(PrintList, HeaderIsAFormatWithoutArguments) {
  EXPECT_EQ(printed({"x"}, 80, 1, 1, "100%% of %s:\n"), "100% of %s:\nx  \n");
  EXPECT_EQ(printed({"x"}, 80, 1, 1, ""), "x  \n");
}

class DirectoryList : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.makeDir("sub").makeDir("empty").makeFile("sub/b.txt").makeFile("sub/@a.m").makeFile("sub/Zeta");
    tree.makeFile(std::string("sub/\xc3\xa9t\xc3\xa9"));
  }
  // Prints dir + name; the result and what was printed.
  std::pair<int, std::string> print(const std::string &dir, const std::string &name, int keepExtensions = 1,
                                    int keepAtSign = 1) {
    zqtest::ScopedEnv width("COLUMNS", "80");
    zqtest::StdoutCapture out;
    const int result = bnPrintDirectoryList(dir.c_str(), name.c_str(), keepExtensions, "", keepAtSign, nullptr);
    return {result, out.text()};
  }
  // The texts of a cell's elements, widened codes kept.
  static std::vector<std::u16string> texts(const qxArray *cell) {
    std::vector<std::u16string> out;
    for (int i = 0; i < qxGetNumberOfElements(cell); ++i) {
      const qxArray *row = qxGetCell(cell, i);
      out.emplace_back(reinterpret_cast<const char16_t *>(qxGetChars(row)), qxGetNumberOfElements(row));
    }
    std::sort(out.begin(), out.end());
    return out;
  }
  zqtest::ScratchTree tree;
};

// The directory and the name are joined; the result tells found from not.
TEST_F(DirectoryList, PrintsTheJoinedPathOrNothing) {
  EXPECT_EQ(print(tree.root(), "sub"), std::make_pair(1, std::string("@a.m   Zeta   b.txt  \xc3\xa9t\xc3\xa9  \n")));
  EXPECT_EQ(print(tree.root(), "sub/Zeta"), std::make_pair(1, tree.file("sub/Zeta") + "  \n"));
  EXPECT_EQ(print(tree.root(), "empty"), std::make_pair(1, std::string())) << "an empty directory prints nothing";
  EXPECT_EQ(print(tree.root(), "missing"), std::make_pair(0, std::string()));
}

TEST_F(DirectoryList, CellOutputKeepsExtensionsAndWidensBytesAsSigned) {
  qxArray *cell = nullptr;
  EXPECT_EQ(bnPrintDirectoryList(tree.root().c_str(), "sub", 0, "", 0, &cell), 1);
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(qxGetM(cell), 4);
  EXPECT_EQ(qxGetN(cell), 1);
  const std::u16string accented{0xffc3, 0xffa9, u't', 0xffc3, 0xffa9};
  EXPECT_EQ(texts(cell), (std::vector<std::u16string>{u"Zeta", u"a.m", u"b.txt", accented}));
  qxDestroyArray(cell);

  EXPECT_EQ(bnPrintDirectoryList(tree.root().c_str(), "sub", 1, "", 1, &cell), 1);
  EXPECT_EQ(texts(cell)[0], u"@a.m") << "the at sign is kept when asked";
  qxDestroyArray(cell);

  EXPECT_EQ(bnPrintDirectoryList(tree.root().c_str(), "missing", 1, "", 1, &cell), 1);
  EXPECT_EQ(qxGetM(cell), 0);
  EXPECT_EQ(qxGetN(cell), 1);
  qxDestroyArray(cell);
}

TEST_F(DirectoryList, PathsLongerThanTheLimitAreRefused) {
  const std::string longDir(1025, 'd');
  EXPECT_EQ(zqtest::errorOf([&] { print(longDir, "x"); }), "Path too long");
  EXPECT_EQ(zqtest::errorOf([&] { print(std::string(1000, 'd'), std::string(30, 'n')); }), "Path too long") << "joined";
  EXPECT_EQ(zqtest::errorOf([&] { print("", std::string(1025, 'n')); }), "Path too long");
  EXPECT_EQ(zqtest::errorOf([&] { print("", std::string(1024, 'n') + "/"); }), "")
      << "a separator at the end names the same";
  EXPECT_EQ(zqtest::errorOf([&] { print(std::string(1000, 'd'), std::string(23, 'n')); }), "");
}

// A directory that exists but cannot be read is warned about, and then
// counts as not found: there is no list to show. Runs as an unprivileged
// user in a child process.
TEST_F(DirectoryList, UnreadableDirectoryIsWarnedAbout) {
  tree.makeDir("locked", 0);
  zqtest::expectAsUnprivilegedUser([&] {
    const std::string expected =
        "warning: Cannot read the directory '" + tree.file("locked") + "': Permission denied.\n";
    return print("", tree.file("locked/")) == std::make_pair(0, expected);
  });
}

}  // namespace
