// Failure injection for the tests. In a build configured with
// ZQ_FAULT_INJECTION the host's allocator, and the stream calls that a test
// program wraps, can be told to fail on their n-th call, so that a test can
// walk a script through every failure it can meet. In other builds every
// check is a constant false and compiles away.
#pragma once

namespace zqhost::faults {

enum class Kind {
  kAllocation,  // the host's allocators (and, in test programs, operator new)
  kStream,      // fopen, fread, fwrite, fflush, fclose, fseek, ftell
};

#if defined(ZQ_FAULT_INJECTION)
inline constexpr bool kEnabled = true;
// From now on the n-th call of that kind fails (n >= 1); 0 disarms. The
// calls are counted afresh.
void failAt(Kind kind, long n);
// Counts one call of that kind; true when it is the one that must fail.
bool due(Kind kind);
// Calls of that kind counted since the last failAt.
long calls(Kind kind);
// Whether the failure armed by the last failAt has happened.
bool fired(Kind kind);
#else
inline constexpr bool kEnabled = false;
inline bool due(Kind) { return false; }
#endif

}  // namespace zqhost::faults
