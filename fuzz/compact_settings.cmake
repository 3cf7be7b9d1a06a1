zolt_fuzz_target(compact_settings ${CMAKE_CURRENT_SOURCE_DIR}/compact_settings.cpp zoltcore)
