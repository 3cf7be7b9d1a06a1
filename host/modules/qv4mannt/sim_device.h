// A simulated device behind a printer's port, as the port library's stand-in answers for it.
//
// The device is described by a text file of the machine, <root>/devices/<printer>.ini, one
// "key=value" line each (blank lines and lines starting with ';' or '[' are skipped; keys are
// case-insensitive; the last line of a key wins). A missing file is an absent device.
//
//   ready=1                  0: the port opens but the device is not ready
//   model=ZOLT Office 7000   the model name the device reports
//   trays=3,4,5              list answers (32-bit codes): data id 1 trays, 20 papers, 21 media,
//   papers=23,58,21          23 tray attributes, 2 installed options; a missing key is a data id
//   media=1,3,6              the device does not know
//   attributes=4,0,8
//   options=
//   memory=268435456         data id 11: installed memory in bytes (a 32-bit value)
//   system=V1.02             data id 8: firmware version; a text goes as its bytes without a
//   marking=1                terminator, "hex:41420A" gives any bytes; data id 300: one byte
//   ramtype=1                channel 15 sub 0x102: a 32-bit value
//   pdl=PCL6 V2.0            channel 15 sub 2 and sub 0x103: texts or "hex:" bytes
//   other=...
//   session=0                0: the device refuses to start a session
//   lost=20                  the device stops answering when this data id is asked (and for
//                            every call after it); "lost=channel" when the channel is opened
//   address=192.168.1.20     the device's network address
//   data.<id>=...            the raw answer of any other data id ("hex:" or text)
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "win32/windows.h"

namespace zolt::sim {

struct SimDevice {
  bool ready = true;
  std::u16string model;
  std::map<DWORD, std::string> data;     // raw answers of the get-data slot by data id
  std::map<DWORD, std::string> channel;  // raw answers of channel 15 by sub id
  bool sessionStarts = true;
  std::optional<DWORD> lostAt;           // data id at which the device stops answering
  bool lostAtChannel = false;
  std::string address;
  bool lost = false;                     // it has stopped answering
};

// Parses a device file's text; never fails (what it cannot read is left out).
SimDevice ParseSimDevice(std::string_view text);
// The device of a printer on the current machine; nothing when its file is missing.
std::optional<SimDevice> LoadSimDevice(std::u16string_view printerName);
// The file that describes a printer's device: <root>/devices/<name>.ini, with '\', '/' and ':'
// of the name replaced by '_'.
std::string SimDeviceFileName(std::u16string_view printerName);

// The port library's table as the driver reads it: two words of the library, then the slots.
struct SimPortBlock {
  DWORD words[2];
  void* slots[8];
};
// Fills the table with the slots of the simulated devices.
void FillSimPortBlock(SimPortBlock* block);

}  // namespace zolt::sim
