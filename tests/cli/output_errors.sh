#!/usr/bin/env bash
# What zq reports when its own output cannot be written, and how it names
# characters it cannot show.
set -u
zq=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # name, expected status, expected text, actual status, actual text
  if [ "$4" -ne "$2" ] || [ "$5" != "$3" ]; then
    printf '%s: expected status %s and\n%s\ngot status %s and\n%s\n' "$1" "$2" "$3" "$4" "$5"
    failures=$((failures + 1))
  fi
}

# A write error on standard output is reported on standard error, and the
# run fails.
"$zq" -e 'disp(1)' >/dev/full 2>"$work/err"
check "full standard output" 1 "zq: error writing standard output: No space left on device" $? "$(cat "$work/err")"

# Reading standard output is refused with a code, not as a failed write:
# the run stays clean.
"$zq" -e 'x = fgets(1); y = fread(1); z = fscanf(1, "%c"); disp(ferror(1))' >"$work/out" 2>"$work/err"
check "reading standard output" 0 "" $? "$(cat "$work/err")"

# A NUL byte in a script is named by its code, the message whole.
printf 'x = 1;\ny = 2 \0 3;\n' >"$work/nul.zq"
"$zq" "$work/nul.zq" >/dev/null 2>"$work/err"
check "NUL byte" 1 "error: Invalid character (code 0) at line 2, column 7." $? "$(cat "$work/err")"

exit $((failures > 0))
