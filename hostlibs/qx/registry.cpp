// Registration of builtin tables, dispatch of a call by the class code of
// its first input, and the per-call allocation list.
#include <algorithm>
#include <cstdlib>
#include <exception>
#include <string>
#include <unordered_map>
#include <vector>

#include "zqhost/faults.h"
#include "zqhost/host.h"

namespace zqhost {
namespace {

struct Registry {
  std::unordered_map<std::string_view, const BuiltinEntry *> byName;
  int count = 0;
};

Registry &registry() {
  static Registry r;
  return r;
}

int registerTable(int count, const BuiltinEntry *table) {
  for (int i = 0; i < count; ++i) registry().byName[table[i].name] = &table[i];
  registry().count += count;
  return 1;
}

// Blocks put on the allocation list by the calls that are running.
std::vector<std::vector<void *>> &callFrames() {
  static std::vector<std::vector<void *>> frames;
  return frames;
}

// The slot that serves a class code: objects are served by the structure
// slot, the placeholder code by the cell slot.
int slotOf(int code) {
  if (code == QX_CODE_OBJECT) return QX_CODE_STRUCT;
  if (code == QX_CODE_PLACEHOLDER) return QX_CODE_CELL;
  return code;
}

const char *classNameForError(int nrhs, qxArray *prhs[]) { return nrhs == 0 ? "none" : qxGetClassName(prhs[0]); }

}  // namespace

const BuiltinEntry *findBuiltin(std::string_view name) {
  const auto it = registry().byName.find(name);
  return it == registry().byName.end() ? nullptr : it->second;
}

int registeredBuiltinCount() { return registry().count; }

std::vector<std::string_view> registeredBuiltinNames() {
  std::vector<std::string_view> names;
  names.reserve(registry().byName.size());
  for (const auto &entry : registry().byName) names.push_back(entry.first);
  return names;
}

CallFrame::CallFrame() : unwinding_(std::uncaught_exceptions()) { callFrames().emplace_back(); }

CallFrame::~CallFrame() {
  auto &frames = callFrames();
  if (std::uncaught_exceptions() > unwinding_) {
    for (void *block : frames.back()) std::free(block);
  }
  frames.pop_back();
}

void callHandler(const BuiltinEntry &entry, int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  const int code = nrhs == 0 ? QX_CODE_NO_INPUT : slotOf(qxGetClassCode(prhs[0]));
  const BuiltinFcn fcn = code > 0 && code < QX_BUILTIN_SLOTS ? entry.slots[code] : nullptr;
  if (fcn == nullptr) {
    raise(std::string("Undefined function '") + entry.name + "' for input arguments of type '" +
          classNameForError(nrhs, prhs) + "'.");
  }
  fcn(nlhs, plhs, nrhs, prhs);
}

void callBuiltin(const BuiltinEntry &entry, int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  const CallFrame frame;
  callHandler(entry, nlhs, plhs, nrhs, prhs);
}

// Forgets a block that its owner frees itself.
void forgetAllocation(void *block) {
  auto &frames = callFrames();
  if (frames.empty()) return;
  auto &list = frames.back();
  const auto it = std::find(list.begin(), list.end(), block);
  if (it != list.end()) list.erase(it);
}

}  // namespace zqhost

extern "C" {

qxRegisterFcn qxGetRegisterInternalFcnsFcn(void) { return zqhost::registerTable; }

using zqhost::faults::due;
using zqhost::faults::Kind;

void *qxCalloc(size_t n, size_t size) {
  return due(Kind::kAllocation) ? nullptr : std::calloc(n == 0 ? 1 : n, size == 0 ? 1 : size);
}
void *qxMalloc(size_t size) { return due(Kind::kAllocation) ? nullptr : std::malloc(size == 0 ? 1 : size); }
void *qxRealloc(void *p, size_t size) {
  return due(Kind::kAllocation) ? nullptr : std::realloc(p, size == 0 ? 1 : size);
}

void qxFree(void *p) {
  if (p == nullptr) return;
  zqhost::forgetAllocation(p);
  std::free(p);
}

void qxAddToAllocList(void *block) {
  auto &frames = zqhost::callFrames();
  if (!frames.empty() && block != nullptr) frames.back().push_back(block);
}

}  // extern "C"
