// The display text of an option's current value, by the kind of the model item that names it.
#include <cstdlib>

#include "driver_context.h"
#include "env_language.h"
#include "model_image.h"
#include "model_query.h"
#include "option_access.h"
#include "option_constants.h"
#include "option_format.h"
#include "option_values.h"

namespace {

constexpr uint16_t kOptWatermarkKind = 117;
constexpr uint16_t kOptWatermarkId = 118;
constexpr DWORD kStringOn = 370;
constexpr DWORD kStringOff = 371;
constexpr DWORD kStringOther = 96;


int Length(const WCHAR* s) { return lstrlenW(s); }

// "%d" of a number into buf.
int FormatNumber(WCHAR* buf, int cch, int32_t value) {
  WCHAR text[16];
  wsprintfW(text, u"%d", value);
  lstrcpynW(buf, text, cch);
  return Length(buf);
}

// A length in the display unit: 0.1 mm with one fraction digit, 0.01 inch with two. A signed
// row shows its minus sign also when the integer part is 0.
void FormatLength(WCHAR* buf, int cch, int32_t shown, bool metric, bool signedRow) {
  const int32_t scale = metric ? 10 : 100;
  WCHAR text[32];
  if (signedRow) {
    const int64_t magnitude = std::llabs(static_cast<int64_t>(shown));
    const long whole = static_cast<long>(magnitude / scale);
    const long fraction = static_cast<long>(magnitude % scale);
    wsprintfW(text, metric ? u"%s%ld.%01ld" : u"%s%ld.%02ld", shown < 0 ? u"-" : u"", whole, fraction);
  } else {
    const uint32_t value = static_cast<uint32_t>(shown);
    wsprintfW(text, metric ? u"%lu.%01lu" : u"%lu.%02lu", static_cast<unsigned long>(value / scale),
              static_cast<unsigned long>(value % scale));
  }
  lstrcpynW(buf, text, cch);
}

}  // namespace

int OptFormatValue(DriverContext* ctx, uint16_t nameIndex, WCHAR* buf, int cch) {
  if (!buf || cch <= 0) return 0;
  buf[0] = u'\0';
  if (!ctx) return 0;
  // The option is the one the model item stands for; without an item, the symbol's option.
  const ModelItem* item = MdlFindItemByKey(nameIndex, ctx);
  OptionEntry* row = item && item->settingId ? OptFind(ctx, item->settingId) : nullptr;
  if (!row) row = OptFindBySymbol(ctx, nameIndex);
  if (!row) return 0;
  const uint32_t type = item ? (item->typeWord & 0xFFu) : 0;

  switch (type) {
    case kItemPickOne:
    case kItemPickMany: {
      const uint32_t valueId = OptRemapDisplayValueId(static_cast<uint32_t>(OptReadUiValue(ctx, row)));
      if (EnvLoadString(ctx, valueId, buf, cch, 1) > 0) return Length(buf);
      WCHAR text[48];
      wsprintfW(text, u"%d is not string-ID", static_cast<int32_t>(valueId));
      lstrcpynW(buf, text, cch);
      return Length(buf);
    }
    case kItemBoolean:
      EnvLoadString(ctx, OptReadValue(ctx, row) ? kStringOn : kStringOff, buf, cch, 1);
      return Length(buf);
    case kItemNumeric: {
      const int32_t value = OptReadValue(ctx, row);
      const bool decimal = (row->flags & kOptFlagDecimalLength) != 0;
      if (decimal) {
        const bool signedRow = (row->flags & kOptFlagNegativeLength) != 0;
        FormatLength(buf, cch, OptToDisplayUnits(ctx, row->id, value), OptIsMetric(ctx) != 0, signedRow);
      } else {
        FormatNumber(buf, cch, value);
      }
      if (OptUsesDecimalComma(ctx)) EnvUseDecimalComma(buf);
      // The unit label of the item's first value, in the space that is left.
      const auto* numeric = static_cast<const ModelNumericValue*>(MdlGetItemValues(item->settingId, ctx, nullptr));
      const int used = Length(buf);
      if (numeric && numeric->unitLabel && used + 1 < cch)
        EnvLoadString(ctx, numeric->unitLabel, buf + used, cch - used, 1);
      return Length(buf);
    }
    case kItemString:
      OptGetStringValue(ctx, row, buf, static_cast<size_t>(cch));
      return Length(buf);
    default:
      break;
  }

  if (row->id == kOptWatermarkKind) {
    switch (OptReadValue(ctx, row)) {
      case 1: lstrcpynW(buf, u"文字ｽﾀﾝﾌﾟ", cch); break;
      case 2: lstrcpynW(buf, u"ｲﾒｰｼﾞｽﾀﾝﾌﾟ", cch); break;
      case 3: lstrcpynW(buf, u"合成", cch); break;
      default: EnvLoadString(ctx, kStringOther, buf, cch, 1); break;
    }
    return Length(buf);
  }
  if (row->id == kOptWatermarkId) {
    uint16_t control = 0;
    switch (OptGetUiValue(ctx, kOptWatermarkKind, nullptr)) {
      case 1: control = 2310; break;
      case 2: control = 2339; break;
      case 3: control = 2584; break;
      default: break;
    }
    if (!control || !OptGetControlText(ctx, control, buf, static_cast<size_t>(cch)))
      EnvLoadString(ctx, kStringOther, buf, cch, 1);
    return Length(buf);
  }
  return FormatNumber(buf, cch, OptReadUiValue(ctx, row));
}
