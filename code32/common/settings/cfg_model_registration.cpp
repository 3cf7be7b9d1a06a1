// The model's entry in the machine-wide model database, kept in step with the install list,
// and the installation programs that printer set-up runs.
#include "model_registration.h"

#include <atomic>
#include <string>

#include "ini_file.h"
#include "settings_paths.h"
#include "settings_section.h"

namespace {

constexpr WCHAR kModelsSection[] = u"Models";
constexpr WCHAR kExpandFileSection[] = u"Expand File";
constexpr WCHAR kLoadDllKey[] = u"LoadDll";
constexpr WCHAR kResDllKey[] = u"ResDll";
constexpr WCHAR kVersionKey[] = u"Version";
constexpr WCHAR kLoadDll32Key[] = u"LoadDll32";
constexpr WCHAR kVersion32Key[] = u"Version32";

// The files registration reads and writes, copied aside so that no later call moves them.
struct RegistrationFiles {
  WCHAR driverIni[kCtxPathChars] = {};
  WCHAR installList[kCtxPathChars] = {};
  WCHAR database[kCtxPathChars] = {};
  const WCHAR* driverName = nullptr;
  const WCHAR* resourceLibrary = nullptr;  // the profile's resource-data library, or NULL when empty
  bool ok = false;
};

RegistrationFiles OpenFiles(DriverContext* ctx) {
  RegistrationFiles f;
  if (!ctx || !ctx->workArea || !ctx->profile) return f;
  f.driverName = PrnGetDriverName(ctx);
  const WCHAR* library = ctx->profile->modelDataLibraryName;
  f.resourceLibrary = library && library[0] ? library : nullptr;
  f.ok = f.driverName && f.driverName[0] && CfgCopyPathText(PathGetDriverIni(ctx), f.driverIni);
  // The install list and the database may be missing: their values then read as empty texts.
  CfgCopyPathText(PathGetInstallListIni(ctx), f.installList);
  if (!PathInWindowsDir(f.database, kCtxPathChars, kModelDatabaseName)) f.database[0] = u'\0';
  return f;
}

// A value of a file that may be missing: empty when it cannot be read.
void ReadText(const WCHAR* file, const WCHAR* section, const WCHAR* key, WCHAR* out, int size) {
  out[0] = u'\0';
  if (file && file[0] && section && section[0]) IniReadString(section, key, u"", out, size, file);
}

// The model name of section (32 characters, leading blanks skipped) into out; false when empty.
bool ReadModelName(const RegistrationFiles& f, const WCHAR* section, WCHAR (&out)[kCtxModelNameChars]) {
  WCHAR raw[kCtxModelNameChars];
  ReadText(f.driverIni, section, f.driverName, raw, kCtxModelNameChars);
  lstrcpynW(out, PathSkipBlanks(raw), kCtxModelNameChars);
  return out[0] != u'\0';
}

// Section "Models<n>".
std::u16string NumberedSection(int n) {
  const std::string digits = std::to_string(n);
  std::u16string section(kModelsSection);
  section.append(digits.begin(), digits.end());
  return section;
}

// Calls op(model) for every numbered model, in order, until it answers false. The number of
// models visited.
template <class Op>
int ForEachNumberedModel(const RegistrationFiles& f, Op op) {
  int visited = 0;
  for (int n = 1;; ++n) {
    WCHAR model[kCtxModelNameChars];
    if (!ReadModelName(f, NumberedSection(n).c_str(), model)) break;
    ++visited;
    if (!op(model)) break;
  }
  return visited;
}

// What the install list says "LoadDll" and "Version" of the model should hold.
struct InstallListEntry {
  WCHAR loadDll32[MAX_PATH];
  WCHAR version32[MAX_PATH];
};
InstallListEntry ReadInstallList(const RegistrationFiles& f, const WCHAR* model) {
  InstallListEntry e;
  ReadText(f.installList, model, kLoadDll32Key, e.loadDll32, MAX_PATH);
  ReadText(f.installList, model, kVersion32Key, e.version32, MAX_PATH);
  return e;
}

// Writes the non-empty values into [model] of the database; false when a write failed.
bool WriteDatabase(const RegistrationFiles& f, const WCHAR* model, const WCHAR* loadDll, const WCHAR* resDll,
                   const WCHAR* version) {
  if (!f.database[0]) return false;
  bool ok = true;
  const std::pair<const WCHAR*, const WCHAR*> values[] = {
      {kLoadDllKey, loadDll}, {kResDllKey, resDll}, {kVersionKey, version}};
  for (const auto& [key, value] : values) {
    if (value && value[0] && !IniWriteString(model, key, value, f.database)) ok = false;
  }
  return ok;
}

// True when the database entry of model differs from what registration writes.
bool DatabaseDiffers(const RegistrationFiles& f, const WCHAR* model) {
  const InstallListEntry wanted = ReadInstallList(f, model);
  WCHAR loadDll[MAX_PATH], resDll[MAX_PATH], version[MAX_PATH];
  ReadText(f.database, model, kLoadDllKey, loadDll, MAX_PATH);
  ReadText(f.database, model, kResDllKey, resDll, MAX_PATH);
  ReadText(f.database, model, kVersionKey, version, MAX_PATH);
  return lstrcmpiW(wanted.loadDll32, loadDll) != 0 || lstrcmpiW(f.resourceLibrary, resDll) != 0 ||
         lstrcmpiW(wanted.version32, version) != 0;
}

// The wait for each installation program; 0 means the default.
std::atomic<DWORD> g_programWait{0};

DWORD ProgramWait() {
  const DWORD wait = g_programWait.load();
  return wait ? wait : kInstallProgramWait;
}

// Starts folder-less program name from the driver directory, hidden, in currentDirectory and
// waits for it within the bound.
void RunInstallProgram(const WCHAR* driverDir, const WCHAR* name, const WCHAR* currentDirectory) {
  std::u16string program(driverDir);
  program += name;
  if (program.size() >= MAX_PATH) return;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  WCHAR commandLine[1] = {u'\0'};
  if (!CreateProcessW(program.c_str(), commandLine, nullptr, nullptr, FALSE, 0, nullptr, currentDirectory, &startup,
                      &process))
    return;
  WaitForSingleObject(process.hProcess, ProgramWait());
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

// The count of one list of [Expand File], bounded.
int ProgramCount(const WCHAR* driverIni, const WCHAR* key) {
  const int count = static_cast<int>(IniReadInt(kExpandFileSection, key, 0, driverIni));
  return count < 0 ? 0 : (count > kInstallProgramsMax ? kInstallProgramsMax : count);
}

void RunProgramList(const WCHAR* driverIni, const WCHAR* keyPrefix, int count, const WCHAR* driverDir,
                    const WCHAR* currentDirectory) {
  for (int i = 1; i <= count; ++i) {
    const std::string digits = std::to_string(i);
    std::u16string key(keyPrefix);
    key.append(digits.begin(), digits.end());
    WCHAR name[MAX_PATH];
    ReadText(driverIni, kExpandFileSection, key.c_str(), name, MAX_PATH);
    if (name[0]) RunInstallProgram(driverDir, name, currentDirectory);
  }
}

}  // namespace

WCHAR* PathSkipBlanks(WCHAR* text) {
  if (!text) return nullptr;
  while (*text == u' ') ++text;
  return text;
}

WCHAR* CfgGetModelName(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return nullptr;
  WCHAR* model = ctx->workArea->modelName;
  model[0] = u'\0';
  const RegistrationFiles f = OpenFiles(ctx);
  if (!f.ok) return nullptr;
  ReadText(f.driverIni, kModelsSection, f.driverName, model, kCtxModelNameChars);
  return model[0] ? model : nullptr;
}

int CfgRegisterNumberedModels(DriverContext* ctx) {
  const RegistrationFiles f = OpenFiles(ctx);
  if (!f.ok) return 0;
  bool writesOk = true;
  const int models = ForEachNumberedModel(f, [&](const WCHAR* model) {
    if (!f.resourceLibrary) return true;
    const InstallListEntry e = ReadInstallList(f, model);
    WCHAR resDll[MAX_PATH];
    ReadText(f.driverIni, model, kResDllKey, resDll, MAX_PATH);
    if (!WriteDatabase(f, model, e.loadDll32, resDll, e.version32)) writesOk = false;
    return true;
  });
  return models > 0 && writesOk ? 1 : 0;
}

int CfgRegisterModel(DriverContext* ctx) {
  const RegistrationFiles f = OpenFiles(ctx);
  if (!f.ok) return 0;
  WCHAR first[kCtxModelNameChars];
  if (ReadModelName(f, NumberedSection(1).c_str(), first)) return CfgRegisterNumberedModels(ctx);
  const WCHAR* name = CfgGetModelName(ctx);
  if (!name) return 0;
  WCHAR model[kCtxModelNameChars];
  lstrcpynW(model, PathSkipBlanks(const_cast<WCHAR*>(name)), kCtxModelNameChars);
  if (!model[0]) return 0;
  if (!f.resourceLibrary) return 1;
  const InstallListEntry e = ReadInstallList(f, model);
  return WriteDatabase(f, model, e.loadDll32, f.resourceLibrary, e.version32) ? 1 : 0;
}

int CfgCheckNumberedModels(DriverContext* ctx) {
  const RegistrationFiles f = OpenFiles(ctx);
  if (!f.ok) return 0;
  bool stale = false;
  const int models = ForEachNumberedModel(f, [&](const WCHAR* model) {
    stale = f.resourceLibrary && DatabaseDiffers(f, model);
    return !stale;  // one stale entry is enough: registration rewrites them all
  });
  if (models == 0) return 0;
  if (stale) CfgRegisterModel(ctx);
  return 1;
}

int CfgCheckModelDbEntry(DriverContext* ctx) {
  if (CfgCheckNumberedModels(ctx)) return 1;
  const RegistrationFiles f = OpenFiles(ctx);
  const WCHAR* name = f.ok ? CfgGetModelName(ctx) : nullptr;
  if (!name) return 0;
  WCHAR model[kCtxModelNameChars];
  lstrcpynW(model, PathSkipBlanks(const_cast<WCHAR*>(name)), kCtxModelNameChars);
  if (!model[0]) return 0;
  if (f.resourceLibrary && DatabaseDiffers(f, model)) CfgRegisterModel(ctx);
  return 1;
}

int CfgReadInstallListEntry(WCHAR* loadDll32, int loadDll32Size, WCHAR* version32, int version32Size,
                            DriverContext* ctx) {
  if (!loadDll32 || !version32 || loadDll32Size <= 0 || version32Size <= 0) return 0;
  loadDll32[0] = version32[0] = u'\0';
  const RegistrationFiles f = OpenFiles(ctx);
  WCHAR* name = f.ok ? CfgGetModelName(ctx) : nullptr;
  if (!name) return 0;
  const WCHAR* model = PathSkipBlanks(name);
  ReadText(f.installList, model, kLoadDll32Key, loadDll32, loadDll32Size);
  ReadText(f.installList, model, kVersion32Key, version32, version32Size);
  return 1;
}

int CfgReadModelDbEntry(WCHAR* loadDll, int loadDllSize, WCHAR* resDll, int resDllSize, WCHAR* version,
                        int versionSize, const WCHAR* dbPath, DriverContext* ctx) {
  if (!loadDll || !resDll || !version || loadDllSize <= 0 || resDllSize <= 0 || versionSize <= 0) return 0;
  loadDll[0] = resDll[0] = version[0] = u'\0';
  const RegistrationFiles f = OpenFiles(ctx);
  WCHAR* name = f.ok ? CfgGetModelName(ctx) : nullptr;
  if (!name) return 0;
  const WCHAR* model = PathSkipBlanks(name);
  ReadText(dbPath, model, kLoadDllKey, loadDll, loadDllSize);
  ReadText(dbPath, model, kResDllKey, resDll, resDllSize);
  ReadText(dbPath, model, kVersionKey, version, versionSize);
  return 1;
}

// ---- installation programs ----------------------------------------------------------------------

DWORD CfgSetInstallProgramWait(DWORD milliseconds) {
  const DWORD previous = g_programWait.exchange(milliseconds);
  return previous ? previous : kInstallProgramWait;
}

void CfgRunExpandFilePrograms(DriverContext* ctx) {
  if (!ctx || !ctx->workArea) return;
  WCHAR driverIni[kCtxPathChars], driverDir[kCtxPathChars], systemDir[kCtxPathChars];
  if (!CfgCopyPathText(PathGetDriverIni(ctx), driverIni)) return;
  const int systemCount = ProgramCount(driverIni, u"SystemDirfiles");
  const int driverCount = ProgramCount(driverIni, u"DriverDirfiles");
  if (systemCount == 0 && driverCount == 0) return;
  if (!CfgCopyPathText(PathGetDriverDir(ctx), driverDir)) return;
  const UINT n = PathGetSystemDir(systemDir, kCtxPathChars, ctx);
  if (n == 0 || n >= static_cast<UINT>(kCtxPathChars)) return;
  RunProgramList(driverIni, u"SystemDir", systemCount, driverDir, systemDir);
  RunProgramList(driverIni, u"DriverDir", driverCount, driverDir, driverDir);
}
