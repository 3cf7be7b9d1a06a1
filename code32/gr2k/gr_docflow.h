// The job entry points of the graphics module: document, pages, banding, device reset.
#pragma once

#include <cstdint>

#include "gr_pdev.h"
#include "win32/ddi.h"

BOOL WINAPI DrvStartDoc(SURFOBJ* pso, LPWSTR pwszDocName, DWORD dwJobId);
BOOL WINAPI DrvEndDoc(SURFOBJ* pso, FLONG fl);
BOOL WINAPI DrvStartPage(SURFOBJ* pso);
BOOL WINAPI DrvSendPage(SURFOBJ* pso);
BOOL WINAPI DrvStartBanding(SURFOBJ* pso, POINTL* pptl);
BOOL WINAPI DrvNextBand(SURFOBJ* pso, POINTL* pptl);

// Hands the running document of a device reset from the old record to the new one.
BOOL GrCarryOverDocument(PhysicalDevice* oldPdev, PhysicalDevice* newPdev);

// A comment record of prefix and the local time (09:05:07.042); 1 without a record when the
// time cannot be formatted.
int GrWriteComment(OutputContext* out, const char* prefix);
int GrFormatTime(char* out, int size, int withMilliseconds);
// value right-aligned in width characters filled with '0'; 0 for a width of 16 or more
// (nothing written) or a value with more digits (the field stays all '0').
int GrZeroPad(char* out, uint32_t value, int width);
