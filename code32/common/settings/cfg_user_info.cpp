// Functions granted through the driver-defaults file: the special functions of a user, driver or
// printer from the user-information file it names, and the printer-information functions of
// the model.
#include <string>

#include "env_language.h"
#include "feature_modules.h"
#include "ini_file.h"
#include "lock_data.h"
#include "option_access.h"
#include "settings_paths.h"

namespace {

constexpr int kUserFunctions = 16;
constexpr int kPrnInfoFunctions = 8;
constexpr DWORD kUserNameChars = 256;

bool IsAbsolutePath(const WCHAR* path) { return path && path[0] && path[1] == u':'; }

std::u16string Numbered(const char16_t* prefix, int n) {
  std::u16string key(prefix);
  for (char c : std::to_string(n)) key.push_back(static_cast<char16_t>(c));
  return key;
}

// Where the functions of this context are granted: the user-information file and the section
// its "SectionName" selects. False when any piece is missing.
struct UserInfoSource {
  WCHAR file[MAX_PATH] = {};
  WCHAR section[kIniSectionChars + 1] = {};

  bool Resolve(DriverContext* ctx) {
    const WCHAR* defaults = PathGetDriverIni(ctx);
    const WCHAR* printerName = PrnGetName(ctx);
    if (!defaults || !defaults[0] || !printerName) return false;
    IniReadString(printerName, u"UserInfomationFile", u"", file, MAX_PATH, defaults);
    if (!file[0] || !PathExpandSystemVars(file, MAX_PATH, ctx) || !IsAbsolutePath(file)) return false;

    WCHAR kind[32] = {};
    IniReadString(u"Common", u"SectionName", u"", kind, 32, file);
    if (!kind[0]) return false;
    if (lstrcmpiW(kind, u"User") == 0) {
      WCHAR user[kUserNameChars + 1] = {};
      DWORD chars = kUserNameChars + 1;
      if (!GetUserNameW(user, &chars) || !user[0]) return false;
      return Copy(user);
    }
    if (lstrcmpiW(kind, u"Driver") == 0) return Copy(PrnGetDriverName(ctx));
    if (lstrcmpiW(kind, u"Printer") == 0) return Copy(printerName);
    return false;
  }

 private:
  bool Copy(const WCHAR* name) {
    if (!name || !name[0]) return false;
    const std::u16string_view view(name);
    if (view.size() > static_cast<size_t>(kIniSectionChars)) return false;
    view.copy(section, view.size());
    section[view.size()] = 0;
    return true;
  }
};

}  // namespace

int CfgLoadUserInfoFunctions(DriverContext* ctx) {
  if (!ctx) return 0;
  UserInfoSource source;
  bool resolved = false;
  for (int n = 1; n <= kUserFunctions; ++n) {
    const uint16_t option = static_cast<uint16_t>(kOptUserSpecialFirst + n - 1);
    if (!OptHasBuildFeature(static_cast<DWORD>(n - 1))) {
      OptSetValue(ctx, option, 0);
      continue;
    }
    if (!resolved && !source.Resolve(ctx)) {
      for (int rest = n; rest <= kUserFunctions; ++rest)
        OptSetValue(ctx, static_cast<uint16_t>(kOptUserSpecialFirst + rest - 1), 0);
      return 0;
    }
    resolved = true;
    const std::u16string key = Numbered(u"Function", n);
    OptSetValue(ctx, option, static_cast<int32_t>(IniReadInt(source.section, key.c_str(), 0, source.file)));
  }
  return resolved ? 1 : 0;
}

int CfgLoadPrnInfoFunctions(DriverContext* ctx) {
  if (!ctx) return 0;
  const WCHAR* defaults = PathGetDriverIni(ctx);
  if (!IsAbsolutePath(defaults)) {
    for (int b = 0; b < kPrnInfoFunctions; ++b) {
      OptSetValue(ctx, static_cast<uint16_t>(kOptPrnInfoSupportFirst + b), 0);
      OptSetValue(ctx, static_cast<uint16_t>(kOptPrnInfoFuncFirst + b), 0);
    }
    return 0;
  }
  const WCHAR* language = CfgCopyLanguageCode(ctx);
  const UINT mask = language ? IniReadInt(language, u"PrnInfoFuncSupport", 0, defaults) : 0;
  const WCHAR* driver = PrnGetDriverName(ctx);
  for (int b = 0; b < kPrnInfoFunctions; ++b) {
    const bool supported = ((mask >> b) & 1u) != 0;
    OptSetValue(ctx, static_cast<uint16_t>(kOptPrnInfoSupportFirst + b), supported ? 1 : 0);
    int32_t value = 0;
    if (supported && driver) {
      const std::u16string key = Numbered(u"PrnInfoFunc", b);
      value = static_cast<int32_t>(IniReadInt(driver, key.c_str(), 0, defaults) & 0xFFFFu);
    }
    OptSetValue(ctx, static_cast<uint16_t>(kOptPrnInfoFuncFirst + b), value);
  }
  return 1;
}
