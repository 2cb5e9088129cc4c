#!/usr/bin/env bash
# A script with a 10 MB line, run under a 200 MiB address-space limit: the
# line that cannot be read reports "Out of memory." and the lines around it
# run.
set -u
zq=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
{
  echo "disp('before')"
  printf 'x = ['
  yes '1' | head -n 5000000 | tr '\n' ' '
  echo '];'
  echo "disp('after')"
} >"$work/long.zq"
actual=$(cd "$work" && ulimit -v 204800 && "$zq" -k long.zq 2>&1)
status=$?
expected=$'before\nerror: Out of memory.\nafter'
if [ "$actual" != "$expected" ] || [ "$status" -ne 1 ]; then
  echo "expected (status 1):"
  echo "$expected"
  echo "got (status $status):"
  echo "$actual" | head -c 2000
  exit 1
fi
