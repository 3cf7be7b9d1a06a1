zolt_fuzz_target(settings_image ${CMAKE_CURRENT_SOURCE_DIR}/settings_image.cpp zoltcore)
