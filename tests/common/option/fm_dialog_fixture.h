// A context with a settings image, a settings INI of its own and a small dialog table put in
// place of the context's: the dialogs and controls a feature-module test needs, each control
// optionally bound to an option row of the context.
#pragma once

#include <gtest/gtest.h>

#include <list>
#include <string>
#include <vector>

#include "env_language.h"
#include "option_access.h"
#include "option_image_context.h"
#include "win32/windows.h"

namespace zolt::test {

class FmDialogTest : public ImageContextTest {
 protected:
  static constexpr const char16_t* kIni = u"C:\\ZOLTTEST.ini";

  void SetUp() override {
    ImageContextTest::SetUp();
    ctx->profile->settingsFileName = kIni;
    lang = CfgLanguageCodeStr(ctx);
  }
  void TearDown() override {
    // The context frees its own table; ours goes back out first.
    if (ctx && installed_) ctx->dialogTable = saved_;
    ImageContextTest::TearDown();
  }

  // A control of a dialog; optionId 0 leaves it unbound. Call before Install.
  void AddControl(WORD dialogId, WORD controlId, uint16_t optionId = 0, uint16_t nameIndex = 0) {
    ControlDescriptor c{};
    c.controlId = controlId;
    c.nameIndex = nameIndex;
    c.option = optionId ? OptFind(ctx, optionId) : nullptr;
    if (optionId) {
      EXPECT_NE(c.option, nullptr) << optionId;
    }
    Dialog(dialogId).push_back(c);
  }
  void AddDialog(WORD dialogId) { Dialog(dialogId); }

  void Install() {
    rows_.clear();
    for (auto& [id, controls] : dialogs_) {
      DialogDescriptor d{};
      d.dialogId = id;
      d.controls = controls.data();
      d.controlCount = static_cast<int16_t>(controls.size());
      rows_.push_back(d);
    }
    table_.count = static_cast<int16_t>(rows_.size());
    table_.rows = rows_.data();
    if (!installed_) saved_ = ctx->dialogTable;
    ctx->dialogTable = &table_;
    installed_ = true;
  }

  ControlDescriptor* Control(WORD dialogId, WORD controlId) {
    DialogDescriptor* d = OptFindDialog(ctx, dialogId);
    return d ? OptFindControl(ctx, d, controlId) : nullptr;
  }

  // The settings INI, read and written directly.
  std::u16string Read(const std::u16string& section, const char16_t* key) {
    WCHAR buf[512] = {};
    GetPrivateProfileStringW(section.c_str(), key, u"<none>", buf, 512, kIni);
    return buf;
  }
  void Write(const std::u16string& section, const char16_t* key, const std::u16string& value) {
    ASSERT_TRUE(WritePrivateProfileStringW(section.c_str(), key, value.c_str(), kIni));
  }

  // Text options.
  std::u16string Text(uint16_t id) {
    WCHAR buf[600] = {};
    OptGetStringValue(ctx, OptFind(ctx, id), buf, 600);
    return buf;
  }
  void SetText(uint16_t id, const std::u16string& text) {
    ASSERT_NE(OptSetStringValue(ctx, OptFind(ctx, id), text.c_str()), nullptr) << id;
  }
  void Set(uint16_t id, int32_t value) { ASSERT_EQ(OptSetValue(ctx, id, value), 1) << id; }
  int32_t Get(uint16_t id) { return OptGetValue(ctx, id, nullptr); }

  std::u16string lang;

 private:
  std::vector<ControlDescriptor>& Dialog(WORD id) {
    for (auto& [dialogId, controls] : dialogs_)
      if (dialogId == id) return controls;
    dialogs_.emplace_back(id, std::vector<ControlDescriptor>{});
    return dialogs_.back().second;
  }

  std::list<std::pair<WORD, std::vector<ControlDescriptor>>> dialogs_;
  std::vector<DialogDescriptor> rows_;
  DialogTable table_{};
  DialogTable* saved_ = nullptr;
  bool installed_ = false;
};

}  // namespace zolt::test
