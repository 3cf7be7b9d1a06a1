# Loading a user settings file through the profile functions.
zolt_benchmark(settings_file ${CMAKE_CURRENT_LIST_DIR}/settings_file_bench.cpp zoltcore)
target_compile_definitions(bench_settings_file PRIVATE ZOLT_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
