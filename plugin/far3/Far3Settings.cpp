// The FAR 3 plugin's settings: one table, from the list every Quenby DLL shares, binds each field
// to its value name, its default and its kind; FAR 3's settings API stores them.
#include "Far3Settings.h"

#include "../SettingsList.h"
#include "Far3Intf.h"

TSettings Settings;

namespace {

struct TSettingField {
  const wchar_t* Name;
  int TSettings::*Number;         // a number, or
  std::wstring TSettings::*Text;  // a text
  int Default;
  size_t TextLimit;  // the FAR 1.x DLL's block size
};

#define QUENBY_WIDE_(Text) L##Text
#define QUENBY_WIDE(Text) QUENBY_WIDE_(Text)
#define NUMBER_SETTING(F, D) {QUENBY_WIDE(#F), &TSettings::F, nullptr, D, 0},
#define TEXT_SETTING(F, N) {QUENBY_WIDE(#F), nullptr, &TSettings::F, 0, N},
const TSettingField SettingFields[] = {QUENBY_SETTINGS(NUMBER_SETTING, TEXT_SETTING)};
#undef NUMBER_SETTING
#undef TEXT_SETTING

// FAR's settings of the plugin, open while the object lives.
class TFarSettings {
 public:
  TFarSettings() {
    FarSettingsCreate Create{sizeof(Create), PluginGuid, INVALID_HANDLE_VALUE};
    if (StartupInfo.SettingsControl &&
        StartupInfo.SettingsControl(INVALID_HANDLE_VALUE, SCTL_CREATE, PSL_ROAMING, &Create))
      FHandle = Create.Handle;
  }
  ~TFarSettings() {
    if (FHandle != INVALID_HANDLE_VALUE) StartupInfo.SettingsControl(FHandle, SCTL_FREE, 0, nullptr);
  }
  TFarSettings(const TFarSettings&) = delete;
  TFarSettings& operator=(const TFarSettings&) = delete;
  bool Open() const { return FHandle != INVALID_HANDLE_VALUE; }

  bool Get(FarSettingsItem& Item) const {
    return StartupInfo.SettingsControl(FHandle, SCTL_GET, 0, &Item) != 0;
  }
  void Set(const FarSettingsItem& Item) const {
    StartupInfo.SettingsControl(FHandle, SCTL_SET, 0, const_cast<FarSettingsItem*>(&Item));
  }

 private:
  HANDLE FHandle = INVALID_HANDLE_VALUE;
};

FarSettingsItem MakeItem(const TSettingField& F) {
  FarSettingsItem Item{};
  Item.StructSize = sizeof(Item);
  Item.Root = FSSF_ROOT;
  Item.Name = F.Name;
  Item.Type = F.Number ? FST_QWORD : FST_STRING;
  return Item;
}

// FAR 3 handles long paths: the list file's path is kept whole; the extension keeps its three
// letters, as the dialog's field does.
size_t Far3Limit(const TSettingField& F) {
  return F.Text == &TSettings::FileSystemFile ? std::wstring::npos : F.TextLimit;
}

// FAR does not check the stored type: a value stored as some text or data reads through
// FST_QWORD as a number all the same ("abc" as 0). Read as FST_STRING, a number is its decimal
// text; anything else is no number, and the setting keeps its default.
bool IsNumberText(const wchar_t* Text) {
  if (*Text == L'-') ++Text;
  if (!*Text) return false;
  for (; *Text; ++Text)
    if (*Text < L'0' || *Text > L'9') return false;
  return true;
}

bool ReadNumber(const TFarSettings& Store, const TSettingField& F, int& Value) {
  FarSettingsItem Item = MakeItem(F);
  Item.Type = FST_STRING;
  if (!Store.Get(Item) || !Item.String || !IsNumberText(Item.String)) return false;
  Value = static_cast<int>(wcstoll(Item.String, nullptr, 10));
  return true;
}

}  // namespace

void ResetSettings() {
  for (const TSettingField& F : SettingFields) {
    if (F.Number)
      Settings.*F.Number = F.Default;
    else
      (Settings.*F.Text).clear();
  }
}

void LoadSettings() {
  ResetSettings();
  TFarSettings Store;
  if (!Store.Open()) return;
  for (const TSettingField& F : SettingFields) {
    if (F.Number) {
      ReadNumber(Store, F, Settings.*F.Number);  // a value that is no number keeps the default
      continue;
    }
    FarSettingsItem Item = MakeItem(F);
    if (Store.Get(Item) && Item.String)
      (Settings.*F.Text).assign(Item.String, wcsnlen(Item.String, Far3Limit(F)));
  }
}

void SaveSettings() {
  TFarSettings Store;
  if (!Store.Open()) return;
  for (const TSettingField& F : SettingFields) {
    FarSettingsItem Item = MakeItem(F);
    if (F.Number)
      Item.Number = static_cast<unsigned long long>(static_cast<long long>(Settings.*F.Number));
    else
      Item.String = (Settings.*F.Text).c_str();
    Store.Set(Item);
  }
}

size_t SettingTextLimit(const std::wstring TSettings::*Field) {
  for (const TSettingField& F : SettingFields)
    if (F.Text == Field) return Far3Limit(F);
  return 0;
}
