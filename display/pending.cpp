// Printers of this subsystem that are not built yet. They raise so that the
// shell's own fallback shows the value; disp (the "" name) says so in its
// own name.
#include "builtins/file_io.h"
#include "builtins/zqbuiltins.h"
#include "display/handlers.h"
#include "display/printers.h"

namespace zq::display {
void cellDisplayHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("display"); }
void structDisplayHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("display"); }
void opaqueDisplayHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("display"); }

void printNonNumericValue(const char *name, const qxArray *) {
  builtins::notAvailableYet(name != nullptr && *name == '\0' ? "disp" : "display");
}
void printPages(const qxArray *) { builtins::notAvailableYet("display"); }
}  // namespace zq::display

extern "C" {
void bnPrintCellArray(const char *, const qxArray *) { zq::builtins::notAvailableYet("display"); }
void bnPrintStructure(const char *, const qxArray *) { zq::builtins::notAvailableYet("display"); }
void bnPrintFunObjArray(const char *, const qxArray *) { zq::builtins::notAvailableYet("display"); }
}
