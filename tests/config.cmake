# The configuration dialog and the About box (test_config), and the help files (test_helpfiles).
string(REPLACE "/" "\\\\" QUENBY_SOURCE_DIR_WIN "Z:${CMAKE_SOURCE_DIR}")

# Modules that carry nothing but a version resource, built next to test_config.exe; the About
# box is pointed at each of them in turn.
set(QUENBY_VERSION_MODULES desc_only version_only comments_only german_unicode)
quenby_add_test(test_config test_config.cpp)
target_link_libraries(test_config PRIVATE quenby_units)
target_compile_definitions(test_config PRIVATE QUENBY_SOURCE_DIR="${QUENBY_SOURCE_DIR_WIN}")
foreach(m IN LISTS QUENBY_VERSION_MODULES)
  add_library(ver_${m} SHARED versions/${m}.cpp versions/${m}.rc)
  set_target_properties(ver_${m} PROPERTIES PREFIX "" OUTPUT_NAME ver_${m}
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  target_link_options(ver_${m} PRIVATE ${QUENBY_STATIC_LINK})
  add_dependencies(test_config ver_${m})
endforeach()

quenby_add_test(test_helpfiles test_helpfiles.cpp)
target_compile_definitions(test_helpfiles PRIVATE QUENBY_SOURCE_DIR="${QUENBY_SOURCE_DIR_WIN}")
