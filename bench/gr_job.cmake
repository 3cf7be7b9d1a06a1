zolt_benchmark(gr_job ${CMAKE_CURRENT_LIST_DIR}/gr_job_bench.cpp zoltgr_core zoltwin32)
target_compile_definitions(bench_gr_job PRIVATE ZOLT_MODULE_DIR="${ZOLT_MODULE_DIR}"
  ZOLT_SAMPLE_MODEL="${PROJECT_SOURCE_DIR}/samples/models/ZOLT7000.QCS")
add_dependencies(bench_gr_job zoltgr zoltui zolt_qvf9c123 zolt_userenv zolt_shell32 zolt_ole32 zolt_compstui
  zolt_qv4mannt zolt_qvjc32 zolt_uxtheme)
