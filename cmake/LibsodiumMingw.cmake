# libsodium for Windows, built once from Debian's source package by
# scripts/build-libsodium-mingw (static, about a minute). The Windows build of
# the tool and the update client built from the host both link it.
include_guard(GLOBAL)

# tidewell_libsodium_mingw(<Debian sources folder> <install folder>)
function(tidewell_libsodium_mingw sources folder)
  if(EXISTS ${folder}/built)
    return()
  endif()
  message(STATUS "Building Debian's libsodium for MinGW-w64 into ${folder}")
  execute_process(
    COMMAND ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../scripts/build-libsodium-mingw ${sources} ${folder}
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "libsodium could not be built for MinGW-w64")
  endif()
endfunction()
