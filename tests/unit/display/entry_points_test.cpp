// display and disp: which values reach the numeric printer, the name
// conventions of the dispatcher.
#include <string>

#include "builtins/zqbuiltins.h"
#include "display/display_support.h"
#include "display/printers.h"
#include "host/ut.h"

namespace zqtest {
namespace {

class EntryPointsTest : public DisplayTest {};

TEST_F(EntryPointsTest, DispShowsTheValueWithoutItsName) {
  Array x = named(num(5), "x");
  Array empty = named(mat(0, 3, {}), "e");
  const struct {
    const char *spacing;
    const qxArray *value;
    const char *expected;
  } cases[] = {
      {"loose", x.get(), "     5\n\n"},
      {"compact", x.get(), "     5\n"},
      {"loose", empty.get(), ""},
  };
  for (const auto &c : cases) {
    setFormat(c.spacing);
    const Shown s = show("disp", c.value);
    EXPECT_EQ(s.error, "");
    EXPECT_EQ(s.out, c.expected) << c.spacing;
  }
  setFormat("loose");
  EXPECT_EQ(show("display", x.get()).out, "\nx =\n\n     5\n\n") << "disp left the header flag cleared";
}

TEST_F(EntryPointsTest, DispRestoresTheInterruptSettingEvenAfterAnError) {
  Array x = num(1);
  Array text = str("hi");
  for (const qxArray *value : {static_cast<const qxArray *>(x.get()), static_cast<const qxArray *>(text.get())}) {
    utSetInterruptEnabled(1);
    show("disp", value);
    EXPECT_EQ(utSetInterruptEnabled(1), 1);
  }
  EXPECT_EQ(call("disp", 0, {}).error, "Not enough input arguments.");
  EXPECT_EQ(utSetInterruptEnabled(1), 1);
}

TEST_F(EntryPointsTest, DispatcherNamesFollowTheCallersLabel) {
  Array five = num(5);
  const struct {
    const char *name;
    const qxArray *value;
    const char *expected;
  } cases[] = {
      {"y", five.get(), "y =\n\n     5\n\n"},
      {"", five.get(), "     5\n\n"},
      {nullptr, five.get(), "\nans =\n\n     5\n\n"},
      {"n", nullptr, "\nn =\n\n     []\n\n"},
      {"", nullptr, ""},
      {nullptr, nullptr, ""},
  };
  for (const auto &c : cases) {
    StdoutCapture capture;
    zq::display::printValue(c.name, c.value);
    EXPECT_EQ(capture.text(), c.expected) << (c.name == nullptr ? "(null)" : c.name);
  }
  StdoutCapture capture;
  bnPrintMatrixCompact(five.get());
  EXPECT_EQ(capture.text(), "     5\n\n");
}

TEST_F(EntryPointsTest, OutOfRangeCodeFromSetPrtfmtPrintsAsShort) {
  for (int code : {0, 12, 15, -3}) {
    SetPrtfmt(code);
    Array x = named(num(3.14159265), "x");
    EXPECT_EQ(show("display", x.get()).out, "\nx =\n\n    3.1416\n\n") << code;
    EXPECT_EQ(GetPrtfmt(), code);
  }
}

}  // namespace
}  // namespace zqtest
