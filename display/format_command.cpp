// The format builtin: chooses the number format of the numeric printer and
// loose or compact spacing.
#include <climits>
#include <cstring>
#include <memory>
#include <string_view>

#include "display/handlers.h"
#include "display/state.h"

namespace zq::display {
namespace {

// One word of format: the print format it selects (0: unchanged) and the
// newline string it installs (null: unchanged).
struct FormatWord {
  std::string_view word;
  int code;
  const char *newlineText;
};

// Looked up exactly and case-sensitively, in this order.
constexpr FormatWord kWords[] = {
    {"short", kShort, nullptr},  {"long", kLong, nullptr},   {"hex", kHex, nullptr},
    {"bank", kBank, nullptr},    {"+", kPlus, nullptr},      {"rational", kRational, nullptr},
    {"rat", kRational, nullptr}, {"debug", kDebug, nullptr}, {"compact", 0, ""},
    {"loose", 0, "\n"},
};

// A modifier shifts the print format from the fixed to the exponent or the
// shortest-of-both style; other modifiers are ignored.
struct FormatModifier {
  std::string_view word;
  int shift;
};
constexpr FormatModifier kModifiers[] = {{"e", 2}, {"g", 4}};

struct QxFree {
  void operator()(char *p) const { qxFree(p); }
};
using OwnedText = std::unique_ptr<char, QxFree>;

// Input k of the call as text: "" when it is absent or the host cannot copy
// it; host message 16 when it is not a char array.
OwnedText optionText(int nrhs, qxArray *prhs[], int k) {
  const bool present = k < nrhs;
  if (present && qxGetClassCode(prhs[k]) != QX_CODE_CHAR) qxErrMsg(QX_MSG_NOT_A_STRING);
  const int count = present ? qxGetNumberOfElements(prhs[k]) : 0;
  if (count < 0 || count == INT_MAX) qxErrMsg(QX_MSG_OUT_OF_MEMORY);
  OwnedText text(static_cast<char *>(qxCalloc(static_cast<size_t>(count) + 1, 1)));
  if (text == nullptr) qxErrMsg(QX_MSG_OUT_OF_MEMORY);
  if (present && qxGetString(prhs[k], text.get(), count + 1) != 0) text.get()[0] = '\0';
  return text;
}

// Applies a word and its modifier to the display state. The lookup comes
// first, so an unknown word changes nothing. A modifier that would carry the
// code past the last print format is ignored, so that no printer ever sees
// a code it has no format for.
void applyFormat(std::string_view word, std::string_view modifier) {
  if (word.empty()) {
    SetPrtfmt(kShort);
    std::strcpy(GetNewline(), "\n");
    return;
  }
  const FormatWord *found = nullptr;
  for (const FormatWord &w : kWords) {
    if (w.word == word) {
      found = &w;
      break;
    }
  }
  if (found == nullptr) qxErrMsg(QX_MSG_INVALID_OPTION);
  if (found->code != 0) SetPrtfmt(found->code);
  if (found->newlineText != nullptr) std::strcpy(GetNewline(), found->newlineText);
  for (const FormatModifier &m : kModifiers) {
    if (m.word == modifier && GetPrtfmt() + m.shift <= kLastPrintFormat) SetPrtfmt(GetPrtfmt() + m.shift);
  }
}

}  // namespace

void formatHandler(int nlhs, qxArray *[], int nrhs, qxArray *prhs[]) {
  qxCheckNumArgs(nlhs, 0, nrhs, 0, 2);
  const OwnedText word = optionText(nrhs, prhs, 0);
  const OwnedText modifier = optionText(nrhs, prhs, 1);
  applyFormat(word.get(), modifier.get());
}

}  // namespace zq::display
