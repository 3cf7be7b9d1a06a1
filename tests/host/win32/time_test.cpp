#include <gtest/gtest.h>

#include <cstring>

#include "machine_fixture.h"
#include "win32/hostclock.h"
#include "win32/time.h"

using zolt::host::Clock;

namespace {

class TimeTest : public zolt::test::MachineTest {
 protected:
  zolt::host::MachineFacts Facts() const override {
    zolt::host::MachineFacts f;
    f.timeZoneBias = -540;  // UTC+9
    return f;
  }
  void TearDown() override {
    Clock::UseRealTime();
    MachineTest::TearDown();
  }
};

ULONGLONG Value(const FILETIME& ft) { return (ULONGLONG(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }
FILETIME Ft(ULONGLONG v) { return FILETIME{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)}; }

TEST_F(TimeTest, SystemTimeAndFileTimeConvertBothWays) {
  struct Case {
    SYSTEMTIME st;
    ULONGLONG ft;
  } cases[] = {
      {{1601, 1, 1, 1, 0, 0, 0, 0}, 0},                                   // Monday
      {{1970, 1, 4, 1, 0, 0, 0, 0}, 116444736000000000ull},              // Thursday
      {{2000, 2, 2, 29, 23, 59, 59, 999}, 125963423999990000ull},        // leap day, Tuesday
      {{2038, 1, 2, 19, 3, 14, 8, 0}, 137919572480000000ull},            // Tuesday
      {{30827, 12, 5, 31, 23, 59, 59, 999}, 0x7FFF35F4F06C58F0ull},      // the last SYSTEMTIME, Friday
  };
  for (const auto& c : cases) {
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&c.st, &ft)) << c.st.wYear;
    EXPECT_EQ(Value(ft), c.ft) << c.st.wYear;
    SYSTEMTIME back{};
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
    EXPECT_EQ(0, std::memcmp(&back, &c.st, sizeof back)) << c.st.wYear << " day of week " << back.wDayOfWeek;
  }
  SYSTEMTIME bad[] = {{2001, 2, 0, 29, 0, 0, 0, 0}, {1600, 12, 0, 31, 0, 0, 0, 0}, {2000, 13, 0, 1, 0, 0, 0, 0},
                      {2000, 1, 0, 1, 24, 0, 0, 0}, {2000, 1, 0, 1, 0, 0, 0, 1000}};
  for (const auto& st : bad) {
    FILETIME ft;
    EXPECT_FALSE(SystemTimeToFileTime(&st, &ft));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  FILETIME tooBig = Ft(0x8000000000000000ull);
  SYSTEMTIME st;
  EXPECT_FALSE(FileTimeToSystemTime(&tooBig, &st));
}

TEST_F(TimeTest, FixedClockAndLocalTime) {
  SYSTEMTIME utc{2024, 12, 0, 31, 20, 30, 15, 250};
  ASSERT_TRUE(Clock::Set(utc));
  SYSTEMTIME local, sys;
  GetLocalTime(&local);
  GetSystemTime(&sys);
  EXPECT_EQ(sys.wHour, 20);
  EXPECT_EQ(sys.wDayOfWeek, 2);  // Tuesday
  EXPECT_EQ(local.wYear, 2025);  // nine hours later: the next year
  EXPECT_EQ(local.wMonth, 1);
  EXPECT_EQ(local.wDay, 1);
  EXPECT_EQ(local.wHour, 5);
  EXPECT_EQ(local.wMilliseconds, 250);
  Clock::Advance(1000);
  GetSystemTime(&sys);
  EXPECT_EQ(sys.wSecond, 16);
  FILETIME now, loc, back;
  GetSystemTimeAsFileTime(&now);
  ASSERT_TRUE(FileTimeToLocalFileTime(&now, &loc));
  EXPECT_EQ(Value(loc) - Value(now), 9ull * 3600 * 10000000);
  ASSERT_TRUE(LocalFileTimeToFileTime(&loc, &back));
  EXPECT_EQ(CompareFileTime(&back, &now), 0);
  EXPECT_EQ(CompareFileTime(&now, &loc), -1);
  FILETIME high = Ft(0x8000000000000000ull), low = Ft(1);
  EXPECT_EQ(CompareFileTime(&high, &low), 1);  // compared without sign

  SYSTEMTIME wanted{2003, 7, 0, 4, 9, 0, 0, 0};
  ASSERT_TRUE(Clock::SetLocal(wanted));
  GetLocalTime(&local);
  EXPECT_EQ(local.wYear, 2003);
  EXPECT_EQ(local.wHour, 9);
  EXPECT_EQ(local.wDayOfWeek, 5);  // Friday
  GetSystemTime(&sys);
  EXPECT_EQ(sys.wHour, 0);
  Sleep(5);  // a fixed clock moves on by the sleep
  GetSystemTime(&sys);
  EXPECT_EQ(sys.wMilliseconds, 5);
}

TEST_F(TimeTest, TickCountWrapsAt32Bits) {
  Clock::SetTickCount(0xFFFFFFFFull - 100);
  DWORD before = GetTickCount();
  EXPECT_EQ(before, 0xFFFFFFFFu - 100);
  Clock::AdvanceTick(150);
  DWORD after = GetTickCount();
  EXPECT_EQ(after, 49u);
  EXPECT_EQ(GetTickCount64(), 0x100000031ull);
  EXPECT_EQ(static_cast<DWORD>(after - before), 150u);  // unsigned arithmetic survives the wrap
  Clock::UseRealTime();
  ULONGLONG a = GetTickCount64();
  Sleep(2);
  EXPECT_GE(GetTickCount64(), a + 2);
}

}  // namespace
