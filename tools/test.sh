#!/usr/bin/env bash
# Installs what is missing, builds quenby.dll and everything that runs it, and runs every test
# under Wine. Usage: tools/test.sh [build-dir] [extra ctest arguments...]
set -euo pipefail
started=$SECONDS
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}; shift || true

bash "$root/tools/bootstrap.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686-posix.cmake" >/dev/null
cmake --build "$build"

source "$root/tools/wine-env.sh" "$build"
wine_start
trap wine_stop EXIT
status=0
ctest --test-dir "$build" --output-on-failure "$@" || status=$?
# Cases a suite skipped for the machine it runs on, with their reasons (gtest prints them).
grep -h '^\[  SKIPPED \] [A-Za-z0-9_/]*\.[A-Za-z0-9_/]*: ' "$build/Testing/Temporary/LastTest.log" 2>/dev/null | sort -u || true
echo "tools/test.sh took $(( (SECONDS - started) / 60 )) min $(( (SECONDS - started) % 60 )) s"
exit $status
