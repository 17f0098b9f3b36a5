# The tree and its XML form; the measuring of files and zip entries.
include(${CMAKE_CURRENT_LIST_DIR}/Tree.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/Measuring.cmake)
