// The job-control module's binding, its items and the dispatcher through which every exchange
// with it goes.
#include "job_control.h"

#include <cstring>
#include <cwchar>
#include <iterator>
#include <memory>

#include "context_services.h"
#include "core_memory.h"
#include "ctx_environment.h"
#include "env_language.h"
#include "feature_modules.h"
#include "model_query.h"
#include "option_access.h"
#include "option_store.h"
#include "settings_paths.h"

namespace {

enum : WORD {
  kOptTelLine = 234,  // zdmTelLine: a number, exchanged as decimal text
  kOptLanguageId = 169,
  kOptDriverVersion = 1337,
};

constexpr DWORD kTelLineCode = 7;
constexpr DWORD kFamilyNameCode = 256;
constexpr DWORD kDriverVersionCode = 257;
constexpr DWORD kLanguageCode = 258;
constexpr WCHAR kFamilyName[] = u"ZOLT";

// A text longer than this from the module is not taken.
constexpr DWORD kMaxItemBytes = 0x10000;

constexpr JcItemRow kItems[] = {
    {1, 0x1, 203, 9},      {2, 0x2, 204, 17},     {3, 0x4, 207, 9},        {4, 0x8, 202, 9},
    {5, 0x10, 206, 17},    {6, 0x20, 233, 62},    {7, 0x40, 234, 16},      {8, 0x80, 208, 9},
    {256, 0x100, 0, 16},   {257, 0x200, 0, 16},   {258, 0x400, 0, 0},      {16, 0x4000, 1251, 33},
    {9, 0x800, 1144, 129}, {10, 0x1000, 1145, 193}, {11, 0x2000, 1146, 33},
};
static_assert(std::size(kItems) == 15);

JcBinding* Binding(DriverContext* ctx) { return ctx && ctx->workArea ? &ctx->workArea->jobControl : nullptr; }

JobControlInterface* Table(DriverContext* ctx) {
  JcBinding* b = Binding(ctx);
  return b ? b->table : nullptr;
}

HANDLE Session(DriverContext* ctx) {
  JcBinding* b = Binding(ctx);
  return b && b->table ? b->session : nullptr;
}

// A zero-filled block freed at the end of its scope.
struct Buffer {
  explicit Buffer(size_t bytes) : data(static_cast<WCHAR*>(CtxAllocMem(bytes ? bytes : 2))) {}
  ~Buffer() { MdlFreeMem(data); }
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;
  WCHAR* data;
};

// The decimal value at the start of a text (as _wtoi reads it: blanks, a sign, digits).
int32_t TextToInt(const WCHAR* text) {
  while (*text == u' ' || *text == u'\t') ++text;
  bool negative = false;
  if (*text == u'-' || *text == u'+') negative = *text++ == u'-';
  int64_t value = 0;
  for (; *text >= u'0' && *text <= u'9'; ++text) {
    value = value * 10 + (*text - u'0');
    if (value > 0x7FFFFFFF) break;
  }
  if (value > 0x7FFFFFFF) value = 0x7FFFFFFF;
  return static_cast<int32_t>(negative ? -value : value);
}

// (sub-language << 10) | primary language of the context's UI language.
DWORD LanguageIdentifier(DriverContext* ctx, WORD* primaryOut, WORD* subOut) {
  WORD sub = 0;
  const WORD primary = EnvGetLangIds(static_cast<WORD>(OptGetValue(ctx, kOptLanguageId, nullptr)), &sub);
  if (primaryOut) *primaryOut = primary;
  if (subOut) *subOut = sub;
  return (static_cast<DWORD>(sub) << 10) | primary;
}

// Runs the step over every masked item in table order; the first error is the result.
template <typename Step>
DWORD ForMasked(DWORD mask, Step step) {
  DWORD result = 0;
  for (const JcItemRow& item : kItems) {
    if (!(mask & item.mask)) continue;
    const DWORD r = step(item);
    if (r != 0 && result == 0) result = r;
  }
  return result;
}

void ClearUserCodeSource(DriverContext* ctx) {
  CtxSetUserCodeGetOff(ctx);
  CtxSetUserCodeDLLOff(ctx);
}

}  // namespace

const JcItemRow* JcItemTable(int* count) {
  if (count) *count = static_cast<int>(std::size(kItems));
  return kItems;
}

const JcItemRow* JcFindItem(DWORD code) {
  for (const JcItemRow& item : kItems)
    if (item.code == code) return &item;
  return nullptr;
}

// ---- binding ------------------------------------------------------------------------------------

DWORD JcUnbindModule(DriverContext* ctx) {
  JcBinding* b = Binding(ctx);
  if (!b) return 0;
  if (b->getInterface && b->disposeInterface && b->table)
    reinterpret_cast<JcDisposeInterfaceFn>(b->disposeInterface)(b->table);
  b->table = nullptr;
  b->getInterface = nullptr;
  b->disposeInterface = nullptr;
  b->session = nullptr;
  b->version = 0;
  if (b->module) FreeLibrary(b->module);
  b->module = nullptr;
  return 0;
}

DWORD JcBindModule(DriverContext* ctx) {
  JcBinding* b = Binding(ctx);
  if (!b) return ERROR_INVALID_PARAMETER;
  if (b->module) return 0;
  std::memset(b, 0, sizeof(*b));
  b->module = LoadLibraryW(kJobControlModuleName);
  if (!b->module) return GetLastError();
  b->getInterface = reinterpret_cast<void*>(GetProcAddress(b->module, kJcGetInterfaceExport));
  b->disposeInterface = reinterpret_cast<void*>(GetProcAddress(b->module, kJcDisposeInterfaceExport));
  if (!b->getInterface || !b->disposeInterface) {
    const DWORD error = GetLastError() ? GetLastError() : static_cast<DWORD>(ERROR_PROC_NOT_FOUND);
    JcUnbindModule(ctx);
    return error;
  }
  auto getInterface = reinterpret_cast<JcGetInterfaceFn>(b->getInterface);
  DWORD result = ERROR_PROC_NOT_FOUND;
  for (WORD version : kJcVersions) {
    JobControlInterface* table = nullptr;
    result = getInterface(version, &table);
    if (result == 0 && table) {
      b->table = table;
      b->version = version;
      return 0;
    }
    // A module that reports success without a table has accepted nothing.
    if (result == 0) result = ERROR_INVALID_DATA;
  }
  JcUnbindModule(ctx);
  return result;
}

DWORD JcOpenSessionInModule(DriverContext* ctx) {
  JcBinding* b = Binding(ctx);
  if (!b || !b->table || !b->table->openSession) return ERROR_INVALID_PARAMETER;
  if (b->session) return 0;
  const WCHAR* name = PrnGetResolvedName(ctx);
  if (!name) return ERROR_INVALID_PARAMETER;
  HANDLE session = nullptr;
  const DWORD result = b->table->openSession(name, &session);
  if (result == 0) b->session = session;
  // A module that opens a session without a handle has opened none that can be used.
  return result == 0 && !session ? ERROR_INVALID_HANDLE : result;
}

DWORD JcCloseSessionInModule(DriverContext* ctx) {
  JcBinding* b = Binding(ctx);
  if (!b || !b->session) return 0;
  if (b->table && b->table->closeSession) b->table->closeSession(b->session);
  b->session = nullptr;
  return 0;
}

int JcCanOpenSession(DriverContext* ctx) {
  if (JcBindModule(ctx) != 0) return 0;
  JcBinding* b = Binding(ctx);
  int opened = 0;
  if (b->session) {
    opened = 1;
  } else if (JcOpenSessionInModule(ctx) == 0) {
    opened = 1;
    JcCloseSessionInModule(ctx);
  }
  JcUnbindModule(ctx);
  return opened;
}

// ---- items --------------------------------------------------------------------------------------

DWORD JcReadItem(DriverContext* ctx, DWORD code) {
  HANDLE session = Session(ctx);
  JobControlInterface* table = Table(ctx);
  if (!session) return 0;
  const JcItemRow* item = JcFindItem(code);
  if (!item || !item->option) return kJcUnknownItem;
  if (!table->queryItem || !table->getItem) return 0;

  const DWORD bytes = item->capacity * sizeof(WCHAR);
  Buffer text(bytes);
  if (!text.data) return ERROR_NOT_ENOUGH_MEMORY;
  DWORD flags = 0;
  DWORD result = table->queryItem(session, code, &flags);
  if (result != 0 || !(flags & 1)) return result;
  DWORD needed = 0;
  result = table->getItem(session, code, kJcKindText, nullptr, 0, &needed);
  if ((result != 0 && result != kJcUnknownItem) || needed == 0) return result;
  if (needed <= bytes) {
    result = table->getItem(session, code, kJcKindText, text.data, bytes, &needed);
  } else {
    if (needed > kMaxItemBytes) return result;
    Buffer wide(needed + sizeof(WCHAR));
    if (!wide.data) return ERROR_NOT_ENOUGH_MEMORY;
    result = table->getItem(session, code, kJcKindText, wide.data, needed, &needed);
    std::memcpy(text.data, wide.data, bytes);
  }
  // A text cut to the capacity, or one the module left without its terminator, ends here.
  text.data[item->capacity - 1] = u'\0';
  if (!text.data[0]) return result;
  if (code == kTelLineCode) OptSetValue(ctx, kOptTelLine, TextToInt(text.data));
  else if (OptionEntry* row = OptFind(ctx, item->option)) OptSetStringValue(ctx, row, text.data);
  return result;
}

DWORD JcWriteItem(DriverContext* ctx, DWORD code, DWORD mode) {
  HANDLE session = Session(ctx);
  JcBinding* b = Binding(ctx);
  if (!session) return 0;
  const JcItemRow* item = JcFindItem(code);
  if (!item) return kJcUnknownItem;
  if (!b->table->setItem) return 0;
  const bool driverInfo = code == kFamilyNameCode || code == kDriverVersionCode || code == kLanguageCode;
  const bool authentication = code == 9 || code == 10 || code == 11;
  if (b->version < 0x102 && driverInfo) return 0;
  if ((b->version == 0x102 || b->version == 0x103) && authentication) return 0;

  if (code == kLanguageCode) {
    const DWORD value = LanguageIdentifier(ctx, nullptr, nullptr);
    return b->table->setItem(session, code, kJcKindValue, &value, sizeof(value));
  }
  const DWORD bytes = item->capacity * sizeof(WCHAR);
  Buffer text(bytes);
  if (!text.data) return ERROR_NOT_ENOUGH_MEMORY;
  OptionEntry* row = item->option ? OptFind(ctx, item->option) : nullptr;
  if (mode == kJcCmdClearInSession && item->option) {
    if (code == kTelLineCode) OptSetValue(ctx, kOptTelLine, static_cast<int32_t>(MdlGetItemDefault(kOptTelLine, ctx)));
    else if (row) OptSetStringValue(ctx, row, u"");
  }
  if (code == kTelLineCode) {
    wsprintfW(text.data, u"%d", static_cast<int>(OptGetValue(ctx, kOptTelLine, nullptr)));
  } else if (code == kFamilyNameCode) {
    lstrcpynW(text.data, kFamilyName, item->capacity);
  } else if (code == kDriverVersionCode) {
    if (OptionEntry* version = OptFind(ctx, kOptDriverVersion))
      OptGetStringValue(ctx, version, text.data, item->capacity);
    JcDriverVersionNotice notice{text.data, item->capacity};
    FmBroadcastNotify(ctx, kFmNotifyJcDriverVersion, &notice);
    text.data[item->capacity - 1] = u'\0';
  } else if (row) {
    OptGetStringValue(ctx, row, text.data, item->capacity);
  }
  return b->table->setItem(session, code, kJcKindText, text.data, bytes);
}

DWORD JcDeleteItem(DriverContext* ctx, DWORD code) {
  HANDLE session = Session(ctx);
  if (!session || !Table(ctx)->deleteItem) return 0;
  return Table(ctx)->deleteItem(session, code);
}

DWORD JcSendLanguage(DriverContext* ctx) {
  HANDLE session = Session(ctx);
  if (!session || !Table(ctx)->setLanguage) return 0;
  JcLanguageRecord record{sizeof(JcLanguageRecord), 0, 0};
  LanguageIdentifier(ctx, &record.primary, &record.sub);
  return Table(ctx)->setLanguage(session, 1, &record);
}

DWORD JcClearItemSetting(DriverContext* ctx, DWORD code) {
  const JcItemRow* item = JcFindItem(code);
  if (!item || !item->option) return kJcUnknownItem;
  if (code == kTelLineCode) OptSetValue(ctx, kOptTelLine, 0);
  else if (OptionEntry* row = OptFind(ctx, item->option)) OptSetStringValue(ctx, row, u"");
  return 0;
}

void JcClearItems(DriverContext* ctx, DWORD mask) {
  ForMasked(mask, [&](const JcItemRow& item) { return JcClearItemSetting(ctx, item.code); });
}

namespace {

// Codes 1-11 are kept in printer data; the billing code and the driver's own items are not.
template <typename Step>
void ForStoredItems(DriverContext* ctx, DWORD mask, Step step) {
  if (!ctx || !ctx->settingsImage) return;
  for (const JcItemRow& item : kItems) {
    if (!(mask & item.mask) || item.code < 1 || item.code > 11) continue;
    if (OptionEntry* row = OptFind(ctx, item.option)) step(row);
  }
}

}  // namespace

int JcLoadItemsFromPrinterData(DriverContext* ctx, DWORD mask) {
  ForStoredItems(ctx, mask, [&](OptionEntry* row) { PrnReadOptionByFieldName(ctx->printer, ctx, row); });
  return 0;
}

int JcSaveItemsToPrinterData(DriverContext* ctx, DWORD mask) {
  ForStoredItems(ctx, mask, [&](OptionEntry* row) { PrnWriteOptionByFieldName(ctx->printer, ctx, row); });
  return 0;
}

// ---- the dispatcher -----------------------------------------------------------------------------

DWORD JcDispatch(DriverContext* ctx, DWORD command, DWORD mask) {
  if (!Binding(ctx)) return ERROR_INVALID_PARAMETER;
  switch (command) {
    case kJcCmdInitPrinter: {
      DWORD result = JcBindModule(ctx);
      if (result != 0) return result;
      const WCHAR* name = PrnGetName(ctx);
      JobControlInterface* table = Table(ctx);
      if (table->initPrinter && name) result = table->initPrinter(name);
      JcUnbindModule(ctx);
      ClearUserCodeSource(ctx);
      return result;
    }
    case kJcCmdOpenSession: {
      const DWORD result = JcBindModule(ctx);
      if (result != 0) return result;
      return JcOpenSessionInModule(ctx);
    }
    case kJcCmdCloseSession:
      JcCloseSessionInModule(ctx);
      return JcUnbindModule(ctx);
    case kJcCmdReadInSession:
      return ForMasked(mask, [&](const JcItemRow& item) { return JcReadItem(ctx, item.code); });
    case kJcCmdWriteInSession:
    case kJcCmdClearInSession:
      return ForMasked(mask, [&](const JcItemRow& item) { return JcWriteItem(ctx, item.code, command); });
    case kJcCmdReadItems:
    case kJcCmdWriteItems: {
      DWORD result = JcBindModule(ctx);
      if (result != 0) return result;
      result = JcOpenSessionInModule(ctx);
      if (result == 0) {
        result = command == kJcCmdReadItems
                     ? ForMasked(mask, [&](const JcItemRow& item) { return JcReadItem(ctx, item.code); })
                     : ForMasked(mask, [&](const JcItemRow& item) { return JcWriteItem(ctx, item.code, command); });
      }
      JcCloseSessionInModule(ctx);
      JcUnbindModule(ctx);
      if (command == kJcCmdReadItems) ClearUserCodeSource(ctx);
      return result;
    }
    default: return 0;
  }
}

DWORD JcInitPrinter(DriverContext* ctx) { return JcDispatch(ctx, kJcCmdInitPrinter, 0); }
void JcOpenSession(DriverContext* ctx) { JcDispatch(ctx, kJcCmdOpenSession, 0); }
void JcCloseSession(DriverContext* ctx) { JcDispatch(ctx, kJcCmdCloseSession, 0); }
void JcReadItemsInSession(DriverContext* ctx, DWORD mask) { JcDispatch(ctx, kJcCmdReadInSession, mask); }
void JcWriteItemsInSession(DriverContext* ctx, DWORD mask) { JcDispatch(ctx, kJcCmdWriteInSession, mask); }
void JcClearItemsInSession(DriverContext* ctx, DWORD mask) { JcDispatch(ctx, kJcCmdClearInSession, mask); }
DWORD JcReadItems(DriverContext* ctx, DWORD mask) { return JcDispatch(ctx, kJcCmdReadItems, mask); }
DWORD JcWriteItems(DriverContext* ctx, DWORD mask) { return JcDispatch(ctx, kJcCmdWriteItems, mask); }
