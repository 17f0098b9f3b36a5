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

# libsodium, built for MinGW-w64 from Debian's source package (static, the
# minimal set) and kept beside the Debian sources; the stub links the same
# build.
set(TIDEWELL_LIBSODIUM_MINGW ${CMAKE_BINARY_DIR}/libsodium-mingw CACHE PATH
    "Folder of libsodium built for MinGW-w64 (scripts/build-libsodium-mingw)")
if(NOT EXISTS ${TIDEWELL_LIBSODIUM_MINGW}/built)
  message(STATUS "Building Debian's libsodium for MinGW-w64 into ${TIDEWELL_LIBSODIUM_MINGW}")
  execute_process(
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/../scripts/build-libsodium-mingw
            ${TIDEWELL_DEBIAN_SOURCES} ${TIDEWELL_LIBSODIUM_MINGW}
    RESULT_VARIABLE sodium_result)
  if(NOT sodium_result EQUAL 0)
    message(FATAL_ERROR "libsodium could not be built for MinGW-w64")
  endif()
endif()
add_library(tidewell-sodium STATIC IMPORTED GLOBAL)
set_target_properties(tidewell-sodium PROPERTIES
  IMPORTED_LOCATION ${TIDEWELL_LIBSODIUM_MINGW}/lib/libsodium.a
  INTERFACE_INCLUDE_DIRECTORIES ${TIDEWELL_LIBSODIUM_MINGW}/include
  INTERFACE_COMPILE_DEFINITIONS SODIUM_STATIC)
add_library(PkgConfig::SODIUM ALIAS tidewell-sodium)
