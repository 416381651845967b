// FAR 3's file panel on the active side (filelist.cpp FileList, panel.cpp Panel): the normal
// panel of a folder and the plugin panel over it, with FAR's update, sort, cursor, redraw,
// change of folder, keys and close, each the way FAR 3 calls the plugin for it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Far3Records.h"

namespace far3host {

class Far3Host;

// Modifier keys as FAR 3's TranslateKeyToVK puts them into an INPUT_RECORD.
enum KeyMods : DWORD {
  kNone = 0,
  kShift = SHIFT_PRESSED,
  kCtrl = LEFT_CTRL_PRESSED,
  kAlt = LEFT_ALT_PRESSED,
  kRCtrl = RIGHT_CTRL_PRESSED,
  kRAlt = RIGHT_ALT_PRESSED,
};

// FileList::FindFile: the exact name first, else the first equal ignoring case; -1 for none.
int FindItem(const std::vector<Far3Item>& items, const std::wstring& name);
// FileList::CorrectPosition.
void ClampPosition(int count, int height, int& current, int& top);
bool EqualNoCase(const std::wstring& a, const std::wstring& b);
std::wstring PointToName(const std::wstring& path);  // the text after the last \ or /

// The normal file panel: the folder FAR shows and the list it read from the disk.
struct Far3FilePanel {
  // m_CurDir, one text for the side in both modes: a plugin panel of real names changes it as
  // it is drawn (ShowFileList), and the file panel shows it again after the plugin closes.
  std::wstring curDir;
  std::wstring originalCurDir;  // strOriginalCurDir: the folder of the last ReadFileNames
  std::vector<Far3Item> items;
  int currentItem = 0;
  int topItem = 0;
  int height = 18;
  int upperFolderTopFile = 0;
  // ReadFileNames: the folder's entries as FAR lists them (".." first unless at a root,
  // folders first, then by name), the cursor kept on `keepName` when it is there.
  void Read(const std::wstring& keepName = std::wstring());
  // Panel::SetCurPath: the process's current folder becomes curDir, or the nearest existing
  // folder above it (curDir follows). False when there is none.
  bool SetCurPath();
  // FileList::ChangeDir of a normal panel: ".." climbs with the cursor on the folder left,
  // other texts go to SetCurrentDirectory from curDir. False, with FAR's box line in `error`,
  // when FAR could not change (it then asks whether to go to the nearest existing folder).
  bool ChangeDir(const std::wstring& dir, bool isParent, std::string& error);
  void CorrectPosition();
  const Far3Item* Current() const;
  int Find(const std::wstring& name) const;  // FindFile: exact, then case-insensitive; -1
};

// One plugin panel (one handle OpenW gave) in FileList's plugin mode.
class Far3PluginPanel {
 public:
  Far3PluginPanel(Far3Host& host, HANDLE handle, const std::wstring& hostFile);
  Far3PluginPanel(const Far3PluginPanel&) = delete;
  Far3PluginPanel& operator=(const Far3PluginPanel&) = delete;

  Far3Host& host;
  HANDLE handle;
  std::wstring hostFile;  // the file it was opened on ("" from a menu)
  bool closed = false;
  std::optional<std::wstring> closedTo;  // the FCTL_CLOSEPANEL text that closed it

  bool hasInfo = false;
  OpenPanelCopy info;  // m_CachedOpenPanelInfo
  std::vector<Far3Item> items;
  int currentItem = 0;
  int topItem = 0;
  int height = 18;  // rows on screen, FAR's m_Height (one column)
  int sortMode = SM_NAME;
  bool reverse = false;
  bool directoriesFirst = true;  // FAR's default for both panels
  int upperFolderTopFile = 0;
  int findDataCalls = 0;
  int shows = 0;  // ShowFileList runs that drew (FE_REDRAW not refused)

  // --- single plugin calls, checked ---
  bool GetOpenPanelInfo();
  intptr_t SetDirectory(const std::wstring& dir, OPERATION_MODES opMode = 0,
                        const UserDataItem* userData = nullptr);
  intptr_t ProcessInput(const INPUT_RECORD& rec);
  intptr_t ProcessEvent(intptr_t event, void* param = nullptr);

  // --- FAR's actions ---
  void Update(bool keepSelection = false);  // UpdatePlugin
  void Show();                              // ShowFileList
  void Redraw() { Show(); }
  // A key as FAR 3 handles it on the panel: ProcessPanelInputW first, then FAR's own action
  // (cursor keys, Enter, Ctrl+PgUp, Ctrl+R). Returns what the plugin returned.
  intptr_t Key(WORD vk, DWORD mods = kNone);
  intptr_t Enter() { return Key(VK_RETURN); }
  // FileList::ChangeDir in plugin mode.
  bool ChangeDir(const std::wstring& dir, bool isParent, const UserDataItem* userData = nullptr);
  // FE_CLOSE, then ClosePanelW unless refused (FileList::SetCurDir with ClosePanel). The file
  // panel then shows `folder`, or stays where it is for "". True when closed.
  bool CloseTo(const std::wstring& folder);

  // --- the model ---
  const Far3Item* Current() const;
  int Find(const std::wstring& name) const;  // FindFile
  bool SetCurrent(const std::wstring& name);
  void SetCurrent(int index);
  void CorrectPosition();
  std::vector<std::wstring> Names() const;
  int CountNamed(const std::wstring& name) const;

 private:
  friend class Far3Host;
  int insideGetFindData_ = 0;
  bool prevData_ = false;  // FileList's PrevDataList holds the file panel this one opened on
  int prevTopFile_ = 0;  // PrevDataList's PrevTopFile for a panel opened on a file
  void Sort();
  void PopPlugin();  // ClosePanelW and the side's return to its file panel
  void PopPrevData(const std::wstring& name, bool closed, bool usePrev, bool position,
                   bool setDirectorySuccess);
  bool Begin(const char* what);
};

}  // namespace far3host
