// The message box of a system error code: the system's own text for the code, with the
// printer's name as caption. The other message boxes of the feature dialogs are the core's
// (fd_services.h), since the core shows them too.
#pragma once

#include "fd_services.h"

// Shows the system's text for code (default language) with a warning icon, owned by owner as
// given; a code without text shows nothing. Always 1.
int FdShowSystemError(DriverContext* ctx, DWORD code, HWND owner);
