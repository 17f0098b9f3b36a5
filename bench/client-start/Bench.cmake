# A start of the update client that does not check, under wine, against the
# start of an empty Win32 program.   <build folder>/bin/client-start-bench
if(TARGET tidewatch-stub)
  set(empty_program ${CMAKE_CURRENT_BINARY_DIR}/EmptyProgram.exe)
  tidewell_mingw_program(OUTPUT ${empty_program} SOURCES ${CMAKE_CURRENT_LIST_DIR}/EmptyProgram.cpp
                         OPTIONS -municode -mwindows)
  add_custom_target(client-start-empty-program DEPENDS ${empty_program})
  tidewell_add_bench(client-start-bench ${CMAKE_CURRENT_LIST_DIR}/ClientStartBench.cpp)
  add_dependencies(client-start-bench tidewatch-stub tidewell-cli client-start-empty-program)
  target_compile_definitions(client-start-bench PRIVATE
    TIDEWELL_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}"
    TIDEWELL_EMPTY_PROGRAM="${empty_program}")
endif()
