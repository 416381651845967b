# The robustness soak: a seeded random session of FAR calls against quenby.dll (a plain program,
# not a GoogleTest suite). A long run: soak --seed 1 --ops 100000 --long
add_executable(soak soak.cpp)
target_link_libraries(soak PRIVATE farhost)
target_link_options(soak PRIVATE ${QUENBY_STATIC_LINK})
target_compile_definitions(soak PRIVATE QUENBY_PLUGIN_DIR="${QUENBY_PLUGIN_DIR_WIN}")
add_dependencies(soak quenby_plugin)
add_test(NAME soak COMMAND soak --seed 12345 --ops 3000)
set_tests_properties(soak PROPERTIES TIMEOUT 900)
