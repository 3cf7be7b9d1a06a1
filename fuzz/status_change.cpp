// Drives the status change entry of the settings interface with arbitrary records against a real
// printer context (the sample model of the 7000). Input: u32 status id, i32 mode, u8 interface
// version, then the record (up to 1024 bytes; the rest of the record buffer stays zero). The
// change must never write outside the caller's record and change bitmap, and a context must stay
// usable afterwards.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "api_frame.h"
#include "api_status.h"
#include "fuzz_printer.h"
#include "win32/hostspooler.h"
#include "win32/windows.h"

namespace {

constexpr size_t kRecordBytes = 1024;
constexpr size_t kGuard = 64;

DriverContext* Context() {
  static DriverContext* ctx = [] {
    zolt::fuzz::MakeSamplePrinterMachine("status", u"Fuzz 7000");
    DriverContext* made = ZOLTDrvEnable("Fuzz 7000");
    if (!made) std::abort();
    return made;
  }();
  return ctx;
}

uint32_t ReadU32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 9) return 0;
  DriverContext* ctx = Context();
  const uint32_t id = ReadU32(data) % 300;
  const int32_t mode = static_cast<int32_t>(ReadU32(data + 4));
  ApiInitRecord init{0, data[8] % 24};
  ZOLTDrvInit(1, &init);

  // The record and the bitmap, each followed by a guard that nothing may touch.
  static uint8_t record[kRecordBytes + kGuard];
  static uint8_t changes[kBitmapBytes + kGuard];
  std::memset(record, 0, sizeof record);
  std::memset(record + kRecordBytes, 0xCC, kGuard);
  std::memset(changes, 0x11, kBitmapBytes);
  std::memset(changes + kBitmapBytes, 0xCC, kGuard);
  std::memcpy(record, data + 9, std::min(size - 9, kRecordBytes));

  ZOLTDrvSetStatus(ctx, id, reinterpret_cast<StatusRecord*>(record), (id & 1) ? changes : nullptr, mode);
  // The read gets a buffer as large as the largest record (the settings-file and preset records
  // take 824 bytes).
  static uint8_t read[kRecordBytes + kGuard];
  std::memset(read, 0, kRecordBytes);
  std::memset(read + kRecordBytes, 0xCC, kGuard);
  ZOLTDrvGetStatus(ctx, id, reinterpret_cast<StatusRecord*>(read), ReadU32(data + 4) % 5);
  for (size_t i = 0; i < kGuard; ++i)
    if (read[kRecordBytes + i] != 0xCC) std::abort();
  StatusRecord out{};
  for (size_t i = 0; i < kGuard; ++i)
    if (record[kRecordBytes + i] != 0xCC || changes[kBitmapBytes + i] != 0xCC) std::abort();
  // The context still answers at the full version.
  ApiInitRecord full{0, 22};
  ZOLTDrvInit(1, &full);
  if (ZOLTDrvGetStatus(ctx, 3, &out, 0) != 32) std::abort();
  return 0;
}
