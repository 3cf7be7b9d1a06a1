// The device-state store in printer data and in the device-state file.
#include "device_state.h"

#include <cstring>

#include "ctx_environment.h"
#include "device_query.h"
#include "devmode_fields.h"
#include "fd_services.h"
#include "feature_modules.h"
#include "fm_modules_5_8.h"
#include "ini_file.h"
#include "option_access.h"
#include "preset_list.h"
#include "prn_data.h"
#include "settings_files.h"
#include "settings_paths.h"

namespace {

// A state-file key read with this default that answers it is absent.
constexpr int kAbsent = 7;

enum : uint16_t {
  kOptMPInputTray = 123,
  kOptCoverInputTray = 125,
  kOptBackCoverInputTray = 127,
  kOptReverseCoverInputTray = 410,
  kOptCoverDefTray = 10276,
  kOptMPDefTray = 10277,
  kOptReverseCoverDefTray = 10288,
};

constexpr WCHAR kFuncDataTwoColorKey[] = u"zdmBidiFuncDataTwoColorPrint";
constexpr WCHAR kFuncDataMarkingKey[] = u"zdmBidiFuncDataMarking";

bool ServerClient(DriverContext* ctx) { return CtxGetServerClientMode(ctx) == 1; }

// A key of the printer's section: its integer with the absent default.
int ReadStateKey(DriverContext* ctx, const WCHAR* key) {
  WCHAR path[MAX_PATH];
  const WCHAR* section = PrnGetName(ctx);
  if (!BidiStateFilePath(ctx, path) || !section) return kAbsent;
  return static_cast<int>(IniReadInt(section, key, kAbsent, path));
}

int WriteStateKey(DriverContext* ctx, const WCHAR* key, const WCHAR* value) {
  WCHAR path[MAX_PATH];
  const WCHAR* section = PrnGetName(ctx);
  if (!BidiStateFilePath(ctx, path) || !section) return 0;
  return IniWriteString(section, key, value, path) ? 1 : 0;
}

// The state file holds the flag for this printer (never for the client side of a server
// connection).
bool FileHolds(DriverContext* ctx, const WCHAR* key) { return !ServerClient(ctx) && ReadStateKey(ctx, key) != kAbsent; }

int ReadPrinterWord(HANDLE printer, const WCHAR* name, DWORD* value, DriverContext* ctx) {
  return printer && value && PrnGetData(printer, value, sizeof(DWORD), name, ctx) ? 1 : 0;
}

}  // namespace

// ---- printer data -------------------------------------------------------------------------------

int BidiPrinterDataHasState(HANDLE printer, DriverContext* ctx) {
  DWORD flag = 0;
  return BidiReadFlag(printer, &flag, ctx) && (flag & 1) ? 1 : 0;
}

int BidiWriteFlag(HANDLE printer, DWORD value, DriverContext* ctx) {
  return PrnSetBinary(printer, &value, sizeof(value), kBidiFlagName, ctx);
}

int BidiWriteFunc(HANDLE printer, BYTE value, DriverContext* ctx) {
  return PrnSetBinary(printer, &value, sizeof(value), kBidiFuncName, ctx);
}

int BidiWriteExFlag(HANDLE printer, DWORD value, DriverContext* ctx) {
  return PrnSetBinary(printer, &value, sizeof(value), kBidiExFlagName, ctx);
}

int BidiReadFlag(HANDLE printer, DWORD* value, DriverContext* ctx) {
  return ReadPrinterWord(printer, kBidiFlagName, value, ctx);
}

int BidiReadFunc(HANDLE printer, BYTE* value, DriverContext* ctx) {
  return printer && value && PrnGetData(printer, value, sizeof(BYTE), kBidiFuncName, ctx) ? 1 : 0;
}

int BidiReadExFlag(HANDLE printer, DWORD* value, DriverContext* ctx) {
  return ReadPrinterWord(printer, kBidiExFlagName, value, ctx);
}

int BidiExFlagIsSet(HANDLE printer, DriverContext* ctx) {
  DWORD flag = 0;
  return BidiReadExFlag(printer, &flag, ctx) && (flag & 1) ? 1 : 0;
}

int BidiCanWritePrinterData(DriverContext* ctx) {
  if (!ctx || !ctx->printer) return 0;
  BYTE value[sizeof(DWORD)] = {};
  DWORD type = 0, needed = 0;
  WCHAR name[] = u"BidiFlag";
  if (GetPrinterDataW(ctx->printer, name, &type, value, sizeof(value), &needed) != ERROR_SUCCESS) return 0;
  // Written back exactly as it was: same type, same bytes.
  return SetPrinterDataW(ctx->printer, name, type, value, needed) == ERROR_SUCCESS ? 1 : 0;
}

// ---- the device-state file ----------------------------------------------------------------------

int BidiStateFilePath(DriverContext* ctx, WCHAR* out) {
  if (!out) return 0;
  out[0] = u'\0';
  return ctx && PathInSharedDir(out, MAX_PATH, kDeviceStateIniName, ctx) && out[0] ? 1 : 0;
}

int BidiStateFileHasFlag(DriverContext* ctx) { return ReadStateKey(ctx, kBidiFlagName) != kAbsent ? 1 : 0; }

int BidiStateFileHasExFlag(DriverContext* ctx) { return ReadStateKey(ctx, kBidiExFlagName) != kAbsent ? 1 : 0; }

int BidiStateFileGetFlag(DriverContext* ctx) {
  const int value = ReadStateKey(ctx, kBidiFlagName);
  return value != kAbsent && value != 0 ? 1 : 0;
}

int BidiStateFileGetExFlag(DriverContext* ctx) {
  const int value = ReadStateKey(ctx, kBidiExFlagName);
  return value != kAbsent && value != 0 ? 1 : 0;
}

int BidiStateFileSetFlag(DriverContext* ctx, int on) { return WriteStateKey(ctx, kBidiFlagName, on ? u"1" : u"0"); }

int BidiStateFileSetExFlag(DriverContext* ctx, int on) {
  return WriteStateKey(ctx, kBidiExFlagName, on ? u"1" : u"0");
}

void BidiStateFileLoadFunc(DriverContext* ctx) {
  WCHAR path[MAX_PATH];
  const WCHAR* section = PrnGetName(ctx);
  const int value = BidiStateFilePath(ctx, path) && section ? static_cast<int>(IniReadInt(section, kBidiFuncName, 0, path)) : 0;
  CtxSetBidiFunc(ctx, static_cast<BYTE>(value));
}

int BidiStateFileSetFunc(DriverContext* ctx, BYTE value) {
  WCHAR text[8];
  wsprintfW(text, u"%d", static_cast<int>(value));
  return WriteStateKey(ctx, kBidiFuncName, text);
}

int BidiLoadStateFile(DriverContext* ctx) {
  WCHAR path[MAX_PATH];
  if (!BidiStateFilePath(ctx, path)) return 0;
  const int result = CfgLoadSettingsFile(ctx->printer, path, kCfgDeviceStateRows, ctx);
  BidiStateFileLoadFunc(ctx);
  return result;
}

int BidiSaveStateFile(DriverContext* ctx) {
  WCHAR path[MAX_PATH];
  if (!BidiStateFilePath(ctx, path)) return 0;
  const int result = CfgSaveSettingsFile(ctx->printer, path, kCfgDeviceStateRows, ctx);
  BidiStateFileSetFlag(ctx, 1);
  BidiStateFileSetFunc(ctx, CtxGetBidiFunc(ctx));
  BidiStateFileSetExFlag(ctx, 1);
  return result;
}

int BidiDropStateSection(DriverContext* ctx) {
  WCHAR path[MAX_PATH];
  const WCHAR* section = PrnGetName(ctx);
  if (!BidiStateFilePath(ctx, path) || !section) return 0;
  IniWriteString(section, nullptr, nullptr, path);
  return 1;
}

int BidiCreateStateFile(DriverContext* ctx) {
  WCHAR path[MAX_PATH];
  if (!BidiStateFilePath(ctx, path)) return 0;
  PSECURITY_DESCRIPTOR sd = EnvCreateEveryoneSd();
  if (!sd) return 0;
  int result = 0;
  if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) {
    result = SetFileSecurityW(path, DACL_SECURITY_INFORMATION, sd) ? 1 : 0;
  } else {
    SECURITY_ATTRIBUTES sa{sizeof(sa), sd, FALSE};
    HANDLE file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      result = WriteFile(file, "\r\n", 2, &written, nullptr) && written == 2 ? 1 : 0;
      CloseHandle(file);
    }
  }
  EnvFreeEveryoneSd(sd);
  return result;
}

// ---- decisions ----------------------------------------------------------------------------------

int BidiSetDirectMode(DriverContext* ctx) {
  if (BidiIsAllowed(ctx)) CtxSetBiDirectOn(ctx);
  else CtxSetBiDirectOff(ctx);
  return 1;
}

int BidiRaiseNoStateEvent(DriverContext* ctx, HWND parent) {
  BidiNoStateEvent event{parent, 0};
  FmBroadcastNotify(ctx, kFmNotifyNoDeviceState, &event);
  return static_cast<int>(event.answer);
}

int BidiRaiseStateVetoEvent(DriverContext* ctx) {
  DWORD answer = 0;
  FmBroadcastNotify(ctx, kFmNotifyStateVeto, &answer);
  return static_cast<int>(answer);
}

int BidiInitAtSheetOpen(DriverContext* ctx, HWND parent) {
  if (!BidiIsAllowed(ctx)) return 1;
  if (!ServerClient(ctx) && BidiStateFileHasFlag(ctx)) {
    if (BidiStateFileGetFlag(ctx)) {
      BidiSetDirectMode(ctx);
      return 1;
    }
    return BidiRaiseNoStateEvent(ctx, parent);
  }
  if (BidiPrinterDataHasState(ctx->printer, ctx) && !BidiRaiseStateVetoEvent(ctx)) {
    BidiSetDirectMode(ctx);
    BYTE func = 0;
    if (!BidiReadFunc(ctx->printer, &func, ctx)) func = 0;
    CtxSetBidiFunc(ctx, func);
    return 1;
  }
  return BidiRaiseNoStateEvent(ctx, parent);
}

int BidiAreTrayDefaultsApplied(DriverContext* ctx) {
  if (!ctx) return 0;
  int applied = 0;
  if (FileHolds(ctx, kBidiExFlagName)) applied = BidiStateFileGetExFlag(ctx);
  else applied = BidiExFlagIsSet(ctx->printer, ctx);
  // A caller who cannot write the printer's data never copies the trays.
  if (!applied && !BidiCanWritePrinterData(ctx)) applied = 1;
  return applied;
}

void BidiSetTrayDefaultsApplied(DriverContext* ctx) {
  if (!ctx) return;
  if (FileHolds(ctx, kBidiExFlagName)) BidiStateFileSetExFlag(ctx, 1);
  else BidiWriteExFlag(ctx->printer, 1, ctx);
}

void BidiApplyTrayDefaults(DriverContext* ctx) {
  if (!ctx || !ctx->settingsImage) return;
  if (BidiAreTrayDefaultsApplied(ctx) || CfgHasBatchInstRst(ctx)) return;
  const int32_t cover = OptGetValue(ctx, kOptCoverDefTray, nullptr) & 0xFFFF;
  OptSetValue(ctx, kOptCoverInputTray, cover);
  OptSetValue(ctx, kOptBackCoverInputTray, cover);
  OptSetValue(ctx, kOptMPInputTray, OptGetValue(ctx, kOptMPDefTray, nullptr));
  OptSetValue(ctx, kOptReverseCoverInputTray, OptGetValue(ctx, kOptReverseCoverDefTray, nullptr));
  const int32_t chapter = OptGetValue(ctx, kOptChapterDefTray1, nullptr);
  OptSetValue(ctx, kOptChapterTray, chapter);
  const WCHAR* field = OptGetFieldName(ctx, kOptChapterTray);
  const WCHAR* ini = PathGetSettingsIni(ctx);
  const WCHAR* section = CfgPrinterSection(ctx);
  if (field && field[0] && ini && ini[0] && section) {
    WCHAR text[16];
    wsprintfW(text, u"%d", static_cast<int>(chapter));
    IniWriteString(section, field, text, ini);
  }
}

void BidiStoreFuncData(DriverContext* ctx, WORD option, int on) {
  if (!ctx) return;
  const WCHAR* key = option == kOptBidiFuncDataTwoColor ? kFuncDataTwoColorKey
                     : option == kOptBidiFuncDataMarking ? kFuncDataMarkingKey
                                                         : nullptr;
  if (!key) return;
  if (!ServerClient(ctx)) {
    const int stored = ReadStateKey(ctx, key);
    if (stored != kAbsent && stored != 0) {
      WriteStateKey(ctx, key, on ? u"1" : u"0");
      return;
    }
  }
  const WCHAR* name = option == kOptBidiFuncDataTwoColor ? kBidiFuncDataName : kBidiFuncDataMarkingName;
  DWORD value = 0;
  if (!ReadPrinterWord(ctx->printer, name, &value, ctx)) value = 0;
  if (option == kOptBidiFuncDataTwoColor) value = on ? value | 1u : value & ~1u;
  else value = on ? value | 1u : 0;
  PrnSetBinary(ctx->printer, &value, sizeof(value), name, ctx);
}

void BidiShowQueryFailed(DriverContext* ctx, HWND parent) { FdShowWarning(ctx, parent, kBidiQueryFailedString); }
