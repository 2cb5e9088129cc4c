// The file-I/O operations of the binary-file subsystem, as fiFcn calls them.
#pragma once

#include "fileio/file_table.h"
#include "fileio/request.h"
#include "fileio/transfer.h"

namespace zq::fileio {

int fopenOperation(FiRequest &request, FileTable &table, TransferDescriptor &transfer);
int fcloseOperation(FiRequest &request, FileTable &table, TransferDescriptor &transfer);
int freadOperation(FiRequest &request, FileTable &table, TransferDescriptor &transfer);
int fwriteOperation(FiRequest &request, FileTable &table, TransferDescriptor &transfer);
int fgetsOperation(FiRequest &request, FileTable &table, TransferDescriptor &transfer);
int fseekOperation(FiRequest &request, FileTable &table, TransferDescriptor &transfer);
int ftellOperation(FiRequest &request, FileTable &table, TransferDescriptor &transfer);
int ferrorOperation(FiRequest &request, FileTable &table, TransferDescriptor &transfer);
int fflushOperation(FiRequest &request, FileTable &table, TransferDescriptor &transfer);
int feofOperation(FiRequest &request, FileTable &table, TransferDescriptor &transfer);

}  // namespace zq::fileio
