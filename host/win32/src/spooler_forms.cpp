// The spooler's built-in forms: the standard paper sizes, in the order of their paper numbers
// (form n is paper size n for the first 47), sizes in thousandths of a millimetre.
#include <cstring>

#include "record_packer.h"
#include "spooler_store.h"
#include "win32/hostpath.h"
#include "win32/hosttext.h"
#include "win32/spooler.h"

namespace {

struct Form {
  const char16_t* name;
  LONG width;
  LONG height;
};

const Form kForms[] = {
    {u"Letter", 215900, 279400},
    {u"Letter Small", 215900, 279400},
    {u"Tabloid", 279400, 431800},
    {u"Ledger", 431800, 279400},
    {u"Legal", 215900, 355600},
    {u"Statement", 139700, 215900},
    {u"Executive", 184150, 266700},
    {u"A3", 297000, 420000},
    {u"A4", 210000, 297000},
    {u"A4 Small", 210000, 297000},
    {u"A5", 148000, 210000},
    {u"B4 (JIS)", 257000, 364000},
    {u"B5 (JIS)", 182000, 257000},
    {u"Folio", 215900, 330200},
    {u"Quarto", 215000, 275000},
    {u"10x14", 254000, 355600},
    {u"11x17", 279400, 431800},
    {u"Note", 215900, 279400},
    {u"Envelope #9", 98425, 225425},
    {u"Envelope #10", 104775, 241300},
    {u"Envelope #11", 114300, 263525},
    {u"Envelope #12", 120650, 279400},
    {u"Envelope #14", 127000, 292100},
    {u"C size sheet", 431800, 558800},
    {u"D size sheet", 558800, 863600},
    {u"E size sheet", 863600, 1117600},
    {u"Envelope DL", 110000, 220000},
    {u"Envelope C5", 162000, 229000},
    {u"Envelope C3", 324000, 458000},
    {u"Envelope C4", 229000, 324000},
    {u"Envelope C6", 114000, 162000},
    {u"Envelope C65", 114000, 229000},
    {u"Envelope B4", 250000, 353000},
    {u"Envelope B5", 176000, 250000},
    {u"Envelope B6", 176000, 125000},
    {u"Envelope", 110000, 230000},
    {u"Envelope Monarch", 98425, 190500},
    {u"6 3/4 Envelope", 92075, 165100},
    {u"US Std Fanfold", 377825, 279400},
    {u"German Std Fanfold", 215900, 304800},
    {u"German Legal Fanfold", 215900, 330200},
    {u"B4 (ISO)", 250000, 353000},
    {u"Japanese Postcard", 100000, 148000},
    {u"9x11", 228600, 279400},
    {u"10x11", 254000, 279400},
    {u"15x11", 381000, 279400},
    {u"Envelope Invite", 220000, 220000},
    {u"A2", 420000, 594000},
    {u"A6", 105000, 148000},
    {u"B6 (JIS)", 128000, 182000},
};

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

void FillForm(zolt::host::RecordPacker& p, size_t index, const Form& f) {
  auto* info = p.Record<FORM_INFO_1W>(index);
  info->Flags = FORM_BUILTIN;
  info->pName = p.Text(f.name);
  info->Size = {f.width, f.height};
  info->ImageableArea = {0, 0, f.width, f.height};
}

}  // namespace

WIN32_API BOOL WINAPI EnumFormsW(HANDLE hPrinter, DWORD Level, LPBYTE pForm, DWORD cbBuf, LPDWORD pcbNeeded,
                                 LPDWORD pcReturned) {
  if (!pcReturned) return Fail(ERROR_INVALID_PARAMETER);
  *pcReturned = 0;
  if (!zolt::host::IsPrinterHandle(hPrinter)) return Fail(ERROR_INVALID_HANDLE);
  if (Level != 1) return Fail(ERROR_INVALID_LEVEL);
  constexpr size_t count = sizeof(kForms) / sizeof(kForms[0]);
  BOOL ok = zolt::host::PackRecords(sizeof(FORM_INFO_1W) * count, pForm, cbBuf, pcbNeeded,
                                    [](zolt::host::RecordPacker& p) {
                                      for (size_t i = 0; i < count; ++i) FillForm(p, i, kForms[i]);
                                    });
  if (ok) *pcReturned = DWORD(count);
  return ok;
}

WIN32_API BOOL WINAPI GetFormW(HANDLE hPrinter, LPWSTR pFormName, DWORD Level, LPBYTE pForm, DWORD cbBuf,
                               LPDWORD pcbNeeded) {
  if (!zolt::host::IsPrinterHandle(hPrinter)) return Fail(ERROR_INVALID_HANDLE);
  if (Level != 1) return Fail(ERROR_INVALID_LEVEL);
  std::u16string_view name = zolt::host::WideView(pFormName);
  for (const Form& f : kForms) {
    if (!zolt::host::NamesEqual(name, f.name)) continue;
    return zolt::host::PackRecords(sizeof(FORM_INFO_1W), pForm, cbBuf, pcbNeeded,
                                   [&](zolt::host::RecordPacker& p) { FillForm(p, 0, f); });
  }
  return Fail(ERROR_INVALID_FORM_NAME);
}
