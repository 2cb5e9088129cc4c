// Builtins of this subsystem that are registered but not built yet.
#include "builtins/file_io.h"
#include "display/handlers.h"
#include "builtins/zqbuiltins.h"

namespace zq::display {
void numericDisplayHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("display"); }
void cellDisplayHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("display"); }
void structDisplayHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("display"); }
void opaqueDisplayHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("display"); }
}  // namespace zq::display

extern "C" {
int bnPrintToStringNanOrInf(char *, const double *, int, int) { zq::builtins::notAvailableYet("display"); }
void bnFullPrintFcn(int, qxArray *[], int, qxArray *[]) { zq::builtins::notAvailableYet("display"); }
void bnFullDispFcn(int, qxArray *[], int, qxArray *[]) { zq::builtins::notAvailableYet("disp"); }
void bnPrintMatrixCompact(const qxArray *) { zq::builtins::notAvailableYet("disp"); }
void bnPrintCellArray(const char *, const qxArray *) { zq::builtins::notAvailableYet("display"); }
void bnPrintStructure(const char *, const qxArray *) { zq::builtins::notAvailableYet("display"); }
void bnPrintFunObjArray(const char *, const qxArray *) { zq::builtins::notAvailableYet("display"); }
}
