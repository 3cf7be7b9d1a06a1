// qv4manNT.dll: the maker's port library, talking to the simulated device of each printer
// (sim_device.h says how a device is described).
//
// "OrvexInitializeBidiApiV2W" fills the function table behind the two words at the start of the
// caller's block; "PMGetWinPrnAddr" tells the device's network address.
#include <algorithm>
#include <cstring>
#include <string>

#include "sim_device.h"
#include "win32/windows.h"

ZOLT_EXPORT BOOL WINAPI OrvexInitializeBidiApiV2W(void* block) {
  if (!block) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  zolt::sim::FillSimPortBlock(static_cast<zolt::sim::SimPortBlock*>(block));
  return TRUE;
}

// (ANSI printer name, reserved, buffer size in bytes, out buffer, reserved): the address as
// ANSI text, cut to the buffer. FALSE, with the buffer untouched, when the printer has no device
// or the device no address.
ZOLT_EXPORT BOOL WINAPI PMGetWinPrnAddr(const char* printerName, DWORD, DWORD size, char* address, DWORD) {
  if (!printerName || !address || size == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  WCHAR name[MAX_PATH] = {};
  if (!MultiByteToWideChar(CP_ACP, 0, printerName, -1, name, MAX_PATH)) return FALSE;
  auto device = zolt::sim::LoadSimDevice(name);
  if (!device || device->address.empty()) {
    SetLastError(ERROR_DEVICE_NOT_CONNECTED);
    return FALSE;
  }
  const size_t n = std::min<size_t>(device->address.size(), size - 1);
  std::memcpy(address, device->address.data(), n);
  address[n] = '\0';
  return TRUE;
}
