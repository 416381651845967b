// The folder view and the moves between the panel's two levels, driven through the exports as
// FAR drives them, on real folders in the temporary directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>
#include "FarHost.h"

namespace {

using Names = std::vector<std::string>;

std::wstring Long(const std::string& Path) {  // \\?\ form: paths past MAX_PATH work with it
  return L"\\\\?\\" + std::wstring(Path.begin(), Path.end());
}

void MakeFile(const std::string& Path, const std::string& Bytes) {
  HANDLE H = CreateFileW(Long(Path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(H, INVALID_HANDLE_VALUE) << Path;
  DWORD Done = 0;
  WriteFile(H, Bytes.data(), static_cast<DWORD>(Bytes.size()), &Done, nullptr);
  CloseHandle(H);
}

void RemoveTree(const std::wstring& Dir) {
  WIN32_FIND_DATAW D;
  HANDLE F = FindFirstFileW((Dir + L"\\*").c_str(), &D);
  if (F != INVALID_HANDLE_VALUE) {
    do {
      std::wstring N = D.cFileName;
      if (N == L"." || N == L"..") continue;
      if (D.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(Dir + L"\\" + N);
      else
        DeleteFileW((Dir + L"\\" + N).c_str());
    } while (FindNextFileW(F, &D));
    FindClose(F);
  }
  RemoveDirectoryW(Dir.c_str());
}

std::string CurrentDirectory() {
  char Buffer[1024];
  DWORD N = GetCurrentDirectoryA(sizeof(Buffer), Buffer);
  std::string Dir(Buffer, N);
  if (Dir.size() > 3 && Dir.back() == '\\') Dir.pop_back();
  return Dir;
}

std::string Lower(std::string S) {
  std::transform(S.begin(), S.end(), S.begin(), [](unsigned char C) { return tolower(C); });
  return S;
}

// The items of the plugin's own last array, in its order (FAR's added ".." left out).
std::vector<HostItem> PluginItems(const FarHost::Panel& P) {
  std::vector<HostItem> Items;
  for (const HostItem& I : P.items)
    if (I.position >= 0) Items.push_back(I);
  std::sort(Items.begin(), Items.end(),
            [](const HostItem& A, const HostItem& B) { return A.position < B.position; });
  return Items;
}

Names PluginNames(const FarHost::Panel& P, bool Sorted = false) {
  Names N;
  for (const HostItem& I : PluginItems(P)) N.push_back(I.name);
  if (Sorted) std::sort(N.begin(), N.end());
  return N;
}

struct PanelOptions {
  int ShowAllFiles = 0, ShowAllFolders = 0, AutoExit = 0, AutoExitPlugin = 0;
};

class FolderView : public ::testing::Test {
 protected:
  std::string Saved, Temp, Root, Mail, Other, StartDir;
  std::unique_ptr<FarHost> Host;

  void SetUp() override {
    Saved = CurrentDirectory();
    char Buffer[MAX_PATH];
    GetTempPathA(MAX_PATH, Buffer);
    Temp = Buffer;
    if (Temp.back() != '\\') Temp += '\\';
    Root = Temp + "quenby_fv_" + std::to_string(GetCurrentProcessId());
    StartDir = Temp.substr(0, Temp.size() - 1);  // FAR gives a sub-folder without its backslash
    Mail = Root + "\\Mail\\";
    Other = Root + "\\Other\\";
    RemoveTree(Long(Root));
    for (const std::string& D : {Root, Mail, Other, Mail + "Sub", Root + "\\Empty"})
      ASSERT_TRUE(CreateDirectoryA(D.c_str(), nullptr)) << D;
    MakeMessages();
    MakeFile(Mail + "note.txt", "txt");
    MakeFile(Other + "x.txt", "x");
    MakeFile(Root + "\\list.vfs", Mail + "*.msg,New mail\r\n" + Other + "*.txt,Other\r\n");
  }

  void MakeMessages() {
    MakeFile(Mail + "a.msg", "aaaaa");
    MakeFile(Mail + "b.msg", "bbbbbbb");
  }

  void TearDown() override {
    if (Host) {
      Host->Shutdown();
      EXPECT_TRUE(Host->DeleteRootKey());
      Host.reset();
    }
    SetCurrentDirectoryA(Saved.c_str());
    RemoveTree(Long(Root));
  }

  // A fresh FAR with these settings in the registry, the file panel on the test folder, and
  // the plugin opened from the plugins menu (FAR reads the root list right away).
  FarHost::Panel* Start(const PanelOptions& S) {
    if (Host) {
      Host->Shutdown();
      Host->DeleteRootKey();
      Host.reset();
    }
    FarHost::Options O;
    O.dllPath = FarHost::DllInFolder(QUENBY_PLUGIN_DIR);
    O.rootKey = FarHost::TestRootKey("folderview");
    Host = std::make_unique<FarHost>(O);
    Host->onFailure = [](const std::string& What) { ADD_FAILURE() << "host: " << What; };
    char Block[255] = {};
    std::string List = Root + "\\list.vfs";
    memcpy(Block, List.data(), List.size());
    Host->WriteValue("FileSystemFile", REG_DWORD, Block, sizeof(Block));
    Host->WriteValue("FileSystemExt", REG_DWORD, "VFS", 3);
    Host->WriteDword("AddToDisksMenu", 0);
    Host->WriteDword("DisksMenuDigit", 0);
    Host->WriteDword("ShowAllFiles", S.ShowAllFiles);
    Host->WriteDword("ShowAllFolders", S.ShowAllFolders);
    Host->WriteDword("AutoExit", S.AutoExit);
    Host->WriteDword("AutoExitPlugin", S.AutoExitPlugin);
    Host->WriteDword("TreatFolderAsFile", 0);
    if (!Host->LoadAndStart()) {
      ADD_FAILURE() << "plugin did not start: " << Host->lastError;
      return nullptr;
    }
    Host->filePanel.curDir = Temp;  // the cursor on the test folder: closing comes back here
    Host->filePanel.Add(Root.substr(Temp.size()), FILE_ATTRIBUTE_DIRECTORY);
    Host->filePanel.currentItem = 0;
    FarHost::Panel* P = Host->OpenPlugin(OPEN_PLUGINSMENU);
    EXPECT_NE(P, nullptr);
    if (P) EXPECT_EQ(PluginNames(*P), RootList());
    return P;
  }

  Names RootList(bool WithMail = true) const {
    return WithMail ? Names{Mail + "*.msg", Other + "*.txt", ".."} : Names{Other + "*.txt", ".."};
  }

  std::vector<ControlCall> Controls(size_t From, int Command) const {
    std::vector<ControlCall> Found;
    for (size_t I = From; I < Host->controls.size(); ++I)
      if (Host->controls[I].command == Command) Found.push_back(Host->controls[I]);
    return Found;
  }

  // A ProcessEvent that must not put the cursor back: no redraw with a position follows.
  void ExpectNoRestore(FarHost::Panel& P) {
    size_t Mark = Host->controls.size();
    P.ProcessEvent(FE_REDRAW);
    for (const ControlCall& C : Controls(Mark, FCTL_REDRAWPANEL))
      EXPECT_FALSE(C.hasRedraw) << "cursor restored without a climb";
  }

  bool AtRoot(FarHost::Panel& P, bool WithMail = true) {
    return P.GetOpenPluginInfo() && P.info.curDir == StartDir &&
           PluginNames(P) == RootList(WithMail);
  }
};

TEST_F(FolderView, EnterClimbAndCloseFromTheRootList) {
  FarHost::Panel* P = Start(PanelOptions{});
  ASSERT_NE(P, nullptr);
  P->pageSize = 1;  // a one-row window lets the top item follow the cursor
  ASSERT_TRUE(P->SetCurrent(Mail + "*.msg"));
  P->SetCurrent(P->currentItem, P->currentItem);
  const int SavedItem = P->currentItem, SavedTop = P->topPanelItem;
  ASSERT_GT(SavedItem, 0);

  P->Enter();
  ASSERT_FALSE(P->closed);
  EXPECT_EQ(Lower(CurrentDirectory()), Lower(Mail.substr(0, Mail.size() - 1)));
  EXPECT_EQ(P->info.curDir, Mail);
  std::vector<HostItem> Items = PluginItems(*P);
  EXPECT_EQ(P->lastFindDataCount, 2);
  EXPECT_EQ(PluginNames(*P, true), (Names{Mail + "a.msg", Mail + "b.msg"}));
  WIN32_FILE_ATTRIBUTE_DATA A;
  ASSERT_TRUE(GetFileAttributesExA((Mail + "a.msg").c_str(), GetFileExInfoStandard, &A));
  for (const HostItem& I : Items) {
    EXPECT_FALSE(I.IsDirectory()) << I.name;
    EXPECT_FALSE(I.hasDescription) << I.name;
    EXPECT_EQ(I.flags, PPIF_PROCESSDESCR) << I.name;
    EXPECT_EQ(I.fileSize, I.name == Mail + "a.msg" ? 5u : 7u) << I.name;
    if (I.name != Mail + "a.msg") continue;
    EXPECT_EQ(I.attributes, A.dwFileAttributes);
    EXPECT_EQ(CompareFileTime(&I.lastWriteTime, &A.ftLastWriteTime), 0);
  }
  // FAR adds the ".." itself (OPIF_ADDDOTS): it is its only ".." in the view.
  int Dots = 0;
  for (const HostItem& I : P->items) Dots += I.name == "..";
  EXPECT_EQ(Dots, 1);
  ASSERT_GE(P->Find(".."), 0);
  EXPECT_TRUE(P->items[P->Find("..")].addedDots);

  // ".." climbs to the root list one folder up; the next event puts the cursor back.
  size_t Mark = Host->controls.size();
  EXPECT_EQ(P->ChangeDir(".."), 1);
  EXPECT_EQ(Lower(CurrentDirectory()), Lower(Root));
  EXPECT_TRUE(AtRoot(*P));
  P->ProcessEvent(FE_REDRAW);
  std::vector<ControlCall> Redraws;
  for (const ControlCall& C : Controls(Mark, FCTL_REDRAWPANEL))
    if (C.hasRedraw) Redraws.push_back(C);
  ASSERT_EQ(Redraws.size(), 1u);
  EXPECT_EQ(Redraws[0].handle, P->handle);
  EXPECT_EQ(Redraws[0].redraw.CurrentItem, SavedItem);
  EXPECT_EQ(Redraws[0].redraw.TopPanelItem, SavedTop);
  ExpectNoRestore(*P);  // once only

  // ".." in the root list asks FAR to close the panel, to the directory it was opened from.
  Mark = Host->controls.size();
  EXPECT_EQ(P->SetDirectory(".."), 1);
  std::vector<ControlCall> Closes = Controls(Mark, FCTL_CLOSEPLUGIN);
  ASSERT_EQ(Closes.size(), 1u);
  EXPECT_EQ(Closes[0].handle, P->handle);
  EXPECT_EQ(Closes[0].text, StartDir);
  EXPECT_TRUE(P->closed);
  EXPECT_EQ(P->closedTo, StartDir);
  EXPECT_EQ(Host->Count("ClosePlugin"), 1);
  EXPECT_TRUE(Host->failures.empty());
}

TEST_F(FolderView, ShowAllFilesListsTheWholeFolderAndASubFolderLeadsBackToTheRoot) {
  FarHost::Panel* P = Start(PanelOptions{1, 0, 0, 0});
  ASSERT_NE(P, nullptr);
  EXPECT_EQ(P->ChangeDir(Mail + "*.msg"), 1);
  EXPECT_EQ(PluginNames(*P, true),
            (Names{Mail + "Sub", Mail + "a.msg", Mail + "b.msg", Mail + "note.txt"}));
  for (const HostItem& I : PluginItems(*P))
    EXPECT_EQ(I.IsDirectory(), I.name == Mail + "Sub") << I.name;

  // Enter on the sub-folder: FAR passes its name, and the panel goes back to the root list
  // without moving the current directory or the cursor.
  ASSERT_TRUE(P->SetCurrent(Mail + "Sub"));
  P->Enter();
  EXPECT_TRUE(AtRoot(*P));
  EXPECT_EQ(Lower(CurrentDirectory()), Lower(Mail.substr(0, Mail.size() - 1)));
  ExpectNoRestore(*P);
  EXPECT_TRUE(Host->failures.empty());
}

TEST_F(FolderView, EntriesThatCannotBeEnteredLeaveTheRootList) {
  FarHost::Panel* P = Start(PanelOptions{});
  ASSERT_NE(P, nullptr);
  SetCurrentDirectoryA(Other.c_str());
  for (const std::string& Entry : {Root + "\\Missing\\*.msg", std::string("*.msg")}) {
    EXPECT_EQ(P->SetDirectory(Entry), 1) << Entry;
    EXPECT_TRUE(P->Reread()) << Entry;
    EXPECT_TRUE(AtRoot(*P)) << Entry;
    EXPECT_FALSE(P->closed) << Entry;
    EXPECT_EQ(Lower(CurrentDirectory()), Lower(Other.substr(0, Other.size() - 1))) << Entry;
    ExpectNoRestore(*P);
  }
  EXPECT_TRUE(Host->failures.empty());
}

TEST_F(FolderView, AutoExitClimbsWhenTheMaskNoLongerMatches) {
  for (int ShowAll : {0, 1}) {
    SCOPED_TRACE(ShowAll ? "ShowAllFiles" : "mask only");
    SetCurrentDirectoryA(Saved.c_str());
    MakeMessages();  // again, as the first round deleted them
    FarHost::Panel* P = Start(PanelOptions{ShowAll, 0, 1, 0});
    ASSERT_NE(P, nullptr);
    EXPECT_EQ(P->ChangeDir(Mail + "*.msg"), 1);
    ASSERT_TRUE(DeleteFileA((Mail + "a.msg").c_str()));
    ASSERT_TRUE(P->Reread());
    EXPECT_NE(PluginNames(*P), RootList());
    EXPECT_GE(P->Find(Mail + "b.msg"), 0);

    ASSERT_TRUE(DeleteFileA((Mail + "b.msg").c_str()));
    int Calls = P->findDataCalls;
    ASSERT_TRUE(P->Reread());
    EXPECT_EQ(P->findDataCalls, Calls + 1);  // the root list comes in the same call
    EXPECT_TRUE(AtRoot(*P, false));
    EXPECT_EQ(Lower(CurrentDirectory()), Lower(Mail.substr(0, Mail.size() - 1)));
    ExpectNoRestore(*P);
    EXPECT_TRUE(Host->failures.empty());
  }
}

TEST_F(FolderView, WithoutAutoExitAnEmptyFolderShowsNoItems) {
  FarHost::Panel* P = Start(PanelOptions{});
  ASSERT_NE(P, nullptr);
  EXPECT_EQ(P->ChangeDir(Mail + "*.msg"), 1);
  ASSERT_TRUE(DeleteFileA((Mail + "a.msg").c_str()));
  ASSERT_TRUE(DeleteFileA((Mail + "b.msg").c_str()));
  PluginPanelItem* Items = reinterpret_cast<PluginPanelItem*>(1);
  int Count = -1;
  EXPECT_EQ(Host->exports.GetFindData(P->handle, &Items, &Count, 0), TRUE);
  EXPECT_EQ(Count, 0);
  Host->exports.FreeFindData(P->handle, Items, Count);
  ASSERT_TRUE(P->Reread());
  EXPECT_TRUE(PluginNames(*P).empty());
  EXPECT_EQ(P->Names(), Names{".."});
  ASSERT_TRUE(P->GetOpenPluginInfo());
  EXPECT_EQ(P->info.curDir, Mail);  // still the folder view

  // A folder whose search yields only "." and ".." lists nothing either.
  std::string Empty = Root + "\\Empty\\*.*";
  WIN32_FIND_DATAA D;
  HANDLE F = FindFirstFileA(Empty.c_str(), &D);
  ASSERT_NE(F, INVALID_HANDLE_VALUE);
  Names Found;
  do Found.push_back(D.cFileName); while (FindNextFileA(F, &D));
  FindClose(F);
  std::sort(Found.begin(), Found.end());
  ASSERT_EQ(Found, (Names{".", ".."}));
  EXPECT_EQ(P->ChangeDir(".."), 1);
  EXPECT_EQ(P->ChangeDir(Empty), 1);
  EXPECT_EQ(P->lastFindDataCount, 0);
  EXPECT_TRUE(PluginNames(*P).empty());
  EXPECT_EQ(Lower(CurrentDirectory()), Lower(Root + "\\Empty"));
  EXPECT_TRUE(Host->failures.empty());
}

TEST_F(FolderView, FullPathsThatDoNotFitFarsNameFieldAreLeftOut) {
  // A folder whose path with its backslash is 200 characters, and names that make full paths
  // of 259 (fits with its zero), 260 and 270 characters.
  std::string Deep = Root + "\\" + std::string(198 - Root.size(), 'd') + "\\";
  ASSERT_EQ(Deep.size(), 200u);
  ASSERT_TRUE(CreateDirectoryA(Deep.c_str(), nullptr));
  auto Name = [](char First, size_t Length) {
    return First + std::string(Length - 5, 'x') + ".msg";
  };
  const std::string Fits = Deep + Name('a', 59);
  ASSERT_EQ(Fits.size(), 259u);
  MakeFile(Fits, "1");
  MakeFile(Deep + Name('b', 60), "2");
  MakeFile(Deep + Name('c', 70), "3");
  MakeFile(Deep + "short.msg", "4");

  FarHost::Panel* P = Start(PanelOptions{});
  ASSERT_NE(P, nullptr);
  EXPECT_EQ(P->ChangeDir(Deep + "*.msg"), 1);
  EXPECT_EQ(P->info.curDir, Deep);
  EXPECT_EQ(PluginNames(*P, true), (Names{Fits, Deep + "short.msg"}));
  EXPECT_EQ(P->lastFindDataCount, 2);
  EXPECT_TRUE(Host->failures.empty());
}

}  // namespace
