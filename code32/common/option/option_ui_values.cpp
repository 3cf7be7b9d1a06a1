// UI values (value ids) of options through their value-text lists, and the text values of
// text options.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "env_language.h"
#include "env_text.h"
#include "option_access.h"

namespace {

constexpr uint16_t kOptOrientation = 7;
constexpr uint16_t kOptNupType = 92;
constexpr uint16_t kOptDuplexType = 94;
constexpr int32_t kOrientationLandscape = 2;

bool SameValueId(uint32_t a, uint32_t b) { return (a & 0xFFFF) == (b & 0xFFFF); }

// Text kinds that OptSetByValueId fills with a resource string.
bool IsTextKind(uint32_t kind) {
  return OptIsAnsiTextKind(kind) || OptIsWideTextKind(kind) || kind == kKindRegText || kind == kKindRegAnsi ||
         kind == kKindRegText2;
}

// Copies text into out (cchOut characters), cut to fit and always terminated.
void CopyOut(std::u16string_view text, WCHAR* out, size_t cchOut) {
  const size_t n = std::min(text.size(), cchOut - 1);
  std::copy_n(text.data(), n, out);
  out[n] = u'\0';
}

}  // namespace

// ---- value-text lists ---------------------------------------------------------------------------

const ValueTextPair* OptValueListInUse(DriverContext* ctx, const OptionEntry* row) {
  if (!row || !row->labels || !row->labels->valueTexts) return nullptr;
  const ValueTextPair* list = row->labels->valueTexts;
  if ((row->id == kOptNupType || row->id == kOptDuplexType) &&
      OptGetValue(ctx, kOptOrientation, nullptr) == kOrientationLandscape) {
    while (list->valueId != 0) ++list;
    ++list;  // the landscape list follows the first terminator
  }
  return list;
}

int32_t OptListToUi(const ValueTextPair* list, int32_t stored) {
  for (const ValueTextPair* p = list; p && p->valueId != 0; ++p)
    if (p->value == stored && p->valueId != kValueIdNoText) return static_cast<int32_t>(p->valueId);
  return stored;
}

int OptListHasText(const ValueTextPair* list, int32_t stored) {
  for (const ValueTextPair* p = list; p && p->valueId != 0; ++p)
    if (p->value == stored && p->valueId != kValueIdNoText) return 1;
  return 0;
}

int32_t OptListFromUi(const ValueTextPair* list, uint32_t valueId) {
  for (const ValueTextPair* p = list; p && p->valueId != 0; ++p)
    if (SameValueId(p->valueId, valueId)) return p->value;
  return static_cast<int32_t>(valueId);
}

int32_t OptToUiValue(DriverContext* ctx, const OptionEntry* row, int32_t stored) {
  return OptListToUi(OptValueListInUse(ctx, row), stored);
}

int OptIsMappedValue(DriverContext* ctx, const OptionEntry* row, int32_t stored) {
  return OptListHasText(OptValueListInUse(ctx, row), stored);
}

int32_t OptFromUiValue(DriverContext* ctx, const OptionEntry* row, uint32_t valueId) {
  return OptListFromUi(OptValueListInUse(ctx, row), valueId);
}

// ---- reading and writing UI values ----------------------------------------------------------------

int32_t OptReadUiValue(DriverContext* ctx, const OptionEntry* row) {
  return OptToUiValue(ctx, row, OptReadValue(ctx, row));
}

int32_t OptGetUiValue(DriverContext* ctx, uint16_t id, OptionEntry** rowOut) {
  OptionEntry* row = ctx ? OptFind(ctx, id) : nullptr;
  if (rowOut) *rowOut = row;
  return OptReadUiValue(ctx, row);
}

int32_t OptGetUiValueBySymbol(DriverContext* ctx, uint16_t nameIndex, OptionEntry** rowOut) {
  OptionEntry* row = ctx ? OptFindBySymbol(ctx, nameIndex) : nullptr;
  if (rowOut) *rowOut = row;
  return OptReadUiValue(ctx, row);
}

int32_t OptGetControlValue(DriverContext* ctx, const ControlDescriptor* control) {
  return control ? OptReadUiValue(ctx, control->option) : 0;
}

int OptWriteUiValue(DriverContext* ctx, OptionEntry* row, uint32_t valueId) {
  return OptWriteValue(ctx, row, OptFromUiValue(ctx, row, valueId));
}

int OptSetUiValue(DriverContext* ctx, uint16_t id, uint32_t valueId) {
  return OptWriteUiValue(ctx, ctx ? OptFind(ctx, id) : nullptr, valueId);
}

int OptSetControlValue(DriverContext* ctx, ControlDescriptor* control, uint32_t valueId) {
  return control ? OptWriteUiValue(ctx, control->option, valueId) : 0;
}

// ---- text values ----------------------------------------------------------------------------------

BYTE* OptGetStringValue(DriverContext* ctx, const OptionEntry* row, WCHAR* out, size_t cchOut) {
  if (!ctx || !row || !out || cchOut < 1) return nullptr;
  BYTE* storage = OptGetValueAddress(ctx, row);
  if (!storage) return nullptr;
  const uint32_t kind = TypeKind(row->typeWord);
  const size_t size = TypeSize(row->typeWord);
  if (OptIsAnsiTextKind(kind)) {
    // A text that fills the whole field (it then has no terminator) is read whole; never past
    // the field.
    const auto* text = reinterpret_cast<const char*>(storage);
    const size_t length = std::find(text, text + size, '\0') - text;
    const size_t limit = std::min(size, cchOut - 1);
    const size_t n = EnvAnsiBytesToWide(std::string_view(text, length), out, limit);
    out[n] = u'\0';
  } else if (OptIsWideTextKind(kind)) {
    std::u16string field(size / 2, u'\0');
    std::memcpy(field.data(), storage, field.size() * sizeof(char16_t));
    CopyOut(std::u16string_view(field.c_str()), out, cchOut);
  } else {
    CopyOut(u"wrong", out, cchOut);
  }
  return storage;
}

BYTE* OptSetStringValue(DriverContext* ctx, OptionEntry* row, const WCHAR* text) {
  if (!ctx || !row || !text) return nullptr;
  BYTE* storage = OptGetValueAddress(ctx, row);
  if (!storage) return nullptr;
  const uint32_t kind = TypeKind(row->typeWord);
  // Cleared first (a number becomes 0), which marks the change.
  if (OptIsNumericKind(kind))
    OptWriteValue(ctx, row, 0);
  else
    OptWriteValueBytes(ctx, row, nullptr);
  const size_t size = TypeSize(row->typeWord);
  std::u16string_view view(text);
  if (OptIsAnsiTextKind(kind)) {
    // The whole field may be filled; a text that fills it carries no terminator.
    EnvWideToAnsiBytes(view, reinterpret_cast<char*>(storage), size);
  } else if (OptIsWideTextKind(kind)) {
    // Cut to the field so that it keeps its terminator, never inside a surrogate pair.
    const size_t room = size / 2 > 0 ? size / 2 - 1 : 0;
    size_t n = std::min(view.size(), room);
    if (n < view.size() && n > 0 && view[n - 1] >= 0xD800 && view[n - 1] <= 0xDBFF) --n;
    std::memcpy(storage, view.data(), n * sizeof(char16_t));
  }
  return storage;
}

BYTE* OptGetControlText(DriverContext* ctx, uint16_t controlId, WCHAR* out, size_t cchOut) {
  const ControlDescriptor* control = ctx ? OptFindControl(ctx, nullptr, controlId) : nullptr;
  return control ? OptGetStringValue(ctx, control->option, out, cchOut) : nullptr;
}

BYTE* OptSetControlText(DriverContext* ctx, uint16_t controlId, const WCHAR* text) {
  ControlDescriptor* control = ctx ? OptFindControl(ctx, nullptr, controlId) : nullptr;
  return control ? OptSetStringValue(ctx, control->option, text) : nullptr;
}

int OptSetByValueId(DriverContext* ctx, uint16_t id, uint32_t valueId) {
  OptionEntry* row = ctx ? OptFind(ctx, id) : nullptr;
  if (!row) return 0;
  if (IsTextKind(TypeKind(row->typeWord))) {
    if (!ctx->workArea) return 0;
    WCHAR* scratch = ctx->workArea->scratchText;
    EnvLoadString(ctx, valueId, scratch, kCtxScratchChars, 1);
    return OptSetStringValue(ctx, row, scratch) ? 1 : 0;
  }
  return OptWriteUiValue(ctx, row, valueId);
}
