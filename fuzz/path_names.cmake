# File names from installation lists and settings files taken apart: file name, extension, base
# name, short-extension test and extension replacement.
zolt_fuzz_target(path_names ${CMAKE_CURRENT_LIST_DIR}/path_names.cpp zoltcore)
