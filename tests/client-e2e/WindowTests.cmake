# The update client's window under wine and Xvfb, on the harness of the
# silent update's test: the pages, cancel, declined versions, the schedule,
# errors, the main executable in use.
if(WIN32 OR NOT TARGET client-e2e-programs OR NOT e2e_python)
  return()
endif()
add_test(NAME client-window
  COMMAND ${e2e_python} ${CMAKE_CURRENT_LIST_DIR}/harness/client_window_test.py
          --bin ${CMAKE_RUNTIME_OUTPUT_DIRECTORY} --programs ${e2e_out})
# 77: wine or Xvfb is not installed.
set_tests_properties(client-window PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 900 RUN_SERIAL TRUE LABELS wine)
