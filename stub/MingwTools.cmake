# Cross-compiling small Windows programs with MinGW-w64 from the host build.
# One CMake project has one toolchain, so these programs are built by custom
# commands that call the cross tools directly.
include_guard(GLOBAL)

find_program(TIDEWELL_MINGW_CXX NAMES x86_64-w64-mingw32-g++ x86_64-w64-mingw32-g++-win32)
find_program(TIDEWELL_MINGW_WINDRES NAMES x86_64-w64-mingw32-windres)
find_program(TIDEWELL_MINGW_DLLTOOL NAMES x86_64-w64-mingw32-dlltool)
find_program(TIDEWELL_MINGW_NM NAMES x86_64-w64-mingw32-nm)
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

# tidewell_mingw_delay_libraries(<variable> <dll base name>...)
# Sets <variable> to import libraries that load each system DLL on the first
# call of one of its functions instead of at the program's start (made from
# MinGW's own import library: its function list, through dlltool). A program
# that often ends before it needs them starts as fast as an empty one.
function(tidewell_mingw_delay_libraries variable)
  set(libraries)
  foreach(dll IN LISTS ARGN)
    execute_process(COMMAND ${TIDEWELL_MINGW_CXX} -print-file-name=lib${dll}.a
                    OUTPUT_VARIABLE import_library OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(def "${CMAKE_CURRENT_BINARY_DIR}/mingw/delay/${dll}.def")
    set(library "${CMAKE_CURRENT_BINARY_DIR}/mingw/delay/lib${dll}-delay.a")
    add_custom_command(OUTPUT "${library}"
      COMMAND ${CMAKE_COMMAND} -DNM=${TIDEWELL_MINGW_NM} -DIMPORT_LIBRARY=${import_library} -DDLL=${dll}.dll
              -DDEF=${def} -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/MingwDelayDef.cmake
      COMMAND ${TIDEWELL_MINGW_DLLTOOL} --input-def "${def}" --dllname ${dll}.dll --output-delaylib "${library}"
      DEPENDS "${import_library}" ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/MingwDelayDef.cmake
      COMMENT "Making the delay-load library of ${dll}.dll"
      VERBATIM)
    list(APPEND libraries "${library}")
  endforeach()
  set(${variable} ${libraries} PARENT_SCOPE)
endfunction()
