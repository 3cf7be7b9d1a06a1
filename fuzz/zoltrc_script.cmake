# The resource script compiler (zoltrc): preprocessing, statements and binary layouts.
zolt_fuzz_target(zoltrc_script ${CMAKE_CURRENT_SOURCE_DIR}/zoltrc_script.cpp zoltrc_core)
