// Strings of the language resource library, the label decorations that complete some of them
// with option values, and the fixed-point number texts.
//
// Every decorated text stays within the size the caller gave EnvLoadString: appended parts are
// cut at the end of the buffer, and a resource text used as a format only has its "%s" fields
// filled (any other '%' sequence is copied as it stands).
#include <array>
#include <cstring>
#include <cstdio>
#include <string>
#include <string_view>

#include "env_language.h"
#include "env_text.h"
#include "feature_modules.h"
#include "fm_modules_1_4.h"
#include "option_access.h"
#include "option_values.h"

namespace {

using std::u16string;
using std::u16string_view;

enum DecorationAction : DWORD {
  kAppendOptionText = 1,
  kAppendSize = 2,
  kUnitName = 3,
  kModuleText = 4,
  kSizeRange = 5,
  kCustomMediaName = 6,
};

struct DecorationRow {
  DWORD stringId;
  WORD optionId;
  WORD reserved;
  DWORD action;
};

constexpr WORD kOptTray1Name = 1540;      // wdmPrintPostTray1Name .. 1548
constexpr WORD kOptCustomMedia1 = 1599;   // wdmCustomMedia1Name .. 1614
constexpr DWORD kStringMetricUnit = 153;
constexpr DWORD kStringInchUnit = 154;
constexpr DWORD kStringFirstSlot = 109;   // custom paper-size slots 0-9: 109-118
constexpr int kUnitNameChars = 16;

// clang-format off
constexpr std::array<DecorationRow, 80> BuildDecorations() {
  std::array<DecorationRow, 80> rows{};
  size_t n = 0;
  for (DWORD first : {29u, 813u, 50017u})
    for (WORD i = 0; i < 9; ++i) rows[n++] = {first + i, static_cast<WORD>(kOptTray1Name + i), 0, kAppendOptionText};
  for (DWORD i = 0; i < 10; ++i) rows[n++] = {kStringFirstSlot + i, 0, 0, kAppendSize};
  for (DWORD id : {752u, 13379u, 753u, 13383u}) rows[n++] = {id, 0, 0, kAppendSize};
  rows[n++] = {kStringMetricUnit, 0, 0, kUnitName};
  rows[n++] = {kStringInchUnit, 0, 0, kUnitName};
  for (DWORD id = 565; id <= 580; ++id) rows[n++] = {id, 0, 0, kModuleText};
  for (DWORD id = 13273; id <= 13276; ++id) rows[n++] = {id, 0, 0, kSizeRange};
  for (WORD i = 0; i < 16; ++i) rows[n++] = {13708u + i, static_cast<WORD>(kOptCustomMedia1 + i), 0, kCustomMediaName};
  rows[n++] = {0, 0, 0, 0};
  return rows;
}
// clang-format on
constexpr auto kDecorations = BuildDecorations();
static_assert(kDecorations[78].stringId == 13723 && kDecorations[79].stringId == 0);

const DecorationRow* FindDecoration(DWORD stringId) {
  for (const DecorationRow& row : kDecorations) {
    if (row.stringId == 0) break;
    if (row.stringId == stringId) return &row;
  }
  return nullptr;
}

u16string_view View(const WCHAR* text) { return text ? u16string_view(text, lstrlenW(text)) : u16string_view(); }

// Puts text into buf (size characters), cut to fit, always terminated.
void Store(WCHAR* buf, int size, u16string_view text) {
  if (size <= 0) return;
  const size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
  text.copy(buf, n);
  buf[n] = u'\0';
}

u16string Ascii(const char* text) { return u16string(text, text + std::char_traits<char>::length(text)); }

bool IsMetric(DriverContext* ctx) { return ctx && ctx->settingsImage && OptIsMetric(ctx); }

// The unit name, string 153 or 154 (at most 16 characters).
u16string UnitName(DriverContext* ctx, bool metric) {
  WCHAR unit[kUnitNameChars + 1] = {};
  EnvLoadString(ctx, metric ? kStringMetricUnit : kStringInchUnit, unit, kUnitNameChars + 1, 0);
  return u16string(View(unit));
}

// Fills the first two "%s" of a resource text with the arguments; "%%" gives '%'; anything else
// is copied as it stands.
u16string FillStringFields(u16string_view format, const u16string& first, const u16string& second) {
  u16string out;
  int used = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == u'%' && i + 1 < format.size()) {
      if (format[i + 1] == u'%') {
        out += u'%';
        ++i;
        continue;
      }
      if (format[i + 1] == u's' && used < 2) {
        out += used++ == 0 ? first : second;
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  return out;
}

// The allowed range of a custom-size dimension for a tray and orientation (1/1200 inch).
bool FreeSizeRange(DriverContext* ctx, int32_t tray, int32_t orientation, int isLength, int32_t* min, int32_t* max) {
  LONG high = 0;
  LONG low = 0;
  if (!FmGetFreeSizeRange(ctx, static_cast<WORD>(tray), static_cast<WORD>(orientation), &high, &low, isLength))
    return false;
  *min = low;
  *max = high;
  return true;
}

// "(w x l<unit>)" of a width and length in display units.
u16string SizeText(DriverContext* ctx, int32_t w, int32_t l) {
  const bool metric = IsMetric(ctx);
  const int32_t divisor = metric ? 10 : 100;
  char text[64];
  std::snprintf(text, sizeof text, metric ? "(%ld.%01ld x %ld.%01ld" : "(%ld.%02ld x %ld.%02ld", long(w / divisor),
                long(w < 0 ? -(w % divisor) : w % divisor), long(l / divisor), long(l < 0 ? -(l % divisor) : l % divisor));
  return Ascii(text) + UnitName(ctx, metric) + u")";
}

void AppendSize(DriverContext* ctx, DWORD stringId, WCHAR* text, int size) {
  u16string result;
  int32_t width = 0;
  int32_t length = 0;
  if (stringId >= kStringFirstSlot && stringId < kStringFirstSlot + 10) {
    const FreeSizeSlot& slot = ctx->workArea->freeSizeSlots[stringId - kStringFirstSlot];
    width = slot.width;
    length = slot.length;
    int32_t min = 0;
    int32_t max = 0;
    if (FreeSizeRange(ctx, slot.tray, slot.orientation, 0, &min, &max)) width = width > max ? max : width < min ? min : width;
    if (FreeSizeRange(ctx, slot.tray, slot.orientation, 1, &min, &max)) length = length > max ? max : length < min ? min : length;
    width = OptToDisplayUnits(ctx, 0, width);
    length = OptToDisplayUnits(ctx, 0, length);
    WCHAR name[sizeof slot.userName + 1] = {};
    EnvAnsiBytesToWide(std::string_view(slot.userName, strnlen(slot.userName, sizeof slot.userName)), name,
                       sizeof slot.userName);
    result = View(name);
  } else {
    const bool paper = stringId == 752 || stringId == 13379;
    width = OptToDisplayUnits(ctx, paper ? 342 : 346, 0);
    length = OptToDisplayUnits(ctx, paper ? 343 : 347, 0);
    result = View(text);
  }
  result += SizeText(ctx, width, length);
  Store(text, size, result);
  if (EnvIsUsingDecimalComma(ctx)) EnvUseDecimalComma(text);
}

void FormatSizeRange(DriverContext* ctx, DWORD stringId, WCHAR* text, int size) {
  const bool metric = IsMetric(ctx);
  const int isLength = stringId == 13273 || stringId == 13274 ? 1 : 0;
  int32_t tray = 0;
  int32_t orientation = 0;
  bool dialog = false;
  if (ctx->dialogId == 1017) {
    tray = OptGetValue(ctx, 941, nullptr);
    orientation = OptGetValue(ctx, 942, nullptr);
    dialog = true;
  } else if (ctx->dialogId == 1041) {
    const bool paper = OptGetValue(ctx, 1051, nullptr) == 1;
    tray = OptGetValue(ctx, paper ? 344 : 348, nullptr);
    orientation = OptGetValue(ctx, paper ? 345 : 349, nullptr);
    dialog = true;
  }
  u16string low = metric ? u"0" : u"0.00";
  u16string high = low;
  int32_t min = 0;
  int32_t max = 0;
  if (dialog && FreeSizeRange(ctx, tray, orientation, isLength, &min, &max)) {
    auto shown = [&](int32_t dots) {
      WCHAR number[kEnvNumberChars] = {};
      EnvFormatFixedPoint(number, metric ? 10 : 100, OptToDisplayUnits(ctx, 0, dots), ctx);
      u16string s(View(number));
      if (metric && !s.empty() && s.back() == u'0' && s.size() >= 2) s.resize(s.size() - 2);
      return s;
    };
    low = shown(min);
    high = shown(max);
  }
  Store(text, size, FillStringFields(View(text), low, high));
}

}  // namespace

int EnvLoadString(DriverContext* ctx, DWORD stringId, WCHAR* out, int outSize, int decorate) {
  if (!out || outSize <= 0) return 0;
  out[0] = u'\0';
  HMODULE library = EnvLoadResourceDll(ctx);
  if (!library) return 0;
  int n = LoadStringW(library, stringId, out, outSize);
  if (n <= 0) {
    out[0] = u'\0';
    return 0;
  }
  if (decorate) {
    EnvDecorateString(ctx, stringId, out, outSize);
    n = lstrlenW(out);
  }
  return n;
}

void EnvDecorateString(DriverContext* ctx, DWORD stringId, WCHAR* text, int size) {
  if (!ctx || !ctx->workArea || !text || size <= 0) return;
  const DecorationRow* row = FindDecoration(stringId);
  if (!row) return;
  switch (row->action) {
    case kAppendOptionText: {
      WCHAR value[kCtxScratchChars] = {};
      if (OptionEntry* option = OptFind(ctx, row->optionId)) OptGetStringValue(ctx, option, value, kCtxScratchChars);
      Store(text, size, u16string(View(text)) + u":" + u16string(View(value)));
      break;
    }
    case kAppendSize:
      AppendSize(ctx, stringId, text, size);
      break;
    case kUnitName:
      Store(text, size, UnitName(ctx, IsMetric(ctx)));
      break;
    case kModuleText: {
      // The modules write into a buffer of known size; what comes back is cut to the caller's.
      WCHAR offered[kCtxScratchChars] = {};
      Store(offered, kCtxScratchChars, View(text));
      EnvDecorationNotice notice{stringId, offered};
      FmBroadcastNotify(ctx, kFmNotifyDecorateLabel, &notice);
      offered[kCtxScratchChars - 1] = u'\0';
      Store(text, size, View(offered));
      break;
    }
    case kSizeRange:
      FormatSizeRange(ctx, stringId, text, size);
      break;
    case kCustomMediaName:
    default:
      break;
  }
}

WCHAR* EnvUseDecimalComma(WCHAR* text) {
  if (!text || !text[0]) return text;
  for (int i = lstrlenW(text) - 1; i >= 0 && text[i] != u'('; --i) {
    if (text[i] == u'.') text[i] = u',';
  }
  return text;
}

WCHAR* EnvFormatFixedPoint(WCHAR* out, int divisor, int value, DriverContext* ctx) {
  if (!out) return nullptr;
  // The magnitude is formatted and the sign put in front, so a negative value reads the same
  // as its positive counterpart with "-" (also when its integer part is 0).
  const bool negative = value < 0;
  const uint32_t magnitude = negative ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  int decimals = 0;
  for (int d = divisor; d > 1 && decimals < 5; d /= 10) ++decimals;
  char text[kEnvNumberChars];
  if (decimals >= 1 && decimals <= 4) {
    uint32_t div = 1;
    for (int i = 0; i < decimals; ++i) div *= 10;
    std::snprintf(text, sizeof text, "%s%lu.%0*lu", negative ? "-" : "", static_cast<unsigned long>(magnitude / div),
                  decimals, static_cast<unsigned long>(magnitude % div));
  } else {
    std::snprintf(text, sizeof text, "%ld", static_cast<long>(value));
  }
  Store(out, kEnvNumberChars, Ascii(text));
  if (EnvIsUsingDecimalComma(ctx)) EnvUseDecimalComma(out);
  return out;
}
