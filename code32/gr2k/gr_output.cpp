// The output block stream and the record buffer of a page.
#include "gr_output.h"

#include <algorithm>
#include <cstring>

#include "gr_job_services.h"
#include "gr_pdev.h"
#include "model_image.h"

namespace {

uint32_t ChunkAreaFor(uint32_t size) { return (size - 1) / kRecordChunkBytes * kRecordChunkBytes + kRecordChunkBytes; }

int WriteHeader(OutputContext* out, uint8_t type, uint32_t length) {
  OutputBlockHeader header{type, {0, 0, 0}, length};
  return GrWriteBlock(out, &header, sizeof header);
}

bool FirstPassThroughPage(const PhysicalDevice* pdev) { return pdev && pdev->passThrough && pdev->pageCount == 1; }

}  // namespace

void GrResetRecordBuffer(OutputContext* out) {
  RecordChunk* first = &out->firstChunk;
  first->next = nullptr;
  first->writePos = out->firstChunkData;
  first->end = out->firstChunkData + kRecordChunkBytes;
  out->head = out->tail = first;
  out->total = 0;
  out->records = 0;
}

BYTE* GrAllocRecord(OutputContext* out, uint32_t size) {
  if (!out->tail) GrResetRecordBuffer(out);
  RecordChunk* last = out->tail;
  if (size >= static_cast<size_t>(last->end - last->writePos)) {
    if (out->total > kRecordFlushThreshold) {
      if (!GrFlushRecords(out)) return nullptr;
      last = out->tail;
    }
    PdevHeap* heap = out->owner ? out->owner->heap : nullptr;
    if (!heap || size == 0) return nullptr;
    const uint32_t area = ChunkAreaFor(size);
    auto* chunk = static_cast<RecordChunk*>(GrHeapAlloc(heap, sizeof(RecordChunk) + area));
    if (!chunk) return nullptr;
    chunk->next = nullptr;
    chunk->writePos = chunk->Data();
    chunk->end = chunk->Data() + area;
    last->next = chunk;
    out->tail = last = chunk;
  }
  BYTE* record = last->writePos;
  last->writePos += size;
  out->total += size;
  out->records += 1;
  return record;
}

void GrAlignRecordEnd(OutputContext* out, BYTE* end) {
  RecordChunk* last = out->tail;
  if (!last || end < last->Data() || end > last->end) return;
  const size_t used = static_cast<size_t>(end - last->Data());
  last->writePos = last->Data() + std::min((used + 3) & ~size_t{3}, static_cast<size_t>(last->end - last->Data()));
}

void GrFreeChunks(OutputContext* out) {
  PdevHeap* heap = out->owner ? out->owner->heap : nullptr;
  RecordChunk* chunk = out->firstChunk.next;
  while (chunk) {
    RecordChunk* next = chunk->next;
    if (heap) GrHeapFree(heap, chunk);
    chunk = next;
  }
  out->firstChunk.next = nullptr;
  out->tail = out->head = &out->firstChunk;
}

int GrWriteBlock(OutputContext* out, const void* bytes, uint32_t length) {
  const auto* p = static_cast<const BYTE*>(bytes);
  while (length > 0) {
    const uint32_t piece = std::min(length, kOutputPieceBytes);
    if (out->module && out->write) {
      DWORD written = 0;
      if (!out->write(out->outputHandle, p, piece, &written) || written != piece) {
        if (out->owner) out->owner->flags |= kPdevWriteError;
        return 0;
      }
    }
    p += piece;
    length -= piece;
  }
  return 1;
}

int GrSendRecords(OutputContext* out) {
  for (RecordChunk* chunk = out->head; chunk; chunk = chunk->next) {
    if (FirstPassThroughPage(out->owner)) return 1;
    const uint32_t used = static_cast<uint32_t>(chunk->writePos - chunk->Data());
    if (!WriteHeader(out, kBlockData, used) || !GrWriteBlock(out, chunk->Data(), used)) return 0;
  }
  return 1;
}

int GrFlushRecords(OutputContext* out) {
  if (out->total == 0) return 1;
  const int sent = GrSendRecords(out);
  GrFreeChunks(out);
  GrResetRecordBuffer(out);
  return sent;
}

int GrWriteTypedBlock(PhysicalDevice* pdev, const void* bytes, uint32_t length, uint8_t type) {
  if (!WriteHeader(&pdev->output, type, length)) return 0;
  return bytes ? GrWriteBlock(&pdev->output, bytes, length) : 1;
}

int GrWriteCommandBlock(OutputContext* out, DriverContext* ctx, uint8_t type, uint32_t group) {
  int32_t length = 0;
  if (GrExpandCommandGroup(ctx, group, nullptr, &length) < 0 || length < 0) return 0;
  PdevHeap* heap = out->owner ? out->owner->heap : nullptr;
  if (!heap) return 0;
  const uint32_t n = static_cast<uint32_t>(length);
  auto* buffer = static_cast<BYTE*>(GrHeapAlloc(heap, size_t{n} + 12));
  if (!buffer) return 0;
  std::memset(buffer, 0, size_t{n} + 12);
  const uint32_t typeWord = type;
  std::memcpy(buffer, &typeWord, 4);
  std::memcpy(buffer + 4, &n, 4);
  int32_t second = 0;
  int ok = 1;
  if (n > 0) ok = GrExpandCommandGroup(ctx, group, reinterpret_cast<char*>(buffer + 8), &second) >= 0 && second == length;
  if (ok) ok = GrWriteBlock(out, buffer, 8 + n);
  GrHeapFree(heap, buffer);
  return ok;
}

int GrWriteJobStartBlock(OutputContext* out, DriverContext* ctx) {
  return GrWriteCommandBlock(out, ctx, kBlockJobStart, kGroupSlotJobStart);
}

int GrWritePageStartBlocks(OutputContext* out, DriverContext* ctx) {
  return GrWriteCommandBlock(out, ctx, kBlockPageStart, kGroupSlotPageStart) && WriteHeader(out, kBlockEmpty, 0);
}

int GrWritePageEndBlock(OutputContext* out, DriverContext* ctx) {
  return GrWriteCommandBlock(out, ctx, kBlockPageEnd, kGroupSlotPageEnd);
}
