// libut: the host's utility library (allocation, command-window output,
// interrupts, number tests, time, machine data formats, error protection).
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "host/qx.h"

#ifdef __cplusplus
extern "C" {
#endif

// ---- Memory -------------------------------------------------------------
void *utMalloc(size_t size);
void *utCalloc(size_t n, size_t size);
// Like utCalloc, but raises "Out of memory." instead of returning null.
void *utCallocWithCheck(size_t n, size_t size);
void utFree(void *p);

// ---- Command-window output (standard output through C stdio) -----------
int utPrintf(const char *format, ...) QX_PRINTF(1, 2);
int utPuts(const char *text);  // writes text as it is, no newline added

// ---- Interrupts ---------------------------------------------------------
uint8_t utSetInterruptEnabled(int flag);  // returns the previous setting
// Leaves the call with an interrupt when the user has pressed Ctrl-C.
void utLongjmpIfInterruptPending(void);

// ---- Numbers ------------------------------------------------------------
int utIsNaN(double x);
int utFinite(double x);
int utIsMinusInf(double x);
int utSignBit(double x);
double utFix(double x);    // truncate toward zero
double utRound(double x);  // round half away from zero
void *utGetFpcContext(void);
// Parses a number exactly as the C library's strtod does; *end receives the
// position after it (s when nothing was parsed). Returns the code 0.
int ut_strtod(void *fpcContext, const char *s, char **end, double *value);

// ---- Time ---------------------------------------------------------------
void utWallClock(double out[6]);  // year, month, day, hour, minute, seconds
double utCPUtime(void);

// ---- Text ---------------------------------------------------------------
char *utLowerCase(char *s);
int utIsMultiByteCharSet(void);
int utIsMultiByteLead(int byte);

// ---- Machine formats ----------------------------------------------------
// Precision type codes used by the converters (the file-side types).
enum utPrecisionType {
  UT_TYPE_CHAR = 1,
  UT_TYPE_SCHAR = 2,
  UT_TYPE_SHORT = 3,
  UT_TYPE_INT = 4,
  UT_TYPE_LONG = 5,
  UT_TYPE_UCHAR = 6,
  UT_TYPE_USHORT = 7,
  UT_TYPE_UINT = 8,
  UT_TYPE_ULONG = 9,
  UT_TYPE_FLOAT = 10,
  UT_TYPE_DOUBLE = 11
};
int utGetDataSizeType(void);      // index of the native format
int utGetNumDataSizeTypes(void);  // count; the last index marks "invalid"
const char *utGetDataSizeTypeName(int format);
int utGetDataEndianType(int format);  // 1: most significant byte first
// Converts n values held in 8-byte slots of buffer, in place: from the
// format's representation of type to native doubles, or from native doubles
// to the format's representation when type is negated.
int utDconvert(void *buffer, int n, int type, int format, int flags, int size);
int utDconvertSize(int format, int type);  // bytes of one value
int utDconvertSign(int type);              // 1 when the type is signed

// ---- Error protection and low-level helpers ----------------------------
typedef void (*utExceptionFcn)(void);
void *utGetSetjmpData(void);
utExceptionFcn utSetExceptionFcn(utExceptionFcn fcn);
void *utGetErrorContext(void);
void ut_prevent_further_cleanup_fcn(void);
void ut_allow_further_cleanup_fcn(void);
int utGetFormatType(void);  // word order of a double's image (0..3)
void *utIncrVoidPtr(void *p, int i, size_t size);

#ifdef __cplusplus
}
#endif
