// The extension dialogs and the text-field filters.
#include "fd_services.h"

// Messages of dialogs and pages this module does not own are left to the rest of the chain.
int FmExtOnDialog(DriverContext*, DialogDescriptor*, ControlDescriptor*, DWORD, WPARAM, LPARAM, void*) {
  return 0;
}
