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
/* The context's device mode (flag ZOLTDRV_DEVMODE_CURRENT: as the status changes left it); the
 * answer is its size in bytes, -1 on failure. */
#define ZOLTDRV_DEVMODE_CURRENT 4u
typedef int32_t (*ZoltDrvGetDevmodeFn)(void* context, uint32_t flags, void* out);

/* The whole set of capabilities in one record: ZOLTDrvGetCaps(context, ZOLTDRV_CAPS_ALL, &record)
 * answers 1 and sets record; ZOLTDrvGetCaps(context, ZOLTDRV_CAPS_FREE, record) frees it. Each
 * field is named after its capability id; a list holds its count and the entries. */
#define ZOLTDRV_CAPS_ALL 0x80000001u
#define ZOLTDRV_CAPS_FREE 0x80000002u

typedef struct ZoltCapList {
  int32_t count;
  uint32_t reserved;
  void* entries;
} ZoltCapList;
ZS_STATIC_ASSERT(sizeof(ZoltCapList) == 16, "ZoltCapList is 16 bytes");

typedef struct ZoltDrvAllCaps {
  uint8_t* statusBitmap;
  int32_t cap1;
  ZoltCapList cap2;
  ZoltCapList cap3;
  ZoltCapList cap4;
  ZoltCapList cap5;
  ZoltCapList cap6;
  ZoltCapList cap7;
  int32_t cap8;
  int32_t cap9;
  ZoltCapList cap10;
  ZoltCapList cap11;
  ZoltCapList cap12;
  int16_t cap13[2];
  int16_t cap14[2];
  ZoltCapList cap15;
  ZoltCapList cap16;
  int32_t cap17;
  ZoltCapList cap18;
  int32_t cap19;
  int16_t cap20[2];
  int16_t cap21[2];
  int32_t cap22;
  int32_t cap23;
  int32_t cap24;
  int32_t cap25;
  int32_t cap26;
  int32_t cap27;
  int32_t cap28;
  int32_t cap29;
  ZoltCapList cap30;
  int32_t cap31;
  ZoltCapList cap32;
  ZoltCapList cap33;
  int32_t cap34;
  int32_t cap35;
  int32_t cap36;
  int32_t cap37;
  int32_t cap38;
  ZoltCapList cap39;
  ZoltCapList cap40;
  ZoltCapList cap41;
  int32_t cap42;
  int32_t cap43;
  int32_t cap44;
  ZoltCapList cap45;
  int32_t cap46;
  ZoltCapList cap47;
  int32_t cap48;
  int32_t cap49;
  int32_t cap50;
  int32_t cap51;
  int32_t cap52;
  int32_t cap53;
  ZoltCapList cap54;
  int32_t cap55;
  ZoltCapList cap56;
  int32_t cap57;
  ZoltCapList cap66;
  ZoltCapList cap67;
  int32_t cap60;
  int32_t cap257;
  ZoltCapList cap61;
  int32_t cap62;
  int32_t cap258;
  int32_t cap259;
  int32_t cap63;
  int32_t cap260;
  int32_t cap261;
  int32_t cap64;
  int32_t cap262;
  int32_t cap263;
  int32_t cap65;
  int32_t cap264;
  int32_t cap265;
  ZoltCapList cap266;
  ZoltCapList cap267;
  ZoltCapList cap268;
  ZoltCapList cap269;
  int32_t cap270;
  ZoltCapList cap271;
  ZoltCapList cap272;
  int32_t cap69;
  int32_t cap273;
  int32_t cap274;
  ZoltCapList cap275;
  int32_t cap70;
  int32_t cap71;
  int32_t cap72;
  int32_t cap73;
  int32_t cap74;
  ZoltCapList cap75;
  int32_t cap76;
  ZoltCapList cap77;
  int32_t cap78;
  int32_t cap79;
  int32_t cap80;
  int32_t cap81;
  int32_t cap82;
  int32_t cap83;
  int32_t cap276;
  ZoltCapList cap277;
  ZoltCapList cap278;
  ZoltCapList cap279;
  int32_t cap280;
  ZoltCapList cap281;
  ZoltCapList cap282;
  ZoltCapList cap85;
  ZoltCapList cap86;
  int32_t cap84;
  int32_t cap87;
  int32_t cap88;
  int32_t cap89;
  int32_t cap90;
  int32_t cap91;
  ZoltCapList cap92;
  ZoltCapList cap93;
  int32_t cap94;
  int32_t cap95;
  int32_t cap96;
  int32_t cap97;
  int32_t cap98;
  int32_t cap99;
  int32_t cap100;
  int32_t cap101;
  int32_t cap102;
  ZoltCapList cap103;
  ZoltCapList cap104;
  ZoltCapList cap105;
  ZoltCapList cap106;
  ZoltCapList cap107;
  int32_t cap108;
  ZoltCapList cap109;
  int32_t cap110;
  int32_t cap111;
  int32_t cap112;
  int32_t cap113;
  int32_t cap114;
  int32_t cap115;
  int32_t cap116;
  int32_t cap117;
  int32_t cap118;
  int32_t cap119;
  int32_t cap120;
  int32_t cap121;
  int32_t cap122;
  int32_t cap123;
  int32_t cap124[2];
  int32_t cap125[2];
  int32_t cap126;
  ZoltCapList cap127;
  int32_t cap128;
  ZoltCapList cap129;
  ZoltCapList cap130;
  int32_t cap131;
  int32_t cap132;
  int32_t cap133;
  int32_t cap134;
  int32_t cap135;
  int32_t cap136;
  int32_t cap137;
  int32_t cap138;
  int32_t cap139;
  int32_t cap140;
  int32_t cap141;
  int32_t cap142;
  int32_t cap143;
  int32_t cap144;
  int32_t cap145;
  int32_t cap146;
  int32_t cap147;
  int32_t cap148;
  int32_t cap149;
  int32_t cap150;
} ZoltDrvAllCaps;
ZS_STATIC_ASSERT(sizeof(ZoltDrvAllCaps) == 1408, "ZoltDrvAllCaps is 1408 bytes");
ZS_STATIC_ASSERT(offsetof(ZoltDrvAllCaps, cap57) == 528, "cap57 at 528");
ZS_STATIC_ASSERT(offsetof(ZoltDrvAllCaps, cap150) == 1404, "cap150 at 1404");

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
typedef int32_t (*ExcGetCommandBaseFn)(ZoltExcHandle handle, int32_t length, char* buffer, int32_t* lengthOut);
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

int32_t GetPrinterW(void* printer, uint32_t level, uint8_t* buffer, uint32_t bufferBytes, uint32_t* needed);
int32_t SetPrinterW(void* printer, uint32_t level, uint8_t* buffer, uint32_t command);

/* OpenPrinterW's defaults: the access asked for. */
typedef struct ZsPrinterDefaults {
  ZS_WCHAR* datatype;
  void* devMode;
  uint32_t desiredAccess;
} ZsPrinterDefaults;
#define ZS_PRINTER_ALL_ACCESS 0xF000Cu

/* GetPrinterW / SetPrinterW level 2: the printer's record; pDevMode is its default device mode. */
typedef struct ZsPrinterInfo2 {
  ZS_WCHAR* serverName;
  ZS_WCHAR* printerName;
  ZS_WCHAR* shareName;
  ZS_WCHAR* portName;
  ZS_WCHAR* driverName;
  ZS_WCHAR* comment;
  ZS_WCHAR* location;
  void* devMode;
  ZS_WCHAR* sepFile;
  ZS_WCHAR* printProcessor;
  ZS_WCHAR* datatype;
  ZS_WCHAR* parameters;
  void* securityDescriptor;
  uint32_t attributes;
  uint32_t priority;
  uint32_t defaultPriority;
  uint32_t startTime;
  uint32_t untilTime;
  uint32_t status;
  uint32_t jobs;
  uint32_t averagePPM;
} ZsPrinterInfo2;
ZS_STATIC_ASSERT(sizeof(ZsPrinterInfo2) == 13 * sizeof(void*) + 32, "ZsPrinterInfo2: 13 pointers, 8 numbers");

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
