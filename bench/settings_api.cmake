# The settings module's interface on the sample printer: a 40-line job-language block applied
# through the command handle, one line updated against it, and every capability read one by one
# and in one record.
zolt_benchmark(settings_api ${CMAKE_CURRENT_LIST_DIR}/settings_api_bench.cpp zoltexc_core zoltcore)
target_compile_definitions(bench_settings_api PRIVATE ZOLT_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
