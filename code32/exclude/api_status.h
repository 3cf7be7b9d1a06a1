// Statuses of the ZOLTDrv interface: the status table with its handlers, the function-switch and
// object-variant tables, and the cores behind ZOLTDrvGetStatus and ZOLTDrvSetStatus.
#pragma once

#include <cstdint>

#include "api_records.h"
#include "driver_context.h"

using StatusSetHandler = int (*)(DriverContext* ctx, uint32_t id, const StatusRecord* record, uint8_t* changes,
                                 int32_t mode);
using StatusGetHandler = int32_t (*)(DriverContext* ctx, uint32_t id, StatusRecord* record, uint32_t version);

constexpr int kStatusRelatedOptions = 8;

struct StatusRow {
  uint32_t id;
  uint32_t enabled;
  uint32_t recordVersion;  // highest layout version this driver knows for the id
  uint16_t mainOption;     // 0 for none
  uint32_t reserved;
  StatusSetHandler setHandler;
  StatusSetHandler postSetCheck;
  StatusGetHandler getHandler;
  uint16_t related[kStatusRelatedOptions];  // ended by the first 0
};

// The handlers of one status id, as the handler files register them.
struct StatusHandlers {
  uint32_t id;
  StatusSetHandler setHandler;
  StatusSetHandler postSetCheck;
  StatusGetHandler getHandler;
};

// The handler tables of the handler files, each ended by a row of id 0.
extern const StatusHandlers kPlainStatusHandlers[];
extern const StatusHandlers kLayoutStatusHandlers[];
extern const StatusHandlers kPaperStatusHandlers[];
extern const StatusHandlers kJobStatusHandlers[];
extern const StatusHandlers kColourStatusHandlers[];
extern const StatusHandlers kOutputStatusHandlers[];
extern const StatusHandlers kAccountStatusHandlers[];
extern const StatusHandlers kPageMarkStatusHandlers[];
extern const StatusHandlers kBindingStatusHandlers[];

// 1 when a user-defined size (display unit) lies within the printer's limits.
int ApiIsCustomSizeInRange(DriverContext* ctx, int32_t width, int32_t length);

constexpr int kStatusRowCount = 97;  // ids 1-84 and 257-269

const StatusRow* StatusRowById(uint32_t id);
// The row of an id whatever the current version (for tests and the support bitmaps' model).
const StatusRow* StatusRowOfId(uint32_t id);

struct FunctionSwitchRow {
  uint32_t statusId;
  uint16_t switchOption;
  uint16_t flags;  // 1: related changes hidden while the switch item is disabled or restricted;
                   // 2: cover and mark paper types hidden while the switch is off
};

uint16_t ApiFindSwitchOption(uint32_t statusId, const FunctionSwitchRow** rowOut);
uint16_t ApiGetObjectVariant(DriverContext* ctx, uint16_t option, int object);

int SetStatusById(DriverContext* ctx, uint32_t id, const StatusRecord* record, uint8_t* changes, int32_t mode);
int32_t GetStatusById(DriverContext* ctx, uint32_t id, StatusRecord* out, uint32_t version);
void ResolveAfterSet(DriverContext* ctx, const StatusRow* row, const StatusRecord* record, uint8_t* changes);

int ApiCompareSetVersion(const StatusRecord* record, uint32_t rowVersion, int32_t mode);
int ApiCompareGetVersion(uint32_t rowVersion, uint32_t requested);

// Fills the status state array: which related options' items are disabled or restricted now.
void ApiRecordItemStates(DriverContext* ctx);

// Marks status n in a change bitmap of the current size (ids beyond it are ignored).
void ApiMarkStatus(uint8_t* changes, uint32_t id);

ZOLT_EXPORT int32_t WINAPI ZOLTDrvSetStatus(DriverContext* ctx, uint32_t id, const StatusRecord* record,
                                            uint8_t* changes, int32_t mode);
ZOLT_EXPORT int32_t WINAPI ZOLTDrvGetStatus(DriverContext* ctx, uint32_t id, StatusRecord* out, uint32_t version);
