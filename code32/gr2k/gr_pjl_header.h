// The PJL header that the first page of a document sends after the job-start command text.
#pragma once

#include <cstdint>

struct DriverContext;
struct PhysicalDevice;

// Line flags of GrFormatPjlLine.
enum : uint32_t {
  kPjlLineText = 0x1,      // the value is the text
  kPjlLineQuoted = 0x4,    // between double quotes
  kPjlLineSwitch = 0x8,    // "ON" for a non-zero number, else "OFF"
  kPjlLineComment = 0x10,  // "@PJL COMMENT " instead of "@PJL SET "
};

// Lines collected for one block (capacity 0: every line is a block of its own).
struct PjlLineBuffer {
  char* bytes;
  uint32_t capacity;
  uint32_t used;
};

struct PjlChoice {
  int32_t value;
  const char* text;
};

// Formats one line ("@PJL SET name = value \r\n") and appends it, writing the buffer first
// when the line does not fit. 1/0.
int GrFormatPjlLine(PhysicalDevice* pdev, const char* name, const char* text, int32_t number, uint32_t flags,
                    PjlLineBuffer* lines, uint8_t blockType);
// The line with the text of the row whose value matches, else the first row's text.
int GrFormatPjlChoice(PhysicalDevice* pdev, const char* name, const PjlChoice* table, int rows, int32_t value,
                      PjlLineBuffer* lines, uint8_t blockType);
// Writes the buffered lines as one block when there are any, then empties the buffer.
int GrFlushPjlLines(PhysicalDevice* pdev, PjlLineBuffer* lines, uint8_t blockType);
// The model has an item for the option that yields text; and it is usable for value.
int GrModelHasItem(DriverContext* ctx, uint16_t optionId);
int GrItemUsable(DriverContext* ctx, uint16_t optionId, uint16_t value);
// The job name as the JOBNAME line carries it, into out (233 bytes): cut to 232 bytes,
// double-byte characters kept whole (a lead byte at the end dropped), a double quote as an
// apostrophe and every control byte as a blank. Returns its length.
int GrJobNameForPjl(const char* name, int length, char* out);
