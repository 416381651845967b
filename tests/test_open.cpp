// Opening a panel from FAR's menus and by Enter on a list file, the missing list file, and the
// barriers: every failure inside an entry point with a barrier is shown in the exception box and
// the call returns as usual; the entry points without one show nothing. All through the exports.
// No SCOPED_TRACE here: gtest's trace stack starts a helper thread, and under the emulated Wine a
// second thread in the process keeps processor faults from reaching the plugin's barriers.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>
#include "FarHost.h"
#include "TempFiles.h"

namespace {

void StampYear(const std::string& Path, int Year) {
  SYSTEMTIME S{};
  S.wYear = Year, S.wMonth = 6, S.wDay = 15, S.wHour = 12;
  FILETIME F;
  SystemTimeToFileTime(&S, &F);
  HANDLE H = CreateFileA(Path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(H, INVALID_HANDLE_VALUE) << Path;
  EXPECT_TRUE(SetFileTime(H, nullptr, nullptr, &F));
  CloseHandle(H);
}

std::string Utf8ToOem(const char* Utf8) {
  wchar_t Wide[256];
  int N = MultiByteToWideChar(CP_UTF8, 0, Utf8, -1, Wide, 256);
  char Oem[512];
  WideCharToMultiByte(866, 0, Wide, N, Oem, sizeof(Oem), nullptr, nullptr);
  return Oem;
}

bool EndsWith(const std::string& Text, const std::string& Tail) {
  return Text.size() >= Tail.size() && Text.compare(Text.size() - Tail.size(), Tail.size(), Tail) == 0;
}

// A page the test owns, committed with the given protection.
struct TPage {
  explicit TPage(DWORD Protect) {
    Base = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    DWORD Old;
    VirtualProtect(Base, 4096, Protect, &Old);
  }
  ~TPage() { VirtualFree(Base, 0, MEM_RELEASE); }
  template <class T> T* As() const { return static_cast<T*>(Base); }
  void* Base;
};

class Open : public ::testing::Test {
 protected:
  void SetUp() override {
    GetCurrentDirectoryA(MAX_PATH, SavedDir);
    char Temp[MAX_PATH];
    GetTempPathA(MAX_PATH, Temp);
    Dir = std::string(Temp) + "quenby_open_" + std::to_string(GetCurrentProcessId());
    RemoveTree(Dir);
    ASSERT_TRUE(CreateDirectoryA(Dir.c_str(), nullptr));
    Configured = Dir + "\\configured.lst";
    WriteBytes(Configured, "C,from the configured file\r\n");
    FarHost::Options O;
    O.dllPath = FarHost::DllInFolder(QUENBY_PLUGIN_DIR);
    O.rootKey = FarHost::TestRootKey("open");
    Host = std::make_unique<FarHost>(O);
    Host->onFailure = [](const std::string& What) { ADD_FAILURE() << "host: " << What; };
    Host->filePanel.curDir = Dir;
    Host->filePanel.Add("configured.lst");
  }

  void TearDown() override {
    Host->Shutdown();
    EXPECT_TRUE(Host->DeleteRootKey());
    Host.reset();
    SetCurrentDirectoryA(SavedDir);
    RemoveTree(Dir);
  }

  // A setting in the plugin's stored form: the whole fixed-size block, zero-padded (a
  // three-letter extension fills its block with no zero).
  void WriteBlock(const char* Name, std::string Text, size_t Size) {
    Text.resize(Size, '\0');
    ASSERT_TRUE(Host->WriteValue(Name, REG_DWORD, Text.data(), Text.size()));
  }

  // Every line listed (ShowAllFolders), so a list's lines show whatever they name.
  void Start(const std::string& ListFile, const std::string& Ext = "vfs") {
    WriteBlock("FileSystemFile", ListFile, 255);
    WriteBlock("FileSystemExt", Ext, 3);
    Host->WriteDword("ShowAllFolders", 1);
    Host->WriteDword("AutoExitPlugin", 0);
    ASSERT_TRUE(Host->IsLoaded() ? Host->StartUp() : Host->LoadAndStart()) << Host->lastError;
  }

  // The description of the first item of an open panel: tells which list file it shows.
  static std::string FirstDescription(const FarHost::Panel& P) {
    for (const HostItem& I : P.items)
      if (I.position == 0) return I.description;
    return "(no item)";
  }

  // OpenFilePlugin for a name; "" when no panel opened, else the panel's title and first
  // description. The panel is closed again.
  std::string OpenFile(const std::string& Name) {
    FarHost::Panel* P = Host->OpenFilePlugin(Name);
    if (!P) return "";
    std::string Seen = P->info.panelTitle + " | " + FirstDescription(*P);
    P->Close();
    return Seen;
  }

  std::string Msg(int Id) { return Host->Messages()->messages.at(Id); }

  void ExpectExceptionBox(const MessageCall& M, const char* ClassName = nullptr) {
    EXPECT_EQ(M.flags, static_cast<unsigned>(FMSG_WARNING));
    EXPECT_EQ(M.helpTopic, "Exception");
    EXPECT_EQ(M.buttonsNumber, 1);
    EXPECT_EQ(M.Buttons(), std::vector<std::string>{Msg(0)});
    EXPECT_LE(M.itemsNumber, 13);
    const std::string Head = Utf8ToOem("Исключительная ситуация ");
    const std::string Module = Utf8ToOem(" в модуле quenby.dll по адресу ");
    const std::string Title = M.Title();
    EXPECT_EQ(Title.rfind(Head, 0), 0u) << Title;
    if (ClassName) EXPECT_EQ(Title.find(Head + ClassName + " "), 0u) << Title;
    size_t At = Title.find(Module);
    ASSERT_NE(At, std::string::npos) << "the fault lies in the plugin: " << Title;
    std::string Address = Title.substr(At + Module.size());
    EXPECT_EQ(Address.size(), 8u) << Title;
    EXPECT_EQ(Address.find_first_not_of("0123456789ABCDEF"), std::string::npos) << Title;
  }

  char SavedDir[MAX_PATH] = "";
  std::string Dir, Configured;
  std::unique_ptr<FarHost> Host;
};

using Strings = std::vector<std::string>;

}  // namespace

TEST_F(Open, FileNamesMatchTheConfiguredExtension) {
  CreateDirectoryA((Dir + "\\LISTS").c_str(), nullptr);
  CreateDirectoryA((Dir + "\\DIR.VFS").c_str(), nullptr);
  const std::string MailList = Dir + "\\LISTS\\MAIL.vfs";
  WriteBytes(MailList, "M,from MAIL.vfs\r\n");
  WriteBytes(Dir + "\\MAIL.VFS.BAK", "B,from the backup\r\n");
  WriteBytes(Dir + "\\DIR.VFS\\LIST", "L,from LIST\r\n");
  WriteBytes(Dir + "\\LIST", "L,from LIST\r\n");
  Start(Configured, "vfs");

  // The panel shows the file opened, not the configured one; the case of letters is ignored.
  EXPECT_EQ(OpenFile(MailList), MailList + " | from MAIL.vfs");
  EXPECT_EQ(OpenFile(Dir + "\\LISTS\\mail.VFS"), Dir + "\\LISTS\\mail.VFS | from MAIL.vfs");
  EXPECT_EQ(OpenFile(Dir + "\\MAIL.VFS.BAK"), "") << "only the last extension counts";
  EXPECT_EQ(OpenFile(Dir + "\\DIR.VFS\\LIST"), "") << "the dot is not in the file's own name";
  EXPECT_EQ(OpenFile(Dir + "\\LIST"), "");
  EXPECT_EQ(OpenFile(Dir + "\\LIST."), "");
  EXPECT_EQ(Host->exports.OpenFilePlugin(nullptr, nullptr, 0), INVALID_HANDLE_VALUE);

  // A name longer than 255 characters opens the panel on its first 255.
  std::string Long = Dir + "\\" + std::string(300 - Dir.size() - 1 - 4, 'L') + ".vfs";
  ASSERT_EQ(Long.size(), 300u);
  const std::string Cut = Long.substr(0, 255);
  WriteBytes(Cut, "X,from the first 255 characters\r\n");
  EXPECT_EQ(OpenFile(Long), Cut + " | from the first 255 characters");

  // An empty extension matches only a name that ends in a dot.
  Start(Configured, "");
  EXPECT_EQ(OpenFile(Dir + "\\LIST"), "");
  EXPECT_EQ(OpenFile(Dir + "\\DIR.VFS\\LIST"), "");
  EXPECT_EQ(OpenFile(MailList), "");
  EXPECT_EQ(OpenFile(Dir + "\\LIST."), Dir + "\\LIST. | from LIST");
  EXPECT_EQ(Host->exports.OpenFilePlugin(nullptr, nullptr, 0), INVALID_HANDLE_VALUE);
  EXPECT_TRUE(Host->messages.empty()) << "a name that does not match is no error";

  // From the menus the configured file is shown.
  Start(Configured, "vfs");
  FarHost::Panel* P = Host->OpenPlugin(OPEN_DISKMENU);
  ASSERT_NE(P, nullptr);
  EXPECT_EQ(P->info.panelTitle, Configured);
  EXPECT_EQ(FirstDescription(*P), "from the configured file");
}

TEST_F(Open, MissingListFileShowsTheWarningThenTheDialog) {
  const std::string Old = Dir + "\\old.lst", Future = Dir + "\\future.lst", Late = Dir + "\\late.lst";
  WriteBytes(Old, "O,old\r\n");
  WriteBytes(Future, "F,future\r\n");
  WriteBytes(Late, "L,late\r\n");
  StampYear(Old, 1975);
  StampYear(Future, 2150);  // beyond the DOS date range, though Wine's conversion accepts it
  StampYear(Late, 2100);
  CreateDirectoryA((Dir + "\\folder.lst").c_str(), nullptr);
  const std::string Wanted[] = {Msg(3), Msg(10), Msg(11), Msg(0)};
  size_t DialogsAtMessage = 99;
  Host->onMessage = [&](MessageCall&) { DialogsAtMessage = Host->dialogs.size(); };

  for (const std::string& Name : {Dir + "\\nope.lst", std::string(), Dir + "\\folder.lst", Old,
                                  Future, Dir + "\\folder.l?t"}) {
    const std::string Case = "list file \"" + Name + "\"";
    Start(Name);
    Host->messages.clear();
    Host->dialogs.clear();
    for (int From : {OPEN_DISKMENU, OPEN_PLUGINSMENU}) {
      EXPECT_EQ(Host->OpenPlugin(From), nullptr) << Case;
      ASSERT_EQ(Host->messages.size(), 1u) << Case;
      const MessageCall& M = Host->messages[0];
      EXPECT_EQ(M.flags, static_cast<unsigned>(FMSG_WARNING));
      EXPECT_EQ(M.helpTopic, "VFSNotExist");
      EXPECT_EQ(M.items, Strings(std::begin(Wanted), std::end(Wanted))) << Case;
      EXPECT_EQ(M.buttonsNumber, 1);
      EXPECT_EQ(DialogsAtMessage, 0u) << "the dialog comes after the message";
      ASSERT_EQ(Host->dialogs.size(), 1u) << Case;
      EXPECT_EQ(Host->dialogs[0].helpTopic, "QuenbyCfg");
      Host->messages.clear();
      Host->dialogs.clear();
    }
    // Enter on a matching file while the configured list file is missing: the same.
    EXPECT_EQ(Host->OpenFilePlugin(Configured + ".vfs"), nullptr) << Case;
    EXPECT_EQ(Host->messages.size(), 1u) << Case;
    EXPECT_EQ(Host->dialogs.size(), 1u) << Case;
  }

  // A file stamped inside the range exists.
  Start(Late);
  Host->messages.clear();
  FarHost::Panel* P = Host->OpenPlugin(OPEN_PLUGINSMENU);
  ASSERT_NE(P, nullptr);
  EXPECT_EQ(FirstDescription(*P), "late");
  EXPECT_TRUE(Host->messages.empty());
}

TEST_F(Open, ListFileHeldForWritingShowsTheExceptionBoxAndThePanelStays) {
  const std::string Sentences = Dir + "\\p. q";
  CreateDirectoryA(Sentences.c_str(), nullptr);
  const std::string List = Sentences + "\\list.vfs";
  WriteBytes(List, "A,first\r\n");
  Start(List);
  FarHost::Panel* P = Host->OpenPlugin(OPEN_PLUGINSMENU);
  ASSERT_NE(P, nullptr);
  EXPECT_EQ(FirstDescription(*P), "first");

  HANDLE Writer = CreateFileA(List.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(Writer, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(P->Reread()) << "GetFindData still answers TRUE";
  EXPECT_FALSE(P->closed);
  ASSERT_EQ(Host->messages.size(), 1u);
  const MessageCall& M = Host->messages[0];
  ExpectExceptionBox(M, "EInOutError");
  // The message names the file and the system error code (32, a sharing violation); the ". "
  // inside the path cuts it into two lines, and the last one gets a closing dot.
  Strings Lines = M.Lines();
  ASSERT_EQ(Lines.size(), 2u);
  EXPECT_TRUE(EndsWith(Lines[0], Dir + "\\p")) << Lines[0];
  EXPECT_EQ(Lines[1].rfind("q\\list.vfs", 0), 0u) << Lines[1];
  EXPECT_NE(Lines[1].find("32"), std::string::npos) << Lines[1];
  EXPECT_TRUE(EndsWith(Lines[1], ".")) << Lines[1];

  // What FAR receives: TRUE with an empty list.
  PluginPanelItem* Items = reinterpret_cast<PluginPanelItem*>(1);
  int Count = -5;
  EXPECT_EQ(Host->exports.GetFindData(P->handle, &Items, &Count, 0), TRUE);
  EXPECT_EQ(Items, nullptr);
  EXPECT_EQ(Count, 0);
  EXPECT_EQ(Host->messages.size(), 2u);

  CloseHandle(Writer);
  EXPECT_TRUE(P->Reread());
  EXPECT_EQ(FirstDescription(*P), "first") << "the panel reads its list again";
  EXPECT_EQ(Host->messages.size(), 2u);
}

TEST_F(Open, ExceptionBoxOfManySentencesStaysWithinFarsLimit) {
  std::string Folder = Dir + "\\";
  for (int I = 1; I <= 30; ++I) Folder += "s" + std::to_string(I) + (I < 30 ? ". " : "");
  CreateDirectoryA(Folder.c_str(), nullptr);
  const std::string List = Folder + "\\list.vfs";
  WriteBytes(List, "A,first\r\n");
  Start(List);
  FarHost::Panel* P = Host->OpenPlugin(OPEN_PLUGINSMENU);
  ASSERT_NE(P, nullptr);
  HANDLE Writer = CreateFileA(List.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(Writer, INVALID_HANDLE_VALUE);
  P->Reread();
  CloseHandle(Writer);
  ASSERT_EQ(Host->messages.size(), 1u);
  const MessageCall& M = Host->messages[0];
  ExpectExceptionBox(M, "EInOutError");
  EXPECT_EQ(M.itemsNumber, 13);
  Strings Lines = M.Lines();
  ASSERT_EQ(Lines.size(), 11u);
  EXPECT_TRUE(EndsWith(Lines[0], "\\s1")) << Lines[0];
  EXPECT_EQ(Lines[1], "s2");
  EXPECT_EQ(Lines[9], "s10");
  // The surplus is joined into the last line, nothing lost.
  EXPECT_EQ(Lines[10].rfind("s11. s12. ", 0), 0u) << Lines[10];
  EXPECT_NE(Lines[10].find("s29. s30\\list.vfs"), std::string::npos) << Lines[10];
}

TEST_F(Open, FaultsInsideTheBarriersShowTheBoxAndCallsReturnAsUsual) {
  WriteBytes(Configured, Dir + "\\a,first\r\n");
  Start(Configured);
  FarHost::Panel* P = Host->OpenPlugin(OPEN_PLUGINSMENU);
  ASSERT_NE(P, nullptr);
  TPage ReadOnly(PAGE_READONLY), NoAccess(PAGE_NOACCESS);
  HANDLE Garbage = NoAccess.Base;  // what a broken host might pass as a panel
  const FarHost::Exports& X = Host->exports;
  auto Boxes = [&](const char* What) {
    ASSERT_EQ(Host->messages.size(), 1u) << What;
    ExpectExceptionBox(Host->messages[0]);
    EXPECT_FALSE(Host->messages[0].Lines().empty()) << What;
    Host->messages.clear();
  };

  X.GetOpenPluginInfo(P->handle, ReadOnly.As<OpenPluginInfo>());
  Boxes("GetOpenPluginInfo into a read-only record");
  EXPECT_EQ(X.GetFindData(P->handle, ReadOnly.As<PluginPanelItem*>(), ReadOnly.As<int>(), 0),
            TRUE);
  Boxes("GetFindData into read-only outputs");
  X.FreeFindData(Garbage, nullptr, 0);
  Boxes("FreeFindData on a bad handle");
  EXPECT_EQ(X.SetDirectory(Garbage, "..", 0), TRUE);
  Boxes("SetDirectory on a bad handle");
  X.ClosePlugin(Garbage);
  Boxes("ClosePlugin on a bad handle");

  // The plugin and its panel go on working.
  EXPECT_TRUE(P->Reread());
  EXPECT_EQ(FirstDescription(*P), "first");
  EXPECT_EQ(P->info.panelTitle, Configured);
  EXPECT_TRUE(Host->messages.empty());
  EXPECT_TRUE(P->Close());
  EXPECT_NE(Host->OpenPlugin(OPEN_PLUGINSMENU), nullptr);
}

TEST_F(Open, EntryPointsWithoutABarrierShowNoBox) {
  Start(Configured);
  TPage ReadOnly(PAGE_READONLY), NoAccess(PAGE_NOACCESS);
  const FarHost::Exports& X = Host->exports;
  EXPECT_EQ(X.ProcessKey(NoAccess.Base, VK_F8, 0), 0);
  EXPECT_EQ(X.ProcessEvent(NoAccess.Base, FE_IDLE, nullptr), 0);
  X.GetPluginInfo(ReadOnly.As<PluginInfo>());
  X.SetStartupInfo(NoAccess.As<PluginStartupInfo>());
  EXPECT_TRUE(Host->messages.empty());
  EXPECT_TRUE(Host->controls.empty());

  // Nothing was lost: the plugin still opens its panel and answers FAR.
  ASSERT_TRUE(Host->StartUp());
  ASSERT_TRUE(Host->GetPluginInfo());
  EXPECT_EQ(Host->pluginInfo.pluginMenuStrings, Strings{Msg(4)});
  FarHost::Panel* P = Host->OpenPlugin(OPEN_PLUGINSMENU);
  ASSERT_NE(P, nullptr);
  EXPECT_EQ(FirstDescription(*P), "from the configured file");
  EXPECT_EQ(P->ProcessEvent(FE_IDLE), 0);
  EXPECT_TRUE(Host->messages.empty());
}
