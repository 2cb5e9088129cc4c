// The file-I/O operations of the formatted-text subsystem, as fiFcn calls them.
#pragma once

#include "fileio/file_table.h"
#include "fileio/request.h"
#include "fileio/transfer.h"

namespace zq::textio {

using fileio::FileTable;
using fileio::FiRequest;
using fileio::TransferDescriptor;

int fscanfOperation(FiRequest &request, FileTable &table, TransferDescriptor &transfer);
int fprintfOperation(FiRequest &request, FileTable &table, TransferDescriptor &transfer);
int sscanfOperation(FiRequest &request, FileTable &table, TransferDescriptor &transfer);
int sprintfOperation(FiRequest &request, FileTable &table, TransferDescriptor &transfer);

}  // namespace zq::textio
