// Deployment of driver files: installation files listed in the driver defaults and the companion
// libraries copied into the system directory when the spooler refreshes its driver cache.
#include "deploy_files.h"

#include "core_memory.h"
#include "env_system.h"
#include "ini_file.h"
#include "path_files.h"
#include "admin_install.h"
#include "env_language.h"
#include "scenario_install.h"
#include "scenario_package.h"
#include "settings_paths.h"
#include "ui_services.h"

namespace {

constexpr DriverFileRow kDriverFiles[] = {
    {1, u"qv4mon.dll"},   {1, u"QVINSTPR.dll"}, {1, u"Q411dat.dll"},  {1, u"QVDB32.dll"},
    {1, u"MFQvres.dll"},  {1, u"qv4manNT.dll"}, {1, u"QvB64.dll"},    {1, u"QvFmtA.dll"},
    {1, u"QvTrkID.dll"},  {1, u"zoltecl.dll"},  {1, u"qvdrvlog.dll"}, {1, u"qvdrvinf.dll"},
    {1, u"QVPKUI.exe"},   {1, u"QVJC32.dll"},   {1, u"QVPRINT.dll"},  {1, u"QV00C140.dll"},
    {2, u"qv4mon.dll"},   {2, u"QVINSTPR.dll"}, {2, u"Q411dat.dll"},  {2, u"QVDB32.dll"},
    {2, u"MFQvres.dll"},  {2, u"qv4manNT.dll"}, {2, u"QvB64.dll"},    {2, u"QvFmtA.dll"},
    {2, u"QvTrkID.dll"},  {2, u"zoltecl.dll"},  {2, u"qvdrvlog.dll"}, {2, u"qvdrvinf.dll"},
    {2, u"QVPKUI.exe"},   {2, u"QVJC32.dll"},   {2, u"QVPRINT.dll"},  {0, nullptr},
};

constexpr UINT kNoInstallList = 0xFFFF;
constexpr UINT kMostInstallFiles = 0xFFFE;
constexpr short kCopyWhenNewer = 2;

}  // namespace

const DriverFileRow* OptGetDriverFileTable() { return kDriverFiles; }

int CfgDeployInstallFiles(const WCHAR* driverIni, const WCHAR* section, DriverContext* ctx) {
  if (!driverIni || !section) return 1;
  const UINT count = IniReadInt(section, u"NumInstallfiles", static_cast<int>(kNoInstallList), driverIni);
  if (count == kNoInstallList || count == 0) return 1;
  for (UINT n = 1; n <= count && n <= kMostInstallFiles; ++n) {
    WCHAR key[32];
    wsprintfW(key, u"Installfiles%u", n);
    WCHAR name[MAX_PATH] = {};
    IniReadString(section, key, u"", name, MAX_PATH, driverIni);
    if (!name[0]) continue;
    WCHAR target[MAX_PATH];
    lstrcpynW(target, name, MAX_PATH);
    if (!PathExpandInstallNameForSystem(target, MAX_PATH, ctx)) continue;
    // The driver directory holds the file under its own name, without the listed folder part.
    PathDeployFileEx(target, PathGetFileName(name), kCopyWhenNewer, ctx, kCompareNotNewer);
  }
  return 1;
}

int CfgCopyDriverFilesToSystem(HANDLE printer) {
  auto* di3 = static_cast<DRIVER_INFO_3W*>(PrnGetDriverInfo(printer, 3));
  if (!di3) return 0;
  WCHAR source[MAX_PATH] = {};
  if (di3->pDriverPath) lstrcpynW(source, di3->pDriverPath, MAX_PATH);
  MdlFreeMem(di3);
  WCHAR* cut = nullptr;
  for (WCHAR* c = source; *c; ++c)
    if (*c == u'\\') cut = c;
  if (!cut) return 0;
  cut[1] = u'\0';
  WCHAR destination[MAX_PATH] = {};
  if (!PathInSystemDir(destination, MAX_PATH, u"") || !destination[0]) return 0;

  const HANDLE token = UiRevertToPrinterSelf();
  int result = 0;
  for (const DriverFileRow* row = OptGetDriverFileTable(); row->name; ++row)
    if (row->kind == 2 && row->name[0]) result = PathCopyBetweenFolders(row->name, source, destination, kCopyWhenNewer);
  const DriverProfile* profile = CtxGetTemplate()->profile;
  for (const WCHAR* name : {profile->companionLibraryName, profile->settingsModuleName})
    if (name && name[0]) result = PathCopyBetweenFolders(name, source, destination, kCopyWhenNewer);
  if (token) UiImpersonatePrinterClient(token);
  return result ? result : 1;
}

namespace {

// A file named by the driver defaults: an absolute name is deployed from the driver directory to
// its path; on Windows 2000 and later the driver-directory path is used as it stands; before,
// the file is copied into the system directory and that copy is used. The path into out.
int PlaceNamedFile(const WCHAR* name, WCHAR (&out)[MAX_PATH], DriverContext* ctx) {
  out[0] = u'\0';
  if (!name || !name[0]) return 0;
  if (name[1] == u':') {
    lstrcpynW(out, name, MAX_PATH);
    return PathDeployFile(out, nullptr, kCopyWhenNewer, ctx);
  }
  const WCHAR* fileName = PathGetFileName(name);
  if (EnvIsWin2000OrLater()) {
    PathInContextDriverDir(out, fileName, ctx);
    return 0;
  }
  const int copied = PathCopyToSystemDir(fileName, nullptr, kCopyWhenNewer, ctx);
  PathInSystemDir(out, MAX_PATH, fileName);
  return copied;
}

}  // namespace

int CfgDeployDriverFiles(DriverContext* ctx, DWORD flags) {
  if (!ctx || !ctx->workArea) return 1;
  int result = 0;
  auto keep = [&result](int step) {
    if (step) result = step;
  };
  CfgInstallScenarioDefaults(ctx);

  const DriverProfile* profile = ctx->profile ? ctx->profile : CtxGetTemplate()->profile;
  const WCHAR* language = CfgLanguageSection(ctx);
  WCHAR section[kCtxShortNameChars] = {};
  if (language) lstrcpynW(section, language, kCtxShortNameChars);
  WCHAR driverIni[MAX_PATH] = {};
  if (profile && profile->driverIniName && profile->driverIniName[0]) {
    keep(PlaceNamedFile(profile->driverIniName, driverIni, ctx));
    if (driverIni[0]) keep(CfgDeployInstallFiles(driverIni, section, ctx));
  }

  WCHAR scenario[MAX_PATH] = {};
  if (CfgReadDriverDefaultRst(scenario, ctx)) {
    WCHAR placed[MAX_PATH] = {};
    keep(PlaceNamedFile(scenario, placed, ctx));
    if (placed[0] && section[0]) {
      keep(CfgInstallScenarioPresets(placed, section, flags | kInstallCopyFiles, ctx, 0, nullptr));
      keep(CfgInstallScenarioQualities(placed, section, flags | kInstallCopyFiles, ctx, 0, nullptr));
    }
  }

  if (profile)
    for (const WCHAR* name : {profile->companionLibraryName, profile->settingsModuleName})
      if (name && name[0]) keep(PathCopyToSystemDir(name, nullptr, kCopyWhenNewer, ctx));
  return result ? result : 1;
}
