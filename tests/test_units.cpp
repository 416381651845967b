// White-box tests of the plugin's pure helpers: line splitting and reading, paths, the
// exception box text, the fault barrier, the language files and the dialog table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <fstream>
#include <string>
#include <vector>
#include "Barrier.h"
#include "Config.h"
#include "FARIntf.h"
#include "FARLang.h"
#include "VersionInfo.h"
#include "nbumail.h"

namespace {

std::string TempDir() {
  char Path[MAX_PATH];
  GetTempPathA(MAX_PATH, Path);
  std::string Dir = std::string(Path) + "quenby_units_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(Dir.c_str(), nullptr);
  return Dir + "\\";
}

std::string WriteFile(const std::string& Name, const std::string& Bytes) {
  std::string Path = TempDir() + Name;
  std::ofstream(Path, std::ios::binary) << Bytes;
  return Path;
}

std::vector<std::string> ReadLines(const std::string& Bytes) {
  std::vector<std::string> Lines;
  TCaughtException Failure{};
  EXPECT_TRUE(ReadListFile(WriteFile("list.vfs", Bytes),
                           [&](const std::string& L) { Lines.push_back(L); }, Failure));
  return Lines;
}

// A caught exception with a message of any length (cut to the record's buffer).
TCaughtException Caught(const char* ClassName, const std::string& Message, const void* Address) {
  TCaughtException E{ClassName, "", Address};
  Message.copy(E.Message, sizeof(E.Message) - 1);
  return E;
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(ListFile, LineEndsFollowTheTextFileRules) {
  EXPECT_EQ(ReadLines(""), Lines{""});
  EXPECT_EQ(ReadLines("a\r\nb\r\n"), (Lines{"a", "b"}));
  EXPECT_EQ(ReadLines("a\rb"), (Lines{"a", "b"}));
  EXPECT_EQ(ReadLines("a\nb,c\n"), Lines{"a\nb,c\n"});  // bare LF is part of the line
  EXPECT_EQ(ReadLines("a\r\n\r\n"), (Lines{"a", ""}));   // a blank line before the end counts
  EXPECT_EQ(ReadLines("a\r\n\x1A" "b\r\n"), Lines{"a"});
  EXPECT_EQ(ReadLines("a\x1A" "b"), Lines{"a"});
  EXPECT_EQ(ReadLines("\r\n"), Lines{""});
  EXPECT_EQ(ReadLines("x\r\r\ny"), (Lines{"x", "", "y"}));
  std::string Long(200000, 'q');
  EXPECT_EQ(ReadLines(Long + "\r\n" + Long), (Lines{Long, Long}));
}

TEST(ListFile, MissingFileFailsWithAnInOutErrorAndTheSystemCode) {
  TCaughtException E{};
  EXPECT_FALSE(ReadListFile(TempDir() + "no-such-file.vfs", [](const std::string&) {}, E));
  EXPECT_STREQ(E.ClassName, "EInOutError");
  const std::string Message = E.Message;
  EXPECT_NE(Message.find("no-such-file.vfs"), std::string::npos) << Message;
  EXPECT_NE(Message.find("(I/O error 2)"), std::string::npos) << Message;  // ERROR_FILE_NOT_FOUND
}

TEST(ListFile, SplitsAtTheLastComma) {
  TFileSystemFile E = SplitListLine("C:\\Mail\\*.msg,Inbox");
  EXPECT_EQ(E.Folder, "C:\\Mail\\*.msg");
  EXPECT_EQ(E.Description, "Inbox");
  E = SplitListLine("a,b,c");
  EXPECT_EQ(E.Folder, "a,b");
  EXPECT_EQ(E.Description, "c");
  E = SplitListLine("C:\\Temp\\*.*");
  EXPECT_EQ(E.Folder, "C:\\Temp\\*.*");
  EXPECT_EQ(E.Description, "C:\\Temp\\*.*");
  E = SplitListLine("x,");
  EXPECT_EQ(E.Folder, "x");
  EXPECT_EQ(E.Description, "");
  E = SplitListLine(",only");
  EXPECT_EQ(E.Folder, "");
  EXPECT_EQ(E.Description, "only");
  E = SplitListLine(" a , b ");
  EXPECT_EQ(E.Folder, " a ");
  EXPECT_EQ(E.Description, " b ");
}

TEST(Paths, DirectoryPartAndParent) {
  EXPECT_EQ(DirectoryPart("C:\\Mail\\*.msg"), "C:\\Mail\\");
  EXPECT_EQ(DirectoryPart("C:*.txt"), "C:");
  EXPECT_EQ(DirectoryPart("msg??.txt"), "");
  EXPECT_EQ(DirectoryPart("C:\\a:b\\c"), "C:\\a:b\\");
  EXPECT_EQ(WithoutLastName("C:\\Mail\\*.msg"), "C:\\Mail");
  EXPECT_EQ(WithoutLastName("C:\\Mail\\"), "C:\\Mail");
  EXPECT_EQ(WithoutLastName("*.msg"), "*.msg");
}

TEST(Blocks, TextFillsOrEndsAtZero) {
  char Ext[3];
  SetBlockText(Ext, sizeof(Ext), "VFSX");
  EXPECT_EQ(std::string(Ext, 3), "VFS");
  EXPECT_EQ(BlockText(Ext, 3), "VFS");
  memset(Ext, 'z', 3);
  SetBlockText(Ext, sizeof(Ext), "ab");
  EXPECT_EQ(std::string(Ext, 3), std::string("ab\0", 3));
  EXPECT_EQ(BlockText(Ext, 3), "ab");
}

namespace {
std::string Utf8ToOem(const char* Utf8) {
  wchar_t Wide[256];
  int N = MultiByteToWideChar(CP_UTF8, 0, Utf8, -1, Wide, 256);
  char Oem[256];
  WideCharToMultiByte(866, 0, Wide, N, Oem, sizeof(Oem), nullptr, nullptr);
  return Oem;
}
}  // namespace

TEST(ExceptionBox, TitleIsTheFirstSentenceAndTheMessageFollows) {
  ModuleFileName = "Z:\\far\\Plugins\\Quenby\\quenby.dll";
  std::vector<std::string> L =
      ExceptionBoxLines(TCaughtException{"EInOutError", "I/O error 32", nullptr});
  ASSERT_EQ(L.size(), 2u);
  EXPECT_EQ(L[0], Utf8ToOem("Исключительная ситуация EInOutError в модуле quenby.dll по адресу "
                            "00000000"));
  EXPECT_EQ(L[1], "I/O error 32.");

  L = ExceptionBoxLines(TCaughtException{"E", "One. Two. Three", nullptr});
  ASSERT_EQ(L.size(), 4u);
  EXPECT_EQ(L[1], "One");
  EXPECT_EQ(L[2], "Two");
  EXPECT_EQ(L[3], "Three.");

  // A message that ends in a dot gets none added; line feeds become blanks and cut too.
  L = ExceptionBoxLines(TCaughtException{"E", "First.\nSecond.", nullptr});
  ASSERT_EQ(L.size(), 3u);
  EXPECT_EQ(L[1], "First");
  EXPECT_EQ(L[2], "Second.");

  // An empty message leaves an empty last piece after the title's dot.
  L = ExceptionBoxLines(TCaughtException{"E", "", nullptr});
  ASSERT_EQ(L.size(), 2u);
  EXPECT_EQ(L[1], "");
}

TEST(ExceptionBox, AddressesAreShownAgainstTheirModule) {
  ModuleFileName = "Z:\\x\\quenby.dll";
  // An address inside this test program's image is shown relative to its base.
  HMODULE Self = GetModuleHandleA(nullptr);
  const char* Inside = reinterpret_cast<const char*>(Self) + 0x1234;
  std::vector<std::string> L = ExceptionBoxLines(TCaughtException{"E", "m", Inside});
  EXPECT_NE(L[0].find(" test_units.exe "), std::string::npos) << L[0];
  EXPECT_NE(L[0].find("00001234"), std::string::npos) << L[0];
  // An address in no module is shown against the plugin, less 0x1000.
  L = ExceptionBoxLines(TCaughtException{"E", "m", reinterpret_cast<void*>(0x00005678)});
  EXPECT_NE(L[0].find(" quenby.dll "), std::string::npos) << L[0];
  EXPECT_NE(L[0].find("00004678"), std::string::npos) << L[0];
}

TEST(ExceptionBox, ManySentencesStayWithinFarsItemLimit) {
  std::string Message;
  for (int I = 1; I <= 30; ++I) Message += "Sentence " + std::to_string(I) + ". ";
  Message += "End";
  std::vector<std::string> L = ExceptionBoxLines(Caught("E", Message, nullptr));
  ASSERT_EQ(L.size() + 1, static_cast<size_t>(MaxMessageItems));  // + the button
  EXPECT_EQ(L[1], "Sentence 1");
  // Nothing is lost: the surplus is joined into the last line.
  EXPECT_EQ(L.back().rfind("Sentence 11. Sentence 12. ", 0), 0u) << L.back();
  EXPECT_NE(L.back().find("Sentence 30. End."), std::string::npos);
  // A text longer than the 1023-character buffer is cut, never overrun.
  L = ExceptionBoxLines(Caught("E", std::string(5000, 'x'), nullptr));
  size_t Total = 0;
  for (const std::string& P : L) Total += P.size();
  EXPECT_LE(Total, 1023u);
}

namespace {
volatile int Zero = 0, Sink;
int* volatile NullPointer = nullptr;
__attribute__((noinline)) void ReadNull(void*) { Sink = *NullPointer; }
__attribute__((noinline)) void Divide(void*) { Sink = 100 / Zero; }
__attribute__((noinline)) void WriteReadOnly(void*) {
  static const int Constant = 5;
  *const_cast<volatile int*>(&Constant) = 6;
}
// A failure that travels as a value: the work reaches the barrier's record through its context.
__attribute__((noinline)) void FailWithValue(void* C) {
  TCaughtException& Failure = *static_cast<TCaughtException*>(C);
  Failure.ClassName = "EInOutError";
  strcpy(Failure.Message, "Access denied");
}
__attribute__((noinline)) void RaiseOwn(void*) {
  RaiseFailure("EOutOfMemory", "Out of memory", nullptr);
}
__attribute__((noinline)) void NoFault(void* C) { ++*static_cast<int*>(C); }
// A fault inside a system call that handles it itself must not reach the barrier.
__attribute__((noinline)) void SystemHandlesItself(void* C) {
  *static_cast<int*>(C) = IsBadReadPtr(nullptr, 4);
}
}  // namespace

// Under an emulated x86 (qemu-user), Wine cannot tell fault kinds apart and reports other
// codes; the barrier must catch them all the same, but the class name then differs.
bool FaultCodesAreReliable() {
  TCaughtException E{};
  RunGuarded(ReadNull, nullptr, E);
  return strcmp(E.ClassName, "EAccessViolation") == 0;
}

TEST(Barrier, CatchesProcessorFaults) {
  const bool Exact = FaultCodesAreReliable();
  TCaughtException E{};
  EXPECT_FALSE(RunGuarded(ReadNull, nullptr, E));
  if (Exact)
    EXPECT_NE(std::string(E.Message).find("read of address 00000000"), std::string::npos)
        << E.Message;
  const char* Code = reinterpret_cast<const char*>(ReadNull);
  EXPECT_TRUE(E.Address >= Code && E.Address < Code + 64) << "the fault address is the instruction";

  E = TCaughtException{};
  EXPECT_FALSE(RunGuarded(Divide, nullptr, E));
  if (Exact) EXPECT_STREQ(E.ClassName, "EDivByZero");
  EXPECT_EQ(E.ClassName[0], 'E');

  E = TCaughtException{};
  EXPECT_FALSE(RunGuarded(WriteReadOnly, nullptr, E));
  if (Exact) {
    EXPECT_STREQ(E.ClassName, "EAccessViolation");
    EXPECT_NE(std::string(E.Message).find("write of"), std::string::npos) << E.Message;
  }
  EXPECT_NE(E.Message[0], 0);
}

TEST(Barrier, CatchesFailureValuesAndThePluginsOwnExceptions) {
  TCaughtException E{};
  EXPECT_FALSE(RunGuarded(FailWithValue, &E, E));
  EXPECT_STREQ(E.ClassName, "EInOutError");
  EXPECT_STREQ(E.Message, "Access denied");
  EXPECT_EQ(E.Address, reinterpret_cast<const void*>(FailWithValue)) << "the work's own address";
  EXPECT_FALSE(RunGuarded(RaiseOwn, nullptr, E));
  EXPECT_STREQ(E.ClassName, "EOutOfMemory");
  EXPECT_STREQ(E.Message, "Out of memory");
  int Count = 0;
  EXPECT_TRUE(RunGuarded(NoFault, &Count, E));
  EXPECT_EQ(E.ClassName, nullptr);
  EXPECT_EQ(Count, 1);
}

// What a failure must not leave behind is cleaned up when the barrier unwinds past its scope,
// and only then.
TEST(Barrier, RunsTheCleanupOfAScopeThatAFaultLeaves) {
  struct Work {
    static void Count(void* C) { ++*static_cast<int*>(C); }
    static void FaultInScope(void* C) {
      TUnwindCleanup Cleanup(Count, C);
      ReadNull(nullptr);
    }
    static void LeaveScope(void* C) { TUnwindCleanup Cleanup(Count, C); }
  };
  TCaughtException E{};
  int Cleaned = 0;
  EXPECT_FALSE(RunGuarded(Work::FaultInScope, &Cleaned, E));
  EXPECT_EQ(Cleaned, 1);
  EXPECT_TRUE(RunGuarded(Work::LeaveScope, &Cleaned, E));
  EXPECT_EQ(Cleaned, 1);
  EXPECT_FALSE(RunGuarded(ReadNull, nullptr, E)) << "the chain of records is whole again";
}

TEST(Barrier, LeavesFaultsThatTheSystemHandlesToTheSystem) {
  TCaughtException E{};
  int Result = 0;
  EXPECT_TRUE(RunGuarded(SystemHandlesItself, &Result, E));
  EXPECT_EQ(Result, 1);
}

TEST(Barrier, ComesBackToTheSameStackFaultAfterFault) {
  TCaughtException E{};
  volatile char Marker;
  const char* Before = const_cast<const char*>(&Marker);
  int Count = 0;
  for (int I = 0; I < 5000; ++I) {
    RunGuarded(I % 2 ? ReadNull : Divide, nullptr, E);
    RunGuarded(NoFault, &Count, E);
    volatile char After;
    ASSERT_LE(std::abs(const_cast<const char*>(&After) - Before), 256);
  }
  EXPECT_EQ(Count, 5000);
}

TEST(Barrier, NestedBarriersCatchAtTheInnerOne) {
  struct Nested {
    static void Run(void* C) {
      TCaughtException Inner{};
      *static_cast<bool*>(C) = RunGuarded(ReadNull, nullptr, Inner);
    }
  };
  TCaughtException E{};
  bool InnerDone = true;
  EXPECT_TRUE(RunGuarded(Nested::Run, &InnerDone, E));
  EXPECT_FALSE(InnerDone);
  EXPECT_FALSE(RunGuarded(ReadNull, nullptr, E)) << "the outer barrier still works afterwards";
}

namespace {

std::string ReadBytes(const std::string& Path) {
  std::ifstream File(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>());
}

// What is wrong with a .lng file: every message is the quoted line after a comment "// N: ..."
// that carries its number, N counting up from 0 to the last message of FARLang.h, and each
// message's comment is the one the English file gives that number (so a message moved, swapped
// or left out shows). Comments lists the comments found, by message number.
std::vector<std::string> LanguageFileProblems(const std::string& Bytes,
                                              const std::vector<std::string>& English,
                                              std::vector<std::string>& Comments) {
  std::vector<std::string> Problems;
  std::vector<std::string> Messages;
  std::string Comment;
  bool HasLanguage = false;
  Comments.clear();
  size_t LineNumber = 0;
  for (size_t Begin = 0; Begin < Bytes.size(); ++LineNumber) {
    size_t End = Bytes.find('\n', Begin);
    std::string Line = Bytes.substr(Begin, End == std::string::npos ? End : End - Begin);
    Begin = End == std::string::npos ? Bytes.size() : End + 1;
    const std::string Where = "line " + std::to_string(LineNumber + 1) + ": ";
    if (Line.empty() || Line.back() != '\r') Problems.push_back(Where + "does not end in CRLF");
    if (!Line.empty() && Line.back() == '\r') Line.pop_back();
    if (Line.rfind(".Language=", 0) == 0) HasLanguage = true;
    if (Line.rfind("//", 0) == 0) Comment = Line;
    if (Line.empty() || Line[0] != '"') continue;
    const std::string Number = std::to_string(Messages.size());
    const std::string Prefix = "// " + Number + ": ";
    if (Comment.rfind(Prefix, 0) != 0)
      Problems.push_back(Where + "message " + Number + " follows \"" + Comment + "\"");
    Comments.push_back(Comment.substr(std::min(Comment.size(), Prefix.size())));
    if (Messages.size() < English.size() && Comments.back() != English[Messages.size()])
      Problems.push_back(Where + "message " + Number + " is \"" + Comments.back() +
                         "\", English gives that number to \"" + English[Messages.size()] + "\"");
    Messages.push_back(Line);
    Comment.clear();
  }
  if (!HasLanguage) Problems.push_back("no .Language line");
  if (Messages.size() != static_cast<size_t>(MMessageCount))
    Problems.push_back(std::to_string(Messages.size()) + " messages, FARLang.h numbers " +
                       std::to_string(MMessageCount));
  else if (Messages[MPluginName] != "\"Quenby\"")  // the plugin's name in every language
    Problems.push_back("message MPluginName is " + Messages[MPluginName]);
  return Problems;
}

// The messages of a file as blocks (a comment and its message line), for doctored copies.
std::vector<std::string> MessageBlocks(const std::string& Bytes, std::string& Head) {
  std::vector<std::string> Blocks;
  size_t First = Bytes.find("\r\n// 0: ");
  Head = Bytes.substr(0, First + 2);
  for (size_t At = First + 2; At < Bytes.size();) {
    size_t Quote = Bytes.find("\r\n\"", At);
    size_t End = Bytes.find("\r\n", Quote + 2);
    End = End == std::string::npos ? Bytes.size() : End + 2;
    Blocks.push_back(Bytes.substr(At, End - At));
    At = End;
  }
  return Blocks;
}

std::string Join(const std::string& Head, const std::vector<std::string>& Blocks) {
  std::string Out = Head;
  for (const std::string& B : Blocks) Out += B;
  return Out;
}

}  // namespace

TEST(LanguageFiles, EveryFileHoldsTheEnumeratedMessagesInTheirPlaces) {
  std::vector<std::string> English, Comments;
  const std::string EnglishBytes = ReadBytes(std::string(QUENBY_PLUGIN_DIR) + "\\QuenbyEng.lng");
  EXPECT_EQ(LanguageFileProblems(EnglishBytes, {}, English), std::vector<std::string>{});
  ASSERT_EQ(English.size(), static_cast<size_t>(MMessageCount));
  for (const char* Name : {"QuenbyEng.lng", "QuenbyRus.lng"}) {
    const std::string Bytes = ReadBytes(std::string(QUENBY_PLUGIN_DIR) + "\\" + Name);
    EXPECT_EQ(LanguageFileProblems(Bytes, English, Comments), std::vector<std::string>{}) << Name;

    // Doctored copies must fail: two messages swapped with their comments, the same with the
    // numbers put back in order, a message left out, and a line without its CR.
    std::string Head;
    std::vector<std::string> Blocks = MessageBlocks(Bytes, Head);
    ASSERT_EQ(Blocks.size(), static_cast<size_t>(MMessageCount)) << Name;
    std::vector<std::string> Swapped = Blocks;
    std::swap(Swapped[MUpDirDescription], Swapped[MEmptyDescription]);
    EXPECT_FALSE(LanguageFileProblems(Join(Head, Swapped), English, Comments).empty()) << Name;
    const std::string Up = "// " + std::to_string(MUpDirDescription) + ":";
    const std::string Empty = "// " + std::to_string(MEmptyDescription) + ":";
    Swapped[MUpDirDescription].replace(0, Empty.size(), Up);
    Swapped[MEmptyDescription].replace(0, Up.size(), Empty);
    EXPECT_FALSE(LanguageFileProblems(Join(Head, Swapped), English, Comments).empty()) << Name;
    std::vector<std::string> Missing = Blocks;
    Missing.erase(Missing.begin() + MAbout);
    EXPECT_FALSE(LanguageFileProblems(Join(Head, Missing), English, Comments).empty()) << Name;
    std::string NoCR = Bytes;
    NoCR.erase(NoCR.find("\r\n"), 1);
    EXPECT_FALSE(LanguageFileProblems(NoCR, English, Comments).empty()) << Name;
  }
}

TEST(Dialog, ItemTableHoldsTheFixedLayout) {
  struct Row { int Type, X1, Y1, X2, Y2, Focus; unsigned Flags; int DefaultButton; };
  const Row Expected[ConfigDialogItemCount] = {
      {3, 3, 1, 72, 15, 0, 0, 0},  {8, 5, 2, 0, 0, 0, 0, 0},    {6, 7, 3, 7, 3, -1, 0, 0},
      {0, 9, 3, 0, 0, 0, 0, 0},    {0, 5, 4, 0, 0, 0, 0x10200, 0}, {0, 5, 5, 0, 0, 0, 0, 0},
      {6, 7, 6, 67, 8, 0, 0, 0},   {0, 5, 7, 0, 0, 0, 0, 0},    {6, 7, 8, 9, 8, 0, 0, 0},
      {0, 5, 9, 0, 0, 0, 0x10200, 0}, {8, 5, 10, 0, 0, 0, 0, 0}, {8, 5, 11, 0, 0, 0, 0, 0},
      {8, 5, 12, 0, 0, 0, 0, 0},   {8, 36, 10, 0, 0, 0, 0, 0},  {8, 36, 11, 0, 0, 0, 0, 0},
      {0, 5, 13, 0, 0, 0, 0x10200, 0}, {7, 10, 14, 0, 0, 0, 0, -1}, {7, 30, 14, 0, 0, 0, 0, 0},
      {7, 55, 14, 0, 0, 0, 0, 0}};
  for (int I = 0; I < ConfigDialogItemCount; ++I) {
    const FarDialogItem& D = ConfigDialogItems[I];
    const Row& R = Expected[I];
    EXPECT_EQ(D.Type, R.Type) << I;
    EXPECT_EQ(D.X1, R.X1) << I;
    EXPECT_EQ(D.Y1, R.Y1) << I;
    EXPECT_EQ(D.X2, R.X2) << I;
    EXPECT_EQ(D.Y2, R.Y2) << I;
    EXPECT_EQ(D.Focus, R.Focus) << I;
    EXPECT_EQ(D.Flags, R.Flags) << I;
    EXPECT_EQ(D.DefaultButton, R.DefaultButton) << I;
    EXPECT_EQ(D.Selected, 0) << I;
    EXPECT_EQ(D.Data[0], 0) << I;
  }
}

TEST(VersionKeys, NamesWithoutPrefixAndOneException) {
  EXPECT_STREQ(VersionKey(vtCompanyName), "CompanyName");
  EXPECT_STREQ(VersionKey(vtLegalTradeMark), "LegalTrademarks");
  EXPECT_STREQ(VersionKey(vtOriginalFileName), "OriginalFileName");
  EXPECT_STREQ(VersionKey(vtComments), "Comments");
  EXPECT_EQ(sizeof(TVersionType), 1u);
}
