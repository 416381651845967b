# The release packages, one for each FAR that can load Quenby: build/Quenby-<version>.zip (FAR
# 1.x and 2.0, 32-bit), Quenby-<version>-Far3-x64.zip and Quenby-<version>-Far3-x86.zip, each
# holding Quenby\ with quenby.dll, its language and help files, an example list file and
# Quenby.txt, ready to unpack into FAR\Plugins\.
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
set(QUENBY_ZIP_FAR3_X64 ${CMAKE_BINARY_DIR}/Quenby-${QUENBY_VERSION}-Far3-x64.zip)
set(QUENBY_ZIP_FAR3_X86 ${CMAKE_BINARY_DIR}/Quenby-${QUENBY_VERSION}-Far3-x86.zip)

# One zip: the DLL, the folder of its .lng/.hlf files, the package's Quenby.txt, the zip's path,
# the target that builds the DLL, and a name for the staging folder.
function(quenby_package_zip dll textdir readme zip dll_target stage)
  set(texts)
  foreach(f QuenbyEng.lng QuenbyRus.lng QuenbyEng.hlf QuenbyRus.hlf)
    list(APPEND texts ${textdir}/${f})
  endforeach()
  set(example ${CMAKE_SOURCE_DIR}/demo/example/Example.vfs)
  get_filename_component(name ${zip} NAME)
  add_custom_command(OUTPUT ${zip}
    COMMAND ${CMAKE_COMMAND} -DDLL=${dll} -DTEXTDIR=${textdir} -DEXAMPLE=${example}
            -DREADME=${readme} -DVERSION=${QUENBY_VERSION}
            -DSTAGE=${CMAKE_BINARY_DIR}/${stage} -DZIP=${zip}
            -P ${CMAKE_SOURCE_DIR}/cmake/package.cmake
    DEPENDS ${dll} ${dll_target} ${texts} ${example} ${readme} ${CMAKE_SOURCE_DIR}/cmake/package.cmake
    COMMENT "Packing ${name}"
    VERBATIM)
endfunction()

if(NOT TARGET package_zip)
  quenby_package_zip(${QUENBY_DLL} ${CMAKE_SOURCE_DIR}/plugin
    ${CMAKE_SOURCE_DIR}/demo/package/Quenby.txt ${QUENBY_ZIP} quenby_plugin package-stage)
  set(_quenby_zips ${QUENBY_ZIP})
  # The FAR 3 DLLs' language files are made in their build folders, beside the DLLs.
  foreach(arch x64 x86)
    string(TOUPPER ${arch} ARCH)
    if(TARGET quenby3_${arch})
      quenby_package_zip(${CMAKE_BINARY_DIR}/plugin3-${arch}/quenby.dll
        ${CMAKE_BINARY_DIR}/plugin3-${arch} ${CMAKE_SOURCE_DIR}/demo/package/Quenby3.txt
        ${QUENBY_ZIP_FAR3_${ARCH}} quenby3_${arch} package-stage-far3-${arch})
      list(APPEND _quenby_zips ${QUENBY_ZIP_FAR3_${ARCH}})
    endif()
  endforeach()
  add_custom_target(package_zip ALL DEPENDS ${_quenby_zips})
endif()
