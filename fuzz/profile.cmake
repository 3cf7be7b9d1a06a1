# Profile (INI) files of any content, read through the profile functions.
zolt_fuzz_target(profile ${CMAKE_CURRENT_LIST_DIR}/profile_fuzz.cpp zoltwin32)
