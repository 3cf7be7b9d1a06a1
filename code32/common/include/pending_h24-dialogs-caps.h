// Functions of the custom paper-size slots that the capability lists call, declared here until
// their owner's header lands.
#pragma once

#include "driver_context.h"

// Fills the context's custom-size slot cache once per context.
int CfgLoadAllFreeSizes(DriverContext* ctx);
// Captures the document's own custom size (paper code 256 or 448) into the slot's cache record;
// nothing for other codes.
int CfgCaptureCustomPaper(DriverContext* ctx, WORD paperCode, int slot);
// The slot (0-11) of a paper code; 0 when the code has none.
int CfgPaperToSlot(WORD paperCode, DriverContext* ctx);
