// The context's copies of the caller's spooler records own every string and never read past
// the caller's device mode. (Built once the platform's spooler records are there.)
#include <gtest/gtest.h>

#include "ctx_internal.h"

#if __has_include("win32/spooler.h")

#include <cstring>
#include <string_view>

namespace {

void PutWord(BYTE* at, WORD value) { std::memcpy(at, &value, sizeof value); }

TEST(CtxSpoolerRecords, PrinterRecordCopyOwnsItsStringsAndABoundedDeviceMode) {
  WCHAR printer[] = u"\\\\server\\Printer 1";
  WCHAR driver[] = u"ZOLT Office 7000 Series";
  WCHAR port[] = u"LPT1:";
  // A caller's device mode of 236 bytes (220 public + 16 private), the rest of its buffer
  // belongs to someone else.
  BYTE callerMemory[400];
  std::memset(callerMemory, 0xAB, sizeof callerMemory);
  PutWord(callerMemory + 68, 220);
  PutWord(callerMemory + 70, 16);
  PRINTER_INFO_2W source{};
  source.pPrinterName = printer;
  source.pDriverName = driver;
  source.pPortName = port;
  source.pDevMode = reinterpret_cast<LPDEVMODEW>(callerMemory);
  source.Attributes = 0x800;

  PRINTER_INFO_2W* copy = CtxCopyPrinterInfo2(&source);
  ASSERT_NE(copy, nullptr);
  printer[0] = driver[0] = port[0] = u'X';  // the caller's memory changes or goes away
  EXPECT_EQ(std::u16string_view(copy->pPrinterName), u"\\\\server\\Printer 1");
  EXPECT_EQ(std::u16string_view(copy->pDriverName), u"ZOLT Office 7000 Series");
  EXPECT_EQ(std::u16string_view(copy->pPortName), u"LPT1:");
  EXPECT_EQ(copy->pServerName, nullptr);
  EXPECT_EQ(copy->pSecurityDescriptor, nullptr);
  EXPECT_EQ(copy->Attributes, 0x800u);
  const BYTE* dm = reinterpret_cast<const BYTE*>(copy->pDevMode);
  ASSERT_NE(dm, nullptr);
  EXPECT_NE(dm, callerMemory);
  EXPECT_EQ(dm[235], 0xAB);  // inside the caller's record
  for (DWORD i = 236; i < kFullDevModeSize; ++i) ASSERT_EQ(dm[i], 0) << i;  // never read past it
  MdlFreeMem(copy);

  WCHAR* name = CtxCopyPrinterName(&source);
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(std::u16string_view(name), std::u16string_view(printer));
  MdlFreeMem(name);
  EXPECT_EQ(CtxCopyPrinterInfo2(nullptr), nullptr);
  EXPECT_EQ(CtxCopyPrinterName(nullptr), nullptr);
}

TEST(CtxSpoolerRecords, DriverRecordCopiesOwnEveryStringAndTheDependentFileList) {
  WCHAR name[] = u"ZOLT Office 7000 Series";
  WCHAR help[] = u"C:\\drivers\\ZOLT.chm";
  WCHAR data[] = u"C:\\drivers\\model.zpd";
  WCHAR dependents[] = u"a.dll\0b.dll\0";
  DRIVER_INFO_3W source3{};
  source3.cVersion = 3;
  source3.pName = name;
  source3.pHelpFile = help;
  source3.pDataFile = data;
  source3.pDependentFiles = dependents;
  DRIVER_INFO_3W* copy3 = CtxCopyDriverInfo3(&source3);
  ASSERT_NE(copy3, nullptr);
  EXPECT_EQ(copy3->cVersion, 3u);
  EXPECT_NE(copy3->pHelpFile, help);
  EXPECT_EQ(std::u16string_view(copy3->pHelpFile), help);
  EXPECT_EQ(std::u16string_view(copy3->pDataFile), data);
  EXPECT_EQ(std::memcmp(copy3->pDependentFiles, dependents, sizeof dependents), 0);
  EXPECT_EQ(copy3->pMonitorName, nullptr);
  MdlFreeMem(copy3);

  DRIVER_INFO_2W source2{};
  source2.pName = name;
  source2.pDataFile = data;
  DRIVER_INFO_2W* copy2 = CtxCopyDriverInfo2(&source2);
  ASSERT_NE(copy2, nullptr);
  EXPECT_NE(copy2->pDataFile, data);
  EXPECT_EQ(std::u16string_view(copy2->pDataFile), data);
  EXPECT_EQ(copy2->pConfigFile, nullptr);
  MdlFreeMem(copy2);
}

}  // namespace

#endif
