zolt_fuzz_target(host_text_calls ${CMAKE_CURRENT_LIST_DIR}/host_text_calls.cpp zoltwin32 zoltcore)
