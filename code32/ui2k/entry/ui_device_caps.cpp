// DrvDeviceCapabilities: fixed properties from the driver profile without a context, a few from
// the printer's data and stored default device mode, and the lists from a context that holds the
// caller's device mode merged into the printer's settings. Those contexts are parked in the
// device-capabilities cache, so that an application's queries in a row share one.
#include <cstring>
#include <vector>

#include "command_table.h"
#include "device_caps.h"
#include "devmode_fields.h"
#include "devmode_merge.h"
#include "env_language.h"
#include "env_system.h"
#include "env_text.h"
#include "free_size.h"
#include "ini_file.h"
#include "lock_data.h"
#include "option_access.h"
#include "option_constants.h"
#include "option_values.h"
#include "settings_paths.h"
#include "ui_entry.h"
#include "csr_cleanup.h"
#include "user_sync.h"

namespace {

constexpr DWORD kNoAnswer = static_cast<DWORD>(-1);
constexpr uint16_t kOptFrontFunc = 350;          // zdmFrontFunc
constexpr uint16_t kOptStapleType = 121;         // zdmStapleType
constexpr uint16_t kOptTrayField0 = 10111;       // zdmTrayField0 .. 31
constexpr uint16_t kOptTrayPaper0 = 10175;       // zdmTray1Paper and onwards
constexpr WORD kBinSetting = 13;                 // the paper sources
constexpr int kPersonalityChars = 32;
constexpr int kMediaNameChars = 64;
constexpr int kMediaTrays = 32;
// The printer-data value of the duplex unit: the storage key of zdmSourceOptionTypeDuplex (10014).
constexpr WCHAR kDuplexValue[] = u"Duplex";

const DriverProfile* TemplateProfile() { return CtxGetTemplate()->profile; }

BYTE ReadLockByte(HANDLE printer, WORD option) {
  BYTE b = 0;
  if (!PrnReadLockInfoByte(printer, &b, option)) b = 0;
  return b;
}

bool NeedsMerge(WORD capability) { return capability != DC_DATATYPE_PRODUCED && capability != DC_TRUETYPE; }

DWORD Answer(int r) { return static_cast<DWORD>(r); }

DWORD ContextAnswer(DriverContext* ctx, WORD capability, void* output) {
  switch (capability) {
    case DC_FIELDS: {
      const BYTE* dm = CtxGetDevMode(ctx);
      return dm ? DWORD(dm[72]) | DWORD(dm[73]) << 8 | DWORD(dm[74]) << 16 | DWORD(dm[75]) << 24 : kNoAnswer;
    }
    case DC_PAPERS:
      return Answer(DmCapsPapers(ctx, static_cast<WORD*>(output), kCapsPaperSetting));
    case DC_PAPERSIZE:
      return Answer(DmCapsPaperSizes(ctx, static_cast<POINT*>(output), kCapsPaperSetting));
    case DC_BINS:
      return Answer(DmCapsBins(ctx, static_cast<WORD*>(output), kBinSetting));
    case DC_BINNAMES:
      return Answer(DmCapsBinNames(ctx, static_cast<WCHAR*>(output), kCapsBinNameChars, kBinSetting));
    case DC_ENUMRESOLUTIONS:
      return Answer(DmCapsResolutions(ctx, static_cast<int32_t*>(output)));
    case DC_TRUETYPE:
      return UiCapTrueType(ctx);
    case DC_PAPERNAMES:
      return Answer(DmCapsPaperNames(ctx, static_cast<WCHAR*>(output), kCapsPaperNameChars, kCapsPaperSetting));
    case DC_COLLATE:
      return UiCapCollate(ctx);
    case DC_MEDIAREADY:
      return UiCapMediaReady(ctx, static_cast<WCHAR*>(output));
    case DC_STAPLE:
      return UiCapStaple(ctx);
    default:  // DC_BINADJUST, DC_EMF_COMPLIANT, DC_DATATYPE_PRODUCED
      return kNoAnswer;
  }
}

}  // namespace

DWORD UiContextCapability(HANDLE printer, WORD capability, void* output, DEVMODEW* dm) {
  UiEntryBracket bracket(printer);
  if (!bracket.pi2()) return kNoAnswer;
  DriverContext* ctx = nullptr;
  if (PrnWasRenamed(printer, bracket.pi2()) || bracket.Sync(0) == 1)
    ctx = CtxCreate(printer, printer, nullptr, kCtxModeDeviceCaps, bracket.pi2(), bracket.di2(), bracket.di3());
  DWORD answer = kNoAnswer;
  if (ctx && (!NeedsMerge(capability) || DmMergeIncoming(ctx, dm, 0x1000008)))
    answer = ContextAnswer(ctx, capability, output);
  if (ctx) CtxDestroy(ctx, kCtxReleaseParkCaps);
  return answer;
}

DWORD UiCapTrueType(DriverContext* ctx) {
  return (OptGetValue(ctx, kOptFrontFunc, nullptr) & 1) ? DCTT_BITMAP | DCTT_SUBDEV : DCTT_BITMAP;
}

DWORD UiCapCollate(DriverContext* ctx) { return OptCanCollate(ctx) ? 1 : 0; }

DWORD UiCapStaple(DriverContext* ctx) { return Answer(MdlHasSelectableValue(ctx, kOptStapleType)); }

DWORD UiCapFileDependencies() { return 0; }

int UiReadPrinterDefaultDevMode(HANDLE printer, BYTE* out) {
  std::memset(out, 0, DmGetSize());
  auto* pi2 = static_cast<PRINTER_INFO_2W*>(PrnGetPrinterInfo(printer, 2));
  if (!pi2 || !pi2->pDevMode) {
    MdlFreeMem(pi2);
    return 0;
  }
  // A stored device mode shorter than this driver's is copied as far as it goes.
  const DEVMODEW* stored = pi2->pDevMode;
  DWORD extent = DWORD{stored->dmSize} + stored->dmDriverExtra;
  if (extent > DmGetSize()) extent = DmGetSize();
  std::memcpy(out, stored, extent);
  MdlFreeMem(pi2);
  return 1;
}

DWORD UiCapColorDevice(HANDLE printer) {
  std::vector<BYTE> dm(DmGetSize());
  if (!UiReadPrinterDefaultDevMode(printer, dm.data())) return kNoAnswer;
  return Answer(DmIsColorDevice(ReadLockByte(printer, kOptLockColor), dm.data()));
}

DWORD UiCapDuplex(HANDLE printer) {
  DWORD value = 0, type = 0, needed = 0;
  if (GetPrinterDataW(printer, const_cast<LPWSTR>(kDuplexValue), &type, reinterpret_cast<LPBYTE>(&value),
                      sizeof value, &needed) != ERROR_SUCCESS)
    return kNoAnswer;
  if (value) return 1;
  return (ReadLockByte(printer, kOptLockDefault) & 0x20) ? 1 : 0;
}

DWORD UiCapPersonality(WCHAR* out) {
  if (out) {
    std::memset(out, 0, kPersonalityChars * sizeof(WCHAR));
    EnvAnsiToWide(out, "ZOLT", kPersonalityChars);
  }
  return 1;
}

DWORD UiReadPrintRate(HANDLE printer) {
  WCHAR section[MAX_PATH] = {};
  WCHAR file[MAX_PATH] = {};
  PrnGetDriverNameOf(printer, section);
  PathGetDriverIniOf(printer, file);
  return IniReadInt(section, u"PPM", 0, file);
}

DWORD UiCapPrintRate(HANDLE printer) { return UiReadPrintRate(printer); }

DWORD UiCapMediaReady(DriverContext* ctx, WCHAR* out) {
  struct Loaded {
    int32_t paper;
    int32_t uiValue;
  };
  std::vector<Loaded> papers;
  for (int n = 0; n < kMediaTrays; ++n) {
    if (!(OptGetValue(ctx, static_cast<uint16_t>(kOptTrayField0 + n), nullptr) & 0xFFFF)) continue;
    const uint16_t paperOption = static_cast<uint16_t>(kOptTrayPaper0 + n);
    const int32_t paper = OptGetValue(ctx, paperOption, nullptr);
    if (!paper) continue;
    bool listed = false;
    for (const Loaded& l : papers) listed = listed || l.paper == paper;
    if (!listed) papers.push_back({paper, OptGetUiValue(ctx, paperOption, nullptr)});
  }
  if (out) {
    bool slotsLoaded = false;
    for (size_t i = 0; i < papers.size(); ++i) {
      WCHAR* slot = out + i * kMediaNameChars;
      std::memset(slot, 0, kMediaNameChars * sizeof(WCHAR));
      if (CfgIsFreeSizePaper(papers[i].paper)) {
        if (!slotsLoaded) {
          CfgLoadAllFreeSizes(ctx);
          slotsLoaded = true;
        }
        const int n = CfgPaperToSlot(papers[i].paper, ctx);
        char name[sizeof ctx->workArea->freeSizeSlots[0].displayName + 1] = {};
        std::memcpy(name, ctx->workArea->freeSizeSlots[n].displayName, sizeof name - 1);
        EnvAnsiToWide(slot, name, kMediaNameChars);
      } else {
        EnvLoadString(ctx, static_cast<DWORD>(papers[i].uiValue), slot, kMediaNameChars, 1);
      }
    }
  }
  return static_cast<DWORD>(papers.size());
}

DWORD UiCapNup(HANDLE printer, BYTE lockByte, DWORD* out) {
  int rows = 0;
  const NupCountEntry* table = OptGetNupCountTable(&rows);
  if (!(lockByte & 0x08) || (lockByte & 0x10)) {
    if (out)
      for (int i = 0; i < rows; ++i) out[i] = table[i].pagesPerSheet;
    return static_cast<DWORD>(rows);
  }
  if (!out) return 2;
  std::vector<BYTE> dm(DmGetSize());
  if (!UiReadPrinterDefaultDevMode(printer, dm.data())) return 0;
  const DWORD kind = DmGetNupPostKind(dm.data());
  DWORD written = 0;
  for (int i = 0; i < rows && written < 2; ++i)
    if (table[i].kind == 0 || table[i].kind == kind) out[written++] = table[i].pagesPerSheet;
  return 2;
}

DWORD UiHandleDeviceCapabilities(HANDLE printer, LPWSTR, WORD capability, void* output, DEVMODEW* dm) {
  const DriverProfile* profile = TemplateProfile();
  switch (capability) {
    case DC_FIELDS:
    case DC_PAPERS:
    case DC_PAPERSIZE:
    case DC_BINS:
    case DC_BINNAMES:
    case DC_ENUMRESOLUTIONS:
    case DC_TRUETYPE:
    case DC_PAPERNAMES:
    case DC_BINADJUST:
    case DC_EMF_COMPLIANT:
    case DC_DATATYPE_PRODUCED:
    case DC_COLLATE:
    case DC_MEDIAREADY:
    case DC_STAPLE:
      return UiContextCapability(printer, capability, output, dm);
    case DC_MINEXTENT:
      return DmCapsExtent(nullptr, static_cast<POINTS*>(output), kCapsMinExtent);
    case DC_MAXEXTENT:
      return DmCapsExtent(nullptr, static_cast<POINTS*>(output), kCapsMaxExtent);
    case DC_DUPLEX:
      return UiCapDuplex(printer);
    case DC_SIZE:
      return DmGetPublicSize();
    case DC_EXTRA:
      return DmGetSize() - DmGetPublicSize();
    case DC_VERSION:
      return profile->specVersion;
    case DC_DRIVER:
      return profile->driverVersion;
    case DC_FILEDEPENDENCIES:
      return UiCapFileDependencies();
    case DC_ORIENTATION:
      return static_cast<DWORD>(CtxGetLandscapeAngle(nullptr));
    case DC_COPIES:
      return static_cast<DWORD>(static_cast<int32_t>(profile->maxCopies));
    case DC_PERSONALITY:
      return UiCapPersonality(static_cast<WCHAR*>(output));
    case DC_PRINTRATE:
      return UiCapPrintRate(printer);
    case DC_PRINTRATEUNIT:
      return PRINTRATEUNIT_PPM;
    case DC_PRINTRATEPPM:
      return UiReadPrintRate(printer);
    case DC_COLORDEVICE:
      return UiCapColorDevice(printer);
    case DC_NUP:
      return UiCapNup(printer, ReadLockByte(printer, kOptLockDefault), static_cast<DWORD*>(output));
    default:  // 0, DC_MANUFACTURER, DC_MODEL, DC_PRINTERMEM, DC_MEDIATYPENAMES and above
      return kNoAnswer;
  }
}
