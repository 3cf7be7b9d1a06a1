// Wide text in the engine's ANSI code page, for face names, paths, the job name and escapes.
#pragma once

#include "win32/windows.h"

// Converts byteLength bytes of UTF-16 text into out (mode 128: characters below U+0080 as one
// byte, U+0080 as the byte 0x80, every other character as at most 2 bytes of the engine's ANSI
// code page). out must hold byteLength bytes; no terminator is written. Returns the bytes
// written.
int GrWideToDeviceText(char* out, const WCHAR* text, int byteLength, int mode);
