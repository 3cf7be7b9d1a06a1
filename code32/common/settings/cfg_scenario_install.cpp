// Installation of scenario presets and quality files.
#include "scenario_install.h"

#include "env_system.h"
#include "path_files.h"
#include "settings_paths.h"

namespace {

bool StartsWithNoCase(const WCHAR* text, const WCHAR* prefix) {
  const int length = lstrlenW(prefix);
  if (lstrlenW(text) < length) return false;
  for (int i = 0; i < length; ++i) {
    WCHAR a = text[i], b = prefix[i];
    if (a >= u'A' && a <= u'Z') a = static_cast<WCHAR>(a - u'A' + u'a');
    if (b >= u'A' && b <= u'Z') b = static_cast<WCHAR>(b - u'A' + u'a');
    if (a != b) return false;
  }
  return true;
}

}  // namespace

// not built yet: no installed default is known
int PathInstalledDefaultOf(WCHAR*, const WCHAR*, DWORD, DriverContext*) { return 0; }

int PathExpandInstallNameEx(WCHAR* name, int size, short mode, DriverContext* ctx) {
  if (!name || size <= 0) return 0;
  if (name[0] && name[1] == u':') return 1;
  if (lstrlenW(name) >= MAX_PATH) return 0;
  WCHAR original[MAX_PATH];
  lstrcpynW(original, name, MAX_PATH);
  const bool driverSide = mode == kExpandForScenario && EnvIsWin2000OrLater();
  const int limit = size < MAX_PATH ? size : MAX_PATH;
  WCHAR result[MAX_PATH] = {};
  // "%windir%\x": the separator after the word is the one the join adds.
  const WCHAR* afterWord = original + 8;
  if (StartsWithNoCase(original, u"%windir%") || StartsWithNoCase(original, u"%sysdir%"))
    while (*afterWord == u'\\') ++afterWord;
  if (StartsWithNoCase(original, u"%windir%")) {
    if (driverSide)
      PathInContextDriverDir(result, afterWord, ctx);
    else
      PathInWindowsDir(result, MAX_PATH, afterWord);
  } else if (StartsWithNoCase(original, u"%sysdir%")) {
    if (driverSide)
      PathInSharedDir(result, MAX_PATH, afterWord, ctx);
    else
      PathInSystemDir(result, MAX_PATH, afterWord);
  } else if (StartsWithNoCase(original, u"..\\")) {
    PathResolveUpFromSystemDir(result, MAX_PATH, original);
  } else {
    const WCHAR* rest = StartsWithNoCase(original, u".\\") ? original + 2 : original;
    if (driverSide)
      PathInContextDriverDir(result, rest, ctx);
    else
      PathInSystemDir(result, MAX_PATH, rest);
  }
  // A result that does not fit the caller's buffer is refused rather than cut.
  if (!result[0] || lstrlenW(result) >= limit) {
    name[0] = u'\0';
    return 0;
  }
  lstrcpynW(name, result, limit);
  return 1;
}

int PathExpandInstallName(WCHAR* name, int size, DriverContext* ctx) {
  return PathExpandInstallNameEx(name, size, kExpandForScenario, ctx) && PathHasShortExtension(name) ? 1 : 0;
}

int PathExpandInstallNameForSystem(WCHAR* name, int size, DriverContext* ctx) {
  return PathExpandInstallNameEx(name, size, kExpandForSystem, ctx);
}
// not built yet: no list is installed, nothing is loaded
int CfgInstallScenarioPresets(const WCHAR*, const WCHAR*, DWORD, DriverContext*, int, void*) { return 0; }
int CfgInstallScenarioQualities(const WCHAR*, const WCHAR*, DWORD, DriverContext*, int, void*) { return 0; }
int CfgInstallScenarioLists(const WCHAR*, const WCHAR*, DWORD, DriverContext*) { return 0; }
int CfgLoadScenarioDefaults(const WCHAR*, const WCHAR*, DriverContext*) { return 0; }
int CfgLoadScenarioFreeSizes(const WCHAR*, const WCHAR*, DriverContext*) { return 0; }
int CfgLoadScenarioStamps(const WCHAR*, const WCHAR*, DriverContext*) { return 0; }
