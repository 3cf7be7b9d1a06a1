zolt_benchmark(gdi_page ${CMAKE_CURRENT_LIST_DIR}/gdi_page.cpp zoltwin32)
