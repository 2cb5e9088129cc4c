// The session around the evaluator: when the prompt must read more lines,
// what the last error records, and the plain display used while the
// library cannot display a class.
#include <gtest/gtest.h>

#include <string>

#include "shell/script_runner.h"
#include "support/host_fixture.h"

namespace zq::shell {
namespace {

TEST(Session, ThePromptReadsOnWhileABracketOrBlockIsOpen) {
  // The prompt ends each line it reads with a newline.
  const std::pair<const char *, bool> cases[] = {
      {"x = [1 2\n", true},
      {"x = {1, ...\n", true},
      {"if x > 1\n", true},
      {"for k = 1:3\n  y = k;\n", true},
      {"while 1\n  if 0\n  end\n", true},
      {"if x, y = 1, end\n", false},
      {"x = 1\n", false},
      {"x = (1\n", false},      // a parenthesis ends with its line
      {"x = 'abc\n", false},    // so does a string
      {"x = [1 2]]\n", false},  // an error, not more input
      {"\n", false},
  };
  Session session;
  for (const auto &[text, incomplete] : cases) EXPECT_EQ(session.incomplete(text), incomplete) << text;
}

TEST(Session, ErrorsAreRecordedAsTheLastError) {
  const std::pair<const char *, const char *> cases[] = {
      {"x = (1", "Unbalanced brackets: '(' at column 5 is not closed."},
      {"y = 1;\nz = y(3)", "Index exceeds matrix dimensions."},
      {"error('Custom text.')", "Custom text."},
      {"exit_is_not_this", "Undefined function or variable 'exit_is_not_this'."},
  };
  for (const auto &[script, message] : cases) {
    test::runQuietly(script);
    EXPECT_STREQ(qxGetLastErrMsg(), message) << script;
  }
}

TEST(Session, ACleanRunExitsWithZeroAndABadOneWithOne) {
  EXPECT_EQ(test::runQuietly("x = 1;")->exitStatus(), 0);
  EXPECT_EQ(test::runQuietly("x = ;")->exitStatus(), 1);
  EXPECT_EQ(test::runQuietly("x = 1; quit")->exitStatus(), 0);
  EXPECT_EQ(test::runQuietly("x = y;\nquit", true)->exitStatus(), 1);
}

}  // namespace
}  // namespace zq::shell
