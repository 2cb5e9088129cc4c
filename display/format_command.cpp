// The format builtin: chooses the number format of the numeric printer and
// loose or compact spacing.
#include <cstring>
#include <string_view>

#include "common/arguments.h"
#include "display/handlers.h"
#include "display/state.h"

namespace zq::display {
namespace {

// One word of format: the print format it selects (0: unchanged) and the
// newline string it installs (null: unchanged).
struct FormatWord {
  std::string_view name;
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
  std::string_view name;
  int shift;
};
constexpr FormatModifier kModifiers[] = {{"e", 2}, {"g", 4}};

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
  const FormatWord &found = common::checkOption<FormatWord>(word, kWords, QX_MSG_INVALID_OPTION);
  if (found.code != 0) SetPrtfmt(found.code);
  if (found.newlineText != nullptr) std::strcpy(GetNewline(), found.newlineText);
  const FormatModifier *shift = common::findOption<FormatModifier>(modifier, kModifiers);
  if (shift != nullptr && GetPrtfmt() + shift->shift <= kLastPrintFormat) SetPrtfmt(GetPrtfmt() + shift->shift);
}

}  // namespace

void formatHandler(int nlhs, qxArray *[], int nrhs, qxArray *prhs[]) {
  qxCheckNumArgs(nlhs, 0, nrhs, 0, 2);
  const common::HostText word = common::optionalText(nrhs, prhs, 0, QX_MSG_NOT_A_STRING);
  const common::HostText modifier = common::optionalText(nrhs, prhs, 1, QX_MSG_NOT_A_STRING);
  applyFormat(word.get(), modifier.get());
}

}  // namespace zq::display
