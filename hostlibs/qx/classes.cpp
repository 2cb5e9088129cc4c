// Class names, function handles and the sizes objects report.
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "array_impl.h"
#include "zqhost/host.h"

namespace zqhost {

const char *classNameOf(int classId) {
  switch (classId) {
    case QX_CLASS_CELL: return "cell";
    case QX_CLASS_STRUCT: return "struct";
    case QX_CLASS_OBJECT: return "object";
    case QX_CLASS_CHAR: return "char";
    case QX_CLASS_SPARSE: return "sparse";
    case QX_CLASS_DOUBLE: return "double";
    case QX_CLASS_SINGLE: return "single";
    case QX_CLASS_INT8: return "int8";
    case QX_CLASS_UINT8: return "uint8";
    case QX_CLASS_INT16: return "int16";
    case QX_CLASS_UINT16: return "uint16";
    case QX_CLASS_INT32: return "int32";
    case QX_CLASS_UINT32: return "uint32";
    case QX_CLASS_FUNCTION: return "function_handle";
    case QX_CLASS_OPAQUE: return "opaque";
    default: return "unknown";
  }
}

AnonymousFunction::~AnonymousFunction() = default;

namespace {

AnonymousFunctionMaker anonymousMaker = nullptr;

// A record's anonymous function lives in a shared pointer of its own, so
// that copies of a handle share one function and its captured values.
AnonymousFunctionPtr *holderOf(const void *record) {
  return static_cast<AnonymousFunctionPtr *>(static_cast<const qxFunctionHandleRecord *>(record)->anonymous);
}

// Empties a record: its text and its anonymous function go.
void clearRecord(qxFunctionHandleRecord *r) {
  std::free(r->text);
  delete static_cast<AnonymousFunctionPtr *>(r->anonymous);
  r->text = nullptr;
  r->anonymous = nullptr;
}

// Fills record with a copy of text and, for an anonymous function, fn.
void fill(void *record, const char *text, const AnonymousFunctionPtr &fn) {
  auto *r = static_cast<qxFunctionHandleRecord *>(record);
  char *copy = strdup(text);
  auto *holder = fn ? new (std::nothrow) AnonymousFunctionPtr(fn) : nullptr;
  if (copy == nullptr || (fn && holder == nullptr)) {
    std::free(copy);
    delete holder;
    raise(messageText(QX_MSG_OUT_OF_MEMORY));
  }
  clearRecord(r);
  r->text = copy;
  r->anonymous = holder;
}

// "@(" or "@" and blanks then "(": the start of an anonymous function.
bool startsAnonymous(std::string_view text) {
  if (text.empty() || text[0] != '@') return false;
  const size_t open = text.find_first_not_of(" \t", 1);
  return open != std::string_view::npos && text[open] == '(';
}

}  // namespace

bool isName(std::string_view text) {
  if (text.empty() || !std::isalpha(static_cast<unsigned char>(text[0]))) return false;
  for (char c : text) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
  }
  return true;
}

void setAnonymousFunctionMaker(AnonymousFunctionMaker maker) { anonymousMaker = maker; }

const AnonymousFunction *anonymousFunction(const void *record) {
  const AnonymousFunctionPtr *holder = holderOf(record);
  return holder == nullptr ? nullptr : holder->get();
}

const AnonymousFunction *anonymousFunctionOf(const qxArray *handle) {
  if (handle->classId != QX_CLASS_FUNCTION || handle->dims.count() != 1) return nullptr;
  return anonymousFunction(handle->pr);
}

void setAnonymousFunction(void *record, AnonymousFunctionPtr fn) { fill(record, fn->text().c_str(), fn); }

void copyFunctionHandle(void *record, const void *source) {
  const auto *s = static_cast<const qxFunctionHandleRecord *>(source);
  if (s->text == nullptr) {
    clearRecord(static_cast<qxFunctionHandleRecord *>(record));
    return;
  }
  const AnonymousFunctionPtr *holder = holderOf(source);
  fill(record, s->text, holder == nullptr ? nullptr : *holder);
}

void releaseHandles(qxFunctionHandleRecord *records, int n) {
  for (int i = 0; i < n; ++i) clearRecord(&records[i]);
}

const std::vector<double> *reportedSize(const qxArray *object) {
  if (!object->extras || !object->extras->reportedSize) return nullptr;
  return &*object->extras->reportedSize;
}

void setReportedSize(qxArray *object, std::vector<double> size) { object->more().reportedSize = std::move(size); }

}  // namespace zqhost

extern "C" {

const char *qxFunctionHandleToString(const void *record) {
  const auto *r = static_cast<const qxFunctionHandleRecord *>(record);
  return r->text == nullptr ? "" : r->text;
}

// A name (a leading @ is dropped) or, when the shell has said how to make
// them, an anonymous function.
void qxFunctionHandleFromString(void *record, const char *text) {
  const std::string_view given = text == nullptr ? "" : text;
  if (zqhost::startsAnonymous(given) && zqhost::anonymousMaker != nullptr) {
    if (zqhost::AnonymousFunctionPtr fn = zqhost::anonymousMaker(given)) {
      zqhost::setAnonymousFunction(record, std::move(fn));
      return;
    }
  }
  const std::string name(given.substr(given.starts_with('@') ? 1 : 0));
  if (!zqhost::isName(name)) zqhost::raise("Invalid function name '" + std::string(given) + "'.");
  zqhost::fill(record, name.c_str(), nullptr);
}

// function, type and file; an anonymous function adds its workspace.
qxArray *qxFunctionHandleToStruc(const void *record) {
  const zqhost::AnonymousFunction *fn = zqhost::anonymousFunction(record);
  const char *names[] = {"function", "type", "file", "workspace"};
  qxArray *s = qxCreateStructMatrix(1, 1, fn == nullptr ? 3 : 4, names);
  if (s == nullptr) return nullptr;
  qxSetFieldByNumber(s, 0, 0, qxCreateString(qxFunctionHandleToString(record)));
  qxSetFieldByNumber(s, 0, 1, qxCreateString(fn == nullptr ? "simple" : "anonymous"));
  qxSetFieldByNumber(s, 0, 2, qxCreateString(""));
  if (fn != nullptr) qxSetFieldByNumber(s, 0, 3, fn->workspace());
  return s;
}

}  // extern "C"
