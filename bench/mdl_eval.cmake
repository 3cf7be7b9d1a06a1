zolt_benchmark(mdl_eval ${CMAKE_CURRENT_SOURCE_DIR}/mdl_eval_bench.cpp zoltcore)
target_compile_definitions(bench_mdl_eval PRIVATE ZOLT_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
