// What the document flow asks of the command-text generator, the PJL header and the job's
// settings preparation.
#pragma once

#include <cstdint>

#include "win32/windows.h"

struct DriverContext;
struct PhysicalDevice;

// Expands a command group (a slot of the model's header: JobStart, PageStart, PageEnd) into
// buffer, or only counts when buffer is NULL; *length := the text's length in bytes. A negative
// result is a failure.
int GrExpandCommandGroup(DriverContext* ctx, uint32_t group, char* buffer, int32_t* length);
// Writes the PJL header blocks of the first page; 0 on failure.
int GrWritePjlHeader(PhysicalDevice* pdev);
// Prepares the job's settings at the start of a document; 1.
int GrPrepareJobSettings(DriverContext* ctx, const DEVMODEW* devmode, DWORD mergeFlags, HANDLE printer,
                         DWORD jobId);
// The fit-to-standard-paper substitutions: whether one is applied, putting the user's values
// back and applying it again.
int GrFitA4Saved(DriverContext* ctx);
int GrFit2Saved(DriverContext* ctx);
void GrRestoreFitA4(DriverContext* ctx);
void GrRestoreFit2(DriverContext* ctx);
void GrApplyFitA4(DriverContext* ctx);
void GrApplyFit2(DriverContext* ctx);
