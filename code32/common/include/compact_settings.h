// The compact settings block carried inside the device mode, and the capability summary that
// goes back with it.
//
// Programs that do not know the driver's private options can still choose the common finishing
// and layout settings through a small fixed block in the private header (zdmZcomMember): one
// byte per choice, coded as a small enumeration that is the same for every model. A merge of a
// device mode with a valid block resets the settings to the model defaults, queries the device,
// or sets up to nineteen options from the bytes and lets the model's rules follow. When the
// settings of a document go back to an application, the driver writes a summary of the same
// size (zdmZcomCaps) of what the printer can offer now, and clears the block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "devmode_record.h"
#include "driver_context.h"

// The block as it lies in the device mode. Bytes are unsigned; the zoom is little-endian.
struct CompactSettings {
  BYTE action;       // kCompactAction*; any other value applies bytes 2-13
  BYTE valid;        // kCompactValid: the block is used
  BYTE duplex;
  BYTE sort;
  BYTE punch;
  BYTE staple;
  BYTE outputTray;
  BYTE resolution;
  BYTE printArea;
  BYTE unused9;
  BYTE zoom[2];      // u16
  BYTE nup;
  BYTE outputPaper;
  BYTE unused[18];
};
static_assert(sizeof(CompactSettings) == 32);
static_assert(offsetof(CompactSettings, zoom) == 10);
static_assert(offsetof(CompactSettings, outputPaper) == 13);

// Where the block and the summary lie in a device mode (from its start).
constexpr DWORD kDmAtCompactSettings = kDmPublicSize + offsetof(ZoltDMHeader, commonMember);
constexpr DWORD kDmAtCompactCaps = kDmPublicSize + offsetof(ZoltDMHeader, commonCaps);
static_assert(kDmAtCompactSettings == 285 && kDmAtCompactCaps == 317);

constexpr BYTE kCompactValid = 1;
enum : BYTE {
  kCompactActionDefaults = 2,        // the model defaults
  kCompactActionQueryDevice = 3,     // the device's configuration
  kCompactActionDefaultsAndDevice = 4,  // model defaults, stored printer configuration, device
};

// The capability summary: 32 bytes, see DmBuildZcomCaps.
constexpr DWORD kCompactCapsSize = 32;

// Applies the compact block of a device mode (a full record of kFullDevModeSize bytes) to the
// context and leaves the result in that device mode; the context's own device mode is kept
// unless the block asks for the model defaults or the device's configuration. 1 done or nothing
// to do, 0 out of memory or a failed device query.
int DmImportCompactSettings(DriverContext* ctx, DEVMODEW* dm);

// Writes the capability summary into zdmZcomCaps and clears zdmZcomMember of the context's device
// mode through the option setter. 1, or 0 out of memory (nothing written).
int DmWriteZcomCaps(DriverContext* ctx);
// The summary alone. 1, or 0 out of memory.
int DmBuildZcomCaps(DriverContext* ctx, BYTE caps[kCompactCapsSize]);

// Sets one of the options the block can set and answers its bit in the changed-option mask; 0
// (nothing set) for any other option.
DWORD DmSetPackedOption(DriverContext* ctx, WORD option, int32_t value);
// The options the block can set, in mask order (bit 0 first), ended by 0xFFFF.
const WORD* DmPackedOptions();
// For every option of the list whose bit is in mask, in list order, runs the first Transact list
// of its active model item.
void DmRunPackedTransacts(DriverContext* ctx, DWORD mask);

// The stored values of the output-tray values that the model does not disable, into out when
// given. The count, or -1 when the tray item is missing or not a pick-one item, a value has no
// value-name row, or none is enabled.
int OptListSelectableTrays(DriverContext* ctx, WORD* out);
