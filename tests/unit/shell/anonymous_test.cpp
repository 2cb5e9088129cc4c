// Function handles in the shell: anonymous functions capture what they
// read when made and see nothing else of the workspace, calls through h()
// and feval, handles in containers, str2func of anonymous text, and the
// workspace put back after a call however it ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/script_runner.h"
#include "support/host_fixture.h"

namespace zq::shell {
namespace {

struct Case {
  const char *script;
  std::vector<double> x;  // real parts of x, column by column
};

void expectX(const Case &c) {
  const test::XValue x = test::valueOfX(c.script);
  ASSERT_EQ(x.error, "") << c.script;
  EXPECT_EQ(x.re, c.x) << c.script;
}

TEST(Anonymous, CapturesTheValuesOfItsVariablesWhenMade) {
  const Case cases[] = {
      {"k = 2; f = @(x) x * k; k = 10; x = f(3);", {6}},
      {"v = [1 2 3]; f = @() v(end); v(end) = 9; x = f();", {3}},
      {"a = 1; add = @(b) @(c) a + b + c; a = 100; g = add(10); x = g(5);", {16}},
      // A name that was no variable names a function, whatever the
      // workspace holds when the function runs.
      {"f = @(y) abs(y); abs = 7; x = f(-2);", {2}},
      {"f = @() 4; x = f() + f();", {8}},
  };
  for (const Case &c : cases) expectX(c);
}

TEST(Anonymous, ParametersHideVariablesAndTheWorkspaceComesBack) {
  expectX({"x = 5; f = @(x) x + 1; y = f(1); x = [x y];", {5, 2}});
  // The body sees only its parameters and what it captured.
  EXPECT_EQ(test::errorOf("f = @() q; q = 1; f()"), "Undefined function or variable 'q'.");
  // An error inside the body leaves the variables as they were.
  const auto session = test::runQuietly("x = 7; f = @(x) x(5); f(1)\ny = x;", true);
  EXPECT_STREQ(qxGetLastErrMsg(), "Index exceeds matrix dimensions.");
  const Value *y = session->evaluator().variable("y");
  ASSERT_NE(y, nullptr);
  EXPECT_EQ(realParts(*y), std::vector<double>{7});
}

TEST(Anonymous, CallsGoThroughParenthesesFevalAndContainers) {
  const Case cases[] = {
      {"f = @(a, b) a - b; x = feval(f, 5, 2);", {3}},
      {"x = feval(@abs, -4);", {4}},
      {"h = @abs; x = h(-3);", {3}},
      {"c = {@(t) t * 2, 1}; g = c{1}; x = g(4);", {8}},
      {"s.f = @(t) t + 1; x = s.f(1);", {2}},
      {"f = @(m) size(m); [r, c] = f(ones(2, 3)); x = [r c];", {2, 3}},
      {"f = @(n) n:-1:1; x = f(3);", {3, 2, 1}},
      // Fewer arguments than parameters are fine while the missing ones are not read.
      {"f = @(a, b) a; x = f(6);", {6}},
  };
  for (const Case &c : cases) expectX(c);
  EXPECT_EQ(test::errorOf("f = @(x) x; f(1, 2)"), "Too many input arguments.");
  EXPECT_EQ(test::errorOf("h = @(g, n) g(g, n + 1); h(h, 1)"), "Maximum recursion limit of 500 reached.");
  EXPECT_EQ(test::errorOf("f = @(x) x; x = [f f];"), "Function handles cannot be concatenated.");
}

TEST(Anonymous, Str2funcReadsAnonymousTextAndCapturesFromTheWorkspace) {
  const Case cases[] = {
      {"k = 3; f = str2func('@(x) x + k'); k = 0; x = f(1);", {4}},
      {"f = str2func('@() 42;'); x = f();", {42}},
      {"g = str2func({'@(a) -a', 'abs'}); h = g(1); x = h(2);", {-2}},
  };
  for (const Case &c : cases) expectX(c);
  for (const char *bad : {"@(x", "@(x) x +", "@(x) x, 1", "@(x x) 1", "(x) x"}) {
    const std::string script = std::string("f = str2func('") + bad + "');";
    EXPECT_EQ(test::errorOf(script.c_str()), std::string("Invalid function name '") + bad + "'.") << bad;
  }
}

}  // namespace
}  // namespace zq::shell
