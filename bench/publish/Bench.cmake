# Publishing to a folder against a plain copy, and a second publish against
# hashing the release (not in the Windows build, which has no publishing).
if(TARGET tidewell-publish)
  tidewell_add_bench(publish-bench ${CMAKE_CURRENT_LIST_DIR}/PublishBench.cpp)
  target_link_libraries(publish-bench PRIVATE tidewell-publish)
endif()
