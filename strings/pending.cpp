// Builtins of this subsystem that are registered but not built yet.
#include "builtins/file_io.h"
#include "strings/handlers.h"

namespace zq::strings {
void charHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("char"); }
void setstrHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("setstr"); }
void stringHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("string"); }
void isspaceHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("isspace"); }
void isletterHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("isletter"); }
void upperHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("upper"); }
void lowerHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("lower"); }
void strcmpHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("strcmp"); }
void strcmpiHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("strcmpi"); }
void strncmpHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("strncmp"); }
void strncmpiHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("strncmpi"); }
void findstrHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("findstr"); }
void strfindHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("strfind"); }
void strrepHandler(int, qxArray *[], int, qxArray *[]) { builtins::notAvailableYet("strrep"); }
}  // namespace zq::strings
