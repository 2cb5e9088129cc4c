// double, single, int8 ... uint32. A value that already has the class comes
// back as a new array sharing its data; any other value is the host's
// converted copy, so rounding, saturation and the refusal of cells,
// structures, objects and handles are the host's rules, the same for every
// class.
#include "common/outputs.h"
#include "session/handlers.h"

namespace zq::session {

template <int TargetCode, int ClassId>
void conversionEntry(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  qxCheckNumArgs(nlhs, 1, nrhs, 1, 1);
  common::Outputs out(nlhs, plhs);
  qxArray *input = prhs[0];
  if (qxGetClassCode(input) != TargetCode) {
    out.set(0, qxMustBe(input, ClassId));
    return;
  }
  qxArray *copy = common::created(qxCreateSharedDataCopy(input));
  // A logical array is a double array with a flag: double() of it is the
  // same data as plain numbers.
  if constexpr (TargetCode == QX_CODE_DOUBLE) qxSetLogical(copy, 0);
  out.set(0, copy);
}

template void conversionEntry<QX_CODE_DOUBLE, QX_CLASS_DOUBLE>(int, qxArray *[], int, qxArray *[]);
template void conversionEntry<QX_CODE_SINGLE, QX_CLASS_SINGLE>(int, qxArray *[], int, qxArray *[]);
template void conversionEntry<QX_CODE_INT8, QX_CLASS_INT8>(int, qxArray *[], int, qxArray *[]);
template void conversionEntry<QX_CODE_UINT8, QX_CLASS_UINT8>(int, qxArray *[], int, qxArray *[]);
template void conversionEntry<QX_CODE_INT16, QX_CLASS_INT16>(int, qxArray *[], int, qxArray *[]);
template void conversionEntry<QX_CODE_UINT16, QX_CLASS_UINT16>(int, qxArray *[], int, qxArray *[]);
template void conversionEntry<QX_CODE_INT32, QX_CLASS_INT32>(int, qxArray *[], int, qxArray *[]);
template void conversionEntry<QX_CODE_UINT32, QX_CLASS_UINT32>(int, qxArray *[], int, qxArray *[]);

}  // namespace zq::session
