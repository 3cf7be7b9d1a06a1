// The user quality list.
#include "quality_list.h"

// not built yet: writes the empty text; answers 0.
int CfgQualityKey(WCHAR* out, int) {
  if (out) out[0] = 0;
  return 0;
}

// not built yet: loads nothing; answers 0.
int CfgLoadQualityName(DriverContext*, const WCHAR*) { return 0; }
