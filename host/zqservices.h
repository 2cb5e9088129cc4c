// libzqservices: terminal, file-system and session services of the host.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include "host/qx.h"

#ifdef __cplusplus
extern "C" {
#endif

// Size of the path buffers that ioTildeExpansion and ioFopenPathName fill.
#define IO_PATH_BUFFER_SIZE 1281

int ioGetNumWindowColumns(void);
// Prints count strings, each through format, in columns columns: filled
// top to bottom, then left to right; a newline between rows, none after
// the last.
void ioColumnPrint(const char *format, int count, char **strings, int columns);
int ioStopPrinting(void);
// The entries of a directory (without "." and "..", in the system's order;
// "" is the current directory), or, when the last component of path holds
// *, ? or [, the last components of the matches of that pattern as glob(3)
// matches it (a leading dot matched only by a dot): one allocated block of
// NUL-terminated names ended by an empty name (free with utFree or qxFree).
// An empty directory gives a list whose first name is empty; null when path
// is not a directory that can be read (errno says why) or the pattern
// matches nothing.
char *ioGetDirList(const char *path, int flags);

typedef struct ioFileStatus {
  int32_t mtime;  // seconds since the epoch
  int32_t isDir;  // 1 for a directory
  int32_t size;   // bytes
} ioFileStatus;
// 0 on success. Symbolic links are followed; a dangling link is described
// as itself. Values beyond 32 bits are held at the nearest 32-bit value.
int ioGetFileStatus(const char *path, ioFileStatus *status);
// The status of each of count names in directory ("" is the current
// directory), as ioGetFileStatus gives it for the path directory/name:
// statuses[i] for names[i], all zeros where there is none. Returns how
// many statuses were found. Names are looked up from the open directory,
// and a long list is read by two threads; it touches no other host state,
// so any thread may call it.
size_t ioGetFileStatuses(const char *directory, const char *const *names, size_t count, ioFileStatus *statuses);

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
