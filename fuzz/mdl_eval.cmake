zolt_fuzz_target(mdl_eval ${CMAKE_CURRENT_SOURCE_DIR}/mdl_eval.cpp zoltcore)
