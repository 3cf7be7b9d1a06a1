zolt_fuzz_target(registry_hive ${CMAKE_CURRENT_LIST_DIR}/registry_hive.cpp zoltwin32)
