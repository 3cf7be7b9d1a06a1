// Global, local and heap memory. Each block carries a small header with its size and a mark,
// so that the size calls answer and a foreign pointer is refused instead of freed.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_set>

#include "handles.h"
#include "win32/memory.h"

namespace {

constexpr uint64_t kMark = 0x5A4F4C544D454D31ull;  // "ZOLTMEM1"

struct alignas(16) BlockHeader {
  uint64_t mark;
  uint64_t size;
};
static_assert(sizeof(BlockHeader) == 16);

BlockHeader* HeaderOf(const void* p) {
  if (!p) return nullptr;
  auto* h = reinterpret_cast<BlockHeader*>(const_cast<char*>(static_cast<const char*>(p)) - sizeof(BlockHeader));
  return h->mark == kMark ? h : nullptr;
}

void* Allocate(SIZE_T bytes, bool zero) {
  if (bytes > (SIZE_T{1} << 40)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  void* raw = zero ? std::calloc(1, sizeof(BlockHeader) + bytes) : std::malloc(sizeof(BlockHeader) + bytes);
  if (!raw) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto* h = static_cast<BlockHeader*>(raw);
  h->mark = kMark;
  h->size = bytes;
  return h + 1;
}

bool Release(void* p) {
  BlockHeader* h = HeaderOf(p);
  if (!h) return false;
  h->mark = 0;
  std::free(h);
  return true;
}

void* Reallocate(void* p, SIZE_T bytes, bool zero) {
  BlockHeader* h = HeaderOf(p);
  if (!h) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  void* n = Allocate(bytes, zero);
  if (!n) return nullptr;
  std::memcpy(n, p, h->size < bytes ? h->size : bytes);
  Release(p);
  return n;
}

SIZE_T SizeOf(const void* p) {
  BlockHeader* h = HeaderOf(p);
  if (!h) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return h->size;
}

// Private heaps: a set of live blocks so that HeapDestroy frees what is left.
struct Heap : zolt::host::KernelObject {
  std::mutex lock;
  std::unordered_set<void*> blocks;
  ~Heap() override {
    for (void* b : blocks) Release(b);
  }
};

}  // namespace

WIN32_API HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
  return Allocate(dwBytes, (uFlags & GMEM_ZEROINIT) != 0);
}
WIN32_API HGLOBAL WINAPI GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags) {
  return Reallocate(hMem, dwBytes, (uFlags & GMEM_ZEROINIT) != 0);
}
WIN32_API HGLOBAL WINAPI GlobalFree(HGLOBAL hMem) {
  if (!hMem) return nullptr;
  if (!Release(hMem)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return hMem;
  }
  return nullptr;
}
WIN32_API LPVOID WINAPI GlobalLock(HGLOBAL hMem) {
  if (!HeaderOf(hMem)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return hMem;
}
WIN32_API BOOL WINAPI GlobalUnlock(HGLOBAL hMem) {
  // A fixed block has no lock count: the platform returns FALSE with no error.
  SetLastError(HeaderOf(hMem) ? NO_ERROR : ERROR_INVALID_HANDLE);
  return FALSE;
}
WIN32_API SIZE_T WINAPI GlobalSize(HGLOBAL hMem) { return SizeOf(hMem); }

WIN32_API HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes) {
  return Allocate(uBytes, (uFlags & LMEM_ZEROINIT) != 0);
}
WIN32_API HLOCAL WINAPI LocalReAlloc(HLOCAL hMem, SIZE_T uBytes, UINT uFlags) {
  return Reallocate(hMem, uBytes, (uFlags & LMEM_ZEROINIT) != 0);
}
WIN32_API HLOCAL WINAPI LocalFree(HLOCAL hMem) { return GlobalFree(hMem); }
WIN32_API SIZE_T WINAPI LocalSize(HLOCAL hMem) { return SizeOf(hMem); }
WIN32_API LPVOID WINAPI LocalLock(HLOCAL hMem) { return GlobalLock(hMem); }
WIN32_API BOOL WINAPI LocalUnlock(HLOCAL hMem) { return GlobalUnlock(hMem); }

WIN32_API HANDLE WINAPI GetProcessHeap(void) {
  static HANDLE heap = zolt::host::HandleInsert(std::make_shared<Heap>());
  return heap;
}
WIN32_API HANDLE WINAPI HeapCreate(DWORD, SIZE_T, SIZE_T) {
  return zolt::host::HandleInsert(std::make_shared<Heap>());
}
WIN32_API BOOL WINAPI HeapDestroy(HANDLE hHeap) {
  if (hHeap == GetProcessHeap() || !zolt::host::HandleGetAs<Heap>(hHeap)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return zolt::host::HandleRemove(hHeap) ? TRUE : FALSE;
}
WIN32_API LPVOID WINAPI HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes) {
  auto heap = zolt::host::HandleGetAs<Heap>(hHeap);
  if (!heap) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  void* p = Allocate(dwBytes, (dwFlags & HEAP_ZERO_MEMORY) != 0);
  if (p) {
    std::lock_guard guard(heap->lock);
    heap->blocks.insert(p);
  }
  return p;
}
WIN32_API LPVOID WINAPI HeapReAlloc(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem, SIZE_T dwBytes) {
  auto heap = zolt::host::HandleGetAs<Heap>(hHeap);
  if (!heap) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  std::lock_guard guard(heap->lock);
  if (!heap->blocks.count(lpMem)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  SIZE_T old = SizeOf(lpMem);
  void* p = Reallocate(lpMem, dwBytes, false);
  if (!p) return nullptr;
  if ((dwFlags & HEAP_ZERO_MEMORY) && dwBytes > old) std::memset(static_cast<char*>(p) + old, 0, dwBytes - old);
  heap->blocks.erase(lpMem);
  heap->blocks.insert(p);
  return p;
}
WIN32_API BOOL WINAPI HeapFree(HANDLE hHeap, DWORD, LPVOID lpMem) {
  if (!lpMem) return TRUE;
  auto heap = zolt::host::HandleGetAs<Heap>(hHeap);
  if (!heap) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard guard(heap->lock);
  if (!heap->blocks.erase(lpMem)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Release(lpMem);
  return TRUE;
}
WIN32_API SIZE_T WINAPI HeapSize(HANDLE hHeap, DWORD, LPCVOID lpMem) {
  auto heap = zolt::host::HandleGetAs<Heap>(hHeap);
  if (!heap) return static_cast<SIZE_T>(-1);
  std::lock_guard guard(heap->lock);
  if (!heap->blocks.count(const_cast<void*>(lpMem))) return static_cast<SIZE_T>(-1);
  return SizeOf(lpMem);
}
