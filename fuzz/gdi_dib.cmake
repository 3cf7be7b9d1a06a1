zolt_fuzz_target(gdi_dib ${CMAKE_CURRENT_LIST_DIR}/gdi_dib.cpp zoltwin32)
