// Counts the file searches a module starts (its calls of FindFirstFileA), by routing its import
// through a counter: the benchmark's figure that load on the machine does not blur.
#pragma once

#include <windows.h>

// Routes the module's import; false when it imports no FindFirstFileA from kernel32.
bool CountSearchesOf(HMODULE module);
// Searches the routed modules have started so far.
long SearchCount();
