// The builtin table: every name the library registers, in registration
// order, with the handler for each class code it accepts. Reading this
// table tells where every builtin lives.
#include <initializer_list>

#include "builtins/file_io.h"
#include "builtins/registry.h"
#include "builtins/zqbuiltins.h"
#include "dirs/handlers.h"
#include "display/handlers.h"
#include "session/handlers.h"
#include "strings/handlers.h"

namespace zq::builtins {
namespace {

using Codes = std::initializer_list<int>;

// The class-code sets that builtins register for.
constexpr Codes kFileText = {1, 2, 4};
constexpr Codes kFilePosition = {1, 2};
constexpr Codes kAnyValue = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16, 17};
constexpr Codes kTextOption = {1, 4};
constexpr Codes kTextOnly = {4};
constexpr Codes kPredicate = {1, 2, 4, 7, 8, 9, 10, 11, 12, 13};
constexpr Codes kCaseChange = {1, 2, 4, 5, 7, 8, 9, 10, 11, 12, 13};
constexpr Codes kCompare = {1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13};
constexpr Codes kHandleOnly = {17};
constexpr Codes kTextOrCell = {4, 5};

// A record with one handler in every slot of codes.
constexpr BuiltinEntry entry(const char *name, BuiltinFcn fcn, Codes codes) {
  BuiltinEntry e{name, {}};
  for (int code : codes) e.slots[code] = fcn;
  return e;
}

// display has a handler of its own for each group of class codes.
constexpr BuiltinEntry displayEntry() {
  BuiltinEntry e{"display", {}};
  for (int code : {1, 3, 4, 17}) e.slots[code] = bnFullPrintFcn;
  for (int code : {2, 7, 8, 9, 10, 11, 12, 13}) e.slots[code] = display::numericDisplayHandler;
  e.slots[5] = display::cellDisplayHandler;
  e.slots[6] = display::structDisplayHandler;
  e.slots[16] = display::opaqueDisplayHandler;
  return e;
}

constexpr BuiltinEntry kTable[] = {
    entry("fopen", fileIoEntry<kOpFopen>, kFileText),
    entry("fclose", fileIoEntry<kOpFclose>, kFileText),
    entry("fread", fileIoEntry<kOpFread>, kFileText),
    entry("fwrite", fileIoEntry<kOpFwrite>, kAnyValue),
    entry("fscanf", fileIoEntry<kOpFscanf>, kFileText),
    entry("fprintf", fileIoEntry<kOpFprintf>, kFileText),
    entry("sscanf", fileIoEntry<kOpSscanf>, kFileText),
    entry("sprintf", fileIoEntry<kOpSprintf>, kFileText),
    entry("fgets", fileIoEntry<kOpFgets>, kFileText),
    entry("fseek", fileIoEntry<kOpFseek>, kFileText),
    entry("ftell", fileIoEntry<kOpFtell>, kFilePosition),
    entry("ferror", fileIoEntry<kOpFerror>, kFileText),
    entry("feof", fileIoEntry<kOpFeof>, kFilePosition),
    entry("chdir", dirs::cdHandler, kTextOption),
    entry("cd", dirs::cdHandler, kTextOption),
    entry("delete", bnFullDeleteFcn, kTextOnly),
    entry("dir", dirs::dirHandler, kTextOption),
    entry("format", display::formatHandler, kTextOption),
    displayEntry(),
    entry("disp", bnFullDispFcn, kAnyValue),
    entry("char", strings::charHandler, kAnyValue),
    entry("isspace", strings::isspaceHandler, kPredicate),
    entry("isletter", strings::isletterHandler, kPredicate),
    entry("upper", strings::upperHandler, kCaseChange),
    entry("lower", strings::lowerHandler, kCaseChange),
    entry("strcmp", strings::strcmpHandler, kCompare),
    entry("strcmpi", strings::strcmpiHandler, kCompare),
    entry("strncmp", strings::strncmpHandler, kCompare),
    entry("strncmpi", strings::strncmpiHandler, kCompare),
    entry("findstr", strings::findstrHandler, kAnyValue),
    entry("strfind", strings::strfindHandler, kAnyValue),
    entry("strrep", strings::strrepHandler, kAnyValue),
    entry("clock", session::clockHandler, kAnyValue),
    entry("cputime", session::cputimeHandler, kAnyValue),
    entry("double", session::doubleHandler, kAnyValue),
    entry("single", session::singleHandler, kAnyValue),
    entry("uint8", session::uint8Handler, kAnyValue),
    entry("uint16", session::uint16Handler, kAnyValue),
    entry("uint32", session::uint32Handler, kAnyValue),
    entry("int8", session::int8Handler, kAnyValue),
    entry("int16", session::int16Handler, kAnyValue),
    entry("int32", session::int32Handler, kAnyValue),
    entry("func2str", session::func2strHandler, kHandleOnly),
    entry("functions", session::functionsHandler, kHandleOnly),
    entry("str2func", session::str2funcHandler, kTextOrCell),
    entry("feature", session::featureHandler, kTextOption),
    entry("getenv", session::getenvHandler, kTextOnly),
    entry("beep", session::beepHandler, kTextOption),
    entry("isstr", session::ischarHandler, kAnyValue),
    entry("ischar", session::ischarHandler, kAnyValue),
    entry("setstr", strings::setstrHandler, kFileText),
    entry("string", strings::stringHandler, kFileText),
    entry("computer", session::computerHandler, kAnyValue),
    entry("isglobal", session::isglobalHandler, kAnyValue),
    entry("lasterr", session::lasterrHandler, kTextOption),
    entry("lastwarn", session::lastwarnHandler, kTextOption),
    entry("islogical", session::islogicalHandler, kAnyValue),
    entry("issparse", session::issparseHandler, kAnyValue),
    entry("isreal", session::isrealHandler, kAnyValue),
    entry("zelmarroot", session::zelmarrootHandler, kAnyValue),
    entry("_colonobj", session::colonobjHandler, kTextOption),
    entry("warning", session::warningHandler, kTextOption),
};

static_assert(std::size(kTable) == kBuiltinCount, "the table holds 62 builtins");

}  // namespace

std::span<const BuiltinEntry> builtinTable() { return kTable; }

}  // namespace zq::builtins

extern "C" uint8_t bnInitialize(void) {
  const auto table = zq::builtins::builtinTable();
  const qxRegisterFcn registerFcn = qxGetRegisterInternalFcnsFcn();
  return static_cast<uint8_t>(registerFcn(static_cast<int>(table.size()), table.data()) & 0xff);
}

extern "C" {
const char *libzqbuiltins_version = "1.0.0.0";
const char *libzqbuiltins_build_date = __DATE__;
}
