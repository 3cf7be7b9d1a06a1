# Reads and writes of a settings-sized profile file.
zolt_benchmark(profile ${CMAKE_CURRENT_LIST_DIR}/profile_bench.cpp zoltwin32)
