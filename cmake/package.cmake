# The release package: build/Quenby-<version>.zip holding Quenby\ with quenby.dll, its language
# and help files, an example list file and Quenby.txt, ready to unpack into FAR\Plugins\.
# Included from the build (defines the target package_zip); run with -P it stages and zips.
if(CMAKE_SCRIPT_MODE_FILE)
  # -DDLL= -DTEXTDIR= (folder of the .lng/.hlf files) -DEXAMPLE= -DREADME= -DVERSION= -DSTAGE=
  # -DZIP=
  set(dir ${STAGE}/Quenby)
  file(REMOVE_RECURSE ${STAGE})
  file(MAKE_DIRECTORY ${dir})
  file(COPY ${DLL} DESTINATION ${dir})
  foreach(f QuenbyEng.lng QuenbyRus.lng QuenbyEng.hlf QuenbyRus.hlf)
    file(COPY ${TEXTDIR}/${f} DESTINATION ${dir})
  endforeach()
  # Texts that FAR users read: OEM (plain ASCII here) with CR LF line ends.
  foreach(pair "${EXAMPLE}|Example.vfs" "${README}|Quenby.txt")
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 from)
    list(GET pair 1 to)
    file(READ ${from} text)
    string(REPLACE "@QUENBY_VERSION@" "${VERSION}" text "${text}")
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    if(text MATCHES "[^\t\r\n -~]")
      message(FATAL_ERROR "${from}: only ASCII text belongs in the package")
    endif()
    file(WRITE ${dir}/${to} "${text}")
  endforeach()
  file(REMOVE ${ZIP})
  execute_process(COMMAND zip -q -X -r ${ZIP} Quenby WORKING_DIRECTORY ${STAGE}
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "zip failed (${rc}); tools/bootstrap.sh installs zip")
  endif()
  file(REMOVE_RECURSE ${STAGE})
  return()
endif()

# The version comes from the plugin's version header, which its version resource reads.
file(STRINGS ${CMAKE_SOURCE_DIR}/plugin/Version.h _quenby_fileversion REGEX "^#define QUENBY_VERSION_NUMBERS")
string(REGEX MATCH "([0-9]+),([0-9]+),([0-9]+),([0-9]+)" _quenby_fv "${_quenby_fileversion}")
set(QUENBY_VERSION "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${CMAKE_MATCH_3}.${CMAKE_MATCH_4}")
set(QUENBY_ZIP ${CMAKE_BINARY_DIR}/Quenby-${QUENBY_VERSION}.zip)

if(NOT TARGET package_zip)
  set(_quenby_texts)
  foreach(f QuenbyEng.lng QuenbyRus.lng QuenbyEng.hlf QuenbyRus.hlf)
    list(APPEND _quenby_texts ${CMAKE_SOURCE_DIR}/plugin/${f})
  endforeach()
  set(_quenby_example ${CMAKE_SOURCE_DIR}/demo/example/Example.vfs)
  set(_quenby_readme ${CMAKE_SOURCE_DIR}/demo/package/Quenby.txt)
  add_custom_command(OUTPUT ${QUENBY_ZIP}
    COMMAND ${CMAKE_COMMAND} -DDLL=${QUENBY_DLL} -DTEXTDIR=${CMAKE_SOURCE_DIR}/plugin
            -DEXAMPLE=${_quenby_example} -DREADME=${_quenby_readme} -DVERSION=${QUENBY_VERSION}
            -DSTAGE=${CMAKE_BINARY_DIR}/package-stage -DZIP=${QUENBY_ZIP}
            -P ${CMAKE_CURRENT_LIST_FILE}
    DEPENDS ${QUENBY_DLL} ${_quenby_texts} ${_quenby_example} ${_quenby_readme}
            ${CMAKE_CURRENT_LIST_FILE}
    COMMENT "Packing Quenby-${QUENBY_VERSION}.zip"
    VERBATIM)
  add_custom_target(package_zip ALL DEPENDS ${QUENBY_ZIP})
  add_dependencies(package_zip quenby_plugin)
endif()
