# The built DLL's export and import tables, read with objdump (no Wine needed), its size, and its
# linker map.
add_test(NAME dll_exports COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/check_exports.sh ${QUENBY_DLL}
         ${QUENBY_PLUGIN_DIR}/quenby.map)
