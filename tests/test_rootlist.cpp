// The root list as FAR sees it: one folder item per listed line of the list file, then "..".
// Real files and folders in a temporary directory; the plugin is driven through its exports.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <vector>
#include "FarHost.h"
#include "TempFiles.h"

namespace {

FILETIME Stamp(int Year, int Month, int Day) {
  SYSTEMTIME S{};
  S.wYear = Year, S.wMonth = Month, S.wDay = Day, S.wHour = 12;
  FILETIME F;
  SystemTimeToFileTime(&S, &F);
  return F;
}

void SetWriteTime(const std::string& Path, const FILETIME& Time) {
  HANDLE H = CreateFileA(Path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(H, INVALID_HANDLE_VALUE) << Path;
  EXPECT_TRUE(SetFileTime(H, nullptr, nullptr, &Time));
  CloseHandle(H);
}

unsigned long long Ticks(const FILETIME& F) {
  return (static_cast<unsigned long long>(F.dwHighDateTime) << 32) | F.dwLowDateTime;
}

struct TOptions {
  DWORD ShowAllFolders = 0, AutoExitPlugin = 0, TreatFolderAsFile = 0;
};

class RootList : public ::testing::Test {
 protected:
  void SetUp() override {
    GetCurrentDirectoryA(MAX_PATH, SavedDir);
    char Temp[MAX_PATH];
    GetTempPathA(MAX_PATH, Temp);
    Dir = std::string(Temp) + "quenby_rootlist_" + std::to_string(GetCurrentProcessId());
    RemoveTree(Dir);
    ASSERT_TRUE(CreateDirectoryA(Dir.c_str(), nullptr));
    List = Dir + "\\list.vfs";
    // Content for the masks: mailbox.folder holds a file, the other folders hold nothing that
    // counts unless sub-folders do.
    Mail = Dir + "\\mailbox.folder";
    CreateDirectoryA(Mail.c_str(), nullptr);
    WriteBytes(Mail + "\\a.msg", "hello");
    FarHost::Options O;
    O.dllPath = FarHost::DllInFolder(QUENBY_PLUGIN_DIR);
    O.rootKey = FarHost::TestRootKey("rootlist");
    Host = std::make_unique<FarHost>(O);
    Host->onFailure = [this](const std::string& What) {
      if (!(AllowEmptyNames && What.find("has an empty name") != std::string::npos))
        ADD_FAILURE() << "host: " << What;
    };
    Host->filePanel.curDir = Dir;
    Host->filePanel.Add("a.txt");
    Host->filePanel.Add("b.txt");
    Host->filePanel.currentItem = 1;
  }

  void TearDown() override {
    Host->Shutdown();
    EXPECT_TRUE(Host->DeleteRootKey());
    Host.reset();
    SetCurrentDirectoryA(SavedDir);
    RemoveTree(Dir);
  }

  // Writes the settings and (re)starts the plugin so that it loads them.
  void Start(const TOptions& S) {
    // The plugin keeps the path as a 255-byte block (stored as REG_DWORD, as it saves it).
    std::string Block = List;
    Block.resize(255, '\0');
    Host->WriteValue("FileSystemFile", REG_DWORD, Block.data(), Block.size());
    Host->WriteDword("ShowAllFolders", S.ShowAllFolders);
    Host->WriteDword("AutoExitPlugin", S.AutoExitPlugin);
    Host->WriteDword("TreatFolderAsFile", S.TreatFolderAsFile);
    ASSERT_TRUE(Host->IsLoaded() ? Host->StartUp() : Host->LoadAndStart()) << Host->lastError;
  }

  FarHost::Panel* Open() {
    FarHost::Panel* P = Host->OpenPlugin(OPEN_PLUGINSMENU);
    EXPECT_NE(P, nullptr);
    return P;
  }

  // The items of the plugin's last GetFindData array, in the plugin's order.
  static std::vector<HostItem> Items(const FarHost::Panel& P) {
    std::vector<HostItem> R;
    for (const HostItem& I : P.items)
      if (I.position >= 0) R.push_back(I);
    std::sort(R.begin(), R.end(),
              [](const HostItem& A, const HostItem& B) { return A.position < B.position; });
    EXPECT_EQ(static_cast<int>(R.size()), P.lastFindDataCount);
    return R;
  }
  static std::vector<std::string> Names(const std::vector<HostItem>& L) {
    std::vector<std::string> R;
    for (const HostItem& I : L) R.push_back(I.name);
    return R;
  }
  static std::vector<std::string> Descriptions(const std::vector<HostItem>& L) {
    std::vector<std::string> R;
    for (const HostItem& I : L) R.push_back(I.description);
    return R;
  }
  std::vector<HostItem> Reread(FarHost::Panel* P) {
    EXPECT_TRUE(P->Reread());
    return Items(*P);
  }
  std::string Msg(int Id) { return Host->Messages()->messages.at(Id); }
  std::vector<ControlCall> CloseRequests() const {
    std::vector<ControlCall> R;
    for (const ControlCall& C : Host->controls)
      if (C.command == FCTL_CLOSEPLUGIN) R.push_back(C);
    return R;
  }

  char SavedDir[MAX_PATH] = "";
  std::string Dir, List, Mail;
  std::unique_ptr<FarHost> Host;
  // The host takes an item with an empty name for a stride error; the placeholder item and the
  // item of a blank line have one by design.
  bool AllowEmptyNames = false;
};

using Strings = std::vector<std::string>;

}  // namespace

TEST_F(RootList, EmptyFileGivesThePlaceholderOrClosesThePanel) {
  AllowEmptyNames = true;
  WriteBytes(List, "");
  Start({});
  FarHost::Panel* P = Open();
  ASSERT_NE(P, nullptr);
  std::vector<HostItem> L = Items(*P);
  ASSERT_EQ(Names(L), (Strings{"", ".."}));
  EXPECT_EQ(Descriptions(L), (Strings{Msg(14), Msg(13)}));
  for (const HostItem& I : L) {
    EXPECT_EQ(I.attributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY)) << I.name;
    EXPECT_TRUE(I.hasDescription);
    EXPECT_EQ(I.flags, static_cast<DWORD>(PPIF_PROCESSDESCR));
    EXPECT_EQ(Ticks(I.lastWriteTime), 0u) << "the extra items get no times";
  }

  // With ShowAllFolders the empty line itself is listed, as a hidden folder: no placeholder.
  Start({1, 0, 0});
  L = Reread(P);
  ASSERT_EQ(Names(L), (Strings{"", ".."}));
  EXPECT_EQ(Descriptions(L), (Strings{"", Msg(13)}));
  EXPECT_EQ(L[0].attributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
  // ... and AutoExitPlugin has nothing to do, as a line is listed.
  Start({1, 1, 0});
  L = Reread(P);
  EXPECT_EQ(Names(L), (Strings{"", ".."}));
  EXPECT_FALSE(P->closed);
  EXPECT_TRUE(CloseRequests().empty());
  P->Close();

  // AutoExitPlugin with nothing listed: FAR is asked to close the panel and go back to the
  // folder it showed, whatever was under the cursor; the list still comes back, holding only "..".
  Start({0, 1, 0});
  P = Open();
  ASSERT_NE(P, nullptr);
  EXPECT_EQ(Names(Items(*P)), Strings{".."});
  ASSERT_EQ(CloseRequests().size(), 1u);
  EXPECT_EQ(CloseRequests()[0].handle, P->handle);
  EXPECT_EQ(CloseRequests()[0].text, Dir);
  EXPECT_TRUE(P->closed);

  // The same for a list whose every line names nothing with content.
  EXPECT_EQ(Host->filePanel.curDir, Dir);  // FAR is back in the folder it showed
  Host->controls.clear();
  WriteBytes(List, Dir + "\\nothing\\*.msg,none\r\n" + Mail + "\\*.txt,no text files\r\n");
  P = Open();
  ASSERT_NE(P, nullptr);
  EXPECT_EQ(Names(Items(*P)), Strings{".."});
  ASSERT_EQ(CloseRequests().size(), 1u);
  EXPECT_EQ(CloseRequests()[0].text, Dir);
  EXPECT_TRUE(P->closed);
}

TEST_F(RootList, LinesSplitAtTheLastCommaAndShowTheirParentsTimes) {
  const std::string Comma = Dir + "\\x,y";
  CreateDirectoryA(Comma.c_str(), nullptr);
  WriteBytes(Comma + "\\b.msg", "b");
  SetWriteTime(Mail + "\\a.msg", Stamp(2011, 5, 6));
  SetWriteTime(Mail, Stamp(2001, 2, 3));
  WriteBytes(List, Mail + "\\*.msg,New mail\r\n" +       //
                       Comma + "\\*.msg,In x and y\r\n" + // the last comma splits
                       Mail + "\\*.*\r\n" +               // no comma: the name twice
                       Mail + "\\*.msg,\r\n" +            // an empty description
                       Dir + "\\nothing\\*.msg,Gone\r\n" +  // no content: left out
                       Mail + "\\*.txt,No text\r\n" +       // no match: left out
                       Mail);                             // the folder itself is no content
  Start({});
  FarHost::Panel* P = Open();
  ASSERT_NE(P, nullptr);
  std::vector<HostItem> L = Items(*P);
  EXPECT_EQ(Names(L), (Strings{Mail + "\\*.msg", Comma + "\\*.msg", Mail + "\\*.*",
                               Mail + "\\*.msg", ".."}));
  EXPECT_EQ(Descriptions(L), (Strings{"New mail", "In x and y", Mail + "\\*.*", "", Msg(13)}));
  for (const HostItem& I : L) {
    EXPECT_EQ(I.attributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY)) << I.name;
    EXPECT_EQ(I.flags, static_cast<DWORD>(PPIF_PROCESSDESCR)) << I.name;
    EXPECT_TRUE(I.hasDescription) << I.name;
  }
  // A listed item carries the times and short name of its parent path, not of the files.
  WIN32_FIND_DATAA Parent;
  FindClose(FindFirstFileA(Mail.c_str(), &Parent));
  ASSERT_GE(L.size(), 1u);
  EXPECT_EQ(Ticks(L[0].lastWriteTime), Ticks(Stamp(2001, 2, 3)));
  EXPECT_EQ(Ticks(L[0].creationTime), Ticks(Parent.ftCreationTime));
  EXPECT_EQ(Ticks(L[0].lastAccessTime), Ticks(Parent.ftLastAccessTime));
  EXPECT_EQ(L[0].shortName, Parent.cAlternateFileName);
  EXPECT_EQ(Ticks(L.back().lastWriteTime), 0u);

  // The list file is closed again after every read: it can be opened exclusively.
  HANDLE H = CreateFileA(List.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         0, nullptr);
  EXPECT_NE(H, INVALID_HANDLE_VALUE) << GetLastError();
  CloseHandle(H);
}

TEST_F(RootList, LineEndsCtrlZAndBlankLines) {
  AllowEmptyNames = true;
  const std::string M = Mail + "\\*.msg";
  Start({1, 0, 0});  // every line is listed, so every line read shows
  WriteBytes(List, "");
  FarHost::Panel* P = Open();
  ASSERT_NE(P, nullptr);
  auto Read = [&](const std::string& Bytes) {
    WriteBytes(List, Bytes);
    return Reread(P);
  };
  // A bare LF is part of the line: the whole file is one line, split at its last comma.
  std::vector<HostItem> L = Read(M + ",one\nB,two\n");
  EXPECT_EQ(Names(L), (Strings{M + ",one\nB", ".."}));
  EXPECT_EQ(Descriptions(L)[0], "two\n");
  // CR alone, CRLF, and a last line without a line end.
  L = Read("A1,one\rA2,two\r\nA3,three");
  EXPECT_EQ(Names(L), (Strings{"A1", "A2", "A3", ".."}));
  // Ctrl+Z ends the file, also in the middle of a line.
  L = Read(M + ",one\r\n\x1A" "B,two\r\n");
  EXPECT_EQ(Names(L), (Strings{M, ".."}));
  L = Read(M + ",o\x1Ane\r\nB,two\r\n");
  EXPECT_EQ(Names(L), (Strings{M, ".."}));
  EXPECT_EQ(Descriptions(L)[0], "o");
  // One line end at the end adds no line; a blank line before the end is an empty entry.
  L = Read(M + ",one\r\n");
  EXPECT_EQ(Names(L), (Strings{M, ".."}));
  L = Read(M + ",one\r\n\r\n");
  ASSERT_EQ(Names(L), (Strings{M, "", ".."}));
  EXPECT_EQ(Descriptions(L)[1], "");
  EXPECT_EQ(L[0].attributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(L[1].attributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
  // Without ShowAllFolders the blank line has no content and is not listed.
  Start({});
  L = Reread(P);
  EXPECT_EQ(Names(L), (Strings{M, ".."}));
}

TEST_F(RootList, SubFoldersCountOnlyWithTreatFolderAsFileAndAPlainAttribute) {
  const std::string Subs = Dir + "\\subs", Dots = Dir + "\\dots";
  CreateDirectoryA(Subs.c_str(), nullptr);
  CreateDirectoryA((Subs + "\\inner").c_str(), nullptr);
  CreateDirectoryA(Dots.c_str(), nullptr);
  const std::string Hidden = Dots + "\\.inner";
  CreateDirectoryA(Hidden.c_str(), nullptr);
  if (GetFileAttributesA(Hidden.c_str()) == FILE_ATTRIBUTE_DIRECTORY)
    SetFileAttributesA(Hidden.c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
  ASSERT_NE(GetFileAttributesA(Hidden.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY))
      << "the fixture needs a folder with another attribute bit";
  ASSERT_EQ(GetFileAttributesA((Subs + "\\inner").c_str()),
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  WriteBytes(List, Subs + "\\*,Sub-folders\r\n" + Dots + "\\*,Hidden sub-folder\r\n" + Subs +
                       ",The folder itself\r\n" + Mail + "\\*.msg,Mail\r\n");
  Start({});
  FarHost::Panel* P = Open();
  ASSERT_NE(P, nullptr);
  EXPECT_EQ(Names(Items(*P)), (Strings{Mail + "\\*.msg", ".."}));

  Start({0, 0, 1});
  std::vector<HostItem> L = Reread(P);
  EXPECT_EQ(Names(L), (Strings{Subs + "\\*", Subs, Mail + "\\*.msg", ".."}));

  // With ShowAllFolders the entries without content are listed as hidden folders.
  Start({1, 0, 0});
  L = Reread(P);
  ASSERT_EQ(Names(L), (Strings{Subs + "\\*", Dots + "\\*", Subs, Mail + "\\*.msg", ".."}));
  const DWORD HiddenFolder = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN;
  EXPECT_EQ(L[0].attributes, HiddenFolder);
  EXPECT_EQ(L[1].attributes, HiddenFolder);
  EXPECT_EQ(L[2].attributes, HiddenFolder);
  EXPECT_EQ(L[3].attributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  Start({1, 0, 1});
  L = Reread(P);
  ASSERT_EQ(L.size(), 5u);
  EXPECT_EQ(L[0].attributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(L[1].attributes, HiddenFolder);
  EXPECT_EQ(L[2].attributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

TEST_F(RootList, FoldersTooLongForTheNameFieldAreLeftOut) {
  // cFileName holds 259 characters: a longer name, cut, could name another path.
  auto Named = [&](size_t Length) {
    std::string Name = Dir + "\\";
    return Name + std::string(Length - Name.size(), 'n');
  };
  WriteBytes(List, Named(259) + ",fits\r\n" + Named(260) + ",one too long\r\n" + Named(300) +
                       ",far too long\r\n" + Mail + "\\*.msg,Mail\r\n");
  Start({1, 0, 0});
  FarHost::Panel* P = Open();
  ASSERT_NE(P, nullptr);
  std::vector<HostItem> L = Items(*P);
  EXPECT_EQ(Names(L), (Strings{Named(259), Mail + "\\*.msg", ".."}));
  EXPECT_EQ(Descriptions(L), (Strings{"fits", "Mail", Msg(13)}));
}

TEST_F(RootList, EveryItemKeepsItsOwnDescription) {
  // Many short descriptions: each must still be in place when FAR reads the array.
  std::string Bytes;
  Strings Expected;
  for (int I = 0; I < 300; ++I) {
    Bytes += Dir + "\\e" + std::to_string(I) + "\\*.x,d" + std::to_string(I) + "\r\n";
    Expected.push_back("d" + std::to_string(I));
  }
  Expected.push_back(Msg(13));
  WriteBytes(List, Bytes);
  Start({1, 0, 0});
  FarHost::Panel* P = Open();
  ASSERT_NE(P, nullptr);
  EXPECT_EQ(Descriptions(Items(*P)), Expected);
  EXPECT_EQ(Descriptions(Reread(P)), Expected) << "the second read is the same";
}
