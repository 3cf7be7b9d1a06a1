zolt_benchmark(driver_context ${CMAKE_CURRENT_SOURCE_DIR}/driver_context_bench.cpp zoltcore)
