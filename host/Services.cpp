// FAR's services: the WINAPI service table, GetMsg, Message and Dialog, recorded and scripted.
#include "Services.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "FarHost.h"

namespace farhost {

namespace {

FarHost* g_served = nullptr;

// The services Quenby does not use sit in FARAPIGENERIC slots of the record.
template <class F>
FARAPIGENERIC Generic(F f) {
  return reinterpret_cast<FARAPIGENERIC>(reinterpret_cast<void*>(f));
}

std::string NumberText(const char* service, int pluginNumber, int moduleNumber) {
  return std::string(service) + ": PluginNumber " + std::to_string(pluginNumber) +
         " instead of ModuleNumber " + std::to_string(moduleNumber);
}

// FAR's checks on a Message call's counts.
void CheckMessageCounts(CallLog& log, int itemsNumber, int buttonsNumber) {
  if (itemsNumber < 2)
    log.Fail("Message: " + std::to_string(itemsNumber) + " items (FAR needs 2 or more)");
  if (itemsNumber > 13)
    log.Fail("Message: " + std::to_string(itemsNumber) +
             " items; FAR 1.63 copies them into a fixed array (13 at most)");
  if (buttonsNumber < 0 || (itemsNumber >= 1 && buttonsNumber > itemsNumber - 1))
    log.Fail("Message: ButtonsNumber " + std::to_string(buttonsNumber) + " with " +
             std::to_string(itemsNumber) + " items");
}

void CopyMessageItems(CallLog& log, const char* const* items, int itemsNumber,
                      std::vector<std::string>& out) {
  if (itemsNumber <= 0) return;
  if (!IsReadable(items, static_cast<std::size_t>(itemsNumber) * sizeof(char*))) {
    log.Fail("Message: the Items array is not readable");
    return;
  }
  for (int i = 0; i < itemsNumber; ++i) {
    if (!items[i]) {
      log.Fail("Message: item " + std::to_string(i) + " is NULL");
      out.emplace_back();
    } else {
      out.push_back(PluginText(log, items[i], "Message: item " + std::to_string(i)));
    }
  }
}

// FAR copies Data in with strcpy and reads a history name through Selected.
void CheckDialogItems(CallLog& log, std::vector<FarDialogItem>& items) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    FarDialogItem& item = items[i];
    if (!std::memchr(item.Data, 0, sizeof item.Data)) {
      log.Fail("Dialog: item " + std::to_string(i) +
               " Data has no NUL within 512 bytes (FAR copies it with strcpy)");
      item.Data[sizeof item.Data - 1] = 0;
    }
    bool edit = item.Type == DI_EDIT || item.Type == DI_FIXEDIT || item.Type == DI_PSWEDIT;
    if (edit && (item.Flags & DIF_HISTORY)) {
      const char* history = reinterpret_cast<const char*>(static_cast<intptr_t>(item.Selected));
      std::string name;
      if (!ReadCString(history, name))
        log.Fail("Dialog: item " + std::to_string(i) +
                 " has DIF_HISTORY but its Selected slot is not a history-name pointer");
    }
  }
}

// Out as FAR copies out: its internal item keeps Type, coordinates, Focus and DefaultButton
// as unsigned char; Data goes back with strcpy.
void CopyDialogItemsOut(std::vector<FarDialogItem>& work, FarDialogItem* items) {
  for (std::size_t i = 0; i < work.size(); ++i) {
    FarDialogItem& w = work[i];
    if (!std::memchr(w.Data, 0, sizeof w.Data)) w.Data[sizeof w.Data - 1] = 0;
    FarDialogItem& out = items[i];
    out.Type = static_cast<unsigned char>(w.Type);
    out.X1 = static_cast<unsigned char>(w.X1);
    out.Y1 = static_cast<unsigned char>(w.Y1);
    out.X2 = static_cast<unsigned char>(w.X2);
    out.Y2 = static_cast<unsigned char>(w.Y2);
    out.Focus = static_cast<unsigned char>(w.Focus);
    out.Selected = w.Selected;
    out.Flags = w.Flags;
    out.DefaultButton = static_cast<unsigned char>(w.DefaultButton);
    std::strcpy(out.Data, w.Data);
  }
}

}  // namespace

FarHost* ServedHost() { return g_served; }

void SetServedHost(FarHost* host) { g_served = host; }

struct FarServices {
  static void SafeFail(FarHost* h, const char* service, const char* what) {
    try {
      h->Fail(std::string(service) + ": exception in the host: " + what);
    } catch (...) {
    }
  }

  static int WINAPI Menu(int, int, int, int, unsigned int, char*, char*, char*, int*, int*,
                         FarMenuItem*, int) {
    return Stub("Menu"), -1;
  }
  static int WINAPI Dialog(int PluginNumber, int X1, int Y1, int X2, int Y2, char* HelpTopic,
                           FarDialogItem* Items, int ItemsNumber) {
    FarHost* h = g_served;
    if (!h) return -1;
    try {
      return h->DoDialog(PluginNumber, X1, Y1, X2, Y2, HelpTopic, Items, ItemsNumber);
    } catch (const std::exception& e) {
      SafeFail(h, "Dialog", e.what());
    } catch (...) {
      SafeFail(h, "Dialog", "unknown");
    }
    return -1;
  }
  static int WINAPI Message(int PluginNumber, unsigned int Flags, char* HelpTopic, char** Items,
                            int ItemsNumber, int ButtonsNumber) {
    FarHost* h = g_served;
    if (!h) return -1;
    try {
      return h->DoMessage(PluginNumber, Flags, HelpTopic, Items, ItemsNumber, ButtonsNumber);
    } catch (const std::exception& e) {
      SafeFail(h, "Message", e.what());
    } catch (...) {
      SafeFail(h, "Message", "unknown");
    }
    return -1;
  }
  static char* WINAPI GetMsg(int PluginNumber, int MsgId) {
    static char empty[1] = {0};
    FarHost* h = g_served;
    if (!h) return empty;
    try {
      return const_cast<char*>(h->DoGetMsg(PluginNumber, MsgId));
    } catch (const std::exception& e) {
      SafeFail(h, "GetMsg", e.what());
    } catch (...) {
      SafeFail(h, "GetMsg", "unknown");
    }
    return empty;
  }
  static int WINAPI Control(HANDLE hPlugin, int Command, void* Param) {
    FarHost* h = g_served;
    if (!h) return FALSE;
    try {
      return h->DoControl(hPlugin, Command, Param);
    } catch (const std::exception& e) {
      SafeFail(h, "Control", e.what());
    } catch (...) {
      SafeFail(h, "Control", "unknown");
    }
    return FALSE;
  }

  // Services Quenby has no use for: each has FAR's exact prototype (WINAPI pops the arguments,
  // so a wrong one would unbalance the plugin's stack) and records an unexpected call.
  static void Stub(const char* service) {
    FarHost* h = g_served;
    if (!h) return;
    try {
      h->Unexpected(service);
    } catch (...) {
    }
  }
  static HANDLE WINAPI SaveScreen(int, int, int, int) { return Stub("SaveScreen"), nullptr; }
  static void WINAPI RestoreScreen(HANDLE) { Stub("RestoreScreen"); }
  static int WINAPI GetDirList(char*, PluginPanelItem**, int*) {
    return Stub("GetDirList"), FALSE;
  }
  static int WINAPI GetPluginDirList(int, HANDLE, char*, PluginPanelItem**, int*) {
    return Stub("GetPluginDirList"), FALSE;
  }
  static void WINAPI FreeDirList(PluginPanelItem*) { Stub("FreeDirList"); }
  static int WINAPI Viewer(char*, char*, int, int, int, int, DWORD) {
    return Stub("Viewer"), FALSE;
  }
  static int WINAPI Editor(char*, char*, int, int, int, int, DWORD, int, int) {
    return Stub("Editor"), FALSE;
  }
  static int WINAPI CmpName(char*, char*, int) { return Stub("CmpName"), FALSE; }
  static int WINAPI CharTable(int, char*, int) { return Stub("CharTable"), -1; }
  static void WINAPI Text(int, int, int, char*) { Stub("Text"); }
  static int WINAPI EditorControl(int, void*) { return Stub("EditorControl"), 0; }
};

void FillServiceTable(PluginStartupInfo& info) {
  info.Menu = &FarServices::Menu;
  info.Dialog = &FarServices::Dialog;
  info.Message = &FarServices::Message;
  info.GetMsg = &FarServices::GetMsg;
  info.Control = &FarServices::Control;
  info.SaveScreen = Generic(&FarServices::SaveScreen);
  info.RestoreScreen = Generic(&FarServices::RestoreScreen);
  info.GetDirList = Generic(&FarServices::GetDirList);
  info.GetPluginDirList = Generic(&FarServices::GetPluginDirList);
  info.FreeDirList = Generic(&FarServices::FreeDirList);
  info.Viewer = Generic(&FarServices::Viewer);
  info.Editor = Generic(&FarServices::Editor);
  info.CmpName = Generic(&FarServices::CmpName);
  info.CharTable = Generic(&FarServices::CharTable);
  info.Text = Generic(&FarServices::Text);
  info.EditorControl = Generic(&FarServices::EditorControl);
}

}  // namespace farhost

// ---------------------------------------------------------------------------------------------
// The records

std::vector<std::string> MessageCall::Lines() const {
  std::vector<std::string> lines;
  int end = static_cast<int>(items.size()) - std::max(buttonsNumber, 0);
  for (int i = 1; i < end; ++i) lines.push_back(items[static_cast<std::size_t>(i)]);
  return lines;
}

std::vector<std::string> MessageCall::Buttons() const {
  std::vector<std::string> buttons;
  int start = std::max(1, static_cast<int>(items.size()) - std::max(buttonsNumber, 0));
  for (int i = start; i < static_cast<int>(items.size()); ++i)
    buttons.push_back(items[static_cast<std::size_t>(i)]);
  return buttons;
}

std::string DialogCall::Data(int index) const {
  if (index < 0 || index >= static_cast<int>(items.size())) return std::string();
  return farhost::FixedText(items[static_cast<std::size_t>(index)].Data,
                            sizeof(FarDialogItem::Data));
}

std::string DialogCall::ResultData(int index) const {
  if (index < 0 || index >= static_cast<int>(result.size())) return std::string();
  return farhost::FixedText(result[static_cast<std::size_t>(index)].Data,
                            sizeof(FarDialogItem::Data));
}

// ---------------------------------------------------------------------------------------------
// GetMsg

void FarHost::SetLanguage(const std::string& language) {
  options.language = language;
  lang_.reset();
  langTried_ = false;
}

const LangFile* FarHost::Messages() {
  if (!langTried_) {
    langTried_ = true;
    std::string folder = options.languageFolder;
    if (folder.empty()) {
      std::string dll = fullDllPath.empty() ? options.dllPath : fullDllPath;
      std::size_t slash = dll.find_last_of("\\/");
      folder = slash == std::string::npos ? std::string(".") : dll.substr(0, slash);
    }
    auto file = std::make_unique<LangFile>();
    std::string error;
    if (!LoadLngForLanguage(folder, options.language, *file, error)) {
      Fail("GetMsg: " + error);
    } else {
      for (const std::string& problem : file->problems)
        Fail("GetMsg: " + file->path + ": " + problem);
      lang_ = std::move(file);
    }
  }
  return lang_.get();
}

const char* FarHost::DoGetMsg(int pluginNumber, int msgId) {
  ++getMsgCalls;
  if (pluginNumber != options.moduleNumber)
    Fail(farhost::NumberText("GetMsg", pluginNumber, options.moduleNumber));
  const LangFile* file = Messages();
  if (!file) return emptyText_;
  if (msgId < 0 || msgId >= static_cast<int>(file->messages.size())) {
    Fail("GetMsg: no message number " + std::to_string(msgId) + " in " + file->path + " (" +
         std::to_string(file->messages.size()) + " messages)");
    return emptyText_;
  }
  return file->messages[static_cast<std::size_t>(msgId)].c_str();
}

void FarHost::Unexpected(const char* service) {
  Log(std::string("Unexpected:") + service);
  Fail(std::string("the plugin called the ") + service + " service, which Quenby does not use");
}

// ---------------------------------------------------------------------------------------------
// Message and Dialog

int FarHost::DoMessage(int pluginNumber, unsigned flags, const char* help,
                       const char* const* items, int itemsNumber, int buttonsNumber) {
  MessageCall call;
  call.pluginNumber = pluginNumber;
  call.flags = flags;
  call.itemsNumber = itemsNumber;
  call.buttonsNumber = buttonsNumber;
  call.helpTopic = farhost::PluginText(*this, help, "Message: HelpTopic", &call.helpTopicNull);
  Log("Message");
  if (pluginNumber != options.moduleNumber)
    Fail(farhost::NumberText("Message", pluginNumber, options.moduleNumber));
  farhost::CheckMessageCounts(*this, itemsNumber, buttonsNumber);
  farhost::CopyMessageItems(*this, items, itemsNumber, call.items);
  if (itemsNumber < 2 || buttonsNumber <= 0) {
    call.answer = -1;
  } else if (!messageAnswers.empty()) {
    call.answer = messageAnswers.front();
    messageAnswers.pop_front();
  } else {
    call.answer = 0;
  }
  std::size_t index = messages.size();
  messages.push_back(call);
  if (onMessage) {
    onMessage(call);
    messages[index].answer = call.answer;
  }
  return call.answer;
}

int FarHost::DoDialog(int pluginNumber, int x1, int y1, int x2, int y2, const char* help,
                      FarDialogItem* items, int itemsNumber) {
  DialogCall call;
  call.pluginNumber = pluginNumber;
  call.x1 = x1;
  call.y1 = y1;
  call.x2 = x2;
  call.y2 = y2;
  call.itemsNumber = itemsNumber;
  call.helpTopic = farhost::PluginText(*this, help, "Dialog: HelpTopic", &call.helpTopicNull);
  Log("Dialog");
  if (pluginNumber != options.moduleNumber)
    Fail(farhost::NumberText("Dialog", pluginNumber, options.moduleNumber));
  const std::size_t bytes =
      static_cast<std::size_t>(std::max(itemsNumber, 0)) * sizeof(FarDialogItem);
  if (itemsNumber <= 0 || !IsReadable(items, bytes) || !IsWritable(items, bytes)) {
    Fail("Dialog: " + std::to_string(itemsNumber) + " items at an unusable address");
    call.answer = -1;
    dialogs.push_back(call);
    return -1;
  }
  call.items.assign(items, items + itemsNumber);
  farhost::CheckDialogItems(*this, call.items);
  std::vector<FarDialogItem> work = call.items;
  std::size_t index = dialogs.size();
  dialogs.push_back(call);

  DialogScript script;
  if (!dialogScript.empty()) {
    script = std::move(dialogScript.front());
    dialogScript.pop_front();
  } else {
    script = dialogAnswer;
  }
  int answer = script ? script(work) : -1;
  if (work.size() != static_cast<std::size_t>(itemsNumber)) {
    Fail("Dialog: the test's script changed the number of items");
    work.resize(static_cast<std::size_t>(itemsNumber));
  }
  farhost::CopyDialogItemsOut(work, items);
  dialogs[index].result.assign(items, items + itemsNumber);
  dialogs[index].answer = answer;
  return answer;
}
