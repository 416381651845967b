// FAR 3's dialogs for plugins (plugapi.cpp apiDialogInit/Run/Free, dialog.cpp SendMessage): the
// items FAR copies in, a scripted user in place of the keyboard, and the messages that read the
// results back (FAR 3 writes nothing back into the plugin's item array).
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Far3Records.h"

namespace far3host {

// FAR's copy of one dialog item.
struct DialogItem {
  FARDIALOGITEMTYPES type = DI_TEXT;
  intptr_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  intptr_t selected = 0;
  FARDIALOGITEMFLAGS flags = 0;
  std::wstring data;
  std::wstring history, mask;
  std::size_t maxLength = 0;
  intptr_t userData = 0;
  bool IsEdit() const {
    return type == DI_EDIT || type == DI_FIXEDIT || type == DI_PSWEDIT || type == DI_COMBOBOX;
  }
};

// One dialog the plugin made: as passed to DialogInit, as the user left it, and its outcome.
struct DialogCall {
  GUID id{};
  intptr_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  std::wstring helpTopic;
  FARDIALOGFLAGS flags = 0;
  bool hasProc = false;
  std::vector<DialogItem> items;   // as FAR copied them in (edit texts cut to their length)
  std::vector<DialogItem> result;  // as the scripted user left them
  intptr_t exitCode = -1;
  int runs = 0;
  bool freed = false;

  std::wstring Text(std::size_t index) const;  // items[index].data, "" out of range
  // The user's edits: a check box's state, an edit's text (cut as FAR's edit line cuts typing).
  void Check(std::size_t index, intptr_t state);
  void Type(std::size_t index, const std::wstring& text);
};

// What the scripted user does in a dialog: edits `call.result`, returns the closing item's index
// (-1: Esc).
using DialogScript = std::function<intptr_t(DialogCall& call)>;

class Far3Dialogs {
 public:
  explicit Far3Dialogs(CallLog& log);
  ~Far3Dialogs();

  std::vector<std::shared_ptr<DialogCall>> calls;  // every dialog, in order
  std::deque<DialogScript> script;                 // one per coming DialogRun, used first
  DialogScript answer;                             // then this one; unset = Esc

  HANDLE Init(const GUID& owner, const GUID* pluginId, const GUID* id, intptr_t x1, intptr_t y1,
              intptr_t x2, intptr_t y2, const wchar_t* help, const FarDialogItem* items,
              std::size_t count, FARDIALOGFLAGS flags, FARWINDOWPROC proc, void* param);
  intptr_t Run(HANDLE h);
  void Free(HANDLE h);
  intptr_t Send(HANDLE h, intptr_t msg, intptr_t param1, void* param2);
  intptr_t DefProc(HANDLE h, intptr_t msg, intptr_t param1, void* param2);
  // At unload: dialogs never freed.
  void CheckAllFreed();

 private:
  struct Live;
  CallLog& log_;
  std::vector<std::unique_ptr<Live>> live_;
  Live* Find(HANDLE h, const char* what);
};

}  // namespace far3host
