// Device-mode defaults: the settings image built from the model and the stored default
// device mode.
#include "context_services.h"

// The settings image and its defaults are not built yet: no image can be made.
SettingsImage* DmBuildDefaults(DriverContext*, WORD) { return nullptr; }
