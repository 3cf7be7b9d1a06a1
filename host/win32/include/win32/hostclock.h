// The host's clock, for tests and tools (not a platform call). Each process has its own.
//
// By default the system time and the tick count follow the real clocks. A test can fix either:
// a fixed clock stands still until Advance (or Sleep) moves it, so time-dependent behaviour is
// exact and repeatable. The tick count is kept as 64 bits; GetTickCount returns its low 32 bits,
// so SetTickCount(0xFFFFFFFF - 100) shows the 49.7-day wrap after 101 ms.
#pragma once

#include "win32/base.h"

namespace zolt::host {

class Clock {
 public:
  // Fixes the system time (UTC). A SYSTEMTIME that SystemTimeToFileTime refuses is refused.
  static void Set(const FILETIME& utc);
  static bool Set(const SYSTEMTIME& utc);
  // Fixes the system time so that GetLocalTime answers this (machine time zone bias applied).
  static bool SetLocal(const SYSTEMTIME& local);
  // Fixes the tick count.
  static void SetTickCount(ULONGLONG ticks);
  // Moves whichever of the two clocks is fixed on by ms (both when both are).
  static void Advance(ULONGLONG ms);
  // Moves the tick count alone (when fixed).
  static void AdvanceTick(ULONGLONG ms);
  // Both clocks follow the real ones again.
  static void UseRealTime();

  static bool IsTimeFixed();
  // The current system time as a 64-bit FILETIME value, and the current 64-bit tick count.
  static ULONGLONG Now();
  static ULONGLONG Ticks();
};

}  // namespace zolt::host
