# Pictures of the resource libraries and BMP files as the sheets check, draw and load them.
zolt_fuzz_target(sheet_pictures ${CMAKE_CURRENT_SOURCE_DIR}/sheet_pictures.cpp zoltui_core)
