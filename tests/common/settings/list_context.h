// A context with a settings image, the language "us" and the printer section "Office Printer",
// whose settings file's folder exists: the ground of the tests of the lists kept in that file.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../option/option_image_context.h"
#include "option_access.h"
#include "option_values.h"
#include "settings_paths.h"

namespace zolt::test {

class ListContextTest : public ImageContextTest {
 protected:
  static constexpr WCHAR kPrinter[] = u"Office Printer";

  void SetUp() override {
    ImageContextTest::SetUp();
    if (HasFatalFailure()) return;
    OptSetValue(ctx, kOptLanguageId, 1);  // us
    lstrcpynW(ctx->workArea->qualifiedPrinterName, kPrinter, kCtxPathChars);
    const WCHAR* file = PathGetSettingsIni(ctx);
    ASSERT_NE(file, nullptr);
    ASSERT_NE(file[0], u'\0');
    settings = file;
    MakeFolders(settings);
  }
  // Creates the folders of a Windows path, one level at a time.
  static void MakeFolders(const std::u16string& file) {
    for (size_t at = file.find(u'\\', 3); at != std::u16string::npos; at = file.find(u'\\', at + 1))
      CreateDirectoryW(file.substr(0, at).c_str(), nullptr);
  }
  std::vector<BYTE> Image() const { return {Working(), Working() + kSettingsImageSize}; }

  std::u16string settings;  // the settings file
};

}  // namespace zolt::test
