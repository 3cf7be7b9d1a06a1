// The rows of the private string escape that the printer-interface module sends to the
// graphics module at the start of every document: a table of texts keyed by the value ids
// that name them in the model's commands.
#pragma once

#include <cstdint>

#include "win32/windows.h"

// One row (stored layout: 526 bytes, packed, little-endian).
#pragma pack(push, 1)
struct EscapeStringRow {
  int16_t key;        // 0 ends the table
  uint16_t stringId;  // string of the string library
  WCHAR text[261];    // at most 260 characters and the terminator
};
#pragma pack(pop)
static_assert(sizeof(EscapeStringRow) == 526);

constexpr int kEscapeStringRows = 4;  // three texts and the terminating row
constexpr int kEscapeStrings = 122;   // the private escape
