// The context's own copies of the spooler records a caller gives at creation. Every string of
// a copy is the context's own (none points into the caller's memory, which may be gone when
// the context is parked and reused), and the device mode is copied only as far as the caller's
// record declares it.
#include "ctx_internal.h"

#include <cstring>
#include <initializer_list>

namespace {

size_t WideLength(const WCHAR* s) {
  size_t n = 0;
  while (s[n]) ++n;
  return n;
}

// Length of a list of strings ended by an empty string, both terminators included.
size_t MultiLength(const WCHAR* s) {
  size_t n = 0;
  while (s[n]) n += WideLength(s + n) + 1;
  return n + 1;
}

// Offsets of dmSize and dmDriverExtra in the public device mode.
constexpr size_t kDmSizeOffset = 68;
constexpr size_t kDmDriverExtraOffset = 70;

WORD DevModeWord(const void* devMode, size_t offset) {
  WORD value;
  std::memcpy(&value, static_cast<const BYTE*>(devMode) + offset, sizeof value);
  return value;
}

constexpr size_t Align8(size_t n) { return (n + 7) & ~size_t{7}; }

// One block: the record, then the device-mode area (devModeBytes, may be 0), then the strings.
template <typename Record>
Record* CopyRecord(const Record* source, std::initializer_list<LPWSTR Record::*> strings, LPWSTR Record::*multi,
                   size_t devModeBytes, BYTE** devModeArea) {
  const size_t head = Align8(sizeof(Record)) + Align8(devModeBytes);
  size_t size = head;
  for (auto member : strings)
    if (source->*member) size += (WideLength(source->*member) + 1) * sizeof(WCHAR);
  if (multi && source->*multi) size += MultiLength(source->*multi) * sizeof(WCHAR);
  if (size > 0xFFFFFFFFu) return nullptr;
  auto* block = static_cast<BYTE*>(CtxAllocMem(static_cast<DWORD>(size)));
  if (!block) return nullptr;
  auto* copy = reinterpret_cast<Record*>(block);
  std::memcpy(static_cast<void*>(copy), source, sizeof(Record));
  if (devModeArea) *devModeArea = devModeBytes ? block + Align8(sizeof(Record)) : nullptr;
  auto* text = reinterpret_cast<WCHAR*>(block + head);
  auto place = [&](LPWSTR Record::*member, size_t chars) {
    if (!(source->*member)) return;
    std::memcpy(text, source->*member, chars * sizeof(WCHAR));
    copy->*member = text;
    text += chars;
  };
  for (auto member : strings)
    if (source->*member) place(member, WideLength(source->*member) + 1);
  if (multi && source->*multi) place(multi, MultiLength(source->*multi));
  return copy;
}

}  // namespace

DRIVER_INFO_2W* CtxCopyDriverInfo2(const DRIVER_INFO_2W* source) {
  if (!source) return nullptr;
  return CopyRecord<DRIVER_INFO_2W>(source,
                    {&DRIVER_INFO_2W::pName, &DRIVER_INFO_2W::pEnvironment, &DRIVER_INFO_2W::pDriverPath,
                     &DRIVER_INFO_2W::pDataFile, &DRIVER_INFO_2W::pConfigFile},
                    nullptr, 0, nullptr);
}

DRIVER_INFO_3W* CtxCopyDriverInfo3(const DRIVER_INFO_3W* source) {
  if (!source) return nullptr;
  return CopyRecord<DRIVER_INFO_3W>(
      source,
      {&DRIVER_INFO_3W::pName, &DRIVER_INFO_3W::pEnvironment, &DRIVER_INFO_3W::pDriverPath, &DRIVER_INFO_3W::pDataFile,
       &DRIVER_INFO_3W::pConfigFile, &DRIVER_INFO_3W::pHelpFile, &DRIVER_INFO_3W::pMonitorName,
       &DRIVER_INFO_3W::pDefaultDataType},
      &DRIVER_INFO_3W::pDependentFiles, 0, nullptr);
}

PRINTER_INFO_2W* CtxCopyPrinterInfo2(const PRINTER_INFO_2W* source) {
  if (!source) return nullptr;
  BYTE* devMode = nullptr;
  PRINTER_INFO_2W* result = CopyRecord<PRINTER_INFO_2W>(
      source,
      {&PRINTER_INFO_2W::pServerName, &PRINTER_INFO_2W::pPrinterName, &PRINTER_INFO_2W::pShareName,
       &PRINTER_INFO_2W::pPortName, &PRINTER_INFO_2W::pDriverName, &PRINTER_INFO_2W::pComment,
       &PRINTER_INFO_2W::pLocation, &PRINTER_INFO_2W::pSepFile, &PRINTER_INFO_2W::pPrintProcessor,
       &PRINTER_INFO_2W::pDatatype, &PRINTER_INFO_2W::pParameters},
      nullptr, source->pDevMode ? kFullDevModeSize : 0, &devMode);
  if (!result) return nullptr;
  // The security descriptor is the caller's; the copy does not keep it.
  result->pSecurityDescriptor = nullptr;
  if (source->pDevMode) {
    // The full device-mode size of the driver, filled only as far as the caller's record goes.
    const size_t declared = size_t{DevModeWord(source->pDevMode, kDmSizeOffset)} +
                            DevModeWord(source->pDevMode, kDmDriverExtraOffset);
    const size_t bytes = declared < kFullDevModeSize ? declared : kFullDevModeSize;
    std::memcpy(devMode, source->pDevMode, bytes);
    result->pDevMode = reinterpret_cast<LPDEVMODEW>(devMode);
  }
  return result;
}

WCHAR* CtxCopyPrinterName(const PRINTER_INFO_2W* record) {
  if (!record || !record->pPrinterName) return nullptr;
  const size_t chars = WideLength(record->pPrinterName) + 1;
  if (chars * sizeof(WCHAR) > 0xFFFFFFFFu) return nullptr;
  auto* name = static_cast<WCHAR*>(CtxAllocMem(static_cast<DWORD>(chars * sizeof(WCHAR))));
  if (name) std::memcpy(name, record->pPrinterName, chars * sizeof(WCHAR));
  return name;
}
