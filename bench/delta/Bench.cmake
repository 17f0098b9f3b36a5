# Making the patches of a release against compressing it with zstd at the
# patches' level (where libzstd is found: not in the Windows build).
if(TARGET tidewell-delta)
  tidewell_add_bench(delta-bench ${CMAKE_CURRENT_LIST_DIR}/PatchBench.cpp)
  target_link_libraries(delta-bench PRIVATE tidewell-delta PkgConfig::ZSTD)
endif()
