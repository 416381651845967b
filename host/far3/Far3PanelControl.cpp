// FAR 3's PanelControl (plugapi.cpp apiPanelControl, panel.cpp Panel::SetPluginCommand,
// filelist.cpp PluginGetPanelInfo and FileListToPluginItem2): the FCTL_ commands Quenby sends.
#include <cstring>

#include "Far3Host.h"

namespace far3host {

namespace {

const char* CommandName(int c) {
  switch (c) {
    case FCTL_CLOSEPANEL: return "CLOSEPANEL";
    case FCTL_GETPANELINFO: return "GETPANELINFO";
    case FCTL_UPDATEPANEL: return "UPDATEPANEL";
    case FCTL_REDRAWPANEL: return "REDRAWPANEL";
    case FCTL_SETCMDLINE: return "SETCMDLINE";
    case FCTL_INSERTCMDLINE: return "INSERTCMDLINE";
    case FCTL_GETPANELITEM: return "GETPANELITEM";
    case FCTL_GETCURRENTPANELITEM: return "GETCURRENTPANELITEM";
    case FCTL_GETSELECTEDPANELITEM: return "GETSELECTEDPANELITEM";
    case FCTL_GETPANELDIRECTORY: return "GETPANELDIRECTORY";
    default: return nullptr;
  }
}

std::size_t Aligned(std::size_t size, std::size_t alignment) {
  return (size + alignment - 1) / alignment * alignment;
}

}  // namespace

intptr_t Far3Host::DoPanelControl(HANDLE handle, int command, intptr_t param1, void* param2) {
  ControlCall call;
  call.handle = handle;
  call.command = command;
  call.param1 = param1;
  call.param2Null = param2 == nullptr;
  const char* known = CommandName(command);
  std::string name = std::string("PanelControl:") + (known ? known : std::to_string(command).c_str());
  if ((command == FCTL_CLOSEPANEL || command == FCTL_SETCMDLINE || command == FCTL_INSERTCMDLINE) &&
      param2)
    call.text = PluginText(*this, static_cast<const wchar_t*>(param2), name + " text");
  if (command == FCTL_REDRAWPANEL && param2) {
    const auto* r = static_cast<const PanelRedrawInfo*>(param2);
    if (IsReadable(r, sizeof *r) && StructSizeOk(r->StructSize, sizeof *r)) {
      call.hasRedraw = true;
      call.redrawCurrent = r->CurrentItem;
      call.redrawTop = r->TopPanelItem;
      name += "(" + std::to_string(r->CurrentItem) + "," + std::to_string(r->TopPanelItem) + ")";
    } else {
      Fail(name + ": Param2 is not a PanelRedrawInfo of StructSize " +
           std::to_string(sizeof(PanelRedrawInfo)) + " (FAR ignores it)");
    }
  }
  if (command == FCTL_CLOSEPANEL) name += "(" + Narrow(call.text) + ")";
  Log(name);
  const std::size_t index = controls.size();
  controls.push_back(call);

  Far3PluginPanel* panel = nullptr;
  switch (command) {
    case FCTL_SETCMDLINE:
    case FCTL_INSERTCMDLINE:
      if (!param2) Fail(name + ": NULL text");
      if (command == FCTL_SETCMDLINE) commandLine.clear();
      commandLine += call.text;
      controls[index].result = TRUE;
      return TRUE;
    case FCTL_CHECKPANELSEXIST:
      return TRUE;
    default:
      break;
  }
  if (!known) {
    Fail(name + ": a command this host does not model");
    return FALSE;
  }
  if (!handle || handle == PANEL_ACTIVE) {
    panel = activePanel && !activePanel->closed ? activePanel : nullptr;
  } else if (handle == PANEL_PASSIVE) {
    Fail(name + ": the passive panel is not modelled");
    return FALSE;
  } else {
    // A handle names the left or the right panel's plugin; any other one is not processed.
    panel = FindPanel(handle);
    if (!panel || panel != activePanel) {
      Fail(name + ": the handle is not a plugin panel FAR shows (FAR returns FALSE)");
      return FALSE;
    }
  }
  const intptr_t result = PanelCommand(panel, controls[index], param1, param2);
  controls[index].result = result;
  return result;
}

intptr_t Far3Host::PanelCommand(Far3PluginPanel* panel, ControlCall& call, intptr_t param1,
                                void* param2) {
  const std::string name = std::string("PanelControl:") + CommandName(call.command);
  switch (call.command) {
    case FCTL_CLOSEPANEL:
      // Not deferred in FAR 3: FE_CLOSE, ClosePanelW and the change of folder happen inside
      // this call, while the plugin's own call is still running.
      if (panel) panel->CloseTo(call.text);
      return TRUE;
    case FCTL_GETPANELINFO:
      return GetPanelInfo(panel, param2);
    case FCTL_UPDATEPANEL:
      if (panel) {
        if (panel->insideGetFindData_) {
          Fail(name + ": the panel is being read (called from GetFindDataW)");
          return FALSE;
        }
        panel->Update(param1 != 0);
      } else {
        filePanel.Read(filePanel.Current() ? filePanel.Current()->name : std::wstring());
      }
      return TRUE;
    case FCTL_REDRAWPANEL:
      if (panel) {
        if (call.hasRedraw) {
          panel->currentItem = static_cast<int>(call.redrawCurrent);
          panel->topItem = static_cast<int>(call.redrawTop);
        }
        panel->Redraw();
      } else if (call.hasRedraw) {
        filePanel.currentItem = static_cast<int>(call.redrawCurrent);
        filePanel.topItem = static_cast<int>(call.redrawTop);
      }
      return TRUE;
    case FCTL_GETPANELITEM:
    case FCTL_GETCURRENTPANELITEM:
    case FCTL_GETSELECTEDPANELITEM:
      return GetPanelItem(panel, call.command, param1, param2);
    case FCTL_GETPANELDIRECTORY:
      return GetPanelDirectory(panel, param1, param2);
    default:
      Fail(name + ": a command this host does not model");
      return FALSE;
  }
}

intptr_t Far3Host::GetPanelInfo(Far3PluginPanel* panel, void* param2) {
  auto* info = static_cast<PanelInfo*>(param2);
  if (!info || !IsReadable(info, sizeof(std::size_t)) || !StructSizeOk(info->StructSize, sizeof *info) ||
      !IsWritable(info, sizeof *info)) {
    Fail("PanelControl:GETPANELINFO: Param2 is not a PanelInfo of StructSize " +
         std::to_string(sizeof(PanelInfo)) + " (FAR returns FALSE and fills nothing)");
    return FALSE;
  }
  std::memset(info, 0, sizeof *info);
  info->StructSize = sizeof *info;
  info->PanelType = PTYPE_FILEPANEL;
  info->PanelRect = RECT{0, 1, 39, 22};
  info->ViewMode = 2;
  info->Flags = PFLAGS_SHOWHIDDEN | PFLAGS_HIGHLIGHT | PFLAGS_DIRECTORIESFIRST | PFLAGS_VISIBLE |
                PFLAGS_FOCUS | PFLAGS_PANELLEFT;
  if (panel) {
    info->OwnerGuid = globalInfo.guid;
    info->PluginHandle = panel->handle;
    info->Flags |= PFLAGS_PLUGIN;
    info->SortMode = static_cast<OPENPANELINFO_SORTMODES>(panel->sortMode);
    if (panel->reverse) info->Flags |= PFLAGS_REVERSESORTORDER;
    // FAR asks the plugin again (GetOpenPanelInfo) for the flags it reports.
    static int reenter = 0;
    if (!reenter) {
      ++reenter;
      panel->GetOpenPanelInfo();
      --reenter;
    }
    if (panel->info.flags & OPIF_REALNAMES) info->Flags |= PFLAGS_REALNAMES;
    if (panel->info.flags & OPIF_DISABLEHIGHLIGHTING) info->Flags &= ~PFLAGS_HIGHLIGHT;
    panel->CorrectPosition();
    info->CurrentItem = static_cast<std::size_t>(panel->currentItem);
    info->TopPanelItem = static_cast<std::size_t>(panel->topItem);
    info->ItemsNumber = panel->items.size();
    for (const Far3Item& i : panel->items) info->SelectedItemsNumber += i.selected ? 1 : 0;
    if (!info->SelectedItemsNumber && panel->Current() && !panel->Current()->parentPoint)
      info->SelectedItemsNumber = 1;  // GetSelCount: the current item stands in
  } else {
    info->SortMode = SM_NAME;
    info->Flags |= PFLAGS_REALNAMES;
    info->CurrentItem = static_cast<std::size_t>(filePanel.currentItem);
    info->TopPanelItem = static_cast<std::size_t>(filePanel.topItem);
    info->ItemsNumber = filePanel.items.size();
    info->SelectedItemsNumber =
        filePanel.Current() && !filePanel.Current()->parentPoint ? 1 : 0;
  }
  return TRUE;
}

// FCTL_GETPANELDIRECTORY (panel.cpp, GetShortcutInfo): the size of a FarPanelDirectory and its
// three texts after it; filled only when Param1 gives at least that many bytes.
intptr_t Far3Host::GetPanelDirectory(Far3PluginPanel* panel, intptr_t size, void* param2) {
  std::wstring folder, file, data;
  GUID owner{};
  if (panel) {
    panel->GetOpenPanelInfo();
    owner = globalInfo.guid;
    file = panel->info.hostFile;
    folder = panel->info.curDir;
    data = panel->info.shortcutData;
  } else {
    folder = filePanel.curDir;
  }
  const auto bytes = [](const std::wstring& s) { return (s.size() + 1) * sizeof(wchar_t); };
  const std::size_t folderAt = Aligned(sizeof(FarPanelDirectory), sizeof(wchar_t));
  const std::size_t fileAt = folderAt + bytes(folder);
  const std::size_t dataAt = fileAt + bytes(file);
  const std::size_t need = dataAt + bytes(data);
  auto* dir = static_cast<FarPanelDirectory*>(param2);
  if (size < static_cast<intptr_t>(need) || !dir) return static_cast<intptr_t>(need);
  if (!IsReadable(dir, sizeof *dir) || !StructSizeOk(dir->StructSize, sizeof *dir)) {
    Fail("PanelControl:GETPANELDIRECTORY: Param2 is not a FarPanelDirectory of StructSize " +
         std::to_string(sizeof(FarPanelDirectory)));
    return static_cast<intptr_t>(need);
  }
  if (!IsWritable(dir, need)) {
    Fail("PanelControl:GETPANELDIRECTORY: Param1 says " + std::to_string(size) +
         " bytes but they are not writable");
    return static_cast<intptr_t>(need);
  }
  char* base = reinterpret_cast<char*>(dir);
  const auto put = [&](std::size_t at, const std::wstring& s) {
    std::memcpy(base + at, s.c_str(), bytes(s));
    return reinterpret_cast<const wchar_t*>(base + at);
  };
  dir->StructSize = sizeof *dir;
  dir->PluginId = owner;
  dir->Name = put(folderAt, folder);
  dir->File = put(fileAt, file);
  dir->Param = put(dataAt, data);
  return static_cast<intptr_t>(need);
}

// FileListToPluginItem2: the item and its texts in the caller's buffer; the size it needs.
intptr_t Far3Host::GetPanelItem(Far3PluginPanel* panel, int command, intptr_t index, void* param2) {
  const std::vector<Far3Item>& items = panel ? panel->items : filePanel.items;
  const int current = panel ? panel->currentItem : filePanel.currentItem;
  if (command == FCTL_GETCURRENTPANELITEM) index = current;
  if (command == FCTL_GETSELECTEDPANELITEM) {
    std::vector<std::size_t> selected;
    for (std::size_t i = 0; i < items.size(); ++i)
      if (items[i].selected) selected.push_back(i);
    if (selected.empty() && current >= 0 && current < static_cast<int>(items.size()) &&
        !items[static_cast<std::size_t>(current)].parentPoint)
      selected.push_back(static_cast<std::size_t>(current));
    if (index < 0 || static_cast<std::size_t>(index) >= selected.size()) return 0;
    index = static_cast<intptr_t>(selected[static_cast<std::size_t>(index)]);
  }
  if (index < 0 || static_cast<std::size_t>(index) >= items.size()) return 0;
  auto* gpi = static_cast<FarGetPluginPanelItem*>(param2);
  if (gpi && (!IsReadable(gpi, sizeof *gpi) || !StructSizeOk(gpi->StructSize, sizeof *gpi))) {
    Fail("PanelControl: Param2 is not a FarGetPluginPanelItem of StructSize " +
         std::to_string(sizeof(FarGetPluginPanelItem)));
    return 0;
  }
  const Far3Item& fi = items[static_cast<std::size_t>(index)];
  const auto bytes = [](const std::wstring& s) { return (s.size() + 1) * sizeof(wchar_t); };
  std::size_t size = sizeof(PluginPanelItem);
  const std::size_t nameAt = Aligned(size, alignof(wchar_t));
  size = nameAt + bytes(fi.name);
  const std::size_t altAt = Aligned(size, alignof(wchar_t));
  size = altAt + (fi.alternateName.empty() ? 0 : bytes(fi.alternateName));
  const std::size_t descrAt = Aligned(Aligned(size, alignof(wchar_t*)), alignof(wchar_t));
  size = descrAt + (fi.hasDescription ? bytes(fi.description) : 0);
  if (!gpi || !gpi->Item || gpi->Size < sizeof(PluginPanelItem)) return static_cast<intptr_t>(size);
  if (!IsWritable(gpi->Item, gpi->Size)) {
    Fail("PanelControl: FarGetPluginPanelItem.Item has not Size writable bytes");
    return static_cast<intptr_t>(size);
  }
  PluginPanelItem& out = *gpi->Item;
  std::memset(&out, 0, sizeof out);
  out.CreationTime = fi.creationTime;
  out.LastAccessTime = fi.lastAccessTime;
  out.LastWriteTime = fi.lastWriteTime;
  out.ChangeTime = fi.changeTime;
  out.FileSize = fi.fileSize;
  out.Flags = fi.flags | (fi.selected ? PPIF_SELECTED : 0);
  out.UserData = fi.userData;
  out.FileAttributes = fi.attributes;
  auto* data = reinterpret_cast<char*>(gpi->Item);
  const auto put = [&](std::size_t at, const std::wstring& s) -> const wchar_t* {
    if (at + bytes(s) > gpi->Size) return nullptr;
    auto* dest = reinterpret_cast<wchar_t*>(data + at);
    std::memcpy(dest, s.c_str(), bytes(s));
    return dest;
  };
  if (!(out.FileName = put(nameAt, fi.name))) return static_cast<intptr_t>(size);
  if (!fi.alternateName.empty() && !(out.AlternateFileName = put(altAt, fi.alternateName)))
    return static_cast<intptr_t>(size);
  if (fi.hasDescription) out.Description = put(descrAt, fi.description);
  return static_cast<intptr_t>(size);
}

}  // namespace far3host
