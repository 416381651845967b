#!/usr/bin/env bash
# Builds quenby.dll and the benchmark, and runs the benchmark under Wine.
# Usage: tools/bench.sh [build-dir] [--sizes 1000,10000[,100000]] [--reps N]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then build=$1; shift; fi

bash "$root/tools/bootstrap.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686-posix.cmake" >/dev/null
cmake --build "$build" --target bench wait_for_drives

source "$root/tools/wine-env.sh" "$build"
wine_start
trap wine_stop EXIT
wine "$build/bench/bench.exe" "$@"
