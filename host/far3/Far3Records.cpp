// FAR 3's reads of the plugin's records: memory checks, wide texts and the copies FAR keeps.
#include "Far3Records.h"
#include "MemoryChecks.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace far3host {

namespace {

bool ArrayReadable(CallLog& log, const void* p, std::size_t count, std::size_t size,
                   const std::string& what) {
  if (count == 0) return true;
  if (count > (std::size_t(1) << 24) || !IsReadable(p, count * size)) {
    log.Fail(what + " is not a readable array of " + std::to_string(count));
    return false;
  }
  return true;
}

void CopyMenu(CallLog& log, const PluginMenuItem& item, const char* name,
              std::vector<MenuEntry>& out) {
  const std::string w = std::string("GetPluginInfoW: ") + name;
  if (item.Count == 0) return;
  // SaveToCache reads Strings[i] and Guids[i] for every i below Count.
  if (!ArrayReadable(log, item.Strings, item.Count, sizeof(wchar_t*), w + ".Strings") ||
      !ArrayReadable(log, item.Guids, item.Count, sizeof(GUID), w + ".Guids"))
    return;
  for (std::size_t i = 0; i < item.Count; ++i) {
    const std::string label = w + "[" + std::to_string(i) + "]";
    if (!item.Strings[i]) log.Fail(label + " text is NULL");
    MenuEntry e;
    e.guid = item.Guids[i];
    e.text = PluginText(log, item.Strings[i], label + " text");
    if (IsNullGuid(e.guid)) log.Fail(label + " has the null GUID, FAR's own");
    out.push_back(e);
  }
}

std::optional<std::wstring> OptionalText(CallLog& log, const wchar_t* p, const std::string& what) {
  if (!p) return std::nullopt;
  return PluginText(log, p, what);
}

void CopyPanelModes(CallLog& log, const OpenPanelInfo& raw, const std::string& w,
                    OpenPanelCopy& out) {
  if (raw.PanelModesNumber == 0) return;
  if (!ArrayReadable(log, raw.PanelModesArray, raw.PanelModesNumber, sizeof(PanelMode),
                     w + "PanelModesArray"))
    return;
  for (std::size_t i = 0; i < raw.PanelModesNumber; ++i) {
    const PanelMode& m = raw.PanelModesArray[i];
    const std::string label = w + "PanelModesArray[" + std::to_string(i) + "].";
    OpenPanelCopy::Mode mode;
    mode.columnTypes = PluginText(log, m.ColumnTypes, label + "ColumnTypes");
    mode.columnWidths = PluginText(log, m.ColumnWidths, label + "ColumnWidths");
    mode.hasColumns = m.ColumnTypes && m.ColumnWidths;
    mode.statusColumnTypes = PluginText(log, m.StatusColumnTypes, label + "StatusColumnTypes");
    mode.statusColumnWidths = PluginText(log, m.StatusColumnWidths, label + "StatusColumnWidths");
    mode.flags = m.Flags;
    if (m.ColumnTitles && m.ColumnTypes) {
      const std::size_t columns =
          std::count(mode.columnTypes.begin(), mode.columnTypes.end(), L',') + 1;
      if (ArrayReadable(log, m.ColumnTitles, columns, sizeof(wchar_t*), label + "ColumnTitles"))
        for (std::size_t c = 0; c < columns; ++c)
          mode.columnTitles.push_back(
              OptionalText(log, m.ColumnTitles[c], label + "ColumnTitles[" + std::to_string(c) + "]"));
    }
    out.panelModes.push_back(std::move(mode));
  }
}

void CopyKeyBar(CallLog& log, const OpenPanelInfo& raw, const std::string& w, OpenPanelCopy& out) {
  out.hasKeyBar = raw.KeyBar != nullptr;
  if (!raw.KeyBar) return;
  if (!IsReadable(raw.KeyBar, sizeof(KeyBarTitles))) {
    log.Fail(w + "KeyBar is not a readable KeyBarTitles");
    out.hasKeyBar = false;
    return;
  }
  const KeyBarTitles& k = *raw.KeyBar;
  if (!ArrayReadable(log, k.Labels, k.CountLabels, sizeof(KeyBarLabel), w + "KeyBar->Labels")) return;
  for (std::size_t i = 0; i < k.CountLabels; ++i) {
    const std::string label = w + "KeyBar->Labels[" + std::to_string(i) + "].";
    OpenPanelCopy::Label l;
    l.vk = k.Labels[i].Key.VirtualKeyCode;
    l.controlState = k.Labels[i].Key.ControlKeyState;
    l.text = OptionalText(log, k.Labels[i].Text, label + "Text");
    l.longText = OptionalText(log, k.Labels[i].LongText, label + "LongText");
    out.keyBar.push_back(std::move(l));
  }
}

Far3Item CopyItem(CallLog& log, const PluginPanelItem& p, std::size_t index) {
  const std::string label = "GetFindDataW: item " + std::to_string(index) + " ";
  Far3Item item;
  if (!p.FileName) log.Fail(label + "FileName is NULL");
  item.name = PluginText(log, p.FileName, label + "FileName");
  item.alternateName = PluginText(log, p.AlternateFileName, label + "AlternateFileName");
  item.hasDescription = p.Description != nullptr;
  item.description = PluginText(log, p.Description, label + "Description");
  item.owner = PluginText(log, p.Owner, label + "Owner");
  if (p.CustomColumnNumber &&
      ArrayReadable(log, p.CustomColumnData, p.CustomColumnNumber, sizeof(wchar_t*),
                    label + "CustomColumnData"))
    for (std::size_t c = 0; c < p.CustomColumnNumber; ++c)
      item.customColumns.push_back(PluginText(log, p.CustomColumnData[c],
                                              label + "CustomColumnData[" + std::to_string(c) + "]"));
  item.creationTime = p.CreationTime;
  item.lastAccessTime = p.LastAccessTime;
  item.lastWriteTime = p.LastWriteTime;
  item.changeTime = p.ChangeTime;
  item.fileSize = p.FileSize;
  item.allocationSize = p.AllocationSize;
  item.flags = p.Flags;
  item.attributes = p.FileAttributes;
  item.numberOfLinks = p.NumberOfLinks;
  item.userData = p.UserData;
  item.selected = (p.Flags & PPIF_SELECTED) != 0;
  return item;
}

}  // namespace

bool IsReadable(const void* p, std::size_t size) { return MemoryIsReadable(p, size); }

bool IsWritable(void* p, std::size_t size) { return MemoryIsWritable(p, size); }

bool ReadWText(const wchar_t* p, std::wstring& out, std::size_t maxLength) {
  out.clear();
  if (!p) return false;
  if (reinterpret_cast<uintptr_t>(p) % alignof(wchar_t)) return false;
  for (std::size_t i = 0; i <= maxLength; ++i) {
    if (i % 512 == 0 && !IsReadable(p + i, sizeof(wchar_t))) return false;
    if (p[i] == 0) return true;
    out.push_back(p[i]);
  }
  return false;
}

std::wstring PluginText(CallLog& log, const wchar_t* p, const std::string& what, bool* isNull) {
  if (isNull) *isNull = (p == nullptr);
  if (!p) return std::wstring();
  std::wstring s;
  if (!ReadWText(p, s)) {
    log.Fail(what + " is not a readable NUL-terminated text");
    return std::wstring();
  }
  return s;
}

std::string Narrow(const std::wstring& s) {
  if (s.empty()) return std::string();
  int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string GuidText(const GUID& g) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X",
                static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return buffer;
}

bool IsNullGuid(const GUID& g) {
  static const GUID zero{};
  return std::memcmp(&g, &zero, sizeof g) == 0;
}

bool StructSizeOk(std::size_t actual, std::size_t expected) {
  return actual >= expected && actual <= 65536;
}

GlobalInfoCopy CopyGlobalInfo(CallLog& log, const GlobalInfo& raw, std::string& refusal) {
  GlobalInfoCopy c;
  const std::string w = "GetGlobalInfoW: ";
  c.structSize = raw.StructSize;
  c.minFarVersion = raw.MinFarVersion;
  c.version = raw.Version;
  c.guid = raw.Guid;
  c.title = PluginText(log, raw.Title, w + "Title");
  c.description = PluginText(log, raw.Description, w + "Description");
  c.author = PluginText(log, raw.Author, w + "Author");
  // Plugin::LoadData (plclass.cpp): all of these, or FAR unloads the plugin for good.
  const VersionInfo farVersion{3, 0, 0, 6730, VS_RELEASE};
  if (raw.StructSize == 0)
    refusal = "StructSize is 0";
  else if (c.title.empty() || c.description.empty() || c.author.empty())
    refusal = "Title, Description and Author must all be non-empty texts";
  else if (!FarVersionAtLeast(farVersion, c.minFarVersion))
    refusal = "MinFarVersion is newer than FAR 3.0.6730 (FAR shows its 'bad version' box)";
  else if (IsNullGuid(c.guid))
    refusal = "Guid is the null GUID, FAR's own";
  return c;
}

PluginInfoCopy CopyPluginInfo(CallLog& log, const PluginInfo& raw) {
  PluginInfoCopy c;
  c.structSize = raw.StructSize;
  c.flags = raw.Flags;
  CopyMenu(log, raw.DiskMenu, "DiskMenu", c.diskMenu);
  CopyMenu(log, raw.PluginMenu, "PluginMenu", c.pluginMenu);
  CopyMenu(log, raw.PluginConfig, "PluginConfig", c.pluginConfig);
  c.hasCommandPrefix = raw.CommandPrefix != nullptr;
  c.commandPrefix = PluginText(log, raw.CommandPrefix, "GetPluginInfoW: CommandPrefix");
  return c;
}

const OpenPanelCopy::Label* OpenPanelCopy::FindLabel(WORD vk, DWORD controlState) const {
  for (const Label& l : keyBar)
    if (l.vk == vk && l.controlState == controlState) return &l;
  return nullptr;
}

void CopyOpenPanelInfo(CallLog& log, const OpenPanelInfo& raw, OpenPanelCopy& out) {
  const std::string w = "GetOpenPanelInfoW: ";
  out = OpenPanelCopy();
  out.raw = raw;
  out.flags = raw.Flags;
  out.hostFile = PluginText(log, raw.HostFile, w + "HostFile");
  out.curDir = PluginText(log, raw.CurDir, w + "CurDir");
  out.format = PluginText(log, raw.Format, w + "Format");
  out.panelTitle = PluginText(log, raw.PanelTitle, w + "PanelTitle");
  out.shortcutData = PluginText(log, raw.ShortcutData, w + "ShortcutData");
  if (raw.InfoLinesNumber) log.Fail(w + "info lines are not modelled by this host");
  if (raw.DescrFilesNumber &&
      ArrayReadable(log, raw.DescrFiles, raw.DescrFilesNumber, sizeof(wchar_t*), w + "DescrFiles"))
    for (std::size_t i = 0; i < raw.DescrFilesNumber; ++i)
      PluginText(log, raw.DescrFiles[i], w + "DescrFiles[" + std::to_string(i) + "]");
  CopyPanelModes(log, raw, w, out);
  out.startPanelMode = raw.StartPanelMode;
  out.startSortMode = raw.StartSortMode;
  out.startSortOrder = raw.StartSortOrder;
  // SetViewMode(VIEW_0 + StartPanelMode - '0'): a character '0'..'9', or 0 for none.
  if (raw.StartPanelMode != 0 && (raw.StartPanelMode < L'0' || raw.StartPanelMode > L'9'))
    log.Fail(w + "StartPanelMode " + std::to_string(raw.StartPanelMode) +
             " is neither 0 nor a character '0'..'9'");
  if (raw.StartSortMode < SM_DEFAULT || raw.StartSortMode > SM_CHTIME)
    log.Fail(w + "StartSortMode " + std::to_string(raw.StartSortMode) + " is not an SM_ value");
  CopyKeyBar(log, raw, w, out);
}

Far3Item Far3Item::Make(const std::wstring& name, uintptr_t attributes) {
  Far3Item item;
  item.name = name;
  item.attributes = attributes;
  return item;
}

std::vector<Far3Item> CopyFindData(CallLog& log, const PluginPanelItem* data, std::size_t count) {
  std::vector<Far3Item> items;
  if (count == 0) return items;
  if (!ArrayReadable(log, data, count, sizeof(PluginPanelItem),
                     "GetFindDataW: the item array (" + std::to_string(sizeof(PluginPanelItem)) +
                         " bytes a record)"))
    return items;
  for (std::size_t i = 0; i < count; ++i) items.push_back(CopyItem(log, data[i], i));
  return items;
}

}  // namespace far3host
