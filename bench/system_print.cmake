# Whole jobs of the sample document through the host, as an application prints them.
zolt_benchmark(system_print ${CMAKE_CURRENT_LIST_DIR}/system_print_bench.cpp zoltwin32)
target_include_directories(bench_system_print PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
target_compile_definitions(bench_system_print PRIVATE ZOLT_MODULE_DIR="${ZOLT_MODULE_DIR}"
  ZOLT_SAMPLE_MODEL="${PROJECT_SOURCE_DIR}/samples/models/ZOLT7000.QCS"
  ZOLT_SAMPLE_JOBS="${PROJECT_SOURCE_DIR}/samples/jobs")
add_dependencies(bench_system_print zoltgr zoltui zoltexc zolt_qvf9c123 zolt_izoltout zolt_userenv zolt_shell32
  zolt_ole32 zolt_compstui zolt_qv4mannt zolt_qvjc32 zolt_uxtheme zolt_qv00c150 zolt_colour_profiles)
