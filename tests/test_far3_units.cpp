// White-box tests of the FAR 3 DLLs' pure helpers: the list file's encodings and line rules,
// long paths, the emptiness test on them, the settings' names and defaults through FAR 3's
// settings API, and the barrier's clean-up on the way out of a failure.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>
#include "EmptinessRules.h"
#include "Far3Barrier.h"
#include "Far3Intf.h"
#include "Far3ListFile.h"
#include "Far3Search.h"
#include "Far3Settings.h"
#include "ListRules.h"

namespace {

using Lines = std::vector<std::wstring>;

std::wstring TempDir() {
  wchar_t Path[MAX_PATH];
  GetTempPathW(MAX_PATH, Path);
  std::wstring Dir = std::wstring(Path) + L"quenby3_units_" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(Dir.c_str(), nullptr);
  return Dir + L"\\";
}

void WriteBytes(const std::wstring& Path, const std::string& Bytes) {
  HANDLE File = CreateFileW(LongPath(Path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(File, INVALID_HANDLE_VALUE);
  DWORD Written = 0;
  WriteFile(File, Bytes.data(), static_cast<DWORD>(Bytes.size()), &Written, nullptr);
  CloseHandle(File);
}

std::string Utf8(const std::wstring& Text) {
  int Size = WideCharToMultiByte(CP_UTF8, 0, Text.data(), static_cast<int>(Text.size()), nullptr, 0, nullptr, nullptr);
  std::string Bytes(static_cast<size_t>(Size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, Text.data(), static_cast<int>(Text.size()), &Bytes[0], Size, nullptr, nullptr);
  return Bytes;
}

std::string Utf16Le(const std::wstring& Text) {
  std::string Bytes = "\xFF\xFE";
  for (wchar_t C : Text) {
    Bytes += static_cast<char>(C & 0xFF);
    Bytes += static_cast<char>(C >> 8);
  }
  return Bytes;
}

Lines LinesOf(const std::wstring& Text) {
  Lines Result;
  ForEachListLine(Text, [&](const std::wstring& Line) { Result.push_back(Line); });
  return Result;
}

// "C:\Почта\*.msg,Входящие" and the same in code page 866's bytes.
const std::wstring RussianLine = L"C:\\\x041F\x043E\x0447\x0442\x0430\\*.msg,\x0412\x0445\x043E\x0434\x044F\x0449\x0438\x0435";
const std::string RussianLine866 = "C:\\\x8F\xAE\xE7\xE2\xA0\\*.msg,\x82\xE5\xAE\xA4\xEF\xE9\xA8\xA5";

}  // namespace

TEST(Far3ListFile, ByteOrderMarksDecide) {
  EXPECT_EQ(DetectListEncoding("\xEF\xBB\xBF" + Utf8(RussianLine)), TListEncoding::Utf8Bom);
  EXPECT_EQ(DecodeListText("\xEF\xBB\xBF" + Utf8(RussianLine)), RussianLine);
  EXPECT_EQ(DetectListEncoding(Utf16Le(RussianLine)), TListEncoding::Utf16Bom);
  EXPECT_EQ(DecodeListText(Utf16Le(RussianLine)), RussianLine);
  EXPECT_EQ(DecodeListText(Utf16Le(L"ab") + "c"), L"ab");  // an odd last byte is no character
  // Behind a UTF-8 BOM, bytes that are no UTF-8 stay UTF-8 (replaced), never the OEM code page.
  const std::wstring Broken = DecodeListText("\xEF\xBB\xBF" "a\x8F" "b", 866);
  EXPECT_EQ(Broken.front(), L'a');
  EXPECT_EQ(Broken.back(), L'b');
  EXPECT_EQ(Broken.find(L'\x041F'), std::wstring::npos);
  EXPECT_EQ(DecodeListText("\xEF\xBB\xBF"), L"");
  EXPECT_EQ(DecodeListText("\xFF\xFE"), L"");
}

TEST(Far3ListFile, WithoutBomValidUtf8IsUtf8AndAnythingElseTheOemCodePage) {
  EXPECT_EQ(DetectListEncoding(Utf8(RussianLine)), TListEncoding::Utf8);
  EXPECT_EQ(DecodeListText(Utf8(RussianLine), 866), RussianLine);
  // A FAR 1.x user's list, saved by FAR's editor in the OEM code page, keeps working.
  EXPECT_EQ(DetectListEncoding(RussianLine866), TListEncoding::CodePage);
  EXPECT_EQ(DecodeListText(RussianLine866, 866), RussianLine);
  // By default the code page is the system's OEM one, as Windows reads it.
  wchar_t Oem[64] = {};
  int Length = MultiByteToWideChar(CP_OEMCP, 0, RussianLine866.data(), static_cast<int>(RussianLine866.size()), Oem, 64);
  EXPECT_EQ(DecodeListText(RussianLine866), std::wstring(Oem, static_cast<size_t>(Length)));
  // Plain ASCII reads the same either way; an empty file is empty text.
  EXPECT_EQ(DetectListEncoding("C:\\Mail\\*.*,Mail"), TListEncoding::Utf8);
  EXPECT_EQ(DecodeListText(""), L"");
  // A lone lead byte, a stray continuation byte, an overlong form: no UTF-8.
  EXPECT_EQ(DetectListEncoding("a\xD0"), TListEncoding::CodePage);
  EXPECT_EQ(DetectListEncoding("a\x80z"), TListEncoding::CodePage);
  EXPECT_EQ(DetectListEncoding("\xC0\xAF"), TListEncoding::CodePage);
}

TEST(Far3ListFile, CtrlZEndsTheFileBeforeItsEncodingIsDecided) {
  // What follows Ctrl+Z is not read: its bytes cannot turn a UTF-8 list into an OEM one.
  EXPECT_EQ(DetectListEncoding(Utf8(RussianLine) + "\x1A\x8F\xAE"), TListEncoding::Utf8);
  EXPECT_EQ(DecodeListText(Utf8(RussianLine) + "\r\n\x1A\x8F\xAE", 866), RussianLine + L"\r\n");
  EXPECT_EQ(LinesOf(DecodeListText(Utf16Le(L"a\r\nb\x1A" L"c\r\n"))), (Lines{L"a", L"b"}));
}

TEST(Far3ListFile, LineRulesAreTheSharedOnes) {
  EXPECT_EQ(LinesOf(L""), Lines{L""});
  EXPECT_EQ(LinesOf(L"a\r\nb\r\n"), (Lines{L"a", L"b"}));
  EXPECT_EQ(LinesOf(L"a\rb"), (Lines{L"a", L"b"}));
  EXPECT_EQ(LinesOf(L"a\nb,c\n"), Lines{L"a\nb,c\n"});  // a bare LF is part of the line
  EXPECT_EQ(LinesOf(L"a\r\n\r\n"), (Lines{L"a", L""}));  // a blank line before the end counts
  EXPECT_EQ(LinesOf(L"a\r\r\n"), (Lines{L"a", L""}));
  EXPECT_EQ(LinesOf(L"a\x1A" L"b"), Lines{L"a"});
  EXPECT_EQ(LinesOf(L"\x1A"), Lines{L""});
}

TEST(Far3ListFile, TheLineCutterTakesTextInPiecesOfAnySize) {
  // A CR at the end of one piece and its LF at the start of the next are one line end, as the
  // FAR 1.x DLL reads its file in 64 KB blocks.
  const std::string Text = "one\r\ntwo\rthree\nstill three\r\n\r\nfive";
  for (size_t Piece = 1; Piece <= Text.size(); ++Piece) {
    TListLineCutter<std::string> Cutter;
    std::vector<std::string> Got;
    auto OnLine = [&](const std::string& Line) { Got.push_back(Line); };
    for (size_t At = 0; At < Text.size(); At += Piece)
      Cutter.Feed(Text.data() + At, std::min(Piece, Text.size() - At), OnLine);
    Cutter.Finish(OnLine);
    EXPECT_EQ(Got, (std::vector<std::string>{"one", "two", "three\nstill three", "", "five"}))
        << "pieces of " << Piece;
  }
  TListLineCutter<std::wstring> Ended;
  EXPECT_FALSE(Ended.Feed(L"a\x1A" L"b", 3, [](const std::wstring&) {}));
  EXPECT_TRUE(Ended.Ended());
}

TEST(Far3ListFile, TheLastCommaSplits) {
  auto Split = [](const std::wstring& Line) {
    TListEntry E = SplitListLine(Line);
    return E.Folder + L"|" + E.Description;
  };
  EXPECT_EQ(Split(L"C:\\a,b\\*.txt,Notes"), L"C:\\a,b\\*.txt|Notes");
  EXPECT_EQ(Split(L"C:\\Temp\\*.*"), L"C:\\Temp\\*.*|C:\\Temp\\*.*");
  EXPECT_EQ(Split(L"C:\\Mail,"), L"C:\\Mail|");
  EXPECT_EQ(Split(L",only"), L"|only");
  EXPECT_EQ(Split(L""), L"|");
  EXPECT_EQ(Split(RussianLine), L"C:\\\x041F\x043E\x0447\x0442\x0430\\*.msg|\x0412\x0445\x043E\x0434\x044F\x0449\x0438\x0435");
}

TEST(Far3Paths, PartsOfAPath) {
  EXPECT_EQ(DirectoryPart(L"C:\\Mail\\*.msg"), L"C:\\Mail\\");
  EXPECT_EQ(DirectoryPart(L"C:*.txt"), L"C:");
  EXPECT_EQ(DirectoryPart(L"*.msg"), L"");
  EXPECT_EQ(WithoutLastName(L"C:\\Mail\\*.msg"), L"C:\\Mail");
  EXPECT_EQ(WithoutLastName(L"Mail"), L"Mail");
  EXPECT_EQ(NameAfterPath(L"C:\\Mail\\In\\msg001.txt"), L"msg001.txt");
  EXPECT_EQ(NameAfterPath(L"D:in??.eml"), L"in??.eml");
  EXPECT_EQ(NameAfterPath(L".."), L"..");
}

TEST(Far3Paths, LongPathsTakeThePrefixOnlyWhereWin32NeedsIt) {
  const std::wstring Long = L"C:\\" + std::wstring(300, L'a');
  EXPECT_EQ(LongPath(Long), L"\\\\?\\" + Long);
  EXPECT_EQ(LongPath(L"\\\\server\\share\\" + std::wstring(300, L'b')),
            L"\\\\?\\UNC\\server\\share\\" + std::wstring(300, L'b'));
  EXPECT_EQ(LongPath(L"C:\\Mail\\*.msg"), L"C:\\Mail\\*.msg");
  EXPECT_EQ(LongPath(std::wstring(300, L'r')), std::wstring(300, L'r'));  // relative: as it is
  EXPECT_EQ(LongPath(L"\\\\?\\" + Long), L"\\\\?\\" + Long);
}

TEST(Far3Paths, ListsAndEntriesBeyondMaxPathWork) {
  // A folder 340 characters deep, a file in it, and the list file beside that file.
  std::wstring Folder = TempDir() + L"long";
  CreateDirectoryW(Folder.c_str(), nullptr);
  for (wchar_t Part = L'a'; Part < L'g'; ++Part) {
    Folder += L"\\" + std::wstring(50, Part);
    CreateDirectoryW(LongPath(Folder).c_str(), nullptr);
  }
  ASSERT_GT(Folder.size(), 300u);
  ASSERT_TRUE(IsFolder(Folder));
  WriteBytes(Folder + L"\\new.msg", "x");
  const std::wstring Mask = Folder + L"\\*.msg";
  EXPECT_FALSE(IsEmptyFolder(Mask));
  EXPECT_TRUE(FileExists(Folder + L"\\new.msg"));
  EXPECT_TRUE(IsEmptyFolder(Folder + L"\\*.txt"));
  EXPECT_NE(LookupFindData(Folder).dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);

  const std::wstring Line = Mask + L"," + std::wstring(4000, L'd');  // no line is too long
  const std::wstring List = Folder + L"\\list.vfs";
  WriteBytes(List, "\xEF\xBB\xBF" + Utf8(Line) + "\r\n");
  std::string Bytes;
  TFailure Failure{};
  ASSERT_TRUE(ReadListFileBytes(List, Bytes, Failure));
  EXPECT_EQ(Failure.ClassName, nullptr);
  const Lines Got = LinesOf(DecodeListText(Bytes));
  ASSERT_EQ(Got.size(), 1u);
  EXPECT_EQ(Got[0], Line);
  EXPECT_EQ(SplitListLine(Got[0]).Folder, Mask);
}

TEST(Far3ListFile, AListThatCannotBeReadIsAnInOutFailure) {
  std::string Bytes = "left over";
  TFailure Failure{};
  const std::wstring Missing = TempDir() + L"missing.vfs";
  EXPECT_FALSE(ReadListFileBytes(Missing, Bytes, Failure));
  EXPECT_STREQ(Failure.ClassName, "EInOutError");
  EXPECT_NE(std::wstring(Failure.Message).find(Missing), std::wstring::npos);
  EXPECT_NE(std::wstring(Failure.Message).find(L"(I/O error 2)"), std::wstring::npos);
  EXPECT_TRUE(Bytes.empty());
}

TEST(Far3Emptiness, TheSharedRulesOfOneEntry) {
  EXPECT_TRUE(IsDotsName(L"."));
  EXPECT_TRUE(IsDotsName(L".."));
  EXPECT_FALSE(IsDotsName(L"..."));
  EXPECT_FALSE(IsDotsName(".a"));
  EXPECT_TRUE(FolderCounts(FILE_ATTRIBUTE_DIRECTORY, 1));
  EXPECT_FALSE(FolderCounts(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE, 1));
  EXPECT_FALSE(FolderCounts(FILE_ATTRIBUTE_DIRECTORY, 2));  // flags count only as exactly 1
  EXPECT_TRUE(MayNameDevice(L"CON.txt", 3));
  EXPECT_TRUE(MayNameDevice("com1", 4));
  EXPECT_FALSE(MayNameDevice(L"conf.txt", 8));
  EXPECT_FALSE(MayNameDevice(L"contents", 8));
  FILETIME Old, Now;
  SYSTEMTIME Year1975 = {1975, 6, 0, 1, 12, 0, 0, 0};
  SystemTimeToFileTime(&Year1975, &Old);
  GetSystemTimeAsFileTime(&Now);
  EXPECT_FALSE(IsExistingFileEntry(FILE_ATTRIBUTE_ARCHIVE, Old));
  EXPECT_TRUE(IsExistingFileEntry(FILE_ATTRIBUTE_ARCHIVE, Now));
  EXPECT_FALSE(IsExistingFileEntry(FILE_ATTRIBUTE_DIRECTORY, Now));
}

namespace {

// FAR 3's settings of the plugin, as SettingsControl keeps them for the tests. As FAR's SQLite
// store, a read does not check the stored type: a number reads as its decimal text, a text as
// the number its leading digits make.
struct TStoredValue {
  FARSETTINGSTYPES Type;
  unsigned long long Number;
  std::wstring Text;
};
std::map<std::wstring, TStoredValue> Stored;
GUID Owner;

intptr_t WINAPI TestSettingsControl(HANDLE Handle, FAR_SETTINGS_CONTROL_COMMANDS Command, intptr_t,
                                    void* Param2) {
  switch (Command) {
    case SCTL_CREATE:
      Owner = static_cast<FarSettingsCreate*>(Param2)->Guid;
      static_cast<FarSettingsCreate*>(Param2)->Handle = reinterpret_cast<HANDLE>(7);
      return TRUE;
    case SCTL_FREE:
      return Handle == reinterpret_cast<HANDLE>(7);
    case SCTL_SET: {
      auto* Item = static_cast<FarSettingsItem*>(Param2);
      Stored[Item->Name] = {Item->Type, Item->Type == FST_QWORD ? Item->Number : 0,
                            Item->Type == FST_STRING ? Item->String : L""};
      return TRUE;
    }
    case SCTL_GET: {
      auto* Item = static_cast<FarSettingsItem*>(Param2);
      auto Found = Stored.find(Item->Name);
      if (Found == Stored.end()) return FALSE;
      TStoredValue& Value = Found->second;
      if (Value.Type == FST_QWORD) Value.Text = std::to_wstring(static_cast<long long>(Value.Number));
      if (Item->Type == FST_QWORD)
        Item->Number = Value.Type == FST_QWORD ? Value.Number : wcstoull(Value.Text.c_str(), nullptr, 10);
      if (Item->Type == FST_STRING) Item->String = Value.Text.c_str();
      return TRUE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

TEST(Far3Settings, TheNineValuesKeepTheirNamesAndDefaults) {
  StartupInfo.SettingsControl = TestSettingsControl;
  Stored.clear();
  LoadSettings();  // nothing stored: the defaults
  EXPECT_EQ(Settings.AddToDisksMenu, 1);
  EXPECT_EQ(Settings.DisksMenuDigit, 1);
  EXPECT_EQ(Settings.FileSystemFile, L"");
  EXPECT_EQ(Settings.FileSystemExt, L"");
  EXPECT_EQ(Settings.ShowAllFiles, 0);
  EXPECT_EQ(Settings.ShowAllFolders, 0);
  EXPECT_EQ(Settings.AutoExit, 1);
  EXPECT_EQ(Settings.AutoExitPlugin, 1);
  EXPECT_EQ(Settings.TreatFolderAsFile, 0);
  EXPECT_TRUE(Stored.empty());  // loading writes nothing

  Settings.FileSystemFile = L"C:\\" + std::wstring(400, L'p') + L"\\LIST.VFS";  // no length limit
  Settings.FileSystemExt = L"VFS";
  Settings.AutoExit = 0;
  Settings.ShowAllFolders = 2;  // kept as it is, and off wherever it is tested
  SaveSettings();
  EXPECT_TRUE(IsEqualGUID(Owner, PluginGuid));
  const std::vector<std::wstring> Names = {L"AddToDisksMenu", L"DisksMenuDigit", L"FileSystemFile",
      L"FileSystemExt", L"ShowAllFiles", L"ShowAllFolders", L"AutoExit", L"AutoExitPlugin",
      L"TreatFolderAsFile"};
  ASSERT_EQ(Stored.size(), Names.size());
  for (const std::wstring& Name : Names) {
    ASSERT_EQ(Stored.count(Name), 1u) << std::string(Name.begin(), Name.end());
    const bool Text = Name == L"FileSystemFile" || Name == L"FileSystemExt";
    EXPECT_EQ(Stored[Name].Type, Text ? FST_STRING : FST_QWORD);
  }
  EXPECT_EQ(Stored[L"AutoExit"].Number, 0u);
  EXPECT_EQ(Stored[L"ShowAllFolders"].Number, 2u);

  Stored[L"FileSystemExt"].Text = L"LONGER";  // written by hand: the extension keeps 3 letters
  ResetSettings();
  LoadSettings();
  EXPECT_EQ(Settings.FileSystemFile.size(), 3u + 400u + 9u);
  EXPECT_EQ(Settings.FileSystemExt, L"LON");
  EXPECT_EQ(Settings.AutoExit, 0);
  EXPECT_EQ(Settings.ShowAllFolders, 2);
  EXPECT_EQ(SettingTextLimit(&TSettings::FileSystemExt), 3u);

  // A flag stored by hand as a text that is no number keeps its default; "12abc" is no number
  // either, though FAR reads it as 12.
  Stored[L"AutoExit"] = {FST_STRING, 0, L"abc"};
  Stored[L"AutoExitPlugin"] = {FST_STRING, 0, L"12abc"};
  Stored[L"TreatFolderAsFile"] = {FST_STRING, 0, L"1"};
  LoadSettings();
  EXPECT_EQ(Settings.AutoExit, 1);
  EXPECT_EQ(Settings.AutoExitPlugin, 1);
  EXPECT_EQ(Settings.TreatFolderAsFile, 1);
  EXPECT_EQ(SettingTextLimit(&TSettings::FileSystemFile), std::wstring::npos);
  StartupInfo.SettingsControl = nullptr;
}

TEST(Far3Barrier, AFailureOnTheWayOutRunsTheCleanUpAndReachesTheBarrier) {
  int CleanUps = 0;
  TFailure Caught{};
  EXPECT_FALSE(RunGuarded([](void* C) {
    RunWithCleanup([] { RaiseFailure("EOutOfMemory", "Out of memory", nullptr); },
                   [C] { ++*static_cast<int*>(C); });
  }, &CleanUps, Caught));
  EXPECT_EQ(CleanUps, 1);
  EXPECT_STREQ(Caught.ClassName, "EOutOfMemory");
  EXPECT_STREQ(Caught.Message, L"Out of memory");
  // A fault inside is raised again as the plugin's own failure, with the fault's description.
  EXPECT_FALSE(RunGuarded([](void* C) {
    RunWithCleanup([] { *static_cast<volatile int*>(nullptr) = 1; }, [C] { ++*static_cast<int*>(C); });
  }, &CleanUps, Caught));
  EXPECT_EQ(CleanUps, 2);
  EXPECT_NE(Caught.ClassName, nullptr);
  // Work that ends normally runs no clean-up.
  EXPECT_TRUE(RunGuarded([](void* C) { RunWithCleanup([] {}, [C] { ++*static_cast<int*>(C); }); },
                         &CleanUps, Caught));
  EXPECT_EQ(CleanUps, 2);
}

TEST(Far3Barrier, TheExceptionBoxTextIsCutAtEverySentence) {
  TFailure E{"EInOutError", L"", nullptr};
  wcscpy(E.Message, L"First. Second. Third");
  TExceptionText Text;
  ComposeExceptionText(E, Text);
  const wchar_t* Pieces[MaxExceptionPieces];
  const int Count = CutExceptionText(Text, Pieces);
  ASSERT_EQ(Count, 4);
  EXPECT_NE(std::wstring(Pieces[0]).find(L"EInOutError"), std::wstring::npos);
  EXPECT_STREQ(Pieces[1], L"First");
  EXPECT_STREQ(Pieces[2], L"Second");
  EXPECT_STREQ(Pieces[3], L"Third.");
}

namespace {

__attribute__((noinline)) int Deeper(int Depth) {
  volatile char Frame[512];
  Frame[0] = static_cast<char>(Depth);
  return Deeper(Depth + 1) + Frame[0];
}

// Under an emulated x86 (qemu-user) Wine reports a write into a read-only page with another code
// than an access violation, and a stack overflow ends the emulator itself.
bool FaultsAreNative() {
  void* Page = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READONLY);
  TFailure Caught{};
  RunGuarded([](void* P) { *static_cast<volatile char*>(P) = 1; }, Page, Caught);
  VirtualFree(Page, 0, MEM_RELEASE);
  return Caught.ClassName && std::string(Caught.ClassName) == "EAccessViolation";
}

}  // namespace

TEST(Far3Barrier, TwoStackOverflowsInARowAreCaughtAndTheGuardPageComesBack) {
  if (!FaultsAreNative()) GTEST_SKIP() << "x86 is emulated here: a stack overflow ends qemu";
  for (int Round = 0; Round < 2; ++Round) {
    TFailure Caught{};
    EXPECT_FALSE(RunGuarded([](void*) { Deeper(0); }, nullptr, Caught)) << "round " << Round;
    ASSERT_NE(Caught.ClassName, nullptr);
  }
  TFailure Caught{};
  EXPECT_TRUE(RunGuarded([](void*) {}, nullptr, Caught));  // the barrier works on afterwards
}

namespace {

std::string ReadAll(const std::string& Path) {
  std::string Bytes;
  HANDLE File = CreateFileA(Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (File == INVALID_HANDLE_VALUE) return Bytes;
  char Buffer[4096];
  DWORD Got = 0;
  while (ReadFile(File, Buffer, sizeof(Buffer), &Got, nullptr) && Got) Bytes.append(Buffer, Got);
  CloseHandle(File);
  return Bytes;
}

std::wstring Wide(UINT CodePage, const std::string& Bytes) {
  std::wstring Text(Bytes.size(), L'\0');
  int Length = MultiByteToWideChar(CodePage, MB_ERR_INVALID_CHARS, Bytes.data(), static_cast<int>(Bytes.size()), &Text[0], static_cast<int>(Text.size()));
  Text.resize(Length > 0 ? static_cast<size_t>(Length) : 0);
  return Text;
}

}  // namespace

// The FAR 3 DLLs show the FAR 1.x DLL's texts: their language files are made from the same files
// at build time, in UTF-8 with a BOM as FAR 3 reads them.
TEST(Far3Texts, LanguageFilesAreTheFar1OnesInUtf8) {
  for (const char* Arch : {"x64", "x86"}) {
    for (const char* Name : {"QuenbyEng.lng", "QuenbyRus.lng"}) {
      const std::string Far1 = ReadAll(std::string(QUENBY_SOURCE_DIR) + "\\plugin\\" + Name);
      const std::string Far3 = ReadAll(std::string(QUENBY_BUILD_DIR) + "\\plugin3-" + Arch + "\\" + Name);
      ASSERT_FALSE(Far1.empty()) << Name;
      ASSERT_EQ(Far3.compare(0, 3, "\xEF\xBB\xBF"), 0) << Arch << " " << Name;
      const std::wstring Text = Wide(CP_UTF8, Far3.substr(3));
      EXPECT_EQ(Text, Wide(866, Far1)) << Arch << " " << Name;
      EXPECT_NE(Text.find(L"\"Quenby\""), std::wstring::npos);
    }
  }
}

TEST(Far3Texts, HelpFilesHoldEveryTopicTheDllsNameAndSayWhereSettingsLive) {
  for (const char* Name : {"QuenbyEng.hlf", "QuenbyRus.hlf"}) {
    const std::string Bytes = ReadAll(std::string(QUENBY_SOURCE_DIR) + "\\plugin\\far3\\" + Name);
    ASSERT_EQ(Bytes.compare(0, 3, "\xEF\xBB\xBF"), 0) << Name;
    const std::wstring Text = Wide(CP_UTF8, Bytes.substr(3));
    ASSERT_FALSE(Text.empty()) << Name << " is no UTF-8";
    for (const wchar_t* Topic : {L"@Contents", L"@QuenbyCfg", L"@VFSNotExist", L"@Exception",
                                 L"@Author", L"@VerInfNotExist"}) {
      const size_t At = Text.find(std::wstring(L"\n") + Topic);
      const size_t End = At == std::wstring::npos ? At : At + 1 + wcslen(Topic);
      EXPECT_TRUE(End < Text.size() && (Text[End] == L'\r' || Text[End] == L'\n'))
          << Name << " " << std::string(Topic, Topic + wcslen(Topic));
    }
    // FAR 3 keeps no plugin settings in the registry, and its disks menu has no digits.
    EXPECT_EQ(Text.find(L"registry"), std::wstring::npos) << Name;
    EXPECT_EQ(Text.find(L"\x0440\x0435\x0435\x0441\x0442\x0440"), std::wstring::npos) << Name;  // "реестр"
    EXPECT_EQ(Text.find(L"digit"), std::wstring::npos) << Name;
  }
}
