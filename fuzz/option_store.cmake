zolt_fuzz_target(option_store ${CMAKE_CURRENT_LIST_DIR}/option_store.cpp zoltcore)
