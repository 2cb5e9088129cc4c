#!/bin/sh
# Checks the shared library's interface: every exported symbol carries the
# version libzqbuiltins.INTERNAL, the expected entry points are there, and the
# library records its need of the four host libraries' versions.
lib=$1
status=0
exports=$(nm -D --defined-only --with-symbol-versions "$lib" | awk '{print $3}')
for symbol in $exports; do
  case "$symbol" in
    *@@libzqbuiltins.INTERNAL|libzqbuiltins.INTERNAL) ;;
    *) echo "unversioned export: $symbol"; status=1 ;;
  esac
done
for name in bnInitialize fiFcn fiInitStdIO fiFlushWriteCarryByteFIO bnMatrix2str bnPrintList \
  bnPrintDirectoryList bnFullDeleteFcn SetPrtfmt GetPrtfmt GetNewline bnSetPrtCallbacks \
  bnPrintToStringNanOrInf bnFullPrintFcn bnFullDispFcn bnPrintMatrixCompact bnPrintCellArray \
  bnPrintStructure bnPrintFunObjArray libzqbuiltins_version libzqbuiltins_build_date; do
  echo "$exports" | grep -qx "$name@@libzqbuiltins.INTERNAL" || { echo "missing export: $name"; status=1; }
done
needs=$(objdump -p "$lib")
for version in libqx.INTERNAL libut.INTERNAL libzqmpath.INTERNAL libzqservices.INTERNAL; do
  echo "$needs" | grep -q "$version" || { echo "no version requirement: $version"; status=1; }
done
exit $status
