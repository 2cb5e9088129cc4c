// Containers, objects, handles, opaque and sparse values in every operand
// of every string function: each call gives a result or one of the
// expected messages, and never reads or writes out of bounds (the
// sanitizer build runs this too).
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "strings_support.h"

namespace zqtest {
namespace {

struct Builtin {
  const char *name;
  int inputs;
};
constexpr Builtin kBuiltins[] = {
    {"char", 1},     {"char", 3},     {"setstr", 1},  {"string", 1},  {"isspace", 1},
    {"isletter", 1}, {"upper", 1},    {"lower", 1},   {"strcmp", 2},  {"strcmpi", 2},
    {"strncmp", 3},  {"strncmpi", 3}, {"findstr", 2}, {"strfind", 2}, {"strrep", 3},
};

// Values no string function is made for.
std::vector<std::function<Array()>> oddValues() {
  return {
      [] { return cellOf(0, 0); },
      [] { return cellOf(1, 2, num(1), Array()); },
      [] { return cellOf(2, 2, chars(u"a"), chars(u"bc", 2), chars(u""), chars(u"", 0)); },
      [] { return Array(qxCreateStructMatrix(1, 1, 0, nullptr)); },
      [] { return Array(qxCreateObject("widget", qxCreateStructMatrix(1, 1, 0, nullptr))); },
      [] {
        Array h(qxCreateNumericMatrix(1, 1, QX_CLASS_FUNCTION, 0));
        qxFunctionHandleFromString(qxGetData(h.get()), "sin");
        return h;
      },
      [] {
        return Array(qxCreateOpaque("counter", 2, std::array{1, 1}.data()));
      },
      [] {
        Array s(qxCreateSparse(1, 3, 1, 0));
        qxGetPr(s.get())[0] = 98;
        qxGetIr(s.get())[0] = 0;
        qxGetJc(s.get())[1] = qxGetJc(s.get())[2] = qxGetJc(s.get())[3] = 1;
        return s;
      },
      [] { return chars(u"", 0); },
      [] {
        return Array(qxCreateCharArray(2, std::array{0, 5}.data()));
      },
  };
}

bool expected(const std::string &error) {
  static const std::set<std::string> kMessages = {
      "Cell elements must be character arrays",
      "Inputs must be character arrays",
      "Inputs cannot be padded string matrices",
      "Inputs must be row vectors",
      "Inputs must be the same size or any one can be a scalar",
      "Inputs must be the same size or either one can be a scalar",
      "Input character arrays cannot be padded string matrices",
      "Number of characters to match must be an integer",
      "The number of rows of the string matrix must\nmatch the number of elements in the cell",
  };
  return error.empty() || kMessages.count(error) > 0 || error.rfind("Conversion to ", 0) == 0 ||
         error.rfind("Undefined function '", 0) == 0;
}

TEST(BadInput, EveryOperandOfEveryBuiltinGivesAResultOrAMessage) {
  const auto odd = oddValues();
  for (const Builtin &b : kBuiltins) {
    for (int slot = 0; slot < b.inputs; ++slot) {
      for (size_t v = 0; v < odd.size(); ++v) {
        std::vector<Array> args;
        for (int k = 0; k < b.inputs; ++k) args.push_back(k == slot ? odd[v]() : k == 2 ? num(1) : chars(u"ab"));
        std::vector<const qxArray *> in;
        for (const Array &a : args) in.push_back(a.get());
        CallResult r;
        switch (b.inputs) {
          case 1: r = call(b.name, 1, {in[0]}); break;
          case 2: r = call(b.name, 1, {in[0], in[1]}); break;
          default: r = call(b.name, 1, {in[0], in[1], in[2]}); break;
        }
        EXPECT_TRUE(expected(r.error)) << b.name << " operand " << slot << " value " << v << ": " << r.error;
        if (r.error.empty()) {
          EXPECT_NE(r.outputs[0], nullptr) << b.name << " operand " << slot << " value " << v;
        }
      }
    }
  }
}

}  // namespace
}  // namespace zqtest
