// The per-job record of the graphics module, its private heap, and the device entry points
// that set it up from the printer's settings.
#pragma once

#include <cstdint>

#include "gr_output.h"
#include "option_values.h"
#include "plugin_registry.h"
#include "win32/ddi.h"
#include "win32/windows.h"

struct DriverContext;

// ---- private heap ------------------------------------------------------------------------

// One head cell holding the first block of a singly linked list; every block carries its link
// in front of the caller's bytes. Blocks are not zero-filled.
struct PdevHeapBlock {
  PdevHeapBlock* next;
};
struct PdevHeap {
  PdevHeapBlock* first;
};

PdevHeap* GrHeapCreate();
void* GrHeapAlloc(PdevHeap* heap, size_t size);
// Unlinks and frees the block; a block not in the list is ignored.
void GrHeapFree(PdevHeap* heap, void* block);
void GrHeapDestroy(PdevHeap* heap);

// ---- the record --------------------------------------------------------------------------

constexpr uint32_t kPdevMagic = 0x19651013;

// flags
enum : uint32_t {
  kPdevDocStarted = 0x4,
  kPdevWriteError = 0x8,
  kPdevPageOpen = 0x8000,
  kPdevResetInProgress = 0x100000,
};

// The interface module's function table (slots in this order; slot 0 is never called).
struct OutputModuleInterface {
  void* reserved;
  BOOL(WINAPI* Open)(HANDLE* outputHandle, char** names);
  void(WINAPI* Close)(HANDLE outputHandle);
  void(WINAPI* StartDoc)(HANDLE outputHandle, HANDLE printer, DWORD jobId);
  void(WINAPI* EndDoc)(HANDLE outputHandle);
  void(WINAPI* StartPage)(HANDLE outputHandle);
  BOOL(WINAPI* EndPage)(HANDLE outputHandle);
  BOOL(WINAPI* Write)(HANDLE outputHandle, const void* bytes, DWORD length, DWORD* written);
};
using IZoltGetInterfaceFn = BOOL(WINAPI*)(DWORD version, OutputModuleInterface** table);
using IZoltDisposeInterfaceFn = void(WINAPI*)(OutputModuleInterface* table);
using SplPageFn = void(WINAPI*)(HANDLE outputHandle);
constexpr DWORD kOutputInterfaceVersion = 256;

// The colour-matching choices of the job and the host transforms made from them.
struct ColourTransformState {
  void* transforms[6];  // the profile, the main transform, image, text, line and single transforms
  uint32_t colorMatching;   // zdmColorMatching
  uint32_t icmType;         // zdmICMType
  uint32_t colorMode;       // zdmColorMode
  uint32_t colorModeImage;  // wdmColorModeImage
  uint32_t adjustMode;      // zdmAdjustMode
  uint32_t intents[4];      // text, line art, images; the one intent
};

// A realised brush of the drawing Parts (kept opaque here).
struct ScratchBrush {
  alignas(4) BYTE bytes[28];
};

struct PhysicalDevice {
  uint32_t magic;
  DriverContext* context;
  PdevHeap* heap;
  HANDLE printer;
  HDEV engineDevice;
  HSURF surface;
  HPALETTE palette;
  uint32_t flags;
  int32_t paperWidth, paperLength;  // 0.1 mm, as printed
  int32_t physWidthDots, physLengthDots;
  int32_t printWidthDots, printLengthDots;
  int32_t printWidth, printLength;  // 0.1 mm
  int32_t paperSize;
  int32_t offsetXDots, offsetYDots;
  int32_t pageCount;
  uint32_t deviceFontCount;
  HMODULE module;
  int16_t copies;
  uint32_t rasterMode;
  int16_t colourProcess;
  int16_t orientation;
  uint16_t resolution;
  int16_t languageId;
  uint16_t passThrough;
  uint32_t machineTypeColour;
  uint32_t emfSpool;
  uint32_t colourMode;
  int16_t printArea;
  uint32_t defaultFontOn;
  uint32_t eudcSwitch;
  uint32_t drawingOff;
  int16_t monoDeviceSurface;
  int16_t fewerHooks;
  uint32_t pathLimit;
  uint32_t wholePageBitmap;
  uint32_t icmInPrinter;
  uint32_t deviceFontsOn;
  uint32_t textMode;
  uint32_t compressChars;
  uint32_t enhanceBold;
  uint32_t charProcessSpec;
  uint32_t scaledOrNup;
  uint32_t driverTypeOne;
  char* jobName;
  int16_t jobNameLength;
  void* deviceFonts;
  void* clipCache;
  ScratchBrush scratchBrush;
  OutputContext output;
  SplPageFn splStartPage, splEndPage;
  alignas(4) BYTE attributeCaches[84];
  int32_t bandX, bandY, bandCount;
  int32_t pageWidthPx, pageHeightPx;
  const WCHAR* filterFileName;
  ColourTransformState colourTransform;
  uint32_t textBitmapQuality;
  void* glyphTable[1024];
  uint16_t glyphGeneration;
  uint32_t printMethod;
  DEVMODEW* devmode;
  uint32_t jobId;
  uint32_t enginePageStarted;
  uint32_t takeOver;
  uint32_t apiUse;
  uint32_t sendDevmode;
  uint32_t printMethodSeven;
  OSVERSIONINFOW osVersion;
  uint32_t drawOptimise;
  BYTE lastFontRecord[560];
  uint32_t useInterfaceModule;
  PluginList* filterPlugins;
  PluginIdList* moduleNames;
  uint32_t forceRaw;
  OutputModuleInterface* moduleInterface;
  IZoltGetInterfaceFn getInterface;
  IZoltDisposeInterfaceFn disposeInterface;
  uint32_t magicEnd;
};

// The options the record is read from (besides those of option_values.h).
enum : uint16_t {
  kGrOptOrientation = 7,          // dmOrientation
  kGrOptCopies = 12,              // dmCopies
  kGrOptColor = 15,               // dmColor
  kGrOptSrcPaperLengthDot = 40,   // zdmSrcPaperLengthDot
  kGrOptSrcPaperWidthDot = 41,    // zdmSrcPaperWidthDot
  kGrOptSrcPaperPrnLengthDot = 42,
  kGrOptSrcPaperPrnWidthDot = 43,
  kGrOptSrcXOffset = 44,
  kGrOptSrcYOffset = 45,
  kGrOptFuncSelectScale = 55,
  kGrOptFuncSelectNup = 56,
  kGrOptAdjustMode = 128,         // zdmAdjustMode
  kGrOptColorMatching = 130,      // zdmColorMatching
  kGrOptICMType = 131,            // zdmICMType
  kGrOptICMIntent = 132,          // zdmICMIntent
  kGrOptColorMode = 134,          // zdmColorMode
  kGrOptQualityFuncTextBitmap = 167,
  kGrOptExtPrintArea = 173,
  kGrOptImagePrint = 174,
  kGrOptColorProcess = 175,
  kGrOptExtOutputEMFSpool = 193,
  kGrOptPrnMethod = 209,
  kGrOptMachineTypeColor = 236,
  kGrOptAPIUseFlag = 245,
  kGrOptFrontFunc = 350,
  kGrOptHiddenFunc4 = 355,
  kGrOptHiddenFunc5 = 356,
  kGrOptHiddenFunc15 = 366,
  kGrOptHiddenFunc18 = 369,
  kGrOptHiddenFunc30 = 381,
  kGrOptHidden2Func9 = 458,
  kGrOptHidden2Func11 = 460,
  kGrOptHidden2Func25 = 474,
  kGrOptHidden2Func26 = 475,
  kGrOptHidden2Func27 = 476,
  kGrOptHidden2Func28 = 477,
  kGrOptHidden2Func29 = 478,
  kGrOptHidden2Func30 = 479,
  kGrOptTesmarin = 727,
  kGrOptIntentText = 981,
  kGrOptIntentGraphics = 982,
  kGrOptIntentImage = 983,
  kGrOptColorModeImage = 989,     // wdmColorModeImage
  kGrOptPrnFuncTakeOver = 10356,
};

// The derived value that says the device mode goes into the stream.
constexpr uint16_t kGrDerivedSendDevmode = 1507;

// The module handle saved at process attach.
HMODULE GrModuleHandle();
void GrSetModuleHandle(HMODULE module);

PhysicalDevice* GrAllocPdev();
void GrFreePdev(PhysicalDevice* pdev);
int GrIsValidPdev(const PhysicalDevice* pdev);
// The record behind a surface object (its device handle), checked; NULL with
// ERROR_INVALID_PARAMETER when it is not a valid record.
PhysicalDevice* GrPdevOfSurface(SURFOBJ* pso);
// GrIsValidPdev, setting ERROR_INVALID_PARAMETER when it fails.
int GrCheckPdev(const PhysicalDevice* pdev);

int GrInitPdevFromOptions(PhysicalDevice* pdev);
void GrReadSwitches(PhysicalDevice* pdev);
void GrReadPaperGeometry(PhysicalDevice* pdev);
void GrFillGdiInfo(PhysicalDevice* pdev, ULONG size, GDIINFO* info);
int GrFillDevInfo(PhysicalDevice* pdev, ULONG size, DEVINFO* info, ULONG halftonePatternSize);
ULONG GrHalftonePatternSize(ULONG xDpi, ULONG yDpi, int flag);
ULONG GrScanlineBytes(ULONG bitmapFormat, LONG width);
SURFOBJ* GrCreateLockedBitmap(PhysicalDevice* pdev, HSURF* surface, LONG width, LONG height, ULONG format);
// Looks a character set up by code page (direction 0: pair[1] given, pair[0] found) or a code
// page by character set (direction 1) in the table; 0 when absent.
int GrCodePageCharset(UINT value, UINT pair[2], int direction);
UINT GrAnsiCodePage();
ULONG GrMapIcmIntent(PhysicalDevice* pdev, uint16_t optionId);
BYTE GrRop3Of(DWORD rop);
uint32_t GrCharProcessSpec(const PhysicalDevice* pdev);
