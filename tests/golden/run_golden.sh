#!/usr/bin/env bash
# Runs one golden script under zq -k in a scratch directory and compares its
# merged standard output and standard error with the .out file beside it,
# and its exit status with the one expected: 1 when the .out file holds an
# error ("error: ..." or "interrupted" at the start of a line), else 0. So
# a crash after the last line fails the test too.
# Comment lines at the start of the script set up the run:
#   % COLUMNS=N       an N-column window (80 else)
#   % ULIMIT=ARGS     resource limits for the run, as bash's `ulimit ARGS` sets them
#   % EXIT=N          the exit status expected, when it is not the usual one
# and lines anywhere in it:
#   % SETUP: COMMAND  run by sh in the scratch directory first, in order, each
#                     from that directory (to make the directories, links and
#                     dated files a script lists)
#   % ENV NAME=VALUE  sets an environment variable for the run
#   % ENV -NAME       removes one
# To see a difference by hand: tests/golden/run_golden.sh build/bin/zq tests/golden/NAME.zq
zq=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
script=$2
expected="${script%.zq}.out"
work=$(mktemp -d)
trap 'chmod -R u+rwx "$work" 2>/dev/null; rm -rf "$work"' EXIT
cp "$script" "$work/"
actual="$work/actual.out"
# The value of a "% NAME=VALUE" line among the leading comment lines.
header() {
  sed -n "/^%/!q; s/^% $1=\\(.*\\)\$/\\1/p" "$script"
}
sed -n 's/^% SETUP: \(.*\)$/(\1)/p' "$script" | (cd "$work" && sh -e) || exit 1
columns=$(header COLUMNS)
limits=$(header ULIMIT)
status=$(header EXIT)
if [ -z "$status" ]; then
  status=0
  grep -qE '^(error: |interrupted$)' "$expected" && status=1
fi
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
(
  cd "$work" || exit 99
  if [ -n "$limits" ]; then
    # shellcheck disable=SC2086
    ulimit $limits || exit 99
  fi
  env "$@" COLUMNS="${columns:-80}" "$zq" -k "$(basename "$script")" >"$actual" 2>&1
)
got=$?
if cmp -s "$expected" "$actual" && [ "$got" -eq "$status" ]; then
  exit 0
fi
diff -u "$expected" "$actual" | head -n 60
[ "$got" -eq "$status" ] || echo "exit status $got, expected $status"
exit 1
