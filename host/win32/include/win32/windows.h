// The platform as one header: every area of the host that the driver calls.
#pragma once

#include "win32/base.h"
#include "win32/memory.h"
#include "win32/profile.h"
#include "win32/security.h"
#include "win32/version.h"
#include "win32/sync.h"
#include "win32/process.h"
