// The program-wide allocation functions: zero-filled blocks of the global heap.
#pragma once

#include "win32/windows.h"

// Zero-filled block of size bytes from the global heap, or NULL.
void* CtxAllocMem(DWORD size);
// Releases a block of the zeroing allocator; NULL is ignored.
void MdlFreeMem(void* memory);
