// The driver context: the per-call working record that every entry point builds and releases,
// with its work area, its copy of the driver profile and its own copies of the option and
// dialog tables; the template it is copied from; and the two process-wide caches of released
// contexts.
//
// Layout choices of this 64-bit build: the context, the template, the work area and the
// profile live only in memory (never stored, never sent between modules), so they keep their
// field order and let pointer fields take 8 bytes; their sizes are therefore not fixed. The
// widths of the text buffers are fixed (261, 32, 33 and 1025 characters) because the code that
// fills them relies on them; the records inside that are stored (FreeSizeSlot) keep their
// exact size.
#pragma once

#include <cstdint>

#include "core_memory.h"
#include "dialog_table.h"
#include "option_buffers.h"
#include "option_table.h"
#include "sheet_engine_state.h"
#include "win32/windows.h"

// The spooler's printer and driver records.
#include "win32/spooler.h"

// Records of other subsystems that the context only points at.
struct SettingsImage;   // the working device mode and option image
struct ModelImage;      // the loaded model description
struct MdlRuleIndex;    // the per-value rule rows of a model image, by rule and value
struct FeatureModuleList;
struct ChapterEntry;
struct DeviceFontEntry;
struct JobControlInterface;

// Sizes of the settings image and of the full device mode (public part and private part).
constexpr DWORD kSettingsImageSize = 10640;
constexpr DWORD kFullDevModeSize = 1236;

// Text widths of the work area (characters, terminator included).
constexpr int kCtxPathChars = 261;
constexpr int kCtxShortNameChars = 32;
constexpr int kCtxModelNameChars = 33;
constexpr int kCtxScratchChars = 1025;

// One custom paper-size slot (stored layout: 204 bytes).
struct FreeSizeSlot {
  char displayName[64];
  char displayNameWithSize[64];
  char userName[64];
  int32_t width;   // 1/1200 inch
  int32_t length;  // 1/1200 inch
  int16_t tray;
  int16_t orientation;
};
static_assert(sizeof(FreeSizeSlot) == 204);

constexpr int kFreeSizeSlotCount = 12;

// Row-cache slots of the finishing rules' option getters (finishing_rules.h).
constexpr int kFinishingRowSlots = 112;

// The binding of a context to the job-control module: the module, the open session (NULL for
// none), the addresses of its two exports, the function table it returned and that table's
// interface version.
struct JcBinding {
  HMODULE module;
  HANDLE session;
  void* getInterface;
  void* disposeInterface;
  JobControlInterface* table;
  WORD version;
};

// The installation defaults read once (installation-defaults file or locale).
struct InstallDefaults {
  BYTE userCode;                 // a job-log user code is in force
  BYTE userCodeFix;              // the code is fixed by the administrator
  WCHAR userCodeString[9];       // the code, 8 characters at most
  WORD dispLang;                 // display language (language-table index)
  WORD defPaper;                 // default paper (dmPaperSize code)
  WORD defUnit;                  // display unit: 0 millimetres, 1 inches
  WORD region;                   // locale region 1, 2 or 5, else 0
};

// The user's output paper and scaling while a fit to the regional standard paper replaces them
// for printing (zdmOutPaperSize, zdmFuncSelectScale, zdmScaleType).
struct FitSaveArea {
  int32_t outPaperSize;
  int32_t funcSelectScale;
  int32_t scaleType;
  DWORD saved;  // 1 while the three values are held
};

// The per-context state area: zero at creation except what creation sets. Fields in record
// order; the comments name what each holds.
struct ContextWorkArea {
  WCHAR settingsIniPath[kCtxPathChars];  // the per-printer settings file, built on first use
  DWORD undoState;                       // levels of the undo stack that hold an image (0-3)
  SettingsImage* undoImages[3];          // allocated at creation
  DWORD undoKeptFontTable;               // handle of the font-substitution table an edit replaced
  DWORD documentMode;                    // fMode of the current document-properties call
  void* propSheetCallback;               // the common property-sheet host's callback
  HANDLE propSheetHandle;
  LONG evalDepth;                        // condition evaluator: depth and stack
  DWORD* evalStack;
  DWORD sheetState;
  DWORD subDialogResult;                 // 1 after the sheet engine's sub-dialog was accepted
  DWORD optionsChanged;                  // 1 after any option write
  WORD contextKind;                      // creation flags & 0xff
  WCHAR languageCode[kCtxShortNameChars];
  WCHAR driverName[kCtxShortNameChars];
  WCHAR modelName[kCtxModelNameChars];
  WCHAR scratchText[kCtxScratchChars];
  WCHAR qualifiedPrinterName[kCtxPathChars];  // server-qualified printer name (cache key)
  WCHAR savedPrinterName[kCtxPathChars];      // printer name while another section is addressed
  void* callerDevModeIn;
  void* callerDevModeOut;
  DWORD_PTR pictureState[8];              // picture handles and sizes of the open dialog
  FreeSizeSlot freeSizeSlots[kFreeSizeSlotCount];
  int32_t freeSizeCurrentSlot;            // the slot shown in the custom paper-size dialog (0-9)
  DWORD savedPendingWords[3];
  DWORD pendingUpdate;                    // request bits (high half), control or string id (low)
  LONG detachedFontCount;
  DeviceFontEntry* detachedFonts;
  LONG settingsFileStatus;                // 0 ok, 1 version or format, 2 unreadable, 3 lock mismatch
  WCHAR driverIniPath[kCtxPathChars];
  WCHAR driverDirectory[kCtxPathChars];
  WCHAR installFilePath[kCtxPathChars];
  WCHAR installListPath[kCtxPathChars];
  DWORD mergeFlags;
  OptionEntry* finishingRows[kFinishingRowSlots];  // the finishing getters' option rows, NULL until read
  HGDIOBJ gdiObjects[2];                  // deleted at destruction
  InstallDefaults installDefaults;        // the installation defaults read once
  BYTE installIdentityFlags;              // identity values the installation file gave (bits 0-5)
  DWORD installUserCodeSet;               // 1 when the installation file set or cleared the user code
  DWORD installLogCodeFixed;              // 1 when job logging is on or the file touched the user code
  void* presetValueCache[16];
  // (the user-code provider's state follows here)
  SettingsImage* savedImage;              // what the save pass compares with
  JcBinding jobControl;                   // the job-control module's binding
  ChapterEntry* chapterList;
  LONG chapterAllocCount;
  DWORD chapterSetupDone;                 // the chapter module loaded its stored data
  DWORD takeMutex;                        // 1 unless creation flag 0x100
  DWORD adminCheck;                       // 1 unless creation flag 0x200
  DWORD creationMode;
  FeatureModuleList* moduleList;
  BYTE cmmMemory[5];
  SettingsImage* lockDefaultImage;
  DWORD modelCapability;
  DWORD remoteState;                      // 1 remote, 2 local, 0 not yet known
  DWORD printerAttributes;
  DWORD printerAttributesKnown;
  WORD signedAdjustOption;                // 704, 705 or 711 while its edit has the focus
  DWORD importFileCount;
  DRIVER_INFO_2W* driverInfo2;            // copies of the caller's records, else NULL
  DRIVER_INFO_3W* driverInfo3;
  PRINTER_INFO_2W* printerInfo2;
  WCHAR givenPrinterName[kCtxPathChars];  // the printer name as the spooler gave it
  OptBufferHandles bufferHandles;         // blocks that options of the settings images refer to
  WCHAR resolvedPrinterName[kCtxPathChars];  // a client-side-rendering name resolved, else empty
  void* apiExtension;                     // the settings interface's record of the context
  DWORD chapterChanged;                   // set while the settings interface changes chapters
  const MdlRuleIndex* ruleIndex;          // of modelImage, kept by the image cache; NULL to walk rows
  DWORD presetRefreshRunning;             // 1 while the one-time preset refresh shows its dialog
  DWORD comInitialized;                   // 1 while the sheet holds a CoInitialize
  FitSaveArea fitSaves[2];                // the graphics module's fits: regional paper, second fit
  SheetEngineState sheet;                 // the printer-interface module's sheet engine
};

// The text widths that the code filling them relies on.
static_assert(sizeof(ContextWorkArea::settingsIniPath) == kCtxPathChars * sizeof(WCHAR));
static_assert(sizeof(ContextWorkArea::qualifiedPrinterName) == kCtxPathChars * sizeof(WCHAR));
static_assert(sizeof(ContextWorkArea::languageCode) == kCtxShortNameChars * sizeof(WCHAR));
static_assert(sizeof(ContextWorkArea::driverName) == kCtxShortNameChars * sizeof(WCHAR));
static_assert(sizeof(ContextWorkArea::modelName) == kCtxModelNameChars * sizeof(WCHAR));
static_assert(sizeof(ContextWorkArea::scratchText) == kCtxScratchChars * sizeof(WCHAR));

// A model this driver supports (printer-driver name as the spooler reports it).
struct SupportedModel {
  const WCHAR* modelName;
  DWORD reserved1;
  DWORD reserved2;
  DWORD capability;
};

struct SupportedModelList {
  DWORD count;
  const SupportedModel* rows;
};

// The constant record of the model family; every context has its own copy.
struct DriverProfile {
  WORD specVersion;    // dmSpecVersion of built device modes
  WORD driverVersion;  // dmDriverVersion
  const WCHAR* settingsFileName;
  const WCHAR* userModeModuleName;
  DWORD defaultFields;  // dmFields of built device modes
  SHORT maxCopies;
  SHORT reserved1;
  DWORD reserved2;
  DWORD landscapeAngle;
  DWORD resolution;
  DWORD reserved3;
  // Defaults of dmOrientation ... dmCollate.
  SHORT defaultOrientation;
  SHORT defaultPaperSize;
  SHORT defaultPaperLength;
  SHORT defaultPaperWidth;
  SHORT defaultScale;
  SHORT defaultCopies;
  SHORT defaultSource;
  SHORT defaultPrintQuality;
  SHORT defaultColor;
  SHORT defaultDuplex;
  SHORT defaultYResolution;
  SHORT defaultTTOption;
  SHORT defaultCollate;
  const WCHAR* defaultFormName;
  DWORD defaultICMMethod;
  DWORD defaultICMIntent;
  DWORD defaultMediaType;
  DWORD defaultDitherType;
  DWORD scaleMin;
  DWORD scaleMax;
  DWORD copiesMin;
  DWORD copiesMax;
  char devModeIdentity[4];
  DWORD reserved4;
  DWORD settingsVersion;
  BYTE modelCode;
  BYTE modelVariant;
  WORD resetResolutionW;
  WORD resetResolutionH;
  BYTE resetBytes[6];  // [1] language, [2] display language, [3] display unit, [5] print area
  DWORD reserved5[2];
  const WCHAR* versionStrings[2];
  const WCHAR* defaultDriverName;
  const WCHAR* reserved6;
  const WCHAR* driverIniName;
  const WCHAR* companionLibraryName;
  const WCHAR* settingsModuleName;
  const void* reserved7;
  const WCHAR* modelDataLibraryName;
  const WCHAR* reserved8;
  const WCHAR* driverVersionString;
  DWORD storedSettingsVersion;
  DWORD paperMinWidth;  // paper extents in 1/1200 inch
  DWORD paperMaxWidth;
  DWORD paperMinLength;
  DWORD paperMaxLength;
  const WCHAR* installListName;
  const SupportedModelList* supportedModels;
  DWORD reserved9;
  DWORD featureWordLegacy;  // before Windows 2000
  DWORD featureWord;        // bit 0 HTML help, bit 1 model description as data file
  DWORD reserved10;
};

// The driver context.
struct DriverContext {
  HANDLE printer;
  HANDLE printer2;
  DWORD dialogId;  // the dialog or page the sheet engine has open
  OptionTable* optionTable;
  DialogTable* dialogTable;
  const NameTable* nameTable;
  const ValueNameTable* valueNames1;
  const ValueNameTable* valueNames2;
  const MessageTable* messageTable;
  DriverProfile* profile;
  SettingsImage* settingsImage;  // NULL for kinds 4 and above
  ModelImage* modelImage;        // NULL for kinds 4 and above; owned by the image cache
  ContextWorkArea* workArea;
  HMODULE resourceLibrary;
  HMODULE neutralResourceLibrary;
};

// The static context that new contexts are copied from: the same slots, pointing at the
// static tables.
struct ContextTemplate {
  HANDLE printer;
  HANDLE printer2;
  DWORD dialogId;
  const OptionDescriptorTable* optionTable;
  const StaticDialogTable* dialogTable;
  const NameTable* nameTable;
  const ValueNameTable* valueNames1;
  const ValueNameTable* valueNames2;
  const MessageTable* messageTable;
  const DriverProfile* profile;
  SettingsImage* settingsImage;
  ModelImage* modelImage;
  const ContextWorkArea* workArea;  // all zero
  HMODULE resourceLibrary;
  HMODULE neutralResourceLibrary;
};

// A slot of a context cache.
struct ContextCacheSlot {
  DriverContext* context;
  DWORD parkedAt;  // tick count when parked
};

// The two process-wide caches: table 1 for the device-capabilities mode, table 2 for all
// others; each guarded by its own critical section.
struct ContextCache {
  ContextCacheSlot slots[2];
};

// Creation flags: the low byte is the context kind.
enum : WORD {
  kCtxKindFull = 0,        // model, settings image, stored values, job-control check
  kCtxKindTablesOnly = 4,  // 4 and above: no model image, no settings image
  kCtxFlagNoMutex = 0x100,
  kCtxFlagNoAdminCheck = 0x200,
  kCtxFlagLoadStored = 0x400,
  kCtxFlagReuseAnyFlags = 0x800,
  kCtxFlagReuseAnyHandle = 0x1000,
};

// Creation modes.
enum : DWORD {
  kCtxModeUi = 0x80000000u,
  kCtxModeDeviceCaps = 0x1000000,
  kCtxModeDocumentNoUi = 0x2000000,
  kCtxModeSettingsCommand = 0x100000,
  kCtxModeSettingsInterface = 0x200000,
  kCtxModeGraphics = 0x10000,
  kCtxModeGraphicsStored = 0x20000000,
  kCtxModeInstallation = 0x40000,
};

// Destruction kinds.
enum : WORD {
  kCtxReleasePark = 0,       // park in table 2
  kCtxReleaseKeepFonts = 1,  // destroy without freeing the font-table buffers
  kCtxReleaseParkCaps = 4,   // park in table 1
  kCtxReleaseDestroy = 5,    // destroy at once
};

constexpr DWORD kCtxReuseMilliseconds = 500;

// Creation.
DriverContext* CtxCreateEx(HANDLE hPrinter, HANDLE hPrinter2, void* reserved, WORD flags, DWORD mode,
                           DWORD documentMode, PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3);
DriverContext* CtxCreateForPrinter(HANDLE hPrinter, HANDLE hPrinter2, void* reserved, DWORD mode);
DriverContext* CtxCreateWithFlags(HANDLE hPrinter, HANDLE hPrinter2, void* reserved, WORD flags, DWORD mode);
DriverContext* CtxCreateWithPrinterInfo(HANDLE hPrinter, HANDLE hPrinter2, void* reserved, WORD flags, DWORD mode,
                                        DWORD documentMode, PRINTER_INFO_2W* pi2);
DriverContext* CtxCreate(HANDLE hPrinter, HANDLE hPrinter2, void* reserved, DWORD mode, PRINTER_INFO_2W* pi2,
                         DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3);
DriverContext* CtxCreateWithFlagsAndInfo(HANDLE hPrinter, HANDLE hPrinter2, void* reserved, WORD flags, DWORD mode,
                                         PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2, DRIVER_INFO_3W* di3);
DriverContext* CtxCreateForDocument(HANDLE hPrinter, HANDLE hPrinter2, void* reserved, DWORD mode,
                                    DWORD documentMode, PRINTER_INFO_2W* pi2, DRIVER_INFO_2W* di2,
                                    DRIVER_INFO_3W* di3);

// Release and destruction. Kind 0 parks in table 2, kind 4 in table 1, kind 5 destroys at
// once; any other kind destroys without freeing the working font-table buffers.
int CtxRelease(DriverContext* ctx);
int CtxReleaseAs(DriverContext* ctx, WORD kind);
int CtxDestroy(DriverContext* ctx, WORD kind);

// The caches.
void CtxInitCache();
void CtxPurgeCache(int all);
DriverContext* CtxFindCached(HANDLE hPrinter, HANDLE hPrinter2, void* reserved, WORD flags, DWORD mode,
                             DWORD documentMode, PRINTER_INFO_2W* pi2);
// The table search of CtxFindCached once the printer name to match is known (the
// server-qualified name). Takes the context out of its table, or NULL.
DriverContext* CtxFindCachedByName(HANDLE hPrinter, HANDLE hPrinter2, WORD flags, DWORD mode, DWORD documentMode,
                                   const WCHAR* printerName);
// The process-wide installation flag: while it is 1, every new context gets mode bit 0x40000.
void CtxSetInstallationFlag(int on);
int CtxGetInstallationFlag();

// The template and the profile.
const ContextTemplate* CtxGetTemplate();
const SupportedModel* CtxFindModelEntry(const DriverContext* ctx, const WCHAR* driverName);
const SupportedModel* CtxGetSupportedModel(const DriverContext* ctx, int index);
int CtxGetSupportedModelCount(const DriverContext* ctx);
int CtxHasModelCapability(const DriverContext* ctx, DWORD mask);
int CtxGetLandscapeAngle(const DriverContext* ctx);

// The saved image that the save pass compares with.
int DmSyncSavedImage(DriverContext* ctx);
int DmFreeSavedFontTables(DriverContext* ctx);

// Option lookup in the context's own table.
OptionEntry* OptFind(DriverContext* ctx, uint16_t id);
OptionEntry* OptFindBySymbol(DriverContext* ctx, uint16_t nameIndex);
const WCHAR* OptGetFieldName(DriverContext* ctx, uint16_t id);

// Messages: the context's message table, or the template's for a NULL context.
const MessageEntry* OptFindMessage(const DriverContext* ctx, uint16_t nameIndex);
const MessageEntry* OptFindMessageByName(const DriverContext* ctx, const char* name);
int OptGetMessageCount(const DriverContext* ctx);
const MessageEntry* OptGetMessageEntry(const DriverContext* ctx, int index);

// Dialogs and controls in the context's own dialog table.
DialogDescriptor* OptFindDialog(DriverContext* ctx, uint16_t dialogId);
DialogDescriptor* OptFindDialogByWindow(DriverContext* ctx, HWND window);
// With a NULL context the template's static rows are searched.
const DialogDescriptor* OptFindDialogByName(const DriverContext* ctx, const char* name);
ControlDescriptor* OptGetControl(DialogDescriptor* dialog, int index);
ControlDescriptor* OptFindControl(DriverContext* ctx, DialogDescriptor* dialog, uint16_t controlId);
ControlDescriptor* OptFindControlByWindow(DriverContext* ctx, DialogDescriptor* dialog, HWND window);
ControlDescriptor* OptFindControlBySymbol(DriverContext* ctx, DialogDescriptor* dialog, uint16_t nameIndex);
ControlDescriptor* OptFindControlByName(DriverContext* ctx, DialogDescriptor* dialog, const char* name);
