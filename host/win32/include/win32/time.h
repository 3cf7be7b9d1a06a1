// Time of the platform: the system clock (UTC), local time from the machine's time zone bias
// (minutes to add to local time to get UTC; no daylight saving), the tick count and the
// conversions between FILETIME (100 ns since 1601-01-01 UTC) and SYSTEMTIME.
// Tests fix and move the clock through win32/hostclock.h.
#pragma once

#include "win32/base.h"

// Milliseconds since the system started (or as the host clock was set); the 32-bit form wraps
// after 49.7 days.
WIN32_API DWORD WINAPI GetTickCount(void);
WIN32_API ULONGLONG WINAPI GetTickCount64(void);
WIN32_API void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime);
WIN32_API void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime);
WIN32_API void WINAPI GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime);
// Fails with ERROR_INVALID_PARAMETER for a time at or beyond 0x8000000000000000.
WIN32_API BOOL WINAPI FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime);
// Fails with ERROR_INVALID_PARAMETER for a field out of range (year 1601-30827, a day the month
// does not have, ...); wDayOfWeek is ignored.
WIN32_API BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, LPFILETIME lpFileTime);
WIN32_API BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime);
WIN32_API BOOL WINAPI LocalFileTimeToFileTime(const FILETIME* lpLocalFileTime, LPFILETIME lpFileTime);
// -1, 0 or 1, comparing the 64-bit values without sign.
WIN32_API LONG WINAPI CompareFileTime(const FILETIME* lpFileTime1, const FILETIME* lpFileTime2);
// Waits dwMilliseconds (INFINITE: for ever); a fixed host clock moves on by as much.
WIN32_API void WINAPI Sleep(DWORD dwMilliseconds);
