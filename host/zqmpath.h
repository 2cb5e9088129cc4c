// libzqmpath: the host's manager of the current directory and search path.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

typedef struct kpPath kpPath;
typedef struct kpDirEntry kpDirEntry;

kpPath *kpLookupPath(const char *name);  // the library asks for "ZelmarMainPath"
// Writes the current directory into buffer (size bytes) and returns buffer.
char *kpGetCWDName(kpPath *path, char *buffer, int size);
// Changes the current directory: null on success, else an error text.
const char *kpSetCWDName(kpPath *path, const char *dir);
// Joins dir and name with the separator into buffer (1281 bytes); returns it.
char *kpCombinePathName(char *buffer, const char *dir, const char *name);
// The file-name part of path; the directory part goes to dirBuffer when given.
const char *kpSeparatePathName(const char *path, char *dirBuffer);
void kpSetFullnameChanged(kpPath *path, const char *file);
kpDirEntry *kpFindDirFullName(kpPath *path, const char *dir);
void kpRefreshDirectory(kpDirEntry *entry, int how);

#ifdef __cplusplus
}
#endif
