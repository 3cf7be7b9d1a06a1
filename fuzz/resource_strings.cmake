zolt_fuzz_target(resource_strings ${CMAKE_CURRENT_LIST_DIR}/resource_strings.cpp zoltcore)
