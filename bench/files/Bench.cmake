tidewell_add_bench(files-bench files/ComparisonBench.cpp)
