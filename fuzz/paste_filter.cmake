# Any clipboard text pasted into the filtered text fields of the extension dialogs.
zolt_fuzz_target(paste_filter ${CMAKE_CURRENT_LIST_DIR}/paste_filter.cpp zoltui_core)
