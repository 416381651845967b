// The emptiness test, the root list, the folder view and AutoExit against the same searches made
// the long way round (every file found searched for again by its name), over generated folder
// worlds: every answer must be the same. The emptiness test is called directly (compiled into
// this program); the lists come from quenby.dll through the FAR stand-in.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>
#include "FarHost.h"
#include "SearchWorld.h"
#include "TempFiles.h"
#include "nbumail.h"

namespace {

std::string TempRoot(const std::string& Name) {
  char Temp[MAX_PATH];
  GetTempPathA(MAX_PATH, Temp);
  return std::string(Temp) + "quenby_" + Name + "_" + std::to_string(GetCurrentProcessId());
}

std::string CurrentDirectory() {
  char Buffer[MAX_PATH * 2];
  DWORD N = GetCurrentDirectoryA(sizeof(Buffer), Buffer);
  return std::string(Buffer, N);
}

struct TTally {
  int Empty = 0, Content = 0;
};

// Both tests over every mask, under both TreatFolderAsFile settings.
void Compare(const std::vector<std::string>& Masks, const std::string& Where, TTally& Tally) {
  for (int Treat = 0; Treat <= 1; ++Treat) {
    Settings.TreatFolderAsFile = Treat;
    for (const std::string& M : Masks) {
      const bool Expected = literal::IsEmptyFolder(M, Treat == 1);
      EXPECT_EQ(IsEmptyFolder(M), Expected)
          << "mask '" << M << "', TreatFolderAsFile " << Treat << Where;
      ++(Expected ? Tally.Empty : Tally.Content);
    }
  }
  Settings.TreatFolderAsFile = 0;
}

// The world's masks, then its relative ones from inside its folders; ANSI and OEM file names.
TTally CompareOver(const TSearchWorld& W) {
  TTally Tally;
  const std::string Saved = CurrentDirectory();
  for (bool Oem : {false, true}) {
    if (Oem)
      SetFileApisToOEM();
    else
      SetFileApisToANSI();
    const std::string Apis = Oem ? ", OEM file names" : ", ANSI file names";
    Compare(W.Masks, Apis, Tally);
    for (size_t I = 0; I < W.Folders.size(); I += 3) {  // every third folder is enough here
      if (!SetCurrentDirectoryA(W.Folders[I].c_str())) continue;
      Compare(W.Relative, Apis + ", current directory " + W.Folders[I], Tally);
    }
    SetCurrentDirectoryA(Saved.c_str());
  }
  SetFileApisToANSI();
  return Tally;
}

}  // namespace

TEST(Emptiness, SameAnswerAsSearchingEveryFileAgainInGeneratedWorlds) {
  for (unsigned Seed : {1u, 2u, 3u}) {
    const std::string Root = TempRoot("searches" + std::to_string(Seed));
    RemoveWideTree(Root);
    TSearchWorld W = MakeSearchWorld(Root, Seed);
    ASSERT_TRUE(W.Unmade.empty()) << "could not make " << W.Unmade.front();
    TTally Tally = CompareOver(W);
    // Both answers come up often: the worlds are no row of empty folders.
    EXPECT_GT(Tally.Empty, 400) << "seed " << Seed;
    EXPECT_GT(Tally.Content, 400) << "seed " << Seed;
    RemoveWideTree(Root);
  }
}

// A world made from the Unix side before this program runs (see searches.cmake): names Windows
// cannot make, such as "A.TXT" beside "a.txt", "st*r.txt", "back\slash.txt", symbolic links,
// and stamps Win32 will not set.
TEST(Emptiness, SameAnswerOnNamesOnlyTheUnixSideCanMake) {
  const std::string Root = QUENBY_UNIX_WORLD;
  ASSERT_NE(GetFileAttributesA(Root.c_str()), INVALID_FILE_ATTRIBUTES) << Root;
  TSearchWorld W;
  W.Root = Root;
  W.Folders = FoldersBelow(Root);
  ASSERT_GE(W.Folders.size(), 10u);
  for (const std::string& F : W.Folders)
    for (const std::string& M : MasksOver(F)) W.Masks.push_back(M);
  W.Relative = {"*", "*.txt", "a.txt", "A.TXT", Root.substr(0, 2) + "*"};
  TTally Tally = CompareOver(W);
  EXPECT_GT(Tally.Empty, 100);
  EXPECT_GT(Tally.Content, 100);
}

// ---------------------------------------------------------------------------------------------
// The lists of quenby.dll against the literal rules.

namespace {

struct TPanelSettings {
  DWORD ShowAllFolders = 0, ShowAllFiles = 0, AutoExit = 0, TreatFolderAsFile = 0;
};

HostItem ItemOf(const WIN32_FIND_DATAA& D) {
  HostItem I;
  I.attributes = D.dwFileAttributes;
  I.creationTime = D.ftCreationTime;
  I.lastAccessTime = D.ftLastAccessTime;
  I.lastWriteTime = D.ftLastWriteTime;
  I.fileSize = (static_cast<unsigned long long>(D.nFileSizeHigh) << 32) | D.nFileSizeLow;
  I.shortName = D.cAlternateFileName;
  I.name = D.cFileName;
  return I;
}

unsigned long long Ticks(const FILETIME& F) {
  return (static_cast<unsigned long long>(F.dwHighDateTime) << 32) | F.dwLowDateTime;
}

class SearchPanel : public ::testing::Test {
 protected:
  void SetUp() override {
    Saved = CurrentDirectory();
    RemoveWideTree(Root);
    World = MakeSearchWorld(Root, 7);
    ASSERT_TRUE(World.Unmade.empty()) << World.Unmade.front();
    FarHost::Options O;
    O.dllPath = FarHost::DllInFolder(QUENBY_PLUGIN_DIR);
    O.rootKey = FarHost::TestRootKey("searches");
    Host = std::make_unique<FarHost>(O);
    Host->onFailure = [](const std::string& What) {
      // The placeholder and the item of an empty line have an empty name by design.
      if (What.find("has an empty name") == std::string::npos) ADD_FAILURE() << "host: " << What;
    };
    Host->filePanel.curDir = Root;
    Host->filePanel.Add("list.vfs");
  }

  void TearDown() override {
    Host->Shutdown();
    EXPECT_TRUE(Host->DeleteRootKey());
    Host.reset();
    SetCurrentDirectoryA(Saved.c_str());
    RemoveWideTree(Root);
    DeleteFileA(List.c_str());
  }

  void Start(const TPanelSettings& S, const std::vector<std::string>& Lines) {
    std::string Text;
    for (const std::string& L : Lines) Text += L + "\r\n";
    WriteBytes(List, Text);
    Host->Shutdown();
    Host->WriteString("FileSystemFile", List);
    Host->WriteDword("ShowAllFolders", S.ShowAllFolders);
    Host->WriteDword("ShowAllFiles", S.ShowAllFiles);
    Host->WriteDword("AutoExit", S.AutoExit);
    Host->WriteDword("AutoExitPlugin", 0);
    Host->WriteDword("TreatFolderAsFile", S.TreatFolderAsFile);
    ASSERT_TRUE(Host->LoadAndStart()) << Host->lastError;
    Current = S;
    ListLines = Lines;
  }

  // The plugin's own items of its last list, in its order.
  static std::vector<HostItem> Items(const FarHost::Panel& P) {
    std::vector<HostItem> R(P.lastFindDataCount);
    for (const HostItem& I : P.items)
      if (I.position >= 0 && I.position < P.lastFindDataCount) R[I.position] = I;
    return R;
  }

  bool EmptyByRule(const std::string& Path) const {
    return literal::IsEmptyFolder(Path, Current.TreatFolderAsFile == 1);
  }

  // The root list by the rules: a line is listed when its mask has content or ShowAllFolders is
  // on, with its parent's times, hidden when empty; then the placeholder or nothing, and "..".
  std::vector<HostItem> RootByRule() {
    std::vector<HostItem> R;
    const bool ShowAll = Current.ShowAllFolders == 1;
    auto Add = [&](HostItem I, const std::string& Name, const std::string& Description) {
      I.name = Name;
      I.description = Description;
      I.attributes = ShowAll && EmptyByRule(Name) ? 18 : 16;
      R.push_back(I);
    };
    for (const std::string& Line : ListLines) {
      TFileSystemFile E = SplitListLine(Line);
      if (E.Folder.size() >= MAX_PATH || (EmptyByRule(E.Folder) && !ShowAll)) continue;
      Add(ItemOf(literal::LookupFindData(WithoutLastName(E.Folder))), E.Folder, E.Description);
    }
    if (R.empty()) Add(HostItem(), "", Host->Messages()->messages.at(14));
    Add(HostItem(), "..", Host->Messages()->messages.at(13));
    return R;
  }

  // The folder view by the rules: every entry of the mask (or of its folder) but "." and "..",
  // under the directory part's name; none when the search fails.
  std::vector<HostItem> ViewByRule(const std::string& Mask) {
    std::vector<HostItem> R;
    const std::string Directory = DirectoryPart(Mask);
    const std::string Pattern = Current.ShowAllFiles == 1 ? Directory + "*.*" : Mask;
    WIN32_FIND_DATAA D;
    HANDLE F = FindFirstFileA(Pattern.c_str(), &D);
    if (F == INVALID_HANDLE_VALUE) return R;
    do {
      std::string Name = D.cFileName;
      if (Name == "." || Name == ".." || Directory.size() + Name.size() >= MAX_PATH) continue;
      R.push_back(ItemOf(D));
      R.back().name = Directory + Name;
    } while (FindNextFileA(F, &D));
    FindClose(F);
    return R;
  }

  void ExpectSame(const std::vector<HostItem>& Got, const std::vector<HostItem>& Want,
                  const std::string& Where) {
    ASSERT_EQ(Got.size(), Want.size()) << Where;
    for (size_t I = 0; I < Got.size(); ++I) {
      const std::string At = Where + ", item " + std::to_string(I) + " '" + Want[I].name + "'";
      EXPECT_EQ(Got[I].name, Want[I].name) << At;
      EXPECT_EQ(Got[I].description, Want[I].description) << At;
      EXPECT_EQ(Got[I].attributes, Want[I].attributes) << At;
      EXPECT_EQ(Ticks(Got[I].creationTime), Ticks(Want[I].creationTime)) << At;
      EXPECT_EQ(Ticks(Got[I].lastAccessTime), Ticks(Want[I].lastAccessTime)) << At;
      EXPECT_EQ(Ticks(Got[I].lastWriteTime), Ticks(Want[I].lastWriteTime)) << At;
      EXPECT_EQ(Got[I].fileSize, Want[I].fileSize) << At;
      EXPECT_EQ(Got[I].shortName, Want[I].shortName) << At;
    }
  }

  std::string Describe() const {
    return "ShowAllFolders " + std::to_string(Current.ShowAllFolders) + ", ShowAllFiles " +
           std::to_string(Current.ShowAllFiles) + ", AutoExit " + std::to_string(Current.AutoExit) +
           ", TreatFolderAsFile " + std::to_string(Current.TreatFolderAsFile);
  }

  std::string Saved;
  const std::string Root = TempRoot("searchpanel");
  const std::string List = TempRoot("searchpanel_list") + ".vfs";
  TSearchWorld World;
  std::unique_ptr<FarHost> Host;
  TPanelSettings Current;
  std::vector<std::string> ListLines;
};

}  // namespace

TEST_F(SearchPanel, RootListIsTheOneTheLiteralSearchesBuild) {
  std::vector<std::string> Lines;
  for (size_t I = 0; I < World.Masks.size(); ++I)
    Lines.push_back(I % 3 ? World.Masks[I] + ",entry " + std::to_string(I) : World.Masks[I]);
  for (const std::string& M : World.Relative) Lines.push_back(M + ",relative");
  for (DWORD ShowAll = 0; ShowAll <= 1; ++ShowAll) {
    for (DWORD Treat = 0; Treat <= 1; ++Treat) {
      Start({ShowAll, 0, 0, Treat}, Lines);
      FarHost::Panel* P = Host->OpenPlugin(OPEN_PLUGINSMENU);
      ASSERT_NE(P, nullptr);
      ExpectSame(Items(*P), RootByRule(), Describe());
      P->ClosePlugin();
    }
  }
  // Nothing listed: the placeholder (its emptiness, and that of "..", searched as before).
  for (DWORD ShowAll = 0; ShowAll <= 1; ++ShowAll) {
    Start({ShowAll, 0, 0, 0}, {World.Root + "\\missing\\*"});
    FarHost::Panel* P = Host->OpenPlugin(OPEN_PLUGINSMENU);
    ASSERT_NE(P, nullptr);
    ExpectSame(Items(*P), RootByRule(), Describe() + ", nothing listed");
    P->ClosePlugin();
  }
}

TEST_F(SearchPanel, FolderViewAndAutoExitAreTheOnesTheLiteralSearchesGive) {
  // Three masks over every folder, and every form over a few of them.
  std::vector<std::string> Masks;
  for (const std::string& F : World.Folders)
    for (const char* Tail : {"\\*", "\\*.txt", ""}) Masks.push_back(F + Tail);
  for (const char* Odd : {"\\k12", "\\k14", "\\trimmed", "\\bestfit", "\\dd"})
    for (const std::string& M : MasksOver(World.Root + Odd)) Masks.push_back(M);
  for (const std::string& M : World.Masks)
    if (M.find("\\inner\\") != std::string::npos) Masks.push_back(M);
  for (const std::string& M : World.Relative) Masks.push_back(M);
  const std::vector<std::string> Lines = {World.Root + "\\k0\\*.txt,plain",
                                          World.Root + "\\empty\\*"};
  for (DWORD Mode = 0; Mode < 8; ++Mode) {
    const TPanelSettings S{Mode & 1, (Mode >> 1) & 1, (Mode >> 2) & 1, Mode & 1};
    Start(S, Lines);
    for (const std::string& Mask : Masks) {
      // Entering works when the mask's directory part can be made current (the relative forms
      // are read from the world's root).
      SetCurrentDirectoryA(World.Root.c_str());
      const bool Enters = SetCurrentDirectoryA(DirectoryPart(Mask).c_str()) != FALSE;
      SetCurrentDirectoryA(World.Root.c_str());
      FarHost::Panel* P = Host->OpenPlugin(OPEN_PLUGINSMENU);
      ASSERT_NE(P, nullptr);
      P->SetDirectory(Mask);
      ASSERT_TRUE(P->Reread());
      const std::string Where = Describe() + ", mask '" + Mask + "'";
      const bool Stays = Enters && !(S.AutoExit == 1 && EmptyByRule(Mask));
      ExpectSame(Items(*P), Stays ? ViewByRule(Mask) : RootByRule(), Where);
      P->ClosePlugin();
    }
  }
}
