// The host's automation interface (not a platform call): how tests, tools and people drive the
// headless window system as a user would, read what it shows and save it as a picture.
//
// Actions go through the window system's own input path: a click is a button press and release
// posted at the centre of the control and dispatched like any other input (through the dialog
// manager of its dialog), typing is WM_CHAR per character to the focused control, a key is
// WM_KEYDOWN / WM_KEYUP. Each action pumps the messages it caused before it returns.
//
// Modal loops (dialog boxes, message boxes, property sheets, file dialogs) give the interface a
// turn whenever they have nothing left to do: a queued answer of a message box is given first,
// then the next scripted step runs. With nothing scripted the loop closes its window as the
// Escape key would (and the close is recorded), so a headless run never waits for a user.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "win32/user.h"

namespace zolt::host::ui {

// Finding windows. Captions and texts compare exactly; class names without case.
HWND FindTopLevel(std::u16string_view caption);
HWND FindTopLevelByClass(std::u16string_view className);
// A control by id or by its text anywhere below window (inside property pages too), visible
// ones first.
HWND FindControl(HWND window, int id);
HWND FindControlByText(HWND window, std::u16string_view text);
// The top-level window a user would act on now: the active one, else the topmost visible one.
HWND ActiveWindow();

// Acting as the user. Each returns false when the window is missing, hidden or disabled, or the
// item is not there.
bool Click(HWND control);
bool ClickAt(HWND window, POINT client, bool right = false);
bool DoubleClick(HWND control);
// Chooses an item by its text: list box, combo box, tab control, list view, tree view.
bool SelectItem(HWND control, std::u16string_view text);
// Gives the control the focus and types the characters.
bool Type(HWND control, std::u16string_view text);
// Presses and releases a virtual key on the control (the focused window when null).
bool PressKey(HWND control, UINT vk, bool shift = false, bool control_ = false);
// Moves the focus as a user would (with the Tab key on dialogs).
bool Focus(HWND control);

// Reading what is shown.
std::u16string Text(HWND window);
int CheckState(HWND button);                     // BST_x, or -1 when not a button
int SelectedIndex(HWND control);                 // list box, combo box, tab, list view; -1 when none
std::u16string SelectedText(HWND control);
std::vector<std::u16string> Items(HWND control);  // list box, combo box, tab, list view (first column)

// Scripted steps run by modal loops when idle, each once, in order.
void WhenIdle(std::function<void(HWND modal)> step);
size_t PendingSteps();

// Message boxes: answers queue, every box shown is recorded.
void AnswerNextMessageBox(int answer);
struct MessageBoxRecord {
  HWND owner;
  std::u16string text;
  std::u16string caption;
  UINT type;
  int answer;
};
std::vector<MessageBoxRecord> MessageBoxes();

// Popup menus: the command the next TrackPopupMenu chooses (0: the menu is dismissed).
void AnswerNextMenu(UINT command);
struct MenuRecord {
  HWND owner;
  std::vector<std::u16string> items;  // the texts shown, separators as empty strings
  UINT chosen;
};
std::vector<MenuRecord> Menus();

// Help and shell calls, recorded and never launched.
struct HelpCall {
  std::string function;  // "WinHelpW", "HtmlHelpW" or "ShellExecuteW"
  HWND window;
  std::u16string file;
  UINT command;
  ULONG_PTR data;
  std::u16string topic;  // HtmlHelpW's topic path or ShellExecuteW's operation
};
std::vector<HelpCall> HelpCalls();

// Windows of other programs that FindWindowW should find (a class and a caption).
HWND AddForeignWindow(std::u16string_view className, std::u16string_view caption);

// Modal windows that were closed because nothing was scripted (their captions).
std::vector<std::u16string> UnattendedCloses();

// Saves a window (with its frame and caption when top-level) as a PNG file, painted fresh.
bool SavePng(HWND window, const std::string& path);

// Forgets scripts, answers and records (not the windows).
void Reset();

namespace detail {
bool RunIdleStep(HWND modal);
void NoteUnattendedClose(HWND modal);
bool NextMessageBoxAnswer(int* answer);
void RecordMessageBox(const MessageBoxRecord& record);
bool NextMenuAnswer(UINT* command);
void RecordMenu(const MenuRecord& record);
void RecordHelp(const HelpCall& call);
}  // namespace detail

}  // namespace zolt::host::ui
