// Reading and writing option values.
//
// Every setting lives in a settings image of the context: the working image, the saved image
// (what the save pass compares with) or the lock-default image. An option's row says where
// (block and offset) and how (kind and size) its value is stored. Two value spaces exist: the
// stored value, which is what lives in the image, and the UI value (value id), the resource
// string id that names a choice; rows with a value-text list translate between the two, other
// rows use the same number in both.
//
// Numeric kinds (1-6 and the bit kinds 16-47) are read and written as 32-bit integers; text
// and block kinds are reached through a pointer to their storage. The two are separate
// accessors: an integer accessor on a storage row reads 0 and writes nothing but a clearing 0,
// a pointer accessor on a numeric row gives NULL.
#pragma once

#include <cstddef>
#include <cstdint>

#include "driver_context.h"

// ---- the storage of one value, without a context ----------------------------------------------

// Where the start offsets of the three blocks live inside a settings image (16-bit values).
constexpr DWORD kImageBlockStartAt[4] = {0, 361, 363, 365};

bool OptIsBitKind(uint32_t kind);
// Kinds 1-6 and the bit kinds: read and written as integers.
bool OptIsNumericKind(uint32_t kind);
// Kinds 7 and 10 (ANSI text) and 8 and 11 (UTF-16 text).
bool OptIsAnsiTextKind(uint32_t kind);
bool OptIsWideTextKind(uint32_t kind);
// Bytes a value of this type word occupies from its address: 1, 2 or 4 for the integer kinds,
// up to the byte that holds the bit for a bit kind, the row's size for every other kind.
DWORD OptStorageExtent(uint32_t typeWord);

// Address of a value inside a settings image of kSettingsImageSize bytes: image + the start of
// the row's block (read from the image) + offset. NULL for a NULL image, block 0, or storage
// that would not lie wholly inside the image (a block start the image should not hold).
BYTE* OptImageAddress(BYTE* image, uint32_t typeWord, uint16_t offset);

// Reads a numeric kind: kinds 1 and 2 sign-extended, 4 and 5 zero-extended, 3 and 6 the 32-bit
// word, bit kinds 0 or 1. Other kinds read as 0.
int32_t OptDecodeValue(const BYTE* storage, uint32_t typeWord);
// Writes a numeric kind: kinds 1 and 4 the low 8 bits, 2 and 5 the low 16 bits, 3 and 6 the
// word; a bit kind sets its bit for a non-zero value and clears it otherwise, leaving the other
// bits. For any other kind only 0 is accepted, which clears the field. Returns 1 when written.
int OptEncodeValue(BYTE* storage, uint32_t typeWord, int32_t value);
// Writes a text or block kind: copies the row's size in bytes from source, or zero-fills the
// field for a NULL source. Numeric kinds are refused (0).
int OptEncodeBytes(BYTE* storage, uint32_t typeWord, const void* source);

// ---- addressing -------------------------------------------------------------------------------

// Address of a row's value in the working, saved and lock-default images; NULL for a NULL row,
// a row of block 0, or a context without that image.
BYTE* OptGetValueAddress(DriverContext* ctx, const OptionEntry* row);
BYTE* OptGetSavedValueAddress(DriverContext* ctx, const OptionEntry* row);
BYTE* OptGetLockDefaultValueAddress(DriverContext* ctx, const OptionEntry* row);

// ---- reading stored values --------------------------------------------------------------------

// The value of a numeric row; 0 without storage or for a text or block row.
int32_t OptReadValue(DriverContext* ctx, const OptionEntry* row);
int32_t OptReadSavedValue(DriverContext* ctx, const OptionEntry* row);
int32_t OptReadLockDefaultValue(DriverContext* ctx, const OptionEntry* row);
// The storage of a text or block row; NULL without storage or for a numeric row.
BYTE* OptReadValuePointer(DriverContext* ctx, const OptionEntry* row);
BYTE* OptReadSavedValuePointer(DriverContext* ctx, const OptionEntry* row);
BYTE* OptReadLockDefaultValuePointer(DriverContext* ctx, const OptionEntry* row);

// The same by option id (OptFind); 0 or NULL for an unknown id. The row found goes to *rowOut
// when rowOut is given (NULL for an unknown id).
int32_t OptGetValue(DriverContext* ctx, uint16_t id, OptionEntry** rowOut);
int32_t OptGetSavedValue(DriverContext* ctx, uint16_t id, OptionEntry** rowOut);
int32_t OptGetLockDefaultValue(DriverContext* ctx, uint16_t id, OptionEntry** rowOut);
BYTE* OptGetValuePointer(DriverContext* ctx, uint16_t id, OptionEntry** rowOut);
BYTE* OptGetSavedValuePointer(DriverContext* ctx, uint16_t id, OptionEntry** rowOut);
BYTE* OptGetLockDefaultValuePointer(DriverContext* ctx, uint16_t id, OptionEntry** rowOut);

// dmPrintQuality (14).
int32_t OptGetPrintQuality(DriverContext* ctx);

// ---- writing ----------------------------------------------------------------------------------

// Writes a numeric row (a text or block row accepts only 0, which clears it), then marks the
// row changed, sets the context's options-changed word, keeps zdmScaleV equal to zdmScaleH
// while zdmScaleType is 1, and adds the row's change classes to the pending-update word.
// Returns 0 when there is no storage or the value was refused, else 1.
int OptWriteValue(DriverContext* ctx, OptionEntry* row, int32_t value);
// Writes a text or block row from source (the row's size in bytes; NULL zero-fills it), with
// the same marks. Returns 0 without storage or for a numeric row, else 1.
int OptWriteValueBytes(DriverContext* ctx, OptionEntry* row, const void* source);
int OptSetValue(DriverContext* ctx, uint16_t id, int32_t value);
int OptSetValueBytes(DriverContext* ctx, uint16_t id, const void* source);

// Writes into the saved image by kind, without any marks.
int OptWriteSavedValue(DriverContext* ctx, const OptionEntry* row, int32_t value);
int OptWriteSavedValueBytes(DriverContext* ctx, const OptionEntry* row, const void* source);
int OptSetSavedValue(DriverContext* ctx, uint16_t id, int32_t value);
int OptSetSavedValueBytes(DriverContext* ctx, uint16_t id, const void* source);

// ---- buffers referred to by options -----------------------------------------------------------

// The options whose 32-bit field refers to a heap block, and the counts that go with them.
enum : uint16_t {
  kOptFontTableCount = 10004,
  kOptFontTable = 10005,
  kOptDeviceFontCount = 10006,
  kOptDeviceFont = 10007,
  kOptOptionFontCount = 10008,
  kOptOptionFont = 10009,
};

// The context's handle for a block: the block's existing handle, else a new one; 0 for a NULL
// block or when the table is full.
DWORD OptRegisterBuffer(DriverContext* ctx, void* block);
// The block a handle stands for; NULL for 0 or a handle the context does not know.
void* OptResolveBuffer(const DriverContext* ctx, DWORD handle);
// Forgets a handle and returns its block (the caller frees it); NULL when unknown.
void* OptUnregisterBuffer(DriverContext* ctx, DWORD handle);

// The block an option of the working or saved image refers to; NULL for none, an unknown
// handle, or a row that is not of kind 6.
void* OptGetBuffer(DriverContext* ctx, uint16_t id);
void* OptGetSavedBuffer(DriverContext* ctx, uint16_t id);
// Makes an option refer to a block (NULL: to none). The working image is written with
// OptSetValue (marks included), the saved image without marks. The block that the option
// referred to before is neither forgotten nor freed. Returns 0 when the row is not of kind 6,
// there is no storage, or no handle could be had.
int OptSetBuffer(DriverContext* ctx, uint16_t id, void* block);
int OptSetSavedBuffer(DriverContext* ctx, uint16_t id, void* block);

// Zeroes the font-table counts and references (10004-10009) of a settings image that leaves
// the process (printer data, files, another module): a handle means nothing elsewhere.
void DmClearProcessLocalFields(BYTE* image);

// ---- UI values --------------------------------------------------------------------------------

// The part of a row's value-text list in use: the first list, except for zdmNUPType (92) and
// zdmDuplexType (94) while dmOrientation (7) is 2, which use the list after the first
// terminator. NULL for a row without a list.
const ValueTextPair* OptValueListInUse(DriverContext* ctx, const OptionEntry* row);
// Over one list part: the value id of a stored value (the first pair with that value whose
// value id is not 0xFFFF; the stored value itself when none); whether a stored value has such
// a pair; the stored value of a value id (16-bit compare; the value id itself when none).
int32_t OptListToUi(const ValueTextPair* list, int32_t stored);
int OptListHasText(const ValueTextPair* list, int32_t stored);
int32_t OptListFromUi(const ValueTextPair* list, uint32_t valueId);

int32_t OptToUiValue(DriverContext* ctx, const OptionEntry* row, int32_t stored);
int OptIsMappedValue(DriverContext* ctx, const OptionEntry* row, int32_t stored);
int32_t OptFromUiValue(DriverContext* ctx, const OptionEntry* row, uint32_t valueId);

int32_t OptReadUiValue(DriverContext* ctx, const OptionEntry* row);
int32_t OptGetUiValue(DriverContext* ctx, uint16_t id, OptionEntry** rowOut);
int32_t OptGetUiValueBySymbol(DriverContext* ctx, uint16_t nameIndex, OptionEntry** rowOut);
int32_t OptGetControlValue(DriverContext* ctx, const ControlDescriptor* control);

int OptWriteUiValue(DriverContext* ctx, OptionEntry* row, uint32_t valueId);
int OptSetUiValue(DriverContext* ctx, uint16_t id, uint32_t valueId);
int OptSetControlValue(DriverContext* ctx, ControlDescriptor* control, uint32_t valueId);

// ---- text values ------------------------------------------------------------------------------

// The text of a row into out (cchOut characters, terminator included): ANSI kinds converted
// from the system code page (never reading past the field), UTF-16 kinds copied; any other
// kind gives the text "wrong". The text is cut to fit out. Returns the storage, or NULL for a
// NULL argument, cchOut below 1, or no storage.
BYTE* OptGetStringValue(DriverContext* ctx, const OptionEntry* row, WCHAR* out, size_t cchOut);
// Clears the field (a number becomes 0; the write marks the change), then stores the text:
// ANSI kinds converted to the system code page, whole characters within the field's size (a
// text that fills the field carries no terminator); UTF-16 kinds cut so that the field keeps
// its terminator. Returns the storage, or NULL for a NULL argument or no storage.
BYTE* OptSetStringValue(DriverContext* ctx, OptionEntry* row, const WCHAR* text);
// The same on the option of the first control with that id in any dialog; NULL when there is
// no such control.
BYTE* OptGetControlText(DriverContext* ctx, uint16_t controlId, WCHAR* out, size_t cchOut);
BYTE* OptSetControlText(DriverContext* ctx, uint16_t controlId, const WCHAR* text);

// Sets an option by value id: text kinds (7, 8, 10, 11, 13, 14, 15) receive the resource
// string of that id, every other kind the stored value of the value id (OptWriteUiValue).
int OptSetByValueId(DriverContext* ctx, uint16_t id, uint32_t valueId);

// 1 when lengths are shown in 0.1 mm (zdmDspUnit (171) is 0), 0 for 0.01 inch.
int OptIsMetric(DriverContext* ctx);
