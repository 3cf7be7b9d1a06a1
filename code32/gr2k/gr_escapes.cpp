// DrvEscape. Payloads come from applications: every size is checked before a byte is read or
// written, and a payload too short for its escape is refused without touching the job.
#include "gr_escapes.h"

#include <algorithm>
#include <cstring>

#include "driver_context.h"
#include "gr_device_text.h"
#include "gr_drawing_entries.h"
#include "gr_output.h"
#include "gr_pdev.h"
#include "option_access.h"
#include "option_table.h"

namespace {

constexpr ULONG kEscFailed = static_cast<ULONG>(-1);
constexpr size_t kTextChars = 261;  // a row's text with its terminator

EscapeStringRow g_strings[kEscapeStringRows] = {
    {731, 15000, {}},
    {733, 15001, {}},
    {735, 15002, {}},
    {0, 0, {}},
};

// The option each text escape sets.
struct TextEscape {
  ULONG escape;
  uint16_t option;
};
constexpr TextEscape kTextEscapes[] = {
    {kEscUserCode, 203},      {kEscOwnerName, 204},     {kEscJobPassword, 207},  {kEscUserId, 202},
    {kEscDocumentName, 206},  {kEscTelNo, 233},         {kEscStoredPassword, 208}, {kEscAuthUserName, 1144},
    {kEscAuthNetworkKey, 1146}, {kEscAuthPassword, 1145},
};
constexpr uint16_t kOptTelLine = 234;
constexpr uint16_t kOptDefaultSource = 13;

// Sets a text option from ANSI input: the bytes up to the first NUL, cut to the field (the
// field always keeps its terminator).
ULONG SetTextOption(DriverContext* ctx, uint16_t id, const BYTE* in, ULONG inSize) {
  OptionEntry* row = OptFind(ctx, id);
  if (!row) return 0;
  const DWORD size = OptStorageExtent(row->typeWord);
  if (size == 0 || size > 1024) return 0;
  BYTE field[1024] = {};
  const ULONG n = static_cast<ULONG>(std::find(in, in + inSize, 0) - in);
  std::memcpy(field, in, std::min<ULONG>(n, size - 1));
  return OptWriteValueBytes(ctx, row, field) ? 1 : 0;
}

// A decimal number of ANSI input (leading blanks and a sign allowed); 0 when there is none.
int32_t ParseDecimal(const BYTE* in, ULONG inSize) {
  ULONG i = 0;
  while (i < inSize && (in[i] == ' ' || in[i] == '\t')) ++i;
  bool negative = false;
  if (i < inSize && (in[i] == '-' || in[i] == '+')) negative = in[i++] == '-';
  int64_t value = 0;
  for (; i < inSize && in[i] >= '0' && in[i] <= '9'; ++i) value = std::min<int64_t>(value * 10 + (in[i] - '0'), 0x7FFFFFFF);
  return static_cast<int32_t>(negative ? -value : value);
}

ULONG ReadWordOption(DriverContext* ctx, uint16_t id, ULONG outSize, void* out) {
  if (!out || outSize < sizeof(uint16_t)) return 1;
  const auto value = static_cast<uint16_t>(OptGetValue(ctx, id, nullptr));
  std::memcpy(out, &value, sizeof value);
  return 1;
}

ULONG CopyText(const char* text, ULONG outSize, void* out) {
  const size_t n = std::strlen(text) + 1;
  if (!out || outSize < n) return 0;
  std::memcpy(out, text, n);
  return 1;
}

ULONG SetCopyCount(PhysicalDevice* pdev, ULONG inSize, const void* in, ULONG outSize, void* out) {
  if (!in || inSize < sizeof(uint32_t)) return kEscFailed;
  uint32_t count = 0;
  std::memcpy(&count, in, sizeof count);
  uint32_t copies = count >= kMaxCopyCount ? kMaxCopyCount : count;
  if (copies == 0) copies = 1;
  OptSetValue(pdev->context, kGrOptCopies, static_cast<int32_t>(copies));
  if (out && outSize >= sizeof(uint32_t)) std::memcpy(out, &copies, sizeof copies);
  return 1;
}

ULONG PassThrough(PhysicalDevice* pdev, ULONG inSize, const void* in) {
  if (!in || inSize < sizeof(uint16_t)) return kEscFailed;
  uint16_t n = 0;
  std::memcpy(&n, in, sizeof n);
  if (ULONG{n} > inSize - sizeof(uint16_t)) return kEscFailed;
  if (!GrFlushRecords(&pdev->output)) return kEscFailed;
  if (n && !GrWriteBlock(&pdev->output, static_cast<const BYTE*>(in) + sizeof(uint16_t), n)) return kEscFailed;
  return n;
}

ULONG DeviceUnits(PhysicalDevice* pdev, ULONG outSize, void* out) {
  if (!out || outSize < 4 * sizeof(float)) return 0;
  const bool open = (pdev->flags & kPdevPageOpen) != 0;
  const float units[4] = {static_cast<float>(pdev->printWidthDots), static_cast<float>(pdev->printLengthDots),
                          open ? static_cast<float>(pdev->offsetXDots) : 0.0f,
                          open ? static_cast<float>(pdev->offsetYDots) : 0.0f};
  std::memcpy(out, units, sizeof units);
  return 1;
}

ULONG SettingsIniPath(PhysicalDevice* pdev, ULONG inSize, const void* in) {
  DriverContext* ctx = pdev->context;
  if (!in || !ctx || !ctx->workArea) return 1;
  WCHAR* path = ctx->workArea->settingsIniPath;
  const size_t units = std::min<size_t>(inSize / sizeof(WCHAR), kCtxPathChars - 1);
  size_t n = 0;
  const auto* bytes = static_cast<const BYTE*>(in);
  for (; n < units; ++n) {
    WCHAR c;
    std::memcpy(&c, bytes + n * sizeof(WCHAR), sizeof c);
    if (!c) break;
    path[n] = c;
  }
  path[n] = 0;
  return 1;
}

ULONG FilterName(PhysicalDevice* pdev, ULONG outSize, void* out) {
  if (!out) return 0;
  const WCHAR* name = pdev->filterFileName ? pdev->filterFileName : u"";
  const size_t chars = std::char_traits<char16_t>::length(name);
  if (chars > 4096) return 0;
  char text[8194];
  const int n = GrWideToDeviceText(text, name, static_cast<int>(chars * sizeof(WCHAR)), 128);
  if (n < 0 || outSize < static_cast<ULONG>(n) + 1) return 0;
  std::memcpy(out, text, static_cast<size_t>(n));
  static_cast<char*>(out)[n] = 0;
  return 1;
}

}  // namespace

int GrEscapeSupported(const PhysicalDevice* pdev, ULONG escape) {
  switch (escape) {
    case kEscQueryEscSupport:
    case kEscSetCopyCount:
    case kEscGetTechnology:
    case kEscGetDeviceUnits:
    case kEscLibraryVersion:
    case kEscFilterName:
      return 1;
    case kEscPassThrough:
      return pdev && pdev->passThrough ? 1 : 0;
    default:
      return escape >= kEscUserCode && escape <= kEscApiUse ? 1 : 0;
  }
}

EscapeStringRow* GrEscapeStringTable() { return g_strings; }

EscapeStringRow* GrFindEscapeString(int32_t key) {
  for (EscapeStringRow& row : g_strings) {
    if (row.key == 0) break;
    if (row.key == key) return &row;
  }
  return nullptr;
}

int GrStoreEscapeStrings(const void* input, ULONG inputBytes) {
  if (!input) return 0;
  const auto* bytes = static_cast<const BYTE*>(input);
  for (size_t i = 0; i < kEscapeStringRows && g_strings[i].key != 0; ++i) {
    if (inputBytes / sizeof(EscapeStringRow) <= i) break;
    EscapeStringRow& row = g_strings[i];
    std::memcpy(row.text, bytes + i * sizeof(EscapeStringRow) + offsetof(EscapeStringRow, text),
                sizeof row.text);
    row.text[kTextChars - 1] = 0;
  }
  return 1;
}

void GrClearEscapeStrings() {
  for (EscapeStringRow& row : g_strings) std::memset(row.text, 0, sizeof row.text);
}

ULONG WINAPI DrvEscape(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut) {
  PhysicalDevice* pdev = GrPdevOfSurface(pso);
  if (!pdev || !GrEscapeSupported(pdev, iEsc)) return 0;
  DriverContext* ctx = pdev->context;
  const auto* in = static_cast<const BYTE*>(pvIn);
  if (!in) cjIn = 0;
  switch (iEsc) {
    case kEscQueryEscSupport: {
      if (cjIn < sizeof(uint16_t)) return 0;
      uint16_t number = 0;
      std::memcpy(&number, in, sizeof number);
      return number == kEscSetCopyCount ? kMaxCopyCount : static_cast<ULONG>(GrEscapeSupported(pdev, number));
    }
    case kEscSetCopyCount:
      return SetCopyCount(pdev, cjIn, in, cjOut, pvOut);
    case kEscPassThrough:
      return PassThrough(pdev, cjIn, in);
    case kEscGetTechnology:
      return CopyText(kEscTechnology, cjOut, pvOut);
    case kEscGetDeviceUnits:
      return DeviceUnits(pdev, cjOut, pvOut);
    case kEscTelLine:
      if (cjIn) OptSetValue(ctx, kOptTelLine, ParseDecimal(in, cjIn));
      return 1;
    case kEscDefaultSource:
      return ReadWordOption(ctx, kOptDefaultSource, cjOut, pvOut);
    case kEscPrintMethod:
      return ReadWordOption(ctx, kGrOptPrnMethod, cjOut, pvOut);
    case kEscApiUse:
      return ReadWordOption(ctx, kGrOptAPIUseFlag, cjOut, pvOut);
    case kEscSettingsIni:
      return SettingsIniPath(pdev, cjIn, in);
    case kEscStringTable:
      GrStoreEscapeStrings(in, cjIn);
      return 1;
    case kEscLibraryVersion:
      return CopyText(kEscLibraryVersionText, cjOut, pvOut);
    case kEscFilterName:
      return FilterName(pdev, cjOut, pvOut);
    default:
      break;
  }
  for (const TextEscape& t : kTextEscapes)
    if (t.escape == iEsc) {
      if (cjIn) SetTextOption(ctx, t.option, in, cjIn);
      return 1;
    }
  return 1;  // 111-126 without an action of their own
}
