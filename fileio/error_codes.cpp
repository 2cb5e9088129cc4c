// The texts of the file-I/O error codes, indexed by -code.
#include "fileio/error_codes.h"

#include <iterator>

namespace zq::fileio {
namespace {

constexpr const char *kNoHelp = "Sorry. No help in figuring out the problem . . .";

constexpr const char *kMessages[] = {
    "",
    kNoHelp,
    "Cannot open file. Existence? Permissions? Memory? . . .",
    "Is the file open for reading? . . .",
    "At end-of-file.",
    "Is the file open for writing? . . .",
    "No more space? . . .",
    "Error on flush.",
    "Invalid format.",
    "Matching failure in format.",
    "Format size too big - couldn't allocate memory.",
    "Not enough memory to print number.",
    "Not enough memory to print string.",
    "Not enough arguments for format.",
    "Unsupported directive in format.",
    "Bad width - NaN.",
    "Bad width - -Inf.",
    "Bad width - Inf.",
    "Bad width - outside range of integer.",
    "Bad width - empty argument.",
    "Bad precision - NaN.",
    "Bad precision - -Inf.",
    "Bad precision - Inf.",
    "Bad precision - outside range of integer.",
    "Bad precision - empty argument.",
    "Offset is bad - NaN.",
    "Offset is bad - before beginning-of-file.",
    "Offset is bad - after end-of-file or last character written.",
    "Offset not an integer.",
    "Empty argument.",
    "Ungetc failed.",
    "Write of carry byte failed.",
    "Operation requires a binary file.",
    "Fseek failed with 0 offset from current.",
    "Read on update failed.",
    "Fseek failed with -1 offset from current.",
    "Fseek failed for skip on write.",
    "Internal error - please report this problem to the KORVANE!",
};
static_assert(std::size(kMessages) == 1 - kErrInternal, "one text per code from 0 to -37");

}  // namespace

// Codes outside 0..-37 (errno values and stream indicators) have no text of
// their own.
const char *messageForCode(int code) {
  if (code > 0 || code < kErrInternal) return kNoHelp;
  return kMessages[-code];
}

}  // namespace zq::fileio
