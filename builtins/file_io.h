// The file-I/O dispatcher: the request block handed to each operation and
// the table of the fourteen operations.
#pragma once

#include "host/qx.h"

namespace zq::fileio {
struct FileTable;
struct TransferDescriptor;
}  // namespace zq::fileio

namespace zq::builtins {

// Operation numbers of fiFcn.
enum FileIoOp : int {
  kOpFopen = 0,
  kOpFclose = 1,
  kOpFread = 2,
  kOpFwrite = 3,
  kOpFscanf = 4,
  kOpFprintf = 5,
  kOpSscanf = 6,
  kOpSprintf = 7,
  kOpFgets = 8,
  kOpFseek = 9,
  kOpFtell = 10,
  kOpFerror = 11,
  kOpFflush = 12,
  kOpFeof = 13,
  kFileIoOpCount = 14
};

// One file-I/O call as fiFcn hands it to an operation.
struct FiRequest {
  int nlhs;
  qxArray **plhs;
  int op;
  int nrhs;
  qxArray **prhs;
};

using FileIoOperation = int (*)(FiRequest &request, fileio::FileTable &table, fileio::TransferDescriptor &transfer);

// Entry handler of file-I/O operation Op: re-arms the conversion warning and
// calls fiFcn.
template <int Op>
void fileIoEntry(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);

}  // namespace zq::builtins

namespace zq::builtins {
// The flag that says the standard streams are in the open-file table.
bool standardStreamsInitialised();
void markStandardStreamsInitialised();
}  // namespace zq::builtins
