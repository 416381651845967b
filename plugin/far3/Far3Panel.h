// The FAR 3 folder-list panel: the root list read from the list file, the folder view of one
// entry, navigation, and how the panel presents itself and answers keys and events.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>
#include "Far3Barrier.h"
#include "Far3Intf.h"
#include "Far3ListFile.h"
#include "Far3Watcher.h"
#include "far3.h"

class TFar3Panel {
 public:
  explicit TFar3Panel(const std::wstring& FileName);
  ~TFar3Panel();
  TFar3Panel(const TFar3Panel&) = delete;
  TFar3Panel& operator=(const TFar3Panel&) = delete;

  // FAR 3 closes a panel inside the plugin's own FCTL_CLOSEPANEL: ClosePanelW arrives while a
  // call on the panel is still running. The panel goes when the outermost call has returned.
  void Enter() { ++FCalls; }
  bool Leave() { return --FCalls == 0 && FClosed; }  // true: delete it now
  bool MarkClosed();  // true: no call runs, delete it now; its watcher has stopped already

  // A list file that cannot be read fills Failure; FAR then gets no items.
  void GetFindData(GetFindDataInfo* Info, TFailure& Failure);
  void FreeFindData();
  void SetDirectory(const wchar_t* Dir);
  void GetOpenPanelInfo(OpenPanelInfo* Info);
  intptr_t ProcessInput(const INPUT_RECORD& Record);
  intptr_t ProcessEvent(intptr_t Event);
  // FAR's synchro event, asked for by the panel's watcher: FAR updates and redraws the panel,
  // as FAR 1.x did at its idle events.
  void ProcessSynchroEvent();
  // Shows the exception box for a reread that failed. While the list stays unreadable, the
  // rereads of FAR's idle events do not show the same box again; any other reread does.
  void ReportReadFailure(const TFailure& Caught);

 private:
  PluginPanelItem& NewItem();
  void Build(TFailure& Failure);  // the AutoExit rule, then the level's list
  void BuildRootList(TFailure& Failure);
  // With Empty, also decides IsEmptyFolder(FFolder) from the walk (the mask alone must be shown).
  void BuildFolderView(bool* Empty);
  void AppendRootItem(TListEntry Entry, bool Empty, const WIN32_FIND_DATAW* Data);
  void InsertCurrentName();
  void Close();
  void WatchFolders();  // the watcher follows the folders the level shown depends on

  std::wstring FFileName;
  std::deque<TListEntry> FEntries;  // the root list's rows: a deque never moves filled rows
  std::deque<std::wstring> FNames;  // the folder view's full names
  std::vector<PluginPanelItem> FPanelItems;
  PanelMode FPanelModes[10];
  std::wstring FCurDir;
  PanelRedrawInfo FSavedRedraw;
  bool FRestoreCursor = false;
  int FLevel = 0;
  std::wstring FFolder;
  std::wstring FStartDir;  // the folder FAR showed: the root list's CurDir and the close's folder
  bool FIdleUpdate = false;  // the reread in progress was asked for by the watcher
  TExceptionText FShownFailure = {};  // the last reread failure shown; empty after a success
  std::vector<std::wstring> FDependsOn;  // the folders the last reread looked at
  std::uintptr_t FNumber;                // the panel's number in its synchro events
  TFar3Watcher FWatcher;
  int FCalls = 0;        // calls of FAR on this panel now running
  bool FClosed = false;  // FAR has closed the panel
};
