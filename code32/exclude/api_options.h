// Option ids, capability ids and string ids that the ZOLTDrv interface reads and writes by name.
#pragma once

#include <cstdint>

enum ApiOption : uint16_t {
  kApiOptPaperSize = 8,           // dmPaperSize
  kApiOptPaperLength = 9,         // dmPaperLength
  kApiOptPaperWidth = 10,         // dmPaperWidth
  kApiOptCollate = 19,            // dmCollate
  kApiOptMachineId = 35,          // zdmMachineID
  kApiOptUiModeChange = 36,       // zdmUIModeChange
  kApiOptPresetNo = 37,           // zdmPresetNo
  kApiOptDstResolutionW = 38,
  kApiOptDstResolutionH = 39,
  kApiOptOutPaperSize = 46,       // zdmOutPaperSize
  kApiOptMediaType = 54,          // zdmMediaType
  kApiOptFuncSelectScale = 55,
  kApiOptFuncSelectDuplex = 58,
  kApiOptFuncSelectWaterMark = 60,
  kApiOptFuncSelectSort = 61,
  kApiOptFuncSelectPunch = 62,
  kApiOptFuncSelectStaple = 63,
  kApiOptFuncSelectMargin = 67,
  kApiOptFuncSelectChapter = 69,
  kApiOptFuncSelectReverseCover = 70,
  kApiOptFuncSelectBack = 66,
  kApiOptFuncSelectTonerSave = 68,
  kApiOptFuncSelectFold = 78,
  kApiOptMarginA = 81,
  kApiOptMarginB = 82,
  kApiOptScaleType = 87,
  kApiOptScaleH = 89,
  kApiOptScaleV = 90,
  kApiOptNupPostKind = 91,       // zdmNUPPOSTKind
  kApiOptNupType = 92,
  kApiOptDuplexType = 94,
  kApiOptShiftDir = 95,           // zdmShiftDir
  kApiOptShiftMarginX = 96,       // zdmShiftMarginX; 96-102 are the margin options
  kApiOptShiftMarginY = 97,
  kApiOptHFFuncSelectString = 102,
  kApiOptWmKind = 117,
  kApiOptWmId = 118,
  kApiOptSortType = 119,
  kApiOptPunchType = 120,
  kApiOptStapleType = 121,
  kApiOptMarkPaperType = 122,
  kApiOptCoverType = 124,
  kApiOptAdjustMode = 128,
  kApiOptAdjustObject = 129,
  kApiOptColorMatching = 130,
  kApiOptIcmType = 131,
  kApiOptIcmIntent = 132,
  kApiOptColorMatchingMode = 133,
  kApiOptColorMode = 134,
  kApiOptPlaneCyan = 144,         // zdmPlaneUseCMYKCyan .. Black: 144-147
  kApiOptPlaneBlack = 147,
  kApiOptDstResolutionBoth = 152,
  kApiOptUseUserMacro = 176,
  kApiOptPrintMacro = 177,
  kApiOptBalanceMacro = 178,
  kApiOptUserPrintMacro = 179,
  kApiOptTonerSave = 200,
  kApiOptPrnMethod = 209,
  kApiOptLoadShare = 227,
  kApiOptReverseCoverOutside = 389,
  kApiOptSeparationSheet = 390,
  kApiOptSeparationSheetCycle = 413,
  kApiOptFoldType = 513,
  kApiOptMarginC = 539,
  kApiOptRotationMode = 604,
  kApiOptMarginD = 693,
  kApiOptMarginE = 694,
  kApiOptNupLayout = 681,
  kApiOptBookLayout = 682,
  kApiOptOSKind = 730,
  kApiOptTSE = 743,
  kApiOptAdmin = 744,
  kApiOptWmCharName = 954,
  kApiOptUiStart = 1012,          // wdmUIStart
  kApiOptChapterMax = 1017,       // wdmChapterMax
  kApiOptChapterNum = 1019,       // wdmChapterNum
  kApiOptCtrlWorkPrompt = 1042,   // wdmCtrlWorkPrompt
  kApiOptPrinterMemory = 10012,
};

enum ApiCapability : uint32_t {
  kApiCapShiftMarginRange = 34,
  kApiCapSeparationSheet = 76,
  kApiCapUserMacro = 270,
};

constexpr int kApiQualitySlot = 128;          // the interface's quality entry
constexpr int kApiStampSlot = 256;            // the interface's watermark entry
constexpr uint32_t kApiQualitySlotNameString = 922;
constexpr uint32_t kApiJobValueMask = 0x789F;  // the job items the device-mode calls load
