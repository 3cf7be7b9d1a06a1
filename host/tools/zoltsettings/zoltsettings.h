/* zoltsettings: the records and entry points of the printer driver's settings interface
 * (zoltexc.dll) as this program uses them, and the platform calls it makes. */
#ifndef ZOLTSETTINGS_H
#define ZOLTSETTINGS_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#define ZS_STATIC_ASSERT(e, m) static_assert(e, m)
#else
#define ZS_STATIC_ASSERT(e, m) _Static_assert(e, m)
#endif

typedef uint16_t ZS_WCHAR; /* UTF-16 code unit */

/* ---- the settings interface ------------------------------------------------------------- */

/* ZOLTDrvInit's record: the interface version this program speaks. */
typedef struct ZoltDrvInitRecord {
  uint32_t reserved;
  int32_t version;
} ZoltDrvInitRecord;
ZS_STATIC_ASSERT(sizeof(ZoltDrvInitRecord) == 8, "ZoltDrvInitRecord is 8 bytes");

/* One status: record version, main value, fields at offsets 8-27 and the function switch. */
typedef struct ZoltDrvStatus {
  uint32_t version;
  int32_t value;
  int32_t fields[5];
  int32_t functionSwitch;
} ZoltDrvStatus;
ZS_STATIC_ASSERT(sizeof(ZoltDrvStatus) == 32, "ZoltDrvStatus is 32 bytes");
ZS_STATIC_ASSERT(offsetof(ZoltDrvStatus, fields) == 8, "fields at 8");
ZS_STATIC_ASSERT(offsetof(ZoltDrvStatus, functionSwitch) == 28, "switch at 28");

/* The change bitmap: status n is bit 0x80 >> ((n - 1) & 7) of byte (n - 1) >> 3. */
#define ZOLTDRV_CHANGE_BITMAP_BYTES 64

/* Error codes of ZOLTDrvGetLastError. */
#define ZOLTDRV_ERR_NOT_SUPPORTED 2
#define ZOLTDRV_ERR_NO_RECORD 5
#define ZOLTDRV_ERR_VERSION 6
#define ZOLTDRV_ERR_REFUSED 7
#define ZOLTDRV_ERR_GENERAL 100

typedef int32_t (*ZoltDrvCheckAPIVerFn)(const char* printer);
typedef void* (*ZoltDrvEnableFn)(const char* printer);
typedef int32_t (*ZoltDrvInitFn)(int32_t flag, const ZoltDrvInitRecord* record);
typedef int32_t (*ZoltDrvGetLastErrorFn)(void* context);
typedef int32_t (*ZoltDrvDisableFn)(void* context);
typedef int32_t (*ZoltDrvGetStatusFn)(void* context, uint32_t id, ZoltDrvStatus* out, uint32_t version);
typedef int32_t (*ZoltDrvGetCapsFn)(void* context, uint32_t id, void* data);
typedef int32_t (*ZoltDrvSetStatusFn)(void* context, uint32_t id, const ZoltDrvStatus* record, uint8_t* changes,
                                      int32_t mode);

/* ---- the job-language command interface ------------------------------------------------- */

/* The getters answer -1 (unusable handle or failure), 0 (done; the length counts the final NUL
 * and, for lists, the extra NUL that ends them) or 1 (the buffer is shorter than the length). */
typedef void* ZoltExcHandle;
#define ZOLTEXC_DEVMODE_BYTES 1172 /* the ANSI device mode: 156 public bytes and the private part */

typedef int32_t (*ExcGetDriverDevmodeFn)(const char* printer, int32_t flags, int32_t length, void* buffer,
                                         int32_t* lengthOut);
typedef ZoltExcHandle (*ExcGetExclusiveFn)(const char* printer);
typedef void (*ExcFreeExclusiveFn)(ZoltExcHandle handle);
typedef int32_t (*ExcSetCommandBaseFn)(ZoltExcHandle handle, const char* text, int32_t* lengthOut);
typedef int32_t (*ExcGetCommandChangeFn)(ZoltExcHandle handle, int32_t length, char* buffer, int32_t* lengthOut);
typedef int32_t (*ExcGetCommandValueFn)(ZoltExcHandle handle, const char* name, int32_t onlyAllowed, int32_t length,
                                        char* buffer, int32_t* lengthOut);
typedef int32_t (*ExcGetPrinterOptionFn)(ZoltExcHandle handle, const char* name, int32_t length, char* buffer,
                                         int32_t* lengthOut);
typedef int32_t (*ExcGetPrinterValueFn)(ZoltExcHandle handle, const char* name, int32_t length, char* buffer,
                                        int32_t* lengthOut);

/* ---- the platform ----------------------------------------------------------------------- */

/* A program that has the platform's own declarations defines ZOLTSETTINGS_RECORDS_ONLY. */
#ifndef ZOLTSETTINGS_RECORDS_ONLY

typedef void* HMODULE_ZS;
typedef void (*FARPROC_ZS)(void);

HMODULE_ZS LoadLibraryW(const ZS_WCHAR* name);
FARPROC_ZS GetProcAddress(HMODULE_ZS module, const char* name);
int32_t FreeLibrary(HMODULE_ZS module);
uint32_t GetLastError(void);
int32_t MultiByteToWideChar(uint32_t codePage, uint32_t flags, const char* text, int32_t bytes, ZS_WCHAR* out,
                            int32_t units);
int32_t OpenPrinterW(ZS_WCHAR* name, void** printer, void* defaults);
int32_t ClosePrinter(void* printer);
int32_t GetPrinterDriverW(void* printer, ZS_WCHAR* environment, uint32_t level, uint8_t* buffer, uint32_t bufferBytes,
                          uint32_t* needed);

/* GetPrinterDriverW level 2: where the printer's driver files are. */
typedef struct ZsDriverInfo2 {
  uint32_t version;
  ZS_WCHAR* name;
  ZS_WCHAR* environment;
  ZS_WCHAR* driverPath;
  ZS_WCHAR* dataFile;
  ZS_WCHAR* configFile;
} ZsDriverInfo2;

#define ZS_CP_ACP 0

#endif /* ZOLTSETTINGS_RECORDS_ONLY */

#ifdef __cplusplus
}
#endif

#endif /* ZOLTSETTINGS_H */
