// QVF9C123.DLL: the spool filter of the driver directory, the output module a job uses when no
// interface module is registered. It takes the graphics module's block stream and writes it to
// the job (see output_stand_in.h for its behaviour file and call log, "filter").
//
// Built twice: whole, and (QVF_MINIMAL) with only DrvSplStartDoc and DrvSplWritePrinter, the
// least a filter may export.
#include <string>

#include "../output_stand_in.h"

using zolt::outstub::Log;
using zolt::outstub::OutputDocument;

namespace {
constexpr char kName[] = "filter";
long g_writes = 0;
// The document of the job: the filter serves one job at a time, and a filter without
// DrvSplClose must not leave a record behind per job.
OutputDocument g_document;

HANDLE Start(HANDLE printer, DWORD jobId) {
  g_writes = 0;
  g_document = {printer, jobId};
  return reinterpret_cast<HANDLE>(&g_document);
}
}  // namespace


#ifndef QVF_MINIMAL
ZOLT_EXPORT HANDLE WINAPI DrvSplStartDocEx(HANDLE printer, DWORD jobId) {
  Log(kName, "StartDocEx " + std::to_string(jobId));
  return Start(printer, jobId);
}
#endif

ZOLT_EXPORT HANDLE WINAPI DrvSplStartDoc(HANDLE printer, DWORD jobId) {
  Log(kName, "StartDoc " + std::to_string(jobId));
  return Start(printer, jobId);
}

ZOLT_EXPORT BOOL WINAPI DrvSplWritePrinter(HANDLE handle, const void* bytes, DWORD length, DWORD* written) {
  return zolt::outstub::WriteToJob(kName, &g_writes, reinterpret_cast<OutputDocument*>(handle), bytes, length, written);
}

#ifndef QVF_MINIMAL
ZOLT_EXPORT void WINAPI DrvSplStartPage(HANDLE) { Log(kName, "StartPage"); }
ZOLT_EXPORT void WINAPI DrvSplEndPage(HANDLE) { Log(kName, "EndPage"); }
ZOLT_EXPORT void WINAPI DrvSplEndDoc(HANDLE) { Log(kName, "EndDoc"); }
ZOLT_EXPORT void WINAPI DrvSplClose(HANDLE) { Log(kName, "Close"); }
#endif
