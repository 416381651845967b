// The bridge to FAR: message texts and boxes, the exception box, and the settings' registry key.
#include "FARIntf.h"

#include <cstdio>
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

namespace {

// "Исключительная ситуация %s в модуле %s по адресу %p.\n%s%s", in FAR's OEM code page (866).
const char ExceptionFormat[] =
    "\x88\xe1\xaa\xab\xee\xe7\xa8\xe2\xa5\xab\xec\xad\xa0\xef \xe1\xa8\xe2\xe3\xa0\xe6\xa8\xef %s "
    "\xa2 \xac\xae\xa4\xe3\xab\xa5 %s \xaf\xae \xa0\xa4\xe0\xa5\xe1\xe3 %s.\n%s%s";

std::string FileNameOnly(const std::string& Path) {
  size_t Pos = Path.find_last_of("\\/:");
  return Pos == std::string::npos ? Path : Path.substr(Pos + 1);
}

// The module whose committed memory holds Address, and Address relative to that module;
// an address in no module is shown against the plugin, less the usual 0x1000 section offset.
void LocateAddress(const void* Address, std::string& Module, unsigned long& Offset) {
  MEMORY_BASIC_INFORMATION Info;
  char Name[MAX_PATH + 1] = "";
  if (Address && VirtualQuery(Address, &Info, sizeof(Info)) == sizeof(Info) &&
      Info.State == MEM_COMMIT && Info.AllocationBase &&
      GetModuleFileNameA(static_cast<HMODULE>(Info.AllocationBase), Name, MAX_PATH) > 0) {
    Module = FileNameOnly(Name);
    Offset = static_cast<unsigned long>(reinterpret_cast<uintptr_t>(Address) -
                                        reinterpret_cast<uintptr_t>(Info.AllocationBase));
    return;
  }
  Module = FileNameOnly(ModuleFileName);
  uintptr_t Absolute = reinterpret_cast<uintptr_t>(Address);
  Offset = static_cast<unsigned long>(Absolute ? Absolute - 0x1000 : 0);
}

}  // namespace

std::vector<std::string> ExceptionBoxLines(const TCaughtException& E) {
  std::string Module;
  unsigned long Offset = 0;
  LocateAddress(E.Address, Module, Offset);
  char Hex[16];
  snprintf(Hex, sizeof(Hex), "%08lX", Offset);
  const char* Dot = !E.Message.empty() && E.Message.back() != '.' ? "." : "";

  char Text[1024];  // the text is cut at 1023 characters
  snprintf(Text, sizeof(Text), ExceptionFormat, E.ClassName.c_str(), Module.c_str(), Hex,
           E.Message.c_str(), Dot);
  for (char* P = Text; *P; ++P)
    if (*P == '\n') *P = ' ';

  // A dot followed by a blank ends a piece; both are dropped.
  std::vector<std::string> Pieces;
  const char* Start = Text;
  for (const char* P = Text; *P; ++P) {
    if (P[0] == '.' && P[1] == ' ') {
      Pieces.emplace_back(Start, P);
      Start = P + 2;
      ++P;
    }
  }
  Pieces.emplace_back(Start);

  const size_t MaxPieces = MaxMessageItems - 1;  // one item is the button
  if (Pieces.size() > MaxPieces) {
    std::string& Last = Pieces[MaxPieces - 1];
    for (size_t I = MaxPieces; I < Pieces.size(); ++I) Last += ". " + Pieces[I];
    Pieces.resize(MaxPieces);
  }
  return Pieces;
}

void ShowExceptionBox(const TCaughtException& E) {
  std::vector<std::string> Pieces = ExceptionBoxLines(E);
  std::vector<TMessageItem> Items(Pieces.begin(), Pieces.end());
  Items.emplace_back(MOk);
  FarMessage(FMSG_WARNING, "Exception", Items, 1);
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
  TKeyHolder Key(OpenPluginKey());
  if (!Key) return false;
  std::vector<BYTE> Data(Size ? Size : 1, 0);
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
