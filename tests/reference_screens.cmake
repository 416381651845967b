# Plays the walk of the reference screens (a real FAR 1.75 with Quenby, 80x25, in ../shared/far175
# beside the repository) in the demo's scripted mode and compares every screen character by
# character, FAR's clock aside. Prints "reference screens: M of N identical"; fails when M < N.
#   cmake -DEMULATOR=<wine runner> -DDEMO=<quenby_demo.exe> -DREFERENCE=<far175 folder> -P this
cmake_policy(SET CMP0007 NEW)

# The walk: the keys after the previous screen, then the reference screen they lead to.
set(walk
  ""                                   00-start
  "Down Down Down Down Down"           01-cursor-on-list
  "Enter"                              02-root-list
  "Down"                               03-down
  "Enter"                              04-mail
  "Down"                               05-down
  "F3"                                 06-viewer
  "Esc"                                07-back
  "CtrlEnter"                          08-ctrl-enter
  "Esc"                                09-esc
  "Create:Mail\\msg004.msg:50 Wait"    10-idle-new-file
  "Home"                               11-on-dotdot
  "Enter"                              12-climb
  "F8"                                 13-about
  "Enter"                              14-after-about
  "F4 F5 F6 F7"                        15-f4-f7
  "AltShiftF9"                         16-config
  "Esc"                                17-after-config
  "Down Enter"                         18-drop
  "Remove:Drop\\photo.jpg Remove:Drop\\report.txt Wait"  19-autoexit
  "Home Enter"                         20-closed
  "AltF1"                              22-alt-f1
  "Esc F11"                            23-f11
  "Esc F10"                            "")

# Differences that are deliberate or cannot be helped: screen, row (0-based), reason.
set(allowed
  13 9  "the About box: the plugin's contact line is newer than the reference, the box fits it"
  13 10 "the About box: the plugin's contact line is newer than the reference, the box fits it"
  13 11 "the About box: the plugin's contact line is newer than the reference, the box fits it"
  13 12 "the About box: the plugin's contact line is newer than the reference, the box fits it"
  13 13 "the About box: the plugin's contact line is newer than the reference, the box fits it"
  13 14 "the About box: the plugin's contact line is newer than the reference, the box fits it"
  22 9  "the disk sizes are the machine's"
  22 10 "the disk sizes are the machine's")

if(NOT IS_DIRECTORY "${REFERENCE}")
  message(FATAL_ERROR "reference screens not found: ${REFERENCE} is missing (the FAR 1.75 "
                      "screens are expected in ../shared/far175 beside the repository)")
endif()

# The script, and the number of the printed screen each reference is compared with.
set(script "")
set(step 0)
set(targets "")
list(LENGTH walk n)
math(EXPR last "${n} - 1")
foreach(i RANGE 0 ${last} 2)
  math(EXPR j "${i} + 1")
  list(GET walk ${i} keys)
  list(GET walk ${j} ref)
  string(REPLACE "\\\\" "\\" keys "${keys}")
  separate_arguments(tokens UNIX_COMMAND "${keys}")
  list(LENGTH tokens count)
  math(EXPR step "${step} + ${count}")
  string(APPEND script " ${keys}")
  if(ref)
    list(APPEND targets "${step}:${ref}")
  endif()
endforeach()

execute_process(COMMAND ${EMULATOR} ${DEMO} --script "${script}" --size 80x25
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR err MATCHES "host check failed")
  message(SEND_ERROR "demo: exit ${rc}\n${err}")
endif()

# The rows of printed screen number k.
function(screen_rows k outvar)
  math(EXPR next "${k} + 1")
  string(FIND "${out}" "=== ${k}: " begin)
  string(FIND "${out}" "=== ${next}: " end)
  if(begin LESS 0)
    set(${outvar} "" PARENT_SCOPE)
    return()
  endif()
  if(end LESS 0)
    string(LENGTH "${out}" end)
  endif()
  math(EXPR length "${end} - ${begin}")
  string(SUBSTRING "${out}" ${begin} ${length} text)
  string(FIND "${text}" "\n" eol)  # the caption line goes
  math(EXPR eol "${eol} + 1")
  string(SUBSTRING "${text}" ${eol} -1 text)
  string(REPLACE ";" "\\;" text "${text}")
  string(REPLACE "\n" ";" rows "${text}")
  set(${outvar} "${rows}" PARENT_SCOPE)
endfunction()

set(identical 0)
set(total 0)
foreach(target IN LISTS targets)
  string(REGEX MATCH "^([0-9]+):((..)-.*)$" _ "${target}")
  set(k ${CMAKE_MATCH_1})
  set(name ${CMAKE_MATCH_2})
  set(number ${CMAKE_MATCH_3})
  math(EXPR total "${total} + 1")
  file(READ "${REFERENCE}/${name}.txt" reftext)
  string(REPLACE ";" "\\;" reftext "${reftext}")
  string(REPLACE "\n" ";" refrows "${reftext}")
  screen_rows(${k} rows)
  set(diffs "")
  foreach(r RANGE 0 24)
    set(want "")
    set(got "")
    list(LENGTH refrows nref)
    list(LENGTH rows ngot)
    if(r LESS nref)
      list(GET refrows ${r} want)
    endif()
    if(r LESS ngot)
      list(GET rows ${r} got)
    endif()
    # FAR's clock: the top row's last five characters when they are a time.
    if(r EQUAL 0 AND want MATCHES "[0-9][0-9]:[0-9][0-9]$" AND got MATCHES "[0-9][0-9]:[0-9][0-9]$")
      string(REGEX REPLACE "[0-9][0-9]:[0-9][0-9]$" "HH:MM" want "${want}")
      string(REGEX REPLACE "[0-9][0-9]:[0-9][0-9]$" "HH:MM" got "${got}")
    endif()
    if(NOT want STREQUAL got)
      set(excused FALSE)
      list(LENGTH allowed na)
      if(na GREATER 0)
        math(EXPR lastAllowed "${na} - 1")
        foreach(a RANGE 0 ${lastAllowed} 3)
          math(EXPR a1 "${a} + 1")
          list(GET allowed ${a} as)
          list(GET allowed ${a1} ar)
          if(as STREQUAL number AND ar EQUAL r)
            set(excused TRUE)
          endif()
        endforeach()
      endif()
      if(NOT excused)
        string(APPEND diffs "  row ${r}\n    FAR:  ${want}\n    demo: ${got}\n")
      endif()
    endif()
  endforeach()
  if(diffs STREQUAL "")
    math(EXPR identical "${identical} + 1")
  else()
    string(REGEX MATCH "^(  row[^\n]*\n[^\n]*\n[^\n]*\n)((  row[^\n]*\n[^\n]*\n[^\n]*\n)?)((  row[^\n]*\n[^\n]*\n[^\n]*\n)?)" first "${diffs}")
    message("${name} (demo screen ${k}) differs:\n${first}")
  endif()
endforeach()

message("reference screens: ${identical} of ${total} identical")
if(identical LESS total)
  message(FATAL_ERROR "the demo differs from FAR 1.75 on ${total} - ${identical} screens")
endif()
