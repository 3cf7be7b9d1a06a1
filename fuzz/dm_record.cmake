zolt_fuzz_target(dm_record ${CMAKE_CURRENT_SOURCE_DIR}/dm_record.cpp zoltcore)
