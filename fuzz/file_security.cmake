# The file-security store: any bytes as the stored descriptor of a file.
zolt_fuzz_target(file_security ${CMAKE_CURRENT_LIST_DIR}/file_security.cpp zoltwin32)
