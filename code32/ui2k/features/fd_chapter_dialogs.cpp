// Covers, slip sheets, marks and chapters.
#include "fd_services.h"

// Messages of dialogs and pages this module does not own are left to the rest of the chain.
int FmChapterOnDialog(DriverContext*, DialogDescriptor*, ControlDescriptor*, DWORD, WPARAM, LPARAM, void*) {
  return 0;
}
