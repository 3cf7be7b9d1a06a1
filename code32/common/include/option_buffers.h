// Buffers that the settings image refers to.
//
// A few kind-6 options hold a reference to a heap block in their 32-bit field (the font
// tables: zdmFontTable 10005, zdmDeviceFont 10007, zdmOptionFont 10009). A 64-bit address
// does not fit there, and an address must never reach an image that leaves the process. The
// field therefore holds a handle: a small number that the context's handle table maps to the
// block. Handles are never reused within a context, 0 means "no block", and a number that
// the table does not know (from an image made elsewhere) resolves to no block.
#pragma once

#include <cstdint>

#include "win32/windows.h"

struct OptBufferSlot {
  DWORD handle;   // 0: free slot
  void* pointer;  // the block the handle stands for
};

// Blocks a context can hold at once: the three tables of the working image, their copies in
// the saved image, and room to replace a table while the old one is still held.
constexpr int kOptBufferSlots = 16;

// A context's handle table; all zero is an empty table.
struct OptBufferHandles {
  DWORD lastHandle;  // the last handle given out
  OptBufferSlot slots[kOptBufferSlots];
};
