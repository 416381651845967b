# White-box tests of the FAR 3 DLLs' pure helpers (test_far3_units), in this 32-bit test tree:
# the FAR 3 units that hold them, compiled here without the DLL's own operator new, and no FAR
# stand-in (the FAR 3 one is a tree of its own).
set(QUENBY3_UNIT_SOURCES
  ${CMAKE_SOURCE_DIR}/plugin/far3/Far3Barrier.cpp ${CMAKE_SOURCE_DIR}/plugin/far3/Far3Intf.cpp
  ${CMAKE_SOURCE_DIR}/plugin/far3/Far3ListFile.cpp ${CMAKE_SOURCE_DIR}/plugin/far3/Far3Search.cpp
  ${CMAKE_SOURCE_DIR}/plugin/far3/Far3Settings.cpp)
add_library(quenby3_units STATIC ${QUENBY3_UNIT_SOURCES})
target_include_directories(quenby3_units PUBLIC ${CMAKE_SOURCE_DIR}/plugin/far3 ${CMAKE_SOURCE_DIR}/plugin)

add_executable(test_far3_units test_far3_units.cpp ${CMAKE_CURRENT_SOURCE_DIR}/test_main.cpp)
target_link_libraries(test_far3_units PRIVATE quenby3_units GTest::gtest)
target_link_options(test_far3_units PRIVATE ${QUENBY_STATIC_LINK})
string(REPLACE "/" "\\\\" QUENBY_SOURCE_DIR_WIN "Z:${CMAKE_SOURCE_DIR}")
string(REPLACE "/" "\\\\" QUENBY_BUILD_DIR_WIN "Z:${CMAKE_BINARY_DIR}")
target_compile_definitions(test_far3_units PRIVATE QUENBY_SOURCE_DIR="${QUENBY_SOURCE_DIR_WIN}"
                                                   QUENBY_BUILD_DIR="${QUENBY_BUILD_DIR_WIN}")
add_dependencies(test_far3_units quenby3_x64 quenby3_x86)
# The stack overflows run as a test of their own, so that a process that ends there takes no
# other case with it (under an emulated x86 the case skips itself: qemu-user ends there).
add_test(NAME test_far3_units COMMAND test_far3_units --gtest_brief=1 --gtest_filter=-*StackOverflow*)
add_test(NAME test_far3_units_overflow COMMAND test_far3_units --gtest_brief=1 --gtest_filter=*StackOverflow*)
set_tests_properties(test_far3_units test_far3_units_overflow PROPERTIES TIMEOUT 900)

# The FAR 3 DLLs' export and import tables, read with objdump (no Wine needed), and their
# linker maps.
foreach(arch x64 x86)
  add_test(NAME dll3_exports_${arch} COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/check_exports3.sh
           ${CMAKE_BINARY_DIR}/plugin3-${arch}/quenby.dll ${CMAKE_BINARY_DIR}/plugin3-${arch}/quenby.map)
endforeach()
