# The graphics module's glyph work: the run-length coder of glyph bitmaps, and the page's glyph
# table filled and emptied as a page of Japanese text does.
zolt_benchmark(gr_text ${CMAKE_CURRENT_LIST_DIR}/gr_text_bench.cpp zoltgr_core zoltwin32)
