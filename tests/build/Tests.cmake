# The client build, icons, release rules and build commands.
tidewell_add_tests(build-tests
  ${CMAKE_CURRENT_LIST_DIR}/BuildTestSupport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ClientStringTableTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BitmapResourceTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BitmapPreviewTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IconFileTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReleasePaneTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingAssignmentTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProgramLaunchTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ClientBuilderTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ClientSigningTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IconCatalogueTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BuildCommandsTests.cpp
)

# The command line end to end: the built client read by python3-pefile and
# run under wine.
tidewell_add_tests(build-cli-tests
  ${CMAKE_CURRENT_LIST_DIR}/BuildTestSupport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ClientEndToEndTests.cpp
  ${CMAKE_SOURCE_DIR}/tests/cli/CliRunner.cpp
)
target_link_libraries(build-cli-tests PRIVATE tidewell-wine-runner)
add_dependencies(build-cli-tests tidewell-cli)

if(TARGET tidewatch-stub)
  get_target_property(build_stub_exe tidewatch-stub TIDEWATCH_EXECUTABLE)
  foreach(target build-tests build-cli-tests)
    add_dependencies(${target} tidewatch-stub)
    target_compile_definitions(${target} PRIVATE TIDEWATCH_STUB="${build_stub_exe}")
  endforeach()
endif()
tidewell_add_tests(flows-build-tests ${CMAKE_CURRENT_LIST_DIR}/ClientPageTests.cpp)
