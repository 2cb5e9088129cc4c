// Dispatch by class code as users meet it: which classes each builtin takes,
// aliases answering as their builtin, builtins not built yet.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "support/host_fixture.h"

namespace {

using zqtest::Array;

// A value of every class code a builtin can be registered for (code 1 is
// a call without inputs).
struct ClassSample {
  int code;
  Array value;
};

Array handle(const char *name) {
  Array a(qxCreateNumericMatrix(1, 1, QX_CLASS_FUNCTION, 0));
  qxFunctionHandleFromString(qxGetData(a.get()), name);
  return a;
}

std::vector<ClassSample> samples() {
  const int dims[] = {1, 1};
  std::vector<ClassSample> s;
  s.push_back({1, nullptr});
  s.push_back({2, zqtest::num(1)});
  s.push_back({3, Array(qxCreateSparse(1, 1, 1, 0))});
  s.push_back({4, zqtest::str("zq-no-such-file")});
  s.push_back({5, Array(qxCreateCellMatrix(1, 1))});
  s.push_back({6, Array(qxCreateStructMatrix(1, 1, 0, nullptr))});
  for (int classId = QX_CLASS_SINGLE; classId <= QX_CLASS_UINT32; ++classId) {
    s.push_back({classId, Array(qxCreateNumericMatrix(1, 1, classId, 0))});
  }
  s.push_back({16, Array(qxCreateOpaque("thing", 2, dims))});
  s.push_back({17, handle("sin")});
  return s;
}

// The class codes whose calls reach a handler of the builtin. Every call
// asks for more outputs and gives more inputs than any builtin takes, so
// that a handler it reaches stops at its count check and changes nothing.
std::set<int> acceptedCodes(const char *name) {
  std::set<int> accepted;
  const Array extra = zqtest::num(0);
  for (const ClassSample &sample : samples()) {
    zqtest::StdoutCapture quiet;
    const zqtest::CallResult r =
        sample.value == nullptr
            ? zqtest::call(name, 9, {})
            : zqtest::call(name, 9,
                           {sample.value.get(), extra.get(), extra.get(), extra.get(), extra.get(), extra.get()});
    if (r.error.rfind("Undefined function '", 0) != 0) accepted.insert(sample.code);
  }
  return accepted;
}

TEST(Dispatch, EachBuiltinTakesTheClassesItIsRegisteredFor) {
  const std::set<int> anyValue{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16, 17};
  const std::set<int> fileText{1, 2, 4}, textOption{1, 4};
  const struct {
    std::vector<const char *> names;
    std::set<int> codes;
  } groups[] = {
      {{"fopen", "fclose", "fread", "fscanf", "fprintf", "sscanf", "sprintf", "fgets", "fseek", "ferror", "setstr",
        "string"},
       fileText},
      {{"ftell", "feof"}, {1, 2}},
      {{"fwrite", "display",  "disp",     "char",      "findstr",  "strfind", "strrep",    "clock", "cputime",
        "double", "single",   "uint8",    "uint16",    "uint32",   "int8",    "int16",     "int32", "isstr",
        "ischar", "computer", "isglobal", "islogical", "issparse", "isreal",  "zelmarroot"},
       anyValue},
      {{"chdir", "cd", "dir", "format", "feature", "beep", "lasterr", "lastwarn", "_colonobj", "warning"}, textOption},
      {{"delete", "getenv"}, {4}},
      {{"isspace", "isletter"}, {1, 2, 4, 7, 8, 9, 10, 11, 12, 13}},
      {{"upper", "lower"}, {1, 2, 4, 5, 7, 8, 9, 10, 11, 12, 13}},
      {{"strcmp", "strcmpi", "strncmp", "strncmpi"}, {1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13}},
      {{"func2str", "functions"}, {17}},
      {{"str2func"}, {4, 5}},
  };
  int names = 0;
  for (const auto &group : groups) {
    for (const char *name : group.names) {
      EXPECT_EQ(acceptedCodes(name), group.codes) << name;
      ++names;
    }
  }
  EXPECT_EQ(names, 62);
}

TEST(Dispatch, RefusesAClassWithoutASlotInTheHostsWords) {
  EXPECT_EQ(zqtest::call("getenv", 1, {}).error, "Undefined function 'getenv' for input arguments of type 'none'.");
  EXPECT_EQ(zqtest::call("func2str", 1, {zqtest::str("sin").get()}).error,
            "Undefined function 'func2str' for input arguments of type 'char'.");
}

// chdir answers as cd and isstr as ischar, whatever they are given.
TEST(Dispatch, AliasesAnswerAsTheirBuiltin) {
  const Array text = zqtest::str("zq-no-such-directory"), number = zqtest::num(5);
  const struct {
    const char *alias;
    const char *builtin;
    const qxArray *input;
  } cases[] = {{"chdir", "cd", text.get()}, {"isstr", "ischar", text.get()}, {"isstr", "ischar", number.get()}};
  for (const auto &c : cases) {
    const zqtest::CallResult a = zqtest::call(c.alias, 1, {c.input});
    const zqtest::CallResult b = zqtest::call(c.builtin, 1, {c.input});
    EXPECT_EQ(a.error, b.error) << c.alias;
    const bool aOut = a.outputs[0] != nullptr, bOut = b.outputs[0] != nullptr;
    ASSERT_EQ(aOut, bOut) << c.alias;
    if (aOut) {
      EXPECT_EQ(qxGetScalar(a.outputs[0].get()), qxGetScalar(b.outputs[0].get())) << c.alias;
    }
  }
}

}  // namespace
