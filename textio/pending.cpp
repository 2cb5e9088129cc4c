// Operations of this subsystem that are registered but not built yet.
#include "builtins/file_io.h"
#include "textio/operations.h"

namespace zq::textio {
int fscanfOperation(FiRequest &, FileTable &, TransferDescriptor &) { builtins::notAvailableYet("fscanf"); }
int sscanfOperation(FiRequest &, FileTable &, TransferDescriptor &) { builtins::notAvailableYet("sscanf"); }
}  // namespace zq::textio
