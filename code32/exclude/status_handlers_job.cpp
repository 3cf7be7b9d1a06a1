// Handler of the user-id status: the id that the job-control module keeps for held and secured
// jobs, in the record layout of the print-method status.
#include <cstring>

#include "api_frame.h"
#include "api_options.h"
#include "api_status.h"
#include "api_support.h"
#include "option_access.h"

namespace {

constexpr uint16_t kOptUserId = 202;        // zdmUserID, 9 ANSI bytes
constexpr DWORD kJobItemUserId = 8;         // the job-control item of the user id
constexpr int32_t kJobDataRecordSize = 392; // the print-method record, version 1
constexpr size_t kUserIdAt = 12;
constexpr size_t kUserIdBytes = 9;
constexpr size_t kFlagsAt = 8;
constexpr uint32_t kFlagUserId = 0x1;

bool IsLetterOrDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The record's user id, read within its field (a field without a terminator holds 9 bytes,
// which is one more than an id may have).
size_t UserIdOf(const StatusRecord* record, char* out) {
  const auto* bytes = reinterpret_cast<const char*>(record) + kUserIdAt;
  size_t n = 0;
  while (n < kUserIdBytes && bytes[n]) ++n;
  std::memcpy(out, bytes, n);
  out[n] = 0;
  return n;
}

int SetUserId(DriverContext* ctx, uint32_t, const StatusRecord* record, uint8_t*, int32_t) {
  char id[kUserIdBytes + 1] = {};
  const size_t n = UserIdOf(record, id);
  if (n >= kUserIdBytes) return 0;
  for (size_t i = 0; i < n; ++i)
    if (!IsLetterOrDigit(id[i])) return 0;
  const int32_t method = OptGetValue(ctx, kApiOptPrnMethod, nullptr);
  if (n == 0 && (method == 1 || method == 2)) return 0;
  char field[kUserIdBytes] = {};
  std::memcpy(field, id, n);
  if (!OptSetValueBytes(ctx, kOptUserId, field)) return 0;
  ApiStoreJobValue(ctx, kJobItemUserId);
  return 1;
}

int32_t GetUserId(DriverContext* ctx, uint32_t, StatusRecord* record, uint32_t) {
  if (!record) return kJobDataRecordSize;
  auto* bytes = reinterpret_cast<uint8_t*>(record);
  std::memset(bytes + kFlagsAt, 0, 4);
  std::memset(bytes + kUserIdAt, 0, kUserIdBytes);
  ApiLoadJobValues(ctx, kJobItemUserId);
  const BYTE* stored = OptGetValuePointer(ctx, kOptUserId, nullptr);
  if (!stored) return kJobDataRecordSize;
  size_t n = 0;
  while (n < kUserIdBytes && stored[n]) ++n;
  if (n >= 1 && n <= 8) {
    std::memcpy(bytes + kUserIdAt, stored, n);
    std::memcpy(bytes + kFlagsAt, &kFlagUserId, 4);
  }
  return kJobDataRecordSize;
}

}  // namespace

const StatusHandlers kJobStatusHandlers[] = {
    {26, SetUserId, nullptr, GetUserId},
    {0, nullptr, nullptr, nullptr},
};
