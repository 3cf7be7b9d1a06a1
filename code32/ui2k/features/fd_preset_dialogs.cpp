// The preset dialogs: the selectors on the pages, the maintenance and save dialogs.
#include "fd_services.h"

// Messages of dialogs and pages this module does not own are left to the rest of the chain.
int FmPresetOnDialog(DriverContext*, DialogDescriptor*, ControlDescriptor*, DWORD, WPARAM, LPARAM, void*) {
  return 0;
}

int FmPresetOnNotify(DriverContext*, DWORD, void*, void*) { return 0; }
