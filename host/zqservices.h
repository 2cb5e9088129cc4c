// libzqservices: terminal, file-system and session services of the host.
#pragma once

#include <stdint.h>
#include <stdio.h>

#include "host/qx.h"

#ifdef __cplusplus
extern "C" {
#endif

// Size of the path buffers that ioTildeExpansion and ioFopenPathName fill.
#define IO_PATH_BUFFER_SIZE 1281

int ioGetNumWindowColumns(void);
// Prints count strings, each through format, in columns columns.
void ioColumnPrint(const char *format, int count, char **strings, int columns);
int ioStopPrinting(void);
// All entries of a directory, or those matching a wildcard pattern: one
// allocated block of NUL-terminated names ended by an empty name (free with
// utFree or qxFree); null if the path cannot be listed.
char *ioGetDirList(const char *path, int flags);

typedef struct ioFileStatus {
  int32_t mtime;  // seconds since the epoch
  int32_t isDir;  // 1 for a directory
  int32_t size;   // bytes
} ioFileStatus;
int ioGetFileStatus(const char *path, ioFileStatus *status);  // 0 on success

// Expands a leading ~; returns buffer (holding the expansion, at most
// IO_PATH_BUFFER_SIZE bytes) or path itself.
const char *ioTildeExpansion(char *buffer, const char *path);
// Opens name for reading: as given, then in each search-path directory.
// On success writes the absolute path found into fullPath (at most
// IO_PATH_BUFFER_SIZE bytes); on failure returns null and sets *errorCode
// (an errno value, or -1 when there is none).
FILE *ioFopenPathName(const char *name, const char *permission, char *fullPath, int *errorCode);

void ioBuzz(void);
int ioGetBuzz(void);
void ioSetBuzz(int flag);

const char *svXlate(const char *text);

typedef struct svFeatureEntry {
  int value;
  void (*onChange)(int value);  // optional
  BuiltinFcn handler;           // optional: takes the feature over
} svFeatureEntry;
svFeatureEntry *svFindFeatureEntry(const char *name);
const char *svZelmarRoot(void);

#ifdef __cplusplus
}
#endif
