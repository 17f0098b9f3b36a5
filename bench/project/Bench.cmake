tidewell_add_bench(project-bench project/ProjectBench.cpp)
target_link_libraries(project-bench PRIVATE PkgConfig::MINIZIP)
# The floors measured as processes, beside the command-line tool they are
# compared with.
add_executable(project-floor-probe project/FloorProbe.cpp)
target_link_libraries(project-floor-probe PRIVATE pugixml::pugixml)
tidewell_warnings(project-floor-probe)
add_dependencies(project-bench project-floor-probe tidewell-cli)
