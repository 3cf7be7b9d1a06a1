// The settings file and section that the list operations address.
#include "settings_section.h"

#include <cstring>

#include "context_services.h"
#include "settings_paths.h"

bool CfgCopyPathText(const WCHAR* text, WCHAR (&out)[kCtxPathChars]) {
  out[0] = u'\0';
  if (!text || !text[0] || lstrlenW(text) >= kCtxPathChars) return false;
  lstrcpynW(out, text, kCtxPathChars);
  return true;
}

SettingsListFile CfgOpenSettingsList(DriverContext* ctx) {
  SettingsListFile list;
  if (!ctx || !ctx->workArea) return list;
  list.ok = CfgCopyPathText(PathGetSettingsIni(ctx), list.file) && CfgCopyPathText(CfgPrinterSection(ctx), list.section);
  return list;
}

int CfgEnterSection(DriverContext* ctx, const WCHAR* section, WCHAR (&outerSaved)[kCtxPathChars]) {
  // The name is cached on first use, so the real printer name is in the buffer from here on.
  WCHAR* buffer = ctx ? CfgPrinterSection(ctx) : nullptr;
  if (!buffer || !ctx->workArea) return 0;
  ContextWorkArea* wa = ctx->workArea;
  std::memcpy(outerSaved, wa->savedPrinterName, sizeof outerSaved);
  std::memcpy(wa->savedPrinterName, buffer, sizeof wa->savedPrinterName);
  lstrcpynW(buffer, section ? section : u"", kCtxPathChars);
  return 1;
}

void CfgLeaveSection(DriverContext* ctx, const WCHAR (&outerSaved)[kCtxPathChars]) {
  WCHAR* buffer = ctx ? CfgPrinterSection(ctx) : nullptr;
  if (!buffer || !ctx->workArea) return;
  ContextWorkArea* wa = ctx->workArea;
  std::memcpy(buffer, wa->savedPrinterName, sizeof wa->savedPrinterName);
  std::memcpy(wa->savedPrinterName, outerSaved, sizeof wa->savedPrinterName);
}
