// Routes a loaded module's imports to replacements, for the counters that watch the plugin.
#pragma once

#include <windows.h>
#include <cstddef>

// One function to route: the import's name, its replacement, and where to keep the original.
struct ImportRoute {
  const char* name;
  void* replacement;
  void** original;
};

// Routes the module's imports from `dll` (case-insensitive) named in `routes`. Returns the
// number of imports routed.
int RouteImports(HMODULE module, const char* dll, const ImportRoute* routes, std::size_t count);
