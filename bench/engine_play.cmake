# The engine's benchmark: a 20-page metafile job played through the test graphics module (built
# here from the engine tests' fixture and installed as a driver's graphics module).
zolt_benchmark(engine_play ${CMAKE_CURRENT_LIST_DIR}/engine_play_bench.cpp zoltwin32)
set(ZOLT_BENCH_TESTGR_DIR ${CMAKE_BINARY_DIR}/bench-test-modules)
file(MAKE_DIRECTORY ${ZOLT_BENCH_TESTGR_DIR})
add_library(zolt_bench_testgr SHARED ${PROJECT_SOURCE_DIR}/tests/host/win32/engine/fixtures/testgr.cpp)
set_target_properties(zolt_bench_testgr PROPERTIES PREFIX "" CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
target_link_libraries(zolt_bench_testgr PRIVATE zolt_flags zoltwin32)
target_compile_options(zolt_bench_testgr PRIVATE -Wno-cast-function-type)
add_custom_command(TARGET zolt_bench_testgr POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:zolt_bench_testgr> ${ZOLT_BENCH_TESTGR_DIR}/TestGr.dll)
add_dependencies(bench_engine_play zolt_bench_testgr)
target_include_directories(bench_engine_play PRIVATE ${PROJECT_SOURCE_DIR}/tests/host/win32/engine/fixtures)
target_compile_definitions(bench_engine_play PRIVATE ZOLT_BENCH_TESTGR_DIR="${ZOLT_BENCH_TESTGR_DIR}"
  ZOLT_SAMPLE_MODEL="${PROJECT_SOURCE_DIR}/samples/models/ZOLT7000.QCS"
  ZOLT_SAMPLE_JOBS="${PROJECT_SOURCE_DIR}/samples/jobs")
