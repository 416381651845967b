// The bridge to FAR 3: message texts and boxes, the exception box.
#include "Far3Intf.h"

#include <cstring>
#include "../FARLang.h"

PluginStartupInfo StartupInfo;
std::wstring ModuleFileName;

// {D786D7F1-CF16-4196-9F80-3E1FFDA94296}
const GUID PluginGuid = {0xd786d7f1, 0xcf16, 0x4196, {0x9f, 0x80, 0x3e, 0x1f, 0xfd, 0xa9, 0x42, 0x96}};
const GUID DiskMenuGuid = {0x2b68d3b0, 0x6a17, 0x4582, {0xa9, 0x61, 0x0b, 0x2a, 0xcc, 0x5c, 0x51, 0x0b}};
const GUID PluginMenuGuid = {0xb41a3766, 0x1cf4, 0x49e5, {0xa4, 0x7d, 0xc0, 0xae, 0x26, 0xcd, 0x79, 0x22}};
const GUID ConfigMenuGuid = {0xb603f9a4, 0xd6f0, 0x4576, {0xa6, 0xe3, 0xca, 0x0a, 0xdc, 0xfe, 0xf7, 0x08}};
const GUID ConfigDialogGuid = {0x6915825e, 0x7790, 0x47ff, {0x8a, 0x09, 0x2f, 0x0e, 0xbf, 0xba, 0x25, 0xa6}};
const GUID MessageGuid = {0x918bf657, 0xad38, 0x4fd8, {0xad, 0x7b, 0x42, 0x47, 0xe1, 0xd8, 0x85, 0x8f}};

const wchar_t* FarGetMsg(int MsgId) {
  if (!StartupInfo.GetMsg) return L"";
  const wchar_t* Text = StartupInfo.GetMsg(&PluginGuid, MsgId);
  return Text ? Text : L"";
}

intptr_t FarMessage(FARMESSAGEFLAGS Flags, const wchar_t* HelpTopic,
                    const std::vector<TMessageItem>& Items, int ButtonsNumber) {
  if (!StartupInfo.Message) return -1;
  std::vector<const wchar_t*> Texts;
  Texts.reserve(Items.size());
  for (const TMessageItem& Item : Items) Texts.push_back(Item.Text());
  return StartupInfo.Message(&PluginGuid, &MessageGuid, Flags, HelpTopic, Texts.data(), Texts.size(),
                             ButtonsNumber);
}

namespace {

const wchar_t* FileNameOnly(const wchar_t* Path) {
  const wchar_t* Name = Path;
  for (const wchar_t* P = Path; *P; ++P)
    if (*P == L'\\' || *P == L'/' || *P == L':') Name = P + 1;
  return Name;
}

// The module whose committed memory holds Address, and Address relative to that module; an
// address in no module is shown against the plugin, less the usual 0x1000 section offset.
// Name receives the module's path.
const wchar_t* LocateAddress(const void* Address, wchar_t (&Name)[MAX_PATH + 1], uintptr_t& Offset) {
  MEMORY_BASIC_INFORMATION Info;
  if (Address && VirtualQuery(Address, &Info, sizeof(Info)) == sizeof(Info) &&
      Info.State == MEM_COMMIT && Info.AllocationBase &&
      GetModuleFileNameW(static_cast<HMODULE>(Info.AllocationBase), Name, MAX_PATH) > 0) {
    Name[MAX_PATH] = 0;
    Offset = reinterpret_cast<uintptr_t>(Address) - reinterpret_cast<uintptr_t>(Info.AllocationBase);
    return FileNameOnly(Name);
  }
  uintptr_t Absolute = reinterpret_cast<uintptr_t>(Address);
  Offset = Absolute ? Absolute - 0x1000 : 0;
  return FileNameOnly(ModuleFileName.c_str());
}

}  // namespace

void ComposeExceptionText(const TFailure& E, TExceptionText& Text) {
  wchar_t Name[MAX_PATH + 1];
  uintptr_t Offset = 0;
  const wchar_t* Module = LocateAddress(E.Address, Name, Offset);
  size_t MessageLength = wcsnlen(E.Message, sizeof(E.Message) / sizeof(wchar_t));
  const wchar_t* Dot = MessageLength && E.Message[MessageLength - 1] != L'.' ? L"." : L"";
  TFixedText(Text, sizeof(Text) / sizeof(wchar_t))  // the text is cut at 1023 characters
      .Add(L"Исключительная ситуация ").AddAscii(E.ClassName ? E.ClassName : "")
      .Add(L" в модуле ").Add(Module).Add(L" по адресу ").AddHex(Offset, 2 * sizeof(void*))
      .Add(L". ").Add(E.Message, MessageLength).Add(Dot);
}

// A dot followed by a blank ends a piece; both are dropped. Once the pieces are all used, the
// rest of the text stays whole in the last one.
int CutExceptionText(wchar_t* Text, const wchar_t** Pieces) {
  int Count = 0;
  const wchar_t* Start = Text;
  for (wchar_t* P = Text; *P && Count < MaxExceptionPieces - 1; ++P) {
    if (P[0] == L'\n') P[0] = L' ';
    if (P[0] == L'.' && P[1] == L' ') {
      *P = 0;
      Pieces[Count++] = Start;
      Start = P + 2;
      ++P;
    }
  }
  Pieces[Count++] = Start;
  return Count;
}

void ShowExceptionBox(const TFailure& E) {
  TExceptionText Text;
  ComposeExceptionText(E, Text);
  ShowExceptionText(Text);
}

void ShowExceptionText(const TExceptionText& Text) {
  if (!StartupInfo.Message) return;
  TExceptionText Cut;
  memcpy(Cut, Text, sizeof(Cut));
  const wchar_t* Items[MaxExceptionPieces + 1];
  int Count = CutExceptionText(Cut, Items);
  Items[Count++] = FarGetMsg(MOk);
  StartupInfo.Message(&PluginGuid, &MessageGuid, FMSG_WARNING, L"Exception", Items, Count, 1);
}
