# Conversions between the Windows code pages and UTF-16 (every ANSI text of the driver moves
# through them).
zolt_benchmark(codepage ${CMAKE_CURRENT_SOURCE_DIR}/codepage.cpp zoltwin32)
