// The configuration dialog and the About box. The dialog is driven through quenby.dll's
// Configure and OpenPlugin as FAR drives them; the About box with the plugin's own version
// resource through the DLL, and with the small test modules (ver_*.dll beside this program)
// through the plugin's About routine compiled into the test.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include "Config.h"
#include "FARIntf.h"
#include "FarHost.h"
#include "VersionInfo.h"

namespace {

enum { Title, AddToDisks, Digit, Path = 6, Ext = 8, AllFiles = 10, AllFolders, AutoExit,
       AutoExitPlugin, FolderAsFile, Ok = 16, About, Cancel };
const char* const ValueNames[] = {"AddToDisksMenu", "DisksMenuDigit", "FileSystemFile",
                                  "FileSystemExt", "ShowAllFiles", "ShowAllFolders",
                                  "AutoExit", "AutoExitPlugin", "TreatFolderAsFile"};
const int ModuleNumber = 3;

std::string TempFolder() {
  char Buffer[MAX_PATH];
  GetTempPathA(MAX_PATH, Buffer);
  std::string Dir = std::string(Buffer) + "quenby_config_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(Dir.c_str(), nullptr);
  return Dir;
}

void Put(FarDialogItem& Item, const std::string& Text) {
  size_t N = std::min(Text.size(), sizeof(Item.Data) - 1);
  memcpy(Item.Data, Text.data(), N);
  Item.Data[N] = 0;
}

// A value of quenby.rc, read from its source text.
std::string RcValue(const std::string& Key) {
  std::ifstream File(std::string(QUENBY_SOURCE_DIR) + "\\plugin\\quenby.rc");
  std::stringstream S;
  S << File.rdbuf();
  std::smatch M;
  std::string Text = S.str();
  if (!std::regex_search(Text, M, std::regex("VALUE \"" + Key + "\", \"([^\"]*)\""))) return "?";
  return M[1];
}

// Busy bytes of every heap of the process.
long long HeapBusyBytes() {
  HANDLE Heaps[256];
  DWORD Count = std::min<DWORD>(GetProcessHeaps(256, Heaps), 256);
  long long Sum = 0;
  for (DWORD I = 0; I < Count; ++I) {
    PROCESS_HEAP_ENTRY E{};
    HeapLock(Heaps[I]);
    while (HeapWalk(Heaps[I], &E))
      if (E.wFlags & PROCESS_HEAP_ENTRY_BUSY) Sum += E.cbData;
    HeapUnlock(Heaps[I]);
  }
  return Sum;
}

class ConfigDialog : public ::testing::Test {
 protected:
  std::unique_ptr<FarHost> Host;
  std::vector<std::string> Files;
  char StartDir[MAX_PATH] = "";

  void SetUp() override {
    GetCurrentDirectoryA(MAX_PATH, StartDir);
    Host = MakeHost("");
  }
  std::unique_ptr<FarHost> MakeHost(const std::string& LanguageFolder) {
    FarHost::Options O;
    O.dllPath = FarHost::DllInFolder(QUENBY_PLUGIN_DIR);
    O.rootKey = FarHost::TestRootKey(
        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    O.moduleNumber = ModuleNumber;
    O.languageFolder = LanguageFolder;
    auto H = std::make_unique<FarHost>(O);
    H->onFailure = [](const std::string& What) { ADD_FAILURE() << "host: " << What; };
    return H;
  }
  void TearDown() override {
    Host->Shutdown();
    EXPECT_TRUE(Host->DeleteRootKey());
    Host.reset();
    for (const std::string& F : Files) DeleteFileA(F.c_str());
    RemoveDirectoryA(TempFolder().c_str());
    SetCurrentDirectoryA(StartDir);
  }
  std::string WriteFile(const std::string& Name, const std::string& Bytes) {
    std::string P = TempFolder() + "\\" + Name;
    std::ofstream(P, std::ios::binary) << Bytes;
    Files.push_back(P);
    return P;
  }
  void Start() { ASSERT_TRUE(Host->LoadAndStart()) << Host->lastError; }
  // Configure, with the user editing the dialog and leaving it with Answer.
  int Configure(int Answer, std::function<void(std::vector<FarDialogItem>&)> Edit = {}) {
    Host->dialogScript.push_back([=](std::vector<FarDialogItem>& Items) {
      if (Edit) Edit(Items);
      return Answer;
    });
    return Host->Configure(0);
  }
  // The dialog as the next run shows it (left with Escape).
  DialogCall Shown() {
    EXPECT_EQ(Configure(-1), 0);
    return Host->dialogs.empty() ? DialogCall() : Host->dialogs.back();
  }
  std::string Raw(const char* Name) {
    auto V = Host->ReadValue(Name);
    return V ? std::string(V->data.begin(), V->data.end()) : "<missing>";
  }
  int Int(const char* Name) {
    std::string R = Raw(Name);
    int V = -12345;
    if (R.size() == 4) memcpy(&V, R.data(), 4);
    return V;
  }
  std::map<std::string, std::pair<DWORD, std::string>> Registry() {
    std::map<std::string, std::pair<DWORD, std::string>> M;
    for (const std::string& N : Host->ValueNames()) {
      auto V = Host->ReadValue(N);
      M[N] = {V->type, std::string(V->data.begin(), V->data.end())};
    }
    return M;
  }
  std::vector<int> DiskMenuNumbers() {
    Host->GetPluginInfo();
    return Host->pluginInfo.diskMenuNumbers;
  }
};

}  // namespace

TEST_F(ConfigDialog, FarReceivesTheTableWithTextsAndSettings) {
  // Every message names its number; the title is longer than a dialog item's Data holds.
  std::string Lng = ".Language=English,English\r\n";
  const std::string LongTitle = "Title " + std::string(600, 'T');
  for (int N = 0; N <= 20; ++N)
    Lng += "\"" + (N == 5 ? LongTitle : "Text " + std::to_string(N)) + "\"\r\n";
  WriteFile("TestEng.lng", Lng);
  Host.reset();
  Host = MakeHost(TempFolder());
  const std::string List = "C:\\Lists\\mail folders.vfs";
  Host->WriteDword("AddToDisksMenu", 2);  // no 0/1 mapping on the way in
  Host->WriteDword("DisksMenuDigit", static_cast<DWORD>(-7));
  Host->WriteString("FileSystemFile", List);
  Host->WriteValue("FileSystemExt", REG_DWORD, "VF", 3);
  Host->WriteDword("ShowAllFiles", 1);
  Host->WriteDword("ShowAllFolders", 0);
  Host->WriteDword("AutoExit", 5);
  Host->WriteDword("AutoExitPlugin", 0);
  Host->WriteDword("TreatFolderAsFile", static_cast<DWORD>(-1));
  Start();
  auto Before = Registry();
  EXPECT_EQ(Configure(-1), 0);
  ASSERT_EQ(Host->dialogs.size(), 1u);
  const DialogCall& D = Host->dialogs[0];
  EXPECT_EQ(D.pluginNumber, ModuleNumber);
  EXPECT_EQ(std::vector<int>({D.x1, D.y1, D.x2, D.y2}), std::vector<int>({-1, -1, 76, 17}));
  EXPECT_FALSE(D.helpTopicNull);
  EXPECT_EQ(D.helpTopic, "QuenbyCfg");
  ASSERT_EQ(D.itemsNumber, 19);
  ASSERT_EQ(D.items.size(), 19u);

  struct Row {
    int Type, X1, Y1, X2, Y2, Focus;
    unsigned Flags;
    int Default, Selected;
    std::string Data;
  };
  auto T = [](int N) { return "Text " + std::to_string(N); };
  const Row Expected[19] = {
      {3, 3, 1, 72, 15, 0, 0, 0, 0, LongTitle.substr(0, 511)},
      {8, 5, 2, 0, 0, 0, 0, 0, 2, T(6)},          {6, 7, 3, 7, 3, -1, 0, 0, 0, "-7"},
      {0, 9, 3, 0, 0, 0, 0, 0, 0, T(7)},          {0, 5, 4, 0, 0, 0, 0x10200, 0, 0, ""},
      {0, 5, 5, 0, 0, 0, 0, 0, 0, T(8)},          {6, 7, 6, 67, 8, 0, 0, 0, 0, List},
      {0, 5, 7, 0, 0, 0, 0, 0, 0, T(9)},          {6, 7, 8, 9, 8, 0, 0, 0, 0, "VF"},
      {0, 5, 9, 0, 0, 0, 0x10200, 0, 0, ""},      {8, 5, 10, 0, 0, 0, 0, 0, 1, T(16)},
      {8, 5, 11, 0, 0, 0, 0, 0, 0, T(17)},        {8, 5, 12, 0, 0, 0, 0, 0, 5, T(18)},
      {8, 36, 10, 0, 0, 0, 0, 0, 0, T(19)},       {8, 36, 11, 0, 0, 0, 0, 0, -1, T(20)},
      {0, 5, 13, 0, 0, 0, 0x10200, 0, 0, ""},     {7, 10, 14, 0, 0, 0, 0, -1, 0, T(0)},
      {7, 30, 14, 0, 0, 0, 0, 0, 0, T(15)},       {7, 55, 14, 0, 0, 0, 0, 0, 0, T(1)}};
  for (int I = 0; I < 19; ++I) {
    const FarDialogItem& G = D.items[I];
    const Row& R = Expected[I];
    EXPECT_EQ(std::vector<int>({G.Type, G.X1, G.Y1, G.X2, G.Y2, G.Focus, G.DefaultButton}),
              std::vector<int>({R.Type, R.X1, R.Y1, R.X2, R.Y2, R.Focus, R.Default}))
        << "item " << I;
    EXPECT_EQ(G.Flags, R.Flags) << "item " << I;
    EXPECT_EQ(G.Selected, R.Selected) << "item " << I;
    EXPECT_EQ(D.Data(I), R.Data) << "item " << I;
  }
  EXPECT_EQ(Registry(), Before) << "Escape writes nothing";
}

TEST_F(ConfigDialog, OkWithoutChangesWritesAllNineValues) {
  Start();
  EXPECT_FALSE(Host->KeyExists());
  EXPECT_EQ(Configure(Ok), 0);
  ASSERT_EQ(Host->dialogs.size(), 1u);
  EXPECT_EQ(Host->dialogs[0].Data(Digit), "1") << "the default digit";
  ASSERT_TRUE(Host->KeyExists()) << "OK creates the key";
  const size_t Sizes[] = {4, 4, 255, 3, 4, 4, 4, 4, 4};
  for (int I = 0; I < 9; ++I) {
    auto V = Host->ReadValue(ValueNames[I]);
    ASSERT_TRUE(V) << ValueNames[I];
    EXPECT_EQ(V->type, static_cast<DWORD>(REG_DWORD)) << ValueNames[I];
    EXPECT_EQ(V->data.size(), Sizes[I]) << ValueNames[I];
  }
  EXPECT_EQ(Host->ValueNames().size(), 9u);
  EXPECT_EQ(std::vector<int>({Int("AddToDisksMenu"), Int("DisksMenuDigit"), Int("ShowAllFiles"),
                              Int("ShowAllFolders"), Int("AutoExit"), Int("AutoExitPlugin"),
                              Int("TreatFolderAsFile")}),
            std::vector<int>({1, 1, 0, 0, 1, 1, 0}));
  EXPECT_EQ(Raw("FileSystemFile"), std::string(255, '\0'));
  EXPECT_EQ(Raw("FileSystemExt"), std::string(3, '\0'));
}

TEST_F(ConfigDialog, OkTakesEveryEditedValue) {
  Start();
  const std::string List = TempFolder() + "\\lists.vfs";
  EXPECT_EQ(Configure(Ok, [&](std::vector<FarDialogItem>& I) {
    I[AddToDisks].Selected = 0;
    Put(I[Digit], "");
    Put(I[Path], List);
    Put(I[Ext], "LST");
    for (int C = AllFiles; C <= FolderAsFile; ++C) I[C].Selected = !I[C].Selected;
  }), 0);
  EXPECT_EQ(Int("AddToDisksMenu"), 0);
  EXPECT_EQ(Int("DisksMenuDigit"), 0) << "an empty digit field stores 0";
  EXPECT_EQ(Raw("FileSystemFile").substr(0, List.size() + 1), List + '\0');
  EXPECT_EQ(Raw("FileSystemExt"), "LST") << "three letters fill the block, no zero";
  EXPECT_EQ(std::vector<int>({Int("ShowAllFiles"), Int("ShowAllFolders"), Int("AutoExit"),
                              Int("AutoExitPlugin"), Int("TreatFolderAsFile")}),
            std::vector<int>({1, 1, 0, 0, 1}));
  EXPECT_TRUE(DiskMenuNumbers().empty()) << "no disks menu entry once it is switched off";
  DialogCall Next = Shown();
  EXPECT_EQ(Next.Data(Digit), "0");
  EXPECT_EQ(Next.Data(Path), List);
  EXPECT_EQ(Next.Data(Ext), "LST");

  for (int N = 0; N <= 9; ++N) {
    Configure(Ok, [N](std::vector<FarDialogItem>& I) {
      I[AddToDisks].Selected = 1;
      Put(I[Digit], std::to_string(N));
    });
    EXPECT_EQ(Int("DisksMenuDigit"), N);
    EXPECT_EQ(DiskMenuNumbers(), std::vector<int>{N}) << "memory and registry agree";
  }

  // Longer texts than the blocks hold are cut: 255 path bytes, 3 extension bytes.
  const std::string Long(511, 'p');
  Configure(Ok, [&](std::vector<FarDialogItem>& I) { Put(I[Path], Long); Put(I[Ext], "ABCDE"); });
  EXPECT_EQ(Raw("FileSystemFile"), std::string(255, 'p'));
  EXPECT_EQ(Raw("FileSystemExt"), "ABC");
  Next = Shown();
  EXPECT_EQ(Next.Data(Path), std::string(255, 'p'));
  EXPECT_EQ(Next.Data(Ext), "ABC");
}

TEST_F(ConfigDialog, DigitThatIsNoNumberKeepsThePreviousDigit) {
  Start();
  Configure(Ok, [](std::vector<FarDialogItem>& I) { Put(I[Digit], "4"); });
  int Round = 0;
  for (const char* Bad : {"x", " ", "-", "+", "4x"}) {
    const std::string List = "C:\\list" + std::to_string(++Round) + ".vfs";
    int Checks = 0;
    EXPECT_EQ(Configure(Ok, [&](std::vector<FarDialogItem>& I) {
      Put(I[Digit], Bad);
      Put(I[Path], List);
      I[AutoExit].Selected = Checks = !I[AutoExit].Selected;
    }), 0) << Bad;
    EXPECT_EQ(Int("DisksMenuDigit"), 4) << Bad;
    EXPECT_EQ(DiskMenuNumbers(), std::vector<int>{4}) << Bad;
    EXPECT_EQ(Int("AutoExit"), Checks) << "the other values are taken: " << Bad;
    EXPECT_EQ(Raw("FileSystemFile").substr(0, List.size()), List) << Bad;
    EXPECT_EQ(Shown().Data(Digit), "4") << Bad;
  }
  Configure(Ok, [](std::vector<FarDialogItem>& I) { Put(I[Digit], "-3"); });
  EXPECT_EQ(Int("DisksMenuDigit"), -3);
  EXPECT_EQ(Shown().Data(Digit), "-3") << "a negative digit keeps its sign";
  for (const MessageCall& M : Host->messages) ADD_FAILURE() << "unexpected box " << M.helpTopic;
}

TEST_F(ConfigDialog, CancelAndEscapeChangeNothing) {
  Start();
  for (int Leave : {int(Cancel), -1, -2}) {
    Configure(Leave, [](std::vector<FarDialogItem>& I) { I[AllFiles].Selected = 1; });
    EXPECT_FALSE(Host->KeyExists()) << "no key is created when leaving with " << Leave;
  }
  Configure(Ok, [](std::vector<FarDialogItem>& I) {
    Put(I[Digit], "6");
    Put(I[Path], "C:\\kept.vfs");
    Put(I[Ext], "KP");
  });
  const auto Saved = Registry();
  const DialogCall Kept = Shown();
  for (int Leave : {int(Cancel), -1, -2}) {
    EXPECT_EQ(Configure(Leave, [](std::vector<FarDialogItem>& I) {
      I[AddToDisks].Selected = 0;
      Put(I[Digit], "9");
      Put(I[Path], "C:\\changed.vfs");
      Put(I[Ext], "CHG");
      for (int C = AllFiles; C <= FolderAsFile; ++C) I[C].Selected = !I[C].Selected;
    }), 0);
    EXPECT_EQ(Registry(), Saved) << Leave;
    DialogCall Now = Shown();
    for (int I : {AddToDisks, AllFiles, AllFolders, AutoExit, AutoExitPlugin, FolderAsFile})
      EXPECT_EQ(Now.items[I].Selected, Kept.items[I].Selected) << Leave << " item " << I;
    for (int I : {Digit, Path, Ext}) EXPECT_EQ(Now.Data(I), Kept.Data(I)) << Leave << " item " << I;
  }
  EXPECT_EQ(Kept.Data(Ext), "KP");
}

TEST_F(ConfigDialog, AboutButtonClosesTheDialogAndShowsTheAboutBox) {
  Start();
  EXPECT_EQ(Configure(About, [](std::vector<FarDialogItem>& I) {
    Put(I[Digit], "8");
    Put(I[Ext], "ABO");
    I[AllFiles].Selected = 1;
  }), 0);
  EXPECT_EQ(Host->dialogs.size(), 1u) << "the dialog does not come back";
  EXPECT_FALSE(Host->KeyExists()) << "About saves nothing";
  ASSERT_EQ(Host->messages.size(), 1u);
  const MessageCall& M = Host->messages[0];
  EXPECT_EQ(M.flags, 0u);
  EXPECT_EQ(M.helpTopic, "Author");
  EXPECT_EQ(M.buttonsNumber, 1);
  EXPECT_EQ(M.items, std::vector<std::string>({"Quenby plugin v.1.2", "Quenby plugin for Far 1.63",
                                               RcValue("LegalCopyright"), RcValue("Comments"),
                                               Host->Messages()->messages.at(0)}));
  EXPECT_NE(M.items[2].find("Quenby"), std::string::npos) << "the copyright names the project";
  DialogCall Next = Shown();
  EXPECT_EQ(Next.Data(Digit), "1") << "edits made before About are discarded";
  EXPECT_EQ(Next.Data(Ext), "");
  EXPECT_EQ(Next.items[AllFiles].Selected, 0);
}

TEST_F(ConfigDialog, OpenPluginOnAMissingListFileRunsTheDialogAndOpensNothing) {
  const std::string List = WriteFile("open.vfs", TempFolder() + "\\*.vfs,Lists\r\n");
  Host->WriteString("FileSystemFile", TempFolder() + "\\missing.vfs");
  Start();
  Host->dialogScript.push_back([&](std::vector<FarDialogItem>& I) {
    Put(I[Path], List);
    return int(Ok);
  });
  EXPECT_EQ(Host->OpenPlugin(1), nullptr);
  EXPECT_TRUE(Host->panels.empty());
  ASSERT_EQ(Host->messages.size(), 1u);
  EXPECT_EQ(Host->messages[0].helpTopic, "VFSNotExist");
  ASSERT_EQ(Host->dialogs.size(), 1u);
  EXPECT_EQ(Host->dialogs[0].helpTopic, "QuenbyCfg");
  EXPECT_EQ(Raw("FileSystemFile").substr(0, List.size() + 1), List + '\0');
  EXPECT_EQ(Host->ValueNames().size(), 9u);
  EXPECT_NE(Host->OpenPlugin(1), nullptr) << "the list file saved on OK opens the next time";
  EXPECT_EQ(Host->dialogs.size(), 1u);
}

TEST_F(ConfigDialog, ManyAboutBoxesLeaveTheHeapAsItWas) {
  Start();
  Host->dialogAnswer = [](std::vector<FarDialogItem>&) { return int(About); };
  auto Round = [&] {
    Host->Configure(0);
    bool Boxed = Host->messages.size() == 1 && Host->messages[0].helpTopic == "Author";
    Host->messages.clear();
    Host->dialogs.clear();
    Host->log.clear();
    return Boxed;
  };
  for (int I = 0; I < 20; ++I) ASSERT_TRUE(Round());
  const long long Before = HeapBusyBytes();
  int Boxes = 0;
  for (int I = 0; I < 1000; ++I) Boxes += Round();
  const long long After = HeapBusyBytes();
  EXPECT_EQ(Boxes, 1000);
  EXPECT_LT(After - Before, 4096) << "bytes left allocated by 1000 About boxes";
}

// The About routine pointed at modules with their own version resources.
namespace {
std::vector<MessageCall> Boxes;
int WINAPI RecordMessage(int Number, unsigned Flags, char* Help, char** Items, int Count,
                         int Buttons) {
  MessageCall M;
  M.pluginNumber = Number;
  M.flags = Flags;
  M.helpTopic = Help ? Help : "<null>";
  M.buttonsNumber = Buttons;
  for (int I = 0; I < Count; ++I) M.items.push_back(Items[I] ? Items[I] : "<null>");
  Boxes.push_back(M);
  return 0;
}
char* WINAPI NumberedMessage(int, int Id) {
  static std::string Texts[32];
  Texts[Id & 31] = "msg" + std::to_string(Id);
  return &Texts[Id & 31][0];
}
std::string BesideTheProgram(const std::string& Name) {
  char Self[MAX_PATH];
  GetModuleFileNameA(nullptr, Self, MAX_PATH);
  std::string Dir(Self);
  return Dir.substr(0, Dir.find_last_of('\\') + 1) + Name;
}
MessageCall AboutFor(const std::string& Module) {
  Boxes.clear();
  ModuleFileName = Module;
  ShowAbout();
  return Boxes.size() == 1 ? Boxes[0] : MessageCall();
}
}  // namespace

TEST(AboutBox, ReadsEachModuleAfreshAndWarnsWithoutUsEnglishStrings) {
  memset(&StartupInfo, 0, sizeof(StartupInfo));
  StartupInfo.ModuleNumber = 9;
  StartupInfo.Message = RecordMessage;
  StartupInfo.GetMsg = NumberedMessage;
  using Items = std::vector<std::string>;
  const Items Warning = {"msg3", "msg12", "msg0"};
  const Items Described = {"Description only v.", "Product without version",
                           "Copyright line of the description module", "", "msg0"};
  struct Case { const char* Module; unsigned Flags; const char* Topic; Items Shown; };
  const Case Cases[] = {  // each box shows the module just named, nothing kept from before
      {"ver_desc_only.dll", 0, "Author", Described},
      {"ver_version_only.dll", 0, "Author",
       {" v.7.4", "", "", "Contact line of the version module", "msg0"}},
      {"ver_comments_only.dll", 0, "Author", {" v.", "", "", "Only a comment here", "msg0"}},
      {"ver_german_unicode.dll", 1, "VerInfNotExist", Warning},
      {"ver_no_such_module.dll", 1, "VerInfNotExist", Warning},
      {"ver_desc_only.dll", 0, "Author", Described}};
  for (const Case& C : Cases) {
    MessageCall M = AboutFor(BesideTheProgram(C.Module));
    EXPECT_EQ(M.pluginNumber, 9) << C.Module;
    EXPECT_EQ(M.flags, C.Flags) << C.Module;
    EXPECT_EQ(M.helpTopic, C.Topic) << C.Module;
    EXPECT_EQ(M.buttonsNumber, 1) << C.Module;
    EXPECT_EQ(M.items, C.Shown) << C.Module;
  }

  TVersionInfo German;
  EXPECT_FALSE(German.LoadFromFile(BesideTheProgram("ver_german_unicode.dll")))
      << "a 0x0407/1200 table is not read, although its values exist";
  TVersionInfo Comments;
  EXPECT_TRUE(Comments.LoadFromFile(BesideTheProgram("ver_comments_only.dll")));
  for (int T = 0; T < vtCount; ++T) {
    EXPECT_EQ(German.GetValue(TVersionType(T)), "") << T;
    EXPECT_EQ(Comments.GetValue(TVersionType(T)), T == vtComments ? "Only a comment here" : "")
        << T;
  }
  memset(&StartupInfo, 0, sizeof(StartupInfo));
}
