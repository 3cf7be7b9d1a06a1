// The window manager's own records: classes, windows and their tree, the per-thread queue,
// and the helpers the controls, dialogs and common controls share.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "win32/user.h"

namespace zolt::host::user {

// A control's own state (the list of a list box, the text of an edit, ...), kept by the window.
class ControlState {
 public:
  virtual ~ControlState() = default;
};

struct WindowClass {
  std::u16string name;
  ATOM atom = 0;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int clsExtra = 0;
  int wndExtra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  std::u16string menuName;
  HICON iconSmall = nullptr;
  bool system = false;  // registered by the window system, found for any instance
  std::vector<BYTE> extra;
};

// What the dialog manager keeps of a dialog besides its window words.
struct DialogState {
  bool ended = false;
  INT_PTR result = 0;
  bool modal = false;
  HFONT font = nullptr;
  bool ownFont = false;
  int baseX = 6;   // horizontal dialog base unit (pixels per 4 dialog units)
  int baseY = 13;  // vertical dialog base unit (pixels per 8 dialog units)
  HWND lastFocus = nullptr;
  UINT defId = IDOK;
};

struct Window {
  HWND handle = nullptr;
  std::shared_ptr<WindowClass> cls;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  UINT_PTR id = 0;  // child id, or the menu of a top-level window
  HINSTANCE instance = nullptr;
  LONG_PTR userData = 0;
  std::u16string text;
  HWND parent = nullptr;  // null for top-level windows
  HWND owner = nullptr;
  std::vector<HWND> children;  // Z order, topmost first
  RECT rect{};                 // in the parent's client coordinates (the screen's for top-level windows)
  std::vector<BYTE> extra;
  std::vector<std::pair<std::u16string, HANDLE>> props;
  DWORD thread = 0;
  // Painting.
  RECT invalid{};
  bool erase = false;
  bool redraw = true;  // WM_SETREDRAW
  HFONT font = nullptr;
  // Life.
  bool created = false;     // WM_NCCREATE accepted
  bool destroying = false;  // WM_DESTROY sent
  std::unique_ptr<ControlState> state;
  std::unique_ptr<DialogState> dialog;

  template <class T>
  T* State() {
    return dynamic_cast<T*>(state.get());
  }
};

// The live window behind a handle, or null (and ERROR_INVALID_WINDOW_HANDLE) when there is none.
std::shared_ptr<Window> Get(HWND hwnd);
std::shared_ptr<Window> GetQuiet(HWND hwnd);
// Every top-level window, in Z order (topmost first).
std::vector<HWND> TopLevelWindows();
HWND RootOf(HWND hwnd);  // the top-level window of a window (itself when top-level)
bool IsDialogWindow(HWND hwnd);
bool ClassIs(HWND hwnd, std::u16string_view name);  // case-insensitive class-name test
std::u16string Lower(std::u16string_view s);
bool EqualNoCase(std::u16string_view a, std::u16string_view b);

// Geometry: non-client insets of a style and the client area's origin on the screen.
RECT NonClientInsets(DWORD style, DWORD exStyle, bool child);
POINT ClientOrigin(const Window& w);  // screen coordinates
RECT ClientRectOf(const Window& w);   // (0, 0, width, height)

// Registers the classes of the window system (controls, dialogs, common controls) once.
void EnsureSystemClasses();
void RegisterCommonControlClasses();  // the common controls' classes (comctl)
void RegisterSystemClass(const char16_t* name, WNDPROC proc, UINT style, int wndExtra, HBRUSH background = nullptr);

// Window-proc helpers shared by the controls.
LRESULT Notify(HWND control, UINT code);                      // WM_COMMAND to the parent
LRESULT NotifyParent(HWND control, NMHDR& header, UINT code);  // WM_NOTIFY to the parent
HWND ParentOrOwner(HWND hwnd);
HFONT DefaultGuiFont();

// The per-thread queue.
struct Timer {
  HWND hwnd;
  UINT_PTR id;
  UINT elapse;
  TIMERPROC proc;
  ULONGLONG due;
  DWORD thread;
};
void PostInternal(const MSG& msg);
bool HasPendingWork();                  // posted messages, input, due timers or invalid windows
bool NextTimerDue(ULONGLONG* due);      // the earliest timer of this thread
void RemoveWindowFromQueue(HWND hwnd);  // messages and timers of a destroyed window

// Modal loops (dialog boxes, message boxes, property sheets, file dialogs) run this until done()
// answers true. Posted messages go through IsDialogMessageW of their dialog. When nothing is
// left, the automation interface gets a turn; when it has nothing scripted the modal window is
// cancelled (closeWindow answers WM_COMMAND IDCANCEL) so that a headless loop never hangs.
void RunModalLoop(HWND modal, const std::function<bool()>& done);
// Processes every posted message and paint of this thread, then returns.
void PumpPending();
// Dispatches one message through the dialog that owns its window, as a message loop would.
void RouteMessage(MSG& msg);

// Painting seam: the device context a window paints into (the surface of its top-level
// window, origin at the window's client area, clipped to it), or null while there is none.
HDC AcquirePaintDC(HWND hwnd, bool wholeWindow);
void ReleasePaintDC(HWND hwnd, HDC hdc);
// Paints a window and its visible children now (WM_ERASEBKGND, WM_PAINT) into its surface.
void PaintTree(HWND hwnd);
void ForgetSurface(HWND hwnd);
// Fills a rectangle of a paint DC with a brush or a system colour (COLOR_x + 1 as the brush).
BOOL EraseWithBrush(HDC hdc, const RECT& rect, HBRUSH brush);
// The surface of a top-level window (null before it was first painted).
HBITMAP SurfaceBitmap(HWND root);
// Paints the frame of a window (border, edges, caption) through its window DC.
void PaintFrame(HWND hwnd);
// The colours of a control: WM_CTLCOLORx to its parent sets the DC's text and background
// colours and gives the brush of the background; the default ones when the parent gives none.
HBRUSH ControlColors(HWND control, HDC hdc, UINT msg);
HBRUSH DefaultControlColors(HDC hdc, UINT msg);
// The messages every control answers alike: WM_SETFONT and WM_GETFONT (the control's font,
// redrawn when asked), WM_ENABLE (redrawn), WM_ERASEBKGND (nothing: a control paints all of its
// client) and WM_PAINT (BeginPaint, the colours of WM_CTLCOLORx when ctlColor is not 0, paint,
// EndPaint). False, and nothing done, for any other message.
using ControlPainter = void (*)(HWND hwnd, HDC dc, HBRUSH background);
bool CommonControlMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT ctlColor, ControlPainter paint,
                          LRESULT* result);

// The dialog font of a template (null while the graphics interface has no fonts) and the
// dialog base units it gives: pixels per 4 horizontal and per 8 vertical dialog units.
HFONT CreateDialogFont(const std::u16string& face, int pointSize, int weight, bool italic, int charset, int* baseX,
                       int* baseY);
void DeleteDialogFont(HFONT font);
void DialogBaseUnitsFor(const std::u16string& face, int pointSize, int* baseX, int* baseY);

// Plain drawing of the controls (a null DC draws nothing). Colours are COLOR_x indexes.
namespace draw {
void Fill(HDC dc, const RECT& r, int sysColor);
void FillRgb(HDC dc, const RECT& r, DWORD colorref);
void Frame(HDC dc, const RECT& r, int sysColor);
void Edge(HDC dc, const RECT& r, bool sunken);  // a two-pixel 3D edge
// A sysColor of -1 keeps the DC's text colour (the one WM_CTLCOLORx set).
void Text(HDC dc, HFONT font, std::u16string_view text, RECT r, UINT dtFlags, int sysColor);
void Check(HDC dc, const RECT& box, int state, bool radio);
void Arrow(HDC dc, const RECT& r, int direction, bool enabled);  // 0 up, 1 down, 2 left, 3 right
void Focus(HDC dc, const RECT& r);
// Fills with the brush WM_CTLCOLORx gave, or the system colour when there is none.
void Background(HDC dc, const RECT& r, HBRUSH brush, int sysColor);
void Line(HDC dc, int x1, int y1, int x2, int y2, int sysColor);
}  // namespace draw
HFONT FontOf(HWND hwnd);  // WM_GETFONT, or the dialog font of its dialog

// The virtual input devices, as the automation interface moves them.
void InputKey(int vk, bool down);
void InputCursor(POINT screen);

// Class procedures.
LRESULT CALLBACK ButtonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK StaticProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ListBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ComboBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ScrollBarProc(HWND, UINT, WPARAM, LPARAM);

// A user's choice of an item, as the mouse makes it (notifications included).
bool ComboChoose(HWND combo, int index);
bool ListBoxChoose(HWND list, int index);
// A bitmap resource as the graphics interface loads it (null while it has none).
HANDLE LoadBitmapForWindow(HINSTANCE instance, LPCWSTR name);
// Paints the picture of an icon or bitmap static.
void DrawStaticImage(HWND hwnd, HDC dc, const RECT& r, HANDLE image, UINT type);

// Dialog templates parsed from the platform's two forms (checked against the template's size).
struct DialogItem {
  DWORD helpId = 0;
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  DWORD id = 0;
  std::u16string className;  // predefined classes by their names
  std::u16string text;
  WORD textOrdinal = 0;  // a resource id in place of the text (icons and bitmaps of statics)
  bool textIsOrdinal = false;
  std::vector<BYTE> creationData;
};
struct DialogTemplate {
  bool extended = false;
  DWORD helpId = 0;
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  std::u16string menu;
  WORD menuOrdinal = 0;
  std::u16string className;
  WORD classOrdinal = 0;
  std::u16string title;
  WORD pointSize = 0;
  WORD weight = 0;
  BYTE italic = 0;
  BYTE charset = 0;
  std::u16string typeface;
  std::vector<DialogItem> items;
};
// False (and the reason) when the template is malformed or runs past size bytes.
bool ParseDialogTemplate(const BYTE* data, size_t size, DialogTemplate* out, std::string* error = nullptr);
// Runs a modal dialog from a parsed template (owner disabled while it runs); -1 on failure.
INT_PTR RunModalDialog(HINSTANCE instance, const DialogTemplate& tpl, HWND parent, DLGPROC proc, LPARAM param);
// Builds a dialog from a parsed template (children created, WM_INITDIALOG sent); null on failure.
HWND CreateDialogFromTemplate(HINSTANCE instance, const DialogTemplate& tpl, HWND parent, DLGPROC proc,
                              LPARAM param, bool modal);

}  // namespace zolt::host::user
