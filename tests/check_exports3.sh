#!/usr/bin/env bash
# Checks a FAR 3 quenby.dll (x64 or x86) as FAR 3 and Windows see it: exactly its sixteen entry
# points, exported by their plain names, imports only from system DLLs, and, in the linker map,
# none of the C++ runtime's exception support (the DLL is built without exceptions). Prints the
# size. Usage: check_exports3.sh quenby.dll quenby.map
set -u
dll=${1:?quenby.dll}
map=${2:?quenby.map}
dump=$(x86_64-w64-mingw32-objdump -p "$dll") || { echo "FAIL: cannot read $dll"; exit 1; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

expected="AnalyseW CloseAnalyseW ClosePanelW ConfigureW ExitFARW FreeFindDataW GetFindDataW GetGlobalInfoW GetOpenPanelInfoW GetPluginInfoW OpenW ProcessPanelEventW ProcessPanelInputW ProcessSynchroEventW SetDirectoryW SetStartupInfoW"
exports=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '/\[/ && !/Table/ {print $NF}' | sort | tr '\n' ' ' | sed 's/ $//')
[ "$exports" = "$expected" ] || fail "exports are '$exports', expected '$expected'"

dlls=$(printf '%s\n' "$dump" | awk '/DLL Name:/ {print toupper($3)}' | sort -u | tr '\n' ' ' | sed 's/ $//')
for d in $dlls; do
  case "$d" in KERNEL32.DLL|USER32.DLL|ADVAPI32.DLL|VERSION.DLL|MSVCRT.DLL) ;;
    *) fail "imports from $d" ;; esac
done
count=$(printf '%s\n' "$dump" | awk '/DLL Name:/ {in_imp=1} in_imp && /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ {n++} END {print n+0}')
[ "$count" -gt 10 ] || fail "import table could not be read ($count functions)"

support='__cxa_[a-z_]+|_Unwind_[A-Za-z_]+|__gxx_personality_[a-z0-9]+|__emutls_[a-z_]+'
support="$support|libgcc_eh\.a\([a-z0-9_-]+\.o\)|libstdc\+\+\.a\((eh_|cp-demangle|vterminate)[a-z_]*\.o\)"
if [ -r "$map" ]; then
  linked=$(grep -oE "$support" "$map" | sort -u | tr '\n' ' ')
  [ -z "$linked" ] || fail "the C++ runtime's exception support is linked in: $linked"
else
  fail "cannot read the linker map $map"
fi

echo "exports: $exports"
echo "import DLLs: $dlls ($count functions)"
echo "size: $(stat -c %s "$dll") bytes"
echo "$((failures == 0 ? 1 : 0)) passed, $failures failed"
[ "$failures" -eq 0 ]
