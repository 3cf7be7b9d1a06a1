// The job's record and its private heap: a list of global-heap blocks, each with its link in
// front, freed together when the record goes; the record's checks.
#include <cstring>

#include "driver_context.h"
#include "gr_pdev.h"
#include "win32/windows.h"

namespace {
HMODULE g_module = nullptr;
}  // namespace

HMODULE GrModuleHandle() { return g_module; }
void GrSetModuleHandle(HMODULE module) { g_module = module; }

PdevHeap* GrHeapCreate() {
  auto* heap = static_cast<PdevHeap*>(GlobalAlloc(GMEM_FIXED, sizeof(PdevHeap)));
  if (heap) heap->first = nullptr;
  return heap;
}

void* GrHeapAlloc(PdevHeap* heap, size_t size) {
  if (!heap || size > SIZE_MAX - sizeof(PdevHeapBlock)) return nullptr;
  auto* block = static_cast<PdevHeapBlock*>(GlobalAlloc(GMEM_FIXED, sizeof(PdevHeapBlock) + size));
  if (!block) return nullptr;
  block->next = heap->first;
  heap->first = block;
  return block + 1;
}

void GrHeapFree(PdevHeap* heap, void* memory) {
  if (!heap || !memory) return;
  PdevHeapBlock* target = static_cast<PdevHeapBlock*>(memory) - 1;
  for (PdevHeapBlock** link = &heap->first; *link; link = &(*link)->next) {
    if (*link == target) {
      *link = target->next;
      GlobalFree(target);
      return;
    }
  }
}

void GrHeapDestroy(PdevHeap* heap) {
  if (!heap) return;
  PdevHeapBlock* block = heap->first;
  while (block) {
    PdevHeapBlock* next = block->next;
    GlobalFree(block);
    block = next;
  }
  GlobalFree(heap);
}

// ---- the record ---------------------------------------------------------------------------

PhysicalDevice* GrAllocPdev() {
  PdevHeap* heap = GrHeapCreate();
  if (!heap) return nullptr;
  auto* pdev = static_cast<PhysicalDevice*>(GrHeapAlloc(heap, sizeof(PhysicalDevice)));
  if (!pdev) {
    GrHeapDestroy(heap);
    return nullptr;
  }
  std::memset(static_cast<void*>(pdev), 0, sizeof(PhysicalDevice));
  pdev->heap = heap;
  return pdev;
}

void GrFreePdev(PhysicalDevice* pdev) {
  if (!pdev) return;
  if (pdev->devmode) GrHeapFree(pdev->heap, pdev->devmode);
  if (pdev->context) CtxRelease(pdev->context);
  GrHeapDestroy(pdev->heap);
}

int GrIsValidPdev(const PhysicalDevice* pdev) {
  return pdev && pdev->magic == kPdevMagic && pdev->magicEnd == kPdevMagic ? 1 : 0;
}

int GrCheckPdev(const PhysicalDevice* pdev) {
  if (GrIsValidPdev(pdev)) return 1;
  SetLastError(ERROR_INVALID_PARAMETER);
  return 0;
}

PhysicalDevice* GrPdevOfSurface(SURFOBJ* pso) {
  auto* pdev = pso ? reinterpret_cast<PhysicalDevice*>(pso->dhpdev) : nullptr;
  return GrCheckPdev(pdev) ? pdev : nullptr;
}

