// The exported interface of libzqbuiltins, as other libraries of the
// interpreter and the host see it. Every symbol carries the version
// libzqbuiltins.INTERNAL.
#pragma once

#include <stdint.h>

#include "host/qx.h"

#ifdef __cplusplus
extern "C" {
#endif

// Registration: hands the builtin table to the host's registration function.
uint8_t bnInitialize(void);

// File I/O dispatcher and standard streams.
int fiFcn(int nlhs, qxArray *plhs[], int op, int nrhs, qxArray *prhs[]);
void fiInitStdIO(void);
void fiFlushWriteCarryByteFIO(void);

// A char array's text as an allocated NUL-terminated string (qxFree it).
char *bnMatrix2str(const qxArray *a);

// Display settings.
typedef struct PrtCallbacks {
  int (*callFunction)(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[], const char *name);
  qxArray *(*objectSize)(const qxArray *object);
} PrtCallbacks;
void SetPrtfmt(int code);
int GetPrtfmt(void);
char *GetNewline(void);
void bnSetPrtCallbacks(const PrtCallbacks *callbacks);

// Value printers.
int bnPrintToStringNanOrInf(char *buffer, const double *value, int width, int imaginary);
void bnFullPrintFcn(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void bnFullDispFcn(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void bnPrintMatrixCompact(const qxArray *a);
// name: the label to print; null means the array's own name, "" none.
void bnPrintCellArray(const char *name, const qxArray *a);
void bnPrintStructure(const char *name, const qxArray *a);
void bnPrintFunObjArray(const char *name, const qxArray *a);

// List printers and file deletion.
int bnPrintList(const char *header, char *list, int keepExtensions, int keepAtSign);
uint8_t bnPrintDirectoryList(const char *dir, const char *name, int keepExtensions, const char *header, int keepAtSign,
                             qxArray **cellOut);
void bnFullDeleteFcn(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);

// Version and build date ("Mmm dd yyyy").
extern const char *libzqbuiltins_version;
extern const char *libzqbuiltins_build_date;

#ifdef __cplusplus
}
#endif
