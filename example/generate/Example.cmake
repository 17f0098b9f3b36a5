# The staged product of the example project (./run), made at build time in
# ${CMAKE_BINARY_DIR}/example-product: two versioned Windows programs, a
# readme and a zip archive. Nothing binary is kept in the sources.
include_guard(GLOBAL)
include(${CMAKE_CURRENT_LIST_DIR}/../../stub/MingwTools.cmake)

set(TIDEWELL_EXAMPLE_PRODUCT_DIR ${CMAKE_BINARY_DIR}/example-product)
set(tidewell_example_src ${CMAKE_CURRENT_LIST_DIR})
set(tidewell_example_files ${TIDEWELL_EXAMPLE_PRODUCT_DIR}/readme.txt)

add_custom_command(OUTPUT ${TIDEWELL_EXAMPLE_PRODUCT_DIR}/readme.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${tidewell_example_src}/readme.txt ${TIDEWELL_EXAMPLE_PRODUCT_DIR}/readme.txt
  DEPENDS ${tidewell_example_src}/readme.txt
  VERBATIM)

find_program(TIDEWELL_PYTHON3 python3)
if(TIDEWELL_PYTHON3)
  add_custom_command(OUTPUT ${TIDEWELL_EXAMPLE_PRODUCT_DIR}/Data/Data.zip
    COMMAND ${TIDEWELL_PYTHON3} ${tidewell_example_src}/MakeDataZip.py ${TIDEWELL_EXAMPLE_PRODUCT_DIR}/Data/Data.zip
    DEPENDS ${tidewell_example_src}/MakeDataZip.py
    COMMENT "Writing the example product's Data.zip"
    VERBATIM)
  list(APPEND tidewell_example_files ${TIDEWELL_EXAMPLE_PRODUCT_DIR}/Data/Data.zip)
else()
  message(STATUS "python3 not found: the example product has no Data.zip")
endif()

# The cross tools are cache entries, seen from every directory scope (the
# stub folder includes MingwTools.cmake first, so its FOUND flag stays there).
if(TIDEWELL_MINGW_CXX AND TIDEWELL_MINGW_WINDRES)
  tidewell_mingw_program(OUTPUT ${TIDEWELL_EXAMPLE_PRODUCT_DIR}/App.exe
    SOURCES ${tidewell_example_src}/App.cpp
    RESOURCE_SCRIPT ${tidewell_example_src}/App.rc)
  tidewell_mingw_program(OUTPUT ${TIDEWELL_EXAMPLE_PRODUCT_DIR}/Helper.dll DLL
    SOURCES ${tidewell_example_src}/Helper.cpp
    RESOURCE_SCRIPT ${tidewell_example_src}/Helper.rc)
  list(APPEND tidewell_example_files ${TIDEWELL_EXAMPLE_PRODUCT_DIR}/App.exe
                                     ${TIDEWELL_EXAMPLE_PRODUCT_DIR}/Helper.dll)
else()
  message(STATUS "MinGW-w64 not found: the example product has no App.exe and Helper.dll")
endif()

add_custom_target(example-product ALL DEPENDS ${tidewell_example_files})
set_target_properties(example-product PROPERTIES TIDEWELL_EXAMPLE_PRODUCT_DIR ${TIDEWELL_EXAMPLE_PRODUCT_DIR})
