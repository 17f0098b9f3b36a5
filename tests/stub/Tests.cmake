# The update-client stub: its shared code on the host; the built stub read by
# python3-pefile and run under wine.
tidewell_add_tests(stub-tests
  ${CMAKE_CURRENT_LIST_DIR}/ClientCommandLineTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DumpReportTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ResourceLayoutTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WelcomeTextTests.cpp
)
target_link_libraries(stub-tests PRIVATE tidewatch-common)

tidewell_add_tests(update-verifier-tests ${CMAKE_CURRENT_LIST_DIR}/SignedUpdateVerifierTests.cpp)
target_link_libraries(update-verifier-tests PRIVATE tidewatch-verifier tidewatch-engine)

# Runs Windows programs under wine (no display, private prefix, time limit);
# any test executable may link it.
if(WIN32)
  add_library(tidewell-wine-runner STATIC ${CMAKE_CURRENT_LIST_DIR}/WineRunnerWindows.cpp)
else()
  add_library(tidewell-wine-runner STATIC ${CMAKE_CURRENT_LIST_DIR}/WineRunner.cpp)
endif()
target_link_libraries(tidewell-wine-runner PUBLIC tidewell-test-support)
tidewell_warnings(tidewell-wine-runner)

if(TARGET tidewatch-stub)
  get_target_property(stub_exe tidewatch-stub TIDEWATCH_EXECUTABLE)
  get_target_property(stub_resource_dir tidewatch-stub TIDEWATCH_RESOURCE_DIR)
  # pefile is installed for the system's python3; another may come first on PATH.
  if(EXISTS /usr/bin/python3)
    set(stub_python /usr/bin/python3)
  else()
    find_program(stub_python python3)
  endif()

  # A stub with damaged and partly missing resources, from the stub's own code.
  add_executable(tidewatch-odd-resources ${CMAKE_CURRENT_LIST_DIR}/fixtures/MakeOddResources.cpp)
  target_compile_features(tidewatch-odd-resources PRIVATE cxx_std_20)
  tidewell_warnings(tidewatch-odd-resources)
  set(odd_dir ${CMAKE_CURRENT_BINARY_DIR}/stub-fixtures)
  set(odd_files ${odd_dir}/Strings.bin ${odd_dir}/Empty.bin ${odd_dir}/ShortPicture.bin
                ${odd_dir}/NotAnIcon.bin ${odd_dir}/SmallIcon.bin)
  add_custom_command(OUTPUT ${odd_files}
    COMMAND tidewatch-odd-resources ${odd_dir}
    DEPENDS tidewatch-odd-resources
    COMMENT "Writing the odd resources of a test client"
    VERBATIM)
  tidewatch_stub_executable(OUTPUT ${odd_dir}/OddTidewatch.exe
    RESOURCE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/fixtures/OddResources.rc
    RESOURCE_DIRS ${odd_dir}
    RESOURCE_DEPENDS ${odd_files})
  add_custom_target(tidewatch-odd-stub DEPENDS ${odd_dir}/OddTidewatch.exe)

  tidewell_add_tests(stub-executable-tests ${CMAKE_CURRENT_LIST_DIR}/StubExecutableTests.cpp)
  target_link_libraries(stub-executable-tests PRIVATE tidewatch-common tidewell-wine-runner)
  add_dependencies(stub-executable-tests tidewatch-stub tidewatch-odd-stub)
  target_compile_definitions(stub-executable-tests PRIVATE
    TIDEWATCH_STUB="${stub_exe}"
    TIDEWATCH_RESOURCE_DIR="${stub_resource_dir}"
    TIDEWATCH_ODD_STUB="${odd_dir}/OddTidewatch.exe"
    TIDEWATCH_ODD_RESOURCE_DIR="${odd_dir}"
    TIDEWATCH_LIST_RESOURCES="${CMAKE_CURRENT_LIST_DIR}/ListResources.py"
    TIDEWELL_SYSTEM_PYTHON3="${stub_python}"
    TIDEWELL_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}u
    TIDEWELL_VERSION_MINOR=${PROJECT_VERSION_MINOR}u
    TIDEWELL_VERSION_PATCH=${PROJECT_VERSION_PATCH}u)
endif()

# The example project's staged product, when the build makes it.
if(TARGET example-product AND TIDEWELL_MINGW_FOUND AND TIDEWELL_PYTHON3)
  get_target_property(example_dir example-product TIDEWELL_EXAMPLE_PRODUCT_DIR)
  tidewell_add_tests(example-product-tests ${CMAKE_CURRENT_LIST_DIR}/ExampleProductTests.cpp)
  add_dependencies(example-product-tests example-product)
  target_compile_definitions(example-product-tests PRIVATE TIDEWELL_EXAMPLE_PRODUCT_DIR="${example_dir}")
endif()

# The update engine's rules, plan, journal and undo, against fakes of the machine.
tidewell_add_tests(stub-engine-tests
  ${CMAKE_CURRENT_LIST_DIR}/engine/ApplyStepsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine/ConcurrentDownloadTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine/DownloadLimitsTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine/EngineFakes.h
  ${CMAKE_CURRENT_LIST_DIR}/engine/EngineRulesTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine/EngineTransactionTests.cpp
)
target_link_libraries(stub-engine-tests PRIVATE tidewatch-engine tidewatch-verifier tidewatch-common ZLIB::ZLIB)

# The client's window side: its schedule and the texts it shows.
include(${CMAKE_CURRENT_LIST_DIR}/ui/Tests.cmake)
