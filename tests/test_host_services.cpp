// Tests of the services the host hands the plugin, called as the plugin calls them.
#include "test_host.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

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
