// Model loading and the process-wide cache of loaded model images.
#include "context_services.h"

// The model compiler, the compiled cache file and the image cache are not built yet, so no
// model image can be had: contexts that need one cannot be created.
ModelImage* MdlLoad(DriverContext*) { return nullptr; }
