// The engine behind the exclusive handle: the "@PJL SET" line grammar, the command vocabulary
// as the handle reads it, the handle's settings, the constraint runs and the change text.
#pragma once

#include <cstdint>

#include "command_table.h"
#include "exc_handle.h"
#include "model_image.h"

// NAME and VALUE tokens: at most 263 bytes each.
constexpr int kPjlTokenBytes = 264;
// The longest block a base text may be.
constexpr size_t kPjlMaxBlockBytes = 256 * 1024;

// Kinds of a command (the CommandEntry kinds mask).
enum : DWORD {
  kPjlKindJob = 0x1,
  kPjlKindPrinterOption = 0x2,
  kPjlKindPrinterValue = 0x4,
};
// Value types of a command.
enum : DWORD {
  kPjlTypeList = 1,
  kPjlTypeSwitch = 4,
  kPjlTypeNumber = 8,
  kPjlTypeText = 16,
};
// Row flags beyond the list / model-item bits.
enum : DWORD {
  kPjlRowTrial = 0x8,
  kPjlRowBindingPair = 0x10800,
  kPjlRowBookletPair = 0x11000,
};
// Value flags beyond those of the command table.
enum : DWORD {
  kPjlValueNeverOffered = 0x100,
};

// A growing ANSI text: starts at 4096 bytes and grows in steps of 4096 keeping its content.
// An allocation failure is kept in `failed`; later appends do nothing.
class CommandTextBuffer {
 public:
  CommandTextBuffer() = default;
  ~CommandTextBuffer();
  CommandTextBuffer(const CommandTextBuffer&) = delete;
  CommandTextBuffer& operator=(const CommandTextBuffer&) = delete;

  void Append(const char* text);
  void Append(const char* text, size_t count);
  void AppendByte(char byte);
  void Truncate(size_t length);
  size_t Length() const { return length_; }
  const char* Data() const { return data_ ? data_ : ""; }
  bool Failed() const { return failed_; }
  // Hands the block over (the caller frees it with MdlFreeMem); the buffer is empty afterwards.
  char* Release();

 private:
  bool Reserve(size_t needed);
  char* data_ = nullptr;
  size_t capacity_ = 0;
  size_t length_ = 0;
  bool failed_ = false;
};

// Reads one line: bytes used through its LF, 0 at the end of the text, -1 for a malformed line
// (wrong prefix, no "=", no CR LF, a token over 263 bytes, a control byte in a token).
int ParseCommandLine(const char* text, char* name, char* value);
// "@PJL SET NAME = VALUE \r\n".
void AppendCommandLine(CommandTextBuffer& out, const char* name, const char* value);

// ---- the vocabulary --------------------------------------------------------------------------

const CommandEntry* FindCommandByName(const ExclusiveHandle* handle, const char* name, DWORD kinds);
// The first row of the kinds for a setting (the line writer's row), or NULL.
const CommandEntry* CommandFindById(const ExclusiveHandle* handle, DWORD setting, DWORD kinds);
int IsCommandAvailable(const ExclusiveHandle* handle, const CommandEntry* row);
int IsCommandValueAllowed(DriverContext* ctx, const CommandEntry* row, const CommandValue* value);
// The value row for a keyword: the first whose condition holds, else the first; NULL for none.
const CommandValue* FindCommandValueRow(DriverContext* ctx, const CommandEntry* row, const char* keyword);
// The model item a row's values and line come from.
const ModelItem* FindModelItem(DriverContext* ctx, DWORD setting, DWORD variant);
int IsModelItemRow(const CommandEntry* row);

// ---- values through the model item -----------------------------------------------------------

int32_t ParseTemplateValue(DriverContext* ctx, const ModelItem* item, DWORD valueType, const char* text);
// The value text into out (kPjlTokenBytes); 0 when there is none.
int FormatTemplateValue(DriverContext* ctx, const ModelItem* item, DWORD valueType, DWORD setting, int32_t value,
                        char* out);
// The item's numeric record as {default, minimum, maximum, step, a, b}; 0 without one.
struct CommandNumberRange {
  int32_t defaultValue, minimum, maximum, step, a, b;
};
int GetCommandNumberRange(DriverContext* ctx, const ModelItem* item, CommandNumberRange* out);

// ---- the handle's settings and the constraint runs --------------------------------------------

int HandleHasValue(const ExclusiveHandle* handle, DWORD setting);
int32_t HandleValue(const ExclusiveHandle* handle, DWORD setting);
void SetHandleValue(ExclusiveHandle* handle, DWORD setting, int32_t value, int mode);
// 1 when the value was applied, 0 when the line is ignored (unknown keyword, no model item).
int ApplyCommandValue(ExclusiveHandle* handle, const CommandEntry* row, const char* name, const char* valueText,
                      int mode, int runRules = 1);
void RefreshHandleValues(ExclusiveHandle* handle);
// Re-resolves every setting that depends on others after a change.
int ReapplyRules(DriverContext* ctx);
// Every handle setting's line, in ascending id order, with a final NUL.
void BuildCommandLines(const ExclusiveHandle* handle, CommandTextBuffer& out);
// 1 a change text waits, 0 none, -1 out of memory (the base is then left as it was).
int BuildCommandChange(ExclusiveHandle* handle, const char* updateLine);
// 1 when the value can be taken without moving any other line.
int TryCommandValue(ExclusiveHandle* handle, const CommandEntry* row, const CommandValue* value, const char* keyword);
// The number after setting it on a trial copy and re-resolving.
int32_t ClampCommandNumber(ExclusiveHandle* handle, const CommandEntry* row, int32_t value);

// The state a trial changes and puts back: handle flags and values, and the settings image.
class HandleSnapshot {
 public:
  explicit HandleSnapshot(ExclusiveHandle* handle);
  ~HandleSnapshot();
  bool Taken() const { return image_ != nullptr; }
  HandleSnapshot(const HandleSnapshot&) = delete;
  HandleSnapshot& operator=(const HandleSnapshot&) = delete;

 private:
  ExclusiveHandle* handle_;
  BYTE* flags_ = nullptr;
  int32_t* values_ = nullptr;
  BYTE* image_ = nullptr;
};

// The "@PJL SET" keywords of a setting that can be chosen now, as a multi-string (NUL-separated,
// one more NUL at the end): -1 without a context, 0 done (also for none: length 0), 1 when the
// buffer is shorter than the length; the text is copied only when a buffer is given.
int32_t ApiListSettingKeywords(DriverContext* ctx, uint16_t setting, int32_t length, char* buffer, int32_t* lengthOut);
