#!/bin/sh
# Runs one golden script under zq -k in a scratch directory and compares its
# merged standard output and standard error with the .out file beside it.
# To see a difference by hand: tests/golden/run_golden.sh build/bin/zq tests/golden/NAME.zq
zq=$1
script=$2
expected="${script%.zq}.out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$script" "$work/"
actual="$work/actual.out"
(cd "$work" && COLUMNS=${GOLDEN_COLUMNS:-80} "$zq" -k "$(basename "$script")" >"$actual" 2>&1)
if cmp -s "$expected" "$actual"; then
  exit 0
fi
diff -u "$expected" "$actual" | head -n 60
exit 1
