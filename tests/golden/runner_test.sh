#!/usr/bin/env bash
# The golden runner fails a run whose output is right but whose exit status
# is not: a crash after the last line, or an error status without an error.
set -u
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'disp(1)\n' >"$work/case.zq"
printf '     1\n' >"$work/case.out"
failures=0
expect() {  # description, expected runner status, fake zq's exit command
  printf '#!/usr/bin/env bash\necho "     1"\n%s\n' "$3" >"$work/zq"
  chmod +x "$work/zq"
  "$here/run_golden.sh" "$work/zq" "$work/case.zq" >/dev/null
  local got=$?
  if [ "$got" -ne "$2" ]; then
    echo "$1: the runner exited $got, expected $2"
    failures=$((failures + 1))
  fi
}
expect "a clean run" 0 "exit 0"
expect "a crash after the last line" 1 'kill -SEGV $$'
expect "an error status without an error" 1 "exit 1"
printf '     1\nerror: Stopped.\n' >"$work/case.out"
printf 'disp(1)\nerror(%sStopped.%s)\n' "'" "'" >"$work/case.zq"
printf '#!/usr/bin/env bash\necho "     1"\necho "error: Stopped." >&2\nexit 1\n' >"$work/zq"
chmod +x "$work/zq"
if ! "$here/run_golden.sh" "$work/zq" "$work/case.zq" >/dev/null; then
  echo "an expected error: the runner failed"
  failures=$((failures + 1))
fi
exit $((failures > 0))
