// The platform as one header: every area of the host that the driver calls.
#pragma once

#include "win32/base.h"
#include "win32/codepage.h"
#include "win32/file.h"
#include "win32/format.h"
#include "win32/locale.h"
#include "win32/memory.h"
#include "win32/module.h"
#include "win32/path.h"
#include "win32/resource.h"
#include "win32/strings.h"
#include "win32/time.h"
#include "win32/profile.h"
#include "win32/security.h"
#include "win32/version.h"
#include "win32/sync.h"
#include "win32/process.h"
