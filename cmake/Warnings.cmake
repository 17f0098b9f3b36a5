# Warnings for the project's own targets only.
function(tidewell_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter)
  # GCC 12 warns of overlapping copies inside std::basic_string's own
  # concatenation when optimising (GCC bug 105651); the warning points into
  # the standard library, never at our code.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
     AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()
