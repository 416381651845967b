// Tests of the FAR stand-in host itself: FAR's .lng reading rules, the service functions it hands
// the plugin (called directly, as the plugin would), its memory checks, loading quenby.dll with
// its thirteen exports, and the registry helpers. Nothing here depends on what the plugin does.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "FarHost.h"
#include "LangFile.h"

namespace {

std::string DllPath() { return FarHost::DllInFolder(QUENBY_PLUGIN_DIR); }

// A scratch folder under %TEMP%, removed with its files when the test ends.
class TempFolder {
 public:
  TempFolder() {
    static int counter = 0;
    char temp[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof temp, temp);
    std::string base = (n > 0 && n < sizeof temp) ? std::string(temp, n) : std::string(".\\");
    path_ = base + "quenby_host_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(++counter);
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TempFolder() { Remove(path_); }
  const std::string& path() const { return path_; }
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::string file = path_ + "\\" + name;
    std::size_t slash = file.find_last_of('\\');
    CreateDirectoryA(file.substr(0, slash).c_str(), nullptr);
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << file;
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    EXPECT_EQ(written, bytes.size());
    return file;
  }

 private:
  std::string path_;
  static void Remove(const std::string& dir) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        std::string full = dir + "\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          Remove(full);
        else
          DeleteFileA(full.c_str());
      } while (FindNextFileA(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
  }
};

// Options for a host whose .lng files come from `langFolder` and whose DLL is never loaded.
FarHost::Options ServiceOptions(const std::string& name, const std::string& langFolder = "",
                                const std::string& language = "English") {
  FarHost::Options o;
  o.dllPath = DllPath();
  o.rootKey = FarHost::TestRootKey(name);
  o.moduleNumber = 5;
  o.language = language;
  o.languageFolder = langFolder;
  return o;
}

// Expects exactly `count` recorded failures, each containing `fragment`, and forgets them.
void ExpectFailures(FarHost& host, std::size_t count, const std::string& fragment) {
  EXPECT_EQ(host.failures.size(), count) << (host.failures.empty() ? "" : host.failures[0]);
  for (const std::string& f : host.failures) EXPECT_NE(f.find(fragment), std::string::npos) << f;
  host.failures.clear();
}

FarDialogItem MakeItem(int type, int x1, int y1, const char* data) {
  FarDialogItem item;
  std::memset(&item, 0, sizeof item);
  item.Type = type;
  item.X1 = x1;
  item.Y1 = y1;
  item.X2 = x1 + 10;
  item.Y2 = y1;
  std::strcpy(item.Data, data);
  return item;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// .lng reading

TEST(LngDecode, Escapes) {
  EXPECT_EQ(DecodeLngMessage("\"a\\\\b\\\"c\\nd\\re\\bf\\tg\""), "a\\b\"c\nd\re\bf\tg");
}

TEST(LngDecode, UnknownBackslashStaysAsWritten) {
  EXPECT_EQ(DecodeLngMessage("\"C:\\dir\\x\\%s\""), "C:\\dir\\x\\%s");
  // FAR drops the trailing quote before decoding, so a final \" leaves a lone backslash.
  EXPECT_EQ(DecodeLngMessage("\"end\\\""), "end\\");
}

TEST(LngDecode, Quotes) {
  EXPECT_EQ(DecodeLngMessage("\"say \"\"hi\"\"\""), "say \"hi\"");
  EXPECT_EQ(DecodeLngMessage("\"Item \"%s\" is not a folder\""), "Item \"%s\" is not a folder");
  EXPECT_EQ(DecodeLngMessage("\"no closing quote"), "no closing quote");
  EXPECT_EQ(DecodeLngMessage("\""), "");
  EXPECT_EQ(DecodeLngMessage("\"\""), "");
  EXPECT_EQ(DecodeLngMessage("\"  padded  \""), "  padded  ");
}

TEST(LngParse, OnlyLinesStartingWithAQuoteAreMessages) {
  const std::string text =
      ".Language=English,English\r\n"
      "// 0: first\r\n"
      "\"zero\"\r\n"
      "\r\n"
      "  \"indented lines are not messages in FAR 1.63\"\r\n"
      "\t\"nor tab-indented ones\"\n"
      "x\"text\"\n"
      "// \"commented\"\n"
      "\"one\"   \t \r\n"
      "\"two  \"\n"
      "\"three\"";  // no newline at the end
  LangFile f = ParseLngText(text);
  ASSERT_EQ(f.messages.size(), 4u);
  EXPECT_EQ(f.messages[0], "zero");
  EXPECT_EQ(f.messages[1], "one");
  EXPECT_EQ(f.messages[2], "two  ");
  EXPECT_EQ(f.messages[3], "three");
  EXPECT_TRUE(f.problems.empty());
}

TEST(LngParse, LanguageLineAnywhereCaseInsensitiveFirstWins) {
  LangFile f = ParseLngText(
      "\"msg\"\n"
      ".LANGUAGE=Russian,Russian (CP866)  \n"
      ".Language=English,English\n");
  EXPECT_TRUE(f.hasLanguageLine);
  EXPECT_EQ(f.language, "Russian");
  EXPECT_EQ(f.description, "Russian (CP866)");
  ASSERT_EQ(f.messages.size(), 1u);

  LangFile none = ParseLngText("\"a\"\n");
  EXPECT_FALSE(none.hasLanguageLine);
  EXPECT_EQ(none.language, "");

  LangFile noComma = ParseLngText(".Language=German\n");
  EXPECT_EQ(noComma.language, "German");
  EXPECT_EQ(noComma.description, "");

  // A UTF-8 byte order mark hides the line from FAR, which compares raw bytes.
  LangFile bom = ParseLngText("\xEF\xBB\xBF.Language=Russian,Russian\n\"a\"\n");
  EXPECT_FALSE(bom.hasLanguageLine);
}

TEST(LngParse, EmbeddedNulEndsTheLine) {
  LangFile f = ParseLngText(std::string("\"ab\0cd\"\n\"next\"\n", 15));
  ASSERT_EQ(f.messages.size(), 2u);
  EXPECT_EQ(f.messages[0], "ab");
  EXPECT_EQ(f.messages[1], "next");
}

TEST(LngParse, LongLinesAreReadInPiecesAndReported) {
  // FAR's fgets reads 1023 bytes at a time: the rest of a long line is a line of its own.
  std::string longLine = "\"" + std::string(1022, 'a') + "\"second\"";
  LangFile f = ParseLngText(longLine + "\n\"third\"\n");
  ASSERT_EQ(f.messages.size(), 3u);
  EXPECT_EQ(f.messages[0], std::string(1022, 'a'));
  EXPECT_EQ(f.messages[1], "second");
  EXPECT_EQ(f.messages[2], "third");
  ASSERT_EQ(f.problems.size(), 1u);
  EXPECT_NE(f.problems[0].find("line 1"), std::string::npos) << f.problems[0];

  std::string tail = "\"" + std::string(1200, 'b') + "\"";
  LangFile g = ParseLngText(tail + "\n");
  ASSERT_EQ(g.messages.size(), 1u);  // the second piece starts with 'b': not a message
  EXPECT_EQ(g.messages[0], std::string(1022, 'b'));
  EXPECT_EQ(g.problems.size(), 1u);

  LangFile ok = ParseLngText("\"" + std::string(998, 'c') + "\"\n");
  EXPECT_TRUE(ok.problems.empty());
  ASSERT_EQ(ok.messages.size(), 1u);
  EXPECT_EQ(ok.messages[0].size(), 998u);
}

TEST(LngChoice, ByLanguageNameThenEnglishThenLast) {
  TempFolder dir;
  std::string eng = dir.Write("PlugEng.lng", ".Language=English,English\n\"Hello\"\n");
  std::string rus = dir.Write("PlugRus.lng", ".Language=Russian,Russian\n\"\x8f\xe0\xa8\xa2\xa5\xe2\"\n");
  // A language file in a subfolder is not the plugin's.
  dir.Write("sub\\PlugGer.lng", ".Language=German,Deutsch\n\"Hallo\"\n");
  std::string error;
  LangFile f;

  ASSERT_TRUE(LoadLngForLanguage(dir.path(), "English", f, error)) << error;
  EXPECT_EQ(f.path, eng);
  ASSERT_EQ(f.messages.size(), 1u);
  EXPECT_EQ(f.messages[0], "Hello");

  ASSERT_TRUE(LoadLngForLanguage(dir.path(), "russian", f, error)) << error;
  EXPECT_EQ(f.path, rus);
  EXPECT_EQ(f.messages[0], "\x8f\xe0\xa8\xa2\xa5\xe2");  // CP866 bytes as they are

  ASSERT_TRUE(LoadLngForLanguage(dir.path(), "German", f, error)) << error;
  EXPECT_EQ(f.path, eng);
}

TEST(LngChoice, WithoutEnglishTheLastFileEnumerated) {
  TempFolder dir;
  dir.Write("A.lng", ".Language=Russian,Russian\n\"r\"\n");
  dir.Write("B.lng", ".Language=German,Deutsch\n\"g\"\n");
  dir.Write("C.lng", "\"no language line\"\n");
  std::string last;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir.path() + "\\*.lng").c_str(), &fd);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  do last = dir.path() + "\\" + fd.cFileName;
  while (FindNextFileA(h, &fd));
  FindClose(h);

  LangFile f;
  std::string error;
  ASSERT_TRUE(LoadLngForLanguage(dir.path(), "French", f, error)) << error;
  EXPECT_EQ(f.path, last);
  ASSERT_TRUE(LoadLngForLanguage(dir.path(), "GERMAN", f, error)) << error;
  EXPECT_EQ(f.messages, std::vector<std::string>{"g"});
}

TEST(LngChoice, EmptyFolderIsAnError) {
  TempFolder dir;
  LangFile f;
  std::string error;
  EXPECT_FALSE(LoadLngForLanguage(dir.path(), "English", f, error));
  EXPECT_FALSE(error.empty());
}

// ---------------------------------------------------------------------------------------------
// Services, called the way the plugin calls them

TEST(HostGetMsg, ServesTheChosenFileAndRecordsUnknownNumbers) {
  TempFolder dir;
  dir.Write("XEng.lng", ".Language=English,English\n\"OK\"\n\"Cancel\"\n");
  dir.Write("XRus.lng", ".Language=Russian,Russian\n\"Da\"\n\"Net\"\n");
  FarHost host(ServiceOptions("GetMsg", dir.path(), "Russian"));
  PluginStartupInfo si;
  host.FillStartupInfo(si);

  const char* first = si.GetMsg(5, 1);
  EXPECT_STREQ(first, "Net");
  EXPECT_EQ(si.GetMsg(5, 1), first);  // the same pointer while the messages stay loaded
  EXPECT_STREQ(si.GetMsg(5, 0), "Da");
  EXPECT_TRUE(host.failures.empty());

  EXPECT_STREQ(si.GetMsg(5, 2), "");
  ExpectFailures(host, 1, "no message number 2");
  EXPECT_STREQ(si.GetMsg(5, -1), "");
  ExpectFailures(host, 1, "no message number -1");

  EXPECT_STREQ(si.GetMsg(4, 0), "Da");
  ExpectFailures(host, 1, "PluginNumber 4");

  host.SetLanguage("English");
  EXPECT_STREQ(si.GetMsg(5, 0), "OK");
  EXPECT_EQ(host.getMsgCalls, 7);
  EXPECT_TRUE(host.failures.empty());
}

TEST(HostGetMsg, NoLanguageFileIsRecorded) {
  TempFolder dir;
  FarHost host(ServiceOptions("GetMsgNone", dir.path()));
  PluginStartupInfo si;
  host.FillStartupInfo(si);
  EXPECT_STREQ(si.GetMsg(5, 0), "");
  ExpectFailures(host, 1, "no .lng file");
}

TEST(HostStartupInfo, RecordAsFarBuildsIt) {
  FarHost host(ServiceOptions("Startup"));
  host.options.moduleNumber = 3;
  PluginStartupInfo si;
  host.FillStartupInfo(si);
  EXPECT_EQ(si.StructSize, 336);
  EXPECT_EQ(si.ModuleNumber, 3);
  ASSERT_NE(si.RootKey, nullptr);
  EXPECT_EQ(std::string(si.RootKey), host.options.rootKey);
  const char* root = si.RootKey;
  PluginStartupInfo again;
  host.FillStartupInfo(again);
  EXPECT_EQ(std::string(root), host.options.rootKey);  // earlier RootKey pointers stay valid
  const FARAPIGENERIC generic[] = {si.SaveScreen, si.RestoreScreen, si.GetDirList,
                                   si.GetPluginDirList, si.FreeDirList, si.Viewer, si.Editor,
                                   si.CmpName, si.CharTable, si.Text, si.EditorControl};
  for (FARAPIGENERIC f : generic) EXPECT_NE(f, nullptr);
  EXPECT_NE(si.Menu, nullptr);
  EXPECT_NE(si.Dialog, nullptr);
  EXPECT_NE(si.Message, nullptr);
  EXPECT_NE(si.GetMsg, nullptr);
  EXPECT_NE(si.Control, nullptr);
  EXPECT_TRUE(host.failures.empty());
}

TEST(HostServices, UnusedServicesAreRecordedAndKeepTheStackBalanced) {
  FarHost host(ServiceOptions("Stubs"));
  PluginStartupInfo si;
  host.FillStartupInfo(si);
  int breakCode = 0;
  // Called through their real prototypes: a wrong argument count would corrupt this frame.
  int menu = si.Menu(5, -1, -1, 0, 0, nullptr, nullptr, nullptr, nullptr, &breakCode, nullptr, 0);
  EXPECT_EQ(menu, -1);
  auto save = reinterpret_cast<HANDLE(WINAPI*)(int, int, int, int)>(
      reinterpret_cast<void*>(si.SaveScreen));
  save(0, 0, -1, -1);
  auto cmp = reinterpret_cast<int(WINAPI*)(char*, char*, int)>(reinterpret_cast<void*>(si.CmpName));
  char pattern[] = "*.txt", name[] = "a.txt";
  cmp(pattern, name, 0);
  ExpectFailures(host, 3, "which Quenby does not use");
  EXPECT_EQ(host.Count("Unexpected:Menu"), 1);
  EXPECT_EQ(host.Count("Unexpected:SaveScreen"), 1);
  EXPECT_EQ(host.Count("Unexpected:CmpName"), 1);
}

TEST(HostMessage, RecordsItemsAndAnswersFromTheScript) {
  FarHost host(ServiceOptions("Message"));
  PluginStartupInfo si;
  host.FillStartupInfo(si);
  char title[] = "Error", line[] = "Cannot read the list file:", ok[] = "OK", cancel[] = "Cancel";
  char help[] = "VFSNotExist";
  char* items[] = {title, line, ok, cancel};

  EXPECT_EQ(si.Message(5, FMSG_WARNING, help, items, 4, 2), 0);  // default answer
  host.messageAnswers = {1, -1};
  EXPECT_EQ(si.Message(5, 0, nullptr, items, 4, 2), 1);
  EXPECT_EQ(si.Message(5, 0, nullptr, items, 4, 2), -1);
  int seen = 0;
  host.onMessage = [&](MessageCall& call) {
    ++seen;
    EXPECT_EQ(call.Title(), "Error");
    call.answer = 1;
  };
  EXPECT_EQ(si.Message(5, 0, nullptr, items, 4, 2), 1);
  EXPECT_EQ(seen, 1);
  host.onMessage = nullptr;
  EXPECT_EQ(si.Message(5, 0, nullptr, items, 2, 0), -1);  // no buttons: nothing to press

  ASSERT_EQ(host.messages.size(), 5u);
  const MessageCall& m = host.messages[0];
  EXPECT_EQ(m.flags, static_cast<unsigned>(FMSG_WARNING));
  EXPECT_FALSE(m.helpTopicNull);
  EXPECT_EQ(m.helpTopic, "VFSNotExist");
  EXPECT_EQ(m.itemsNumber, 4);
  EXPECT_EQ(m.buttonsNumber, 2);
  EXPECT_EQ(m.items, (std::vector<std::string>{"Error", "Cannot read the list file:", "OK", "Cancel"}));
  EXPECT_EQ(m.Lines(), std::vector<std::string>{"Cannot read the list file:"});
  EXPECT_EQ(m.Buttons(), (std::vector<std::string>{"OK", "Cancel"}));
  EXPECT_TRUE(host.messages[1].helpTopicNull);
  EXPECT_EQ(host.messages[3].answer, 1);
  EXPECT_EQ(host.Count("Message"), 5);
  EXPECT_TRUE(host.failures.empty());
}

TEST(HostMessage, LimitsAndNullItemsAreFailures) {
  FarHost host(ServiceOptions("MessageLimits"));
  PluginStartupInfo si;
  host.FillStartupInfo(si);
  char text[] = "x";
  std::vector<char*> many(14, text);
  si.Message(5, 0, nullptr, many.data(), 13, 1);
  EXPECT_TRUE(host.failures.empty());
  si.Message(5, 0, nullptr, many.data(), 14, 1);
  ExpectFailures(host, 1, "14 items");

  EXPECT_EQ(si.Message(5, 0, nullptr, many.data(), 1, 0), -1);
  ExpectFailures(host, 1, "1 items");

  char* withNull[] = {text, nullptr, text};
  si.Message(5, 0, nullptr, withNull, 3, 1);
  ExpectFailures(host, 1, "item 1 is NULL");
  EXPECT_EQ(host.messages.back().items, (std::vector<std::string>{"x", "", "x"}));

  si.Message(5, 0, nullptr, many.data(), 3, 3);
  ExpectFailures(host, 1, "ButtonsNumber 3");
}

TEST(HostDialog, ScriptEditsItemsAndFarCopiesThemBack) {
  FarHost host(ServiceOptions("Dialog"));
  PluginStartupInfo si;
  host.FillStartupInfo(si);
  FarDialogItem items[4] = {MakeItem(DI_DOUBLEBOX, 3, 1, "Title"),
                            MakeItem(DI_TEXT, -1, 2, "centred"),
                            MakeItem(DI_EDIT, 5, 3, "C:\\list.txt"),
                            MakeItem(DI_CHECKBOX, 5, 4, "Option")};
  host.dialogAnswer = [](std::vector<FarDialogItem>& it) {
    std::strcpy(it[2].Data, "D:\\other.txt");
    it[3].Selected = 1;
    return 3;
  };
  char help[] = "Config";
  EXPECT_EQ(si.Dialog(5, -1, -1, 60, 8, help, items, 4), 3);
  EXPECT_STREQ(items[2].Data, "D:\\other.txt");
  EXPECT_EQ(items[3].Selected, 1);
  EXPECT_EQ(items[1].X1, 255);  // FAR keeps coordinates as unsigned char
  EXPECT_EQ(items[0].Type, DI_DOUBLEBOX);

  ASSERT_EQ(host.dialogs.size(), 1u);
  const DialogCall& d = host.dialogs[0];
  EXPECT_EQ(d.x1, -1);
  EXPECT_EQ(d.x2, 60);
  EXPECT_EQ(d.y2, 8);
  EXPECT_EQ(d.helpTopic, "Config");
  EXPECT_EQ(d.itemsNumber, 4);
  EXPECT_EQ(d.Data(2), "C:\\list.txt");  // as passed in
  EXPECT_EQ(d.items[1].X1, -1);
  EXPECT_EQ(d.ResultData(2), "D:\\other.txt");
  EXPECT_EQ(d.answer, 3);

  // One-off scripts go first; without any script the user presses Escape.
  host.dialogScript.push_back([](std::vector<FarDialogItem>&) { return 0; });
  host.dialogAnswer = nullptr;
  EXPECT_EQ(si.Dialog(5, -1, -1, 60, 8, nullptr, items, 4), 0);
  EXPECT_EQ(si.Dialog(5, -1, -1, 60, 8, nullptr, items, 4), -1);
  EXPECT_TRUE(host.dialogs[1].helpTopicNull);
  EXPECT_TRUE(host.failures.empty());
}

TEST(HostDialog, DataWithoutNulIsAFailure) {
  FarHost host(ServiceOptions("DialogNul"));
  PluginStartupInfo si;
  host.FillStartupInfo(si);
  FarDialogItem items[2] = {MakeItem(DI_TEXT, 1, 1, "ok"), MakeItem(DI_EDIT, 1, 2, "")};
  std::memset(items[1].Data, 'z', sizeof items[1].Data);
  EXPECT_EQ(si.Dialog(5, -1, -1, 40, 5, nullptr, items, 2), -1);
  ExpectFailures(host, 1, "item 1 Data has no NUL");
  EXPECT_EQ(items[1].Data[511], 0);
  EXPECT_EQ(std::strlen(items[1].Data), 511u);

  si.Dialog(5, -1, -1, 40, 5, nullptr, nullptr, 2);
  ExpectFailures(host, 1, "unusable address");
}

TEST(HostControl, FilePanelInfoFromTheModel) {
  FarHost host(ServiceOptions("PanelInfo"));
  PluginStartupInfo si;
  host.FillStartupInfo(si);
  host.filePanel.curDir = "C:\\Work";
  host.filePanel.Add("..", FILE_ATTRIBUTE_DIRECTORY);
  host.filePanel.Add("Projects", FILE_ATTRIBUTE_DIRECTORY);
  host.filePanel.Add("list.txt", FILE_ATTRIBUTE_ARCHIVE);
  host.filePanel.currentItem = 2;

  PanelInfo pi;
  std::memset(&pi, 0xAB, sizeof pi);
  ASSERT_EQ(si.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &pi), TRUE);
  EXPECT_EQ(pi.Plugin, 0);
  EXPECT_EQ(pi.PanelType, PTYPE_FILEPANEL);
  EXPECT_STREQ(pi.CurDir, "C:\\Work");
  ASSERT_EQ(pi.ItemsNumber, 3);
  EXPECT_EQ(pi.CurrentItem, 2);
  EXPECT_EQ(pi.TopPanelItem, 0);
  // FAR's array: 366-byte items, names at offset 44 of each.
  const char* base = reinterpret_cast<const char*>(pi.PanelItems);
  EXPECT_STREQ(base + 366 * 1 + 44, "Projects");
  EXPECT_STREQ(base + 366 * 2 + 44, "list.txt");
  EXPECT_EQ(pi.PanelItems[1].FindData.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  // Nothing selected: the current item stands in for the selection.
  ASSERT_EQ(pi.SelectedItemsNumber, 1);
  EXPECT_STREQ(pi.SelectedItems[0].FindData.cFileName, "list.txt");

  host.filePanel.currentItem = 0;  // on "..": no selection at all
  ASSERT_EQ(si.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &pi), TRUE);
  EXPECT_EQ(pi.SelectedItemsNumber, 0);

  ASSERT_EQ(host.controls.size(), 2u);
  EXPECT_EQ(host.controls[0].command, FCTL_GETPANELINFO);
  EXPECT_TRUE(host.controls[0].filePanel);
  EXPECT_FALSE(host.controls[0].paramNull);
  EXPECT_EQ(host.controls[0].result, TRUE);
  EXPECT_EQ(host.Count("Control:GETPANELINFO"), 2);

  EXPECT_EQ(si.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, nullptr), FALSE);
  ExpectFailures(host, 1, "not a writable PanelInfo");

  // FAR reports its folder as GetCurrentDirectory gives it: only a drive root ends with '\'.
  for (const char* shown : {"C:\\Work\\", "C:\\Work", "C:\\", "D:\\A\\B\\\\"}) {
    host.filePanel.curDir = shown;
    ASSERT_EQ(si.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &pi), TRUE);
    const std::string expected = std::string(shown) == "C:\\" ? "C:\\"
                                 : shown[0] == 'D'              ? "D:\\A\\B"
                                                                : "C:\\Work";
    EXPECT_EQ(std::string(pi.CurDir), expected) << shown;
  }
}

TEST(HostControl, CommandLineRedrawCloseAndUnknownCommands) {
  FarHost host(ServiceOptions("Control"));
  PluginStartupInfo si;
  host.FillStartupInfo(si);
  host.filePanel.Add("a");
  host.filePanel.Add("b");
  host.filePanel.Add("c");

  char part1[] = "C:\\Work\\", part2[] = "list.txt";
  EXPECT_EQ(si.Control(INVALID_HANDLE_VALUE, FCTL_INSERTCMDLINE, part1), TRUE);
  EXPECT_EQ(si.Control(INVALID_HANDLE_VALUE, FCTL_INSERTCMDLINE, part2), TRUE);
  EXPECT_EQ(host.commandLine, "C:\\Work\\list.txt");
  EXPECT_EQ(host.controls[1].text, "list.txt");

  PanelRedrawInfo ri{10, 5};
  EXPECT_EQ(si.Control(INVALID_HANDLE_VALUE, FCTL_REDRAWPANEL, &ri), TRUE);
  EXPECT_EQ(host.filePanel.currentItem, 2);  // clamped into the list as FAR does
  EXPECT_EQ(host.filePanel.topPanelItem, 0);
  EXPECT_EQ(host.log.back(), "Control:REDRAWPANEL(10,5)");
  EXPECT_TRUE(host.controls.back().hasRedraw);
  EXPECT_EQ(host.controls.back().redraw.CurrentItem, 10);
  EXPECT_EQ(si.Control(INVALID_HANDLE_VALUE, FCTL_REDRAWPANEL, nullptr), TRUE);
  EXPECT_EQ(host.log.back(), "Control:REDRAWPANEL");
  EXPECT_TRUE(host.controls.back().paramNull);

  char dir[] = "C:\\Target";
  EXPECT_EQ(si.Control(INVALID_HANDLE_VALUE, FCTL_CLOSEPLUGIN, dir), TRUE);
  EXPECT_EQ(host.controls.back().text, "C:\\Target");
  ASSERT_TRUE(host.filePanel.pendingClose.has_value());  // deferred until a plugin call ends
  EXPECT_EQ(*host.filePanel.pendingClose, "C:\\Target");
  EXPECT_TRUE(host.failures.empty());

  EXPECT_EQ(si.Control(INVALID_HANDLE_VALUE, FCTL_SETSELECTION, nullptr), FALSE);
  ExpectFailures(host, 1, "SETSELECTION");
  EXPECT_EQ(si.Control(reinterpret_cast<HANDLE>(0x1234), FCTL_UPDATEPANEL, nullptr), FALSE);
  ExpectFailures(host, 1, "not an open plugin panel");
  EXPECT_EQ(si.Control(INVALID_HANDLE_VALUE, FCTL_INSERTCMDLINE, nullptr), FALSE);
  ExpectFailures(host, 1, "NULL text");
}

// ---------------------------------------------------------------------------------------------
// Memory checks

TEST(HostMemory, StringsAreReadOnlyWithinReadableMemory) {
  SYSTEM_INFO sys;
  GetSystemInfo(&sys);
  const std::size_t page = sys.dwPageSize;
  char* mem = static_cast<char*>(VirtualAlloc(nullptr, page * 2, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  ASSERT_NE(mem, nullptr);
  DWORD old;
  ASSERT_TRUE(VirtualProtect(mem + page, page, PAGE_NOACCESS, &old));
  std::memset(mem, 'x', page);

  std::string out;
  EXPECT_FALSE(FarHost::ReadCString(mem, out));  // runs into the inaccessible page
  EXPECT_FALSE(FarHost::ReadCString(nullptr, out));
  EXPECT_FALSE(FarHost::ReadCString(mem + page, out));
  mem[page - 1] = 0;
  EXPECT_TRUE(FarHost::ReadCString(mem, out));
  EXPECT_EQ(out.size(), page - 1);
  EXPECT_FALSE(FarHost::ReadCString(mem, out, 10));  // no NUL within 10 characters
  EXPECT_TRUE(FarHost::ReadCString(mem + page - 11, out, 10));
  EXPECT_EQ(out, std::string(10, 'x'));

  EXPECT_TRUE(FarHost::IsReadable(mem, page));
  EXPECT_FALSE(FarHost::IsReadable(mem, page + 1));
  EXPECT_FALSE(FarHost::IsReadable(nullptr, 4));
  EXPECT_TRUE(FarHost::IsWritable(mem, page));
  ASSERT_TRUE(VirtualProtect(mem, page, PAGE_READONLY, &old));
  EXPECT_TRUE(FarHost::IsReadable(mem, page));
  EXPECT_FALSE(FarHost::IsWritable(mem, 1));
  VirtualFree(mem, 0, MEM_RELEASE);
}

// ---------------------------------------------------------------------------------------------
// Loading quenby.dll

TEST(HostLoad, QuenbyLoadsWithAllThirteenExports) {
  FarHost host(ServiceOptions("Load"));
  ASSERT_TRUE(host.Load()) << host.lastError;
  EXPECT_TRUE(host.IsLoaded());
  EXPECT_FALSE(AreFileApisANSI());  // FAR's OEM file APIs, set before the plugin loads

  const auto* base = reinterpret_cast<const unsigned char*>(host.Module());
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const uintptr_t lo = reinterpret_cast<uintptr_t>(base);
  const uintptr_t hi = lo + nt->OptionalHeader.SizeOfImage;
  const FarHost::Exports& e = host.exports;
  const std::pair<const char*, const void*> all[] = {
      {"SetStartupInfo", reinterpret_cast<const void*>(e.SetStartupInfo)},
      {"GetPluginInfo", reinterpret_cast<const void*>(e.GetPluginInfo)},
      {"OpenPlugin", reinterpret_cast<const void*>(e.OpenPlugin)},
      {"OpenFilePlugin", reinterpret_cast<const void*>(e.OpenFilePlugin)},
      {"ClosePlugin", reinterpret_cast<const void*>(e.ClosePlugin)},
      {"GetOpenPluginInfo", reinterpret_cast<const void*>(e.GetOpenPluginInfo)},
      {"GetFindData", reinterpret_cast<const void*>(e.GetFindData)},
      {"FreeFindData", reinterpret_cast<const void*>(e.FreeFindData)},
      {"SetDirectory", reinterpret_cast<const void*>(e.SetDirectory)},
      {"ProcessKey", reinterpret_cast<const void*>(e.ProcessKey)},
      {"ProcessEvent", reinterpret_cast<const void*>(e.ProcessEvent)},
      {"Configure", reinterpret_cast<const void*>(e.Configure)},
      {"ExitFAR", reinterpret_cast<const void*>(e.ExitFAR)}};
  for (const auto& [name, address] : all) {
    const uintptr_t a = reinterpret_cast<uintptr_t>(address);
    EXPECT_TRUE(a >= lo && a < hi) << name << " is not inside quenby.dll";
    EXPECT_EQ(reinterpret_cast<const void*>(GetProcAddress(host.Module(), name)), address) << name;
  }

  // ModuleName is the full path, and the language files sit beside the DLL.
  PluginStartupInfo si;
  host.FillStartupInfo(si);
  EXPECT_EQ(std::string(si.ModuleName), host.fullDllPath);
  std::string lower = host.fullDllPath;
  for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  EXPECT_NE(lower.find("\\quenby.dll"), std::string::npos) << host.fullDllPath;
  EXPECT_NE(host.fullDllPath.find(':'), std::string::npos) << "not a full path";

  host.Unload();
  EXPECT_FALSE(host.IsLoaded());
  EXPECT_EQ(host.exports.OpenPlugin, nullptr);
  EXPECT_TRUE(host.failures.empty());
}

TEST(HostLoad, MissingExportsOrFileAreErrors) {
  {
    FarHost::Options o = ServiceOptions("LoadKernel");
    char system[MAX_PATH];
    UINT n = GetSystemDirectoryA(system, sizeof system);
    ASSERT_GT(n, 0u);
    o.dllPath = std::string(system, n) + "\\kernel32.dll";
    FarHost host(o);
    EXPECT_FALSE(host.Load());
    EXPECT_FALSE(host.IsLoaded());
    EXPECT_NE(host.lastError.find("SetStartupInfo"), std::string::npos) << host.lastError;
    EXPECT_NE(host.lastError.find("ExitFAR"), std::string::npos) << host.lastError;
    EXPECT_EQ(host.exports.SetStartupInfo, nullptr);
    EXPECT_FALSE(host.StartUp());
  }
  {
    FarHost::Options o = ServiceOptions("LoadMissing");
    o.dllPath = std::string(QUENBY_PLUGIN_DIR) + "\\no-such-plugin.dll";
    FarHost host(o);
    EXPECT_FALSE(host.Load());
    EXPECT_NE(host.lastError.find("no-such-plugin.dll"), std::string::npos) << host.lastError;
  }
}

// ---------------------------------------------------------------------------------------------
// Registry helpers

TEST(HostRegistry, RawValuesRoundTripExactly) {
  FarHost host(ServiceOptions("RegRaw"));
  host.DeleteRootKey();
  EXPECT_FALSE(host.ReadValue("Missing").has_value());

  // A string without its NUL, a DWORD of the wrong length, odd binary, a multi-string, a big value.
  ASSERT_TRUE(host.WriteValue("NoNul", REG_SZ, "abc", 3));
  const unsigned char three[] = {1, 2, 3};
  ASSERT_TRUE(host.WriteValue("ShortDword", REG_DWORD, three, 3));
  const unsigned char odd[] = {0, 0xFF, 0, 7, 0};
  ASSERT_TRUE(host.WriteValue("Odd", REG_BINARY, odd, sizeof odd));
  const char multi[] = "one\0two\0";
  ASSERT_TRUE(host.WriteValue("Multi", REG_MULTI_SZ, multi, sizeof multi));
  std::vector<unsigned char> big(100000);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<unsigned char>(i * 7);
  ASSERT_TRUE(host.WriteValue("Big", REG_BINARY, big.data(), big.size()));
  ASSERT_TRUE(host.WriteDword("Number", 0x12345678));
  ASSERT_TRUE(host.WriteString("Text", "C:\\list.txt"));
  ASSERT_TRUE(host.WriteDword("Elsewhere", 1, "Other"));

  auto v = host.ReadValue("NoNul");
  ASSERT_TRUE(v.has_value());
  EXPECT_EQ(v->type, static_cast<DWORD>(REG_SZ));
  // The ANSI registry API appends the missing NUL when the reader's buffer has room (NT does,
  // and Wine copies it), so a reader sees "abc" followed by at most one NUL.
  std::string noNul(v->data.begin(), v->data.end());
  EXPECT_TRUE(noNul == "abc" || noNul == std::string("abc", 4)) << noNul.size();
  v = host.ReadValue("ShortDword");
  ASSERT_TRUE(v.has_value());
  EXPECT_EQ(v->type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(v->data, std::vector<BYTE>(three, three + 3));
  EXPECT_FALSE(host.ReadDword("ShortDword").has_value());  // not a 4-byte DWORD
  v = host.ReadValue("Odd");
  ASSERT_TRUE(v.has_value());
  EXPECT_EQ(v->type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(v->data, std::vector<BYTE>(odd, odd + sizeof odd));
  v = host.ReadValue("Multi");
  ASSERT_TRUE(v.has_value());
  EXPECT_EQ(v->type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(v->data, std::vector<BYTE>(multi, multi + sizeof multi));
  v = host.ReadValue("Big");
  ASSERT_TRUE(v.has_value());
  EXPECT_TRUE(v->data == big) << v->data.size();  // no element-wise diff of 100000 bytes
  EXPECT_EQ(host.ReadDword("Number"), std::optional<DWORD>(0x12345678));
  EXPECT_EQ(host.ReadString("Text"), std::optional<std::string>("C:\\list.txt"));
  EXPECT_EQ(host.ReadValue("Text")->data.size(), 12u);  // with its NUL
  EXPECT_FALSE(host.ReadString("Number").has_value());
  EXPECT_EQ(host.ReadDword("Elsewhere", "Other"), std::optional<DWORD>(1));
  EXPECT_FALSE(host.ReadDword("Elsewhere").has_value());

  std::vector<std::string> names = host.ValueNames();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Big", "Multi", "NoNul", "Number", "Odd",
                                             "ShortDword", "Text"}));

  EXPECT_TRUE(host.DeleteRootKey());
  EXPECT_TRUE(host.failures.empty());
}

TEST(HostRegistry, DeleteRootKeyRemovesTheTreeAndEmptyParentsOnly) {
  const std::string sibling = FarHost::TestRootKey("RegSibling");
  {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, sibling.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k,
                              nullptr),
              ERROR_SUCCESS);
    RegCloseKey(k);
  }
  FarHost::Options o = ServiceOptions("RegTree");
  const std::string parent = o.rootKey.substr(0, o.rootKey.find_last_of('\\'));
  {
    FarHost host(o);
    ASSERT_TRUE(host.WriteDword("A", 1));
    ASSERT_TRUE(host.WriteDword("B", 2, "Quenby\\Deep\\Deeper"));
    ASSERT_TRUE(host.WriteString("C", "x", ""));
    EXPECT_TRUE(host.KeyExists("Quenby\\Deep"));
    EXPECT_TRUE(host.DeleteRootKey());
    EXPECT_FALSE(host.KeyExists(""));
    EXPECT_FALSE(host.KeyExists("Quenby"));
    EXPECT_TRUE(host.DeleteRootKey());  // nothing left to delete is fine
    EXPECT_TRUE(host.failures.empty());
  }
  HKEY k;
  EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, parent.c_str(), 0, KEY_READ, &k), ERROR_SUCCESS)
      << "the per-test parent key should go with its only child";
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, sibling.c_str(), 0, KEY_READ, &k), ERROR_SUCCESS)
      << "another test's key must survive";
  RegCloseKey(k);
  {
    FarHost::Options s = ServiceOptions("RegSibling");
    FarHost other(s);
    EXPECT_TRUE(other.DeleteRootKey());
  }
  {
    FarHost::Options bad = ServiceOptions("RegBad");
    bad.rootKey = "Software";
    FarHost host(bad);
    EXPECT_FALSE(host.DeleteRootKey());
    ExpectFailures(host, 1, "refusing");
    host.options.rootKey = "";
    EXPECT_FALSE(host.DeleteRootKey());
    ExpectFailures(host, 1, "refusing");
  }
}
