// Code pages and character sets of the platform: the ANSI and OEM code pages of the machine,
// conversions between them and UTF-16 (through ICU's Windows converters: code page 932 is
// windows-31j, never plain Shift_JIS), lead-byte tests, the kernel's counted conversions and
// the character-set translation of GDI.
#pragma once

#include "win32/base.h"

#ifndef NTSTATUS_DEFINED_BY_HOST
#define NTSTATUS_DEFINED_BY_HOST
typedef LONG NTSTATUS;
#endif
#ifndef STATUS_SUCCESS
#define STATUS_SUCCESS ((NTSTATUS)0x00000000L)
#endif

typedef WCHAR* PWCH;
typedef const WCHAR* PCWCH;
typedef CHAR* PCHAR;
typedef const CHAR* PCCH;

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_MACCP 2
#define CP_THREAD_ACP 3
#define CP_SYMBOL 42
#define CP_UTF7 65000
#define CP_UTF8 65001

#define MB_PRECOMPOSED 0x00000001
#define MB_COMPOSITE 0x00000002
#define MB_USEGLYPHCHARS 0x00000004
#define MB_ERR_INVALID_CHARS 0x00000008

#define WC_COMPOSITECHECK 0x00000200
#define WC_DISCARDNS 0x00000010
#define WC_SEPCHARS 0x00000020
#define WC_DEFAULTCHAR 0x00000040
#define WC_ERR_INVALID_CHARS 0x00000080
#define WC_NO_BEST_FIT_CHARS 0x00000400

#define MAX_LEADBYTES 12
#define MAX_DEFAULTCHAR 2

typedef struct _cpinfo {
  UINT MaxCharSize;
  BYTE DefaultChar[MAX_DEFAULTCHAR];
  BYTE LeadByte[MAX_LEADBYTES];
} CPINFO, *LPCPINFO;
static_assert(sizeof(CPINFO) == 20);

// Character sets of fonts (LOGFONT lfCharSet and CHARSETINFO ciCharset).
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define SHIFTJIS_CHARSET 128
#define HANGEUL_CHARSET 129
#define HANGUL_CHARSET 129
#define JOHAB_CHARSET 130
#define GB2312_CHARSET 134
#define CHINESEBIG5_CHARSET 136
#define GREEK_CHARSET 161
#define TURKISH_CHARSET 162
#define VIETNAMESE_CHARSET 163
#define HEBREW_CHARSET 177
#define ARABIC_CHARSET 178
#define BALTIC_CHARSET 186
#define RUSSIAN_CHARSET 204
#define THAI_CHARSET 222
#define EASTEUROPE_CHARSET 238
#define OEM_CHARSET 255

#define TCI_SRCCHARSET 1
#define TCI_SRCCODEPAGE 2
#define TCI_SRCFONTSIG 3
#define TCI_SRCLOCALE 0x1000

typedef struct tagFONTSIGNATURE {
  DWORD fsUsb[4];
  DWORD fsCsb[2];
} FONTSIGNATURE, *PFONTSIGNATURE, *LPFONTSIGNATURE;

typedef struct tagCHARSETINFO {
  UINT ciCharset;
  UINT ciACP;
  FONTSIGNATURE fs;
} CHARSETINFO, *PCHARSETINFO, *LPCHARSETINFO;
static_assert(sizeof(FONTSIGNATURE) == 24 && sizeof(CHARSETINFO) == 32);

WIN32_API UINT WINAPI GetACP(void);
WIN32_API UINT WINAPI GetOEMCP(void);
WIN32_API BOOL WINAPI IsValidCodePage(UINT CodePage);
WIN32_API BOOL WINAPI GetCPInfo(UINT CodePage, LPCPINFO lpCPInfo);
WIN32_API int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr,
                                         int cbMultiByte, LPWSTR lpWideCharStr, int cchWideChar);
WIN32_API int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr,
                                         int cchWideChar, LPSTR lpMultiByteStr, int cbMultiByte,
                                         LPCSTR lpDefaultChar, LPBOOL lpUsedDefaultChar);
WIN32_API BOOL WINAPI IsDBCSLeadByte(BYTE TestChar);
WIN32_API BOOL WINAPI IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar);

// The kernel's conversions in the ANSI code page, counted in bytes on both sides. Output that
// does not fit is cut at a character boundary; no terminator is added.
WIN32_API NTSTATUS WINAPI RtlMultiByteToUnicodeN(PWCH UnicodeString, ULONG MaxBytesInUnicodeString,
                                                 PULONG BytesInUnicodeString, const CHAR* MultiByteString,
                                                 ULONG BytesInMultiByteString);
WIN32_API NTSTATUS WINAPI RtlUnicodeToMultiByteN(PCHAR MultiByteString, ULONG MaxBytesInMultiByteString,
                                                 PULONG BytesInMultiByteString, PCWCH UnicodeString,
                                                 ULONG BytesInUnicodeString);

// lpSrc carries the value itself (TCI_SRCCHARSET, TCI_SRCCODEPAGE) or points to the two
// code-page bit fields of a font signature (TCI_SRCFONTSIG).
WIN32_API BOOL WINAPI TranslateCharsetInfo(DWORD* lpSrc, LPCHARSETINFO lpCs, DWORD dwFlags);
