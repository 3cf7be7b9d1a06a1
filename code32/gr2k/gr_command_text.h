// The command-text generator: the model's command groups (JobStart, PageStart, PageEnd)
// expanded into the ANSI text of the command blocks, with the value texts of the items and the
// special command kinds of the option table; and the colour-matching data file that two of
// those kinds name.
#pragma once

#include <cstdint>

#include "model_image.h"
#include "win32/windows.h"

struct DriverContext;
struct OptionEntry;

// The expansion position. Every step appends at the position and advances it; without a
// buffer only the position advances (the counting pass).
struct CommandTextState {
  int32_t position;
};

// Special command kinds (the option table's column).
enum : uint16_t {
  kCmdKindTime = 1,
  kCmdKindMargin = 2,
  kCmdKindDeviceName = 3,
  kCmdKindIniFile = 5,
  kCmdKindHelpFile = 6,
  kCmdKindDriverFile = 7,
  kCmdKindStripped = 8,
  kCmdKindShiftX = 9,
  kCmdKindShiftY = 10,
  kCmdKindChapters = 11,
  kCmdKindDriverDir = 12,
  kCmdKindEscapeString = 13,
  kCmdKindColourByMode = 101,
  kCmdKindColourByObject = 102,
};

// Appends text (n bytes; n < 0: up to its terminator) at the position.
void GrAppendText(CommandTextState* state, char* buffer, const char* text, int32_t n = -1);
// Appends text with every byte that could end a command line or start a new command (control
// bytes, DEL) replaced by a blank; with quoted set a double quote becomes an apostrophe too.
// Bytes of double-byte characters are kept.
void GrAppendSafeText(CommandTextState* state, char* buffer, const char* text, int32_t n, bool quoted);
// UTF-16 text as ANSI of the system code page, at most maxBytes bytes (terminator included).
void GrWideToAnsiText(char* out, const WCHAR* text, int maxBytes);

// The item that a command node names: the first item of the model's list whose name index
// matches and whose variant matches the value key or which applies to any value (Identity).
const ModelItem* GrFindOptionCommand(uint16_t nameIndex, int16_t valueKey, DriverContext* ctx);
// The entry's text before the value, the text (when given) and its text after the value. 0.
int GrEmitAffixed(DriverContext* ctx, const ModelItem* entry, const char* text, CommandTextState* state,
                  char* buffer);
// "@PJL SET " name " = " value " \r\n". 0.
int GrWritePjlSet(const char* name, const char* value, CommandTextState* state, char* buffer);
// name followed by the decimal number n into out (64 bytes).
void GrNumberedName(char* out, const char* name, int n);
// The value text of a stored value: PickOne the text of the value whose stored value equals
// it, Boolean the true or false text; NULL otherwise.
const char* GrValueCommandText(DriverContext* ctx, uint16_t optionId, int32_t stored);
// 1 when the option's stored value is one of values.
int GrOptionIn(DriverContext* ctx, uint16_t optionId, int count, const int32_t* values);

int GrExpandConditional(DriverContext* ctx, const ModelCommandGroup* group, CommandTextState* state, char* buffer);
int GrExpandNodeList(CommandTextState* state, DriverContext* ctx, uint32_t firstNode, char* buffer);
int GrExpandItemCommand(CommandTextState* state, DriverContext* ctx, const ModelItemCommandNode* node, char* buffer);
int GrWriteDeviceFontIds(CommandTextState* state, DriverContext* ctx, char* buffer);
int GrWriteSubFontTable(CommandTextState* state, DriverContext* ctx, const ModelItem* entry, int32_t value,
                        char* buffer);

// ---- colour-matching data files ----------------------------------------------------------

// Object kinds of a command entry (the item's variant number): 0 text, 1 and 2 line art,
// anything else image.
// The file a kind (101 or 102) names for that object kind, as a full path in ANSI into out
// (outBytes, terminated). Returns 1 when a path was made, 0 when the kind appends nothing.
int GrColourFilePath(DriverContext* ctx, uint16_t kind, int objectKind, char* out, int outBytes);
// The two special kinds: append the chosen path between the entry's texts. 1 (handled).
int GrColourFileByMode(DriverContext* ctx, const ModelItem* entry, CommandTextState* state, char* buffer);
int GrColourFileByObject(DriverContext* ctx, const ModelItem* entry, CommandTextState* state, char* buffer);
