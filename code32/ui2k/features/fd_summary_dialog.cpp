// The settings summary.
#include "fd_services.h"

// Messages of dialogs and pages this module does not own are left to the rest of the chain.
int FmSummaryOnDialog(DriverContext*, DialogDescriptor*, ControlDescriptor*, DWORD, WPARAM, LPARAM, void*) {
  return 0;
}
