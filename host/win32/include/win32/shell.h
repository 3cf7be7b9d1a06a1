// The user's well-known folders and the COM basics the driver uses: the shell's folder calls,
// the user environment's profile folder, and COM's task memory and initialisation. The host
// exports them under the platform's names; the stand-in system modules shell32.dll,
// UserEnv.dll and ole32.dll export the same functions for callers that load those modules by
// name, and both reach the implementations below, so memory from one is freed by the other.
#pragma once

#include "win32/base.h"

// Folders by CSIDL (SHGetFolderPathW).
#define CSIDL_PERSONAL 0x0005
#define CSIDL_APPDATA 0x001a
#define CSIDL_LOCAL_APPDATA 0x001c
#define CSIDL_COMMON_APPDATA 0x0023
#define CSIDL_WINDOWS 0x0024
#define CSIDL_SYSTEM 0x0025
#define CSIDL_PROFILE 0x0028
#define CSIDL_FLAG_DONT_VERIFY 0x4000
#define CSIDL_FLAG_CREATE 0x8000
#define CSIDL_FLAG_MASK 0xFF00
#define SHGFP_TYPE_CURRENT 0
#define SHGFP_TYPE_DEFAULT 1

// Flags of SHGetKnownFolderPath.
#define KF_FLAG_DEFAULT 0x00000000
#define KF_FLAG_DONT_VERIFY 0x00004000
#define KF_FLAG_CREATE 0x00008000

inline constexpr KNOWNFOLDERID FOLDERID_LocalAppDataLow = {
    0xA520A1A4, 0x1780, 0x4FF6, {0xBD, 0x18, 0x16, 0x73, 0x43, 0xC5, 0xAF, 0x16}};
inline constexpr KNOWNFOLDERID FOLDERID_LocalAppData = {
    0xF1B32785, 0x6FBA, 0x4FCF, {0x9D, 0x55, 0x7B, 0x8E, 0x7F, 0x15, 0x70, 0x91}};
inline constexpr KNOWNFOLDERID FOLDERID_RoamingAppData = {
    0x3EB685DB, 0x65F9, 0x4CF6, {0xA0, 0x3A, 0xE3, 0xEF, 0x65, 0x72, 0x9F, 0x3D}};
inline constexpr KNOWNFOLDERID FOLDERID_Documents = {
    0xFDD39AD0, 0x238F, 0x46AF, {0xAD, 0xB4, 0x6C, 0x85, 0x48, 0x03, 0x69, 0xC7}};
inline constexpr KNOWNFOLDERID FOLDERID_ProgramData = {
    0x62AB5D82, 0xFDC1, 0x4DC3, {0xA9, 0xDD, 0x07, 0x0D, 0x1D, 0x49, 0x5D, 0x97}};
inline constexpr KNOWNFOLDERID FOLDERID_Profile = {
    0x5E6C858F, 0x0E22, 0x4760, {0x9A, 0xFE, 0xEA, 0x33, 0x17, 0xB6, 0x71, 0x73}};
inline constexpr KNOWNFOLDERID FOLDERID_Windows = {
    0xF38BF404, 0x1D43, 0x42F2, {0x93, 0x05, 0x67, 0xDE, 0x0B, 0x28, 0xFC, 0x23}};
inline constexpr KNOWNFOLDERID FOLDERID_System = {
    0x1AC14E77, 0x02E7, 0x4E5D, {0xB7, 0x44, 0x2E, 0xB1, 0xAE, 0x51, 0x98, 0xB7}};

#define COINIT_MULTITHREADED 0x0
#define COINIT_APARTMENTTHREADED 0x2
#define COINIT_DISABLE_OLE1DDE 0x4
#define COINIT_SPEED_OVER_MEMORY 0x8
#define RPC_E_CHANGED_MODE ((HRESULT)0x80010106L)

// ole32
WIN32_API LPVOID WINAPI CoTaskMemAlloc(SIZE_T cb);
WIN32_API LPVOID WINAPI CoTaskMemRealloc(LPVOID pv, SIZE_T cb);
WIN32_API void WINAPI CoTaskMemFree(LPVOID pv);
WIN32_API HRESULT WINAPI CoInitialize(LPVOID pvReserved);
WIN32_API HRESULT WINAPI CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit);
WIN32_API void WINAPI CoUninitialize(void);
// shell32
WIN32_API HRESULT WINAPI SHGetFolderPathW(HWND hwnd, int csidl, HANDLE hToken, DWORD dwFlags, LPWSTR pszPath);
WIN32_API HRESULT WINAPI SHGetKnownFolderPath(REFKNOWNFOLDERID rfid, DWORD dwFlags, HANDLE hToken, PWSTR* ppszPath);
// userenv
WIN32_API BOOL WINAPI GetUserProfileDirectoryW(HANDLE hToken, LPWSTR lpProfileDir, LPDWORD lpcchSize);

namespace zolt::host {

// The implementations behind both the host's exports and the stand-in modules' exports.
LPVOID TaskMemAlloc(SIZE_T cb);
LPVOID TaskMemRealloc(LPVOID pv, SIZE_T cb);
void TaskMemFree(LPVOID pv);
HRESULT ComInitialize(LPVOID reserved, DWORD coInit);
void ComUninitialize();
HRESULT FolderPathByCsidl(int csidl, HANDLE token, LPWSTR path);
HRESULT KnownFolderPath(const KNOWNFOLDERID& id, DWORD flags, HANDLE token, PWSTR* path);
BOOL UserProfileDirectory(HANDLE token, LPWSTR dir, LPDWORD cch);

}  // namespace zolt::host
