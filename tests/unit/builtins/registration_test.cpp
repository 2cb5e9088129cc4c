// Registration: what bnInitialize hands the host, as the host then sees it.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <iterator>

#include "builtins/zqbuiltins.h"
#include "support/host_fixture.h"

namespace {

const char *const kOrder[] = {
    "fopen",   "fclose",   "fread",     "fwrite",   "fscanf",   "fprintf",    "sscanf",    "sprintf",   "fgets",
    "fseek",   "ftell",    "ferror",    "feof",     "chdir",    "cd",         "delete",    "dir",       "format",
    "display", "disp",     "char",      "isspace",  "isletter", "upper",      "lower",     "strcmp",    "strcmpi",
    "strncmp", "strncmpi", "findstr",   "strfind",  "strrep",   "clock",      "cputime",   "double",    "single",
    "uint8",   "uint16",   "uint32",    "int8",     "int16",    "int32",      "func2str",  "functions", "str2func",
    "feature", "getenv",   "beep",      "isstr",    "ischar",   "setstr",     "string",    "computer",  "isglobal",
    "lasterr", "lastwarn", "islogical", "issparse", "isreal",   "zelmarroot", "_colonobj", "warning"};

// The host keeps the address of each record it was handed: the records lie
// one after another in the table, in registration order.
TEST(Registration, HandsTheHostSixtyTwoRecordsInTableOrder) {
  zqtest::registerBuiltins();
  EXPECT_EQ(zqhost::registeredBuiltinCount(), 62);
  const BuiltinEntry *first = zqhost::findBuiltin(kOrder[0]);
  ASSERT_NE(first, nullptr);
  for (std::size_t i = 0; i < std::size(kOrder); ++i) {
    const BuiltinEntry *record = zqhost::findBuiltin(kOrder[i]);
    ASSERT_NE(record, nullptr) << kOrder[i];
    EXPECT_EQ(record - first, static_cast<std::ptrdiff_t>(i)) << kOrder[i];
    EXPECT_STREQ(record->name, kOrder[i]);
  }
}

TEST(Registration, NoRecordServesClassCodeZero) {
  zqtest::registerBuiltins();
  for (const char *name : kOrder) EXPECT_EQ(zqhost::findBuiltin(name)->slots[0], nullptr) << name;
}

TEST(LibraryExports, CarryVersionAndBuildDate) {
  int parts = 1;
  for (const char *p = libzqbuiltins_version; *p; ++p) parts += *p == '.';
  EXPECT_EQ(parts, 4);
  ASSERT_EQ(std::strlen(libzqbuiltins_build_date), 11u);
  EXPECT_EQ(libzqbuiltins_build_date[3], ' ');
  EXPECT_EQ(libzqbuiltins_build_date[6], ' ');
}

}  // namespace
