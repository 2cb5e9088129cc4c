// What the golden scripts cannot show of warning, lasterr and lastwarn:
// host states that no word sets, and which texts "once" keeps quiet. The
// words, the pair table and the messages are in
// tests/golden/session_warnings.zq.
#include <gtest/gtest.h>

#include <string>

#include "support/host_fixture.h"

namespace {

using zqtest::Array;
using zqtest::call;
using zqtest::str;

// Puts the host's warning state back to how a session starts.
class Warnings : public ::testing::Test {
 protected:
  void SetUp() override { reset(); }
  void TearDown() override { reset(); }
  static void reset() {
    qxSetWarningFlag(1);
    qxSetWarningFrequency(1);
    qxSetLastWarningMsg("");
  }

  // warning(inputs...) with nlhs outputs; the texts of the outputs made,
  // the error, and what was printed (an output not made reads as "").
  struct Result {
    std::string first, second, error, printed;
  };
  static Result warning(int nlhs, std::initializer_list<const char *> words) {
    std::vector<Array> inputs;
    for (const char *w : words) inputs.push_back(str(w));
    zqtest::CallResult r;
    Result out;
    {
      zqtest::StdoutCapture capture;
      if (inputs.empty())
        r = call("warning", nlhs, {});
      else if (inputs.size() == 1)
        r = call("warning", nlhs, {inputs[0].get()});
      else
        r = call("warning", nlhs, {inputs[0].get(), inputs[1].get()});
      out.printed = capture.text();
    }
    out.error = r.error;
    if (!r.outputs.empty() && r.outputs[0]) out.first = zqtest::text(r.outputs[0].get());
    if (r.outputs.size() > 1 && r.outputs[1]) out.second = zqtest::text(r.outputs[1].get());
    return out;
  }
};

TEST_F(Warnings, ModeWordsReadBackAndUnknownModesReadAsOff) {
  const struct {
    int mode;
    const char *word;
  } cases[] = {{0, "off"}, {1, "on"}, {2, "debug"}, {3, "backtrace"}, {4, "off"}, {-1, "off"}};
  for (const auto &c : cases) {
    qxSetWarningFlag(c.mode);
    EXPECT_EQ(warning(0, {}).first, c.word) << c.mode;
  }
  for (const auto &[frequency, word] : {std::pair{0, "once"}, {1, "always"}, {7, "always"}}) {
    qxSetWarningFrequency(frequency);
    EXPECT_EQ(warning(2, {}).second, word) << frequency;
  }
}

// "once" keeps quiet every text printed before in the session, under
// "always" too, but each still becomes the last warning; a text dropped
// while warnings were off was never printed.
TEST_F(Warnings, FrequencyOncePrintsEachTextOnceButStillRecordsIt) {
  EXPECT_EQ(warning(0, {"printed-under-always"}).printed, "warning: printed-under-always\n");
  warning(0, {"off"});
  warning(0, {"dropped-while-off"});
  warning(0, {"on"});
  warning(0, {"once"});
  EXPECT_EQ(warning(0, {"printed-under-always"}).printed, "");
  EXPECT_STREQ(qxGetLastWarningMsg(), "printed-under-always");
  EXPECT_EQ(warning(0, {"dropped-while-off"}).printed, "warning: dropped-while-off\n");
  EXPECT_EQ(warning(0, {"dropped-while-off"}).printed, "");
  warning(0, {"always"});
  EXPECT_EQ(warning(0, {"dropped-while-off"}).printed, "warning: dropped-while-off\n");
}

TEST_F(Warnings, LasterrAndLastwarnReadAndReplaceTheirOwnRecord) {
  qxSetLastErrMsg("an error");
  qxSetLastWarningMsg("a warning");
  EXPECT_EQ(zqtest::text(call("lasterr", 0, {}).outputs[0].get()), "an error");
  EXPECT_EQ(zqtest::text(call("lastwarn", 1, {}).outputs[0].get()), "a warning");
  const Array replacement = str("replaced"), empty = str("");
  const auto set = call("lasterr", 1, {replacement.get()});
  EXPECT_EQ(set.error, "");
  EXPECT_EQ(set.outputs[0], nullptr);  // replacing answers nothing
  EXPECT_STREQ(qxGetLastErrMsg(), "replaced");
  EXPECT_STREQ(qxGetLastWarningMsg(), "a warning");
  call("lastwarn", 0, {empty.get()});
  EXPECT_STREQ(qxGetLastWarningMsg(), "");
  const auto none = call("lastwarn", 1, {});
  EXPECT_EQ(qxGetM(none.outputs[0].get()), 0);
  EXPECT_EQ(qxGetN(none.outputs[0].get()), 0);
  EXPECT_TRUE(qxIsChar(none.outputs[0].get()));
}

}  // namespace
