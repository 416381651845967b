// FAR 3's settings API for plugins (plugapi.cpp apiSettingsControl, plugsettings.cpp): one store
// per plugin GUID and location, kept in memory, with SQLite's reading of a value as another type.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Far3Records.h"

namespace far3host {

// A stored value: FAR's database keeps integers, UTF-8 texts and blobs.
struct Far3Value {
  enum Kind { Number, Text, Blob } kind = Number;
  unsigned long long number = 0;
  std::wstring text;
  std::string blob;
  static Far3Value OfNumber(unsigned long long n);
  static Far3Value OfText(const std::wstring& t);
  static Far3Value OfBlob(const std::string& b);
  // What sqlite3_column_int64 / _text / _blob give for this value.
  unsigned long long AsNumber() const;
  std::wstring AsText() const;
  std::string AsBlob() const;
  bool operator==(const Far3Value& o) const;
};

// One key: its values and its sub-keys.
struct Far3SettingsKey {
  std::map<std::wstring, Far3Value> values;
  std::map<std::wstring, std::unique_ptr<Far3SettingsKey>> subKeys;
};

class Far3SettingsStore {
 public:
  explicit Far3SettingsStore(CallLog& log);
  ~Far3SettingsStore();

  // --- the tests' side ---
  // The plugin's key (the GUID's own key in the database), created when missing. Local picks
  // the local profile (PSL_LOCAL), else the roaming one.
  Far3SettingsKey& Root(const GUID& plugin, bool local = false);
  std::optional<Far3Value> Get(const GUID& plugin, const std::wstring& name, bool local = false);
  void Set(const GUID& plugin, const std::wstring& name, const Far3Value& value, bool local = false);
  void Clear() { stores_.clear(); }
  std::size_t OpenHandles() const;

  // --- SettingsControl, for the plugin whose GUID is `owner` ---
  intptr_t Control(const GUID& owner, HANDLE handle, int command, intptr_t param1, void* param2);
  // At unload: a handle never freed keeps its transaction open, and its writes never reach
  // the database.
  void CheckAllFreed();

 private:
  struct Handle;
  CallLog& log_;
  std::map<std::string, Far3SettingsKey> stores_;
  std::vector<std::unique_ptr<Handle>> handles_;
  std::vector<std::unique_ptr<Handle>> retired_;  // freed handles' texts, kept poisoned

  Handle* Find(HANDLE h);
  intptr_t Create(const GUID& owner, intptr_t location, void* param2);
  intptr_t Free(Handle* h);
};

}  // namespace far3host
