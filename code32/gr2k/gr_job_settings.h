// The job's settings at the start of a document (reload, the job strings typed for it, the
// collate setting, the fits to the regional standard paper, the call source) and the job
// information read from the job-control module.
#pragma once

#include <cstdint>

#include "job_control.h"
#include "win32/windows.h"

struct DriverContext;

// The encryption interface that the job-control module gives under kJcCryptInterfaceVersion.
constexpr WORD kJcCryptInterfaceVersion = 385;
constexpr DWORD kJcCryptUserParameter = 256;  // {user name, network key}
struct JcCryptInterface {
  DWORD(WINAPI* create)(DWORD mode, HANDLE* handle);  // 0 = created
  DWORD(WINAPI* destroy)(HANDLE handle);
  DWORD(WINAPI* setParameter)(HANDLE handle, DWORD id, const void* data, DWORD size);
  // 0 = done; the output's length goes to *length (a size query without output).
  DWORD(WINAPI* transform)(HANDLE handle, const void* input, DWORD inputLength, void* output, DWORD outputSize,
                           DWORD* length);
};
using JcCryptGetInterfaceFn = DWORD(WINAPI*)(WORD version, JcCryptInterface** table);
using JcCryptDisposeInterfaceFn = DWORD(WINAPI*)(JcCryptInterface* table);

// Slot 10 of the job-control table (interface versions 259 and above): an item as a user sees it.
using JcGetForUserFn = DWORD(WINAPI*)(HANDLE session, DWORD code, DWORD kind, const WCHAR* userName, void* buffer,
                                      DWORD size, DWORD* needed);
// The answer of an item without a value.
constexpr DWORD kJcNoValue = 13;

// Sets a text option from ANSI bytes (up to n bytes or the first NUL), cut to the field so that
// it keeps its terminator. 1 when written.
int GrSetAnsiOption(DriverContext* ctx, uint16_t id, const char* text, size_t n);

void GrApplyJobOptions(DriverContext* ctx);
void GrSaveFitA4(DriverContext* ctx, int save);
void GrSaveFit2(DriverContext* ctx, int save);
void GrSetFitA4Saved(DriverContext* ctx, int value);
void GrSetFit2Saved(DriverContext* ctx, int value);
void GrSetCallSource(DriverContext* ctx);
int GrReadJobInformation(DriverContext* ctx, HANDLE printer, DWORD jobId);
int GrQueryJobControl(HANDLE printer, DriverContext* ctx, DWORD jobId, DWORD mask);
int GrJcReadItem(WORD version, JobControlInterface* table, HANDLE handle, DWORD item, DWORD kind, DWORD size,
                 const WCHAR* userName, char* out, DWORD* needed);
int GrJcEncryptPassword(HANDLE printer, char* out, DWORD outSize, JcCryptInterface* crypt, JobControlInterface* table,
                        HANDLE handle);
