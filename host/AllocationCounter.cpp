// Counts a module's C runtime allocations by patching its import table.
#include "AllocationCounter.h"

#include <cstring>

namespace {

volatile long Allocations = 0;
void*(__cdecl* RealMalloc)(size_t);
void*(__cdecl* RealCalloc)(size_t, size_t);
void*(__cdecl* RealRealloc)(void*, size_t);
void* __cdecl CountMalloc(size_t n) { ++Allocations; return RealMalloc(n); }
void* __cdecl CountCalloc(size_t n, size_t s) { ++Allocations; return RealCalloc(n, s); }
void* __cdecl CountRealloc(void* p, size_t n) { ++Allocations; return RealRealloc(p, n); }

struct TRoute {
  const char* name;
  void* counter;
  void** real;
};

}  // namespace

int CountAllocationsOf(HMODULE module) {
  const TRoute routes[] = {
      {"malloc", reinterpret_cast<void*>(CountMalloc), reinterpret_cast<void**>(&RealMalloc)},
      {"calloc", reinterpret_cast<void*>(CountCalloc), reinterpret_cast<void**>(&RealCalloc)},
      {"realloc", reinterpret_cast<void*>(CountRealloc), reinterpret_cast<void**>(&RealRealloc)},
  };
  BYTE* base = reinterpret_cast<BYTE*>(module);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  int routed = 0;
  for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
       imp->Name; ++imp) {
    if (_stricmp(reinterpret_cast<char*>(base + imp->Name), "msvcrt.dll") != 0) continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
        base + (imp->OriginalFirstThunk ? imp->OriginalFirstThunk : imp->FirstThunk));
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const char* name = reinterpret_cast<char*>(
          reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name);
      for (const TRoute& r : routes) {
        if (strcmp(name, r.name) != 0) continue;
        DWORD old;
        VirtualProtect(&slots->u1.Function, sizeof(void*), PAGE_READWRITE, &old);
        *r.real = reinterpret_cast<void*>(slots->u1.Function);
        slots->u1.Function = reinterpret_cast<DWORD_PTR>(r.counter);
        VirtualProtect(&slots->u1.Function, sizeof(void*), old, &old);
        ++routed;
      }
    }
  }
  return routed;
}

long AllocationCount() { return Allocations; }
