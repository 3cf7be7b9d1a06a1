// The dialog and control description rows (data only). No rows yet: they come with the
// dialog tables of the sheet engine.
#include "dialog_table.h"

const StaticDialogTable kDialogTable = {0, nullptr};
