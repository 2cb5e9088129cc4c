// The exported list printers and delete handler, until the directory
// commands are built.
#include "builtins/zqbuiltins.h"

extern "C" {
int bnPrintList(const char *, char *, int, int) { qxErrMsgTxt("dir is not available yet."); }
uint8_t bnPrintDirectoryList(const char *, const char *, int, const char *, int, qxArray **) {
  qxErrMsgTxt("dir is not available yet.");
}
void bnFullDeleteFcn(int, qxArray *[], int, qxArray *[]) { qxErrMsgTxt("delete is not available yet."); }
}
