// FAR 3's plugin dialogs: DialogInit's checks and copy, a scripted run with the dialog procedure's
// DN_INITDIALOG and DN_CLOSE, and SendDlgMessage's reads and writes of FAR's copy.
#include "Far3Dialog.h"

#include <cstring>

namespace far3host {

namespace {

// The longest text FAR's edit line keeps: a fixed edit is as long as it is wide (dialog.cpp
// sets MaxLength X2-X1+1), other edits MaxLength when it is not 0.
std::size_t EditLimit(const DialogItem& item) {
  if (item.type == DI_FIXEDIT) return static_cast<std::size_t>(item.x2 - item.x1 + 1);
  if (item.IsEdit() && item.maxLength) return item.maxLength;
  return std::wstring::npos;
}

}  // namespace

// A dialog between DialogInit and DialogFree.
struct Far3Dialogs::Live {
  std::shared_ptr<DialogCall> call;
  FARWINDOWPROC proc = nullptr;
  void* param = nullptr;
  std::vector<std::vector<wchar_t>> constTexts;  // DM_GETCONSTTEXTPTR results, live until free
};

Far3Dialogs::Far3Dialogs(CallLog& log) : log_(log) {}
Far3Dialogs::~Far3Dialogs() = default;

std::wstring DialogCall::Text(std::size_t index) const {
  return index < result.size() ? result[index].data : std::wstring();
}

void DialogCall::Check(std::size_t index, intptr_t state) {
  if (index < result.size()) result[index].selected = state;
}

void DialogCall::Type(std::size_t index, const std::wstring& text) {
  if (index >= result.size()) return;
  DialogItem& item = result[index];
  item.data = text.substr(0, std::min(text.size(), EditLimit(item)));
}

Far3Dialogs::Live* Far3Dialogs::Find(HANDLE h, const char* what) {
  for (auto& l : live_)
    if (l.get() == h) return l.get();
  log_.Fail(std::string(what) + ": not a dialog handle DialogInit gave, or one already freed");
  return nullptr;
}

HANDLE Far3Dialogs::Init(const GUID& owner, const GUID* pluginId, const GUID* id, intptr_t x1,
                         intptr_t y1, intptr_t x2, intptr_t y2, const wchar_t* help,
                         const FarDialogItem* items, std::size_t count, FARDIALOGFLAGS flags,
                         FARWINDOWPROC proc, void* param) {
  const std::string w = "DialogInit: ";
  if (!count || !items) {
    log_.Fail(w + "no items");
    return INVALID_HANDLE_VALUE;
  }
  // apiDialogInit: X2/Y2 0 after a negative X1/Y1 means 1; then the corners must make sense.
  if (x1 < 0 && x2 == 0) x2 = 1;
  if (y1 < 0 && y2 == 0) y2 = 1;
  const auto coordOk = [](intptr_t a, intptr_t b) { return b >= 0 && (a < 0 ? b > 0 : a <= b); };
  if (!coordOk(x1, x2) || !coordOk(y1, y2)) {
    log_.Fail(w + "corners FAR refuses");
    return INVALID_HANDLE_VALUE;
  }
  if (!pluginId || !IsReadable(pluginId, sizeof(GUID)) ||
      std::memcmp(pluginId, &owner, sizeof owner) != 0) {
    log_.Fail(w + "PluginId is not the plugin's own GUID (FAR finds no plugin and refuses)");
    return INVALID_HANDLE_VALUE;
  }
  if (!id || !IsReadable(id, sizeof(GUID))) {
    log_.Fail(w + "Id is not a readable GUID (FAR copies it)");
    return INVALID_HANDLE_VALUE;
  }
  if (!IsReadable(items, count * sizeof(FarDialogItem))) {
    log_.Fail(w + "the item array is not readable");
    return INVALID_HANDLE_VALUE;
  }
  auto call = std::make_shared<DialogCall>();
  call->id = *id;
  call->x1 = x1, call->y1 = y1, call->x2 = x2, call->y2 = y2;
  call->helpTopic = PluginText(log_, help, w + "HelpTopic");
  call->flags = flags;
  call->hasProc = proc != nullptr;
  for (std::size_t i = 0; i < count; ++i) {
    const FarDialogItem& in = items[i];
    const std::string label = w + "item " + std::to_string(i) + " ";
    DialogItem item;
    item.type = in.Type;
    item.x1 = in.X1, item.y1 = in.Y1, item.x2 = in.X2, item.y2 = in.Y2;
    item.selected = in.Selected;
    item.flags = in.Flags;
    item.data = PluginText(log_, in.Data, label + "Data");
    item.history = PluginText(log_, in.History, label + "History");
    item.mask = PluginText(log_, in.Mask, label + "Mask");
    item.maxLength = in.MaxLength;
    item.userData = in.UserData;
    if (item.type == DI_FIXEDIT && item.x2 < item.x1) log_.Fail(label + "is a fixed edit with X2 < X1");
    const std::size_t limit = EditLimit(item);
    if (item.IsEdit() && item.data.size() > limit) item.data.resize(limit);
    call->items.push_back(std::move(item));
  }
  call->result = call->items;
  calls.push_back(call);
  auto live = std::make_unique<Live>();
  live->call = call;
  live->proc = proc;
  live->param = param;
  live_.push_back(std::move(live));
  return live_.back().get();
}

intptr_t Far3Dialogs::Run(HANDLE h) {
  Live* l = Find(h, "DialogRun");
  if (!l) return -1;
  DialogCall& call = *l->call;
  ++call.runs;
  if (l->proc) l->proc(h, DN_INITDIALOG, 0, l->param);
  for (;;) {
    DialogScript s;
    if (!script.empty()) {
      s = std::move(script.front());
      script.pop_front();
    } else {
      s = answer;
    }
    intptr_t code = s ? s(call) : -1;
    if (code < -1 || code >= static_cast<intptr_t>(call.result.size())) {
      log_.Fail("DialogRun: the test's script closed the dialog with item " + std::to_string(code));
      code = -1;
    }
    // Dialog::CloseDialog asks the procedure first; FALSE keeps the dialog open.
    if (l->proc && !l->proc(h, DN_CLOSE, code, nullptr)) {
      if (script.empty()) {
        log_.Fail("DialogRun: the dialog procedure refused to close and the script has no more "
                  "steps");
        call.exitCode = code;
        return code;
      }
      continue;
    }
    call.exitCode = code;
    return code;
  }
}

void Far3Dialogs::Free(HANDLE h) {
  if (h == INVALID_HANDLE_VALUE) return;
  Live* l = Find(h, "DialogFree");
  if (!l) return;
  l->call->freed = true;
  for (auto it = live_.begin(); it != live_.end(); ++it)
    if (it->get() == l) {
      live_.erase(it);
      break;
    }
}

void Far3Dialogs::CheckAllFreed() {
  if (!live_.empty())
    log_.Fail("DialogFree was not called for " + std::to_string(live_.size()) + " dialog(s)");
  live_.clear();
}

intptr_t Far3Dialogs::DefProc(HANDLE h, intptr_t msg, intptr_t, void*) {
  if (!Find(h, "DefDlgProc")) return 0;
  switch (msg) {
    case DN_CLOSE:
    case DN_BTNCLICK: return TRUE;
    default: return 0;
  }
}

intptr_t Far3Dialogs::Send(HANDLE h, intptr_t msg, intptr_t param1, void* param2) {
  Live* l = Find(h, "SendDlgMessage");
  if (!l) return 0;  // Dialog::IsValid fails: FAR answers 0
  DialogCall& call = *l->call;
  const std::string w = "SendDlgMessage(" + std::to_string(msg) + "): ";
  if (msg == DM_CLOSE) {
    call.exitCode = param1;
    return TRUE;
  }
  if (param1 < 0 || static_cast<std::size_t>(param1) >= call.result.size()) return 0;
  DialogItem& item = call.result[static_cast<std::size_t>(param1)];
  switch (msg) {
    case DM_GETCHECK:
      return item.type == DI_CHECKBOX || item.type == DI_RADIOBUTTON ? item.selected : 0;
    case DM_SETCHECK: {
      if (item.type != DI_CHECKBOX) return 0;
      const intptr_t old = item.selected;
      intptr_t state = reinterpret_cast<intptr_t>(param2);
      if (state == BSTATE_TOGGLE) state = old == BSTATE_CHECKED ? BSTATE_UNCHECKED : BSTATE_CHECKED;
      if (state <= BSTATE_3STATE) item.selected = state;
      return old;
    }
    case DM_GETCONSTTEXTPTR: {
      l->constTexts.emplace_back(item.data.begin(), item.data.end());
      l->constTexts.back().push_back(0);
      return reinterpret_cast<intptr_t>(l->constTexts.back().data());
    }
    case DM_GETTEXT: {
      const std::wstring text = item.data;  // a button's without the brackets FAR draws
      auto* did = static_cast<FarDialogItemData*>(param2);
      if (!did) return static_cast<intptr_t>(text.size());
      if (!IsReadable(did, sizeof *did) || !StructSizeOk(did->StructSize, sizeof *did)) {
        log_.Fail(w + "not a FarDialogItemData of StructSize " +
                  std::to_string(sizeof(FarDialogItemData)));
        return static_cast<intptr_t>(text.size());
      }
      std::size_t len = text.size();
      if (!did->PtrLength)
        did->PtrLength = len;
      else if (len > did->PtrLength)
        len = did->PtrLength;
      if (did->PtrData) {
        if (!IsWritable(did->PtrData, (len + 1) * sizeof(wchar_t))) {
          log_.Fail(w + "PtrData has no room for PtrLength characters and a NUL");
          return 0;
        }
        std::copy_n(text.data(), len, did->PtrData);
        did->PtrData[len] = 0;
      }
      return static_cast<intptr_t>(len);
    }
    case DM_SETTEXTPTR: {
      const std::wstring text = PluginText(log_, static_cast<const wchar_t*>(param2), w + "text");
      item.data = item.IsEdit() ? text.substr(0, std::min(text.size(), EditLimit(item))) : text;
      return TRUE;
    }
    default:
      log_.Fail(w + "a message this host does not model");
      return 0;
  }
}

}  // namespace far3host
