// The job-control module's sessions and items.
#pragma once

#include "driver_context.h"

void JcOpenSession(DriverContext* ctx);
void JcCloseSession(DriverContext* ctx);
void JcReadItemsInSession(DriverContext* ctx, DWORD mask);
void JcWriteItemsInSession(DriverContext* ctx, DWORD mask);
// Binds the module, reads the masked items into the options and unbinds; 1 when read.
int JcReadItems(DriverContext* ctx, DWORD mask);
