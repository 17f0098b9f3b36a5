tidewell_add_bench(project-bench project/ProjectBench.cpp)
target_link_libraries(project-bench PRIVATE PkgConfig::MINIZIP)
