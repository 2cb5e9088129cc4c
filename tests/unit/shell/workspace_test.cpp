// What the prompt says about names: exist for each kind of thing a name can
// be, and whos for the variables' sizes, bytes and classes.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "shell/script_runner.h"
#include "support/host_fixture.h"

namespace zq::shell {
namespace {

std::vector<double> xAfter(const std::string &script) {
  const test::XValue x = test::valueOfX(script.c_str());
  EXPECT_EQ(x.error, "") << script;
  return x.re;
}

TEST(Exist, AnswersForEachKindOfName) {
  const std::string dir = std::filesystem::temp_directory_path().string();
  EXPECT_EQ(xAfter("v = 1; x = [exist('v') exist('fopen') exist('zeros') exist('" + dir + "') exist('nothing_here')];"),
            (std::vector<double>{1, 5, 5, 7, 0}));
  // Asked about one kind, the others do not count.
  EXPECT_EQ(xAfter("v = 1; x = [exist('v', 'var') exist('v', 'builtin') exist('fopen', 'var') "
                   "exist('fopen', 'builtin') exist('" +
                   dir + "', 'file') exist('" + dir + "', 'dir') exist('" + dir + "', 'var')];"),
            (std::vector<double>{1, 0, 0, 5, 7, 7, 0}));
  EXPECT_EQ(test::errorOf("exist('v', 'function')"), "The kind must be 'var', 'builtin', 'file' or 'dir'.");
}

// A file fopen would find for reading through ZQPATH exists; one that is
// nowhere does not, nor is a plain file a directory.
TEST(Exist, FindsFilesOnTheSearchPathAsFopenDoes) {
  char pattern[] = "/tmp/zq_exist_XXXXXX";
  const std::string dir = mkdtemp(pattern);
  const std::string file = dir + "/only_on_the_path.txt";
  std::FILE *f = std::fopen(file.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  setenv("ZQPATH", dir.c_str(), 1);
  EXPECT_EQ(xAfter("x = [exist('only_on_the_path.txt') exist('only_on_the_path.txt', 'dir') exist('not_there.txt')];"),
            (std::vector<double>{2, 0, 0}));
  unsetenv("ZQPATH");
  EXPECT_EQ(xAfter("x = exist('only_on_the_path.txt');"), (std::vector<double>{0}));
  std::filesystem::remove_all(dir);
}

TEST(Whos, ListsSizeBytesClassAndAttributesOfEachVariable) {
  zqtest::StdoutCapture out;
  const auto session = test::runQuietly(
      "a = 1:3; z = 2 + 3i; s.name = 'hey'; c = {1, 'ab'}; m = zeros(2, 3, 4); global g; g = 'xy';\n"
      "sp = sparse([1 0 2]); t = true(2);");
  ASSERT_FALSE(session->anyError()) << qxGetLastErrMsg();
  session->run("whos", false);
  EXPECT_EQ(out.text(),
            "  Name  Size   Bytes  Class\n"
            "\n"
            "  a     1x3       24  double\n"
            "  c     1x2       12  cell\n"
            "  g     1x2        4  char      global\n"
            "  m     2x3x4    192  double\n"
            "  s     1x1        6  struct\n"
            "  sp    1x3       40  sparse\n"
            "  t     2x2       32  logical\n"
            "  z     1x1       16  double    complex\n"
            "\n");
}

TEST(Whos, NamesLimitTheListAndNothingIsPrintedForNone) {
  zqtest::StdoutCapture out;
  const auto session = test::runQuietly("first_variable = 1; b = 'x';");
  session->run("whos b\nwhos not_a_variable", false);
  EXPECT_EQ(out.text(), "  Name  Size  Bytes  Class\n\n  b     1x1       2  char\n\n");
}

}  // namespace
}  // namespace zq::shell
