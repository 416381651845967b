// The bridge to FAR: message texts and boxes, the exception box, and the settings' registry key.
#include "FARIntf.h"

#include <cstring>
#include <memory>
#include "FARLang.h"

PluginStartupInfo StartupInfo;
std::string PluginKey;
std::string ModuleFileName;

const char* FarGetMsg(int MsgId) {
  if (!StartupInfo.GetMsg) return "";
  const char* Text = StartupInfo.GetMsg(StartupInfo.ModuleNumber, MsgId & 0x7F);
  return Text ? Text : "";
}

int FarMessage(int Flags, const char* HelpTopic, const std::vector<TMessageItem>& Items,
               int ButtonsNumber) {
  if (!StartupInfo.Message) return -1;
  std::vector<char*> Texts;
  Texts.reserve(Items.size());
  for (const TMessageItem& Item : Items) Texts.push_back(const_cast<char*>(Item.Text()));
  return StartupInfo.Message(StartupInfo.ModuleNumber, Flags, const_cast<char*>(HelpTopic),
                             Texts.data(), static_cast<int>(Texts.size()), ButtonsNumber);
}

TFixedText& TFixedText::Add(const char* Text, size_t Length) {
  size_t Room = FSize - 1 - FLength;
  if (Length > Room) Length = Room;
  memcpy(FBuffer + FLength, Text, Length);
  FLength += Length;
  FBuffer[FLength] = 0;
  return *this;
}

TFixedText& TFixedText::Add(const char* Text) { return Add(Text, strlen(Text)); }

TFixedText& TFixedText::AddDecimal(unsigned long Value) {
  char Digits[12];
  char* P = Digits + sizeof(Digits);
  do {
    *--P = static_cast<char>('0' + Value % 10);
    Value /= 10;
  } while (Value);
  return Add(P, Digits + sizeof(Digits) - P);
}

TFixedText& TFixedText::AddHex(unsigned long Value) {
  char Digits[8];
  for (int I = 7; I >= 0; --I, Value >>= 4) Digits[I] = "0123456789ABCDEF"[Value & 0xF];
  return Add(Digits, sizeof(Digits));
}

namespace {

// The parts of "Исключительная ситуация %s в модуле %s по адресу %p.\n%s%s", in FAR's OEM
// code page (866).
const char TextHead[] =
    "\x88\xe1\xaa\xab\xee\xe7\xa8\xe2\xa5\xab\xec\xad\xa0\xef \xe1\xa8\xe2\xe3\xa0\xe6\xa8\xef ";
const char TextModule[] = " \xa2 \xac\xae\xa4\xe3\xab\xa5 ";
const char TextAddress[] = " \xaf\xae \xa0\xa4\xe0\xa5\xe1\xe3 ";

const char* FileNameOnly(const char* Path) {
  const char* Name = Path;
  for (const char* P = Path; *P; ++P)
    if (*P == '\\' || *P == '/' || *P == ':') Name = P + 1;
  return Name;
}

// The module whose committed memory holds Address, and Address relative to that module;
// an address in no module is shown against the plugin, less the usual 0x1000 section offset.
// Name receives the module's path.
const char* LocateAddress(const void* Address, char (&Name)[MAX_PATH + 1], unsigned long& Offset) {
  MEMORY_BASIC_INFORMATION Info;
  if (Address && VirtualQuery(Address, &Info, sizeof(Info)) == sizeof(Info) &&
      Info.State == MEM_COMMIT && Info.AllocationBase &&
      GetModuleFileNameA(static_cast<HMODULE>(Info.AllocationBase), Name, MAX_PATH) > 0) {
    Name[MAX_PATH] = 0;
    Offset = static_cast<unsigned long>(reinterpret_cast<uintptr_t>(Address) -
                                        reinterpret_cast<uintptr_t>(Info.AllocationBase));
    return FileNameOnly(Name);
  }
  uintptr_t Absolute = reinterpret_cast<uintptr_t>(Address);
  Offset = static_cast<unsigned long>(Absolute ? Absolute - 0x1000 : 0);
  return FileNameOnly(ModuleFileName.c_str());
}

}  // namespace

void ComposeExceptionText(const TCaughtException& E, TExceptionText& Text) {
  char Name[MAX_PATH + 1];
  unsigned long Offset = 0;
  const char* Module = LocateAddress(E.Address, Name, Offset);
  size_t MessageLength = strnlen(E.Message, sizeof(E.Message));
  const char* Dot = MessageLength && E.Message[MessageLength - 1] != '.' ? "." : "";

  TFixedText(Text, sizeof(Text))  // the text is cut at 1023 characters
      .Add(TextHead).Add(E.ClassName ? E.ClassName : "").Add(TextModule).Add(Module)
      .Add(TextAddress).AddHex(Offset).Add(".\n").Add(E.Message, MessageLength).Add(Dot);
  for (char* P = Text; *P; ++P)
    if (*P == '\n') *P = ' ';
}

// A dot followed by a blank ends a piece; both are dropped. Once the box has all the pieces it
// can show, the rest of the text stays whole in the last one.
int CutExceptionText(char* Text, const char** Pieces) {
  const int MaxPieces = MaxMessageItems - 1;  // one item is the button
  int Count = 0;
  const char* Start = Text;
  for (char* P = Text; *P && Count < MaxPieces - 1; ++P) {
    if (P[0] == '.' && P[1] == ' ') {
      *P = 0;
      Pieces[Count++] = Start;
      Start = P + 2;
      ++P;
    }
  }
  Pieces[Count++] = Start;
  return Count;
}

std::vector<std::string> ExceptionBoxLines(const TCaughtException& E) {
  TExceptionText Text;
  ComposeExceptionText(E, Text);
  const char* Pieces[MaxMessageItems - 1];
  int Count = CutExceptionText(Text, Pieces);
  return std::vector<std::string>(Pieces, Pieces + Count);
}

void ShowExceptionBox(const TCaughtException& E) {
  TExceptionText Text;
  ComposeExceptionText(E, Text);
  ShowExceptionText(Text);
}

void ShowExceptionText(const TExceptionText& Text) {
  if (!StartupInfo.Message) return;
  TExceptionText Cut;
  memcpy(Cut, Text, sizeof(Cut));
  const char* Items[MaxMessageItems];
  int Count = CutExceptionText(Cut, Items);
  Items[Count++] = FarGetMsg(MOk);
  StartupInfo.Message(StartupInfo.ModuleNumber, FMSG_WARNING, const_cast<char*>("Exception"),
                      const_cast<char**>(Items), Count, 1);
}

HKEY OpenPluginKey() {
  HKEY Key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, PluginKey.c_str(), 0, KEY_QUERY_VALUE, &Key) !=
      ERROR_SUCCESS)
    return nullptr;
  return Key;
}

HKEY CreatePluginKey() {
  HKEY Key = nullptr;
  DWORD Disposition = 0;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, PluginKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_WRITE, nullptr, &Key, &Disposition) != ERROR_SUCCESS)
    return nullptr;
  return Key;
}

namespace {
struct TKeyCloser {
  void operator()(HKEY Key) const { RegCloseKey(Key); }
};
using TKeyHolder = std::unique_ptr<std::remove_pointer<HKEY>::type, TKeyCloser>;
}  // namespace

// The value is read into a scratch buffer first, so that a value too large for the block, or
// a failed read, leaves the caller's block exactly as it was. A value shorter than the block
// fills its start and zeroes the rest, so no bytes of an older text show through.
bool ReadRegValue(const char* Name, void* Buffer, DWORD Size) {
  // Allocated before the key is opened: memory running out runs no destructor (Barrier.h).
  std::vector<BYTE> Data(Size ? Size : 1, 0);
  TKeyHolder Key(OpenPluginKey());
  if (!Key) return false;
  DWORD Type = 0, Got = Size;
  if (RegQueryValueExA(Key.get(), Name, nullptr, &Type, Data.data(), &Got) != ERROR_SUCCESS)
    return false;
  memcpy(Buffer, Data.data(), Size);
  return true;
}

// An integer stored with fewer than four bytes fills the low bytes; the rest are zero.
int ReadRegInteger(const char* Name, int Default) {
  DWORD Value = 0;
  return ReadRegValue(Name, &Value, sizeof(Value)) ? static_cast<int>(Value) : Default;
}

void WriteRegValue(const char* Name, const void* Buffer, DWORD Size) {
  TKeyHolder Key(CreatePluginKey());
  if (!Key) return;
  RegSetValueExA(Key.get(), Name, 0, REG_DWORD, static_cast<const BYTE*>(Buffer), Size);
}
