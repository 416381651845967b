# Plays the three walks of the reference screens (a real FAR 1.75 with Quenby, 80x25, kept in
# demo/reference: the first walk at its top level, walk-config/ and walk-disks/) in the demo's
# scripted mode, each in a fresh demo, and compares every screen character by character and then
# colour by colour (the .ansi.txt captures). Prints, per walk, "reference screens (WALK): M of N
# identical" and "reference colours (WALK): M of N identical"; fails when any walk differs.
# Set aside: FAR's clock, the machine's disk sizes, the day a copy or delete stamps on the folders
# it changed, and the differences listed in `allowed`.
#   cmake -DEMULATOR=<wine runner> -DDEMO=<quenby_demo.exe> -DREFERENCE=<demo/reference>
#         [-DORIGINAL=<folder the screens were copied from>] -P this
# When ORIGINAL exists and differs from REFERENCE, a note says so: the copy is refreshed by hand.
cmake_policy(SET CMP0007 NEW)

# The first walk: the keys after the previous screen, then the reference screen they lead to.
# The other two walks take one key per screen, the key being named in the screen's file name.
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

# Differences that are deliberate or cannot be helped: walk, screen, first row, last row
# (0-based), why.
set(allowed
  walk 13 12 12 "the About box's contact line: the reference was taken with the old line, which named a site that does not exist")

if(NOT IS_DIRECTORY "${REFERENCE}")
  message(FATAL_ERROR "reference screens not found: ${REFERENCE} is missing")
endif()
if(ORIGINAL AND IS_DIRECTORY "${ORIGINAL}")
  file(GLOB_RECURSE _copied RELATIVE "${REFERENCE}" "${REFERENCE}/*")
  file(GLOB_RECURSE _original RELATIVE "${ORIGINAL}" "${ORIGINAL}/*")
  list(SORT _copied)
  list(SORT _original)
  set(_stale "")
  if(NOT _copied STREQUAL _original)
    set(_stale "the file lists differ")
  else()
    foreach(f IN LISTS _original)
      file(SHA256 "${ORIGINAL}/${f}" _a)
      file(SHA256 "${REFERENCE}/${f}" _b)
      if(NOT _a STREQUAL _b)
        set(_stale "${f} differs")
        break()
      endif()
    endforeach()
  endif()
  if(_stale)
    message("note: ${REFERENCE} is not the same as ${ORIGINAL} (${_stale}); refresh the copy")
  endif()
endif()

string(ASCII 27 esc)

# A screen's text as a list of rows. Brackets become <LB> and <RB> first: CMake's lists would
# not split at a ';' after the unmatched '[' of a colour escape.
function(split_rows text outvar)
  string(REPLACE "[" "<LB>" text "${text}")
  string(REPLACE "]" "<RB>" text "${text}")
  string(REPLACE ";" "\\;" text "${text}")
  string(REPLACE "\n" ";" rows "${text}")
  set(${outvar} "${rows}" PARENT_SCOPE)
endfunction()

# The rows of printed screen number k of the demo's output `out`, with their colour escapes.
function(screen_rows out k outvar)
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
  split_rows("${text}" rows)
  set(${outvar} "${rows}" PARENT_SCOPE)
endfunction()

function(file_rows path outvar)
  file(READ "${path}" text)
  split_rows("${text}" rows)
  set(${outvar} "${rows}" PARENT_SCOPE)
endfunction()

# What may differ in a row and is not the demo's doing, set to a fixed text in `want` and `got`.
macro(set_aside)
  # Blanks at a row's end: the first walk's captures drop them, the other two keep them.
  string(REGEX REPLACE " +$" "" want "${want}")
  string(REGEX REPLACE " +$" "" got "${got}")
  # FAR's clock: the top row's last five characters when they are a time.
  if(r EQUAL 0 AND want MATCHES "[0-9][0-9]:[0-9][0-9]$" AND got MATCHES "[0-9][0-9]:[0-9][0-9]$")
    string(REGEX REPLACE "[0-9][0-9]:[0-9][0-9]$" "HH:MM" want "${want}")
    string(REGEX REPLACE "[0-9][0-9]:[0-9][0-9]$" "HH:MM" got "${got}")
  endif()
  # The disks menu's sizes are the machine's.
  if(want MATCHES " G│")
    string(REGEX REPLACE " *[0-9][0-9.]* G" " n G" want "${want}")
    string(REGEX REPLACE " *[0-9][0-9.]* G" " n G" got "${got}")
  endif()
  # A copy or delete stamps the folders it changed with the day it ran; the world's own time
  # (03/01/24 10:00) stays compared.
  if(walkname STREQUAL "walk-disks")
    foreach(v want got)
      string(REPLACE "03/01/24 10:00" "<WORLD>" ${v} "${${v}}")
      string(REGEX REPLACE "[0-9][0-9]/[0-9][0-9]/[0-9][0-9] [0-9][0-9]:[0-9][0-9]" "<DAY>" ${v}
             "${${v}}")
      string(REPLACE "<WORLD>" "03/01/24 10:00" ${v} "${${v}}")
    endforeach()
  endif()
endmacro()

# Compares two screens row by row: the differing rows, the first three of them in `report`.
# `colours`: the rows keep their escapes (else the escapes go).
function(compare walkname number refrows rows colours outvar)
  set(report "")
  set(shown 0)
  list(LENGTH refrows nref)
  list(LENGTH rows ngot)
  foreach(r RANGE 0 24)
    set(want "")
    set(got "")
    if(r LESS nref)
      list(GET refrows ${r} want)
    endif()
    if(r LESS ngot)
      list(GET rows ${r} got)
    endif()
    if(NOT colours)
      string(REGEX REPLACE "${esc}<LB>[0-9]+m" "" want "${want}")
      string(REGEX REPLACE "${esc}<LB>[0-9]+m" "" got "${got}")
    endif()
    set_aside()
    if(NOT want STREQUAL got)
      set(excused FALSE)
      list(LENGTH allowed na)
      if(na GREATER 0)
        math(EXPR lastAllowed "${na} - 1")
        foreach(a RANGE 0 ${lastAllowed} 5)
          math(EXPR a1 "${a} + 1")
          math(EXPR a2 "${a} + 2")
          math(EXPR a3 "${a} + 3")
          list(GET allowed ${a} aw)
          list(GET allowed ${a1} as)
          list(GET allowed ${a2} from)
          list(GET allowed ${a3} to)
          if(aw STREQUAL walkname AND as STREQUAL number AND NOT r LESS from AND NOT r GREATER to)
            set(excused TRUE)
          endif()
        endforeach()
      endif()
      if(NOT excused AND shown LESS 3)
        math(EXPR shown "${shown} + 1")
        foreach(v want got)
          string(REPLACE "${esc}" "^" ${v} "${${v}}")
          string(REPLACE "<LB>" "[" ${v} "${${v}}")
          string(REPLACE "<RB>" "]" ${v} "${${v}}")
        endforeach()
        string(APPEND report "  row ${r}\n    FAR:  ${want}\n    demo: ${got}\n")
      endif()
    endif()
  endforeach()
  set(${outvar} "${report}" PARENT_SCOPE)
endfunction()

# Plays a walk: `pairs` is a list of keys and the reference screen they lead to ("" for none),
# `folder` where its screens are. Prints its two lines; `failed` is set when a screen differs.
function(play_walk walkname folder pairs)
  set(script "")
  set(step 0)
  set(targets "")
  list(LENGTH pairs n)
  math(EXPR last "${n} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET pairs ${i} keys)
    list(GET pairs ${j} ref)
    string(REPLACE "\\\\" "\\" keys "${keys}")
    separate_arguments(tokens UNIX_COMMAND "${keys}")
    list(LENGTH tokens count)
    math(EXPR step "${step} + ${count}")
    string(APPEND script " ${keys}")
    if(ref)
      list(APPEND targets "${step}:${ref}")
    endif()
  endforeach()

  execute_process(COMMAND ${EMULATOR} ${DEMO} --script "${script}" --size 80x25 --colours
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR err MATCHES "host check failed")
    message(SEND_ERROR "demo (${walkname}): exit ${rc}\n${err}")
  endif()

  set(identical 0)
  set(coloured 0)
  set(total 0)
  foreach(target IN LISTS targets)
    string(REGEX MATCH "^([0-9]+):((..)-.*)$" _ "${target}")
    set(k ${CMAKE_MATCH_1})
    set(name ${CMAKE_MATCH_2})
    set(number ${CMAKE_MATCH_3})
    math(EXPR total "${total} + 1")
    screen_rows("${out}" ${k} rows)
    file_rows("${folder}/${name}.txt" refrows)
    compare(${walkname} ${number} "${refrows}" "${rows}" FALSE report)
    if(report STREQUAL "")
      math(EXPR identical "${identical} + 1")
      file_rows("${folder}/${name}.ansi.txt" refrows)
      compare(${walkname} ${number} "${refrows}" "${rows}" TRUE report)
      if(report STREQUAL "")
        math(EXPR coloured "${coloured} + 1")
      else()
        message("${walkname} ${name} (demo screen ${k}) has other colours (^ stands for the escape character):\n${report}")
      endif()
    else()
      message("${walkname} ${name} (demo screen ${k}) differs:\n${report}")
    endif()
  endforeach()
  message("reference screens (${walkname}): ${identical} of ${total} identical")
  message("reference colours (${walkname}): ${coloured} of ${total} identical")
  if(identical LESS total OR coloured LESS total)
    set(failed TRUE PARENT_SCOPE)
  endif()
endfunction()

# A walk of one key per screen: its keys from the names of its screens ("07-Down.txt").
function(walk_of_folder folder outvar)
  file(GLOB names RELATIVE "${folder}" "${folder}/[0-9][0-9]-*.txt")
  list(FILTER names EXCLUDE REGEX "\\.ansi\\.txt$")
  list(SORT names)
  set(pairs "")
  foreach(f IN LISTS names)
    string(REGEX REPLACE "\\.txt$" "" name "${f}")
    string(REGEX REPLACE "^[0-9][0-9]-" "" key "${name}")
    if(name MATCHES "^00-")
      set(key "")
    endif()
    list(APPEND pairs "${key}" "${name}")
  endforeach()
  set(${outvar} "${pairs}" PARENT_SCOPE)
endfunction()

set(failed FALSE)
play_walk(walk "${REFERENCE}" "${walk}")
foreach(w walk-config walk-disks)
  walk_of_folder("${REFERENCE}/${w}" pairs)
  play_walk(${w} "${REFERENCE}/${w}" "${pairs}")
endforeach()
if(failed)
  message(FATAL_ERROR "the demo differs from FAR 1.75 on the screens above")
endif()
