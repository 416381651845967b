// The bridge to FAR 3: the copy of FAR's service table, the plugin's GUIDs, message texts and
// boxes, and the exception box.
#pragma once

#include <string>
#include <vector>
#include "Far3Barrier.h"
#include "far3.h"

extern PluginStartupInfo StartupInfo;  // FAR's record, copied at start-up
extern std::wstring ModuleFileName;    // full path of quenby.dll, for the About box

// The plugin's own GUID (its settings' owner too) and those of its menu items and windows.
extern const GUID PluginGuid;
extern const GUID DiskMenuGuid;
extern const GUID PluginMenuGuid;
extern const GUID ConfigMenuGuid;
extern const GUID ConfigDialogGuid;
extern const GUID MessageGuid;

// Text of a message of the plugin's language files. The text belongs to FAR.
const wchar_t* FarGetMsg(int MsgId);

// One item of a message box: a message number, or a text shown as it is.
class TMessageItem {
 public:
  TMessageItem(int MsgId) : FIsMsg(true), FMsgId(MsgId) {}
  TMessageItem(const wchar_t* Text) : FText(Text ? Text : L"") {}
  TMessageItem(const std::wstring& Text) : FText(Text.c_str()) {}
  const wchar_t* Text() const { return FIsMsg ? FarGetMsg(FMsgId) : FText; }

 private:
  bool FIsMsg = false;
  int FMsgId = 0;
  const wchar_t* FText = L" ";
};

// Shows a FAR message box: the first item is the title, the last ButtonsNumber are buttons.
intptr_t FarMessage(FARMESSAGEFLAGS Flags, const wchar_t* HelpTopic,
                    const std::vector<TMessageItem>& Items, int ButtonsNumber);

// The exception box: "Исключительная ситуация <class> в модуле <module> по адресу <address>.
// <message>.", cut into pieces at every ". ", the first piece being the title. Everything here
// works in fixed buffers: the box is shown without building a heap object.
enum { MaxExceptionPieces = 32 };
typedef wchar_t TExceptionText[1024];
void ComposeExceptionText(const TFailure& E, TExceptionText& Text);
// Cuts Text in place into pieces (Pieces has room for MaxExceptionPieces); returns their number.
int CutExceptionText(wchar_t* Text, const wchar_t** Pieces);
void ShowExceptionText(const TExceptionText& Text);  // a text already composed
