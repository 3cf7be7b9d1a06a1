// Fixed-offset fields of a device mode, the sizes of the settings image, and the checks of the
// private part's text fields.
#include "devmode_fields.h"

#include <cstring>

#include "byte_order.h"

namespace {

// Device-mode offsets.
enum : DWORD {
  kAtDmSize = 68,
  kAtColor = 92,
  kAtPrivateIdentity = 349,
  kAtPrivateSize = 353,
  kAtStoredVersion = 357,
  kAtMachineID = 368,
  kAtIniFileName = 228,
  kAtCDCVersion = 244,
  kAtZPJLVersion = 260,
  kAtNupPostKind = 446,
  kAtHFFuncSelect = 462,
  kAtHFDatePosi = 463,
  kAtHFDateForm = 464,
  kAtHFPageForm = 466,
  kAtHFStrPosi = 467,
  kAtHFStrForm = 468,
  kAtHFString = 469,
  kAtHFFontName = 502,
  kAtQualityFunc = 576,
  kAtMachineType = 810,
  kAtDriverType = 811,
  kAtFrontFunc = 852,
  kAtHidden2Func = 896,
  kAtCopyProtectFont = 975,
  kAtSupportFunc2 = 1020,
  kAtTrackID = 1040,
  kAtLockPrnMethod = 1178,
  kAtMIInstalled = 1218,
  kAtCallSrc = 1219,
  kAtOSKind = 1220,
  kAtBatchInst = 1221,
  kAtPrintLog = 1222,
  kAtBiDirect = 1223,
  kAtNoPermission = 1224,
  kAtPresentUIMode = 1225,
  kAtBidiSupport = 1226,
  kAtServerClientMode = 1227,
  kAtUserCodeFIX = 1228,
  kAtUserCodeGet = 1229,
  kAtTMInstalled = 1230,
  kAtPropertyType = 1231,
  kAtUserCodeDLL = 1232,
  kAtTSE = 1233,
  kAtAdmin = 1234,
  kAtBidiFunc = 1235,
};

constexpr DWORD kPublicSize = 220;
constexpr DWORD kPrivateSize = 1016;
constexpr DWORD kDevModeSize = kPublicSize + kPrivateSize;
constexpr DWORD kPrinterDataBlockSize = 5264;
constexpr DWORD kImageBlock2At = 363;
static_assert(kDevModeSize == kFullDevModeSize);
static_assert(kAtBidiFunc < kDevModeSize);

BYTE GetByte(const BYTE* dm, DWORD at) { return dm ? dm[at] : 0; }

BYTE* SetByte(BYTE* dm, DWORD at, BYTE value) {
  if (dm) dm[at] = value;
  return dm;
}

BYTE* WorkingDevMode(DriverContext* ctx) { return ctx ? reinterpret_cast<BYTE*>(ctx->settingsImage) : nullptr; }

// A text field check: the text, read into a zeroed buffer of bufferSize bytes (at most
// bufferSize - 1 of them), must be shorter than `below`.
int TextShorterThan(const BYTE* dm, DWORD at, size_t bufferSize, size_t below) {
  if (!dm) return 0;
  const auto* text = reinterpret_cast<const char*>(dm + at);
  return strnlen(text, bufferSize - 1) < below ? 1 : 0;
}

}  // namespace

// ---- sizes and parts ----------------------------------------------------------------------------

DWORD DmGetPublicSize() { return kPublicSize; }
DWORD DmGetPrivateSize() { return kPrivateSize; }
DWORD DmGetSize() { return kDevModeSize; }
DWORD DmGetPrinterDataBlockSize() { return kPrinterDataBlockSize; }
DWORD DmGetImageSize() { return kSettingsImageSize; }

BYTE* CtxGetDevMode(DriverContext* ctx) { return WorkingDevMode(ctx); }

BYTE* CtxGetDevModePrivate(DriverContext* ctx) { return DmGetPrivatePart(WorkingDevMode(ctx)); }

BYTE* CtxGetPrinterDataBlock(DriverContext* ctx) {
  BYTE* image = WorkingDevMode(ctx);
  if (!image) return nullptr;
  const DWORD start = ReadLe16(image + kImageBlock2At);
  return start < kSettingsImageSize ? image + start : nullptr;
}

BYTE* DmGetPrivatePart(BYTE* dm) { return dm ? dm + ReadLe16(dm + kAtDmSize) : nullptr; }

BYTE* DmGetPrivatePartFixed(BYTE* dm) { return dm ? dm + kPublicSize : nullptr; }

// ---- the private header ---------------------------------------------------------------------------

DWORD DmGetPrivateIdentity(const BYTE* dm) { return dm ? ReadLe32(dm + kAtPrivateIdentity) : 0; }
DWORD DmGetPrivateSizeField(const BYTE* dm) { return dm ? ReadLe32(dm + kAtPrivateSize) : 0; }
DWORD DmGetStoredVersion(const BYTE* dm) { return dm ? ReadLe32(dm + kAtStoredVersion) : 0; }
BYTE DmGetMachineID(const BYTE* dm) { return GetByte(dm, kAtMachineID); }

// ---- environment bytes ----------------------------------------------------------------------------

#define ZOLT_CTX_SET(Name, at) \
  void CtxSet##Name(DriverContext* ctx, BYTE value) { SetByte(WorkingDevMode(ctx), at, value); }
#define ZOLT_CTX_GET(Name, at) \
  BYTE CtxGet##Name(DriverContext* ctx) { return GetByte(WorkingDevMode(ctx), at); }
#define ZOLT_DM_SET(Name, at) \
  BYTE* DmSet##Name(BYTE* dm, BYTE value) { return SetByte(dm, at, value); }
#define ZOLT_DM_GET(Name, at) \
  BYTE DmGet##Name(const BYTE* dm) { return GetByte(dm, at); }

ZOLT_CTX_SET(MIInstalled, kAtMIInstalled)
ZOLT_CTX_SET(CallSrc, kAtCallSrc)
ZOLT_CTX_GET(CallSrc, kAtCallSrc)
ZOLT_DM_SET(CallSrc, kAtCallSrc)
ZOLT_DM_GET(CallSrc, kAtCallSrc)
ZOLT_CTX_SET(OSKind, kAtOSKind)
ZOLT_CTX_GET(OSKind, kAtOSKind)
ZOLT_DM_SET(OSKind, kAtOSKind)
ZOLT_DM_GET(OSKind, kAtOSKind)
ZOLT_CTX_SET(BatchInst, kAtBatchInst)
ZOLT_DM_SET(BatchInst, kAtBatchInst)
ZOLT_DM_GET(BatchInst, kAtBatchInst)
ZOLT_CTX_SET(PrintLog, kAtPrintLog)
ZOLT_CTX_GET(PrintLog, kAtPrintLog)
ZOLT_DM_SET(PrintLog, kAtPrintLog)
ZOLT_DM_GET(PrintLog, kAtPrintLog)
ZOLT_CTX_SET(BiDirect, kAtBiDirect)
ZOLT_CTX_GET(BiDirect, kAtBiDirect)
ZOLT_DM_SET(BiDirect, kAtBiDirect)
ZOLT_DM_GET(BiDirect, kAtBiDirect)
ZOLT_CTX_SET(NoPermission, kAtNoPermission)
ZOLT_CTX_GET(NoPermission, kAtNoPermission)
ZOLT_DM_SET(NoPermission, kAtNoPermission)
ZOLT_DM_GET(NoPermission, kAtNoPermission)
ZOLT_CTX_SET(PresentUIMode, kAtPresentUIMode)
ZOLT_CTX_GET(PresentUIMode, kAtPresentUIMode)
ZOLT_CTX_SET(BidiSupport, kAtBidiSupport)
ZOLT_CTX_SET(ServerClientMode, kAtServerClientMode)
ZOLT_CTX_GET(ServerClientMode, kAtServerClientMode)
ZOLT_DM_SET(ServerClientMode, kAtServerClientMode)
ZOLT_DM_GET(ServerClientMode, kAtServerClientMode)
ZOLT_CTX_SET(UserCodeFIX, kAtUserCodeFIX)
ZOLT_CTX_SET(UserCodeGet, kAtUserCodeGet)
ZOLT_CTX_GET(UserCodeGet, kAtUserCodeGet)
ZOLT_CTX_SET(TMInstalled, kAtTMInstalled)
ZOLT_CTX_SET(PropertyType, kAtPropertyType)
ZOLT_DM_SET(PropertyType, kAtPropertyType)
ZOLT_DM_GET(PropertyType, kAtPropertyType)
ZOLT_CTX_SET(UserCodeDLL, kAtUserCodeDLL)
ZOLT_CTX_SET(TSE, kAtTSE)
ZOLT_CTX_GET(TSE, kAtTSE)
ZOLT_DM_SET(TSE, kAtTSE)
ZOLT_DM_GET(TSE, kAtTSE)
ZOLT_CTX_SET(Admin, kAtAdmin)
ZOLT_CTX_GET(Admin, kAtAdmin)
ZOLT_DM_SET(Admin, kAtAdmin)
ZOLT_DM_GET(Admin, kAtAdmin)
ZOLT_CTX_SET(BidiFunc, kAtBidiFunc)
ZOLT_CTX_GET(BidiFunc, kAtBidiFunc)
ZOLT_DM_SET(BidiFunc, kAtBidiFunc)
ZOLT_DM_GET(BidiFunc, kAtBidiFunc)

// ---- option fields --------------------------------------------------------------------------------

BYTE* DmSetFrontFunc(BYTE* dm, DWORD value) {
  if (dm) WriteLe32(dm + kAtFrontFunc, value);
  return dm;
}
DWORD DmGetFrontFunc(const BYTE* dm) { return dm ? ReadLe32(dm + kAtFrontFunc) : 0; }

BYTE* DmSetQualityFuncBits(BYTE* dm, WORD bits) {
  if (dm) WriteLe16(dm + kAtQualityFunc, bits);
  return dm;
}
WORD DmGetQualityFuncBits(const BYTE* dm) { return dm ? ReadLe16(dm + kAtQualityFunc) : 0; }

BYTE* DmSetHidden2FuncBits(BYTE* dm, DWORD bits) {
  if (dm) WriteLe32(dm + kAtHidden2Func, bits);
  return dm;
}
DWORD DmGetHidden2FuncBits(const BYTE* dm) { return dm ? ReadLe32(dm + kAtHidden2Func) : 0; }

namespace {

BYTE* SetSupportFunc2Bit(BYTE* dm, DWORD mask, DWORD bits) {
  if (dm) WriteLe32(dm + kAtSupportFunc2, (ReadLe32(dm + kAtSupportFunc2) & ~mask) | (bits & mask));
  return dm;
}

}  // namespace

BYTE* DmSetJobCompleteSupport(BYTE* dm, DWORD bits) { return SetSupportFunc2Bit(dm, 0x1, bits); }
BYTE* DmSetJobErrSupport(BYTE* dm, DWORD bits) { return SetSupportFunc2Bit(dm, 0x2, bits); }
DWORD DmGetSupportFunc2Bits(const BYTE* dm) { return dm ? ReadLe32(dm + kAtSupportFunc2) : 0; }

ZOLT_DM_SET(LockPrnMethod, kAtLockPrnMethod)
ZOLT_DM_GET(LockPrnMethod, kAtLockPrnMethod)
ZOLT_DM_GET(MachineTypeBits, kAtMachineType)
ZOLT_DM_GET(DriverType, kAtDriverType)
ZOLT_DM_GET(NupPostKind, kAtNupPostKind)

int16_t DmGetColor(const BYTE* dm) { return dm ? static_cast<int16_t>(ReadLe16(dm + kAtColor)) : 0; }

ZOLT_DM_SET(HFFuncSelectBits, kAtHFFuncSelect)
ZOLT_DM_GET(HFFuncSelectBits, kAtHFFuncSelect)
ZOLT_DM_SET(HFDatePosi, kAtHFDatePosi)
ZOLT_DM_GET(HFDatePosi, kAtHFDatePosi)
ZOLT_DM_SET(HFDateForm, kAtHFDateForm)
ZOLT_DM_GET(HFDateForm, kAtHFDateForm)
ZOLT_DM_SET(HFPageForm, kAtHFPageForm)
ZOLT_DM_GET(HFPageForm, kAtHFPageForm)
ZOLT_DM_SET(HFStrPosi, kAtHFStrPosi)
ZOLT_DM_GET(HFStrPosi, kAtHFStrPosi)
ZOLT_DM_SET(HFStrForm, kAtHFStrForm)
ZOLT_DM_GET(HFStrForm, kAtHFStrForm)

#undef ZOLT_CTX_SET
#undef ZOLT_CTX_GET
#undef ZOLT_DM_SET
#undef ZOLT_DM_GET

BYTE* DmSetHFString(BYTE* dm, const char* text) {
  if (!dm || !text) return dm;
  const size_t length = strnlen(text, kHFStringSize);
  std::memset(dm + kAtHFString, 0, kHFStringSize);
  std::memcpy(dm + kAtHFString, text, length);
  return dm;
}

char* DmGetHFString(const BYTE* dm, char* out) {
  if (dm && out) std::memcpy(out, dm + kAtHFString, kHFStringSize);
  return out;
}

// ---- text-field checks ----------------------------------------------------------------------------

int DmIsIniFileNameValid(const BYTE* dm) { return TextShorterThan(dm, kAtIniFileName, 32, 17); }
int DmIsCDCVersionValid(const BYTE* dm) { return TextShorterThan(dm, kAtCDCVersion, 32, 17); }
int DmIsZPJLVersionValid(const BYTE* dm) { return TextShorterThan(dm, kAtZPJLVersion, 32, 17); }
int DmIsTrackIDValid(const BYTE* dm) { return TextShorterThan(dm, kAtTrackID, 32, 22); }
int DmIsCopyProtectFontValid(const BYTE* dm) { return TextShorterThan(dm, kAtCopyProtectFont, 64, 33); }
int DmIsHFFontNameValid(const BYTE* dm) { return TextShorterThan(dm, kAtHFFontName, 64, 33); }
int DmIsHFStringValid(const BYTE* dm) { return TextShorterThan(dm, kAtHFString, 64, 34); }
