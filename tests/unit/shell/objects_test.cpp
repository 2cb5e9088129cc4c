// Objects and opaque values made at the prompt, their class and size, and
// the names and scopes that arguments carry into builtins.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/script_runner.h"
#include "support/host_fixture.h"

namespace zq::shell {
namespace {

// What a script prints.
std::string printed(const char *script) {
  Session session;
  zqtest::StdoutCapture capture;
  session.run(script, true);
  return capture.text();
}

TEST(Objects, ClassAndSizeComeFromTheMaker) {
  const std::pair<const char *, std::vector<double>> sizes[] = {
      {"o = zqobject('point', struct('x', {1, 2, 3})); x = size(o);", {1, 3}},
      {"o = zqobject('point', struct('x', 1), [4 5 6]); x = size(o);", {4, 5, 6}},
      {"o = zqobject('point', struct('x', 1), [4 5]); [a, b] = size(o); x = [a b size(o, 2)];", {4, 5, 5}},
      {"p = zqopaque('blob', 2, 3); x = size(p);", {2, 3}},
      {"p = zqopaque('blob'); x = size(p);", {1, 1}},
      {"p = zqopaque('blob', 2, 3, 4); x = size(p);", {2, 3, 4}},
  };
  for (const auto &[script, want] : sizes) {
    const test::XValue x = test::valueOfX(script);
    ASSERT_EQ(x.error, "") << script;
    EXPECT_EQ(x.re, want) << script;
  }
  const auto session =
      test::runQuietly("o = zqobject('point', struct('x', 1)); c = class(o); p = class(zqopaque('blob')); f = o.x;");
  ASSERT_FALSE(session->anyError()) << qxGetLastErrMsg();
  EXPECT_EQ(textOf(*session->evaluator().variable("c"), "c"), "point");
  EXPECT_EQ(textOf(*session->evaluator().variable("p"), "p"), "blob");
  EXPECT_EQ(realParts(*session->evaluator().variable("f")), std::vector<double>{1});
}

TEST(Objects, MakersRefuseWhatIsNotAClassNameStructureOrSize) {
  const std::pair<const char *, const char *> cases[] = {
      {"zqobject(1, struct())", "The class name must be a string."},
      {"zqobject('2d', struct())", "Invalid class name '2d'."},
      {"zqobject('point', 5)", "The fields of an object must be given as a structure."},
      {"zqobject('point', struct(), 'ab')", "The size of an object must be a numeric vector."},
      {"zqopaque('blob', -1)", "(no error)"},
      {"zqopaque('blob', 1.5)", "A dimension must be an integer."},
      {"zqopaque()", "Not enough input arguments."},
      {"double(zqobject('point', struct()))", "Conversion to double from point is not possible."},
  };
  for (const auto &[script, message] : cases) EXPECT_EQ(test::errorOf(script), message) << script;
}

// A builtin that answers "NAME:SCOPE" for each of its inputs.
void probeHandler(int, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  std::string text;
  for (int k = 0; k < nrhs; ++k)
    text += std::string(qxGetName(prhs[k])) + ":" + std::to_string(qxGetScope(prhs[k])) + " ";
  plhs[0] = qxCreateString(text.c_str());
}

// What the probe answers for the arguments of the last line of script.
std::string probed(const std::string &script) {
  static const BuiltinEntry entry = [] {
    BuiltinEntry e{"probe_arguments", {}};
    for (BuiltinFcn &slot : e.slots) slot = probeHandler;
    e.slots[0] = nullptr;
    return e;
  }();
  static const bool registered = qxGetRegisterInternalFcnsFcn()(1, &entry) != 0;
  (void)registered;
  const auto session = test::runQuietly(script.c_str());
  if (session->anyError()) return qxGetLastErrMsg();
  return textOf(*session->evaluator().variable("answer"), "answer");
}

TEST(Arguments, APlainVariableCarriesItsNameAndScope) {
  EXPECT_EQ(probed("x = 1; s = 'a'; answer = probe_arguments(x, s, 3, x + 1, s(1));"), "x:0 s:0 :0 :0 :0 ");
  EXPECT_EQ(probed("global g\ng = [1 2]; h = g; answer = probe_arguments(g, h, g);"), "g:2 h:0 g:2 ");
  EXPECT_EQ(probed("c = {5}; answer = probe_arguments(c{1}, c);"), ":0 c:0 ");
  // An anonymous function's parameters are variables of its body.
  EXPECT_EQ(probed("f = @(t) probe_arguments(t, t'); answer = f(1);"), "t:0 :0 ");

  EXPECT_EQ(printed("x = 'hi'; display(x)"), "\nx =\n\nhi\n\n");
  EXPECT_EQ(printed("x = 3; display(x)"), "\nx =\n\n     3\n\n");
  // Any other expression carries no name, even when it is the variable's
  // own array.
  EXPECT_EQ(printed("x = 'hi'; display(x); display(x(:)')"), "\nx =\n\nhi\n\n\nans =\n\nhi\n\n");
  // One array passed under two names is two arguments with their own names.
  EXPECT_EQ(printed("x = 'ab'; y = x; fprintf('%s ', x, y); display(y)"), "ab ab \ny =\n\nab\n\n");
}

}  // namespace
}  // namespace zq::shell
