// Modules of the platform: loading a module by Windows path or by bare name into the process,
// its exports, its reference count and its entry point (DllMain), and the host process image.
//
// A module on the machine is an ELF shared object installed under its Windows file name. The
// handle of a module (HMODULE, HINSTANCE) is the address at which its image is mapped; it is
// the value the module's DllMain receives and it serves the resource calls (resource.h).
//
// A bare name is searched in the folder of the host process image, the system directory, the
// 16-bit system directory, the Windows directory and the current directory, after the modules
// already loaded; ".dll" is added to a name without extension. The platform's own modules
// (kernel32.dll, user32.dll, gdi32.dll, advapi32.dll, ntdll.dll, winspool.drv, spoolss.dll)
// are the host library itself, whose exports they are. DllMain is called with
// DLL_PROCESS_ATTACH on the first load and DLL_PROCESS_DETACH on the last FreeLibrary (the
// reserved argument NULL); a module still loaded when the process ends is not called again.
#pragma once

#include <filesystem>

#include "win32/base.h"

#define DONT_RESOLVE_DLL_REFERENCES 0x00000001
#define LOAD_LIBRARY_AS_DATAFILE 0x00000002
#define LOAD_WITH_ALTERED_SEARCH_PATH 0x00000008
#define LOAD_IGNORE_CODE_AUTHZ_LEVEL 0x00000010
#define LOAD_LIBRARY_AS_IMAGE_RESOURCE 0x00000020
#define LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE 0x00000040
#define LOAD_LIBRARY_REQUIRE_SIGNED_TARGET 0x00000080
#define LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR 0x00000100
#define LOAD_LIBRARY_SEARCH_APPLICATION_DIR 0x00000200
#define LOAD_LIBRARY_SEARCH_USER_DIRS 0x00000400
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#define LOAD_LIBRARY_SEARCH_DEFAULT_DIRS 0x00001000

// A module loaded as data (resources only) has one of the low bits of its handle set.
#define LDR_IS_DATAFILE(handle) (((ULONG_PTR)(handle)) & (ULONG_PTR)1)
#define LDR_IS_IMAGEMAPPING(handle) (((ULONG_PTR)(handle)) & (ULONG_PTR)2)
#define LDR_IS_RESOURCE(handle) (LDR_IS_IMAGEMAPPING(handle) || LDR_IS_DATAFILE(handle))

// The entry point a module may export: BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID).
typedef BOOL(WINAPI* PDLL_MAIN)(HINSTANCE hinstDLL, DWORD fdwReason, LPVOID lpvReserved);

WIN32_API HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName);
WIN32_API HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName);
WIN32_API HMODULE WINAPI LoadLibraryExW(LPCWSTR lpLibFileName, HANDLE hFile, DWORD dwFlags);
WIN32_API HMODULE WINAPI LoadLibraryExA(LPCSTR lpLibFileName, HANDLE hFile, DWORD dwFlags);
WIN32_API BOOL WINAPI FreeLibrary(HMODULE hLibModule);
// By name only: the host's modules export no ordinals (an ordinal fails with
// ERROR_PROC_NOT_FOUND).
WIN32_API FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
WIN32_API HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName);
WIN32_API HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName);
WIN32_API DWORD WINAPI GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);
WIN32_API DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);
WIN32_API BOOL WINAPI DisableThreadLibraryCalls(HMODULE hLibModule);

namespace zolt::host {

// The stand-in system modules (UserEnv.dll, shell32.dll, ole32.dll) and the maker's modules
// loaded from the system directory (qv4manNT.dll, QVJC32.DLL) that every machine has: copies
// them from the build's module folder into the machine's system directory. Returns
// false when one is missing from moduleDir or cannot be written.
bool InstallSystemModules(const std::filesystem::path& moduleDir);

// The dynamic-loader handle behind a module handle (for the resource calls), or nullptr.
void* ModuleLoaderHandle(HMODULE module);

}  // namespace zolt::host
