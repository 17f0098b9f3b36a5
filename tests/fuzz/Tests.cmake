# The fuzz targets' entry points replayed on their seeds and on every input
# that once found a fault, without libFuzzer.
tidewell_add_tests(fuzz-replay-tests
  ${CMAKE_CURRENT_LIST_DIR}/ReplayTests.cpp
)
target_link_libraries(fuzz-replay-tests PRIVATE tidewell-fuzz-targets)
add_dependencies(fuzz-replay-tests fuzz-seeds)
target_compile_definitions(fuzz-replay-tests PRIVATE
  TIDEWELL_FUZZ_SEED_DIR="${CMAKE_BINARY_DIR}/fuzz/seeds")
