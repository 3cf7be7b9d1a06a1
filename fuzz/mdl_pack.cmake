zolt_fuzz_target(mdl_pack ${CMAKE_CURRENT_SOURCE_DIR}/mdl_pack.cpp zoltcore)
