// Reading the device's installed configuration over the port library.
//
// A session loads the library, lets it fill the process-wide function table, opens the
// printer's port, checks the device's model, starts a session and runs the readers; the
// readers translate the device's codes into options of the context. A full read either
// replaces the whole device configuration or, when it cannot finish, puts the printer
// configuration back as it was.
#include "device_query.h"

#include <cstring>
#include <memory>
#include <string>

#include "core_memory.h"
#include "ctx_environment.h"
#include "device_codes.h"
#include "device_state.h"
#include "devmode_fields.h"
#include "env_language.h"
#include "env_system.h"
#include "fd_services.h"
#include "feature_modules.h"
#include "fm_modules_5_8.h"
#include "ini_file.h"
#include "model_registration.h"
#include "option_access.h"
#include "option_constants.h"
#include "option_store.h"
#include "settings_paths.h"

namespace {

// Options the query sets.
enum : uint16_t {
  kOptMediaType = 54,
  kOptPrinterMemory = 10012,
  kOptMemoryType = 10013,
  kOptSystemVersion = 10271,
  kOptEmulationVersion = 10272,
  kOptOther = 10274,
  kOptCoverDefTray = 10276,
  kOptMPDefTray = 10277,
  kOptTrayChapterSep1 = 10285,
  kOptReverseCoverDefTray = 10288,
  kOptFuncDataMarking = 10435,
  kOptFirstLock = 10239,  // zdmTrayLock0: bit 0 of the chapter-separator masks
};

// Fixed id lists cleared before a full read: the source, output and tray bits.
constexpr uint16_t kClearedLists[] = {6, 7, 8};

// The largest answer the driver takes from the device; a larger needed size is a bad answer and
// is ignored like a data id the device does not know.
constexpr DWORD kMaxAnswerBytes = 0x10000;

// Function bits of zdmBidiFunc that the tray reader reports.
enum : BYTE {
  kFuncCoverDefault = 0x1,
  kFuncMPDefault = 0x2,
  kFuncChapterSep1 = 0x4,
  kFuncChapterSep2 = 0x8,
  kFuncChapterSep3 = 0x10,
  kFuncReverseCoverDefault = 0x40,
};

// The tray code the default trays fall back to.
constexpr DWORD kFallbackTrayCode = 3;

constexpr WCHAR kAllowedKey[] = u"bIsBIDISupportForZOLT";
constexpr WCHAR kModelCheckKey[] = u"bIsBIDISupportForZOLTModel";
constexpr WCHAR kModelsSection[] = u"Models";

PortApiBlock g_portBlock;

// A device that stops answering leaves one of these errors; any other failed call is an answer
// (the device does not know the data).
bool DeviceGone() {
  switch (GetLastError()) {
    case ERROR_NOT_READY:
    case ERROR_GEN_FAILURE:
    case ERROR_SEM_TIMEOUT:
    case ERROR_IO_DEVICE:
    case ERROR_DEVICE_NOT_CONNECTED: return true;
    default: return false;
  }
}

// Storage bytes of an option's field; 0 for an unknown option.
DWORD StorageSize(DriverContext* ctx, uint16_t id) {
  const OptionEntry* row = OptFind(ctx, id);
  return row ? OptStorageExtent(row->typeWord) : 0;
}

// A zero-filled block freed at the end of its scope.
struct Block {
  explicit Block(size_t bytes) : data(bytes ? CtxAllocMem(bytes) : nullptr) {}
  ~Block() { MdlFreeMem(data); }
  Block(const Block&) = delete;
  Block& operator=(const Block&) = delete;
  void* data;
  template <typename T>
  T* As() const {
    return static_cast<T*>(data);
  }
};

// The library loaded for one session or probe, freed on every path.
struct PortLibrary {
  PortLibrary() : module(LoadLibraryW(kPortLibraryName)) {}
  ~PortLibrary() {
    if (module) FreeLibrary(module);
  }
  PortLibrary(const PortLibrary&) = delete;
  PortLibrary& operator=(const PortLibrary&) = delete;

  // Lets the library fill the process-wide block; the table, or NULL when the library or its
  // export is missing. The block is cleared first, so that no slot of a library freed before
  // can be called.
  const PortApiTable* Initialise() {
    if (!module) return nullptr;
    auto init = EnvProcAs<PortInitFn>(GetProcAddress(module, kPortLibraryInitExport));
    if (!init) return nullptr;
    std::memset(&g_portBlock, 0, sizeof(g_portBlock));
    init(&g_portBlock);
    return &g_portBlock.table;
  }
  HMODULE module;
};

// An open port, closed at the end of its scope whenever a handle was returned.
struct OpenPort {
  OpenPort(const PortApiTable* table, const WCHAR* printerName) : table(table) {
    if (!table || !table->openPort || !printerName) return;
    SetLastError(0);
    opened = table->openPort(printerName, &handle, &ready) != 0;
  }
  ~OpenPort() {
    if (handle && table->closePort) table->closePort(handle);
  }
  OpenPort(const OpenPort&) = delete;
  OpenPort& operator=(const OpenPort&) = delete;
  bool Ready() const { return opened && ready != 0; }

  const PortApiTable* table;
  HANDLE handle = nullptr;
  DWORD ready = 0;
  bool opened = false;
};

// One get-data exchange: the size query, then the data into a zero-filled buffer of the needed
// size.
struct DataAnswer {
  bool gone = false;   // the device stopped answering
  bool noMemory = false;
  DWORD needed = 0;    // 0: nothing to read (unknown data id or a bad size)
  LONG result = 0;     // the result of the second call
  std::unique_ptr<Block> buffer;
  DWORD bufferSize = 0;
};

// minSize: the buffer is at least this large (the storage of the option it goes to).
DataAnswer GetData(const PortApiTable* table, HANDLE session, DWORD id, DWORD minSize = 0) {
  DataAnswer answer;
  if (!table || !table->getData) return answer;
  DWORD needed = 0;
  SetLastError(0);
  if (table->getData(session, id, nullptr, 0, &needed) == 0 && needed == 0 && DeviceGone()) {
    answer.gone = true;
    return answer;
  }
  if (needed == 0 || needed > kMaxAnswerBytes) return answer;
  answer.needed = needed;
  answer.bufferSize = needed > minSize ? needed : minSize;
  answer.buffer = std::make_unique<Block>(answer.bufferSize);
  if (!answer.buffer->data) {
    answer.noMemory = true;
    return answer;
  }
  DWORD got = 0;
  SetLastError(0);
  answer.result = table->getData(session, id, answer.buffer->data, answer.bufferSize, &got);
  if (answer.result == 0 && DeviceGone()) answer.gone = true;
  return answer;
}

// The entries of a list answer: the count the device reported, never more than the buffer
// holds.
DWORD ListCount(const DataAnswer& answer) {
  if (answer.result <= 0) return 0;
  const DWORD fits = answer.bufferSize / sizeof(DWORD);
  return static_cast<DWORD>(answer.result) < fits ? static_cast<DWORD>(answer.result) : fits;
}

// Entry i of a list answer; 0 beyond its end.
DWORD ListEntry(const DataAnswer& answer, DWORD count, DWORD i) {
  if (i >= count || !answer.buffer || !answer.buffer->data) return 0;
  DWORD value = 0;
  std::memcpy(&value, answer.buffer->As<BYTE>() + i * sizeof(DWORD), sizeof(value));
  return value;
}

// Sets an option that exists; unknown ids (0) are skipped.
void SetIfRow(DriverContext* ctx, uint16_t id, int32_t value) {
  if (id != 0 && OptFind(ctx, id)) OptSetValue(ctx, id, value);
}

// A blob option := the buffer (its storage size from the buffer's start).
void SetBlob(DriverContext* ctx, uint16_t id, const void* bytes) {
  if (OptionEntry* row = OptFind(ctx, id)) OptWriteValueBytes(ctx, row, bytes);
}

// The settings INI switch of the [<language>] section; 1 when missing.
int SettingsSwitch(DriverContext* ctx, const WCHAR* key) {
  if (!ctx || PrnIsRemotePrinter(ctx)) return 0;
  const WCHAR* ini = PathGetSettingsIni(ctx);
  if (!ini || !ini[0] || ini[1] != u':') return 0;
  const WCHAR* language = CfgCopyLanguageCode(ctx);
  if (!language) return 0;
  return IniReadInt(language, key, 1, ini) == 1 ? 1 : 0;
}

// The driver's [Models<n>] entries against the device's model name. 1 when the session may
// start.
int CheckDeviceModel(DriverContext* ctx, const WCHAR* driverModel, const WCHAR* deviceModel) {
  // Without the model check any device of the printer's port is taken.
  if (!BidiIsModelCheckOn(ctx)) return 1;
  const WCHAR* defaults = PathGetDriverIni(ctx);
  const WCHAR* driver = PrnGetDriverName(ctx);
  if (!defaults || !driver) return 0;
  for (int n = 1;; ++n) {
    const std::string digits = std::to_string(n);
    std::u16string section(kModelsSection);
    section.append(digits.begin(), digits.end());
    WCHAR entry[kBidiModelNameChars] = {};
    IniReadString(section.c_str(), driver, u"", entry, kBidiModelNameChars, defaults);
    if (!entry[0]) {
      if (n > 1) return 0;  // the list is exhausted
      break;                // no list: the [Models] name decides
    }
    if (std::u16string_view(entry) == std::u16string_view(deviceModel)) return 1;
  }
  return std::u16string_view(driverModel) == std::u16string_view(deviceModel) ? 1 : 0;
}

// Clears the device values a failed query must not leave behind.
void ClearVersions(DriverContext* ctx, const void* zeroSystem, const void* zeroEmulation) {
  SetBlob(ctx, kOptSystemVersion, zeroSystem);
  SetBlob(ctx, kOptEmulationVersion, zeroEmulation);
}

// The two cleared blobs of step 1; either NULL when memory is short.
struct VersionBlanks {
  explicit VersionBlanks(DriverContext* ctx)
      : system(StorageSize(ctx, kOptSystemVersion) ? StorageSize(ctx, kOptSystemVersion) : 1),
        emulation(StorageSize(ctx, kOptEmulationVersion) ? StorageSize(ctx, kOptEmulationVersion) : 1) {}
  bool Ok() const { return system.data && emulation.data; }
  Block system;
  Block emulation;
};

// Runs a session with the progress window around it when asked to.
int SessionWithWindow(DriverContext* ctx, HWND parent, DWORD flags, bool window) {
  HWND progress = window ? FdShowProgressDialog(ctx, parent, kBidiProgressString) : nullptr;
  const int result = BidiRunSession(flags, ctx);
  if (progress) FdCloseProgressDialog(parent, progress);
  return result;
}

}  // namespace

PortApiBlock* BidiPortBlock() { return &g_portBlock; }

int BidiIsAllowed(DriverContext* ctx) { return SettingsSwitch(ctx, kAllowedKey); }

int BidiIsModelCheckOn(DriverContext* ctx) { return SettingsSwitch(ctx, kModelCheckKey); }

int BidiProbePort(DriverContext* ctx, DWORD) {
  if (!ctx) return 0;
  PortLibrary library;
  const PortApiTable* table = library.Initialise();
  if (!table) return 0;
  OpenPort port(table, PrnGetName(ctx));
  return port.Ready() ? 1 : 0;
}

int BidiRunSession(DWORD flags, DriverContext* ctx) {
  if (!ctx) return 0;
  // The model the driver is for: [Models] <driver> of the driver defaults, blanks skipped.
  WCHAR driverModel[kBidiModelNameChars] = {};
  const WCHAR* registered = PathSkipBlanks(CfgGetModelName(ctx));
  if (!registered || !registered[0]) return 0;
  lstrcpynW(driverModel, registered, kBidiModelNameChars);

  PortLibrary library;
  const PortApiTable* table = library.Initialise();
  if (!table) return 0;
  OpenPort port(table, PrnGetName(ctx));
  if (!port.Ready()) return 0;

  WCHAR deviceModel[kBidiModelNameChars] = {};
  if (!table->getModelName || !table->getModelName(port.handle, 0, deviceModel, kBidiModelNameChars)) return 0;
  deviceModel[kBidiModelNameChars - 1] = u'\0';  // a name without its terminator is cut
  if (!CheckDeviceModel(ctx, driverModel, deviceModel)) return 0;

  if (!table->startSession) return 0;
  const bool reduced = (flags & kBidiQueryVersions) != 0;
  HANDLE session = nullptr;
  DWORD word = 0;
  SetLastError(0);
  if (!table->startSession(port.handle, &session, reduced ? kBidiStartReduced : kBidiStartFull, &word) &&
      GetLastError() != kBidiAlreadyDone)
    return 0;
  return reduced ? BidiReadVersionsOnly(table, port.handle, session, ctx)
                 : BidiReadFullConfig(table, port.handle, session, ctx);
}

// ---- the readers ------------------------------------------------------------------------------

int BidiReadFullConfig(const PortApiTable* table, HANDLE port, HANDLE session, DriverContext* ctx) {
  BYTE* block = ctx ? CtxGetPrinterDataBlock(ctx) : nullptr;
  if (!table || !block) return 0;
  const DWORD blockSize = DmGetPrinterDataBlockSize();
  Block saved(blockSize);
  if (!saved.data) return 0;
  std::memcpy(saved.data, block, blockSize);

  for (uint16_t n : kClearedLists) {
    const FixedIdList* list = OptGetFixedList(n);
    for (uint32_t i = 0; list && i < list->count; ++i) SetIfRow(ctx, static_cast<uint16_t>(list->values[i]), 0);
  }

  using Reader = int (*)(const PortApiTable*, HANDLE, DriverContext*);
  constexpr Reader kReaders[] = {BidiReadTrays, BidiReadInstalledOptions, BidiReadMemory, BidiReadSystemVersion,
                                 BidiReadMarkingCapability};
  for (Reader reader : kReaders) {
    if (!reader(table, session, ctx)) {
      // Nothing read so far is kept: the printer configuration is put back as it was.
      std::memcpy(block, saved.data, blockSize);
      return 0;
    }
  }
  FmBroadcastNotify(ctx, kFmNotifyDeviceConfigRead, nullptr);
  BidiReadChannelData(table, port, ctx);
  CfgSaveOptionClass(ctx->printer, ctx, 2, 1);
  return 1;
}

int BidiReadVersionsOnly(const PortApiTable* table, HANDLE port, HANDLE session, DriverContext* ctx) {
  if (!BidiReadSystemVersion(table, session, ctx)) return 0;
  BidiReadPdlVersion(table, port, ctx);
  return 1;
}

int BidiReadTrays(const PortApiTable* table, HANDLE session, DriverContext* ctx) {
  if (!ctx) return 0;
  DWORD wanted = 0;
  FmBroadcastNotify(ctx, kFmNotifyDeviceTraysRead, &wanted);
  const bool batch = CfgHasBatchInstRst(ctx) != 0;

  DataAnswer trays = GetData(table, session, kBidiDataTrays);
  if (trays.gone || trays.noMemory) return 0;
  if (trays.needed == 0) return 1;
  const DWORD count = ListCount(trays);

  DataAnswer papers, media, attributes;
  DWORD paperCount = 0, mediaCount = 0, attributeCount = 0;
  std::unique_ptr<Block> lists;  // the cover, multipurpose and reverse-cover candidates
  if (wanted) {
    papers = GetData(table, session, kBidiDataPapers);
    if (papers.gone || papers.noMemory) return 0;
    if (papers.needed == 0) return 1;
    media = GetData(table, session, kBidiDataMedia);
    if (media.gone || media.noMemory) return 0;
    if (media.needed == 0) return 1;
    attributes = GetData(table, session, kBidiDataTrayAttributes);
    if (attributes.gone || attributes.noMemory) return 0;
    if (attributes.needed == 0) return 1;
    paperCount = ListCount(papers);
    mediaCount = ListCount(media);
    attributeCount = ListCount(attributes);
    lists = std::make_unique<Block>(3 * (count ? count : 1) * sizeof(DWORD));
    if (!lists->data) return 0;
    if (!batch) FmBroadcastNotify(ctx, kFmNotifyChapterTraysReset, nullptr);
  }
  DWORD* coverList = lists ? lists->As<DWORD>() : nullptr;
  DWORD* mpList = coverList ? coverList + count : nullptr;
  DWORD* reverseList = mpList ? mpList + count : nullptr;

  OptionEntry* mediaRow = OptFind(ctx, kOptMediaType);
  DWORD separators[4] = {};
  BYTE functionBits = 0;
  bool anyCover = false, anyMP = false, anyReverse = false;
  for (DWORD i = 0; i < count; ++i) {
    const DWORD code = ListEntry(trays, count, i);
    SetIfRow(ctx, BidiTrayCodeToOption(code, DeviceTrayColumn::kInstalled), 1);
    if (!wanted) continue;

    DWORD rotated = 0;
    int32_t paper = BidiPaperCodeToValue(ListEntry(papers, paperCount, i), &rotated);
    if (OptionEntry* row = OptFind(ctx, BidiTrayCodeToOption(code, DeviceTrayColumn::kPaper))) {
      if (!OptIsMappedValue(ctx, row, paper)) paper = 0;
      OptWriteValue(ctx, row, paper);
    }
    SetIfRow(ctx, BidiTrayCodeToOption(code, DeviceTrayColumn::kOrientation), static_cast<int32_t>(rotated));

    int32_t mediaValue = BidiMediaCodeToValue(ListEntry(media, mediaCount, i));
    if (!mediaRow || !OptIsMappedValue(ctx, mediaRow, mediaValue)) mediaValue = 0;
    SetIfRow(ctx, BidiTrayCodeToOption(code, DeviceTrayColumn::kMedia), mediaValue ? mediaValue : 1);

    const DWORD attribute = ListEntry(attributes, attributeCount, i);
    const WORD lock = BidiTrayCodeToOption(code, DeviceTrayColumn::kLock);
    SetIfRow(ctx, lock, static_cast<int32_t>(attribute & 1));
    if (batch) continue;

    for (DWORD n = 1; n <= 3; ++n) {
      FmChapterTrayQuery query{attribute, n, 0};
      FmBroadcastNotify(ctx, kFmNotifyChapterTrayQuery, &query);
      // A tray without a lock option has no bit of its own in the masks.
      if ((query.answer & 0xFFFF) && lock >= kOptFirstLock && lock - kOptFirstLock < 32)
        separators[n] |= 1u << (lock - kOptFirstLock);
    }
    const WORD bin = BidiTrayCodeToBin(code);
    if (attribute & 0x4) {
      SetIfRow(ctx, kOptCoverDefTray, bin);
      coverList[i] = code;
      anyCover = true;
    }
    if (attribute & 0x8) {
      SetIfRow(ctx, kOptMPDefTray, bin);
      mpList[i] = code;
      anyMP = true;
    }
    if (attribute & 0x200) {
      SetIfRow(ctx, kOptReverseCoverDefTray, bin);
      reverseList[i] = code;
      anyReverse = true;
    }
    FmChapterTrayQuery any{attribute, 0, 0};
    FmBroadcastNotify(ctx, kFmNotifyChapterTrayQuery, &any);
    if (any.answer & 0xFFFF) {
      FmChapterTraySet set{attribute, bin, &functionBits};
      FmBroadcastNotify(ctx, kFmNotifyChapterTraySet, &set);
    }
  }

  if (!wanted) return 1;
  if (!batch) {
    auto pick = [&](const DWORD* list) {
      const WORD code = BidiPickPriorityTray(list, count);
      return static_cast<int32_t>(BidiTrayCodeToBin(code ? code : kFallbackTrayCode));
    };
    SetIfRow(ctx, kOptCoverDefTray, pick(coverList));
    SetIfRow(ctx, kOptMPDefTray, pick(mpList));
    SetIfRow(ctx, kOptReverseCoverDefTray, pick(reverseList));
    if (anyCover) functionBits |= kFuncCoverDefault;
    if (anyMP) functionBits |= kFuncMPDefault;
    if (anyReverse) functionBits |= kFuncReverseCoverDefault;
    constexpr BYTE kSepBits[3] = {kFuncChapterSep1, kFuncChapterSep2, kFuncChapterSep3};
    for (int n = 1; n <= 3; ++n) {
      SetIfRow(ctx, static_cast<uint16_t>(kOptTrayChapterSep1 + n - 1), static_cast<int32_t>(separators[n]));
      if (separators[n]) functionBits |= kSepBits[n - 1];
    }
  }
  CtxSetBidiFunc(ctx, functionBits);
  return 1;
}

int BidiReadInstalledOptions(const PortApiTable* table, HANDLE session, DriverContext* ctx) {
  DataAnswer codes = GetData(table, session, kBidiDataOptions);
  if (codes.gone || codes.noMemory) return 0;
  if (codes.needed == 0) return 1;
  const DWORD count = ListCount(codes);
  for (DWORD i = 0; i < count; ++i) SetIfRow(ctx, BidiOptionCodeToOption(ListEntry(codes, count, i), ctx), 1);
  return 1;
}

int BidiReadMemory(const PortApiTable* table, HANDLE session, DriverContext* ctx) {
  DataAnswer memory = GetData(table, session, kBidiDataMemory);
  if (memory.gone || memory.noMemory) return 0;
  if (memory.needed < sizeof(DWORD)) return 1;
  if (memory.result != -1) {
    DWORD bytes = 0;
    std::memcpy(&bytes, memory.buffer->data, sizeof(bytes));
    SetIfRow(ctx, kOptPrinterMemory, static_cast<int32_t>(bytes >> 10));
  }
  return 1;
}

int BidiReadSystemVersion(const PortApiTable* table, HANDLE session, DriverContext* ctx) {
  DataAnswer version = GetData(table, session, kBidiDataSystemVersion, StorageSize(ctx, kOptSystemVersion));
  if (version.gone || version.noMemory) return 0;
  if (version.needed == 0) return 1;
  if (version.result != 0) SetBlob(ctx, kOptSystemVersion, version.buffer->data);
  return 1;
}

int BidiReadMarkingCapability(const PortApiTable* table, HANDLE session, DriverContext* ctx) {
  DataAnswer marking = GetData(table, session, kBidiDataMarking);
  if (marking.gone || marking.noMemory) return 0;
  if (marking.needed == 0) return 1;
  if (marking.result != 255) SetIfRow(ctx, kOptFuncDataMarking, *marking.buffer->As<BYTE>() == 1 ? 1 : 0);
  return 1;
}

namespace {

// A channel blob into its option: a size query (answered when it succeeds or fails with access
// denied), then the data into a buffer at least as large as the option's storage. 0 when the
// reading of the channel ends here.
int ReadChannelBlob(const PortApiTable* table, HANDLE channel, DWORD subId, uint16_t option, DriverContext* ctx) {
  DWORD needed = 0;
  SetLastError(0);
  const BOOL sized = table->getChannelData(channel, kBidiChannel, subId, nullptr, 0, &needed);
  if ((!sized && GetLastError() != ERROR_ACCESS_DENIED) || needed == 0 || needed > kMaxAnswerBytes) return 0;
  const DWORD storage = StorageSize(ctx, option);
  const DWORD size = needed > storage ? needed : storage;
  Block buffer(size);
  if (!buffer.data) return 0;
  DWORD got = 0;
  if (table->getChannelData(channel, kBidiChannel, subId, buffer.data, size, &got)) SetBlob(ctx, option, buffer.data);
  return 1;
}

// Opens channel 15 on the port; NULL when it cannot be had.
HANDLE OpenChannel(const PortApiTable* table, HANDLE port) {
  if (!table || !table->openChannel || !table->getChannelData) return nullptr;
  HANDLE channel = nullptr;
  SetLastError(0);
  if (!table->openChannel(port, &channel, kBidiChannel, kBidiChannelMode) && GetLastError() != kBidiAlreadyDone)
    return nullptr;
  return channel ? channel : reinterpret_cast<HANDLE>(static_cast<uintptr_t>(-1));
}

}  // namespace

int BidiReadChannelData(const PortApiTable* table, HANDLE port, DriverContext* ctx) {
  HANDLE channel = OpenChannel(table, port);
  if (!channel) return 1;
  DWORD ramType = 0, needed = 0;
  if (table->getChannelData(channel, kBidiChannel, kBidiChannelRamType, &ramType, sizeof(ramType), &needed)) {
    if (needed == 0) {
      SetIfRow(ctx, kOptMemoryType, 1);
      return 1;
    }
    SetIfRow(ctx, kOptMemoryType, ramType == 2 ? 0 : 1);
  }
  if (!ReadChannelBlob(table, channel, kBidiChannelPdlVersion, kOptEmulationVersion, ctx)) return 1;
  ReadChannelBlob(table, channel, kBidiChannelOther, kOptOther, ctx);
  return 1;
}

int BidiReadPdlVersion(const PortApiTable* table, HANDLE port, DriverContext* ctx) {
  HANDLE channel = OpenChannel(table, port);
  if (!channel) return 1;
  ReadChannelBlob(table, channel, kBidiChannelPdlVersion, kOptEmulationVersion, ctx);
  return 1;
}

// ---- the queries ------------------------------------------------------------------------------

int BidiQueryDevice(DriverContext* ctx, HWND parent, DWORD flags) {
  if (!ctx || !ctx->settingsImage) return 0;
  VersionBlanks blanks(ctx);
  if (!blanks.Ok()) return 0;

  int result = 0;
  if (!BidiIsAllowed(ctx)) {
    CtxSetBiDirectOff(ctx);
    result = 1;
  } else if (!PrnIsBidiEnabled(ctx) || !BidiProbePort(ctx, flags)) {
    CtxSetBiDirectOff(ctx);
  } else {
    result = SessionWithWindow(ctx, parent, flags, (flags & kBidiQueryWindow) != 0);
    if (result) {
      BidiWriteFlag(ctx->printer, 1, ctx);
      BidiWriteFunc(ctx->printer, CtxGetBidiFunc(ctx), ctx);
      CtxSetBiDirectOn(ctx);
      if (BidiCanWritePrinterData(ctx)) BidiDropStateSection(ctx);
      else if (CtxGetServerClientMode(ctx) != 1) BidiSaveStateFile(ctx);
    } else {
      CtxSetBiDirectOff(ctx);
    }
  }
  if (!result) {
    ClearVersions(ctx, blanks.system.data, blanks.emulation.data);
    SetIfRow(ctx, kOptFuncDataMarking, 0);
    BidiStoreFuncData(ctx, kOptFuncDataMarking, 0);
  }
  return result;
}

int BidiUpdateFromDevice(DriverContext* ctx, HWND parent) { return BidiQueryDevice(ctx, parent, kBidiQueryWindow); }

int BidiUpdateFromDeviceQuiet(DriverContext* ctx) { return BidiQueryDevice(ctx, nullptr, kBidiQueryQuiet); }

int BidiReadDeviceVersions(DriverContext* ctx, HWND parent) {
  if (!ctx || !ctx->settingsImage) return 0;
  VersionBlanks blanks(ctx);
  if (!blanks.Ok()) return 0;
  if (!BidiIsAllowed(ctx)) return 1;
  int result = 0;
  if (PrnIsBidiEnabled(ctx) && BidiProbePort(ctx, kBidiQueryVersions))
    result = SessionWithWindow(ctx, parent, kBidiQueryVersions, true);
  if (!result) ClearVersions(ctx, blanks.system.data, blanks.emulation.data);
  return result;
}
