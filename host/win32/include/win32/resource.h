// Resources of a module: strings, dialog templates, bitmaps, icons, cursors, menus, raw data
// and custom types, found by type, name and language.
//
// A module carries its resources in a resource directory compiled in from a resource script
// by zoltrc (cmake: zolt_add_resources). The directory is an array of entries sorted as the
// platform sorts its resource tree (named types and names first, by upper-case name, then
// numeric ones, then by language); the module exports it under ZOLT_RESOURCE_DIRECTORY_SYMBOL.
#pragma once

#include "win32/base.h"

#ifndef ERROR_RESOURCE_ENUM_USER_STOP
#define ERROR_RESOURCE_ENUM_USER_STOP 15106L
#endif

#define RT_CURSOR MAKEINTRESOURCEW(1)
#define RT_BITMAP MAKEINTRESOURCEW(2)
#define RT_ICON MAKEINTRESOURCEW(3)
#define RT_MENU MAKEINTRESOURCEW(4)
#define RT_DIALOG MAKEINTRESOURCEW(5)
#define RT_STRING MAKEINTRESOURCEW(6)
#define RT_FONTDIR MAKEINTRESOURCEW(7)
#define RT_FONT MAKEINTRESOURCEW(8)
#define RT_ACCELERATOR MAKEINTRESOURCEW(9)
#define RT_RCDATA MAKEINTRESOURCEW(10)
#define RT_MESSAGETABLE MAKEINTRESOURCEW(11)
#define RT_GROUP_CURSOR MAKEINTRESOURCEW(12)
#define RT_GROUP_ICON MAKEINTRESOURCEW(14)
#define RT_VERSION MAKEINTRESOURCEW(16)
#define RT_DLGINCLUDE MAKEINTRESOURCEW(17)
#define RT_PLUGPLAY MAKEINTRESOURCEW(19)
#define RT_VXD MAKEINTRESOURCEW(20)
#define RT_ANICURSOR MAKEINTRESOURCEW(21)
#define RT_ANIICON MAKEINTRESOURCEW(22)
#define RT_HTML MAKEINTRESOURCEW(23)
#define RT_MANIFEST MAKEINTRESOURCEW(24)

// Dialog templates as the platform stores them (2-byte packing; each followed by its
// variable-length menu, class, title and font fields, items aligned on DWORDs).
#pragma pack(push, 2)
typedef struct {
  DWORD style;
  DWORD dwExtendedStyle;
  WORD cdit;
  SHORT x;
  SHORT y;
  SHORT cx;
  SHORT cy;
} DLGTEMPLATE, *LPDLGTEMPLATE;
typedef const DLGTEMPLATE* LPCDLGTEMPLATE;
typedef const DLGTEMPLATE* LPCDLGTEMPLATEW;

typedef struct {
  DWORD style;
  DWORD dwExtendedStyle;
  SHORT x;
  SHORT y;
  SHORT cx;
  SHORT cy;
  WORD id;
} DLGITEMTEMPLATE, *PDLGITEMTEMPLATE, *LPDLGITEMTEMPLATE;
#pragma pack(pop)
static_assert(sizeof(DLGTEMPLATE) == 18 && sizeof(DLGITEMTEMPLATE) == 18);

// The host's resource directory inside a module.
#define ZOLT_RESOURCE_DIRECTORY_SYMBOL "zolt_resource_directory"
#define ZOLT_RESOURCE_MAGIC 0x5253525Au  // "ZRSR"
#define ZOLT_RESOURCE_VERSION 1u

typedef struct {
  const WCHAR* typeName;  // NULL when the type is an ordinal
  WORD typeId;
  const WCHAR* name;      // upper case; NULL when the name is an ordinal
  WORD nameId;
  LANGID language;
  DWORD size;
  const BYTE* data;       // DWORD-aligned
} ZOLT_RESOURCE_ENTRY;

typedef struct {
  DWORD magic;
  DWORD version;
  DWORD count;
  const ZOLT_RESOURCE_ENTRY* entries;
} ZOLT_RESOURCE_DIRECTORY;

typedef BOOL(CALLBACK* ENUMRESNAMEPROCW)(HMODULE hModule, LPCWSTR lpType, LPWSTR lpName, LONG_PTR lParam);

// FindResourceW and LoadStringW choose the language of the calling thread (GetThreadLocale),
// then its primary language, neutral, the user's language, English (U.S.) and at last the
// first language the resource has. FindResourceExW with a language takes that language, its
// primary language with SUBLANG_NEUTRAL, neutral, then the first.
WIN32_API HRSRC WINAPI FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType);
WIN32_API HRSRC WINAPI FindResourceExW(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName, WORD wLanguage);
WIN32_API HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType);
WIN32_API HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo);
WIN32_API LPVOID WINAPI LockResource(HGLOBAL hResData);
WIN32_API DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo);
WIN32_API BOOL WINAPI FreeResource(HGLOBAL hResData);
WIN32_API BOOL WINAPI EnumResourceNamesW(HMODULE hModule, LPCWSTR lpType, ENUMRESNAMEPROCW lpEnumFunc,
                                         LONG_PTR lParam);
// cchBufferMax 0 stores a read-only pointer to the string (not terminated) in *lpBuffer and
// returns its length.
WIN32_API int WINAPI LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax);
WIN32_API int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax);
