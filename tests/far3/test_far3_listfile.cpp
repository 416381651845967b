// The list file in FAR 3: a BOM decides (UTF-8, UTF-16 LE), text without one is UTF-8 when it is
// valid UTF-8 and the OEM code page otherwise (a FAR 1.x user's list with Russian names), and a
// path of 260 characters or more is listed and entered like any other.
#include "Far3TestWorld.h"

namespace {

using namespace far3test;

class ListFile : public PluginTest {
 protected:
  // Folders Почта (with письмо.msg) and Mail (with a.msg); a list naming them written by `encode`.
  void Check(const std::function<std::string(const std::wstring&)>& encode, const char* what) {
    dir->Write(L"\x041F\x043E\x0447\x0442\x0430\\\x043F\x0438\x0441\x044C\x043C\x043E.msg", "p");
    dir->Write(L"Mail\\a.msg", "a");
    const std::wstring text = Entry(L"\x041F\x043E\x0447\x0442\x0430\\*.msg") + L",\x041F\x0438\x0441\x044C\x043C\x0430\r\n" +
                              Entry(L"Mail\\*.msg") + L",Mail\r\n";
    list = dir->Write(L"LIST.VFS", encode(text));
    if (!host->IsLoaded()) Start([&](Far3Host& h) { PresetText(h, L"FileSystemFile", list); });
    Far3PluginPanel* p = Open();
    ASSERT_NE(p, nullptr) << what;
    EXPECT_EQ(ItemNames(*p), (std::vector<std::wstring>{Entry(L"\x041F\x043E\x0447\x0442\x0430\\*.msg"),
                                                       Entry(L"Mail\\*.msg")}))
        << what;
    if (p->items.size() == 3) EXPECT_EQ(p->items[1].description, L"\x041F\x0438\x0441\x044C\x043C\x0430") << what;
    ASSERT_TRUE(p->CloseTo(dir->path()));
  }
};

std::string Utf8(const std::wstring& s) { return U8(s); }

TEST_F(ListFile, Utf8WithAndWithoutBom) {
  Check([](const std::wstring& t) { return "\xEF\xBB\xBF" + Utf8(t); }, "UTF-8 with a BOM");
  Check([](const std::wstring& t) { return Utf8(t); }, "UTF-8 without a BOM");
}

TEST_F(ListFile, Utf16LittleEndian) {
  Check(
      [](const std::wstring& t) {
        std::string bytes = "\xFF\xFE";
        for (wchar_t c : t) {
          bytes.push_back(static_cast<char>(c & 0xFF));
          bytes.push_back(static_cast<char>(c >> 8));
        }
        return bytes;
      },
      "UTF-16 LE");
}

TEST_F(ListFile, OemWithRussianNames) {
  if (GetOEMCP() != 866) GTEST_SKIP() << "the OEM code page is " << GetOEMCP() << ", not 866";
  Check(
      [](const std::wstring& t) {
        char oem[1024];
        const int n = WideCharToMultiByte(866, 0, t.data(), static_cast<int>(t.size()), oem,
                                          sizeof oem, nullptr, nullptr);
        return std::string(oem, static_cast<std::size_t>(n));
      },
      "OEM 866");
}

TEST_F(ListFile, APathOf260CharactersOrMore) {
  std::wstring deep = L"D";
  while ((dir->path() + L"\\" + deep).size() < 280) deep += L"\\" + std::wstring(40, L'd');
  const std::wstring folder = dir->path() + L"\\" + deep;
  std::wstring made = L"\\\\?\\" + dir->path();
  for (std::size_t start = 0; start <= deep.size();) {
    const std::size_t slash = deep.find(L'\\', start);
    made = L"\\\\?\\" + dir->path() + L"\\" + deep.substr(0, slash);
    CreateDirectoryW(made.c_str(), nullptr);
    if (slash == std::wstring::npos) break;
    start = slash + 1;
  }
  HANDLE f = CreateFileW((L"\\\\?\\" + folder + L"\\deep.msg").c_str(), GENERIC_WRITE, 0, nullptr,
                         CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE) << "cannot make a path this long here";
  CloseHandle(f);
  dir->Write(L"Mail\\a.msg", "a");
  list = dir->Write(L"LIST.VFS", "\xEF\xBB\xBF" + U8(folder) + "\\*.msg,Deep\r\n" +
                                     U8(Entry(L"Mail\\*.msg")) + ",Mail\r\n");
  Start([&](Far3Host& h) { PresetText(h, L"FileSystemFile", list); });
  Far3PluginPanel* p = Open();
  ASSERT_NE(p, nullptr);
  ASSERT_GE(folder.size(), 260u);
  EXPECT_EQ(ItemNames(*p), (std::vector<std::wstring>{folder + L"\\*.msg", Entry(L"Mail\\*.msg")}))
      << "no line is left out for its length";
  EnterItem(p, folder + L"\\*.msg");
  EXPECT_EQ(ItemNames(*p), std::vector<std::wstring>{folder + L"\\deep.msg"});
}

}  // namespace
