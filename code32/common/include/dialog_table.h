// The dialog and control description tables: one row per dialog or property page, and per
// dialog the rows of its controls that are bound to options. Every context has its own deep
// copy; the sheet engine fills the run-time fields.
#pragma once

#include <cstdint>

#include "option_table.h"
#include "win32/windows.h"

struct ModelItem;  // an item of the loaded model description

struct ControlDescriptor {
  uint16_t nameIndex;  // symbol of the control in the NameTable
  uint16_t controlId;  // for radio buttons and picture choices also the choice's value id
  uint16_t kind;       // control kind code
  uint16_t windowId;
  uint16_t helpId;
  uint16_t references[3];  // related controls
  uint16_t reserved1;
  uint16_t builtInFunc;  // code run when the control is used, 0 for none
  ModelItem* modelItem;  // bound at run time
  OptionEntry* option;   // the option row bound to the control (the context's row at run time)
  void* previousWindowProc;
  const uint16_t* auxiliaryList;  // 0-terminated further control ids
  uint32_t flags;
  uint16_t state;
  HWND window;
  uint32_t reserved2;
  uint16_t noticeSwitch;  // non-zero when the control shows a lock marker
  uint16_t lockOption;    // option whose non-zero value marks the control as locked
};

struct DialogDescriptor {
  uint16_t dialogId;
  uint16_t nameIndex;
  uint32_t kindFlags;  // 0x1 document page, 0x2 printer page, 0x4 modal sub-dialog, ...
  const char* name;    // "ZPD_IDD_..."
  uint32_t helpId;
  ControlDescriptor* controls;
  uint16_t reserved;
  int16_t controlCount;
  HWND window;     // while the dialog is open
  uint32_t state;  // sheet-engine state of the open dialog
};

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

extern const StaticDialogTable kDialogTable;
