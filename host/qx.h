// libqx: the host's array library (arrays, errors, warnings, allocation,
// session records, registration of builtins).
//
// The library reaches host arrays only through these calls. Every function
// that raises an error unwinds as a C++ exception; none of them returns.
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define QX_NORETURN __attribute__((noreturn))
#define QX_PRINTF(f, a) __attribute__((format(printf, f, a)))
#else
#define QX_NORETURN
#define QX_PRINTF(f, a)
#endif

typedef struct qxArray_tag qxArray;

// One 16-bit character code of a char array.
typedef uint16_t qxChar;

// Internal class code of an array: selects the handler slot of a builtin.
enum qxClassCode {
  QX_CODE_NEVER = 0,
  QX_CODE_NO_INPUT = 1,
  QX_CODE_DOUBLE = 2,
  QX_CODE_SPARSE = 3,
  QX_CODE_CHAR = 4,
  QX_CODE_CELL = 5,
  QX_CODE_STRUCT = 6,
  QX_CODE_SINGLE = 7,
  QX_CODE_INT8 = 8,
  QX_CODE_UINT8 = 9,
  QX_CODE_INT16 = 10,
  QX_CODE_UINT16 = 11,
  QX_CODE_INT32 = 12,
  QX_CODE_UINT32 = 13,
  QX_CODE_OPAQUE = 16,
  QX_CODE_FUNCTION_HANDLE = 17,
  QX_CODE_OBJECT = 18,
  QX_CODE_PLACEHOLDER = 19  // reserved marker; never displayed
};

// Public class identifiers, used in creation and conversion calls.
enum qxClassID {
  QX_CLASS_UNKNOWN = 0,
  QX_CLASS_CELL = 1,
  QX_CLASS_STRUCT = 2,
  QX_CLASS_OBJECT = 3,
  QX_CLASS_CHAR = 4,
  QX_CLASS_SPARSE = 5,
  QX_CLASS_DOUBLE = 6,
  QX_CLASS_SINGLE = 7,
  QX_CLASS_INT8 = 8,
  QX_CLASS_UINT8 = 9,
  QX_CLASS_INT16 = 10,
  QX_CLASS_UINT16 = 11,
  QX_CLASS_INT32 = 12,
  QX_CLASS_UINT32 = 13,
  QX_CLASS_FUNCTION = 16,
  QX_CLASS_OPAQUE = 17
};

// Scope of a named array.
enum { QX_SCOPE_LOCAL = 0, QX_SCOPE_GLOBAL = 2 };

// The form of every builtin handler. Inputs belong to the caller; outputs
// stored in plhs pass to the host. plhs has at least one slot.
typedef void (*BuiltinFcn)(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);

// Number of handler slots of a builtin record: one per class code 0..17.
#define QX_BUILTIN_SLOTS 18

// One record of a builtin table: the name and the handler for each class
// code (slots[c] serves arrays of class code c; slots[0] is always null).
typedef struct BuiltinEntry {
  const char *name;
  BuiltinFcn slots[QX_BUILTIN_SLOTS];
} BuiltinEntry;

// The host's registration function: takes the table and its record count.
typedef int (*qxRegisterFcn)(int count, const BuiltinEntry *table);

// A function handle record: the handle array's data holds one per element.
typedef struct qxFunctionHandleRecord {
  char *text;       // owned by the host; null when the record is not filled
  void *anonymous;  // the host's data of an anonymous function, else null
} qxFunctionHandleRecord;

// ---- Argument counts, errors and warnings -------------------------------
// Numbers of the host's messages, raised with qxErrMsg.
enum qxMessage {
  QX_MSG_TOO_MANY_INPUTS = 1,
  QX_MSG_NOT_ENOUGH_INPUTS = 2,
  QX_MSG_TOO_MANY_OUTPUTS = 3,
  QX_MSG_INVALID_OPTION = 15,
  QX_MSG_NOT_A_STRING = 16,
  QX_MSG_OUT_OF_MEMORY = 18,
  QX_MSG_INVALID_FID = 47,
  QX_MSG_FILE_NAME_NOT_STRING = 48,
  QX_MSG_FORMAT_NOT_STRING = 49,
  QX_MSG_EMPTY_OFFSET = 50,
  QX_MSG_INVALID_ORIGIN = 51,
  QX_MSG_INVALID_PERMISSION = 52,
  QX_MSG_INVALID_PRECISION = 53,
  QX_MSG_INVALID_SIZE = 54,
  QX_MSG_INVALID_FCLOSE_OPTION = 55,
  QX_MSG_SCAN_TEXT_NOT_STRING = 56,
  QX_MSG_OPTION_NOT_STRING = 57,
  QX_MSG_ONLY_CLEAR = 58,
  QX_MSG_INVALID_MACHINE_FORMAT = 59,
  QX_MSG_STDIN_REFUSED = 61,
  QX_MSG_MISSING_FORMAT = 62,
  QX_MSG_INVALID_SKIP = 63,
  QX_MSG_INVALID_LENGTH = 64
};

void qxCheckNumArgs(int nlhs, int maxOut, int nrhs, int minIn, int maxIn);
QX_NORETURN void qxErrMsg(int n, ...);
QX_NORETURN void qxErrMsgTxt(const char *format, ...) QX_PRINTF(1, 2);
QX_NORETURN void qxErrorReturn(const char *text);
void qxWarningMsgTxt(const char *format, ...) QX_PRINTF(1, 2);

// ---- Creation (null on exhaustion) --------------------------------------
qxArray *qxCreateDoubleMatrix(int m, int n, int complexFlag);
qxArray *qxCreateScalarDouble(double value);
qxArray *qxCreateLogicalScalar(int value);
qxArray *qxCreateString(const char *text);
qxArray *qxCreateCharArray(int ndims, const int *dims);
qxArray *qxCreateNumericArray(int ndims, const int *dims, int classId, int complexFlag);
qxArray *qxCreateNumericMatrix(int m, int n, int classId, int complexFlag);
qxArray *qxCreateSparse(int m, int n, int nzmax, int complexFlag);
qxArray *qxCreateCellArray(int ndims, const int *dims);
qxArray *qxCreateCellMatrix(int m, int n);
qxArray *qxCreateStructArray(int ndims, const int *dims, int nfields, const char **names);
qxArray *qxCreateStructMatrix(int m, int n, int nfields, const char **names);
// An object of a user class: a struct array whose class name is className.
qxArray *qxCreateObject(const char *className, qxArray *fieldsStruct);
// A value of an opaque class, known only by its class name and size.
qxArray *qxCreateOpaque(const char *className, int ndims, const int *dims);
// A new array that shares a's data (no copy is made): every holder treats
// the data as read-only.
qxArray *qxCreateSharedDataCopy(const qxArray *a);
qxArray *qxDuplicateArray(const qxArray *a);
qxArray *qxCreateEmptyCopy(const qxArray *a);
qxArray *qxCreateConvertedCopy(const qxArray *a, int classId);
// a itself when it already has the class, else a converted copy.
qxArray *qxMustBe(qxArray *a, int classId);
qxArray *qxCreateColonObj(double start, double step, double stop);
qxArray *qxOnes(int m, int n);

// ---- Queries ------------------------------------------------------------
int qxGetClassCode(const qxArray *a);
int qxGetClassID(const qxArray *a);
const char *qxGetClassName(const qxArray *a);
int qxGetM(const qxArray *a);
int qxGetN(const qxArray *a);  // product of the dimensions after the first
int qxGetNumberOfElements(const qxArray *a);
int qxGetNumberOfDimensions(const qxArray *a);
const int *qxGetDimensions(const qxArray *a);
size_t qxGetElementSize(const qxArray *a);
int qxIsEmpty(const qxArray *a);
int qxIsLogical(const qxArray *a);
int qxIsContainer(const qxArray *a);  // cell, struct, object
int qxIsComplex(const qxArray *a);
int qxIsNumeric(const qxArray *a);
int qxIsChar(const qxArray *a);
const char *qxGetName(const qxArray *a);  // "" for an unnamed value
int qxGetScope(const qxArray *a);
double *qxGetPr(const qxArray *a);
double *qxGetPi(const qxArray *a);
void *qxGetData(const qxArray *a);
void *qxGetImagData(const qxArray *a);
qxChar *qxGetChars(const qxArray *a);
double qxGetScalar(const qxArray *a);  // first element as a double, 0 if none
int *qxGetIr(const qxArray *a);
int *qxGetJc(const qxArray *a);
int qxGetNzmax(const qxArray *a);
qxArray *qxGetCell(const qxArray *a, int index);
int qxGetNumberOfFields(const qxArray *a);
const char *qxGetFieldNameByNumber(const qxArray *a, int field);
int qxGetFieldNumber(const qxArray *a, const char *name);  // -1 if none
qxArray *qxGetFieldByNumber(const qxArray *a, int index, int field);

// ---- Text ---------------------------------------------------------------
// Allocated NUL-terminated copies of a char array's text (qxFree them);
// null when a is not char or on exhaustion. Codes above 255 keep their
// low byte.
char *qxArray2String(const qxArray *a, int flags);
char *qxArrayToString(const qxArray *a);
// Copies into buf (size bytes with the NUL); 0 on success, 1 when a is not
// char or the text did not fit (buf then holds what fitted).
int qxGetString(const qxArray *a, char *buf, int size);

// ---- Changes ------------------------------------------------------------
void qxSetM(qxArray *a, int m);
void qxSetN(qxArray *a, int n);
int qxSetDimensions(qxArray *a, const int *dims, int ndims);
void qxSetData(qxArray *a, void *data);
void qxSetPr(qxArray *a, double *pr);
void qxSetPi(qxArray *a, double *pi);
void qxSetImagData(qxArray *a, void *pi);
void qxFreeImagIfZero(qxArray *a);
void qxSetName(qxArray *a, const char *name);
void qxSetScope(qxArray *a, int scope);
void qxSetLogical(qxArray *a, int flag);
void qxSetCell(qxArray *a, int index, qxArray *value);  // takes ownership
void qxSetFieldByNumber(qxArray *a, int index, int field, qxArray *value);
int qxAddField(qxArray *a, const char *name);  // number of the new field
void qxDestroyArray(qxArray *a);
// Converts n elements between the buffers of two public classes: rounding
// to nearest, saturation and NaN to 0 for the integer classes.
void qxConvertBufferToType(void *dst, int dstClass, const void *src, int srcClass, int n);

// ---- Memory -------------------------------------------------------------
void *qxCalloc(size_t n, size_t size);
void *qxMalloc(size_t size);
void *qxRealloc(void *p, size_t size);
void qxFree(void *p);
// Frees the block when an error unwinds the current builtin call.
void qxAddToAllocList(void *block);

// ---- Session records ----------------------------------------------------
const char *qxGetLastErrMsg(void);
void qxSetLastErrMsg(const char *text);
const char *qxGetLastWarningMsg(void);
void qxSetLastWarningMsg(const char *text);
int qxGetWarningFlag(void);
void qxSetWarningFlag(int mode);
int qxGetWarningFrequency(void);
void qxSetWarningFrequency(int frequency);
void qxSetWarningPeriod(int period);
int qxTxtCmp(const char *a, const char *b);  // 0 when equal

// ---- Function handles ---------------------------------------------------
const char *qxFunctionHandleToString(const void *record);
void qxFunctionHandleFromString(void *record, const char *text);
qxArray *qxFunctionHandleToStruc(const void *record);

// ---- Registration -------------------------------------------------------
qxRegisterFcn qxGetRegisterInternalFcnsFcn(void);

#ifdef __cplusplus
}
#endif
