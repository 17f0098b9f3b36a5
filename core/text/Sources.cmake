target_sources(tidewell-core PRIVATE
  text/Text.cpp
  text/SmallText.cpp
)

# UTF-8, UTF-16 and letter case in standard C++ alone, as a library of their
# own: the update client compiles the same file, so that both sides convert
# and compare product names and server paths alike.
add_library(tidewell-unicode STATIC
  text/Unicode.cpp
  text/Unicode.h
)
target_compile_features(tidewell-unicode PUBLIC cxx_std_20)
target_include_directories(tidewell-unicode PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
tidewell_warnings(tidewell-unicode)
target_link_libraries(tidewell-core PUBLIC tidewell-unicode)
