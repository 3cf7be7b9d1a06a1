# Any text as the page list typed into the chapter dialog: parsed, sorted and checked.
zolt_fuzz_target(chapter_page_list ${CMAKE_CURRENT_LIST_DIR}/chapter_page_list.cpp zoltui_core)
