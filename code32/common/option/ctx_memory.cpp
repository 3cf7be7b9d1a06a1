#include "core_memory.h"

void* CtxAllocMem(DWORD size) { return GlobalAlloc(GPTR, size); }
