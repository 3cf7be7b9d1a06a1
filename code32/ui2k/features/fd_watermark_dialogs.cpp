// The watermark dialogs: editing, adding and deleting watermarks.
#include "fd_services.h"

// Messages of dialogs and pages this module does not own are left to the rest of the chain.
int FmWatermarkOnDialog(DriverContext*, DialogDescriptor*, ControlDescriptor*, DWORD, WPARAM, LPARAM, void*) {
  return 0;
}

int FmWatermarkOnNotify(DriverContext*, DWORD, void*, void*) { return 0; }
