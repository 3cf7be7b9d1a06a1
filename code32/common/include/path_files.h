// File operations shared by the settings, installation and synchronisation code: existence
// tests, deletion through the read-only attribute, copies that leave the destination writable,
// copies made only when needed (destination missing, or source newer or different), deployment
// of driver files from the driver directory, and the dissection of file names.
//
// Paths are UTF-16 in buffers of MAX_PATH (260) characters. Every operation answers 0 for NULL
// arguments and for a failing platform call.
#pragma once

#include <string>

#include "driver_context.h"

// Copy modes of the deployment operations: 1 copies only when the destination is missing; any
// other value replaces the destination when the source is newer (or, with compare mode 0, when
// the two last-write times differ).
inline constexpr short kCopyWhenMissing = 1;

// Compare modes of PathCompareWriteTimes.
inline constexpr int kCompareSameTime = 0;    // 1 when the last-write times are equal
inline constexpr int kCompareNotNewer = 1;    // 1 when a's last-write time is not later than b's

// ---- Files ---------------------------------------------------------------------------------
// 1 when the file can be opened for reading with read sharing (a file another process holds
// exclusively counts as absent).
int PathIsFilePresent(const WCHAR* path);
// 1 when the attributes could be reset to normal; the file is then deleted.
int PathDeleteFile(const WCHAR* path);
// Deletes the files of the pattern's folder that match it ("folder\*.*"); folders are left
// alone. 1 when at least one match had its attributes reset.
int PathDeleteMatchingFiles(const WCHAR* pattern);
// CopyFileW, then the destination's attributes become normal and then archive (a copied
// read-only file is writable). 1/0.
int PathCopyFile(const WCHAR* source, const WCHAR* destination, BOOL failIfExists);
// Clears the read-only attribute when the file has it. Always 1.
int PathClearReadOnly(const WCHAR* path);
// Compares the last-write times of two files opened for attribute access only. Mode 0: 1 when
// equal; mode 1: 1 when a's is not later than b's; other modes 0. 0 when a file cannot be opened.
int PathCompareWriteTimes(const WCHAR* a, const WCHAR* b, int mode);
// 1 when the folder exists afterwards (created, or already there); parents are not created.
int PathEnsureDir(const WCHAR* path);
// The number of bytes ReadFile read into buffer (at most count), -1 when it fails.
int PathReadFileBytes(HANDLE file, void* buffer, DWORD count);

// ---- Deployment ----------------------------------------------------------------------------
// Driver directory + (sourceName or name) into the system directory + name, compare mode 1.
int PathCopyToSystemDir(const WCHAR* name, const WCHAR* sourceName, short mode, DriverContext* ctx);
// sourceFolder + name into destFolder + name (folders end with "\"), compare mode 1.
// The driver directory (with its "\") + name into out (MAX_PATH characters), through the
// context's cached driver record when it has one; empty without a context.
void PathInContextDriverDir(WCHAR* out, const WCHAR* name, DriverContext* ctx);
int PathCopyBetweenFolders(const WCHAR* name, const WCHAR* sourceFolder, const WCHAR* destFolder, short mode);
// A relative destination goes to the system directory (PathCopyToSystemDir); an absolute one
// is fed from the driver directory + (sourceName or the destination's file name).
// Deploys the driver's files and installed scenario copies; non-zero, 0 only when memory fails.
int CfgDeployDriverFiles(DriverContext* ctx, DWORD flags);
int PathDeployFile(const WCHAR* destination, const WCHAR* sourceName, short mode, DriverContext* ctx);
int PathDeployFileEx(const WCHAR* destination, const WCHAR* sourceName, short mode, DriverContext* ctx,
                     int compareMode);
int PathDeployFileImpl(const WCHAR* destination, const WCHAR* sourceName, short mode, DriverContext* ctx,
                       int compareMode);
// Both paths absolute; mode 1 as above, other modes replace whenever the times differ.
int PathSyncFile(const WCHAR* destination, const WCHAR* source, short mode);

// ---- Names ---------------------------------------------------------------------------------
// Where an installed preset is copied for the user: the settings folder (or the per-user
// folder in terminal-server mode, not for a machine context) + "\" + the file name of filePath
// with the extension "rsr". out: size characters. 1/0.
int PathInstalledPresetPath(WCHAR* out, const WCHAR* filePath, int size, DriverContext* ctx);
int PathInstalledPresetPathEx(WCHAR* out, const WCHAR* filePath, int size, DriverContext* ctx);
// The quality file of a preset: its path with the extension "rsq". out: MAX_PATH. 1/0.
int PathQualityFileOf(WCHAR* out, const WCHAR* presetPath);
// Copies path into out (MAX_PATH) and writes newExtension over the old extension. 1/0.
int PathReplaceExtension(WCHAR* out, const WCHAR* path, const WCHAR* newExtension);
// The character after the last "\" (the whole string without one); NULL for NULL.
WCHAR* PathGetFileName(WCHAR* path);
const WCHAR* PathGetFileName(const WCHAR* path);
// The extension of the file-name part and its length; without a "." the start of the file name
// with length 0; NULL for NULL.
WCHAR* PathGetExtension(WCHAR* path, int* length);
const WCHAR* PathGetExtension(const WCHAR* path, int* length);
// The file-name part and the number of characters before its first ".".
const WCHAR* PathGetBaseNameLength(const WCHAR* path, int* length);
// The folder part of a path (before its last "\", empty without one) and the file-name part.
std::u16string PathFolderPart(const std::u16string& path);
std::u16string PathFilePart(const std::u16string& path);
// 1 when the file name has a base of at least one character and an extension of 1-3.
int PathHasShortExtension(const WCHAR* path);
