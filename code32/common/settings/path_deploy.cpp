// Copies made only when needed: driver files deployed from the driver directory into the system
// directory or to given places, folder-to-folder copies and synchronised files; and the path an
// installed preset is copied to.
#include "env_system.h"
#include "settings_paths.h"

namespace {

bool IsAbsolute(const WCHAR* path) { return path && path[0] && path[1] == u':'; }

// Replaces destination by a copy of source without ever leaving it missing: the copy is made
// beside it under a temporary name and then renamed over it. A failed copy leaves the old file.
int ReplaceWithCopy(const WCHAR* source, const WCHAR* destination) {
  constexpr WCHAR kSuffix[] = u".~zt";
  const int length = lstrlenW(destination);
  if (length + lstrlenW(kSuffix) >= MAX_PATH) {
    // No room for a temporary name beside it: copy over it in place (read-only cleared first).
    PathClearReadOnly(destination);
    return PathCopyFile(source, destination, FALSE);
  }
  WCHAR temporary[MAX_PATH];
  lstrcpynW(temporary, destination, MAX_PATH);
  lstrcatW(temporary, kSuffix);
  PathDeleteFile(temporary);  // a leftover of an earlier interrupted copy
  if (!PathCopyFile(source, temporary, FALSE)) {
    PathDeleteFile(temporary);
    return 0;
  }
  // The old file goes as PathDeleteFile would take it: with its attributes reset first.
  const DWORD attributes = GetFileAttributesW(destination);
  if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(destination, FILE_ATTRIBUTE_NORMAL);
  if (!MoveFileExW(temporary, destination, MOVEFILE_REPLACE_EXISTING)) {
    if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(destination, attributes);
    PathDeleteFile(temporary);
    return 0;
  }
  return 1;
}

// The copy-when-needed step of every deployment: source S to destination D.
int CopyWhenNeeded(const WCHAR* source, const WCHAR* destination, short mode, int compareMode) {
  if (lstrcmpiW(source, destination) == 0) return 1;
  if (mode == kCopyWhenMissing) {
    if (!PathIsFilePresent(source)) return 0;
    if (PathIsFilePresent(destination)) return 1;
    return PathCopyFile(source, destination, FALSE);
  }
  if (!PathIsFilePresent(source) || PathCompareWriteTimes(source, destination, compareMode) == 1) return 0;
  if (GetFileAttributesW(destination) == INVALID_FILE_ATTRIBUTES) return PathCopyFile(source, destination, FALSE);
  return ReplaceWithCopy(source, destination);
}

bool Fits(const WCHAR* a, const WCHAR* b) { return lstrlenW(a) + lstrlenW(b) < MAX_PATH; }

}  // namespace

// Driver directory + name: through the context's own driver record when it has one.
void PathInContextDriverDir(WCHAR* out, const WCHAR* name, DriverContext* ctx) {
  out[0] = u'\0';
  if (!ctx) return;
  const DRIVER_INFO_3W* di3 = ctx->workArea ? ctx->workArea->driverInfo3 : nullptr;
  if (di3 && di3->pDriverPath)
    PathInDriverDirOf(out, MAX_PATH, name, ctx->printer, di3->pDriverPath);
  else
    PathInDriverDir(out, MAX_PATH, name, ctx->printer);
}


int PathCopyToSystemDir(const WCHAR* name, const WCHAR* sourceName, short mode, DriverContext* ctx) {
  if (!name || !name[0]) return 0;
  WCHAR source[MAX_PATH];
  WCHAR destination[MAX_PATH] = {};
  PathInContextDriverDir(source, sourceName ? sourceName : name, ctx);
  PathInSystemDir(destination, MAX_PATH, name);
  if (!source[0] || !destination[0]) return 0;
  return CopyWhenNeeded(source, destination, mode, kCompareNotNewer);
}

int PathCopyBetweenFolders(const WCHAR* name, const WCHAR* sourceFolder, const WCHAR* destFolder, short mode) {
  if (!name || !sourceFolder || !destFolder || !name[0] || !sourceFolder[0] || !destFolder[0]) return 0;
  if (!Fits(sourceFolder, name) || !Fits(destFolder, name)) return 0;
  WCHAR source[MAX_PATH];
  WCHAR destination[MAX_PATH];
  lstrcpynW(source, sourceFolder, MAX_PATH);
  lstrcatW(source, name);
  lstrcpynW(destination, destFolder, MAX_PATH);
  lstrcatW(destination, name);
  return CopyWhenNeeded(source, destination, mode, kCompareNotNewer);
}

int PathDeployFileImpl(const WCHAR* destination, const WCHAR* sourceName, short mode, DriverContext* ctx,
                       int compareMode) {
  if (!destination || !destination[0]) return 0;
  if (!IsAbsolute(destination)) return PathCopyToSystemDir(destination, sourceName, mode, ctx);
  WCHAR source[MAX_PATH];
  PathInContextDriverDir(source, sourceName ? sourceName : PathGetFileName(destination), ctx);
  if (!source[0]) return 0;
  return CopyWhenNeeded(source, destination, mode, compareMode);
}

int PathDeployFile(const WCHAR* destination, const WCHAR* sourceName, short mode, DriverContext* ctx) {
  return PathDeployFileImpl(destination, sourceName, mode, ctx, kCompareSameTime);
}

int PathDeployFileEx(const WCHAR* destination, const WCHAR* sourceName, short mode, DriverContext* ctx,
                     int compareMode) {
  return PathDeployFileImpl(destination, sourceName, mode, ctx, compareMode);
}

int PathSyncFile(const WCHAR* destination, const WCHAR* source, short mode) {
  if (!IsAbsolute(destination) || !IsAbsolute(source)) return 0;
  return CopyWhenNeeded(source, destination, mode, kCompareSameTime);
}

int PathInstalledPresetPathEx(WCHAR* out, const WCHAR* filePath, int size, DriverContext* ctx) {
  if (!out || !filePath || size <= 0 || !ctx || !ctx->workArea) return 0;
  const DRIVER_INFO_3W* di3 = ctx->workArea->driverInfo3;
  const int perUser = di3 ? EnvIsTerminalServerModeFor(ctx->printer, di3->pDriverPath)
                          : EnvIsTerminalServerMode(ctx->printer);
  const bool machineContext = (ctx->workArea->creationMode & kCtxModeInstallation) != 0;
  WCHAR folder[MAX_PATH] = {};
  const int found = perUser && !machineContext ? PathGetUserDir(folder, MAX_PATH, ctx)
                                               : PathGetSettingsDir(folder, MAX_PATH, ctx);
  if (found <= 0 || !folder[0]) return 0;
  const WCHAR* name = PathGetFileName(filePath);
  const int limit = size < MAX_PATH ? size : MAX_PATH;
  // folder + "\" + name, whose extension "rsr" may be longer than the one it replaces.
  if (lstrlenW(folder) + 1 + lstrlenW(name) + 4 >= limit) return 0;
  WCHAR joined[MAX_PATH];
  lstrcpynW(joined, folder, MAX_PATH);
  lstrcatW(joined, u"\\");
  lstrcatW(joined, name);
  WCHAR replaced[MAX_PATH];
  if (!PathReplaceExtension(replaced, joined, u"rsr") || lstrlenW(replaced) >= limit) return 0;
  lstrcpynW(out, replaced, limit);
  return 1;
}

int PathInstalledPresetPath(WCHAR* out, const WCHAR* filePath, int size, DriverContext* ctx) {
  return PathInstalledPresetPathEx(out, filePath, size, ctx);
}
