#!/usr/bin/env bash
# Fails when a source reaches into a layer above it: outside builtins/ only
# the exported interface builtins/zqbuiltins.h may be included from there,
# and common/ (the layer under every subsystem) includes only common/,
# host/ and that interface.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
upward=$(git grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]builtins/' -- '*.cpp' '*.h' ':!builtins/' |
  grep -vE '["<]builtins/zqbuiltins\.h[">]' || true)
if [ -n "$upward" ]; then
  echo "Only builtins/zqbuiltins.h may be included from builtins/ outside it:"
  echo "$upward"
  status=1
fi
common=$(git grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' -- 'common/*.cpp' 'common/*.h' |
  grep -vE '"(common/[^"]*|host/[^"]*|builtins/zqbuiltins\.h)"' || true)
if [ -n "$common" ]; then
  echo "common/ includes only common/, host/ and builtins/zqbuiltins.h:"
  echo "$common"
  status=1
fi
exit $status
