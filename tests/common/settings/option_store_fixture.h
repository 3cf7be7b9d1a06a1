// A driver context over the test printer (opened with administrator rights) with a working,
// saved and lock-default settings image, for the tests of stored option values; and readers
// of what printer data and the settings INI hold.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "../mdl/mdl_eval_fixture.h"
#include "core_memory.h"
#include "machine_fixture.h"
#include "option_access.h"
#include "option_store.h"
#include "settings_paths.h"

namespace zolt::test {

struct StoredValue {
  DWORD result = 0;
  DWORD type = 0;
  std::string bytes;
};

inline std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

// UTF-16 bytes of a text padded with zeros to size bytes.
inline std::string WideField(const std::u16string& text, size_t size) {
  std::string out(reinterpret_cast<const char*>(text.data()), text.size() * 2);
  out.resize(size, '\0');
  return out;
}

class StoreContextTest : public DriverMachineTest {
 protected:
  void SetUp() override {
    DriverMachineTest::SetUp();
    if (HasFatalFailure()) return;
    printer = OpenTestPrinter(PRINTER_ACCESS_ADMINISTER);
    ASSERT_NE(printer, nullptr);
    ctx = MakeContext(kCtxKindTablesOnly, kCtxModeUi);
    ASSERT_NE(ctx, nullptr);
    // The settings INI lives in the shared settings folder, which printer set-up makes.
    ASSERT_EQ(PathCreateSharedDir(ctx), 1);
    ASSERT_FALSE(IniPath().empty());
  }
  void TearDown() override {
    if (ctx) Destroy(ctx);
    MdlFreeMem(model_);
    if (printer) ClosePrinter(printer);
    DriverMachineTest::TearDown();
  }

  // A tables-only context over the printer with the three images attached.
  DriverContext* MakeContext(WORD flags, DWORD mode) {
    DriverContext* c = CtxCreateWithFlags(printer, printer, nullptr, flags, mode);
    if (!c) return nullptr;
    c->settingsImage = static_cast<SettingsImage*>(CtxAllocMem(kSettingsImageSize));
    if (!c->settingsImage || !c->workArea->savedImage) return nullptr;
    WriteBlockStarts(reinterpret_cast<BYTE*>(c->settingsImage));
    WriteBlockStarts(reinterpret_cast<BYTE*>(c->workArea->savedImage));
    if (c->workArea->lockDefaultImage) WriteBlockStarts(reinterpret_cast<BYTE*>(c->workArea->lockDefaultImage));
    return c;
  }
  void Destroy(DriverContext*& c) {
    c->modelImage = nullptr;  // the test owns the model
    CtxReleaseAs(c, kCtxReleaseDestroy);
    c = nullptr;
  }
  // Gives the context the sample model's image (kept by the test).
  void AttachSampleModel() {
    if (!model_) model_ = PackSource(SampleSource("ZOLT7000.QCS"));
    ASSERT_NE(model_, nullptr);
    ctx->modelImage = model_;
  }
  // Makes the context count as a full one (the changed-only rules apply).
  void MakeFull() { ctx->workArea->contextKind = kCtxKindFull; }

  OptionEntry* Row(uint16_t id) {
    OptionEntry* row = OptFind(ctx, id);
    EXPECT_NE(row, nullptr) << id;
    return row;
  }
  int32_t Get(uint16_t id) { return OptGetValue(ctx, id, nullptr); }
  void Set(uint16_t id, int32_t value) { ASSERT_EQ(OptSetValue(ctx, id, value), 1) << id; }
  void SetText(uint16_t id, const std::u16string& text) { ASSERT_NE(OptSetStringValue(ctx, Row(id), text.c_str()), nullptr); }
  std::u16string Text(uint16_t id) {
    WCHAR out[600] = {};
    OptGetStringValue(ctx, Row(id), out, 600);
    return out;
  }

  StoredValue Value(const std::u16string& name) {
    StoredValue v;
    std::string buffer(70000, '\0');
    DWORD needed = 0;
    v.result = GetPrinterDataW(printer, const_cast<LPWSTR>(name.c_str()), &v.type,
                               reinterpret_cast<LPBYTE>(buffer.data()), static_cast<DWORD>(buffer.size()), &needed);
    if (v.result == ERROR_SUCCESS) v.bytes = buffer.substr(0, needed);
    return v;
  }
  bool Has(const std::u16string& name) { return Value(name).result == ERROR_SUCCESS; }
  void Put(const std::u16string& name, const std::string& bytes, DWORD type = REG_BINARY) {
    ASSERT_EQ(SetPrinterDataW(printer, const_cast<LPWSTR>(name.c_str()), type,
                              reinterpret_cast<LPBYTE>(const_cast<char*>(bytes.data())),
                              static_cast<DWORD>(bytes.size())),
              static_cast<DWORD>(ERROR_SUCCESS))
        << std::string(name.begin(), name.end());
  }
  void Drop(const std::u16string& name) { DeletePrinterDataW(printer, const_cast<LPWSTR>(name.c_str())); }

  std::u16string IniPath() { return PathGetSettingsIni(ctx); }
  std::string IniText() { return ReadBytes(Real(IniPath())); }
  void WriteIni(const std::string& text) { WriteBytes(Real(IniPath()), text); }
  // "[<printer section>]\r\n" as ANSI.
  std::string Header() {
    std::u16string name = PrnGetName(ctx);
    return "[" + std::string(name.begin(), name.end()) + "]\r\n";
  }

  HANDLE printer = nullptr;
  DriverContext* ctx = nullptr;

 private:
  ModelImage* model_ = nullptr;
};

}  // namespace zolt::test
