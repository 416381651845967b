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

// What a barrier caught: a C++ exception or a processor fault.
struct TCaughtException {
  std::string ClassName;  // e.g. EInOutError, EAccessViolation
  std::string Message;    // may be empty
  const void* Address;    // fault address, or the entry point that caught a C++ exception
};

// The items of the exception box for a caught exception, as FAR will show them (title first,
// button last). FAR 1.6x copies message lines into a fixed array, so the box never has more
// than MaxMessageItems items: surplus sentences are joined into the last line.
enum { MaxMessageItems = 13 };
std::vector<std::string> ExceptionBoxLines(const TCaughtException& E);
void ShowExceptionBox(const TCaughtException& E);

// Registry routines: each opens the plugin's key and closes it again. Failures are silent.
HKEY OpenPluginKey();
HKEY CreatePluginKey();
bool ReadRegValue(const char* Name, void* Buffer, DWORD Size);
int ReadRegInteger(const char* Name, int Default);
void WriteRegValue(const char* Name, const void* Buffer, DWORD Size);
