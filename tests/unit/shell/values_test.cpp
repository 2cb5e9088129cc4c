// Values as the operators and host functions make them: result classes,
// complex results, sizes and the sharing of arrays between variables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/script_runner.h"
#include "support/host_fixture.h"

namespace zq::shell {
namespace {

struct Typed {
  const char *script;  // sets x
  const char *className;
  std::vector<int> dims;
  std::vector<double> re;
  std::vector<double> im;  // empty when x must be real
};

// Runs script and checks class, size, real and imaginary parts of x.
void expectTyped(const Typed &c) {
  const test::XValue x = test::valueOfX(c.script);
  ASSERT_EQ(x.error, "") << c.script;
  EXPECT_EQ(x.className, c.className) << c.script;
  EXPECT_EQ(x.dims, c.dims) << c.script;
  EXPECT_EQ(x.re, c.re) << c.script;
  EXPECT_EQ(x.im, c.im) << c.script;
}

using test::errorOf;

TEST(Operators, ResultClassesFollowTheOperands) {
  const Typed cases[] = {
      {"x = zeros(1, 2, 'int8') + 2.6;", "int8", {1, 2}, {3, 3}, {}},
      {"x = zeros(1, 1, 'uint8') - 1;", "uint8", {1, 1}, {0}, {}},
      {"x = ones(1, 1, 'int16') * 7 / 2;", "int16", {1, 1}, {4}, {}},
      {"x = -ones(1, 1, 'int8') * 200;", "int8", {1, 1}, {-128}, {}},
      {"x = ones(1, 1, 'single') + 1;", "single", {1, 1}, {2}, {}},
      {"x = 'a' + 1;", "double", {1, 1}, {98}, {}},
      {"x = true + true;", "double", {1, 1}, {2}, {}},
      {"x = -true;", "double", {1, 1}, {-1}, {}},
      {"x = 'abc' == 'abd';", "logical", {1, 3}, {1, 1, 0}, {}},
      {"x = ~[];", "logical", {0, 0}, {}, {}},
      {"x = [1 2] & [0 3];", "logical", {1, 2}, {0, 1}, {}},
      {"x = 1 / 0;", "double", {1, 1}, {1.0 / 0.0}, {}},
      {"x = [1 2; 3 4] / [1 0; 0 2];", "double", {2, 2}, {1, 3, 1, 2}, {}},
      {"x = 2 .^ [1 2 3];", "double", {1, 3}, {2, 4, 8}, {}},
  };
  for (const Typed &c : cases) expectTyped(c);
}

TEST(Operators, ComplexValuesStayComplexOnlyWhileTheyNeedTo) {
  const Typed cases[] = {
      {"x = (1 + 2i) * (3 - 1i);", "double", {1, 1}, {5}, {5}},  {"x = (1 + 2i)';", "double", {1, 1}, {1}, {-2}},
      {"x = [1+2i 3].';", "double", {2, 1}, {1, 3}, {2, 0}},     {"x = [1+2i 3]';", "double", {2, 1}, {1, 3}, {-2, 0}},
      {"x = (1 + 2i) - 2i;", "double", {1, 1}, {1}, {}},         {"x = (2i)^2;", "double", {1, 1}, {-4}, {}},
      {"x = abs(3 + 4i);", "double", {1, 1}, {5}, {}},           {"x = complex(1, 0);", "double", {1, 1}, {1}, {0}},
      {"x = [1 2] == [1+1i 2];", "logical", {1, 2}, {0, 1}, {}}, {"x = sum([1i 2i]);", "double", {1, 1}, {0}, {3}},
  };
  for (const Typed &c : cases) expectTyped(c);
}

TEST(Operators, MisuseIsReportedNotGuessed) {
  const std::pair<const char *, const char *> cases[] = {
      {"zeros(1, 'int8') + zeros(1, 'int16')",
       "Integers can only be combined with integers of the same class, or scalar doubles."},
      {"2 ^ [1 2]", "The exponent of ^ must be a scalar; use .^ for element-wise powers."},
      {"[1 2 3] ^ 2", "Inputs must be a scalar and a square matrix."},
      {"[1 2; 3 4] ^ 0.5", "Only non-negative integer powers of a matrix are supported."},
      {"[1 2 3] \\ [1 2]", "Only square systems can be solved."},
      {"{1} + 1", "Operation is not defined for values of class cell."},
      {"ones(2, 2, 2)'", "Transpose on N-D arrays is not defined."},
  };
  for (const auto &[script, message] : cases) EXPECT_EQ(errorOf(script), message) << script;
}

TEST(Indexing, ScalarSubscriptsKeepClassesAndCopies) {
  const Typed cases[] = {
      {"m = [1 2; 3 4]; x = m(2, 1) + m(4);", "double", {1, 1}, {7}, {}},
      {"t = true(1, 2); x = t(2);", "logical", {1, 1}, {1}, {}},
      {"x = true(1, 2); x(2) = false;", "logical", {1, 2}, {1, 0}, {}},
      {"x = true(1, 2); x(1) = 5;", "double", {1, 2}, {5, 1}, {}},
      {"x = [1 2 3]; y = x; x(2) = 7; x = [x y];", "double", {1, 6}, {1, 7, 3, 1, 2, 3}, {}},
      {"x = zeros(1, 2, 'int8'); x(1) = 300;", "int8", {1, 2}, {127, 0}, {}},
      {"x = [1 2]; x(2) = 1i;", "double", {1, 2}, {1, 0}, {0, 1}},
      {"x = 'ab'; x(1) = 66;", "char", {1, 2}, {66, 98}, {}},
      {"x = [1 2]; x(1) = 'A';", "double", {1, 2}, {65, 2}, {}},
  };
  for (const Typed &c : cases) expectTyped(c);
}

TEST(HostFunctions, ConstructorsMakeTheSizeAndClassAskedFor) {
  const Typed cases[] = {
      {"x = zeros(2, 0);", "double", {2, 0}, {}, {}},
      {"x = ones([1 3]);", "double", {1, 3}, {1, 1, 1}, {}},
      {"x = ones(2, 'uint16');", "uint16", {2, 2}, {1, 1, 1, 1}, {}},
      {"x = eye(2, 3);", "double", {2, 3}, {1, 0, 0, 1, 0, 0}, {}},
      {"x = true(1, 2);", "logical", {1, 2}, {1, 1}, {}},
      {"x = NaN(1, 2) ~= NaN(1, 2);", "logical", {1, 2}, {1, 1}, {}},
      {"x = reshape(1:6, [], 2);", "double", {3, 2}, {1, 2, 3, 4, 5, 6}, {}},
      {"x = cat(3, 1, 2);", "double", {1, 1, 2}, {1, 2}, {}},
      {"x = size(cell(2, 3));", "double", {1, 2}, {2, 3}, {}},
      {"x = full(sparse([1 3], [1 2], [5 6]));", "double", {3, 2}, {5, 0, 0, 0, 0, 6}, {}},
      {"x = full(sparse([1 1], [1 1], [2 3]));", "double", {1, 1}, {5}, {}},
      {"x = logical([2 0 -1]);", "logical", {1, 3}, {1, 0, 1}, {}},
      {"x = [pi > 3.14, eps < 1e-15, Inf > 1e308];", "logical", {1, 3}, {1, 1, 1}, {}},
  };
  for (const Typed &c : cases) expectTyped(c);
}

TEST(HostFunctions, QueriesAndArithmetic) {
  const Typed cases[] = {
      {"x = size(ones(2, 3, 4), 3);", "double", {1, 1}, {4}, {}},
      {"[a, b] = size(ones(2, 3, 4)); x = [a b];", "double", {1, 2}, {2, 12}, {}},
      {"x = [length(zeros(3, 0)), length(ones(2, 5)), ndims(ones(2, 1, 3))];", "double", {1, 3}, {0, 5, 3}, {}},
      {"x = [numel({1, 2, 3}), numel(struct('a', {1, 2}))];", "double", {1, 2}, {3, 2}, {}},
      {"x = round([-2.5 2.5 0.4]);", "double", {1, 3}, {-3, 3, 0}, {}},
      {"x = fix([-2.7 2.7]);", "double", {1, 2}, {-2, 2}, {}},
      {"x = mod([-7 7 5], [3 -3 0]);", "double", {1, 3}, {2, -2, 5}, {}},
      {"x = abs(ones(1, 1, 'int8') * -5);", "int8", {1, 1}, {5}, {}},
      {"x = sum([1 2; 3 4]);", "double", {1, 2}, {4, 6}, {}},
      {"x = sum([1 2; 3 4], 2);", "double", {2, 1}, {3, 7}, {}},
      {"x = sum([]);", "double", {1, 1}, {0}, {}},
      {"x = any([0 1; 0 0]);", "logical", {1, 2}, {0, 1}, {}},
      {"x = all([1 1; 0 1]);", "logical", {1, 2}, {0, 1}, {}},
      {"x = [isequal('a', 97), isequal({1, 'b'}, {1, 'b'}), isequal(struct('p', 1), struct('p', 2))];",
       "logical",
       {1, 3},
       {1, 1, 0},
       {}},
      {"x = isfield(struct('a', 1), {'a', 'b'});", "logical", {1, 2}, {1, 0}, {}},
      {"x = real(1 + 2i) + imag(3 + 4i);", "double", {1, 1}, {5}, {}},
      {"x = feval(@numel, 1:4) + feval('numel', 1:2);", "double", {1, 1}, {6}, {}},
      {"h = @size; [a, b] = h(ones(2, 3)); x = [a b];", "double", {1, 2}, {2, 3}, {}},
  };
  for (const Typed &c : cases) expectTyped(c);
}

TEST(HostFunctions, SessionFunctionsChangeTheWorkspace) {
  zqtest::StdoutCapture out;
  Session session;
  session.run("a = 1; b = 2; global g; clear a; x = [exist('a'), exist('b'), exist('g'), exist('zeros')];", false);
  ASSERT_FALSE(session.anyError()) << qxGetLastErrMsg();
  EXPECT_EQ(realParts(*session.evaluator().variable("x")), (std::vector<double>{0, 1, 1, 5}));
  session.run("who", false);
  EXPECT_NE(out.text().find("Your variables are:\n\nb  g  x  \n"), std::string::npos);
  session.run("clear", false);
  EXPECT_TRUE(session.evaluator().variableNames().empty());
}

TEST(Values, CopiesShareUntilOneChanges) {
  Value a = makeDoubles({1, 3}, {1, 2, 3});
  Value b = a;
  EXPECT_EQ(a.array(), b.array());
  qxGetPr(b.mutableArray())[0] = 9;
  b.refresh();
  EXPECT_NE(a.array(), b.array());
  EXPECT_EQ(realParts(a), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(realParts(b), (std::vector<double>{9, 2, 3}));
  // A sole owner gives its array away without copying it.
  const qxArray *held = b.array();
  qxArray *released = b.release();
  EXPECT_EQ(released, held);
  qxDestroyArray(released);
}

TEST(Values, ScalarsAreBoxedOnceAndUnboxedFromArrays) {
  const Value s = Value::number(4);
  EXPECT_TRUE(s.isScalar());
  const qxArray *boxed = s.array();
  EXPECT_EQ(s.array(), boxed);
  EXPECT_EQ(qxGetScalar(boxed), 4);
  const Value t = Value::adopt(qxCreateScalarDouble(2.5));
  EXPECT_TRUE(t.isScalar());
  EXPECT_EQ(t.number(), 2.5);
  EXPECT_TRUE(Value::boolean(true).isLogicalScalar());
  EXPECT_FALSE(makeString("a").isScalar());
}

}  // namespace
}  // namespace zq::shell
