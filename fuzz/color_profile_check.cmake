# Any bytes as a colour profile: the header check of the printer-interface module.
zolt_fuzz_target(color_profile_check ${CMAKE_CURRENT_LIST_DIR}/color_profile_check.cpp zoltcore_ui)
