// Counts a module's file searches by patching its import table (see SearchCounter.h).
#include "SearchCounter.h"

#include "ImportRoutes.h"

namespace {

volatile long Searches = 0;
HANDLE(WINAPI* RealFindFirstFileA)(LPCSTR, LPWIN32_FIND_DATAA);
HANDLE WINAPI CountFindFirstFileA(LPCSTR name, LPWIN32_FIND_DATAA data) {
  ++Searches;
  return RealFindFirstFileA(name, data);
}

}  // namespace

bool CountSearchesOf(HMODULE module) {
  const ImportRoute route{"FindFirstFileA", reinterpret_cast<void*>(&CountFindFirstFileA),
                          reinterpret_cast<void**>(&RealFindFirstFileA)};
  return RouteImports(module, "kernel32.dll", &route, 1) > 0;
}

long SearchCount() { return Searches; }
