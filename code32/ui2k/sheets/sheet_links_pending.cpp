// Definitions the sheet engine links against until the files that own them arrive in this
// branch; each entry goes when its owner's definition is merged.
#include "sheet_engine.h"
