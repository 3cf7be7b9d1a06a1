// Interim entry point for escapes, for as long as the module has no code of its own for them:
// it reports success without output. The real code replaces this file.
#include "gr_drawing_entries.h"
#include "gr_pdev.h"

ULONG WINAPI DrvEscape(SURFOBJ* pso, ULONG, ULONG, PVOID, ULONG, PVOID) {
  GrPdevOfSurface(pso);
  return 0;
}
