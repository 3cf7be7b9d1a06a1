// The document and page flow: start and end of the document, page framing, banding, and a
// running document handed to a new record by a device reset.
#include "gr_docflow.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "devmode_fields.h"
#include "devmode_merge.h"
#include "driver_context.h"
#include "gr_device_text.h"
#include "gr_devmode_takeover.h"
#include "gr_drawing_services.h"
#include "gr_job_services.h"
#include "gr_output_module.h"
#include "gr_records.h"
#include "ini_file.h"
#include "model_query.h"
#include "option_access.h"
#include "settings_paths.h"

namespace {

bool FirstPassThroughPage(const PhysicalDevice* pdev) { return pdev->passThrough && pdev->pageCount == 1; }

// The job name in the device code page, in a heap block of twice its length plus 2 bytes.
void TakeJobName(PhysicalDevice* pdev, const WCHAR* name) {
  if (!name) return;
  const size_t chars = std::char_traits<WCHAR>::length(name);
  if (chars > 0x3FFF) return;
  auto* block = static_cast<char*>(GrHeapAlloc(pdev->heap, 2 * chars + 2));
  if (!block) return;
  const int n = GrWideToDeviceText(block, name, static_cast<int>(chars * sizeof(WCHAR)), 128);
  block[n] = 0;
  pdev->jobName = block;
  pdev->jobNameLength = static_cast<int16_t>(n);
}

void TakeJobNameBytes(PhysicalDevice* pdev, const char* bytes, int16_t length) {
  if (length < 0) return;
  auto* block = static_cast<char*>(GrHeapAlloc(pdev->heap, size_t(length) + 1));
  if (!block) return;
  std::memcpy(block, bytes, size_t(length));
  block[length] = 0;
  pdev->jobName = block;
  pdev->jobNameLength = length;
}

// The job-information options of a raster job go to the context of the new record.
void CopyJobInformation(DriverContext* from, DriverContext* to) {
  static constexpr uint16_t kIds[] = {203, 204, 207, 202, 206, 233, 234, 208, 1144, 1146, 1145};
  for (uint16_t id : kIds) {
    if (const BYTE* text = OptGetValuePointer(from, id, nullptr))
      OptSetValueBytes(to, id, text);
    else
      OptSetValue(to, id, OptGetValue(from, id, nullptr));
  }
}

void FreeJobName(PhysicalDevice* pdev) {
  if (pdev->jobName) GrHeapFree(pdev->heap, pdev->jobName);
  pdev->jobName = nullptr;
  pdev->jobNameLength = 0;
}

// The spooler's document name of the job, or empty.
std::u16string SpoolerDocumentName(PhysicalDevice* pdev) {
  DWORD needed = 0;
  GetJobW(pdev->printer, pdev->jobId, 2, nullptr, 0, &needed);
  if (needed == 0) return {};
  auto* block = static_cast<BYTE*>(GrHeapAlloc(pdev->heap, needed));
  if (!block) return {};
  std::u16string name;
  if (GetJobW(pdev->printer, pdev->jobId, 2, block, needed, &needed)) {
    const auto* job = reinterpret_cast<const JOB_INFO_2W*>(block);
    if (job->pDocument) name = job->pDocument;
  }
  GrHeapFree(pdev->heap, block);
  return name;
}

int WriteDevModeBlock(PhysicalDevice* pdev) {
  DriverContext* ctx = pdev->context;
  BYTE* working = CtxGetDevMode(ctx);
  if (!working) return 0;
  const auto* dm = reinterpret_cast<const DEVMODEW*>(working);
  const uint32_t n = std::max<uint32_t>(uint32_t{dm->dmSize} + dm->dmDriverExtra, DmGetSize());
  if (!GrWriteTypedBlock(pdev, nullptr, n, kBlockDevMode)) return 0;
  const int a4 = GrFitA4Saved(ctx), two = GrFit2Saved(ctx);
  if (a4) GrRestoreFitA4(ctx);
  if (two) GrRestoreFit2(ctx);
  // The working device mode is DmGetSize() bytes; a record that claims more is sent padded.
  const uint32_t have = std::min<uint32_t>(n, DmGetSize());
  GrWriteBlock(&pdev->output, working, have);
  static const BYTE kZeros[256] = {};
  for (uint32_t left = n - have; left > 0;) {
    const uint32_t piece = std::min<uint32_t>(left, sizeof kZeros);
    GrWriteBlock(&pdev->output, kZeros, piece);
    left -= piece;
  }
  if (a4) GrApplyFitA4(ctx);
  if (two) GrApplyFit2(ctx);
  return 1;
}

// Fills the locked bitmap of the surface with 0xFF (white).
void WhitenSurface(PhysicalDevice* pdev) {
  if (!pdev->surface) return;
  SURFOBJ* so = EngLockSurface(pdev->surface);
  if (!so) return;
  if (so->pvBits && so->cjBits) std::memset(so->pvBits, 0xFF, so->cjBits);
  EngUnlockSurface(so);
}

int SendBitmap(PhysicalDevice* pdev, SURFOBJ* so, LONG width, LONG height) {
  RECTL dest{pdev->bandX, pdev->bandY, pdev->bandX + width, pdev->bandY + height};
  RECTL src{0, 0, width, height};
  POINTL origin{0, 0};
  return GrEmitImage(pdev, nullptr, so, nullptr, &origin, &dest, &src, nullptr, nullptr, 0xCCCC, 0);
}

}  // namespace

int GrZeroPad(char* out, uint32_t value, int width) {
  if (width >= 16 || width < 0) return 0;
  std::memset(out, '0', static_cast<size_t>(width));
  for (int i = width - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + value % 10);
    value /= 10;
    if (value == 0) return 1;
  }
  if (value == 0) return 1;
  std::memset(out, '0', static_cast<size_t>(width));
  return 0;
}

int GrFormatTime(char* out, int size, int withMilliseconds) {
  if (!out || size < (withMilliseconds ? 13 : 9)) return 0;
  ENG_TIME_FIELDS t{};
  EngQueryLocalTime(&t);
  if (!GrZeroPad(out, t.usHour, 2) || !GrZeroPad(out + 3, t.usMinute, 2) || !GrZeroPad(out + 6, t.usSecond, 2))
    return 0;
  out[2] = out[5] = ':';
  if (withMilliseconds) {
    out[8] = '.';
    if (!GrZeroPad(out + 9, t.usMilliseconds, 3)) return 0;
    out[12] = 0;
  } else {
    out[8] = 0;
  }
  return 1;
}

int GrWriteComment(OutputContext* out, const char* prefix) {
  char text[50] = {};
  const size_t n = std::min<size_t>(std::strlen(prefix), sizeof text - 13);
  std::memcpy(text, prefix, n);
  if (!GrFormatTime(text + n, static_cast<int>(sizeof text - n), 1)) return 1;
  return GrRecComment(out->owner, text, static_cast<uint32_t>(std::strlen(text))) ? 1 : 0;
}

// ---- the document -------------------------------------------------------------------------

BOOL WINAPI DrvStartDoc(SURFOBJ* pso, LPWSTR pwszDocName, DWORD dwJobId) {
  PhysicalDevice* pdev = GrPdevOfSurface(pso);
  if (!pdev) return FALSE;
  DriverContext* ctx = pdev->context;
  if (dwJobId) pdev->jobId = dwJobId;
  if (!GrPrepareJobSettings(ctx, pdev->devmode, 0x20008, pdev->printer, pdev->jobId)) return FALSE;
  pdev->apiUse = static_cast<uint32_t>(OptGetValue(ctx, kGrOptAPIUseFlag, nullptr));
  pdev->sendDevmode = MdlGetDerivedValue(ctx, kGrDerivedSendDevmode);
  if (pdev->apiUse || pdev->sendDevmode) pdev->drawOptimise = 0;

  OptionEntry* row = nullptr;
  const int32_t method = OptGetValue(ctx, kGrOptPrnMethod, &row);
  const WCHAR* ini = PathGetSettingsIni(ctx);
  const WCHAR* printer = PrnGetName(ctx);
  const WCHAR* key = row ? (row->key ? row->key : row->labels ? row->labels->fieldName : nullptr) : nullptr;
  if (key && ini && printer) {
    const int32_t stored = static_cast<int32_t>(IniReadInt(printer, key, 0, ini));
    if (stored != method && !DmMergeIncoming(ctx, nullptr, 0x20008)) return FALSE;
  }

  const bool reset = (pdev->flags & kPdevResetInProgress) != 0;
  if (!reset) {
    if (!GrLoadOutputModule(pdev)) return FALSE;
    if (!GrOpenOutputDocument(pdev)) return FALSE;
  }
  pdev->flags |= kPdevDocStarted;
  if (!reset) {
    pdev->pageCount = 0;
    pdev->flags &= ~kPdevPageOpen;
    FreeJobName(pdev);
  }
  std::u16string name = pwszDocName ? std::u16string(pwszDocName) : std::u16string();
  if (pdev->emfSpool) {
    std::u16string spooled = SpoolerDocumentName(pdev);
    if (!spooled.empty()) name = spooled;
  }
  if (!name.empty() || pwszDocName) {
    FreeJobName(pdev);
    TakeJobName(pdev, name.c_str());
  }
  return TRUE;
}

BOOL WINAPI DrvStartPage(SURFOBJ* pso) {
  PhysicalDevice* pdev = GrPdevOfSurface(pso);
  if (!pdev) return FALSE;
  pdev->enginePageStarted = 1;
  GrOutputStartPage(pdev);
  if (pdev->flags & kPdevWriteError) return FALSE;
  if (pdev->flags & kPdevPageOpen) return TRUE;
  pdev->flags |= kPdevPageOpen;
  pdev->pageCount += 1;
  OutputContext* out = &pdev->output;
  if (pdev->pageCount == 1 || (pdev->flags & kPdevResetInProgress)) {
    pdev->flags &= ~kPdevResetInProgress;
    GrResetRecordBuffer(out);
    if (!GrWriteJobStartBlock(out, pdev->context)) return FALSE;
    if (pdev->pageCount == 1 && !GrWritePjlHeader(pdev)) return FALSE;
    if (pdev->sendDevmode && !WriteDevModeBlock(pdev)) return FALSE;
  }
  if (!FirstPassThroughPage(pdev) && !GrWritePageStartBlocks(out, pdev->context)) return FALSE;
  GrInvalidateDrawCaches(pdev);
  if (!FirstPassThroughPage(pdev) &&
      !GrRecPageStart(pdev, static_cast<uint32_t>(pdev->printWidthDots), static_cast<uint32_t>(pdev->printLengthDots),
                      pdev->resolution, pdev->resolution))
    return FALSE;
  if (pdev->rasterMode && pdev->wholePageBitmap) WhitenSurface(pdev);
  return GrWriteComment(out, "StartPage : ") ? TRUE : FALSE;
}

BOOL WINAPI DrvSendPage(SURFOBJ* pso) {
  PhysicalDevice* pdev = GrPdevOfSurface(pso);
  if (!pdev) return FALSE;
  OutputContext* out = &pdev->output;
  GrEmptyGlyphTable(pdev);
  if (!GrWriteComment(out, "SendPage : ")) return FALSE;
  if (!GrOutputEndPage(pdev)) return FALSE;
  if (pdev->rasterMode && pdev->wholePageBitmap) {
    if (GrApplyClip(pdev, nullptr) < 0 || !GrSelectRop3(pdev, 0xCC)) return FALSE;
    SURFOBJ* so = pdev->surface ? EngLockSurface(pdev->surface) : nullptr;
    if (!so) return FALSE;
    pdev->bandX = pdev->bandY = 0;
    const int sent = SendBitmap(pdev, so, so->sizlBitmap.cx, so->sizlBitmap.cy);
    EngUnlockSurface(so);
    return sent ? TRUE : FALSE;
  }
  const bool firstPassThrough = FirstPassThroughPage(pdev);
  if (!firstPassThrough && !GrRecPageEnd(pdev)) return FALSE;
  if (!GrFlushRecords(out)) return FALSE;
  if (!firstPassThrough && !GrWritePageEndBlock(out, pdev->context)) return FALSE;
  if (!(pdev->flags & kPdevPageOpen)) pdev->pageCount += 1;
  pdev->flags &= ~kPdevPageOpen;
  return TRUE;
}

BOOL WINAPI DrvEndDoc(SURFOBJ* pso, FLONG) {
  PhysicalDevice* pdev = GrPdevOfSurface(pso);
  if (!pdev) return FALSE;
  GrCloseOutputModule(pdev);
  FreeJobName(pdev);
  pdev->flags &= ~(kPdevDocStarted | kPdevResetInProgress);
  return TRUE;
}

// ---- banding ------------------------------------------------------------------------------

BOOL WINAPI DrvStartBanding(SURFOBJ* pso, POINTL* pptl) {
  PhysicalDevice* pdev = GrPdevOfSurface(pso);
  if (!pdev || !pptl) return FALSE;
  if (pdev->emfSpool && pdev->enginePageStarted == 0) {
    if (!DrvStartPage(pso)) return FALSE;
    pdev->enginePageStarted = 0;
  }
  pdev->bandX = pdev->bandY = pdev->bandCount = 0;
  *pptl = {0, 0};
  if (GrApplyClip(pdev, nullptr) < 0 || !GrSelectRop3(pdev, 0xCC)) return FALSE;
  if (pso->pvBits && pso->cjBits) std::memset(pso->pvBits, 0xFF, pso->cjBits);
  return TRUE;
}

BOOL WINAPI DrvNextBand(SURFOBJ* pso, POINTL* pptl) {
  PhysicalDevice* pdev = GrPdevOfSurface(pso);
  if (!pdev || !pptl) return FALSE;
  pdev->bandCount += 1;
  const LONG width = pso->sizlBitmap.cx, height = pso->sizlBitmap.cy;
  POINTL next{pdev->bandX, pdev->bandY + height};
  if (pdev->pageHeightPx < pdev->bandY + height) next = {-1, -1};
  const int sent = SendBitmap(pdev, pso, width, height);
  if (pso->pvBits && pso->cjBits) std::memset(pso->pvBits, 0xFF, pso->cjBits);
  pdev->bandX = next.x;
  pdev->bandY = next.y;
  *pptl = next;
  if (!sent) return FALSE;
  if (next.x == -1 && next.y == -1) return DrvSendPage(pso);
  return TRUE;
}

// ---- device reset -------------------------------------------------------------------------

BOOL GrCarryOverDocument(PhysicalDevice* oldPdev, PhysicalDevice* newPdev) {
  newPdev->pageCount = oldPdev->pageCount;
  newPdev->flags |= kPdevResetInProgress | kPdevDocStarted;
  oldPdev->flags |= kPdevResetInProgress;
  newPdev->jobId = oldPdev->jobId;
  if (!GrFlushRecords(&oldPdev->output)) return FALSE;

  newPdev->output.module = oldPdev->output.module;
  newPdev->output.outputHandle = oldPdev->output.outputHandle;
  newPdev->output.write = oldPdev->output.write;
  newPdev->splStartPage = oldPdev->splStartPage;
  newPdev->splEndPage = oldPdev->splEndPage;
  newPdev->useInterfaceModule = oldPdev->useInterfaceModule;
  newPdev->moduleInterface = oldPdev->moduleInterface;
  newPdev->getInterface = oldPdev->getInterface;
  newPdev->disposeInterface = oldPdev->disposeInterface;
  // The module now belongs to the new record alone: the old one must not end or unload it.
  oldPdev->output.module = nullptr;
  oldPdev->output.write = nullptr;
  oldPdev->moduleInterface = nullptr;
  oldPdev->disposeInterface = nullptr;

  if (oldPdev->jobName) TakeJobNameBytes(newPdev, oldPdev->jobName, oldPdev->jobNameLength);
  std::memcpy(newPdev->colourTransform.transforms, oldPdev->colourTransform.transforms,
              sizeof newPdev->colourTransform.transforms);
  std::memset(oldPdev->colourTransform.transforms, 0, sizeof oldPdev->colourTransform.transforms);

  if (newPdev->rasterMode) CopyJobInformation(oldPdev->context, newPdev->context);
  GrEmptyGlyphTable(oldPdev);
  newPdev->glyphGeneration = oldPdev->glyphGeneration;
  newPdev->takeOver = oldPdev->takeOver;
  if (newPdev->takeOver && GrTakeOverDevMode(newPdev->context, oldPdev->devmode, newPdev->devmode)) {
    newPdev->passThrough = oldPdev->passThrough;
    newPdev->printMethod = oldPdev->printMethod;
  }
  return TRUE;
}
