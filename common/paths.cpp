// File names as the path manager takes them.
#include "common/paths.h"

#include "host/qx.h"

namespace zq::common {

kpPath *mainPath() { return kpLookupPath("ZelmarMainPath"); }

void pathTooLong() { qxErrMsgTxt("Path too long"); }

}  // namespace zq::common
