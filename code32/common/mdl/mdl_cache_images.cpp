// The process-wide cache of loaded model images. An image is kept under the full path of its
// source (compared without case, as the file system compares names) and the source's last-write
// time and size: two descriptions of one base name in different folders, or a description
// replaced by an upgrade, never share an image. A replaced description's image stays in the
// cache (contexts created before may still use it) until the module leaves the process. When the
// source can no longer be dated (it was removed or cannot be opened), the newest image loaded from
// that path serves: the process keeps what it has.
#include <cstring>
#include <mutex>

#include "core_memory.h"
#include "model_load.h"
#include "model_query.h"

namespace {

struct ModelCacheNode {
  ModelCacheNode* next;
  WORD useMark;  // always 1
  ModelImage* image;
  WCHAR* path;
  MdlSourceStamp stamp;
  MdlRuleIndex* ruleIndex;  // built on first use
};

struct ModelImageCache {
  uint32_t count;
  ModelCacheNode* first;
  ModelCacheNode* last;
};

// The list is guarded by the global mutex while contexts load their models; this lock also keeps
// it whole for contexts created without the global mutex.
std::mutex g_lock;
ModelImageCache g_cache{0, nullptr, nullptr};

bool SameStamp(const MdlSourceStamp& a, const MdlSourceStamp& b) {
  return a.size == b.size && a.lastWrite.dwLowDateTime == b.lastWrite.dwLowDateTime &&
         a.lastWrite.dwHighDateTime == b.lastWrite.dwHighDateTime;
}

WCHAR* CopyPath(const WCHAR* path) {
  size_t n = 0;
  while (path[n]) ++n;
  if (n >= 0x7FFFFFFF / sizeof(WCHAR)) return nullptr;
  auto* copy = static_cast<WCHAR*>(CtxAllocMem(static_cast<DWORD>((n + 1) * sizeof(WCHAR))));
  if (copy) std::memcpy(copy, path, (n + 1) * sizeof(WCHAR));
  return copy;
}

}  // namespace

int MdlStampSource(const WCHAR* sourcePath, MdlSourceStamp* stamp) {
  if (!sourcePath || !stamp) return 0;
  *stamp = {};
  // Opened for its attributes only: no sharing conflict with a reader or writer of the file.
  HANDLE file = CreateFileW(sourcePath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE || !file) return 0;
  LARGE_INTEGER size{};
  const bool ok = GetFileTime(file, nullptr, nullptr, &stamp->lastWrite) && GetFileSizeEx(file, &size);
  CloseHandle(file);
  if (!ok) return 0;
  stamp->size = static_cast<uint64_t>(size.QuadPart);
  return 1;
}

ModelImage* MdlFindCachedImage(const WCHAR* sourcePath, const MdlSourceStamp* stamp) {
  if (!sourcePath) return nullptr;
  std::lock_guard<std::mutex> hold(g_lock);
  ModelImage* newest = nullptr;
  for (ModelCacheNode* node = g_cache.first; node; node = node->next) {
    if (lstrcmpiW(node->path, sourcePath) != 0) continue;
    if (!stamp) {
      newest = node->image;  // nodes are kept in the order they were added
    } else if (SameStamp(node->stamp, *stamp)) {
      return node->image;
    }
  }
  return newest;
}

int MdlAddCachedImage(ModelImage* image, const WCHAR* sourcePath, const MdlSourceStamp* stamp) {
  if (!image || !sourcePath || !stamp) return 0;
  auto* node = static_cast<ModelCacheNode*>(CtxAllocMem(sizeof(ModelCacheNode)));
  WCHAR* path = node ? CopyPath(sourcePath) : nullptr;
  if (!path) {
    MdlFreeMem(node);
    return 0;
  }
  node->useMark = 1;
  node->image = image;
  node->path = path;
  node->stamp = *stamp;
  node->ruleIndex = nullptr;
  std::lock_guard<std::mutex> hold(g_lock);
  if (g_cache.last)
    g_cache.last->next = node;
  else
    g_cache.first = node;
  g_cache.last = node;
  ++g_cache.count;
  return 1;
}

void MdlFreeCache() {
  ModelCacheNode* node;
  {
    std::lock_guard<std::mutex> hold(g_lock);
    node = g_cache.first;
    g_cache = {0, nullptr, nullptr};
  }
  while (node) {
    ModelCacheNode* next = node->next;
    MdlFreeMem(node->image);
    MdlFreeMem(node->path);
    MdlFreeRuleIndex(node->ruleIndex);
    MdlFreeMem(node);
    node = next;
  }
}

const MdlRuleIndex* MdlCachedRuleIndex(const ModelImage* image) {
  if (!image) return nullptr;
  std::lock_guard<std::mutex> hold(g_lock);
  for (ModelCacheNode* node = g_cache.first; node; node = node->next)
    if (node->image == image) {
      if (!node->ruleIndex) node->ruleIndex = MdlBuildRuleIndex(image);
      return node->ruleIndex;
    }
  return nullptr;
}

uint32_t MdlCachedImageCount() {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_cache.count;
}
