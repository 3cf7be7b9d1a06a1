// The platform as one header: every area of the host that the driver calls.
#pragma once

#include "win32/base.h"
#include "win32/memory.h"
#include "win32/registry.h"
#include "win32/spooler.h"
