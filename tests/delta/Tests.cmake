# Binary patches between releases: where libzstd is found (not in the
# Windows build).
if(TARGET tidewell-delta)
  tidewell_add_tests(delta-tests
    delta/PatchTests.cpp
    delta/ReleasePatchesTests.cpp
  )
  target_link_libraries(delta-tests PRIVATE tidewell-delta PkgConfig::ZSTD)
endif()
