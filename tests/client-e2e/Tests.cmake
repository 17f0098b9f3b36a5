# The update client end to end under wine: two versions of a small product,
# a project made with tidewell-cli, a loopback server started by the test and
# the client built by the tool updating version 1 to version 2, then every
# fault the client must survive with version 1 left as it was.
if(WIN32 OR NOT TARGET tidewatch-stub OR NOT TIDEWELL_MINGW_CXX OR NOT TIDEWELL_MINGW_WINDRES)
  return()
endif()
# The harness needs the system's python3 (standard library only).
if(EXISTS /usr/bin/python3)
  set(e2e_python /usr/bin/python3)
else()
  find_program(e2e_python python3)
endif()
if(NOT e2e_python)
  message(STATUS "python3 not found: the client end-to-end test is left out")
  return()
endif()

set(e2e_src ${CMAKE_CURRENT_LIST_DIR}/product)
set(e2e_out ${CMAKE_BINARY_DIR}/client-e2e-programs)
set(e2e_programs)
# e2e_program(<output file name> <source> [RC <script>] [DLL] [OPTIONS <flags>...])
function(e2e_program name source)
  cmake_parse_arguments(PARSE_ARGV 2 arg "DLL" "RC" "OPTIONS")
  set(extra)
  if(arg_RC)
    list(APPEND extra RESOURCE_SCRIPT ${e2e_src}/${arg_RC} RESOURCE_DEPENDS ${e2e_src}/Version.rci)
  endif()
  if(arg_DLL)
    list(APPEND extra DLL)
  else()
    list(APPEND arg_OPTIONS -municode -mwindows)
  endif()
  tidewell_mingw_program(OUTPUT ${e2e_out}/${name} SOURCES ${e2e_src}/${source} ${extra}
                         OPTIONS ${arg_OPTIONS})
  set(e2e_programs ${e2e_programs} ${e2e_out}/${name} PARENT_SCOPE)
endfunction()

e2e_program(App1.exe Mark.cpp RC App1.rc OPTIONS "-DPRODUCT_LABEL=\"1.0\"")
e2e_program(App2.exe Mark.cpp RC App2.rc OPTIONS "-DPRODUCT_LABEL=\"2.0\"")
e2e_program(Library1.dll Library.cpp RC Library1.rc DLL OPTIONS -DPRODUCT_MAJOR=1)
e2e_program(Library2.dll Library.cpp RC Library2.rc DLL OPTIONS -DPRODUCT_MAJOR=2)
# The same version in both, different code: a version-based file that is not taken.
e2e_program(Tool1.exe Mark.cpp RC Tool.rc OPTIONS "-DPRODUCT_LABEL=\"tool 1\"")
e2e_program(Tool2.exe Mark.cpp RC Tool.rc OPTIONS "-DPRODUCT_LABEL=\"tool 2\"")
e2e_program(Mark.exe Mark.cpp)
e2e_program(HoldOpen.exe HoldOpen.cpp)
add_custom_target(client-e2e-programs ALL DEPENDS ${e2e_programs})

add_test(NAME client-e2e
  COMMAND ${e2e_python} ${CMAKE_CURRENT_LIST_DIR}/harness/client_update_test.py
          --bin ${CMAKE_RUNTIME_OUTPUT_DIRECTORY} --programs ${e2e_out})
# 77: wine is not installed; the test says so and is counted as skipped.
set_tests_properties(client-e2e PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600 RUN_SERIAL TRUE
                                           LABELS wine)

# The same client signed by the publisher's command (osslsigncode): it
# verifies and still updates.
add_test(NAME client-e2e-signed
  COMMAND ${e2e_python} ${CMAKE_CURRENT_LIST_DIR}/harness/signed_client_test.py
          --bin ${CMAKE_RUNTIME_OUTPUT_DIRECTORY} --programs ${e2e_out} --source ${CMAKE_SOURCE_DIR})
set_tests_properties(client-e2e-signed PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600 RUN_SERIAL TRUE
                                                  LABELS wine)

# The client updating from a release that tidewell-cli publish put in a
# folder served over http (where the tool is built with publishing).
if(TARGET tidewell-publish)
  add_test(NAME client-e2e-published
    COMMAND ${e2e_python} ${CMAKE_CURRENT_LIST_DIR}/harness/published_release_test.py
            --bin ${CMAKE_RUNTIME_OUTPUT_DIRECTORY} --programs ${e2e_out})
  set_tests_properties(client-e2e-published PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600
                                                       RUN_SERIAL TRUE LABELS wine)
endif()
