// The error raised by builtins that are registered but not built yet.
#include "builtins/file_io.h"

namespace zq::builtins {

void notAvailableYet(const char *name) { qxErrMsgTxt("%s is not available yet.", name); }

}  // namespace zq::builtins
