// Placeholders until h20-free-size lands: they answer "nothing".
#include "pending_h24-dialogs-caps.h"

// Placeholder until h20-free-size lands.
int CfgLoadAllFreeSizes(DriverContext*) { return 0; }
// Placeholder until h20-free-size lands.
int CfgCaptureCustomPaper(DriverContext*, WORD, int) { return 0; }
// Placeholder until h20-free-size lands.
int CfgPaperToSlot(WORD, DriverContext*) { return 0; }
