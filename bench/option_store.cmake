zolt_benchmark(option_store ${CMAKE_CURRENT_LIST_DIR}/option_store_bench.cpp zoltcore)
