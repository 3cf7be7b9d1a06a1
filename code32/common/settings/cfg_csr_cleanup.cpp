// Leftovers of client-side-rendering connections: marked sections of the settings, preset and
// installation files, marked values under the job-code registry keys, a printer's own job-code
// values; and the one-time move of a user's settings out of the LocalLow folder.
#include "csr_cleanup.h"

#include <string>
#include <vector>

#include "admin_install.h"
#include "core_memory.h"
#include "env_language.h"
#include "env_mutex.h"
#include "env_system.h"
#include "env_text.h"
#include "ini_file.h"
#include "path_files.h"
#include "prn_data.h"
#include "settings_paths.h"
#include "user_code.h"

namespace {

inline constexpr WCHAR kJobCodeRoot[] = u"SOFTWARE\\ORVEX\\JOBCODE\\";
constexpr const WCHAR* kUserJobCodeKeys[] = {u"JCBillingCode", u"JCDocBoxPassword", u"JCInfo1",  u"JCJobID",
                                             u"JCOwnerID",     u"JCPrintPassword",  u"JCUserID", u"JCUserName"};
constexpr const WCHAR* kMachineJobCodeKeys[] = {u"JCDriverLanguage", u"JCDriverPDL", u"JCDriverVersion"};

inline constexpr WCHAR kCommonSection[] = u"COMMON";
inline constexpr WCHAR kCsrDoneKey[] = u"CSRIniCorrectDone";
inline constexpr WCHAR kLocalLowDoneKey[] = u"LocalLowCorrectDone";

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

bool SameText(const std::u16string& a, const std::u16string& b) { return lstrcmpiW(a.c_str(), b.c_str()) == 0; }

std::u16string ReadKey(const WCHAR* section, const WCHAR* key, const std::u16string& file, int chars = MAX_PATH) {
  std::vector<WCHAR> value(static_cast<size_t>(chars), u'\0');
  IniReadString(section, key, u"", value.data(), chars, file.c_str());
  return value.data();
}

// The printer's information, fetched when the caller gave none, freed with the holder.
struct PrinterInfo {
  PrinterInfo(HANDLE printer, PRINTER_INFO_2W* given) : info(given) {
    if (!info && printer) owned = info = static_cast<PRINTER_INFO_2W*>(PrnGetPrinterInfo(printer, 2));
  }
  ~PrinterInfo() { MdlFreeMem(owned); }
  PrinterInfo(const PrinterInfo&) = delete;
  PrinterInfo& operator=(const PrinterInfo&) = delete;
  PRINTER_INFO_2W* info = nullptr;
  PRINTER_INFO_2W* owned = nullptr;
};

int PurgeKeys(HKEY root, std::initializer_list<const WCHAR*> names) {
  for (const WCHAR* name : names) {
    const std::u16string key = std::u16string(kJobCodeRoot) + name;
    HKEY probe = nullptr;
    const LONG opened = RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &probe);
    if (opened == ERROR_SUCCESS) RegCloseKey(probe);
    if (opened == ERROR_FILE_NOT_FOUND) continue;  // nothing was ever written there
    if (!RegPurgeCsrValues(key.c_str(), root)) break;
  }
  return 0;
}

int DeleteValues(HKEY root, std::initializer_list<const WCHAR*> names, const WCHAR* valueName) {
  if (!valueName) return 0;
  for (const WCHAR* name : names) RegDeleteValueOf((std::u16string(kJobCodeRoot) + name).c_str(), root, valueName);
  return 1;
}

}  // namespace

// ---- recognising the connection -----------------------------------------------------------------

int PrnIsCsrConnection(HANDLE, const PRINTER_INFO_2W* pi2) {
  if (!EnvIsVistaOrLater() || !pi2 || !pi2->pPrinterName) return 0;
  WCHAR head[kCsrMarkerBytes + 1] = {};
  lstrcpynW(head, pi2->pPrinterName, kCsrMarkerBytes + 1);
  return lstrcmpiW(head, u"\\\\CSR|") == 0 ? 1 : 0;
}

int PrnLacksDsPrinterName(HANDLE printer) {
  if (!EnvIsVistaOrLater()) return 0;
  BYTE buffer[260] = {};
  DWORD type = 0, needed = 0;
  return GetPrinterDataExW(printer, u"DsSpooler", u"printerName", &type, buffer, sizeof buffer, &needed) ==
                 ERROR_SUCCESS
             ? 0
             : 1;
}

// ---- files --------------------------------------------------------------------------------------

bool IniStripCsrText(std::string_view text, std::string& out) {
  out.clear();
  out.reserve(text.size());
  bool changed = false;
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && text[i] != '\0') {
    const auto c = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(c)) {
      out.push_back(text[i++]);
      if (i < n && text[i] != '\0') out.push_back(text[i++]);
      continue;
    }
    if (c == '[' && text.substr(i + 1, kCsrMarkerBytes) == std::string_view(kCsrMarker, kCsrMarkerBytes)) {
      changed = true;
      ++i;
      while (i < n && text[i] != '\0' && text[i] != '[') {
        if (IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < n && text[i + 1] != '\0') ++i;
        ++i;
      }
      continue;
    }
    out.push_back(text[i++]);
  }
  return changed;
}

int IniStripCsrSections(const WCHAR* path) {
  if (!path) return 0;
  HANDLE file = CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  const DWORD size = GetFileSize(file, nullptr);
  if (size == INVALID_FILE_SIZE) {
    CloseHandle(file);
    return 0;
  }
  std::string bytes(static_cast<size_t>(size) + 1, '\0');
  DWORD read = 0;
  const BOOL ok = size == 0 || ReadFile(file, bytes.data(), size, &read, nullptr);
  CloseHandle(file);
  if (!ok) return 0;
  bytes.resize(read);
  std::string kept;
  if (!IniStripCsrText(bytes, kept)) return 1;
  HANDLE out = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return 0;
  DWORD written = 0;
  const BOOL done = kept.empty() || WriteFile(out, kept.data(), static_cast<DWORD>(kept.size()), &written, nullptr);
  CloseHandle(out);
  return done && written == kept.size() ? 1 : 0;
}

int CfgNeedsCsrCorrection(HANDLE printer, const PRINTER_INFO_2W* pi2, short perUser) {
  WCHAR settings[MAX_PATH] = {};
  if (!PathGetSettingsIniOfInfo(settings, MAX_PATH, perUser, printer, pi2) || !settings[0]) return 1;
  if (GetFileAttributesW(settings) == INVALID_FILE_ATTRIBUTES) return 0;
  return ReadKey(kCommonSection, kCsrDoneKey, settings, 16).empty() ? 2 : 0;
}

int CfgPurgeCsrSettingsFiles(HANDLE printer, const PRINTER_INFO_2W* pi2, short perUser, int mark) {
  WCHAR settings[MAX_PATH] = {};
  if (!PathGetSettingsIniOfInfo(settings, MAX_PATH, perUser, printer, pi2) || !settings[0]) return 1;
  if (!IniStripCsrSections(settings)) return 0;
  const std::u16string folder = PathFolderPart(settings);
  const std::u16string pattern = folder + u"\\" + PathFilePart(settings).substr(0, 4) + u"*.rsr";
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW(pattern.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return 0;  // no installed preset: the mark stays as it was
  bool all = true;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (!IniStripCsrSections((folder + u"\\" + found.cFileName).c_str())) all = false;
  } while (FindNextFileW(find, &found));
  FindClose(find);
  if (all) IniWriteString(kCommonSection, kCsrDoneKey, mark ? u"1" : nullptr, settings);
  return 0;
}

int CfgPurgeCsrInstallFiles(HANDLE printer, const PRINTER_INFO_2W* pi2, short system) {
  WCHAR path[MAX_PATH] = {};
  if (system == 1) {
    if (!PathGetAdminIniInto(path, MAX_PATH)) return 1;
  } else {
    WCHAR folder[MAX_PATH] = {};
    if (PathGetSettingsDirOfInfo(folder, MAX_PATH, printer, pi2) <= 0) return 1;
    const std::u16string joined = std::u16string(folder) + u"\\" + kUserCodeIniName;
    if (joined.size() >= MAX_PATH) return 1;
    lstrcpynW(path, joined.c_str(), MAX_PATH);
  }
  if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) IniStripCsrSections(path);
  return 0;
}

// ---- the registry -------------------------------------------------------------------------------

int RegPurgeCsrValues(const WCHAR* subKey, HKEY root) {
  HKEY key = nullptr;
  if (!subKey || RegOpenKeyExW(root, subKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return 0;
  DWORD longest = 0;
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest, nullptr, nullptr,
                   nullptr);
  std::vector<WCHAR> name(static_cast<size_t>(longest) + 2, u'\0');
  for (DWORD index = 0;;) {
    DWORD length = static_cast<DWORD>(name.size());
    const LONG status = RegEnumValueW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_MORE_DATA) {
      name.assign(name.size() * 2, u'\0');
      continue;
    }
    if (status != ERROR_SUCCESS) break;  // ERROR_NO_MORE_ITEMS ends the walk
    const std::u16string_view text(name.data(), length < name.size() ? length : name.size());
    char ansi[kCsrMarkerBytes * 2 + 2] = {};
    EnvWideToAnsiBytes(text.substr(0, kCsrMarkerBytes), ansi, kCsrMarkerBytes);
    if (std::string_view(ansi, kCsrMarkerBytes) == std::string_view(kCsrMarker, kCsrMarkerBytes)) {
      const std::u16string owned(text);
      if (RegDeleteValueW(key, owned.c_str()) != ERROR_SUCCESS) break;
      index = 0;  // the indexes moved: start again
      continue;
    }
    ++index;
  }
  RegCloseKey(key);
  return 1;
}

int RegPurgeCsrUserJobCodes() {
  return PurgeKeys(HKEY_CURRENT_USER, {kUserJobCodeKeys[0], kUserJobCodeKeys[1], kUserJobCodeKeys[2],
                                       kUserJobCodeKeys[3], kUserJobCodeKeys[4], kUserJobCodeKeys[5],
                                       kUserJobCodeKeys[6], kUserJobCodeKeys[7]});
}

int RegPurgeCsrMachineJobCodes() {
  return PurgeKeys(HKEY_LOCAL_MACHINE, {kMachineJobCodeKeys[0], kMachineJobCodeKeys[1], kMachineJobCodeKeys[2]});
}

int RegDeleteValueOf(const WCHAR* subKey, HKEY root, const WCHAR* valueName) {
  HKEY key = nullptr;
  if (!subKey || !valueName || RegOpenKeyExW(root, subKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return 0;
  const LONG status = RegDeleteValueW(key, valueName);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? 1 : 0;
}

int RegDeleteUserJobCodes(const WCHAR* valueName) {
  return DeleteValues(HKEY_CURRENT_USER,
                      {kUserJobCodeKeys[0], kUserJobCodeKeys[1], kUserJobCodeKeys[2], kUserJobCodeKeys[3],
                       kUserJobCodeKeys[4], kUserJobCodeKeys[5], kUserJobCodeKeys[6], kUserJobCodeKeys[7]},
                      valueName);
}

int RegDeleteMachineJobCodes(const WCHAR* valueName) {
  return DeleteValues(HKEY_LOCAL_MACHINE, {kMachineJobCodeKeys[0], kMachineJobCodeKeys[1], kMachineJobCodeKeys[2]},
                      valueName);
}

// ---- the events ---------------------------------------------------------------------------------

int CfgPurgeClientEntries(HANDLE printer, PRINTER_INFO_2W* pi2, int mark, DWORD event) {
  if (!printer) return 1;
  if (event > kPurgePrinterJobCodes) return 0;
  PrinterInfo record(printer, pi2);
  if (!record.info) return 1;
  if (event == kPurgePrinterJobCodes) {
    RegDeleteMachineJobCodes(record.info->pPrinterName);
    RegDeleteUserJobCodes(record.info->pPrinterName);
    return 0;
  }
  CfgPurgeCsrSettingsFiles(printer, record.info, 0, mark);
  if (event != kPurgeOnInitialise) CfgPurgeCsrSettingsFiles(printer, record.info, 1, mark);
  if (event != kPurgeOnConnectionAdded) {
    CfgPurgeCsrInstallFiles(printer, record.info, 0);
    CfgPurgeCsrInstallFiles(printer, record.info, 1);
  }
  RegPurgeCsrMachineJobCodes();
  if (event != kPurgeOnInitialise) RegPurgeCsrUserJobCodes();
  return 0;
}

int CfgPurgeCsrLeftovers(HANDLE printer, PRINTER_INFO_2W* pi2) {
  EnvLockGlobalMutex(nullptr);
  const int result = CfgPurgeClientEntries(printer, pi2, 1, kPurgeAfterEntryPoint);
  EnvUnlockGlobalMutex(nullptr);
  return result;
}

int RegDeletePrinterJobCodes(HANDLE printer, PRINTER_INFO_2W* pi2) {
  return CfgPurgeClientEntries(printer, pi2, 0, kPurgePrinterJobCodes);
}

// ---- the LocalLow move --------------------------------------------------------------------------

int CfgCorrectLocalLowIni(HANDLE printer, const PRINTER_INFO_2W* pi2) {
  WCHAR user[MAX_PATH] = {}, section[kCtxPathChars] = {};
  if (!PathGetSettingsIniOfInfo(user, MAX_PATH, 1, printer, pi2) || !user[0]) return 0;
  if (!(pi2 ? PrnNameFromInfo(printer, section, kCtxPathChars, pi2) : PrnGetNameOf(printer, section, kCtxPathChars)))
    return 0;
  const std::u16string U = user, D = PathFolderPart(U), P = section;
  const std::u16string lang = EnvGetPrinterLanguageCodeOf(printer);
  const bool printerNeeded = IniReadInt(P.c_str(), kLocalLowDoneKey, 0, U.c_str()) == 0;
  const bool langNeeded = IniReadInt(lang.c_str(), kLocalLowDoneKey, 0, U.c_str()) == 0;
  if (!printerNeeded && !langNeeded) return 1;

  PathEnsureDir(D.c_str());
  WCHAR localLow[MAX_PATH] = {};
  if (PathGetLocalLowDir(localLow, MAX_PATH) && localLow[0]) {
    const std::u16string L = std::u16string(localLow) + u"\\" + kSettingsFolderWord;
    const WCHAR* settingsName = CtxGetTemplate()->profile ? CtxGetTemplate()->profile->settingsFileName : nullptr;
    const std::u16string O = L + u"\\" + (settingsName ? settingsName : u"");
    const bool printerMoved = printerNeeded && IniCopySection(O.c_str(), P.c_str(), U.c_str(), P.c_str());
    const bool langMoved = langNeeded && IniCopySection(O.c_str(), lang.c_str(), U.c_str(), lang.c_str());

    // Moves a list entry's file out of the LocalLow folder: key := D + file name, sections copied.
    auto moveEntry = [&](const WCHAR* key, std::initializer_list<const WCHAR*> sections) {
      const std::u16string old = ReadKey(P.c_str(), key, U);
      if (old.empty() || !SameText(PathFolderPart(old), L)) return;
      const std::u16string moved = D + u"\\" + PathFilePart(old);
      IniWriteString(P.c_str(), key, moved.c_str(), U.c_str());
      for (const WCHAR* s : sections) {
        const WCHAR* name = s ? s : P.c_str();
        IniCopySection(old.c_str(), name, moved.c_str(), name);
      }
    };
    if (printerMoved) {
      const int presets = static_cast<int>(IniReadInt(P.c_str(), u"Count", 0, O.c_str()));
      for (int i = 0; i < presets && i < 0xFFFF; ++i) {
        WCHAR key[32];
        wsprintfW(key, u"PresetList%d", i);
        moveEntry(key, {nullptr, u"disable", u"condition"});
      }
      const int qualities = static_cast<int>(IniReadInt(P.c_str(), u"QualityCount", 0, O.c_str()));
      for (int i = 0; i < qualities && i < 0xFFFF; ++i) {
        WCHAR key[32];
        wsprintfW(key, u"QualityList%d", i);
        moveEntry(key, {nullptr, u"disable"});
      }
      for (const WCHAR* key : {u"DrvDefJobMergePath", u"DrvDefPreviewPath"}) {
        const std::u16string value = ReadKey(P.c_str(), key, U);
        if (!value.empty() && SameText(PathFolderPart(value), L))
          IniWriteString(P.c_str(), key, (D + u"\\" + PathFilePart(value)).c_str(), U.c_str());
      }
    }
    if (langMoved) {
      IniCopySection(O.c_str(), u"PrinterInformation", U.c_str(), u"PrinterInformation");
      struct Kind {
        const WCHAR* stem;
        const WCHAR* countKey;
      };
      for (const Kind& kind : {Kind{u"Stamp", u"StampCount"}, Kind{u"FreeSize", u"FreeSizeCount"},
                               Kind{u"ColorMatching", u"CmmCount"}}) {
        const int count = static_cast<int>(IniReadInt(lang.c_str(), kind.countKey, 0, O.c_str()));
        for (int n = 0; n < count && n < 0xFFFF; ++n) {
          WCHAR name[96];
          wsprintfW(name, u"%s%d%s", kind.stem, n, lang.c_str());
          IniCopySection(O.c_str(), name, U.c_str(), name);
        }
      }
      const std::u16string scenario = ReadKey(P.c_str(), kAdminDefaultRstKey, U);
      if (!scenario.empty()) {
        for (const auto& [countKey, format] : {std::pair{u"NumDeficonfiles", u"Deficonfiles%u"},
                                               std::pair{u"NumDefqualityfiles", u"Defqualityfiles%u"}}) {
          const UINT count = IniReadInt(lang.c_str(), countKey, 0, scenario.c_str());
          for (UINT u = 1; u <= count && u <= 0xFFFE; ++u) {
            WCHAR key[32];
            wsprintfW(key, format, u);
            const std::u16string value = ReadKey(lang.c_str(), key, scenario);
            if (value.find(u"%sysdir%") == std::u16string::npos) continue;
            const std::u16string rest = value.substr(value.rfind(u'%') + 1);
            CopyFileW((L + u"\\" + rest).c_str(), (D + u"\\" + rest).c_str(), FALSE);
          }
        }
      }
    }
  }
  if (printerNeeded) IniWriteString(P.c_str(), kLocalLowDoneKey, u"1", U.c_str());
  if (langNeeded) IniWriteString(lang.c_str(), kLocalLowDoneKey, u"1", U.c_str());
  return 1;
}
