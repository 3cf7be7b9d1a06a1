// The PJL header of a document's first page: the colour-matching processor, the
// text-processing switches, the job name and the job-notification request, packed into
// job-start blocks.
#include "gr_pjl_header.h"

#include <cstdio>
#include <cstring>

#include "driver_context.h"
#include "gr_job_services.h"
#include "gr_pdev.h"
#include "model_query.h"
#include "option_access.h"
#include "win32/windows.h"

namespace {

constexpr uint32_t kLineBytes = 384;
constexpr uint32_t kLineBufferBytes = 10240;
// 252 less the length of "@PJL SET JOBNAME = " with its opening double quote.
constexpr int kJobNameBytes = 232;

enum : uint16_t {
  kOptFunc2SelectJobComplete = 532,
  kOptFunc2SelectJobErr = 533,
  kOptSupportJobComplete = 564,
  kOptSupportJobErr = 565,
};

const PjlChoice kIcmProcessor[] = {{0, "PREPROCESSOR"}, {1, "POSTPROCESSOR"}};
const PjlChoice kCharProcessSpec[] = {{1, "SPEC1"}, {2, "SPEC2"}, {3, "SPEC3"}};

}  // namespace

int GrModelHasItem(DriverContext* ctx, uint16_t optionId) {
  const ModelItem* item = MdlFindItem(optionId, ctx);
  return item && !(item->typeWord & kItemTypeUnknown) ? 1 : 0;
}

int GrItemUsable(DriverContext* ctx, uint16_t optionId, uint16_t value) {
  if (!GrModelHasItem(ctx, optionId)) return 0;
  const ModelItem* item = MdlFindActiveItem(optionId, ctx);
  return item && !MdlIsDisabled(item, value, ctx) ? 1 : 0;
}

int GrFlushPjlLines(PhysicalDevice* pdev, PjlLineBuffer* lines, uint8_t blockType) {
  if (!lines || lines->used == 0) return 1;
  const int ok = GrWriteTypedBlock(pdev, lines->bytes, lines->used, blockType);
  std::memset(lines->bytes, 0, lines->used);
  lines->used = 0;
  return ok;
}

int GrFormatPjlLine(PhysicalDevice* pdev, const char* name, const char* text, int32_t number, uint32_t flags,
                    PjlLineBuffer* lines, uint8_t blockType) {
  char value[32];
  const char* shown = value;
  if (flags & kPjlLineText) {
    shown = text ? text : "";
  } else if (flags & kPjlLineSwitch) {
    shown = number ? "ON" : "OFF";
  } else {
    std::snprintf(value, sizeof value, "%d", number);
  }
  const char* quote = (flags & kPjlLineQuoted) ? "\"" : "";
  char line[kLineBytes];
  const int n = std::snprintf(line, sizeof line, "%s%s = %s%s%s \r\n",
                              (flags & kPjlLineComment) ? "@PJL COMMENT " : "@PJL SET ", name, quote, shown, quote);
  if (n < 0 || static_cast<uint32_t>(n) >= sizeof line) return 0;
  const uint32_t length = static_cast<uint32_t>(n);
  if (!lines || lines->capacity == 0) return GrWriteTypedBlock(pdev, line, length, blockType);
  if (lines->used + length >= lines->capacity && !GrFlushPjlLines(pdev, lines, blockType)) return 0;
  if (length >= lines->capacity) return GrWriteTypedBlock(pdev, line, length, blockType);
  std::memcpy(lines->bytes + lines->used, line, length);
  lines->used += length;
  return 1;
}

int GrFormatPjlChoice(PhysicalDevice* pdev, const char* name, const PjlChoice* table, int rows, int32_t value,
                      PjlLineBuffer* lines, uint8_t blockType) {
  const char* text = table[0].text;
  for (int i = 0; i < rows; ++i)
    if (table[i].value == value) text = table[i].text;
  return GrFormatPjlLine(pdev, name, text, 0, kPjlLineText, lines, blockType);
}

int GrJobNameForPjl(const char* name, int length, char* out) {
  int n = length > kJobNameBytes ? kJobNameBytes : length;
  int o = 0;
  for (int i = 0; i < n; ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c && IsDBCSLeadByte(c)) {
      if (i + 1 >= n) break;  // a lead byte without its trail byte is dropped
      out[o++] = static_cast<char>(c);
      out[o++] = name[++i];
      continue;
    }
    // A byte that could end the line or start a command is sent as a blank; a double quote,
    // which would end the quoted name, as an apostrophe.
    out[o++] = (c < 0x20 || c == 0x7F) ? ' ' : c == '"' ? '\'' : static_cast<char>(c);
  }
  out[o] = 0;
  return o;
}

int GrWritePjlHeader(PhysicalDevice* pdev) {
  constexpr uint8_t type = kBlockJobStart;
  DriverContext* ctx = pdev->context;
  PjlLineBuffer lines{};
  lines.bytes = static_cast<char*>(GrHeapAlloc(pdev->heap, kLineBufferBytes));
  if (lines.bytes) {
    std::memset(lines.bytes, 0, kLineBufferBytes);
    lines.capacity = kLineBufferBytes;
  }
  int result = 1;
  GrFormatPjlChoice(pdev, "ICMPROCESSOR", kIcmProcessor, 2, static_cast<int32_t>(pdev->icmInPrinter), &lines, type);
  GrFormatPjlLine(pdev, "CHARCOMPRESSIONENABLE", nullptr, static_cast<int32_t>(pdev->compressChars), kPjlLineSwitch,
                  &lines, type);
  GrFormatPjlLine(pdev, "ENHANCEBOLDENABLE", nullptr, static_cast<int32_t>(pdev->enhanceBold), kPjlLineSwitch, &lines,
                  type);
  GrFormatPjlChoice(pdev, "CHARPROCESSSPEC", kCharProcessSpec, 3, static_cast<int32_t>(pdev->charProcessSpec), &lines,
                    type);
  if (pdev->jobName && pdev->jobNameLength > 0) {
    auto* copy = static_cast<char*>(GrHeapAlloc(pdev->heap, kJobNameBytes + 1));
    if (!copy) {
      result = 0;
    } else {
      GrJobNameForPjl(pdev->jobName, pdev->jobNameLength, copy);
      GrFormatPjlLine(pdev, "JOBNAME", copy, 0, kPjlLineText | kPjlLineQuoted, &lines, type);
      GrHeapFree(pdev->heap, copy);
    }
  }
  if (result && (GrItemUsable(ctx, kOptFunc2SelectJobComplete, 0) || GrItemUsable(ctx, kOptFunc2SelectJobErr, 0))) {
    const int32_t supported = OptGetValue(ctx, kOptSupportJobComplete, nullptr) + 2 * OptGetValue(ctx, kOptSupportJobErr, nullptr);
    const int32_t wanted =
        OptGetValue(ctx, kOptFunc2SelectJobComplete, nullptr) + 2 * OptGetValue(ctx, kOptFunc2SelectJobErr, nullptr);
    char value[16];
    std::snprintf(value, sizeof value, "0x%02x", static_cast<unsigned>(static_cast<uint16_t>(supported & wanted)));
    GrFormatPjlLine(pdev, "NOTIFICATION", value, 0, kPjlLineText | kPjlLineQuoted | kPjlLineComment, &lines, type);
  }
  if (result) GrFlushPjlLines(pdev, &lines, type);
  if (lines.bytes) GrHeapFree(pdev->heap, lines.bytes);
  return result;
}
