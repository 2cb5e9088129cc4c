// The shell's tokenizer, parser and evaluator on fuzzed scripts, each run
// with a budget of statements and a cap on array sizes in a scratch
// directory (the target moves there at its first input, so corpus
// directories must be given by absolute paths). Builtins that reach
// beyond it (changing or listing directories, deleting, opening a path
// rather than a plain name) are refused.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz/fuzz_support.h"
#include "shell/arrays.h"
#include "shell/session.h"
#include "zqhost/host.h"

namespace {

[[noreturn]] void refuse(int, qxArray *[], int, qxArray *[]) { zqhost::raise("Not available while fuzzing."); }

BuiltinFcn openFile = nullptr;

// fopen of a plain name in the scratch directory, or of a fid or 'all'.
void openPlainName(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  if (nrhs >= 1 && qxIsChar(prhs[0])) {
    const qxChar *codes = qxGetChars(prhs[0]);
    const int n = qxGetNumberOfElements(prhs[0]);
    bool plain = n > 0 && codes[0] != '.';
    for (int i = 0; i < n; ++i) {
      const qxChar c = codes[i];
      plain =
          plain && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.');
    }
    if (!plain) zqhost::raise("Not available while fuzzing.");
  }
  openFile(nlhs, plhs, nrhs, prhs);
}

BuiltinEntry replaced(const char *name, BuiltinFcn fcn) {
  BuiltinEntry e{name, {}};
  for (int code = 1; code < QX_BUILTIN_SLOTS; ++code) e.slots[code] = fcn;
  return e;
}

void sandbox() {
  static char pattern[] = "/tmp/zqfuzz-shell-XXXXXX";
  if (mkdtemp(pattern) == nullptr || chdir(pattern) != 0) std::abort();
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(pattern, ignored);
  });
  setenv("ZQPATH", "", 1);
  openFile = zqhost::findBuiltin("fopen")->slots[QX_CODE_CHAR];
  static const BuiltinEntry table[] = {replaced("cd", refuse), replaced("chdir", refuse), replaced("delete", refuse),
                                       replaced("dir", refuse), replaced("fopen", openPlainName)};
  BuiltinEntry &open = const_cast<BuiltinEntry &>(table[4]);
  for (int code = 1; code < QX_BUILTIN_SLOTS; ++code) open.slots[code] = zqhost::findBuiltin("fopen")->slots[code];
  open.slots[QX_CODE_CHAR] = openPlainName;
  qxGetRegisterInternalFcnsFcn()(static_cast<int>(std::size(table)), table);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size) {
  zqfuzz::setUp();
  static const bool ready = [] {
    sandbox();
    // Every statement stays quick: no array beyond 100,000 elements.
    zq::shell::limitElements(1e5);
    return true;
  }();
  (void)ready;
  const std::string script(reinterpret_cast<const char *>(bytes), size);
  {
    zq::shell::Session session;
    session.evaluator().limitStatements(2000);
    session.run(script, true);
  }
  // What a script leaves behind must not reach the next one.
  const zqfuzz::Array all = zqfuzz::text("all");
  zqfuzz::call("fclose", 1, {all.get()});
  zqfuzz::call("format", 0, {});
  zqhost::clearInterrupt();
  return 0;
}
