// Handlers of the statuses of what is printed on the page besides the document: header and
// footer (date, page number, text) and the copy-protection pattern.
#include <algorithm>

#include "api_frame.h"
#include "api_options.h"
#include "api_status.h"
#include "api_support.h"
#include "model_image.h"
#include "model_query.h"
#include "option_access.h"
#include "status_layouts.h"

namespace {

using namespace status_steps;

// The text of a record field equals the option's text.
bool TextEquals(DriverContext* ctx, uint16_t option, const StatusRecord* r, size_t offset, size_t size) {
  char text[1024];
  const size_t n = ApiOptionText(ctx, option, text, sizeof text - 1);
  const size_t m = ApiRecordTextLength(r, offset, size);
  return n == m && std::equal(text, text + n, ApiRecordText(r, offset));
}

// ---- header and footer -------------------------------------------------------------------------

enum : uint16_t {
  kOptHFDate = 100,  // 100-102: date, page number and text switched on
  kOptHFOrder = 103,
  kOptHFText = 114,
  kOptHFFontName = 115,
  kOptHFFontPoint = 116,
  kOptHFDatePosition = 108,  // 108-113: position and form of date, page number and text
};

constexpr size_t kHFFontAt = 8;
constexpr size_t kHFFontBytes = 32;
constexpr size_t kHFPointAt = 40;
constexpr size_t kHFPartsAt = 44;  // position and form of each part, 8 bytes a part
constexpr size_t kHFTextAt = 68;
constexpr size_t kHFTextBytes = 33;
constexpr size_t kHFOrderAt = 104;
constexpr int32_t kHFTextForm = 2;  // the text form that prints the record's text

uint16_t PartPosition(int part) { return static_cast<uint16_t>(kOptHFDatePosition + 2 * part); }
uint16_t PartForm(int part) { return static_cast<uint16_t>(kOptHFDatePosition + 2 * part + 1); }
bool WithOrder(DriverContext* ctx, uint32_t version) { return version >= 2 && ApiIsCapabilitySupported(ctx, 79); }

bool MarginSwitchRestricted(DriverContext* ctx) {
  const ModelItem* item = ApiFindOptionItem(ctx, kApiOptFuncSelectMargin);
  return item && MdlIsRestricted(item, 0, ctx) == 1;
}

int SetHeaderFooter(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t*, int32_t) {
  const uint32_t version = ApiStatusSetVersion(id, r);
  if (!ApiStatusLayoutAllowed(id, version) || MarginSwitchRestricted(ctx)) return 0;
  // The caller learns which parts were taken: the flags are cut in its record.
  const int32_t flags = r->value & 7;
  const_cast<StatusRecord*>(r)->value = flags;
  for (int part = 0; part < 3; ++part) {
    if (!(flags & (1 << part))) continue;
    const int32_t position = At(r, kHFPartsAt + 8 * static_cast<size_t>(part));
    const int32_t form = At(r, kHFPartsAt + 8 * static_cast<size_t>(part) + 4);
    if (!Allowed(ctx, PartPosition(part), position) || !Allowed(ctx, PartForm(part), form)) return 0;
    if (part == 2 && form == kHFTextForm && ApiRecordTextLength(r, kHFTextAt, kHFTextBytes) == 0) return 0;
  }
  const size_t fontLength = ApiRecordTextLength(r, kHFFontAt, kHFFontBytes);
  if (flags) {
    if (fontLength == 0 || fontLength >= kHFFontBytes) return 0;
    if (!ApiIsFontInstalled(ApiRecordText(r, kHFFontAt))) return Refuse(ctx, kApiErrFontMissing);
    if (!Allowed(ctx, kOptHFFontPoint, At(r, kHFPointAt))) return 0;
    if (WithOrder(ctx, version) && !Allowed(ctx, kOptHFOrder, At(r, kHFOrderAt))) return 0;
  }
  for (int part = 0; part < 3; ++part) {
    const bool on = (flags & (1 << part)) != 0;
    Set(ctx, static_cast<uint16_t>(kOptHFDate + part), on ? 1 : 0);
    if (!on) continue;
    const int32_t form = At(r, kHFPartsAt + 8 * static_cast<size_t>(part) + 4);
    Set(ctx, PartPosition(part), At(r, kHFPartsAt + 8 * static_cast<size_t>(part)));
    Set(ctx, PartForm(part), form);
    if (part == 2 && form == kHFTextForm)
      ApiSetOptionText(ctx, kOptHFText, ApiRecordText(r, kHFTextAt), ApiRecordTextLength(r, kHFTextAt, kHFTextBytes));
  }
  if (flags) {
    Set(ctx, kApiOptFuncSelectMargin, 1);
    ApiSetOptionText(ctx, kOptHFFontName, ApiRecordText(r, kHFFontAt), fontLength);
    Set(ctx, kOptHFFontPoint, At(r, kHFPointAt));
    if (WithOrder(ctx, version)) Set(ctx, kOptHFOrder, At(r, kHFOrderAt));
  }
  return 1;
}

int CheckHeaderFooter(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t*, int32_t) {
  const uint32_t version = ApiStatusSetVersion(id, r);
  const int32_t flags = r->value & 7;
  for (int part = 0; part < 3; ++part) {
    const bool on = (flags & (1 << part)) != 0;
    if ((Get(ctx, static_cast<uint16_t>(kOptHFDate + part)) != 0) != on) return -1;
    if (!on) continue;
    const int32_t form = At(r, kHFPartsAt + 8 * static_cast<size_t>(part) + 4);
    if (Get(ctx, PartPosition(part)) != At(r, kHFPartsAt + 8 * static_cast<size_t>(part)) ||
        Get(ctx, PartForm(part)) != form)
      return -1;
    if (part == 2 && form == kHFTextForm && !TextEquals(ctx, kOptHFText, r, kHFTextAt, kHFTextBytes)) return -1;
  }
  if (flags) {
    if (!TextEquals(ctx, kOptHFFontName, r, kHFFontAt, kHFFontBytes) || Get(ctx, kOptHFFontPoint) != At(r, kHFPointAt))
      return -1;
    if (WithOrder(ctx, version) && Get(ctx, kOptHFOrder) != At(r, kHFOrderAt)) return -1;
  }
  return 1;
}

int32_t GetHeaderFooter(DriverContext* ctx, uint32_t id, StatusRecord* r, uint32_t requested) {
  const uint32_t version = ApiStatusGetVersion(id, requested);
  if (!ApiStatusGetGate(ctx, id, version)) return -1;
  const int32_t size = ApiStatusLayoutSize(id, version);
  if (!r) return size;
  int32_t flags = 0;
  for (int part = 0; part < 3; ++part) flags |= (Get(ctx, static_cast<uint16_t>(kOptHFDate + part)) != 0 ? 1 : 0) << part;
  r->value = flags;
  for (int k = 0; k < 6; ++k)
    ApiRecordPutI32(r, kHFPartsAt + 4 * static_cast<size_t>(k), Get(ctx, static_cast<uint16_t>(kOptHFDatePosition + k)));
  char text[64];
  size_t n = ApiOptionText(ctx, kOptHFText, text, kHFTextBytes - 1);
  ApiRecordPutText(r, kHFTextAt, kHFTextBytes, text, n);
  n = ApiOptionText(ctx, kOptHFFontName, text, kHFFontBytes - 1);
  ApiRecordPutText(r, kHFFontAt, kHFFontBytes, text, n);
  ApiRecordPutI32(r, kHFPointAt, Get(ctx, kOptHFFontPoint));
  if (version >= 2) ApiRecordPutI32(r, kHFOrderAt, WithOrder(ctx, version) ? Get(ctx, kOptHFOrder) : 0);
  return size;
}

// ---- copy-protection pattern ---------------------------------------------------------------------

enum : uint16_t {
  kOptCopyProtect = 79,
  kOptCPColor = 514,
  kOptCPDensity = 515,
  kOptCPSwitchPattern = 516,
  kOptCPCopyGuard = 517,
  kOptCPMaskPattern = 518,
  kOptCPOutline = 519,
  kOptCPWhiteBackground = 520,
  kOptCPRepeat = 521,
  kOptCPReverse = 522,
  kOptCPTileMask = 524,
  kOptCPPosition = 525,
  kOptCPText = 526,
  kOptCPFontName = 527,
  kOptCPFontStyle = 528,
  kOptCPFontPoint = 529,
  kOptCPAngle = 530,
  kOptCPLinePitch = 531,
};

constexpr int32_t kCopyProtectBytes = 172;
constexpr size_t kCPTextAt = 24;
constexpr size_t kCPTextBytes = 65;
constexpr size_t kCPFontAt = 89;
constexpr size_t kCPFontBytes = 35;
constexpr int32_t kRepeated = 64;   // the position that repeats the pattern over the page
constexpr int32_t kOutline = 3;
constexpr int32_t kWhiteBackground = 255;

int SetCopyProtect(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t*, int32_t) {
  const int32_t mode = r->value;
  if (ApiFindSwitchOption(id, nullptr) && mode == 0) {
    Set(ctx, kOptCopyProtect, 0);
    return 1;
  }
  if (mode < 1 || mode > 3) return 0;
  Set(ctx, kOptCopyProtect, 1);
  if (mode == 1) {
    Set(ctx, kOptCPCopyGuard, 1);
    ApiSetOptionText(ctx, kOptCPText, "", 0);
    return 1;
  }
  const int32_t tileMask = At(r, 16);
  const int32_t position = At(r, 136);
  const int32_t background = At(r, 148);
  if (mode == 2) {
    if (!Allowed(ctx, kOptCPColor, At(r, 8)) || !Allowed(ctx, kOptCPDensity, At(r, 12))) return 0;
    if (tileMask != 0 && !Allowed(ctx, kOptCPTileMask, tileMask)) return 0;
    if (At(r, 20) != 0 && At(r, 20) != 1) return 0;
  }
  const size_t textLength = ApiRecordTextLength(r, kCPTextAt, kCPTextBytes);
  const size_t fontLength = ApiRecordTextLength(r, kCPFontAt, kCPFontBytes);
  if (textLength > 64 || fontLength == 0 || fontLength >= kCPFontBytes) return 0;
  if (!ApiIsFontInstalled(ApiRecordText(r, kCPFontAt))) return Refuse(ctx, kApiErrFontMissing);
  if (!ApiIsInItemRange(ctx, kOptCPFontPoint, At(r, 124)) || !Allowed(ctx, kOptCPFontStyle, At(r, 128))) return 0;
  const bool repeated = !Allowed(ctx, kOptCPPosition, position);
  if (repeated) {
    if (position != kRepeated || !ApiIsInItemRange(ctx, kOptCPLinePitch, At(r, 140))) return 0;
    if (At(r, 144) != 0 && At(r, 144) != 1) return 0;
  }
  const bool withAngle = position == kRepeated || position == 0;
  if (withAngle && !ApiIsInItemRange(ctx, kOptCPAngle, At(r, 132))) return 0;
  if (background != 0 && background != kOutline && background != kWhiteBackground) return 0;

  Set(ctx, kOptCPCopyGuard, mode == 3 ? 1 : 0);
  ApiSetOptionText(ctx, kOptCPText, ApiRecordText(r, kCPTextAt), textLength);
  if (mode == 2) {
    Set(ctx, kOptCPColor, At(r, 8));
    Set(ctx, kOptCPDensity, At(r, 12));
    Set(ctx, kOptCPMaskPattern, tileMask != 0 ? 1 : 0);
    Set(ctx, kOptCPTileMask, tileMask);
    Set(ctx, kOptCPSwitchPattern, At(r, 20));
    if (background == kWhiteBackground) {
      Set(ctx, kOptCPWhiteBackground, 1);
      Set(ctx, kOptCPOutline, 0);
    }
  }
  if (repeated) {
    Set(ctx, kOptCPRepeat, 1);
    Set(ctx, kOptCPReverse, At(r, 144));
    Set(ctx, kOptCPLinePitch, At(r, 140));
  } else {
    Set(ctx, kOptCPPosition, position);
    Set(ctx, kOptCPRepeat, 0);
  }
  Set(ctx, kOptCPAngle, withAngle ? At(r, 132) : 0);
  if (background == kOutline) {
    Set(ctx, kOptCPOutline, 1);
    Set(ctx, kOptCPWhiteBackground, 0);
  } else if (background == 0) {
    Set(ctx, kOptCPOutline, 0);
    Set(ctx, kOptCPWhiteBackground, 0);
  }
  ApiSetOptionText(ctx, kOptCPFontName, ApiRecordText(r, kCPFontAt), fontLength);
  Set(ctx, kOptCPFontPoint, At(r, 124));
  Set(ctx, kOptCPFontStyle, At(r, 128));
  return 1;
}

int CheckCopyProtect(DriverContext* ctx, uint32_t id, const StatusRecord* r, uint8_t*, int32_t) {
  if (!ApiFindSwitchOption(id, nullptr)) return -1;
  const int32_t mode = r->value;
  if (mode == 0) return 1;
  if (Get(ctx, kOptCopyProtect) == 0) return -1;
  const bool guard = Get(ctx, kOptCPCopyGuard) != 0;
  char text[80];
  const size_t textLength = ApiOptionText(ctx, kOptCPText, text, kCPTextBytes - 1);
  if (mode == 1) return guard && textLength == 0 ? 1 : -1;
  if (mode == 3 && !guard) return -1;
  if (textLength == 0) return -1;
  const int32_t position = At(r, 136);
  if (mode == 2) {
    if (Get(ctx, kOptCPColor) != At(r, 8) || Get(ctx, kOptCPDensity) != At(r, 12)) return -1;
    if (At(r, 16) != 0 ? Get(ctx, kOptCPTileMask) != At(r, 16) : Get(ctx, kOptCPMaskPattern) != 0) return -1;
    if (Get(ctx, kOptCPSwitchPattern) != At(r, 20)) return -1;
    if (At(r, 148) == kWhiteBackground && Get(ctx, kOptCPWhiteBackground) == 0) return -1;
  }
  if (position == kRepeated) {
    if (Get(ctx, kOptCPRepeat) == 0 || Get(ctx, kOptCPReverse) != At(r, 144) || Get(ctx, kOptCPLinePitch) != At(r, 140))
      return -1;
  } else if (Get(ctx, kOptCPPosition) != position) {
    return -1;
  }
  if ((position == kRepeated || position == 0) && Get(ctx, kOptCPAngle) != At(r, 132)) return -1;
  if (At(r, 148) == kOutline && (Get(ctx, kOptCPOutline) == 0 || Get(ctx, kOptCPWhiteBackground) != 0)) return -1;
  if (At(r, 148) == 0 && (Get(ctx, kOptCPOutline) != 0 || Get(ctx, kOptCPWhiteBackground) != 0)) return -1;
  return 1;
}

int32_t GetCopyProtect(DriverContext* ctx, uint32_t, StatusRecord* r, uint32_t) {
  if (!ApiIsCapabilitySupported(ctx, 84)) return -1;
  if (!r) return kCopyProtectBytes;
  char text[80];
  const size_t textLength = ApiOptionText(ctx, kOptCPText, text, kCPTextBytes - 1);
  const bool guard = Get(ctx, kOptCPCopyGuard) != 0;
  if (Get(ctx, kOptCopyProtect) == 0) r->value = 0;
  else if (textLength) r->value = guard ? 3 : 2;
  else r->value = guard ? 1 : 0;
  ApiRecordPutI32(r, 8, Get(ctx, kOptCPColor));
  ApiRecordPutI32(r, 12, Get(ctx, kOptCPDensity));
  ApiRecordPutI32(r, 16, Get(ctx, kOptCPMaskPattern) != 0 ? Get(ctx, kOptCPTileMask) : 0);
  ApiRecordPutI32(r, 20, Get(ctx, kOptCPSwitchPattern));
  ApiRecordPutI32(r, 136, Get(ctx, kOptCPRepeat) != 0 ? kRepeated : Get(ctx, kOptCPPosition));
  ApiRecordPutI32(r, 140, Get(ctx, kOptCPLinePitch));
  ApiRecordPutI32(r, 144, Get(ctx, kOptCPReverse));
  ApiRecordPutI32(r, 148, Get(ctx, kOptCPOutline) != 0 ? kOutline : Get(ctx, kOptCPWhiteBackground) != 0 ? kWhiteBackground : 0);
  ApiRecordPutText(r, kCPTextAt, kCPTextBytes, text, textLength);
  const size_t fontLength = ApiOptionText(ctx, kOptCPFontName, text, kCPFontBytes - 1);
  ApiRecordPutText(r, kCPFontAt, kCPFontBytes, text, fontLength);
  ApiRecordPutI32(r, 124, Get(ctx, kOptCPFontPoint));
  ApiRecordPutI32(r, 128, Get(ctx, kOptCPFontStyle));
  ApiRecordPutI32(r, 132, Get(ctx, kOptCPAngle));
  return kCopyProtectBytes;
}

}  // namespace

const StatusHandlers kPageMarkStatusHandlers[] = {
    {47, SetHeaderFooter, CheckHeaderFooter, GetHeaderFooter},
    {55, SetCopyProtect, CheckCopyProtect, GetCopyProtect},
    {0, nullptr, nullptr, nullptr},
};
