#!/usr/bin/env bash
# Builds the shell and runs the tour of the builtins (in a scratch directory,
# since the tour writes small files of its own).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
./scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target zq
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
"$root/build/bin/zq" "$root/examples/tour.zq"
