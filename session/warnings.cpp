// warning, lasterr and lastwarn. The warning mode, the frequency and the
// last texts are the host's; these handlers translate between the words a
// user types and the host's numbers.
#include <cstring>
#include <span>

#include "common/arguments.h"
#include "common/outputs.h"
#include "common/owned.h"
#include "host/zqservices.h"
#include "session/handlers.h"

namespace zq::session {
namespace {

using common::HostText;
using common::OwnedArray;

// Warning modes by number; any number not listed reads as "off".
struct ModeName {
  int mode;
  const char *name;
};
constexpr ModeName kModeNames[] = {{1, "on"}, {2, "debug"}, {3, "backtrace"}};

// The one-word settings: each sets the mode or the frequency.
enum class Setting { Mode, Frequency };
struct SettingWord {
  const char *name;
  Setting setting;
  int value;
};
constexpr SettingWord kSettingWords[] = {
    {"on", Setting::Mode, 1},        {"off", Setting::Mode, 0},       {"debug", Setting::Mode, 2},
    {"backtrace", Setting::Mode, 3}, {"once", Setting::Frequency, 0}, {"always", Setting::Frequency, 1},
};

// warning(first, second) switches debug and backtrace on and off; turning
// either off leaves warnings on, whatever the mode was before.
struct ModePair {
  const char *first;
  const char *second;
  int mode;
};
constexpr ModePair kModePairs[] = {
    {"on", "debug", 2}, {"on", "backtrace", 3}, {"off", "debug", 1},    {"off", "backtrace", 1},
    {"debug", "on", 2}, {"debug", "off", 1},    {"backtrace", "on", 3}, {"backtrace", "off", 1},
};

// Longest message that warning(text) issues; longer ones are cut.
constexpr std::size_t kMaxMessageLength = 2048;

// Words are matched with the host's text comparison.
bool sameText(const char *a, const char *b) { return qxTxtCmp(a, b) == 0; }

const SettingWord *findSetting(const char *word) {
  for (const SettingWord &w : kSettingWords) {
    if (sameText(w.name, word)) return &w;
  }
  return nullptr;
}

const ModePair *findPair(const char *first, const char *second) {
  for (const ModePair &p : kModePairs) {
    if (sameText(p.first, first) && sameText(p.second, second)) return &p;
  }
  return nullptr;
}

qxArray *modeWord() {
  const int mode = qxGetWarningFlag();
  for (const ModeName &m : kModeNames) {
    if (m.mode == mode) return common::stringResult(m.name);
  }
  return common::stringResult("off");
}

qxArray *frequencyWord() { return common::stringResult(qxGetWarningFrequency() == 0 ? "once" : "always"); }

qxArray *lastWarningText() {
  const char *text = qxGetLastWarningMsg();
  return text != nullptr ? common::stringResult(text) : common::emptyString();
}

// Issues text as a warning, cut to kMaxMessageLength characters.
void issueWarning(char *text) {
  if (std::strlen(text) > kMaxMessageLength) text[kMaxMessageLength] = '\0';
  qxSetWarningPeriod(0);
  qxWarningMsgTxt("%s", svXlate(text));
}

// warning(word) or warning(message). The first output is the mode word
// before the call, or the last warning text before it for an empty text
// (which clears that text) and for a message.
qxArray *oneInput(const qxArray *input, bool wantsResult) {
  const HostText text = common::textArgument(input, QX_MSG_INVALID_OPTION);
  OwnedArray result;
  if (text.get()[0] == '\0') {
    if (wantsResult) result.reset(lastWarningText());
    qxSetLastWarningMsg("");
  } else if (const SettingWord *word = findSetting(text.get())) {
    if (wantsResult) result.reset(modeWord());
    if (word->setting == Setting::Mode)
      qxSetWarningFlag(word->value);
    else
      qxSetWarningFrequency(word->value);
  } else {
    if (wantsResult) result.reset(lastWarningText());
    issueWarning(text.get());
  }
  return result.release();
}

}  // namespace

// warning answers the mode (and the frequency); warning(word) sets one of
// them; warning(message) issues a warning; warning(word, word) switches
// debug or backtrace. Outputs always describe the state before the call.
void warningHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  for (int k = 0; k < nrhs; ++k) common::requireChar(prhs[k], QX_MSG_INVALID_OPTION);
  qxCheckNumArgs(nlhs, 2, nrhs, 0, 2);
  OwnedArray frequency(nlhs >= 2 ? frequencyWord() : nullptr);
  if (nrhs == 0) {
    plhs[0] = modeWord();
  } else if (nrhs == 1) {
    qxArray *result = oneInput(prhs[0], nlhs >= 1);
    if (nlhs >= 1) plhs[0] = result;
  } else {
    const HostText first = common::textArgument(prhs[0], QX_MSG_INVALID_OPTION);
    const HostText second = common::textArgument(prhs[1], QX_MSG_INVALID_OPTION);
    const ModePair *pair = findPair(first.get(), second.get());
    if (pair == nullptr) qxErrMsg(QX_MSG_INVALID_OPTION);
    if (nlhs >= 1) plhs[0] = modeWord();
    qxSetWarningFlag(pair->mode);
  }
  if (frequency) plhs[1] = frequency.release();
}

namespace {

// The host's two last-message records.
struct MessageRecord {
  const char *(*get)();
  void (*set)(const char *);
};
constexpr MessageRecord kRecords[] = {
    {qxGetLastErrMsg, qxSetLastErrMsg},
    {qxGetLastWarningMsg, qxSetLastWarningMsg},
};

}  // namespace

// lasterr / lastwarn answer the last text; with a text they replace it and
// answer nothing.
template <LastMessage Record>
void lastMessageHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  constexpr const MessageRecord &record = kRecords[static_cast<int>(Record)];
  qxCheckNumArgs(nlhs, 1, nrhs, 0, 1);
  if (nrhs == 1) {
    common::requireChar(prhs[0], QX_MSG_NOT_A_STRING);
    const HostText text(qxArray2String(prhs[0], 0));
    record.set(text ? text.get() : "");
    return;
  }
  const char *text = record.get();
  plhs[0] = text != nullptr ? common::stringResult(text) : common::emptyString();
}

template void lastMessageHandler<LastMessage::Error>(int, qxArray *[], int, qxArray *[]);
template void lastMessageHandler<LastMessage::Warning>(int, qxArray *[], int, qxArray *[]);

}  // namespace zq::session
