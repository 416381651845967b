// The bridge to FAR: the copy of FAR's service table, message texts and boxes, the exception
// box, and the registry routines behind the settings.
#pragma once

#include <string>
#include <vector>
#include "far163.h"

extern PluginStartupInfo StartupInfo;  // FAR's record, copied whole at start-up
extern std::string PluginKey;          // HKCU path of the settings: FAR's RootKey + "\Quenby"
extern std::string ModuleFileName;     // full path of quenby.dll, for the About box

// Text of a message of the plugin's language files. The text belongs to FAR.
const char* FarGetMsg(int MsgId);

// One item of a message box: a message number, or a text shown as it is.
class TMessageItem {
 public:
  TMessageItem(int MsgId) : FIsMsg(true), FMsgId(MsgId) {}
  TMessageItem(const char* Text) : FText(Text ? Text : "") {}
  TMessageItem(const std::string& Text) : FText(Text.c_str()) {}
  const char* Text() const { return FIsMsg ? FarGetMsg(FMsgId) : FText; }

 private:
  bool FIsMsg = false;
  int FMsgId = 0;
  const char* FText = " ";
};

// Shows a FAR message box: the first item is the title, the last ButtonsNumber are buttons.
int FarMessage(int Flags, const char* HelpTopic, const std::vector<TMessageItem>& Items,
               int ButtonsNumber);

// What a barrier caught: a processor fault, the plugin's own failure raised as a Windows
// exception (allocation, the C++ library's checks), or a failure that travelled up as a value.
// Fixed buffers only: it is filled while a fault is being handled, when no heap object may be
// built (the fault may lie inside the heap).
struct TCaughtException {
  const char* ClassName;  // a constant text, e.g. EInOutError, EAccessViolation
  char Message[1024];     // may be empty; a longer text is cut
  const void* Address;    // fault address, or where the failure was raised
};

// A text put together in a fixed, zero-terminated buffer, cut at its size: no heap, no printf.
class TFixedText {
 public:
  TFixedText(char* Buffer, size_t Size) : FBuffer(Buffer), FSize(Size), FLength(0) {
    FBuffer[0] = 0;
  }
  TFixedText& Add(const char* Text);
  TFixedText& Add(const char* Text, size_t Length);
  TFixedText& AddDecimal(unsigned long Value);
  TFixedText& AddHex(unsigned long Value);  // eight upper-case hexadecimal digits
  size_t Length() const { return FLength; }

 private:
  char* FBuffer;
  size_t FSize;
  size_t FLength;
};

// The exception box. Its text ("Исключительная ситуация <class> в модуле <module> по адресу
// <address>.\n<message>.") fills a buffer of 1024 bytes; it is cut into pieces at every ". ",
// the first piece being the title. FAR 1.6x copies message lines into a fixed array, so the box
// never has more than MaxMessageItems items: surplus sentences stay joined in the last piece.
// Everything here works in fixed buffers: the box is shown without building a heap object.
enum { MaxMessageItems = 13 };
typedef char TExceptionText[1024];
void ComposeExceptionText(const TCaughtException& E, TExceptionText& Text);
// Cuts Text in place into the pieces of the box (Pieces has room for MaxMessageItems - 1);
// returns their number.
int CutExceptionText(char* Text, const char** Pieces);
// The pieces as strings (for the tests).
std::vector<std::string> ExceptionBoxLines(const TCaughtException& E);
void ShowExceptionBox(const TCaughtException& E);
void ShowExceptionText(const TExceptionText& Text);  // a text already composed

// Registry routines: each opens the plugin's key and closes it again. Failures are silent.
HKEY OpenPluginKey();
HKEY CreatePluginKey();
bool ReadRegValue(const char* Name, void* Buffer, DWORD Size);
int ReadRegInteger(const char* Name, int Default);
void WriteRegValue(const char* Name, const void* Buffer, DWORD Size);
