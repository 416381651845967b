// Message numbers of the plugin's language files (QuenbyEng.lng, QuenbyRus.lng). The order here
// is the order of the quoted lines in every .lng file; a test keeps the two in step.
#pragma once

enum TLanguageMessage {
  MOk,                 // the single button of every message box; OK of the configuration dialog
  MCancel,             // Cancel button of the configuration dialog
  MUnused,             // kept so that the numbers below stay where stored .lng files expect them
  MError,              // title of the error messages
  MPluginName,         // the plugin's name in FAR's disks, plugins and configuration menus
  MConfigTitle,        // title of the configuration dialog
  MAddToDisksMenu,     // check box: add to the disks menu
  MDisksMenuDigit,     // text beside the disks-menu digit field
  MFileSystemFile,     // caption of the list-file path field
  MFileSystemExt,      // caption of the list-file extension field
  MVFSNotExist1,       // first line of the missing list-file message
  MVFSNotExist2,       // second line of the same message
  MVerInfNotExist,     // line of the missing version-resource message
  MUpDirDescription,   // description of the ".." item of the root list
  MEmptyDescription,   // description of the placeholder item of an empty root list
  MAbout,              // F8 label in the root key bar; About button of the configuration dialog
  MShowAllFiles,       // check box: a folder view lists every file of the entry's folder
  MShowAllFolders,     // check box: entries without content are listed as hidden folders
  MAutoExit,           // check box: an emptied folder view climbs back to the list
  MAutoExitPlugin,     // check box: close the panel when no entry is listed
  MTreatFolderAsFile,  // check box: a sub-folder counts as content
  MMessageCount
};
