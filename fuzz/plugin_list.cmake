zolt_fuzz_target(plugin_list ${CMAKE_CURRENT_LIST_DIR}/plugin_list.cpp zoltcore)
