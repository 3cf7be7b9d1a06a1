// GetVersionEx and VerifyVersionInfo from the machine's facts.
#include <cstdio>
#include <cstring>

#include "win32/machine.h"
#include "win32/version.h"

namespace {

using zolt::host::Machine;
using zolt::host::MachineFacts;

// The service-pack text of szCSDVersion ("Service Pack 3", or empty).
void ServicePackText(const MachineFacts& f, char (&out)[128]) {
  out[0] = '\0';
  if (f.servicePackMajor) std::snprintf(out, sizeof out, "Service Pack %u", unsigned(f.servicePackMajor));
}

template <class Info, class Char>
void FillCommon(Info* info, const MachineFacts& f) {
  info->dwMajorVersion = f.majorVersion;
  info->dwMinorVersion = f.minorVersion;
  info->dwBuildNumber = f.buildNumber;
  info->dwPlatformId = f.platformId;
  char text[128];
  ServicePackText(f, text);
  Char* dst = info->szCSDVersion;
  std::memset(dst, 0, sizeof info->szCSDVersion);
  for (size_t i = 0; text[i] && i + 1 < 128; ++i) dst[i] = static_cast<Char>(text[i]);
}

template <class Ex>
void FillEx(Ex* ex, const MachineFacts& f) {
  ex->wServicePackMajor = f.servicePackMajor;
  ex->wServicePackMinor = f.servicePackMinor;
  ex->wSuiteMask = f.suiteMask;
  ex->wProductType = f.productType;
  ex->wReserved = 0;
}

bool Compare(ULONGLONG have, ULONGLONG want, BYTE condition) {
  switch (condition) {
    case VER_EQUAL: return have == want;
    case VER_GREATER: return have > want;
    case VER_GREATER_EQUAL: return have >= want;
    case VER_LESS: return have < want;
    case VER_LESS_EQUAL: return have <= want;
    default: return false;
  }
}

// The condition stored for one type bit (three bits per type, by the bit's position).
BYTE ConditionOf(ULONGLONG mask, DWORD type) {
  int index = __builtin_ctz(type);
  return static_cast<BYTE>((mask >> (index * 3)) & 7);
}

}  // namespace

WIN32_API BOOL WINAPI GetVersionExW(LPOSVERSIONINFOW info) {
  if (!info || (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW) &&
                info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXW))) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  const MachineFacts& f = Machine::Facts();
  FillCommon<OSVERSIONINFOW, WCHAR>(info, f);
  if (info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXW))
    FillEx(reinterpret_cast<OSVERSIONINFOEXW*>(info), f);
  return TRUE;
}

WIN32_API BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
  if (!info || (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA) &&
                info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXA))) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  const MachineFacts& f = Machine::Facts();
  FillCommon<OSVERSIONINFOA, CHAR>(info, f);
  if (info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXA))
    FillEx(reinterpret_cast<OSVERSIONINFOEXA*>(info), f);
  return TRUE;
}

WIN32_API ULONGLONG WINAPI VerSetConditionMask(ULONGLONG mask, DWORD typeMask, BYTE condition) {
  if (!typeMask) return mask;
  condition &= 7;
  // The platform takes the lowest type bit of the mask.
  DWORD type = typeMask & (~typeMask + 1);
  if (type > VER_PRODUCT_TYPE) return mask;
  int shift = __builtin_ctz(type) * 3;
  mask &= ~(ULONGLONG{7} << shift);
  return mask | (ULONGLONG{condition} << shift);
}

WIN32_API BOOL WINAPI VerifyVersionInfoW(LPOSVERSIONINFOEXW want, DWORD typeMask, ULONGLONG conditions) {
  constexpr DWORD kKnown = VER_MINORVERSION | VER_MAJORVERSION | VER_BUILDNUMBER | VER_PLATFORMID |
                           VER_SERVICEPACKMINOR | VER_SERVICEPACKMAJOR | VER_SUITENAME | VER_PRODUCT_TYPE;
  if (!want || !(typeMask & kKnown)) {
    SetLastError(ERROR_BAD_ARGUMENTS);
    return FALSE;
  }
  for (DWORD bit = 1; bit <= VER_PRODUCT_TYPE; bit <<= 1) {
    if (!(typeMask & bit)) continue;
    BYTE c = ConditionOf(conditions, bit);
    bool setCondition = bit == VER_SUITENAME ? (c == VER_AND || c == VER_OR) : (c >= VER_EQUAL && c <= VER_LESS_EQUAL);
    if (!setCondition) {
      SetLastError(ERROR_BAD_ARGUMENTS);
      return FALSE;
    }
  }
  const MachineFacts& f = Machine::Facts();
  bool ok = true;

  // Major, minor, service pack major and minor form one ordered version: the levels asked for
  // are compared in order with the condition of the most significant one.
  static constexpr DWORD kLevels[] = {VER_MAJORVERSION, VER_MINORVERSION, VER_SERVICEPACKMAJOR,
                                      VER_SERVICEPACKMINOR};
  const ULONGLONG have[] = {f.majorVersion, f.minorVersion, f.servicePackMajor, f.servicePackMinor};
  const ULONGLONG asked[] = {want->dwMajorVersion, want->dwMinorVersion, want->wServicePackMajor,
                             want->wServicePackMinor};
  BYTE versionCondition = 0;
  int cmp = 0;
  for (int i = 0; i < 4; ++i) {
    if (!(typeMask & kLevels[i])) continue;
    if (!versionCondition) versionCondition = ConditionOf(conditions, kLevels[i]);
    if (cmp == 0 && have[i] != asked[i]) cmp = have[i] < asked[i] ? -1 : 1;
  }
  if (versionCondition) ok = ok && Compare(ULONGLONG(cmp + 1), 1, versionCondition);

  if (typeMask & VER_BUILDNUMBER)
    ok = ok && Compare(f.buildNumber, want->dwBuildNumber, ConditionOf(conditions, VER_BUILDNUMBER));
  if (typeMask & VER_PLATFORMID)
    ok = ok && Compare(f.platformId, want->dwPlatformId, ConditionOf(conditions, VER_PLATFORMID));
  if (typeMask & VER_PRODUCT_TYPE)
    ok = ok && Compare(f.productType, want->wProductType, ConditionOf(conditions, VER_PRODUCT_TYPE));
  if (typeMask & VER_SUITENAME) {
    WORD need = want->wSuiteMask;
    bool suiteOk = ConditionOf(conditions, VER_SUITENAME) == VER_AND ? (f.suiteMask & need) == need
                                                                     : (f.suiteMask & need) != 0;
    ok = ok && suiteOk;
  }
  if (!ok) {
    SetLastError(ERROR_OLD_WIN_VERSION);
    return FALSE;
  }
  return TRUE;
}
