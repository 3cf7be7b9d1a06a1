zolt_fuzz_target(ini_memory ${CMAKE_CURRENT_LIST_DIR}/ini_memory_fuzz.cpp zoltcore)
