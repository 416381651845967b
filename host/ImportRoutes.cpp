// Routes a loaded module's imports to replacements by rewriting its import address table.
#include "ImportRoutes.h"

#include <cstring>

int RouteImports(HMODULE module, const char* dll, const ImportRoute* routes, std::size_t count) {
  BYTE* base = reinterpret_cast<BYTE*>(module);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  int routed = 0;
  for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
       imp->Name; ++imp) {
    if (_stricmp(reinterpret_cast<char*>(base + imp->Name), dll) != 0) continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
        base + (imp->OriginalFirstThunk ? imp->OriginalFirstThunk : imp->FirstThunk));
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const char* name = reinterpret_cast<char*>(
          reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name);
      for (std::size_t i = 0; i < count; ++i) {
        if (std::strcmp(name, routes[i].name) != 0) continue;
        DWORD old;
        VirtualProtect(&slots->u1.Function, sizeof(void*), PAGE_READWRITE, &old);
        *routes[i].original = reinterpret_cast<void*>(slots->u1.Function);
        slots->u1.Function = reinterpret_cast<DWORD_PTR>(routes[i].replacement);
        VirtualProtect(&slots->u1.Function, sizeof(void*), old, &old);
        ++routed;
      }
    }
  }
  return routed;
}
