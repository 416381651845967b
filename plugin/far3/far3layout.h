// Size and member offsets of every record of far3records.h and far3services.h, checked for the
// bitness being compiled (far3.h).
#pragma once

#include "far3services.h"

// Size and offset of every member of every record, as FAR 3's own header lays them out:
// the first number for x64, the second for x86.

#ifdef _WIN64
#define FAR3_SIZE(T, S64, S32) static_assert(sizeof(T) == (S64), #T " size")
#define FAR3_AT(T, M, O64, O32) static_assert(offsetof(T, M) == (O64), #T "." #M " offset")
#else
#define FAR3_SIZE(T, S64, S32) static_assert(sizeof(T) == (S32), #T " size")
#define FAR3_AT(T, M, O64, O32) static_assert(offsetof(T, M) == (O32), #T "." #M " offset")
#endif

FAR3_SIZE(VersionInfo, 20, 20); FAR3_AT(VersionInfo, Major, 0, 0);
FAR3_AT(VersionInfo, Minor, 4, 4); FAR3_AT(VersionInfo, Revision, 8, 8);
FAR3_AT(VersionInfo, Build, 12, 12); FAR3_AT(VersionInfo, Stage, 16, 16);
FAR3_SIZE(GlobalInfo, 96, 76); FAR3_AT(GlobalInfo, StructSize, 0, 0);
FAR3_AT(GlobalInfo, MinFarVersion, 8, 4); FAR3_AT(GlobalInfo, Version, 28, 24);
FAR3_AT(GlobalInfo, Guid, 48, 44); FAR3_AT(GlobalInfo, Title, 64, 60);
FAR3_AT(GlobalInfo, Description, 72, 64); FAR3_AT(GlobalInfo, Author, 80, 68);
FAR3_AT(GlobalInfo, Instance, 88, 72);
FAR3_SIZE(FarKey, 8, 8); FAR3_AT(FarKey, VirtualKeyCode, 0, 0);
FAR3_AT(FarKey, ControlKeyState, 4, 4);
FAR3_SIZE(KeyBarLabel, 24, 16); FAR3_AT(KeyBarLabel, Key, 0, 0); FAR3_AT(KeyBarLabel, Text, 8, 8);
FAR3_AT(KeyBarLabel, LongText, 16, 12);
FAR3_SIZE(KeyBarTitles, 16, 8); FAR3_AT(KeyBarTitles, CountLabels, 0, 0);
FAR3_AT(KeyBarTitles, Labels, 8, 4);
FAR3_SIZE(PluginMenuItem, 24, 12); FAR3_AT(PluginMenuItem, Guids, 0, 0);
FAR3_AT(PluginMenuItem, Strings, 8, 4); FAR3_AT(PluginMenuItem, Count, 16, 8);
FAR3_SIZE(PluginInfo, 104, 64); FAR3_AT(PluginInfo, StructSize, 0, 0);
FAR3_AT(PluginInfo, Flags, 8, 8); FAR3_AT(PluginInfo, DiskMenu, 16, 16);
FAR3_AT(PluginInfo, PluginMenu, 40, 28); FAR3_AT(PluginInfo, PluginConfig, 64, 40);
FAR3_AT(PluginInfo, CommandPrefix, 88, 52); FAR3_AT(PluginInfo, Instance, 96, 56);
FAR3_SIZE(FarPanelItemFreeInfo, 16, 8); FAR3_AT(FarPanelItemFreeInfo, StructSize, 0, 0);
FAR3_AT(FarPanelItemFreeInfo, hPlugin, 8, 4);
FAR3_SIZE(UserDataItem, 16, 8); FAR3_AT(UserDataItem, Data, 0, 0);
FAR3_AT(UserDataItem, FreeData, 8, 4);
FAR3_SIZE(PluginPanelItem, 160, 112); FAR3_AT(PluginPanelItem, CreationTime, 0, 0);
FAR3_AT(PluginPanelItem, LastAccessTime, 8, 8); FAR3_AT(PluginPanelItem, LastWriteTime, 16, 16);
FAR3_AT(PluginPanelItem, ChangeTime, 24, 24); FAR3_AT(PluginPanelItem, FileSize, 32, 32);
FAR3_AT(PluginPanelItem, AllocationSize, 40, 40); FAR3_AT(PluginPanelItem, FileName, 48, 48);
FAR3_AT(PluginPanelItem, AlternateFileName, 56, 52); FAR3_AT(PluginPanelItem, Description, 64, 56);
FAR3_AT(PluginPanelItem, Owner, 72, 60); FAR3_AT(PluginPanelItem, CustomColumnData, 80, 64);
FAR3_AT(PluginPanelItem, CustomColumnNumber, 88, 68); FAR3_AT(PluginPanelItem, Flags, 96, 72);
FAR3_AT(PluginPanelItem, UserData, 104, 80); FAR3_AT(PluginPanelItem, FileAttributes, 120, 88);
FAR3_AT(PluginPanelItem, NumberOfLinks, 128, 92); FAR3_AT(PluginPanelItem, CRC32, 136, 96);
FAR3_AT(PluginPanelItem, Reserved, 144, 100);
FAR3_SIZE(FarGetPluginPanelItem, 24, 12); FAR3_AT(FarGetPluginPanelItem, StructSize, 0, 0);
FAR3_AT(FarGetPluginPanelItem, Size, 8, 4); FAR3_AT(FarGetPluginPanelItem, Item, 16, 8);
FAR3_SIZE(PanelMode, 48, 32); FAR3_AT(PanelMode, ColumnTypes, 0, 0);
FAR3_AT(PanelMode, ColumnWidths, 8, 4); FAR3_AT(PanelMode, ColumnTitles, 16, 8);
FAR3_AT(PanelMode, StatusColumnTypes, 24, 12); FAR3_AT(PanelMode, StatusColumnWidths, 32, 16);
FAR3_AT(PanelMode, Flags, 40, 24);
FAR3_SIZE(OpenPanelInfo, 176, 104); FAR3_AT(OpenPanelInfo, StructSize, 0, 0);
FAR3_AT(OpenPanelInfo, hPanel, 8, 4); FAR3_AT(OpenPanelInfo, Flags, 16, 8);
FAR3_AT(OpenPanelInfo, HostFile, 24, 16); FAR3_AT(OpenPanelInfo, CurDir, 32, 20);
FAR3_AT(OpenPanelInfo, Format, 40, 24); FAR3_AT(OpenPanelInfo, PanelTitle, 48, 28);
FAR3_AT(OpenPanelInfo, InfoLines, 56, 32); FAR3_AT(OpenPanelInfo, InfoLinesNumber, 64, 36);
FAR3_AT(OpenPanelInfo, DescrFiles, 72, 40); FAR3_AT(OpenPanelInfo, DescrFilesNumber, 80, 44);
FAR3_AT(OpenPanelInfo, PanelModesArray, 88, 48); FAR3_AT(OpenPanelInfo, PanelModesNumber, 96, 52);
FAR3_AT(OpenPanelInfo, StartPanelMode, 104, 56); FAR3_AT(OpenPanelInfo, StartSortMode, 112, 60);
FAR3_AT(OpenPanelInfo, StartSortOrder, 120, 64); FAR3_AT(OpenPanelInfo, KeyBar, 128, 68);
FAR3_AT(OpenPanelInfo, ShortcutData, 136, 72); FAR3_AT(OpenPanelInfo, FreeSize, 144, 80);
FAR3_AT(OpenPanelInfo, UserData, 152, 88); FAR3_AT(OpenPanelInfo, Instance, 168, 96);
FAR3_SIZE(OpenInfo, 40, 20); FAR3_AT(OpenInfo, StructSize, 0, 0); FAR3_AT(OpenInfo, OpenFrom, 8, 4);
FAR3_AT(OpenInfo, Guid, 16, 8); FAR3_AT(OpenInfo, Data, 24, 12);
FAR3_AT(OpenInfo, Instance, 32, 16);
FAR3_SIZE(AnalyseInfo, 48, 32); FAR3_AT(AnalyseInfo, StructSize, 0, 0);
FAR3_AT(AnalyseInfo, FileName, 8, 4); FAR3_AT(AnalyseInfo, Buffer, 16, 8);
FAR3_AT(AnalyseInfo, BufferSize, 24, 12); FAR3_AT(AnalyseInfo, OpMode, 32, 16);
FAR3_AT(AnalyseInfo, Instance, 40, 24);
FAR3_SIZE(OpenAnalyseInfo, 24, 12); FAR3_AT(OpenAnalyseInfo, StructSize, 0, 0);
FAR3_AT(OpenAnalyseInfo, Info, 8, 4); FAR3_AT(OpenAnalyseInfo, Handle, 16, 8);
FAR3_SIZE(CloseAnalyseInfo, 24, 12); FAR3_AT(CloseAnalyseInfo, StructSize, 0, 0);
FAR3_AT(CloseAnalyseInfo, Handle, 8, 4); FAR3_AT(CloseAnalyseInfo, Instance, 16, 8);
FAR3_SIZE(GetFindDataInfo, 48, 32); FAR3_AT(GetFindDataInfo, StructSize, 0, 0);
FAR3_AT(GetFindDataInfo, hPanel, 8, 4); FAR3_AT(GetFindDataInfo, PanelItem, 16, 8);
FAR3_AT(GetFindDataInfo, ItemsNumber, 24, 12); FAR3_AT(GetFindDataInfo, OpMode, 32, 16);
FAR3_AT(GetFindDataInfo, Instance, 40, 24);
FAR3_SIZE(FreeFindDataInfo, 40, 20); FAR3_AT(FreeFindDataInfo, StructSize, 0, 0);
FAR3_AT(FreeFindDataInfo, hPanel, 8, 4); FAR3_AT(FreeFindDataInfo, PanelItem, 16, 8);
FAR3_AT(FreeFindDataInfo, ItemsNumber, 24, 12); FAR3_AT(FreeFindDataInfo, Instance, 32, 16);
FAR3_SIZE(SetDirectoryInfo, 64, 40); FAR3_AT(SetDirectoryInfo, StructSize, 0, 0);
FAR3_AT(SetDirectoryInfo, hPanel, 8, 4); FAR3_AT(SetDirectoryInfo, Dir, 16, 8);
FAR3_AT(SetDirectoryInfo, Reserved, 24, 12); FAR3_AT(SetDirectoryInfo, OpMode, 32, 16);
FAR3_AT(SetDirectoryInfo, UserData, 40, 24); FAR3_AT(SetDirectoryInfo, Instance, 56, 32);
FAR3_SIZE(ProcessPanelInputInfo, 48, 32); FAR3_AT(ProcessPanelInputInfo, StructSize, 0, 0);
FAR3_AT(ProcessPanelInputInfo, hPanel, 8, 4); FAR3_AT(ProcessPanelInputInfo, Rec, 16, 8);
FAR3_AT(ProcessPanelInputInfo, Instance, 40, 28);
FAR3_SIZE(ProcessPanelEventInfo, 40, 20); FAR3_AT(ProcessPanelEventInfo, StructSize, 0, 0);
FAR3_AT(ProcessPanelEventInfo, Event, 8, 4); FAR3_AT(ProcessPanelEventInfo, Param, 16, 8);
FAR3_AT(ProcessPanelEventInfo, hPanel, 24, 12); FAR3_AT(ProcessPanelEventInfo, Instance, 32, 16);
FAR3_SIZE(ProcessSynchroEventInfo, 32, 16); FAR3_AT(ProcessSynchroEventInfo, StructSize, 0, 0);
FAR3_AT(ProcessSynchroEventInfo, Event, 8, 4); FAR3_AT(ProcessSynchroEventInfo, Param, 16, 8);
FAR3_AT(ProcessSynchroEventInfo, Instance, 24, 12);
FAR3_SIZE(ClosePanelInfo, 24, 12); FAR3_AT(ClosePanelInfo, StructSize, 0, 0);
FAR3_AT(ClosePanelInfo, hPanel, 8, 4); FAR3_AT(ClosePanelInfo, Instance, 16, 8);
FAR3_SIZE(ConfigureInfo, 24, 12); FAR3_AT(ConfigureInfo, StructSize, 0, 0);
FAR3_AT(ConfigureInfo, Guid, 8, 4); FAR3_AT(ConfigureInfo, Instance, 16, 8);
FAR3_SIZE(ExitInfo, 16, 8); FAR3_AT(ExitInfo, StructSize, 0, 0); FAR3_AT(ExitInfo, Instance, 8, 4);
FAR3_SIZE(PanelInfo, 104, 80); FAR3_AT(PanelInfo, StructSize, 0, 0);
FAR3_AT(PanelInfo, PluginHandle, 8, 4); FAR3_AT(PanelInfo, OwnerGuid, 16, 8);
FAR3_AT(PanelInfo, Flags, 32, 24); FAR3_AT(PanelInfo, ItemsNumber, 40, 32);
FAR3_AT(PanelInfo, SelectedItemsNumber, 48, 36); FAR3_AT(PanelInfo, PanelRect, 56, 40);
FAR3_AT(PanelInfo, CurrentItem, 72, 56); FAR3_AT(PanelInfo, TopPanelItem, 80, 60);
FAR3_AT(PanelInfo, ViewMode, 88, 64); FAR3_AT(PanelInfo, PanelType, 96, 68);
FAR3_AT(PanelInfo, SortMode, 100, 72);
FAR3_SIZE(PanelRedrawInfo, 24, 12); FAR3_AT(PanelRedrawInfo, StructSize, 0, 0);
FAR3_AT(PanelRedrawInfo, CurrentItem, 8, 4); FAR3_AT(PanelRedrawInfo, TopPanelItem, 16, 8);
FAR3_SIZE(FarPanelDirectory, 48, 32); FAR3_AT(FarPanelDirectory, StructSize, 0, 0);
FAR3_AT(FarPanelDirectory, Name, 8, 4); FAR3_AT(FarPanelDirectory, Param, 16, 8);
FAR3_AT(FarPanelDirectory, PluginId, 24, 12); FAR3_AT(FarPanelDirectory, File, 40, 28);
FAR3_SIZE(FarDialogItem, 112, 64); FAR3_AT(FarDialogItem, Type, 0, 0);
FAR3_AT(FarDialogItem, X1, 8, 4); FAR3_AT(FarDialogItem, Y1, 16, 8);
FAR3_AT(FarDialogItem, X2, 24, 12); FAR3_AT(FarDialogItem, Y2, 32, 16);
FAR3_AT(FarDialogItem, Selected, 40, 20); FAR3_AT(FarDialogItem, History, 48, 24);
FAR3_AT(FarDialogItem, Mask, 56, 28); FAR3_AT(FarDialogItem, Flags, 64, 32);
FAR3_AT(FarDialogItem, Data, 72, 40); FAR3_AT(FarDialogItem, MaxLength, 80, 44);
FAR3_AT(FarDialogItem, UserData, 88, 48); FAR3_AT(FarDialogItem, Reserved, 96, 52);
FAR3_SIZE(FarDialogItemData, 24, 12); FAR3_AT(FarDialogItemData, StructSize, 0, 0);
FAR3_AT(FarDialogItemData, PtrLength, 8, 4); FAR3_AT(FarDialogItemData, PtrData, 16, 8);
FAR3_SIZE(FarSettingsCreate, 32, 24); FAR3_AT(FarSettingsCreate, StructSize, 0, 0);
FAR3_AT(FarSettingsCreate, Guid, 8, 4); FAR3_AT(FarSettingsCreate, Handle, 24, 20);
FAR3_SIZE(FarSettingsItem, 48, 24); FAR3_AT(FarSettingsItem, StructSize, 0, 0);
FAR3_AT(FarSettingsItem, Root, 8, 4); FAR3_AT(FarSettingsItem, Name, 16, 8);
FAR3_AT(FarSettingsItem, Type, 24, 12); FAR3_AT(FarSettingsItem, Number, 32, 16);
FAR3_SIZE(FarSettingsValue, 24, 12); FAR3_AT(FarSettingsValue, StructSize, 0, 0);
FAR3_AT(FarSettingsValue, Root, 8, 4); FAR3_AT(FarSettingsValue, Value, 16, 8);
FAR3_SIZE(FarStandardFunctions, 400, 200); FAR3_AT(FarStandardFunctions, StructSize, 0, 0);
FAR3_AT(FarStandardFunctions, atoi, 8, 4); FAR3_AT(FarStandardFunctions, atoi64, 16, 8);
FAR3_AT(FarStandardFunctions, itoa, 24, 12); FAR3_AT(FarStandardFunctions, itoa64, 32, 16);
FAR3_AT(FarStandardFunctions, sprintf, 40, 20); FAR3_AT(FarStandardFunctions, sscanf, 48, 24);
FAR3_AT(FarStandardFunctions, qsort, 56, 28); FAR3_AT(FarStandardFunctions, bsearch, 64, 32);
FAR3_AT(FarStandardFunctions, snprintf, 72, 36); FAR3_AT(FarStandardFunctions, LIsLower, 80, 40);
FAR3_AT(FarStandardFunctions, LIsUpper, 88, 44); FAR3_AT(FarStandardFunctions, LIsAlpha, 96, 48);
FAR3_AT(FarStandardFunctions, LIsAlphanum, 104, 52); FAR3_AT(FarStandardFunctions, LUpper, 112, 56);
FAR3_AT(FarStandardFunctions, LLower, 120, 60); FAR3_AT(FarStandardFunctions, LUpperBuf, 128, 64);
FAR3_AT(FarStandardFunctions, LLowerBuf, 136, 68); FAR3_AT(FarStandardFunctions, LStrupr, 144, 72);
FAR3_AT(FarStandardFunctions, LStrlwr, 152, 76); FAR3_AT(FarStandardFunctions, LStricmp, 160, 80);
FAR3_AT(FarStandardFunctions, LStrnicmp, 168, 84); FAR3_AT(FarStandardFunctions, Unquote, 176, 88);
FAR3_AT(FarStandardFunctions, LTrim, 184, 92); FAR3_AT(FarStandardFunctions, RTrim, 192, 96);
FAR3_AT(FarStandardFunctions, Trim, 200, 100); FAR3_AT(FarStandardFunctions, TruncStr, 208, 104);
FAR3_AT(FarStandardFunctions, TruncPathStr, 216, 108);
FAR3_AT(FarStandardFunctions, QuoteSpaceOnly, 224, 112);
FAR3_AT(FarStandardFunctions, PointToName, 232, 116);
FAR3_AT(FarStandardFunctions, GetPathRoot, 240, 120);
FAR3_AT(FarStandardFunctions, AddEndSlash, 248, 124);
FAR3_AT(FarStandardFunctions, CopyToClipboard, 256, 128);
FAR3_AT(FarStandardFunctions, PasteFromClipboard, 264, 132);
FAR3_AT(FarStandardFunctions, FarInputRecordToName, 272, 136);
FAR3_AT(FarStandardFunctions, FarNameToInputRecord, 280, 140);
FAR3_AT(FarStandardFunctions, XLat, 288, 144);
FAR3_AT(FarStandardFunctions, GetFileOwner, 296, 148);
FAR3_AT(FarStandardFunctions, GetNumberOfLinks, 304, 152);
FAR3_AT(FarStandardFunctions, FarRecursiveSearch, 312, 156);
FAR3_AT(FarStandardFunctions, MkTemp, 320, 160);
FAR3_AT(FarStandardFunctions, ProcessName, 328, 164);
FAR3_AT(FarStandardFunctions, MkLink, 336, 168);
FAR3_AT(FarStandardFunctions, ConvertPath, 344, 172);
FAR3_AT(FarStandardFunctions, GetReparsePointInfo, 352, 176);
FAR3_AT(FarStandardFunctions, GetCurrentDirectory, 360, 180);
FAR3_AT(FarStandardFunctions, FormatFileSize, 368, 184);
FAR3_AT(FarStandardFunctions, FarClock, 376, 188);
FAR3_AT(FarStandardFunctions, CompareStrings, 384, 192);
FAR3_AT(FarStandardFunctions, DetectCodePage, 392, 196);
FAR3_SIZE(PluginStartupInfo, 280, 140); FAR3_AT(PluginStartupInfo, StructSize, 0, 0);
FAR3_AT(PluginStartupInfo, ModuleName, 8, 4); FAR3_AT(PluginStartupInfo, Menu, 16, 8);
FAR3_AT(PluginStartupInfo, Message, 24, 12); FAR3_AT(PluginStartupInfo, GetMsg, 32, 16);
FAR3_AT(PluginStartupInfo, PanelControl, 40, 20); FAR3_AT(PluginStartupInfo, SaveScreen, 48, 24);
FAR3_AT(PluginStartupInfo, RestoreScreen, 56, 28); FAR3_AT(PluginStartupInfo, GetDirList, 64, 32);
FAR3_AT(PluginStartupInfo, GetPluginDirList, 72, 36);
FAR3_AT(PluginStartupInfo, FreeDirList, 80, 40);
FAR3_AT(PluginStartupInfo, FreePluginDirList, 88, 44); FAR3_AT(PluginStartupInfo, Viewer, 96, 48);
FAR3_AT(PluginStartupInfo, Editor, 104, 52); FAR3_AT(PluginStartupInfo, Text, 112, 56);
FAR3_AT(PluginStartupInfo, EditorControl, 120, 60); FAR3_AT(PluginStartupInfo, FSF, 128, 64);
FAR3_AT(PluginStartupInfo, ShowHelp, 136, 68); FAR3_AT(PluginStartupInfo, AdvControl, 144, 72);
FAR3_AT(PluginStartupInfo, InputBox, 152, 76); FAR3_AT(PluginStartupInfo, ColorDialog, 160, 80);
FAR3_AT(PluginStartupInfo, DialogInit, 168, 84); FAR3_AT(PluginStartupInfo, DialogRun, 176, 88);
FAR3_AT(PluginStartupInfo, DialogFree, 184, 92);
FAR3_AT(PluginStartupInfo, SendDlgMessage, 192, 96);
FAR3_AT(PluginStartupInfo, DefDlgProc, 200, 100);
FAR3_AT(PluginStartupInfo, ViewerControl, 208, 104);
FAR3_AT(PluginStartupInfo, PluginsControl, 216, 108);
FAR3_AT(PluginStartupInfo, FileFilterControl, 224, 112);
FAR3_AT(PluginStartupInfo, RegExpControl, 232, 116);
FAR3_AT(PluginStartupInfo, MacroControl, 240, 120);
FAR3_AT(PluginStartupInfo, SettingsControl, 248, 124);
FAR3_AT(PluginStartupInfo, Private, 256, 128); FAR3_AT(PluginStartupInfo, Instance, 264, 132);
FAR3_AT(PluginStartupInfo, FreeScreen, 272, 136);

#undef FAR3_SIZE
#undef FAR3_AT
