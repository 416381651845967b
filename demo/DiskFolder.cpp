// FAR's file panel over a folder on disk, and FAR's copy, move, rename and delete.
#include "DiskFolder.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "Layout.h"

std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder + (!folder.empty() && folder.back() == '\\' ? "" : "\\") + name;
}

std::string ParentOf(const std::string& path) {
  std::string p = FarHost::PanelDirectory(path);
  size_t slash = p.rfind('\\');
  if (slash == std::string::npos) return p;
  return p.substr(0, slash == 2 && p[1] == ':' ? 3 : slash);
}

void LoadFolder(FarHost::FilePanel& panel, const std::string& focus) {
  const HostItem* cur =
      panel.currentItem >= 0 && panel.currentItem < static_cast<int>(panel.items.size())
          ? &panel.items[panel.currentItem]
          : nullptr;
  std::string keep = !focus.empty() ? focus : cur ? cur->name : std::string();
  std::vector<HostItem> folders, files;
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA(JoinPath(panel.curDir, "*").c_str(), &d);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      if (!strcmp(d.cFileName, ".")) continue;
      HostItem item = HostItem::Make(d.cFileName, d.dwFileAttributes);
      item.lastWriteTime = d.ftLastWriteTime;
      item.fileSize = (static_cast<unsigned long long>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
      (item.IsDirectory() ? folders : files).push_back(item);
    } while (FindNextFileA(h, &d));
    FindClose(h);
  }
  auto byName = [](const HostItem& a, const HostItem& b) {
    return a.name == ".." || (b.name != ".." && lstrcmpiA(a.name.c_str(), b.name.c_str()) < 0);
  };
  std::sort(folders.begin(), folders.end(), byName);
  std::sort(files.begin(), files.end(), byName);
  folders.insert(folders.end(), files.begin(), files.end());
  panel.items = folders;
  for (size_t i = 0; i < panel.items.size() && !keep.empty(); ++i)
    if (lstrcmpiA(panel.items[i].name.c_str(), keep.c_str()) == 0)
      panel.currentItem = static_cast<int>(i);
  panel.currentItem =
      std::max(0, std::min<int>(panel.currentItem, static_cast<int>(panel.items.size()) - 1));
}

namespace {

// FAR's copy and move dialog: the target in an edit field, the action and Cancel.
bool AskTarget(ModalHost& host, const char* title, const std::string& prompt, const char* action,
               std::string& target) {
  std::vector<FarDialogItem> items(5);
  for (FarDialogItem& i : items) memset(&i, 0, sizeof i);
  const int width = 76;
  auto set = [&](int n, int type, int x1, int y1, int x2, const std::string& text) {
    items[n].Type = type, items[n].X1 = x1, items[n].Y1 = y1, items[n].X2 = x2, items[n].Y2 = y1;
    strncpy(items[n].Data, text.c_str(), sizeof items[n].Data - 1);
  };
  set(0, DI_DOUBLEBOX, 3, 1, width - 4, title);
  items[0].Y2 = 6;
  set(1, DI_TEXT, 5, 2, 0, prompt);
  set(2, DI_EDIT, 5, 3, width - 6, target);
  items[2].Focus = TRUE;
  set(3, DI_BUTTON, 0, 5, 0, action);
  set(4, DI_BUTTON, 0, 5, 0, "Cancel");
  items[3].X1 = width / 2 - 12, items[4].X1 = width / 2 + 2, items[3].DefaultButton = TRUE;
  int answer = ShowDialog(host, items, -1, -1, width, 8, "");
  target.assign(items[2].Data, strnlen(items[2].Data, sizeof items[2].Data));
  return answer == 2 || answer == 3;
}

bool Confirm(ModalHost& host, const std::string& what, const std::string& name) {
  MessageCall box;
  box.flags = FMSG_WARNING;
  box.items = {"Delete", what, name, "Delete", "Cancel"};
  box.buttonsNumber = 2;
  return ShowMessage(host, box) == 0;
}

void Fail(ModalHost& host, const char* title, const std::string& text) {
  MessageCall box;
  box.flags = FMSG_WARNING;
  box.items = {"Error", std::string("Cannot ") + title, text, "Ok"};
  box.buttonsNumber = 1;
  ShowMessage(host, box);
}

bool DeletePath(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return false;
  if (!(a & FILE_ATTRIBUTE_DIRECTORY)) return DeleteFileA(path.c_str()) != FALSE;
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA(JoinPath(path, "*").c_str(), &d);
  if (h != INVALID_HANDLE_VALUE) {
    do
      if (strcmp(d.cFileName, ".") && strcmp(d.cFileName, ".."))
        DeletePath(JoinPath(path, d.cFileName));
    while (FindNextFileA(h, &d));
    FindClose(h);
  }
  return RemoveDirectoryA(path.c_str()) != FALSE;
}

}  // namespace

bool RunFileOp(ModalHost& host, FileOp op, const std::string& path,
               const std::string& otherFolder) {
  const std::string name = NameOf(path);
  if (op == FileOp::Delete) {
    bool folder = (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!Confirm(host,
                 folder ? "Do you wish to delete the folder" : "Do you wish to delete the file",
                 name))
      return false;
    if (!DeletePath(path)) Fail(host, "delete", name);
    return true;
  }
  std::string target = op == FileOp::Rename ? name : JoinPath(otherFolder, "");
  const char* title = op == FileOp::Copy ? "Copy" : "Rename/Move";
  std::string prompt = (op == FileOp::Copy ? "Copy \"" : "Rename or move \"") + name + "\" to";
  if (!AskTarget(host, title, prompt, op == FileOp::Copy ? "Copy" : "Rename", target) ||
      target.empty())
    return false;
  bool rooted = target.size() > 1 && (target[1] == ':' || target[0] == '\\');
  if (!rooted) target = JoinPath(ParentOf(path), target);
  DWORD a = GetFileAttributesA(target.c_str());
  if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY))
    target = JoinPath(target, name);
  bool ok = op == FileOp::Copy ? CopyFileA(path.c_str(), target.c_str(), TRUE) != FALSE
                               : MoveFileA(path.c_str(), target.c_str()) != FALSE;
  if (!ok) Fail(host, op == FileOp::Copy ? "copy" : "move", name);
  return ok;
}
