// The host's directory services and path manager as the directory commands
// use them: listing and patterns, file status, the column layout, joining
// and splitting paths, and changing the current directory.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "dirs/dirs_support.h"
#include "host/zqmpath.h"
#include "host/zqservices.h"
#include "support/host_fixture.h"

namespace {

using zqtest::nameSet;
using zqtest::namesOf;
using Names = std::set<std::string>;

class DirectoryServices : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.makeDir("sub").makeDir("empty").makeFile("sub/a.txt", "abc").makeFile("sub/b.txt").makeFile("sub/c.c");
    tree.makeFile("sub/.hidden.txt").makeDir("sub/inner").makeFile("file", "12345");
  }
  std::string at(const std::string &name) const { return tree.file(name); }
  zqtest::ScratchTree tree;
};

TEST_F(DirectoryServices, ListsEntriesWithDotNamesButNotDotAndDotDot) {
  EXPECT_EQ(nameSet(ioGetDirList(at("sub").c_str(), 0)), (Names{"a.txt", "b.txt", "c.c", ".hidden.txt", "inner"}));
  EXPECT_EQ(nameSet(ioGetDirList(at("sub/").c_str(), 0)), nameSet(ioGetDirList(at("sub").c_str(), 0)));
}

TEST_F(DirectoryServices, EmptyDirectoryGivesAnEmptyFirstNameAndOthersNothing) {
  char *list = ioGetDirList(at("empty").c_str(), 0);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list[0], '\0');
  EXPECT_EQ(list[1], '\0') << "a reader may step past the empty first name";
  utFree(list);
  EXPECT_EQ(ioGetDirList(at("file").c_str(), 0), nullptr) << "a file is no directory";
  EXPECT_EQ(ioGetDirList(at("missing").c_str(), 0), nullptr);
  EXPECT_EQ(ioGetDirList(at("file/").c_str(), 0), nullptr);
}

TEST_F(DirectoryServices, PatternsMatchLastComponentsAsGlobDoes) {
  const struct {
    const char *pattern;
    Names names;
  } cases[] = {
      {"sub/*.txt", {"a.txt", "b.txt"}},  // a leading dot is matched only by a dot
      {"sub/.*", {".hidden.txt"}},        // which never brings in . and ..
      {"sub/?.c", {"c.c"}},
      {"sub/[ab]*", {"a.txt", "b.txt"}},
      {"sub/*", {"a.txt", "b.txt", "c.c", "inner"}},
      {"s*b/*.c", {"c.c"}},  // wildcards in the directory part too
  };
  for (const auto &c : cases) EXPECT_EQ(nameSet(ioGetDirList(at(c.pattern).c_str(), 0)), c.names) << c.pattern;
  for (const char *none : {"sub/*.none", "missing/*", "empty/*", "empty/.*"}) {
    EXPECT_EQ(ioGetDirList(at(none).c_str(), 0), nullptr) << none;
  }
  // A wildcard before the last component alone makes no pattern.
  EXPECT_EQ(ioGetDirList(at("s*b/").c_str(), 0), nullptr);
}

TEST_F(DirectoryServices, StatusOfFilesDirectoriesAndLinks) {
  tree.setTime("file", 1276000000).makeLink("dead", "nowhere").setTime("dead", 1000).makeLink("toSub", "sub");
  ioFileStatus s{};
  ASSERT_EQ(ioGetFileStatus(at("file").c_str(), &s), 0);
  EXPECT_EQ(s.mtime, 1276000000);
  EXPECT_EQ(s.size, 5);
  EXPECT_EQ(s.isDir, 0);
  ASSERT_EQ(ioGetFileStatus(at("toSub").c_str(), &s), 0);
  EXPECT_EQ(s.isDir, 1) << "links are followed";
  ASSERT_EQ(ioGetFileStatus(at("dead").c_str(), &s), 0) << "a dangling link is described as itself";
  EXPECT_EQ(s.mtime, 1000);
  EXPECT_EQ(s.size, 7);  // the length of "nowhere"
  EXPECT_EQ(s.isDir, 0);
  EXPECT_NE(ioGetFileStatus(at("missing").c_str(), &s), 0);
}

TEST_F(DirectoryServices, TimesBeyondThirtyTwoBitsAreHeldAtTheLimit) {
  tree.makeFile("far").setTime("far", std::time_t{1} << 33);
  ioFileStatus s{};
  ASSERT_EQ(ioGetFileStatus(at("far").c_str(), &s), 0);
  EXPECT_EQ(s.mtime, INT32_MAX);
}

// The statuses of a list of names, read together, against the same names
// read one by one through their joined paths (missing names: zeros).
void expectStatusesAsOneByOne(const std::string &directory, const std::vector<std::string> &names) {
  std::vector<const char *> pointers;
  for (const std::string &name : names) pointers.push_back(name.c_str());
  std::vector<ioFileStatus> together(names.size(), ioFileStatus{-1, -1, -1});
  const size_t found = ioGetFileStatuses(directory.c_str(), pointers.data(), names.size(), together.data());
  size_t expectedFound = 0;
  const std::string prefix = directory.empty() || directory.back() == '/' ? directory : directory + "/";
  for (size_t i = 0; i < names.size(); ++i) {
    ioFileStatus alone{};
    if (ioGetFileStatus((prefix + names[i]).c_str(), &alone) == 0) {
      ++expectedFound;
    } else {
      alone = ioFileStatus{};
    }
    EXPECT_EQ(std::tie(together[i].mtime, together[i].size, together[i].isDir),
              std::tie(alone.mtime, alone.size, alone.isDir))
        << names[i];
  }
  EXPECT_EQ(found, expectedFound);
}

// A list long enough to be shared between threads, of entries of every kind:
// files of different sizes and times, directories, links to either and
// dangling links, names that are missing, and names with a "/" in them.
class ManyStatuses : public DirectoryServices {
 protected:
  void SetUp() override {
    DirectoryServices::SetUp();
    tree.makeDir("many");
    constexpr int kEntries = 600;
    for (int i = 0; i < kEntries; ++i) {
      const std::string name = "many/e" + std::to_string(i);
      switch (i % 6) {
        case 0: tree.makeDir(name); break;
        case 1: tree.makeLink(name, "nowhere"); break;
        case 2: tree.makeLink(name, i % 4 == 0 ? "../sub" : "../file"); break;
        default: tree.makeFile(name, std::string(i % 50, 'x')).setTime(name, 1000000 + i); break;
      }
    }
    // Each entry named several times, so that the list is long.
    for (int i = 0; i < 5000; ++i) {
      names.push_back("e" + std::to_string(i * 7 % kEntries));
      if (i % 97 == 0) names.push_back("missing" + std::to_string(i));
    }
    names.push_back("../file");
    names.push_back("/e3");  // directory + "/e3": still within the directory
    names.push_back(at("file"));
    names.push_back("/");
    names.push_back("");
    names.push_back(std::string(PATH_MAX, 'n'));  // too long a path for the system
  }
  std::vector<std::string> names;
};

TEST_F(ManyStatuses, ReadTogetherAsOneByOne) {
  expectStatusesAsOneByOne(at("many"), names);
  expectStatusesAsOneByOne(at("many/"), names);
  expectStatusesAsOneByOne(at("many"), {names.begin(), names.begin() + 10});  // one thread
  expectStatusesAsOneByOne(at("missing"), names);
  expectStatusesAsOneByOne(at("file"), {"x"});
  zqtest::KeepCurrentDirectory keep;
  ASSERT_EQ(chdir(at("many").c_str()), 0);
  expectStatusesAsOneByOne("", names);  // the current directory
  EXPECT_EQ(ioGetFileStatuses("", nullptr, 0, nullptr), 0u);
}

// With no descriptor left to open the directory with, each name is read
// through its joined path, with the same results (in a child process,
// which exits 0 when they are).
void compareWithoutDescriptors(const std::string &directory, const std::vector<std::string> &names) {
  const rlimit none{0, 0};
  if (setrlimit(RLIMIT_NOFILE, &none) != 0 || open(directory.c_str(), O_PATH) != -1) _exit(2);
  expectStatusesAsOneByOne(directory, names);
  _exit(::testing::Test::HasFailure() ? 1 : 0);
}

// (A list short enough for one thread: the sanitizers' checks of a new
// thread need descriptors of their own.)
TEST_F(ManyStatuses, WithoutADescriptorForTheDirectory) {
  const std::vector<std::string> tail(names.end() - 200, names.end());
  EXPECT_EXIT(compareWithoutDescriptors(at("many"), tail), ::testing::ExitedWithCode(0), "");
}

// A directory that may be searched but not read gives its statuses; one
// that may not be searched gives none.
TEST_F(DirectoryServices, StatusesInDirectoriesWithoutPermission) {
  tree.makeDir("searchOnly", 0111).makeFile("searchOnly/x", "abc").makeDir("locked", 0).makeFile("locked/x");
  const std::string searchOnly = at("searchOnly"), locked = at("locked");
  zqtest::expectAsUnprivilegedUser([&] {
    const char *name[] = {"x"};
    ioFileStatus s{};
    const bool searched = ioGetFileStatuses(searchOnly.c_str(), name, 1, &s) == 1 && s.size == 3;
    const bool refused = ioGetFileStatuses(locked.c_str(), name, 1, &s) == 0 && s.mtime == 0 && s.size == 0;
    return searched && refused;
  });
}

// Seven items in three columns, as ls lays them out: down the first column,
// then the next; no newline after the last row.
TEST(ColumnPrint, FillsColumnsTopToBottom) {
  const char *items[] = {"a", "b", "c", "d", "e", "f", "g"};
  auto layout = [&](int count, int columns) {
    zqtest::StdoutCapture out;
    ioColumnPrint("%-3s", count, const_cast<char **>(items), columns);
    return out.text();
  };
  EXPECT_EQ(layout(7, 3), "a  d  g  \nb  e  \nc  f  ");
  EXPECT_EQ(layout(4, 3), "a  c  \nb  d  ");
  EXPECT_EQ(layout(3, 10), "a  b  c  ");
  EXPECT_EQ(layout(3, 1), "a  \nb  \nc  ");
  EXPECT_EQ(layout(3, 0), "a  \nb  \nc  ") << "fewer than one column is one";
  EXPECT_EQ(layout(0, 3), "");
}

TEST(PathNames, JoinAndSeparate) {
  char buffer[IO_PATH_BUFFER_SIZE];
  EXPECT_STREQ(kpCombinePathName(buffer, "dir", "x"), "dir/x");
  EXPECT_STREQ(kpCombinePathName(buffer, "dir/", "x"), "dir/x");
  EXPECT_STREQ(kpCombinePathName(buffer, "", "x"), "x");
  EXPECT_STREQ(kpCombinePathName(buffer, "/", "x"), "/x");
  const std::string longName(2000, 'n');
  EXPECT_EQ(std::strlen(kpCombinePathName(buffer, "dir", longName.c_str())), IO_PATH_BUFFER_SIZE - 1u)
      << "a join too long for the buffer is cut, never written past it";

  const struct {
    const char *path, *file, *dir;
  } cases[] = {{"a/b/c.m", "c.m", "a/b"}, {"c.m", "c.m", ""}, {"/c.m", "c.m", "/"}, {"a/", "", "a"}};
  for (const auto &c : cases) {
    char dir[64] = "junk";
    EXPECT_STREQ(kpSeparatePathName(c.path, dir), c.file) << c.path;
    EXPECT_STREQ(dir, c.dir) << c.path;
    EXPECT_STREQ(kpSeparatePathName(c.path, nullptr), c.file) << c.path;
  }
}

class CurrentDirectory : public DirectoryServices {
 protected:
  zqtest::KeepCurrentDirectory keep;
  kpPath *path = kpLookupPath("ZelmarMainPath");
  std::string current() {
    char buffer[IO_PATH_BUFFER_SIZE];
    return kpGetCWDName(path, buffer, sizeof buffer);
  }
};

TEST_F(CurrentDirectory, ChangesTheProcessDirectory) {
  ASSERT_NE(path, nullptr);
  EXPECT_EQ(kpLookupPath("OtherPath"), nullptr);
  ASSERT_EQ(kpSetCWDName(path, at("sub").c_str()), nullptr);
  char buffer[PATH_MAX];
  ASSERT_NE(getcwd(buffer, sizeof buffer), nullptr);
  EXPECT_EQ(current(), buffer);
  EXPECT_EQ(current(), at("sub"));
  ASSERT_EQ(kpSetCWDName(path, "inner"), nullptr) << "relative to the current directory";
  EXPECT_EQ(current(), at("sub/inner"));
}

// A directory deeper than a path may be long is refused and the current
// directory stays one that can be named.
TEST_F(CurrentDirectory, DirectoryBeyondThePathLimitIsRefused) {
  ASSERT_EQ(kpSetCWDName(path, tree.root().c_str()), nullptr);
  const std::string step(200, 'd');
  std::string deep = tree.root();
  for (;;) {
    ASSERT_EQ(mkdir(step.c_str(), 0755), 0);
    deep += "/" + step;
    if (deep.size() > 1024) break;
    ASSERT_EQ(kpSetCWDName(path, step.c_str()), nullptr);
  }
  const std::string before = current();
  EXPECT_STREQ(kpSetCWDName(path, step.c_str()),
               ("Cannot change the current directory to '" + step + "': File name too long.").c_str());
  EXPECT_EQ(current(), before);
}

// The manager keeps entries for the directories of its path only.
TEST_F(CurrentDirectory, EntriesForDirectoriesOnThePath) {
  zqtest::ScopedEnv zqpath("ZQPATH", at("sub"));
  ASSERT_EQ(kpSetCWDName(path, at("empty").c_str()), nullptr);
  EXPECT_NE(kpFindDirFullName(path, at("sub").c_str()), nullptr);
  EXPECT_NE(kpFindDirFullName(path, at("empty").c_str()), nullptr);
  EXPECT_EQ(kpFindDirFullName(path, at("sub/inner").c_str()), nullptr);
  kpRefreshDirectory(nullptr, 2);  // nothing to rescan
}

// A directory without permission lists nothing, with the reason in errno,
// and cannot be entered.
TEST_F(DirectoryServices, DirectoriesWithoutPermission) {
  tree.makeDir("locked", 0).makeFile("locked/x");
  const std::string locked = at("locked");
  zqtest::expectAsUnprivilegedUser([&] {
    errno = 0;
    const bool refused = ioGetDirList(locked.c_str(), 0) == nullptr && errno == EACCES;
    const char *text = kpSetCWDName(kpLookupPath("ZelmarMainPath"), locked.c_str());
    return refused && text != nullptr &&
           std::string(text) == "Cannot change the current directory to '" + locked + "': Permission denied.";
  });
}

}  // namespace
