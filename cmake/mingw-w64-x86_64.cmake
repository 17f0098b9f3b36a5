# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers. The posix
# threading variant is the one whose C++ library has std::thread and
# std::mutex. Programs are linked statically, so they import system DLLs only,
# and run on the build machine under wine (scripts/wine-run).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TIDEWELL_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TIDEWELL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TIDEWELL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TIDEWELL_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TIDEWELL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
