// The printer devices of the engine: what drawing needs of the module behind a surface.
#pragma once

#include <string>

#include "win32/ddi.h"

namespace zolt::host::engine {

// A module's entry (or export) as the function it is.
template <class F, class P>
F EntryAs(P p) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(p));
}

// The module's entry of a function index for the device of an engine device handle (the hdev
// of an associated surface); nullptr when the device is unknown or the module has no entry.
PFN DriverEntry(HDEV hdev, ULONG index);
// The module's PDEV of a device (nullptr when unknown).
DHPDEV DeviceDhpdev(HDEV hdev);
// The style steps of a device's GDIINFO (xStyleStep and denStyleStep); false when unknown.
bool DeviceStyleStep(HDEV hdev, ULONG& xStep, ULONG& den);
// The driver's data file and graphics module paths of a device (empty when unknown).
std::u16string DeviceDataFile(HDEV hdev);
std::u16string DeviceDriverPath(HDEV hdev);

}  // namespace zolt::host::engine
