// A machine with the driver and its printer, whose printing preferences and printer properties
// are opened through the host as an application and the printers folder open them; a person's
// work on the open sheet and on the dialogs opened over it is a list of actions.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "context_services.h"
#include "dialog_table.h"
#include "env_language.h"
#include "env_system.h"
#include "machine_fixture.h"
#include "option_access.h"
#include "sheet_engine.h"
#include "win32/hostui.h"
#include "win32/machine.h"
#include "win32/windows.h"

namespace zolt::test {

namespace ui = zolt::host::ui;

// What a person does in a dialog.
struct DialogAction {
  enum Kind { kType, kPaste, kClick, kAnswer, kThen } kind;
  uint16_t control = 0;   // kType, kPaste, kClick
  std::u16string text{};  // kType, kPaste
  int answer = 0;         // kAnswer: the next message box's answer
  std::vector<DialogAction> then{};  // kThen: done in the next dialog that opens (then Cancel)
};

inline DialogAction Type(uint16_t control, std::u16string text) { return {DialogAction::kType, control, std::move(text)}; }
inline DialogAction Paste(uint16_t control, std::u16string text) { return {DialogAction::kPaste, control, std::move(text)}; }
inline DialogAction Click(uint16_t control) { return {DialogAction::kClick, control}; }
inline DialogAction Answer(int answer) { return {DialogAction::kAnswer, 0, {}, answer}; }
inline DialogAction Then(std::vector<DialogAction> actions) { return {DialogAction::kThen, 0, {}, 0, std::move(actions)}; }

// Puts text on the clipboard as a program would (UTF-16; the host gives CF_TEXT from it).
inline void PutOnClipboard(const std::u16string& text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
  auto* bytes = static_cast<char16_t*>(GlobalLock(memory));
  std::copy(text.begin(), text.end(), bytes);
  bytes[text.size()] = 0;
  GlobalUnlock(memory);
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
}

// Performs the actions in the modal window; false (with a test failure) when one cannot be done.
inline bool Perform(HWND modal, const std::vector<DialogAction>& actions);

// The actions for the next modal window that waits for the user; it is cancelled when they
// leave it open.
inline void WhenNextDialog(std::vector<DialogAction> actions) {
  ui::WhenIdle([actions](HWND modal) {
    Perform(modal, actions);
    if (IsWindow(modal)) ui::Click(ui::FindControl(modal, IDCANCEL));
  });
}

inline bool Perform(HWND modal, const std::vector<DialogAction>& actions) {
  for (const DialogAction& a : actions) {
    if (a.kind == DialogAction::kThen) {
      WhenNextDialog(a.then);
      continue;
    }
    HWND target = a.control ? ui::FindControl(modal, a.control) : nullptr;
    if (a.kind != DialogAction::kAnswer && !target) {
      ADD_FAILURE() << "no control " << a.control;
      return false;
    }
    switch (a.kind) {
      case DialogAction::kType:
        if (!ui::Type(target, a.text)) ADD_FAILURE() << "cannot type into " << a.control;
        break;
      case DialogAction::kPaste:
        PutOnClipboard(a.text);
        if (!ui::Type(target, u"\x16")) ADD_FAILURE() << "cannot paste into " << a.control;
        break;
      case DialogAction::kClick:
        if (!ui::Click(target)) ADD_FAILURE() << "cannot click " << a.control;
        break;
      case DialogAction::kAnswer:
        ui::AnswerNextMessageBox(a.answer);
        break;
      case DialogAction::kThen:
        break;
    }
    if (!IsWindow(modal)) return true;
  }
  return true;
}

class SheetHostTest : public DriverMachineTest {
 protected:
  bool InitializesPrinter() const override { return true; }
  void SetUp() override {
    DriverMachineTest::SetUp();
    ui::Reset();
  }
  void TearDown() override {
    CtxPurgeCache(1);
    ui::Reset();
    DriverMachineTest::TearDown();
  }

  // The context of the sheet's current page.
  static DriverContext* ContextOfSheet(HWND sheet, HWND* page) {
    *page = PropSheet_GetCurrentPageHwnd(sheet);
    return *page ? reinterpret_cast<DriverContext*>(GetWindowLongPtrW(*page, DWLP_USER)) : nullptr;
  }

  // `work` on the sheet that waits for the user next, then OK (or Cancel).
  // A notice shown before the sheet (such as the presets brought in line with the printer) is
  // acknowledged first.
  static void WhenSheetOpens(const std::function<void(DriverContext*, HWND page)>& work, bool ok, bool* ran) {
    ui::WhenIdle([work, ok, ran](HWND sheet) {
      if (!PropSheet_GetCurrentPageHwnd(sheet)) {
        WhenSheetOpens(work, ok, ran);
        ui::Click(ui::FindControl(sheet, IDOK));
        return;
      }
      *ran = true;
      HWND page = nullptr;
      DriverContext* ctx = ContextOfSheet(sheet, &page);
      EXPECT_NE(ctx, nullptr);
      if (ctx) work(ctx, page);
      if (IsWindow(sheet)) ui::Click(ui::FindControl(sheet, ok ? IDOK : IDCANCEL));
    });
  }

  // Printing preferences of the printer (DocumentPropertiesW with the prompt flag); `work` runs
  // on the open sheet, which is then closed with OK (or Cancel). The result of the call; the
  // device mode the application gets in *out.
  LONG Preferences(const std::function<void(DriverContext*, HWND page)>& work, bool ok = true,
                   std::vector<BYTE>* out = nullptr, const std::function<void(DEVMODEW*)>& edit = {}) {
    HANDLE printer = OpenTestPrinter(PRINTER_ACCESS_USE);
    if (!printer) return -1;
    std::u16string name = kPrinterName;
    const LONG size = DocumentPropertiesW(nullptr, printer, name.data(), nullptr, nullptr, 0);
    std::vector<BYTE> in(size > 0 ? size_t(size) : 0), result(in.size());
    DocumentPropertiesW(nullptr, printer, name.data(), reinterpret_cast<PDEVMODEW>(in.data()), nullptr, DM_OUT_BUFFER);
    if (edit) edit(reinterpret_cast<DEVMODEW*>(in.data()));
    bool ran = false;
    WhenSheetOpens(work, ok, &ran);
    const LONG r = DocumentPropertiesW(nullptr, printer, name.data(), reinterpret_cast<PDEVMODEW>(result.data()),
                                       reinterpret_cast<PDEVMODEW>(in.data()), DM_IN_BUFFER | DM_OUT_BUFFER | DM_IN_PROMPT);
    EXPECT_TRUE(ran) << "the sheet never waited for the user";
    ClosePrinter(printer);
    if (out) *out = result;
    return r;
  }

  // Printer properties as the printers folder opens them; `work` runs on the open sheet, which
  // is then closed with OK (or Cancel).
  BOOL Properties(const std::function<void(DriverContext*, HWND page)>& work, bool ok = true) {
    HANDLE printer = OpenTestPrinter(PRINTER_ALL_ACCESS);
    if (!printer) return FALSE;
    bool ran = false;
    WhenSheetOpens(work, ok, &ran);
    const BOOL r = PrinterProperties(nullptr, printer);
    EXPECT_TRUE(ran) << "the sheet never waited for the user";
    ClosePrinter(printer);
    return r;
  }

  // Runs a dialog of the table over the page as the engine runs it, the actions done in it,
  // then `inside` on the still open dialog; its result (IDOK, IDCANCEL ...). A dialog the
  // actions leave open is cancelled.
  static int RunDialog(DriverContext* ctx, HWND page, uint16_t dialogId, const std::vector<DialogAction>& actions,
                       const std::function<void(HWND)>& inside = {}) {
    ui::WhenIdle([actions, inside](HWND modal) {
      Perform(modal, actions);
      if (IsWindow(modal) && inside) inside(modal);
      if (IsWindow(modal)) ui::Click(ui::FindControl(modal, IDCANCEL));
    });
    return UiRunSubDialog(ctx, kDialogModal, dialogId, page);
  }

  // Switches the machine's user (and whether it is an administrator).
  static void SwitchUser(const char* name, bool admin) {
    host::MachineFacts facts = host::Machine::Facts();
    facts.userName = name;
    facts.userIsAdmin = admin;
    ASSERT_TRUE(host::Machine::SetFacts(facts));
    EnvResetSystemCaches();
  }

  static std::u16string String(DriverContext* ctx, DWORD id) {
    WCHAR text[1025] = {};
    EnvLoadString(ctx, id, text, 1025, 1);
    return text;
  }
  static std::u16string OptionText(DriverContext* ctx, uint16_t id) {
    WCHAR text[1025] = {};
    if (OptionEntry* row = OptFind(ctx, id)) OptGetStringValue(ctx, row, text, 1025);
    return text;
  }
};

}  // namespace zolt::test
