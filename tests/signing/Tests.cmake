# The signing formats and checks, and the publisher's keys.
tidewell_add_tests(signing-tests
  ${CMAKE_CURRENT_LIST_DIR}/PatchListTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SigningKeyTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SigningTests.cpp
)
