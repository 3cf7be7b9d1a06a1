// Memory of the platform: the global and local heaps and the process heap.
#pragma once

#include <cstring>

#include "win32/base.h"

#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define LMEM_FIXED 0x0000
#define LMEM_MOVEABLE 0x0002
#define LMEM_ZEROINIT 0x0040
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)
#define LHND (LMEM_MOVEABLE | LMEM_ZEROINIT)
#define HEAP_NO_SERIALIZE 0x00000001
#define HEAP_GENERATE_EXCEPTIONS 0x00000004
#define HEAP_ZERO_MEMORY 0x00000008

// Blocks are fixed in memory: a moveable block's handle is its address, and locking it
// returns that address.
WIN32_API HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes);
WIN32_API HGLOBAL WINAPI GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags);
WIN32_API HGLOBAL WINAPI GlobalFree(HGLOBAL hMem);
WIN32_API LPVOID WINAPI GlobalLock(HGLOBAL hMem);
WIN32_API BOOL WINAPI GlobalUnlock(HGLOBAL hMem);
WIN32_API SIZE_T WINAPI GlobalSize(HGLOBAL hMem);
WIN32_API HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes);
WIN32_API HLOCAL WINAPI LocalReAlloc(HLOCAL hMem, SIZE_T uBytes, UINT uFlags);
WIN32_API HLOCAL WINAPI LocalFree(HLOCAL hMem);
WIN32_API SIZE_T WINAPI LocalSize(HLOCAL hMem);
WIN32_API LPVOID WINAPI LocalLock(HLOCAL hMem);
WIN32_API BOOL WINAPI LocalUnlock(HLOCAL hMem);

WIN32_API HANDLE WINAPI GetProcessHeap(void);
WIN32_API HANDLE WINAPI HeapCreate(DWORD flOptions, SIZE_T dwInitialSize, SIZE_T dwMaximumSize);
WIN32_API BOOL WINAPI HeapDestroy(HANDLE hHeap);
WIN32_API LPVOID WINAPI HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes);
WIN32_API LPVOID WINAPI HeapReAlloc(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem, SIZE_T dwBytes);
WIN32_API BOOL WINAPI HeapFree(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem);
WIN32_API SIZE_T WINAPI HeapSize(HANDLE hHeap, DWORD dwFlags, LPCVOID lpMem);

#define CopyMemory(d, s, n) memcpy((d), (s), (n))
#define MoveMemory(d, s, n) memmove((d), (s), (n))
#define FillMemory(d, n, v) memset((d), (v), (n))
#define ZeroMemory(d, n) memset((d), 0, (n))
