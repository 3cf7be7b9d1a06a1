// The engine's services to a module: resources, code pages, local time, memory, errors and the
// printer of the device.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "engine/pdev.h"
#include "win32/codepage.h"
#include "win32/resource.h"
#include "win32/spooler.h"
#include "win32/time.h"

using namespace zolt::host::engine;

WIN32_API PVOID WINAPI EngFindResource(HANDLE h, int iName, int iType, PULONG pulSize) {
  if (pulSize) *pulSize = 0;
  HMODULE module = static_cast<HMODULE>(h);
  HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(iName), MAKEINTRESOURCEW(iType));
  if (!res) return nullptr;
  HGLOBAL data = LoadResource(module, res);
  void* bytes = data ? LockResource(data) : nullptr;
  if (!bytes) return nullptr;
  if (pulSize) *pulSize = SizeofResource(module, res);
  return bytes;
}

WIN32_API VOID WINAPI EngGetCurrentCodePage(USHORT* OemCodePage, USHORT* AnsiCodePage) {
  if (OemCodePage) *OemCodePage = USHORT(GetOEMCP());
  if (AnsiCodePage) *AnsiCodePage = USHORT(GetACP());
}

WIN32_API VOID WINAPI EngUnicodeToMultiByteN(LPSTR MultiByteString, ULONG MaxBytesInMultiByteString,
                                             PULONG BytesInMultiByteString, PWSTR UnicodeString,
                                             ULONG BytesInUnicodeString) {
  ULONG written = 0;
  RtlUnicodeToMultiByteN(MultiByteString, MaxBytesInMultiByteString, &written, UnicodeString, BytesInUnicodeString);
  if (BytesInMultiByteString) *BytesInMultiByteString = written;
}

WIN32_API VOID WINAPI EngMultiByteToUnicodeN(LPWSTR UnicodeString, ULONG MaxBytesInUnicodeString,
                                             PULONG BytesInUnicodeString, CHAR* MultiByteString,
                                             ULONG BytesInMultiByteString) {
  ULONG written = 0;
  RtlMultiByteToUnicodeN(UnicodeString, MaxBytesInUnicodeString, &written, MultiByteString, BytesInMultiByteString);
  if (BytesInUnicodeString) *BytesInUnicodeString = written;
}

WIN32_API INT WINAPI EngMultiByteToWideChar(UINT CodePage, LPWSTR WideCharString, INT BytesInWideCharString,
                                            LPSTR MultiByteString, INT BytesInMultiByteString) {
  if (BytesInWideCharString < 0 || BytesInMultiByteString < 0) return -1;
  const int n = MultiByteToWideChar(CodePage, 0, MultiByteString, BytesInMultiByteString, WideCharString,
                                    BytesInWideCharString / 2);
  return n > 0 || BytesInMultiByteString == 0 ? n * 2 : -1;
}

WIN32_API INT WINAPI EngWideCharToMultiByte(UINT CodePage, LPWSTR WideCharString, INT BytesInWideCharString,
                                            LPSTR MultiByteString, INT BytesInMultiByteString) {
  if (BytesInWideCharString < 0 || BytesInMultiByteString < 0) return -1;
  const int n = WideCharToMultiByte(CodePage, 0, WideCharString, BytesInWideCharString / 2, MultiByteString,
                                    BytesInMultiByteString, nullptr, nullptr);
  return n > 0 || BytesInWideCharString == 0 ? n : -1;
}

WIN32_API FD_GLYPHSET* WINAPI EngComputeGlyphSet(INT nCodePage, INT nFirstChar, INT cChars) {
  // One run per character: the glyph handle is the code (first + i), the run's character its
  // Unicode value in the code page. Characters the code page cannot map are left out.
  if (cChars <= 0 || cChars > 65536 || nFirstChar < 0 || nFirstChar + cChars > 65536) return nullptr;
  std::vector<std::pair<WCHAR, HGLYPH>> map;
  for (int i = 0; i < cChars; ++i) {
    const int code = nFirstChar + i;
    char bytes[2];
    int n = 0;
    if (code > 0xFF) bytes[n++] = char(code >> 8);
    bytes[n++] = char(code & 0xFF);
    WCHAR wc = 0;
    if (MultiByteToWideChar(UINT(nCodePage), 0, bytes, n, &wc, 1) == 1) map.push_back({wc, HGLYPH(code)});
  }
  std::sort(map.begin(), map.end());
  map.erase(std::unique(map.begin(), map.end(), [](auto& a, auto& b) { return a.first == b.first; }), map.end());
  std::vector<std::pair<size_t, size_t>> runs;  // [first, end) in map
  for (size_t i = 0; i < map.size(); ++i) {
    if (runs.empty() || map[i].first != map[i - 1].first + 1) runs.push_back({i, i + 1});
    else runs.back().second = i + 1;
  }
  const size_t head = offsetof(FD_GLYPHSET, awcrun) + sizeof(WCRUN) * std::max<size_t>(runs.size(), 1);
  const size_t size = head + sizeof(HGLYPH) * map.size();
  auto* gs = static_cast<FD_GLYPHSET*>(std::calloc(1, size));
  if (!gs) return nullptr;
  gs->cjThis = ULONG(size);
  gs->flAccel = GS_16BIT_HANDLES;
  gs->cGlyphsSupported = ULONG(map.size());
  gs->cRuns = ULONG(runs.size());
  HGLYPH* handles = reinterpret_cast<HGLYPH*>(reinterpret_cast<BYTE*>(gs) + head);
  for (size_t r = 0; r < runs.size(); ++r) {
    gs->awcrun[r].wcLow = map[runs[r].first].first;
    gs->awcrun[r].cGlyphs = USHORT(runs[r].second - runs[r].first);
    gs->awcrun[r].phg = handles + runs[r].first;
  }
  for (size_t i = 0; i < map.size(); ++i) handles[i] = map[i].second;
  return gs;
}

WIN32_API VOID WINAPI EngQueryLocalTime(PENG_TIME_FIELDS ptf) {
  if (!ptf) return;
  SYSTEMTIME st;
  GetLocalTime(&st);
  ptf->usYear = st.wYear;
  ptf->usMonth = st.wMonth;
  ptf->usDay = st.wDay;
  ptf->usHour = st.wHour;
  ptf->usMinute = st.wMinute;
  ptf->usSecond = st.wSecond;
  ptf->usMilliseconds = st.wMilliseconds;
  ptf->usWeekday = st.wDayOfWeek;
}

WIN32_API PVOID WINAPI EngAllocMem(ULONG Flags, ULONG MemSize, ULONG) {
  if (MemSize == 0) return nullptr;
  return (Flags & FL_ZERO_MEMORY) ? std::calloc(1, MemSize) : std::malloc(MemSize);
}

WIN32_API VOID WINAPI EngFreeMem(PVOID Mem) { std::free(Mem); }

WIN32_API PVOID WINAPI EngAllocUserMem(SIZE_T cj, ULONG) { return cj ? std::calloc(1, cj) : nullptr; }

WIN32_API VOID WINAPI EngFreeUserMem(PVOID pv) { std::free(pv); }

WIN32_API VOID WINAPI EngSetLastError(ULONG iError) { SetLastError(iError); }

WIN32_API ULONG WINAPI EngGetLastError(VOID) { return GetLastError(); }

WIN32_API INT WINAPI EngMulDiv(INT a, INT b, INT c) { return MulDiv(a, b, c); }

WIN32_API BOOL WINAPI EngGetPrinter(HANDLE hPrinter, DWORD dwLevel, LPBYTE pPrinter, DWORD cbBuf, LPDWORD pcbNeeded) {
  return GetPrinterW(hPrinter, dwLevel, pPrinter, cbBuf, pcbNeeded);
}

WIN32_API BOOL WINAPI EngGetPrinterDriver(HANDLE hPrinter, LPWSTR pEnvironment, DWORD dwLevel, BYTE* lpbDrvInfo,
                                          DWORD cbBuf, DWORD* pcbNeeded) {
  return GetPrinterDriverW(hPrinter, pEnvironment, dwLevel, lpbDrvInfo, cbBuf, pcbNeeded);
}

WIN32_API DWORD WINAPI EngGetPrinterData(HANDLE hPrinter, LPWSTR pValueName, LPDWORD pType, LPBYTE pData, DWORD nSize,
                                         LPDWORD pcbNeeded) {
  return GetPrinterDataW(hPrinter, pValueName, pType, pData, nSize, pcbNeeded);
}

WIN32_API DWORD WINAPI EngSetPrinterData(HANDLE hPrinter, LPWSTR pType, DWORD dwType, LPBYTE lpbPrinterData,
                                         DWORD cjPrinterData) {
  return SetPrinterDataW(hPrinter, pType, dwType, lpbPrinterData, cjPrinterData);
}

WIN32_API BOOL WINAPI EngWritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten) {
  return WritePrinter(hPrinter, pBuf, cbBuf, pcWritten);
}

namespace {

// Paths handed out by the two name calls stay valid while the process runs, as the engine's own
// copies do for the life of the device.
LPWSTR Keep(std::u16string s) {
  static std::mutex lock;
  static std::unordered_map<std::u16string, std::unique_ptr<std::u16string>>* kept =
      new std::unordered_map<std::u16string, std::unique_ptr<std::u16string>>;
  if (s.empty()) return nullptr;
  std::lock_guard guard(lock);
  auto& slot = (*kept)[s];
  if (!slot) slot = std::make_unique<std::u16string>(s);
  return slot->data();
}

}  // namespace

WIN32_API LPWSTR WINAPI EngGetPrinterDataFileName(HDEV hdev) { return Keep(DeviceDataFile(hdev)); }

WIN32_API LPWSTR WINAPI EngGetDriverName(HDEV hdev) { return Keep(DeviceDriverPath(hdev)); }
