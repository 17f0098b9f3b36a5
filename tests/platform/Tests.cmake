# Text forms for the Windows API, checked everywhere; what the Windows build
# does through that API, checked on Windows (under wine here).
tidewell_add_tests(platform-tests platform/WindowsFormsTests.cpp platform/LargeMemoryTests.cpp)
# Modes, owners, links, signals and unnamed temporaries of the POSIX writer.
if(NOT WIN32)
  tidewell_add_tests(atomic-file-tests platform/AtomicFileTests.cpp)
endif()
if(WIN32)
  tidewell_add_tests(windows-tests platform/WindowsBehaviourTests.cpp)
  add_dependencies(windows-tests tidewell-cli)
endif()

# The example project built by tidewell-cli.exe under wine gives the same
# server update file and client string table as the Linux build's tool.
if(WIN32 AND CMAKE_CROSSCOMPILING AND CMAKE_HOST_UNIX)
  set(TIDEWELL_LINUX_BUILD_DIR ${CMAKE_SOURCE_DIR}/build CACHE PATH "The Linux build to compare the Windows tool with")
  add_test(NAME example-matches-linux-build
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/compare-example-windows ${TIDEWELL_LINUX_BUILD_DIR} ${CMAKE_BINARY_DIR})
  set_tests_properties(example-matches-linux-build PROPERTIES SKIP_RETURN_CODE 77)
endif()

# tidewell-cli.exe under the code pages and path forms Windows users have.
if(WIN32 AND CMAKE_CROSSCOMPILING AND CMAKE_HOST_UNIX)
  add_test(NAME windows-command-line
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/CommandLineCases.sh ${CMAKE_BINARY_DIR})
endif()

# The Windows package and the DLLs its programs import.
if(WIN32 AND CMAKE_CROSSCOMPILING AND CMAKE_HOST_UNIX)
  add_test(NAME windows-package
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/CheckWindowsPackage.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
endif()
