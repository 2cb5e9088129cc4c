// The shared library's own translation unit: everything else comes from the
// static core, of which the version script exports the public interface.
#include "builtins/zqbuiltins.h"
