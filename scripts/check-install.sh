#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks the installed tree as a
# host developer meets it: no path of the build machine in any installed
# file, relative RUNPATHs, versioned shared libraries, zq running from the
# prefix, and the example host (examples/host) built and run against the
# prefix once with pkg-config and once with find_package.
# With --subproject it also builds the example host with the library's
# sources as a subproject (add_subdirectory, without the shell).
# Usage: scripts/check-install.sh [--subproject] [BUILD_DIR]   (default: build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
subproject=no
if [ "${1:-}" = "--subproject" ]; then
  subproject=yes
  shift
fi
build="$(cd "${1:-$root/build}" && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"

fail() { echo "check-install: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
libdir=$(dirname "$(find "$prefix" -name 'libzqbuiltins.so' | head -n 1)")
[ -d "$libdir" ] || fail "libzqbuiltins.so not installed"

# The installed tree names neither the source nor the build directory.
if grep -rlF -e "$root" -e "$build" "$prefix"; then
  fail "installed files above hold paths of the build tree"
fi

for lib in zqbuiltins qx ut zqservices zqmpath; do
  [ -L "$libdir/lib$lib.so" ] || fail "lib$lib.so is not a link to a versioned library"
  soname=$(readelf -d "$libdir/lib$lib.so" | sed -n 's/.*SONAME.*\[\(.*\)\]/\1/p')
  [[ "$soname" =~ ^lib$lib\.so\.[0-9]+$ ]] || fail "lib$lib.so has the SONAME '$soname'"
  runpath=$(readelf -d "$libdir/lib$lib.so" | sed -n 's/.*RUNPATH.*\[\(.*\)\]/\1/p')
  [ "$runpath" = '$ORIGIN' ] || fail "lib$lib.so has the RUNPATH '$runpath'"
done
[ -f "$prefix/include/zqbuiltins/zqbuiltins.h" ] || fail "zqbuiltins.h not installed"
[ -f "$prefix/share/man/man1/zq.1" ] || fail "zq.1 not installed"
runpath=$(readelf -d "$prefix/bin/zq" | sed -n 's/.*RUNPATH.*\[\(.*\)\]/\1/p')
[[ "$runpath" == '$ORIGIN/'* ]] || fail "zq has the RUNPATH '$runpath'"

# zq runs from the prefix without help from the environment.
version=$(env -u LD_LIBRARY_PATH "$prefix/bin/zq" --version)
[[ "$version" =~ ^zq\ [0-9]+\.[0-9]+\.[0-9]+\ \(libzqbuiltins\ [0-9]+\.[0-9]+\.[0-9]+\.[0-9]+, ]] ||
  fail "zq --version says '$version'"
[ "$(env -u LD_LIBRARY_PATH "$prefix/bin/zq" -e "disp(sprintf('%d', 42))")" = 42 ] || fail "zq does not run"

# The example host prints a version line, then what expected.out holds.
check_example() {
  local program=$1 how=$2
  local output="$work/example-$how.out"
  env -u LD_LIBRARY_PATH "$program" >"$output"
  head -n 1 "$output" | grep -Eq '^libzqbuiltins [0-9]+\.[0-9]+\.[0-9]+\.[0-9]+, built [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{4}$' ||
    fail "example host ($how): version line '$(head -n 1 "$output")'"
  tail -n +2 "$output" | diff -u "$root/examples/host/expected.out" - || fail "example host ($how): output differs"
  echo "example host built with $how: ok"
}

export PKG_CONFIG_PATH="$libdir/pkgconfig"
# shellcheck disable=SC2046
c++ -std=c++20 -Wall -Wextra -Werror -o "$work/example-pkg-config" "$root/examples/host/example_host.cpp" \
  $(pkg-config --cflags --libs zqbuiltins) -Wl,-rpath,"$(pkg-config --variable=libdir zqbuiltins)"
check_example "$work/example-pkg-config" pkg-config

cmake -S "$root/examples/host" -B "$work/example-build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/example-build" >/dev/null
check_example "$work/example-build/example_host" find_package

if [ "$subproject" = yes ]; then
  cmake -S "$root/examples/host" -B "$work/subproject-build" -DZQBUILTINS_SOURCE_DIR="$root" >/dev/null
  cmake --build "$work/subproject-build" -j"$(nproc)" >/dev/null
  check_example "$work/subproject-build/example_host" add_subdirectory
fi
