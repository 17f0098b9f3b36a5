tidewell_add_tests(stub-ui-tests ${CMAKE_CURRENT_LIST_DIR}/ScheduleTests.cpp)
target_link_libraries(stub-ui-tests PRIVATE tidewatch-engine)
