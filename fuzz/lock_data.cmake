zolt_fuzz_target(lock_data ${CMAKE_CURRENT_LIST_DIR}/lock_data.cpp zoltcore)
