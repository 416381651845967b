// The configuration dialog in FAR 3 and the nine settings kept through FAR 3's settings API under
// the plugin's GUID: defaults, a malformed stored value read as its default, OK storing all nine
// (texts as strings, flags as numbers), Cancel and About storing nothing, no disks-menu digit.
#include "Far3TestWorld.h"

namespace {

using namespace far3test;
using far3host::DialogCall;
using far3host::Far3Value;

const wchar_t* const kNine[] = {L"AddToDisksMenu", L"DisksMenuDigit", L"FileSystemFile",
                                L"FileSystemExt",  L"ShowAllFiles",   L"ShowAllFolders",
                                L"AutoExit",       L"AutoExitPlugin", L"TreatFolderAsFile"};

// Message numbers of the six check boxes, with the setting each one shows.
struct Box {
  std::size_t message;
  const wchar_t* setting;
  intptr_t byDefault;
};
const Box kBoxes[] = {{6, L"AddToDisksMenu", 1}, {16, L"ShowAllFiles", 0},
                      {17, L"ShowAllFolders", 0}, {18, L"AutoExit", 1},
                      {19, L"AutoExitPlugin", 1}, {20, L"TreatFolderAsFile", 0}};

class Config : public PluginTest {
 protected:
  // Runs the dialog with `user` as the user; returns the dialog FAR showed.
  std::shared_ptr<DialogCall> Run(const std::function<intptr_t(DialogCall&)>& user) {
    host->dialogs.answer = user;
    EXPECT_EQ(host->Configure(), 0);
    EXPECT_EQ(host->dialogs.calls.size(), 1u);
    return host->dialogs.calls.empty() ? nullptr : host->dialogs.calls.back();
  }
  intptr_t Button(DialogCall& c, std::size_t message) {
    const int at = ItemWithText(c, DI_BUTTON, Msg(*host, message));
    EXPECT_GE(at, 0) << "no button with message " << message;
    return at;
  }
};

TEST_F(Config, TheDialogShowsTheDefaultsAndHasNoDigitField) {
  Start();
  auto call = Run([&](DialogCall& c) { return Button(c, 1); });
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(U8(call->helpTopic), "QuenbyCfg");
  for (const Box& b : kBoxes) {
    const int at = ItemWithText(*call, DI_CHECKBOX, Msg(*host, b.message));
    ASSERT_GE(at, 0) << "check box of message " << b.message;
    EXPECT_EQ(call->items[static_cast<std::size_t>(at)].selected, b.byDefault) << U8(b.setting);
  }
  const int path = EditAfter(*call, Msg(*host, 8)), ext = EditAfter(*call, Msg(*host, 9));
  ASSERT_GE(path, 0);
  ASSERT_GE(ext, 0);
  EXPECT_EQ(call->items[static_cast<std::size_t>(path)].data, L"");
  EXPECT_EQ(call->items[static_cast<std::size_t>(ext)].data, L"");
  EXPECT_LT(ItemWithText(*call, DI_TEXT, Msg(*host, 7)), 0) << "FAR 3 has no disks-menu digit";
  EXPECT_TRUE(call->freed);
  EXPECT_TRUE(host->settings.Root(host->PluginGuid()).values.empty()) << "Cancel stores nothing";
}

TEST_F(Config, OkStoresAllNineAndTheyTakeEffect) {
  Start();
  const std::wstring longPath = dir->path() + L"\\" + std::wstring(200, L'p') + L"\\list.vfs";
  auto call = Run([&](DialogCall& c) {
    c.Check(static_cast<std::size_t>(ItemWithText(c, DI_CHECKBOX, Msg(*host, 6))), 0);
    c.Check(static_cast<std::size_t>(ItemWithText(c, DI_CHECKBOX, Msg(*host, 17))), 1);
    c.Type(static_cast<std::size_t>(EditAfter(c, Msg(*host, 8))), longPath);
    c.Type(static_cast<std::size_t>(EditAfter(c, Msg(*host, 9))), L"lst");
    return Button(c, 0);
  });
  ASSERT_NE(call, nullptr);
  for (const wchar_t* name : kNine) EXPECT_TRUE(Stored(*host, name)) << U8(name) << " not stored";
  ASSERT_TRUE(Stored(*host, L"FileSystemFile"));
  EXPECT_EQ(Stored(*host, L"FileSystemFile")->kind, Far3Value::Text);
  EXPECT_EQ(Stored(*host, L"FileSystemFile")->text, longPath) << "a long path is kept whole";
  EXPECT_EQ(Stored(*host, L"FileSystemExt")->text, L"lst");
  EXPECT_EQ(Stored(*host, L"AddToDisksMenu")->kind, Far3Value::Number);
  EXPECT_EQ(Stored(*host, L"AddToDisksMenu")->number, 0u);
  EXPECT_EQ(Stored(*host, L"ShowAllFolders")->number, 1u);
  EXPECT_EQ(Stored(*host, L"AutoExit")->number, 1u);
  EXPECT_EQ(Stored(*host, L"DisksMenuDigit")->number, 1u);
  EXPECT_EQ(host->settings.OpenHandles(), 0u);
  // The plugin goes by them at once: no disks-menu item any more.
  ASSERT_TRUE(host->GetPluginInfo());
  EXPECT_TRUE(host->pluginInfo.diskMenu.empty());
}

TEST_F(Config, CancelEscAndAboutStoreNothing) {
  Start([](Far3Host& h) { PresetNumber(h, L"ShowAllFiles", 1); });
  const auto before = host->settings.Root(host->PluginGuid()).values;
  const auto edit = [&](DialogCall& c) {
    c.Check(static_cast<std::size_t>(ItemWithText(c, DI_CHECKBOX, Msg(*host, 16))), 0);
  };
  Run([&](DialogCall& c) { edit(c); return Button(c, 1); });
  host->dialogs.calls.clear();
  Run([&](DialogCall& c) { edit(c); return intptr_t(-1); });
  host->dialogs.calls.clear();
  Run([&](DialogCall& c) { edit(c); return Button(c, 15); });
  EXPECT_EQ(host->settings.Root(host->PluginGuid()).values, before);
  ASSERT_EQ(host->messages.size(), 1u) << "About shows the About box after the dialog";
  EXPECT_EQ(U8(host->messages[0].helpTopic), "Author");
  // The setting kept its stored value: the dialog shows it again.
  host->dialogs.calls.clear();
  auto call = Run([&](DialogCall& c) { return Button(c, 1); });
  EXPECT_EQ(call->items[static_cast<std::size_t>(ItemWithText(*call, DI_CHECKBOX, Msg(*host, 16)))].selected, 1);
}

// Read through FST_QWORD, FAR's SQLite would turn the text "abc" or a blob into 0 and report
// success: the plugin must tell such a value and keep the default.
TEST_F(Config, AMalformedValueFallsBackToItsDefault) {
  Start([](Far3Host& h) {
    PresetText(h, L"AutoExit", L"abc");             // a number stored as a text
    PresetText(h, L"ShowAllFolders", L"yes");
    h.settings.Set(h.PluginGuid(), L"AddToDisksMenu", Far3Value::OfBlob(std::string("\x07\x00", 2)));
  });
  auto call = Run([&](DialogCall& c) { return Button(c, 1); });
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(call->items[static_cast<std::size_t>(ItemWithText(*call, DI_CHECKBOX, Msg(*host, 18)))].selected, 1);
  EXPECT_EQ(call->items[static_cast<std::size_t>(ItemWithText(*call, DI_CHECKBOX, Msg(*host, 17)))].selected, 0);
  EXPECT_EQ(call->items[static_cast<std::size_t>(ItemWithText(*call, DI_CHECKBOX, Msg(*host, 6)))].selected, 1);
}

}  // namespace
