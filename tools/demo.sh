#!/usr/bin/env bash
# Shows Quenby working in a terminal FAR stand-in: installs what is missing, builds the plugin
# and the demo into ./build (the same configuration as tools/test.sh), and runs the demo under
# Wine on an example list. Interactive on a terminal (F10 quits); otherwise it plays a short
# script and prints every screen (keys may also come on standard input, or as arguments:
# tools/demo.sh --script "Down Down Down Down Down Enter Down Enter F10").
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUENBY_BUILD_DIR:-$root/build}

bash "$root/tools/bootstrap.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686-posix.cmake" >/dev/null
cmake --build "$build" --target quenby_demo wait_for_drives

source "$root/tools/wine-env.sh" "$build"
wine_start
trap wine_stop EXIT
demo="$build/demo/quenby_demo.exe"
if [ -t 0 ] && [ -t 1 ]; then
  # Wine's console passes keys on as they are typed only from a raw terminal.
  tty_mode=$(stty -g)
  trap 'stty "$tty_mode"; wine_stop' EXIT
  echo "Starting the demo under Wine (the first key takes a few seconds; F10 quits)..."
  stty raw -echo
  wine "$demo" "$@"
elif [ -t 0 ]; then
  wine "$demo" --play "$@" </dev/null
else
  wine "$demo" "$@"
fi
