// Argument checks of the file operations that only file I/O has: machine
// formats, fids and permissions. The general readers (text, integers,
// sizes, options) are in common/.
#pragma once

#include "fileio/file_table.h"
#include "host/qx.h"

namespace zq::fileio {

// The machine format named by text (lowered in place): its index, or the
// invalid index utGetNumDataSizeTypes() - 1.
int machineFormatIndex(char *text);
// The machine format argument a; raises "Invalid machine format." when it
// is not char or names no format.
int formatArgument(const qxArray *a);

// A fid argument that must not be negative ("Invalid file identifier.").
int nonNegativeFid(const qxArray *a);
// A fid that may be read here: negative fids raise "Invalid file
// identifier.", standard input its own refusal. (The table lookup follows
// the checks of the other arguments.)
int readableFid(const qxArray *fidArgument);

// Permission tests on an entry's stored permission.
bool isReadPermission(const char *permission);  // "r", "rb" (and "rt")
bool permissionHasAny(const FileEntry &entry, const char *letters);
// Opened for reading only: a permission beginning with "r" without "+".
bool isReadOnlyPermission(const FileEntry &entry);

// errno cleared before a standard I/O call, as every operation does.
void clearErrno();

}  // namespace zq::fileio
