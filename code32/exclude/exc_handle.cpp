// The exclusive handle and the stand-alone Exc queries: the settings-file path and the driver's
// device mode in the ANSI layout, the handle's life cycle, its context with the device state
// settled and the user code read, and the getters' output convention.
#include "exc_handle.h"

#include <algorithm>
#include <cstring>

#include "api_devmode.h"
#include "command_table.h"
#include "context_services.h"
#include "core_memory.h"
#include "device_query.h"
#include "device_state.h"
#include "devmode_fields.h"
#include "env_system.h"
#include "job_control.h"
#include "model_query.h"
#include "option_access.h"
#include "settings_paths.h"
#include "win32/windows.h"

namespace {

constexpr int kNameChars = 260;
constexpr DWORD kDevModeAnsiTrim = 64;    // the two UTF-16 names are 32 bytes shorter each in ANSI
constexpr DWORD kPublicWideHead = 64;     // dmDeviceName in UTF-16
constexpr DWORD kPublicAnsiHead = 32;
constexpr DWORD kPublicFixedPart = 38;    // dmSpecVersion .. dmCollate
constexpr DWORD kFormNameWideAt = 102;
constexpr DWORD kFormNameAnsiAt = kPublicAnsiHead + kPublicFixedPart;  // 70
constexpr DWORD kLogPixelsWideAt = kFormNameWideAt + 64;               // 166
constexpr DWORD kLogPixelsAnsiAt = kFormNameAnsiAt + 32;               // 102
constexpr uint16_t kOptUserCode = 203;    // zdmUserCode, 9 ANSI bytes
constexpr uint16_t kOptBiDirect = 733;    // zdmBiDirect
constexpr uint16_t kOptModelType = 1263;  // wdmModelType
constexpr uint16_t kOptPaperSize = 8;     // dmPaperSize
constexpr DWORD kUserCodeItem = 1;

int ToWideName(const char* name, WCHAR* out) {
  if (!name) return 0;
  return MultiByteToWideChar(CP_ACP, 0, name, -1, out, kNameChars) > 0 ? 1 : 0;
}

HANDLE OpenNamedPrinter(const char* name) {
  WCHAR wide[kNameChars] = {};
  if (!ToWideName(name, wide)) return nullptr;
  HANDLE printer = nullptr;
  if (!OpenPrinterW(wide, &printer, nullptr)) return nullptr;
  return printer;
}

void ReleaseContext(DriverContext* ctx) {
  if (!ctx) return;
  CtxRelease(ctx);
  CtxPurgeCache(1);
}

// Capacity in bytes of an item's text as the job-control module hands it over.
DWORD JobValueBytes(DWORD item) {
  switch (item) {
    case 1: case 3: case 4: case 7: case 8: return 18;
    case 2: case 5: return 34;
    case 6: return 130;
    case 9: return 258;
    default: return 2;
  }
}

}  // namespace

int ExcCopyOut(const char* text, int32_t length, int32_t bufferLength, char* buffer, int32_t* lengthOut) {
  if (lengthOut) *lengthOut = length;
  if (length <= 0) return 0;
  if (!buffer || bufferLength < length) return 1;
  std::memcpy(buffer, text, static_cast<size_t>(length));
  return 0;
}

// ---- the job-control module ---------------------------------------------------------------------

int ApiReadJobValue(HANDLE printer, DWORD itemCode, DWORD kind, WCHAR* out) {
  if (!printer || !out) return 0;
  auto* pi2 = static_cast<PRINTER_INFO_2W*>(JcGetPrinterInfo(printer, 2));
  if (!pi2) return 0;
  WCHAR path[MAX_PATH] = {};
  const UINT dirLength = GetSystemDirectoryW(path, MAX_PATH);
  const size_t nameLength = std::char_traits<WCHAR>::length(kJobControlModuleName);
  if (dirLength == 0 || dirLength + 1 + nameLength >= MAX_PATH) {
    MdlFreeMem(pi2);
    return 0;
  }
  path[dirLength] = u'\\';
  std::memcpy(path + dirLength + 1, kJobControlModuleName, (nameLength + 1) * sizeof(WCHAR));
  HMODULE module = LoadLibraryW(path);
  int answered = 0;
  if (module) {
    auto getInterface = reinterpret_cast<JcGetInterfaceFn>(reinterpret_cast<void*>(GetProcAddress(module, "JCGetInterface")));
    auto dispose = reinterpret_cast<JcDisposeInterfaceFn>(reinterpret_cast<void*>(GetProcAddress(module, "JCDisposeInterface")));
    JobControlInterface* table = nullptr;
    if (getInterface && dispose && (getInterface(0x102, &table) == 0 || getInterface(0x101, &table) == 0) && table) {
      WCHAR name[261] = {};
      HANDLE session = nullptr;
      if (PrnResolveName(printer, name, 261, pi2) && table->openSession && table->openSession(name, &session) == 0) {
        DWORD needed = 0;
        const DWORD answer = table->getItem ? table->getItem(session, itemCode, kind, nullptr, 0, &needed) : 13;
        const DWORD capacity = JobValueBytes(itemCode);
        if (answer != 13 && needed != 0) {
          if (needed <= capacity) {
            answered = table->getItem(session, itemCode, kind, out, capacity, &needed) == 0 ? 1 : 0;
          } else if (auto* temp = static_cast<BYTE*>(CtxAllocMem(needed + sizeof(WCHAR)))) {
            if (table->getItem(session, itemCode, kind, temp, needed, &needed) == 0) {
              std::memcpy(out, temp, capacity);
              out[capacity / sizeof(WCHAR) - 1] = 0;
              answered = 1;
            }
            MdlFreeMem(temp);
          }
        }
        if (table->closeSession) table->closeSession(session);
      }
      dispose(table);
    }
    FreeLibrary(module);
  }
  MdlFreeMem(pi2);
  return answered;
}

// ---- the handle's context -------------------------------------------------------------------------

int ApiSyncDeviceState(DriverContext* ctx, int queryFlag) {
  if (!ctx) return 0;
  auto queryOrOff = [&] {
    if (queryFlag) BidiUpdateFromDeviceQuiet(ctx);
    else OptSetValue(ctx, kOptBiDirect, 0);
  };
  if (CtxGetServerClientMode(ctx) != 1 && BidiStateFileHasFlag(ctx)) {
    if (BidiStateFileGetFlag(ctx)) BidiSetDirectMode(ctx);
    else queryOrOff();
  } else {
    if (BidiPrinterDataHasState(ctx->printer, ctx)) BidiSetDirectMode(ctx);
    else queryOrOff();
  }
  return 1;
}

// The command vocabulary has two sets: the alternative one is that of the models without the
// large papers (A3 and Ledger are the only papers the standard set has beyond it). A context
// whose model type is neither takes the set its paper list fits.
void ApiSettleModelType(DriverContext* ctx) {
  const int32_t type = OptGetValue(ctx, kOptModelType, nullptr);
  if (type == 1 || type == 2) return;
  OptionEntry* row = OptFind(ctx, kOptPaperSize);
  const ModelItem* item = MdlFindItem(kOptPaperSize, ctx);
  if (!row || !item || !ctx->modelImage) return;
  bool large = false;
  for (const auto* value = static_cast<const ModelValue*>(MdlGetItemValues(kOptPaperSize, ctx, nullptr)); value;
       value = MdlNextItemValue(ctx->modelImage, item, value)) {
    const int32_t code = OptFromUiValue(ctx, row, value->valueId);
    if (code == 8 || code == 3) large = true;  // A3, Ledger
  }
  OptSetValue(ctx, kOptModelType, large ? 1 : 2);
}

int ApiOpenHandleContext(ExclusiveHandle* handle, int queryFlag) {
  if (handle->context) {
    ReleaseContext(handle->context);
    handle->context = nullptr;
  }
  DriverContext* ctx = CtxCreateForPrinter(handle->printer, handle->printer, nullptr, kCtxModeSettingsCommand);
  if (!ctx) return -1;
  handle->context = ctx;
  ApiSyncDeviceState(ctx, queryFlag);
  WCHAR code[9] = {};
  if (ApiReadJobValue(handle->printer, kUserCodeItem, 1, code)) {
    char ansi[9] = {};
    if (WideCharToMultiByte(CP_ACP, 0, code, -1, ansi, sizeof ansi, nullptr, nullptr) <= 0) ansi[0] = 0;
    ansi[8] = 0;
    if (OptionEntry* row = OptFind(ctx, kOptUserCode)) OptWriteValueBytes(ctx, row, ansi);
  }
  ApiSettleModelType(ctx);
  return 0;
}

int ApiResetHandle(ExclusiveHandle* handle, int reopen) {
  if (handle->flags) std::memset(handle->flags, 0, static_cast<size_t>(handle->count));
  if (handle->values) std::memset(handle->values, 0, static_cast<size_t>(handle->count) * sizeof(int32_t));
  MdlFreeMem(handle->changeText);
  handle->changeText = nullptr;
  handle->changeLength = 0;
  MdlFreeMem(handle->baseText);
  handle->baseText = nullptr;
  handle->baseLength = 0;
  return reopen == 1 ? ApiOpenHandleContext(handle, 0) : 0;
}

// ---- exports ----------------------------------------------------------------------------------

ZOLT_EXPORT int32_t WINAPI ExcGetIniFileName(const char* printerName, int32_t length, char* buffer, int32_t* lengthOut) {
  HANDLE printer = OpenNamedPrinter(printerName);
  if (!printer) return -1;
  const int perUser = EnvQueryTerminalServer(printer);
  WCHAR path[MAX_PATH] = {};
  if (!PathGetSettingsIniOf(path, MAX_PATH, static_cast<short>(perUser ? 1 : 0), printer)) {
    ClosePrinter(printer);
    return -1;
  }
  char ansi[MAX_PATH] = {};
  const int converted = path[0] ? WideCharToMultiByte(CP_ACP, 0, path, -1, ansi, MAX_PATH, nullptr, nullptr) : 1;
  ClosePrinter(printer);
  if (converted <= 0) return -1;
  const int32_t size = ansi[0] ? static_cast<int32_t>(std::strlen(ansi)) + 1 : 0;
  if (lengthOut) *lengthOut = size;
  if (size == 0) return 0;
  return ExcCopyOut(ansi, size, length, buffer, lengthOut);
}

ZOLT_EXPORT int32_t WINAPI ExcGetDriverDevmode(const char* printerName, int32_t flags, int32_t length, void* buffer,
                                               int32_t* lengthOut) {
  const DWORD size = DmGetSize() - kDevModeAnsiTrim;
  if (lengthOut) *lengthOut = static_cast<int32_t>(size);
  if (!buffer || length < static_cast<int32_t>(size)) return 1;
  if (flags != 1) return -1;
  HANDLE printer = OpenNamedPrinter(printerName);
  if (!printer) return -1;
  int32_t result = -1;
  DriverContext* ctx = CtxCreateForPrinter(printer, printer, nullptr, kCtxModeSettingsCommand);
  auto* wide = static_cast<BYTE*>(CtxAllocMem(DmGetSize()));
  if (ctx && wide && ApiFetchDefaultDevMode(ctx, printer, reinterpret_cast<DEVMODEW*>(wide)) != -1) {
    auto* out = static_cast<BYTE*>(buffer);
    std::memset(out, 0, size);
    auto* dm = reinterpret_cast<DEVMODEW*>(wide);
    const DWORD extra = dm->dmDriverExtra;
    const WORD ansiSize = static_cast<WORD>(dm->dmSize >= kDevModeAnsiTrim ? dm->dmSize - kDevModeAnsiTrim : 0);
    std::memcpy(out + kPublicAnsiHead, wide + kPublicWideHead, kPublicFixedPart);
    std::memcpy(out + kPublicAnsiHead + 4, &ansiSize, sizeof ansiSize);  // dmSize
    char form[32] = {};
    WCHAR formWide[33] = {};
    std::memcpy(formWide, wide + kFormNameWideAt, 64);
    if (WideCharToMultiByte(CP_ACP, 0, formWide, -1, form, sizeof form, nullptr, nullptr) <= 0) form[0] = 0;
    form[31] = 0;
    std::memcpy(out + kFormNameAnsiAt, form, sizeof form);
    // The rest of the public part and the whole private part, within both records.
    const DWORD tail = std::min<DWORD>(ansiSize + extra > kLogPixelsAnsiAt ? ansiSize + extra - kLogPixelsAnsiAt : 0,
                                       std::min(size - kLogPixelsAnsiAt, DmGetSize() - kLogPixelsWideAt));
    std::memcpy(out + kLogPixelsAnsiAt, wide + kLogPixelsWideAt, tail);
    std::strncpy(reinterpret_cast<char*>(out), printerName, 31);
    out[31] = 0;
    result = 0;
  }
  MdlFreeMem(wide);
  ReleaseContext(ctx);
  ClosePrinter(printer);
  return result;
}

ZOLT_EXPORT ExclusiveHandle* WINAPI ExcGetExclusive(const char* printerName) {
  WCHAR wide[kNameChars] = {};
  if (!ToWideName(printerName, wide)) return nullptr;
  auto* handle = static_cast<ExclusiveHandle*>(CtxAllocMem(sizeof(ExclusiveHandle)));
  if (!handle) return nullptr;
  bool ok = OpenPrinterW(wide, &handle->printer, nullptr) && handle->printer;
  if (ok) ok = ApiOpenHandleContext(handle, 1) == 0;
  if (ok) {
    handle->count = kExcSettingCount;
    handle->flags = static_cast<BYTE*>(CtxAllocMem(kExcSettingCount));
    handle->values = static_cast<int32_t*>(CtxAllocMem(kExcSettingCount * sizeof(int32_t)));
    ok = handle->flags && handle->values;
  }
  if (!ok) {
    ExcFreeExclusive(handle);
    return nullptr;
  }
  return handle;
}

ZOLT_EXPORT void WINAPI ExcFreeExclusive(ExclusiveHandle* handle) {
  if (!handle) return;
  ApiResetHandle(handle, 0);
  MdlFreeMem(handle->flags);
  MdlFreeMem(handle->values);
  ReleaseContext(handle->context);
  if (handle->printer) ClosePrinter(handle->printer);
  MdlFreeMem(handle);
}
