// What the golden scripts cannot show of the directory builtins: dates in
// a given time zone, entries without a status, paths beyond the limit,
// unreadable and protected files (as an unprivileged user), the home
// directory, and the search path after a delete.
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <ctime>
#include <iterator>
#include <string>
#include <vector>

#include "dirs/dirs_support.h"
#include "support/host_fixture.h"

namespace {

using zqtest::call;
using zqtest::str;

// Builtin tests run inside a scratch tree that is also the current directory.
class Commands : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(chdir(tree.root().c_str()), 0); }
  bool exists(const std::string &name) const { return access(tree.file(name).c_str(), F_OK) == 0; }
  // What name(arg) prints, or its error after "error: ".
  std::string output(const char *name, const std::string &arg) {
    zqtest::Array input = str(arg.c_str());
    zqtest::StdoutCapture out;
    zqtest::CallResult r = call(name, 0, {input.get()});
    return out.text() + (r.error.empty() ? "" : "error: " + r.error);
  }
  zqtest::KeepCurrentDirectory keep;
  zqtest::ScratchTree tree;
  zqtest::ScopedEnv width{"COLUMNS", "80"};
};

// One element of a dir result, as text.
struct Entry {
  std::string name, date;
  double bytes;
  bool isdir;
  bool operator==(const Entry &) const = default;
};
std::ostream &operator<<(std::ostream &os, const Entry &e) {
  return os << e.name << "|" << e.date << "|" << e.bytes << "|" << e.isdir;
}

class Dir : public Commands {
 protected:
  void SetUp() override {
    Commands::SetUp();
    tree.makeDir("sub").makeDir("empty").makeFile("sub/c.txt", "hello").makeFile("sub/b.txt", "x");
    tree.makeFile("sub/alpha").makeFile("sub/Zeta").makeDir("sub/inner").makeLink("sub/dead", "nowhere");
    for (const char *name : {"sub/c.txt", "sub/b.txt", "sub/alpha", "sub/Zeta", "sub/dead"}) tree.setTime(name, kWhen);
  }
  // dir(text) as a structure: its elements, after checking its shape.
  std::vector<Entry> entries(const char *text) {
    zqtest::Array arg = str(text);
    zqtest::CallResult r = call("dir", 1, {arg.get()});
    EXPECT_EQ(r.error, "");
    if (!r.error.empty()) return {};
    const qxArray *s = r.outputs[0].get();
    EXPECT_EQ(qxGetClassID(s), QX_CLASS_STRUCT);
    EXPECT_EQ(qxGetN(s), 1);
    EXPECT_EQ(qxGetNumberOfFields(s), 4);
    const char *fields[] = {"name", "date", "bytes", "isdir"};
    for (int f = 0; f < 4; ++f) EXPECT_STREQ(qxGetFieldNameByNumber(s, f), fields[f]);
    std::vector<Entry> out;
    for (int i = 0; i < qxGetM(s); ++i) {
      const qxArray *isdir = qxGetFieldByNumber(s, i, 3);
      EXPECT_TRUE(qxIsLogical(isdir));
      EXPECT_EQ(qxGetClassID(isdir), QX_CLASS_DOUBLE);
      out.push_back({zqtest::text(qxGetFieldByNumber(s, i, 0)), zqtest::text(qxGetFieldByNumber(s, i, 1)),
                     qxGetScalar(qxGetFieldByNumber(s, i, 2)), qxGetScalar(isdir) != 0});
    }
    return out;
  }
  static constexpr std::time_t kWhen = 1275912429;  // 07-Jun-2010 14:07:09 two hours east
  zqtest::ScopedEnv zone{"TZ", "UTC-2"};            // dates are local times
};

TEST_F(Dir, StructureSortedByNameWithStatus) {
  const std::string date = "07-Jun-2010 14:07:09";
  const std::vector<Entry> all = entries("sub");
  ASSERT_EQ(all.size(), 6u);
  EXPECT_EQ(all[0], (Entry{"Zeta", date, 0, false}));
  EXPECT_EQ(all[1], (Entry{"alpha", date, 0, false}));
  EXPECT_EQ(all[2], (Entry{"b.txt", date, 1, false}));
  EXPECT_EQ(all[3], (Entry{"c.txt", date, 5, false}));
  EXPECT_EQ(all[4], (Entry{"dead", date, 7, false})) << "a dangling link is described as itself";
  EXPECT_EQ(all[5].name, "inner");
  EXPECT_TRUE(all[5].isdir);
  EXPECT_EQ(entries("sub/"), all);
}

// With a wildcard before the last "/", the prefix is cut before it and the
// status of each match cannot be had: empty date, 0 bytes, no directory.
TEST_F(Dir, EntryWithoutStatus) { EXPECT_EQ(entries("s*b/c*"), (std::vector<Entry>{{"c.txt", "", 0, false}})); }

TEST_F(Dir, PathsLongerThanTheLimit) {
  EXPECT_EQ(output("dir", std::string(1025, 'x').c_str()), "error: Path too long");
  // A directory whose name is within the limit but whose entries' paths are
  // not: printed, but not returned.
  std::string deep;
  for (int level = 0; level < 10; ++level) {  // 999 characters
    deep += (deep.empty() ? "" : "/") + std::string(99, 'd');
    ASSERT_EQ(mkdir(deep.c_str(), 0755), 0);
  }
  tree.makeFile(deep + "/a_name_long_enough_to_pass_the_limit");
  EXPECT_EQ(output("dir", deep.c_str()), "a_name_long_enough_to_pass_the_limit  \n\n");
  zqtest::Array arg = str(deep.c_str());
  EXPECT_EQ(call("dir", 1, {arg.get()}).error, "Path too long");
}

// Entries whose times interleave once sorted by name, some 64 seconds
// apart, some on either side of a change to summer time and of a new
// year: each date is its own time's.
TEST_F(Dir, DatesOfManyTimesInAnyOrder) {
  zqtest::ScopedEnv summer("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
  const std::time_t times[] = {1275912429, 1275912429 + 64, 1275912429 + 128, 1269737999,    1269738000,
                               1293836399, 1293836400,      1293836399 - 64,  1275912429 + 1};
  tree.makeDir("times");
  std::vector<std::string> expected;
  for (int round = 0; round < 3; ++round) {
    for (size_t i = 0; i < std::size(times); ++i) {
      const std::string name = "times/f" + std::to_string(i) + "_" + std::to_string(round);
      tree.makeFile(name).setTime(name, times[i]);
    }
  }
  for (size_t i = 0; i < std::size(times); ++i) {
    char date[32];
    std::strftime(date, sizeof date, "%d-%b-%Y %H:%M:%S", std::localtime(&times[i]));
    for (int round = 0; round < 3; ++round) expected.push_back(date);
  }
  std::vector<std::string> dates;
  for (const Entry &e : entries("times")) dates.push_back(e.date);
  EXPECT_EQ(dates, expected);
  EXPECT_EQ(expected[9], "28-Mar-2010 01:59:59");
  EXPECT_EQ(expected[12], "28-Mar-2010 03:00:00");
  EXPECT_EQ(expected[15], "31-Dec-2010 23:59:59");
  EXPECT_EQ(expected[18], "01-Jan-2011 00:00:00");
}

TEST_F(Dir, UnreadableDirectory) {
  tree.makeDir("locked", 0);
  zqtest::expectAsUnprivilegedUser([&] {
    const std::string warning = "warning: Cannot read the directory 'locked': Permission denied.\n";
    zqtest::Array arg = str("locked");
    zqtest::StdoutCapture out;
    zqtest::CallResult r = call("dir", 1, {arg.get()});
    return output("dir", "locked") == warning + "locked not found.\n" && r.error.empty() &&
           qxGetM(r.outputs[0].get()) == 0 && out.text() == warning;
  });
}

using Cd = Commands;

TEST_F(Cd, LeadingTildeIsHome) {
  auto current = [] {
    char buffer[PATH_MAX];
    return std::string(getcwd(buffer, sizeof buffer) != nullptr ? buffer : "");
  };
  tree.makeDir("sub");
  zqtest::ScopedEnv home("HOME", tree.file("sub"));
  ASSERT_EQ(chdir("/"), 0);
  EXPECT_EQ(output("cd", "~"), "");
  EXPECT_EQ(current(), tree.file("sub"));
  ASSERT_EQ(chdir("/"), 0);
  EXPECT_EQ(output("cd", "~/.."), "");
  EXPECT_EQ(current(), tree.root());
}

using Delete = Commands;

TEST_F(Delete, NameLongerThanTheLimitIsRefused) {
  tree.makeFile("a");
  zqtest::Array a = str("a"), longName = str((std::string(1030, '.') + "/c").c_str());
  EXPECT_EQ(call("delete", 0, {a.get(), longName.get()}).error, "Path too long");
  EXPECT_FALSE(exists("a"));
}

TEST_F(Delete, ProtectedFileIsWarnedAbout) {
  tree.makeDir("guarded", 0555);
  tree.makeFile("guarded/kept");
  chmod(tree.file("guarded").c_str(), 0555);
  zqtest::expectAsUnprivilegedUser(
      [&] { return output("delete", "guarded/kept") == "warning: File not found or permission denied\n"; });
  EXPECT_TRUE(exists("guarded/kept"));
}

// A program file deleted from a search-path directory is no longer found
// when a file is opened through the path.
TEST_F(Delete, DeletedFileLeavesTheSearchPath) {
  tree.makeDir("lib").makeFile("lib/prog.zq", "x = 1");
  zqtest::ScopedEnv zqpath("ZQPATH", tree.file("lib"));
  zqtest::Array name = str("prog.zq");
  zqtest::CallResult opened = call("fopen", 1, {name.get()});
  ASSERT_GE(qxGetScalar(opened.outputs[0].get()), 3);
  call("fclose", 1, {opened.outputs[0].get()});
  EXPECT_EQ(output("delete", "lib/prog.zq"), "");
  EXPECT_EQ(qxGetScalar(call("fopen", 1, {name.get()}).outputs[0].get()), -1);
}

}  // namespace
