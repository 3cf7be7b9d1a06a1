// Text edits and numeric edits. Typed text is outside input: a text is stored only as far as its
// option's field holds whole characters, and a number that cannot be held is taken back.
#include <algorithm>
#include <climits>
#include <cstring>

#include "env_language.h"
#include "option_context_words.h"
#include "option_values.h"
#include "sheet_kinds.h"

using namespace sheet_kinds;

namespace {

constexpr uint32_t kControlKeepBlanks = 0x00800000u;
constexpr int kText260Bytes = 260;
constexpr int kSuffixChars = 16;
constexpr int32_t kMetricIntegerLimit = 45455070;  // whole millimetres that still fit the dots
constexpr int32_t kInchIntegerLimit = 1789569;     // whole inches
constexpr uint16_t kOptDisplayUnit = 171;          // zdmDspUnit

bool IsWideKind(uint32_t kind) { return kind == 8 || kind == 11; }
bool IsStringOption(const OptionEntry* option) { return TypeBlock(option->typeWord) != 0; }
size_t Length(const WCHAR* text) { return std::char_traits<WCHAR>::length(text); }

// In place: every CR LF becomes the two characters "\n".
void CrLfToEscape(WCHAR* text) {
  for (WCHAR* p = text; p[0]; ++p)
    if (p[0] == u'\r' && p[1] == u'\n') p[0] = u'\\', p[1] = u'n';
}
// In place: every "\n" pair becomes CR LF.
void EscapeToCrLf(WCHAR* text) {
  for (WCHAR* p = text; p[0]; ++p)
    if (p[0] == u'\\' && p[1] == u'n') p[0] = u'\r', p[1] = u'\n';
}

// The text as the option's field will hold it: through the system code page, cut at `limit`
// bytes without splitting a double-byte character. Wide fields keep their text and are cut at
// `limit` characters.
void FitToField(WCHAR* text, int textChars, int limit, bool wide) {
  if (limit < 0) limit = 0;
  if (wide) {
    if (int(Length(text)) > limit) text[limit] = 0;
    return;
  }
  char ansi[kTextChars * 2 + 2];
  int bytes = WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, int(sizeof ansi), nullptr, nullptr);
  if (bytes <= 0) {
    text[0] = 0;
    return;
  }
  bytes -= 1;  // without the terminator
  int cut = 0;
  while (cut < bytes) {
    const int step = (IsDBCSLeadByte(BYTE(ansi[cut])) && cut + 1 < bytes) ? 2 : 1;
    if (cut + step > limit) break;
    cut += step;
  }
  ansi[cut] = 0;
  const int n = MultiByteToWideChar(CP_ACP, 0, ansi, -1, text, textChars);
  if (n <= 0) text[0] = 0;
  text[textChars - 1] = 0;
}

bool IsBlank(WCHAR c) { return c == u' ' || c == u'\t' || c == u'\x3000'; }

void TrimBlanks(WCHAR* text) {
  size_t n = Length(text);
  while (n > 0 && IsBlank(text[n - 1])) text[--n] = 0;
  size_t start = 0;
  while (start < n && IsBlank(text[start])) ++start;
  if (start) std::memmove(text, text + start, (n - start + 1) * sizeof(WCHAR));
}

// The field size in characters (terminator included) of a text option.
int FieldChars(const OptionEntry* option) {
  const int size = int(TypeSize(option->typeWord));
  return IsWideKind(TypeKind(option->typeWord)) ? size / 2 : size;
}

int DisplayDivisor(DriverContext* ctx) { return OptIsMetric(ctx) ? 10 : 100; }

int Divisor(DriverContext* ctx, const ControlDescriptor* control) {
  if (IsDisplayUnit(control)) return DisplayDivisor(ctx);
  const ModelNumericValue* rec = NumericRecord(ctx, control);
  return rec ? rec->divisor : 0;
}

// The unit suffix of the control's Numeric value (kSuffixChars at most).
void UnitSuffix(DriverContext* ctx, const ControlDescriptor* control, WCHAR* out) {
  out[0] = 0;
  const ModelNumericValue* rec = NumericRecord(ctx, control);
  if (!rec || !rec->unitLabel) return;
  WCHAR text[kTextChars];
  LoadText(ctx, rec->unitLabel, text);
  const size_t n = std::min<size_t>(Length(text), kSuffixChars);
  std::memcpy(out, text, n * sizeof(WCHAR));
  out[n] = 0;
}

// The whole units a typed text carries before its decimal separator (saturated).
int64_t IntegerPart(const WCHAR* text, DriverContext* ctx) {
  const WCHAR separator = OptUsesDecimalComma(ctx) ? u',' : u'.';
  const WCHAR* p = text;
  while (*p && !(*p >= u'0' && *p <= u'9') && *p != separator) ++p;
  int64_t value = 0;
  for (; *p >= u'0' && *p <= u'9'; ++p) value = std::min<int64_t>(value * 10 + (*p - u'0'), INT64_C(1) << 40);
  return value;
}

// The typed value of a numeric edit in the option's unit (dots for display-unit controls).
int32_t TypedValue(DriverContext* ctx, const ControlDescriptor* control, const WCHAR* text) {
  const int32_t typed = UiParseNumber(text, Divisor(ctx, control), ctx);
  return IsDisplayUnit(control) ? OptFromDisplayUnits(ctx, 0, typed) : typed;
}

// The formatted text of a value in the control's unit, with the unit suffix.
void FormatValue(DriverContext* ctx, const ControlDescriptor* control, int32_t shown, WCHAR* out) {
  WCHAR number[kEnvNumberChars];
  EnvFormatFixedPoint(number, Divisor(ctx, control), shown, ctx);
  WCHAR suffix[kSuffixChars + 1];
  UnitSuffix(ctx, control, suffix);
  const size_t a = Length(number), b = Length(suffix);
  std::memcpy(out, number, a * sizeof(WCHAR));
  std::memcpy(out + a, suffix, (b + 1) * sizeof(WCHAR));
}

// Asks the modules; the answer when one answered, else `fallback`.
int32_t AskModules(DriverContext* ctx, DWORD code, ControlDescriptor* control, int32_t value, int32_t fallback,
                   bool* answered = nullptr) {
  UiEditValueNotice notice{control, value, 0};
  FmBroadcastNotify(ctx, code, &notice);
  if (answered) *answered = notice.answered != 0;
  return notice.answered ? notice.value : fallback;
}

struct SignedEditScope {
  DriverContext* ctx;
  SignedEditScope(DriverContext* c, const ControlDescriptor* control) : ctx(c) { CtxSetSignedEditOption(c, control); }
  ~SignedEditScope() { CtxClearSignedEditOption(ctx); }
};

bool IsSignedLength(const OptionEntry* option) {
  return (option->flags & kOptFlagDecimalLength) && (option->flags & kOptFlagNegativeLength);
}

}  // namespace

// ---- text edits ------------------------------------------------------------------------------------

int UiInitTextEdit(DriverContext* ctx, DialogDescriptor*, ControlDescriptor* control) {
  if (!ctx || !control || !control->option || !control->window) return 0;
  int limit;
  if (const ModelStringValue* rec = StringRecord(ctx, control)) {
    limit = rec->maxChars;
    if (limit > kText260Bytes && (control->flags & kControlText260)) limit = kText260Bytes;
    if (rec->displayAttr == kStrPassword) SendMessageW(control->window, EM_SETPASSWORDCHAR, u'*', 0);
  } else {
    limit = FieldChars(control->option) - 1;
  }
  // A limit of 0 would lift the limit altogether.
  SendMessageW(control->window, EM_LIMITTEXT, WPARAM(std::max(limit, 1)), 0);
  return 1;
}

void UiRefreshTextEdit(DriverContext* ctx, DialogDescriptor*, ControlDescriptor* control) {
  if (!ctx || !control || !control->option || !control->window) return;
  if (UiGetControlAux(control, kAuxComboExtras)) return;
  WCHAR text[kTextChars], shown[kTextChars];
  GetWindowTextW(control->window, shown, kTextChars);
  if (!IsStringOption(control->option)) return;
  if (!OptGetStringValue(ctx, control->option, text, kTextChars)) return;
  if (GetWindowLongW(control->window, GWL_STYLE) & ES_MULTILINE) EscapeToCrLf(text);
  if (std::char_traits<WCHAR>::compare(text, shown, Length(text) + 1) != 0) SetWindowTextW(control->window, text);
}

int UiTextEditCommand(DriverContext* ctx, DialogDescriptor*, ControlDescriptor* control, WPARAM wParam,
                      LPARAM lParam) {
  if (!ctx || !control || !control->option || !control->window || !IsStringOption(control->option)) return 0;
  const WORD code = UiGetCommandCode(wParam, lParam);
  OptionEntry* option = control->option;
  const bool wide = IsWideKind(TypeKind(option->typeWord));
  WCHAR text[kTextChars];
  if (code == EN_KILLFOCUS) {
    const int chars = std::min(FieldChars(option) + 1, kTextChars);
    GetWindowTextW(control->window, text, chars);
    CrLfToEscape(text);
    const size_t before = Length(text);
    if (!(control->flags & kControlKeepBlanks)) TrimBlanks(text);
    if (Length(text) != before) {
      OptSetStringValue(ctx, option, text);
      OptGetStringValue(ctx, option, text, kTextChars);
      if (GetWindowLongW(control->window, GWL_STYLE) & ES_MULTILINE) EscapeToCrLf(text);
      SetWindowTextW(control->window, text);
    }
    return 0;
  }
  if (code != EN_CHANGE && code != EN_UPDATE) return 0;
  GetWindowTextW(control->window, text, kTextChars);
  CrLfToEscape(text);
  const int limit = (control->flags & kControlText260) ? kText260Bytes : FieldChars(option) - 1;
  FitToField(text, kTextChars, limit, wide);
  WCHAR stored[kTextChars];
  if (!OptGetStringValue(ctx, option, stored, kTextChars)) stored[0] = 0;
  if (std::char_traits<WCHAR>::compare(text, stored, Length(text) + 1) != 0) OptSetStringValue(ctx, option, text);
  return 1;
}

// ---- numeric edits -----------------------------------------------------------------------------------

int UiParseNumber(const WCHAR* text, int divisor, DriverContext* ctx) {
  if (!text) return 0;
  int decimals = 0;
  for (int d = divisor; d >= 10 && d % 10 == 0; d /= 10) ++decimals;
  const WCHAR separator = OptUsesDecimalComma(ctx) ? u',' : u'.';
  const WCHAR* p = text;
  bool negative = false;
  while (*p && !(*p >= u'0' && *p <= u'9')) {
    if (*p == u'-') negative = true;
    ++p;
  }
  if (!*p) return 0;
  constexpr int64_t kCap = INT64_C(1) << 40;  // far past any int, small enough not to overflow
  int64_t value = 0;
  for (; *p >= u'0' && *p <= u'9'; ++p) value = std::min(value * 10 + (*p - u'0'), kCap);
  int taken = 0;
  if (*p == separator)
    for (++p; taken < decimals && *p >= u'0' && *p <= u'9'; ++p, ++taken) value = std::min(value * 10 + (*p - u'0'), kCap);
  for (; taken < decimals; ++taken) value = std::min(value * 10, kCap);
  if (negative) value = -value;
  return int(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

int UiInitNumberEdit(DriverContext* ctx, DialogDescriptor*, ControlDescriptor* control) {
  if (!ctx || !control || !control->window) return 0;
  SignedEditScope scope(ctx, control);
  int limit = 6;
  if (const ModelNumericValue* rec = NumericRecord(ctx, control)) {
    WCHAR suffix[kSuffixChars + 1];
    UnitSuffix(ctx, control, suffix);
    limit = rec->maxChars + int(Length(suffix));
  }
  SendMessageW(control->window, EM_LIMITTEXT, WPARAM(std::max(limit, 1)), 0);
  return 1;
}

void UiRefreshNumberEdit(DriverContext* ctx, DialogDescriptor*, ControlDescriptor* control) {
  if (!ctx || !control || !control->option || !control->window) return;
  SignedEditScope scope(ctx, control);
  const bool display = IsDisplayUnit(control);
  WCHAR shown[kTextChars];
  GetWindowTextW(control->window, shown, kTextChars);
  bool empty = shown[0] == 0;
  if (display) {
    const OptionEntry* unit = OptFind(ctx, kOptDisplayUnit);
    if (unit && (unit->stateBits & kStateChangedMask)) empty = true;
  }
  int32_t typed = empty ? 0 : TypedValue(ctx, control, shown);
  int32_t current = AskModules(ctx, kNotifyEditCurrent, control, 0, OptGetControlValue(ctx, control));
  if (display && !OptIsMetric(ctx) && !empty) {
    bool inDisplayUnits = false;
    AskModules(ctx, kNotifyInchCompare, control, typed, 0, &inDisplayUnits);
    if (inDisplayUnits) {
      typed = UiParseNumber(shown, Divisor(ctx, control), ctx);
      current = OptToDisplayUnits(ctx, 0, current);
      if (typed == current) return;
      current = OptFromDisplayUnits(ctx, 0, current);
    }
  }
  const bool focused = GetFocus() == control->window;
  const bool changed = (control->option->stateBits & kStateChangedMask) != 0;
  if (!((empty && !focused) || (changed && !focused) || typed != current)) return;
  int32_t value = current;
  if (display) {
    const ModelNumericValue* rec = NumericRecord(ctx, control);
    if (rec && empty && IsShown(control) && (value > rec->maximum || value < rec->minimum)) {
      value = value > rec->maximum ? rec->maximum : rec->minimum;
      OptWriteUiValue(ctx, control->option, uint32_t(value));
    }
    const bool inRange = !rec || (value >= rec->minimum && value <= rec->maximum);
    value = OptToDisplayUnits(ctx, 0, value);
    int32_t lo = 0, hi = 0;
    if (inRange && OptGetControlRange(ctx, control, &lo, &hi)) value = std::clamp(value, std::min(lo, hi), hi);
  }
  WCHAR text[kEnvNumberChars + kSuffixChars + 1];
  FormatValue(ctx, control, value, text);
  if (std::char_traits<WCHAR>::compare(text, shown, Length(text) + 1) != 0) SetWindowTextW(control->window, text);
}

int UiNumberEditCommand(DriverContext* ctx, DialogDescriptor*, ControlDescriptor* control, WPARAM wParam,
                        LPARAM lParam) {
  if (!ctx || !control || !control->option || !control->window || !IsShown(control)) return 0;
  SignedEditScope scope(ctx, control);
  const WORD code = UiGetCommandCode(wParam, lParam);
  const uint32_t kind = OptionKind(control);
  WCHAR text[kTextChars];
  if (code == EN_CHANGE && kind >= 1 && kind <= 6) {
    GetWindowTextW(control->window, text, kTextChars);
    const int32_t typed = TypedValue(ctx, control, text);
    if (IsDisplayUnit(control)) {
      const int64_t whole = IntegerPart(text, ctx);
      const bool tooLong = whole > (OptIsMetric(ctx) ? kMetricIntegerLimit : kInchIntegerLimit);
      const bool misfit = (kind == 2 && typed > 0x7FFF) || (kind == 5 && typed > 0xFFFF) ||
                          (typed < 0 && !IsSignedLength(control->option));
      if (tooLong || misfit) {
        PostMessageW(control->window, WM_CHAR, 8, 0);
        return 1;
      }
    }
    if (typed == OptGetControlValue(ctx, control)) return 0;
    UiEditValueNotice notice{control, typed, 0};
    FmBroadcastNotify(ctx, kNotifyEditTyped, &notice);
    OptWriteUiValue(ctx, control->option, uint32_t(typed));
    return 1;
  }
  if (code == EN_UPDATE) {
    const ModelNumericValue* rec = NumericRecord(ctx, control);
    if (!rec) return 0;
    GetWindowTextW(control->window, text, kTextChars);
    WCHAR suffix[kSuffixChars + 1];
    UnitSuffix(ctx, control, suffix);
    const size_t n = Length(text), s = Length(suffix);
    int limit = rec->maxChars;
    if (s && n >= s && std::char_traits<WCHAR>::compare(text + n - s, suffix, s) == 0) limit += int(s);
    SendMessageW(control->window, EM_LIMITTEXT, WPARAM(std::max(limit, 1)), 0);
    return 1;
  }
  return 0;
}

int UiNumberEditMessage(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, UINT msg, WPARAM,
                        LPARAM) {
  if (msg != WM_KILLFOCUS || !ctx || !control || !control->option || !control->window) return 0;
  if (!NumericRecord(ctx, control)) return 0;
  SignedEditScope scope(ctx, control);
  WCHAR text[kTextChars];
  GetWindowTextW(control->window, text, kTextChars);
  const int32_t current = OptGetControlValue(ctx, control);
  int32_t typed = TypedValue(ctx, control, text);
  if (IsDisplayUnit(control)) {
    WCHAR formatted[kEnvNumberChars + kSuffixChars + 1];
    FormatValue(ctx, control, OptToDisplayUnits(ctx, 0, current), formatted);
    if (std::char_traits<WCHAR>::compare(text, formatted, Length(formatted) + 1) == 0) typed = current;
  }
  bool answered = false;
  const int32_t compare = AskModules(ctx, kNotifyEditLeave, control, typed, current, &answered);
  if (typed != compare) {
    if (answered) AskModules(ctx, kNotifyEditStored, control, typed, 0);
    OptWriteUiValue(ctx, control->option, uint32_t(typed));
  }
  UiApplyControlChange(ctx, dialog, control, 0, 0);
  if (IsDisplayUnit(control) && dialog && (dialog->dialogId == 1017 || dialog->dialogId == 1041)) {
    int32_t lo = 0, hi = 0;
    if (OptGetControlRange(ctx, control, &lo, &hi)) {
      const int32_t stored = OptGetControlValue(ctx, control);
      const int32_t shown = OptToDisplayUnits(ctx, 0, stored);
      const int32_t clamped = std::clamp(shown, std::min(lo, hi), hi);
      if (clamped != shown) {
        const int32_t dots = OptFromDisplayUnits(ctx, 0, clamped);
        AskModules(ctx, kNotifyEditStored, control, dots, 0);
        OptWriteUiValue(ctx, control->option, uint32_t(dots));
      }
    }
  }
  control->option->stateBits = uint16_t((control->option->stateBits & ~kStateChangedMask) | 1);
  InvalidateRect(control->window, nullptr, TRUE);
  return 0;
}
