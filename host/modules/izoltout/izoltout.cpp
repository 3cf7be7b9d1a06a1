// iZOLTOut.dll: an interface module of the output category, as another product of the maker
// registers it. Its function table takes the graphics module's block stream and writes it to
// the job; every call is logged (see output_stand_in.h, "interface").
#include <string>

#include "../output_stand_in.h"

namespace {

constexpr char kName[] = "interface";
long g_writes = 0;

using zolt::outstub::Behaviour;
using zolt::outstub::Log;
using zolt::outstub::OutputDocument;

BOOL WINAPI Open(HANDLE* handle, char** names) {
  std::string line = "Open";
  for (char** n = names; n && *n; ++n) line += std::string(" ") + *n;
  Log(kName, line);
  if (!handle || !Behaviour(kName, "OpenResult", 1)) return FALSE;
  g_writes = 0;
  *handle = reinterpret_cast<HANDLE>(new OutputDocument{});
  return TRUE;
}

void WINAPI Close(HANDLE handle) {
  Log(kName, "Close");
  delete reinterpret_cast<OutputDocument*>(handle);
}

void WINAPI StartDoc(HANDLE handle, HANDLE printer, DWORD jobId) {
  Log(kName, "StartDoc " + std::to_string(jobId));
  if (auto* doc = reinterpret_cast<OutputDocument*>(handle)) *doc = {printer, jobId};
}

void WINAPI EndDoc(HANDLE) { Log(kName, "EndDoc"); }
void WINAPI StartPage(HANDLE) { Log(kName, "StartPage"); }

BOOL WINAPI EndPage(HANDLE) {
  Log(kName, "EndPage");
  return Behaviour(kName, "EndPageResult", 1) ? TRUE : FALSE;
}

BOOL WINAPI Write(HANDLE handle, const void* bytes, DWORD length, DWORD* written) {
  return zolt::outstub::WriteToJob(kName, &g_writes, reinterpret_cast<OutputDocument*>(handle), bytes, length, written);
}

// Slots of 8 pointers; slot 0 is not called.
void* const kTable[8] = {nullptr,
                         reinterpret_cast<void*>(Open),
                         reinterpret_cast<void*>(Close),
                         reinterpret_cast<void*>(StartDoc),
                         reinterpret_cast<void*>(EndDoc),
                         reinterpret_cast<void*>(StartPage),
                         reinterpret_cast<void*>(EndPage),
                         reinterpret_cast<void*>(Write)};

}  // namespace

ZOLT_EXPORT BOOL WINAPI IZOLTGetInterface(DWORD version, void* const** table) {
  Log(kName, "GetInterface " + std::to_string(version));
  if (version != 256 || !table) return FALSE;
  *table = kTable;
  return TRUE;
}

ZOLT_EXPORT void WINAPI IZOLTDisposeInterface(void* const*) { Log(kName, "Dispose"); }
