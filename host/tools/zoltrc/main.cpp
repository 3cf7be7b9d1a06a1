// zoltrc: compiles a resource script into the C++ source of a module's resource directory.
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "rc_compiler.h"

namespace fs = std::filesystem;

namespace {

void Usage(std::ostream& out) {
  out << "usage: zoltrc [-I folder]... [-D NAME[=VALUE]]... -o output.cpp [--depfile file.d] script.rc\n"
         "\n"
         "Compiles a resource script (string tables, dialog templates, menus, bitmaps, icons,\n"
         "cursors, raw data and custom types) into a C++ source that holds the resource\n"
         "directory of a module.\n"
         "\n"
         "  -I folder         also look for included and data files in folder\n"
         "  -D NAME[=VALUE]   define NAME as the preprocessor would\n"
         "  -o output.cpp     the source to write\n"
         "  --depfile file.d  also write the files read, as a make rule for the build\n"
         "  --help            show this text\n";
}

std::string Escape(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == ' ' || c == '#' || c == '$') out += c == '$' ? '$' : '\\';
    out += c;
  }
  return out;
}

// Writes a file whole through a temporary name, so that the build never sees half of it.
bool WriteFile(const fs::path& path, const std::string& text) {
  fs::path tmp = path;
  tmp += ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << text;
    if (!out.flush()) return false;
  }
  std::error_code ec;
  fs::rename(tmp, path, ec);
  return !ec;
}

}  // namespace

int main(int argc, char** argv) {
  zolt::rc::Options options;
  fs::path output, depfile, script;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](const char* what) -> std::string {
      if (arg.size() > 2 && arg[0] == '-' && arg[1] != '-') return arg.substr(2);
      if (i + 1 >= argc) {
        std::cerr << "zoltrc: " << arg << " needs " << what << "\n";
        std::exit(2);
      }
      return argv[++i];
    };
    if (arg == "--help" || arg == "-h") {
      Usage(std::cout);
      return 0;
    } else if (arg.rfind("-I", 0) == 0) {
      options.includeDirs.push_back(value("a folder"));
    } else if (arg.rfind("-D", 0) == 0) {
      std::string d = value("a name");
      size_t eq = d.find('=');
      options.defines[d.substr(0, eq)] = eq == std::string::npos ? "1" : d.substr(eq + 1);
    } else if (arg.rfind("-o", 0) == 0) {
      output = value("a file");
    } else if (arg == "--depfile") {
      depfile = value("a file");
    } else if (!arg.empty() && arg[0] == '-') {
      std::cerr << "zoltrc: unknown option " << arg << "\n";
      Usage(std::cerr);
      return 2;
    } else if (script.empty()) {
      script = arg;
    } else {
      std::cerr << "zoltrc: more than one script given\n";
      return 2;
    }
  }
  if (script.empty() || output.empty()) {
    Usage(std::cerr);
    return 2;
  }
  zolt::rc::Result result;
  if (!zolt::rc::CompileFile(script, options, result)) {
    std::cerr << result.error << "\n";
    return 1;
  }
  if (!WriteFile(output, zolt::rc::GenerateSource(result.resources, script.filename().string()))) {
    std::cerr << "zoltrc: cannot write " << output << "\n";
    return 1;
  }
  if (!depfile.empty()) {
    std::ostringstream d;
    d << Escape(output.string()) << ":";
    for (const auto& in : result.inputs) d << " \\\n  " << Escape(in.string());
    d << "\n";
    if (!WriteFile(depfile, d.str())) {
      std::cerr << "zoltrc: cannot write " << depfile << "\n";
      return 1;
    }
  }
  return 0;
}
