// The folder-list panel (TNbumail), the entries of the list file, and the plugin's settings.
#pragma once

#include <deque>
#include <string>
#include <type_traits>
#include <vector>
#include "FARIntf.h"
#include "FileSearch.h"
#include "Settings.h"
#include "far163.h"

// The text of a settings block: its bytes up to the first zero, or the whole block.
std::string BlockText(const char* Block, size_t Size);
// Puts Text into a block, cut to the block's size, zero-terminated when shorter.
void SetBlockText(char* Block, size_t Size, const std::string& Text);

void LoadSettings();
void SaveSettings();

struct TFileSystemFile {
  std::string Folder;       // path or mask: the line before its last comma
  std::string Description;  // the line after its last comma
};

// Splits a list-file line at its last comma; a line without one is both folder and description.
TFileSystemFile SplitListLine(const std::string& Line);

// Reads the list file line by line (CR or CRLF ends a line, Ctrl+Z ends the file). When the
// file cannot be opened or read, fills Failure with the input/output failure (EInOutError, the
// system's error code in its message) and returns false.
bool ReadListFileLines(const std::string& FileName, void (*OnLine)(void*, const std::string&),
                       void* Context, TCaughtException& Failure);
template <class F>
bool ReadListFile(const std::string& FileName, F&& OnLine, TCaughtException& Failure) {
  using TOnLine = std::remove_reference_t<F>;
  return ReadListFileLines(
      FileName, [](void* C, const std::string& L) { (*static_cast<TOnLine*>(C))(L); }, &OnLine,
      Failure);
}

class TNbumail {
 public:
  explicit TNbumail(const std::string& FileName);
  ~TNbumail();
  TNbumail(const TNbumail&) = delete;
  TNbumail& operator=(const TNbumail&) = delete;

  // A list file that cannot be read fills Failure (Build and BuildRootList pass it on).
  bool GetFindData(PluginPanelItem** Items, int* Count, TCaughtException& Failure);
  bool FreeFindData();
  bool SetDirectory(const char* Dir);
  void GetOpenPluginInfo(OpenPluginInfo* Info);
  int ProcessKey(int Key, unsigned int ControlState);
  int ProcessEvent(int Event, void* Param);
  // Shows the exception box for a reread that failed. While the list stays unreadable, the
  // rereads of FAR's idle ticks do not show the same box again; any other reread does.
  void ReportReadFailure(const TCaughtException& Caught);

 private:
  PluginPanelItem& NewItem();
  bool Build(PluginPanelItem** Items, int* Count,  // the AutoExit rule, then the level's list
             TCaughtException& Failure);
  bool BuildRootList(PluginPanelItem** Items, int* Count, TCaughtException& Failure);
  // With Empty, also decides IsEmptyFolder(FFolder) from the walk (the mask alone must be shown);
  // an empty mask leaves the outputs alone and returns false.
  bool BuildFolderView(PluginPanelItem** Items, int* Count, bool* Empty);
  void AppendExtraItem(const std::string& Folder, const std::string& Description);
  void FillPanelItem(PluginPanelItem& Item, const std::string& Name, const char* Description);
  // The same with IsEmptyFolder(Name) already known.
  void FillPanelItem(PluginPanelItem& Item, const std::string& Name, const char* Description,
                     bool Empty);
  void InsertCurrentName();
  void Close();

  std::string FFileName;
  std::deque<TFileSystemFile> FEntries;  // a deque never moves rows that are already filled
  PanelMode FPanelModes[11];
  int FItemsNumber;
  std::vector<PluginPanelItem> FPanelItems;
  PanelInfo FPanelInfo;
  std::string FCurDir;
  PanelRedrawInfo FSavedRedraw;
  unsigned char FRestoreCursor;
  int FLevel;
  std::string FFolder;
  std::string FStartDir;
  std::string FCloseDir;     // handed to FAR at the close: FStartDir when that is a folder
  bool FIdleUpdate = false;  // the reread in progress was asked for by FAR's idle event
  TExceptionText FShownFailure = "";  // the last reread failure shown; empty after a success
};
