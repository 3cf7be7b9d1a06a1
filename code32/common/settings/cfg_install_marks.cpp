// Marks that an installation leaves in the settings file of the settings folder.
#include "ini_file.h"
#include "preset_list.h"
#include "settings_paths.h"

namespace {

constexpr WCHAR kBatchInstRstKey[] = u"BatchInstRst";

}  // namespace

int CfgHasBatchInstRst(DriverContext* ctx) {
  if (!ctx || !ctx->profile || !ctx->profile->settingsFileName) return 0;
  WCHAR path[MAX_PATH];
  if (!PathGetSettingsDir(path, MAX_PATH, ctx)) return 0;
  const int length = lstrlenW(path);
  if (length + 1 + lstrlenW(ctx->profile->settingsFileName) >= MAX_PATH) return 0;
  lstrcatW(path, u"\\");
  lstrcatW(path, ctx->profile->settingsFileName);
  const WCHAR* section = CfgPrinterSection(ctx);
  if (!section) return 0;
  WCHAR value[4] = {};
  return IniReadString(section, kBatchInstRstKey, u"", value, 4, path) > 0 ? 1 : 0;
}
