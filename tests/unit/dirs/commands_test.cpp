// The directory builtins as a user calls them: dir's printed listing and
// its structure result, cd and chdir, and delete with the path manager
// told of each change.
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
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
  // What name(args) prints, or its error after "error: ".
  std::string output(const char *name, std::initializer_list<const char *> args) {
    std::vector<zqtest::Array> inputs;
    for (const char *a : args) inputs.push_back(str(a));
    zqtest::StdoutCapture out;
    zqtest::CallResult r = args.size() == 0   ? call(name, 0, {})
                           : args.size() == 1 ? call(name, 0, {inputs[0].get()})
                                              : call(name, 0, {inputs[0].get(), inputs[1].get(), inputs[2].get()});
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

TEST_F(Dir, PatternsFilesAndNothing) {
  const std::string date = "07-Jun-2010 14:07:09";
  EXPECT_EQ(entries("sub/*.txt"), (std::vector<Entry>{{"b.txt", date, 1, false}, {"c.txt", date, 5, false}}))
      << "names without the directory, status from it";
  EXPECT_EQ(entries("sub/c.txt"), (std::vector<Entry>{{"c.txt", date, 5, false}})) << "a file: its name part";
  EXPECT_TRUE(entries("empty").empty());
  EXPECT_TRUE(entries("missing").empty());
  EXPECT_TRUE(entries("sub/*.none").empty());
  ASSERT_EQ(chdir("sub"), 0);
  EXPECT_EQ(entries("").size(), 6u) << "the current directory";
  EXPECT_EQ(entries("*.txt").size(), 2u);
}

// With a wildcard before the last "/", the prefix is cut before it and the
// status of each match cannot be had: empty date, 0 bytes, no directory.
TEST_F(Dir, EntryWithoutStatus) { EXPECT_EQ(entries("s*b/c*"), (std::vector<Entry>{{"c.txt", "", 0, false}})); }

TEST_F(Dir, PrintedListing) {
  EXPECT_EQ(output("dir", {"sub"}), "Zeta   alpha  b.txt  c.txt  dead   inner  \n\n");
  EXPECT_EQ(output("dir", {"sub/*.txt"}), "b.txt  c.txt  \n\n");
  EXPECT_EQ(output("dir", {"sub/c.txt"}), "sub/c.txt  \n\n");
  EXPECT_EQ(output("dir", {"empty"}), "\n");
  EXPECT_EQ(output("dir", {"missing"}), "missing not found.\n");
  EXPECT_EQ(output("dir", {"sub/*.none"}), "sub/*.none not found.\n");
}

TEST_F(Dir, PathsLongerThanTheLimit) {
  EXPECT_EQ(output("dir", {std::string(1025, 'x').c_str()}), "error: Path too long");
  // A directory whose name is within the limit but whose entries' paths are
  // not: printed, but not returned.
  std::string deep;
  for (int level = 0; level < 10; ++level) {  // 999 characters
    deep += (deep.empty() ? "" : "/") + std::string(99, 'd');
    ASSERT_EQ(mkdir(deep.c_str(), 0755), 0);
  }
  tree.makeFile(deep + "/a_name_long_enough_to_pass_the_limit");
  EXPECT_EQ(output("dir", {deep.c_str()}), "a_name_long_enough_to_pass_the_limit  \n\n");
  zqtest::Array arg = str(deep.c_str());
  EXPECT_EQ(call("dir", 1, {arg.get()}).error, "Path too long");
}

TEST_F(Dir, UnreadableDirectory) {
  tree.makeDir("locked", 0);
  zqtest::expectAsUnprivilegedUser([&] {
    const std::string warning = "warning: Cannot read the directory 'locked': Permission denied.\n";
    zqtest::Array arg = str("locked");
    zqtest::StdoutCapture out;
    zqtest::CallResult r = call("dir", 1, {arg.get()});
    return output("dir", {"locked"}) == warning + "\n" && r.error.empty() && qxGetM(r.outputs[0].get()) == 0 &&
           out.text() == warning;
  });
}

TEST_F(Dir, ArgumentCountsAndClasses) {
  zqtest::Array a = str("sub"), five = zqtest::num(5);
  EXPECT_EQ(call("dir", 1, {a.get(), a.get()}).error, "Too many input arguments.");
  EXPECT_EQ(call("dir", 2, {a.get()}).error, "Too many output arguments.");
  EXPECT_EQ(call("dir", 1, {five.get()}).error, "Undefined function 'dir' for input arguments of type 'double'.");
}

class Cd : public Commands {
 protected:
  void SetUp() override {
    Commands::SetUp();
    tree.makeDir("sub").makeFile("file");
  }
  static std::string current() {
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof buffer) != nullptr ? buffer : "";
  }
};

TEST_F(Cd, ShowsReturnsAndChanges) {
  EXPECT_EQ(output("cd", {}), "\n" + tree.root() + "\n\n");
  EXPECT_EQ(output("cd", {"sub"}), "") << "a change is silent";
  EXPECT_EQ(current(), tree.file("sub"));
  EXPECT_EQ(output("chdir", {".."}), "");
  EXPECT_EQ(current(), tree.root());

  zqtest::Array sub = str("sub");
  zqtest::CallResult r = call("cd", 1, {sub.get()});
  EXPECT_EQ(zqtest::text(r.outputs[0].get()), tree.root()) << "the directory left";
  EXPECT_EQ(current(), tree.file("sub"));
  r = call("cd", 1, {});
  EXPECT_EQ(zqtest::text(r.outputs[0].get()), tree.file("sub"));
}

TEST_F(Cd, RefusedChangeKeepsTheDirectory) {
  zqtest::Array file = str("file");
  zqtest::CallResult r = call("cd", 1, {file.get()});
  EXPECT_EQ(r.error, "Cannot change the current directory to 'file': Not a directory.");
  EXPECT_EQ(current(), tree.root());
  EXPECT_EQ(output("cd", {"missing"}),
            "error: Cannot change the current directory to 'missing': No such file or directory.");
}

TEST_F(Cd, LeadingTildeIsHome) {
  zqtest::ScopedEnv home("HOME", tree.file("sub"));
  ASSERT_EQ(chdir("/"), 0);
  EXPECT_EQ(output("cd", {"~"}), "");
  EXPECT_EQ(current(), tree.file("sub"));
  ASSERT_EQ(chdir("/"), 0);
  EXPECT_EQ(output("cd", {"~/.."}), "");
  EXPECT_EQ(current(), tree.root());
}

TEST_F(Cd, ArgumentCountsAndClasses) {
  zqtest::Array a = str("sub"), five = zqtest::num(5);
  EXPECT_EQ(call("cd", 1, {a.get(), a.get()}).error, "Too many input arguments.");
  EXPECT_EQ(call("chdir", 2, {}).error, "Too many output arguments.");
  EXPECT_EQ(call("cd", 0, {five.get()}).error, "Undefined function 'cd' for input arguments of type 'double'.");
}

class Delete : public Commands {
 protected:
  void SetUp() override {
    Commands::SetUp();
    tree.makeDir("sub").makeFile("a").makeFile("c").makeFile("sub/b").makeFile("sub/p:q");
  }
};

TEST_F(Delete, EachNameInOrderWithOneWarningPerFailure) {
  const std::string warning = "warning: File not found or permission denied\n";
  EXPECT_EQ(output("delete", {"a", "missing", "sub/b"}), warning);
  EXPECT_FALSE(exists("a"));
  EXPECT_FALSE(exists("sub/b"));
  EXPECT_EQ(output("delete", {"c", "sub", tree.file("c").c_str()}), warning + warning) << "a directory is no file";
  EXPECT_FALSE(exists("c"));
  EXPECT_TRUE(exists("sub"));
}

TEST_F(Delete, DotNamesArePassedOverAndColonsEndDirectories) {
  EXPECT_EQ(output("delete", {".", "sub/..", "x:."}), "");
  EXPECT_TRUE(exists("sub"));
  EXPECT_EQ(output("delete", {"sub/p:q"}), "");
  EXPECT_FALSE(exists("sub/p:q")) << "the name is used as given";
}

TEST_F(Delete, NonTextStopsTheLoopAfterEarlierNames) {
  zqtest::Array a = str("a"), five = zqtest::num(5), c = str("c");
  EXPECT_EQ(call("delete", 0, {a.get(), five.get(), c.get()}).error, "Argument must be a string.");
  EXPECT_FALSE(exists("a"));
  EXPECT_TRUE(exists("c"));
  EXPECT_EQ(call("delete", 1, {c.get()}).error, "Too many output arguments.");
  EXPECT_TRUE(exists("c"));
}

TEST_F(Delete, NameLongerThanTheLimitIsRefused) {
  zqtest::Array a = str("a"), longName = str((std::string(1030, '.') + "/c").c_str());
  EXPECT_EQ(call("delete", 0, {a.get(), longName.get()}).error, "Path too long");
  EXPECT_FALSE(exists("a"));
}

TEST_F(Delete, ProtectedFileIsWarnedAbout) {
  tree.makeDir("guarded", 0555);
  tree.makeFile("guarded/kept");
  chmod(tree.file("guarded").c_str(), 0555);
  zqtest::expectAsUnprivilegedUser(
      [&] { return output("delete", {"guarded/kept"}) == "warning: File not found or permission denied\n"; });
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
  EXPECT_EQ(output("delete", {"lib/prog.zq"}), "");
  EXPECT_EQ(qxGetScalar(call("fopen", 1, {name.get()}).outputs[0].get()), -1);
}

}  // namespace
