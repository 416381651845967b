// FAR 3's settings API: SCTL_ commands on per-plugin stores, with a transaction per handle.
#include "Far3SettingsStore.h"

#include <climits>
#include <cstring>
#include <deque>

namespace far3host {

namespace {

std::string Utf8(const std::wstring& s) { return Narrow(s); }

// sqlite3Atoi64 as sqlite3_column_int64 uses it on a text: blanks, a sign, the digits that
// follow; anything after them is ignored, a text without digits is 0, overflow saturates.
long long SqliteAtoi(const std::string& s) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  unsigned long long u = 0;
  bool overflow = false;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    if (u > (ULLONG_MAX - 9) / 10) overflow = true;
    u = u * 10 + static_cast<unsigned>(s[i] - '0');
  }
  if (negative) {
    if (overflow || u > static_cast<unsigned long long>(LLONG_MAX) + 1) return LLONG_MIN;
    return static_cast<long long>(0 - u);
  }
  if (overflow || u > static_cast<unsigned long long>(LLONG_MAX)) return LLONG_MAX;
  return static_cast<long long>(u);
}

std::string StoreName(const GUID& g, bool local) { return (local ? "local:" : "roaming:") + GuidText(g); }

}  // namespace

Far3Value Far3Value::OfNumber(unsigned long long n) {
  Far3Value v;
  v.kind = Number;
  v.number = n;
  return v;
}
Far3Value Far3Value::OfText(const std::wstring& t) {
  Far3Value v;
  v.kind = Text;
  v.text = t;
  return v;
}
Far3Value Far3Value::OfBlob(const std::string& b) {
  Far3Value v;
  v.kind = Blob;
  v.blob = b;
  return v;
}

unsigned long long Far3Value::AsNumber() const {
  switch (kind) {
    case Number: return number;
    case Text: return static_cast<unsigned long long>(SqliteAtoi(Utf8(text)));
    default: return static_cast<unsigned long long>(SqliteAtoi(blob));
  }
}

std::wstring Far3Value::AsText() const {
  switch (kind) {
    case Number: return std::to_wstring(static_cast<long long>(number));
    case Text: return text;
    default: return Widen(blob);
  }
}

std::string Far3Value::AsBlob() const {
  switch (kind) {
    case Number: return std::to_string(static_cast<long long>(number));
    case Text: return Utf8(text);
    default: return blob;
  }
}

bool Far3Value::operator==(const Far3Value& o) const {
  if (kind != o.kind) return false;
  return kind == Number ? number == o.number : kind == Text ? text == o.text : blob == o.blob;
}

// One PluginSettings object: its keys, its open transaction and the texts it handed out.
struct Far3SettingsStore::Handle {
  GUID guid{};
  bool local = false;
  std::vector<Far3SettingsKey*> keys;
  std::map<std::pair<Far3SettingsKey*, std::wstring>, std::optional<Far3Value>> pending;
  std::deque<std::vector<wchar_t>> texts;
  std::deque<std::vector<char>> blobs;

  std::optional<Far3Value> Read(Far3SettingsKey* key, const std::wstring& name) const {
    auto p = pending.find({key, name});
    if (p != pending.end()) return p->second;
    auto v = key->values.find(name);
    if (v == key->values.end()) return std::nullopt;
    return v->second;
  }
};

Far3SettingsStore::Far3SettingsStore(CallLog& log) : log_(log) {}
Far3SettingsStore::~Far3SettingsStore() = default;

Far3SettingsKey& Far3SettingsStore::Root(const GUID& plugin, bool local) {
  return stores_[StoreName(plugin, local)];
}

std::optional<Far3Value> Far3SettingsStore::Get(const GUID& plugin, const std::wstring& name,
                                                bool local) {
  Far3SettingsKey& key = Root(plugin, local);
  auto v = key.values.find(name);
  if (v == key.values.end()) return std::nullopt;
  return v->second;
}

void Far3SettingsStore::Set(const GUID& plugin, const std::wstring& name, const Far3Value& value,
                            bool local) {
  Root(plugin, local).values[name] = value;
}

std::size_t Far3SettingsStore::OpenHandles() const { return handles_.size(); }

Far3SettingsStore::Handle* Far3SettingsStore::Find(HANDLE h) {
  for (auto& p : handles_)
    if (p.get() == h) return p.get();
  return nullptr;
}

void Far3SettingsStore::CheckAllFreed() {
  if (!handles_.empty())
    log_.Fail("SettingsControl: " + std::to_string(handles_.size()) +
              " settings handle(s) never freed with SCTL_FREE: FAR keeps their transaction open "
              "and what they wrote never reaches the database");
  handles_.clear();
}

intptr_t Far3SettingsStore::Create(const GUID& owner, intptr_t location, void* param2) {
  auto* data = static_cast<FarSettingsCreate*>(param2);
  if (!data || !IsReadable(data, sizeof(std::size_t)) || !StructSizeOk(data->StructSize, sizeof *data)) {
    log_.Fail("SettingsControl(SCTL_CREATE): not a FarSettingsCreate of StructSize " +
              std::to_string(sizeof(FarSettingsCreate)));
    return FALSE;
  }
  if (IsNullGuid(data->Guid)) {
    log_.Fail("SettingsControl(SCTL_CREATE): the null GUID opens FAR's own settings, which this "
              "host does not model");
    return FALSE;
  }
  if (std::memcmp(&data->Guid, &owner, sizeof owner) != 0) {
    log_.Fail("SettingsControl(SCTL_CREATE): GUID " + GuidText(data->Guid) +
              " is not the plugin's own " + GuidText(owner));
    return FALSE;  // FindPlugin finds no such plugin
  }
  if (location != PSL_ROAMING && location != PSL_LOCAL)
    log_.Fail("SettingsControl(SCTL_CREATE): Param1 " + std::to_string(location) +
              " is neither PSL_ROAMING nor PSL_LOCAL");
  auto h = std::make_unique<Handle>();
  h->guid = data->Guid;
  h->local = location == PSL_LOCAL;
  h->keys.push_back(&Root(h->guid, h->local));
  data->Handle = h.get();
  handles_.push_back(std::move(h));
  return TRUE;
}

intptr_t Far3SettingsStore::Free(Handle* h) {
  for (auto& [where, value] : h->pending) {
    if (value)
      where.first->values[where.second] = *value;
    else
      where.first->values.erase(where.second);
  }
  // The texts lived in the object FAR deletes now: a plugin that reads them later reads this.
  for (auto& t : h->texts)
    for (std::size_t i = 0; i + 1 < t.size(); ++i) t[i] = L'#';
  for (auto& b : h->blobs)
    for (char& c : b) c = '#';
  retired_.push_back(std::make_unique<Handle>());
  retired_.back()->texts = std::move(h->texts);
  retired_.back()->blobs = std::move(h->blobs);
  for (auto it = handles_.begin(); it != handles_.end(); ++it)
    if (it->get() == h) {
      handles_.erase(it);
      break;
    }
  return TRUE;
}

intptr_t Far3SettingsStore::Control(const GUID& owner, HANDLE handle, int command,
                                    intptr_t param1, void* param2) {
  const std::string w = "SettingsControl(" + std::to_string(command) + "): ";
  if (command == SCTL_CREATE) return Create(owner, param1, param2);
  if (!handle) return FALSE;
  Handle* h = Find(handle);
  if (!h) {
    log_.Fail(w + "a handle SCTL_CREATE did not give, or one already freed (FAR would crash)");
    return FALSE;
  }
  switch (command) {
    case SCTL_FREE:
      return Free(h);
    case SCTL_SET:
    case SCTL_GET: {
      auto* item = static_cast<FarSettingsItem*>(param2);
      if (!item || !IsReadable(item, sizeof(std::size_t)) ||
          !StructSizeOk(item->StructSize, sizeof *item) || !IsReadable(item, sizeof *item)) {
        log_.Fail(w + "not a FarSettingsItem of StructSize " + std::to_string(sizeof(FarSettingsItem)));
        return FALSE;
      }
      if (item->Root >= h->keys.size()) return FALSE;
      Far3SettingsKey* key = h->keys[item->Root];
      const std::wstring name = PluginText(log_, item->Name, w + "Name");
      if (command == SCTL_SET) {
        switch (item->Type) {
          case FST_QWORD: h->pending[{key, name}] = Far3Value::OfNumber(item->Number); return TRUE;
          case FST_STRING:
            h->pending[{key, name}] = Far3Value::OfText(PluginText(log_, item->String, w + "String"));
            return TRUE;
          case FST_DATA: {
            const auto* bytes = static_cast<const char*>(item->Data.Data);
            if (item->Data.Size && !IsReadable(bytes, item->Data.Size)) {
              log_.Fail(w + "Data is not readable for its Size");
              return FALSE;
            }
            h->pending[{key, name}] = Far3Value::OfBlob(std::string(bytes, item->Data.Size));
            return TRUE;
          }
          default: return FALSE;
        }
      }
      if (!IsWritable(item, sizeof *item)) {
        log_.Fail(w + "the FarSettingsItem is not writable");
        return FALSE;
      }
      const std::optional<Far3Value> v = h->Read(key, name);
      if (!v || item->Type == FST_SUBKEY) return FALSE;
      switch (item->Type) {
        case FST_QWORD: item->Number = v->AsNumber(); return TRUE;
        case FST_STRING: {
          const std::wstring t = v->AsText();
          h->texts.emplace_back(t.begin(), t.end());
          h->texts.back().push_back(0);
          item->String = h->texts.back().data();
          return TRUE;
        }
        case FST_DATA: {
          const std::string b = v->AsBlob();
          h->blobs.emplace_back(b.begin(), b.end());
          h->blobs.back().push_back(0);
          item->Data.Data = h->blobs.back().data();
          item->Data.Size = b.size();
          return TRUE;
        }
        default: return FALSE;
      }
    }
    case SCTL_DELETE:
    case SCTL_CREATESUBKEY:
    case SCTL_OPENSUBKEY: {
      auto* value = static_cast<FarSettingsValue*>(param2);
      if (!value || !IsReadable(value, sizeof *value) || !StructSizeOk(value->StructSize, sizeof *value)) {
        log_.Fail(w + "not a FarSettingsValue of StructSize " + std::to_string(sizeof(FarSettingsValue)));
        return FALSE;
      }
      if (value->Root >= h->keys.size()) return FALSE;
      Far3SettingsKey* key = h->keys[value->Root];
      const std::wstring name = PluginText(log_, value->Value, w + "Value");
      if (command == SCTL_DELETE) {
        if (value->Value) {
          h->pending[{key, name}] = std::nullopt;
        } else {
          for (auto& [n, v] : key->values) h->pending[{key, n}] = std::nullopt;
          key->subKeys.clear();
        }
        return TRUE;
      }
      if (name.empty() || name.find(L'\\') != std::wstring::npos) return 0;
      auto sub = key->subKeys.find(name);
      if (sub == key->subKeys.end()) {
        if (command == SCTL_OPENSUBKEY) return 0;
        sub = key->subKeys.emplace(name, std::make_unique<Far3SettingsKey>()).first;
      }
      h->keys.push_back(sub->second.get());
      return static_cast<intptr_t>(h->keys.size() - 1);
    }
    default:
      log_.Fail(w + "a command this host does not model (SCTL_ENUM and others)");
      return FALSE;
  }
}

}  // namespace far3host
