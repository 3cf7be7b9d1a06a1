zolt_fuzz_target(scenario_text ${CMAKE_CURRENT_LIST_DIR}/scenario_text.cpp zoltcore)
