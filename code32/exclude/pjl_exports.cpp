// The Exc exports of the command engine: the base text, one updated line and its change text,
// the values a command may take, the printer's options and values, and the stored watermarks
// as "@PJL SET" lines.
#include <cstdio>
#include <cstring>

#include "core_memory.h"
#include "devmode_fields.h"
#include "exc_handle.h"
#include "model_query.h"
#include "option_access.h"
#include "pjl_engine.h"
#include "stamp_list.h"

namespace {

constexpr DWORD kRequiredSettings[] = {8, 7, 46, 13};  // APLPAGESIZE, APLPAGELAYOUT, PAPER, TRAY
constexpr uint16_t kOptStampKind = 117;                   // zdmWmKind
constexpr uint16_t kOptStampPage = 964;                   // wdmWmPage

// The number rows whose range is listed only while a setting holds a value.
struct RangeCondition {
  DWORD setting;
  uint16_t option;
  int32_t value;
};
constexpr RangeCondition kRangeConditions[] = {{90, 87, 1}, {89, 87, 1}};  // PAPERSCALEH/W need zdmScaleType 1

bool RangeConditionHolds(DriverContext* ctx, DWORD setting) {
  for (const RangeCondition& c : kRangeConditions)
    if (c.setting == setting && OptGetValue(ctx, c.option, nullptr) != c.value) return false;
  return true;
}

// The rows of a watermark's lines: {kind (0 text, 1 image, 16 both), skip, value type, option};
// option 0 is the fixed WMKORDER line.
struct WatermarkLine {
  int kind;
  int skip;
  DWORD valueType;
  uint16_t option;
};
constexpr DWORD kLiteral = 0;
constexpr WatermarkLine kWatermarkLines[] = {
    {0, 0, kPjlTypeText, 952},    // wdmWmChar
    {1, 0, kPjlTypeText, 953},    // wdmWmImage
    {16, 2, kPjlTypeSwitch, kOptStampPage},
    {16, 0, kPjlTypeNumber, 965},  // wdmWmStartPage
    {16, 0, kPjlTypeNumber, 966},  // wdmWmEndPage
    {16, 0, kLiteral, 0},
    {16, 0, kPjlTypeList, 962},    // wdmWmPosi
    {16, 0, kPjlTypeSwitch, 958},  // wdmWmOpaque
    {0, 0, kPjlTypeNumber, 960},   // wdmWmDensity
    {1, 0, kPjlTypeNumber, 975},   // wdmWmFontScale
    {0, 0, kPjlTypeList, 961},     // wdmWmEffect
    {0, 0, kPjlTypeNumber, 967},   // wdmWmAngle
    {0, 0, kPjlTypeText, 968},     // wdmWmFontName
    {0, 0, kPjlTypeNumber, 969},   // wdmWmFontPoint
    {0, 0, kPjlTypeList, 974},     // wdmWmFontStyle
    {0, 0, kPjlTypeNumber, 971},   // wdmWmColorR
    {0, 0, kPjlTypeNumber, 972},   // wdmWmColorG
    {0, 0, kPjlTypeNumber, 973},   // wdmWmColorB
};

void AppendWatermarkLines(CommandTextBuffer& out, DriverContext* ctx, int kind) {
  const size_t start = out.Length();
  const size_t rows = sizeof kWatermarkLines / sizeof kWatermarkLines[0];
  for (size_t i = 0; i < rows; ++i) {
    const WatermarkLine& row = kWatermarkLines[i];
    if (row.kind != kind && row.kind != 16) continue;
    if (row.valueType == kLiteral) {
      AppendCommandLine(out, "WMKORDER", "PAPER");
      continue;
    }
    const ModelItem* item = FindModelItem(ctx, row.option, 0);
    if (!item) continue;
    const auto* command = MdlImageAt<ModelOptionCommand>(ctx->modelImage, item->optionCommand);
    const char* prefix = command ? MdlImageText(ctx->modelImage, command->text1) : nullptr;
    const char* suffix = command ? MdlImageText(ctx->modelImage, command->text2) : nullptr;
    const int32_t value = OptGetUiValue(ctx, row.option, nullptr);
    char text[kPjlTokenBytes] = {};
    if (!FormatTemplateValue(ctx, item, row.valueType, row.option, value, text)) continue;
    const size_t lineStart = out.Length();
    if (prefix) {
      size_t n = std::strlen(prefix);
      if (n && prefix[n - 1] == '"') --n;
      out.Append(prefix, n);
    }
    out.Append(text);
    if (suffix) out.Append(suffix[0] == '"' ? suffix + 1 : suffix);
    if (out.Length() == lineStart) continue;
    if (row.skip && !(row.option == kOptStampPage && value != 0)) i += static_cast<size_t>(row.skip);
  }
  if (out.Length() > start) out.AppendByte(0);
}

// A multi-string from NUL-separated items: one more NUL ends it. 0 when there are no items.
int FinishMultiString(CommandTextBuffer& items, int32_t length, char* buffer, int32_t* lengthOut) {
  if (items.Failed()) return -1;
  if (items.Length() == 0) {
    if (lengthOut) *lengthOut = 0;
    return 0;
  }
  items.AppendByte(0);
  if (items.Failed()) return -1;
  return ExcCopyOut(items.Data(), static_cast<int32_t>(items.Length()), length, buffer, lengthOut);
}

void AppendItem(CommandTextBuffer& items, const char* text) {
  items.Append(text);
  items.AppendByte(0);
}

void ListCommandValues(ExclusiveHandle* handle, const CommandEntry* row, int onlyAllowed, CommandTextBuffer& items) {
  DriverContext* ctx = handle->context;
  if (IsModelItemRow(row)) {
    const ModelItem* item = FindModelItem(ctx, row->optionId, row->reserved);
    if (!item) return;
    for (const auto* v = MdlImageAt<ModelValue>(ctx->modelImage, item->values); v; v = MdlNextItemValue(ctx->modelImage, item, v)) {
      const char* keyword = MdlImageText(ctx->modelImage, v->text);
      if (!keyword || !*keyword) continue;
      if (!onlyAllowed || TryCommandValue(handle, row, nullptr, keyword)) AppendItem(items, keyword);
    }
    return;
  }
  if (!row->values) return;
  for (DWORD i = 0; i < row->values->count; ++i) {
    const CommandValue* v = &row->values->values[i];
    if (!v->keyword) continue;
    if (!onlyAllowed) {
      if (v->flags & kCommandValueRepeatedKeyword) continue;
      if ((row->kinds & kPjlKindPrinterOption) && v->conditions && !OptTestConditionChain(ctx, v->conditions)) continue;
      AppendItem(items, v->keyword);
    } else {
      if ((v->flags & kCommandValueRepeatedKeyword) && !v->conditions) continue;
      if (TryCommandValue(handle, row, v, v->keyword)) AppendItem(items, v->keyword);
    }
  }
}

void ListCommandSwitch(ExclusiveHandle* handle, const CommandEntry* row, int onlyAllowed, CommandTextBuffer& items) {
  DriverContext* ctx = handle->context;
  const ModelItem* item = FindModelItem(ctx, row->optionId, row->reserved);
  if (!item) return;
  for (int32_t value : {0, 1}) {
    char text[kPjlTokenBytes];
    if (!FormatTemplateValue(ctx, item, kPjlTypeSwitch, row->optionId, value, text)) continue;
    if (!onlyAllowed || TryCommandValue(handle, row, nullptr, text)) AppendItem(items, text);
  }
}

void ListCommandRange(ExclusiveHandle* handle, const CommandEntry* row, int onlyAllowed, CommandTextBuffer& items) {
  DriverContext* ctx = handle->context;
  CommandNumberRange range{};
  if (!GetCommandNumberRange(ctx, FindModelItem(ctx, row->optionId, row->reserved), &range)) return;
  if (onlyAllowed) {
    if (!RangeConditionHolds(ctx, row->optionId)) return;
    range.minimum = ClampCommandNumber(handle, row, range.minimum);
    range.maximum = ClampCommandNumber(handle, row, range.maximum);
  }
  char text[16];
  for (int32_t n : {range.minimum, range.maximum, range.step}) {
    std::snprintf(text, sizeof text, "%d", n);
    AppendItem(items, text);
  }
}

}  // namespace

ZOLT_EXPORT int32_t WINAPI ExcSetCommandBase(ExclusiveHandle* handle, const char* text, int32_t* lengthOut) {
  if (!handle) return -1;
  if (lengthOut) *lengthOut = 0;
  if (ApiResetHandle(handle, 1) != 0) return -1;
  if (!text) return -2;
  const size_t length = strnlen(text, kPjlMaxBlockBytes + 1);
  if (length > kPjlMaxBlockBytes) return -1;
  char name[kPjlTokenBytes];
  char value[kPjlTokenBytes];
  for (const char* p = text;;) {
    const int used = ParseCommandLine(p, name, value);
    if (used < 0) return -1;
    if (used == 0) break;
    if (const CommandEntry* row = FindCommandByName(handle, name, kPjlKindJob | kPjlKindPrinterOption))
      ApplyCommandValue(handle, row, name, value, 0);
    p += used;
  }
  for (DWORD setting : kRequiredSettings) {
    if (!HandleHasValue(handle, setting)) {
      ApiResetHandle(handle, 1);
      return -2;
    }
  }
  char* base = static_cast<char*>(CtxAllocMem(static_cast<DWORD>(length + 1)));
  if (!base) return -1;
  std::memcpy(base, text, length + 1);
  handle->baseText = base;
  handle->baseLength = static_cast<int32_t>(length + 1);
  const int result = BuildCommandChange(handle, nullptr);
  if (lengthOut) *lengthOut = handle->changeLength;
  return result;
}

ZOLT_EXPORT int32_t WINAPI ExcUpdateCommand(ExclusiveHandle* handle, const char* line, int32_t* lengthOut) {
  if (!handle) return -1;
  if (!line) return 0;
  if (lengthOut) *lengthOut = 0;
  MdlFreeMem(handle->changeText);
  handle->changeText = nullptr;
  handle->changeLength = 0;
  if (!handle->context) return -1;
  char name[kPjlTokenBytes];
  char value[kPjlTokenBytes];
  const int used = ParseCommandLine(line, name, value);
  if (used < 0) return -1;
  if (used == 0) return 0;
  const CommandEntry* row = FindCommandByName(handle, name, kPjlKindJob);
  if (!row || !(row->kinds & kPjlKindJob) || !IsCommandAvailable(handle, row)) return 0;
  // An unknown keyword changes nothing and produces no change text.
  if (!ApplyCommandValue(handle, row, name, value, 1)) return 0;
  // Only the first line counts: the change is judged against the line as applied.
  char applied[kPjlTokenBytes * 2 + 16];
  std::snprintf(applied, sizeof applied, "@PJL SET %s = %s \r\n", name, value);
  const int result = BuildCommandChange(handle, applied);
  if (lengthOut) *lengthOut = handle->changeLength;
  return result;
}

ZOLT_EXPORT int32_t WINAPI ExcGetCommandChange(ExclusiveHandle* handle, int32_t length, char* buffer, int32_t* lengthOut) {
  if (!handle) return -1;
  if (lengthOut) *lengthOut = handle->changeLength;
  if (handle->changeLength == 0) return 0;
  if (!buffer || length < handle->changeLength) return 1;
  std::memcpy(buffer, handle->changeText, static_cast<size_t>(handle->changeLength));
  MdlFreeMem(handle->changeText);
  handle->changeText = nullptr;
  handle->changeLength = 0;
  return 0;
}

ZOLT_EXPORT int32_t WINAPI ExcGetCommandBase(ExclusiveHandle* handle, int32_t length, char* buffer, int32_t* lengthOut) {
  if (!handle) return -1;
  return ExcCopyOut(handle->baseText, handle->baseText ? handle->baseLength : 0, length, buffer, lengthOut);
}

ZOLT_EXPORT int32_t WINAPI ExcGetCommandValue(ExclusiveHandle* handle, const char* name, int32_t onlyAllowed,
                                              int32_t length, char* buffer, int32_t* lengthOut) {
  if (!handle) return -1;
  if (lengthOut) *lengthOut = 0;
  if (!handle->context || !name) return 0;
  const CommandEntry* row = FindCommandByName(handle, name, kPjlKindJob);
  if (!row || (onlyAllowed && !IsCommandAvailable(handle, row))) return 0;
  CommandTextBuffer items;
  switch (row->valueType) {
    case kPjlTypeList: ListCommandValues(handle, row, onlyAllowed, items); break;
    case kPjlTypeSwitch: ListCommandSwitch(handle, row, onlyAllowed, items); break;
    case kPjlTypeNumber: ListCommandRange(handle, row, onlyAllowed, items); break;
    default: break;
  }
  return FinishMultiString(items, length, buffer, lengthOut);
}

ZOLT_EXPORT int32_t WINAPI ExcGetPrinterOption(ExclusiveHandle* handle, const char* name, int32_t length, char* buffer,
                                               int32_t* lengthOut) {
  if (!handle) return -1;
  if (lengthOut) *lengthOut = 0;
  if (!handle->context || !name) return 0;
  const CommandEntry* row = FindCommandByName(handle, name, kPjlKindPrinterOption);
  if (!row || !row->values) return 0;
  CommandTextBuffer items;
  for (DWORD i = 0; i < row->values->count; ++i) {
    const CommandValue* v = &row->values->values[i];
    if (v->keyword && IsCommandValueAllowed(handle->context, row, v)) AppendItem(items, v->keyword);
  }
  return FinishMultiString(items, length, buffer, lengthOut);
}

ZOLT_EXPORT int32_t WINAPI ExcGetPrinterValue(ExclusiveHandle* handle, const char* name, int32_t length, char* buffer,
                                              int32_t* lengthOut) {
  if (!handle) return -1;
  if (lengthOut) *lengthOut = 0;
  DriverContext* ctx = handle->context;
  if (!ctx || !name) return 0;
  const CommandEntry* row = FindCommandByName(handle, name, kPjlKindPrinterValue);
  if (!row) return 0;
  const auto option = static_cast<uint16_t>(row->optionId);
  char text[kPjlTokenBytes] = {};
  if (IsModelItemRow(row)) {
    const ModelItem* item = FindModelItem(ctx, row->optionId, row->reserved);
    if (!item || !FormatTemplateValue(ctx, item, row->valueType, row->optionId, OptGetUiValue(ctx, option, nullptr), text))
      return 0;
  } else if (row->values) {
    const int32_t value = OptGetValue(ctx, option, nullptr);
    for (DWORD i = 0; i < row->values->count && !text[0]; ++i) {
      const CommandValue* v = &row->values->values[i];
      if (v->keyword && (static_cast<int32_t>(v->value) == value || (v->flags & kCommandValueNoOwnValue)))
        std::snprintf(text, sizeof text, "%s", v->keyword);
    }
  }
  if (!text[0]) return 0;
  return ExcCopyOut(text, static_cast<int32_t>(std::strlen(text)) + 1, length, buffer, lengthOut);
}

ZOLT_EXPORT int32_t WINAPI ExcGetWaterMarkList(ExclusiveHandle* handle, int32_t kind, int32_t length, char* buffer,
                                               int32_t* lengthOut) {
  if (!handle || !handle->context) return -1;
  if (lengthOut) *lengthOut = 0;
  DriverContext* ctx = handle->context;
  CommandTextBuffer text;
  {
    HandleSnapshot snapshot(handle);
    if (!snapshot.Taken()) return -1;
    const int count = CfgGetStampCount(ctx);
    for (int n = 0; n < count; ++n) {
      if (!CfgLoadStamp(ctx, n)) continue;
      const int32_t wmKind = OptGetValue(ctx, kOptStampKind, nullptr);
      if ((wmKind == 1 && kind == 0) || (wmKind == 2 && kind == 1)) AppendWatermarkLines(text, ctx, kind);
    }
  }
  return FinishMultiString(text, length, buffer, lengthOut);
}

int32_t ApiListSettingKeywords(DriverContext* ctx, uint16_t setting, int32_t length, char* buffer, int32_t* lengthOut) {
  if (lengthOut) *lengthOut = 0;
  if (!ctx) return -1;
  const CommandEntry* row = MdlFindValueTableRow(ctx, setting, kPjlKindJob | kPjlKindPrinterOption);
  if (!row || !row->values) return 0;
  CommandTextBuffer items;
  for (DWORD i = 0; i < row->values->count; ++i) {
    const CommandValue* v = &row->values->values[i];
    if (v->keyword && MdlTryValue(ctx, row, v)) AppendItem(items, v->keyword);
  }
  return FinishMultiString(items, length, buffer, lengthOut);
}
