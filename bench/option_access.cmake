zolt_benchmark(option_access ${CMAKE_CURRENT_SOURCE_DIR}/option_access_bench.cpp zoltcore)
