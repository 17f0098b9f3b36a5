# Writes a module-definition file naming the functions of one DLL, read from
# MinGW's import library of it (each function has an __imp_ symbol there).
#   cmake -DNM=<nm> -DIMPORT_LIBRARY=<lib.a> -DDLL=<name.dll> -DDEF=<out.def> -P MingwDelayDef.cmake
execute_process(COMMAND ${NM} -g --defined-only ${IMPORT_LIBRARY}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE status ERROR_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} could not list ${IMPORT_LIBRARY}")
endif()
string(REGEX MATCHALL "__imp_[A-Za-z0-9_@?$]+" imports "${symbols}")
list(REMOVE_DUPLICATES imports)
list(SORT imports)
set(text "LIBRARY ${DLL}\nEXPORTS\n")
foreach(symbol IN LISTS imports)
  string(REGEX REPLACE "^__imp_" "" name "${symbol}")
  string(APPEND text "  ${name}\n")
endforeach()
get_filename_component(folder "${DEF}" DIRECTORY)
file(MAKE_DIRECTORY "${folder}")
file(WRITE "${DEF}.part" "${text}")
file(RENAME "${DEF}.part" "${DEF}")
