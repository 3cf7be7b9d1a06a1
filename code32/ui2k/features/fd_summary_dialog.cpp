// The settings summary: the text of a summary control built from its line list, and the status
// dialog that shows it.
#include <algorithm>
#include <iterator>
#include <string_view>

#include "core_memory.h"
#include "env_language.h"
#include "fd_summary.h"
#include "fm_modules_5_8.h"
#include "fm_options_fonts.h"
#include "model_query.h"
#include "option_access.h"
#include "option_format.h"
#include "option_values.h"
#include "sheet_engine.h"

namespace {

constexpr uint16_t kDlgStatus = 1020;
constexpr uint16_t kCtlStatusList = 2248;
constexpr uint16_t kDlgOptions = 1011;
constexpr uint16_t kCtlTrayTable = 2166;

// Labels the walk treats itself.
enum : uint16_t {
  kLabelInstalledOptions = 13442,
  kLabelTrays = 13444,
  kLabelPaperUnitMm = 13440,
  kLabelPaperUnitInch = 13628,
  kStringTrayPaper = 13446,
  kStringTrayMedia = 13447,
  kStringTrayLock = 13448,
  kStringOn = 370,
  kStringOff = 371,
};
enum : uint16_t {
  kOptTray1Paper = 10175,  // zdmTray1Paper + tray code
  kOptTray1Media = 10207,  // zdmTray1Media + tray code
  kOptTrayLock0 = 10239,   // zdmTrayLock0 + tray code
};

constexpr WCHAR kEllipsis[] = u"\u30FB\u30FB\u30FB\u30FB\u30FBetc";
constexpr int kPieceChars = 512;

// The text being built: never written past its size, always terminated.
struct TextBuffer {
  WCHAR* text;
  int size;
  int length = 0;

  void Append(std::u16string_view piece) {
    const int room = size - 1 - length;
    const int n = std::min<int>(room, int(piece.size()));
    if (n > 0) std::copy_n(piece.data(), n, text + length);
    length += std::max(n, 0);
    text[length] = 0;
  }
  int Free() const { return size - length; }
};

void AppendString(DriverContext* ctx, TextBuffer& out, uint16_t stringId) {
  WCHAR piece[kPieceChars] = {};
  EnvLoadString(ctx, stringId, piece, kPieceChars, 1);
  out.Append(piece);
}

// The value text of an option: by its symbol's model item when it has one, else by its kind.
void AppendValue(DriverContext* ctx, TextBuffer& out, uint16_t optionId) {
  OptionEntry* row = OptFind(ctx, optionId);
  if (!row) return;
  WCHAR piece[kPieceChars] = {};
  const uint32_t kind = TypeKind(row->typeWord);
  if (OptIsAnsiTextKind(kind) || OptIsWideTextKind(kind)) {
    OptGetStringValue(ctx, row, piece, kPieceChars);
  } else if (row->nameIndex && OptFormatValue(ctx, row->nameIndex, piece, kPieceChars) > 0) {
  } else {
    wsprintfW(piece, u"%d", OptReadValue(ctx, row));
  }
  out.Append(piece);
}

void AppendLine(TextBuffer& out) { out.Append(u"\r\n"); }

// Label 13442: the label, then the item of every installable option that is on.
void AppendInstalledOptions(DriverContext* ctx, TextBuffer& out) {
  AppendString(ctx, out, kLabelInstalledOptions);
  for (const OptionComboRule* rule = OptGetOptionComboRules(); rule && rule->itemId; ++rule) {
    if (!OptIsComboRuleOn(ctx, rule)) continue;
    AppendLine(out);
    AppendString(ctx, out, uint16_t(rule->itemId));
  }
}

// Label 13444: the label, then four lines per tray of the tray table that is not disabled.
void AppendTrays(DriverContext* ctx, TextBuffer& out) {
  AppendString(ctx, out, kLabelTrays);
  DialogDescriptor* dialog = OptFindDialog(ctx, kDlgOptions);
  const ControlDescriptor* table = dialog ? OptFindControl(ctx, dialog, kCtlTrayTable) : nullptr;
  const ModelItem* item = table ? table->modelItem : nullptr;
  if (!item || !ctx->modelImage) return;
  const ModelImage* image = ctx->modelImage;
  for (const ModelValue* v = MdlImageAt<ModelValue>(image, item->values); v; v = MdlNextItemValue(image, item, v)) {
    const uint16_t valueId = UiGetItemValueId(ctx, item, v, nullptr);
    if (!valueId || UiIsValueDisabled(ctx, item, valueId)) continue;
    const uint16_t code = uint16_t(FmTrayCodeFromItemId(valueId));
    AppendLine(out);
    AppendString(ctx, out, valueId);
    AppendLine(out);
    AppendString(ctx, out, kStringTrayPaper);
    AppendString(ctx, out, uint16_t(OptGetUiValue(ctx, uint16_t(kOptTray1Paper + code), nullptr)));
    AppendLine(out);
    AppendString(ctx, out, kStringTrayMedia);
    AppendString(ctx, out, uint16_t(OptGetUiValue(ctx, uint16_t(kOptTray1Media + code), nullptr)));
    AppendLine(out);
    AppendString(ctx, out, kStringTrayLock);
    AppendString(ctx, out, OptGetValue(ctx, uint16_t(kOptTrayLock0 + code), nullptr) ? kStringOn : kStringOff);
  }
}

// The label and the value text of an ordinary line.
void AppendPlainLine(DriverContext* ctx, TextBuffer& out, const SummaryLine& line) {
  uint16_t label = line.label;
  if (label == kLabelPaperUnitMm || label == kLabelPaperUnitInch)
    label = OptIsLetterRegion(ctx) ? kLabelPaperUnitInch : kLabelPaperUnitMm;
  AppendString(ctx, out, label);
  if (!line.firstOption || OptGetUiValue(ctx, line.firstOption, nullptr) == 1) {
    if (line.secondOption) AppendValue(ctx, out, line.secondOption);
  } else {
    AppendValue(ctx, out, line.firstOption);
  }
}

int BuildFromLines(DriverContext* ctx, const SummaryLine* lines, int count, TextBuffer& out) {
  auto* counters = static_cast<FdSummaryCounters*>(CtxAllocMem(sizeof(FdSummaryCounters)));
  if (!counters) return 0;
  for (int i = 0; i < count; ++i) {
    const SummaryLine& line = lines[i];
    int empty = 0;
    if (!FdIsSummaryLineShown(ctx, &line, counters, &empty)) continue;
    if (!empty) {
      if (line.label == kLabelInstalledOptions) AppendInstalledOptions(ctx, out);
      else if (line.label == kLabelTrays) AppendTrays(ctx, out);
      else AppendPlainLine(ctx, out, line);
    }
    if (i + 1 == count) break;
    AppendLine(out);
    if (out.Free() < kFdSummaryReserve) {
      out.Append(kEllipsis);
      break;
    }
  }
  MdlFreeMem(counters);
  return out.length;
}

bool IsMultiLineEdit(HWND window) {
  WCHAR cls[16] = {};
  GetClassNameW(window, cls, int(std::size(cls)));
  return lstrcmpiW(cls, u"Edit") == 0 && (GetWindowLongW(window, GWL_STYLE) & ES_MULTILINE);
}

// Every backslash and "n" becomes CR LF; the text stays within its buffer.
void ExpandLineBreaks(WCHAR* text, int cch) {
  std::u16string expanded;
  for (const WCHAR* p = text; *p; ++p) {
    if (p[0] == u'\\' && p[1] == u'n') {
      expanded += u"\r\n";
      ++p;
    } else {
      expanded.push_back(*p);
    }
  }
  const int n = std::min<int>(int(expanded.size()), cch - 1);
  std::copy_n(expanded.data(), n, text);
  text[n] = 0;
}

}  // namespace

const SummaryLine* FdGetSummaryLines(const ControlDescriptor* control, int* count) {
  if (count) *count = 0;
  const uint16_t* aux = control ? UiGetControlAux(control, kFdSummaryAuxTag) : nullptr;
  // Lists and combo boxes use the same tag for their extras; only text controls carry lines.
  constexpr uint16_t kListKinds[] = {42, 43, 47, 48, 49, 50};
  if (!aux || aux[1] == 0 || std::find(std::begin(kListKinds), std::end(kListKinds), control->kind) != std::end(kListKinds))
    return nullptr;
  if (count) *count = aux[1];
  return reinterpret_cast<const SummaryLine*>(aux + 2);
}

int FdBuildSummaryText(DriverContext* ctx, DialogDescriptor*, ControlDescriptor* control, WCHAR* out, int cch) {
  if (!out || cch <= 0) return 0;
  out[0] = 0;
  if (!ctx || !control) return 0;
  TextBuffer text{out, cch};
  int count = 0;
  if (const SummaryLine* lines = FdGetSummaryLines(control, &count)) return BuildFromLines(ctx, lines, count, text);
  if (control->option) {
    OptGetStringValue(ctx, control->option, out, size_t(cch));
    return lstrlenW(out);
  }
  if (control->window) GetWindowTextW(control->window, out, cch);
  return lstrlenW(out);
}

void FdUpdateSummaryText(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control) {
  if (!ctx || !control) return;
  const int cch = FdGetSummaryLines(control, nullptr) ? kFdSummaryListChars : kFdSummaryPlainChars;
  auto* next = static_cast<WCHAR*>(CtxAllocMem(DWORD(cch) * sizeof(WCHAR)));
  auto* current = static_cast<WCHAR*>(CtxAllocMem(DWORD(cch) * sizeof(WCHAR)));
  if (next && current) {
    FdBuildSummaryText(ctx, dialog, control, next, cch);
    if (control->window) {
      if (IsMultiLineEdit(control->window)) ExpandLineBreaks(next, cch);
      GetWindowTextW(control->window, current, cch);
      if (lstrcmpW(next, current) != 0) SetWindowTextW(control->window, next);
    }
  }
  MdlFreeMem(next);
  MdlFreeMem(current);
}

int FdStatusDialogProc(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                       WPARAM, LPARAM) {
  if (message == WM_PAINT && control && control->controlId == kCtlStatusList) FdUpdateSummaryText(ctx, dialog, control);
  return 0;
}

int FmSummaryOnDialog(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                      WPARAM wParam, LPARAM lParam, void*) {
  if (!dialog || dialog->dialogId != kDlgStatus) return 0;
  return FdStatusDialogProc(ctx, dialog, control, message, wParam, lParam);
}
