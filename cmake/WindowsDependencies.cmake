# Libraries of the Windows build: zlib from Debian's MinGW package; pugixml,
# minizip and GoogleTest compiled here from the sources Debian ships, under
# the same target names the host build gets from its packages.
include_guard(GLOBAL)

set(TIDEWELL_DEBIAN_SOURCES ${CMAKE_BINARY_DIR}/debian-sources CACHE PATH
    "Folder holding Debian's pugixml and zlib sources (scripts/fetch-debian-sources)")
if(NOT EXISTS ${TIDEWELL_DEBIAN_SOURCES}/pugixml.unpacked OR
   NOT EXISTS ${TIDEWELL_DEBIAN_SOURCES}/zlib.unpacked)
  message(STATUS "Fetching Debian's pugixml and zlib sources into ${TIDEWELL_DEBIAN_SOURCES}")
  execute_process(
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/../scripts/fetch-debian-sources ${TIDEWELL_DEBIAN_SOURCES}
    RESULT_VARIABLE fetch_result)
  if(NOT fetch_result EQUAL 0)
    message(FATAL_ERROR "Debian's pugixml and zlib sources could not be fetched")
  endif()
endif()

set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

set(pugixml_dir ${TIDEWELL_DEBIAN_SOURCES}/pugixml/src)
add_library(tidewell-pugixml STATIC ${pugixml_dir}/pugixml.cpp)
target_include_directories(tidewell-pugixml SYSTEM PUBLIC ${pugixml_dir})
add_library(pugixml::pugixml ALIAS tidewell-pugixml)

# minizip with its Windows file functions, which open files by wide-character
# names.
set(minizip_dir ${TIDEWELL_DEBIAN_SOURCES}/zlib/contrib/minizip)
add_library(tidewell-minizip STATIC
  ${minizip_dir}/ioapi.c ${minizip_dir}/iowin32.c ${minizip_dir}/unzip.c ${minizip_dir}/zip.c)
target_include_directories(tidewell-minizip SYSTEM PUBLIC ${minizip_dir})
target_link_libraries(tidewell-minizip PUBLIC ZLIB::ZLIB)
add_library(PkgConfig::MINIZIP ALIAS tidewell-minizip)

# GoogleTest from the googletest package's sources.
function(tidewell_windows_googletest)
  set(BUILD_GMOCK OFF)
  set(INSTALL_GTEST OFF)
  set(gtest_disable_pthreads ON)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endfunction()
macro(tidewell_windows_testing)
  if(NOT EXISTS /usr/src/googletest/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest's sources are missing: install the googletest package")
  endif()
  tidewell_windows_googletest()
endmacro()

# CLI11 is header-only: the host package's headers serve the cross build.
# They are copied on their own so that no other host header can be found.
find_path(TIDEWELL_CLI11_INCLUDE CLI/CLI.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
if(NOT TIDEWELL_CLI11_INCLUDE)
  message(FATAL_ERROR "CLI11's headers are missing: install the libcli11-dev package")
endif()
file(COPY ${TIDEWELL_CLI11_INCLUDE}/CLI DESTINATION ${CMAKE_BINARY_DIR}/cli11-headers)
add_library(tidewell-cli11 INTERFACE)
target_include_directories(tidewell-cli11 SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/cli11-headers)

# Qt built for Windows from Debian's source (scripts/build-windows-qt prints
# its prefix). With it the desktop tool and its tests are built; the host's
# Qt tools (moc, rcc, uic) serve the cross build.
set(TIDEWELL_WINDOWS_QT "" CACHE PATH "Qt for Windows, as scripts/build-windows-qt installed it")
if(TIDEWELL_WINDOWS_QT)
  if(NOT EXISTS ${TIDEWELL_WINDOWS_QT}/lib/cmake/Qt6/Qt6Config.cmake)
    message(FATAL_ERROR "${TIDEWELL_WINDOWS_QT} holds no Qt 6: run scripts/build-windows-qt")
  endif()
  list(APPEND CMAKE_FIND_ROOT_PATH ${TIDEWELL_WINDOWS_QT})
  list(APPEND CMAKE_PREFIX_PATH ${TIDEWELL_WINDOWS_QT})
  set(QT_HOST_PATH /usr)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()

# Programs using Qt share its DLLs' MinGW runtime instead of linking their
# own copy: called in the folders that define them.
macro(tidewell_windows_shared_runtime)
  string(REPLACE "-static-libgcc" "" CMAKE_EXE_LINKER_FLAGS "${CMAKE_EXE_LINKER_FLAGS}")
  string(REPLACE "-static-libstdc++" "" CMAKE_EXE_LINKER_FLAGS "${CMAKE_EXE_LINKER_FLAGS}")
  string(REPLACE "-static" "" CMAKE_EXE_LINKER_FLAGS "${CMAKE_EXE_LINKER_FLAGS}")
endmacro()

# The DLLs and plug-ins a Qt program needs, copied beside the programs so
# that they start from the build folder under wine as from the package.
function(tidewell_windows_qt_runtime)
  set(qt ${TIDEWELL_WINDOWS_QT})
  set(bin ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  set(copies)
  foreach(dll Qt6Core Qt6Gui Qt6Widgets Qt6Test)
    list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy_if_different ${qt}/bin/${dll}.dll ${bin}/)
  endforeach()
  foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                    OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${found}" OR NOT EXISTS "${found}")
      # libwinpthread lives with the MinGW-w64 headers and libraries.
      set(found /usr/${TIDEWELL_MINGW_TRIPLET}/lib/${runtime})
    endif()
    if(NOT EXISTS ${found})
      message(FATAL_ERROR "MinGW's ${runtime} was not found")
    endif()
    list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy_if_different ${found} ${bin}/)
  endforeach()
  # The icon selection dialog decodes icons through Qt's ICO reader, a plugin
  # on every platform.
  foreach(plugin platforms/qwindows platforms/qoffscreen styles/qwindowsvistastyle imageformats/qico)
    get_filename_component(folder ${plugin} DIRECTORY)
    list(APPEND copies
      COMMAND ${CMAKE_COMMAND} -E make_directory ${bin}/${folder}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${qt}/plugins/${plugin}.dll ${bin}/${folder}/)
  endforeach()
  add_custom_target(tidewell-windows-qt-runtime ALL ${copies}
    COMMENT "Copying Qt's and MinGW's DLLs beside the programs")
endfunction()

# libsodium, built for MinGW-w64 from Debian's source package (static, the
# minimal set) and kept beside the Debian sources; the stub links the same
# build.
set(TIDEWELL_LIBSODIUM_MINGW ${CMAKE_BINARY_DIR}/libsodium-mingw CACHE PATH
    "Folder of libsodium built for MinGW-w64 (scripts/build-libsodium-mingw)")
include(${CMAKE_CURRENT_LIST_DIR}/LibsodiumMingw.cmake)
tidewell_libsodium_mingw(${TIDEWELL_DEBIAN_SOURCES} ${TIDEWELL_LIBSODIUM_MINGW})
add_library(tidewell-sodium STATIC IMPORTED GLOBAL)
set_target_properties(tidewell-sodium PROPERTIES
  IMPORTED_LOCATION ${TIDEWELL_LIBSODIUM_MINGW}/lib/libsodium.a
  INTERFACE_INCLUDE_DIRECTORIES ${TIDEWELL_LIBSODIUM_MINGW}/include
  INTERFACE_COMPILE_DEFINITIONS SODIUM_STATIC)
add_library(PkgConfig::SODIUM ALIAS tidewell-sodium)
