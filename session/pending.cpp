// Builtins of this subsystem that are registered but not built yet.
#include "builtins/file_io.h"
#include "session/handlers.h"

namespace zq::session {
void doubleHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("double"); }
void singleHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("single"); }
void uint8Handler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("uint8"); }
void uint16Handler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("uint16"); }
void uint32Handler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("uint32"); }
void int8Handler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("int8"); }
void int16Handler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("int16"); }
void int32Handler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("int32"); }
void func2strHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("func2str"); }
void functionsHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("functions"); }
void str2funcHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("str2func"); }
void clockHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("clock"); }
void cputimeHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("cputime"); }
void getenvHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("getenv"); }
void computerHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("computer"); }
void zelmarrootHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("zelmarroot"); }
void beepHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("beep"); }
void featureHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("feature"); }
void ischarHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("ischar"); }
void isglobalHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("isglobal"); }
void islogicalHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("islogical"); }
void issparseHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("issparse"); }
void isrealHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("isreal"); }
void warningHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("warning"); }
void lasterrHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("lasterr"); }
void lastwarnHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("lastwarn"); }
}  // namespace zq::session
