// Counts a module's file searches by patching its import table (see SearchCounter.h).
#include "SearchCounter.h"

#include <cstring>

namespace {

volatile long Searches = 0;
HANDLE(WINAPI* RealFindFirstFileA)(LPCSTR, LPWIN32_FIND_DATAA);
HANDLE WINAPI CountFindFirstFileA(LPCSTR name, LPWIN32_FIND_DATAA data) {
  ++Searches;
  return RealFindFirstFileA(name, data);
}

}  // namespace

bool CountSearchesOf(HMODULE module) {
  BYTE* base = reinterpret_cast<BYTE*>(module);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
       imp->Name; ++imp) {
    if (_stricmp(reinterpret_cast<char*>(base + imp->Name), "kernel32.dll") != 0) continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
        base + (imp->OriginalFirstThunk ? imp->OriginalFirstThunk : imp->FirstThunk));
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const char* name = reinterpret_cast<char*>(
          reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name);
      if (strcmp(name, "FindFirstFileA") != 0) continue;
      DWORD old;
      VirtualProtect(&slots->u1.Function, sizeof(void*), PAGE_READWRITE, &old);
      RealFindFirstFileA = reinterpret_cast<decltype(RealFindFirstFileA)>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<DWORD_PTR>(&CountFindFirstFileA);
      VirtualProtect(&slots->u1.Function, sizeof(void*), old, &old);
      return true;
    }
  }
  return false;
}

long SearchCount() { return Searches; }
