// DevQueryPrintEx: whether a queued job can print as set up. The job's device mode is merged into
// the printer's settings and its paper is matched against the spooler's forms; the match writes
// the form's exact size, number and name into the job's device mode. A job is refused only when
// its device mode cannot be merged.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "device_caps.h"
#include "devmode_fields.h"
#include "devmode_merge.h"
#include "devmode_public.h"
#include "ui_entry.h"
#include "csr_cleanup.h"
#include "user_sync.h"

namespace {

// Public fields of the job's device mode, read and written only inside its own dmSize.
constexpr DWORD kAtPaperSize = 78;
constexpr DWORD kAtPaperLength = 80;
constexpr DWORD kAtPaperWidth = 82;
constexpr DWORD kAtDefaultSource = 88;
constexpr DWORD kAtFormName = 102;
constexpr int kFormNameChars = 32;

struct PublicFields {
  BYTE* dm;
  DWORD size;
  explicit PublicFields(void* record) : dm(static_cast<BYTE*>(record)), size(dm ? DWORD(dm[68] | dm[69] << 8) : 0) {}
  bool Has(DWORD at, DWORD bytes) const { return dm && at + bytes <= size; }
  DWORD Fields() const { return Has(kDmPubFields, 4) ? dm[72] | dm[73] << 8 | dm[74] << 16 | DWORD(dm[75]) << 24 : 0; }
  void SetFields(DWORD v) {
    if (Has(kDmPubFields, 4))
      for (int i = 0; i < 4; ++i) dm[72 + i] = static_cast<BYTE>(v >> (8 * i));
  }
  int16_t Short(DWORD at) const { return Has(at, 2) ? static_cast<int16_t>(dm[at] | dm[at + 1] << 8) : 0; }
  void SetShort(DWORD at, int32_t v) {
    if (!Has(at, 2)) return;
    dm[at] = static_cast<BYTE>(v);
    dm[at + 1] = static_cast<BYTE>(static_cast<uint32_t>(v) >> 8);
  }
  // dmFormName up to its terminator or its 32 characters.
  std::u16string FormName() const {
    std::u16string name;
    for (int i = 0; i < kFormNameChars && Has(kAtFormName + 2 * i, 2); ++i) {
      char16_t c = static_cast<char16_t>(dm[kAtFormName + 2 * i] | dm[kAtFormName + 2 * i + 1] << 8);
      if (!c) break;
      name.push_back(c);
    }
    return name;
  }
  void SetFormName(const WCHAR* name) {
    if (!Has(kAtFormName, 2 * kFormNameChars)) return;
    std::memset(dm + kAtFormName, 0, 2 * kFormNameChars);
    for (int i = 0; name && name[i] && i < kFormNameChars - 1; ++i) {
      dm[kAtFormName + 2 * i] = static_cast<BYTE>(name[i]);
      dm[kAtFormName + 2 * i + 1] = static_cast<BYTE>(name[i] >> 8);
    }
  }
};

void CopyForm(const FORM_INFO_1W& form, UiJobForm* record) {
  record->form = form;
  std::memset(record->name, 0, sizeof record->name);
  for (int i = 0; form.pName && form.pName[i] && i < kFormNameChars; ++i) record->name[i] = form.pName[i];
  record->form.pName = record->name;
}

void AppendText(std::u16string& out, std::u16string_view text) { out.append(text); }
void AppendAnsi(std::u16string& out, const char* text) {
  for (; *text; ++text) out.push_back(static_cast<unsigned char>(*text));
}

}  // namespace

FORM_INFO_1W* UiEnumForms(HANDLE printer, DWORD* count) {
  *count = 0;
  DWORD needed = 0, returned = 0;
  if (EnumFormsW(printer, 1, nullptr, 0, &needed, &returned) || GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
      needed == 0)
    return nullptr;
  auto* forms = static_cast<FORM_INFO_1W*>(CtxAllocMem(needed));
  if (!forms) return nullptr;
  if (!EnumFormsW(printer, 1, reinterpret_cast<LPBYTE>(forms), needed, &needed, &returned) || returned == 0) {
    MdlFreeMem(forms);
    return nullptr;
  }
  *count = returned;
  return forms;
}

int UiMatchJobForm(HANDLE printer, DEVMODEW* dm, UiJobForm* record) {
  DWORD count = 0;
  FORM_INFO_1W* forms = UiEnumForms(printer, &count);
  if (!forms) return kUiFormMissing;
  struct Free {
    void* p;
    ~Free() { MdlFreeMem(p); }
  } release{forms};
  PublicFields job(dm);
  const DWORD fields = job.Fields();
  int found = -1;
  const int16_t length = job.Short(kAtPaperLength), width = job.Short(kAtPaperWidth);
  if ((fields & kDmFieldPaperLength) && (fields & kDmFieldPaperWidth) && length > 0 && width > 0) {
    const LONG w = width * 100, l = length * 100;  // 0.1 mm to 0.001 mm
    for (DWORD i = 0; i < count && found < 0; ++i)
      if (std::labs(w - forms[i].Size.cx) <= 1000 && std::labs(l - forms[i].Size.cy) <= 1000) found = int(i);
    if (found < 0) {
      std::memset(record, 0, sizeof *record);
      record->form.Flags = FORM_USER;
      record->form.pName = record->name;
      record->form.Size = {w, l};
      record->form.ImageableArea = {0, 0, w, l};
      return kUiFormCustom;
    }
  } else if (fields & kDmFieldPaperSize) {
    const int16_t paper = job.Short(kAtPaperSize);
    if (paper > 0 && DWORD(paper) <= count) found = paper - 1;
  } else if (fields & kDmFieldFormName) {
    const std::u16string name = job.FormName();
    for (DWORD i = 0; i < count && found < 0; ++i)
      if (forms[i].pName && name == forms[i].pName) found = int(i);
  }
  if (found < 0) return kUiFormMissing;
  const FORM_INFO_1W& form = forms[found];
  CopyForm(form, record);
  job.SetShort(kAtPaperWidth, form.Size.cx / 100);
  job.SetShort(kAtPaperLength, form.Size.cy / 100);
  job.SetShort(kAtPaperSize, found + 1);
  job.SetFields(job.Fields() | kDmFieldFormName);
  job.SetFormName(form.pName);
  return kUiFormFound;
}

const void* UiFindFormPaper(const WCHAR*, DriverContext*) { return nullptr; }

int UiFormFitsModelPaper(const UiJobForm* record, int, int flag, DriverContext* ctx) {
  if (!UiFindFormPaper(record->name, ctx)) {
    if (!(record->form.Flags & FORM_BUILTIN)) return 1;
    if (flag && (record->form.Flags & FORM_PRINTER)) return 0;
  }
  const int n = DmCapsPaperSizes(ctx, nullptr, kCapsPaperSetting);
  if (n <= 0) return 0;
  std::vector<POINT> papers(static_cast<size_t>(n));
  const int got = DmCapsPaperSizes(ctx, papers.data(), kCapsPaperSetting);
  papers.resize(got > 0 ? static_cast<size_t>(got) : 0);
  const LONG cx = record->form.Size.cx, cy = record->form.Size.cy;
  for (const POINT& p : papers)
    if (std::labs(p.x * 100 - cx) <= 1 && std::labs(p.y * 100 - cy) <= 1) return 1;
  for (const POINT& p : papers)
    if (p.x * 100 >= cx && p.y * 100 >= cy) return 1;
  return 0;
}

int UiCheckJobForm(DEVQUERYPRINT_INFO* info, BYTE* devMode, DriverContext* ctx) {
  UiJobForm record{};
  switch (UiMatchJobForm(info->hPrinter, info->pDevMode, &record)) {
    case kUiFormCustom:
      UiFormFitsModelPaper(&record, 0, 0, ctx);
      break;
    case kUiFormFound: {
      PublicFields working(devMode);
      const int16_t source = working.Short(kAtDefaultSource);
      if ((working.Fields() & kDmFieldDefaultSource) && (source == DMBIN_MANUAL || source == DMBIN_ENVMANUAL))
        UiFormFitsModelPaper(&record, 0, 0, ctx);
      else
        UiFindFormPaper(record.name, ctx);
      break;
    }
    default:
      break;
  }
  // A form that does not fit is not a reason to hold the job.
  return 1;
}

int UiDevQueryCheckJob(DEVQUERYPRINT_INFO*, BYTE*, DriverContext*) { return 1; }

BOOL UiQueryPrintEx(DEVQUERYPRINT_INFO* info) {
  if (!info) return FALSE;
  if (!info->pDevMode) return TRUE;
  UiEntryBracket bracket(info->hPrinter);
  BOOL result = TRUE;
  if (bracket.Sync(1) == 1) {
    DriverContext* ctx = CtxCreate(info->hPrinter, info->hPrinter, nullptr, kCtxModeUi, bracket.pi2(), bracket.di2(),
                                   bracket.di3());
    result = ctx && DmMergeIncoming(ctx, info->pDevMode, 0x8000008) &&
                     UiCheckJobForm(info, CtxGetDevMode(ctx), ctx) && UiDevQueryCheckJob(info, CtxGetDevMode(ctx), ctx)
                 ? TRUE
                 : FALSE;
    if (ctx) CtxRelease(ctx);
  }
  return result;
}

int UiFormatErrorText(HMODULE module, WCHAR* out, int outSize, int* needed, const WCHAR* format, ...) {
  std::u16string text;
  va_list args;
  va_start(args, format);
  for (const WCHAR* p = format; p && *p; ++p) {
    if (*p != u'%' || !p[1]) {
      text.push_back(*p);
      continue;
    }
    const WCHAR kind = *++p;
    char number[32];
    switch (kind) {
      case u'!': {
        WCHAR resource[257] = {};
        LoadStringW(module, va_arg(args, UINT), resource, 257);
        AppendText(text, resource);
        break;
      }
      case u'c':
        text.push_back(static_cast<WCHAR>(va_arg(args, int)));
        break;
      case u'd':
        std::snprintf(number, sizeof number, "%ld", static_cast<long>(va_arg(args, LONG)));
        AppendAnsi(text, number);
        break;
      case u'u':
        std::snprintf(number, sizeof number, "%lu", static_cast<unsigned long>(va_arg(args, DWORD)));
        AppendAnsi(text, number);
        break;
      case u'x':
        std::snprintf(number, sizeof number, "%lx", static_cast<unsigned long>(va_arg(args, DWORD)));
        AppendAnsi(text, number);
        break;
      case u'X':
        std::snprintf(number, sizeof number, "%lX", static_cast<unsigned long>(va_arg(args, DWORD)));
        AppendAnsi(text, number);
        break;
      case u's': {
        const WCHAR* s = va_arg(args, const WCHAR*);
        if (s) AppendText(text, s);
        break;
      }
      default:
        text.push_back(kind);
        break;
    }
  }
  va_end(args);
  if (needed) *needed = static_cast<int>(text.size()) + 1;
  if (!out || outSize <= 0) return 0;
  const size_t written = text.size() < size_t(outSize - 1) ? text.size() : size_t(outSize - 1);
  std::memcpy(out, text.data(), written * sizeof(WCHAR));
  out[written] = 0;
  return static_cast<int>(written);
}
