// Counts a module's C runtime allocations by patching its import table.
#include "AllocationCounter.h"

#include "ImportRoutes.h"

namespace {

volatile long Allocations = 0;
void*(__cdecl* RealMalloc)(size_t);
void*(__cdecl* RealCalloc)(size_t, size_t);
void*(__cdecl* RealRealloc)(void*, size_t);
void* __cdecl CountMalloc(size_t n) { ++Allocations; return RealMalloc(n); }
void* __cdecl CountCalloc(size_t n, size_t s) { ++Allocations; return RealCalloc(n, s); }
void* __cdecl CountRealloc(void* p, size_t n) { ++Allocations; return RealRealloc(p, n); }

}  // namespace

int CountAllocationsOf(HMODULE module) {
  const ImportRoute routes[] = {
      {"malloc", reinterpret_cast<void*>(CountMalloc), reinterpret_cast<void**>(&RealMalloc)},
      {"calloc", reinterpret_cast<void*>(CountCalloc), reinterpret_cast<void**>(&RealCalloc)},
      {"realloc", reinterpret_cast<void*>(CountRealloc), reinterpret_cast<void**>(&RealRealloc)},
  };
  return RouteImports(module, "msvcrt.dll", routes, sizeof routes / sizeof routes[0]);
}

long AllocationCount() { return Allocations; }
