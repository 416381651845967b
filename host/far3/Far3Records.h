// FAR 3's reads of the plugin's memory: wide texts, arrays and the records the plugin hands back,
// copied and checked as FAR 3 reads them (plclass.cpp, plugins.cpp, filelist.cpp UpdatePlugin).
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "CallLog.h"
#include "far3.h"

namespace far3host {

using farhost::CallLog;

// Committed memory whose protection allows the access, over the whole range.
bool IsReadable(const void* p, std::size_t size);
bool IsWritable(void* p, std::size_t size);
// The NUL-terminated wide text at p, read only within committed readable memory. False when p is
// NULL, unreadable, or has no NUL within maxLength characters.
bool ReadWText(const wchar_t* p, std::wstring& out, std::size_t maxLength = 1 << 20);
// A text pointer the plugin hands over: NULL gives "" (FAR's NullToEmpty), anything else must be
// a readable NUL-terminated text, else a failure named `what`.
std::wstring PluginText(CallLog& log, const wchar_t* p, const std::string& what,
                        bool* isNull = nullptr);

// UTF-8 <-> UTF-16 for the log and the tests.
std::string Narrow(const std::wstring& s);
std::wstring Widen(const std::string& utf8);
std::string GuidText(const GUID& g);
bool IsNullGuid(const GUID& g);

// FAR's CheckStructSize (plugins.cpp): the size the plugin wrote must be at least FAR's and not
// unreasonably large.
bool StructSizeOk(std::size_t actual, std::size_t expected);

// FAR 3's copy of GlobalInfo, and why LoadData would refuse the plugin ("" when it would not).
struct GlobalInfoCopy {
  std::size_t structSize = 0;
  VersionInfo minFarVersion{}, version{};
  GUID guid{};
  std::wstring title, description, author;
};
GlobalInfoCopy CopyGlobalInfo(CallLog& log, const GlobalInfo& raw, std::string& refusal);

// One entry of a PluginInfo menu: its GUID and text.
struct MenuEntry {
  GUID guid{};
  std::wstring text;
};
struct PluginInfoCopy {
  std::size_t structSize = 0;
  PLUGIN_FLAGS flags = 0;
  std::vector<MenuEntry> diskMenu, pluginMenu, pluginConfig;
  bool hasCommandPrefix = false;
  std::wstring commandPrefix;
};
PluginInfoCopy CopyPluginInfo(CallLog& log, const PluginInfo& raw);

// FAR 3's copy of an OpenPanelInfo (FAR keeps m_CachedOpenPanelInfo; NULL texts read as "").
struct OpenPanelCopy {
  OpenPanelInfo raw{};
  OPENPANELINFO_FLAGS flags = 0;
  std::wstring hostFile, curDir, format, panelTitle, shortcutData;
  struct Mode {
    bool hasColumns = false;
    std::wstring columnTypes, columnWidths, statusColumnTypes, statusColumnWidths;
    std::vector<std::optional<std::wstring>> columnTitles;
    PANELMODE_FLAGS flags = 0;
  };
  std::vector<Mode> panelModes;
  intptr_t startPanelMode = 0;
  int startSortMode = 0;
  intptr_t startSortOrder = 0;
  struct Label {
    WORD vk = 0;
    DWORD controlState = 0;
    std::optional<std::wstring> text, longText;
  };
  bool hasKeyBar = false;
  std::vector<Label> keyBar;
  // The label the key bar gives vk with exactly these modifiers (LEFT_CTRL_PRESSED and so on),
  // nullopt when the key bar does not name it.
  const Label* FindLabel(WORD vk, DWORD controlState) const;
};
void CopyOpenPanelInfo(CallLog& log, const OpenPanelInfo& raw, OpenPanelCopy& out);

// FAR 3's own item (FileListItem) made from a PluginPanelItem.
struct Far3Item {
  std::wstring name, alternateName, description, owner;
  bool hasDescription = false;
  std::vector<std::wstring> customColumns;
  FILETIME creationTime{}, lastAccessTime{}, lastWriteTime{}, changeTime{};
  unsigned long long fileSize = 0, allocationSize = 0;
  PLUGINPANELITEMFLAGS flags = 0;
  uintptr_t attributes = 0;
  uintptr_t numberOfLinks = 0;
  UserDataItem userData{};
  bool selected = false;
  bool parentPoint = false;  // the ".." FAR makes itself (FillParentPoint: PPIF_RESERVED)
  std::size_t position = 0;  // FAR's Position: the index in the list before sorting

  bool IsDirectory() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  static Far3Item Make(const std::wstring& name, uintptr_t attributes = 0);
};
// The GetFindDataW array: `count` records of sizeof(PluginPanelItem), every text read.
std::vector<Far3Item> CopyFindData(CallLog& log, const PluginPanelItem* data, std::size_t count);

}  // namespace far3host
