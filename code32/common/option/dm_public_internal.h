// Helpers shared by the public-field passes and the paper functions.
#pragma once

#include "driver_context.h"

// Fields of a device-mode record at byte offsets (unaligned, little-endian as stored).
int16_t DmPubGetShort(const BYTE* dm, DWORD offset);
void DmPubSetShort(BYTE* dm, DWORD offset, int32_t value);
DWORD DmPubGetDword(const BYTE* dm, DWORD offset);
void DmPubSetDword(BYTE* dm, DWORD offset, DWORD value);

// zdmPresentUIMode, zdmBidiSupport and zdmServerClientMode from zdmUIModeChange and the
// printer's attributes and connection.
void DmRefreshEnvironmentFlags(DriverContext* ctx);
// wdmPosCutForeEdgeMM := zdmPosCutForeEdge in 0.1 mm; wdmUIStart := 0.
void DmRefreshCutAndUiStart(DriverContext* ctx);
