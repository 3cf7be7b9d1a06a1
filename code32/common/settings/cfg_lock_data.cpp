// Administrator lock data in printer data: the default settings image, the lock bytes and the
// locked values of each lock.
#include <cstring>
#include <memory>
#include <span>

#include "byte_order.h"
#include "core_memory.h"
#include "device_caps.h"
#include "devmode_fields.h"
#include "feature_modules.h"
#include "lock_data.h"
#include "model_query.h"
#include "option_access.h"
#include "option_values.h"
#include "prn_data.h"

namespace {

constexpr uint16_t kOptFuncSelectNup = 56;
constexpr uint16_t kOptFuncSelectDuplex = 58;
constexpr uint16_t kOptFuncSelectMargin = 67;
constexpr uint16_t kOptDstResolutionBoth = 152;

// One locked value: the option it is written from and read into, and a second option that
// reading sets as well.
struct LockedValue {
  const WCHAR* name;
  uint16_t option;
  uint16_t alsoRead;
  bool text;  // REG_SZ of kLockedTextBytes, the option holds 8-bit text
};

constexpr LockedValue kTrayValues[] = {{u"LockTrayData", 13, 0, false}};
constexpr LockedValue kMediaValues[] = {{u"LockMediaData", 54, 0, false}};
constexpr LockedValue kPrintTypeValues[] = {{u"LockPrnMethodData", 691, 209, false}};
constexpr LockedValue kColorValues[] = {{u"LockColorData", 15, 0, false}};
constexpr LockedValue kNupValues[] = {{u"LockNUPPOSTKindData", 91, 0, false}, {u"LockNUPTypeData", 92, 0, false}};
constexpr LockedValue kDuplexValues[] = {{u"LockDuplexTypeData", 94, 0, false}};
constexpr LockedValue kHeaderFooterValues[] = {
    {u"LockHFChoiceDateData", 100, 0, false},     {u"LockHFChoiceDatePosData", 108, 0, false},
    {u"LockHFChoiceDateFormData", 109, 0, false}, {u"LockHFChoicePageData", 101, 0, false},
    {u"LockHFChoicePageFormData", 111, 0, false}, {u"LockHFChoiceStrData", 102, 0, false},
    {u"LockHFChoiceStrPosData", 112, 0, false},   {u"LockHFChoiceStrFormData", 113, 0, false},
    {u"LockHFChoiceStrStringData", 114, 0, true}, {u"LockHFChoiceFontData", 1011, 0, false},
    {u"LockHFChoiceFontDataName", 115, 0, true},  {u"LockHFChoiceSizeData", 116, 0, false},
};

// A lock in the order of the walk: its bit, the option set to 1 before its values are read, and
// its values. The resolution lock has none of its own.
struct LockGroup {
  int (*inForce)(DriverContext*);
  uint16_t selectOption;
  std::span<const LockedValue> values;
  bool resolution;
};

const LockGroup kLockGroups[] = {
    {OptIsTrayLocked, 0, kTrayValues, false},
    {OptIsMediaLocked, 0, kMediaValues, false},
    {OptIsPrintTypeLocked, 0, kPrintTypeValues, false},
    {OptIsColorLocked, 0, kColorValues, false},
    {OptIsNupKindLocked, kOptFuncSelectNup, kNupValues, false},
    {OptIsDuplexLocked, kOptFuncSelectDuplex, kDuplexValues, false},
    {OptIsResolutionLocked, 0, {}, true},
    {OptIsHeaderFooterLocked, kOptFuncSelectMargin, kHeaderFooterValues, false},
};

constexpr DWORD kTextChars = kLockedTextBytes / sizeof(WCHAR);

// Reads a value of at most byteSize bytes into a zeroed buffer: a shorter value is
// zero-extended, a longer one is not read. `got` receives the stored size.
int ReadValue(HANDLE printer, const WCHAR* name, void* buffer, DWORD byteSize, DWORD* got) {
  std::memset(buffer, 0, byteSize);
  DWORD type = 0;
  DWORD needed = 0;
  if (GetPrinterDataW(printer, const_cast<LPWSTR>(name), &type, static_cast<LPBYTE>(buffer), byteSize, &needed) !=
      ERROR_SUCCESS)
    return 0;
  if (got) *got = needed;
  return 1;
}

int ReadU32(HANDLE printer, const WCHAR* name, uint32_t* out) {
  BYTE bytes[4];
  if (!ReadValue(printer, name, bytes, sizeof bytes, nullptr)) return 0;
  *out = ReadLe32(bytes);
  return 1;
}

int ReadLockedValue(HANDLE printer, DriverContext* ctx, const LockedValue& value) {
  if (value.text) {
    WCHAR text[kTextChars + 1];
    if (!ReadValue(printer, value.name, text, kLockedTextBytes, nullptr)) return 0;
    text[kTextChars] = 0;
    if (OptionEntry* row = OptFind(ctx, value.option)) OptSetStringValue(ctx, row, text);
    return 1;
  }
  uint32_t number = 0;
  if (!ReadU32(printer, value.name, &number)) return 0;
  OptSetValue(ctx, value.option, static_cast<int32_t>(number));
  if (value.alsoRead) OptSetValue(ctx, value.alsoRead, static_cast<int32_t>(number));
  return 1;
}

int WriteLockedValue(HANDLE printer, DriverContext* ctx, const LockedValue& value) {
  if (value.text) {
    WCHAR text[kTextChars] = {};
    if (OptionEntry* row = OptFind(ctx, value.option)) OptGetStringValue(ctx, row, text, kTextChars);
    return PrnSetString(printer, text, kLockedTextBytes, value.name, ctx);
  }
  BYTE bytes[4];
  WriteLe32(bytes, static_cast<uint32_t>(OptGetValue(ctx, value.option, nullptr)));
  return PrnSetBinary(printer, bytes, sizeof bytes, value.name, ctx);
}

// The resolution lock: option 10442 gives the resolution (and option 152 for a range).
int ApplyLockedResolution(DriverContext* ctx) {
  const int32_t value = OptGetValue(ctx, kOptLockDstResolutionBoth, nullptr);
  const int kind = CfgGetResolutionListKind(ctx);
  if (kind == -1) return 0;
  if (kind == 1) OptSetValue(ctx, kOptDstResolutionBoth, value);
  const ResolutionEntry* row = OptFindResolutionRow(static_cast<int16_t>(value));
  if (!row) return 0;
  OptSetValue(ctx, kOptDstResolutionW, row->xDpi);
  OptSetValue(ctx, kOptDstResolutionH, row->yDpi);
  return 1;
}

BYTE* LockDefaultImage(DriverContext* ctx) {
  return ctx && ctx->workArea ? reinterpret_cast<BYTE*>(ctx->workArea->lockDefaultImage) : nullptr;
}

struct FreeMem {
  void operator()(void* p) const { MdlFreeMem(p); }
};

}  // namespace

// ---- administrator default image and lock bits ------------------------------------------------

int PrnReadLockDefaultData(HANDLE printer, DriverContext* ctx) {
  BYTE* image = LockDefaultImage(ctx);
  if (!image) return 0;
  const DWORD size = DmGetImageSize();
  std::unique_ptr<BYTE, FreeMem> stored(static_cast<BYTE*>(CtxAllocMem(size)));
  if (!stored) return 0;
  DWORD got = 0;
  if (!ReadValue(printer, kLockDefaultDataValue, stored.get(), size, &got) || got != size) return 0;
  DmClearProcessLocalFields(stored.get());
  std::memcpy(image, stored.get(), size);
  return 1;
}

int PrnWriteLockDefaultData(HANDLE printer, DriverContext* ctx) {
  const BYTE* image = LockDefaultImage(ctx);
  if (!image) return 0;
  const DWORD size = DmGetImageSize();
  std::unique_ptr<BYTE, FreeMem> copy(static_cast<BYTE*>(CtxAllocMem(size)));
  if (!copy) return 0;
  std::memcpy(copy.get(), image, size);
  DmClearProcessLocalFields(copy.get());
  return PrnSetBinary(printer, copy.get(), size, kLockDefaultDataValue, ctx);
}

int PrnReadLockInfoByte(HANDLE printer, BYTE* out, WORD optionId) {
  if (!out) return 0;
  const WCHAR* name = optionId == kOptLockDefault ? u"zdmLock000InfoBit"
                      : optionId == kOptLockColor ? u"zdmLock001InfoBit"
                                                  : nullptr;
  if (!name) return 0;
  // The saver writes one byte; a wider value gives its low byte.
  BYTE bytes[4];
  if (!ReadValue(printer, name, bytes, sizeof bytes, nullptr)) return 0;
  *out = bytes[0];
  return 1;
}

// ---- locked values ----------------------------------------------------------------------------

int PrnReadLockedValues(HANDLE printer, DriverContext* ctx) {
  if (!ctx) return 0;
  for (const LockGroup& group : kLockGroups) {
    if (!group.inForce(ctx)) continue;
    if (group.resolution) {
      if (!ApplyLockedResolution(ctx)) return 0;
      continue;
    }
    if (group.selectOption) OptSetValue(ctx, group.selectOption, 1);
    for (const LockedValue& value : group.values)
      if (!ReadLockedValue(printer, ctx, value)) return 0;
  }
  FmRunBuiltInFunc(ctx, kBfInitLockInfo);
  return 1;
}

int PrnWriteLockedValues(HANDLE printer, DriverContext* ctx) {
  if (!ctx) return 0;
  for (const LockGroup& group : kLockGroups) {
    if (group.resolution || !group.inForce(ctx)) continue;
    for (const LockedValue& value : group.values)
      if (!WriteLockedValue(printer, ctx, value)) return 0;
  }
  return 1;
}

int CfgGetResolutionListKind(DriverContext* ctx) {
  if (!ctx || !ctx->modelImage) return -1;
  const ModelItem* item = MdlFindActiveItem(kOptDstResolutionW, ctx);
  if (!item) return -1;
  const uint16_t kind = ModelItemKind(item->typeWord);
  if (kind == kItemPickOne) return MdlCountList(ctx->modelImage, item->values) > 0 ? 0 : -1;
  if (kind == kItemNumeric && OptGetValue(ctx, kOptDstResolutionW, nullptr) != 0)
    // A Numeric item keeps a range record, never a list of values.
    return 1;
  return -1;
}

int PrnReadAuthenticationMode(HANDLE printer, uint32_t* out) {
  return out ? ReadU32(printer, kAuthenticationModeValue, out) : 0;
}

int PrnReadUserCustomizePopup(HANDLE printer, uint32_t* out) {
  return out ? ReadU32(printer, kUserCustomizePopupValue, out) : 0;
}
