zolt_fuzz_target(mdl_compile ${CMAKE_CURRENT_SOURCE_DIR}/mdl_compile.cpp zoltcore)
