zolt_benchmark(mdl_compile ${CMAKE_CURRENT_SOURCE_DIR}/mdl_compile_bench.cpp zoltcore)
target_compile_definitions(bench_mdl_compile PRIVATE ZOLT_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
