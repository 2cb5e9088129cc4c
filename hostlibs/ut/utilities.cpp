// libut: allocation, command-window output, interrupts, numbers, time, text.
#include <sys/resource.h>
#include <sys/time.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "host/ut.h"
#include "zqhost/faults.h"
#include "zqhost/host.h"

namespace zqhost {
namespace {
std::atomic<bool> interruptRequested{false};
bool interruptsEnabled = true;
}  // namespace

void requestInterrupt() { interruptRequested = true; }
void clearInterrupt() { interruptRequested = false; }
bool interruptPending() { return interruptRequested; }

}  // namespace zqhost

extern "C" {

using zqhost::faults::due;
using zqhost::faults::Kind;

void *utMalloc(size_t size) { return due(Kind::kAllocation) ? nullptr : std::malloc(size == 0 ? 1 : size); }
void *utCalloc(size_t n, size_t size) {
  return due(Kind::kAllocation) ? nullptr : std::calloc(n == 0 ? 1 : n, size == 0 ? 1 : size);
}

void *utCallocWithCheck(size_t n, size_t size) {
  void *p = utCalloc(n, size);
  if (p == nullptr) qxErrMsg(QX_MSG_OUT_OF_MEMORY);
  return p;
}

void utFree(void *p) { qxFree(p); }

int utPrintf(const char *format, ...) {
  va_list args;
  va_start(args, format);
  const int n = std::vprintf(format, args);
  va_end(args);
  return n;
}

int utPuts(const char *text) { return std::fputs(text, stdout); }

uint8_t utSetInterruptEnabled(int flag) {
  const bool previous = zqhost::interruptsEnabled;
  zqhost::interruptsEnabled = flag != 0;
  return previous ? 1 : 0;
}

void utLongjmpIfInterruptPending(void) {
  if (zqhost::interruptsEnabled && zqhost::interruptRequested.exchange(false)) throw zqhost::Interrupt();
}

int utIsNaN(double x) { return std::isnan(x); }
int utFinite(double x) { return std::isfinite(x); }
int utIsMinusInf(double x) { return std::isinf(x) && x < 0; }
int utSignBit(double x) { return std::signbit(x) ? 1 : 0; }
double utFix(double x) { return std::trunc(x); }
double utRound(double x) { return std::round(x); }

void *utGetFpcContext(void) { return nullptr; }

int ut_strtod(void *, const char *s, char **end, double *value) {
  *value = std::strtod(s, end);
  return 0;
}

void utWallClock(double out[6]) {
  timeval now{};
  gettimeofday(&now, nullptr);
  const time_t seconds = now.tv_sec;
  tm local{};
  localtime_r(&seconds, &local);
  out[0] = local.tm_year + 1900;
  out[1] = local.tm_mon + 1;
  out[2] = local.tm_mday;
  out[3] = local.tm_hour;
  out[4] = local.tm_min;
  out[5] = local.tm_sec + now.tv_usec / 1e6;
}

double utCPUtime(void) {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

char *utLowerCase(char *s) {
  for (char *p = s; *p != '\0'; ++p) {
    if (*p >= 'A' && *p <= 'Z') *p = static_cast<char>(*p - 'A' + 'a');
  }
  return s;
}

int utIsMultiByteCharSet(void) { return 0; }
int utIsMultiByteLead(int) { return 0; }

// Error protection: the host unwinds errors as exceptions, so a protected
// region needs no jump data; these keep the calling convention.
void *utGetSetjmpData(void) { return nullptr; }
utExceptionFcn utSetExceptionFcn(utExceptionFcn) { return nullptr; }
void *utGetErrorContext(void) { return nullptr; }
void ut_prevent_further_cleanup_fcn(void) {}
void ut_allow_further_cleanup_fcn(void) {}

// Doubles are stored little-endian with the low word first.
int utGetFormatType(void) { return 0; }

void *utIncrVoidPtr(void *p, int i, size_t size) {
  return static_cast<char *>(p) + static_cast<ptrdiff_t>(i) * static_cast<ptrdiff_t>(size);
}

}  // extern "C"
