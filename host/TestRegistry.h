// The test registry helpers: the values under a test's root key in HKCU, read, written and removed.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

namespace farhost {

// A raw registry value: its type and its bytes as stored.
struct RegistryValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

// Each takes the key's path below HKEY_CURRENT_USER.
std::optional<RegistryValue> ReadRegistryValue(const std::string& key, const std::string& name);
// Any type and any length; the key is created.
bool WriteRegistryValue(const std::string& key, const std::string& name, DWORD type,
                        const void* data, std::size_t size);
bool RegistryKeyExists(const std::string& key);
std::vector<std::string> RegistryValueNames(const std::string& key);
// Removes the key and everything below it, then its parent keys as long as they are empty
// (never a top-level key such as Software). False when the key could not be removed.
bool DeleteKeyAndEmptyParents(const std::string& key);

}  // namespace farhost
