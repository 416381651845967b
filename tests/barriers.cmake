# The barriers as FAR meets them: GCC's shared runtime (another MinGW plugin's) in the process,
# memory running out inside an export, SEH frames between a fault and the barrier, stack
# overflows. The test loads the win32-thread toolchain's libgcc_s_dw2-1.dll, copied into the
# build tree (a folder of its own) when the test is built.
find_program(QUENBY_WIN32_GCC i686-w64-mingw32-gcc-win32 REQUIRED)
execute_process(COMMAND ${QUENBY_WIN32_GCC} -print-file-name=libgcc_s_dw2-1.dll
  OUTPUT_VARIABLE QUENBY_LIBGCC_S OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT IS_ABSOLUTE "${QUENBY_LIBGCC_S}" OR NOT EXISTS "${QUENBY_LIBGCC_S}")
  message(FATAL_ERROR "${QUENBY_WIN32_GCC} has no libgcc_s_dw2-1.dll (got '${QUENBY_LIBGCC_S}')")
endif()
set(QUENBY_LIBGCC_S_COPY ${CMAKE_CURRENT_BINARY_DIR}/gcc-runtime/libgcc_s_dw2-1.dll)
add_custom_command(OUTPUT ${QUENBY_LIBGCC_S_COPY}
  COMMAND ${CMAKE_COMMAND} -E copy ${QUENBY_LIBGCC_S} ${QUENBY_LIBGCC_S_COPY}
  DEPENDS ${QUENBY_LIBGCC_S})
add_custom_target(quenby_gcc_runtime DEPENDS ${QUENBY_LIBGCC_S_COPY})

quenby_add_test(test_barriers test_barriers.cpp)
add_dependencies(test_barriers quenby_gcc_runtime)
