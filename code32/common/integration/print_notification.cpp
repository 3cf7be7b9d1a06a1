// The print-notification capabilities and switches read from the maker's module.
#include "print_notification.h"

#include "env_system.h"
#include "env_text.h"
#include "option_access.h"
#include "settings_paths.h"

namespace {

constexpr uint16_t kOptJobComplete = 532;         // zdmFunc2SelectJobComplete
constexpr uint16_t kOptJobError = 533;            // zdmFunc2SelectJobErr
constexpr uint16_t kOptSupportJobComplete = 564;  // zdmSupportFunc2SelectJobComplete
constexpr uint16_t kOptSupportJobError = 565;     // zdmSupportFunc2SelectJobErr

void SetPair(DriverContext* ctx, uint16_t complete, uint16_t error, DWORD bits) {
  OptSetValue(ctx, complete, (bits & kNotifyJobComplete) ? 1 : 0);
  OptSetValue(ctx, error, (bits & kNotifyJobError) ? 1 : 0);
}

// The module, freed when the reading ends.
class ModuleHold {
 public:
  explicit ModuleHold(const WCHAR* path) : module_(LoadLibraryW(path)) {}
  ~ModuleHold() {
    if (module_) FreeLibrary(module_);
  }
  ModuleHold(const ModuleHold&) = delete;
  ModuleHold& operator=(const ModuleHold&) = delete;
  HMODULE get() const { return module_; }

 private:
  HMODULE module_;
};

}  // namespace

void BidiReadPrintNotification(DriverContext* ctx, DWORD mode) {
  if (!ctx) return;
  WCHAR path[MAX_PATH] = {};
  if (!PathInSystemDir(path, MAX_PATH, kPrintNotificationModule) || !path[0]) {
    SetPair(ctx, kOptSupportJobComplete, kOptSupportJobError, 0);
    return;
  }
  ModuleHold module(path);
  auto capabilityOf = module.get() ? EnvProcAs<QVGetPrintNotificationCapabilityFn>(
                                         GetProcAddress(module.get(), kPrintNotificationCapabilityExport))
                                   : nullptr;
  auto valueOf = module.get() ? EnvProcAs<QVGetPrintNotificationValueFn>(
                                    GetProcAddress(module.get(), kPrintNotificationValueExport))
                              : nullptr;
  char printer[MAX_PATH] = {};
  const WCHAR* name = PrnGetName(ctx);
  EnvWideToAnsi(printer, name ? name : u"", MAX_PATH);
  DWORD capability = 0;
  if (!capabilityOf || !valueOf || capabilityOf(printer, &capability) != 0) {
    SetPair(ctx, kOptSupportJobComplete, kOptSupportJobError, 0);
    return;
  }
  SetPair(ctx, kOptSupportJobComplete, kOptSupportJobError, capability);
  if (mode & kNotifyReadCapabilityOnly) return;
  DWORD value = 0;
  if (valueOf(&value) == 0) SetPair(ctx, kOptJobComplete, kOptJobError, value);
}
