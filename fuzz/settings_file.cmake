zolt_fuzz_target(settings_file ${CMAKE_CURRENT_LIST_DIR}/settings_file_fuzz.cpp zoltcore)
