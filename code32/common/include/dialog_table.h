// The dialog and control description tables: one row per dialog or property page, and per
// dialog the rows of its controls that are bound to options. Every context has its own deep
// copy; the sheet engine fills the run-time fields.
#pragma once

#include <cstddef>
#include <cstdint>

#include "option_table.h"
#include "win32/windows.h"

struct ModelItem;  // an item of the loaded model description

// Kind flags of a dialog row.
enum : uint32_t {
  kDialogDocumentPage = 0x1,     // a page of the document settings (printing preferences)
  kDialogPrinterPage = 0x2,      // a page of the printer properties
  kDialogModal = 0x4,            // a modal sub-dialog
  kDialogAdvancedMark = 0x8,     // carried only by the advanced page (with kDialogPrinterPage)
  kDialogFirstPages = 0x10,      // pages of the nested main sheet: 1002, 1003, 1005 and 4016
  kDialogUndoOnCancel = 0x20,    // pages of the nested user-settings sheet, undone on cancel
  kDialogFileOpen = 0x100,       // the six file dialogs: 4001 "ZPD_FILEOPEN",
  kDialogRstOpenSave = 0x200,    // 4002 "ZPD_RSTOPENSAVE",
  kDialogFileRefer = 0x400,      // 4003 "ZPD_FILEREFER",
  kDialogRpoSave = 0x800,        // 4007 "ZPD_RPOSAVE",
  kDialogRpoRefer = 0x1000,      // 4008 "ZPD_RPOREFER",
  kDialogFileSave = 0x2000,      // 4009 "ZPD_FILESAVE"
  kDialogFileDialogs = 0x3F00,
  kDialogFileCreation = 0x8000,  // the folder chooser 4015
};

// The flag of the static control rows that carry it; the sheet engine adds further bits.
constexpr uint32_t kControlStaticFlag = 0x80000000u;

// A control of a dialog. The constant rows set the fields up to the auxiliary record and flag bit
// 31; the run-time fields (window id, model item, option, saved window procedure, state, window
// and the lock fields) are the sheet engine's.
struct ControlDescriptor {
  uint16_t nameIndex;             // symbol of the control in the NameTable
  uint16_t controlId;             // for radio buttons and picture choices also the choice's value id
  uint16_t kind;                  // code of the control's row in the sheet engine's table of kinds
  uint16_t windowId;              // 0 in the table; the control id once the tables are bound
  uint16_t helpId;                // help topic of the control, 0 for none
  uint16_t descriptionStringId;   // string of the hover tip, 0 for none
  uint16_t informationMessageId;  // string shown by the notice marker of a greyed control, 0 for none
  uint16_t linkedControl;         // control id of a partner (or the name index of a radio group)
  uint16_t reserved1;
  uint16_t builtInFunc;           // code run when the control is used, 0 for none
  const ModelItem* modelItem;     // bound at run time
  OptionEntry* option;            // the option row bound to the control (the context's row at run time)
  WNDPROC savedWindowProc;        // the class procedure while the control is subclassed
  const uint16_t* auxRecord;      // kind-specific record whose first word is a tag, or NULL
  uint32_t flags;
  uint16_t state;                 // bits 0-1 hidden, bits 2-3 greyed
  uint16_t reserved2;
  HWND window;                    // while the control's dialog is open
  uint32_t lockFlags;             // bit 0 an administrator lock message applies, bit 1 skip a re-init
  uint16_t lockMessageId;         // shown instead of the information message while locked
  uint16_t lockOption;            // option whose non-zero value marks the control as locked
};

// The layout of this 64-bit build: the fields in the order above, pointers 8 bytes.
static_assert(offsetof(ControlDescriptor, kind) == 4 && offsetof(ControlDescriptor, helpId) == 8);
static_assert(offsetof(ControlDescriptor, linkedControl) == 14 && offsetof(ControlDescriptor, builtInFunc) == 18);
static_assert(offsetof(ControlDescriptor, modelItem) == 24 && offsetof(ControlDescriptor, auxRecord) == 48);
static_assert(offsetof(ControlDescriptor, flags) == 56 && offsetof(ControlDescriptor, state) == 60);
static_assert(offsetof(ControlDescriptor, window) == 64 && offsetof(ControlDescriptor, lockFlags) == 72);
static_assert(offsetof(ControlDescriptor, lockOption) == 78 && sizeof(ControlDescriptor) == 80);

struct DialogDescriptor {
  uint16_t dialogId;   // the dialog resource id of the language library
  uint16_t nameIndex;  // symbol of the dialog in the NameTable (304 + the row's index)
  uint32_t kindFlags;  // kDialog...
  const char* name;    // "ZPD_IDD_..." (the file dialogs "ZPD_FILEOPEN" ...)
  uint32_t helpId;     // help topic of the dialog, 0 for none
  ControlDescriptor* controls;  // static rows in the template, the context's copy in a context
  uint16_t reserved;
  int16_t controlCount;  // never negative
  HWND window;          // while the dialog is open
  uint32_t modalState;  // 1 while the dialog runs as a modal sub-dialog
};
static_assert(offsetof(DialogDescriptor, name) == 8 && offsetof(DialogDescriptor, controls) == 24);
static_assert(offsetof(DialogDescriptor, controlCount) == 34 && offsetof(DialogDescriptor, window) == 40);
static_assert(sizeof(DialogDescriptor) == 56);

// A context's dialog table.
struct DialogTable {
  int16_t count;
  DialogDescriptor* rows;
};

// The static dialog table (a data file of its own).
struct StaticDialogTable {
  int16_t count;
  const DialogDescriptor* rows;
};

extern const StaticDialogTable kDialogTable;  // 89 dialogs

// The symbol number of the first dialog; dialog row i is named by symbol kDialogSymbolBase + i.
constexpr uint16_t kDialogSymbolBase = 304;

struct DriverContext;

// Binds every control row of the context's dialog table to the context's own option row of the
// control's symbol (the option row with that name index, else the option the NameTable gives
// the symbol); a control whose symbol names no option is left unbound. Runs once per context,
// after the option and dialog tables are copied, so that no control row points at the rows of
// another context.
void OptBindDialogOptions(DriverContext* ctx);
