// FAR's reads of the plugin's records: memory checks and the copies FAR keeps.
#include "RecordChecks.h"
#include "MemoryChecks.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

std::optional<std::string> OpenInfo::KeyLabel(KeyRow row, int fkey) const {
  if (!hasKeyBar || fkey < 1 || fkey > 12) return std::nullopt;
  return keyBar[static_cast<std::size_t>(row) * 12 + static_cast<std::size_t>(fkey - 1)];
}

namespace farhost {

namespace {

// An array of `count` records the plugin points to; failures named after `what`.
bool ArrayReadable(CallLog& log, const void* p, int count, std::size_t size,
                   const std::string& what) {
  if (IsReadable(p, static_cast<std::size_t>(count) * size)) return true;
  log.Fail(what);
  return false;
}

void CopyInfoLines(CallLog& log, const OpenPluginInfo& raw, const std::string& w, OpenInfo& out) {
  if (raw.InfoLinesNumber < 0) {
    log.Fail(w + "InfoLinesNumber is negative");
    return;
  }
  if (raw.InfoLinesNumber == 0 ||
      !ArrayReadable(log, raw.InfoLines, raw.InfoLinesNumber, sizeof(InfoPanelLine),
                     w + "InfoLines is not a readable array of " +
                         std::to_string(raw.InfoLinesNumber)))
    return;
  for (int i = 0; i < raw.InfoLinesNumber; ++i) {
    const InfoPanelLine& line = raw.InfoLines[i];
    if (!std::memchr(line.Text, 0, sizeof line.Text) ||
        !std::memchr(line.Data, 0, sizeof line.Data))
      log.Fail(w + "InfoLines[" + std::to_string(i) + "] has a text without NUL");
    out.infoLines.push_back({FixedText(line.Text, sizeof line.Text),
                             FixedText(line.Data, sizeof line.Data), line.Separator != 0});
  }
}

void CopyDescrFiles(CallLog& log, const OpenPluginInfo& raw, const std::string& w, OpenInfo& out) {
  if (raw.DescrFilesNumber < 0) {
    log.Fail(w + "DescrFilesNumber is negative");
    return;
  }
  if (raw.DescrFilesNumber == 0 ||
      !ArrayReadable(log, raw.DescrFiles, raw.DescrFilesNumber, sizeof(char*),
                     w + "DescrFiles is not a readable array"))
    return;
  for (int i = 0; i < raw.DescrFilesNumber; ++i) {
    const std::string label = w + "DescrFiles[" + std::to_string(i) + "]";
    if (!raw.DescrFiles[i]) log.Fail(label + " is NULL");
    out.descrFiles.push_back(PluginText(log, raw.DescrFiles[i], label));
  }
}

// ColumnTitles has one entry per column of ColumnTypes; NULL entries stay nullopt.
void CopyColumnTitles(CallLog& log, const PanelMode& m, const std::string& label,
                      OpenInfo::Mode& mode) {
  if (!m.ColumnTitles || !m.ColumnTypes) return;
  std::size_t columns = std::count(mode.columnTypes.begin(), mode.columnTypes.end(), ',') + 1;
  if (!IsReadable(m.ColumnTitles, columns * sizeof(char*))) {
    log.Fail(label + "ColumnTitles is not a readable array of " + std::to_string(columns));
    return;
  }
  for (std::size_t c = 0; c < columns; ++c) {
    if (!m.ColumnTitles[c]) {
      mode.columnTitles.emplace_back();
    } else {
      mode.columnTitles.emplace_back(PluginText(
          log, m.ColumnTitles[c], label + "ColumnTitles[" + std::to_string(c) + "]"));
    }
  }
}

OpenInfo::Mode CopyPanelMode(CallLog& log, const PanelMode& m, const std::string& label) {
  OpenInfo::Mode mode;
  mode.columnTypes = PluginText(log, m.ColumnTypes, label + "ColumnTypes");
  mode.columnWidths = PluginText(log, m.ColumnWidths, label + "ColumnWidths");
  mode.hasColumns = m.ColumnTypes && m.ColumnWidths;
  mode.statusColumnTypes = PluginText(log, m.StatusColumnTypes, label + "StatusColumnTypes");
  mode.statusColumnWidths = PluginText(log, m.StatusColumnWidths, label + "StatusColumnWidths");
  mode.hasStatusColumns = m.StatusColumnTypes && m.StatusColumnWidths;
  mode.fullScreen = m.FullScreen;
  mode.detailedStatus = m.DetailedStatus;
  mode.alignExtensions = m.AlignExtensions;
  mode.caseConversion = m.CaseConversion;
  CopyColumnTitles(log, m, label, mode);
  return mode;
}

void CopyPanelModes(CallLog& log, const OpenPluginInfo& raw, const std::string& w, OpenInfo& out) {
  // With PanelModesNumber 0 FAR ignores the array: nothing to check.
  if (raw.PanelModesNumber < 0) {
    log.Fail(w + "PanelModesNumber is negative");
    return;
  }
  if (raw.PanelModesNumber == 0 ||
      !ArrayReadable(log, raw.PanelModesArray, raw.PanelModesNumber, sizeof(PanelMode),
                     w + "PanelModesArray is not a readable array of " +
                         std::to_string(raw.PanelModesNumber)))
    return;
  for (int i = 0; i < raw.PanelModesNumber; ++i)
    out.panelModes.push_back(CopyPanelMode(log, raw.PanelModesArray[i],
                                           w + "PanelModesArray[" + std::to_string(i) + "]."));
}

void CheckStartModes(CallLog& log, const OpenPluginInfo& raw, const std::string& w) {
  if (raw.StartPanelMode != 0 && (raw.StartPanelMode < '0' || raw.StartPanelMode > '9'))
    log.Fail(w + "StartPanelMode " + std::to_string(raw.StartPanelMode) +
             " is neither 0 nor a character '0'..'9'");
  if (raw.StartSortMode < 0 || raw.StartSortMode > SM_NUMLINKS)
    log.Fail(w + "StartSortMode " + std::to_string(raw.StartSortMode) + " is not an SM_ value");
}

void CopyKeyBar(CallLog& log, const OpenPluginInfo& raw, const std::string& w, OpenInfo& out) {
  out.hasKeyBar = raw.KeyBar != nullptr;
  if (!raw.KeyBar) return;
  if (!IsReadable(raw.KeyBar, sizeof(KeyBarTitles))) {
    log.Fail(w + "KeyBar is not a readable KeyBarTitles");
    out.hasKeyBar = false;
    return;
  }
  char* const* rows[4] = {raw.KeyBar->Titles, raw.KeyBar->CtrlTitles, raw.KeyBar->AltTitles,
                          raw.KeyBar->ShiftTitles};
  static const char* const rowNames[4] = {"Titles", "CtrlTitles", "AltTitles", "ShiftTitles"};
  for (int r = 0; r < 4; ++r)
    for (int k = 0; k < 12; ++k) {
      const char* p = rows[r][k];
      if (p)
        out.keyBar[static_cast<std::size_t>(r * 12 + k)] =
            PluginText(log, p, w + "KeyBar->" + rowNames[r] + "[" + std::to_string(k) + "]");
    }
}

void CopyCustomColumns(CallLog& log, const PluginPanelItem& p, const std::string& label,
                       HostItem& item) {
  if (p.CustomColumnNumber < 0) {
    log.Fail(label + "CustomColumnNumber is negative");
    return;
  }
  if (p.CustomColumnNumber == 0 ||
      !ArrayReadable(log, p.CustomColumnData, p.CustomColumnNumber, sizeof(char*),
                     label + "CustomColumnData is not a readable array"))
    return;
  for (int c = 0; c < p.CustomColumnNumber; ++c)
    item.customColumns.push_back(PluginText(
        log, p.CustomColumnData[c], label + "CustomColumnData[" + std::to_string(c) + "]"));
}

// With PPIF_USERDATA, UserData points to a block whose first DWORD is its size; FAR copies it.
void CopyUserData(CallLog& log, const PluginPanelItem& p, const std::string& label,
                  HostItem& item) {
  item.userData = p.UserData;
  if (!(p.Flags & PPIF_USERDATA)) return;
  const void* block = reinterpret_cast<const void*>(static_cast<uintptr_t>(p.UserData));
  if (!IsReadable(block, sizeof(DWORD))) {
    log.Fail(label + "has PPIF_USERDATA but UserData is not a readable block");
    return;
  }
  DWORD size = *static_cast<const DWORD*>(block);
  if (size < sizeof(DWORD) || !IsReadable(block, size)) {
    log.Fail(label + "UserData block of " + std::to_string(size) + " bytes is not readable");
    return;
  }
  const unsigned char* b = static_cast<const unsigned char*>(block);
  item.userDataBlock.assign(b, b + size);
}

HostItem CopyItem(CallLog& log, const PluginPanelItem& p, int index) {
  const std::string label = "GetFindData: item " + std::to_string(index) + " ";
  HostItem item;
  item.position = index;
  if (!std::memchr(p.FindData.cFileName, 0, sizeof p.FindData.cFileName))
    log.Fail(label + "cFileName has no NUL within 260 bytes");
  item.name = FixedText(p.FindData.cFileName, sizeof p.FindData.cFileName);
  if (!std::memchr(p.FindData.cAlternateFileName, 0, sizeof p.FindData.cAlternateFileName))
    log.Fail(label + "cAlternateFileName has no NUL within 14 bytes");
  item.shortName = FixedText(p.FindData.cAlternateFileName, sizeof p.FindData.cAlternateFileName);
  item.attributes = p.FindData.dwFileAttributes;
  item.creationTime = p.FindData.ftCreationTime;
  item.lastAccessTime = p.FindData.ftLastAccessTime;
  item.lastWriteTime = p.FindData.ftLastWriteTime;
  item.fileSize = (static_cast<unsigned long long>(p.FindData.nFileSizeHigh) << 32) |
                  p.FindData.nFileSizeLow;
  item.packSize = (static_cast<unsigned long long>(p.PackSizeHigh) << 32) | p.PackSize;
  item.flags = p.Flags;
  item.numberOfLinks = p.NumberOfLinks;
  item.hasDescription = p.Description != nullptr;
  item.description = PluginText(log, p.Description, label + "Description");
  item.hasOwner = p.Owner != nullptr;
  item.owner = PluginText(log, p.Owner, label + "Owner");
  CopyCustomColumns(log, p, label, item);
  CopyUserData(log, p, label, item);
  item.selected = (p.Flags & PPIF_SELECTED) != 0;
  return item;
}

// One of PluginInfo's string arrays, `count` entries long.
void CopyStrings(CallLog& log, const char* const* array, int count, const char* what,
                 std::vector<std::string>& out) {
  const std::string w = std::string("GetPluginInfo: ") + what;
  if (count < 0) {
    log.Fail(w + "Number is negative");
    return;
  }
  if (count == 0 ||
      !ArrayReadable(log, array, count, sizeof(char*),
                     w + " is not a readable array of " + std::to_string(count)))
    return;
  for (int i = 0; i < count; ++i) {
    std::string label = w + "[" + std::to_string(i) + "]";
    if (!array[i]) log.Fail(label + " is NULL");
    out.push_back(PluginText(log, array[i], label));
  }
}

}  // namespace

bool IsReadable(const void* p, std::size_t size) { return MemoryIsReadable(p, size); }

bool IsWritable(void* p, std::size_t size) { return MemoryIsWritable(p, size); }

bool ReadCString(const char* p, std::string& out, std::size_t maxLength) {
  out.clear();
  if (!p) return false;
  uintptr_t a = reinterpret_cast<uintptr_t>(p);
  std::size_t budget = maxLength + 1;  // bytes that may be scanned, the NUL included
  while (budget > 0) {
    MEMORY_BASIC_INFORMATION mbi;
    if (VirtualQuery(reinterpret_cast<void*>(a), &mbi, sizeof mbi) == 0) return false;
    if (!MemoryIsReadable(reinterpret_cast<const void*>(a), 1)) return false;
    uintptr_t regionEnd = reinterpret_cast<uintptr_t>(mbi.BaseAddress) + mbi.RegionSize;
    if (regionEnd <= a) return false;
    std::size_t n = std::min<std::size_t>(regionEnd - a, budget);
    const char* s = reinterpret_cast<const char*>(a);
    const void* nul = std::memchr(s, 0, n);
    if (nul) {
      out.append(s, static_cast<const char*>(nul) - s);
      return true;
    }
    out.append(s, n);
    budget -= n;
    a = regionEnd;
  }
  return false;
}

std::string PluginText(CallLog& log, const char* p, const std::string& what, bool* isNull) {
  if (isNull) *isNull = (p == nullptr);
  if (!p) return std::string();
  std::string s;
  if (!ReadCString(p, s)) {
    log.Fail(what + " is not a readable NUL-terminated text");
    return std::string();
  }
  return s;
}

std::string FixedText(const char* field, std::size_t size) {
  const void* nul = std::memchr(field, 0, size);
  return std::string(field, nul ? static_cast<const char*>(nul) - field : size);
}

void CopyBounded(char* dest, std::size_t destSize, const std::string& src) {
  std::size_t n = std::min(src.size(), destSize - 1);
  std::memcpy(dest, src.data(), n);
  dest[n] = 0;
}

void CopyOpenInfo(CallLog& log, const OpenPluginInfo& raw, OpenInfo& out) {
  const std::string w = "GetOpenPluginInfo: ";
  out.raw = raw;
  out.flags = raw.Flags;
  out.hostFile = PluginText(log, raw.HostFile, w + "HostFile");
  out.curDir = PluginText(log, raw.CurDir, w + "CurDir");
  out.format = PluginText(log, raw.Format, w + "Format");
  out.panelTitle = PluginText(log, raw.PanelTitle, w + "PanelTitle");
  out.shortcutData = PluginText(log, raw.ShortcutData, w + "ShortcutData");
  CopyInfoLines(log, raw, w, out);
  CopyDescrFiles(log, raw, w, out);
  CopyPanelModes(log, raw, w, out);
  out.startPanelMode = raw.StartPanelMode;
  out.startSortMode = raw.StartSortMode;
  out.startSortOrder = raw.StartSortOrder;
  CheckStartModes(log, raw, w);
  CopyKeyBar(log, raw, w, out);
}

std::vector<HostItem> CopyFindData(CallLog& log, const PluginPanelItem* data, int count) {
  const std::string w = "GetFindData: ";
  std::vector<HostItem> items;
  if (count < 0) {
    log.Fail(w + "negative item count " + std::to_string(count));
    return items;
  }
  if (count == 0 ||
      !ArrayReadable(log, data, count, sizeof(PluginPanelItem),
                     w + "the array of " + std::to_string(count) +
                         " items (366 bytes each) is not readable"))
    return items;
  for (int i = 0; i < count; ++i) items.push_back(CopyItem(log, data[i], i));
  return items;
}

PluginInfoCopy CopyPluginInfo(CallLog& log, const PluginInfo& raw) {
  PluginInfoCopy copy;
  copy.structSize = raw.StructSize;
  copy.flags = raw.Flags;
  CopyStrings(log, raw.DiskMenuStrings, raw.DiskMenuStringsNumber, "DiskMenuStrings",
              copy.diskMenuStrings);
  if (raw.DiskMenuNumbers && raw.DiskMenuStringsNumber > 0) {
    if (!IsReadable(raw.DiskMenuNumbers,
                    static_cast<std::size_t>(raw.DiskMenuStringsNumber) * sizeof(int)))
      log.Fail("GetPluginInfo: DiskMenuNumbers is not readable");
    else
      copy.diskMenuNumbers.assign(raw.DiskMenuNumbers,
                                  raw.DiskMenuNumbers + raw.DiskMenuStringsNumber);
  }
  CopyStrings(log, raw.PluginMenuStrings, raw.PluginMenuStringsNumber, "PluginMenuStrings",
              copy.pluginMenuStrings);
  CopyStrings(log, raw.PluginConfigStrings, raw.PluginConfigStringsNumber, "PluginConfigStrings",
              copy.pluginConfigStrings);
  copy.hasCommandPrefix = raw.CommandPrefix != nullptr;
  copy.commandPrefix = PluginText(log, raw.CommandPrefix, "GetPluginInfo: CommandPrefix");
  if (!copy.commandPrefix.empty() &&
      (copy.commandPrefix.size() > 64 ||
       copy.commandPrefix.find_first_of(" \t/") != std::string::npos))
    log.Fail("GetPluginInfo: CommandPrefix \"" + copy.commandPrefix +
             "\" is longer than 64 characters or has a space, tab or '/'");
  return copy;
}

}  // namespace farhost
