// FAR 3's service table (plugapi.cpp NativeInfo, NativeFSF): the services Quenby calls, served by
// the host (Message, GetMsg, AdvControl here; PanelControl in Far3PanelControl.cpp; dialogs and
// settings in their units), and a recording stub with FAR's prototype for every other one.
#include <cstring>
#include <exception>

#include "Far3Host.h"

namespace far3host {

namespace {
Far3Host* g_served = nullptr;
}

Far3Host* ServedHost() { return g_served; }
void SetServedHost(Far3Host* host) { g_served = host; }

// The WINAPI functions the plugin calls. Nothing may unwind into the plugin: each catches all.
struct Far3ServiceTable {
  template <class F, class R>
  static R Guard(const char* service, R fallback, F f) {
    Far3Host* h = g_served;
    if (!h) return fallback;
    try {
      return f(*h);
    } catch (const std::exception& e) {
      try { h->Fail(std::string(service) + ": exception in the host: " + e.what()); } catch (...) {}
    } catch (...) {
      try { h->Fail(std::string(service) + ": exception in the host"); } catch (...) {}
    }
    return fallback;
  }

  static intptr_t WINAPI Message(const GUID* pluginId, const GUID* id, FARMESSAGEFLAGS flags,
                                 const wchar_t* help, const wchar_t* const* items,
                                 size_t count, intptr_t buttons) {
    return Guard("Message", intptr_t(-1), [&](Far3Host& h) {
      return h.DoMessage(pluginId, id, flags, help, items, count, buttons);
    });
  }
  static const wchar_t* WINAPI GetMsg(const GUID* pluginId, intptr_t msgId) {
    return Guard("GetMsg", static_cast<const wchar_t*>(L""),
                 [&](Far3Host& h) { return h.DoGetMsg(pluginId, msgId); });
  }
  static intptr_t WINAPI PanelControl(HANDLE panel, FILE_CONTROL_COMMANDS command,
                                      intptr_t param1, void* param2) {
    return Guard("PanelControl", intptr_t(0), [&](Far3Host& h) {
      return h.DoPanelControl(panel, command, param1, param2);
    });
  }
  static intptr_t WINAPI AdvControl(const GUID* pluginId, ADVANCED_CONTROL_COMMANDS command,
                                    intptr_t param1, void* param2) {
    return Guard("AdvControl", intptr_t(0), [&](Far3Host& h) {
      return h.DoAdvControl(pluginId, command, param1, param2);
    });
  }
  static HANDLE WINAPI DialogInit(const GUID* pluginId, const GUID* id, intptr_t x1, intptr_t y1,
                                  intptr_t x2, intptr_t y2, const wchar_t* help,
                                  const FarDialogItem* items, size_t count, intptr_t,
                                  FARDIALOGFLAGS flags, FARWINDOWPROC proc, void* param) {
    return Guard("DialogInit", INVALID_HANDLE_VALUE, [&](Far3Host& h) {
      h.Log("DialogInit");
      return h.dialogs.Init(h.PluginGuid(), pluginId, id, x1, y1, x2, y2, help, items, count,
                            flags, proc, param);
    });
  }
  static intptr_t WINAPI DialogRun(HANDLE dlg) {
    return Guard("DialogRun", intptr_t(-1), [&](Far3Host& h) {
      h.Log("DialogRun");
      return h.dialogs.Run(dlg);
    });
  }
  static void WINAPI DialogFree(HANDLE dlg) {
    Guard("DialogFree", 0, [&](Far3Host& h) {
      h.Log("DialogFree");
      h.dialogs.Free(dlg);
      return 0;
    });
  }
  static intptr_t WINAPI SendDlgMessage(HANDLE dlg, intptr_t msg, intptr_t param1, void* param2) {
    return Guard("SendDlgMessage", intptr_t(0),
                 [&](Far3Host& h) { return h.dialogs.Send(dlg, msg, param1, param2); });
  }
  static intptr_t WINAPI DefDlgProc(HANDLE dlg, intptr_t msg, intptr_t param1, void* param2) {
    return Guard("DefDlgProc", intptr_t(0),
                 [&](Far3Host& h) { return h.dialogs.DefProc(dlg, msg, param1, param2); });
  }
  static intptr_t WINAPI SettingsControl(HANDLE handle, FAR_SETTINGS_CONTROL_COMMANDS command,
                                         intptr_t param1, void* param2) {
    return Guard("SettingsControl", intptr_t(0), [&](Far3Host& h) {
      h.Log("SettingsControl(" + std::to_string(command) + ")");
      return h.settings.Control(h.PluginGuid(), handle, command, param1, param2);
    });
  }

  // Services Quenby has no use for, each with FAR's prototype (on x86 a callee that pops the
  // wrong number of bytes would unbalance the plugin's stack).
  static void Stub(const char* service) {
    Guard(service, 0, [&](Far3Host& h) {
      h.Unexpected(service);
      return 0;
    });
  }
  static intptr_t WINAPI Menu(const GUID*, const GUID*, intptr_t, intptr_t, intptr_t,
                              unsigned long long, const wchar_t*, const wchar_t*, const wchar_t*,
                              const FarKey*, intptr_t*, const void*, size_t) {
    return Stub("Menu"), -1;
  }
  static HANDLE WINAPI SaveScreen(intptr_t, intptr_t, intptr_t, intptr_t) {
    return Stub("SaveScreen"), nullptr;
  }
  static void WINAPI RestoreScreen(HANDLE) { Stub("RestoreScreen"); }
  static void WINAPI FreeScreen(HANDLE) { Stub("FreeScreen"); }
  static intptr_t WINAPI GetDirList(const wchar_t*, PluginPanelItem**, size_t*) {
    return Stub("GetDirList"), 0;
  }
  static intptr_t WINAPI GetPluginDirList(const GUID*, HANDLE, const wchar_t*, PluginPanelItem**,
                                          size_t*) {
    return Stub("GetPluginDirList"), 0;
  }
  static void WINAPI FreeDirList(PluginPanelItem*, size_t) { Stub("FreeDirList"); }
  static void WINAPI FreePluginDirList(HANDLE, PluginPanelItem*, size_t) {
    Stub("FreePluginDirList");
  }
  static intptr_t WINAPI Viewer(const wchar_t*, const wchar_t*, intptr_t, intptr_t, intptr_t,
                                intptr_t, unsigned long long, uintptr_t) {
    return Stub("Viewer"), 0;
  }
  static intptr_t WINAPI Editor(const wchar_t*, const wchar_t*, intptr_t, intptr_t, intptr_t,
                                intptr_t, unsigned long long, intptr_t, intptr_t, uintptr_t) {
    return Stub("Editor"), 0;
  }
  static void WINAPI Text(intptr_t, intptr_t, const void*, const wchar_t*) { Stub("Text"); }
  static intptr_t WINAPI Control4(intptr_t, int, intptr_t, void*) { return Stub("a *Control service"), 0; }
  static intptr_t WINAPI Control4H(HANDLE, int, intptr_t, void*) { return Stub("a *Control service"), 0; }
  static intptr_t WINAPI Control4G(const GUID*, int, intptr_t, void*) { return Stub("MacroControl"), 0; }
  static BOOL WINAPI ShowHelp(const wchar_t*, const wchar_t*, unsigned long long) {
    return Stub("ShowHelp"), FALSE;
  }
  static intptr_t WINAPI InputBox(const GUID*, const GUID*, const wchar_t*, const wchar_t*,
                                  const wchar_t*, const wchar_t*, wchar_t*, size_t,
                                  const wchar_t*, unsigned long long) {
    return Stub("InputBox"), 0;
  }
  static BOOL WINAPI ColorDialog(const GUID*, unsigned long long, void*) {
    return Stub("ColorDialog"), FALSE;
  }
  // FarStandardFunctions: Quenby calls none; each slot records the call (its arguments are not
  // popped on x86, a failure either way).
  static void* WINAPI StandardFunction() { return Stub("a FarStandardFunctions function"), nullptr; }
};

void FillServiceTable(PluginStartupInfo& info, FarStandardFunctions& fsf) {
  using T = Far3ServiceTable;
  std::memset(&info, 0, sizeof info);
  std::memset(&fsf, 0, sizeof fsf);
  fsf.StructSize = sizeof fsf;
  void** slot = reinterpret_cast<void**>(reinterpret_cast<char*>(&fsf) + sizeof(std::size_t));
  const std::size_t slots = (sizeof fsf - sizeof(std::size_t)) / sizeof(void*);
  for (std::size_t i = 0; i < slots; ++i) slot[i] = reinterpret_cast<void*>(&T::StandardFunction);
  auto p = [](auto f) { return reinterpret_cast<void*>(f); };
  info.StructSize = sizeof info;
  info.Menu = p(&T::Menu);
  info.Message = &T::Message;
  info.GetMsg = &T::GetMsg;
  info.PanelControl = &T::PanelControl;
  info.SaveScreen = p(&T::SaveScreen);
  info.RestoreScreen = p(&T::RestoreScreen);
  info.GetDirList = p(&T::GetDirList);
  info.GetPluginDirList = p(&T::GetPluginDirList);
  info.FreeDirList = p(&T::FreeDirList);
  info.FreePluginDirList = p(&T::FreePluginDirList);
  info.Viewer = p(&T::Viewer);
  info.Editor = p(&T::Editor);
  info.Text = p(&T::Text);
  info.EditorControl = p(&T::Control4);
  info.FSF = &fsf;
  info.ShowHelp = p(&T::ShowHelp);
  info.AdvControl = &T::AdvControl;
  info.InputBox = p(&T::InputBox);
  info.ColorDialog = p(&T::ColorDialog);
  info.DialogInit = &T::DialogInit;
  info.DialogRun = &T::DialogRun;
  info.DialogFree = &T::DialogFree;
  info.SendDlgMessage = &T::SendDlgMessage;
  info.DefDlgProc = &T::DefDlgProc;
  info.ViewerControl = p(&T::Control4);
  info.PluginsControl = p(&T::Control4H);
  info.FileFilterControl = p(&T::Control4H);
  info.RegExpControl = p(&T::Control4H);
  info.MacroControl = p(&T::Control4G);
  info.SettingsControl = &T::SettingsControl;
  info.FreeScreen = p(&T::FreeScreen);
}

// ---------------------------------------------------------------------------------------------

void Far3Host::Unexpected(const char* service) {
  Log(std::string("Unexpected:") + service);
  Fail(std::string("the plugin called ") + service + ", which Quenby does not use");
}

bool Far3Host::IsPluginGuid(const GUID* id, const char* what) {
  if (id && IsReadable(id, sizeof(GUID)) && std::memcmp(id, &globalInfo.guid, sizeof(GUID)) == 0)
    return true;
  Fail(std::string(what) + ": PluginId is not the plugin's GUID " + GuidText(globalInfo.guid) +
       " (FAR finds no plugin for it)");
  return false;
}

const Far3LangFile* Far3Host::Messages() {
  if (!langTried_) {
    langTried_ = true;
    auto file = std::make_unique<Far3LangFile>();
    std::string error;
    if (Far3LoadLanguage(FolderOf(fullDllPath), options.language, *file, error))
      lang_ = std::move(file);
    else
      Fail("GetMsg: " + error);
  }
  return lang_.get();
}

// apiGetMsgFn: the plugin's language file, loaded once (Plugin::InitLang).
const wchar_t* Far3Host::DoGetMsg(const GUID* pluginId, intptr_t id) {
  if (!IsPluginGuid(pluginId, "GetMsg")) return L"";
  const Far3LangFile* file = Messages();
  if (!file) return L"";
  if (id < 0 || static_cast<std::size_t>(id) >= file->messages.size()) {
    // language::Msg -> validate: FAR's "bad language file" box, then "".
    Fail("GetMsg: no message " + std::to_string(id) + " in " + Narrow(file->path) + " (" +
         std::to_string(file->messages.size()) + " messages)");
    return L"";
  }
  return file->messages[static_cast<std::size_t>(id)].c_str();
}

// apiMessageFn: the title, lines and buttons as FAR takes them from Items.
intptr_t Far3Host::DoMessage(const GUID* pluginId, const GUID* id, FARMESSAGEFLAGS flags,
                             const wchar_t* help, const wchar_t* const* items, std::size_t count,
                             intptr_t buttons) {
  Log("Message");
  const std::string w = "Message: ";
  if ((!(flags & (FMSG_ALLINONE | FMSG_ERRORTYPE)) && count < 2) || !items) {
    Fail(w + "fewer than 2 items, or no Items: FAR shows nothing and returns -1");
    return -1;
  }
  IsPluginGuid(pluginId, "Message");
  MessageCall call;
  if (id && IsReadable(id, sizeof(GUID))) call.id = *id;
  call.flags = flags;
  call.helpTopic = PluginText(*this, help, w + "HelpTopic");
  std::vector<std::wstring> texts;
  if (flags & FMSG_ALLINONE) {
    std::wstring all = PluginText(*this, reinterpret_cast<const wchar_t*>(items), w + "the text");
    if (!all.empty() && all.back() == L'\n') all.pop_back();
    std::size_t start = 0;
    for (std::size_t nl; (nl = all.find(L'\n', start)) != std::wstring::npos; start = nl + 1)
      texts.push_back(all.substr(start, nl - start));
    texts.push_back(all.substr(start));
  } else {
    if (!IsReadable(items, count * sizeof(wchar_t*))) {
      Fail(w + "Items is not a readable array of " + std::to_string(count));
      return -1;
    }
    for (std::size_t i = 0; i < count; ++i)
      texts.push_back(PluginText(*this, items[i], w + "item " + std::to_string(i)));
  }
  static const wchar_t* const kButtons[][3] = {
      {nullptr}, {L"OK"}, {L"OK", L"Cancel"}, {L"Abort", L"Retry", L"Ignore"}, {L"Yes", L"No"},
      {L"Yes", L"No", L"Cancel"}, {L"Retry", L"Cancel"}};
  const unsigned mb = static_cast<unsigned>((flags & 0x000F0000) >> 16);
  call.title = texts.empty() ? std::wstring() : texts[0];
  if (mb >= 1 && mb <= 6) {
    for (const wchar_t* b : kButtons[mb])
      if (b) call.buttons.push_back(b);
    call.lines.assign(texts.begin() + (texts.empty() ? 0 : 1), texts.end());
  } else {
    if (buttons < 0 || static_cast<std::size_t>(buttons) > texts.size() - (texts.empty() ? 0 : 1)) {
      Fail(w + "ButtonsNumber " + std::to_string(buttons) + " with " +
           std::to_string(texts.size()) + " items");
      buttons = 0;
    }
    const std::size_t firstButton = texts.size() - static_cast<std::size_t>(buttons);
    call.lines.assign(texts.begin() + 1, texts.begin() + static_cast<std::ptrdiff_t>(firstButton));
    call.buttons.assign(texts.begin() + static_cast<std::ptrdiff_t>(firstButton), texts.end());
  }
  if (call.buttons.empty()) {
    call.answer = -1;
  } else if (!messageAnswers.empty()) {
    call.answer = messageAnswers.front();
    messageAnswers.pop_front();
  } else {
    call.answer = 0;
  }
  const std::size_t index = messages.size();
  messages.push_back(call);
  if (onMessage) {
    onMessage(call);
    messages[index].answer = call.answer;
  }
  return call.answer;
}

// apiAdvControl: the commands Quenby may send.
intptr_t Far3Host::DoAdvControl(const GUID* pluginId, int command, intptr_t, void* param2) {
  if (command == ACTL_SYNCHRO) {  // message_manager::notify(*PluginId, Param2): any thread
    {  // FAR takes *PluginId for the event's id; a NULL one fails at the delivery
      std::lock_guard<std::mutex> lock(synchroMutex_);
      synchro_.emplace_back(pluginId ? *pluginId : GUID{}, param2);
    }
    synchroArrived_.notify_all();
    return 0;
  }
  Log("AdvControl(" + std::to_string(command) + ")");  // FAR's thread from here on
  switch (command) {
    case ACTL_GETFARMANAGERVERSION:
      IsPluginGuid(pluginId, "AdvControl(ACTL_GETFARMANAGERVERSION)");
      if (param2) {
        if (!IsWritable(param2, sizeof(VersionInfo))) {
          Fail("AdvControl(ACTL_GETFARMANAGERVERSION): Param2 is not a writable VersionInfo");
          return 0;
        }
        *static_cast<VersionInfo*>(param2) = VersionInfo{3, 0, 0, 6730, VS_RELEASE};
      }
      return TRUE;
    case ACTL_REDRAWALL:
      IsPluginGuid(pluginId, "AdvControl(ACTL_REDRAWALL)");
      if (activePanel && !activePanel->closed) activePanel->Show();
      return TRUE;
    default:
      Fail("AdvControl: command " + std::to_string(command) + " is not modelled by this host");
      return 0;
  }
}

}  // namespace far3host
