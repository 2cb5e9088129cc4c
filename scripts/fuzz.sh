#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang in build-fuzz and runs
# each for SECONDS seconds (default 30) from its seed corpus in
# fuzz/corpus/NAME; inputs it finds go to build-fuzz/corpus/NAME, and an
# input that makes a target fail is saved as build-fuzz/crash-NAME-*.
#   scripts/fuzz.sh [SECONDS [TARGET...]]
# Prints the executions each target made; fails when a target finds a
# crash, a leak, a hang (10 s for one input) or undefined behaviour.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
seconds=${1:-30}
shift || true
./scripts/setup.sh --fuzz
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DZQ_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for program in build-fuzz/bin/fuzz_*; do targets+=("${program##*/fuzz_}"); done
fi
status=0
for name in "${targets[@]}"; do
  found="$root/build-fuzz/corpus/$name"
  mkdir -p "$found"
  log="$root/build-fuzz/fuzz_$name.log"
  if "$root/build-fuzz/bin/fuzz_$name" -max_total_time="$seconds" -timeout=10 -close_fd_mask=3 -print_final_stats=1 \
    -artifact_prefix="$root/build-fuzz/crash-$name-" "$found" "$root/fuzz/corpus/$name" >"$log" 2>&1; then
    echo "fuzz_$name: $(sed -n 's/^stat::number_of_executed_units: *//p' "$log") executions in ${seconds} s"
  else
    echo "fuzz_$name FAILED (see $log):"
    grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -n 5
    status=1
  fi
done
exit $status
