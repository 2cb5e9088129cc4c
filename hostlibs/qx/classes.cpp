// Class names and function handles.
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

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

}  // namespace zqhost

extern "C" {

const char *qxFunctionHandleToString(const void *record) {
  const auto *r = static_cast<const qxFunctionHandleRecord *>(record);
  return r->text == nullptr ? "" : r->text;
}

// A handle names a function: letters, digits and underscores after a letter;
// a leading @ is dropped.
void qxFunctionHandleFromString(void *record, const char *text) {
  std::string name = text == nullptr ? "" : text;
  if (!name.empty() && name[0] == '@') name.erase(0, 1);
  bool valid = !name.empty() && std::isalpha(static_cast<unsigned char>(name[0]));
  for (char c : name) valid = valid && (std::isalnum(static_cast<unsigned char>(c)) || c == '_');
  if (!valid) zqhost::raise("Invalid function name '" + std::string(text == nullptr ? "" : text) + "'.");
  auto *r = static_cast<qxFunctionHandleRecord *>(record);
  std::free(r->text);
  r->text = strdup(name.c_str());
}

qxArray *qxFunctionHandleToStruc(const void *record) {
  const char *names[] = {"function", "type", "file"};
  qxArray *s = qxCreateStructMatrix(1, 1, 3, names);
  if (s == nullptr) return nullptr;
  qxSetFieldByNumber(s, 0, 0, qxCreateString(qxFunctionHandleToString(record)));
  qxSetFieldByNumber(s, 0, 1, qxCreateString("simple"));
  qxSetFieldByNumber(s, 0, 2, qxCreateString(""));
  return s;
}

}  // extern "C"
