// Loading a context's model image: the source path of the printer's model description, the
// compiled cache file beside it (the packed image of model_image.h, byte for byte, extension
// "BCS") and the process-wide cache of loaded images.
//
// An image read from a cache file is used only after every link in it has passed the image check
// (MdlCheckImage); a file that fails it, or is shorter or longer than its size slot says, is
// refused and the source compiled again. Images live until the module leaves the process
// (MdlFreeCache) and are shared by every context that loads the same source.
#pragma once

#include <cstdint>

#include "driver_context.h"
#include "model_image.h"

// Largest cache file accepted: rule-section offsets must fit a tagged reference.
constexpr uint64_t kMdlMaxCacheFileSize = kMdlMaxTaggedOffset + 1;

// What identifies one version of a source file: its last-write time and its size.
struct MdlSourceStamp {
  FILETIME lastWrite;
  uint64_t size;
};

// The model image of the context's printer: from the process-wide cache, else the cache file,
// else compiled. Runs under the global mutex (unless the context was created without locking).
// NULL when the printer has no model description or it cannot be compiled. The context's work
// area gets the image's rule index, which the image cache keeps.
ModelImage* MdlLoad(DriverContext* ctx);

// The model description path of a printer: a copy of given when it is not NULL, else the data
// file of the printer's driver as the spooler reports it. A new block (MdlFreeMem), or NULL.
WCHAR* MdlGetSourcePath(HANDLE printer, const WCHAR* given);
// Replaces the text after the last "." of the file name by "QCS" in place.
void MdlReplaceExtension(WCHAR* path);

// Compiles and packs the source; when mayWrite is set and (there is no context or the image's
// FileVersion equals the context's driver version, without case) the packed image is written to
// the cache file. NULL when the source cannot be compiled or memory runs out.
ModelImage* MdlCompileFile(DriverContext* ctx, const WCHAR* sourcePath, bool mayWrite);

// ---- the cache file

// The cache file's path: the source path with the text after the last "." of its file name
// replaced by "BCS" ("." and "BCS" appended when the name has none). 0 when it does not fit
// outChars characters with its terminator.
int MdlMakeCachePath(WCHAR* out, size_t outChars, const WCHAR* sourcePath);
// The packed image of the cache file (a new block, MdlFreeMem), or NULL when the source or the
// cache file cannot be opened or dated, the cache file is older than the source, its size is not
// the one its size slot gives, or the image check refuses it.
ModelImage* MdlReadCacheFile(const WCHAR* sourcePath);
// The same with the source's last-write time already taken (the source is not opened again).
ModelImage* MdlReadCacheFileSince(const WCHAR* sourcePath, const FILETIME* sourceTime);
// Writes the image's size-slot bytes to a new file in the cache file's folder and renames it
// over the cache file, so that a reader sees the old file or the whole new one, never part of
// one. 1 when the cache file was replaced; a failure leaves no temporary file behind.
int MdlWriteCacheFile(const ModelImage* image, const WCHAR* sourcePath);
int MdlDeleteCacheFile(const WCHAR* sourcePath);
// The FileVersion of an image's header (at most 15 characters); 0 when it is not terminated.
int MdlImageFileVersion(const ModelImage* image, WCHAR out[16]);

// ---- the process-wide image cache

// The source's last-write time and size; 0 when it cannot be opened or dated.
int MdlStampSource(const WCHAR* sourcePath, MdlSourceStamp* stamp);
// The image loaded for this path (compared without case) and this version of the source, or NULL.
// Without a stamp: the newest image loaded for the path.
ModelImage* MdlFindCachedImage(const WCHAR* sourcePath, const MdlSourceStamp* stamp);
// Adds an image under the path and stamp; the cache owns it from then on. 0 for a NULL image or
// path, or when memory runs out (the image then stays the caller's).
int MdlAddCachedImage(ModelImage* image, const WCHAR* sourcePath, const MdlSourceStamp* stamp);
// The rule index of an image of the cache, built on the first call; NULL for an image the cache
// does not hold or when memory runs out.
const MdlRuleIndex* MdlCachedRuleIndex(const ModelImage* image);
// Frees every image of the cache (when the module leaves the process).
void MdlFreeCache();
// Number of images in the cache.
uint32_t MdlCachedImageCount();
