// zoltrc: the resource compiler of the build. It reads a resource script (a subset of the
// usual .rc syntax) and produces the resources of a module: type, name, language and the bytes
// in the platform's binary layouts (string blocks of 16, dialog templates, menus, group icons
// and cursors, bitmaps without their file header, raw data).
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace zolt::rc {

struct ResName {
  bool isId = true;
  uint16_t id = 0;
  std::u16string name;  // upper case when !isId
  bool operator<(const ResName& o) const;
  bool operator==(const ResName& o) const { return isId == o.isId && id == o.id && name == o.name; }
};

struct Resource {
  ResName type;
  ResName name;
  uint16_t language = 0;
  std::vector<uint8_t> data;
};

struct Options {
  std::vector<std::filesystem::path> includeDirs;
  std::map<std::string, std::string> defines;  // -D NAME=VALUE
};

struct Result {
  std::vector<Resource> resources;           // sorted as the resource directory is
  std::set<std::filesystem::path> inputs;    // every file read (for the build's dependencies)
  std::string error;                         // "file:line: message" when compiling failed
};

// Compiles a script given as text (path names it in messages and anchors relative file names).
bool CompileScript(const std::string& text, const std::filesystem::path& path, const Options& options,
                   Result& result);
bool CompileFile(const std::filesystem::path& path, const Options& options, Result& result);

// The C++ source holding the resource directory of a module.
std::string GenerateSource(const std::vector<Resource>& resources, const std::string& scriptName);

// The value of a name the scripts may use without defining it (window, dialog and control
// styles, dialog ids, languages), or false.
bool BuiltinSymbol(const std::string& name, uint32_t& value);

}  // namespace zolt::rc
