// The static class: text (left, centred, right, simple, no word wrap), icons and bitmaps
// (given by resource id in the template or set with STM_SETIMAGE), rectangles and frames,
// owner-drawn statics, and the clicks of SS_NOTIFY statics.
#include "user/window.h"

namespace zolt::host::user {

namespace {

class StaticState : public ControlState {
 public:
  HANDLE image = nullptr;
  UINT imageType = IMAGE_BITMAP;
  WORD resourceId = 0;
};

StaticState& StateOf(Window& w) {
  if (!w.State<StaticState>()) w.state = std::make_unique<StaticState>();
  return *w.State<StaticState>();
}

DWORD TypeOf(const Window& w) { return w.style & SS_TYPEMASK; }

void Paint(HWND hwnd, HDC dc, HBRUSH background) {
  auto w = GetQuiet(hwnd);
  if (!w) return;
  RECT r = ClientRectOf(*w);
  DWORD type = TypeOf(*w);
  if (type == SS_OWNERDRAW) {
    DRAWITEMSTRUCT dis{ODT_STATIC, UINT(w->id), 0, ODA_DRAWENTIRE, UINT((w->style & WS_DISABLED) ? ODS_DISABLED : 0),
                       hwnd, dc, r, 0};
    if (w->parent) SendMessageW(w->parent, WM_DRAWITEM, w->id, reinterpret_cast<LPARAM>(&dis));
    return;
  }
  if (!dc) return;
  switch (type) {
    case SS_BLACKRECT: draw::Fill(dc, r, COLOR_WINDOWFRAME); return;
    case SS_GRAYRECT: draw::Fill(dc, r, COLOR_BTNSHADOW); return;
    case SS_WHITERECT: draw::Fill(dc, r, COLOR_WINDOW); return;
    case SS_BLACKFRAME: draw::Frame(dc, r, COLOR_WINDOWFRAME); return;
    case SS_GRAYFRAME: draw::Frame(dc, r, COLOR_BTNSHADOW); return;
    case SS_WHITEFRAME: draw::Frame(dc, r, COLOR_BTNHIGHLIGHT); return;
    case SS_ETCHEDHORZ: draw::Line(dc, r.left, r.top, r.right, r.top, COLOR_BTNSHADOW); return;
    case SS_ETCHEDVERT: draw::Line(dc, r.left, r.top, r.left, r.bottom, COLOR_BTNSHADOW); return;
    case SS_ETCHEDFRAME: draw::Edge(dc, r, true); return;
    case SS_ICON:
    case SS_BITMAP:
    case SS_ENHMETAFILE:
      draw::Background(dc, r, background, COLOR_BTNFACE);
      DrawStaticImage(hwnd, dc, r, StateOf(*w).image, type == SS_ICON ? IMAGE_ICON : IMAGE_BITMAP);
      return;
  }
  draw::Background(dc, r, background, COLOR_BTNFACE);
  UINT flags = DT_EXPANDTABS | ((w->style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
  if (type == SS_CENTER)
    flags |= DT_CENTER | DT_WORDBREAK;
  else if (type == SS_RIGHT)
    flags |= DT_RIGHT | DT_WORDBREAK;
  else if (type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP)
    flags |= DT_SINGLELINE;
  else
    flags |= DT_WORDBREAK;
  if (w->style & SS_CENTERIMAGE) flags = (flags & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
  if (w->style & SS_ENDELLIPSIS) flags |= DT_END_ELLIPSIS;
  draw::Text(dc, FontOf(hwnd), w->text, r, flags, (w->style & WS_DISABLED) ? COLOR_GRAYTEXT : -1);
}

}  // namespace

LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto w = GetQuiet(hwnd);
  if (!w) return 0;
  auto& s = StateOf(*w);
  DWORD type = TypeOf(*w);
  switch (msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
      // A template names the picture of an icon or bitmap static by resource id: 0xFFFF, id.
      if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName) && cs->lpszName[0] == 0xFFFF) {
        s.resourceId = cs->lpszName[1];
        if (type == SS_ICON) {
          s.image = LoadIconW(cs->hInstance, MAKEINTRESOURCEW(s.resourceId));
          s.imageType = IMAGE_ICON;
        } else if (type == SS_BITMAP) {
          s.image = LoadImageW(cs->hInstance, MAKEINTRESOURCEW(s.resourceId), IMAGE_BITMAP, 0, 0, 0);
          s.imageType = IMAGE_BITMAP;
        }
        return TRUE;
      }
      if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName) && (type == SS_ICON || type == SS_BITMAP) &&
          cs->lpszName[0]) {
        s.image = type == SS_ICON ? reinterpret_cast<HANDLE>(LoadIconW(cs->hInstance, cs->lpszName))
                                  : LoadImageW(cs->hInstance, cs->lpszName, IMAGE_BITMAP, 0, 0, 0);
        s.imageType = type == SS_ICON ? IMAGE_ICON : IMAGE_BITMAP;
        return TRUE;
      }
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case WM_NCHITTEST:
      return (w->style & SS_NOTIFY) ? HTCLIENT : HTTRANSPARENT;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (w->style & SS_NOTIFY) Notify(hwnd, msg == WM_LBUTTONDOWN ? STN_CLICKED : STN_DBLCLK);
      return 0;
    case WM_ENABLE:
      if (w->style & SS_NOTIFY) Notify(hwnd, wParam ? STN_ENABLE : STN_DISABLE);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case STM_SETIMAGE:
    case STM_SETICON: {
      HANDLE old = s.image;
      s.image = reinterpret_cast<HANDLE>(msg == STM_SETICON ? wParam : WPARAM(lParam));
      s.imageType = msg == STM_SETICON ? IMAGE_ICON : UINT(wParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return reinterpret_cast<LRESULT>(old);
    }
    case STM_GETIMAGE:
    case STM_GETICON:
      return reinterpret_cast<LRESULT>(s.image);
    case WM_SETTEXT:
      DefWindowProcW(hwnd, msg, wParam, lParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
  }
  if (LRESULT r; CommonControlMessage(hwnd, msg, wParam, lParam, WM_CTLCOLORSTATIC, Paint, &r)) return r;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace zolt::host::user
