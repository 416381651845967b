// The test registry helpers, and the FarHost methods that apply them to the plugin's root key.
#include "TestRegistry.h"

#include <cstring>

#include "FarHost.h"

namespace farhost {

namespace {

struct RegKey {
  HKEY key = nullptr;
  ~RegKey() {
    if (key) RegCloseKey(key);
  }
};

LONG DeleteKeyTree(HKEY parent, const std::string& sub) {
  RegKey k;
  LONG r = RegOpenKeyExA(parent, sub.c_str(), 0, KEY_READ | KEY_WRITE, &k.key);
  if (r == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (r != ERROR_SUCCESS) return r;
  for (;;) {
    DWORD maxLen = 0;
    r = RegQueryInfoKeyA(k.key, nullptr, nullptr, nullptr, nullptr, &maxLen, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr);
    if (r != ERROR_SUCCESS) return r;
    std::vector<char> name(maxLen + 2);
    DWORD len = static_cast<DWORD>(name.size());
    r = RegEnumKeyExA(k.key, 0, name.data(), &len, nullptr, nullptr, nullptr, nullptr);
    if (r == ERROR_NO_MORE_ITEMS) break;
    if (r != ERROR_SUCCESS) return r;
    r = DeleteKeyTree(k.key, std::string(name.data(), len));
    if (r != ERROR_SUCCESS) return r;
  }
  RegCloseKey(k.key);
  k.key = nullptr;
  return RegDeleteKeyA(parent, sub.c_str());
}

// Deletes HKCU\key when it has neither sub-keys nor values. False when it stays.
bool DeleteIfEmpty(const std::string& key) {
  RegKey k;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k.key) != ERROR_SUCCESS)
    return false;
  DWORD subKeys = 0, values = 0;
  if (RegQueryInfoKeyA(k.key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                       nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
      subKeys != 0 || values != 0)
    return false;
  RegCloseKey(k.key);
  k.key = nullptr;
  return RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str()) == ERROR_SUCCESS;
}

}  // namespace

bool DeleteKeyAndEmptyParents(const std::string& key) {
  if (DeleteKeyTree(HKEY_CURRENT_USER, key) != ERROR_SUCCESS) return false;
  // Parents that this key alone kept alive (e.g. Software\QuenbyTest\<pid>_<name>).
  std::string parent = key;
  for (;;) {
    std::size_t slash = parent.find_last_of('\\');
    if (slash == std::string::npos) break;
    parent.resize(slash);
    if (parent.find('\\') == std::string::npos) break;  // never a top-level key like Software
    if (!DeleteIfEmpty(parent)) break;
  }
  return true;
}

std::optional<RegistryValue> ReadRegistryValue(const std::string& key, const std::string& name) {
  RegKey k;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE, &k.key) != ERROR_SUCCESS)
    return std::nullopt;
  RegistryValue v;
  DWORD size = 0;
  LONG r = RegQueryValueExA(k.key, name.c_str(), nullptr, &v.type, nullptr, &size);
  for (int attempt = 0; attempt < 8 && r == ERROR_SUCCESS; ++attempt) {
    v.data.resize(size);
    DWORD got = size;
    r = RegQueryValueExA(k.key, name.c_str(), nullptr, &v.type,
                         v.data.empty() ? nullptr : v.data.data(), &got);
    if (r == ERROR_SUCCESS) {
      v.data.resize(got);
      return v;
    }
    if (r == ERROR_MORE_DATA) {
      size = got > size ? got : size * 2 + 16;
      r = ERROR_SUCCESS;
    }
  }
  return std::nullopt;
}

bool WriteRegistryValue(const std::string& key, const std::string& name, DWORD type,
                        const void* data, std::size_t size) {
  RegKey k;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      &k.key, nullptr) != ERROR_SUCCESS)
    return false;
  return RegSetValueExA(k.key, name.c_str(), 0, type, static_cast<const BYTE*>(data),
                        static_cast<DWORD>(size)) == ERROR_SUCCESS;
}

bool RegistryKeyExists(const std::string& key) {
  RegKey k;
  return RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k.key) == ERROR_SUCCESS;
}

std::vector<std::string> RegistryValueNames(const std::string& key) {
  std::vector<std::string> names;
  RegKey k;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k.key) != ERROR_SUCCESS)
    return names;
  DWORD count = 0, maxLen = 0;
  if (RegQueryInfoKeyA(k.key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                       &maxLen, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return names;
  std::vector<char> buffer(maxLen + 2);
  for (DWORD i = 0; i < count; ++i) {
    DWORD len = static_cast<DWORD>(buffer.size());
    if (RegEnumValueA(k.key, i, buffer.data(), &len, nullptr, nullptr, nullptr, nullptr) ==
        ERROR_SUCCESS)
      names.emplace_back(buffer.data(), len);
  }
  return names;
}

}  // namespace farhost

// ---------------------------------------------------------------------------------------------
// FarHost's helpers under HKCU\<rootKey>

std::string FarHost::RegPath(const std::string& subKey) const {
  return subKey.empty() ? options.rootKey : options.rootKey + "\\" + subKey;
}

bool FarHost::DeleteRootKey() {
  std::string root = options.rootKey;
  while (!root.empty() && root.back() == '\\') root.pop_back();
  if (root.empty() || farhost::CompareNoCase(root, "Software") == 0) {
    Fail("DeleteRootKey: refusing to delete HKCU\\" + root);
    return false;
  }
  if (!farhost::DeleteKeyAndEmptyParents(root)) return false;
  return !KeyExists("");
}

std::optional<FarHost::RegValue> FarHost::ReadValue(const std::string& name,
                                                    const std::string& subKey) const {
  return farhost::ReadRegistryValue(RegPath(subKey), name);
}

bool FarHost::WriteValue(const std::string& name, DWORD type, const void* data, std::size_t size,
                         const std::string& subKey) {
  return farhost::WriteRegistryValue(RegPath(subKey), name, type, data, size);
}

bool FarHost::WriteDword(const std::string& name, DWORD value, const std::string& subKey) {
  return WriteValue(name, REG_DWORD, &value, sizeof value, subKey);
}

bool FarHost::WriteString(const std::string& name, const std::string& value,
                          const std::string& subKey) {
  return WriteValue(name, REG_SZ, value.c_str(), value.size() + 1, subKey);
}

std::optional<DWORD> FarHost::ReadDword(const std::string& name, const std::string& subKey) const {
  auto v = ReadValue(name, subKey);
  if (!v || v->type != REG_DWORD || v->data.size() != sizeof(DWORD)) return std::nullopt;
  DWORD d;
  std::memcpy(&d, v->data.data(), sizeof d);
  return d;
}

std::optional<std::string> FarHost::ReadString(const std::string& name,
                                               const std::string& subKey) const {
  auto v = ReadValue(name, subKey);
  if (!v || (v->type != REG_SZ && v->type != REG_EXPAND_SZ)) return std::nullopt;
  std::string s(v->data.begin(), v->data.end());
  while (!s.empty() && s.back() == '\0') s.pop_back();
  return s;
}

bool FarHost::KeyExists(const std::string& subKey) const {
  return farhost::RegistryKeyExists(RegPath(subKey));
}

std::vector<std::string> FarHost::ValueNames(const std::string& subKey) const {
  return farhost::RegistryValueNames(RegPath(subKey));
}
