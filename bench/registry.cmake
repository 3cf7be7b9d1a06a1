zolt_benchmark(registry ${CMAKE_CURRENT_LIST_DIR}/registry.cpp zoltwin32)
