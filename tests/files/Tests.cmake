include(${CMAKE_CURRENT_LIST_DIR}/Tree.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/Measuring.cmake)
