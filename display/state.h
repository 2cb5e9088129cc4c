// The process-wide display state that every printer reads: the print
// format, the newline string of loose/compact output, the one-shot header
// flag and the host's callbacks.
#pragma once

#include "builtins/zqbuiltins.h"

namespace zq::display {

// Print format codes; the numbers are what SetPrtfmt takes and GetPrtfmt
// returns.
enum PrintFormat : int {
  kShort = 1,
  kLong = 2,
  kShortE = 3,
  kLongE = 4,
  kShortG = 5,
  kLongG = 6,
  kHex = 7,
  kBank = 8,
  kPlus = 9,
  kRational = 10,
  kDebug = 11,
  kLastPrintFormat = kDebug
};

// The print format the printers use: the stored code, or short when the
// stored code is outside 1..11 (SetPrtfmt stores any value unchecked).
int printFormat();

// "\n" in loose mode, "" in compact mode.
const char *newline();

// Returns the header flag and re-arms it: a printer calls this once to
// learn whether it should write the "name =" line itself.
bool takeHeaderFlag();
// Tells the next printer that its caller has dealt with the name line.
void clearHeaderFlag();

// The callbacks the host installed (both null until it does).
const PrtCallbacks &printCallbacks();

}  // namespace zq::display
