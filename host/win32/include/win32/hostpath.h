// Windows paths on the machine: the mapping of a driver-visible path ("C:\Windows\System32")
// onto the machine root, with case-insensitive resolution of every component, as the
// platform's file system resolves names. This is the host's own interface for the platform
// areas, tests and tools.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win32/base.h"

namespace zolt::host {

// A parsed Windows path.
struct WinPath {
  char16_t drive = u'C';                 // upper-case drive letter
  std::vector<std::u16string> parts;     // components after the root, "." and ".." applied
  bool trailingSeparator = false;        // the text ended in "\" or "/"
  bool wildcard = false;                 // the last component holds "*" or "?"
  std::u16string Text() const;           // canonical form "C:\A\B"
};

// Parses a Windows path: absolute "X:\...", drive-relative "\...", relative (to the process's
// current directory) and the "\\?\" prefix. UNC paths and other drive forms fail with
// ERROR_BAD_NETPATH, ERROR_INVALID_NAME or ERROR_PATH_NOT_FOUND as the platform answers.
std::optional<WinPath> ParseWinPath(std::u16string_view text, DWORD* error);

enum class Resolve {
  Existing,     // every component must exist
  LastMayMiss,  // the parent must exist; the last component may be new (kept as spelled)
};

// Maps a Windows path to the real file on the machine. Components that exist are matched
// case-insensitively (an exact match first). Fails with ERROR_PATH_NOT_FOUND when a parent is
// missing and ERROR_FILE_NOT_FOUND when the last component is missing in Existing mode.
std::optional<std::filesystem::path> MapPath(const WinPath& path, Resolve mode, DWORD* error);
std::optional<std::filesystem::path> MapPath(std::u16string_view text, Resolve mode, DWORD* error);

// The Windows form of a real path under the machine root ("C:\..."), or empty when the path
// lies outside every drive of the machine.
std::u16string ToWindowsPath(const std::filesystem::path& real);

// The real folder of a drive letter: <root>/drive_<letter>.
std::filesystem::path DriveRoot(char16_t drive);

// Case-insensitive comparison of two names as the file system and the registry compare them.
bool NamesEqual(std::u16string_view a, std::u16string_view b);

// The process's current directory (Windows form); starts as the system directory.
std::u16string CurrentDirectory();
bool SetCurrentDirectory(std::u16string_view path, DWORD* error);

}  // namespace zolt::host
