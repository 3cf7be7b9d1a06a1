# Every rule of a large model on one settings image; beside it, where the PPD library is
# installed (libcups2-dev, installed by "scripts/zolt.sh bench"), its conflict check on the same
# constraints. Only this program links the library.
zolt_benchmark(rule_pass ${CMAKE_CURRENT_LIST_DIR}/rule_pass_bench.cpp zoltcore)
find_package(Cups QUIET)
if(CUPS_FOUND)
  target_link_libraries(bench_rule_pass PRIVATE Cups::Cups)
  target_compile_definitions(bench_rule_pass PRIVATE ZOLT_BENCH_PPD=1)
else()
  message(STATUS "PPD library not found: bench_rule_pass runs without its comparison")
endif()
