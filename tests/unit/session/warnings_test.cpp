// warning, lasterr and lastwarn: the words, the pair table, what the
// outputs report, and how the host's warning state prints and records.
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

TEST_F(Warnings, OneWordSetsTheModeOrFrequencyAndAnswersTheStateBefore) {
  const struct {
    const char *word;
    int mode, frequency;
  } cases[] = {{"off", 0, 1}, {"debug", 2, 1}, {"backtrace", 3, 1}, {"on", 1, 1}, {"once", 1, 0}, {"always", 1, 1}};
  std::string modeBefore = "on", frequencyBefore = "always";
  for (const auto &c : cases) {
    const Result r = warning(2, {c.word});
    EXPECT_EQ(r.first, modeBefore) << c.word;
    EXPECT_EQ(r.second, frequencyBefore) << c.word;
    EXPECT_EQ(qxGetWarningFlag(), c.mode) << c.word;
    EXPECT_EQ(qxGetWarningFrequency(), c.frequency) << c.word;
    EXPECT_EQ(r.printed, "");
    modeBefore = warning(2, {}).first;
    frequencyBefore = warning(2, {}).second;
  }
  // Words are exact: "ON" is a message.
  EXPECT_EQ(warning(0, {"ON"}).printed, "warning: ON\n");
  EXPECT_EQ(warning(0, {"off"}).first, "");  // nothing stored without an output
}

TEST_F(Warnings, PairsSwitchDebugAndBacktraceAndOthersAreRefused) {
  const struct {
    const char *first, *second;
    int before, after;
  } cases[] = {
      {"on", "debug", 1, 2}, {"on", "backtrace", 0, 3}, {"off", "debug", 0, 1},    {"off", "backtrace", 2, 1},
      {"debug", "on", 0, 2}, {"debug", "off", 3, 1},    {"backtrace", "on", 1, 3}, {"backtrace", "off", 0, 1},
  };
  for (const auto &c : cases) {
    qxSetWarningFlag(c.before);
    const Result r = warning(1, {c.first, c.second});
    EXPECT_EQ(r.error, "") << c.first << ", " << c.second;
    EXPECT_EQ(qxGetWarningFlag(), c.after) << c.first << ", " << c.second;
  }
  qxSetWarningFlag(3);
  const Result r = warning(2, {"backtrace", "off"});
  EXPECT_EQ(r.first, "backtrace");
  EXPECT_EQ(r.second, "always");
  for (const auto &[first, second] : {std::pair{"on", "on"}, {"debug", "backtrace"}, {"once", "off"}, {"x", "y"}}) {
    qxSetWarningFlag(2);
    EXPECT_EQ(warning(1, {first, second}).error, "Invalid option.") << first << ", " << second;
    EXPECT_EQ(qxGetWarningFlag(), 2);
  }
}

TEST_F(Warnings, MessagesPrintAndBecomeTheLastWarningAndTheOutputIsTheOneBefore) {
  EXPECT_EQ(warning(0, {"first"}).printed, "warning: first\n");
  EXPECT_STREQ(qxGetLastWarningMsg(), "first");
  const Result r = warning(1, {"second %d"});  // no formatting of the user's text
  EXPECT_EQ(r.printed, "warning: second %d\n");
  EXPECT_EQ(r.first, "first");
  EXPECT_STREQ(qxGetLastWarningMsg(), "second %d");
  // An empty text clears the last warning and answers the text it cleared.
  const Result cleared = warning(1, {""});
  EXPECT_EQ(cleared.first, "second %d");
  EXPECT_EQ(cleared.printed, "");
  EXPECT_STREQ(qxGetLastWarningMsg(), "");
}

TEST_F(Warnings, LongMessagesAreCutTo2048Characters) {
  const std::string exact(2048, 'a');
  const std::string longer = exact + "bcd";
  EXPECT_EQ(warning(0, {longer.c_str()}).printed, "warning: " + exact + "\n");
  EXPECT_EQ(qxGetLastWarningMsg(), exact);
}

TEST_F(Warnings, ModeOffNeitherPrintsNorRecords) {
  warning(0, {"kept"});
  warning(0, {"off"});
  EXPECT_EQ(warning(0, {"dropped"}).printed, "");
  EXPECT_STREQ(qxGetLastWarningMsg(), "kept");
  // debug and backtrace print like on.
  for (int mode : {2, 3}) {
    qxSetWarningFlag(mode);
    EXPECT_EQ(warning(0, {"shown"}).printed, "warning: shown\n") << mode;
  }
}

TEST_F(Warnings, FrequencyOncePrintsEachTextOnceButStillRecordsIt) {
  warning(0, {"once"});
  EXPECT_EQ(warning(0, {"repeated-once-test"}).printed, "warning: repeated-once-test\n");
  warning(0, {"other-once-test"});
  EXPECT_EQ(warning(0, {"repeated-once-test"}).printed, "");
  EXPECT_STREQ(qxGetLastWarningMsg(), "repeated-once-test");
  warning(0, {"always"});
  EXPECT_EQ(warning(0, {"repeated-once-test"}).printed, "warning: repeated-once-test\n");
}

TEST_F(Warnings, InputsMustBeTextBeforeCountsAreChecked) {
  const Array number = zqtest::num(1), text = str("on");
  EXPECT_EQ(call("warning", 0, {number.get()}).error,
            "Undefined function 'warning' for input arguments of type 'double'.");
  EXPECT_EQ(call("warning", 0, {text.get(), number.get()}).error, "Invalid option.");
  EXPECT_EQ(call("warning", 0, {text.get(), text.get(), number.get()}).error, "Invalid option.");
  EXPECT_EQ(call("warning", 0, {text.get(), text.get(), text.get()}).error, "Too many input arguments.");
  EXPECT_EQ(call("warning", 3, {}).error, "Too many output arguments.");
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

TEST_F(Warnings, LasterrAndLastwarnCheckCountsAndText) {
  const Array text = str("x");
  for (const char *name : {"lasterr", "lastwarn"}) {
    EXPECT_EQ(call(name, 2, {}).error, "Too many output arguments.") << name;
    EXPECT_EQ(call(name, 0, {text.get(), text.get()}).error, "Too many input arguments.") << name;
  }
  qxSetLastErrMsg("");
}

}  // namespace
