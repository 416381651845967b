// FAR's reads of the plugin's memory: its copies of the records the plugin hands back, checked.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "CallLog.h"
#include "FilePanel.h"
#include "far163.h"

// FAR's copy of an OpenPluginInfo, taken right after GetOpenPluginInfo returned. FAR turns NULL
// texts into "".
struct OpenInfo {
  OpenPluginInfo raw{};  // the record itself; its pointers are the plugin's and may go stale
  DWORD flags = 0;
  std::string hostFile, curDir, format, panelTitle, shortcutData;
  struct InfoLine {
    std::string text, data;
    bool separator = false;
  };
  std::vector<InfoLine> infoLines;
  std::vector<std::string> descrFiles;
  struct Mode {
    bool hasColumns = false;  // ColumnTypes and ColumnWidths both non-NULL (FAR uses the mode)
    std::string columnTypes, columnWidths, statusColumnTypes, statusColumnWidths;
    bool hasStatusColumns = false;
    std::vector<std::optional<std::string>> columnTitles;  // empty when ColumnTitles is NULL
    int fullScreen = 0, detailedStatus = 0, alignExtensions = 0, caseConversion = 0;
  };
  std::vector<Mode> panelModes;
  int startPanelMode = 0, startSortMode = 0, startSortOrder = 0;
  bool hasKeyBar = false;
  // 48 labels: F1..F12, then Ctrl, Alt and Shift rows. nullopt = NULL (FAR keeps its label).
  std::array<std::optional<std::string>, 48> keyBar;

  enum KeyRow { Plain = 0, Ctrl = 1, Alt = 2, Shift = 3 };
  // Label of F<fkey> (1..12) in a row; nullopt when there is no key bar or the entry is NULL.
  std::optional<std::string> KeyLabel(KeyRow row, int fkey) const;
};

// FAR's copy of a PluginInfo after GetPluginInfo.
struct PluginInfoCopy {
  int structSize = 0;
  DWORD flags = 0;
  std::vector<std::string> diskMenuStrings;
  std::vector<int> diskMenuNumbers;  // empty when DiskMenuNumbers is NULL
  std::vector<std::string> pluginMenuStrings;
  std::vector<std::string> pluginConfigStrings;
  bool hasCommandPrefix = false;
  std::string commandPrefix;
};

namespace farhost {

// Committed memory whose protection allows the access, over the whole range.
bool IsReadable(const void* p, std::size_t size);
bool IsWritable(void* p, std::size_t size);
// The NUL-terminated text at p, read only within committed readable memory. False when p is
// NULL, unreadable, or has no NUL within maxLength characters.
bool ReadCString(const char* p, std::string& out, std::size_t maxLength = 1 << 20);
// A text pointer the plugin hands over: NULL allowed (gives ""), anything else must be a
// readable NUL-terminated string (else a failure named `what`).
std::string PluginText(CallLog& log, const char* p, const std::string& what,
                       bool* isNull = nullptr);
// A fixed char field up to its first NUL (the whole field when it has none).
std::string FixedText(const char* field, std::size_t size);
// Copies src into a fixed char field, cut to fit with its NUL.
void CopyBounded(char* dest, std::size_t destSize, const std::string& src);

void CopyOpenInfo(CallLog& log, const OpenPluginInfo& raw, OpenInfo& out);
// FAR's copy of the GetFindData array (366-byte stride, PPIF_USERDATA blocks copied).
std::vector<HostItem> CopyFindData(CallLog& log, const PluginPanelItem* data, int count);
PluginInfoCopy CopyPluginInfo(CallLog& log, const PluginInfo& raw);

}  // namespace farhost
