// The library's version and build date, exported as data so that a host can
// read them without calling in. The version comes from the project's one
// version (CMake generates zq_version.h); the date is the compiler's
// "Mmm dd yyyy", which honours SOURCE_DATE_EPOCH for reproducible builds.
#include "builtins/zqbuiltins.h"
#include "zq_version.h"

extern "C" {
const char *libzqbuiltins_version = ZQ_LIBRARY_VERSION;
const char *libzqbuiltins_build_date = __DATE__;
}
