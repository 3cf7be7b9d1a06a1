// The "@PJL SET" command engine: line grammar, vocabulary lookups, the handle's settings, the
// application of a value with its follow-ups and pair rules, and the change text that tells a
// tool which of its lines the printer's constraints moved.
#include "pjl_engine.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "condition_chain.h"
#include "core_memory.h"
#include "devmode_fields.h"
#include "devmode_public.h"
#include "model_query.h"
#include "option_access.h"
#include "option_values.h"

namespace {

constexpr size_t kTextStep = 4096;
constexpr DWORD kOptDuplexType = 94;   // zdmDuplexType

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool EndsToken(char c) { return c == 0 || c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

const char* SkipBlanks(const char* p) {
  while (IsBlank(*p)) ++p;
  return p;
}

// A token up to the next blank, CR, LF or NUL into out; -1 when it is longer than 263 bytes or
// holds a control byte (no such byte may reach a later PJL stream).
int ReadToken(const char*& p, char* out) {
  size_t n = 0;
  while (!EndsToken(p[n])) {
    if (n + 1 >= static_cast<size_t>(kPjlTokenBytes) || IsControl(static_cast<unsigned char>(p[n]))) return -1;
    out[n] = p[n];
    ++n;
  }
  out[n] = 0;
  p += n;
  return static_cast<int>(n);
}

// BINDING and BOOKLET: duplex types come in three groups of one binding side each.
struct BookletPair {
  int32_t choice;
  int32_t groupBase;
};
constexpr BookletPair kBookletPairs[] = {{0, 1}, {1, 17}, {2, 20}};

int32_t DuplexSide(int32_t type) {
  for (const BookletPair& p : kBookletPairs)
    if (type >= p.groupBase && type <= p.groupBase + 2) return type - p.groupBase;
  return 0;
}
int32_t DuplexGroupBase(int32_t type) { return type - DuplexSide(type); }
int32_t GroupBaseOfChoice(int32_t choice) {
  for (const BookletPair& p : kBookletPairs)
    if (p.choice == choice) return p.groupBase;
  return 1;
}

bool IsBindingRow(const CommandEntry* row) { return (row->flags & kPjlRowBindingPair) == kPjlRowBindingPair; }
bool IsBookletRow(const CommandEntry* row) { return (row->flags & kPjlRowBookletPair) == kPjlRowBookletPair; }

int32_t BindingForBooklet(const ExclusiveHandle* handle, int32_t value) {
  if (!HandleHasValue(handle, kExcBookletSetting)) return value;
  return DuplexSide(value) + GroupBaseOfChoice(HandleValue(handle, kExcBookletSetting));
}

void StoreHandleValue(ExclusiveHandle* handle, DWORD setting, int32_t value) {
  if (setting < 1 || setting > static_cast<DWORD>(handle->count)) return;
  handle->flags[setting - 1] = 1;
  handle->values[setting - 1] = value;
}

void RunSettingRules(DriverContext* ctx, DWORD setting) {
  if (const ModelItem* item = FindModelItem(ctx, setting, 0)) MdlRunItemTransact(item, ctx);
}

// Follow-ups agree with the handle when every follow-up setting that has a handle value holds
// exactly the follow-up value.
bool FollowUpsAgree(const ExclusiveHandle* handle, const CommandAssign* assign) {
  for (; assign; assign = assign->next)
    if (HandleHasValue(handle, assign->optionId) && HandleValue(handle, assign->optionId) != static_cast<int32_t>(assign->value))
      return false;
  return true;
}

const CommandValue* ChooseValueRow(const ExclusiveHandle* handle, const CommandEntry* row, int32_t value) {
  if (!row->values || !FollowUpsAgree(handle, row->assigns)) return nullptr;
  for (DWORD i = 0; i < row->values->count; ++i) {
    const CommandValue* v = &row->values->values[i];
    if ((static_cast<int32_t>(v->value) == value || (v->flags & kCommandValueNoOwnValue)) && FollowUpsAgree(handle, v->assigns))
      return v;
  }
  return nullptr;
}

void WriteListCommandLine(const ExclusiveHandle* handle, const CommandEntry* row, int32_t value, CommandTextBuffer& out) {
  const CommandValue* v = ChooseValueRow(handle, row, value);
  if (!v || !v->keyword || !row->commandName) return;
  AppendCommandLine(out, row->commandName, v->keyword);
}

// A model-item row's line: the item's option-command texts around the value text. A model
// whose texts do not make a line of this grammar for the row's command (texts written for the
// job stream) gets the line written the standard way, so that every line a tool receives can be
// read back.
void WriteValueCommandLine(const ExclusiveHandle* handle, const CommandEntry* row, int32_t value, CommandTextBuffer& out) {
  DriverContext* ctx = handle->context;
  const ModelItem* item = FindModelItem(ctx, row->optionId, row->reserved);
  if (!item || !row->commandName) return;
  char text[kPjlTokenBytes] = {};
  if (!FormatTemplateValue(ctx, item, row->valueType, row->optionId, value, text)) return;
  const char* prefix = nullptr;
  const char* suffix = nullptr;
  if (const auto* command = MdlImageAt<ModelOptionCommand>(ctx->modelImage, item->optionCommand)) {
    prefix = MdlImageText(ctx->modelImage, command->text1);
    suffix = MdlImageText(ctx->modelImage, command->text2);
  }
  if (prefix && suffix) {
    CommandTextBuffer line;
    line.Append(prefix);
    line.Append(text);
    line.Append(suffix);
    char name[kPjlTokenBytes];
    char parsed[kPjlTokenBytes];
    if (!line.Failed() && ParseCommandLine(line.Data(), name, parsed) == static_cast<int>(line.Length()) &&
        std::strcmp(name, row->commandName) == 0 && std::strcmp(parsed, text) == 0) {
      out.Append(line.Data());
      return;
    }
  }
  AppendCommandLine(out, row->commandName, text);
}

// One parsed line of a text: its name and value.
struct LineView {
  char name[kPjlTokenBytes];
  char value[kPjlTokenBytes];
};

// The value of the first line of text with that name; false when none.
bool FindLineValue(const char* text, const char* name, char* value) {
  LineView line;
  for (const char* p = text; p && *p;) {
    const int used = ParseCommandLine(p, line.name, line.value);
    if (used <= 0) return false;
    if (std::strcmp(line.name, name) == 0) {
      std::memcpy(value, line.value, sizeof line.value);
      return true;
    }
    p += used;
  }
  return false;
}

void DiffCommandText(const char* base, const char* all, const LineView* update, CommandTextBuffer& out) {
  LineView line;
  char baseValue[kPjlTokenBytes];
  for (const char* p = all; *p;) {
    const int used = ParseCommandLine(p, line.name, line.value);
    if (used <= 0) break;
    p += used;
    if (!FindLineValue(base, line.name, baseValue)) continue;
    const bool namesIt = update && std::strcmp(update->name, line.name) == 0;
    bool report;
    if (std::strcmp(baseValue, line.value) != 0) report = !(namesIt && std::strcmp(update->value, line.value) == 0);
    else report = namesIt && std::strcmp(update->value, line.value) != 0;
    if (report) AppendCommandLine(out, line.name, line.value);
  }
}

void MergeBaseText(const ExclusiveHandle* handle, const char* base, const char* all, const LineView* update,
                   CommandTextBuffer& out) {
  LineView line;
  char value[kPjlTokenBytes];
  for (const char* p = base; *p;) {
    const int used = ParseCommandLine(p, line.name, line.value);
    if (used <= 0) break;
    p += used;
    if (FindLineValue(all, line.name, value)) {
      AppendCommandLine(out, line.name, value);
    } else if (update && FindCommandByName(handle, line.name, kPjlKindJob)) {
      AppendCommandLine(out, line.name, std::strcmp(update->name, line.name) == 0 ? update->value : line.value);
    }
  }
}

}  // namespace

// ---- the text buffer ---------------------------------------------------------------------------

CommandTextBuffer::~CommandTextBuffer() { MdlFreeMem(data_); }

bool CommandTextBuffer::Reserve(size_t needed) {
  if (failed_) return false;
  if (needed <= capacity_) return true;
  const size_t capacity = (needed + kTextStep - 1) / kTextStep * kTextStep;
  auto* grown = static_cast<char*>(CtxAllocMem(static_cast<DWORD>(capacity)));
  if (!grown) {
    failed_ = true;
    return false;
  }
  if (data_) std::memcpy(grown, data_, length_ + 1);
  MdlFreeMem(data_);
  data_ = grown;
  capacity_ = capacity;
  return true;
}

void CommandTextBuffer::Append(const char* text, size_t count) {
  if (!Reserve(length_ + count + 1)) return;
  std::memcpy(data_ + length_, text, count);
  length_ += count;
  data_[length_] = 0;
}

void CommandTextBuffer::Append(const char* text) { Append(text, std::strlen(text)); }

void CommandTextBuffer::AppendByte(char byte) {
  if (!Reserve(length_ + 2)) return;
  data_[length_++] = byte;
  data_[length_] = 0;
}

void CommandTextBuffer::Truncate(size_t length) {
  if (data_ && length < length_) {
    length_ = length;
    data_[length_] = 0;
  }
}

char* CommandTextBuffer::Release() {
  if (!data_ && !Reserve(1)) return nullptr;
  char* data = data_;
  data_ = nullptr;
  capacity_ = length_ = 0;
  return data;
}

// ---- the grammar -------------------------------------------------------------------------------

int ParseCommandLine(const char* text, char* name, char* value) {
  name[0] = value[0] = 0;
  const char* p = SkipBlanks(text);
  if (*p == 0) return 0;
  if (std::strncmp(p, "@PJL", 4) != 0) return -1;
  p = SkipBlanks(p + 4);
  if (std::strncmp(p, "SET", 3) != 0) return -1;
  p = SkipBlanks(p + 3);
  if (ReadToken(p, name) < 0) return -1;
  p = SkipBlanks(p);
  if (*p != '=') return -1;
  p = SkipBlanks(p + 1);
  if (ReadToken(p, value) < 0) return -1;
  p = SkipBlanks(p);
  if (p[0] != '\r' || p[1] != '\n') return -1;
  return static_cast<int>(p + 2 - text);
}

void AppendCommandLine(CommandTextBuffer& out, const char* name, const char* value) {
  out.Append("@PJL SET ");
  out.Append(name);
  out.Append(" = ");
  out.Append(value);
  out.Append(" \r\n");
}

// ---- the vocabulary ----------------------------------------------------------------------------

const CommandEntry* FindCommandByName(const ExclusiveHandle* handle, const char* name, DWORD kinds) {
  DriverContext* ctx = handle->context;
  if (!ctx || !name) return nullptr;
  const CommandTable* table = MdlGetValueTable(ctx);
  const int count = std::min<int>(MdlGetValueTableRowCount(ctx), table ? static_cast<int>(table->rowCount) : 0);
  for (int i = 0; i < count; ++i) {
    const CommandEntry* row = &table->rows[i];
    if (!row->commandName || std::strcmp(row->commandName, name) != 0) continue;
    if (!(row->kinds & kinds)) return nullptr;
    if ((row->kinds & kPjlKindPrinterOption) && row->conditions && !OptTestConditionChain(ctx, row->conditions)) return nullptr;
    return row;
  }
  return nullptr;
}

const CommandEntry* CommandFindById(const ExclusiveHandle* handle, DWORD setting, DWORD kinds) {
  DriverContext* ctx = handle->context;
  const CommandTable* table = MdlGetValueTable(ctx);
  const int count = std::min<int>(MdlGetValueTableRowCount(ctx), table ? static_cast<int>(table->rowCount) : 0);
  for (int i = 0; i < count; ++i)
    if (table->rows[i].optionId == setting && (table->rows[i].kinds & kinds)) return &table->rows[i];
  return nullptr;
}

int IsCommandAvailable(const ExclusiveHandle* handle, const CommandEntry* row) {
  if (!HandleHasValue(handle, row->optionId)) return 0;
  for (const CommandAssign* a = row->assigns; a; a = a->next)
    if (!HandleHasValue(handle, a->optionId)) return 0;
  return 1;
}

int IsModelItemRow(const CommandEntry* row) { return (row->flags & kCommandRowFreeValue) ? 1 : 0; }

const CommandValue* FindCommandValueRow(DriverContext* ctx, const CommandEntry* row, const char* keyword) {
  if (!row->values) return nullptr;
  const CommandValue* first = nullptr;
  for (DWORD i = 0; i < row->values->count; ++i) {
    const CommandValue* v = &row->values->values[i];
    if (!v->keyword || std::strcmp(v->keyword, keyword) != 0) continue;
    if (!v->conditions || OptTestConditionChain(ctx, v->conditions)) return v;
    if (!first) first = v;
  }
  return first;
}

int IsCommandValueAllowed(DriverContext* ctx, const CommandEntry* row, const CommandValue* value) {
  if (row->flags & kPjlRowTrial) {
    // No row of this vocabulary is checked by trial; the core's selectable test does it.
    return MdlTryValue(ctx, row, value);
  }
  if (value->flags & kPjlValueNeverOffered) return 0;
  if ((value->flags & kCommandValueRepeatedKeyword) && !value->conditions) return 0;
  return !value->conditions || OptTestConditionChain(ctx, value->conditions) ? 1 : 0;
}

const ModelItem* FindModelItem(DriverContext* ctx, DWORD setting, DWORD variant) {
  const ModelImage* image = ctx ? ctx->modelImage : nullptr;
  if (!image) return nullptr;
  const ModelItem* last = nullptr;
  const ModelItem* anyVariant = nullptr;
  int guard = 0;
  for (uint32_t at = image->header.firstItem; at && guard < 100000; ++guard) {
    const auto* item = MdlImageAt<ModelItem>(image, at);
    if (!item) break;
    if (item->settingId == setting) {
      if (!anyVariant) anyVariant = item;
      if (item->variant == variant) {
        if (item->optionCommand) return item;
        last = item;
      }
    }
    at = item->next;
  }
  return last ? last : anyVariant;
}

// ---- values through the model item ---------------------------------------------------------------

int GetCommandNumberRange(DriverContext* ctx, const ModelItem* item, CommandNumberRange* out) {
  if (!item || ModelItemKind(item->typeWord) != kItemNumeric) return 0;
  const auto* record = MdlImageAt<ModelNumericValue>(ctx->modelImage, item->values);
  if (!record) return 0;
  // The record's divisor scales the shown number to the stored one.
  *out = {record->defaultValue, record->minimum, record->maximum, 1, std::max<int32_t>(record->divisor, 1), 1};
  return 1;
}

int32_t ParseTemplateValue(DriverContext* ctx, const ModelItem* item, DWORD valueType, const char* text) {
  const ModelImage* image = ctx->modelImage;
  switch (valueType) {
    case kPjlTypeList:
      for (const auto* v = MdlImageAt<ModelValue>(image, item->values); v; v = MdlNextItemValue(image, item, v)) {
        const char* keyword = MdlImageText(image, v->text);
        if (keyword && std::strcmp(keyword, text) == 0) return v->valueId;
      }
      return 0;
    case kPjlTypeSwitch: {
      const auto* record = MdlImageAt<ModelBooleanValue>(image, item->values);
      const char* on = record ? MdlImageText(image, record->trueText) : nullptr;
      return on && std::strcmp(on, text) == 0 ? 1 : 0;
    }
    case kPjlTypeNumber: {
      CommandNumberRange range{};
      const long long input = std::strtoll(text, nullptr, 10);
      if (input == 0) return 0;
      if (!GetCommandNumberRange(ctx, item, &range)) return static_cast<int32_t>(std::clamp<long long>(input, INT32_MIN, INT32_MAX));
      long long v = input * range.a / range.b;
      if (v == 0) v = 1;
      return static_cast<int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
    }
    default:
      return 0;
  }
}

int FormatTemplateValue(DriverContext* ctx, const ModelItem* item, DWORD valueType, DWORD setting, int32_t value,
                        char* out) {
  const ModelImage* image = ctx->modelImage;
  out[0] = 0;
  auto put = [&](const char* text) {
    if (!text || !*text) return 0;
    for (const char* c = text; *c; ++c)
      if (IsControl(static_cast<unsigned char>(*c))) return 0;
    std::snprintf(out, kPjlTokenBytes, "%s", text);
    return 1;
  };
  switch (valueType) {
    case kPjlTypeList:
      for (const auto* v = MdlImageAt<ModelValue>(image, item->values); v; v = MdlNextItemValue(image, item, v))
        if (v->valueId == value) return put(MdlImageText(image, v->text));
      return 0;
    case kPjlTypeSwitch: {
      const auto* record = MdlImageAt<ModelBooleanValue>(image, item->values);
      if (!record) return 0;
      return put(MdlImageText(image, value ? record->trueText : record->falseText));
    }
    case kPjlTypeNumber: {
      CommandNumberRange range{};
      long long shown = 0;
      if (value != 0 && GetCommandNumberRange(ctx, item, &range)) {
        shown = static_cast<long long>(value) * range.b / range.a;
        if (shown == 0) shown = 1;
      }
      std::snprintf(out, kPjlTokenBytes, "%lld", shown);
      return 1;
    }
    case kPjlTypeText: {
      OptionEntry* row = OptFind(ctx, static_cast<uint16_t>(setting));
      WCHAR wide[kPjlTokenBytes] = {};
      if (!row || !OptGetStringValue(ctx, row, wide, kPjlTokenBytes - 3) || !wide[0]) return 0;
      char ansi[kPjlTokenBytes] = {};
      if (WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, kPjlTokenBytes - 3, nullptr, nullptr) <= 0 || !ansi[0]) return 0;
      // A quote or a control byte would end the value early or break the line.
      for (const char* c = ansi; *c; ++c)
        if (*c == '"' || IsControl(static_cast<unsigned char>(*c))) return 0;
      const size_t n = std::strlen(ansi);
      out[0] = '"';
      std::memcpy(out + 1, ansi, n);
      out[n + 1] = '"';
      out[n + 2] = 0;
      return 1;
    }
    default:
      return 0;
  }
}

// ---- the handle's settings -------------------------------------------------------------------------

int HandleHasValue(const ExclusiveHandle* handle, DWORD setting) {
  return setting >= 1 && setting <= static_cast<DWORD>(handle->count) && handle->flags[setting - 1] ? 1 : 0;
}

int32_t HandleValue(const ExclusiveHandle* handle, DWORD setting) {
  return HandleHasValue(handle, setting) ? handle->values[setting - 1] : 0;
}

void SetHandleValue(ExclusiveHandle* handle, DWORD setting, int32_t value, int mode) {
  if (setting < 1 || setting > static_cast<DWORD>(handle->count)) return;
  DriverContext* ctx = handle->context;
  if (mode == 0) {
    StoreHandleValue(handle, setting, value);
    if (setting <= kExcLastOptionSetting) OptSetValue(ctx, static_cast<uint16_t>(setting), value);
    return;
  }
  if (HandleHasValue(handle, setting) && HandleValue(handle, setting) == value) return;
  StoreHandleValue(handle, setting, value);
  if (setting <= kExcLastOptionSetting) {
    OptSetValue(ctx, static_cast<uint16_t>(setting), value);
    RunSettingRules(ctx, setting);
    RefreshHandleValues(handle);
  }
}

int ApplyCommandValue(ExclusiveHandle* handle, const CommandEntry* row, const char* name, const char* valueText, int mode,
                      int runRules) {
  (void)name;
  DriverContext* ctx = handle->context;
  const int setMode = runRules ? mode : 0;
  for (const CommandAssign* a = row->assigns; a; a = a->next) SetHandleValue(handle, a->optionId, static_cast<int32_t>(a->value), setMode);

  if (IsModelItemRow(row)) {
    const ModelItem* item = FindModelItem(ctx, row->optionId, row->reserved);
    if (!item || row->optionId > kExcLastOptionSetting) return 0;  // no item: the line is ignored
    const int32_t parsed = ParseTemplateValue(ctx, item, row->valueType, valueText);
    OptSetUiValue(ctx, static_cast<uint16_t>(row->optionId), static_cast<uint32_t>(parsed));
    const int32_t readBack = OptGetValue(ctx, static_cast<uint16_t>(row->optionId), nullptr);
    if (runRules && mode == 1 && (!HandleHasValue(handle, row->optionId) || HandleValue(handle, row->optionId) != readBack))
      RunSettingRules(ctx, row->optionId);
    StoreHandleValue(handle, row->optionId, readBack);
    return 1;
  }

  const CommandValue* v = FindCommandValueRow(ctx, row, valueText);
  if (!v) return 0;  // an unknown keyword: the line is ignored
  for (const CommandAssign* a = v->assigns; a; a = a->next) SetHandleValue(handle, a->optionId, static_cast<int32_t>(a->value), setMode);
  if (v->flags & kCommandValueNoOwnValue) {
    if (row->optionId <= kExcLastOptionSetting)
      StoreHandleValue(handle, row->optionId, OptGetValue(ctx, static_cast<uint16_t>(row->optionId), nullptr));
    return 1;
  }
  int32_t value = static_cast<int32_t>(v->value);
  if (IsBindingRow(row)) {
    value = BindingForBooklet(handle, value);
  } else if (IsBookletRow(row) && HandleHasValue(handle, kOptDuplexType)) {
    StoreHandleValue(handle, kExcBookletSetting, value);
    SetHandleValue(handle, kOptDuplexType, DuplexSide(HandleValue(handle, kOptDuplexType)) + GroupBaseOfChoice(value), setMode);
  }
  SetHandleValue(handle, row->optionId, value, setMode);
  return 1;
}

void RefreshHandleValues(ExclusiveHandle* handle) {
  DriverContext* ctx = handle->context;
  for (DWORD id = 1; id <= kExcLastOptionSetting; ++id)
    if (handle->flags[id - 1]) handle->values[id - 1] = OptGetValue(ctx, static_cast<uint16_t>(id), nullptr);
  if (HandleHasValue(handle, kOptDuplexType) && HandleHasValue(handle, kExcBookletSetting)) {
    const int32_t base = DuplexGroupBase(HandleValue(handle, kOptDuplexType));
    for (const BookletPair& p : kBookletPairs)
      if (p.groupBase == base) StoreHandleValue(handle, kExcBookletSetting, p.choice);
  }
}

int ReapplyRules(DriverContext* ctx) {
  OptRefreshPaperSettings(ctx, 1);
  OptApplyAllTransacts(ctx);
  DmSetPublicFromOptions(CtxGetDevMode(ctx), ctx, 2);
  return 0;
}

void BuildCommandLines(const ExclusiveHandle* handle, CommandTextBuffer& out) {
  for (DWORD id = 1; id <= static_cast<DWORD>(handle->count); ++id) {
    if (!handle->flags[id - 1]) continue;
    const CommandEntry* row = CommandFindById(handle, id, kPjlKindJob);
    if (!row) continue;
    if (row->flags & kCommandRowHasList) WriteListCommandLine(handle, row, handle->values[id - 1], out);
    else WriteValueCommandLine(handle, row, handle->values[id - 1], out);
  }
}

int BuildCommandChange(ExclusiveHandle* handle, const char* updateLine) {
  DriverContext* ctx = handle->context;
  ReapplyRules(ctx);
  RefreshHandleValues(handle);
  CommandTextBuffer all;
  BuildCommandLines(handle, all);
  if (all.Failed()) return -1;

  LineView update;
  const LineView* updateView = nullptr;
  if (updateLine && ParseCommandLine(updateLine, update.name, update.value) > 0) updateView = &update;
  const char* base = handle->baseText ? handle->baseText : "";

  CommandTextBuffer diff;
  DiffCommandText(base, all.Data(), updateView, diff);
  if (diff.Failed()) return -1;
  CommandTextBuffer merged;
  MergeBaseText(handle, base, all.Data(), updateView, merged);
  if (merged.Failed()) return -1;

  int result = 0;
  if (diff.Length() > 0) {
    const int32_t length = static_cast<int32_t>(diff.Length()) + 1;
    char* text = diff.Release();
    if (!text) return -1;
    MdlFreeMem(handle->changeText);
    handle->changeText = text;
    handle->changeLength = length;
    result = 1;
  }
  // A merge that keeps no line leaves no base text rather than a stale one.
  MdlFreeMem(handle->baseText);
  handle->baseText = nullptr;
  handle->baseLength = 0;
  if (merged.Length() > 0) {
    const int32_t length = static_cast<int32_t>(merged.Length()) + 1;
    handle->baseText = merged.Release();
    handle->baseLength = handle->baseText ? length : 0;
  }
  return result;
}

// ---- trials ----------------------------------------------------------------------------------------

HandleSnapshot::HandleSnapshot(ExclusiveHandle* handle) : handle_(handle) {
  const size_t count = static_cast<size_t>(handle->count);
  flags_ = static_cast<BYTE*>(CtxAllocMem(static_cast<DWORD>(count)));
  values_ = static_cast<int32_t*>(CtxAllocMem(static_cast<DWORD>(count * sizeof(int32_t))));
  image_ = static_cast<BYTE*>(CtxAllocMem(DmGetImageSize()));
  if (!flags_ || !values_ || !image_) {
    MdlFreeMem(image_);
    image_ = nullptr;
    return;
  }
  std::memcpy(flags_, handle->flags, count);
  std::memcpy(values_, handle->values, count * sizeof(int32_t));
  std::memcpy(image_, handle->context->settingsImage, DmGetImageSize());
}

HandleSnapshot::~HandleSnapshot() {
  if (image_) {
    const size_t count = static_cast<size_t>(handle_->count);
    std::memcpy(handle_->flags, flags_, count);
    std::memcpy(handle_->values, values_, count * sizeof(int32_t));
    std::memcpy(handle_->context->settingsImage, image_, DmGetImageSize());
  }
  MdlFreeMem(flags_);
  MdlFreeMem(values_);
  MdlFreeMem(image_);
}

int TryCommandValue(ExclusiveHandle* handle, const CommandEntry* row, const CommandValue* value, const char* keyword) {
  if (!handle->baseText || !row->commandName) return 0;
  if (value && !IsCommandValueAllowed(handle->context, row, value)) return 0;
  HandleSnapshot snapshot(handle);
  if (!snapshot.Taken()) return 0;
  ApplyCommandValue(handle, row, row->commandName, keyword, 0, 0);
  CommandTextBuffer update;
  AppendCommandLine(update, row->commandName, keyword);
  ReapplyRules(handle->context);
  RefreshHandleValues(handle);
  CommandTextBuffer all;
  BuildCommandLines(handle, all);
  LineView line;
  if (update.Failed() || all.Failed() || ParseCommandLine(update.Data(), line.name, line.value) <= 0) return 0;
  CommandTextBuffer diff;
  DiffCommandText(handle->baseText, all.Data(), &line, diff);
  return !diff.Failed() && diff.Length() == 0 ? 1 : 0;
}

int32_t ClampCommandNumber(ExclusiveHandle* handle, const CommandEntry* row, int32_t value) {
  DriverContext* ctx = handle->context;
  if (row->optionId > kExcLastOptionSetting) return value;
  HandleSnapshot snapshot(handle);
  if (!snapshot.Taken()) return value;
  OptSetValue(ctx, static_cast<uint16_t>(row->optionId), value);
  ReapplyRules(ctx);
  return OptGetValue(ctx, static_cast<uint16_t>(row->optionId), nullptr);
}
