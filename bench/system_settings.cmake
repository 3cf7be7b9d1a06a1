# The system as its users meet it: printing preferences opened until their first page is painted,
# and one settings change made by the settings tool as another program runs it.
zolt_benchmark(system_settings ${CMAKE_CURRENT_LIST_DIR}/system_settings_bench.cpp zoltwin32)
target_compile_definitions(bench_system_settings PRIVATE ZOLT_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                           ZOLT_MODULE_DIR="${ZOLT_MODULE_DIR}" ZOLT_SETTINGS_TOOL="$<TARGET_FILE:zoltsettings>")
add_dependencies(bench_system_settings zoltui zoltgr zoltexc zoltsettings zolt_qv00c150 zolt_qvf9c123 zolt_izoltout
                 zolt_colour_profiles zolt_userenv zolt_shell32 zolt_ole32 zolt_compstui zolt_qv4mannt zolt_qvjc32
                 zolt_uxtheme zolt_commonres zolt_langres_zolt7r_us)
