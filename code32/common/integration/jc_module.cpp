// The job-control module's items.
#include "context_services.h"
#include "job_control.h"

// The job-control binding is not built yet: nothing can be loaded or written.
int JcLoadItemsFromPrinterData(DriverContext*, DWORD) { return 0; }
int JcWriteItems(DriverContext*, DWORD) { return 0; }

// not built yet: no session is opened, no item read or written
void JcOpenSession(DriverContext*) {}
void JcCloseSession(DriverContext*) {}
void JcReadItemsInSession(DriverContext*, DWORD) {}
void JcWriteItemsInSession(DriverContext*, DWORD) {}
// not built yet: no item is read
int JcReadItems(DriverContext*, DWORD) { return 0; }
