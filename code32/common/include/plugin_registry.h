// The plug-ins that other products of the maker register for the driver, by category: in the
// machine's registry (HKEY_LOCAL_MACHINE "Software\ORVEX\ZoltPlugins\<category>\<identifier>",
// values "Name", "InstallPath", "ForceRAW", "PerPrinter") and in the plug-in list file
// "ZOLTPLUG.ini" of the driver directory ([<category>] "Count" and "PluginID0".., then one
// section per identifier with the same four keys, "InstallPath" relative to the driver
// directory). A lookup returns every plug-in of the category, the registry's first; an
// identifier in both places is the registry's.
#pragma once

#include <cstdint>

#include "win32/windows.h"

inline constexpr char kPluginRegistryKey[] = "Software\\ORVEX\\ZoltPlugins";
inline constexpr char kPluginListFileName[] = "ZOLTPLUG.ini";
// The category of the graphics module's output filters.
inline constexpr char kPluginCategoryOutputFilter[] = "iZOLTFilter";

// Longest identifier, name and path taken (characters); registry texts are taken when their
// stored size is below kPluginRegistryTextBytes bytes.
constexpr int kPluginTextChars = 250;
constexpr DWORD kPluginRegistryTextBytes = 252;

// One plug-in. Every text is ANSI and a separate allocation of the entry's own.
struct PluginEntry {
  char* identifier;
  char* name;         // NULL when missing or too long
  char* installPath;  // full path of the library; NULL when missing or too long
  int32_t forceRaw;
  int32_t perPrinter;
};

struct PluginList {
  uint32_t count;
  PluginEntry** entries;  // count pointers, no gaps
};

// The plug-ins of a category (driverDirectory without its final backslash); NULL when there
// are none or memory ran out. Free with PlgFreeList.
PluginList* PlgEnumCategory(const char* category, const char* driverDirectory);
// Frees the list, its array, every entry and every text. NULL is allowed. Always 1.
int PlgFreeList(PluginList* list);


// A list of ANSI names: count slots, each a separate allocation or NULL (the graphics module
// hands the paths of its output plug-ins to an interface module in one).
struct PluginIdList {
  uint32_t count;
  char** names;
};
// Frees every name, the array and the list. NULL is allowed. Always 1.
int PlgFreeIdList(PluginIdList* list);
