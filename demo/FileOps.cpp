// FAR's copy and move dialog (far/copy.cpp), its delete boxes (far/delete.cpp), its make folder
// dialog (far/mkdir.cpp) and the operations on the real files behind them.
#include "FileOps.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "Dialog.h"
#include "DiskFolder.h"
#include "Layout.h"

namespace {

// FAR's TruncPathStr: a path longer than `max` keeps its drive and ends, "..." between.
std::string TruncPath(const std::string& path, size_t max) {
  if (path.size() <= max || path.size() <= 3) return path;
  size_t start = path.size() > 2 && path[1] == ':' && path[2] == '\\' ? 3 : 0;
  return path.substr(0, start) + "..." + path.substr(start + path.size() - max + 3);
}

DialogItem Item(int type, int x1, int y1, int x2, const std::string& text, unsigned flags = 0) {
  DialogItem it;
  it.type = type, it.x1 = x1, it.y1 = y1, it.x2 = x2, it.y2 = y1;
  it.data = text, it.flags = flags;
  return it;
}

// Where each radio button of a row starts: after the text before it, as copy.cpp places them.
int After(const DialogItem& it, int blanks) {
  int shown = static_cast<int>(it.data.size()) - (it.data.find('&') != std::string::npos ? 1 : 0);
  return it.x1 + shown + blanks;
}

enum { Target = 2, CopyButton = 16 };

// The items of FAR 1.75's copy dialog (76 by 16), in its order; the move dialog differs only in
// its title, its first line and the name of its first button.
std::vector<DialogItem> CopyDialog(bool move, const std::string& name, const std::string& target) {
  const unsigned sep = DIF_BOXCOLOR | DIF_SEPARATOR;
  std::string source =
      (move ? "Rename or move \"" : "Copy \"") + TruncPath(name, 33).substr(0, 55) + "\"";
  source = source.substr(0, 65);
  std::vector<DialogItem> d = {
      Item(DI_DOUBLEBOX, 3, 1, 72, move ? "Rename/Move" : "Copy"),
      Item(DI_TEXT, 5 + static_cast<int>(source.size()), 2, 0, " t&o:"),
      Item(DI_EDIT, 5, 3, 70, target),
      Item(DI_TEXT, 3, 4, 0, "", sep),
      Item(DI_TEXT, 5, 5, 0, "&Access rights:"),
      Item(DI_RADIOBUTTON, 0, 5, 0, "Defau&lt", DIF_GROUP),
      Item(DI_RADIOBUTTON, 0, 5, 0, "Co&py"),
      Item(DI_RADIOBUTTON, 0, 5, 0, "&Inherit"),
      Item(DI_TEXT, 3, 6, 0, "", sep),
      Item(DI_TEXT, 5, 7, 0, "Already e&xisting files:"),
      Item(DialogItem::Combo, 29, 7, 70, "Ask"),
      Item(DI_CHECKBOX, 5, 8, 0, "Cop&y contents of symbolic links"),
      Item(DI_CHECKBOX, 5, 9, 0, "Process &multiple destinations"),
      Item(DI_TEXT, 3, 10, 0, "", sep),
      Item(DI_CHECKBOX, 5, 11, 0, "&Use filter"),
      Item(DI_TEXT, 3, 12, 0, "", sep),
      Item(DI_BUTTON, 0, 13, 0, move ? "&Rename" : "&Copy", DIF_CENTERGROUP),
      Item(DI_BUTTON, 0, 13, 0, "F10-&Tree", DIF_CENTERGROUP),
      Item(DI_BUTTON, 0, 13, 0, "Filt&er", DIF_CENTERGROUP),
      Item(DI_BUTTON, 0, 13, 0, "Ca&ncel", DIF_CENTERGROUP),
      Item(DI_TEXT, 5, 2, 0, source, DIF_SHOWAMPERSAND),
  };
  d[0].y2 = 14;
  d[Target].focus = d[Target].history = true;
  d[5].x1 = After(d[4], 1), d[6].x1 = After(d[5], 5), d[7].x1 = After(d[6], 5);
  d[5].selected = 1;  // "Default" access rights
  d[CopyButton].defaultButton = true;
  d[17].noClose = d[18].noClose = true;  // the tree and the filter are not the demo's
  return d;
}

void Fail(ModalHost& host, const char* what, const std::string& name) {
  MessageCall box;
  box.flags = FMSG_WARNING;
  box.items = {"Error", std::string("Cannot ") + what, name, "Ok"};
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

bool IsFolder(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderHasContent(const std::string& path) {
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA(JoinPath(path, "*").c_str(), &d);
  bool found = false;
  if (h == INVALID_HANDLE_VALUE) return false;
  do found = strcmp(d.cFileName, ".") && strcmp(d.cFileName, "..");
  while (!found && FindNextFileA(h, &d));
  FindClose(h);
  return found;
}

// FAR's boxes before a delete: the question (to the Recycle Bin, as FAR's default on a fixed
// disk), and for a folder that is not empty the warning that names it in full.
bool ConfirmDelete(ModalHost& host, const FileOpSource& source) {
  bool folder = IsFolder(source.path);
  MessageCall ask;
  ask.items = {"Delete",
               folder ? "Do you wish to move to the Recycle Bin the folder"
                      : "Do you wish to move to the Recycle Bin the file",
               source.name, "Delete", "Cancel"};
  ask.buttonsNumber = 2;
  if (ShowMessage(host, ask) != 0) return false;
  if (!folder || !FolderHasContent(source.path)) return true;
  MessageCall warn;
  warn.flags = FMSG_WARNING | FMSG_DOWN;
  warn.items = {"Delete folder", "The following folder will be deleted:",
                source.path,     "&Delete",
                "&All",          "&Skip",
                "&Cancel"};
  warn.buttonsNumber = 4;
  int answer = ShowMessage(host, warn);
  return answer == 0 || answer == 1;
}

// The target FAR proposes: the other panel's folder with a final backslash, or the name itself
// when that is the source's own folder (a copy beside it); Shift+F6 always the name.
std::string ProposedTarget(FileOp op, const FileOpSource& source, const std::string& other) {
  if (op == FileOp::Rename) return source.name;
  if (other.empty() || lstrcmpiA(other.c_str(), source.folder.c_str()) == 0) return source.name;
  return JoinPath(other, "");
}

// A file's size, date and time as FAR's overwrite question shows them ("%-17s %20.20s %s %s"):
// the full year in the user's date order, the time with seconds.
std::string FileLine(const char* label, const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA a{};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a);
  FILETIME local;
  SYSTEMTIME st{};
  FileTimeToLocalFileTime(&a.ftLastWriteTime, &local);
  FileTimeToSystemTime(&local, &st);
  char order[8] = "0", sep[8] = "/", timeSep[8] = ":";
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IDATE, order, sizeof order);
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, sep, sizeof sep);
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, timeSep, sizeof timeSep);
  int p1 = order[0] == '1' ? st.wDay : order[0] == '2' ? st.wYear : st.wMonth;
  int p2 = order[0] == '1' ? st.wMonth : order[0] == '2' ? st.wMonth : st.wDay;
  int p3 = order[0] == '2' ? st.wDay : st.wYear;
  unsigned long long size =
      (static_cast<unsigned long long>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
  char line[160];
  snprintf(line, sizeof line, "%-17s %20llu %02d%c%02d%c%02d %02d%c%02d%c%02d", label, size, p1,
           sep[0], p2, sep[0], p3, st.wHour, timeSep[0], st.wMinute, timeSep[0], st.wSecond);
  return line;
}

enum class Overwrite { Yes, Skip, Append, Cancel };

// FAR's question when the target exists (copy.cpp's AskOverwrite), 68 by 13 in warning colours.
Overwrite AskOverwrite(ModalHost& host, const std::string& source, const std::string& target) {
  const unsigned sep = DIF_BOXCOLOR | DIF_SEPARATOR;
  std::vector<DialogItem> d = {
      Item(DI_DOUBLEBOX, 3, 1, 64, "Warning"),
      Item(DI_TEXT, 5, 2, 62, "File already exists"),
      Item(DI_EDIT, 5, 3, 62, target),
      Item(DI_TEXT, 3, 4, 0, "", sep),
      Item(DI_BUTTON, 5, 5, 62, FileLine("&New", source), DIF_NOBRACKETS),
      Item(DI_BUTTON, 5, 6, 62, FileLine("E&xisting", target), DIF_NOBRACKETS),
      Item(DI_TEXT, 3, 7, 0, "", sep),
      Item(DI_CHECKBOX, 5, 8, 0, "&Remember choice"),
      Item(DI_TEXT, 3, 9, 0, "", sep),
      Item(DI_BUTTON, 0, 10, 0, "&Overwrite", DIF_CENTERGROUP),
      Item(DI_BUTTON, 0, 10, 0, "&Skip", DIF_CENTERGROUP),
      Item(DI_BUTTON, 0, 10, 0, "A&ppend", DIF_CENTERGROUP),
      Item(DI_BUTTON, 0, 10, 0, "&Cancel", DIF_CENTERGROUP),
  };
  d[0].y2 = 11;
  d[1].centreText = true;
  d[2].readOnly = d[2].textColour = true, d[2].unchanged = false;
  d[4].noClose = d[5].noClose = true;  // FAR shows the file in its viewer
  d[7].focus = true;
  d[9].defaultButton = true;
  DialogLook look;
  look.width = 68, look.height = 13, look.warning = true;
  switch (RunDialog(host, d, look)) {
    case 9:
      return Overwrite::Yes;
    case 10:
      return Overwrite::Skip;
    case 11:
      return Overwrite::Append;
    default:
      return Overwrite::Cancel;
  }
}

bool AppendFile(const std::string& source, const std::string& target) {
  HANDLE in = CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                          nullptr);
  if (in == INVALID_HANDLE_VALUE) return false;
  HANDLE out = CreateFileA(target.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  bool ok = out != INVALID_HANDLE_VALUE;
  char buf[4096];
  DWORD got = 0, put = 0;
  while (ok && ReadFile(in, buf, sizeof buf, &got, nullptr) && got)
    ok = WriteFile(out, buf, got, &put, nullptr) && put == got;
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  CloseHandle(in);
  return ok;
}

// A folder copied with everything in it.
bool CopyTree(const std::string& source, const std::string& target) {
  if (!CreateDirectoryA(target.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
    return false;
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA(JoinPath(source, "*").c_str(), &d);
  bool ok = true;
  if (h == INVALID_HANDLE_VALUE) return true;
  do {
    if (!strcmp(d.cFileName, ".") || !strcmp(d.cFileName, "..")) continue;
    std::string from = JoinPath(source, d.cFileName), to = JoinPath(target, d.cFileName);
    bool folder = (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    ok = (folder ? CopyTree(from, to) : CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE) && ok;
  } while (FindNextFileA(h, &d));
  FindClose(h);
  return ok;
}

// The copy or move itself, after FAR's question when the target is there already.
bool Transfer(ModalHost& host, bool move, const std::string& source, const std::string& target) {
  DWORD a = GetFileAttributesA(target.c_str());
  Overwrite answer = Overwrite::Yes;
  bool exists = a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
  if (exists && lstrcmpiA(source.c_str(), target.c_str()) == 0) {
    MessageCall box;  // FAR's box, and nothing is copied
    box.flags = FMSG_WARNING | FMSG_DOWN;
    box.items = {"Error", "Cannot copy the file", source, "onto itself", "OK"};
    box.buttonsNumber = 1;
    ShowMessage(host, box);
    return true;
  }
  if (exists) answer = AskOverwrite(host, source, target);
  if (answer == Overwrite::Skip || answer == Overwrite::Cancel) return true;
  if (IsFolder(source))
    return move ? MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED) != FALSE
                : CopyTree(source, target);
  if (answer == Overwrite::Append)
    return AppendFile(source, target) && (!move || DeleteFileA(source.c_str()));
  if (!move) return CopyFileA(source.c_str(), target.c_str(), FALSE) != FALSE;
  return MoveFileExA(source.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != FALSE;
}

std::string Trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  if (text.size() > 1 && text.front() == '"' && text.back() == '"')
    text = text.substr(1, text.size() - 2);
  return text;
}

}  // namespace

bool RunFileOp(ModalHost& host, FileOp op, const FileOpSource& source,
               const std::string& otherFolder) {
  if (op == FileOp::Delete) {
    if (!ConfirmDelete(host, source)) return false;
    if (!DeletePath(source.path)) Fail(host, "delete", source.name);
    return true;
  }
  const bool move = op != FileOp::Copy;
  std::vector<DialogItem> items =
      CopyDialog(move, source.name, ProposedTarget(op, source, otherFolder));
  items[14].disabled = !IsFolder(source.path);  // FAR: no filter for a single file
  DialogLook look;
  look.width = 76, look.height = 16;
  look.f10Taken = true;  // FAR opens its folder tree, which the demo does not have
  if (RunDialog(host, items, look) != CopyButton) return false;
  std::string target = Trimmed(items[Target].data);
  if (target.empty()) return false;
  bool rooted = target.size() > 1 && (target[1] == ':' || target[0] == '\\');
  if (!rooted) target = JoinPath(ParentOf(source.path), target);
  if (IsFolder(target) || target.back() == '\\') target = JoinPath(target, NameOf(source.path));
  bool ok = Transfer(host, move, source.path, target);
  if (!ok) Fail(host, move ? "move" : "copy", source.name);
  return true;
}

std::string MakeFolder(ModalHost& host, const std::string& folder, std::string& last) {
  // stddlg.cpp's GetString with a check box and buttons: 76 by 10.
  const unsigned sep = DIF_BOXCOLOR | DIF_SEPARATOR;
  std::vector<DialogItem> d = {
      Item(DI_DOUBLEBOX, 3, 1, 72, "Make folder"),
      Item(DI_TEXT, 5, 2, 0, "Create the &folder"),
      Item(DI_EDIT, 5, 3, 70, last),
      Item(DI_TEXT, 0, 4, 0, "", sep),
      Item(DI_CHECKBOX, 5, 5, 0, "Process &multiple names"),
      Item(DI_TEXT, 0, 6, 0, "", sep),
      Item(DI_BUTTON, 0, 7, 0, "OK", DIF_CENTERGROUP),
      Item(DI_BUTTON, 0, 7, 0, "Cancel", DIF_CENTERGROUP),
  };
  d[0].y2 = 8;
  d[2].focus = d[2].history = true;
  d[6].defaultButton = true;
  DialogLook look;
  look.width = 76, look.height = 10;
  if (RunDialog(host, d, look) != 6) return "";
  std::string names = Trimmed(d[2].data), first;
  if (names.empty()) return "";
  last = names;
  std::vector<std::string> list;  // with "multiple names", a list split at ',' and ';'
  size_t from = 0;
  for (size_t i = 0; d[4].selected && i <= names.size(); ++i)
    if (i == names.size() || names[i] == ',' || names[i] == ';')
      list.push_back(Trimmed(names.substr(from, i - from))), from = i + 1;
  if (list.empty()) list.push_back(names);
  for (std::string name : list) {
    if (name.empty()) continue;
    while (!name.empty() && (name.back() == '\\' || name.back() == '/')) name.pop_back();
    std::string path = JoinPath(folder, name);
    for (size_t i = path.find('\\', 3); i != std::string::npos; i = path.find('\\', i + 1))
      CreateDirectoryA(path.substr(0, i).c_str(), nullptr);  // the folders on the way
    if (!CreateDirectoryA(path.c_str(), nullptr)) {
      MessageCall box;
      box.flags = FMSG_WARNING | FMSG_DOWN;
      box.items = {"Error", "Cannot create the folder", name, "Cancel"};
      box.buttonsNumber = 1;
      ShowMessage(host, box);
      continue;
    }
    if (first.empty()) first = name.substr(0, name.find('\\'));
  }
  return first;
}
