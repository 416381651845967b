# The built DLL's export and import tables, read with objdump (no Wine needed).
add_test(NAME dll_exports COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/check_exports.sh ${QUENBY_DLL})
