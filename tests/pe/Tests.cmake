# The PE reader and resource editor.
tidewell_add_tests(pe-tests
  ${CMAKE_CURRENT_LIST_DIR}/CraftedPe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PeTestSupport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PeImageTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ResourceReaderTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IconAndVersionTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HostileInputTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ResourceUpdateTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ResourceUpdateLayoutTests.cpp
)
target_link_libraries(pe-tests PRIVATE ZLIB::ZLIB)

# The test program: built with MinGW from fixtures/ at build time, unstripped
# (debug sections and a COFF symbol table follow .reloc) and stripped.
find_program(TIDEWELL_MINGW_CXX x86_64-w64-mingw32-g++)
find_program(TIDEWELL_MINGW_WINDRES x86_64-w64-mingw32-windres)
find_program(TIDEWELL_PYTHON3 python3)
if(TIDEWELL_MINGW_CXX AND TIDEWELL_MINGW_WINDRES AND TIDEWELL_PYTHON3)
  set(pe_fixture_src ${CMAKE_CURRENT_LIST_DIR}/fixtures)
  set(pe_fixture_dir ${CMAKE_CURRENT_BINARY_DIR}/pe-fixtures)
  set(pe_images ${pe_fixture_dir}/images/Picture.bmp ${pe_fixture_dir}/images/Main.ico
                ${pe_fixture_dir}/images/Large.ico)
  add_custom_command(
    OUTPUT ${pe_images}
    COMMAND ${TIDEWELL_PYTHON3} ${pe_fixture_src}/MakeImages.py ${pe_fixture_dir}/images
    DEPENDS ${pe_fixture_src}/MakeImages.py
    COMMENT "Making the PE fixture's pictures")
  add_custom_command(
    OUTPUT ${pe_fixture_dir}/Fixture.res.o
    COMMAND ${TIDEWELL_MINGW_WINDRES} -I ${pe_fixture_dir}/images ${pe_fixture_src}/Fixture.rc
            -o ${pe_fixture_dir}/Fixture.res.o
    DEPENDS ${pe_fixture_src}/Fixture.rc ${pe_images}
    COMMENT "Compiling the PE fixture's resources")
  foreach(variant IN ITEMS "" "-stripped")
    set(strip_flag "")
    if(variant STREQUAL "-stripped")
      set(strip_flag "-s")
    endif()
    add_custom_command(
      OUTPUT ${pe_fixture_dir}/pe-fixture${variant}.exe
      COMMAND ${TIDEWELL_MINGW_CXX} -O1 -static-libgcc -static-libstdc++ ${strip_flag}
              ${pe_fixture_src}/Fixture.cpp ${pe_fixture_dir}/Fixture.res.o
              -o ${pe_fixture_dir}/pe-fixture${variant}.exe
      DEPENDS ${pe_fixture_src}/Fixture.cpp ${pe_fixture_dir}/Fixture.res.o
      COMMENT "Linking the PE fixture pe-fixture${variant}.exe")
  endforeach()
  add_custom_target(pe-fixtures DEPENDS ${pe_fixture_dir}/pe-fixture.exe
                                        ${pe_fixture_dir}/pe-fixture-stripped.exe)
  add_dependencies(pe-tests pe-fixtures)
  target_compile_definitions(pe-tests PRIVATE TIDEWELL_PE_FIXTURE_DIR="${pe_fixture_dir}")
endif()
