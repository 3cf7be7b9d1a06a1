// Handlers of the statuses kept in files: the settings file that a caller loads into the
// printer's settings, and the watermark of the interface's own slot in the settings file.
#include <cstring>
#include <string>
#include <vector>

#include "api_frame.h"
#include "api_options.h"
#include "api_status.h"
#include "api_support.h"
#include "option_access.h"
#include "option_constants.h"
#include "option_context_words.h"
#include "option_store.h"
#include "option_validation.h"
#include "option_values.h"
#include "path_files.h"
#include "settings_files.h"
#include "settings_paths.h"
#include "stamp_list.h"
#include "status_layouts.h"
#include "undo_images.h"
#include "win32/profile.h"

namespace {

using namespace status_steps;

// ---- the settings file -----------------------------------------------------------------------

constexpr int32_t kSettingsFileBytes = 824;
constexpr size_t kPathAt = 4;
constexpr size_t kPathBytes = 260;
constexpr size_t kNameAt = 264;
constexpr size_t kNameBytes = 37;
constexpr size_t kCommentAt = 301;
constexpr size_t kCommentBytes = 513;
constexpr DWORD kLoadForReading = 0x8000;
// The job values handed to the job-control module after a load: owner name, job password, user
// id, document name, stored password and authentication user name.
constexpr DWORD kJobItemsAfterLoad[] = {0x2, 0x4, 0x8, 0x10, 0x80, 0x800};

// The record's path in UTF-16 when it is absolute and names a file; else error 10 and 0.
int FilePathOf(DriverContext* ctx, const StatusRecord* r, WCHAR (&wide)[kPathBytes]) {
  const size_t n = ApiRecordTextLength(r, kPathAt, kPathBytes);
  std::memset(wide, 0, sizeof wide);
  if (n == 0 || n >= kPathBytes ||
      MultiByteToWideChar(CP_ACP, 0, ApiRecordText(r, kPathAt), static_cast<int>(n), wide, kPathBytes - 1) <= 0 ||
      !ApiIsAbsolutePath(wide) || !PathIsFilePresent(wide))
    return Refuse(ctx, kApiErrBadFile);
  return 1;
}

int SetSettingsFile(DriverContext* ctx, uint32_t, const StatusRecord* r, uint8_t*, int32_t) {
  const int32_t method = Get(ctx, kApiOptPrnMethod);
  if (method == 5 || method == 7) return 0;
  WCHAR path[kPathBytes];
  if (!FilePathOf(ctx, r, path)) return 0;
  if (OptHasAnyLock(ctx) && !CfgCheckLockedValues(ctx, path, PrnGetName(ctx), 0)) return 0;
  ApiSetChapterChanged(ctx, 1);
  CtxSetSettingsFileStatus(ctx, kSettingsFileOk);
  CfgLoadSettingsFile(ctx->printer, path, 0, ctx);
  if (Get(ctx, kApiOptFuncSelectMargin) == 0) ApiResetMargins(ctx);
  ApiLoadJobValues(ctx, 1);
  for (DWORD item : kJobItemsAfterLoad) ApiStoreJobValue(ctx, item);
  if (CtxGetSettingsFileStatus(ctx) == kSettingsFileVersion) return Refuse(ctx, kApiErrSettingsVersion);
  CfgSaveUserOptions(ctx->printer, ctx);
  return 1;
}

int32_t GetSettingsFile(DriverContext* ctx, uint32_t, StatusRecord* r, uint32_t) {
  if (!r) return kSettingsFileBytes;
  WCHAR path[kPathBytes];
  if (!FilePathOf(ctx, r, path)) return -1;
  // The file is read under a snapshot so that the working settings do not change.
  DmPushSnapshot(ctx);
  CtxSetSettingsFileStatus(ctx, kSettingsFileOk);
  CfgLoadSettingsFile(ctx->printer, path, kLoadForReading, ctx);
  const int32_t status = CtxGetSettingsFileStatus(ctx);
  DmPopSnapshot(ctx, 1);
  if (status == kSettingsFileVersion) {
    SetApiLastError(ctx, kApiErrSettingsVersion);
    return -1;
  }
  WCHAR text[kCommentBytes + 1] = {};
  GetPrivateProfileStringW(PrnGetName(ctx), u"wdmPresetName", u"", text, kNameBytes, path);
  ApiRecordPutStoredText(r, kNameAt, kNameBytes, text);
  GetPrivateProfileStringW(PrnGetName(ctx), u"wdmPresetComment", u"", text, kCommentBytes, path);
  ApiRecordPutStoredText(r, kCommentAt, kCommentBytes, text);
  return kSettingsFileBytes;
}

// ---- the interface's watermark -----------------------------------------------------------------

enum : uint16_t {
  kOptWmChar = 952,
  kOptWmImage = 953,
  kOptWmOpaque = 958,
  kOptWmUnit = 959,
  kOptWmDensity = 960,
  kOptWmEffect = 961,
  kOptWmPosition = 962,
  kOptWmPage = 964,
  kOptWmStartPage = 965,
  kOptWmEndPage = 966,
  kOptWmAngle = 967,
  kOptWmFontName = 968,
  kOptWmFontPoint = 969,
  kOptWmColor = 970,
  kOptWmColorR = 971,  // 971-973: red, green, blue
  kOptWmFontStyle = 974,
  kOptWmFontScale = 975,
  kOptWmLinePitch = 1054,
  kOptWmTextPattern = 1055,
  kOptWmTilePattern = 1056,
  kOptWmTileColor = 1057,
  kOptWmTileColorR = 1058,  // 1058-1060
  kOptWmTileDensity = 1061,
  kOptWmTileMask = 1062,
  kOptWmTileRotate = 1063,
  kOptWmSecretPattern = 1064,
  kOptWmTwoPlanes = 1113,
  kOptWmOrder = 1130,
};

enum : int32_t { kKindText = 1, kKindImage = 2, kKindImageFile = 3, kKindTile = 128 };
constexpr size_t kWmTextAt = 44;
constexpr size_t kWmTextBytes = 33;
constexpr size_t kWmFontAt = 77;
constexpr size_t kWmFontBytes = 32;
constexpr size_t kWmImageAt = 109;
constexpr size_t kWmImageBytes = 263;
constexpr size_t kWmTileImageChars = 32;

// The colour codes of watermarks: {code, red, green, blue}.
constexpr uint8_t kWatermarkColorTable[7][4] = {{0, 0, 0, 0},     {1, 255, 0, 0},   {2, 0, 255, 0},  {3, 0, 0, 255},
                                                {4, 0, 255, 255}, {5, 255, 0, 255}, {6, 255, 255, 0}};

// Writes the red, green and blue of a colour code into three options; a code without a row
// leaves them.
void SetColorParts(DriverContext* ctx, int32_t code, uint16_t firstOption) {
  for (const auto& row : kWatermarkColorTable) {
    if (row[0] != (code & 0xFF)) continue;
    for (int k = 0; k < 3; ++k) Set(ctx, static_cast<uint16_t>(firstOption + k), row[k + 1]);
    return;
  }
}

bool Legal(DriverContext*, uint16_t option, int32_t value) { return OptIsLegalValue(option, value) != 0; }
bool ZeroOrOne(int32_t v) { return v == 0 || v == 1; }

// Two-plane printing exists for text (1) or images (2) as capability 77 lists it.
struct TwoPlanes {
  bool text = false;
  bool image = false;
};

int TwoPlanesOf(DriverContext* ctx, TwoPlanes* out) {
  uint32_t list[4] = {};
  const int32_t n = ApiQueryCapability(ctx, 77, nullptr);
  if (n < 0 || n > 4) return Refuse(ctx, kApiErrGeneral);
  if (n > 0) ApiQueryCapability(ctx, 77, list);
  for (int32_t i = 0; i < n; ++i) {
    out->text = out->text || list[i] == 1;
    out->image = out->image || list[i] == 2;
  }
  return 1;
}

int SetWatermark(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t*, int32_t) {
  const uint32_t version = ApiStatusSetVersion(id, r);
  if (!ApiStatusLayoutAllowed(id, version)) return 0;
  const int32_t kind = r->value;
  const size_t textLength = ApiRecordTextLength(r, kWmTextAt, kWmTextBytes);
  const bool text = kind == kKindText;
  const bool image = kind == kKindImage;
  const bool tile = kind == kKindTile && textLength > 0;
  TwoPlanes planes;
  if (version >= 3 && (text || image) && !TwoPlanesOf(ctx, &planes)) return 0;
  if (!Legal(ctx, kApiOptWmKind, kind)) return 0;
  if (kind == kKindTile && !(ApiGetVersion() >= 3 && version >= 2 && (ApiGetApiFunctionBits(ctx) & 1))) return 0;
  const bool textual = text || tile;
  const int32_t position = At(r, 8);
  int32_t color = At(r, 28);
  if ((text || image || tile) && !Legal(ctx, kOptWmPosition, position)) return 0;
  if ((kind >= 1 && kind <= 3) || tile) {
    if (!ZeroOrOne(At(r, 12))) return 0;
  }
  if (!ZeroOrOne(At(r, 16))) return 0;
  if (textual && (!Legal(ctx, kOptWmFontStyle, At(r, 20)) || !Legal(ctx, kOptWmEffect, At(r, 24)))) return 0;
  if (text) {
    // Two-plane text prints in one colour: the caller's colour field is cleared first.
    if (version >= 3 && planes.text) {
      color = 0;
      ApiRecordPutI32(const_cast<StatusRecord*>(r), 28, 0);
    }
    if (!Legal(ctx, kOptWmColor, color)) return 0;
  }
  if (tile && color != 0 && color != 4 && color != 5) return 0;
  if (textual && (At(r, 32) < 0 || At(r, 32) > 100)) return 0;
  const int32_t size = At(r, 36);
  if (textual && !(size > 5 && size < 1000)) return 0;
  if (image && !(size >= 30 && size < 1000)) return 0;
  const size_t fontLength = ApiRecordTextLength(r, kWmFontAt, kWmFontBytes);
  const size_t imageLength = ApiRecordTextLength(r, kWmImageAt, kWmImageBytes);
  if (textual) {
    if (At(r, 40) < 0 || At(r, 40) >= 360) return 0;
    if (text && textLength == 0) return 0;
    if (fontLength == 0 || fontLength >= kWmFontBytes) return 0;
    if (!ApiIsFontInstalled(ApiRecordText(r, kWmFontAt))) return Refuse(ctx, kApiErrFontMissing);
  }
  if (image || kind == kKindImageFile) {
    if (imageLength == 0 || imageLength >= kWmImageBytes) return 0;
    if (!ApiIsUsableFile(kind, ApiRecordText(r, kWmImageAt))) return Refuse(ctx, kApiErrBadFile);
  }
  if (kind == kKindTile && imageLength > kWmTileImageChars) return 0;
  if (textual && position != 0 && position != 64 && At(r, 40) != 0) return 0;
  if (tile) {
    if (At(r, 372) >= 1000 || !Legal(ctx, kOptWmTextPattern, At(r, 376)) || !Legal(ctx, kOptWmTilePattern, At(r, 380)) ||
        !Legal(ctx, kOptWmTileColor, At(r, 384)) || At(r, 388) < 0 || At(r, 388) > 100 ||
        !Legal(ctx, kOptWmTileMask, At(r, 392)))
      return 0;
  }
  if (kind == kKindTile && !Legal(ctx, kOptWmSecretPattern, At(r, 400))) return 0;
  const bool orderOffered = ApiIsCapabilitySupported(ctx, 78) != 0;
  const bool twoPlanes = version >= 3 && ((text && planes.text) || (image && planes.image));
  if (version >= 3 && (text || image)) {
    if (twoPlanes && !ZeroOrOne(At(r, 412))) return 0;
    if (orderOffered && !ZeroOrOne(At(r, 416))) return 0;
  }

  DmPushSnapshot(ctx);
  Set(ctx, kApiOptWmKind, kind);
  if (textual) Set(ctx, kOptWmUnit, 0);
  if (text || image || tile) Set(ctx, kOptWmPosition, position);
  Set(ctx, kOptWmOpaque, At(r, 12));
  Set(ctx, kOptWmPage, At(r, 16));
  Set(ctx, kOptWmStartPage, 1);
  Set(ctx, kOptWmEndPage, 1);
  if (textual) {
    Set(ctx, kOptWmFontStyle, At(r, 20));
    Set(ctx, kOptWmEffect, At(r, 24));
    Set(ctx, kOptWmColor, color);
    SetColorParts(ctx, color, kOptWmColorR);
    Set(ctx, kOptWmDensity, At(r, 32));
    Set(ctx, kOptWmFontPoint, size);
    Set(ctx, kOptWmAngle, At(r, 40));
    ApiSetOptionText(ctx, kOptWmChar, ApiRecordText(r, kWmTextAt), textLength);
    ApiSetOptionText(ctx, kOptWmFontName, ApiRecordText(r, kWmFontAt), fontLength);
  }
  if (image) Set(ctx, kOptWmFontScale, size);
  if (kind == kKindImage || kind == kKindImageFile || kind == kKindTile)
    ApiSetOptionText(ctx, kOptWmImage, ApiRecordText(r, kWmImageAt), imageLength);
  if (tile) {
    Set(ctx, kOptWmLinePitch, At(r, 372));
    Set(ctx, kOptWmTextPattern, At(r, 376));
    Set(ctx, kOptWmTilePattern, At(r, 380));
    Set(ctx, kOptWmTileColor, At(r, 384));
    SetColorParts(ctx, At(r, 384), kOptWmTileColorR);
    Set(ctx, kOptWmTileDensity, At(r, 388));
    Set(ctx, kOptWmTileMask, At(r, 392));
    Set(ctx, kOptWmTileRotate, (At(r, 396) & 1) ? 2 : 0);
  }
  if (kind == kKindTile) {
    ApiSetOptionText(ctx, kOptWmChar, ApiRecordText(r, kWmTextAt), textLength);
    Set(ctx, kOptWmSecretPattern, At(r, 400));
  }
  if (twoPlanes) Set(ctx, kOptWmTwoPlanes, At(r, 412));
  if (version >= 3 && orderOffered) Set(ctx, kOptWmOrder, At(r, 416));
  CfgSaveStamp(ctx, kApiStampSlot);
  DmPopSnapshot(ctx, 1);
  return 1;
}

int32_t GetWatermark(DriverContext* ctx, uint32_t id, StatusRecord* r, uint32_t requested) {
  const uint32_t version = ApiStatusGetVersion(id, requested);
  if (!ApiStatusGetGate(ctx, id, version)) return -1;
  const int32_t size = ApiStatusLayoutSize(id, version);
  if (!r) return size;
  if (!ApiHasInterfaceStamp(ctx)) {
    SetApiLastError(ctx, kApiErrNoInterfaceStamp);
    return -1;
  }
  DmPushSnapshot(ctx);
  ApiSetOptionText(ctx, kOptWmChar, "", 0);
  ApiSetOptionText(ctx, kOptWmImage, "", 0);
  CfgLoadStamp(ctx, kApiStampSlot);
  const int32_t kind = Get(ctx, kApiOptWmKind);
  if (kind == kKindTile && version < 2) {
    DmPopSnapshot(ctx, 1);
    SetApiLastError(ctx, kApiErrVersion);
    return -1;
  }
  char text[kWmImageBytes + 1];
  const size_t textLength = ApiOptionText(ctx, kOptWmChar, text, kWmTextBytes - 1);
  const bool textual = kind == kKindText || (kind == kKindTile && textLength > 0);
  const bool image = kind == kKindImage;
  std::memset(reinterpret_cast<uint8_t*>(r) + 4, 0, static_cast<size_t>(size) - 4);
  r->value = kind;
  if (kind == kKindText || image || textual) ApiRecordPutI32(r, 8, Get(ctx, kOptWmPosition));
  if ((kind >= 1 && kind <= 3) || textual) ApiRecordPutI32(r, 12, Get(ctx, kOptWmOpaque));
  ApiRecordPutI32(r, 16, Get(ctx, kOptWmPage));
  if (textual) {
    ApiRecordPutI32(r, 20, Get(ctx, kOptWmFontStyle));
    ApiRecordPutI32(r, 24, Get(ctx, kOptWmEffect));
    ApiRecordPutI32(r, 28, Get(ctx, kOptWmColor));
    ApiRecordPutI32(r, 32, Get(ctx, kOptWmDensity));
    ApiRecordPutI32(r, 36, Get(ctx, kOptWmFontPoint));
    ApiRecordPutI32(r, 40, Get(ctx, kOptWmAngle));
    ApiRecordPutText(r, kWmTextAt, kWmTextBytes, text, textLength);
    const size_t n = ApiOptionText(ctx, kOptWmFontName, text, kWmFontBytes - 1);
    ApiRecordPutText(r, kWmFontAt, kWmFontBytes, text, n);
  } else if (image) {
    ApiRecordPutI32(r, 36, Get(ctx, kOptWmFontScale));
  }
  if (kind == kKindImage || kind == kKindImageFile || (version >= 2 && kind == kKindTile)) {
    const size_t n = ApiOptionText(ctx, kOptWmImage, text, kWmImageBytes - 1);
    ApiRecordPutText(r, kWmImageAt, kWmImageBytes, text, n);
  }
  if (version >= 2 && kind == kKindTile && textual) {
    ApiRecordPutI32(r, 372, Get(ctx, kOptWmLinePitch));
    ApiRecordPutI32(r, 376, Get(ctx, kOptWmTextPattern));
    ApiRecordPutI32(r, 380, Get(ctx, kOptWmTilePattern));
    ApiRecordPutI32(r, 384, Get(ctx, kOptWmTileColor));
    ApiRecordPutI32(r, 388, Get(ctx, kOptWmTileDensity));
    ApiRecordPutI32(r, 392, Get(ctx, kOptWmTileMask));
    ApiRecordPutI32(r, 396, Get(ctx, kOptWmTileRotate) != 0 ? 1 : 0);
  }
  if (version >= 2 && kind == kKindTile) ApiRecordPutI32(r, 400, Get(ctx, kOptWmSecretPattern));
  if (version >= 3 && (kind == kKindText || image)) {
    TwoPlanes planes;
    TwoPlanesOf(ctx, &planes);
    if ((kind == kKindText && planes.text) || (image && planes.image)) ApiRecordPutI32(r, 412, Get(ctx, kOptWmTwoPlanes));
    if (ApiIsCapabilitySupported(ctx, 78)) ApiRecordPutI32(r, 416, Get(ctx, kOptWmOrder));
  }
  DmPopSnapshot(ctx, 1);
  return size;
}

}  // namespace

const StatusHandlers kFileStatusHandlers[] = {
    {1, SetSettingsFile, nullptr, GetSettingsFile},
    {16, SetWatermark, nullptr, GetWatermark},
    {0, nullptr, nullptr, nullptr},
};
