// The job-control module's items.
#include "context_services.h"

// The job-control binding is not built yet: nothing can be loaded or written.
int JcLoadItemsFromPrinterData(DriverContext*, DWORD) { return 0; }
int JcWriteItems(DriverContext*, DWORD) { return 0; }
