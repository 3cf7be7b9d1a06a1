zolt_benchmark(gr_job ${CMAKE_CURRENT_LIST_DIR}/gr_job_bench.cpp zoltgr_core)
