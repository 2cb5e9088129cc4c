// The builtin table, its registration and dispatch by class code.
#include "builtins/registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "builtins/zqbuiltins.h"
#include "common/char_codes.h"
#include "fileio/file_table.h"
#include "support/host_fixture.h"

namespace {

using zq::builtins::builtinTable;

const char *const kOrder[] = {
    "fopen",   "fclose",   "fread",     "fwrite",   "fscanf",   "fprintf",    "sscanf",    "sprintf",   "fgets",
    "fseek",   "ftell",    "ferror",    "feof",     "chdir",    "cd",         "delete",    "dir",       "format",
    "display", "disp",     "char",      "isspace",  "isletter", "upper",      "lower",     "strcmp",    "strcmpi",
    "strncmp", "strncmpi", "findstr",   "strfind",  "strrep",   "clock",      "cputime",   "double",    "single",
    "uint8",   "uint16",   "uint32",    "int8",     "int16",    "int32",      "func2str",  "functions", "str2func",
    "feature", "getenv",   "beep",      "isstr",    "ischar",   "setstr",     "string",    "computer",  "isglobal",
    "lasterr", "lastwarn", "islogical", "issparse", "isreal",   "zelmarroot", "_colonobj", "warning"};

std::set<int> codesOf(const BuiltinEntry &e) {
  std::set<int> codes;
  for (int c = 0; c < QX_BUILTIN_SLOTS; ++c) {
    if (e.slots[c] != nullptr) codes.insert(c);
  }
  return codes;
}

const BuiltinEntry &byName(const char *name) {
  for (const BuiltinEntry &e : builtinTable()) {
    if (std::strcmp(e.name, name) == 0) return e;
  }
  throw std::runtime_error(name);
}

TEST(BuiltinTable, HoldsTheSixtyTwoNamesInRegistrationOrder) {
  const auto table = builtinTable();
  ASSERT_EQ(table.size(), std::size(kOrder));
  for (size_t i = 0; i < table.size(); ++i) EXPECT_STREQ(table[i].name, kOrder[i]) << "record " << i;
}

TEST(BuiltinTable, RegistersEachNameForItsClassCodes) {
  const std::set<int> anyValue{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16, 17};
  const struct {
    const char *name;
    std::set<int> codes;
  } cases[] = {
      {"fopen", {1, 2, 4}},
      {"string", {1, 2, 4}},
      {"ftell", {1, 2}},
      {"feof", {1, 2}},
      {"fwrite", anyValue},
      {"disp", anyValue},
      {"zelmarroot", anyValue},
      {"cd", {1, 4}},
      {"_colonobj", {1, 4}},
      {"delete", {4}},
      {"getenv", {4}},
      {"isspace", {1, 2, 4, 7, 8, 9, 10, 11, 12, 13}},
      {"upper", {1, 2, 4, 5, 7, 8, 9, 10, 11, 12, 13}},
      {"strcmp", {1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13}},
      {"func2str", {17}},
      {"functions", {17}},
      {"str2func", {4, 5}},
  };
  for (const auto &c : cases) EXPECT_EQ(codesOf(byName(c.name)), c.codes) << c.name;
  for (const BuiltinEntry &e : builtinTable()) EXPECT_EQ(e.slots[0], nullptr) << e.name;
}

TEST(BuiltinTable, SharesHandlersBetweenAliasesOnly) {
  EXPECT_EQ(byName("cd").slots[4], byName("chdir").slots[4]);
  EXPECT_EQ(byName("isstr").slots[2], byName("ischar").slots[2]);
  const BuiltinEntry &display = byName("display");
  EXPECT_EQ(display.slots[1], display.slots[3]);
  EXPECT_EQ(display.slots[4], display.slots[17]);
  EXPECT_NE(display.slots[2], display.slots[1]);
  EXPECT_EQ(display.slots[2], display.slots[13]);
  EXPECT_NE(display.slots[5], display.slots[6]);
  EXPECT_NE(display.slots[16], display.slots[2]);
  EXPECT_EQ(display.slots[1], &bnFullPrintFcn);
  EXPECT_EQ(byName("disp").slots[9], &bnFullDispFcn);
}

TEST(BuiltinRegistration, HandsEveryRecordToTheHost) {
  zqtest::registerBuiltins();
  EXPECT_GE(zqhost::registeredBuiltinCount(), 62);
  for (const char *name : kOrder) EXPECT_NE(zqhost::findBuiltin(name), nullptr) << name;
}

TEST(BuiltinDispatch, RefusesAClassWithoutASlot) {
  auto handle = zqtest::num(1);
  auto r = zqtest::call("getenv", 1, {});
  EXPECT_EQ(r.error, "Undefined function 'getenv' for input arguments of type 'none'.");
  r = zqtest::call("func2str", 1, {zqtest::str("sin").get()});
  EXPECT_EQ(r.error, "Undefined function 'func2str' for input arguments of type 'char'.");
}

TEST(FileIoDispatcher, RefusesACallWithoutInputs) {
  for (const char *name : {"fopen", "fclose", "fread", "sprintf", "ftell", "feof"}) {
    EXPECT_EQ(zqtest::call(name, 1, {}).error, "Not enough input arguments.") << name;
  }
}

TEST(FileIoDispatcher, SetsUpTheStandardStreamsOnFirstUse) {
  (void)zqtest::call("fopen", 1, {});
  EXPECT_TRUE(zq::fileio::fileTable().standardStreamsReady);
}

TEST(Matrix2str, ConvertsCharArraysAndRefusesOthers) {
  char *empty = bnMatrix2str(nullptr);
  EXPECT_STREQ(empty, "");
  qxFree(empty);
  auto zeroByZero = zqtest::Array(qxCreateNumericMatrix(0, 0, QX_CLASS_CHAR, 0));
  char *none = bnMatrix2str(zeroByZero.get());
  EXPECT_STREQ(none, "");
  qxFree(none);
  auto hello = zqtest::str("hello");
  char *copy = bnMatrix2str(hello.get());
  EXPECT_STREQ(copy, "hello");
  qxFree(copy);
  auto number = zqtest::num(3);
  EXPECT_THROW(bnMatrix2str(number.get()), zqhost::Error);
}

TEST(DoubleToChar, WarnsOncePerFileIoCall) {
  qxSetLastWarningMsg("");
  auto values = zqtest::row({72, 105.5, 70000});
  zqtest::StdoutCapture capture;
  zq::common::armConversionWarning();
  zqtest::Array first(zq::common::doubleToChar(values.get()));
  zqtest::Array second(zq::common::doubleToChar(values.get()));
  const std::string printed = capture.text();
  const std::string warning =
      "Out of range or non-integer values truncated during conversion from \ndouble to character";
  EXPECT_EQ(printed, "warning: " + warning + "\n");
  EXPECT_EQ(std::string(qxGetLastWarningMsg()), warning);
  EXPECT_EQ(qxGetChars(first.get())[0], 72);
  EXPECT_EQ(qxGetChars(first.get())[1], 105);
  EXPECT_EQ(qxGetChars(first.get())[2], 65535);
}

TEST(DoubleToChar, StaysQuietForCharacterCodes) {
  auto values = zqtest::row({104, 105});
  zqtest::StdoutCapture capture;
  zq::common::armConversionWarning();
  zqtest::Array result(zq::common::doubleToChar(values.get()));
  EXPECT_EQ(capture.text(), "");
  EXPECT_EQ(zqtest::text(result.get()), "hi");
}

TEST(LibraryExports, CarryVersionAndBuildDate) {
  int parts = 1;
  for (const char *p = libzqbuiltins_version; *p; ++p) parts += *p == '.';
  EXPECT_EQ(parts, 4);
  ASSERT_EQ(std::strlen(libzqbuiltins_build_date), 11u);
  EXPECT_EQ(libzqbuiltins_build_date[3], ' ');
  EXPECT_EQ(libzqbuiltins_build_date[6], ' ');
}

TEST(NotYetBuilt, NamesTheBuiltin) {
  EXPECT_EQ(zqtest::call("clock", 1, {zqtest::str("a").get()}).error, "clock is not available yet.");
}

}  // namespace
