// The FAR 3 configuration dialog (17 items, built from a table) and the About box read from the
// DLL's version resource. FAR 3's disks menu has no hot digits: the dialog has no digit field.
#include "Far3Config.h"

#include <cstring>
#include <string>
#include <vector>
#include "../FARLang.h"
#include "Far3Intf.h"
#include "Far3Settings.h"

namespace {

const int NoText = -1;
const FARDIALOGITEMFLAGS Separator = DIF_SEPARATOR | DIF_BOXCOLOR;

struct TDialogRow {
  FARDIALOGITEMTYPES Type;
  int X1, Y1, X2, Y2;
  FARDIALOGITEMFLAGS Flags;
  int Message;  // the item's text, or NoText
};

enum {
  ItemTitle, ItemAddToDisksMenu, ItemSeparator1, ItemPathCaption, ItemPath, ItemExtCaption,
  ItemExt, ItemSeparator2, ItemShowAllFiles, ItemShowAllFolders, ItemAutoExit,
  ItemAutoExitPlugin, ItemTreatFolderAsFile, ItemSeparator3, ItemOk, ItemAbout, ItemCancel,
  ItemCount
};

const TDialogRow DialogRows[ItemCount] = {
    /*  0 */ {DI_DOUBLEBOX, 3, 1, 72, 14, 0, MConfigTitle},
    /*  1 */ {DI_CHECKBOX, 5, 2, 0, 0, 0, MAddToDisksMenu},
    /*  2 */ {DI_TEXT, 5, 3, 0, 0, Separator, NoText},
    /*  3 */ {DI_TEXT, 5, 4, 0, 0, 0, MFileSystemFile},
    /*  4 */ {DI_EDIT, 7, 5, 67, 5, DIF_FOCUS, NoText},
    /*  5 */ {DI_TEXT, 5, 6, 0, 0, 0, MFileSystemExt},
    /*  6 */ {DI_FIXEDIT, 7, 7, 9, 7, 0, NoText},
    /*  7 */ {DI_TEXT, 5, 8, 0, 0, Separator, NoText},
    /*  8 */ {DI_CHECKBOX, 5, 9, 0, 0, 0, MShowAllFiles},
    /*  9 */ {DI_CHECKBOX, 5, 10, 0, 0, 0, MShowAllFolders},
    /* 10 */ {DI_CHECKBOX, 5, 11, 0, 0, 0, MAutoExit},
    /* 11 */ {DI_CHECKBOX, 36, 9, 0, 0, 0, MAutoExitPlugin},
    /* 12 */ {DI_CHECKBOX, 36, 10, 0, 0, 0, MTreatFolderAsFile},
    /* 13 */ {DI_TEXT, 5, 12, 0, 0, Separator, NoText},
    /* 14 */ {DI_BUTTON, 10, 13, 0, 0, DIF_DEFAULTBUTTON, MOk},
    /* 15 */ {DI_BUTTON, 30, 13, 0, 0, 0, MAbout},
    /* 16 */ {DI_BUTTON, 55, 13, 0, 0, 0, MCancel},
};

struct TCheckBoxSetting {
  int Item;
  int TSettings::*Field;
};
const TCheckBoxSetting CheckBoxes[] = {
    {ItemAddToDisksMenu, &TSettings::AddToDisksMenu},
    {ItemShowAllFiles, &TSettings::ShowAllFiles},
    {ItemShowAllFolders, &TSettings::ShowAllFolders},
    {ItemAutoExit, &TSettings::AutoExit},
    {ItemAutoExitPlugin, &TSettings::AutoExitPlugin},
    {ItemTreatFolderAsFile, &TSettings::TreatFolderAsFile},
};

// The items with the settings put in. The texts they point at live in Settings and FAR.
std::vector<FarDialogItem> MakeItems() {
  std::vector<FarDialogItem> Items(ItemCount);
  for (int I = 0; I < ItemCount; ++I) {
    const TDialogRow& Row = DialogRows[I];
    FarDialogItem& Item = Items[I];
    memset(&Item, 0, sizeof(Item));
    Item.Type = Row.Type;
    Item.X1 = Row.X1;
    Item.Y1 = Row.Y1;
    Item.X2 = Row.X2;
    Item.Y2 = Row.Y2;
    Item.Flags = Row.Flags;
    Item.Data = Row.Message != NoText ? FarGetMsg(Row.Message) : L"";
  }
  for (const TCheckBoxSetting& C : CheckBoxes) Items[C.Item].Selected = Settings.*C.Field;
  Items[ItemPath].Data = Settings.FileSystemFile.c_str();
  Items[ItemExt].Data = Settings.FileSystemExt.c_str();
  Items[ItemExt].MaxLength = SettingTextLimit(&TSettings::FileSystemExt);
  return Items;
}

std::wstring ItemText(HANDLE Dialog, int Item) {
  auto Text = reinterpret_cast<const wchar_t*>(
      StartupInfo.SendDlgMessage(Dialog, DM_GETCONSTTEXTPTR, Item, nullptr));
  return Text ? Text : L"";
}

// Everything is taken, so the settings in memory and in FAR's settings always agree.
void TakeSettings(HANDLE Dialog) {
  for (const TCheckBoxSetting& C : CheckBoxes)
    Settings.*C.Field = static_cast<int>(StartupInfo.SendDlgMessage(Dialog, DM_GETCHECK, C.Item, nullptr));
  Settings.FileSystemFile = ItemText(Dialog, ItemPath);
  Settings.FileSystemExt = ItemText(Dialog, ItemExt).substr(0, SettingTextLimit(&TSettings::FileSystemExt));
}

// The dialog's handle, freed when it goes out of scope.
class TDialog {
 public:
  explicit TDialog(const std::vector<FarDialogItem>& Items)
      : FHandle(StartupInfo.DialogInit(&PluginGuid, &ConfigDialogGuid, -1, -1, 76, 16, L"QuenbyCfg",
                                       Items.data(), Items.size(), 0, FDLG_NONE, nullptr, nullptr)) {}
  ~TDialog() {
    if (Valid()) StartupInfo.DialogFree(FHandle);
  }
  TDialog(const TDialog&) = delete;
  TDialog& operator=(const TDialog&) = delete;
  bool Valid() const { return FHandle != INVALID_HANDLE_VALUE && FHandle != nullptr; }
  HANDLE Get() const { return FHandle; }

 private:
  HANDLE FHandle;
};

}  // namespace

void ShowConfigDialog() {
  if (!StartupInfo.DialogInit) return;
  const std::vector<FarDialogItem> Items = MakeItems();
  intptr_t Result;
  {
    TDialog Dialog(Items);
    if (!Dialog.Valid()) return;
    Result = StartupInfo.DialogRun(Dialog.Get());
    if (Result == ItemOk) {
      TakeSettings(Dialog.Get());
      SaveSettings();
    }
  }
  if (Result == ItemAbout) ShowAbout();  // after the dialog has closed
}

// ---------------------------------------------------------------------------------------------
// About

namespace {

// The string values of a module's version resource (U.S. English, code page 1252).
class TVersionStrings {
 public:
  explicit TVersionStrings(const std::wstring& FileName) {
    DWORD Handle = 0;
    DWORD Size = GetFileVersionInfoSizeW(FileName.c_str(), &Handle);
    if (Size == 0) return;
    FBlock.assign(Size, 0);
    GetFileVersionInfoW(FileName.c_str(), 0, Size, FBlock.data());
  }
  // The value, or nothing (false) when the resource lacks it.
  bool Get(const wchar_t* Key, std::wstring& Value) const {
    if (FBlock.empty()) return false;
    std::wstring Path = std::wstring(L"\\StringFileInfo\\040904E4\\") + Key;
    wchar_t* Text = nullptr;
    UINT Length = 0;
    if (!VerQueryValueW(FBlock.data(), Path.c_str(), reinterpret_cast<void**>(&Text), &Length) || !Text)
      return false;
    // Bounded by the block, should a damaged resource lack its terminating zero.
    const wchar_t* End = reinterpret_cast<const wchar_t*>(FBlock.data() + FBlock.size());
    if (Text < reinterpret_cast<const wchar_t*>(FBlock.data()) || Text >= End) return false;
    Value.assign(Text, wcsnlen(Text, End - Text));
    return true;
  }

 private:
  std::vector<char> FBlock;
};

}  // namespace

void ShowAbout() {
  const TVersionStrings Version(ModuleFileName);
  const wchar_t* Keys[] = {L"FileDescription", L"ProductVersion", L"ProductName",
                           L"LegalCopyright", L"Comments"};
  std::wstring Values[5];
  bool Found = false;
  for (int I = 0; I < 5; ++I) Found = Version.Get(Keys[I], Values[I]) || Found;
  if (!Found) {
    FarMessage(FMSG_WARNING, L"VerInfNotExist", {MError, MVerInfNotExist, MOk}, 1);
    return;
  }
  const std::wstring Title = Values[0] + L" v." + Values[1];
  FarMessage(FMSG_NONE, L"Author", {Title, Values[2], Values[3], Values[4], MOk}, 1);
}
