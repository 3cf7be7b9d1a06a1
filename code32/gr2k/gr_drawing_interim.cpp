// Interim entry points for colour transforms, for as long as the module has no code of its own
// for them: they report success without output. The real code replaces this file.
#include "gr_drawing_entries.h"
#include "gr_pdev.h"

HANDLE WINAPI DrvIcmCreateColorTransform(DHPDEV dhpdev, LOGCOLORSPACEW*, PVOID, ULONG, PVOID, ULONG, PVOID, ULONG,
                                         DWORD) {
  GrCheckPdev(reinterpret_cast<PhysicalDevice*>(dhpdev));
  return nullptr;
}

BOOL WINAPI DrvIcmDeleteColorTransform(DHPDEV dhpdev, HANDLE) {
  return GrCheckPdev(reinterpret_cast<PhysicalDevice*>(dhpdev)) ? TRUE : FALSE;
}
