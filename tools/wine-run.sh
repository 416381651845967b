#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's own prefix, quietly.
# QUENBY_WINEPREFIX picks the prefix; the test script points it into the build tree.
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX="${QUENBY_WINEPREFIX:-$here/../build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="winedbg.exe=d;mscoree,mshtml="
# Only read when 32-bit code runs under qemu-i386 (see tools/bootstrap.sh): a smaller guest
# address space makes Wine's start-up reservations cheap for the emulator.
export QEMU_RESERVED_VA="${QEMU_RESERVED_VA:-0x82000000}"
exec wine "$@"
