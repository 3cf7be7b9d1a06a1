// The driver profile of the model family, its list of supported models, the context template
// and the profile's accessors.
#include <string_view>

#include "driver_context.h"

namespace {

const SupportedModel kSupportedModels[] = {
    {u"ZOLT Office 7000 Series", 0, 0, 0},
    {u"ZOLT Office 7500 Series", 0, 0, 0},
    {u"ZOLT Office 2100 Series", 0, 0, 0},
    {u"ZOLT Office 2500 Series", 0, 0, 0},
};

const SupportedModelList kSupportedModelList = {sizeof kSupportedModels / sizeof kSupportedModels[0],
                                                kSupportedModels};

const DriverProfile kDriverProfile = {
    0x401,                   // dmSpecVersion
    0x400,                   // driver version
    u"QVF9D170.ini",         // settings file
    u"QVF9C123.DLL",         // user-mode module
    0x7f03,                  // default dmFields
    9999,                    // maximum copies
    1,
    4,
    90,                      // landscape angle
    600,                     // resolution
    0,
    1, 9, 0, 0, 100, 1, 7, 600, 1, 1, 600, 3, 0,  // orientation ... collate
    u"A4",
    1, 1, 1, 1,              // ICM method, ICM intent, media type, dither type
    1, 1000,                 // scale range
    1, 9999,                 // copies range
    {'p', 'r', 'i', 'v'},    // device-mode identity
    0,
    335,                     // settings version
    23,                      // model code
    0,                       // model variant
    600, 600,                // reset resolutions
    {0, 0, 0, 9, 0, 0},      // reset bytes
    {16, 32},
    {u"01.00", u"01.00"},    // version strings of the private header
    u"JP",                   // default driver name
    u"",
    u"QVF9D172.ini",         // driver defaults file
    u"QV00C140.dll",         // companion library
    u"zoltexc.DLL",          // settings module
    nullptr,
    u"Q411dat.dll",          // model data library
    u"",
    u"7.70",                 // driver version string
    335,                     // stored-settings version
    3306, 14030, 6992, 20408,  // paper extents
    u"QVINSTPR.INI",         // installation list
    &kSupportedModelList,
    1,
    0,                       // feature word before Windows 2000
    1,                       // feature word: HTML help
    1,
};

const ContextWorkArea kZeroWorkArea{};

}  // namespace

const ContextTemplate* CtxGetTemplate() {
  // Built on first use: the row count lives in the table's own file.
  static const OptionDescriptorTable kStaticOptionTable = {kOptionRowCount, kOptionRows};
  static const ContextTemplate kTemplate = {
      nullptr,          nullptr,         0,        &kStaticOptionTable, &kDialogTable,
      &kNameTable,      &kValueNameTable1, &kValueNameTable2, &kMessageTable,  &kDriverProfile,
      nullptr,          nullptr,         &kZeroWorkArea, nullptr,       nullptr,
  };
  return &kTemplate;
}

namespace {
const DriverProfile* ProfileOf(const DriverContext* ctx) {
  return ctx && ctx->profile ? ctx->profile : CtxGetTemplate()->profile;
}
}  // namespace

const SupportedModel* CtxFindModelEntry(const DriverContext* ctx, const WCHAR* driverName) {
  const SupportedModelList* list = ProfileOf(ctx)->supportedModels;
  if (!list || !driverName) return nullptr;
  for (DWORD i = 0; i < list->count; ++i) {
    const WCHAR* name = list->rows[i].modelName;
    if (name && std::u16string_view(name) == std::u16string_view(driverName)) return &list->rows[i];
  }
  return nullptr;
}

const SupportedModel* CtxGetSupportedModel(const DriverContext* ctx, int index) {
  const SupportedModelList* list = ProfileOf(ctx)->supportedModels;
  if (!list || index < 0 || static_cast<DWORD>(index) >= list->count) return nullptr;
  return &list->rows[index];
}

int CtxGetSupportedModelCount(const DriverContext* ctx) {
  const SupportedModelList* list = ProfileOf(ctx)->supportedModels;
  return list ? static_cast<int>(list->count) : 0;
}

int CtxHasModelCapability(const DriverContext* ctx, DWORD mask) {
  return ctx && ctx->workArea && (ctx->workArea->modelCapability & mask) ? 1 : 0;
}

int CtxGetLandscapeAngle(const DriverContext* ctx) { return static_cast<int>(ProfileOf(ctx)->landscapeAngle); }
