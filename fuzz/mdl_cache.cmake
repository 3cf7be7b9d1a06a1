# The compiled cache-file loader on arbitrary bytes.
zolt_fuzz_target(mdl_cache ${CMAKE_CURRENT_SOURCE_DIR}/mdl_cache.cpp zoltcore)
