# Filling the icon selection dialog against the core listing and decoding
# the same icon images.   <build folder>/bin/icon-dialog-bench
find_package(Qt6 QUIET COMPONENTS Widgets)
if(Qt6_FOUND AND EXISTS ${CMAKE_SOURCE_DIR}/app/CMakeLists.txt)
  tidewell_add_bench(icon-dialog-bench ${CMAKE_CURRENT_LIST_DIR}/IconDialogBench.cpp)
  # The desktop tool's library is defined after the benchmarks.
  target_link_libraries(icon-dialog-bench PRIVATE tidewell-app)
  target_compile_definitions(icon-dialog-bench PRIVATE
    TIDEWELL_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
endif()

# The update client updating 1,000 files (200 MB) under wine from a loopback
# server, against a WinHTTP program doing the same transfers under the same
# wine (and, for information, curl plus a copy and a rename per file), and its
# peak working set.   <build folder>/bin/client-update-bench
if(TARGET tidewatch-stub AND EXISTS /usr/bin/python3)
  # Its floor under the same wine: the same files through WinHTTP, written,
  # flushed and renamed in, on as many connections as the client keeps.
  set(winhttp_floor ${CMAKE_CURRENT_BINARY_DIR}/WinHttpFloor.exe)
  tidewell_mingw_program(OUTPUT ${winhttp_floor} SOURCES ${CMAKE_CURRENT_LIST_DIR}/WinHttpFloor.cpp
                         OPTIONS -municode INCLUDE_DIRS ${CMAKE_SOURCE_DIR}/stub/engine
                         LIBRARIES -lwinhttp
                         DEPENDS ${CMAKE_SOURCE_DIR}/stub/engine/ConcurrentDownload.h)
  add_custom_target(client-update-winhttp-floor DEPENDS ${winhttp_floor})
  tidewell_add_bench(client-update-bench ${CMAKE_CURRENT_LIST_DIR}/ClientUpdateBench.cpp)
  add_dependencies(client-update-bench tidewatch-stub tidewell-cli client-update-winhttp-floor)
  target_compile_definitions(client-update-bench PRIVATE
    TIDEWELL_WINHTTP_FLOOR="${winhttp_floor}"
    TIDEWELL_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}"
    TIDEWELL_PYTHON3="/usr/bin/python3"
    TIDEWELL_LOOPBACK_SERVER="${CMAKE_SOURCE_DIR}/tests/client-e2e/harness/loopback_server.py"
    TIDEWELL_PREPARE_UPDATE="${CMAKE_CURRENT_LIST_DIR}/prepare_update.py")
endif()
