# Sourced by the scripts that run programs under Wine: a prefix inside the build tree and one
# persistent wineserver for the whole run (without it every program start waits for Wine's
# background processes).
_build=$(cd "${1:?build dir}" && pwd)
export QUENBY_WINEPREFIX="$_build/wineprefix"
export WINEPREFIX="$QUENBY_WINEPREFIX" WINEDEBUG=-all
export WINEDLLOVERRIDES="winedbg.exe=d;mscoree,mshtml="
export QEMU_RESERVED_VA="${QEMU_RESERVED_VA:-0x82000000}"

wine_start() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix in $WINEPREFIX (once per build tree)..."
    # Under emulation wineboot has been seen to stall for good: bound it, and try once more on
    # a fresh prefix.
    local try
    for try in 1 2; do
      mkdir -p "$WINEPREFIX"
      if timeout 600 wineboot -i </dev/null >/dev/null 2>&1; then
        timeout 300 wineserver -w </dev/null >/dev/null 2>&1 || true
        [ -f "$WINEPREFIX/system.reg" ] && break
      fi
      echo "wineboot did not finish (try $try); starting again on a fresh prefix..."
      wineserver -k </dev/null >/dev/null 2>&1 || true
      rm -rf "$WINEPREFIX"
    done
    [ -f "$WINEPREFIX/system.reg" ] || { echo "Cannot create the Wine prefix" >&2; return 1; }
  fi
  (wineserver -p </dev/null >/dev/null 2>&1 &)
  # The first program starts Wine's services; the drive list comes with the mount manager, which
  # may come later (see tools/wait_for_drives.cpp). Programs that list drives wait for it.
  local waiter="$_build/tools/wait_for_drives.exe"
  if [ -f "$waiter" ]; then
    wine "$waiter" 300 </dev/null 2>/dev/null ||
      echo "Going on without Wine's drive list: the disks menus will show no drive" >&2
  else
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  fi
}

wine_stop() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
}
