// What FAR checks before it reads or writes memory the plugin hands over, for both stand-ins.
#pragma once

#include <cstddef>

// Committed memory whose protection allows the access, over the whole range; NULL never is.
bool MemoryIsReadable(const void* p, std::size_t size);
bool MemoryIsWritable(void* p, std::size_t size);
