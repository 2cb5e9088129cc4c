// fiFcn, the dispatcher of the file-I/O builtins, and their entry handlers.
#include "builtins/file_io.h"

#include "builtins/zqbuiltins.h"
#include "common/char_codes.h"
#include "fileio/file_table.h"
#include "fileio/operations.h"
#include "fileio/transfer.h"
#include "textio/operations.h"

namespace zq::builtins {
namespace {

// Operations indexed by their number.
constexpr FileIoOperation kOperations[kFileIoOpCount] = {
    fileio::fopenOperation,  fileio::fcloseOperation,  fileio::freadOperation,  fileio::fwriteOperation,
    textio::fscanfOperation, textio::fprintfOperation, textio::sscanfOperation, textio::sprintfOperation,
    fileio::fgetsOperation,  fileio::fseekOperation,   fileio::ftellOperation,  fileio::ferrorOperation,
    fileio::fflushOperation, fileio::feofOperation,
};

bool standardStreamsReady = false;

}  // namespace

template <int Op>
void fileIoEntry(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  common::armConversionWarning();
  (void)fiFcn(nlhs, plhs, Op, nrhs, prhs);
}

// One entry handler per operation, the unnamed flush included.
template void fileIoEntry<kOpFopen>(int, qxArray *[], int, qxArray *[]);
template void fileIoEntry<kOpFclose>(int, qxArray *[], int, qxArray *[]);
template void fileIoEntry<kOpFread>(int, qxArray *[], int, qxArray *[]);
template void fileIoEntry<kOpFwrite>(int, qxArray *[], int, qxArray *[]);
template void fileIoEntry<kOpFscanf>(int, qxArray *[], int, qxArray *[]);
template void fileIoEntry<kOpFprintf>(int, qxArray *[], int, qxArray *[]);
template void fileIoEntry<kOpSscanf>(int, qxArray *[], int, qxArray *[]);
template void fileIoEntry<kOpSprintf>(int, qxArray *[], int, qxArray *[]);
template void fileIoEntry<kOpFgets>(int, qxArray *[], int, qxArray *[]);
template void fileIoEntry<kOpFseek>(int, qxArray *[], int, qxArray *[]);
template void fileIoEntry<kOpFtell>(int, qxArray *[], int, qxArray *[]);
template void fileIoEntry<kOpFerror>(int, qxArray *[], int, qxArray *[]);
template void fileIoEntry<kOpFflush>(int, qxArray *[], int, qxArray *[]);
template void fileIoEntry<kOpFeof>(int, qxArray *[], int, qxArray *[]);

bool standardStreamsInitialised() { return standardStreamsReady; }
void markStandardStreamsInitialised() { standardStreamsReady = true; }

}  // namespace zq::builtins

extern "C" int fiFcn(int nlhs, qxArray *plhs[], int op, int nrhs, qxArray *prhs[]) {
  using namespace zq::builtins;
  if (!standardStreamsInitialised()) fiInitStdIO();
  if (nrhs < 1) qxErrMsg(2);
  // The request block lives on the stack: it goes away when the operation
  // returns or an error unwinds it, and costs no allocation per call.
  FiRequest request{nlhs, plhs, op, nrhs, prhs};
  return kOperations[op](request, zq::fileio::fileTable(), zq::fileio::transferDescriptor());
}
