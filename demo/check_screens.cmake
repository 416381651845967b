# Runs the demo's scripted mode under Wine and checks the printed screens, step by step.
#   cmake -DEMULATOR=<wine runner> -DDEMO=<quenby_demo.exe> [-DPREFIX=<wine prefix>] -P this
set(failures 0)

function(run_demo out)
  execute_process(COMMAND ${EMULATOR} ${DEMO} ${ARGN}
                  OUTPUT_VARIABLE text ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR err MATCHES "host check failed")
    message(SEND_ERROR "demo ${ARGN}: exit ${rc}\n${err}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The text of screen number n: from its "=== n: key ===" line to the next one.
function(screen all n out)
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

# --- The default play: open, enter, view, Ctrl+Enter, idle refresh, climb back, About, close.
run_demo(play --play)
screen("${play}" 0 s)
expect("${s}" "root list"
  HAS "^=== 0: open ===\n[^\n]*LIST\\.VFS" "Description *│ *Name"
      "(║|►)Close the list *│░\\.\\. " "\n║Incoming mail *│{[^\n]*\\\\mail\\\\\\*\\.msg║"
      "\n║Drop folder *│" "\n║Archive \\(nothing yet\\) *│░{[^\n]*archive"
      "\n║[A-Z]:\\\\[^\n]*\\\\notes\\\\\\*\\.txt *│{[^\n]*notes\\\\\\*\\.txt║"
      "\n►Close the list" "3View +4 +5 +6 +7 +8About +9ConfMn10Quit"
  LACKS "msg001" "5Copy")
screen("${play}" 1 s)
expect("${s}" "cursor down" HAS "\n►Incoming mail")
screen("${play}" 2 s)
expect("${s}" "folder view"
  HAS "Name *│ *Size *│ *Date" "(║|►)\\.\\. +│ +<Up>│" "\n║msg001\\.msg +│ +104│[0-9][0-9]\\.[0-9]"
      "\n║msg002\\.msg +│" "\n║msg003\\.msg +│" "5Copy +6RenMov7MkFol8Delete"
  LACKS "draft\\.txt" "Incoming mail" "8About")
screen("${play}" 4 s)
expect("${s}" "viewer" HAS "mail\\\\msg001\\.msg +Line 1" "\nSubject: Quarterly report\n")
screen("${play}" 6 s)
expect("${s}" "Ctrl+Enter" HAS "\\\\mail\\\\>msg001\\.msg\n")
screen("${play}" 7 s)
expect("${s}" "Esc clears the command line" HAS "\\\\mail\\\\>\n" LACKS ">msg001")
screen("${play}" 8 s)
expect("${s}" "new file, before idle" HAS "Created mail\\\\msg004\\.msg" LACKS "msg004\\.msg +│")
screen("${play}" 9 s)
expect("${s}" "idle refresh" HAS "\n║msg004\\.msg +│ +38│")
screen("${play}" 11 s)
expect("${s}" "climbed back, cursor restored" HAS "\n►Incoming mail *│" "8About" LACKS "msg00")
screen("${play}" 12 s)
expect("${s}" "About box" HAS "═ Quenby plugin v\\.1\\.2 ═" "Copyright" "{ OK }")
screen("${play}" 13 s)
expect("${s}" "About closed" HAS "\n►Incoming mail" LACKS "Quenby plugin v")
screen("${play}" 15 s)
expect("${s}" "panel closed: FAR's file panel"
  HAS "\n║mail +│<Folder>│" "\n►LIST\\.VFS +│ +[0-9]+│" "8Delete"
  LACKS "Incoming mail" "8About")
expect("${play}" "the play ends after F10" LACKS "=== 16: ")

# The example tree is gone after the run.
if(s MATCHES "\n([A-Z]):\\\\([^\n>]*QuenbyDemo-[0-9]+)>")
  if(DEFINED ENV{WINEPREFIX})
    set(PREFIX $ENV{WINEPREFIX})
  endif()
  string(TOLOWER "${CMAKE_MATCH_1}" drive)
  string(REPLACE "\\" "/" path "${CMAKE_MATCH_2}")
  set(tree "${PREFIX}/drive_${drive}/${path}")
  get_filename_component(parent "${tree}" DIRECTORY)
  if(PREFIX AND EXISTS "${parent}" AND EXISTS "${tree}")
    message(SEND_ERROR "the demo left its example tree behind: ${tree}")
  endif()
endif()

# --- Keys FAR leaves to the plugin, the configuration dialog, and the automatic climb back.
run_demo(conf --script "F5 AltShiftF9 Enter Tab Tab Tab Tab Space Enter Wait Down Enter Down F5 \
Remove:mail\\msg001.msg Remove:mail\\msg002.msg Remove:mail\\msg003.msg Wait F10")
screen("${conf}" 1 s)
expect("${s}" "F5 on the root list does nothing" HAS "\n►Close the list" LACKS "FAR copies")
screen("${conf}" 2 s)
expect("${s}" "configuration menu" HAS "Plugins configuration" "►Quenby")
screen("${conf}" 3 s)
expect("${s}" "configuration dialog"
  HAS "═ Quenby configuration ═" "\\[x\\] Add to disks menu" "►1 Hot digit" "\\[ \\] Show all files"
      "\\[x\\] Empty entries as hidden +\\[ \\] Treat" "\\[x\\] Auto exit empty folder +║"
      "\\[ OK \\] +\\[ About \\] +\\[ Cancel \\]" "QuenbyDemo-[0-9]+\\\\LIST\\.VFS" "VFS")
screen("${conf}" 7 s)
expect("${s}" "focus moved with Tab" HAS "►\\[x\\] Empty entries as hidden")
screen("${conf}" 8 s)
expect("${s}" "Space clears the check box" HAS "►\\[ \\] Empty entries as hidden")
screen("${conf}" 9 s)
expect("${s}" "OK, before idle" HAS "Archive \\(nothing yet\\)" LACKS "configuration")
screen("${conf}" 10 s)
expect("${s}" "idle rereads with the new setting" HAS "Drop folder" LACKS "Archive")
screen("${conf}" 14 s)
expect("${s}" "F5 in a folder is FAR's copy" HAS "F5: FAR copies msg001\\.msg")
screen("${conf}" 17 s)
expect("${s}" "files removed, before idle" HAS "\n║msg003\\.msg")
screen("${conf}" 18 s)
expect("${s}" "emptied folder climbs back"
  HAS "Description *│ *Name" "(║|►)Drop folder" LACKS "Incoming mail" "msg00[1-3]\\.msg +│")
