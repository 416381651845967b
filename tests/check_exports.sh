#!/usr/bin/env bash
# Checks quenby.dll as FAR and Windows XP see it: exactly the thirteen entry points, exported by
# their plain names, imports only from system DLLs and only functions Windows XP has, and at most
# 64 KB (its size is printed, so that growth is seen). Given the linker map too, checks that none
# of the C++ runtime's exception support was linked in (the DLL is built without exceptions).
# Usage: check_exports.sh quenby.dll [quenby.map]
set -u
dll=${1:?quenby.dll}
map=${2:-}
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
dump=$($objdump -p "$dll") || { echo "FAIL: cannot read $dll"; exit 1; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

expected="ClosePlugin Configure ExitFAR FreeFindData GetFindData GetOpenPluginInfo GetPluginInfo OpenFilePlugin OpenPlugin ProcessEvent ProcessKey SetDirectory SetStartupInfo"
exports=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '/\[/ && !/Table/ {print $NF}' | sort | tr '\n' ' ' | sed 's/ $//')
[ "$exports" = "$expected" ] || fail "exports are '$exports', expected '$expected'"

dlls=$(printf '%s\n' "$dump" | awk '/DLL Name:/ {print toupper($3)}' | sort -u | tr '\n' ' ' | sed 's/ $//')
for d in $dlls; do
  case "$d" in KERNEL32.DLL|USER32.DLL|ADVAPI32.DLL|VERSION.DLL|MSVCRT.DLL) ;;
    *) fail "imports from $d" ;; esac
done

# Functions that came after Windows XP (or need its service packs' successors).
post_xp='GetTickCount64|InitializeCriticalSectionEx|InitOnceExecuteOnce|InitOnceBeginInitialize|InitOnceComplete|InitializeConditionVariable|SleepConditionVariableCS|SleepConditionVariableSRW|WakeConditionVariable|WakeAllConditionVariable|InitializeSRWLock|AcquireSRWLockExclusive|AcquireSRWLockShared|ReleaseSRWLockExclusive|ReleaseSRWLockShared|TryAcquireSRWLockExclusive|GetSystemTimePreciseAsFileTime|CreateSymbolicLink|GetFinalPathNameByHandle|FlsAlloc|FlsGetValue|FlsSetValue|FlsFree|GetLocaleInfoEx|LCMapStringEx|CompareStringEx|GetCurrentProcessorNumber|RegGetValue|RegDeleteTree|CreateEventEx|CreateMutexEx|CreateSemaphoreEx|GetFileInformationByHandleEx|SetFileInformationByHandle|QueryFullProcessImageName|GetErrorMode|K32[A-Za-z]+|_aligned_msize|_wfopen_s|fopen_s|_vsnprintf_s|strcpy_s|memcpy_s'
bad=$(printf '%s\n' "$dump" | awk '/DLL Name:/ {in_imp=1} in_imp && /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ {print $3}' | grep -E "^($post_xp)(A|W)?$" | sort -u | tr '\n' ' ')
[ -z "$bad" ] || fail "imports functions Windows XP lacks: $bad"

count=$(printf '%s\n' "$dump" | awk '/DLL Name:/ {in_imp=1} in_imp && /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ {n++} END {print n+0}')
[ "$count" -gt 10 ] || fail "import table could not be read ($count functions)"

size=$(stat -c %s "$dll")
limit=65536
[ "$size" -le "$limit" ] || fail "$dll is $size bytes, more than $limit"

if [ -n "$map" ]; then
  if [ -r "$map" ]; then
    support='__cxa_[a-z_]+|_Unwind_[A-Za-z_]+|__gxx_personality_[a-z0-9]+|__emutls_[a-z_]+'
    support="$support|libgcc_eh\.a\([a-z0-9_-]+\.o\)|libstdc\+\+\.a\((eh_|cp-demangle|vterminate)[a-z_]*\.o\)"
    linked=$(grep -oE "$support" "$map" | sort -u | tr '\n' ' ')
    [ -z "$linked" ] || fail "the C++ runtime's exception support is linked in: $linked"
  else
    fail "cannot read the linker map $map"
  fi
fi

echo "exports: $exports"
echo "import DLLs: $dlls ($count functions)"
echo "size: $size bytes (at most $limit)"
echo "$((failures == 0 ? 1 : 0)) passed, $failures failed"
[ "$failures" -eq 0 ]
