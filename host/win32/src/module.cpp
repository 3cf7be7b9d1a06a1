// Modules: loading ELF shared objects installed on the machine under Windows file names, the
// platform's search order and reference counts, DllMain, exports and module names.
#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "win32/codepage.h"
#include "win32/hostpath.h"
#include "win32/hosttext.h"
#include "win32/machine.h"
#include "win32/module.h"

namespace fs = std::filesystem;

namespace zolt::host {
namespace {

struct Module {
  HMODULE handle = nullptr;  // image address; | 1 or | 2 for a module loaded as data
  void* dl = nullptr;
  std::u16string windowsPath;
  fs::path privateCopy;      // a copy loaded in place of the file, removed after unloading
  int refs = 0;
  PDLL_MAIN entry = nullptr;
  bool asData = false;
  bool threadCallsDisabled = false;
};

struct FileId {
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  int64_t mtime = 0;
  bool operator==(const FileId&) const = default;
};

struct Loader {
  std::recursive_mutex lock;  // the loader lock, held across DllMain as the platform holds it
  std::map<uintptr_t, Module> modules;
  std::map<std::string, FileId> opened;  // real paths given to dlopen and the file each was
  unsigned copies = 0;
  fs::path copyDir;
};

Loader& TheLoader() {
  static Loader* loader = new Loader;  // lives until the process ends
  return *loader;
}

// System modules whose functions the host library itself exports.
constexpr const char16_t* kHostModules[] = {u"kernel32.dll", u"kernelbase.dll", u"ntdll.dll",    u"user32.dll",
                                            u"gdi32.dll",    u"advapi32.dll",   u"winspool.drv", u"spoolss.dll",
                                            u"comctl32.dll", u"comdlg32.dll"};

// The image address of a loaded object: where its ELF header is mapped.
HMODULE ImageBase(void* dl) {
  struct link_map* map = nullptr;
  if (!dl || dlinfo(dl, RTLD_DI_LINKMAP, &map) != 0 || !map) return nullptr;
  Dl_info info;
  if (!dladdr(map->l_ld, &info) || !info.dli_fbase) return nullptr;
  return static_cast<HMODULE>(info.dli_fbase);
}

bool OwnedBy(const void* address, HMODULE base) {
  Dl_info info;
  return address && dladdr(address, &info) && info.dli_fbase == static_cast<void*>(base);
}

struct Builtin {
  void* dl = nullptr;
  HMODULE base = nullptr;
};

const Builtin& ProcessImage() {
  static const Builtin image = [] {
    Builtin b;
    b.dl = dlopen(nullptr, RTLD_LAZY);
    b.base = ImageBase(b.dl);
    return b;
  }();
  return image;
}

const Builtin& HostLibrary() {
  static const Builtin host = [] {
    Builtin b;
    Dl_info info;
    if (dladdr(reinterpret_cast<void*>(&GetLastError), &info) && info.dli_fname) {
      b.dl = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
      b.base = static_cast<HMODULE>(info.dli_fbase);
    }
    return b;
  }();
  return host;
}

uintptr_t Key(HMODULE h) { return reinterpret_cast<uintptr_t>(h); }

std::u16string LastComponent(std::u16string_view path) {
  size_t slash = path.find_last_of(u"\\/");
  return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

bool HasSeparator(std::u16string_view name) { return name.find_first_of(u"\\/:") != std::u16string_view::npos; }

// The platform's rule for the extension: none given means ".dll"; a trailing dot means none.
std::u16string WithExtension(std::u16string name) {
  std::u16string last = LastComponent(name);
  if (!last.empty() && last.back() == u'.') {
    name.pop_back();
    return name;
  }
  if (last.find(u'.') == std::u16string::npos) name += u".dll";
  return name;
}

std::optional<FileId> IdOf(const fs::path& file) {
  struct stat st;
  if (::stat(file.c_str(), &st) != 0) return std::nullopt;
  return FileId{st.st_dev, st.st_ino, st.st_size, int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

bool IsElf(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  char magic[4] = {};
  in.read(magic, 4);
  return in && std::memcmp(magic, "\x7F" "ELF", 4) == 0;
}

Module* FindByHandle(Loader& l, HMODULE h) {
  auto it = l.modules.find(Key(h));
  return it == l.modules.end() ? nullptr : &it->second;
}

Module* FindLoaded(Loader& l, std::u16string_view name, bool byPath, bool asData) {
  for (auto& [key, m] : l.modules) {
    if (m.asData != asData) continue;
    if (byPath ? NamesEqual(m.windowsPath, name) : NamesEqual(LastComponent(m.windowsPath), name)) return &m;
  }
  return nullptr;
}

bool IsHostModuleName(std::u16string_view name) {
  for (const char16_t* n : kHostModules)
    if (NamesEqual(name, n)) return true;
  return false;
}

std::optional<fs::path> FindInFolder(const std::u16string& folder, const std::u16string& name) {
  DWORD error = 0;
  auto real = MapPath(folder + u"\\" + name, Resolve::Existing, &error);
  std::error_code ec;
  if (real && fs::is_regular_file(*real, ec)) return real;
  return std::nullopt;
}

// The folders a bare name is searched in, in the platform's order.
std::vector<std::u16string> SearchFolders(DWORD flags) {
  const MachineFacts& f = Machine::Facts();
  std::u16string image = FromUtf8(f.HostImage());
  std::u16string appDir = image.substr(0, image.find_last_of(u'\\'));
  std::u16string system = FromUtf8(f.SystemDirectory());
  std::u16string windows = FromUtf8(f.WindowsDirectory());
  std::vector<std::u16string> folders;
  const DWORD restricted = LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32 |
                           LOAD_LIBRARY_SEARCH_DEFAULT_DIRS | LOAD_LIBRARY_SEARCH_USER_DIRS;
  if (flags & restricted) {
    if (flags & (LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS)) folders.push_back(appDir);
    if (flags & (LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS)) folders.push_back(system);
  } else {
    folders = {appDir, system, windows + u"\\System", windows, CurrentDirectory()};
  }
  std::vector<std::u16string> unique;
  for (auto& d : folders) {
    bool seen = false;
    for (auto& u : unique) seen = seen || NamesEqual(u, d);
    if (!seen) unique.push_back(d);
  }
  return unique;
}

// dlopen of a module file. A real path that this process gave to dlopen before, whose file
// has been replaced since, is loaded through a private copy: the dynamic loader would
// otherwise hand back the object it mapped from the old file.
void* OpenObject(Loader& l, const fs::path& real, fs::path& privateCopy, DWORD* error) {
  auto id = IdOf(real);
  if (!id) {
    *error = ERROR_MOD_NOT_FOUND;
    return nullptr;
  }
  if (!IsElf(real)) {
    *error = ERROR_BAD_EXE_FORMAT;
    return nullptr;
  }
  fs::path target = real;
  auto seen = l.opened.find(real.string());
  if (seen != l.opened.end() && !(seen->second == *id)) {
    std::error_code ec;
    if (l.copyDir.empty()) {
      fs::path temp = fs::temp_directory_path(ec);
      if (ec) temp = "/tmp";
      l.copyDir = temp / ("zolt-modules-" + std::to_string(getpid()));
      std::atexit([] {
        std::error_code ignored;
        fs::remove_all(TheLoader().copyDir, ignored);
      });
    }
    fs::create_directories(l.copyDir, ec);
    target = l.copyDir / (std::to_string(++l.copies) + "-" + real.filename().string());
    fs::copy_file(real, target, fs::copy_options::overwrite_existing, ec);
    if (ec) {
      *error = ERROR_NOT_ENOUGH_MEMORY;
      return nullptr;
    }
    privateCopy = target;
  } else {
    l.opened[real.string()] = *id;
  }
  void* dl = dlopen(target.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!dl) {
    const char* why = dlerror();
    std::string text = why ? why : "";
    if (text.find("undefined symbol") != std::string::npos)
      *error = ERROR_PROC_NOT_FOUND;  // an import the module needs is missing
    else if (text.find("cannot open shared object file") != std::string::npos)
      *error = ERROR_MOD_NOT_FOUND;  // a module it depends on is missing
    else
      *error = ERROR_BAD_EXE_FORMAT;
    if (!privateCopy.empty()) {
      std::error_code ec;
      fs::remove(privateCopy, ec);
      privateCopy.clear();
    }
    return nullptr;
  }
  return dl;
}

void CloseObject(Module& m) {
  if (m.dl) dlclose(m.dl);
  if (!m.privateCopy.empty()) {
    std::error_code ec;
    fs::remove(m.privateCopy, ec);
  }
}

PDLL_MAIN EntryOf(void* dl, HMODULE base) {
  void* sym = dlsym(dl, "DllMain");
  return OwnedBy(sym, base) ? reinterpret_cast<PDLL_MAIN>(sym) : nullptr;
}

HMODULE Load(std::u16string name, DWORD flags) {
  if (name.empty()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  const bool asData = (flags & (LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE |
                                LOAD_LIBRARY_AS_IMAGE_RESOURCE)) != 0;
  Loader& l = TheLoader();
  std::lock_guard guard(l.lock);
  name = WithExtension(std::move(name));
  const bool byPath = HasSeparator(name);
  if (!byPath && IsHostModuleName(name)) return HostLibrary().base;

  // A bare name matches a module that is already loaded, wherever it came from.
  if (!byPath) {
    Module* m = FindLoaded(l, name, false, false);
    if (!m && asData) m = FindLoaded(l, name, false, true);
    if (m && !(asData && !m->asData && (flags & LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE))) {
      ++m->refs;
      return m->handle;
    }
  }

  std::optional<fs::path> real;
  if (byPath) {
    DWORD error = 0;
    real = MapPath(name, Resolve::Existing, &error);
    std::error_code ec;
    if (real && fs::is_directory(*real, ec)) real.reset();
  } else {
    for (const auto& folder : SearchFolders(flags))
      if ((real = FindInFolder(folder, name))) break;
  }
  if (!real) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  std::u16string windowsPath = ToWindowsPath(*real);

  // The same file loaded before: one more reference.
  if (Module* m = FindLoaded(l, windowsPath, true, false);
      m && !(asData && (flags & LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE))) {
    ++m->refs;
    return m->handle;
  }
  if (asData) {
    if (Module* m = FindLoaded(l, windowsPath, true, true)) {
      ++m->refs;
      return m->handle;
    }
  }

  DWORD error = 0;
  fs::path privateCopy;
  void* dl = OpenObject(l, *real, privateCopy, &error);
  if (!dl) {
    SetLastError(error);
    return nullptr;
  }
  HMODULE base = ImageBase(dl);
  if (!base) {
    dlclose(dl);
    SetLastError(ERROR_BAD_EXE_FORMAT);
    return nullptr;
  }
  const uintptr_t tag = asData ? ((flags & LOAD_LIBRARY_AS_IMAGE_RESOURCE) ? 2 : 1) : 0;
  HMODULE handle = reinterpret_cast<HMODULE>(Key(base) | tag);
  // The same object reached by another path (a link to the same file).
  if (Module* m = FindByHandle(l, handle)) {
    dlclose(dl);
    if (!privateCopy.empty()) {
      std::error_code ec;
      fs::remove(privateCopy, ec);
    }
    ++m->refs;
    return m->handle;
  }
  Module& m = l.modules[Key(handle)];
  m.handle = handle;
  m.dl = dl;
  m.windowsPath = windowsPath;
  m.privateCopy = privateCopy;
  m.refs = 1;
  m.asData = asData;
  m.entry = asData ? nullptr : EntryOf(dl, base);
  if (m.entry && !m.entry(handle, DLL_PROCESS_ATTACH, nullptr)) {
    // A refused attach is followed by the detach, and the module goes away.
    m.entry(handle, DLL_PROCESS_DETACH, nullptr);
    Module doomed = m;
    l.modules.erase(Key(handle));
    CloseObject(doomed);
    SetLastError(ERROR_DLL_INIT_FAILED);
    return nullptr;
  }
  return handle;
}

std::u16string FromAnsi(LPCSTR text) {
  std::u16string out;
  AnsiToWide(CP_ACP, std::string_view(text), out);
  return out;
}

// The Windows file name of a module, or false for a handle that names none.
bool ModuleFileName(HMODULE h, std::u16string& out) {
  if (!h || h == ProcessImage().base) {
    out = FromUtf8(Machine::Facts().HostImage());
    return true;
  }
  if (h == HostLibrary().base) {
    out = FromUtf8(Machine::Facts().SystemDirectory()) + u"\\kernel32.dll";
    return true;
  }
  Loader& l = TheLoader();
  std::lock_guard guard(l.lock);
  Module* m = FindByHandle(l, h);
  if (!m || m->asData) return false;
  out = m->windowsPath;
  return true;
}

}  // namespace

void* ModuleLoaderHandle(HMODULE module) {
  if (!module || module == ProcessImage().base) return ProcessImage().dl;
  if (module == HostLibrary().base) return HostLibrary().dl;
  {
    Loader& l = TheLoader();
    std::lock_guard guard(l.lock);
    if (Module* m = FindByHandle(l, module)) return m->dl;
  }
  // An object the dynamic loader mapped by itself (linked at start-up): its handle stays
  // valid while the object is loaded.
  Dl_info info;
  if (dladdr(module, &info) && info.dli_fbase == static_cast<void*>(module) && info.dli_fname) {
    void* dl = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    if (dl) dlclose(dl);
    return dl;
  }
  return nullptr;
}

bool InstallSystemModules(const fs::path& moduleDir) {
  const std::string system = Machine::Facts().SystemDirectory();
  bool ok = true;
  // The platform's modules, and the maker's modules that the driver finds in the system
  // directory by their bare names (the port library and the job-control module).
  for (const char* name :
       {"UserEnv.dll", "shell32.dll", "ole32.dll", "compstui.dll", "UxTheme.dll", "qv4manNT.dll", "QVJC32.DLL"}) {
    DWORD error = 0;
    auto target = MapPath(FromUtf8(system + "\\" + name), Resolve::LastMayMiss, &error);
    std::error_code ec;
    if (!target || !fs::exists(moduleDir / name, ec)) {
      ok = false;
      continue;
    }
    fs::copy_file(moduleDir / name, *target, fs::copy_options::overwrite_existing, ec);
    if (ec) ok = false;
  }
  return ok;
}

}  // namespace zolt::host

using namespace zolt::host;

WIN32_API HMODULE WINAPI LoadLibraryExW(LPCWSTR lpLibFileName, HANDLE hFile, DWORD dwFlags) {
  if (!lpLibFileName || hFile) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return Load(std::u16string(WideView(lpLibFileName)), dwFlags);
}

WIN32_API HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName) { return LoadLibraryExW(lpLibFileName, nullptr, 0); }

WIN32_API HMODULE WINAPI LoadLibraryExA(LPCSTR lpLibFileName, HANDLE hFile, DWORD dwFlags) {
  if (!lpLibFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::u16string name = FromAnsi(lpLibFileName);
  return LoadLibraryExW(name.c_str(), hFile, dwFlags);
}

WIN32_API HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) { return LoadLibraryExA(lpLibFileName, nullptr, 0); }

WIN32_API BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
  if (hLibModule && (hLibModule == ProcessImage().base || hLibModule == HostLibrary().base)) return TRUE;
  Loader& l = TheLoader();
  std::lock_guard guard(l.lock);
  Module* m = FindByHandle(l, hLibModule);
  if (!m) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  if (--m->refs > 0) return TRUE;
  if (m->entry) m->entry(m->handle, DLL_PROCESS_DETACH, nullptr);
  Module doomed = l.modules[Key(hLibModule)];
  l.modules.erase(Key(hLibModule));
  CloseObject(doomed);
  return TRUE;
}

WIN32_API FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  if (LDR_IS_RESOURCE(hModule)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  HMODULE base = hModule ? hModule : ProcessImage().base;
  void* dl = ModuleLoaderHandle(base);
  if (!dl) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  if (!lpProcName || IS_INTRESOURCE(lpProcName)) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  void* sym = dlsym(dl, lpProcName);
  // Only the module's own exports: dlsym also sees the objects the module depends on.
  if (!OwnedBy(sym, base)) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(sym);
}

WIN32_API HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName) {
  if (!lpModuleName) return ProcessImage().base;
  std::u16string name = WithExtension(std::u16string(WideView(lpModuleName)));
  const bool byPath = HasSeparator(name);
  if (!byPath && IsHostModuleName(name)) return HostLibrary().base;
  Loader& l = TheLoader();
  std::lock_guard guard(l.lock);
  if (byPath) {
    auto parsed = ParseWinPath(name, nullptr);
    if (parsed) name = parsed->Text();
  }
  if (Module* m = FindLoaded(l, name, byPath, false)) return m->handle;
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

WIN32_API HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
  if (!lpModuleName) return GetModuleHandleW(nullptr);
  std::u16string name = FromAnsi(lpModuleName);
  return GetModuleHandleW(name.c_str());
}

WIN32_API DWORD WINAPI GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
  std::u16string path;
  if (!ModuleFileName(hModule, path)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  if (path.size() >= nSize) {
    // Cut to the buffer, terminator included.
    if (nSize) {
      std::memcpy(lpFilename, path.data(), (nSize - 1) * sizeof(WCHAR));
      lpFilename[nSize - 1] = 0;
    }
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
  }
  std::memcpy(lpFilename, path.c_str(), (path.size() + 1) * sizeof(WCHAR));
  return static_cast<DWORD>(path.size());
}

WIN32_API DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
  std::u16string path;
  if (!ModuleFileName(hModule, path)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  std::string bytes;
  WideToAnsi(CP_ACP, path, bytes);
  if (bytes.size() >= nSize) {
    if (nSize) {
      size_t keep = CharacterBoundary(ResolveCodePage(CP_ACP), bytes, nSize - 1);
      std::memcpy(lpFilename, bytes.data(), keep);
      lpFilename[keep] = 0;
    }
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
  }
  std::memcpy(lpFilename, bytes.c_str(), bytes.size() + 1);
  return static_cast<DWORD>(bytes.size());
}

WIN32_API BOOL WINAPI DisableThreadLibraryCalls(HMODULE hLibModule) {
  Loader& l = TheLoader();
  std::lock_guard guard(l.lock);
  Module* m = FindByHandle(l, hLibModule);
  if (!m || m->asData) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  m->threadCallsDisabled = true;
  return TRUE;
}
