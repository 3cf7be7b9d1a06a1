// The registry hives of the machine, for the host's own areas, tests and tools.
//
// A hive is a tree of keys held in a text file under <root>/registry/:
//   machine.hive          HKEY_LOCAL_MACHINE
//   user.<name>.hive      HKEY_CURRENT_USER of each user (name in lower case)
// The text form (FormatHive/ParseHive) is readable and keeps every byte of every value:
//
//   ; ZOLT registry hive
//   [SOFTWARE\Orvex\ZoltDrv]
//   "SpoolDirectory"=REG_SZ "C:\\Windows\\Temp\0"
//   "Unterminated"=REG_SZ "abc"
//   "MaxLogFileSize"=REG_DWORD 0x00000040
//   @=REG_BINARY hex:01,02,ff
//   "Odd"=REG_SZ hex:41,00,42
//   "Custom"=type(0x00001234) hex:
//
// A section is a key (its path from the hive's root, components separated by "\"; "%" and
// the characters [ ] " and controls are written as %XXXX, the UTF-16 unit in hex); every key
// is listed, including empty ones. A value line is its quoted name (or @ for the default
// value), its type and its data: a quoted text stands for the UTF-16LE units of the text
// (escapes \\ \" \0 \r \n \t and \uXXXX), "0x" and eight digits for 4 bytes and sixteen for
// 8 bytes (little-endian), "hex:" for any bytes. The writer chooses the text form for string
// types whose data are whole UTF-16 units and the number forms for REG_DWORD and REG_QWORD of
// their exact size; the reader takes any form with any type.
//
// Every access goes through ReadHive/WriteHive: the memory copy is re-read when the file
// changed (its identity, size or times differ from what this process last saw, or the change
// count that writers keep in <file>.lock moved), and a change is made under a cross-process
// lock (flock on <file>.lock) on a fresh copy and written whole (temporary file and rename),
// so no change of another process is lost and no reader sees half a file.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "win32/base.h"

namespace zolt::host {

struct RegistryValue {
  std::u16string name;  // empty: the key's default value
  DWORD type = 0;
  std::string data;     // the bytes exactly as written
};

struct RegistryKey {
  std::u16string name;                 // as first spelled
  std::vector<RegistryValue> values;   // in the order of their creation
  // Subkeys by upper-case name (the order of enumeration).
  std::map<std::u16string, std::unique_ptr<RegistryKey>> subkeys;

  RegistryKey* Subkey(std::u16string_view name) const;
  // The subkey of that name, made when missing; *created tells which happened.
  RegistryKey& MakeSubkey(std::u16string_view name, bool* created = nullptr);
  bool RemoveSubkey(std::u16string_view name);
  // The key at a path of components below this one, or nullptr.
  RegistryKey* Find(const std::vector<std::u16string>& path) const;
  // Makes every missing key of the path; *created tells whether the last one is new.
  RegistryKey& Make(const std::vector<std::u16string>& path, bool* created = nullptr);
  RegistryValue* Value(std::u16string_view name);
  const RegistryValue* Value(std::u16string_view name) const;
  // Replaces or adds a value (a new one goes last; a replaced one keeps its place and spelling).
  void SetValue(std::u16string_view name, DWORD type, std::string data);
  bool RemoveValue(std::u16string_view name);
};

// The upper-case form under which the registry compares names.
std::u16string FoldName(std::u16string_view name);

// Splits "A\B\C" into its components. A leading "\" or an empty component fails with
// ERROR_BAD_PATHNAME; a component longer than 255 characters with ERROR_INVALID_PARAMETER; one
// trailing "\" is allowed. An empty path gives no component.
LONG SplitKeyPath(std::u16string_view path, std::vector<std::u16string>& out);

// The text form of a hive and its reader. ParseHive fails (and says why in *error) on any line
// it cannot read exactly, so that a damaged file is never silently shortened by the next write.
std::string FormatHive(const RegistryKey& root);
bool ParseHive(std::string_view text, RegistryKey& root, std::string* error = nullptr);

// Helpers of the value types for the host's own code: UTF-16LE bytes of a text with or without
// its terminator, a multi-string (each text and its NUL, then the final NUL), a 32-bit number.
std::string RegText(std::u16string_view text, bool terminated = true);
std::string RegMultiText(const std::vector<std::u16string>& texts);
std::string RegNumber(DWORD value);
// The UTF-16LE units of value data (an odd last byte is left out).
std::u16string RegUnits(std::string_view data);

enum class Hive {
  LocalMachine,  // HKEY_LOCAL_MACHINE
  CurrentUser,   // HKEY_CURRENT_USER of the machine's current user
};

// The hive file of the machine in use.
std::filesystem::path HiveFile(Hive hive);

// Runs fn on a current copy of the hive, for reading, and returns its result. The hive's
// process lock is held while fn runs: fn must not call the registry itself. A hive file that
// cannot be read gives ERROR_BADDB without calling fn.
LONG ReadHive(Hive hive, const std::function<LONG(const RegistryKey& root)>& fn);
// Runs fn on a current copy under the hive's cross-process lock. When fn returns ERROR_SUCCESS
// and sets *changed, the hive is written before the lock is released; a failed write gives
// ERROR_CANTWRITE and drops the copy (the next call reads the file again). fn checks what it
// needs before it changes anything, so that a failing fn leaves the tree as it was.
LONG WriteHive(Hive hive, const std::function<LONG(RegistryKey& root, bool& changed)>& fn);

}  // namespace zolt::host
