# Runs the demo's scripted mode under Wine and checks FAR's actions beyond the reference walk:
# the default play, the configuration dialog, F5/F6/F8 in a folder view and on FAR's own panel,
# F10's question, F1 help and Alt+F1.
#   cmake -DEMULATOR=<wine runner> -DDEMO=<quenby_demo.exe> [-DPREFIX=<wine prefix>] -P this
# The file is read twice. The first reading only collects every run_demo's options; then one
# demo process plays them all, one session each (an emulated Wine spends seconds on every
# process start); the second reading hands each run_demo its session's screens and checks them.
function(run_demo out)
  if(NOT CHECKING)
    set_property(GLOBAL APPEND PROPERTY demo_runs ${out})
    set_property(GLOBAL PROPERTY demo_options_${out} "${ARGN}")
    return()
  endif()
  get_property(text GLOBAL PROPERTY demo_screens_${out})
  get_property(err GLOBAL PROPERTY demo_errors_${out})
  get_property(rc GLOBAL PROPERTY demo_exit_${out})
  if(NOT rc EQUAL 0 OR err MATCHES "host check failed")
    message(SEND_ERROR "demo ${ARGN}: exit ${rc}\n${err}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Plays every collected run in one process and keeps each session's output and exit code.
function(play_collected_runs)
  get_property(runs GLOBAL PROPERTY demo_runs)
  set(args)
  foreach(run IN LISTS runs)
    get_property(options GLOBAL PROPERTY demo_options_${run})
    if(args)
      list(APPEND args --next)
    endif()
    list(APPEND args ${options})
  endforeach()
  execute_process(COMMAND ${EMULATOR} ${DEMO} ${args}
                  OUTPUT_VARIABLE all ERROR_VARIABLE allerr RESULT_VARIABLE rc)
  set(n 0)
  foreach(run IN LISTS runs)
    math(EXPR n "${n} + 1")
    foreach(stream all allerr)
      string(FIND "${${stream}}" "##### session ${n}: exit " end)
      if(end LESS 0)
        message(FATAL_ERROR "the demo did not finish session ${n} (${run}): exit ${rc}\n${allerr}")
      endif()
      string(SUBSTRING "${${stream}}" 0 ${end} part_${stream})
      string(SUBSTRING "${${stream}}" ${end} -1 rest)
      string(REGEX MATCH "^##### session [0-9]+: exit (-?[0-9]+)\n" marker "${rest}")
      set(code_${stream} ${CMAKE_MATCH_1})
      string(LENGTH "${marker}" skip)
      string(SUBSTRING "${rest}" ${skip} -1 ${stream})
    endforeach()
    set_property(GLOBAL PROPERTY demo_screens_${run} "${part_all}")
    set_property(GLOBAL PROPERTY demo_errors_${run} "${part_allerr}")
    set_property(GLOBAL PROPERTY demo_exit_${run} "${code_all}")
  endforeach()
endfunction()

# The text of screen number n: from its "=== n: key ===" line to the next one.
function(screen all n out)
  if(NOT CHECKING)
    return()
  endif()
  math(EXPR next "${n} + 1")
  string(FIND "${all}" "=== ${n}: " begin)
  string(FIND "${all}" "=== ${next}: " end)
  if(begin LESS 0)
    message(SEND_ERROR "screen ${n} was not printed")
    set(${out} "" PARENT_SCOPE)
    return()
  endif()
  if(end LESS 0)
    string(LENGTH "${all}" end)
  endif()
  math(EXPR length "${end} - ${begin}")
  string(SUBSTRING "${all}" ${begin} ${length} text)
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# expect(<screen text> <what it shows> HAS regex... LACKS regex...)
function(expect text what)
  if(NOT CHECKING)
    return()
  endif()
  set(mode HAS)
  foreach(arg IN LISTS ARGN)
    if(arg STREQUAL "HAS" OR arg STREQUAL "LACKS")
      set(mode ${arg})
    elseif(mode STREQUAL "HAS" AND NOT text MATCHES "${arg}")
      message(SEND_ERROR "${what}: no match for '${arg}' in\n${text}")
    elseif(mode STREQUAL "LACKS" AND text MATCHES "${arg}")
      message(SEND_ERROR "${what}: unexpected '${arg}' in\n${text}")
    endif()
  endforeach()
endfunction()

if(NOT DEFINED CHECKING)
  set(CHECKING OFF)
  include(${CMAKE_CURRENT_LIST_FILE})
  play_collected_runs()
  set(CHECKING ON)
  include(${CMAKE_CURRENT_LIST_FILE})
  return()
endif()

set(open "Down Down Down Down Down Enter")  # Enter on LIST.VFS: the root list

# --- The default play (tools/demo.sh without a terminal) runs to its end and tidies up.
run_demo(play --play)
screen("${play}" 10 s)
expect("${s}" "viewer" HAS "C:\\\\Quenby\\\\Mail\\\\msg001\\.msg +Win +104 +Col 0 +100%"
       "\nMessage one line 4\nMess\n" "1Help   2Unwrap 3Quit")
screen("${play}" 15 s)
expect("${s}" "idle refresh" HAS "\n║msg004\\.msg +│ +50│03/01/2024║")
screen("${play}" 18 s)
expect("${s}" "About box" HAS "═ Quenby plugin v\\.[0-9.]+ ═" "Copyright")
screen("${play}" 21 s)
expect("${s}" "panel closed" HAS "\nC:\\\\Quenby>\n" "8Delete" LACKS "LIST\\.VFS ═")
screen("${play}" 22 s)
expect("${s}" "FAR asks before it quits" HAS "═ Quit ═" "║ +Do you want to quit FAR\\? +║" "║ +Yes  No +║")
expect("${play}" "the play ends after Yes" LACKS "=== 24: ")
if(DEFINED ENV{WINEPREFIX})
  set(PREFIX $ENV{WINEPREFIX})
endif()
if(CHECKING AND PREFIX AND EXISTS "${PREFIX}/drive_c/Quenby")
  message(SEND_ERROR "the demo left its folder behind: ${PREFIX}/drive_c/Quenby")
endif()

# --- The configuration dialog: Tab to "Empty entries as hidden", Space, OK; the list shows the
# empty Archive entry as a hidden folder once FAR's idle event has the panel reread.
run_demo(conf --script "${open} AltShiftF9 Tab Tab Tab Tab Space Enter Wait F10")
screen("${conf}" 12 s)
expect("${s}" "check box set" HAS "\\[x\\] Empty entries as hidden")
screen("${conf}" 14 s)
expect("${s}" "list reread with the new setting" HAS "\n║Archive +│C:\\\\Quenby\\\\Archive\\\\\\*\\.zip"
       LACKS "configuration")

# --- In a folder view F5, F8 and Shift+F6 act on the real files after FAR's dialogs; the name
# typed over the proposed one replaces it.
run_demo(ops --script "${open} Down Enter Down F5 Enter F8 Enter ShiftF6 \"renamed.msg\" Enter F10")
screen("${ops}" 10 s)
expect("${s}" "copy dialog" HAS "═ Copy ═" "║ Copy \"C:\\\\Quenby\\\\Mail\\\\msg001\\.msg\" to: +║"
       "║ C:\\\\Quenby\\\\ +↓║" "Already existing files: Ask +↓║"
       "║ +\\[ Copy \\]  \\[ F10-Tree \\]  \\[ Filter \\]  \\[ Cancel \\] +║")
screen("${ops}" 11 s)
expect("${s}" "copied to the other panel" HAS "║║msg001\\.msg +│" "\n║msg001\\.msg +│")
screen("${ops}" 12 s)
expect("${s}" "delete box" HAS "═ Delete ═" "║ Do you wish to move to the Recycle Bin the file ║"
       "║ +C:\\\\Quenby\\\\Mail\\\\msg001\\.msg +║" "║ +Delete  Cancel +║")
screen("${ops}" 13 s)
expect("${s}" "deleted" HAS "\n║msg002\\.msg +│" LACKS "\n║msg001\\.msg")
screen("${ops}" 14 s)
expect("${s}" "rename dialog" HAS "═ Rename/Move ═"
       "Rename or move \"C:\\\\Quenby\\\\Mail\\\\msg002\\.msg\" to:" "\\[ Rename \\]")
screen("${ops}" 26 s)
expect("${s}" "renamed" HAS "\n║renamed\\.msg +│" LACKS "msg002")

# --- FAR's hot keys in its dialogs: Alt+N is Cancel in the copy dialog; Tab then Space on the
# first check box (after the radio button chosen and the list), then Esc.
run_demo(hot --script "${open} Down Enter Down F5 AltN F5 Tab Tab Tab Space Esc F10")
screen("${hot}" 11 s)
expect("${s}" "Alt+N cancels the copy" LACKS "═ Copy ═" "║║msg001\\.msg")
screen("${hot}" 16 s)
expect("${s}" "Tab passes over the radio buttons not chosen" HAS "║ \\[x\\] Copy contents of symbolic links")

# --- F7 on FAR's own panel: FAR's "Make folder"; the cursor goes to the folder made, and the
# dialog offers that name the next time.
run_demo(mkdir --script "F7 \"New\" Enter F7 Esc F10")
screen("${mkdir}" 1 s)
expect("${s}" "make folder dialog" HAS "═ Make folder ═" "║ Create the folder +║" "║ +↓║"
       "║ \\[ \\] Process multiple names +║" "║ +\\[ OK \\]  \\[ Cancel \\] +║")
screen("${mkdir}" 5 s)
expect("${s}" "folder made" HAS "\n║Mail +│ +║║Mail +│ +║\n║New +│" "\n║New +[0-9/]+ [0-9:]+ Folder|\n║New +Folder")
screen("${mkdir}" 6 s)
expect("${s}" "the name offered again" HAS "║ New +↓║")

# --- A copy onto a file that is there: FAR's warning; its hot key P appends.
run_demo(again --script "${open} Down Enter Down F5 Enter F5 Enter \"p\" Tab End F10")
screen("${again}" 13 s)
expect("${s}" "overwrite question" HAS "═ Warning ═" "║ +File already exists +║" "║ C:\\\\Quenby\\\\msg001\\.msg +║"
       "║ New +104 03/01/2024 10:00:00 +║" "║ Existing +104 03/01/2024 10:00:00 +║"
       "\\[ Overwrite \\]  \\[ Skip \\]  \\[ Append \\]  \\[ Cancel \\]")
screen("${again}" 16 s)
expect("${s}" "appended" HAS "║msg001\\.msg +208 " LACKS "Warning")

# --- F6 in a folder view moves the file to the other panel's folder; F8 on FAR's own panel asks
# once more for a folder that is not empty, and Esc there keeps it.
run_demo(move --script "${open} Down Enter Down F6 Enter Tab Down Down F8 Enter Esc F10 Esc F10")
screen("${move}" 10 s)
expect("${s}" "move dialog" HAS "Rename or move \"C:\\\\Quenby\\\\Mail\\\\msg001\\.msg\" to:"
       "║ C:\\\\Quenby\\\\ +↓║")
screen("${move}" 11 s)
expect("${s}" "moved" HAS "║║msg001\\.msg +│" LACKS "\n║msg001\\.msg")
screen("${move}" 15 s)
expect("${s}" "delete box for a folder" HAS "Do you wish to move to the Recycle Bin the folder" "║ +Drop +║")
screen("${move}" 16 s)
expect("${s}" "the folder's own warning" HAS "═ Delete folder ═" "The following folder will be deleted:"
       "C:\\\\Quenby\\\\Drop" "Delete  All  Skip  Cancel")
screen("${move}" 17 s)
expect("${s}" "the folder kept" HAS "║║Drop +│" LACKS "Delete folder")
screen("${move}" 19 s)
expect("${s}" "No keeps FAR" LACKS "═ Quit ═" HAS "║║Drop +│")
expect("${move}" "quit with F10 and Esc never" LACKS "=== 21: ")

# --- F1 at the list: the plugin's help; Tab and Enter follow a link; Esc closes it.
run_demo(help --script "${open} F1 Tab Enter Esc F10")
screen("${help}" 7 s)
expect("${s}" "help contents" HAS "═ Help - Quenby ═" "Quenby shows in a FAR panel")
screen("${help}" 9 s)
expect("${s}" "link followed" HAS "═ Help - Quenby ═" LACKS "Quenby shows in a FAR panel")
screen("${help}" 10 s)
expect("${s}" "help closed" LACKS "═ Help - Quenby ═" HAS "8About")

# --- F1 in the configuration dialog: its own topic, over the dialog.
run_demo(confhelp --script "${open} AltShiftF9 F1 Esc Esc F10")
screen("${confhelp}" 8 s)
expect("${s}" "dialog help" HAS "═ Help - Quenby ═" "Quenby: configuration" "\n╟─  ║ ")
screen("${confhelp}" 9 s)
expect("${s}" "back in the dialog" HAS "═ Quenby configuration ═" LACKS "═ Help - Quenby ═")

# --- Alt+F1 and the plugin's hot digit in the disks menu open the list.
run_demo(disks --script "AltF1 \"1\" F10")
screen("${disks}" 2 s)
expect("${s}" "opened from the disks menu" HAS "═ C:\\\\Quenby\\\\LIST\\.VFS ═" "8About")

# --- Alt+F2 is the right panel's disks menu: the plugin opens there, the left panel keeps the focus.
run_demo(disks2 --script "AltF2 \"1\" Tab F10")
screen("${disks2}" 1 s)
expect("${s}" "the right panel's disks menu" HAS "│ +╔(═)+ Drive (═)+╗   ║\n"
       "\n║Notes +│ +║║Notes ")
screen("${disks2}" 2 s)
expect("${s}" "opened on the right" HAS "╗╔(═)+ C:\\\\Quenby\\\\LIST\\.VFS ═" "\nC:\\\\Quenby>\n" "5Copy")
screen("${disks2}" 3 s)
expect("${s}" "Tab to it" HAS "8About" "\nC:\\\\Quenby>\n")

# --- Before Wine's mount manager runs, GetLogicalDrives lists no drive: the disks menu shows the
# drives that answer GetDriveTypeA.
run_demo(nodrivelist --without-drive-list --script "AltF1 Esc F10")
screen("${nodrivelist}" 1 s)
expect("${s}" "disks menu without Wine's drive list" HAS "║ +C: +fixed +│" "1: Quenby")

# --- F4 in the plugins menu assigns the item a hot key, which then opens it.
run_demo(hotkey --script "F11 F4 \"x\" Enter \"x\" F10")
screen("${hotkey}" 2 s)
expect("${s}" "hot key dialog" HAS "═ Assign plugin hot key ═" "║ Enter hot key \\(letter or digit\\) +║"
       "║ +Quenby +║")
screen("${hotkey}" 4 s)
expect("${s}" "the hot key in the menu" HAS "║  x  Quenby +║" "═ Plugin commands ═")
screen("${hotkey}" 5 s)
expect("${s}" "opened by its hot key" HAS "═ C:\\\\Quenby\\\\LIST\\.VFS ═" LACKS "Plugin commands")

# --- F9: FAR's menu bar; O drops Options down, its "Plugins configuration" opens that menu.
run_demo(bar --script "F9 \"o\" Down Down Down Down Enter Esc F10")
screen("${bar}" 1 s)
expect("${s}" "menu bar" HAS "\n    Left    Files    Commands    Options    Right *\n" LACKS "System settings")
screen("${bar}" 2 s)
expect("${s}" "Options dropped down" HAS "\n    Left    Files    Commands    Options    Right *\n[^\n]*╔(═)+╗"
       "║  Plugins configuration +║" "║  Save setup +Shift-F9 ║")
screen("${bar}" 7 s)
expect("${s}" "the configuration menu from the bar" HAS "═ Plugins configuration ═" "║  Quenby +║"
       LACKS "Save setup")
screen("${bar}" 8 s)
expect("${s}" "back at the panels" LACKS "Plugins configuration" "    Left    Files")

# --- Tab makes the right panel active: Enter there changes its folder, the left one stays.
run_demo(tab --script "Tab Down Down Enter F10")
screen("${tab}" 4 s)
expect("${s}" "right panel in Drop" HAS "═ C:\\\\Quenby ═[^\n]*╔═[^\n]* C:\\\\Quenby\\\\Drop ═"
       "\nC:\\\\Quenby\\\\Drop>\n" "║║photo\\.jpg +│")

# --- F1 in the About box: the plugin's topic for it.
run_demo(abouthelp --script "${open} F8 F1 Esc Enter F10")
screen("${abouthelp}" 8 s)
expect("${s}" "About help" HAS "═ Help - Quenby ═" "About Quenby")
screen("${abouthelp}" 9 s)
expect("${s}" "About box again" HAS "═ Quenby plugin v\\.[0-9.]+ ═" LACKS "═ Help - Quenby ═")

# --- FAR's help window and its keys, and the screen at other sizes than 80x25 (no reference
# screens there). With --colours: ESC[97mESC[40m is the selected link (white on black), ESC[30m
# ESC[46m the key bar's labels (black on cyan). "." stands for "[": a "[" would keep CMake from
# splitting the arguments into a list. A box-drawing character is three bytes: "(═)+" repeats it.
string(ASCII 27 esc)
set(selected "${esc}.97m${esc}.40m")

# The help key bar, the text one column in from the frame, the scroll bar of a topic longer than
# the window; no link in view: none selected; Tab scrolls to the first link and selects it.
run_demo(helpkeys --colours --script "${open} F1 Tab Enter BS End Home F5 F5 Esc F10")
screen("${helpkeys}" 7 s)
expect("${s}" "help opened" HAS "═ Help - Quenby ═" "║  ${esc}.97mQuenby${esc}.30m shows in a FAR panel"
       "▲" "▼" "5${esc}.30m${esc}.46mZoom  " "10${esc}.30m${esc}.46mQuit\n"
       LACKS "${selected}" "View  " "About  ")
screen("${helpkeys}" 8 s)
expect("${s}" "Tab to the first link" HAS "${selected}configuration" LACKS "shows in a FAR panel")
# Enter follows it; the new topic's first link in view is selected at once.
screen("${helpkeys}" 9 s)
expect("${s}" "link followed" HAS "Quenby: configuration" "${selected}Contents")
# BS goes back to where the link was, still selected.
screen("${helpkeys}" 10 s)
expect("${s}" "back again" HAS "${selected}configuration" LACKS "Quenby: configuration")
screen("${helpkeys}" 11 s)
expect("${s}" "End: the last link" HAS "${selected}Contents" "Error messages")
screen("${helpkeys}" 12 s)
expect("${s}" "Home: the first screen" HAS "shows in a FAR panel" LACKS "${selected}")
# F5 zooms the window to the whole screen, without a key bar; F5 again puts it back.
screen("${helpkeys}" 13 s)
expect("${s}" "zoomed" HAS "=== 13: F5 ===\n[^\n]*╔(═)+ Help - Quenby (═)+╗\n"
       LACKS "Zoom" "C:\\\\Quenby>")
screen("${helpkeys}" 14 s)
expect("${s}" "zoomed back" HAS "Zoom" "C:\\\\Quenby>")
screen("${helpkeys}" 15 s)
expect("${s}" "help closed" HAS "8${esc}.30m${esc}.46mAbout" LACKS "Help - Quenby")

# A hidden entry under the cursor: dark grey on cyan.
run_demo(hidden --colours --script
         "${open} AltShiftF9 Tab Tab Tab Tab Space Enter Wait Down Down Down F10")
screen("${hidden}" 17 s)
expect("${s}" "cursor on a hidden entry" HAS "${esc}.90m${esc}.46mArchive +│")

# 100x30: twelve key labels, the last one's colour to the right edge; a column line meets the
# top border beside the title; the viewer's status line and its twelve labels.
set(bar100 "Quit  ${esc}.39m${esc}.49m 11${esc}.30m${esc}.46mPlugin${esc}.39m${esc}.49m 12${esc}.30m${esc}.46mScreen\n")
run_demo(wide --colours --size 100x30 --script "${open} Down Enter Down F3 Esc F10")
screen("${wide}" 9 s)
expect("${s}" "folder view at 100 columns" HAS "10${esc}.30m${esc}.46m${bar100}"
       "\n${esc}.96m${esc}.44m╔(═)+${esc}.30m${esc}.46m C:\\\\Quenby\\\\LIST\\.VFS ${esc}.96m${esc}.44m(═)+╤(═)+╗╔")
screen("${wide}" 10 s)
expect("${s}" "viewer at 100 columns" HAS "${bar100}"
       "C:\\\\Quenby\\\\Mail\\\\msg001\\.msg                                       Win           104     Col 0     100%")

# An odd width: the left panel takes the middle column (FAR splits at (width-1)/2).
string(REPEAT " " 28 left)
string(REPEAT " " 27 right)
run_demo(odd --size 101x31 --script "F10")
screen("${odd}" 0 s)
expect("${s}" "101 columns"
       HAS "\n║\\.\\.${left}Up   03/01/24 10:00║║\\.\\.${right}Up   03/01/24 10:00║\n")

# 132x43: labels of eight characters; the help text wraps at the window's width and the first
# link in view is selected as the window opens.
run_demo(large --colours --size 132x43 --script "${open} F1 F10")
screen("${large}" 6 s)
expect("${s}" "panels at 132 columns" HAS "9${esc}.30m${esc}.46mConfMn  ${esc}.39m${esc}.49m 10")
screen("${large}" 7 s)
expect("${s}" "help at 132 columns" HAS "${selected}configuration"
       " shows in a FAR panel the folders and file masks that you keep in a plain text "
       ", and lets you work with  ▲")

# --- Where FAR's dialogs stand at other sizes (Dialog::CheckDialogCoord): centred at
# ((ScrX - width + 1) / 2, (ScrY - height + 1) / 2), one row higher when that row is below 5.
# "rows N" skips the first N rows of a screen.
foreach(n 5 11)
  string(REPEAT "[^\n]*\n" ${n} rows${n})
endforeach()
string(REPEAT " " 24 blanks24)
# 90x30: the plugin's configuration dialog (76x17) at (7, 5), its frame three columns and one
# row in.
run_demo(place90 --size 90x30 --script "${open} AltShiftF9 Esc F10")
screen("${place90}" 7 s)
expect("${s}" "configuration dialog at 90x30" HAS
       "=== 7: AltShiftF9 ===\n${rows5}║C:\\\\Que +║\n║         ╔(═)+ Quenby configuration (═)+╗         ║\n")
# 120x35: FAR's "Make folder" (76x10) at (22, 11).
run_demo(place120 --size 120x35 --script "F7 Esc F10")
screen("${place120}" 1 s)
expect("${s}" "make folder at 120x35" HAS
       "=== 1: F7 ===\n${rows11}║ +║\n║${blanks24}╔(═)+ Make folder (═)+╗${blanks24}║\n")
# 80x25: the copy's "File already exists" (68x13) at (6, 5).
screen("${again}" 13 s)
expect("${s}" "overwrite question at 80x25" HAS
       "=== 13: Enter ===\n${rows5}║msg00 +║\n║        ╔(═)+ Warning (═)+╗        ║\n")

# --- F3 on a folder (FileList::CountDirSize): FAR counts its size and shows it for <Folder>, in
# the size column and the status line; "~" before it once the panel has been read again keeping
# the selection (the plugin's idle update), and gone with a new list. On the plugin's ".." (real
# names): the current folder, which the plugin made its entry's; on FAR's own panel the folder
# itself, all of it ("..": C:\Quenby, 3,657 bytes).
run_demo(dirsize --size 100x30 --script
         "${open} Down Enter F3 Wait Tab Down Down Down F3 Home F3 Tab Enter Enter F10")
screen("${dirsize}" 9 s)
expect("${s}" "the entry's size" HAS "\n║\\.\\. +│     255│ +║║" "\n║\\.\\. +255 +║║" LACKS "~")
screen("${dirsize}" 10 s)
expect("${s}" "kept over the idle update" HAS "\n║\\.\\. +│~    255│ +║║" "\n║\\.\\. +~    255 +║║")
screen("${dirsize}" 15 s)
expect("${s}" "a folder of FAR's panel" HAS "║║Mail +255 [0-9/]+ [0-9:]+║\n" "│~    255│")
screen("${dirsize}" 17 s)
expect("${s}" "FAR's \"..\": its folder" HAS "║║\\.\\. +3657 [0-9/]+ [0-9:]+║\n")
screen("${dirsize}" 20 s)
expect("${s}" "a new list forgets it" HAS "\n║\\.\\. +│<  Up  >│ +║║" LACKS "255│")

# --- F7 in a folder view of real names: FAR's own "Make folder" (ShellMakeDir) in the current
# folder, the entry's; the panel is updated and lists the new folder, the cursor staying (FAR
# looks for the bare name among the full ones). 120x35.
run_demo(mkdirview --size 120x35 --script "${open} Down Down Enter F7 \"Sub\" Enter F10")
screen("${mkdirview}" 10 s)
expect("${s}" "make folder in a folder view" HAS "═ Make folder ═" "║ Create the folder +║")
screen("${mkdirview}" 14 s)
expect("${s}" "the new folder listed" HAS "\n║Sub +│<Folder>│[0-9/]+║║" "\nC:\\\\Quenby\\\\Drop\\\\>\n"
       "\n║\\.\\. +<  Up  > +║║")

# --- The key bar after the plugin's configuration dialog (Alt+Shift+F9 on its panel, OK), 90x30:
# under the dialog FAR's Alt+Shift labels stay as the key left them; once it is closed FAR's
# key bar follows the keys again (KeyBar::RedrawIfChanged) with the active panel's titles, the
# plugin's (FileList::UpdateKeyBar).
run_demo(confbar --size 90x30 --script "${open} AltShiftF9 Tab Tab Tab Tab Space Enter F10")
screen("${confbar}" 12 s)
expect("${s}" "Alt+Shift labels under the dialog" HAS "\\[x\\] Empty entries as hidden"
       "\n1 +2 +3 +4 +5 +6 +7 +8 +9ConfPl 10 +11\n")
screen("${confbar}" 13 s)
expect("${s}" "the plugin's key bar after OK" LACKS "Quenby configuration" "4Edit" "8Delete"
       HAS "\n1Help   2UserMn 3View   4       5       6       7       8About  9ConfMn 10Quit   11Plugin\n")
