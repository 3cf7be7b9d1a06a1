zolt_benchmark(option_names ${CMAKE_CURRENT_SOURCE_DIR}/option_names_bench.cpp zoltcore)
