# The plugin's units compiled into the tests, for white-box tests of pure helpers.
set(QUENBY_UNIT_SOURCES
  ${CMAKE_SOURCE_DIR}/plugin/FARIntf.cpp ${CMAKE_SOURCE_DIR}/plugin/Barrier.cpp
  ${CMAKE_SOURCE_DIR}/plugin/Config.cpp ${CMAKE_SOURCE_DIR}/plugin/FileSearch.cpp
  ${CMAKE_SOURCE_DIR}/plugin/nbumail.cpp
  ${CMAKE_SOURCE_DIR}/plugin/VersionInfo.cpp)
add_library(quenby_units STATIC ${QUENBY_UNIT_SOURCES})
target_include_directories(quenby_units PUBLIC ${CMAKE_SOURCE_DIR}/plugin)
target_link_libraries(quenby_units PUBLIC version)
