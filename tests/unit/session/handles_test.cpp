// func2str, functions and str2func over the host's handle records: names,
// the scalar check, handle arrays made from cells, and bad texts.
#include <gtest/gtest.h>

#include <string>

#include "host/qx.h"
#include "support/host_fixture.h"

namespace {

using zqtest::Array;

// A 1-by-n handle array, element k named names[k] ("" leaves it empty).
Array handles(std::initializer_list<const char *> names) {
  Array a(qxCreateNumericMatrix(1, static_cast<int>(names.size()), QX_CLASS_FUNCTION, 0));
  auto *records = static_cast<qxFunctionHandleRecord *>(qxGetData(a.get()));
  for (const char *name : names) {
    if (*name != '\0') qxFunctionHandleFromString(records, name);
    ++records;
  }
  return a;
}

std::string textOfHandle(const qxArray *a, int k) {
  return qxFunctionHandleToString(static_cast<const qxFunctionHandleRecord *>(qxGetData(a)) + k);
}

TEST(Handles, Func2strAndFunctionsWantExactlyOneHandle) {
  Array two = handles({"sin", "cos"});
  Array none(qxCreateNumericMatrix(1, 0, QX_CLASS_FUNCTION, 0));
  for (const char *name : {"func2str", "functions"}) {
    EXPECT_EQ(zqtest::call(name, 1, {two.get()}).error, "Function_handle argument must be scalar") << name;
    EXPECT_EQ(zqtest::call(name, 1, {none.get()}).error, "Function_handle argument must be scalar") << name;
    Array text = zqtest::str("sin");
    EXPECT_EQ(zqtest::call(name, 1, {text.get()}).error,
              std::string("Undefined function '") + name + "' for input arguments of type 'char'.");
  }
}

TEST(Handles, Str2funcMakesOneHandleFromText) {
  for (const char *text : {"sin", "@sin", "my_fun2"}) {
    Array s = zqtest::str(text);
    const zqtest::CallResult r = zqtest::call("str2func", 1, {s.get()});
    ASSERT_EQ(r.error, "") << text;
    EXPECT_EQ(qxGetClassCode(r.outputs[0].get()), QX_CODE_FUNCTION_HANDLE);
    EXPECT_EQ(textOfHandle(r.outputs[0].get(), 0), text[0] == '@' ? text + 1 : text);
  }
  for (const char *bad : {"", "2x", "a b", "@", "x-y"}) {
    Array s = zqtest::str(bad);
    EXPECT_EQ(zqtest::call("str2func", 1, {s.get()}).error, std::string("Invalid function name '") + bad + "'.");
  }
}

// A cell gives a handle array of its own size; only its char elements are
// read, so the other records stay empty.
TEST(Handles, Str2funcOfACellFillsOnlyTheTextPositions) {
  Array cell(qxCreateCellMatrix(2, 2));
  qxSetCell(cell.get(), 0, qxCreateString("sin"));
  qxSetCell(cell.get(), 1, qxCreateScalarDouble(3));
  qxSetCell(cell.get(), 3, qxCreateString("cos"));
  const zqtest::CallResult r = zqtest::call("str2func", 1, {cell.get()});
  ASSERT_EQ(r.error, "");
  const qxArray *h = r.outputs[0].get();
  EXPECT_EQ(qxGetM(h), 2);
  EXPECT_EQ(qxGetN(h), 2);
  EXPECT_EQ(textOfHandle(h, 0), "sin");
  EXPECT_EQ(textOfHandle(h, 1), "");
  EXPECT_EQ(textOfHandle(h, 2), "");
  EXPECT_EQ(textOfHandle(h, 3), "cos");

  Array empty(qxCreateCellMatrix(0, 3));
  const zqtest::CallResult e = zqtest::call("str2func", 1, {empty.get()});
  ASSERT_EQ(e.error, "");
  EXPECT_EQ(qxGetClassCode(e.outputs[0].get()), QX_CODE_FUNCTION_HANDLE);
  EXPECT_EQ(qxGetM(e.outputs[0].get()), 0);
  EXPECT_EQ(qxGetN(e.outputs[0].get()), 3);

  Array badCell(qxCreateCellMatrix(1, 2));
  qxSetCell(badCell.get(), 1, qxCreateString("1st"));
  EXPECT_EQ(zqtest::call("str2func", 1, {badCell.get()}).error, "Invalid function name '1st'.");
}

}  // namespace
