// bnMatrix2str and the double-to-char converter with its once-per-call
// warning.
#include <gtest/gtest.h>

#include <string>

#include "builtins/zqbuiltins.h"
#include "common/char_codes.h"
#include "support/host_fixture.h"

namespace {

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

}  // namespace
