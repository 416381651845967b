# The demo's scripted runs: the three walks of a real FAR 1.75's screens (demo/reference) compared
# screen by screen, and FAR's actions that no walk shows checked on their screens; then the
# release package: unpacked by a fixture into a scratch folder, its files checked and quenby.dll
# loaded from there in the host. Both demo tests make C:\Quenby in the prefix: one at a time.
# The screens were copied from ../shared/far175; when that folder is there, a note says if they
# differ.
get_filename_component(QUENBY_REFERENCE_ORIGINAL ${CMAKE_SOURCE_DIR}/../shared/far175 ABSOLUTE)
add_test(NAME demo_reference_screens
  COMMAND ${CMAKE_COMMAND} -DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}
          -DDEMO=$<TARGET_FILE:quenby_demo> -DREFERENCE=${CMAKE_SOURCE_DIR}/demo/reference
          -DORIGINAL=${QUENBY_REFERENCE_ORIGINAL}
          -P ${CMAKE_SOURCE_DIR}/demo/check_reference.cmake)
add_test(NAME demo_screens
  COMMAND ${CMAKE_COMMAND} -DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}
          -DDEMO=$<TARGET_FILE:quenby_demo> -DPREFIX=${CMAKE_BINARY_DIR}/wineprefix
          -P ${CMAKE_SOURCE_DIR}/demo/check_screens.cmake)
# FAR writes times in local time and dates in the user's order: the reference's are UTC and US.
set_tests_properties(demo_reference_screens demo_screens PROPERTIES TIMEOUT 900
                     ENVIRONMENT "TZ=UTC;LC_ALL=en_US.UTF-8" RESOURCE_LOCK quenby_demo_world)

include(${CMAKE_SOURCE_DIR}/cmake/package.cmake)
set(QUENBY_UNPACKED ${CMAKE_CURRENT_BINARY_DIR}/package-unpacked.tmp)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/package_unpack.cmake
  "file(REMOVE_RECURSE \"${QUENBY_UNPACKED}\")\n"
  "file(MAKE_DIRECTORY \"${QUENBY_UNPACKED}\")\n"
  "execute_process(COMMAND \"${CMAKE_COMMAND}\" -E tar xf \"${QUENBY_ZIP}\"\n"
  "                WORKING_DIRECTORY \"${QUENBY_UNPACKED}\" RESULT_VARIABLE rc)\n"
  "if(NOT rc EQUAL 0)\n  message(FATAL_ERROR \"cannot unpack ${QUENBY_ZIP}\")\nendif()\n")
add_test(NAME package_unpack COMMAND ${CMAKE_COMMAND} -P ${CMAKE_CURRENT_BINARY_DIR}/package_unpack.cmake)
add_test(NAME package_cleanup COMMAND ${CMAKE_COMMAND} -E rm -rf ${QUENBY_UNPACKED})
set_tests_properties(package_unpack PROPERTIES FIXTURES_SETUP quenby_package)
set_tests_properties(package_cleanup PROPERTIES FIXTURES_CLEANUP quenby_package)

quenby_add_test(test_package test_package.cpp)
string(REPLACE "/" "\\\\" QUENBY_UNPACKED_WIN "Z:${QUENBY_UNPACKED}/Quenby")
target_compile_definitions(test_package PRIVATE QUENBY_PACKAGE_DIR="${QUENBY_UNPACKED_WIN}"
                                                QUENBY_PACKAGE_VERSION="${QUENBY_VERSION}")
add_dependencies(test_package package_zip)
set_tests_properties(test_package PROPERTIES FIXTURES_REQUIRED quenby_package)

# The FAR 3 packages, x64 and x86: their files, and the DLLs and texts the FAR 3 tests load.
if(TARGET quenby3_x64 AND TARGET quenby3_x86)
  add_test(NAME far3_packages
    COMMAND ${CMAKE_COMMAND} -DBUILD=${CMAKE_BINARY_DIR} -DVERSION=${QUENBY_VERSION}
            -DSCRATCH=${CMAKE_CURRENT_BINARY_DIR}/far3-packages.tmp
            -P ${CMAKE_SOURCE_DIR}/demo/check_far3_packages.cmake)
endif()
