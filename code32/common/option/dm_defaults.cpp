// Device-mode defaults: the settings image built from the model and the stored default
// device mode.
#include "context_services.h"
#include "model_query.h"
#include "option_access.h"
#include "option_validation.h"

// The settings image and its defaults are not built yet: no image can be made.
SettingsImage* DmBuildDefaults(DriverContext*, WORD) { return nullptr; }

int OptResetToModelDefault(DriverContext* ctx, OptionEntry* row) {
  if (!ctx || !row) return 0;
  return OptWriteUiValue(ctx, row, MdlGetItemDefault(row->id, ctx));
}
