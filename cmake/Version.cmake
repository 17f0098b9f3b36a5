# The tools' version is the project's VERSION and nothing else: --version of
# both tools, the About dialog, the Windows version resources and the
# packages' names all come from this header (or from the same variable).
configure_file(${CMAKE_CURRENT_LIST_DIR}/TidewellVersion.h.in
               ${CMAKE_BINARY_DIR}/generated/TidewellVersion.h @ONLY)
add_library(tidewell-version INTERFACE)
target_include_directories(tidewell-version INTERFACE ${CMAKE_BINARY_DIR}/generated)

# A Windows version resource for `target`: its description and file name.
function(tidewell_version_resource target description file_name)
  if(NOT WIN32)
    return()
  endif()
  set(TIDEWELL_VERSION_DESCRIPTION "${description}")
  set(TIDEWELL_VERSION_FILE_NAME "${file_name}")
  set(rc ${CMAKE_BINARY_DIR}/generated/${target}-version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/VersionResource.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_property(SOURCE ${rc} APPEND PROPERTY COMPILE_OPTIONS
               --include-dir=${CMAKE_BINARY_DIR}/generated)
endfunction()
