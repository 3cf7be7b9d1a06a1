// The job-control module's sessions and items.
#pragma once

#include "driver_context.h"

void JcOpenSession(DriverContext* ctx);
void JcCloseSession(DriverContext* ctx);
void JcReadItemsInSession(DriverContext* ctx, DWORD mask);
void JcWriteItemsInSession(DriverContext* ctx, DWORD mask);
