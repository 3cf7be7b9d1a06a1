zolt_fuzz_target(emf_play ${CMAKE_CURRENT_LIST_DIR}/emf_play.cpp zoltwin32)
