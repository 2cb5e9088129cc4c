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
using enum fileio::FileIoOp;

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
    entry("strcmp", strings::compareEntry<strings::kStrcmp>, kCompare),
    entry("strcmpi", strings::compareEntry<strings::kStrcmpi>, kCompare),
    entry("strncmp", strings::compareEntry<strings::kStrncmp>, kCompare),
    entry("strncmpi", strings::compareEntry<strings::kStrncmpi>, kCompare),
    entry("findstr", strings::findstrHandler, kAnyValue),
    entry("strfind", strings::strfindHandler, kAnyValue),
    entry("strrep", strings::strrepHandler, kAnyValue),
    entry("clock", session::clockHandler, kAnyValue),
    entry("cputime", session::cputimeHandler, kAnyValue),
    entry("double", session::conversionEntry<QX_CODE_DOUBLE, QX_CLASS_DOUBLE>, kAnyValue),
    entry("single", session::conversionEntry<QX_CODE_SINGLE, QX_CLASS_SINGLE>, kAnyValue),
    entry("uint8", session::conversionEntry<QX_CODE_UINT8, QX_CLASS_UINT8>, kAnyValue),
    entry("uint16", session::conversionEntry<QX_CODE_UINT16, QX_CLASS_UINT16>, kAnyValue),
    entry("uint32", session::conversionEntry<QX_CODE_UINT32, QX_CLASS_UINT32>, kAnyValue),
    entry("int8", session::conversionEntry<QX_CODE_INT8, QX_CLASS_INT8>, kAnyValue),
    entry("int16", session::conversionEntry<QX_CODE_INT16, QX_CLASS_INT16>, kAnyValue),
    entry("int32", session::conversionEntry<QX_CODE_INT32, QX_CLASS_INT32>, kAnyValue),
    entry("func2str", session::func2strHandler, kHandleOnly),
    entry("functions", session::functionsHandler, kHandleOnly),
    entry("str2func", session::str2funcHandler, kTextOrCell),
    entry("feature", session::featureHandler, kTextOption),
    entry("getenv", session::getenvHandler, kTextOnly),
    entry("beep", session::beepHandler, kTextOption),
    entry("isstr", session::classTestHandler<session::ClassTest::Char>, kAnyValue),
    entry("ischar", session::classTestHandler<session::ClassTest::Char>, kAnyValue),
    entry("setstr", strings::setstrHandler, kFileText),
    entry("string", strings::stringHandler, kFileText),
    entry("computer", session::computerHandler, kAnyValue),
    entry("isglobal", session::classTestHandler<session::ClassTest::Global>, kAnyValue),
    entry("lasterr", session::lastMessageHandler<session::LastMessage::Error>, kTextOption),
    entry("lastwarn", session::lastMessageHandler<session::LastMessage::Warning>, kTextOption),
    entry("islogical", session::classTestHandler<session::ClassTest::Logical>, kAnyValue),
    entry("issparse", session::classTestHandler<session::ClassTest::Sparse>, kAnyValue),
    entry("isreal", session::classTestHandler<session::ClassTest::Real>, kAnyValue),
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
