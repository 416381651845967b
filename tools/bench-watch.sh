#!/usr/bin/env bash
# Builds and runs the watch benchmark: the FAR 1.x panel's file searches at FAR 1.75's idle rate
# (bench_idle, 32-bit), then the FAR 3 panel's, its delay from a file's creation to the panel
# showing it, and its threads and handles (bench_watch, x64 under 64-bit Wine).
# Usage: tools/bench-watch.sh [build-dir] [--sizes 1000,10000] [--idle SECONDS] [--trials N]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then build=$1; shift; fi
sizes=1000,10000
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --sizes) sizes=$2; shift 2 ;;
    *) args+=("$1"); shift ;;
  esac
done

bash "$root/tools/bootstrap.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686-posix.cmake" >/dev/null
cmake --build "$build"

source "$root/tools/wine-env.sh" "$build"
wine_start
trap wine_stop EXIT
far1=$(wine "$build/bench/bench_idle.exe" --sizes "$sizes" | tee /dev/stderr | sed -n 's/^far1 idle: //p')
/usr/lib/wine/wine64 "$build/far3tests-x64/bench_watch.exe" --sizes "$sizes" --far1 "$far1" "${args[@]}"
