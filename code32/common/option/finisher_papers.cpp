// The finishers' paper lists, the tray matchers and the paper size classes.
#include "finisher_papers.h"

// not built yet: list membership; no paper is listed, none is excluded.
int OptIsPaperInFinisherList(DriverContext*, int, int16_t) { return 0; }
int OptIsPaperInFinisherListLenient(DriverContext*, int, int16_t) { return 0; }
int OptIsPaperNotExcluded(DriverContext*, int, int16_t) { return 0; }
int OptIsLongPaper(int16_t) { return 0; }

// not built yet: the tray matchers; no tray holds any paper.
int OptTrayHoldsPaper(DriverContext*, WORD, int32_t) { return 0; }
int OptTrayHoldsPaperFed(DriverContext*, WORD, int32_t, int32_t) { return 0; }
int OptSourceHoldsPaperFed(DriverContext*, int32_t, int32_t) { return 0; }
int OptMainTrayHoldsPaperFed(DriverContext*, int32_t, int32_t) { return 0; }
WORD OptGetPaperFeedFlags(DriverContext*, int32_t) { return 0; }
// not built yet: tray contents; no source is known (outputs untouched, the source code back).
int32_t OptGetTrayContents(DriverContext*, WORD source, int16_t*, int32_t*) { return source; }

// not built yet: size classes; no model has a class table.
BYTE OptGetPaperSizeClass(DriverContext*, int32_t) { return 0; }
int OptOutputPaperHasSizeClass(DriverContext*, int) { return 0; }
int OptModelTrayHoldsPaper(DriverContext*, int32_t, int32_t) { return 0; }
int OptModelTrayHoldsSizeClass(DriverContext*, int, int32_t) { return 0; }
// not built yet: bypass use; the bypass tray counts as in use.
int OptIsBypassUnused(DriverContext*) { return 0; }
