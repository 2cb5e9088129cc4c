// try ... catch ... end: which errors are caught, what the catch block
// sees, and how the blocks nest with loops, other try blocks and
// interrupts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/ut.h"
#include "shell/script_runner.h"
#include "support/host_fixture.h"
#include "zqhost/host.h"

namespace zq::shell {
namespace {

struct Case {
  const char *script;
  std::vector<double> x;  // the value x is left with
  const char *lastError;
};

void expectCases(std::initializer_list<Case> cases) {
  for (const Case &c : cases) {
    const auto session = test::runQuietly(c.script);
    EXPECT_FALSE(session->anyError()) << c.script << ": " << qxGetLastErrMsg();
    const Value *x = session->evaluator().variable("x");
    ASSERT_NE(x, nullptr) << c.script;
    EXPECT_EQ(realParts(*x), c.x) << c.script;
    EXPECT_STREQ(qxGetLastErrMsg(), c.lastError) << c.script;
  }
}

TEST(TryCatch, AnErrorAbandonsTheTryBlockAndRunsTheCatchBlock) {
  qxSetLastErrMsg("");
  expectCases({
      // Raised by error(), by the host, by a builtin, by an unknown name.
      {"x = 1; try, x = 2; error('boom %d', 7); x = 3; catch, x = [x 4]; end", {2, 4}, "boom 7"},
      {"try, v = [1 2]; x = v(3); catch, x = 5; end", {5}, "Index exceeds matrix dimensions."},
      {"try, fopen(); catch, x = 6; end", {6}, "Not enough input arguments."},
      {"try, getenv(1); catch, x = 7; end", {7}, "Undefined function 'getenv' for input arguments of type 'double'."},
      {"try, x = nosuchname + 1; catch, x = 8; end", {8}, "Undefined function or variable 'nosuchname'."},
      // A try block that raises nothing skips the catch block.
      {"try, x = 9; catch, x = 10; end", {9}, "Undefined function or variable 'nosuchname'."},
      // Without a catch block the error is only recorded.
      {"x = 11; try, error('quiet'); x = 12; end", {11}, "quiet"},
  });
}

TEST(TryCatch, CatchNameReceivesTheErrorUnlessTheNameIsAFunction) {
  const auto session = test::runQuietly("try\n error('named')\ncatch err\n x = err.message;\nend");
  ASSERT_FALSE(session->anyError()) << qxGetLastErrMsg();
  EXPECT_EQ(zqtest::text(session->evaluator().variable("x")->array()), "named");
  // lasterr is a builtin: it is the catch block's first statement.
  const auto shown = test::runQuietly("try, error('shown'), catch lasterr, end, x = ans;");
  ASSERT_FALSE(shown->anyError()) << qxGetLastErrMsg();
  EXPECT_EQ(zqtest::text(shown->evaluator().variable("x")->array()), "shown");
}

TEST(TryCatch, BlocksNestAndErrorsInACatchBlockGoOutward) {
  expectCases({
      {"x = 0; try, try, error('in'); catch, x = 1; end; x = [x 2]; catch, x = 9; end", {1, 2}, "in"},
      {"try, try, error('in'); catch, error(['again ' lasterr]); end; catch, x = 3; end", {3}, "again in"},
      {"x = 0; try, try, error('a'); end; error('b'); catch, x = 4; end", {4}, "b"},
  });
  // An error in an outermost catch block is the statement's error.
  EXPECT_EQ(test::errorOf("try, error('first'); catch, error('second'); end"), "second");
}

TEST(TryCatch, BreakAndContinueInsideTryReachTheLoop) {
  expectCases({
      {"x = []; for k = 1:4, try, if k == 2, error('e'); end; x = [x k]; catch, continue; end; end", {1, 3, 4}, "e"},
      {"x = []; for k = 1:4, try, x = [x k]; if k == 2, break; end; catch, end; end", {1, 2}, "e"},
      {"x = []; k = 0; while true, k = k + 1; try, error('stop'); catch, x = k; break; end; end", {1}, "stop"},
  });
}

// A builtin that stands for the user pressing Ctrl-C while it runs.
void interruptedHandler(int, qxArray *[], int, qxArray *[]) {
  zqhost::requestInterrupt();
  utLongjmpIfInterruptPending();
}

TEST(TryCatch, AnInterruptIsNotCaught) {
  static BuiltinEntry entry{"test_interrupted", {}};
  if (zqhost::findBuiltin("test_interrupted") == nullptr) {
    entry.slots[QX_CODE_NO_INPUT] = interruptedHandler;
    zqtest::registerBuiltins();
    qxGetRegisterInternalFcnsFcn()(1, &entry);
  }
  zqtest::StdoutCapture quiet;
  Session session;
  EXPECT_EQ(session.run("x = 0; try, test_interrupted(); catch, x = 1; end", false), Session::Outcome::Interrupted);
  EXPECT_EQ(realParts(*session.evaluator().variable("x")), std::vector<double>{0});
}

TEST(TryCatch, ThePromptWaitsForTheEndOfATryBlock) {
  Session session;
  EXPECT_TRUE(session.incomplete("try\n  x = 1;\n"));
  EXPECT_TRUE(session.incomplete("try\n  x = 1;\ncatch\n"));
  EXPECT_FALSE(session.incomplete("try\n  x = 1;\ncatch\nend\n"));
  EXPECT_EQ(test::errorOf("catch = 1;"), "Unexpected 'catch' at column 1.");
}

}  // namespace
}  // namespace zq::shell
