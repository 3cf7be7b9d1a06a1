// The output block stream of the graphics module and the record buffer of a page.
//
// Everything the module produces for a job leaves it as one byte stream of blocks, each an
// 8-byte header {u8 type, 3 bytes 0, u32 payload length} and the payload, handed in pieces of
// at most 4096 bytes to the output module's write function. The drawing records of a page
// collect in a chained buffer (a first chunk inside the output context, further chunks from
// the job's heap) and leave in data blocks, one per chunk, at the page end or as soon as more
// than 1 MiB is buffered.
#pragma once

#include <cstdint>

#include "win32/windows.h"

struct PhysicalDevice;
struct DriverContext;

// Block types.
enum : uint8_t {
  kBlockEmpty = 0xF0,      // right after every page-start block, always length 0
  kBlockPageEnd = 0xF1,    // the PageEnd command group
  kBlockJobStart = 0xF3,   // the JobStart command group; a second one carries the PJL header
  kBlockPageStart = 0xF4,  // the PageStart command group
  kBlockData = 0xF5,       // drawing records
  kBlockDevMode = 0xF7,    // the working device mode
};

// The header of a block, as it stands in the stream.
struct OutputBlockHeader {
  uint8_t type;
  uint8_t reserved[3];
  uint32_t length;
};
static_assert(sizeof(OutputBlockHeader) == 8);

constexpr uint32_t kOutputPieceBytes = 4096;        // most bytes handed to one write call
constexpr uint32_t kRecordChunkBytes = 10240;       // data area of the first chunk; growth step
constexpr uint32_t kRecordFlushThreshold = 0x100000;  // buffered bytes above which a flush comes first

// The output module's write function: (output handle, bytes, length, out bytes written).
using OutputWriteFn = BOOL(WINAPI*)(HANDLE handle, const void* bytes, DWORD length, DWORD* written);

// A chunk of the record buffer; its data area follows the header.
struct RecordChunk {
  RecordChunk* next;
  BYTE* writePos;
  BYTE* end;
  BYTE* Data() { return reinterpret_cast<BYTE*>(this + 1); }
};

// The output state of a PhysicalDevice.
struct OutputContext {
  HANDLE printer;
  PhysicalDevice* owner;
  RecordChunk firstChunk;
  alignas(8) BYTE firstChunkData[kRecordChunkBytes];
  RecordChunk* head;
  RecordChunk* tail;
  uint32_t total;   // bytes handed out since the last reset
  int32_t records;  // records handed out since the last reset
  HMODULE module;
  HANDLE outputHandle;
  OutputWriteFn write;
};

void GrResetRecordBuffer(OutputContext* out);
// size bytes in the buffer (a multiple of 4), or NULL when no chunk can be had or the early
// flush fails.
BYTE* GrAllocRecord(OutputContext* out, uint32_t size);
// Gives back what a writer took beyond end (rounded up to 4 bytes) in the last chunk.
void GrAlignRecordEnd(OutputContext* out, BYTE* end);
void GrFreeChunks(OutputContext* out);
// Hands bytes to the output module in pieces; a failed or short write sets the write-error
// flag of the owner and gives 0. Without a module or write function the bytes are dropped.
int GrWriteBlock(OutputContext* out, const void* bytes, uint32_t length);
// One data block per chunk (nothing on the first page of a pass-through job).
int GrSendRecords(OutputContext* out);
// Sends what is buffered, frees the extra chunks and resets the buffer; 1 when nothing is
// buffered.
int GrFlushRecords(OutputContext* out);
// The 8-byte header {type, length}, then the payload when bytes are given.
int GrWriteTypedBlock(PhysicalDevice* pdev, const void* bytes, uint32_t length, uint8_t type);

// The command-text blocks: the group is expanded by the command-text generator.
int GrWriteCommandBlock(OutputContext* out, DriverContext* ctx, uint8_t type, uint32_t group);
int GrWriteJobStartBlock(OutputContext* out, DriverContext* ctx);
int GrWritePageStartBlocks(OutputContext* out, DriverContext* ctx);
int GrWritePageEndBlock(OutputContext* out, DriverContext* ctx);
