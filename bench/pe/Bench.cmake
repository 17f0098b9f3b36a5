# Writing one string table into a 100 MB executable, and a build of a 100 MB
# client (its settings and key), against copying the file (the floor), and
# against the npm package resedit doing the same edit.
#   bench/pe/install-resedit <build folder>/node   (once, for the resedit figure)
#   <build folder>/bin/pe-bench
tidewell_add_bench(pe-bench ${CMAKE_CURRENT_LIST_DIR}/ResourceEditBench.cpp)
target_compile_definitions(pe-bench PRIVATE
  TIDEWELL_RESEDIT_SCRIPT="${CMAKE_CURRENT_LIST_DIR}/ReseditEdit.mjs"
  TIDEWELL_RESEDIT_PREFIX="${CMAKE_BINARY_DIR}/node")
# The MinGW test program is the executable the big file starts with, when the
# tests build it; otherwise one of wine's programs.
if(TARGET pe-fixtures)
  add_dependencies(pe-bench pe-fixtures)
  target_compile_definitions(pe-bench PRIVATE
    TIDEWELL_PE_BENCH_EXE="${CMAKE_BINARY_DIR}/tests/pe-fixtures/pe-fixture-stripped.exe")
endif()
