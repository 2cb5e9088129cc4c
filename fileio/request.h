// One file-I/O call as fiFcn hands it to an operation: the request block,
// the operation numbers and the form every operation has.
#pragma once

#include "common/outputs.h"
#include "host/qx.h"

namespace zq::fileio {

struct FileTable;
struct TransferDescriptor;

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

// One file-I/O call. The block lives on fiFcn's stack for the one call.
struct FiRequest {
  int nlhs;
  qxArray **plhs;
  int op;
  int nrhs;
  qxArray **prhs;

  // The output slots, stored through the setter that refuses a null result.
  common::Outputs outputs() const { return {nlhs, plhs}; }
};

using FileIoOperation = int (*)(FiRequest &request, FileTable &table, TransferDescriptor &transfer);

}  // namespace zq::fileio
