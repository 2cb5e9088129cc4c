#!/usr/bin/env bash
# Runs clang-tidy, with the checks named in .clang-tidy, over every C++
# source of the default build (the files of its compile_commands.json) and
# fails on any finding. Usage: scripts/tidy.sh [BUILD_DIR] (default: build,
# configured with the default options when it is not there yet).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
dir=${1:-build}
if [ ! -f "$dir/compile_commands.json" ]; then
  cmake -S . -B "$dir" >/dev/null
fi
# clang 14 cannot parse GCC's function multiversioning of templates, which
# the machine formats use; every other source is checked.
skip='^hostlibs/ut/machine_formats\.cpp$'
mapfile -t files < <(grep -o '"file": "[^"]*"' "$dir/compile_commands.json" | sed 's/^"file": "//; s/"$//' |
  sed "s|^$root/||" | grep -vE "$skip" | sort -u)
# The compile commands are GCC's: clang passes over the options it does not
# know rather than stopping at them.
printf '%s\n' "${files[@]}" |
  xargs -P "$(nproc)" -n 4 clang-tidy -p "$dir" --quiet --warnings-as-errors='*' \
    --extra-arg=-Wno-unknown-warning-option --extra-arg=-Wno-ignored-optimization-argument
echo "clang-tidy: ${#files[@]} files clean"
