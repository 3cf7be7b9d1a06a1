// The system clock, the tick count and the FILETIME/SYSTEMTIME conversions.
#include <chrono>
#include <mutex>
#include <thread>

#include <time.h>

#include "win32/hostclock.h"
#include "win32/machine.h"
#include "win32/time.h"

namespace {

constexpr ULONGLONG kTicksPerMs = 10000;
constexpr ULONGLONG kTicksPerSecond = 10000000;
constexpr ULONGLONG kTicksPerDay = 86400 * kTicksPerSecond;
// 1601-01-01 to 1970-01-01 in 100 ns units.
constexpr ULONGLONG kUnixEpoch = 116444736000000000ull;
// The largest value FileTimeToSystemTime takes; SYSTEMTIME's year stops at 30827.
constexpr ULONGLONG kMaxFileTime = 0x7FFFFFFFFFFFFFFFull;

struct ClockState {
  std::mutex lock;
  bool timeFixed = false;
  ULONGLONG time = 0;  // fixed system time (FILETIME value)
  bool tickFixed = false;
  ULONGLONG tick = 0;
};

ClockState& State() {
  static ClockState* s = new ClockState;
  return *s;
}

ULONGLONG RealNow() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return kUnixEpoch + static_cast<ULONGLONG>(ts.tv_sec) * kTicksPerSecond +
         static_cast<ULONGLONG>(ts.tv_nsec) / 100;
}

ULONGLONG RealTicks() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<ULONGLONG>(ts.tv_sec) * 1000 + static_cast<ULONGLONG>(ts.tv_nsec) / 1000000;
}

ULONGLONG ToValue(const FILETIME& ft) {
  return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME FromValue(ULONGLONG v) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(v);
  ft.dwHighDateTime = static_cast<DWORD>(v >> 32);
  return ft;
}

bool IsLeap(unsigned y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned DaysInMonth(unsigned y, unsigned m) {
  static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// Days from 1601-01-01 to the first of the given month.
ULONGLONG DaysBefore(unsigned year, unsigned month) {
  ULONGLONG y = year - 1601;
  ULONGLONG days = y * 365 + y / 4 - y / 100 + y / 400;
  for (unsigned m = 1; m < month; ++m) days += DaysInMonth(year, m);
  return days;
}

bool ToFileTimeValue(const SYSTEMTIME& st, ULONGLONG& out) {
  if (st.wYear < 1601 || st.wYear > 30827 || st.wMonth < 1 || st.wMonth > 12 || st.wDay < 1 ||
      st.wDay > DaysInMonth(st.wYear, st.wMonth) || st.wHour > 23 || st.wMinute > 59 ||
      st.wSecond > 59 || st.wMilliseconds > 999)
    return false;
  ULONGLONG days = DaysBefore(st.wYear, st.wMonth) + st.wDay - 1;
  ULONGLONG seconds = days * 86400 + st.wHour * 3600ull + st.wMinute * 60ull + st.wSecond;
  out = seconds * kTicksPerSecond + st.wMilliseconds * kTicksPerMs;
  return true;
}

void ToSystemTime(ULONGLONG v, SYSTEMTIME& st) {
  ULONGLONG days = v / kTicksPerDay;
  ULONGLONG rest = v % kTicksPerDay;
  st.wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
  // Whole 400-year cycles (146097 days), then years one by one.
  unsigned year = 1601 + static_cast<unsigned>(days / 146097) * 400;
  days %= 146097;
  for (;;) {
    unsigned len = IsLeap(year) ? 366 : 365;
    if (days < len) break;
    days -= len;
    ++year;
  }
  unsigned month = 1;
  while (days >= DaysInMonth(year, month)) {
    days -= DaysInMonth(year, month);
    ++month;
  }
  st.wYear = static_cast<WORD>(year);
  st.wMonth = static_cast<WORD>(month);
  st.wDay = static_cast<WORD>(days + 1);
  st.wHour = static_cast<WORD>(rest / (3600 * kTicksPerSecond));
  rest %= 3600 * kTicksPerSecond;
  st.wMinute = static_cast<WORD>(rest / (60 * kTicksPerSecond));
  rest %= 60 * kTicksPerSecond;
  st.wSecond = static_cast<WORD>(rest / kTicksPerSecond);
  rest %= kTicksPerSecond;
  st.wMilliseconds = static_cast<WORD>(rest / kTicksPerMs);
}

LONGLONG BiasTicks() {
  return static_cast<LONGLONG>(zolt::host::Machine::Facts().timeZoneBias) * 60 *
         static_cast<LONGLONG>(kTicksPerSecond);
}

}  // namespace

namespace zolt::host {

void Clock::Set(const FILETIME& utc) {
  ClockState& s = State();
  std::lock_guard guard(s.lock);
  s.timeFixed = true;
  s.time = ToValue(utc);
}

bool Clock::Set(const SYSTEMTIME& utc) {
  ULONGLONG v;
  if (!ToFileTimeValue(utc, v)) return false;
  Set(FromValue(v));
  return true;
}

bool Clock::SetLocal(const SYSTEMTIME& local) {
  ULONGLONG v;
  if (!ToFileTimeValue(local, v)) return false;
  Set(FromValue(static_cast<ULONGLONG>(static_cast<LONGLONG>(v) + BiasTicks())));
  return true;
}

void Clock::SetTickCount(ULONGLONG ticks) {
  ClockState& s = State();
  std::lock_guard guard(s.lock);
  s.tickFixed = true;
  s.tick = ticks;
}

void Clock::Advance(ULONGLONG ms) {
  ClockState& s = State();
  std::lock_guard guard(s.lock);
  if (s.timeFixed) s.time += ms * kTicksPerMs;
  if (s.tickFixed) s.tick += ms;
}

void Clock::AdvanceTick(ULONGLONG ms) {
  ClockState& s = State();
  std::lock_guard guard(s.lock);
  if (s.tickFixed) s.tick += ms;
}

void Clock::UseRealTime() {
  ClockState& s = State();
  std::lock_guard guard(s.lock);
  s.timeFixed = false;
  s.tickFixed = false;
}

bool Clock::IsTimeFixed() {
  ClockState& s = State();
  std::lock_guard guard(s.lock);
  return s.timeFixed;
}

ULONGLONG Clock::Now() {
  ClockState& s = State();
  std::lock_guard guard(s.lock);
  return s.timeFixed ? s.time : RealNow();
}

ULONGLONG Clock::Ticks() {
  ClockState& s = State();
  std::lock_guard guard(s.lock);
  return s.tickFixed ? s.tick : RealTicks();
}

}  // namespace zolt::host

using zolt::host::Clock;

WIN32_API DWORD WINAPI GetTickCount(void) { return static_cast<DWORD>(Clock::Ticks()); }
WIN32_API ULONGLONG WINAPI GetTickCount64(void) { return Clock::Ticks(); }

WIN32_API void WINAPI GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime) {
  if (lpSystemTimeAsFileTime) *lpSystemTimeAsFileTime = FromValue(Clock::Now());
}

WIN32_API void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime) {
  if (lpSystemTime) ToSystemTime(Clock::Now(), *lpSystemTime);
}

WIN32_API void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime) {
  if (!lpSystemTime) return;
  LONGLONG local = static_cast<LONGLONG>(Clock::Now()) - BiasTicks();
  ToSystemTime(local < 0 ? 0 : static_cast<ULONGLONG>(local), *lpSystemTime);
}

WIN32_API BOOL WINAPI FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime) {
  if (!lpFileTime || !lpSystemTime || ToValue(*lpFileTime) > kMaxFileTime) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  ToSystemTime(ToValue(*lpFileTime), *lpSystemTime);
  return TRUE;
}

WIN32_API BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, LPFILETIME lpFileTime) {
  ULONGLONG v;
  if (!lpSystemTime || !lpFileTime || !ToFileTimeValue(*lpSystemTime, v)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *lpFileTime = FromValue(v);
  return TRUE;
}

namespace {

BOOL ShiftFileTime(const FILETIME* in, LPFILETIME out, LONGLONG by) {
  if (!in || !out) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  LONGLONG v = static_cast<LONGLONG>(ToValue(*in));
  LONGLONG r;
  if (v < 0 || __builtin_add_overflow(v, by, &r) || r < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *out = FromValue(static_cast<ULONGLONG>(r));
  return TRUE;
}

}  // namespace

WIN32_API BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime) {
  return ShiftFileTime(lpFileTime, lpLocalFileTime, -BiasTicks());
}

WIN32_API BOOL WINAPI LocalFileTimeToFileTime(const FILETIME* lpLocalFileTime, LPFILETIME lpFileTime) {
  return ShiftFileTime(lpLocalFileTime, lpFileTime, BiasTicks());
}

WIN32_API LONG WINAPI CompareFileTime(const FILETIME* lpFileTime1, const FILETIME* lpFileTime2) {
  ULONGLONG a = ToValue(*lpFileTime1), b = ToValue(*lpFileTime2);
  return a < b ? -1 : (a > b ? 1 : 0);
}

WIN32_API void WINAPI Sleep(DWORD dwMilliseconds) {
  if (dwMilliseconds == INFINITE) {
    for (;;) std::this_thread::sleep_for(std::chrono::hours(24));
  }
  Clock::Advance(dwMilliseconds);
  if (dwMilliseconds == 0)
    std::this_thread::yield();
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
}
