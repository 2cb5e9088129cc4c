// The class and scope tests (ischar and its alias isstr, islogical,
// issparse, isreal, isglobal): one handler template over a table of
// predicates.
#include "common/outputs.h"
#include "session/handlers.h"

namespace zq::session {
namespace {

template <ClassTest Test>
bool holds(const qxArray *a);

template <>
bool holds<ClassTest::Char>(const qxArray *a) {
  return qxGetClassCode(a) == QX_CODE_CHAR;
}
template <>
bool holds<ClassTest::Logical>(const qxArray *a) {
  return qxIsLogical(a) != 0;
}
template <>
bool holds<ClassTest::Sparse>(const qxArray *a) {
  return qxGetClassCode(a) == QX_CODE_SPARSE;
}
// Containers (cells, structures, objects) are never real, whatever they hold.
template <>
bool holds<ClassTest::Real>(const qxArray *a) {
  return qxIsContainer(a) == 0 && qxGetImagData(a) == nullptr;
}
template <>
bool holds<ClassTest::Global>(const qxArray *a) {
  return qxGetScope(a) == QX_SCOPE_GLOBAL;
}

}  // namespace

template <ClassTest Test>
void classTestHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  qxCheckNumArgs(nlhs, 1, nrhs, 1, 1);
  plhs[0] = common::logicalResult(holds<Test>(prhs[0]));
}

template void classTestHandler<ClassTest::Char>(int, qxArray *[], int, qxArray *[]);
template void classTestHandler<ClassTest::Logical>(int, qxArray *[], int, qxArray *[]);
template void classTestHandler<ClassTest::Sparse>(int, qxArray *[], int, qxArray *[]);
template void classTestHandler<ClassTest::Real>(int, qxArray *[], int, qxArray *[]);
template void classTestHandler<ClassTest::Global>(int, qxArray *[], int, qxArray *[]);

}  // namespace zq::session
