# Loading a model from its compiled cache file against compiling its source.
zolt_benchmark(mdl_load ${CMAKE_CURRENT_LIST_DIR}/mdl_load_bench.cpp zoltcore)
target_compile_definitions(bench_mdl_load PRIVATE ZOLT_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
