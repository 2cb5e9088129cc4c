// The evaluator as a script sees it: values after indexing, assignment,
// operators and control flow; errors, -k recovery and the last error.
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "shell/arrays.h"
#include "shell/script_runner.h"
#include "support/host_fixture.h"
#include "zqhost/host.h"

namespace zq::shell {
namespace {

struct Expected {
  const char *script;
  std::vector<int> dims;
  std::vector<double> values;  // real parts, column by column
};

// Runs script and checks the size and the real parts of x.
void expectX(const Expected &c) {
  const test::XValue x = test::valueOfX(c.script);
  ASSERT_EQ(x.error, "") << c.script;
  EXPECT_EQ(x.dims, c.dims) << c.script;
  EXPECT_EQ(x.re, c.values) << c.script;
}

using test::errorOf;

TEST(Evaluator, IndexingReadsElementsRowsColumnsAndMasks) {
  const Expected cases[] = {
      {"v = 10:10:50; x = v(end);", {1, 1}, {50}},
      {"v = 10:10:50; x = v([1 end]);", {1, 2}, {10, 50}},
      {"v = (10:10:30)'; x = v([1 3]);", {2, 1}, {10, 30}},
      {"m = [1 2; 3 4]; x = m(:);", {4, 1}, {1, 3, 2, 4}},
      {"m = [1 2; 3 4]; x = m(2, :);", {1, 2}, {3, 4}},
      {"m = [1 2; 3 4]; x = m(:, end);", {2, 1}, {2, 4}},
      {"m = [1 2; 3 4]; x = m([1 2; 2 1]);", {2, 2}, {1, 3, 3, 1}},
      {"v = 1:5; x = v(v > 3);", {1, 2}, {4, 5}},
      {"m = [1 2; 3 4]; x = m(m > 1);", {3, 1}, {3, 2, 4}},
      {"m = reshape(1:8, 2, 2, 2); x = m(2, 3);", {1, 1}, {6}},
      {"m = reshape(1:8, 2, 2, 2); x = m(end, end, end);", {1, 1}, {8}},
      {"c = {1, [5 6 7]}; x = c{2}(end);", {1, 1}, {7}},
      {"s.a.b = [4 5]; x = s.a.b(2);", {1, 1}, {5}},
      {"x = 7; x = x(1);", {1, 1}, {7}},
  };
  for (const Expected &c : cases) expectX(c);
}

TEST(Evaluator, AssignmentGrowsDeletesAndConvertsInPlace) {
  const Expected cases[] = {
      {"x = 1:3; x(5) = 9;", {1, 5}, {1, 2, 3, 0, 9}},
      {"x = []; x(3) = 1;", {1, 3}, {0, 0, 1}},
      {"x(2, 3) = 1;", {2, 3}, {0, 0, 0, 0, 0, 1}},
      {"x = [1 2; 3 4]; x(3, 3) = 9;", {3, 3}, {1, 3, 0, 2, 4, 0, 0, 0, 9}},
      {"x = (1:2)'; x(4) = 4;", {4, 1}, {1, 2, 0, 4}},
      {"x = reshape(1:4, 2, 1, 2); x(2, 2, 2) = 7;", {2, 2, 2}, {1, 2, 0, 0, 3, 4, 0, 7}},
      {"x = 1:5; x([2 4]) = [];", {1, 3}, {1, 3, 5}},
      {"x = [1 2; 3 4]; x(1, :) = [];", {1, 2}, {3, 4}},
      {"x = [1 2; 3 4]; x(:, end + 1) = [5; 6];", {2, 3}, {1, 3, 2, 4, 5, 6}},
      {"x = zeros(2); x(:) = 1:4;", {2, 2}, {1, 2, 3, 4}},
      {"x = zeros(1, 3); x(2:3) = 7;", {1, 3}, {0, 7, 7}},
      {"x = 'abc'; x(2) = 65;", {1, 3}, {97, 65, 99}},
      {"y = 1:3; x = y; y(1) = 100;", {1, 3}, {1, 2, 3}},
      {"s.a = 1; s(2).a = 2; x = [s.a];", {1, 2}, {1, 2}},
      {"c = {}; c{3} = 2; x = size(c);", {1, 2}, {1, 3}},
      {"s.v = 1:3; s.v(2) = 0; x = s.v;", {1, 3}, {1, 0, 3}},
      {"c = {1, 2}; c(1) = []; x = numel(c);", {1, 1}, {1}},
      {"x = zeros(2, 2, 'int8') + 300;", {2, 2}, {127, 127, 127, 127}},
      // The subscripts read the variable before it changes.
      {"x = 1:6; x(x > 2 & x < 5) = 0;", {1, 6}, {1, 2, 0, 0, 5, 6}},
      {"s.n = 2; s.a = 1:3; s.a(s.n) = 9; x = s.a;", {1, 3}, {1, 9, 3}},
      {"c = {1}; c{end + 1} = 2; x = numel(c);", {1, 1}, {2}},
      {"x = 1:3; x(end + 1) = x(end);", {1, 4}, {1, 2, 3, 3}},
  };
  for (const Expected &c : cases) expectX(c);
}

TEST(Evaluator, OperatorsExpandScalarsAndFollowMatrixRules) {
  const Expected cases[] = {
      {"x = [1 2 3] * [1; 1; 1];", {1, 1}, {6}},
      {"x = [1; 2] * [1 2];", {2, 2}, {1, 2, 2, 4}},
      {"x = [4 2; 1 3] \\ [10; 5];", {2, 1}, {2, 1}},
      {"x = [1 2; 3 4]^2;", {2, 2}, {7, 15, 10, 22}},
      {"x = [1 2 3] .* 2 - 1;", {1, 3}, {1, 3, 5}},
      {"x = [1 2] + [10; 20];", {2, 2}, {11, 21, 12, 22}},
      {"x = (1:3)';", {3, 1}, {1, 2, 3}},
      {"x = 'ab' == 'ab';", {1, 2}, {1, 1}},
      {"x = ~[1 0 2];", {1, 3}, {0, 1, 0}},
      {"x = real((-8)^(1/3) * 0 + 2);", {1, 1}, {2}},
      {"x = abs((1 + 2i) * (1 - 2i));", {1, 1}, {5}},
      {"x = 7 / 2;", {1, 1}, {3.5}},
      {"x = 1:0;", {1, 0}, {}},
      {"x = 0:0.25:1;", {1, 5}, {0, 0.25, 0.5, 0.75, 1}},
      {"x = 5:-2:1;", {1, 3}, {5, 3, 1}},
  };
  for (const Expected &c : cases) expectX(c);
}

TEST(Evaluator, ControlFlowLoopsBreaksAndShortCircuits) {
  const Expected cases[] = {
      {"x = 0; for k = 1:10, if k > 3, break, end, x = x + k; end", {1, 1}, {6}},
      {"x = 0; k = 0; while k < 5, k = k + 1; if mod(k, 2), continue, end, x = x + k; end", {1, 1}, {6}},
      {"x = 0; for c = [1 2; 3 4], x = x + c(1) * c(2); end", {1, 1}, {11}},
      {"x = 0; for k = [], x = 1; end", {1, 1}, {0}},
      {"if 0, x = 1; elseif [1 1], x = 2; else, x = 3; end", {1, 1}, {2}},
      {"if [1 0], x = 1; else, x = 2; end", {1, 1}, {2}},
      {"x = 0 && undefined_name;", {1, 1}, {0}},
      {"x = 1 || undefined_name;", {1, 1}, {1}},
      {"x = 0;\nfor i = 1:3\n  for j = 1:3\n    if j > i, break; end\n    x = x + 1;\n  end\nend", {1, 1}, {6}},
  };
  for (const Expected &c : cases) expectX(c);
}

// Text repeated n times.
std::string repeated(const std::string &text, int n) {
  std::string out;
  for (int k = 0; k < n; ++k) out += text;
  return out;
}

// Long flat chains are loops, not recursion: they run whatever their length.
TEST(Evaluator, LongFlatExpressionsRun) {
  const int n = 100000;
  std::string sum = "x = 1", conjunction = "x = 1", power = "x = 1";
  for (int k = 1; k < n; ++k) {
    sum += " + 1";
    conjunction += " && 1";
    power += "^1";
  }
  expectX({(sum + ";").c_str(), {1, 1}, {n}});
  expectX({(conjunction + ";").c_str(), {1, 1}, {1}});
  expectX({(power + ";").c_str(), {1, 1}, {1}});
  expectX({("x = 0 || 0" + repeated(" || 0", n) + " || 2;").c_str(), {1, 1}, {1}});
}

// Nesting (brackets, blocks, prefix operators, postfix chains) is refused
// beyond a fixed depth with a message, before it can exhaust the stack.
TEST(Evaluator, DeepNestingIsRefusedWithAMessage) {
  const int deep = 3000;
  expectX({("x = " + repeated("(", 200) + "1" + repeated(")", 200) + ";").c_str(), {1, 1}, {1}});
  const std::string cases[] = {
      "x = " + repeated("(", deep) + "1" + repeated(")", deep),
      "x = " + repeated("{", deep) + "1" + repeated("}", deep),
      "x = " + repeated("[", deep) + "1" + repeated("]", deep),
      "x = " + repeated("-", deep) + "1",
      "x = 1" + repeated("'", deep),
      "x = [1 2]" + repeated("(1)", deep),
      repeated("if 1\n", deep) + "x = 1;\n" + repeated("end\n", deep),
  };
  for (const std::string &script : cases) {
    const std::string error = errorOf(script.c_str());
    EXPECT_EQ(error.rfind("Nesting is too deep at ", 0), 0) << error;
    EXPECT_NE(error.find(": at most 256 levels of brackets, blocks and operators are allowed."), std::string::npos);
  }
}

// Wrapping a cell in a cell shares it: the time grows with the depth, not
// with its square (20,000 levels took about 25 s of processor time when
// each level copied the ones inside it).
TEST(Evaluator, NestingCellsTakesTimeProportionalToTheDepth) {
  const std::clock_t start = std::clock();
  const test::XValue x = test::valueOfX("c = {}; for k = 1:20000, c = {c}; end; x = numel(c);");
  const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  EXPECT_EQ(x.re, std::vector<double>{1});
  EXPECT_LT(seconds, 2.0);
}

// Untrusted scripts (fuzzed ones) run under a budget of statements and loop
// iterations and a cap on array sizes, so that each ends soon.
TEST(Evaluator, BudgetsEndUntrustedScriptsSoon) {
  zqtest::StdoutCapture quiet;
  Session session;
  session.evaluator().limitStatements(50);
  session.run("while 1, end", true);
  EXPECT_STREQ(qxGetLastErrMsg(), "The statement budget is used up.");
  session.run("x = 1;", true);
  EXPECT_EQ(session.evaluator().variable("x"), nullptr);
  session.evaluator().limitStatements(-1);
  limitElements(1000);
  session.run("x = 1:500; y = 1:2000;", true);
  EXPECT_NE(session.evaluator().variable("x"), nullptr);
  EXPECT_EQ(session.evaluator().variable("y"), nullptr);
  EXPECT_STREQ(qxGetLastErrMsg(), "Out of memory.");
  // A structure stored twice in itself doubles each time: the cap counts
  // what its fields and cells hold, so the loop stops long before memory
  // runs out.
  session.run("s.a = 1; for k = 1:60, s.b = s; s.c = {s}; end", true);
  EXPECT_STREQ(qxGetLastErrMsg(), "Out of memory.");
  const Value *k = session.evaluator().variable("k");
  ASSERT_NE(k, nullptr);
  EXPECT_LT(qxGetPr(k->array())[0], 12);
  limitElements(0);
  session.run("clear; s.a = 1; for k = 1:12, s.b = s; s.c = {s}; end", true);
  k = session.evaluator().variable("k");
  ASSERT_NE(k, nullptr);
  EXPECT_EQ(qxGetPr(k->array())[0], 12);
}

TEST(Evaluator, ErrorsSayWhatWentWrong) {
  const std::pair<const char *, const char *> cases[] = {
      {"y = q + 1", "Undefined function or variable 'q'."},
      {"v = 1:3; v(4)", "Index exceeds matrix dimensions."},
      {"v = 1:3; v(1.5)", "Subscript indices must either be real positive integers or logicals."},
      {"[1 2] + [1 2 3]", "Matrix dimensions must agree."},
      {"[1 2] * [3 4]", "Inner matrix dimensions must agree."},
      {"x = [1 2; 3]", "Dimensions of arrays being concatenated are not consistent."},
      {"x = 1; x{1}", "Cell contents reference from a non-cell array object (double)."},
      {"s.a = 1; s.b", "Reference to non-existent field 'b'."},
      {"x = 1:3; x(2, 2, 2, 2) = [1 2]", "Subscripted assignment dimension mismatch."},
      {"error('Stopped here.')", "Stopped here."},
      {"zeros(2)\nbreak", "A break or continue statement must be inside a loop."},
      {"[a, b] = numel(1)", "Too many output arguments."},
      {"c = {}; x = c{:}", "Indexing produced no results."},
      {"x = clear", "Too many output arguments."},
      {"if NaN, end", "NaN cannot be converted to a logical value."},
  };
  for (const auto &[script, message] : cases) EXPECT_EQ(errorOf(script), message) << script;
}

TEST(Evaluator, KeepGoingAbandonsOnlyTheRestOfTheFailingLine) {
  zqtest::StdoutCapture quiet;
  for (const bool keepGoing : {true, false}) {
    Session session;
    session.run("a = 1; b = nothing_here; c = 3;\nd = 4;", keepGoing);
    EXPECT_TRUE(session.anyError());
    EXPECT_EQ(session.exitStatus(), 1);
    EXPECT_NE(session.evaluator().variable("a"), nullptr);
    EXPECT_EQ(session.evaluator().variable("c"), nullptr);
    EXPECT_EQ(session.evaluator().variable("d") != nullptr, keepGoing);
  }
}

TEST(Evaluator, ExitEndsTheRunWithItsStatus) {
  zqtest::StdoutCapture quiet;
  Session session;
  EXPECT_EQ(session.run("x = 1; exit(3); y = 2;", false), Session::Outcome::Exit);
  EXPECT_EQ(session.evaluator().variable("y"), nullptr);
  EXPECT_EQ(session.exitStatus(), 3);
}

TEST(Evaluator, AnInterruptStopsALoopAndIsReported) {
  zqtest::StdoutCapture quiet;
  Session session;
  zqhost::requestInterrupt();
  EXPECT_EQ(session.run("k = 0; while true, k = k + 1; end", true), Session::Outcome::Interrupted);
  EXPECT_FALSE(zqhost::interruptPending());
  EXPECT_EQ(session.run("z = 1;", true), Session::Outcome::Finished);
  EXPECT_NE(session.evaluator().variable("z"), nullptr);
}

TEST(Evaluator, CommandSyntaxBecomesAnExpressionWhenTheNameIsAVariable) {
  zqtest::StdoutCapture quiet;
  Session session;
  session.run("a = 5; x = 0; a -1\nx = ans;", false);
  ASSERT_FALSE(session.anyError()) << qxGetLastErrMsg();
  EXPECT_EQ(realParts(*session.evaluator().variable("x")), std::vector<double>{4});
}

TEST(Evaluator, DisplayShowsTheNameOfTheVariableOrAns) {
  zqtest::StdoutCapture out;
  Session session;
  session.run("x = 5\nx;\nx\n3 + 4\ny = 2;", false);
  const std::string text = out.text();
  EXPECT_NE(text.find("x ="), std::string::npos) << text;
  EXPECT_NE(text.find("ans ="), std::string::npos) << text;
  EXPECT_EQ(text.find("y ="), std::string::npos) << text;
}

}  // namespace
}  // namespace zq::shell
