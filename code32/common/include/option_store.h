// Stored option values: moving every option of a context between its settings image and the
// two places values are kept, the printer's data (spooler printer data of the printer handle)
// and INI files (by default the per-printer settings INI).
//
// Each option row says where it is kept: block 2 rows of store class 1 live in printer data
// under the row's key; rows of store class 2 (any block) live in an INI file under the row's
// key, in the row's section or the printer's section; everything else lives in the settings
// image only. A row without a key is never stored, and every operation on it reports success.
//
// Beside the rows, three lists are kept in printer data: the device fonts and cartridge fonts
// of the model (DeviceFontEntry records) and the TrueType-to-device font substitution table
// (FontSubstEntry rows, stored in two 64-byte halves per row). In the settings image they are
// heap blocks referred to by options 10005, 10007 and 10009 with their counts in 10004, 10006
// and 10008; the blocks belong to the context.
//
// Results are 1 for success and 0 for failure unless stated. CfgLoadPrinterSettings,
// CfgFreeFontBuffers and PrnReadOptionByFieldName are declared with the context's services
// (context_services.h).
#pragma once

#include <cstdint>

#include "context_services.h"
#include "ini_file.h"
#include "model_query.h"

// ---- stored names -----------------------------------------------------------------------------

// Composite values: one stored value for a group of bit rows.
inline constexpr WCHAR kCompositeAction[] = u"zdmAction";               // INI, options 211-226
inline constexpr WCHAR kCompositeLockInfo[] = u"zdmLockInfo";           // printer data, 10386-10417
inline constexpr WCHAR kCompositeLock000[] = u"zdmLock000InfoBit";      // printer data, 10418-10425
inline constexpr WCHAR kCompositeLock001[] = u"zdmLock001InfoBit";      // printer data, 10426-10433

// Font lists in printer data (REG_BINARY; counts 16-bit little-endian; table rows from 1).
inline constexpr WCHAR kDeviceFontNumValue[] = u"DeviceFontNum";
inline constexpr WCHAR kDeviceFontValue[] = u"DeviceFont";
inline constexpr WCHAR kOptionFontNumValue[] = u"OptionFontNum";
inline constexpr WCHAR kOptionFontValue[] = u"OptionFont";
inline constexpr WCHAR kFontTableNumValue[] = u"FontTableNum";
inline constexpr WCHAR kLastFontTableNumValue[] = u"LastFontTableNum";
inline constexpr WCHAR kDefFontTableNumValue[] = u"DefFontTableNum";

// Flags of the font-list writers and of the table-row reader and writer.
enum : DWORD {
  kFontListFromModel = 0x1,     // take the list from the model description
  kFontListChangedOnly = 0x2,   // a full context skips a list equal to the saved image's
  kFontTableDefault = 0x100,    // the default table ("DefFontTableNum", "...DefTable%d")
};

// Flags of the save pass: bit 31 writes every value; the rest is the mode word.
enum : DWORD {
  kSaveConfigRowsOnly = 0x1,    // only printer-configuration rows (CfgIsConfigOptionRow)
  kSaveCustomFuncsOnly = 0x4,   // only options 1549-1580
  kSaveEveryValue = 0x80000000u,
};

// Mode 2 of the passes: each row the feature modules do not keep out is stored in the INI file
// under its field name from then on.
constexpr DWORD kPassModeFieldNames = 2;

// PrnReadOption: read through the remote-configuration service.
constexpr DWORD kReadThroughServer = 0x10;

// ---- whole passes -----------------------------------------------------------------------------

// which = -1: every block, then the font lists; 1: blocks 3 then 1; 2: block 2, then the font
// lists; any other value nothing. 1 (0 without a context).
int CfgLoadOptions(HANDLE printer, int which, DriverContext* ctx);
// The load pass over one block (1-3) or all (-1). 1; 0 without a context or settings image.
int CfgLoadOptionClass(HANDLE printer, DriverContext* ctx, int block, DWORD mode);
int CfgLoadOptionClassEx(HANDLE printer, DriverContext* ctx, int block, DWORD mode, void* remote);
// The save pass over one block. 1 whatever the single rows reported; 0 without a context or
// settings image.
int CfgSaveOptionClass(HANDLE printer, DriverContext* ctx, int block, DWORD flags);
// Save passes for block 3 then block 1.
int CfgSaveUserOptions(HANDLE printer, DriverContext* ctx);
// The save pass for block 2, then the font lists (changed only, resp. the model's lists).
int CfgSavePrinterConfig(HANDLE printer, DriverContext* ctx);
int CfgSavePrinterConfigFromModel(HANDLE printer, DriverContext* ctx);

// Options 10001-10442 outside fixed list 5 (10001-10011, 10354, 10355).
int CfgIsConfigOptionRow(const OptionEntry* row);

// ---- single rows ------------------------------------------------------------------------------

// To the row's store: block 2 store class 1 to printer data, store class 2 to the INI file
// (iniPath, or the settings INI for NULL); anything else 1 without writing.
int CfgWriteOption(HANDLE printer, DriverContext* ctx, OptionEntry* row, const WCHAR* iniPath);
// Printer data under the row's key: texts as their raw storage (the row's size), numbers as 1,
// 2 or 4 little-endian bytes (bit rows 4 bytes of 0 or 1), all REG_BINARY except option 10275
// (REG_DWORD).
int PrnWriteOption(HANDLE printer, DriverContext* ctx, OptionEntry* row);
// Reads the row's value from printer data: bit rows 4 bytes applied as 0/1, every other row
// exactly its size copied into its storage (a shorter value is padded with zeros). 0 when the
// value is missing, too large or cannot be read; the option then keeps its value.
int PrnReadOption(HANDLE printer, DriverContext* ctx, OptionEntry* row, DWORD flags, void* remote);
// The same under the row's field name (the key is put back); 0 when the row has no field name.
int PrnWriteOptionByFieldName(HANDLE printer, DriverContext* ctx, OptionEntry* row);

// Reads one row from an INI file (iniPath), or from an in-memory section body (IniFindSection)
// with a running cursor when section is given. Numbers are decimal texts (the first 15
// characters are read), texts replace the option's text when not empty. A missing key, an
// empty value or a value that is no number leaves the option and reports 0. Nothing is read
// and 1 is reported when the path does not begin with a drive letter and a colon or the row
// has no key.
int IniReadOption(DriverContext* ctx, OptionEntry* row, const WCHAR* iniPath, const char* section, int32_t* cursor);
// Writes one row to an INI file (one profile write, flushed), or appends "key=value\r\n" to a
// section text at *cursor when section is given. Numbers in decimal, texts as text (cut at a
// line break). Same path and key rule as the reader.
int IniWriteOption(HANDLE printer, DriverContext* ctx, OptionEntry* row, const WCHAR* iniPath, IniSectionText* section,
                   int32_t* cursor);

// Reads a composite value into its row (the first member): the row's key and kind are the
// composite's for the read (store 1 or 3: the INI file, else printer data). When that read
// fails, each member first..last is read on its own from the same store and the composite is
// written back. The row's key and type word are always restored. The read's result.
int CfgLoadCompositeValue(HANDLE printer, DriverContext* ctx, OptionEntry* row, int store, uint32_t kind,
                          const WCHAR* name, uint16_t firstId, uint16_t lastId);
// Writes the row's storage word under the composite name and kind (CfgWriteOption); 0 for a
// NULL row.
int CfgSaveCompositeValue(HANDLE printer, DriverContext* ctx, OptionEntry* row, WORD unused, uint32_t kind,
                          const WCHAR* name);

// ---- font lists -------------------------------------------------------------------------------

// Device fonts, cartridge fonts and the substitution table in this order; 1 when all three
// report 1.
int CfgLoadFontLists(HANDLE printer, DriverContext* ctx);
// Each loader releases the list the context held, reads the count and, when the count cannot
// be read, first writes the model's list to printer data. 1 when the list was loaded; the
// device and cartridge loaders report 0 for an empty list unless the model has none.
int PrnLoadDeviceFonts(HANDLE printer, DriverContext* ctx);
int PrnLoadOptionFonts(HANDLE printer, DriverContext* ctx);
int PrnLoadFontSubstTable(HANDLE printer, DriverContext* ctx);
// Replaces the substitution table by the default table.
int CfgLoadDefaultFontTable(HANDLE printer, DriverContext* ctx);
// Writes the model's table as the default table when "DefFontTableNum" cannot be read.
int PrnEnsureDefaultFontTable(HANDLE printer, DriverContext* ctx);
// The three list writers with kFontListChangedOnly, resp. kFontListFromModel. 1.
int PrnSaveFontLists(HANDLE printer, DriverContext* ctx);
int PrnSaveModelFontLists(HANDLE printer, DriverContext* ctx);

// Writes the count and the records. 0 for an empty list or a failed write.
int PrnWriteDeviceFonts(HANDLE printer, DriverContext* ctx, DWORD flags);
int PrnWriteOptionFonts(HANDLE printer, DriverContext* ctx, DWORD flags);
// Writes "FontTableNum" and the rows (kFontTableDefault: the default table); the model's
// empty table writes nothing and reports 1.
int PrnWriteFontSubstTable(HANDLE printer, DriverContext* ctx, DWORD flags);
// Writes rows 1..count as their two halves, then the count ("LastFontTableNum", or
// "DefFontTableNum" with kFontTableDefault); without kFontTableDefault the rows of the last
// write are deleted first. 0 for NULL rows with a count, a negative count or a failed write.
int PrnWriteFontTableRows(HANDLE printer, const FontSubstEntry* rows, int count, DWORD flags);
// Reads rows 1..count into dest. A row whose halves cannot both be read is emptied. 0 when
// every row was read, else the last error code (8 for a NULL destination).
DWORD PrnReadFontTableRows(HANDLE printer, FontSubstEntry* dest, int count, DWORD flags);
// Deletes the rows named by "LastFontTableNum". 1.
int PrnDeleteFontTableRows(HANDLE printer);
