// Last error, the kernel object handle table and CloseHandle.
#include <mutex>
#include <unordered_map>

#include <sys/syscall.h>
#include <unistd.h>

#include "handles.h"
#include "win32/base.h"

namespace zolt::host {
namespace {

struct HandleTable {
  std::mutex lock;
  std::unordered_map<uintptr_t, std::shared_ptr<KernelObject>> objects;
  uintptr_t next = 0x1000;
};

HandleTable& Table() {
  static HandleTable* table = new HandleTable;  // lives until the process ends
  return *table;
}

}  // namespace

HANDLE HandleInsert(std::shared_ptr<KernelObject> object) {
  if (!object) return nullptr;
  HandleTable& t = Table();
  std::lock_guard guard(t.lock);
  uintptr_t value = t.next;
  t.next += 4;  // kernel handles are multiples of four
  t.objects.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> HandleGet(HANDLE handle) {
  HandleTable& t = Table();
  std::lock_guard guard(t.lock);
  auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
  return it == t.objects.end() ? nullptr : it->second;
}

bool HandleRemove(HANDLE handle) {
  std::shared_ptr<KernelObject> doomed;  // destroyed outside the lock
  HandleTable& t = Table();
  {
    std::lock_guard guard(t.lock);
    auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
    if (it == t.objects.end()) return false;
    doomed = std::move(it->second);
    t.objects.erase(it);
  }
  return true;
}

}  // namespace zolt::host

namespace {
thread_local DWORD t_lastError = 0;
}

WIN32_API DWORD WINAPI GetLastError(void) { return t_lastError; }
WIN32_API void WINAPI SetLastError(DWORD dwErrCode) { t_lastError = dwErrCode; }

WIN32_API BOOL WINAPI CloseHandle(HANDLE hObject) {
  if (hObject == GetCurrentProcess() || hObject == GetCurrentThread()) return TRUE;
  if (!zolt::host::HandleRemove(hObject)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

WIN32_API BOOL WINAPI DuplicateHandle(HANDLE hSourceProcessHandle, HANDLE hSourceHandle,
                                      HANDLE hTargetProcessHandle, LPHANDLE lpTargetHandle,
                                      DWORD, BOOL, DWORD dwOptions) {
  if (hSourceProcessHandle != GetCurrentProcess() || hTargetProcessHandle != GetCurrentProcess() ||
      !lpTargetHandle) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto object = zolt::host::HandleGet(hSourceHandle);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *lpTargetHandle = zolt::host::HandleInsert(object);
  if (dwOptions & DUPLICATE_CLOSE_SOURCE) zolt::host::HandleRemove(hSourceHandle);
  return TRUE;
}

WIN32_API HANDLE WINAPI GetCurrentProcess(void) { return reinterpret_cast<HANDLE>(LONG_PTR{-1}); }
WIN32_API HANDLE WINAPI GetCurrentThread(void) { return reinterpret_cast<HANDLE>(LONG_PTR{-2}); }
WIN32_API DWORD WINAPI GetCurrentProcessId(void) { return static_cast<DWORD>(getpid()); }
WIN32_API DWORD WINAPI GetCurrentThreadId(void) { return static_cast<DWORD>(syscall(SYS_gettid)); }
