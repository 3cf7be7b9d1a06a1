// Loading a context's model image: the process-wide image cache first, then the compiled cache
// file beside the source, and only when neither serves, the compile (which writes a new cache
// file when the source's FileVersion is the driver's). All of it runs under the global mutex, so
// processes never compile, write or delete one cache file at the same time.
#include <cstring>

#include "core_memory.h"
#include "env_mutex.h"
#include "env_system.h"
#include "mdl_compile.h"
#include "model_load.h"

namespace {

// Flag of the model family's system word: the data file is named with the "QCD" extension and
// the QCS file of the same base name is compiled.
constexpr DWORD kModelOsDataFileIsQcd = 2;

size_t WideLength(const WCHAR* text) {
  size_t n = 0;
  while (text[n]) ++n;
  return n;
}

WCHAR* CopyWide(const WCHAR* text) {
  const size_t n = WideLength(text);
  if (n >= 0x7FFFFFFF / sizeof(WCHAR)) return nullptr;
  auto* copy = static_cast<WCHAR*>(CtxAllocMem(static_cast<DWORD>((n + 1) * sizeof(WCHAR))));
  if (copy) std::memcpy(copy, text, (n + 1) * sizeof(WCHAR));
  return copy;
}

const WCHAR* DriverVersion(const DriverContext* ctx) {
  return ctx && ctx->profile ? ctx->profile->driverVersionString : nullptr;
}

// Versions are compared without case; an empty or missing one equals nothing.
bool SameVersion(const WCHAR* a, const WCHAR* b) { return a && b && a[0] && b[0] && lstrcmpiW(a, b) == 0; }

// The source path the context's own copy of the driver information names, else the spooler's.
WCHAR* SourcePathOf(const DriverContext* ctx) {
  const DRIVER_INFO_2W* info = ctx->workArea ? ctx->workArea->driverInfo2 : nullptr;
  return MdlGetSourcePath(ctx->printer, info && info->pDataFile ? info->pDataFile : nullptr);
}

// The image of a source that is not in the process-wide cache: the cache file when it is sound,
// of the source's version and that version is the driver's; otherwise the compile.
ModelImage* LoadFromDisk(DriverContext* ctx, const WCHAR* path, const MdlSourceStamp& stamp) {
  bool mayWrite = true;
  if (ModelImage* block = MdlReadCacheFileSince(path, &stamp.lastWrite)) {
    WCHAR sourceVersion[15] = {};
    MdlReadFileVersion(path, sourceVersion);
    // A source whose version is not the driver's is compiled in every process and never cached.
    mayWrite = SameVersion(sourceVersion, DriverVersion(ctx));
    WCHAR blockVersion[16];
    if (mayWrite && MdlImageFileVersion(block, blockVersion) && SameVersion(blockVersion, sourceVersion))
      return block;
    MdlFreeMem(block);
    MdlDeleteCacheFile(path);
  }
  return MdlCompileFile(ctx, path, mayWrite);
}

}  // namespace

WCHAR* MdlGetSourcePath(HANDLE printer, const WCHAR* given) {
  if (given) return CopyWide(given);
  DWORD needed = 0;
  if (GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed) || GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
      needed < sizeof(DRIVER_INFO_2W))
    return nullptr;
  void* buffer = CtxAllocMem(needed);
  if (!buffer) return nullptr;
  WCHAR* path = nullptr;
  const auto* info = static_cast<const DRIVER_INFO_2W*>(buffer);
  if (GetPrinterDriverW(printer, nullptr, 2, static_cast<LPBYTE>(buffer), needed, &needed) && info->pDataFile)
    path = CopyWide(info->pDataFile);
  MdlFreeMem(buffer);
  return path;
}

void MdlReplaceExtension(WCHAR* path) {
  if (!path) return;
  WCHAR* dot = nullptr;
  for (WCHAR* p = path; *p; ++p) {
    if (*p == u'.') dot = p;
    if (*p == u'\\' || *p == u'/') dot = nullptr;
  }
  if (!dot) return;
  // The three characters after the dot, as far as the name has them.
  static const WCHAR kQcs[] = u"QCS";
  for (int i = 0; i < 3 && dot[1 + i]; ++i) dot[1 + i] = kQcs[i];
}

ModelImage* MdlCompileFile(DriverContext* ctx, const WCHAR* sourcePath, bool mayWrite) {
  ModelImage* image = MdlCompileImage(sourcePath);
  if (!image) return nullptr;
  WCHAR version[16];
  if (mayWrite && (!ctx || (MdlImageFileVersion(image, version) && SameVersion(version, DriverVersion(ctx)))))
    MdlWriteCacheFile(image, sourcePath);  // a cache file that cannot be written is not needed
  return image;
}

ModelImage* MdlLoad(DriverContext* ctx) {
  if (!ctx) return nullptr;
  EnvLockGlobalMutex(ctx);
  ModelImage* image = nullptr;
  WCHAR* path = SourcePathOf(ctx);
  MdlSourceStamp stamp{};
  if (path && MdlCheckSourceExtension(path, CfgTestModelOsFlag(ctx, kModelOsDataFileIsQcd) != 0)) {
    if (MdlStampSource(path, &stamp)) {
      image = MdlFindCachedImage(path, &stamp);
      if (!image) {
        image = LoadFromDisk(ctx, path, stamp);
        // An image the cache cannot take (out of memory) still serves this context; it is then
        // never freed, like the images of the cache until the module leaves the process.
        if (image) MdlAddCachedImage(image, path, &stamp);
      }
    } else {
      // The source is gone (or cannot be opened): the image this process loaded from it serves.
      image = MdlFindCachedImage(path, nullptr);
    }
  }
  MdlFreeMem(path);
  if (ctx->workArea) ctx->workArea->ruleIndex = MdlCachedRuleIndex(image);
  EnvUnlockGlobalMutex(ctx);
  return image;
}
