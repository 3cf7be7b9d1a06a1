// Handlers of the print method with its job data (user id, passwords, owner and document names,
// merge file and overlay) and of the user-id status, which uses the print method's record: the
// texts that the job-control module keeps for held, secured and stored jobs.
#include <cstring>

#include "api_frame.h"
#include "api_options.h"
#include "api_status.h"
#include "api_support.h"
#include "option_access.h"
#include "option_store.h"
#include "option_validation.h"
#include "settings_paths.h"
#include "status_layouts.h"

namespace {

constexpr uint16_t kOptUserId = 202;        // zdmUserID, 9 ANSI bytes
constexpr DWORD kJobItemUserId = 8;         // the job-control item of the user id
constexpr int32_t kJobDataRecordSize = 392; // the print-method record, version 1
constexpr size_t kUserIdAt = 12;
constexpr size_t kUserIdBytes = 9;
constexpr size_t kFlagsAt = 8;
constexpr uint32_t kFlagUserId = 0x1;

bool IsLetterOrDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The record's user id, read within its field (a field without a terminator holds 9 bytes,
// which is one more than an id may have).
size_t UserIdOf(const StatusRecord* record, char* out) {
  const auto* bytes = reinterpret_cast<const char*>(record) + kUserIdAt;
  size_t n = 0;
  while (n < kUserIdBytes && bytes[n]) ++n;
  std::memcpy(out, bytes, n);
  out[n] = 0;
  return n;
}

int SetUserId(DriverContext* ctx, uint32_t, const StatusRecord* record, uint8_t*, int32_t) {
  char id[kUserIdBytes + 1] = {};
  const size_t n = UserIdOf(record, id);
  if (n >= kUserIdBytes) return 0;
  for (size_t i = 0; i < n; ++i)
    if (!IsLetterOrDigit(id[i])) return 0;
  const int32_t method = OptGetValue(ctx, kApiOptPrnMethod, nullptr);
  if (n == 0 && (method == 1 || method == 2)) return 0;
  char field[kUserIdBytes] = {};
  std::memcpy(field, id, n);
  if (!OptSetValueBytes(ctx, kOptUserId, field)) return 0;
  ApiStoreJobValue(ctx, kJobItemUserId);
  return 1;
}

int32_t GetUserId(DriverContext* ctx, uint32_t, StatusRecord* record, uint32_t) {
  if (!record) return kJobDataRecordSize;
  auto* bytes = reinterpret_cast<uint8_t*>(record);
  std::memset(bytes + kFlagsAt, 0, 4);
  std::memset(bytes + kUserIdAt, 0, kUserIdBytes);
  ApiLoadJobValues(ctx, kJobItemUserId);
  const BYTE* stored = OptGetValuePointer(ctx, kOptUserId, nullptr);
  if (!stored) return kJobDataRecordSize;
  size_t n = 0;
  while (n < kUserIdBytes && stored[n]) ++n;
  if (n >= 1 && n <= 8) {
    std::memcpy(bytes + kUserIdAt, stored, n);
    std::memcpy(bytes + kFlagsAt, &kFlagUserId, 4);
  }
  return kJobDataRecordSize;
}


// ---- print method and job data -----------------------------------------------------------------

using namespace status_steps;

// One text field of the print-method record: where it lies, its size, the flag that says it is
// given, the option it sets and the job-control item that keeps it (0: none).
struct JobField {
  size_t offset;
  size_t bytes;
  uint32_t flag;
  uint16_t option;
  DWORD jobItem;
};

constexpr uint16_t kOptJobPassword = 207;
constexpr uint16_t kOptStoredPassword = 208;
constexpr uint16_t kOptOwnerName = 204;
constexpr uint16_t kOptDocumentName = 206;
constexpr uint16_t kOptMergeFile = 205;
constexpr uint16_t kOptOverlayPath = 976;
constexpr uint16_t kOptSharedPrintData = 609;

constexpr JobField kUserIdField{12, 9, 0x1, kOptUserId, 8};
constexpr JobField kJobPassword4{21, 5, 0x2, kOptJobPassword, 4};
constexpr JobField kStoredPassword4{26, 5, 0x4, kOptStoredPassword, 0x80};
constexpr JobField kOwnerName{31, 17, 0x8, kOptOwnerName, 2};
constexpr JobField kDocumentName{48, 17, 0x10, kOptDocumentName, 0x10};
constexpr JobField kMergeFile{65, 65, 0x20, kOptMergeFile, 0};
constexpr JobField kOverlayPath{130, 260, 0x40, kOptOverlayPath, 0};
constexpr JobField kJobPassword8{390, 9, 0x80, kOptJobPassword, 4};
constexpr JobField kStoredPassword8{399, 9, 0x100, kOptStoredPassword, 0x80};
constexpr JobField kDocumentName8{408, 17, 0x200, kOptDocumentName, 0x10};
constexpr JobField kDocumentName9{425, 17, 0x400, kOptDocumentName, 0x10};
constexpr JobField kPassword9{442, 9, 0x800, kOptStoredPassword, 0x80};
constexpr JobField kDocumentName10{451, 17, 0x1000, kOptDocumentName, 0x10};
constexpr JobField kPassword10{468, 9, 0x2000, kOptStoredPassword, 0x80};
constexpr size_t kSharedDataAt = 480;
constexpr uint32_t kFlagSharedData = 0x4000;

constexpr uint32_t kDroppedFlags[4] = {0, 0x7F80, 0x7E00, 0};  // by record version
constexpr uint32_t kReportedFlags[4] = {0, 0x7F, 0x1F9, 0x7FF9};
constexpr uint16_t kCustomPaperMessage = 10075;

size_t TextLength(const StatusRecord* r, const JobField& f) { return ApiRecordTextLength(r, f.offset, f.bytes); }
const char* Text(const StatusRecord* r, const JobField& f) { return ApiRecordText(r, f.offset); }

bool AllDigits(const char* text, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  return true;
}
bool LettersAndDigits(const char* text, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (!IsLetterOrDigit(text[i])) return false;
  return true;
}
bool NoQuote(const char* text, size_t n) { return std::memchr(text, '"', n) == nullptr; }

// A password of 4 to `longest` digits (empty allowed when `mayBeEmpty`).
bool PasswordOk(const StatusRecord* r, const JobField& f, size_t longest, bool mayBeEmpty) {
  const size_t n = TextLength(r, f);
  if (n == 0) return mayBeEmpty;
  return n >= 4 && n <= longest && AllDigits(Text(r, f), n);
}

// The length of the job-control module's copy of an option after fetching it.
size_t KeptLength(DriverContext* ctx, const JobField& f) {
  ApiLoadJobValues(ctx, f.jobItem);
  char text[300];
  return ApiOptionText(ctx, f.option, text, sizeof text - 1);
}

void Write(DriverContext* ctx, const StatusRecord* r, const JobField& f, bool handOver = true) {
  ApiSetOptionText(ctx, f.option, Text(r, f), TextLength(r, f));
  if (handOver && f.jobItem) ApiStoreJobValue(ctx, f.jobItem);
}

void StoreOption(DriverContext* ctx, uint16_t option) {
  if (OptionEntry* row = OptFind(ctx, option)) CfgWriteOption(ctx->printer, ctx, row, PathGetSettingsIni(ctx));
}

bool IsUserDefinedPaper(DriverContext* ctx) {
  const int32_t output = Get(ctx, kApiOptOutPaperSize);
  if (output == 1024) return OptIsCustomPaperCode(Get(ctx, kApiOptPaperSize)) || OptIsCustomPaperCode(output);
  return OptIsCustomPaperCode(output) != 0;
}

int SetPrintMethod(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t*, int32_t) {
  const uint32_t version = ApiStatusSetVersion(id, r);
  if (!ApiStatusLayoutAllowed(id, version)) return 0;
  const int32_t passwordLength = ApiQueryCapability(ctx, 83, nullptr) > 0 ? ApiQueryCapability(ctx, 83, nullptr) : 4;
  if (passwordLength == 8 && version == 1) return 0;
  const int32_t method = r->value;
  if (!Allowed(ctx, kApiOptPrnMethod, method)) return 0;
  if (method == 3 && IsUserDefinedPaper(ctx) && ApiAlertRaisesMessage(ctx, kApiOptPrnMethod, kCustomPaperMessage, 3, 1))
    return 0;
  const uint32_t flags = static_cast<uint32_t>(ApiRecordI32(r, kFlagsAt)) & ~kDroppedFlags[version];
  const size_t longest = passwordLength == 4 ? 4 : 8;

  // The user id.
  const size_t userLength = TextLength(r, kUserIdField);
  const bool userGiven = (flags & kUserIdField.flag) != 0;
  if (method == 1 || method == 2 || (method >= 8 && method <= 10)) {
    if (userGiven) {
      if (userLength == 0 || userLength > 8) return 0;
      if (!LettersAndDigits(Text(r, kUserIdField), userLength)) return method >= 8 ? Refuse(ctx, kApiErrBadChar) : 0;
    } else if (KeptLength(ctx, kUserIdField) == 0) {
      return 0;
    }
  } else if ((method == 0 || method == 3) && userGiven && userLength > 0) {
    if (userLength > 8 || !LettersAndDigits(Text(r, kUserIdField), userLength)) return 0;
  }

  switch (method) {
    case 1:
      if (flags & kJobPassword4.flag) {
        if (TextLength(r, kJobPassword4) != 4 || !PasswordOk(r, kJobPassword4, 4, false)) return 0;
      } else if (flags & kJobPassword8.flag) {
        if (!PasswordOk(r, kJobPassword8, longest, false)) return 0;
      } else if (KeptLength(ctx, kJobPassword4) < 4) {
        return 0;
      }
      break;
    case 3:
      if ((flags & kStoredPassword4.flag) && TextLength(r, kStoredPassword4) != 0 &&
          (TextLength(r, kStoredPassword4) != 4 || !PasswordOk(r, kStoredPassword4, 4, false)))
        return 0;
      if ((flags & kStoredPassword8.flag) && !PasswordOk(r, kStoredPassword8, longest, true)) return 0;
      for (const JobField* f : {&kOwnerName, &kDocumentName})
        if ((flags & f->flag) && !NoQuote(Text(r, *f), TextLength(r, *f))) return 0;
      break;
    case 5:
      if (flags & kMergeFile.flag) {
        const size_t n = TextLength(r, kMergeFile);
        if (n == 0 || n >= kMergeFile.bytes || !ApiIsValidNameChars(Text(r, kMergeFile), 0)) return 0;
      }
      break;
    case 7:
      if (Get(ctx, kApiOptFuncSelectWaterMark) != 0) return 0;
      if (flags & kOverlayPath.flag) {
        const size_t n = TextLength(r, kOverlayPath);
        if (n == 0 || n >= kOverlayPath.bytes || !ApiIsValidRpoFileName(Text(r, kOverlayPath))) return 0;
      } else if (KeptLength(ctx, kOverlayPath) == 0) {
        return 0;
      }
      break;
    case 8:
      if ((flags & kDocumentName8.flag) && !NoQuote(Text(r, kDocumentName8), TextLength(r, kDocumentName8)))
        return Refuse(ctx, kApiErrBadChar);
      break;
    case 9:
    case 10: {
      const JobField& document = method == 9 ? kDocumentName9 : kDocumentName10;
      const JobField& password = method == 9 ? kPassword9 : kPassword10;
      if ((flags & document.flag) && !NoQuote(Text(r, document), TextLength(r, document))) return Refuse(ctx, kApiErrBadChar);
      if (flags & password.flag) {
        const size_t n = TextLength(r, password);
        if (!AllDigits(Text(r, password), n)) return Refuse(ctx, kApiErrBadChar);
        if (n != 0 && (n < 4 || n > 8)) return 0;
      }
      if ((flags & kFlagSharedData) && ApiIsOptionAvailable(ctx, kOptSharedPrintData, 0, 3) &&
          !Allowed(ctx, kOptSharedPrintData, ApiRecordI32(r, kSharedDataAt)))
        return 0;
      break;
    }
    case 4:
    case 6:
      return 0;
    default:
      break;
  }

  Set(ctx, kApiOptPrnMethod, method);
  StoreOption(ctx, kApiOptPrnMethod);
  auto writeIf = [&](const JobField& f) {
    if (flags & f.flag) Write(ctx, r, f);
  };
  switch (method) {
    case 0:
    case 2:
      writeIf(kUserIdField);
      break;
    case 1:
      writeIf(kUserIdField);
      writeIf(kJobPassword4);
      writeIf(kJobPassword8);
      break;
    case 3:
      writeIf(kUserIdField);
      writeIf(kStoredPassword4);
      writeIf(kStoredPassword8);
      writeIf(kOwnerName);
      writeIf(kDocumentName);
      break;
    case 5:
      if (flags & kMergeFile.flag) Write(ctx, r, kMergeFile, false);
      break;
    case 7:
      if (flags & kOverlayPath.flag) {
        WCHAR wide[MAX_PATH] = {}, full[MAX_PATH] = {};
        char ansi[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, Text(r, kOverlayPath), -1, wide, MAX_PATH - 1);
        if (!GetFullPathNameW(wide, MAX_PATH, full, nullptr)) return 0;
        WideCharToMultiByte(CP_ACP, 0, full, -1, ansi, MAX_PATH - 1, nullptr, nullptr);
        ApiSetOptionText(ctx, kOptOverlayPath, ansi, std::strlen(ansi));
        StoreOption(ctx, kOptOverlayPath);
      }
      break;
    case 8:
      writeIf(kUserIdField);
      writeIf(kDocumentName8);
      break;
    case 9:
    case 10:
      writeIf(kUserIdField);
      writeIf(method == 9 ? kDocumentName9 : kDocumentName10);
      writeIf(method == 9 ? kPassword9 : kPassword10);
      if (flags & kFlagSharedData) {
        Set(ctx, kOptSharedPrintData, ApiRecordI32(r, kSharedDataAt));
        StoreOption(ctx, kOptSharedPrintData);
      }
      break;
    default:
      break;
  }
  return 1;
}

int CheckPrintMethod(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  return Get(ctx, kApiOptPrnMethod) == r->value ? 1 : -1;
}

// Copies the kept text of an option into a field when its length lies within [1, longest].
void PutKept(DriverContext* ctx, StatusRecord* r, const JobField& f, size_t longest) {
  char text[300];
  const size_t n = ApiOptionText(ctx, f.option, text, sizeof text - 1);
  if (n >= 1 && n <= longest) ApiRecordPutText(r, f.offset, f.bytes, text, n);
}

int32_t GetPrintMethod(DriverContext* ctx, uint32_t id, StatusRecord* r, uint32_t requested) {
  const uint32_t version = ApiStatusGetVersion(id, requested);
  if (!ApiStatusGetGate(ctx, id, version)) return -1;
  const int32_t passwordLength = ApiQueryCapability(ctx, 83, nullptr);
  if (passwordLength == 8 && version == 1) {
    SetApiLastError(ctx, kApiErrVersion);
    return -1;
  }
  const int32_t size = ApiStatusLayoutSize(id, version);
  if (!r) return size;
  for (uint16_t option : {static_cast<uint16_t>(kApiOptPrnMethod), kOptSharedPrintData})
    if (OptionEntry* row = OptFind(ctx, option)) IniReadOption(ctx, row, PathGetSettingsIni(ctx), nullptr, nullptr);
  r->value = Get(ctx, kApiOptPrnMethod);
  ApiRecordPutI32(r, kFlagsAt, static_cast<int32_t>(kReportedFlags[version]));
  std::memset(reinterpret_cast<uint8_t*>(r) + 12, 0, static_cast<size_t>(size) - 12);
  ApiLoadJobValues(ctx, 8 | 4 | 0x80 | 2 | 0x10);
  PutKept(ctx, r, kUserIdField, 8);
  PutKept(ctx, r, version == 1 ? kJobPassword4 : kJobPassword8, version == 1 ? 4 : 8);
  PutKept(ctx, r, version == 1 ? kStoredPassword4 : kStoredPassword8, version == 1 ? 4 : 8);
  PutKept(ctx, r, kOwnerName, 16);
  PutKept(ctx, r, kDocumentName, 16);
  PutKept(ctx, r, kMergeFile, 64);
  PutKept(ctx, r, kOverlayPath, 259);
  if (version >= 3) {
    for (const JobField* f : {&kDocumentName8, &kDocumentName9, &kDocumentName10}) PutKept(ctx, r, *f, 16);
    for (const JobField* f : {&kPassword9, &kPassword10}) PutKept(ctx, r, *f, 8);
    ApiRecordPutI32(r, kSharedDataAt, Get(ctx, kOptSharedPrintData));
  }
  return size;
}

}  // namespace

const StatusHandlers kJobStatusHandlers[] = {
    {10, SetPrintMethod, CheckPrintMethod, GetPrintMethod},
    {26, SetUserId, nullptr, GetUserId},
    {0, nullptr, nullptr, nullptr},
};
