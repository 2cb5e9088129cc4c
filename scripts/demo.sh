#!/usr/bin/env bash
# Builds the shell and runs the tour of the builtins.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target zq
./build/bin/zq examples/tour.zq
