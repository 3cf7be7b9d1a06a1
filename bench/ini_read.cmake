zolt_benchmark(ini_read ${CMAKE_CURRENT_LIST_DIR}/ini_read_bench.cpp zoltcore)
