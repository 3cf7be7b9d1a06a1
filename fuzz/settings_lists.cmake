zolt_fuzz_target(settings_lists ${CMAKE_CURRENT_LIST_DIR}/settings_lists.cpp zoltcore)
