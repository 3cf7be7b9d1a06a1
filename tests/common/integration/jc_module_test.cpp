// The job-control binding: items round-tripped per printer through the module, the interface
// versions and the items each may carry, reads that are cut or refused, clearing and deleting.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "../settings/option_store_fixture.h"
#include "job_control.h"
#include "win32/hostspooler.h"

namespace {

using zolt::test::ReadBytes;
using zolt::test::StoreContextTest;
using zolt::test::WriteBytes;

enum : uint16_t {
  kUserCode = 203,
  kOwnerName = 204,
  kUserId = 202,
  kTelLine = 234,
  kAuthUserName = 1144,
  kBillingCode = 1251,
};

class JobControl : public StoreContextTest {
 protected:
  std::filesystem::path ItemFile(const std::string& printer = "ZOLT Office 7000") {
    return Root() / "jobcontrol" / (printer + ".ini");
  }
  std::map<std::string, std::string> Items(const std::string& printer = "ZOLT Office 7000") {
    std::map<std::string, std::string> items;
    std::string text = ReadBytes(ItemFile(printer));
    size_t at = 0;
    while (at < text.size()) {
      size_t end = text.find("\r\n", at);
      if (end == std::string::npos) end = text.size();
      const std::string line = text.substr(at, end - at);
      const size_t eq = line.find('=');
      if (eq != std::string::npos) items[line.substr(0, eq)] = line.substr(eq + 1);
      at = end + 2;
    }
    return items;
  }
  void Module(const std::string& text) { WriteBytes(Root() / "jobcontrol" / "module.ini", text); }
};

TEST_F(JobControl, ItemsRoundTripPerPrinter) {
  SetText(kUserCode, u"1234");
  SetText(kOwnerName, u"Owner");
  Set(kTelLine, 42);
  SetText(kBillingCode, u"BILL-7");
  ASSERT_EQ(JcWriteItems(ctx, 0x1 | 0x2 | 0x40 | 0x4000), 0u);
  auto items = Items();
  EXPECT_EQ(items["1"], "text:1234");
  EXPECT_EQ(items["2"], "text:Owner");
  EXPECT_EQ(items["7"], "text:42");
  EXPECT_EQ(items["16"], "text:BILL-7");
  EXPECT_EQ(ctx->workArea->jobControl.module, nullptr);  // released after the one-shot command

  // Another context of the printer reads them back.
  DriverContext* other = MakeContext(kCtxKindTablesOnly, kCtxModeUi);
  ASSERT_NE(other, nullptr);
  ASSERT_EQ(JcReadItems(other, 0x1 | 0x2 | 0x40 | 0x4000), 0u);
  WCHAR text[40] = {};
  OptGetStringValue(other, OptFind(other, kOwnerName), text, 40);
  EXPECT_EQ(std::u16string(text), u"Owner");
  OptGetStringValue(other, OptFind(other, kBillingCode), text, 40);
  EXPECT_EQ(std::u16string(text), u"BILL-7");
  EXPECT_EQ(OptGetValue(other, kTelLine, nullptr), 42);
  Destroy(other);

  // A second printer keeps its own items.
  zolt::host::PrinterSetup second;
  second.name = u"Second Printer";
  second.driver = kDriverName;
  ASSERT_TRUE(zolt::host::AddPrinter(second));
  std::u16string name = second.name;
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ACCESS_USE};
  HANDLE h = nullptr;
  ASSERT_TRUE(OpenPrinterW(name.data(), &h, &defaults));
  std::swap(h, printer);
  DriverContext* secondCtx = MakeContext(kCtxKindTablesOnly, kCtxModeUi);
  std::swap(h, printer);
  ASSERT_NE(secondCtx, nullptr);
  EXPECT_EQ(JcReadItems(secondCtx, 0x2), 0u);
  OptGetStringValue(secondCtx, OptFind(secondCtx, kOwnerName), text, 40);
  EXPECT_EQ(std::u16string(text), u"");
  Destroy(secondCtx);
  ClosePrinter(h);
}

// Version 0x101 carries the authentication items but not the driver's own; 0x102 and 0x103 the
// reverse; the best version wins when all are offered.
TEST_F(JobControl, InterfaceVersions) {
  struct Case {
    const char* versions;
    bool driverItems, authItems;
  };
  const Case cases[] = {
      {"0x101", false, true},
      {"0x102", true, false},
      {"0x103,0x101", true, false},
      {"", true, true},
  };
  SetText(kAuthUserName, u"alice");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.versions);
    std::error_code ec;
    std::filesystem::remove(ItemFile(), ec);
    Module(std::string("versions=") + c.versions + "\r\n");
    ASSERT_EQ(JcWriteItems(ctx, 0x700 | 0x800), 0u);
    auto items = Items();
    EXPECT_EQ(items.count("256") == 1, c.driverItems);
    EXPECT_EQ(items.count("258") == 1, c.driverItems);
    EXPECT_EQ(items.count("9") == 1, c.authItems);
    if (c.driverItems) {
      EXPECT_EQ(items["256"], "text:ZOLT");
      EXPECT_EQ(items["258"].rfind("value:", 0), 0u);
    }
    if (c.authItems) {
      EXPECT_EQ(items["9"], "text:alice");
    }
  }
  Module("versions=0x100\r\n");
  EXPECT_NE(JcWriteItems(ctx, 0x1), 0u);
  EXPECT_EQ(ctx->workArea->jobControl.module, nullptr);
}

TEST_F(JobControl, ReadsAreCutAndNumbersParsed) {
  WriteBytes(ItemFile(), "2=text:ABCDEFGHIJKLMNOPQRST\r\n7=text:12\r\n4=text:\r\n1=value:5\r\n");
  SetText(kUserId, u"keep");
  SetText(kUserCode, u"keep");
  ASSERT_EQ(JcReadItems(ctx, 0x2 | 0x40 | 0x8), 0u);
  EXPECT_EQ(Text(kOwnerName), u"ABCDEFGHIJKLMNOP");  // 16 characters and the terminator
  EXPECT_EQ(Get(kTelLine), 12);
  EXPECT_EQ(Text(kUserId), u"keep");  // an empty text leaves the setting
  JcReadItems(ctx, 0x1);
  EXPECT_EQ(Text(kUserCode), u"keep");  // not a text item
}

TEST_F(JobControl, SessionCommandsClearAndDelete) {
  SetText(kOwnerName, u"Owner");
  Set(kTelLine, 9);
  JcOpenSession(ctx);
  ASSERT_NE(ctx->workArea->jobControl.session, nullptr);
  JcWriteItemsInSession(ctx, 0x2 | 0x40);
  EXPECT_EQ(Items()["2"], "text:Owner");
  EXPECT_EQ(JcSendLanguage(ctx), 0u);
  EXPECT_EQ(Items().count("language"), 1u);
  // Clearing in the session resets the settings (the line to the model's default) and sends them.
  JcClearItemsInSession(ctx, 0x2 | 0x40);
  EXPECT_EQ(Text(kOwnerName), u"");
  EXPECT_EQ(Items()["2"], "text:");
  EXPECT_EQ(JcDeleteItem(ctx, 2), 0u);
  EXPECT_EQ(Items().count("2"), 0u);
  JcCloseSession(ctx);
  EXPECT_EQ(ctx->workArea->jobControl.session, nullptr);
  EXPECT_EQ(ctx->workArea->jobControl.module, nullptr);
  EXPECT_EQ(JcDeleteItem(ctx, 7), 0u);  // no session: nothing

  // Clearing without the module.
  SetText(kOwnerName, u"Owner");
  Set(kTelLine, 9);
  JcClearItems(ctx, 0x2 | 0x40);
  EXPECT_EQ(Text(kOwnerName), u"");
  EXPECT_EQ(Get(kTelLine), 0);
  EXPECT_EQ(JcClearItemSetting(ctx, 256), kJcUnknownItem);
  EXPECT_EQ(JcClearItemSetting(ctx, 99), kJcUnknownItem);
}

TEST_F(JobControl, ModuleMissingOrRefusing) {
  SetText(kOwnerName, u"Owner");
  Module("open=0\r\n");
  EXPECT_NE(JcReadItems(ctx, 0x2), 0u);
  EXPECT_NE(JcWriteItems(ctx, 0x2), 0u);
  EXPECT_FALSE(std::filesystem::exists(ItemFile()));
  EXPECT_EQ(JcInitPrinter(ctx), 0u);  // registration needs no session
  EXPECT_EQ(Items()["registered"], "1");
  EXPECT_EQ(JcCanOpenSession(ctx), 0);

  ASSERT_TRUE(DeleteFileW(u"C:\\Windows\\System32\\QVJC32.DLL"));
  EXPECT_EQ(JcReadItems(ctx, 0x2), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(Text(kOwnerName), u"Owner");
  EXPECT_EQ(JcCanOpenSession(ctx), 0);
}

TEST_F(JobControl, ItemsInPrinterData) {
  SetText(kUserCode, u"777");
  SetText(kBillingCode, u"B");
  EXPECT_EQ(JcSaveItemsToPrinterData(ctx, 0x1 | 0x4000), 0);
  EXPECT_TRUE(Has(u"zdmUserCode"));
  EXPECT_FALSE(Has(u"wdmBillingCode"));
  SetText(kUserCode, u"");
  EXPECT_EQ(JcLoadItemsFromPrinterData(ctx, 0x1), 0);
  EXPECT_EQ(Text(kUserCode), u"777");
}

TEST(JobControlTable, ItemRows) {
  int count = 0;
  const JcItemRow* rows = JcItemTable(&count);
  ASSERT_EQ(count, 15);
  DWORD masks = 0;
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(masks & rows[i].mask, 0u);
    masks |= rows[i].mask;
  }
  EXPECT_EQ(masks, 0x7FFFu);
  EXPECT_EQ(JcFindItem(12), nullptr);
  EXPECT_EQ(JcFindItem(258)->capacity, 0);
}

}  // namespace

namespace {

// A context destroyed with its session open closes it and releases the module.
TEST_F(JobControl, DestroyedContextReleasesTheModule) {
  DriverContext* other = MakeContext(kCtxKindTablesOnly, kCtxModeUi);
  ASSERT_NE(other, nullptr);
  JcOpenSession(other);
  ASSERT_NE(other->workArea->jobControl.session, nullptr);
  EXPECT_NE(GetModuleHandleW(u"QVJC32.DLL"), nullptr);
  Destroy(other);
  EXPECT_EQ(GetModuleHandleW(u"QVJC32.DLL"), nullptr);
}

}  // namespace
