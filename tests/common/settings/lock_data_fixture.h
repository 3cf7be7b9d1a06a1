// The stored-values context with the lock helpers: lock bits, a model of one's own and the
// driver-defaults file of the test driver.
#pragma once

#include <string>

#include "lock_data.h"
#include "option_store_fixture.h"
#include "option_values.h"

namespace zolt::test {

class LockDataTest : public StoreContextTest {
 protected:
  void TearDown() override {
    StoreContextTest::TearDown();
    MdlFreeMem(ownModel_);
  }

  // Gives the context a model compiled from source (kept by the test).
  void AttachModel(const std::string& source) {
    MdlFreeMem(ownModel_);
    ownModel_ = PackSource(source);
    ASSERT_NE(ownModel_, nullptr);
    ctx->modelImage = ownModel_;
  }
  // The sample model with its resolution item replaced by `item` (an empty text drops it).
  static std::string SampleWithResolution(const std::string& item) {
    std::string source = SampleSource("ZOLT7000.QCS");
    const std::string open = "*OpenUI *ZPD_IDC_USER_QUALITY_CHOICE_RESOLUTION:";
    const std::string close = "*CloseUI: *ZPD_IDC_USER_QUALITY_CHOICE_RESOLUTION\n";
    const size_t from = source.find(open);
    const size_t to = source.find(close);
    EXPECT_NE(from, std::string::npos);
    EXPECT_NE(to, std::string::npos);
    source.replace(from, to + close.size() - from, item);
    return source;
  }

  void WriteDriverDefaults(const std::string& text) {
    const std::u16string path = PathGetDriverIni(ctx);
    ASSERT_FALSE(path.empty());
    WriteBytes(Real(path), text);
  }
  std::string PrinterSection() {
    const std::u16string name = PrnGetName(ctx);
    return "[" + std::string(name.begin(), name.end()) + "]\r\n";
  }

 private:
  ModelImage* ownModel_ = nullptr;
};

}  // namespace zolt::test
