// Argument checks and output helpers shared by the file operations: one
// helper per check, each raising its host message.
#pragma once

#include <memory>

#include "builtins/file_io.h"
#include "fileio/file_table.h"
#include "host/qx.h"

namespace zq::fileio {

struct HostFree {
  void operator()(void *p) const { qxFree(p); }
};
// Text taken from a char array; freed with qxFree.
using HostText = std::unique_ptr<char, HostFree>;

// Raises host message `message` unless a is a char array.
void requireChar(const qxArray *a, int message);
// The text of char array a (host message `message` when a is not char; 18
// when the copy cannot be made).
HostText textArgument(const qxArray *a, int message);

// The machine format named by text (lowered in place): its index, or the
// invalid index utGetNumDataSizeTypes() - 1.
int machineFormatIndex(char *text);
// The machine format argument a; raises host message 59 when it is not
// char or names no format.
int formatArgument(const qxArray *a);

// A fid argument that must not be negative (host message 47).
int nonNegativeFid(const qxArray *a);
// A fid that may be read here: negative fids raise 47, standard input 61.
// (The table lookup follows the checks of the other arguments.)
int readableFid(const qxArray *fidArgument);

// Raises host message 18 when the host could not create a.
qxArray *created(qxArray *a);
// Stores a into output slot i of the request.
void setOutput(builtins::FiRequest &request, int i, qxArray *a);
qxArray *scalar(double value);
qxArray *text(const char *value);

// Permission tests on an entry's stored permission.
bool isReadPermission(const char *permission);  // "r", "rb" (and "rt")
bool permissionHasAny(const FileEntry &entry, const char *letters);

// errno cleared before a standard I/O call, as every operation does.
void clearErrno();

}  // namespace zq::fileio
