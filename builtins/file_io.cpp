// fiFcn, the dispatcher of the file-I/O builtins, and their entry handlers.
#include "builtins/file_io.h"

#include <iterator>

#include "builtins/zqbuiltins.h"
#include "common/char_codes.h"
#include "fileio/file_table.h"
#include "fileio/operations.h"
#include "fileio/transfer.h"
#include "textio/operations.h"

namespace zq::builtins {
namespace {

using fileio::FileIoOperation;
using fileio::kFileIoOpCount;

// Operations indexed by their number.
constexpr FileIoOperation kOperations[] = {
    fileio::fopenOperation,  fileio::fcloseOperation,  fileio::freadOperation,  fileio::fwriteOperation,
    textio::fscanfOperation, textio::fprintfOperation, textio::sscanfOperation, textio::sprintfOperation,
    fileio::fgetsOperation,  fileio::fseekOperation,   fileio::ftellOperation,  fileio::ferrorOperation,
    fileio::fflushOperation, fileio::feofOperation,
};
static_assert(std::size(kOperations) == kFileIoOpCount, "one operation per number");

}  // namespace

template <int Op>
void fileIoEntry(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  common::armConversionWarning();
  (void)fiFcn(nlhs, plhs, Op, nrhs, prhs);
}

// One entry handler per operation, the unnamed flush included.
template void fileIoEntry<fileio::kOpFopen>(int, qxArray *[], int, qxArray *[]);
template void fileIoEntry<fileio::kOpFclose>(int, qxArray *[], int, qxArray *[]);
template void fileIoEntry<fileio::kOpFread>(int, qxArray *[], int, qxArray *[]);
template void fileIoEntry<fileio::kOpFwrite>(int, qxArray *[], int, qxArray *[]);
template void fileIoEntry<fileio::kOpFscanf>(int, qxArray *[], int, qxArray *[]);
template void fileIoEntry<fileio::kOpFprintf>(int, qxArray *[], int, qxArray *[]);
template void fileIoEntry<fileio::kOpSscanf>(int, qxArray *[], int, qxArray *[]);
template void fileIoEntry<fileio::kOpSprintf>(int, qxArray *[], int, qxArray *[]);
template void fileIoEntry<fileio::kOpFgets>(int, qxArray *[], int, qxArray *[]);
template void fileIoEntry<fileio::kOpFseek>(int, qxArray *[], int, qxArray *[]);
template void fileIoEntry<fileio::kOpFtell>(int, qxArray *[], int, qxArray *[]);
template void fileIoEntry<fileio::kOpFerror>(int, qxArray *[], int, qxArray *[]);
template void fileIoEntry<fileio::kOpFflush>(int, qxArray *[], int, qxArray *[]);
template void fileIoEntry<fileio::kOpFeof>(int, qxArray *[], int, qxArray *[]);

}  // namespace zq::builtins

// Other libraries of the interpreter may call fiFcn directly: an operation
// number outside the table is refused with an error of its own rather than
// followed into memory past the table. The check comes after the count
// check, so that a call without inputs fails the same way for every number.
extern "C" int fiFcn(int nlhs, qxArray *plhs[], int op, int nrhs, qxArray *prhs[]) {
  using namespace zq;
  fileio::FileTable &table = fileio::fileTable();
  if (!table.standardStreamsReady) fiInitStdIO();
  if (nrhs < 1) qxErrMsg(QX_MSG_NOT_ENOUGH_INPUTS);
  if (op < 0 || op >= fileio::kFileIoOpCount) qxErrMsgTxt("Invalid file operation.");
  // The request block lives on the stack: it goes away when the operation
  // returns or an error unwinds it, and costs no allocation per call.
  fileio::FiRequest request{nlhs, plhs, op, nrhs, prhs};
  return builtins::kOperations[op](request, table, fileio::transferDescriptor());
}
