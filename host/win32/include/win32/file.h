// Files and directories of the platform: real files under the machine root, reached through
// Windows paths resolved case-insensitively (win32/hostpath.h).
//
// Attributes. READONLY, HIDDEN, SYSTEM, ARCHIVE and TEMPORARY are kept with the file (in an
// extended attribute, so every process sees them, and READONLY also in the permission bits).
// A file made outside the host counts as ARCHIVE (READONLY when it has no owner write
// permission). The host enforces READONLY in its own calls even for a superuser: opening for
// writing or deleting fails with ERROR_ACCESS_DENIED, as does copying or moving onto it.
//
// Sharing. Every open with read, write or delete access records its access and the sharing it
// allows on the file itself (open-file-description locks), so a conflicting open in this or
// any other process fails with ERROR_SHARING_VIOLATION, and deleting, moving or replacing a
// file that is open without FILE_SHARE_DELETE fails the same way. An open with none of those
// rights (desired access 0: attributes and times only) neither conflicts nor blocks.
//
// Times. FILETIME counts 100 ns since 1601-01-01 UTC. Last-write and last-access times are the
// file's own times (nanosecond file system times, so what SetFileTime sets reads back exactly);
// the creation time is kept with the attributes. A time set through a handle stays as set when
// the handle later writes. When a test fixes the host clock (win32/hostclock.h), files created
// or written through the host take their times from it.
#pragma once

#include "win32/base.h"


#define FILE_READ_DATA 0x0001u
#define FILE_LIST_DIRECTORY 0x0001u
#define FILE_WRITE_DATA 0x0002u
#define FILE_ADD_FILE 0x0002u
#define FILE_APPEND_DATA 0x0004u
#define FILE_READ_EA 0x0008u
#define FILE_WRITE_EA 0x0010u
#define FILE_EXECUTE 0x0020u
#define FILE_READ_ATTRIBUTES 0x0080u
#define FILE_WRITE_ATTRIBUTES 0x0100u
#define FILE_ALL_ACCESS 0x001F01FFu
#define FILE_GENERIC_READ 0x00120089u
#define FILE_GENERIC_WRITE 0x00120116u
#define FILE_GENERIC_EXECUTE 0x001200A0u

#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define FILE_SHARE_DELETE 0x00000004u

#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5

#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_HIDDEN 0x00000002u
#define FILE_ATTRIBUTE_SYSTEM 0x00000004u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define FILE_ATTRIBUTE_DEVICE 0x00000040u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define FILE_ATTRIBUTE_TEMPORARY 0x00000100u
#define FILE_ATTRIBUTE_NOT_CONTENT_INDEXED 0x00002000u
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu

#define FILE_FLAG_WRITE_THROUGH 0x80000000u
#define FILE_FLAG_OVERLAPPED 0x40000000u
#define FILE_FLAG_NO_BUFFERING 0x20000000u
#define FILE_FLAG_RANDOM_ACCESS 0x10000000u
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000u
#define FILE_FLAG_DELETE_ON_CLOSE 0x04000000u
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000u

#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
#define INVALID_SET_FILE_POINTER 0xFFFFFFFFu
#define INVALID_FILE_SIZE 0xFFFFFFFFu

#define FILE_TYPE_UNKNOWN 0x0000
#define FILE_TYPE_DISK 0x0001

#define MOVEFILE_REPLACE_EXISTING 0x00000001u
#define MOVEFILE_COPY_ALLOWED 0x00000002u
#define MOVEFILE_DELAY_UNTIL_REBOOT 0x00000004u
#define MOVEFILE_WRITE_THROUGH 0x00000008u

#define PAGE_READONLY 0x02u
#define PAGE_READWRITE 0x04u
#define PAGE_WRITECOPY 0x08u
#define FILE_MAP_COPY 0x0001u
#define FILE_MAP_WRITE 0x0002u
#define FILE_MAP_READ 0x0004u
#define FILE_MAP_ALL_ACCESS 0x000F001Fu

// Error codes of this area not in base.h.
#ifndef ERROR_NOT_SAME_DEVICE
#define ERROR_NOT_SAME_DEVICE 17L
#endif
#ifndef ERROR_NEGATIVE_SEEK
#define ERROR_NEGATIVE_SEEK 131L
#endif
#ifndef ERROR_FILE_INVALID
#define ERROR_FILE_INVALID 1006L
#endif
#ifndef ERROR_MAPPED_ALIGNMENT
#define ERROR_MAPPED_ALIGNMENT 1132L
#endif

typedef struct _OVERLAPPED {
  ULONG_PTR Internal;
  ULONG_PTR InternalHigh;
  union {
    struct {
      DWORD Offset;
      DWORD OffsetHigh;
    };
    PVOID Pointer;
  };
  HANDLE hEvent;
} OVERLAPPED, *LPOVERLAPPED;

// The record of a find: exactly the platform's layout (592 bytes).
typedef struct _WIN32_FIND_DATAW {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  WCHAR cFileName[MAX_PATH];
  WCHAR cAlternateFileName[14];
} WIN32_FIND_DATAW, *PWIN32_FIND_DATAW, *LPWIN32_FIND_DATAW;
static_assert(sizeof(WIN32_FIND_DATAW) == 592);
static_assert(offsetof(WIN32_FIND_DATAW, cFileName) == 44);

WIN32_API HANDLE WINAPI CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                                    LPSECURITY_ATTRIBUTES lpSecurityAttributes,
                                    DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes,
                                    HANDLE hTemplateFile);
// The path in the machine's ANSI code page.
WIN32_API HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                                    LPSECURITY_ATTRIBUTES lpSecurityAttributes,
                                    DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes,
                                    HANDLE hTemplateFile);
// Handles are synchronous: an OVERLAPPED only gives the file offset to read or write at.
WIN32_API BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                               LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped);
WIN32_API BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                                LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped);
WIN32_API DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                                      DWORD dwMoveMethod);
WIN32_API BOOL WINAPI SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistanceToMove,
                                       PLARGE_INTEGER lpNewFilePointer, DWORD dwMoveMethod);
WIN32_API BOOL WINAPI SetEndOfFile(HANDLE hFile);
WIN32_API DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh);
WIN32_API BOOL WINAPI GetFileSizeEx(HANDLE hFile, PLARGE_INTEGER lpFileSize);
WIN32_API DWORD WINAPI GetFileType(HANDLE hFile);
WIN32_API BOOL WINAPI GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime,
                                  LPFILETIME lpLastWriteTime);
WIN32_API BOOL WINAPI SetFileTime(HANDLE hFile, const FILETIME* lpCreationTime,
                                  const FILETIME* lpLastAccessTime, const FILETIME* lpLastWriteTime);
WIN32_API BOOL WINAPI FlushFileBuffers(HANDLE hFile);

WIN32_API BOOL WINAPI DeleteFileW(LPCWSTR lpFileName);
WIN32_API BOOL WINAPI CopyFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, BOOL bFailIfExists);
WIN32_API BOOL WINAPI MoveFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName);
// MOVEFILE_DELAY_UNTIL_REBOOT is not offered (this machine does not reboot):
// ERROR_INVALID_PARAMETER.
WIN32_API BOOL WINAPI MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags);
WIN32_API BOOL WINAPI CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes);
WIN32_API BOOL WINAPI RemoveDirectoryW(LPCWSTR lpPathName);
WIN32_API DWORD WINAPI GetFileAttributesW(LPCWSTR lpFileName);
WIN32_API BOOL WINAPI SetFileAttributesW(LPCWSTR lpFileName, DWORD dwFileAttributes);

// Wildcards "*" and "?" in the last component match without case, with the platform's rules
// for dots ("*.*" matches every name, "*." names without a dot, "?" also matches nothing before
// a dot or at the end). A folder listing returns "." and ".." first (not at a drive's root),
// then the names in the order of their upper-case forms. A path ending in "\" fails with
// ERROR_FILE_NOT_FOUND; a path without wildcards finds that one file or folder.
WIN32_API HANDLE WINAPI FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData);
WIN32_API BOOL WINAPI FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData);
WIN32_API BOOL WINAPI FindClose(HANDLE hFindFile);

// Mappings of files (not of the paging file, and unnamed). Mapping an empty file fails with
// ERROR_FILE_INVALID. The file stays open while the mapping object lives; a view lives until
// UnmapViewOfFile.
WIN32_API HANDLE WINAPI CreateFileMappingW(HANDLE hFile, LPSECURITY_ATTRIBUTES lpFileMappingAttributes,
                                           DWORD flProtect, DWORD dwMaximumSizeHigh,
                                           DWORD dwMaximumSizeLow, LPCWSTR lpName);
WIN32_API LPVOID WINAPI MapViewOfFile(HANDLE hFileMappingObject, DWORD dwDesiredAccess,
                                      DWORD dwFileOffsetHigh, DWORD dwFileOffsetLow,
                                      SIZE_T dwNumberOfBytesToMap);
WIN32_API BOOL WINAPI UnmapViewOfFile(LPCVOID lpBaseAddress);

// The 16-bit era file calls, over the same handles. The path is ANSI (machine code page).
typedef int HFILE;
#define HFILE_ERROR ((HFILE)-1)
#define OF_READ 0x00000000
#define OF_WRITE 0x00000001
#define OF_READWRITE 0x00000002
#define OF_SHARE_COMPAT 0x00000000
#define OF_SHARE_EXCLUSIVE 0x00000010
#define OF_SHARE_DENY_WRITE 0x00000020
#define OF_SHARE_DENY_READ 0x00000030
#define OF_SHARE_DENY_NONE 0x00000040
WIN32_API HFILE WINAPI _lopen(LPCSTR lpPathName, int iReadWrite);
WIN32_API LONG WINAPI _llseek(HFILE hFile, LONG lOffset, int iOrigin);
WIN32_API UINT WINAPI _lread(HFILE hFile, LPVOID lpBuffer, UINT uBytes);
WIN32_API HFILE WINAPI _lclose(HFILE hFile);
