# Cross-compiling small Windows programs with MinGW-w64 from the host build.
# One CMake project has one toolchain, so these programs are built by custom
# commands that call the cross tools directly.
include_guard(GLOBAL)

find_program(TIDEWELL_MINGW_CXX NAMES x86_64-w64-mingw32-g++ x86_64-w64-mingw32-g++-win32)
find_program(TIDEWELL_MINGW_WINDRES NAMES x86_64-w64-mingw32-windres)
if(TIDEWELL_MINGW_CXX AND TIDEWELL_MINGW_WINDRES)
  set(TIDEWELL_MINGW_FOUND TRUE)
else()
  set(TIDEWELL_MINGW_FOUND FALSE)
endif()

# tidewell_mingw_program(OUTPUT <file> [DLL]
#                        SOURCES <c++ files>... [RESOURCE_SCRIPT <rc>] [RESOURCE_DEPENDS <files>...]
#                        [INCLUDE_DIRS <dirs>...] [OPTIONS <compiler flags>...]
#                        [LIBRARIES <-lname>...] [DEPENDS <files>...])
# Compiles and links in one step (the programs are small), statically against
# the compiler's runtime so that only system DLLs are imported, and strips.
# DEPENDS names the headers, which the custom command cannot discover.
function(tidewell_mingw_program)
  cmake_parse_arguments(PARSE_ARGV 0 arg "DLL" "OUTPUT;RESOURCE_SCRIPT"
                        "SOURCES;RESOURCE_DEPENDS;INCLUDE_DIRS;OPTIONS;LIBRARIES;DEPENDS")
  get_filename_component(name "${arg_OUTPUT}" NAME_WE)
  set(work "${CMAKE_CURRENT_BINARY_DIR}/mingw/${name}")
  set(includes)
  foreach(dir IN LISTS arg_INCLUDE_DIRS)
    list(APPEND includes "-I${dir}")
  endforeach()

  set(objects)
  if(arg_RESOURCE_SCRIPT)
    get_filename_component(script_dir "${arg_RESOURCE_SCRIPT}" DIRECTORY)
    set(res "${work}/${name}.res.o")
    add_custom_command(OUTPUT "${res}"
      COMMAND ${CMAKE_COMMAND} -E make_directory "${work}"
      COMMAND ${TIDEWELL_MINGW_WINDRES} -O coff "-I${script_dir}" ${includes}
              -i "${arg_RESOURCE_SCRIPT}" -o "${res}"
      DEPENDS "${arg_RESOURCE_SCRIPT}" ${arg_RESOURCE_DEPENDS}
      WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
      COMMENT "Compiling resources of ${name}"
      VERBATIM)
    list(APPEND objects "${res}")
  endif()

  if(arg_DLL)
    set(kind -shared)
  else()
    set(kind)
  endif()
  get_filename_component(out_dir "${arg_OUTPUT}" DIRECTORY)
  add_custom_command(OUTPUT "${arg_OUTPUT}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${out_dir}"
    COMMAND ${TIDEWELL_MINGW_CXX} -std=c++20 -O2 -Wall -Wextra -Wno-unused-parameter
            ${kind} ${arg_OPTIONS} ${includes} ${arg_SOURCES} ${objects}
            -ffunction-sections -fdata-sections -o "${arg_OUTPUT}"
            -static -static-libgcc -static-libstdc++ -s -Wl,--gc-sections ${arg_LIBRARIES}
    DEPENDS ${arg_SOURCES} ${objects} ${arg_DEPENDS}
    WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
    COMMENT "Cross-compiling ${name}"
    VERBATIM)
endfunction()
