// The FAR 3 stand-in's own rules, without the plugin: .lng files as FAR 3 reads them, the
// settings store's SQLite reading and transactions, dialogs' edit lengths and messages, and the
// checks on the records a plugin hands back.
#include <windows.h>

#include "Far3Dialog.h"
#include "Far3Language.h"
#include "Far3Records.h"
#include "Far3SettingsStore.h"
#include "Far3TestWorld.h"

namespace {

using namespace far3host;
using far3test::U8;

struct Log : farhost::CallLog {};

// --- .lng --------------------------------------------------------------------------------------

TEST(Far3Lng, HeaderMessagesEscapesAndBlanks) {
  Far3LangFile f;
  std::string error;
  ASSERT_TRUE(Far3ParseLng(
      "\xEF\xBB\xBF.Language=English,English (US)\r\n\r\n// a comment\r\n"
      "\"OK\"\r\n  \"Indented\"  \r\n\"Tab\\tand \\\"quotes\\\" and \\\\\"\r\n\"\"\r\n\"\r\n"
      "\"No closing quote\n\"Doubled \"\" quote\"\r\n\"Unknown \\q escape\"",
      f, error))
      << error;
  EXPECT_EQ(U8(f.name), "English");
  EXPECT_EQ(U8(f.description), "English (US)");
  ASSERT_EQ(f.messages.size(), 8u);
  EXPECT_EQ(U8(f.messages[0]), "OK");
  EXPECT_EQ(U8(f.messages[1]), "Indented") << "lines are trimmed on both sides";
  EXPECT_EQ(U8(f.messages[2]), "Tab\tand \"quotes\" and \\");
  EXPECT_EQ(U8(f.messages[3]), "");
  EXPECT_EQ(U8(f.messages[4]), "") << "a lone quote";
  EXPECT_EQ(U8(f.messages[5]), "No closing quote");
  EXPECT_EQ(U8(f.messages[6]), "Doubled \" quote");
  EXPECT_EQ(U8(f.messages[7]), "Unknown \\q escape");
}

TEST(Far3Lng, TheHeaderMustComeBeforeTheFirstMessage) {
  Far3LangFile f;
  std::string error;
  EXPECT_FALSE(Far3ParseLng("\"OK\"\r\n.Language=English,English\r\n", f, error));
  EXPECT_FALSE(Far3ParseLng(".Languag=English\r\n\"OK\"\r\n", f, error));
  EXPECT_TRUE(Far3ParseLng(".language =Russian,Русский\r\n\"OK\"\r\n", f, error))
      << "the key is matched without case and may have blanks before its '='";
  EXPECT_EQ(U8(f.name), "Russian");
  EXPECT_TRUE(Far3ParseLng(".Language= Russian,Русский\r\n\"OK\"\r\n", f, error));
  EXPECT_EQ(U8(f.name), " Russian") << "FAR keeps a blank after '=': no language matches it";
}

TEST(Far3Lng, CodePages) {
  // Without a BOM, valid UTF-8 is UTF-8 until a line is not; from there the OEM code page.
  const std::string russianUtf8 = "\xD0\x9E\xD0\x9A";  // "ОК"
  bool tryUtf8 = true;
  auto lines = Far3TextLines("A\r\n" + russianUtf8 + "\r\n", tryUtf8);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], std::wstring(L"\x041E\x041A"));
  EXPECT_TRUE(tryUtf8);
  tryUtf8 = true;
  lines = Far3TextLines("\x8E\x8A\r\nB", tryUtf8);  // "ОК" in code page 866
  EXPECT_FALSE(tryUtf8);
  ASSERT_EQ(lines.size(), 2u);
  wchar_t oem[3] = {};
  MultiByteToWideChar(GetOEMCP(), 0, "\x8E\x8A", 2, oem, 3);
  EXPECT_EQ(lines[0], std::wstring(oem, 2));
  // UTF-16 LE with its BOM; the line ends: LF, CR LF, CR CR LF and a lone CR.
  tryUtf8 = true;
  lines = Far3TextLines(std::string("\xFF\xFE" "a\0\r\0\n\0b\0\r\0c\0", 14), tryUtf8);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2], L"c");
  lines = Far3TextLines("1\n2\r\n3\r\r\n4\r5", tryUtf8);
  EXPECT_EQ(lines, (std::vector<std::wstring>{L"1", L"2", L"3", L"4", L"5"}));
}

TEST(Far3Lng, TheFileOfALanguage) {
  far3test::Scratch dir(L"lng");
  dir.Write(L"a.lng", "\xEF\xBB\xBF\"no header\"\r\n");
  dir.Write(L"b.lng", "\xEF\xBB\xBF.Language=English,English\r\n\"English\"\r\n");
  dir.Write(L"c.lng", "\xEF\xBB\xBF.Language=Russian,Russian\r\n\"Russian\"\r\n");
  Far3LangFile f;
  std::string error;
  ASSERT_TRUE(Far3LoadLanguage(dir.path(), L"russian", f, error)) << error;
  EXPECT_EQ(U8(f.messages.at(0)), "Russian");
  ASSERT_TRUE(Far3LoadLanguage(dir.path(), L"German", f, error)) << error;
  EXPECT_EQ(U8(f.messages.at(0)), "English") << "English stands in for a missing language";
  far3test::Scratch empty(L"nolng");
  EXPECT_FALSE(Far3LoadLanguage(empty.path(), L"English", f, error));
}

// --- settings ----------------------------------------------------------------------------------

const GUID kPlugin = {0x12345678, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};
const GUID kOther = {0x87654321, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};

HANDLE Create(Far3SettingsStore& s, const GUID& g = kPlugin) {
  FarSettingsCreate c{sizeof c, g, nullptr};
  return s.Control(kPlugin, nullptr, SCTL_CREATE, PSL_ROAMING, &c) ? c.Handle : nullptr;
}

TEST(Far3Settings, ValuesReadAsAnotherTypeAsSqliteReadsThem) {
  EXPECT_EQ(Far3Value::OfText(L"12abc").AsNumber(), 12u);
  EXPECT_EQ(Far3Value::OfText(L"abc").AsNumber(), 0u);
  EXPECT_EQ(Far3Value::OfText(L"  -1").AsNumber(), ~0ull);
  EXPECT_EQ(Far3Value::OfBlob(std::string("7\0", 2)).AsNumber(), 7u);
  EXPECT_EQ(U8(Far3Value::OfNumber(42).AsText()), "42");
  EXPECT_EQ(Far3Value::OfNumber(5).AsBlob(), "5");
  EXPECT_EQ(Far3Value::OfText(L"x").AsBlob(), "x");
}

TEST(Far3Settings, AHandleIsATransaction) {
  Log log;
  Far3SettingsStore store(log);
  store.Set(kPlugin, L"AutoExit", Far3Value::OfNumber(0));
  HANDLE a = Create(store), b = Create(store);
  ASSERT_TRUE(a && b);
  FarSettingsItem set{sizeof set, 0, L"AutoExit", FST_QWORD, {}};
  set.Number = 1;
  EXPECT_TRUE(store.Control(kPlugin, a, SCTL_SET, 0, &set));
  FarSettingsItem get{sizeof get, 0, L"AutoExit", FST_QWORD, {}};
  EXPECT_TRUE(store.Control(kPlugin, a, SCTL_GET, 0, &get));
  EXPECT_EQ(get.Number, 1u) << "a handle reads its own writes";
  EXPECT_TRUE(store.Control(kPlugin, b, SCTL_GET, 0, &get));
  EXPECT_EQ(get.Number, 0u) << "another one does not, before the first is freed";
  EXPECT_EQ(store.Get(kPlugin, L"AutoExit")->number, 0u);
  FarSettingsItem text{sizeof text, 0, L"AutoExit", FST_STRING, {}};
  EXPECT_TRUE(store.Control(kPlugin, b, SCTL_GET, 0, &text));
  const wchar_t* kept = text.String;
  EXPECT_EQ(std::wstring(kept), L"0");
  EXPECT_TRUE(store.Control(kPlugin, a, SCTL_FREE, 0, nullptr));
  EXPECT_TRUE(store.Control(kPlugin, b, SCTL_FREE, 0, nullptr));
  EXPECT_EQ(store.Get(kPlugin, L"AutoExit")->number, 1u);
  EXPECT_EQ(std::wstring(kept), L"#") << "texts die with their handle";
  EXPECT_TRUE(log.failures.empty());
  FarSettingsItem missing{sizeof missing, 0, L"Nothing", FST_QWORD, {}};
  HANDLE c = Create(store);
  EXPECT_FALSE(store.Control(kPlugin, c, SCTL_GET, 0, &missing));
  store.CheckAllFreed();
  EXPECT_EQ(log.failures.size(), 1u) << "a handle never freed";
}

TEST(Far3Settings, OnlyThePluginsOwnGuidAndRecordSizes) {
  Log log;
  Far3SettingsStore store(log);
  EXPECT_EQ(Create(store, kOther), nullptr);
  EXPECT_EQ(log.failures.size(), 1u);
  HANDLE h = Create(store);
  FarSettingsItem small{sizeof small - 1, 0, L"A", FST_QWORD, {}};
  EXPECT_FALSE(store.Control(kPlugin, h, SCTL_SET, 0, &small));
  EXPECT_EQ(log.failures.size(), 2u);
  EXPECT_FALSE(store.Control(kPlugin, reinterpret_cast<HANDLE>(&small), SCTL_FREE, 0, nullptr));
  EXPECT_EQ(log.failures.size(), 3u);
  store.Control(kPlugin, h, SCTL_FREE, 0, nullptr);
}

// --- dialogs -----------------------------------------------------------------------------------

TEST(Far3Dialogs, EditLengthsCheckBoxesAndTheProcedure) {
  Log log;
  Far3Dialogs dialogs(log);
  FarDialogItem items[3] = {};
  items[0].Type = DI_FIXEDIT, items[0].X1 = 5, items[0].X2 = 7, items[0].Data = L"ABCDE";
  items[1].Type = DI_CHECKBOX, items[1].Selected = 1, items[1].Data = L"Check";
  items[2].Type = DI_EDIT, items[2].X1 = 5, items[2].X2 = 10, items[2].Data = L"long text";
  const GUID id{};
  HANDLE h = dialogs.Init(kPlugin, &kPlugin, &id, -1, -1, 40, 10, L"Topic", items, 3, 0,
                          nullptr, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(U8(dialogs.calls[0]->items[0].data), "ABC") << "a fixed edit is as long as wide";
  EXPECT_EQ(U8(dialogs.calls[0]->items[2].data), "long text");
  dialogs.answer = [](DialogCall& c) {
    c.Type(0, L"XYZW");
    c.Check(1, 0);
    return intptr_t(2);
  };
  EXPECT_EQ(dialogs.Run(h), 2);
  wchar_t buffer[8];
  FarDialogItemData data{sizeof data, 7, buffer};
  EXPECT_EQ(dialogs.Send(h, DM_GETTEXT, 0, &data), 3);
  EXPECT_EQ(std::wstring(buffer), L"XYZ");
  EXPECT_EQ(dialogs.Send(h, DM_GETCHECK, 1, nullptr), 0);
  EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(dialogs.Send(h, DM_GETCONSTTEXTPTR, 2, nullptr))),
            L"long text");
  dialogs.Free(h);
  EXPECT_EQ(dialogs.Send(h, DM_GETCHECK, 1, nullptr), 0);
  EXPECT_EQ(log.failures.size(), 1u) << "a message to a freed dialog";
  EXPECT_EQ(dialogs.Init(kPlugin, &kOther, &id, -1, -1, 40, 10, nullptr, items, 3, 0, nullptr,
                         nullptr),
            INVALID_HANDLE_VALUE);
}

// --- records -----------------------------------------------------------------------------------

TEST(Far3Records, TextsWithoutAnEndAndGlobalInfosFarRefuses) {
  Log log;
  void* page = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  auto* text = static_cast<wchar_t*>(page);
  for (int i = 0; i < 2048; ++i) text[i] = L'x';
  EXPECT_EQ(PluginText(log, text, "t"), L"");
  EXPECT_EQ(log.failures.size(), 1u) << "a text that runs off its page";
  VirtualFree(page, 0, MEM_RELEASE);

  GlobalInfo g{};
  g.StructSize = sizeof g;
  g.Guid = kPlugin;
  g.Title = L"T", g.Description = L"D", g.Author = L"A";
  g.MinFarVersion = VersionInfo{3, 0, 0, 6730, VS_RELEASE};
  std::string refusal;
  CopyGlobalInfo(log, g, refusal);
  EXPECT_EQ(refusal, "");
  g.MinFarVersion.Build = 6731;
  CopyGlobalInfo(log, g, refusal);
  EXPECT_NE(refusal, "") << "a plugin for a newer FAR";
  g.MinFarVersion.Build = 2927;
  g.Author = L"";
  refusal.clear();
  CopyGlobalInfo(log, g, refusal);
  EXPECT_NE(refusal, "");
  g.Author = L"A";
  g.Guid = GUID{};
  refusal.clear();
  CopyGlobalInfo(log, g, refusal);
  EXPECT_NE(refusal, "");
}

}  // namespace
