// The common file dialogs of the platform (GetOpenFileNameW, GetSaveFileNameW) and the folder
// chooser of the shell (SHBrowseForFolderW, exported by the stand-in shell32.dll).
//
// They are real dialogs over the machine's files: a folder list, a file list filtered by the
// chosen type, the file-name field and the drives. Without OFN_EXPLORER the dialog is the old
// one: a template of the caller (OFN_ENABLETEMPLATE) replaces it whole and keeps its control
// ids, and the hook is called before the dialog with every message (non-zero swallows it). With
// OFN_EXPLORER the hook and the template make a child dialog of the file dialog that receives
// the CDN_ notifications. Tests drive them through the automation interface like any dialog.
#pragma once

#include "win32/user.h"

typedef UINT_PTR(CALLBACK* LPOFNHOOKPROC)(HWND, UINT, WPARAM, LPARAM);

typedef struct tagOFNW {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCWSTR lpstrFilter;
  LPWSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;
  LPWSTR lpstrFile;
  DWORD nMaxFile;
  LPWSTR lpstrFileTitle;
  DWORD nMaxFileTitle;
  LPCWSTR lpstrInitialDir;
  LPCWSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  LPCWSTR lpstrDefExt;
  LPARAM lCustData;
  LPOFNHOOKPROC lpfnHook;
  LPCWSTR lpTemplateName;
  void* pvReserved;
  DWORD dwReserved;
  DWORD FlagsEx;
} OPENFILENAMEW, *LPOPENFILENAMEW;
// The size of the record before its last three fields (callers of the older layout).
#define OPENFILENAME_SIZE_VERSION_400W offsetof(OPENFILENAMEW, pvReserved)

#define OFN_READONLY 0x00000001
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_SHOWHELP 0x00000010
#define OFN_ENABLEHOOK 0x00000020
#define OFN_ENABLETEMPLATE 0x00000040
#define OFN_ENABLETEMPLATEHANDLE 0x00000080
#define OFN_NOVALIDATE 0x00000100
#define OFN_ALLOWMULTISELECT 0x00000200
#define OFN_EXTENSIONDIFFERENT 0x00000400
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_CREATEPROMPT 0x00002000
#define OFN_SHAREAWARE 0x00004000
#define OFN_NOREADONLYRETURN 0x00008000
#define OFN_NOTESTFILECREATE 0x00010000
#define OFN_NONETWORKBUTTON 0x00020000
#define OFN_NOLONGNAMES 0x00040000
#define OFN_EXPLORER 0x00080000
#define OFN_NODEREFERENCELINKS 0x00100000
#define OFN_LONGNAMES 0x00200000
#define OFN_ENABLEINCLUDENOTIFY 0x00400000
#define OFN_ENABLESIZING 0x00800000
#define OFN_DONTADDTORECENT 0x02000000
#define OFN_FORCESHOWHIDDEN 0x10000000

// Control ids of the file dialog (its templates keep them).
#define chx1 0x0410
#define pshHelp 0x040e
#define stc1 0x0440
#define stc2 0x0441
#define stc3 0x0442
#define stc4 0x0443
#define lst1 0x0460
#define lst2 0x0461
#define cmb1 0x0470
#define cmb2 0x0471
#define edt1 0x0480

// Notifications of explorer-style hooks (WM_NOTIFY with an OFNOTIFYW).
#define CDN_FIRST (0U - 601U)
#define CDN_INITDONE (CDN_FIRST - 0x0000)
#define CDN_SELCHANGE (CDN_FIRST - 0x0001)
#define CDN_FOLDERCHANGE (CDN_FIRST - 0x0002)
#define CDN_SHAREVIOLATION (CDN_FIRST - 0x0003)
#define CDN_HELP (CDN_FIRST - 0x0004)
#define CDN_FILEOK (CDN_FIRST - 0x0005)
#define CDN_TYPECHANGE (CDN_FIRST - 0x0006)
typedef struct _OFNOTIFYW {
  NMHDR hdr;
  LPOPENFILENAMEW lpOFN;
  LPWSTR pszFile;
} OFNOTIFYW, *LPOFNOTIFYW;

// Messages an explorer-style hook sends to the file dialog (its parent).
#define CDM_FIRST (WM_USER + 100)
#define CDM_GETSPEC (CDM_FIRST + 0x0000)
#define CDM_GETFILEPATH (CDM_FIRST + 0x0001)
#define CDM_GETFOLDERPATH (CDM_FIRST + 0x0002)
#define CDM_SETCONTROLTEXT (CDM_FIRST + 0x0004)
#define CDM_HIDECONTROL (CDM_FIRST + 0x0005)
#define CDM_SETDEFEXT (CDM_FIRST + 0x0006)

// The registered message an old-style hook receives before the dialog accepts a name (non-zero
// refuses it), as RegisterWindowMessageW(FILEOKSTRINGW) gives it.
#define FILEOKSTRINGW u"commdlg_FileNameOK"
#define LBSELCHSTRINGW u"commdlg_LBSelChangedNotify"

// CommDlgExtendedError.
#define CDERR_DIALOGFAILURE 0xFFFF
#define CDERR_STRUCTSIZE 0x0001
#define CDERR_INITIALIZATION 0x0002
#define CDERR_NOTEMPLATE 0x0003
#define CDERR_NOHINSTANCE 0x0004
#define CDERR_FINDRESFAILURE 0x0006
#define CDERR_NOHOOK 0x000B
#define FNERR_SUBCLASSFAILURE 0x3001
#define FNERR_INVALIDFILENAME 0x3002
#define FNERR_BUFFERTOOSMALL 0x3003

WIN32_API BOOL WINAPI GetOpenFileNameW(LPOPENFILENAMEW lpofn);
WIN32_API BOOL WINAPI GetSaveFileNameW(LPOPENFILENAMEW lpofn);
WIN32_API DWORD WINAPI CommDlgExtendedError(void);

// ---------------------------------------------------------------------------------------------
// The folder chooser. Item lists are the host's: one item holding the folder's Windows path,
// freed with CoTaskMemFree.
typedef struct _SHITEMID {
  USHORT cb;
  BYTE abID[1];
} SHITEMID;
typedef struct _ITEMIDLIST {
  SHITEMID mkid;
} ITEMIDLIST, *LPITEMIDLIST;
typedef const ITEMIDLIST* LPCITEMIDLIST;
typedef ITEMIDLIST* PIDLIST_ABSOLUTE;
typedef const ITEMIDLIST* PCIDLIST_ABSOLUTE;

typedef int(CALLBACK* BFFCALLBACK)(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData);
typedef struct _browseinfoW {
  HWND hwndOwner;
  PCIDLIST_ABSOLUTE pidlRoot;
  LPWSTR pszDisplayName;
  LPCWSTR lpszTitle;
  UINT ulFlags;
  BFFCALLBACK lpfn;
  LPARAM lParam;
  int iImage;
} BROWSEINFOW, *LPBROWSEINFOW;

#define BIF_RETURNONLYFSDIRS 0x00000001
#define BIF_DONTGOBELOWDOMAIN 0x00000002
#define BIF_STATUSTEXT 0x00000004
#define BIF_EDITBOX 0x00000010
#define BIF_VALIDATE 0x00000020
#define BIF_NEWDIALOGSTYLE 0x00000040
#define BIF_NONEWFOLDERBUTTON 0x00000200

#define BFFM_INITIALIZED 1
#define BFFM_SELCHANGED 2
#define BFFM_VALIDATEFAILEDW 4
#define BFFM_ENABLEOK (WM_USER + 101)
#define BFFM_SETSELECTIONW (WM_USER + 103)
#define BFFM_SETSTATUSTEXTW (WM_USER + 104)

// Control ids of the folder chooser.
#define IDC_BROWSE_TITLE 0x3742
#define IDC_BROWSE_STATUS 0x3743
#define IDC_BROWSE_TREE 0x3741
#define IDC_BROWSE_EDIT 0x3744

namespace zolt::host {
// The calls behind shell32.dll's exports.
PIDLIST_ABSOLUTE BrowseForFolder(LPBROWSEINFOW bi);
BOOL PathFromIdList(PCIDLIST_ABSOLUTE pidl, LPWSTR path);
}  // namespace zolt::host
