zolt_fuzz_target(device_answers ${CMAKE_CURRENT_LIST_DIR}/device_answers.cpp zoltcore zolt_sim_device)
