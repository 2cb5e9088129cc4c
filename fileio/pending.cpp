// Operations of this subsystem that are registered but not built yet.
#include "builtins/file_io.h"
#include "builtins/zqbuiltins.h"
#include "fileio/operations.h"

namespace zq::fileio {
int fgetsOperation(FiRequest &, FileTable &, TransferDescriptor &) { builtins::notAvailableYet("fgets"); }

TransferDescriptor &transferDescriptor() {
  static TransferDescriptor transfer;
  return transfer;
}

}  // namespace zq::fileio

