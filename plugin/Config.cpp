// The configuration dialog (19 FAR dialog items, built from a table) and the About box.
#include "Config.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include "FARIntf.h"
#include "FARLang.h"
#include "VersionInfo.h"
#include "nbumail.h"

namespace {

const int True = -1;  // FAR's dialogs take a true Focus or DefaultButton as all bits set
const unsigned Separator = DIF_SEPARATOR | DIF_BOXCOLOR;
const int NoText = -1;

struct TDialogRow {
  int Type, X1, Y1, X2, Y2, Focus;
  unsigned Flags;
  int DefaultButton;
  int Message;  // text put in at each run, or NoText
};

enum {
  ItemTitle, ItemAddToDisksMenu, ItemDigit, ItemDigitText, ItemSeparator1, ItemPathCaption,
  ItemPath, ItemExtCaption, ItemExt, ItemSeparator2, ItemShowAllFiles, ItemShowAllFolders,
  ItemAutoExit, ItemAutoExitPlugin, ItemTreatFolderAsFile, ItemSeparator3, ItemOk, ItemAbout,
  ItemCancel
};

const TDialogRow DialogRows[ConfigDialogItemCount] = {
    /*  0 */ {DI_DOUBLEBOX, 3, 1, 72, 15, 0, 0, 0, MConfigTitle},
    /*  1 */ {DI_CHECKBOX, 5, 2, 0, 0, 0, 0, 0, MAddToDisksMenu},
    /*  2 */ {DI_FIXEDIT, 7, 3, 7, 3, True, 0, 0, NoText},
    /*  3 */ {DI_TEXT, 9, 3, 0, 0, 0, 0, 0, MDisksMenuDigit},
    /*  4 */ {DI_TEXT, 5, 4, 0, 0, 0, Separator, 0, NoText},
    /*  5 */ {DI_TEXT, 5, 5, 0, 0, 0, 0, 0, MFileSystemFile},
    /*  6 */ {DI_FIXEDIT, 7, 6, 67, 8, 0, 0, 0, NoText},
    /*  7 */ {DI_TEXT, 5, 7, 0, 0, 0, 0, 0, MFileSystemExt},
    /*  8 */ {DI_FIXEDIT, 7, 8, 9, 8, 0, 0, 0, NoText},
    /*  9 */ {DI_TEXT, 5, 9, 0, 0, 0, Separator, 0, NoText},
    /* 10 */ {DI_CHECKBOX, 5, 10, 0, 0, 0, 0, 0, MShowAllFiles},
    /* 11 */ {DI_CHECKBOX, 5, 11, 0, 0, 0, 0, 0, MShowAllFolders},
    /* 12 */ {DI_CHECKBOX, 5, 12, 0, 0, 0, 0, 0, MAutoExit},
    /* 13 */ {DI_CHECKBOX, 36, 10, 0, 0, 0, 0, 0, MAutoExitPlugin},
    /* 14 */ {DI_CHECKBOX, 36, 11, 0, 0, 0, 0, 0, MTreatFolderAsFile},
    /* 15 */ {DI_TEXT, 5, 13, 0, 0, 0, Separator, 0, NoText},
    /* 16 */ {DI_BUTTON, 10, 14, 0, 0, 0, 0, True, MOk},
    /* 17 */ {DI_BUTTON, 30, 14, 0, 0, 0, 0, 0, MAbout},
    /* 18 */ {DI_BUTTON, 55, 14, 0, 0, 0, 0, 0, MCancel},
};

FarDialogItem MakeItem(const TDialogRow& Row) {
  FarDialogItem Item;
  memset(&Item, 0, sizeof(Item));
  Item.Type = Row.Type;
  Item.X1 = Row.X1;
  Item.Y1 = Row.Y1;
  Item.X2 = Row.X2;
  Item.Y2 = Row.Y2;
  Item.Focus = Row.Focus;
  Item.Flags = Row.Flags;
  Item.DefaultButton = Row.DefaultButton;
  return Item;
}

// Copies Text into an item's Data, cut to the field's 511 characters and a zero.
void SetData(FarDialogItem& Item, const std::string& Text) {
  size_t Length = Text.size() < sizeof(Item.Data) - 1 ? Text.size() : sizeof(Item.Data) - 1;
  memcpy(Item.Data, Text.data(), Length);
  Item.Data[Length] = 0;
}

std::string Data(const FarDialogItem& Item) {
  return std::string(Item.Data, strnlen(Item.Data, sizeof(Item.Data)));
}

// A signed decimal number; false when the text is not one (the digit field is free text).
bool ParseInteger(const std::string& Text, int& Value) {
  if (Text.empty()) {
    Value = 0;
    return true;
  }
  char* End = nullptr;
  errno = 0;
  long Parsed = strtol(Text.c_str(), &End, 10);
  if (errno || End == Text.c_str() || *End || Parsed < INT_MIN || Parsed > INT_MAX ||
      isspace(static_cast<unsigned char>(Text[0])))
    return false;
  Value = static_cast<int>(Parsed);
  return true;
}

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

void PutSettings(FarDialogItem* Items) {
  for (int I = 0; I < ConfigDialogItemCount; ++I)
    if (DialogRows[I].Message != NoText) SetData(Items[I], FarGetMsg(DialogRows[I].Message));
  for (const TCheckBoxSetting& C : CheckBoxes) Items[C.Item].Selected = Settings.*C.Field;
  SetData(Items[ItemDigit], std::to_string(Settings.DisksMenuDigit));
  SetData(Items[ItemPath], BlockText(Settings.FileSystemFile, sizeof(Settings.FileSystemFile)));
  SetData(Items[ItemExt], BlockText(Settings.FileSystemExt, sizeof(Settings.FileSystemExt)));
}

// A digit field that holds no number keeps the previous digit; everything else is taken, so
// the settings in memory and in the registry always agree.
void TakeSettings(const FarDialogItem* Items) {
  for (const TCheckBoxSetting& C : CheckBoxes) Settings.*C.Field = Items[C.Item].Selected;
  int Digit;
  if (ParseInteger(Data(Items[ItemDigit]), Digit)) Settings.DisksMenuDigit = Digit;
  SetBlockText(Settings.FileSystemFile, sizeof(Settings.FileSystemFile), Data(Items[ItemPath]));
  SetBlockText(Settings.FileSystemExt, sizeof(Settings.FileSystemExt), Data(Items[ItemExt]));
}

}  // namespace

FarDialogItem ConfigDialogItems[ConfigDialogItemCount];

namespace {
// The items' fixed fields are set once, when the module loads; each run changes only texts and
// check marks.
struct TItemsInit {
  TItemsInit() {
    for (int I = 0; I < ConfigDialogItemCount; ++I) ConfigDialogItems[I] = MakeItem(DialogRows[I]);
  }
} ItemsInit;
}  // namespace

int ShowConfigDialog() {
  PutSettings(ConfigDialogItems);
  int Result = StartupInfo.Dialog(StartupInfo.ModuleNumber, -1, -1, 76, 17,
                                  const_cast<char*>("QuenbyCfg"), ConfigDialogItems,
                                  ConfigDialogItemCount);
  if (Result == ItemAbout) {
    ShowAbout();
  } else if (Result == ItemOk) {
    TakeSettings(ConfigDialogItems);
    SaveSettings();
  }
  return 0;
}

void ShowAbout() {
  TVersionInfo Info;
  if (Info.LoadFromFile(ModuleFileName)) {
    std::string Title = Info.GetValue(vtFileDescription) + " v." + Info.GetValue(vtProductVersion);
    FarMessage(0, "Author",
               {Title, Info.GetValue(vtProductName), Info.GetValue(vtLegalCopyright),
                Info.GetValue(vtComments), MOk},
               1);
  } else {
    FarMessage(FMSG_WARNING, "VerInfNotExist", {MError, MVerInfNotExist, MOk}, 1);
  }
}
