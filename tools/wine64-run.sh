#!/usr/bin/env bash
# Runs a 64-bit Windows program under 64-bit Wine with the project's own prefix, quietly. The
# `wine` wrapper would start the 32-bit loader first (under qemu where i386 is emulated); the
# 64-bit loader runs x64 code natively. QUENBY_WINEPREFIX picks the prefix, as in wine-run.sh.
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX="${QUENBY_WINEPREFIX:-$here/../build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="winedbg.exe=d;mscoree,mshtml="
wine64=/usr/lib/wine/wine64
[ -x "$wine64" ] || wine64=$(command -v wine64 || echo wine)
exec "$wine64" "$@"
