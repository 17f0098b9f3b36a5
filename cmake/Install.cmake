# Where `cmake --install` (and so the Debian package) puts the tools on
# Linux. The tools find the stub and the Graphics folders beside their own
# executable, so all of them live together in lib/tidewell, and bin holds
# relative links to the two programs.
if(WIN32)
  return()
endif()
include(GNUInstallDirs)
set(TIDEWELL_INSTALL_TOOL_DIR ${CMAKE_INSTALL_LIBDIR}/tidewell)
# From bin to the tool folder, for the links.
file(RELATIVE_PATH tidewell_bin_to_tools /${CMAKE_INSTALL_BINDIR} /${TIDEWELL_INSTALL_TOOL_DIR})

function(tidewell_install_program target)
  install(TARGETS ${target} RUNTIME DESTINATION ${TIDEWELL_INSTALL_TOOL_DIR})
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-links)
  file(CREATE_LINK ${tidewell_bin_to_tools}/${target} ${CMAKE_BINARY_DIR}/install-links/${target}
       SYMBOLIC)
  install(FILES ${CMAKE_BINARY_DIR}/install-links/${target} DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

tidewell_install_program(tidewell-cli)
if(TARGET tidewatch-stub)
  get_target_property(tidewell_stub_exe tidewatch-stub TIDEWATCH_EXECUTABLE)
  # A Windows program: data here, not executable.
  install(FILES ${tidewell_stub_exe} DESTINATION ${TIDEWELL_INSTALL_TOOL_DIR})
endif()
install(DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Graphics DESTINATION ${TIDEWELL_INSTALL_TOOL_DIR})

if(TARGET tidewell)
  tidewell_install_program(tidewell)
  install(FILES ${CMAKE_SOURCE_DIR}/app/resources/tidewell.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_SOURCE_DIR}/app/resources/icons/tidewell.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# The manual pages, made from the programs' own help at build time.
find_program(TIDEWELL_HELP2MAN help2man)
if(TIDEWELL_HELP2MAN)
  set(manuals ${CMAKE_BINARY_DIR}/manuals)
  set(make_manual ${CMAKE_SOURCE_DIR}/scripts/package/make-manual)
  add_custom_command(OUTPUT ${manuals}/tidewell-cli.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${manuals}
    COMMAND ${make_manual} $<TARGET_FILE:tidewell-cli> ${manuals}/tidewell-cli.1.gz
            "describe how installed copies of a Windows application are updated, without a window"
    DEPENDS tidewell-cli ${make_manual}
    VERBATIM)
  set(manual_files ${manuals}/tidewell-cli.1.gz)
  if(TARGET tidewell)
    add_custom_command(OUTPUT ${manuals}/tidewell.1.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${manuals}
      COMMAND ${make_manual} $<TARGET_FILE:tidewell> ${manuals}/tidewell.1.gz
              "describe how installed copies of a Windows application are updated"
      DEPENDS tidewell ${make_manual}
      VERBATIM)
    list(APPEND manual_files ${manuals}/tidewell.1.gz)
  endif()
  add_custom_target(tidewell-manuals ALL DEPENDS ${manual_files})
  install(FILES ${manual_files} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(STATUS "help2man not found: no manual pages are made")
endif()
