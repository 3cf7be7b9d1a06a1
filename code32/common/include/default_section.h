// The administrator's default settings kept as a section of the settings file, beside the
// printer-data copy "LockDefaultData", and the printer information copied between settings
// files.
//
// The section is named after the printer with ".DefaultSection" appended. It holds what a
// plain save of the settings writes (header keys and option values, "zdmMachineID" among them:
// a non-empty "zdmMachineID" marks the section as present), followed by the printer
// configuration (10004-10442 and 1540-1630) by field name.
#pragma once

#include "driver_context.h"

inline constexpr WCHAR kDefaultSectionSuffix[] = u".DefaultSection";
inline constexpr WCHAR kPrinterInformationSection[] = u"PrinterInformation";
inline constexpr WCHAR kPrinterInformationKey[] = u"ORVEXINFO";

// The section's name into out (kCtxPathChars characters); 0 (out empty) when the context has
// no printer name or the name does not fit.
int CfgDefaultSectionName(DriverContext* ctx, WCHAR (&out)[kCtxPathChars]);

// Loads the section into the context's settings: 1 when the section was present and loaded,
// else 0 (nothing changed). A section that the settings-file check refuses (another driver,
// locked values that differ) is present but loads nothing.
int CfgLoadDefaultSection(DriverContext* ctx);
// Writes the context's settings as the section. 1, 0 when a write failed.
int CfgSaveDefaultSection(DriverContext* ctx);
// Brings "LockDefaultData", the section and the context's lock-default image into step: the
// section when present, else the printer-data image revalidated against the model (else the
// settings in force when neither exists) becomes the administrator's default in all three
// places. The context's own settings are as before. 1, 0 when memory runs out or a write failed.
int CfgRefreshLockDefault(DriverContext* ctx);
// [PrinterInformation] "ORVEXINFO" of source into destination (empty when missing), whole.
// 1, 0 when it could not be written.
int CfgCopyPrinterInformation(void* ignored, const WCHAR* destination, const WCHAR* source);
