// The display state and its exported accessors. The state is initialised
// statically (short, loose), so no start-up call is needed.
#include "display/state.h"

#include <cstring>

namespace zq::display {
namespace {

int storedFormat = kShort;
char newlineBuffer[4] = "\n";
bool headerFlag = true;
PrtCallbacks callbacks = {nullptr, nullptr};

}  // namespace

int printFormat() { return storedFormat >= kShort && storedFormat <= kLastPrintFormat ? storedFormat : kShort; }

const char *newline() { return newlineBuffer; }

bool takeHeaderFlag() {
  const bool was = headerFlag;
  headerFlag = true;
  return was;
}

void clearHeaderFlag() { headerFlag = false; }

const PrtCallbacks &printCallbacks() { return callbacks; }

}  // namespace zq::display

extern "C" {

void SetPrtfmt(int code) { zq::display::storedFormat = code; }
int GetPrtfmt(void) { return zq::display::storedFormat; }
char *GetNewline(void) { return zq::display::newlineBuffer; }

void bnSetPrtCallbacks(const PrtCallbacks *record) {
  if (record != nullptr) zq::display::callbacks = *record;
}

}  // extern "C"
