// The user code read from the printer's data or from the installation-defaults file.
#include "user_code.h"

#include <cstring>

#include "devmode_fields.h"
#include "env_system.h"
#include "env_text.h"
#include "ini_file.h"
#include "option_access.h"
#include "settings_paths.h"

namespace {

constexpr uint16_t kOptLogCodeUse = 10002;  // zdmLogCodeUse
constexpr uint16_t kOptLogCode = 10003;     // zdmLogCode
constexpr uint16_t kOptDllLogCode = 10273;  // zdmDllLogCode

constexpr WCHAR kUserCodeKey[] = u"UserCode";
constexpr WCHAR kUserCodeStringKey[] = u"UserCodeString";
constexpr WCHAR kUserCodeFixKey[] = u"UserCodeFIX";
constexpr WCHAR kMruUserCodeKey[] = u"MRUUserCode";

// A one-byte flag of the printer's data; a wider value gives its low byte, an unreadable one 0.
BYTE ReadFlag(HANDLE printer, const WCHAR* name, DriverContext* ctx) {
  BYTE bytes[4] = {};
  return PrnGetData(printer, bytes, sizeof bytes, name, ctx) ? bytes[0] : 0;
}

void SetText(DriverContext* ctx, uint16_t id, const WCHAR* text) {
  if (OptionEntry* row = OptFind(ctx, id)) OptSetStringValue(ctx, row, text);
}

}  // namespace

int UcodeLoadForJobControl(DriverContext* ctx) {
  if (!ctx) return 0;
  if (PrnIsRemotePrinter(ctx)) return 0;
  if (!ReadFlag(ctx->printer, u"ServerUse", ctx)) return UcodeLoadFromInstallDefaults(ctx);
  OptSetValue(ctx, kOptLogCodeUse, ReadFlag(ctx->printer, u"UserCodeUse", ctx));
  // The stored code may lack its terminator: one byte more keeps the text ended.
  char code[kUserCodeBytes + 1] = {};
  if (!PrnGetData(ctx->printer, code, kUserCodeBytes, kUserCodeKey, ctx)) code[0] = '\0';
  WCHAR text[kUserCodeBytes] = {};
  EnvAnsiToWide(text, code, kUserCodeBytes);
  SetText(ctx, kOptLogCode, text);
  return 1;
}

int UcodeLoadFromInstallDefaults(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return 0;
  WCHAR file[MAX_PATH] = {}, printer[kCtxPathChars] = {};
  const WCHAR* name = PrnGetName(ctx);
  if (!PathInSharedDir(file, MAX_PATH, kUserCodeIniName, ctx) || !file[0] || !name) return 0;
  lstrcpynW(printer, name, kCtxPathChars);

  DWORD use = 0;
  WCHAR text[MAX_PATH] = {};
  if (PathIsFilePresent(file)) {
    WCHAR present[MAX_PATH] = {};
    IniReadString(printer, kUserCodeKey, u"", present, MAX_PATH, file);
    if (present[0]) {
      use = IniReadInt(printer, kUserCodeKey, 0, file);
      IniReadString(printer, kUserCodeStringKey, u"", text, MAX_PATH, file);
    } else {
      IniReadString(kUserCodeMachineSection, kMruUserCodeKey, u"", text, MAX_PATH, file);
      IniWriteString(printer, kUserCodeKey, u"0", file);
      IniWriteString(printer, kUserCodeStringKey, text, file);
    }
  } else {
    IniWriteString(printer, kUserCodeKey, u"0", file);
    IniWriteString(printer, kUserCodeStringKey, u"", file);
    IniWriteString(kUserCodeMachineSection, kMruUserCodeKey, u"", file);
  }
  const UINT fix = IniReadInt(printer, kUserCodeFixKey, 0, file);

  OptSetValue(ctx, kOptLogCodeUse, static_cast<int32_t>(use));
  SetText(ctx, kOptLogCode, text);
  SetText(ctx, kOptDllLogCode, text);
  CtxSetUserCodeFIX(ctx, static_cast<BYTE>(fix));
  return 1;
}

int UcodeSyncIniAtInit(DriverContext*) { return 1; }
int UcodeLoadFromIni(DriverContext*) { return 1; }
void UcodeQueryProvider(DriverContext*) {}
void UcodeSaveToIni(DriverContext*) {}
