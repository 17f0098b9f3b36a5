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
