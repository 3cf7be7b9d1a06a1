#include "core_memory.h"

void MdlFreeMem(void* memory) {
  if (memory) GlobalFree(memory);
}
