// The settings file and section that the list operations address: the printer's section of the
// settings INI, copied aside, and a run of the serializer against another section placed in
// the printer-section buffer for the call.
#pragma once

#include "driver_context.h"

// The settings INI path and the printer section, copied so that later calls cannot move them;
// ok is false when either is missing or does not fit.
struct SettingsListFile {
  WCHAR file[kCtxPathChars] = {};
  WCHAR section[kCtxPathChars] = {};
  bool ok = false;
};
SettingsListFile CfgOpenSettingsList(DriverContext* ctx);
// A path or section name copied aside; false (out empty) for a missing, empty or too long text.
bool CfgCopyPathText(const WCHAR* text, WCHAR (&out)[kCtxPathChars]);

// Puts section into the printer-section buffer; the printer name waits in the saved-name buffer
// and that buffer's own content in outerSaved. 0 (nothing changed) without a buffer.
int CfgEnterSection(DriverContext* ctx, const WCHAR* section, WCHAR (&outerSaved)[kCtxPathChars]);
// Puts both buffers back as they were before CfgEnterSection.
void CfgLeaveSection(DriverContext* ctx, const WCHAR (&outerSaved)[kCtxPathChars]);

// Runs op with section in the printer-section buffer; both buffers are as before afterwards.
// 0 without a buffer (op is not run).
template <class Op>
int CfgWithSection(DriverContext* ctx, const WCHAR* section, Op op) {
  WCHAR outerSaved[kCtxPathChars];
  if (!CfgEnterSection(ctx, section, outerSaved)) return 0;
  const int result = op();
  CfgLeaveSection(ctx, outerSaved);
  return result;
}
