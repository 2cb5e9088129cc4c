#!/bin/sh
# Runs one golden script under zq -k in a scratch directory and compares its
# merged standard output and standard error with the .out file beside it.
# A first line "% COLUMNS=N" runs the script in an N-column window (80 else).
# Lines "% SETUP: COMMAND" are run by sh in the scratch directory first, in
# order, each from that directory (to make the directories, links and dated
# files a script lists).
# Lines "% ENV NAME=VALUE" set an environment variable for the run and
# lines "% ENV -NAME" remove one.
# To see a difference by hand: tests/golden/run_golden.sh build/bin/zq tests/golden/NAME.zq
zq=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
script=$2
expected="${script%.zq}.out"
work=$(mktemp -d)
trap 'chmod -R u+rwx "$work" 2>/dev/null; rm -rf "$work"' EXIT
cp "$script" "$work/"
actual="$work/actual.out"
sed -n 's/^% SETUP: \(.*\)$/(\1)/p' "$script" | (cd "$work" && sh -e) || exit 1
columns=$(sed -n '1s/^% COLUMNS=\([0-9][0-9]*\)$/\1/p' "$script")
# The removals first: env takes its options before the assignments. Errors
# show no places unless a script asks for them with ZQ_ERROR_PLACES=1.
set -- -u ZQ_ERROR_PLACES
for name in $(sed -n 's/^% ENV -\([A-Za-z_][A-Za-z0-9_]*\)$/\1/p' "$script"); do
  set -- "$@" -u "$name"
done
assignments=$(sed -n 's/^% ENV \([A-Za-z_][A-Za-z0-9_]*=.*\)$/\1/p' "$script")
while IFS= read -r assignment; do
  [ -n "$assignment" ] && set -- "$@" "$assignment"
done <<END
$assignments
END
(cd "$work" && env "$@" COLUMNS="${columns:-80}" "$zq" -k "$(basename "$script")" >"$actual" 2>&1)
if cmp -s "$expected" "$actual"; then
  exit 0
fi
diff -u "$expected" "$actual" | head -n 60
exit 1
