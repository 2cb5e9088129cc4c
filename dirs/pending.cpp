// Builtins of this subsystem that are registered but not built yet.
#include "builtins/file_io.h"
#include "builtins/zqbuiltins.h"
#include "dirs/handlers.h"

namespace zq::dirs {
void cdHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("cd"); }
void dirHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("dir"); }
}  // namespace zq::dirs

extern "C" {
int bnPrintList(const char *, char *, int, int) { zq::builtins::notAvailableYet("dir"); }
uint8_t bnPrintDirectoryList(const char *, const char *, int, const char *, int, qxArray **) {
  zq::builtins::notAvailableYet("dir");
}
void bnFullDeleteFcn(int, qxArray *[], int, qxArray *[]) { zq::builtins::notAvailableYet("delete"); }
}
