// Interim answers of the command-text generator, the PJL header and the job's settings
// preparation, for as long as the module has no code of its own for them: every command group
// is empty (its block has length 0), the PJL header writes no block, the job's settings are
// the engine's device mode merged into the context, and no fit substitution is applied. The
// real code replaces this file.
#include "devmode_merge.h"
#include "gr_job_services.h"

int GrExpandCommandGroup(DriverContext*, uint32_t, char*, int32_t* length) {
  *length = 0;
  return 0;
}

int GrWritePjlHeader(PhysicalDevice*) { return 1; }

int GrPrepareJobSettings(DriverContext* ctx, const DEVMODEW* devmode, DWORD mergeFlags, HANDLE, DWORD) {
  return DmMergeIncoming(ctx, devmode, mergeFlags) ? 1 : 0;
}

int GrFitA4Saved(DriverContext*) { return 0; }
int GrFit2Saved(DriverContext*) { return 0; }
void GrRestoreFitA4(DriverContext*) {}
void GrRestoreFit2(DriverContext*) {}
void GrApplyFitA4(DriverContext*) {}
void GrApplyFit2(DriverContext*) {}
