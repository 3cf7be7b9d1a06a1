// The record layouts of the statuses that have several, and the versions a handler works with.
#pragma once

#include <cstddef>
#include <cstdint>

#include "api_records.h"
#include "driver_context.h"

// 1 when the layout of that record version may be used at the current interface version.
bool ApiStatusLayoutAllowed(uint32_t id, uint32_t version);
// The size of the record of that version (0 for a version the id does not have).
int32_t ApiStatusLayoutSize(uint32_t id, uint32_t version);
// The record version a set handler works with: the caller's (0 counts as 1), at most the row's.
uint32_t ApiStatusSetVersion(uint32_t id, const StatusRecord* record);
// The version a get handler fills: the requested one, or the row's for 0 or a newer request.
uint32_t ApiStatusGetVersion(uint32_t id, uint32_t requested);
// A get handler's version gate: false with error 6 when the layout needs a newer interface.
bool ApiStatusGetGate(DriverContext* ctx, uint32_t id, uint32_t version);

// ---- small steps shared by the handler files ---------------------------------------------------

// The option takes the value by the model's rules (OptCheckValue answers 1).
bool ApiStatusAllowed(DriverContext* ctx, uint16_t option, int32_t value);
// Lengths of the records in 0.1 mm and the options' 1200-dpi dots (0 for 0 or less).
int32_t ApiStatusMmToDots(int32_t mm);
int32_t ApiStatusDotsToMm(int32_t dots);
// Fields of a record by byte offset.
int32_t ApiRecordI32(const StatusRecord* record, size_t offset);
int16_t ApiRecordI16(const StatusRecord* record, size_t offset);
void ApiRecordPutI32(StatusRecord* record, size_t offset, int32_t value);
void ApiRecordPutI16(StatusRecord* record, size_t offset, int16_t value);
// An ANSI text option: its bytes up to the first NUL (at most limit) into out with a NUL, and
// its length; and a text written into it cut to the option's size (1/0).
size_t ApiOptionText(DriverContext* ctx, uint16_t option, char* out, size_t limit);
int ApiSetOptionText(DriverContext* ctx, uint16_t option, const char* text, size_t n);
// A text field of a record: its length within the field (a field without a terminator counts
// whole, which the callers' length tests then refuse), its start, and a text written into it.
size_t ApiRecordTextLength(const StatusRecord* record, size_t offset, size_t size);
const char* ApiRecordText(const StatusRecord* record, size_t offset);
void ApiRecordPutText(StatusRecord* record, size_t offset, size_t size, const char* text, size_t n);

// 1 when the value lies within the numeric range of the option's model item (the test of the
// lengths that only their item's range limits).
int ApiIsInItemRange(DriverContext* ctx, uint16_t option, int32_t value);

// The short steps of the handler files: an option's value, a write, the rules' test, a record
// field and a refusal with a code of its own.
namespace status_steps {
int32_t Get(DriverContext* ctx, uint16_t option);
void Set(DriverContext* ctx, uint16_t option, int32_t value);
bool Allowed(DriverContext* ctx, uint16_t option, int32_t value);
int32_t At(const StatusRecord* record, size_t offset);
int Refuse(DriverContext* ctx, int32_t code);  // stores the code; 0
}  // namespace status_steps
