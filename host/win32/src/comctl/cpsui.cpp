// The print system's common property-sheet host: the reasons it calls a printer module's
// sheet function with (INIT, GET_INFO_HEADER, SET_RESULT, DESTROY), the functions it offers
// back (adding pages, the page count, the start page, results, nested sheet functions), and
// the sheet it shows from the pages it was given.
#include <algorithm>
#include <memory>
#include <vector>

#include "comctl/comctl_internal.h"
#include "user/window.h"

namespace zolt::host::comctl {

namespace {

struct Host;

struct Caller {
  PFNPROPSHEETUI pfn = nullptr;
  PROPSHEETUI_INFO info{};
  LPARAM lParam = 0;
};

struct Host {
  std::vector<HPROPSHEETPAGE> pages;
  std::vector<std::unique_ptr<Caller>> callers;  // the first is the caller of CommonPropertySheetUIW
  int startPage = 0;
  bool inSheet = false;
};

constexpr ULONG_PTR kMagic = 0x43505355;  // the host handle points at this tag

struct Handle {
  ULONG_PTR magic = kMagic;
  Host* host = nullptr;
  Caller* caller = nullptr;
};

Handle* FromHandle(HANDLE h) {
  auto* handle = static_cast<Handle*>(h);
  return handle && handle->magic == kMagic ? handle : nullptr;
}

LONG_PTR CALLBACK ComPropSheet(HANDLE hComPropSheet, UINT function, LPARAM lParam1, LPARAM lParam2);

LONG CallReason(Caller& c, WORD reason, LPARAM lParam) {
  c.info.Reason = reason;
  return c.pfn(&c.info, lParam);
}

// Starts a sheet function: INIT with its own handle; false when it refuses.
bool StartCaller(Host& host, PFNPROPSHEETUI pfn, LPARAM lParam, std::vector<std::unique_ptr<Handle>>& handles) {
  auto caller = std::make_unique<Caller>();
  caller->pfn = pfn;
  caller->lParam = lParam;
  auto handle = std::make_unique<Handle>();
  handle->host = &host;
  handle->caller = caller.get();
  caller->info.cbSize = sizeof(PROPSHEETUI_INFO);
  caller->info.Version = PROPSHEETUI_INFO_VERSION;
  caller->info.Flags = PSUIINFO_UNICODE;
  caller->info.hComPropSheet = handle.get();
  caller->info.pfnComPropSheet = ComPropSheet;
  caller->info.lParamInit = lParam;
  Caller* raw = caller.get();
  host.callers.push_back(std::move(caller));
  handles.push_back(std::move(handle));
  return CallReason(*raw, PROPSHEETUI_REASON_INIT, lParam) > 0;
}

thread_local std::vector<std::unique_ptr<Handle>>* t_handles = nullptr;

LONG_PTR CALLBACK ComPropSheet(HANDLE hComPropSheet, UINT function, LPARAM lParam1, LPARAM lParam2) {
  Handle* h = FromHandle(hComPropSheet);
  if (!h) return ERR_CPSUI_GETLASTERROR;
  Host& host = *h->host;
  switch (function) {
    case CPSFUNC_ADD_HPROPSHEETPAGE: {
      auto page = reinterpret_cast<HPROPSHEETPAGE>(lParam1);
      if (!page) return 0;
      host.pages.push_back(page);
      return reinterpret_cast<LONG_PTR>(page);
    }
    case CPSFUNC_ADD_PROPSHEETPAGEW: {
      HPROPSHEETPAGE page = CreatePropertySheetPageW(reinterpret_cast<LPCPROPSHEETPAGEW>(lParam1));
      if (!page) return 0;
      host.pages.push_back(page);
      return reinterpret_cast<LONG_PTR>(page);
    }
    case CPSFUNC_ADD_PFNPROPSHEETUIW: {
      auto pfn = reinterpret_cast<PFNPROPSHEETUI>(lParam1);
      if (!pfn || !t_handles) return 0;
      if (!StartCaller(host, pfn, lParam2, *t_handles)) return 0;
      return reinterpret_cast<LONG_PTR>(t_handles->back().get());
    }
    case CPSFUNC_GET_PAGECOUNT:
      return LONG_PTR(host.pages.size());
    case CPSFUNC_SET_HSTARTPAGE: {
      auto page = reinterpret_cast<HPROPSHEETPAGE>(lParam1);
      for (size_t i = 0; i < host.pages.size(); ++i)
        if (host.pages[i] == page) {
          host.startPage = int(i);
          return 1;
        }
      return 0;
    }
    case CPSFUNC_SET_RESULT: {
      // Every sheet function of this host hears the result (SET_RESULT), the first keeps it.
      SETRESULT_INFO sri{sizeof(SETRESULT_INFO), 0, reinterpret_cast<HANDLE>(lParam1), LRESULT(lParam2)};
      for (auto& c : host.callers) {
        CallReason(*c, PROPSHEETUI_REASON_SET_RESULT, reinterpret_cast<LPARAM>(&sri));
      }
      return 1;
    }
    case CPSFUNC_DELETE_HCOMPROPSHEET:
      return 1;
    case CPSFUNC_IGNORE_CPSUI_PSN_APPLY:
    case CPSFUNC_DO_APPLY_CPSUI:
    case CPSFUNC_SET_FUSION_CONTEXT:
      return 1;
  }
  return 0;
}

}  // namespace

}  // namespace zolt::host::comctl

namespace zolt::host {

LONG CommonPropertySheetHost(HWND owner, PFNPROPSHEETUI pfn, LPARAM lParam, LPDWORD result) {
  using namespace zolt::host::comctl;
  if (!pfn) return ERR_CPSUI_GETLASTERROR;
  Host host;
  std::vector<std::unique_ptr<Handle>> handles;
  auto* saved = t_handles;
  t_handles = &handles;
  struct Restore {
    std::vector<std::unique_ptr<Handle>>* saved;
    ~Restore() { t_handles = saved; }
  } restore{saved};
  if (!StartCaller(host, pfn, lParam, handles)) {
    Caller& first = *host.callers.front();
    CallReason(first, PROPSHEETUI_REASON_DESTROY, 0);
    if (result) *result = DWORD(first.info.Result);
    return CPSUI_CANCEL;
  }
  Caller& first = *host.callers.front();
  PROPSHEETUI_INFO_HEADER hdr{};
  hdr.cbSize = sizeof hdr;
  hdr.hWndParent = owner;
  CallReason(first, PROPSHEETUI_REASON_GET_INFO_HEADER, reinterpret_cast<LPARAM>(&hdr));
  LONG answer = CPSUI_OK;
  if (host.pages.empty()) {
    answer = ERR_CPSUI_NO_PROPSHEETPAGE;
  } else {
    PROPSHEETHEADERW sh{};
    sh.dwSize = sizeof sh;
    sh.dwFlags = PSH_NOCONTEXTHELP;
    if (hdr.Flags & PSUIHDRF_NOAPPLYNOW) sh.dwFlags |= PSH_NOAPPLYNOW;
    if ((hdr.Flags & PSUIHDRF_PROPTITLE) && hdr.pTitle) sh.dwFlags |= PSH_PROPTITLE;
    sh.hwndParent = hdr.hWndParent ? hdr.hWndParent : owner;
    sh.hInstance = hdr.hInst;
    std::u16string title = hdr.pTitle ? std::u16string(hdr.pTitle) : std::u16string(u"Printing Preferences");
    sh.pszCaption = title.c_str();
    sh.nPages = UINT(host.pages.size());
    sh.nStartPage = UINT(host.startPage);
    sh.phpage = host.pages.data();
    host.inSheet = true;
    INT_PTR r = PropertySheetW(&sh);
    host.inSheet = false;
    if (r < 0) answer = ERR_CPSUI_CREATEPROPPAGE_FAILED;
    else if (r == ID_PSREBOOTSYSTEM) answer = CPSUI_REBOOTSYSTEM;
    else if (r == ID_PSRESTARTWINDOWS) answer = CPSUI_RESTARTWINDOWS;
    // The sheet functions hear whether the user accepted (OK) or cancelled.
    for (auto it = host.callers.rbegin(); it != host.callers.rend(); ++it)
      CallReason(**it, PROPSHEETUI_REASON_DESTROY, r > 0 ? 1 : 0);
  }
  if (answer < 0 || host.pages.empty())
    for (auto it = host.callers.rbegin(); it != host.callers.rend(); ++it)
      if (host.pages.empty()) CallReason(**it, PROPSHEETUI_REASON_DESTROY, 0);
  // The sheet destroyed the pages it showed.
  if (result) *result = DWORD(first.info.Result);
  return answer;
}

}  // namespace zolt::host
