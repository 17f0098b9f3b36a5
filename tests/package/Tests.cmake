# The Debian package made from this build, installed into a scratch root
# (tests/package/debian_package_test.sh). Needs every part the package holds.
if(WIN32 OR NOT TARGET tidewatch-stub OR NOT TARGET tidewell OR NOT TARGET tidewell-manuals)
  return()
endif()
add_test(NAME debian-package
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/debian_package_test.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
set_tests_properties(debian-package PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600 LABELS package)
