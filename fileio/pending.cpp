// Operations of this subsystem that are registered but not built yet.
#include "builtins/file_io.h"
#include "builtins/zqbuiltins.h"
#include "fileio/operations.h"

namespace zq::fileio {
int freadOperation(FiRequest &, FileTable &, TransferDescriptor &) { builtins::notAvailableYet("fread"); }
int fwriteOperation(FiRequest &, FileTable &, TransferDescriptor &) { builtins::notAvailableYet("fwrite"); }
int fgetsOperation(FiRequest &, FileTable &, TransferDescriptor &) { builtins::notAvailableYet("fgets"); }
int fseekOperation(FiRequest &, FileTable &, TransferDescriptor &) { builtins::notAvailableYet("fseek"); }
int ftellOperation(FiRequest &, FileTable &, TransferDescriptor &) { builtins::notAvailableYet("ftell"); }
int ferrorOperation(FiRequest &, FileTable &, TransferDescriptor &) { builtins::notAvailableYet("ferror"); }
int fflushOperation(FiRequest &, FileTable &, TransferDescriptor &) { builtins::notAvailableYet("fflush"); }
int feofOperation(FiRequest &, FileTable &, TransferDescriptor &) { builtins::notAvailableYet("feof"); }

TransferDescriptor &transferDescriptor() {
  static TransferDescriptor transfer;
  return transfer;
}

}  // namespace zq::fileio

