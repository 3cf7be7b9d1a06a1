// The job's settings at the start of a document and the job information of the job-control
// module.
#include "gr_job_settings.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "ctx_environment.h"
#include "device_state.h"
#include "devmode_fields.h"
#include "devmode_merge.h"
#include "devmode_public.h"
#include "driver_context.h"
#include "env_system.h"
#include "env_text.h"
#include "feature_modules.h"
#include "gr_job_services.h"
#include "option_access.h"
#include "option_constants.h"
#include "option_context_words.h"
#include "option_store.h"
#include "option_table.h"
#include "option_values.h"
#include "prn_data.h"
#include "settings_paths.h"

namespace {

enum : uint16_t {
  kOptFuncSelectScale = 55,     // zdmFuncSelectScale
  kOptFuncSelectNup = 56,       // zdmFuncSelectNup
  kOptFuncSelectDuplex = 58,    // zdmFuncSelectDuplex
  kOptFuncSelectSort = 61,      // zdmFuncSelectSort
  kOptScaleType = 87,           // zdmScaleType
  kOptDuplexType = 94,          // zdmDuplexType
  kOptTelLine = 234,            // zdmTelLine
  kOptFrontFunc = 350,          // zdmFrontFunc
  kOptPreviewFlag = 563,        // zdmFunc2SelectPreviewFlag
};
constexpr int32_t kFrontFitA4 = 0x8, kFrontFit2 = 0x20;
constexpr DWORD kCreationWordJob = 0x20000;
constexpr DWORD kFmNotifyJobOptions = 37;
constexpr DWORD kJobInformationMask = 0x789F;

// The job strings carried over the reload: option and the characters a value may have.
struct HeldString {
  uint16_t option;
  size_t maxChars;
};
constexpr HeldString kHeldStrings[] = {
    {202, 8}, {203, 8}, {204, 16}, {206, 16}, {207, 8}, {208, 8}, {233, 64}, {1251, 32},
};

// The items read from the job-control module, in order: code, option, request bytes.
struct JobItem {
  DWORD code;
  uint16_t option;
  DWORD size;
};
constexpr JobItem kJobItems[] = {
    {1, 203, 18}, {2, 204, 34}, {3, 207, 18},  {4, 202, 18},   {5, 206, 34},
    {8, 208, 18}, {16, 1251, 66}, {9, 1144, 258}, {10, 1145, 386}, {11, 1146, 66},
};

FitSaveArea* Fit(DriverContext* ctx, int which) {
  return ctx && ctx->workArea ? &ctx->workArea->fitSaves[which] : nullptr;
}

int32_t Opt(DriverContext* ctx, uint16_t id) { return OptGetValue(ctx, id, nullptr); }

bool IsDerivedOutputPaper(int32_t code) { return code >= 1024 && code <= 1028; }

// Duplex printing of a kind other than the three plain ones.
bool SpecialDuplex(DriverContext* ctx) {
  const int32_t type = Opt(ctx, kOptDuplexType);
  return Opt(ctx, kOptFuncSelectDuplex) != 0 && (type < 1 || type > 3);
}

void SaveFit(DriverContext* ctx, int which, int save) {
  FitSaveArea* area = Fit(ctx, which);
  if (!area) return;
  if (save) {
    area->outPaperSize = Opt(ctx, kOptOutPaperSize);
    area->funcSelectScale = Opt(ctx, kOptFuncSelectScale);
    area->scaleType = Opt(ctx, kOptScaleType);
  }
  area->saved = save ? 1 : 0;
}

void RestoreFit(DriverContext* ctx, int which) {
  FitSaveArea* area = Fit(ctx, which);
  if (!area || !area->saved) return;
  OptSetValue(ctx, kOptOutPaperSize, area->outPaperSize);
  OptSetValue(ctx, kOptFuncSelectScale, area->funcSelectScale);
  OptSetValue(ctx, kOptScaleType, area->scaleType);
}

void UseRegionalPaper(DriverContext* ctx) {
  const int16_t regional = OptGetRegionalPaperSize(ctx);
  OptSetValue(ctx, kOptOutPaperSize, regional);
  DmSetOutputPaper(regional, kOptOutPaperSize, ctx, CtxGetDevMode(ctx));
}

// The user name that the job-control module keys items by: the spooler job's, else the
// calling user's.
std::u16string JobUserName(HANDLE printer, DWORD jobId) {
  DWORD needed = 0;
  GetJobW(printer, jobId, 1, nullptr, 0, &needed);
  if (needed > 0 && needed < 0x100000) {
    std::vector<BYTE> block(needed);
    if (GetJobW(printer, jobId, 1, block.data(), needed, &needed)) {
      const auto* job = reinterpret_cast<const JOB_INFO_1W*>(block.data());
      if (job->pUserName && job->pUserName[0] && std::u16string_view(job->pUserName) != u"UNKNOWN")
        return job->pUserName;
    }
  }
  WCHAR user[257] = {};
  DWORD chars = 257;
  if (GetUserNameW(user, &chars)) return user;
  return {};
}

DWORD GetItem(WORD version, JobControlInterface* table, HANDLE handle, DWORD item, DWORD kind, void* buffer,
              DWORD size, DWORD* needed, const WCHAR* userName) {
  if (version < 0x103) return table->getItem(handle, item, kind, buffer, size, needed);
  auto getForUser = reinterpret_cast<JcGetForUserFn>(table->reserved10);
  if (!getForUser) return ERROR_NOT_SUPPORTED;
  return getForUser(handle, item, kind, userName, buffer, size, needed);
}

// An item's UTF-16 text (a UTF-16 copy of at most size bytes, terminated); false without value.
bool ReadWide(WORD version, JobControlInterface* table, HANDLE handle, DWORD item, DWORD size, const WCHAR* userName,
              std::u16string* text) {
  DWORD needed = 0;
  const DWORD answer = GetItem(version, table, handle, item, kJcKindText, nullptr, 0, &needed, userName);
  if (answer == kJcNoValue || needed == 0 || needed > 0x100000) return false;
  if (answer != 0 && answer != kJcUnknownItem) return false;
  std::vector<BYTE> buffer(std::max(needed, size) + 2, 0);
  if (GetItem(version, table, handle, item, kJcKindText, buffer.data(), std::max(needed, size), &needed, userName) != 0)
    return false;
  // The first size bytes, terminated.
  std::u16string wide(size / 2 + 1, u'\0');
  std::memcpy(wide.data(), buffer.data(), std::min<size_t>(size, buffer.size()) / 2 * 2);
  wide.resize(std::char_traits<char16_t>::length(wide.c_str()));
  *text = wide;
  return true;
}

}  // namespace

// ---- options --------------------------------------------------------------------------------

int GrSetAnsiOption(DriverContext* ctx, uint16_t id, const char* text, size_t n) {
  OptionEntry* row = OptFind(ctx, id);
  if (!row || !text) return 0;
  const DWORD size = OptStorageExtent(row->typeWord);
  if (size == 0 || size > 1024) return 0;
  char field[1024] = {};
  const size_t length = std::find(text, text + n, '\0') - text;
  std::memcpy(field, text, std::min<size_t>(length, size - 1));
  return OptWriteValueBytes(ctx, row, field) ? 1 : 0;
}

// ---- the fits -------------------------------------------------------------------------------

void GrSaveFitA4(DriverContext* ctx, int save) { SaveFit(ctx, 0, save); }
void GrSaveFit2(DriverContext* ctx, int save) { SaveFit(ctx, 1, save); }
int GrFitA4Saved(DriverContext* ctx) { return Fit(ctx, 0) ? static_cast<int>(Fit(ctx, 0)->saved) : 0; }
int GrFit2Saved(DriverContext* ctx) { return Fit(ctx, 1) ? static_cast<int>(Fit(ctx, 1)->saved) : 0; }
void GrSetFitA4Saved(DriverContext* ctx, int value) {
  if (FitSaveArea* a = Fit(ctx, 0)) a->saved = value ? 1 : 0;
}
void GrSetFit2Saved(DriverContext* ctx, int value) {
  if (FitSaveArea* a = Fit(ctx, 1)) a->saved = value ? 1 : 0;
}
void GrRestoreFitA4(DriverContext* ctx) { RestoreFit(ctx, 0); }
void GrRestoreFit2(DriverContext* ctx) { RestoreFit(ctx, 1); }

void GrApplyFitA4(DriverContext* ctx) {
  if (!IsDerivedOutputPaper(Opt(ctx, kOptOutPaperSize))) return;
  if (!OptIsA4FitActive(ctx)) {
    GrSaveFitA4(ctx, 0);
    return;
  }
  GrSaveFitA4(ctx, 1);
  UseRegionalPaper(ctx);
  if (Opt(ctx, kOptFuncSelectNup) == 0 && !SpecialDuplex(ctx)) {
    OptSetValue(ctx, kOptFuncSelectScale, 1);
    OptSetValue(ctx, kOptScaleType, 2);
  }
}

void GrApplyFit2(DriverContext* ctx) {
  if (!IsDerivedOutputPaper(Opt(ctx, kOptOutPaperSize))) return;
  if (OptIsA4FitActive(ctx)) {
    GrSaveFit2(ctx, 0);
    return;
  }
  GrSaveFit2(ctx, 1);
  if (!OptIsA4FitPaper(ctx, static_cast<int16_t>(Opt(ctx, kOptPaperSize)))) return;
  UseRegionalPaper(ctx);
  const bool scaled = Opt(ctx, kOptFuncSelectScale) != 0 && Opt(ctx, kOptScaleType) != 2;
  if (Opt(ctx, kOptFuncSelectNup) == 0 && !SpecialDuplex(ctx) && !scaled) {
    OptSetValue(ctx, kOptFuncSelectScale, 1);
    OptSetValue(ctx, kOptScaleType, 1);
  }
}

void GrApplyJobOptions(DriverContext* ctx) {
  if (const auto* dm = reinterpret_cast<const DEVMODEW*>(CtxGetDevMode(ctx))) {
    if (!(dm->dmFields & kDmFieldCollate))
      OptSetValue(ctx, kOptFuncSelectSort, 0);
    else if (dm->dmCollate == 1)
      OptSetValue(ctx, kOptFuncSelectSort, 1);
  }
  const int32_t front = Opt(ctx, kOptFrontFunc);
  if (front & kFrontFitA4) GrApplyFitA4(ctx);
  if (front & kFrontFit2) GrApplyFit2(ctx);
  FmBroadcastNotify(ctx, kFmNotifyJobOptions, nullptr);
}

void GrSetCallSource(DriverContext* ctx) {
  bool test;
  if (CtxGetServerClientMode(ctx) == 1 || !BidiStateFileHasFlag(ctx))
    test = BidiExFlagIsSet(ctx->printer, ctx) != 0;
  else
    test = BidiStateFileGetFlag(ctx) != 0;
  if (test)
    CtxSetCallSrcDefaults(ctx);
  else
    CtxSetCallSrcApp(ctx);
}

// ---- the document ---------------------------------------------------------------------------

int GrPrepareJobSettings(DriverContext* ctx, const DEVMODEW* devmode, DWORD mergeFlags, HANDLE printer, DWORD jobId) {
  if (!ctx) return 1;
  struct Held {
    uint16_t option;
    char text[72];
  };
  std::vector<Held> held;
  for (const HeldString& s : kHeldStrings) {
    OptionEntry* row = nullptr;
    const BYTE* value = OptGetValuePointer(ctx, s.option, &row);
    if (!value || !row) continue;
    const size_t extent = OptStorageExtent(row->typeWord);
    const size_t length = std::find(value, value + extent, 0) - value;
    if (length > s.maxChars || length == extent) continue;
    Held h{s.option, {}};
    std::memcpy(h.text, value, length);
    held.push_back(h);
  }
  const BYTE telLine = static_cast<BYTE>(Opt(ctx, kOptTelLine));

  if (ctx->workArea) ctx->workArea->creationMode = kCreationWordJob;
  CfgLoadOptionClass(printer, ctx, -1, 0);
  CfgLoadOptionClass(printer, ctx, 3, 2);
  if (BidiStateFileGetFlag(ctx)) BidiLoadStateFile(ctx);
  DmMergeIncoming(ctx, devmode, mergeFlags);
  GrApplyJobOptions(ctx);
  GrSetCallSource(ctx);
  for (const Held& h : held)
    if (h.text[0]) GrSetAnsiOption(ctx, h.option, h.text, sizeof h.text);
  OptSetValue(ctx, kOptTelLine, telLine);
  GrReadJobInformation(ctx, printer, jobId);
  OptSetValue(ctx, kOptPreviewFlag, 1);
  return 1;
}

// ---- the job information ----------------------------------------------------------------------

int GrReadJobInformation(DriverContext* ctx, HANDLE printer, DWORD jobId) {
  if (OptHasJobControl()) GrQueryJobControl(printer, ctx, jobId, kJobInformationMask);
  return 1;
}

int GrJcReadItem(WORD version, JobControlInterface* table, HANDLE handle, DWORD item, DWORD kind, DWORD size,
                 const WCHAR* userName, char* out, DWORD* needed) {
  if (needed) *needed = 0;
  if (!table || kind != kJcKindText || size < 2) return 0;
  std::u16string text;
  if (!ReadWide(version, table, handle, item, size, userName, &text)) return 0;
  if (needed) *needed = static_cast<DWORD>((text.size() + 1) * 2);
  EnvWideToAnsi(out, text.c_str(), static_cast<int>(size / 2));
  return 1;
}

int GrJcEncryptPassword(HANDLE printer, char* out, DWORD outSize, JcCryptInterface* crypt, JobControlInterface* table,
                        HANDLE handle) {
  if (!crypt || !table || !out || outSize == 0) return -1;
  DWORD secure = 0;
  PrnGetData(printer, &secure, sizeof secure, u"AuthenticationSecureMode", nullptr);
  const DWORD mode = (secure & 1) ? 2 : 4;
  HANDLE session = nullptr;
  if (crypt->create(mode, &session) != 0) return -1;
  if (mode == 2) {
    std::u16string user, key;
    ReadWide(0x102, table, handle, 9, 258, nullptr, &user);
    ReadWide(0x102, table, handle, 11, 258, nullptr, &key);
    const WCHAR* pair[2] = {user.c_str(), key.c_str()};
    crypt->setParameter(session, kJcCryptUserParameter, pair, sizeof pair);
  }
  std::u16string password;
  ReadWide(0x102, table, handle, 10, 512, nullptr, &password);
  char plain[512] = {};
  EnvWideToAnsi(plain, password.c_str(), sizeof plain);
  DWORD length = 0;
  std::vector<BYTE> first;
  bool ok = crypt->transform(session, plain, static_cast<DWORD>(std::strlen(plain)), nullptr, 0, &length) == 0 &&
            length < 0x100000;
  if (ok) {
    first.resize(length + 1);
    ok = crypt->transform(session, plain, static_cast<DWORD>(std::strlen(plain)), first.data(), length, &length) == 0 &&
         length <= first.size();
  }
  crypt->destroy(session);
  std::memset(plain, 0, sizeof plain);
  if (!ok) return -1;
  if (crypt->create(1, &session) != 0) return -1;
  DWORD outLength = 0;
  ok = crypt->transform(session, first.data(), length, out, outSize - 1, &outLength) == 0 && outLength < outSize;
  crypt->destroy(session);
  if (!ok) {
    out[0] = 0;
    return -1;
  }
  out[outLength] = 0;
  return 0;
}

int GrQueryJobControl(HANDLE printer, DriverContext* ctx, DWORD jobId, DWORD mask) {
  WCHAR printerName[261] = {};
  auto* info = static_cast<PRINTER_INFO_2W*>(JcGetPrinterInfo(printer, 2));
  if (!info) return 0;
  WCHAR system[261] = {};
  const UINT n = GetSystemDirectoryW(system, 261);
  std::u16string path = n && n < 261 ? std::u16string(system) + u"\\" + kJobControlModuleName : kJobControlModuleName;
  HMODULE module = LoadLibraryW(path.c_str());
  if (!module) {
    MdlFreeMem(info);
    return 0;
  }
  auto getInterface =
      reinterpret_cast<JcGetInterfaceFn>(reinterpret_cast<void*>(GetProcAddress(module, kJcGetInterfaceExport)));
  auto dispose =
      reinterpret_cast<JcDisposeInterfaceFn>(reinterpret_cast<void*>(GetProcAddress(module, kJcDisposeInterfaceExport)));
  int opened = 0;
  JobControlInterface* table = nullptr;
  JcCryptInterface* crypt = nullptr;
  WORD version = 0;
  if (getInterface && dispose) {
    for (WORD v : kJcVersions)
      if (getInterface(v, &table) == 0 && table) {
        version = v;
        break;
      }
    bool go = table != nullptr;
    if (go && version > 0x103)
      go = reinterpret_cast<JcCryptGetInterfaceFn>(getInterface)(kJcCryptInterfaceVersion, &crypt) == 0 && crypt;
    std::u16string user;
    if (go && version >= 0x103) {
      user = JobUserName(printer, jobId);
      go = !user.empty();
    }
    HANDLE handle = nullptr;
    if (go) {
      PrnResolveName(printer, printerName, 261, info);
      go = table->openSession(printerName, &handle) == 0;
    }
    if (go) {
      opened = 1;
      for (const JobItem& item : kJobItems) {
        if (const JcItemRow* row = JcFindItem(item.code); row && !(row->mask & mask)) continue;
        std::vector<char> text(item.size + 2, 0);
        int read = GrJcReadItem(version, table, handle, item.code, kJcKindText, item.size, user.c_str(), text.data(),
                                nullptr);
        if (!read && version > 0x102)
          read = GrJcReadItem(0x102, table, handle, item.code, kJcKindText, item.size, nullptr, text.data(), nullptr);
        if (!read) continue;
        if (item.code == 10) {
          char encrypted[400] = {};
          if (GrJcEncryptPassword(printer, encrypted, sizeof encrypted, crypt, table, handle) != 0) continue;
          GrSetAnsiOption(ctx, item.option, encrypted, sizeof encrypted);
          continue;
        }
        GrSetAnsiOption(ctx, item.option, text.data(), text.size());
      }
      table->closeSession(handle);
    }
    if (crypt) reinterpret_cast<JcCryptDisposeInterfaceFn>(dispose)(crypt);
    if (table) dispose(table);
  }
  FreeLibrary(module);
  MdlFreeMem(info);
  return opened;
}
