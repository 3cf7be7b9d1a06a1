// Handlers of the statuses of the driver's information and user code, presets, authentication
// (user, mode and network key) and the information of one paper tray.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "api_frame.h"
#include "api_options.h"
#include "api_status.h"
#include "api_support.h"
#include "env_language.h"
#include "env_system.h"
#include "exc_handle.h"
#include "fm_modules_1_4.h"
#include "option_access.h"
#include "option_context_words.h"
#include "option_store.h"
#include "option_units.h"
#include "option_values.h"
#include "pjl_engine.h"
#include "preset_list.h"
#include "prn_data.h"
#include "settings_paths.h"
#include "stamp_list.h"
#include "status_layouts.h"
#include "undo_images.h"
#include "win32/profile.h"

int32_t WINAPI ZOLTDrvGetStatus(DriverContext* ctx, uint32_t id, StatusRecord* out, uint32_t version);

namespace {

using namespace status_steps;

uint8_t* Bytes(StatusRecord* r) { return reinterpret_cast<uint8_t*>(r); }
const uint8_t* Bytes(const StatusRecord* r) { return reinterpret_cast<const uint8_t*>(r); }

bool AllDigits(const char* text, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  return true;
}

// ---- information and user code -----------------------------------------------------------------

// The record: +4 selector, +8 text[32], +24 value, +28 second value (the keyword list's length),
// +32 the keyword list's buffer (a pointer of this build), +40 text, 300 bytes in all.
constexpr int32_t kInformationBytes = 300;
constexpr size_t kInfoTextAt = 8;
constexpr size_t kInfoValueAt = 24;
constexpr size_t kInfoSecondAt = 28;
constexpr size_t kInfoBufferAt = 32;
constexpr size_t kInfoText2At = 40;
constexpr size_t kInfoText2Bytes = kInformationBytes - kInfoText2At;

// The version of the settings core, as the marker in the module names it.
constexpr char kCoreVersionMarker[] = "********CoreVersion=7.424********";

constexpr uint16_t kOptUserCode = 203;   // zdmUserCode, 8 digits
constexpr uint16_t kOptTrackId = 600;    // zdmTrackID
constexpr uint16_t kOptHeaderFlags = 727;  // the flag word after the private header's signature
constexpr uint16_t kOptKeywordsItem = 746;
constexpr uint16_t kUserCodeDialog = 1010;
constexpr uint16_t kUserCodeControl = 2570;
constexpr size_t kTrackIdChars = 20;

// Options whose availability and value selectors 249-253 report.
constexpr uint16_t kReportedOptions[] = {197, kApiOptFuncSelectReverseCover, 88, kApiOptFuncSelectChapter,
                                         kApiOptFuncSelectBack};

void CoreVersion(char* out, size_t size) {
  const char* start = std::strchr(kCoreVersionMarker, '=') + 1;
  const char* end = std::strchr(start, '*');
  const size_t n = std::min(static_cast<size_t>(end - start), size - 1);
  std::memcpy(out, start, n);
  out[n] = 0;
}

int32_t GetInformation(DriverContext* ctx, uint32_t, StatusRecord* r, uint32_t) {
  if (!r) return kInformationBytes;
  const int32_t selector = r->value;
  const int32_t version = ApiGetVersion();
  if (selector == 0) {
    char text[32] = {};
    if (ctx->profile && ctx->profile->driverVersionString)
      WideCharToMultiByte(CP_ACP, 0, ctx->profile->driverVersionString, -1, text, sizeof text - 1, nullptr, nullptr);
    ApiRecordPutText(r, kInfoTextAt, 16, text, std::strlen(text));
    CoreVersion(text, sizeof text);
    ApiRecordPutText(r, kInfoText2At, kInfoText2Bytes, text, std::strlen(text));
  } else if (selector == 245 && version >= 20) {
    const bool fit = OptIsA4FitActive(ctx) != 0;
    ApiRecordPutI32(r, kInfoValueAt, fit ? 1 : 0);
    ApiRecordPutI32(r, kInfoSecondAt, fit ? OptGetRegionalPaperSize(ctx) : 0);
  } else if (selector == 246 && version >= 13) {
    ApiRecordPutI32(r, kInfoValueAt, ApiIsControlUsable(ctx, kUserCodeDialog, kUserCodeControl, 2));
    ApiLoadJobValues(ctx, 1);
    char code[16];
    const size_t n = ApiOptionText(ctx, kOptUserCode, code, 9);
    if (n >= 1 && n <= 8) ApiRecordPutText(r, kInfoText2At, kInfoText2Bytes, code, n);
  } else if (selector == 247 && version >= 12) {
    SetApiLastError(ctx, kApiErrNoLongerAccepted2);
    return -1;
  } else if (selector == 248 && version >= 12) {
    int32_t length = 0;
    uint16_t setting = kApiOptFuncSelectPunch;
    ApiListSettingKeywords(ctx, setting, 0, nullptr, &length);
    if (length == 0) {
      setting = kOptKeywordsItem;
      ApiListSettingKeywords(ctx, setting, 0, nullptr, &length);
    }
    const int32_t request = ApiRecordI32(r, kInfoValueAt);
    if (request == 0) {
      ApiRecordPutI32(r, kInfoSecondAt, length);
    } else {
      char* buffer = nullptr;
      std::memcpy(&buffer, Bytes(r) + kInfoBufferAt, sizeof buffer);
      const int32_t room = ApiRecordI32(r, kInfoSecondAt);
      if (request != 1 || !buffer) {
        SetApiLastError(ctx, kApiErrRefused);
        return -1;
      }
      // The caller names its buffer's length at +28; a shorter buffer is refused, not overrun.
      if (ApiListSettingKeywords(ctx, setting, room, buffer, &length) != 0) {
        SetApiLastError(ctx, kApiErrRefused);
        return -1;
      }
    }
  } else if (selector >= 249 && selector <= 253 && version >= 12) {
    const uint16_t option = kReportedOptions[selector - 249];
    ApiRecordPutI32(r, kInfoValueAt,
                    ApiIsOptionAvailable(ctx, option, 0, 3) ? OptGetValue(ctx, option, nullptr) : 0);
  } else if (selector == 254 && version >= 12) {
    ApiRecordPutI32(r, kInfoValueAt, OptGetValue(ctx, kOptHeaderFlags, nullptr));
  } else if (selector == 256 && version >= 10) {
    char id[32];
    const size_t n = ApiOptionText(ctx, kOptTrackId, id, kTrackIdChars);
    ApiRecordPutText(r, kInfoText2At, kInfoText2Bytes, id, n);
  }
  return kInformationBytes;
}

// 246: the user code the job-control module keeps for the printer.
int SetUserCode(DriverContext* ctx, const StatusRecord* r) {
  if (ApiGetVersion() < 13) return 1;
  if (!ApiIsControlUsable(ctx, kUserCodeDialog, kUserCodeControl, 2)) return 0;
  if (!EnvIsWin9x() && !EnvCheckAdministratorToken()) return Refuse(ctx, kApiErrNeedsAdmin);
  const char* code = reinterpret_cast<const char*>(Bytes(r) + kInfoText2At);
  const size_t n = ApiRecordTextLength(r, kInfoText2At, kInfoText2Bytes);
  if (!AllDigits(code, n)) return Refuse(ctx, kApiErrBadChar);
  if (n < 1 || n > 8) return 0;
  ApiSetOptionText(ctx, kOptUserCode, code, n);
  WCHAR answer[32] = {};
  if (ApiReadJobValue(ctx->printer, 1, 1, answer)) {
    WCHAR wide[16] = {};
    MultiByteToWideChar(CP_ACP, 0, code, static_cast<int>(n), wide, 15);
    PrnSetData(ctx->printer, wide, static_cast<DWORD>((lstrlenW(wide) + 1) * sizeof(WCHAR)), REG_SZ, u"JCUserCode",
               nullptr);
  } else {
    ApiStoreJobValue(ctx, 1);
  }
  return 1;
}

// 247: a stored watermark copied into the interface's slot.
int CopyWatermarkToSlot(DriverContext* ctx, int32_t number) {
  if (number == kApiStampSlot) return 0;
  const int32_t n = ApiQueryCapability(ctx, 32, nullptr);
  if (n <= 0) return 0;
  std::vector<uint32_t> ids(static_cast<size_t>(n));
  if (ApiQueryCapability(ctx, 32, ids.data()) != n) return Refuse(ctx, kApiErrGeneral);
  if (std::find(ids.begin(), ids.end(), static_cast<uint32_t>(number)) == ids.end()) return 0;
  DmPushSnapshot(ctx);
  if (OptionEntry* row = OptFind(ctx, 952)) OptSetStringValue(ctx, row, u"");
  if (OptionEntry* row = OptFind(ctx, 953)) OptSetStringValue(ctx, row, u"");
  CfgLoadStamp(ctx, number - 1);
  CfgSaveStamp(ctx, kApiStampSlot);
  DmPopSnapshot(ctx, 1);
  return 1;
}

int SetInformation(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  const int32_t version = ApiGetVersion();
  switch (r->value) {
    case 246:
      return SetUserCode(ctx, r);
    case 247:
      return version >= 12 ? CopyWatermarkToSlot(ctx, ApiRecordI32(r, kInfoValueAt)) : 1;
    case 248: case 249: case 250: case 251: case 252: case 253:
      return version >= 12 ? Refuse(ctx, kApiErrNoLongerAccepted) : 1;
    case 254:
      if (version < 12) return 1;
      if (!ApiStatusAllowed(ctx, kOptHeaderFlags, ApiRecordI32(r, kInfoValueAt))) return 0;
      OptSetValue(ctx, kOptHeaderFlags, ApiRecordI32(r, kInfoValueAt));
      return 1;
    case 256:
      if (version < 10) return 1;
      return ApiSetOptionText(ctx, kOptTrackId, reinterpret_cast<const char*>(Bytes(r) + kInfoText2At),
                           std::min(ApiRecordTextLength(r, kInfoText2At, kInfoText2Bytes), kTrackIdChars)) ? 1 : 0;
    default:
      return 1;
  }
}

int CheckInformation(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  if (r->value == 254 && ApiGetVersion() >= 12)
    return OptGetValue(ctx, kOptHeaderFlags, nullptr) == ApiRecordI32(r, kInfoValueAt) ? 1 : -1;
  return 1;
}

// ---- presets ------------------------------------------------------------------------------------

constexpr int32_t kPresetBytes = 824;
constexpr size_t kPresetNameAt = 264;
constexpr size_t kPresetNameBytes = 37;
constexpr size_t kPresetCommentAt = 301;
constexpr size_t kPresetCommentBytes = 513;
constexpr size_t kPresetNumberAt = 816;

// A stored text converted to ANSI into a field, with every "\n" pair made a line break.
void PutStoredText(StatusRecord* r, size_t offset, size_t size, const WCHAR* text) {
  std::vector<char> ansi(size * 2 + 2, 0);
  WideCharToMultiByte(CP_ACP, 0, text, -1, ansi.data(), static_cast<int>(ansi.size() - 1), nullptr, nullptr);
  std::string out;
  for (size_t i = 0; ansi[i]; ++i) {
    if (ansi[i] == '\\' && ansi[i + 1] == 'n') {
      out += "\r\n";
      ++i;
    } else {
      out += ansi[i];
    }
  }
  ApiRecordPutText(r, offset, size, out.data(), out.size());
}

int SetPreset(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t*, int32_t) {
  if (ApiStatusSetVersion(id, r) < 2 || ApiGetVersion() < 11) return 0;
  const int32_t number = ApiRecordI32(r, kPresetNumberAt);
  if (number < 1 || number > CfgGetPresetCount(ctx)) return 0;
  OptSetValue(ctx, kApiOptPresetNo, number - 1);
  ApiLoadPresetEntry(ctx, number - 1);
  ApiSaveUserSettings(ctx, ctx->printer);
  return 1;
}

int CheckPreset(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  return OptGetValue(ctx, kApiOptPresetNo, nullptr) + 1 == ApiRecordI32(r, kPresetNumberAt) ? 1 : -1;
}

int32_t GetPreset(DriverContext* ctx, uint32_t, StatusRecord* r, uint32_t requested) {
  if (!ApiIsCapabilitySupported(ctx, 85)) return -1;
  if (ApiGetVersion() < 11 || requested == 1) {
    SetApiLastError(ctx, kApiErrVersion);
    return -1;
  }
  if (!r) return kPresetBytes;
  int32_t number = ApiRecordI32(r, kPresetNumberAt);
  const int32_t count = CfgGetPresetCount(ctx);
  if ((number == 0 && ApiGetVersion() <= 13) || (number != 0 && (number < 1 || number > count))) {
    SetApiLastError(ctx, kApiErrRefused);
    return -1;
  }
  if (number == 0) {
    const auto current = static_cast<int8_t>(OptGetValue(ctx, kApiOptPresetNo, nullptr));
    if (current < 0) return kPresetBytes;
    number = current + 1;
  }
  WCHAR key[kPresetKeyChars] = {};
  WCHAR text[kPresetCommentBytes + 1] = {};
  CfgPresetKey(key, number - 1, 1);
  GetPrivateProfileStringW(CfgLanguageSection(ctx), key, u"", text, kPresetNameBytes, PathGetSettingsIni(ctx));
  PutStoredText(r, kPresetNameAt, kPresetNameBytes, text);
  CfgPresetKey(key, number - 1, 2);
  GetPrivateProfileStringW(CfgLanguageSection(ctx), key, u"", text, kPresetCommentBytes, PathGetSettingsIni(ctx));
  PutStoredText(r, kPresetCommentAt, kPresetCommentBytes, text);
  return kPresetBytes;
}

// ---- authentication ----------------------------------------------------------------------------

constexpr int32_t kAuthUserBytes = 524;
constexpr size_t kAuthUserAt = 8;
constexpr size_t kAuthUserField = 257;
constexpr size_t kAuthPasswordAt = 265;
constexpr size_t kAuthPasswordField = 259;
constexpr int32_t kAuthModeBytes = 44;
constexpr size_t kNetworkKeyAt = 8;
constexpr size_t kNetworkKeyField = 36;
constexpr size_t kNetworkKeyChars = 32;
constexpr uint16_t kOptNetworkKey = 1146;

int32_t AuthenticationMode(DriverContext* ctx) {
  if (OptGetValue(ctx, kOptAuthMode, nullptr) == 0) return 0;
  return OptGetValue(ctx, kOptAuthSecureMode, nullptr) != 0 ? 2 : 1;
}

// Every character is a single byte that the text kind takes; 0 otherwise.
bool TextCharsAllowed(const char* text, size_t n, int kind) {
  for (size_t i = 0; i < n; ++i) {
    const auto ch = static_cast<unsigned char>(text[i]);
    if (IsDBCSLeadByte(ch) || !OptIsTextCharAllowed(ch, kind)) return false;
  }
  return true;
}

int SetAuthenticationUser(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  for (uint32_t cap : {89u, 90u, 91u})
    if (!ApiIsCapabilitySupported(ctx, cap)) return 0;
  const auto nameMax = static_cast<size_t>(ApiQueryCapability(ctx, 90, nullptr));
  const auto passwordMax = static_cast<size_t>(ApiQueryCapability(ctx, 91, nullptr));
  const char* name = reinterpret_cast<const char*>(Bytes(r) + kAuthUserAt);
  const char* password = reinterpret_cast<const char*>(Bytes(r) + kAuthPasswordAt);
  const size_t nameLength = ApiRecordTextLength(r, kAuthUserAt, kAuthUserField);
  const size_t passwordLength = ApiRecordTextLength(r, kAuthPasswordAt, kAuthPasswordField);
  if (nameLength < 1 || nameLength > nameMax) return 0;
  if (!TextCharsAllowed(name, nameLength, 1)) return Refuse(ctx, kApiErrBadChar);
  std::vector<uint8_t> current(kAuthUserBytes, 0);
  ZOLTDrvGetStatus(ctx, 59, reinterpret_cast<StatusRecord*>(current.data()), 1);
  if (ApiGetVersion() == 12 && reinterpret_cast<StatusRecord*>(current.data())->value == 2 && passwordLength == 0) return 0;
  if (passwordLength > passwordMax) return 0;
  if (!TextCharsAllowed(password, passwordLength, 2)) return Refuse(ctx, kApiErrBadChar);
  ApiSetOptionText(ctx, kOptAuthUserName, name, nameLength);
  ApiSetOptionText(ctx, kOptAuthPassword, password, passwordLength);
  ApiStoreJobValue(ctx, 0x800);
  ApiStoreJobValue(ctx, 0x1000);
  return 1;
}

int32_t GetAuthenticationUser(DriverContext* ctx, uint32_t, StatusRecord* r, uint32_t) {
  if (r) r->value = AuthenticationMode(ctx);
  return kAuthUserBytes;
}

int SetAuthenticationMode(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  const int32_t offered = ApiQueryCapability(ctx, 82, nullptr);
  if (offered <= 0) return 0;
  if (!EnvIsWin9x() && !EnvCheckAdministratorToken()) return Refuse(ctx, kApiErrNeedsAdmin);
  const int32_t mode = r->value;
  if (mode < 0 || mode > 2 || (mode == 2 && offered < 2)) return 0;
  const char* key = reinterpret_cast<const char*>(Bytes(r) + kNetworkKeyAt);
  const size_t keyLength = ApiRecordTextLength(r, kNetworkKeyAt, kNetworkKeyField);
  if (mode == 2) {
    if (keyLength > kNetworkKeyChars) return 0;
    for (size_t i = 0; i < keyLength; ++i) {
      const auto ch = static_cast<unsigned char>(key[i]);
      if (IsDBCSLeadByte(ch) || ch < 32 || ch == 127) return Refuse(ctx, kApiErrBadChar);
    }
  }
  const int32_t oldMode = OptGetValue(ctx, kOptAuthMode, nullptr);
  const int32_t oldSecure = OptGetValue(ctx, kOptAuthSecureMode, nullptr);
  OptSetValue(ctx, kOptAuthMode, mode >= 1 ? 1 : 0);
  OptSetValue(ctx, kOptAuthSecureMode, mode == 2 ? 1 : 0);
  OptionEntry* modeRow = OptFind(ctx, kOptAuthMode);
  OptionEntry* secureRow = OptFind(ctx, kOptAuthSecureMode);
  const bool first = modeRow && PrnWriteOption(ctx->printer, ctx, modeRow);
  const bool second = first && secureRow && PrnWriteOption(ctx->printer, ctx, secureRow);
  if (!second) {
    // Both options take their old values again; the first is stored again when it was written.
    OptSetValue(ctx, kOptAuthMode, oldMode);
    OptSetValue(ctx, kOptAuthSecureMode, oldSecure);
    if (first) PrnWriteOption(ctx->printer, ctx, modeRow);
    return 0;
  }
  if (mode == 2) {
    ApiSetOptionText(ctx, kOptNetworkKey, key, keyLength);
    ApiStoreJobValue(ctx, 0x2000);
  }
  return 1;
}

int CheckAuthenticationMode(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  if (r->value < 0 || r->value > 2) return 1;
  return AuthenticationMode(ctx) == r->value ? 1 : -1;
}

int32_t GetAuthenticationModeRecord(DriverContext* ctx, uint32_t, StatusRecord* r, uint32_t) {
  if (r) r->value = AuthenticationMode(ctx);
  return kAuthModeBytes;
}

// ---- one paper tray ----------------------------------------------------------------------------

constexpr int32_t kTrayInfoBytes = 56;

// The tray code of each index of the tray options (paper 10175 + i, orientation 10143 + i, media
// 10207 + i, lock 10239 + i); 0 where no tray has the index.
constexpr uint16_t kTrayCodeTable[32] = {1, 3,   2,   256, 261, 262, 263, 0, 0, 0,  0, 0, 0, 298, 295, 296,
                                         287, 288, 289, 290, 0, 0,   0,   0, 0, 11, 0, 4, 4, 286, 0,   0};

int32_t GetTrayInformation(DriverContext* ctx, uint32_t, StatusRecord* r, uint32_t requested) {
  if (!r) return kTrayInfoBytes;
  r->version = requested;
  const int32_t trays = ApiQueryCapability(ctx, 2, nullptr);
  std::vector<uint32_t> codes(static_cast<size_t>(std::max(trays, 0)) + 1);
  if (trays > 0) ApiQueryCapability(ctx, 2, codes.data());
  if (trays <= 0 || std::find(codes.begin(), codes.begin() + trays, static_cast<uint32_t>(r->value)) == codes.begin() + trays) {
    SetApiLastError(ctx, kApiErrRefused);
    return -1;
  }
  std::memset(Bytes(r) + 8, 0, kTrayInfoBytes - 8);
  const uint16_t manualSheet = ApiFindValueByCode(ctx, 13, 8);
  const bool manualSheetOffered = manualSheet && ApiIsValueDisabled(ctx, 13, manualSheet) == 0;
  for (int i = 0; i < 32; ++i) {
    if (kTrayCodeTable[i] != r->value) continue;
    if (r->value == 4 && i != 27 && !manualSheetOffered) continue;
    ApiRecordPutI32(r, 8, OptGetValue(ctx, static_cast<uint16_t>(10175 + i), nullptr));
    ApiRecordPutI32(r, 12, OptGetValue(ctx, static_cast<uint16_t>(10143 + i), nullptr));
    ApiRecordPutI32(r, 16, OptGetValue(ctx, static_cast<uint16_t>(10207 + i), nullptr));
    ApiRecordPutI32(r, 20, OptGetValue(ctx, static_cast<uint16_t>(10239 + i), nullptr));
  }
  const FreeSizeRangeRow* table = FmGetDeviceFreeSizeTable(ctx);
  if (!table) return -1;
  const uint16_t platform = EnvIsWin9x() ? kFreeSizePlatform9x : kFreeSizePlatformNt;
  bool first = false, second = false;
  for (const FreeSizeRangeRow* row = table; row->tray && !(first && second); ++row) {
    if (row->tray != r->value || !(row->platform & platform)) continue;
    const size_t at = row->orientation == 1 ? 24 : 40;
    (row->orientation == 1 ? first : second) = true;
    const int32_t limits[4] = {row->metricLengthMax, row->metricLengthMin, row->metricWidthMax, row->metricWidthMin};
    for (size_t k = 0; k < 4; ++k) ApiRecordPutI32(r, at + 4 * k, OptToDisplayUnits(ctx, 0, limits[k]));
  }
  return kTrayInfoBytes;
}

}  // namespace

const StatusHandlers kAccountStatusHandlers[] = {
    {50, SetInformation, CheckInformation, GetInformation},
    {56, SetPreset, CheckPreset, GetPreset},
    {59, SetAuthenticationUser, nullptr, GetAuthenticationUser},
    {60, SetAuthenticationMode, CheckAuthenticationMode, GetAuthenticationModeRecord},
    {63, nullptr, nullptr, GetTrayInformation},
    {0, nullptr, nullptr, nullptr},
};
