// The frame of the ZOLTDrv interface: the version agreement, contexts opened and closed, the
// last-error store, the communication-error map and the per-call opening of the printer.
#include "api_frame.h"

#include <array>
#include <cstring>
#include <mutex>
#include <set>

#include "api_options.h"
#include "api_support.h"
#include "core_memory.h"
#include "ctx_environment.h"
#include "devmode_defaults.h"
#include "devmode_fields.h"
#include "env_language.h"
#include "env_system.h"
#include "fm_modules_5_8.h"
#include "model_query.h"
#include "option_access.h"
#include "option_constants.h"
#include "preset_list.h"
#include "quality_list.h"
#include "settings_paths.h"
#include "stamp_list.h"
#include "undo_images.h"
#include "win32/windows.h"

namespace {

ApiProcessState g_state = {kApiModuleVersion, {}, {}, 3, kApiModuleVersion};

// {highest id below 256, highest id from 257} per interface version 0-22.
struct LimitRow {
  uint32_t low;
  uint32_t high;
};

constexpr std::array<LimitRow, 23> kStatusLimits = {{
    {0, 0}, {35, 35}, {35, 35}, {35, 35}, {36, 36}, {36, 36}, {45, 264}, {46, 264}, {47, 264},
    {47, 264}, {54, 269}, {56, 269}, {60, 269}, {67, 269}, {72, 269}, {78, 269}, {79, 269},
    {79, 269}, {79, 269}, {80, 269}, {81, 269}, {83, 269}, {84, 269},
}};

constexpr std::array<LimitRow, 23> kCapabilityLimits = {{
    {0, 0}, {55, 55}, {56, 56}, {56, 56}, {57, 57}, {57, 57}, {69, 275}, {70, 275}, {71, 275},
    {71, 275}, {83, 282}, {86, 282}, {92, 282}, {100, 282}, {117, 282}, {123, 282}, {127, 282},
    {127, 282}, {127, 282}, {144, 282}, {145, 282}, {149, 282}, {150, 282},
}};

const LimitRow& RowAt(const std::array<LimitRow, 23>& table, int32_t version) {
  if (version < 0) version = 0;
  if (version > 22) version = 22;
  return table[static_cast<size_t>(version)];
}

uint32_t Pick(const LimitRow& row, int which) { return which == 0 ? row.low : row.high; }

int IsKnown(const LimitRow& row, uint32_t id) {
  if (id >= 1 && id <= row.low) return 1;
  return id >= 257 && id <= row.high ? 1 : 0;
}

// {system error, interface error}, ended by a zero pair.
constexpr std::array<std::array<int32_t, 2>, 21> kCommErrorMap = {{
    {2, 200}, {7, 200}, {14, 201}, {10, 202}, {5, 200}, {103, 200}, {59, 200}, {101, 200}, {102, 0},
    {55, 200}, {56, 201}, {57, 200}, {8, 200}, {9, 200}, {58, 200}, {60, 200}, {1, 200}, {6, 200},
    {17, 200}, {18, 200}, {0, 0},
}};

constexpr WCHAR kApiSection[] = u"ZOLTAPI";
constexpr WCHAR kApiVersionKey[] = u"ZOLTAPIVer";

// The load-share values the model offers: {value, kind}, marked once and never cleared.
struct LoadShareRow {
  int32_t value;
  int32_t kind;
};
constexpr std::array<LoadShareRow, 6> kLoadShareModeTable = {{{0, 0}, {0, 16}, {1, 1}, {1, 17}, {2, 2}, {3, 18}}};
std::array<bool, 6> g_loadShareMarks = {};

// The contexts this module handed out and has not taken back: a handle a caller passes is used
// only when it is one of them.
void FreeExtension(DriverContext* ctx);

std::mutex g_liveLock;
std::set<const DriverContext*> g_live;

void DisableContext(DriverContext* ctx) {
  FreeExtension(ctx);
  CtxRelease(ctx);
  CtxPurgeCache(1);
}

uint16_t LoadShareValueId(int32_t kind) {
  switch (kind) {
    case 0: return 2669;
    case 1: return 2670;
    case 2: return 2671;
    case 16: return 2672;
    case 17: return 2673;
    case 18: return 2674;
    default: return 0;
  }
}

// An ANSI printer name as UTF-16 into a buffer of `chars` characters; 0 when it is empty or
// does not fit.
int NameToWide(const char* name, WCHAR* out, int chars) {
  if (!name || !name[0]) return 0;
  const int n = MultiByteToWideChar(CP_ACP, 0, name, -1, out, chars);
  if (n <= 0) {
    out[0] = u'\0';
    return 0;
  }
  return 1;
}

int32_t ApiReadIniVersion(const char* name) {
  WCHAR wide[256] = {};
  if (!NameToWide(name, wide, 256)) return -1;
  HANDLE printer = nullptr;
  OpenPrinterW(wide, &printer, nullptr);
  WCHAR path[MAX_PATH + 1] = {};
  ApiGetDriverIniPath(printer, path);
  if (printer) ClosePrinter(printer);
  if (!path[0]) return -1;
  return static_cast<int32_t>(GetPrivateProfileIntW(kApiSection, kApiVersionKey, -1, path));
}

void FreeExtension(DriverContext* ctx) {
  ApiExtension* ext = ApiGetExtension(ctx);
  if (!ext) return;
  MdlFreeMem(ext->statusStates);
  ext->statusStates = nullptr;
  MdlFreeMem(ext->backupImage);
  ext->backupImage = nullptr;
  MdlFreeMem(ext);
  ctx->workArea->apiExtension = nullptr;
}

// The chapter table of the work area with (wdmChapterMax + 1) rows, when it has none yet.
int EnsureChapterTable(DriverContext* ctx) {
  ContextWorkArea* wa = ctx->workArea;
  if (wa->chapterList) return 1;
  const int32_t max = OptGetValue(ctx, kApiOptChapterMax, nullptr);
  const LONG rows = (max > 0 ? max : 0) + 1;
  auto* list = static_cast<ChapterEntry*>(CtxAllocMem(static_cast<DWORD>(rows) * sizeof(ChapterEntry)));
  if (!list) return 0;
  wa->chapterList = list;
  wa->chapterAllocCount = rows;
  return 1;
}

// The interface's quality slot: entry 0's file name with 'y' before its extension as entry 128.
int ApiSetQualitySlot(DriverContext* ctx) {
  const WCHAR* ini = PathGetSettingsIni(ctx);
  const WCHAR* section = CfgPrinterSection(ctx);
  if (!ini || !section) return 1;
  WCHAR key[64] = {};
  CfgQualityKey(key, 0);
  WCHAR value[MAX_PATH + 1] = {};
  GetPrivateProfileStringW(section, key, u"", value, MAX_PATH + 1, ini);
  WCHAR* dot = nullptr;
  for (WCHAR* p = value; *p; ++p)
    if (*p == u'.') dot = p;
  if (!dot) return 1;
  if (dot > value) dot[-1] = u'y';
  WCHAR slotKey[80] = {};
  CfgQualityKey(slotKey, kApiQualitySlot);
  if (!WritePrivateProfileStringW(section, slotKey, value, ini)) return 1;
  WCHAR name[MAX_PATH] = {};
  EnvLoadString(ctx, kApiQualitySlotNameString, name, MAX_PATH, 0);
  lstrcatW(slotKey, u"Name");
  WritePrivateProfileStringW(section, slotKey, name, ini);
  return 1;
}

// The interface's watermark slot: a copy of stamp 0 without its character name, once.
void ApiSetWatermarkSlot(DriverContext* ctx) {
  if (ApiHasInterfaceStamp(ctx)) return;
  DmPushSnapshot(ctx);
  CfgLoadStamp(ctx, 0);
  if (OptionEntry* row = OptFind(ctx, kApiOptWmCharName)) OptSetStringValue(ctx, row, u"");
  CfgSaveStamp(ctx, kApiStampSlot);
  DmPopSnapshot(ctx, 1);
}

void ApiBindPresetControl(DriverContext* ctx, uint16_t option) {
  const PageControlEntry* entry = OptFindPageControl(option);
  if (!entry) return;
  DialogDescriptor* dialog = OptFindDialog(ctx, entry->dialogId);
  ControlDescriptor* control = dialog ? OptFindControl(ctx, dialog, entry->controlId) : nullptr;
  if (control) control->modelItem = const_cast<ModelItem*>(MdlGetItemByKey(control->nameIndex, ctx));
}

void ApiMarkLoadShareModes(DriverContext* ctx) {
  for (size_t i = 0; i < kLoadShareModeTable.size(); ++i)
    if (ApiIsValueDisabled(ctx, kApiOptLoadShare, LoadShareValueId(kLoadShareModeTable[i].kind)) == 0)
      g_loadShareMarks[i] = true;
}

// Asks the printer-interface module, through the spooler, for the printer's device mode once (the
// module sets up the printer's stored settings when it has none yet). The answer is not used;
// only a failed allocation stops the enable.
int AskPrinterDevMode(HANDLE printer, WCHAR* name) {
  const LONG size = DocumentPropertiesW(nullptr, printer, name, nullptr, nullptr, 0);
  if (size <= 0) return 1;
  void* buffer = CtxAllocMem(static_cast<DWORD>(size));
  if (!buffer) return 0;
  DocumentPropertiesW(nullptr, printer, name, static_cast<DEVMODEW*>(buffer), nullptr, DM_OUT_BUFFER);
  MdlFreeMem(buffer);
  return 1;
}

DriverContext* EnableContext(const char* name) {
  WCHAR wide[kCtxPathChars] = {};
  if (!NameToWide(name, wide, kCtxPathChars)) return nullptr;
  HANDLE printer = nullptr;
  if (!OpenPrinterW(wide, &printer, nullptr) || !printer) return nullptr;
  if (!AskPrinterDevMode(printer, wide)) {
    ClosePrinter(printer);
    return nullptr;
  }

  DriverContext* ctx = CtxCreateForPrinter(printer, printer, nullptr, kCtxModeSettingsInterface);
  if (!ctx || !ctx->workArea || !ctx->settingsImage) {
    if (ctx) CtxRelease(ctx);
    ClosePrinter(printer);
    return nullptr;
  }
  ContextWorkArea* wa = ctx->workArea;
  ApiResetShiftMargins(ctx);
  WCHAR* slot = EnvIsVistaOrLater() && PrnIsRemotePrinterHandle(printer) ? wa->givenPrinterName
                                                                         : wa->qualifiedPrinterName;
  lstrcpynW(slot, wide, kCtxPathChars);

  bool ok = false;
  {
    const int32_t saved = g_state.currentVersion;
    g_state.currentVersion = g_state.printerVersion;
    auto* ext = static_cast<ApiExtension*>(CtxAllocMem(sizeof(ApiExtension)));
    if (ext) {
      wa->apiExtension = ext;
      const uint32_t pairs = ApiStatusIdLimit(1) * 8;
      ext->statusStates = static_cast<int32_t*>(CtxAllocMem(pairs * 2 * sizeof(int32_t) + 1));
      ext->statusStatePairs = static_cast<int32_t>(pairs);
      ext->backupImage = static_cast<BYTE*>(CtxAllocMem(DmGetImageSize()));
      if (ext->statusStates && ext->backupImage) {
        std::memcpy(ext->backupImage, ctx->settingsImage, DmGetImageSize());
        ext->lastError = 0;
        ok = true;
      }
    }
    g_state.currentVersion = saved;
  }
  if (ok) ok = EnsureChapterTable(ctx) != 0;
  if (ok) {
    ApiSetChapterChanged(ctx, 0);
    CfgEnsureModuleSetup(ctx);
    CtxInitEnvironment(ctx);
    ApiSetOSKind(ctx);
    ok = ApiSetQualitySlot(ctx) != 0;
  }
  if (ok) {
    ApiSetWatermarkSlot(ctx);
    ApiBindPresetControl(ctx, kApiOptPresetNo);
    ApiMarkLoadShareModes(ctx);
  }
  ClosePrinter(printer);
  // The context keeps the handle in its slots; every later call opens its own.
  if (!ok) {
    DisableContext(ctx);
    return nullptr;
  }
  std::lock_guard<std::mutex> guard(g_liveLock);
  g_live.insert(ctx);
  return ctx;
}

}  // namespace

ApiProcessState* ApiGetProcessState() { return &g_state; }

int ApiIsLiveContext(const DriverContext* ctx) {
  if (!ctx) return 0;
  std::lock_guard<std::mutex> guard(g_liveLock);
  return g_live.count(ctx) ? 1 : 0;
}

ApiExtension* ApiGetExtension(DriverContext* ctx) {
  return ctx && ctx->workArea ? static_cast<ApiExtension*>(ctx->workArea->apiExtension) : nullptr;
}

int32_t ApiGetVersion() { return g_state.currentVersion; }
uint32_t ApiStatusIdLimitAt(int32_t version, int which) { return Pick(RowAt(kStatusLimits, version), which); }
uint32_t ApiCapabilityIdLimitAt(int32_t version, int which) {
  return which == 2 ? 3 : Pick(RowAt(kCapabilityLimits, version), which);
}
uint32_t ApiStatusIdLimit(int which) { return ApiStatusIdLimitAt(g_state.currentVersion, which); }
uint32_t ApiCapabilityIdLimit(int which) { return ApiCapabilityIdLimitAt(g_state.currentVersion, which); }
int ApiIsStatusIdKnown(uint32_t id) { return IsKnown(RowAt(kStatusLimits, g_state.currentVersion), id); }
int ApiIsCapabilityIdKnown(uint32_t id) { return IsKnown(RowAt(kCapabilityLimits, g_state.currentVersion), id); }
int ApiBitmapSize() { return g_state.currentVersion < 6 ? kBitmapHalfBytes : kBitmapBytes; }

int SetApiLastError(DriverContext* ctx, int32_t code) {
  ApiExtension* ext = ApiGetExtension(ctx);
  if (!ext || g_state.currentVersion <= 8) return 0;
  ext->lastError = code;
  return 1;
}

int32_t ApiGetLastErrorRaw(DriverContext* ctx) {
  ApiExtension* ext = ApiGetExtension(ctx);
  return ext ? ext->lastError : 0;
}

void ApiPutLastErrorRaw(DriverContext* ctx, int32_t code) {
  if (ApiExtension* ext = ApiGetExtension(ctx)) ext->lastError = code;
}

int32_t MapCommError(DWORD systemError) {
  for (const auto& pair : kCommErrorMap) {
    if (pair[0] == 0 && pair[1] == 0) break;
    if (static_cast<DWORD>(pair[0]) == systemError) return pair[1];
  }
  return kApiErrCommUnreachable;
}

void ApiStoreCommError(DriverContext* ctx) { ApiPutLastErrorRaw(ctx, MapCommError(GetLastError())); }

int32_t ApiGetApiFunctionBits(DriverContext* ctx) {
  HANDLE printer = nullptr;
  if (!ApiOpenPrinterForCall(ctx, &printer, nullptr)) return 0;
  WCHAR path[MAX_PATH + 1] = {};
  ApiGetDriverIniPath(printer, path);
  ApiClosePrinter(printer);
  if (!path[0]) return 0;
  return static_cast<int32_t>(GetPrivateProfileIntW(kApiSection, u"ZOLTAPIFunc1", 0, path));
}

int ApiGetDriverIniPath(HANDLE printer, WCHAR* out) {
  if (!out) return 0;
  out[0] = u'\0';
  if (!printer) return 0;
  return PathGetDriverIniOf(printer, out);
}

int ApiOpenPrinterForCall(DriverContext* ctx, HANDLE* out, PRINTER_DEFAULTSW* defaults) {
  if (!ctx || !ctx->workArea || !out) return 0;
  ContextWorkArea* wa = ctx->workArea;
  if (!wa->qualifiedPrinterName[0]) return 0;
  WCHAR* name = EnvIsVistaOrLater() && wa->qualifiedPrinterName[0] == u'\\' && wa->qualifiedPrinterName[1] == u'\\'
                    ? wa->givenPrinterName
                    : wa->qualifiedPrinterName;
  if (!name[0]) name = wa->qualifiedPrinterName;
  HANDLE printer = nullptr;
  if (!OpenPrinterW(name, &printer, defaults) || !printer) return 0;
  *out = printer;
  ctx->printer = printer;
  ctx->printer2 = printer;
  return 1;
}

void ApiClosePrinter(HANDLE printer) {
  if (printer) ClosePrinter(printer);
}

void ApiResetShiftMargins(DriverContext* ctx) {
  if (ApiQueryCapability(ctx, kApiCapShiftMarginRange, nullptr) != 0) return;
  OptSetUiValue(ctx, kApiOptShiftDir, MdlGetItemDefault(kApiOptShiftDir, ctx));
  OptSetUiValue(ctx, kApiOptShiftMarginX, MdlGetItemDefault(kApiOptShiftMarginX, ctx));
}

void ApiSetOSKind(DriverContext* ctx) {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  BYTE kind = 2;
  if (EnvGetVersionInfo(&info)) {
    if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) kind = info.dwMinorVersion != 0 ? 3 : 0;
    else if (info.dwMajorVersion < 5) kind = 1;
  }
  CtxSetOSKind(ctx, kind);
}

void ApiSetChapterChanged(DriverContext* ctx, DWORD value) {
  if (ctx && ctx->workArea) ctx->workArea->chapterChanged = value;
}

int ApiIsLoadShareRowMarked(int row) {
  return row >= 0 && row < static_cast<int>(g_loadShareMarks.size()) && g_loadShareMarks[static_cast<size_t>(row)];
}

// ---- exports ----------------------------------------------------------------------------------

ZOLT_EXPORT int32_t WINAPI ZOLTDrvCheckAPIVer(const char* name) {
  if (!name || !name[0]) return 0;
  int32_t version = ApiReadIniVersion(name);
  if (version == -1) version = 3;  // the job-control build answers 3 for printers without the key
  if (version > kApiModuleVersion) version = kApiModuleVersion;
  if (version < 0) version = 0;
  g_state.printerVersion = version;
  if (version <= 3) g_state.currentVersion = version;
  return version;
}

ZOLT_EXPORT DriverContext* WINAPI ZOLTDrvEnable(const char* name) {
  if (!name || !name[0]) return nullptr;
  ZOLTDrvCheckAPIVer(name);
  const int32_t saved = g_state.currentVersion;
  g_state.currentVersion = g_state.printerVersion;
  BuildSupportBitmaps();
  g_state.currentVersion = saved;
  return EnableContext(name);
}

ZOLT_EXPORT int32_t WINAPI ZOLTDrvInit(int32_t flag, const ApiInitRecord* record) {
  if (flag == 0) return 0;
  int32_t version = g_state.printerVersion;
  if (record && record->version < version) version = record->version < 0 ? 0 : record->version;
  g_state.currentVersion = version;
  return 1;
}

ZOLT_EXPORT int32_t WINAPI ZOLTDrvGetLastError(DriverContext* ctx) {
  if (!ApiIsLiveContext(ctx)) return -1;
  ApiExtension* ext = ApiGetExtension(ctx);
  if ( g_state.currentVersion <= 8 || !ext) return -1;
  return ext->lastError;
}

ZOLT_EXPORT int32_t WINAPI ZOLTDrvDisable(DriverContext* ctx) {
  {
    std::lock_guard<std::mutex> guard(g_liveLock);
    if (!ctx || g_live.erase(ctx) == 0) return 1;
  }
  DisableContext(ctx);
  return 1;
}
