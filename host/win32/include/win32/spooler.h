// The print spooler of the platform: printers, drivers, printer data and forms.
//
// Printers and drivers live in the machine's registry where the platform keeps them:
//   HKLM\SYSTEM\CurrentControlSet\Control\Print\Printers\<name>            a local printer,
//       with its subkeys PrinterDriverData (the printer data) and DsSpooler
//   HKLM\SYSTEM\CurrentControlSet\Control\Print\Environments\Windows x64\Drivers\Version-3\<driver>
//   HKCU\Printers\Connections\,,<server>,<name>                           a user's connection
//       to a printer of another machine, whose record the client keeps under
//   HKLM\SYSTEM\CurrentControlSet\Control\Print\Providers\Client Side Rendering Print Provider
//       \Servers\<server>\Printers\<name>
// A printer handle carries the rights it was opened with: reading needs PRINTER_ACCESS_USE,
// changing the printer or its data needs PRINTER_ACCESS_ADMINISTER, which only an administrator
// of the machine obtains. The record calls (GetPrinterW, GetPrinterDriverW, EnumPrintersW,
// EnumFormsW, ...) pack strings after their fixed records in the caller's buffer and fail with
// ERROR_INSUFFICIENT_BUFFER and the needed size when it is too small; the printer-data calls
// return their error code.
#pragma once

#include "win32/base.h"
#include "win32/registry.h"

// The device mode is declared by the graphics area; the spooler keeps it as bytes.
struct _devicemodeW;
typedef struct _devicemodeW DEVMODEW, *PDEVMODEW, *LPDEVMODEW;
typedef PVOID PSECURITY_DESCRIPTOR;

#ifndef ZOLT_SIZEL_RECTL_DECLARED
#define ZOLT_SIZEL_RECTL_DECLARED
typedef struct tagSIZE {
  LONG cx;
  LONG cy;
} SIZE, *PSIZE, *LPSIZE, SIZEL, *PSIZEL, *LPSIZEL;
typedef struct _RECTL {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
} RECTL, *PRECTL, *LPRECTL;
#endif

// Printer access rights.
#define SERVER_ACCESS_ADMINISTER 0x00000001
#define SERVER_ACCESS_ENUMERATE 0x00000002
#define PRINTER_ACCESS_ADMINISTER 0x00000004
#define PRINTER_ACCESS_USE 0x00000008
#define PRINTER_ACCESS_MANAGE_LIMITED 0x00000040
#define PRINTER_ALL_ACCESS (STANDARD_RIGHTS_REQUIRED | PRINTER_ACCESS_ADMINISTER | PRINTER_ACCESS_USE)
#define PRINTER_READ (STANDARD_RIGHTS_READ | PRINTER_ACCESS_USE)
#define PRINTER_WRITE (STANDARD_RIGHTS_WRITE | PRINTER_ACCESS_USE)
#define PRINTER_EXECUTE (STANDARD_RIGHTS_EXECUTE | PRINTER_ACCESS_USE)

// EnumPrintersW flags.
#define PRINTER_ENUM_DEFAULT 0x00000001
#define PRINTER_ENUM_LOCAL 0x00000002
#define PRINTER_ENUM_CONNECTIONS 0x00000004
#define PRINTER_ENUM_FAVORITE 0x00000004
#define PRINTER_ENUM_NAME 0x00000008
#define PRINTER_ENUM_REMOTE 0x00000010
#define PRINTER_ENUM_SHARED 0x00000020
#define PRINTER_ENUM_NETWORK 0x00000040
#define PRINTER_ENUM_ICON8 0x00800000

// Printer attributes.
#define PRINTER_ATTRIBUTE_QUEUED 0x00000001
#define PRINTER_ATTRIBUTE_DIRECT 0x00000002
#define PRINTER_ATTRIBUTE_DEFAULT 0x00000004
#define PRINTER_ATTRIBUTE_SHARED 0x00000008
#define PRINTER_ATTRIBUTE_NETWORK 0x00000010
#define PRINTER_ATTRIBUTE_HIDDEN 0x00000020
#define PRINTER_ATTRIBUTE_LOCAL 0x00000040
#define PRINTER_ATTRIBUTE_ENABLE_DEVQ 0x00000080
#define PRINTER_ATTRIBUTE_KEEPPRINTEDJOBS 0x00000100
#define PRINTER_ATTRIBUTE_DO_COMPLETE_FIRST 0x00000200
#define PRINTER_ATTRIBUTE_WORK_OFFLINE 0x00000400
#define PRINTER_ATTRIBUTE_ENABLE_BIDI 0x00000800
#define PRINTER_ATTRIBUTE_RAW_ONLY 0x00001000
#define PRINTER_ATTRIBUTE_PUBLISHED 0x00002000

// SetPrinterW commands and printer status.
#define PRINTER_CONTROL_PAUSE 1
#define PRINTER_CONTROL_RESUME 2
#define PRINTER_CONTROL_PURGE 3
#define PRINTER_CONTROL_SET_STATUS 4
#define PRINTER_STATUS_PAUSED 0x00000001
#define PRINTER_STATUS_ERROR 0x00000002
#define PRINTER_STATUS_PENDING_DELETION 0x00000004

// Modes of the spooler's device-mode conversion request to a printer driver.
#define CDM_CONVERT 0x01
#define CDM_CONVERT351 0x02
#define CDM_DRIVER_DEFAULT 0x04

// Form flags.
#define FORM_USER 0x00000000
#define FORM_BUILTIN 0x00000001
#define FORM_PRINTER 0x00000002

typedef struct _PRINTER_DEFAULTSW {
  LPWSTR pDatatype;
  LPDEVMODEW pDevMode;
  ACCESS_MASK DesiredAccess;
} PRINTER_DEFAULTSW, *PPRINTER_DEFAULTSW, *LPPRINTER_DEFAULTSW;

typedef struct _PRINTER_INFO_1W {
  DWORD Flags;
  LPWSTR pDescription;
  LPWSTR pName;
  LPWSTR pComment;
} PRINTER_INFO_1W, *PPRINTER_INFO_1W, *LPPRINTER_INFO_1W;

typedef struct _PRINTER_INFO_2W {
  LPWSTR pServerName;
  LPWSTR pPrinterName;
  LPWSTR pShareName;
  LPWSTR pPortName;
  LPWSTR pDriverName;
  LPWSTR pComment;
  LPWSTR pLocation;
  LPDEVMODEW pDevMode;
  LPWSTR pSepFile;
  LPWSTR pPrintProcessor;
  LPWSTR pDatatype;
  LPWSTR pParameters;
  PSECURITY_DESCRIPTOR pSecurityDescriptor;
  DWORD Attributes;
  DWORD Priority;
  DWORD DefaultPriority;
  DWORD StartTime;
  DWORD UntilTime;
  DWORD Status;
  DWORD cJobs;
  DWORD AveragePPM;
} PRINTER_INFO_2W, *PPRINTER_INFO_2W, *LPPRINTER_INFO_2W;

typedef struct _PRINTER_INFO_4W {
  LPWSTR pPrinterName;
  LPWSTR pServerName;
  DWORD Attributes;
} PRINTER_INFO_4W, *PPRINTER_INFO_4W, *LPPRINTER_INFO_4W;

// Level 7: publishing the printer in the directory.
typedef struct _PRINTER_INFO_7W {
  LPWSTR pszObjectGUID;
  DWORD dwAction;
} PRINTER_INFO_7W, *PPRINTER_INFO_7W, *LPPRINTER_INFO_7W;
#define DSPRINT_PUBLISH 0x00000001
#define DSPRINT_UPDATE 0x00000002
#define DSPRINT_UNPUBLISH 0x00000004
#define DSPRINT_REPUBLISH 0x00000008
#define DSPRINT_PENDING 0x80000000

typedef struct _DRIVER_INFO_1W {
  LPWSTR pName;
} DRIVER_INFO_1W, *PDRIVER_INFO_1W, *LPDRIVER_INFO_1W;

typedef struct _DRIVER_INFO_2W {
  DWORD cVersion;
  LPWSTR pName;
  LPWSTR pEnvironment;
  LPWSTR pDriverPath;
  LPWSTR pDataFile;
  LPWSTR pConfigFile;
} DRIVER_INFO_2W, *PDRIVER_INFO_2W, *LPDRIVER_INFO_2W;

typedef struct _DRIVER_INFO_3W {
  DWORD cVersion;
  LPWSTR pName;
  LPWSTR pEnvironment;
  LPWSTR pDriverPath;
  LPWSTR pDataFile;
  LPWSTR pConfigFile;
  LPWSTR pHelpFile;
  LPWSTR pDependentFiles;  // a multi-string of full paths
  LPWSTR pMonitorName;
  LPWSTR pDefaultDataType;
} DRIVER_INFO_3W, *PDRIVER_INFO_3W, *LPDRIVER_INFO_3W;

typedef struct _FORM_INFO_1W {
  DWORD Flags;
  LPWSTR pName;
  SIZEL Size;           // thousandths of a millimetre
  RECTL ImageableArea;  // thousandths of a millimetre
} FORM_INFO_1W, *PFORM_INFO_1W, *LPFORM_INFO_1W;

typedef struct _PRINTER_ENUM_VALUESW {
  LPWSTR pValueName;
  DWORD cbValueName;  // bytes, with the terminator
  DWORD dwType;
  LPBYTE pData;
  DWORD cbData;
} PRINTER_ENUM_VALUESW, *PPRINTER_ENUM_VALUESW, *LPPRINTER_ENUM_VALUESW;

// The printer names of a handle: "name" for a local printer, "\\server\name" for a connection,
// and on Windows Vista and later "\\CSR|server\name" for a connection rendered on the client.
// "\\<this computer>\name" opens a local printer under its qualified name.
WIN32_API BOOL WINAPI OpenPrinterW(LPWSTR pPrinterName, LPHANDLE phPrinter, LPPRINTER_DEFAULTSW pDefault);
WIN32_API BOOL WINAPI ClosePrinter(HANDLE hPrinter);
// Levels 1, 2 and 4.
WIN32_API BOOL WINAPI GetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD cbBuf, LPDWORD pcbNeeded);
// Level 2 (needs PRINTER_ACCESS_ADMINISTER), or level 0 with a PRINTER_CONTROL_ command.
WIN32_API BOOL WINAPI SetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD Command);
// Levels 1, 2 and 4 of the local printers, the user's connections or the default printer.
WIN32_API BOOL WINAPI EnumPrintersW(DWORD Flags, LPWSTR Name, DWORD Level, LPBYTE pPrinterEnum, DWORD cbBuf,
                                    LPDWORD pcbNeeded, LPDWORD pcReturned);
// Levels 1, 2 and 3; the file names are full paths in the driver directory.
WIN32_API BOOL WINAPI GetPrinterDriverW(HANDLE hPrinter, LPWSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo,
                                        DWORD cbBuf, LPDWORD pcbNeeded);
// The environment's driver folder (<system>\spool\drivers\x64); the drivers' files are in its
// version subfolder "3". cbBuf and *pcbNeeded are bytes.
WIN32_API BOOL WINAPI GetPrinterDriverDirectoryW(LPWSTR pName, LPWSTR pEnvironment, DWORD Level,
                                                 LPBYTE pDriverDirectory, DWORD cbBuf, LPDWORD pcbNeeded);

// Printer data: the values of the printer's key "PrinterDriverData".
WIN32_API DWORD WINAPI GetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, LPDWORD pType, LPBYTE pData, DWORD nSize,
                                       LPDWORD pcbNeeded);
WIN32_API DWORD WINAPI SetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, DWORD Type, LPBYTE pData, DWORD cbData);
WIN32_API DWORD WINAPI DeletePrinterDataW(HANDLE hPrinter, LPWSTR pValueName);
// cbValueName and *pcbValueName are bytes. With cbValueName and cbData both 0 the call reports
// the largest name and data sizes of all values.
WIN32_API DWORD WINAPI EnumPrinterDataW(HANDLE hPrinter, DWORD dwIndex, LPWSTR pValueName, DWORD cbValueName,
                                        LPDWORD pcbValueName, LPDWORD pType, LPBYTE pData, DWORD cbData,
                                        LPDWORD pcbData);
// The same on any key below the printer ("PrinterDriverData", "DsSpooler", "A\B", ...).
WIN32_API DWORD WINAPI GetPrinterDataExW(HANDLE hPrinter, LPCWSTR pKeyName, LPCWSTR pValueName, LPDWORD pType,
                                         LPBYTE pData, DWORD nSize, LPDWORD pcbNeeded);
WIN32_API DWORD WINAPI SetPrinterDataExW(HANDLE hPrinter, LPCWSTR pKeyName, LPCWSTR pValueName, DWORD Type,
                                         LPBYTE pData, DWORD cbData);
WIN32_API DWORD WINAPI DeletePrinterDataExW(HANDLE hPrinter, LPCWSTR pKeyName, LPCWSTR pValueName);
WIN32_API DWORD WINAPI DeletePrinterKeyW(HANDLE hPrinter, LPCWSTR pKeyName);
// The subkeys of a key (an empty name: the printer's own keys) as a multi-string.
WIN32_API DWORD WINAPI EnumPrinterKeyW(HANDLE hPrinter, LPCWSTR pKeyName, LPWSTR pSubkey, DWORD cbSubkey,
                                       LPDWORD pcbSubkey);
WIN32_API DWORD WINAPI EnumPrinterDataExW(HANDLE hPrinter, LPCWSTR pKeyName, LPBYTE pEnumValues, DWORD cbEnumValues,
                                          LPDWORD pcbEnumValues, LPDWORD pnEnumValues);

// Forms: the built-in forms of the platform, in the order of their paper numbers (level 1).
WIN32_API BOOL WINAPI EnumFormsW(HANDLE hPrinter, DWORD Level, LPBYTE pForm, DWORD cbBuf, LPDWORD pcbNeeded,
                                 LPDWORD pcReturned);
WIN32_API BOOL WINAPI GetFormW(HANDLE hPrinter, LPWSTR pFormName, DWORD Level, LPBYTE pForm, DWORD cbBuf,
                               LPDWORD pcbNeeded);

// The user's default printer (characters, with the terminator).
WIN32_API BOOL WINAPI GetDefaultPrinterW(LPWSTR pszBuffer, LPDWORD pcchBuffer);
WIN32_API BOOL WINAPI SetDefaultPrinterW(LPCWSTR pszPrinter);

// ---------------------------------------------------------------------------------------------
// Jobs. StartDocPrinterW opens a job on the printer of the handle (its id is the result);
// WritePrinter adds bytes to it; EndDocPrinter completes it and hands its bytes to the printer's
// port, which writes <root>/out/<printer>-<job id>.prn; AbortPrinter deletes it. A job's bytes
// are kept under a temporary name until the job completes, so that a failed job leaves no
// output under the final name.

#define ERROR_PRINT_CANCELLED 63L
#ifndef ERROR_CAN_NOT_COMPLETE
#define ERROR_CAN_NOT_COMPLETE 1003L
#endif
#define ERROR_INVALID_PRIORITY 1800L
#define ERROR_SPL_NO_STARTDOC 3003L

#define JOB_STATUS_PAUSED 0x00000001
#define JOB_STATUS_ERROR 0x00000002
#define JOB_STATUS_DELETING 0x00000004
#define JOB_STATUS_SPOOLING 0x00000008
#define JOB_STATUS_PRINTING 0x00000010
#define JOB_STATUS_OFFLINE 0x00000020
#define JOB_STATUS_PAPEROUT 0x00000040
#define JOB_STATUS_PRINTED 0x00000080
#define JOB_STATUS_DELETED 0x00000100
#define JOB_STATUS_BLOCKED_DEVQ 0x00000200
#define JOB_STATUS_USER_INTERVENTION 0x00000400
#define JOB_STATUS_RESTART 0x00000800
#define JOB_STATUS_COMPLETE 0x00001000

#define JOB_CONTROL_PAUSE 1
#define JOB_CONTROL_RESUME 2
#define JOB_CONTROL_CANCEL 3
#define JOB_CONTROL_RESTART 4
#define JOB_CONTROL_DELETE 5
#define JOB_CONTROL_SENT_TO_PRINTER 6
#define JOB_CONTROL_LAST_PAGE_EJECTED 7

#define JOB_POSITION_UNSPECIFIED 0
#define MIN_PRIORITY 1
#define MAX_PRIORITY 99
#define DEF_PRIORITY 1

typedef struct _DOC_INFO_1W {
  LPWSTR pDocName;
  LPWSTR pOutputFile;
  LPWSTR pDatatype;
} DOC_INFO_1W, *PDOC_INFO_1W, *LPDOC_INFO_1W;

typedef struct _JOB_INFO_1W {
  DWORD JobId;
  LPWSTR pPrinterName;
  LPWSTR pMachineName;
  LPWSTR pUserName;
  LPWSTR pDocument;
  LPWSTR pDatatype;
  LPWSTR pStatus;
  DWORD Status;
  DWORD Priority;
  DWORD Position;
  DWORD TotalPages;
  DWORD PagesPrinted;
  SYSTEMTIME Submitted;
} JOB_INFO_1W, *PJOB_INFO_1W, *LPJOB_INFO_1W;

typedef struct _JOB_INFO_2W {
  DWORD JobId;
  LPWSTR pPrinterName;
  LPWSTR pMachineName;
  LPWSTR pUserName;
  LPWSTR pDocument;
  LPWSTR pNotifyName;
  LPWSTR pDatatype;
  LPWSTR pPrintProcessor;
  LPWSTR pParameters;
  LPWSTR pDriverName;
  LPDEVMODEW pDevMode;
  LPWSTR pStatus;
  PSECURITY_DESCRIPTOR pSecurityDescriptor;
  DWORD Status;
  DWORD Priority;
  DWORD Position;
  DWORD StartTime;
  DWORD UntilTime;
  DWORD TotalPages;
  DWORD Size;
  SYSTEMTIME Submitted;
  DWORD Time;
  DWORD PagesPrinted;
} JOB_INFO_2W, *PJOB_INFO_2W, *LPJOB_INFO_2W;

// Level 1 only. The data type "RAW" (or none) and "NT EMF 1.008" are taken.
WIN32_API DWORD WINAPI StartDocPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pDocInfo);
WIN32_API BOOL WINAPI StartPagePrinter(HANDLE hPrinter);
WIN32_API BOOL WINAPI WritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten);
WIN32_API BOOL WINAPI EndPagePrinter(HANDLE hPrinter);
WIN32_API BOOL WINAPI EndDocPrinter(HANDLE hPrinter);
WIN32_API BOOL WINAPI AbortPrinter(HANDLE hPrinter);
// Levels 1 and 2 of a job of the handle's printer (running or completed in this process).
WIN32_API BOOL WINAPI GetJobW(HANDLE hPrinter, DWORD JobId, DWORD Level, LPBYTE pJob, DWORD cbBuf,
                              LPDWORD pcbNeeded);
// Level 0 with a command (JOB_CONTROL_*), or levels 1 and 2 changing the document name,
// priority and status text.
WIN32_API BOOL WINAPI SetJobW(HANDLE hPrinter, DWORD JobId, DWORD Level, LPBYTE pJob, DWORD Command);

// ---------------------------------------------------------------------------------------------
// Document events: what the graphics engine tells the printer-interface module's
// DrvDocumentEvent(hPrinter, hdc, iEsc, cbIn, pvIn, cbOut, pvOut) about a printer DC.

#define DOCUMENTEVENT_FIRST 1
#define DOCUMENTEVENT_CREATEDCPRE 1
#define DOCUMENTEVENT_CREATEDCPOST 2
#define DOCUMENTEVENT_RESETDCPRE 3
#define DOCUMENTEVENT_RESETDCPOST 4
#define DOCUMENTEVENT_STARTDOC 5
#define DOCUMENTEVENT_STARTPAGE 6
#define DOCUMENTEVENT_ENDPAGE 7
#define DOCUMENTEVENT_ENDDOC 8
#define DOCUMENTEVENT_ABORTDOC 9
#define DOCUMENTEVENT_DELETEDC 10
#define DOCUMENTEVENT_ESCAPE 11
#define DOCUMENTEVENT_ENDDOCPOST 12
#define DOCUMENTEVENT_STARTDOCPOST 13
#define DOCUMENTEVENT_QUERYFILTER 14
#define DOCUMENTEVENT_LAST 15

#define DOCUMENTEVENT_UNSUPPORTED 0
#define DOCUMENTEVENT_SUCCESS 1
#define DOCUMENTEVENT_FAILURE (-1)

typedef struct _DOCEVENT_CREATEDCPRE {
  PWSTR pszDriver;
  PWSTR pszDevice;
  PDEVMODEW pdm;
  BOOL bIC;
} DOCEVENT_CREATEDCPRE, *PDCEVENT_CREATEDCPRE;

typedef struct _DOCEVENT_ESCAPE {
  int iEscape;
  int cjInput;
  PVOID pvInData;
} DOCEVENT_ESCAPE, *PDOCEVENT_ESCAPE;

typedef int(WINAPI* PFN_DrvDocumentEvent)(HANDLE hPrinter, HDC hdc, int iEsc, ULONG cbIn, PVOID pvIn, ULONG cbOut,
                                          PVOID pvOut);
