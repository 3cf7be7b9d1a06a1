// Building blocks of context creation and destruction, shared by the files of the context.
#pragma once

#include "driver_context.h"

// The runtime copy of an option table: a header, the rows and one OptionLabels side record per
// row. NULL when memory runs out (nothing is left allocated) or the table has no rows.
OptionTable* OptCopyTable(const OptionDescriptorTable* source);
void OptFreeTable(OptionTable* table);

// The deep copy of a dialog table with every dialog's control rows. NULL when memory runs out
// (nothing is left allocated) or the table has no rows.
DialogTable* OptCopyDialogTable(const StaticDialogTable* source);
void OptFreeDialogTable(DialogTable* table);

// Copies of the caller's spooler records, each one block that holds the record and its own
// copies of every string it points to (freed with MdlFreeMem); NULL without a record or when
// memory runs out. The printer record's device mode is copied into a block of the full
// device-mode size.
DRIVER_INFO_2W* CtxCopyDriverInfo2(const DRIVER_INFO_2W* source);
DRIVER_INFO_3W* CtxCopyDriverInfo3(const DRIVER_INFO_3W* source);
PRINTER_INFO_2W* CtxCopyPrinterInfo2(const PRINTER_INFO_2W* source);
// The printer name of a record, duplicated (freed with MdlFreeMem); NULL when there is none.
WCHAR* CtxCopyPrinterName(const PRINTER_INFO_2W* record);

// Frees a context and everything it owns (nothing is parked). Kinds 0, 4 and 5 also free the
// working font-table buffers of the settings image; any other kind leaves them.
void CtxFreeContext(DriverContext* ctx, WORD kind);
