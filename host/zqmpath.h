// libzqmpath: the host's manager of the current directory and search path.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

typedef struct kpPath kpPath;
typedef struct kpDirEntry kpDirEntry;

kpPath *kpLookupPath(const char *name);  // the library asks for "ZelmarMainPath"
// Writes the current directory into buffer (size bytes) and returns buffer;
// an empty name when the directory cannot be named.
char *kpGetCWDName(kpPath *path, char *buffer, int size);
// Changes the current directory (the process's and the manager's): null on
// success, else the text "Cannot change the current directory to 'NAME':
// REASON." (REASON from strerror). A directory whose full name would be
// longer than 1024 characters is refused.
const char *kpSetCWDName(kpPath *path, const char *dir);
// Joins dir and name with the separator (added unless dir is empty or ends
// in one) into buffer (1281 bytes; a longer result is cut); returns it.
char *kpCombinePathName(char *buffer, const char *dir, const char *name);
// The file-name part of path; the directory part goes to dirBuffer when
// given ("" for a bare name, "/" for "/name"; room for strlen(path) + 1).
const char *kpSeparatePathName(const char *path, char *dirBuffer);
void kpSetFullnameChanged(kpPath *path, const char *file);
// The manager's entry of a directory on the path (null for others), and a
// rescan of it (entry may be null).
kpDirEntry *kpFindDirFullName(kpPath *path, const char *dir);
void kpRefreshDirectory(kpDirEntry *entry, int how);

#ifdef __cplusplus
}
#endif
