// The per-job record: allocation, checks, reading the printer's settings into it, and the
// engine's device information (GDIINFO, DEVINFO, palette) and drawing surface made from it.
#include "gr_pdev.h"

#include <algorithm>
#include <cstring>

#include "core_memory.h"
#include "devmode_merge.h"
#include "driver_context.h"
#include "gr_device_text.h"
#include "gr_output_module.h"
#include "model_query.h"
#include "option_access.h"
#include "plugin_registry.h"

namespace {

// Character set and ANSI code page.
constexpr UINT kCharsetCodePage[14][2] = {
    {0, 1252},   {128, 932},  {129, 949},  {130, 1361}, {134, 936},  {136, 950},  {177, 1255},
    {178, 1256}, {161, 1253}, {162, 1254}, {186, 1257}, {238, 1250}, {204, 1251}, {222, 874},
};

// Dither cell sizes by halftone pattern size.
constexpr USHORT kDitherCell[16] = {2, 2, 4, 4, 6, 6, 8, 8, 10, 10, 12, 12, 14, 14, 16, 16};

constexpr ULONG kHooksVector = HOOK_BITBLT | HOOK_STRETCHBLT | HOOK_TEXTOUT | HOOK_STROKEPATH | HOOK_FILLPATH |
                               HOOK_STROKEANDFILLPATH | HOOK_COPYBITS;
static_assert(kHooksVector == 0x4EB);
constexpr ULONG kHooksRaster = HOOK_BITBLT | HOOK_STRETCHBLT | HOOK_TEXTOUT;
static_assert(kHooksRaster == 0xB);

int32_t Opt(PhysicalDevice* pdev, uint16_t id) { return OptGetValue(pdev->context, id, nullptr); }

bool MonoJob(const PhysicalDevice* pdev) { return pdev->colourProcess == 1 && pdev->colourMode == 1; }

void DefaultFace(LOGFONTW* font, const PhysicalDevice* pdev) {
  const LONG height = (LONG{pdev->resolution} * 10 + pdev->resolution / 2) / 72;
  font->lfHeight = height;
  font->lfWidth = height / 2;
  font->lfWeight = 400;
  font->lfCharSet = 128;
  font->lfOutPrecision = 1;
  font->lfClipPrecision = 2;
  font->lfQuality = 0;
  font->lfPitchAndFamily = 17;
  static const WCHAR kMincho[] = u"\u660E\u671D";
  static const WCHAR kMsMincho[] = u"\uFF2D\uFF33 \u660E\u671D";
  const WCHAR* face = pdev->textMode ? kMincho : kMsMincho;
  std::memcpy(font->lfFaceName, face, (std::char_traits<WCHAR>::length(face) + 1) * sizeof(WCHAR));
}

}  // namespace

// ---- reading the settings -----------------------------------------------------------------

uint32_t GrCharProcessSpec(const PhysicalDevice* pdev) { return pdev->textMode == 0 ? 3 : 2; }

ULONG GrMapIcmIntent(PhysicalDevice* pdev, uint16_t optionId) {
  switch (Opt(pdev, optionId)) {
    case 1: return 4;
    case 2: return 2;
    case 3: return 8;
    default: return 1;
  }
}

void GrReadSwitches(PhysicalDevice* pdev) {
  pdev->textMode = static_cast<uint32_t>(Opt(pdev, kGrOptHidden2Func25));
  pdev->compressChars = static_cast<uint32_t>(Opt(pdev, kGrOptHidden2Func26));
  pdev->enhanceBold = static_cast<uint32_t>(Opt(pdev, kGrOptHidden2Func27));
  pdev->deviceFontsOn = static_cast<uint32_t>(Opt(pdev, kGrOptHidden2Func28));
  pdev->icmInPrinter = static_cast<uint32_t>(Opt(pdev, kGrOptHidden2Func29));
  if (pdev->deviceFontsOn) pdev->textMode = 1;
  pdev->defaultFontOn = static_cast<uint32_t>(Opt(pdev, kGrOptHiddenFunc4));
  pdev->eudcSwitch = Opt(pdev, kGrOptHiddenFunc15) != 0 || (Opt(pdev, kGrOptFrontFunc) & 0x80) != 0;
  pdev->monoDeviceSurface = static_cast<int16_t>(Opt(pdev, kGrOptHiddenFunc30));
  pdev->fewerHooks = static_cast<int16_t>(Opt(pdev, kGrOptHiddenFunc5));
  if (pdev->rasterMode == 0 && pdev->colourProcess == 0 && Opt(pdev, kGrOptHidden2Func9) != 0) pdev->colourProcess = 2;
  pdev->pathLimit = static_cast<uint32_t>(Opt(pdev, kGrOptHidden2Func11));
  pdev->wholePageBitmap = static_cast<uint32_t>(Opt(pdev, kGrOptHidden2Func30));
  pdev->drawingOff = static_cast<uint32_t>(Opt(pdev, kGrOptHiddenFunc18));
}

void GrReadPaperGeometry(PhysicalDevice* pdev) {
  pdev->paperSize = Opt(pdev, kOptPaperSize);
  pdev->physWidthDots = Opt(pdev, kGrOptSrcPaperWidthDot);
  pdev->physLengthDots = Opt(pdev, kGrOptSrcPaperLengthDot);
  SIZE paper{};
  if (MdlGetDocPaperExtent(pdev->context, &paper)) {
    pdev->paperWidth = paper.cx;
    pdev->paperLength = paper.cy;
  }
  pdev->printWidthDots = Opt(pdev, kGrOptSrcPaperPrnWidthDot);
  pdev->printLengthDots = Opt(pdev, kGrOptSrcPaperPrnLengthDot);
  if (pdev->resolution != 0) {
    pdev->printWidth = static_cast<int32_t>(int64_t{pdev->printWidthDots} * 254 / pdev->resolution);
    pdev->printLength = static_cast<int32_t>(int64_t{pdev->printLengthDots} * 254 / pdev->resolution);
  }
  pdev->offsetXDots = Opt(pdev, kGrOptSrcXOffset);
  pdev->offsetYDots = Opt(pdev, kGrOptSrcYOffset);
}

int GrInitPdevFromOptions(PhysicalDevice* pdev) {
  pdev->flags = 0;
  pdev->pageCount = 0;
  const int32_t dpi = Opt(pdev, kOptDmPrintQuality);
  pdev->resolution = static_cast<uint16_t>(dpi == 0 ? 600 : dpi);
  pdev->orientation = static_cast<int16_t>(Opt(pdev, kGrOptOrientation));
  pdev->colourProcess = static_cast<int16_t>(Opt(pdev, kGrOptColorProcess));
  pdev->rasterMode = static_cast<uint32_t>(Opt(pdev, kGrOptImagePrint));
  pdev->languageId = static_cast<int16_t>(Opt(pdev, kOptLanguageId));
  pdev->passThrough = static_cast<uint16_t>(Opt(pdev, kGrOptTesmarin) & 1);
  if (pdev->passThrough) pdev->rasterMode = 0;
  pdev->machineTypeColour = static_cast<uint32_t>(Opt(pdev, kGrOptMachineTypeColor));
  pdev->emfSpool = static_cast<uint32_t>(Opt(pdev, kGrOptExtOutputEMFSpool));
  pdev->colourMode = static_cast<uint32_t>(Opt(pdev, kGrOptColor));
  pdev->copies = static_cast<int16_t>(Opt(pdev, kGrOptCopies));

  GrReadSwitches(pdev);

  ColourTransformState& cms = pdev->colourTransform;
  cms.colorMatching = static_cast<uint32_t>(Opt(pdev, kGrOptColorMatching));
  if (cms.colorMatching == 1) {
    cms.icmType = static_cast<uint32_t>(Opt(pdev, kGrOptICMType));
    cms.colorMode = static_cast<uint32_t>(Opt(pdev, kGrOptColorMode));
    cms.colorModeImage = static_cast<uint32_t>(Opt(pdev, kGrOptColorModeImage));
    if (pdev->icmInPrinter == 0) {
      cms.adjustMode = static_cast<uint32_t>(Opt(pdev, kGrOptAdjustMode));
      if (cms.adjustMode == 1) {
        cms.intents[0] = GrMapIcmIntent(pdev, kGrOptIntentText);
        cms.intents[1] = GrMapIcmIntent(pdev, kGrOptIntentGraphics);
        cms.intents[2] = GrMapIcmIntent(pdev, kGrOptIntentImage);
      } else {
        cms.intents[3] = GrMapIcmIntent(pdev, kGrOptICMIntent);
      }
    }
  }

  pdev->printArea = static_cast<int16_t>(Opt(pdev, kGrOptExtPrintArea));
  pdev->scaledOrNup = Opt(pdev, kGrOptFuncSelectScale) != 0 || Opt(pdev, kGrOptFuncSelectNup) != 0;
  pdev->textBitmapQuality = Opt(pdev, kGrOptQualityFuncTextBitmap) != 0;
  pdev->printMethod = static_cast<uint32_t>(Opt(pdev, kGrOptPrnMethod));
  pdev->takeOver = Opt(pdev, kGrOptPrnFuncTakeOver) != 0;
  pdev->driverTypeOne = Opt(pdev, kOptDriverType) == 1;
  pdev->printMethodSeven = pdev->printMethod == 7;
  pdev->drawOptimise = !(pdev->printMethod == 7 || pdev->printMethod == 5 || pdev->scaledOrNup);
  pdev->charProcessSpec = GrCharProcessSpec(pdev);
  pdev->filterFileName = pdev->context->profile ? pdev->context->profile->userModeModuleName : nullptr;

  GrReadPaperGeometry(pdev);

  WCHAR directory[MAX_PATH] = {};
  char ansi[2 * MAX_PATH + 2] = {};
  if (GrGetDriverDirectory(pdev, pdev->printer, MAX_PATH, directory)) {
    const int n = GrWideToDeviceText(ansi, directory,
                                     static_cast<int>(std::char_traits<WCHAR>::length(directory) * sizeof(WCHAR)), 128);
    ansi[n] = 0;
  }
  pdev->filterPlugins = PlgEnumCategory(kPluginCategoryOutputFilter, ansi);
  pdev->useInterfaceModule = pdev->filterPlugins != nullptr;
  pdev->forceRaw = 0;
  if (pdev->filterPlugins)
    for (uint32_t i = 0; i < pdev->filterPlugins->count; ++i)
      if (pdev->filterPlugins->entries[i]->forceRaw) pdev->forceRaw = 1;

  pdev->output.owner = pdev;
  return 1;
}

// ---- device information -------------------------------------------------------------------

ULONG GrHalftonePatternSize(ULONG xDpi, ULONG yDpi, int flag) {
  const ULONG r = std::min(xDpi, yDpi);
  ULONG size = r >= 2400 ? 15 : r >= 1800 ? 13 : r >= 1200 ? 11 : r >= 900 ? 9 : r >= 400 ? 7 : r >= 180 ? 5 : 3;
  return flag ? size - 2 : size;
}

ULONG GrScanlineBytes(ULONG bitmapFormat, LONG width) {
  const uint64_t w = width > 0 ? static_cast<uint64_t>(width) : 0;
  if (bitmapFormat == 6) return static_cast<ULONG>((w * 32 + 7) / 8);
  static constexpr ULONG kBits[] = {1, 1, 4, 8, 16, 24};
  const ULONG bits = bitmapFormat >= 1 && bitmapFormat <= 5 ? kBits[bitmapFormat] : 1;
  const uint64_t bytes = (w * bits + 7) / 8;
  return static_cast<ULONG>((bytes + 3) & ~uint64_t{3});
}

void GrFillGdiInfo(PhysicalDevice* pdev, ULONG size, GDIINFO* out) {
  GDIINFO info{};
  info.ulVersion = 0x500;
  info.ulTechnology = DT_RASPRINTER;
  if (pdev->printArea == 2) {
    info.ulHorzSize = static_cast<ULONG>(pdev->printWidth / 10);
    info.ulVertSize = static_cast<ULONG>(pdev->printLength / 10);
  } else {
    info.ulHorzSize = static_cast<ULONG>(-(pdev->printWidth * 100));
    info.ulVertSize = static_cast<ULONG>(-(pdev->printLength * 100));
  }
  info.ulHorzRes = static_cast<ULONG>(pdev->printWidthDots);
  info.ulVertRes = static_cast<ULONG>(pdev->printLengthDots);
  pdev->pageWidthPx = pdev->printWidthDots;
  pdev->pageHeightPx = pdev->printLengthDots;
  if (pdev->rasterMode) {
    if (MonoJob(pdev)) {
      info.cBitsPixel = 1, info.cPlanes = 1, info.ulNumColors = 2, info.ulNumPalReg = 2;
    } else {
      info.cBitsPixel = pdev->colourProcess ? 24 : 8;
      info.cPlanes = pdev->colourProcess ? 1 : 3;
      info.ulNumColors = info.ulNumPalReg = 0xFFFFFF;
    }
  } else if (pdev->colourProcess == 1) {
    info.cBitsPixel = 1, info.cPlanes = 1;
    info.ulNumColors = pdev->colourMode == 2 ? 8 : 2;
    info.ulNumPalReg = pdev->colourMode == 2 ? 20 : 2;
  } else {
    info.cBitsPixel = pdev->colourProcess == 2 ? 24 : 8;
    info.cPlanes = pdev->colourProcess == 2 ? 1 : 3;
    info.ulNumColors = info.ulNumPalReg = 0xFFFFFF;
  }
  info.flRaster = 0;
  info.ulLogPixelsX = info.ulLogPixelsY = info.ulAspectX = info.ulAspectY = pdev->resolution;
  info.flTextCaps = 0x581F;
  info.ulAspectXY = ULONG{pdev->resolution} * 1414 / 1000;
  info.xStyleStep = info.yStyleStep = 1;
  info.denStyleStep = pdev->resolution / 25;
  info.ptlPhysOffset = {pdev->offsetXDots, pdev->offsetYDots};
  info.szlPhysSize = {pdev->physWidthDots, pdev->physLengthDots};
  COLORINFO& c = info.ciDevice;
  c.Red = {6380, 3350, 0};
  c.Green = {2345, 6075, 0};
  c.Blue = {1410, 932, 0};
  c.Cyan = {2000, 2450, 0};
  c.Magenta = {5210, 2100, 0};
  c.Yellow = {4750, 5100, 0};
  c.AlignmentWhite = {3127, 3290, 0};
  c.RedGamma = c.GreenGamma = c.BlueGamma = 12500;
  c.MagentaInCyanDye = 585;
  c.YellowInCyanDye = 120;
  c.MagentaInYellowDye = 10000;
  info.ulDevicePelsDPI = 0;
  info.ulPrimaryOrder = PRIMARY_ORDER_CBA;
  ULONG pattern = GrHalftonePatternSize(pdev->resolution, pdev->resolution, 0);
  info.ulHTPatternSize = pattern > 15 ? 5 : pattern;
  info.ulHTOutputFormat =
      MonoJob(pdev) && (pdev->rasterMode || pdev->monoDeviceSurface) ? HT_FORMAT_1BPP : HT_FORMAT_24BPP;
  info.flHTFlags = HT_FLAG_HAS_BLACK_DYE;
  std::memcpy(out, &info, std::min<size_t>(size, sizeof info));
}

int GrCodePageCharset(UINT value, UINT pair[2], int direction) {
  for (const auto& row : kCharsetCodePage) {
    if (direction == 0 && row[1] == value) {
      pair[0] = row[0];
      pair[1] = row[1];
      return 1;
    }
    if (direction != 0 && row[0] == value) {
      pair[0] = row[0];
      pair[1] = row[1];
      return 1;
    }
  }
  return 0;
}

UINT GrAnsiCodePage() {
  USHORT oem = 0, ansi = 0;
  EngGetCurrentCodePage(&oem, &ansi);
  return ansi;
}

int GrFillDevInfo(PhysicalDevice* pdev, ULONG size, DEVINFO* out, ULONG halftonePatternSize) {
  DEVINFO info{};
  ULONG caps = pdev->rasterMode ? 0x430 : 0x1F;
  if (pdev->emfSpool == 0 || pdev->forceRaw) caps |= GCAPS_DONTJOURNAL;
  if (pdev->colourMode == 2 && Opt(pdev, kGrOptColorMatching) == 1 && Opt(pdev, kGrOptICMType) == 1) caps |= GCAPS_ICM;
  UINT pair[2] = {0, 0};
  const BYTE charset = GrCodePageCharset(GrAnsiCodePage(), pair, 0) ? static_cast<BYTE>(pair[0]) : 0;
  if (!pdev->rasterMode && pdev->languageId == 0 && pdev->defaultFontOn) {
    DefaultFace(&info.lfDefaultFont, pdev);
    info.lfAnsiVarFont = info.lfDefaultFont;
    info.lfAnsiVarFont.lfCharSet = 0;
    info.lfAnsiFixFont = info.lfAnsiVarFont;
    info.lfDefaultFont.lfCharSet = charset;
  }
  HPALETTE palette = nullptr;
  if (pdev->rasterMode && MonoJob(pdev)) {
    info.iDitherFormat = BMF_1BPP;
    const ULONG index = std::min<ULONG>(halftonePatternSize, 15);
    info.cxDither = info.cyDither = kDitherCell[index];
    caps |= GCAPS_FORCEDITHER;
    ULONG colours[2] = {0x000000, 0xFFFFFF};
    palette = EngCreatePalette(PAL_INDEXED, 2, colours, 0, 0, 0);
  } else {
    info.iDitherFormat = BMF_24BPP;
    palette = EngCreatePalette(PAL_BGR, 0, nullptr, 0, 0, 0);
  }
  info.flGraphicsCaps = caps;
  if (!palette) return 0;
  if (pdev->palette) EngDeletePalette(pdev->palette);
  pdev->palette = palette;
  info.hpalDefault = palette;
  info.cFonts = 0;
  std::memcpy(out, &info, std::min<size_t>(size, sizeof info));
  return 1;
}

BYTE GrRop3Of(DWORD rop) { return static_cast<BYTE>(rop >> 16); }

// ---- surfaces -----------------------------------------------------------------------------

SURFOBJ* GrCreateLockedBitmap(PhysicalDevice* pdev, HSURF* surface, LONG width, LONG height, ULONG format) {
  (void)pdev;
  *surface = nullptr;
  HBITMAP bitmap = EngCreateBitmap(SIZEL{width, height}, 0, format, BMF_TOPDOWN, nullptr);
  if (!bitmap) return nullptr;
  SURFOBJ* so = EngLockSurface(reinterpret_cast<HSURF>(bitmap));
  if (!so) {
    EngDeleteSurface(reinterpret_cast<HSURF>(bitmap));
    return nullptr;
  }
  *surface = reinterpret_cast<HSURF>(bitmap);
  return so;
}
