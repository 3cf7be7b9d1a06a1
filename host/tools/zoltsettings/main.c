/* zoltsettings: reads and changes a printer's settings through the driver's settings interface
 * (zoltexc.dll), as a printer utility does: the module is loaded from the printer driver
 * directory of the machine that ZOLT_MACHINE_ROOT names. */
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "zoltsettings.h"

static const char kUsage[] =
    "usage: zoltsettings PRINTER COMMAND [ARGUMENTS]\n"
    "\n"
    "commands:\n"
    "  version                  the settings-interface version of the printer\n"
    "  status ID                read status ID and print its fields\n"
    "  caps                     every capability of the printer as a table\n"
    "  set ID FIELD=VALUE...    change status ID (the fields not given keep their values),\n"
    "                           print the other statuses that changed with it and keep the\n"
    "                           result as the printer's default settings\n"
    "  apply FILE|-             check a block of \"@PJL SET NAME = VALUE\" lines against the\n"
    "                           printer's rules, set the statuses of its lines (APLPAGESIZE,\n"
    "                           APLPAGELAYOUT, PAPER, TRAY, MEDIATYPE, COLORSELECT, COPIES,\n"
    "                           DUPLEX, BINDING) as the printer took them and keep the result\n"
    "                           as the printer's default settings\n"
    "\n"
    "fields (the record's 32-bit fields by offset): value (4), field8, field12, field16,\n"
    "field20, field24, switch (28); values are decimal or 0x-hexadecimal.\n"
    "The printer's default settings are changed through the spooler, which asks for the right\n"
    "to administer the printer. The machine is the one ZOLT_MACHINE_ROOT names.\n"
    "\n"
    "Exit status: 0 done, 1 the printer or the interface refused, 2 wrong arguments.\n";

#define PATH_UNITS 260
#define MAX_RECORD_BYTES 65536
#define MAX_BLOCK_BYTES (256 * 1024)

struct Interface {
  HMODULE_ZS module;
  ZoltDrvCheckAPIVerFn checkVersion;
  ZoltDrvEnableFn enable;
  ZoltDrvInitFn init;
  ZoltDrvGetLastErrorFn lastError;
  ZoltDrvDisableFn disable;
  ZoltDrvGetStatusFn getStatus;
  ZoltDrvSetStatusFn setStatus;
  ZoltDrvGetCapsFn getCaps;
  ZoltDrvGetDevmodeFn getDevmode;
  ExcGetDriverDevmodeFn excDevmode;
  ExcGetExclusiveFn excOpen;
  ExcFreeExclusiveFn excFree;
  ExcSetCommandBaseFn excSetBase;
  ExcGetCommandChangeFn excChange;
  ExcGetCommandBaseFn excBase;
  ExcGetCommandValueFn excValues;
  ExcGetPrinterOptionFn excOption;
  ExcGetPrinterValueFn excValue;
};

struct FieldName {
  const char* name;
  int index; /* 32-bit field of the record: 1 value ... 7 switch */
};

static const struct FieldName kFields[] = {
    {"value", 1}, {"field8", 2}, {"field12", 3}, {"field16", 4}, {"field20", 5}, {"field24", 6}, {"switch", 7},
};

struct StatusName {
  uint32_t id;
  const char* name;
};

static const struct StatusName kStatusNames[] = {
    {1, "settings file"},    {2, "paper source"},        {3, "media type"},          {4, "output tray"},
    {5, "colour"},           {6, "orientation"},         {7, "paper size"},          {8, "output paper size"},
    {9, "copies"},           {10, "print method"},       {11, "scaling"},            {12, "cover"},
    {13, "mark paper"},      {14, "layout"},             {15, "duplex"},             {16, "watermark"},
    {17, "watermark choice"}, {18, "margin shift"},      {19, "sorting"},            {20, "staple"},
    {21, "punch"},           {22, "output direction"},   {23, "output order"},       {24, "blank sheets"},
    {25, "emulation"},       {26, "user id"},            {27, "print area"},         {28, "paper rotation"},
    {29, "merge action"},    {30, "proof action"},       {31, "security action"},    {32, "store action"},
    {33, "overlay action"},  {34, "resolution"},         {35, "colour planes"},      {38, "colour adjustment"},
    {39, "colour mode"},     {40, "brightness"},         {41, "contrast"},           {42, "saturation"},
    {43, "colour balance"},  {45, "fit to regional paper"}, {46, "colour revision"}, {47, "header and footer"},
    {48, "EMF spooling"},    {49, "image printing"},     {50, "information"},        {51, "fold"},
    {52, "job-end notice"},  {53, "job-error notice"},   {54, "authentication mode"}, {55, "copy protection"},
    {56, "preset"},          {57, "preview"},            {58, "manual-tray orientation"}, {59, "authentication user"},
    {60, "authentication and network key"}, {61, "load sharing"}, {62, "index rotation"}, {63, "tray information"},
    {64, "back cover"},      {65, "reverse cover"},      {66, "cover media type"},   {67, "chapters"},
    {68, "edge and corner"}, {69, "margin overlap"},     {70, "crop marks"},         {71, "creep margins"},
    {72, "paper face"},      {73, "page separation"},    {74, "near-standard paper"}, {75, "reduced font"},
    {76, "pause action"},    {77, "save action"},        {78, "print-and-save action"}, {79, "folding"},
    {80, "perfect binding"}, {81, "printer stamp"},      {82, "fore-edge cut"},      {83, "fold with stamp"},
    {84, "colour-blind friendly"}, {257, "adjusted object"}, {262, "user print macro"}, {263, "eco colour"},
    {264, "toner saving"},   {265, "colour matching"},   {266, "ICM type"},          {267, "ICM intent"},
    {268, "printer side"},   {269, "colour-matching mode"}, {0, NULL},
};

static int Fail(int status, const char* message, const char* detail) {
  fprintf(stderr, "zoltsettings: %s%s%s\n", message, detail ? " " : "", detail ? detail : "");
  return status;
}

static const char* StatusName(uint32_t id) {
  const struct StatusName* s;
  for (s = kStatusNames; s->name; ++s)
    if (s->id == id) return s->name;
  return "status";
}

/* The folder of the printer's driver files (where the printer's driver module lies), with its
 * trailing backslash, as UTF-16 into out (PATH_UNITS units). 1 when found. */
static int DriverFolder(const char* printer, ZS_WCHAR* out) {
  ZS_WCHAR name[PATH_UNITS];
  void* handle = NULL;
  uint32_t needed = 0;
  uint8_t* buffer;
  size_t n, last = 0;
  const ZS_WCHAR* path;
  if (MultiByteToWideChar(ZS_CP_ACP, 0, printer, -1, name, PATH_UNITS) <= 0) return 0;
  if (!OpenPrinterW(name, &handle, NULL) || !handle) return 0;
  GetPrinterDriverW(handle, NULL, 2, NULL, 0, &needed);
  buffer = needed ? (uint8_t*)calloc(1, needed) : NULL;
  if (!buffer || !GetPrinterDriverW(handle, NULL, 2, buffer, needed, &needed)) {
    free(buffer);
    ClosePrinter(handle);
    return 0;
  }
  path = ((const ZsDriverInfo2*)buffer)->driverPath;
  for (n = 0; path && path[n] && n + 1 < PATH_UNITS; ++n) {
    out[n] = path[n];
    if (path[n] == '\\') last = n + 1;
  }
  out[last] = 0;
  free(buffer);
  ClosePrinter(handle);
  return last > 0;
}

/* Appends ASCII text to a UTF-16 string of PATH_UNITS units; 0 when it does not fit. */
static int AppendAscii(ZS_WCHAR* out, const char* text) {
  size_t n = 0;
  while (out[n]) ++n;
  for (; *text; ++text) {
    if (n + 1 >= PATH_UNITS) return 0;
    out[n++] = (ZS_WCHAR)(unsigned char)*text;
  }
  out[n] = 0;
  return 1;
}

static int LoadInterface(struct Interface* api, const char* printer) {
  ZS_WCHAR path[PATH_UNITS];
  memset(api, 0, sizeof(*api));
  memset(path, 0, sizeof(path));
  if (!DriverFolder(printer, path)) return Fail(0, "cannot find the driver of printer", printer);
  if (!AppendAscii(path, "zoltexc.dll")) return Fail(0, "the driver folder's path is too long", NULL);
  api->module = LoadLibraryW(path);
  if (!api->module) {
    char detail[48];
    snprintf(detail, sizeof(detail), "(system error %u)", GetLastError());
    return Fail(0, "cannot load zoltexc.dll from the printer's driver folder", detail);
  }
  api->checkVersion = (ZoltDrvCheckAPIVerFn)GetProcAddress(api->module, "ZOLTDrvCheckAPIVer");
  api->enable = (ZoltDrvEnableFn)GetProcAddress(api->module, "ZOLTDrvEnable");
  api->init = (ZoltDrvInitFn)GetProcAddress(api->module, "ZOLTDrvInit");
  api->lastError = (ZoltDrvGetLastErrorFn)GetProcAddress(api->module, "ZOLTDrvGetLastError");
  api->disable = (ZoltDrvDisableFn)GetProcAddress(api->module, "ZOLTDrvDisable");
  api->getStatus = (ZoltDrvGetStatusFn)GetProcAddress(api->module, "ZOLTDrvGetStatus");
  api->setStatus = (ZoltDrvSetStatusFn)GetProcAddress(api->module, "ZOLTDrvSetStatus");
  api->getCaps = (ZoltDrvGetCapsFn)GetProcAddress(api->module, "ZOLTDrvGetCaps");
  api->getDevmode = (ZoltDrvGetDevmodeFn)GetProcAddress(api->module, "ZOLTDrvGetDevmode");
  api->excDevmode = (ExcGetDriverDevmodeFn)GetProcAddress(api->module, "ExcGetDriverDevmode");
  api->excOpen = (ExcGetExclusiveFn)GetProcAddress(api->module, "ExcGetExclusive");
  api->excFree = (ExcFreeExclusiveFn)GetProcAddress(api->module, "ExcFreeExclusive");
  api->excSetBase = (ExcSetCommandBaseFn)GetProcAddress(api->module, "ExcSetCommandBase");
  api->excChange = (ExcGetCommandChangeFn)GetProcAddress(api->module, "ExcGetCommandChange");
  api->excBase = (ExcGetCommandBaseFn)GetProcAddress(api->module, "ExcGetCommandBase");
  api->excValues = (ExcGetCommandValueFn)GetProcAddress(api->module, "ExcGetCommandValue");
  api->excOption = (ExcGetPrinterOptionFn)GetProcAddress(api->module, "ExcGetPrinterOption");
  api->excValue = (ExcGetPrinterValueFn)GetProcAddress(api->module, "ExcGetPrinterValue");
  if (!api->checkVersion || !api->enable || !api->init || !api->lastError || !api->disable || !api->getStatus ||
      !api->setStatus || !api->getCaps || !api->getDevmode || !api->excBase || !api->excDevmode || !api->excOpen || !api->excFree || !api->excSetBase ||
      !api->excChange || !api->excValues || !api->excOption || !api->excValue) {
    FreeLibrary(api->module);
    return Fail(0, "zoltexc.dll lacks an entry point of the settings interface", NULL);
  }
  return 1;
}

static int ParseNumber(const char* text, long long low, long long high, long long* out) {
  char* end = NULL;
  long long value;
  if (!text || !*text) return 0;
  errno = 0;
  value = strtoll(text, &end, 0);
  if (errno || !end || *end || value < low || value > high) return 0;
  *out = value;
  return 1;
}

static int32_t* FieldOf(ZoltDrvStatus* record, int index) {
  switch (index) {
    case 1: return &record->value;
    case 7: return &record->functionSwitch;
    default: return &record->fields[index - 2];
  }
}

static void PrintRecord(uint32_t id, ZoltDrvStatus* record, int32_t size) {
  int i;
  printf("status %u (%s): record version %u, %d bytes\n", id, StatusName(id), record->version, size);
  for (i = 0; i < (int)(sizeof(kFields) / sizeof(kFields[0])); ++i)
    printf("  %-8s %d\n", kFields[i].name, *FieldOf(record, kFields[i].index));
}

/* Reads status id in the record layout of a version (0: the driver's own) into a buffer of its own
 * size; NULL with *size -1 when refused. */
static ZoltDrvStatus* ReadStatusVersion(struct Interface* api, void* ctx, uint32_t id, uint32_t version, int32_t* size) {
  ZoltDrvStatus* record;
  int32_t bytes = api->getStatus(ctx, id, NULL, version);
  *size = bytes;
  if (bytes < 0 || bytes > MAX_RECORD_BYTES) return NULL;
  record = (ZoltDrvStatus*)calloc(1, bytes < (int32_t)sizeof(ZoltDrvStatus) ? sizeof(ZoltDrvStatus) : (size_t)bytes);
  if (!record) return NULL;
  *size = api->getStatus(ctx, id, record, version);
  if (*size < 0) {
    free(record);
    return NULL;
  }
  return record;
}

static ZoltDrvStatus* ReadStatus(struct Interface* api, void* ctx, uint32_t id, int32_t* size) {
  return ReadStatusVersion(api, ctx, id, 0, size);
}

static int Refused(struct Interface* api, void* ctx, const char* what) {
  char detail[64];
  snprintf(detail, sizeof(detail), "(interface error %d)", api->lastError(ctx));
  return Fail(1, what, detail);
}

static int CommandStatus(struct Interface* api, void* ctx, uint32_t id) {
  int32_t size = 0;
  ZoltDrvStatus* record = ReadStatus(api, ctx, id, &size);
  if (!record) return Refused(api, ctx, "the printer does not answer this status");
  PrintRecord(id, record, size);
  free(record);
  return 0;
}

static int ApplyAssignment(ZoltDrvStatus* record, const char* text) {
  const char* eq = strchr(text, '=');
  long long value = 0;
  int i;
  if (!eq) return 0;
  for (i = 0; i < (int)(sizeof(kFields) / sizeof(kFields[0])); ++i) {
    size_t n = strlen(kFields[i].name);
    if ((size_t)(eq - text) == n && strncmp(text, kFields[i].name, n) == 0) {
      if (!ParseNumber(eq + 1, INT32_MIN, UINT32_MAX, &value)) return 0;
      *FieldOf(record, kFields[i].index) = (int32_t)value;
      return 1;
    }
  }
  return 0;
}

/* Sets status id from record and prints what changed with it; 0 done, else the exit status. */
static int SetAndReport(struct Interface* api, void* ctx, uint32_t id, ZoltDrvStatus* record) {
  uint8_t changes[ZOLTDRV_CHANGE_BITMAP_BYTES];
  int32_t size = 0;
  int32_t result;
  uint32_t n;
  int any = 0;
  memset(changes, 0, sizeof(changes));
  result = api->setStatus(ctx, id, record, changes, 0);
  if (result < 0) return Refused(api, ctx, "the printer refused the change");
  printf("status %u (%s) set%s\n", id, StatusName(id), result > 0 ? " (fields of the driver's record version)" : "");
  for (n = 1; n <= 8 * ZOLTDRV_CHANGE_BITMAP_BYTES; ++n) {
    if (!(changes[(n - 1) >> 3] & (0x80 >> ((n - 1) & 7)))) continue;
    if (!any) printf("changed with it:\n");
    any = 1;
    record = ReadStatus(api, ctx, n, &size);
    if (record) {
      PrintRecord(n, record, size);
      free(record);
    } else {
      printf("status %u (%s)\n", n, StatusName(n));
    }
  }
  if (!any) printf("nothing else changed\n");
  return 0;
}

/* Keeps the context's device mode, as the status changes left it, as the printer's default
 * device mode (the printer's record, level 2, through the spooler). 0 done, else 1. */
static int StoreDefaults(struct Interface* api, void* ctx, const char* printer) {
  ZS_WCHAR name[PATH_UNITS];
  ZsPrinterDefaults defaults;
  void* handle = NULL;
  uint32_t needed = 0;
  uint8_t* info = NULL;
  uint8_t* devmode = NULL;
  int32_t size = api->getDevmode(ctx, ZOLTDRV_DEVMODE_CURRENT, NULL);
  int ok = 0;
  if (size <= 0 || size > MAX_RECORD_BYTES || !(devmode = (uint8_t*)calloc(1, (size_t)size)) ||
      api->getDevmode(ctx, ZOLTDRV_DEVMODE_CURRENT, devmode) != size) {
    free(devmode);
    return Refused(api, ctx, "the driver gave no device mode to keep");
  }
  memset(&defaults, 0, sizeof(defaults));
  defaults.desiredAccess = ZS_PRINTER_ALL_ACCESS;
  if (MultiByteToWideChar(ZS_CP_ACP, 0, printer, -1, name, PATH_UNITS) > 0 && OpenPrinterW(name, &handle, &defaults) &&
      handle) {
    GetPrinterW(handle, 2, NULL, 0, &needed);
    info = needed ? (uint8_t*)calloc(1, needed) : NULL;
    if (info && GetPrinterW(handle, 2, info, needed, &needed)) {
      ((ZsPrinterInfo2*)info)->devMode = devmode;
      ok = SetPrinterW(handle, 2, info, 0) != 0;
    }
    free(info);
    ClosePrinter(handle);
  }
  free(devmode);
  if (!ok) {
    char detail[48];
    snprintf(detail, sizeof(detail), "(system error %u)", GetLastError());
    return Fail(1, "the change was not kept: the printer's default settings cannot be changed", detail);
  }
  printf("kept as the printer's default settings\n");
  return 0;
}

static int CommandSet(struct Interface* api, void* ctx, const char* printer, uint32_t id, int count, char** assignments) {
  int32_t size = 0;
  int i, status;
  ZoltDrvStatus* record = ReadStatus(api, ctx, id, &size);
  if (!record) return Refused(api, ctx, "the printer does not answer this status");
  for (i = 0; i < count; ++i) {
    if (!ApplyAssignment(record, assignments[i])) {
      free(record);
      return Fail(2, "not a FIELD=VALUE of a known field:", assignments[i]);
    }
  }
  status = SetAndReport(api, ctx, id, record);
  free(record);
  return status ? status : StoreDefaults(api, ctx, printer);
}

/* How a capability's answer is shown: a number, a list of 32-bit entries or of names in slots. */
static int CapSlot(uint32_t id) {
  switch (id) {
    case 3: return 24;
    case 5: case 7: case 11: case 16: case 33: case 86: case 267: case 269: case 272: case 279: case 282: return 64;
    case 127: return 260;
    default: return 0;
  }
}

static int CapIsList(uint32_t id) {
  static const uint16_t kLists[] = {2,   4,   6,   10,  15,  18,  30,  32,  39,  40,  41,  45,  47,  54,
                                    56,  61,  66,  67,  75,  77,  85,  92,  93,  103, 104, 105, 106, 107,
                                    109, 129, 130, 266, 268, 271, 275, 277, 278, 281};
  size_t i;
  for (i = 0; i < sizeof(kLists) / sizeof(kLists[0]); ++i)
    if (kLists[i] == id) return 1;
  return 0;
}

static void PrintCap(struct Interface* api, void* ctx, uint32_t id) {
  int32_t answer = api->getCaps(ctx, id, NULL);
  int slot = CapSlot(id);
  int32_t i;
  char* buffer;
  if (id >= 0x10000) printf("0x%05x  %d", id, answer);
  else printf("%7u  %d", id, answer);
  if (answer > 0 && answer <= 4096 && (slot || CapIsList(id))) {
    buffer = calloc((size_t)answer + 1, slot ? (size_t)slot : 4);
    if (buffer && api->getCaps(ctx, id, buffer) == answer) {
      fputs("  [", stdout);
      for (i = 0; i < answer; ++i) {
        if (i) fputs(slot ? ", " : " ", stdout);
        if (slot) {
          buffer[(size_t)(i + 1) * (size_t)slot - 1] = 0;
          printf("\"%s\"", buffer + (size_t)i * (size_t)slot);
        } else {
          int32_t v;
          memcpy(&v, buffer + (size_t)i * 4, 4);
          printf("%d", v);
        }
      }
      fputs("]", stdout);
    }
    free(buffer);
  }
  putchar('\n');
}

static int CommandCaps(struct Interface* api, void* ctx) {
  uint32_t id;
  ZoltDrvAllCaps* all = NULL;
  puts("     id  answer  [entries]");
  for (id = 1; id <= 150; ++id) PrintCap(api, ctx, id);
  for (id = 257; id <= 282; ++id) PrintCap(api, ctx, id);
  for (id = 0x30000; id <= 0x50000; id += 0x10000) PrintCap(api, ctx, id);
  /* The same answers in one record, as a caller takes them all at once. */
  if (api->getCaps(ctx, ZOLTDRV_CAPS_ALL, &all) == 1 && all) {
    printf("all capabilities in one record: %d paper sizes, %d sources, %d resolutions\n", all->cap10.count,
           all->cap2.count, all->cap54.count);
    api->getCaps(ctx, ZOLTDRV_CAPS_FREE, all);
  } else {
    printf("all capabilities in one record: not available (error %d)\n", api->lastError(ctx));
  }
  return 0;
}

/* The whole of a file ("-": standard input) as a NUL-terminated text; NULL when it cannot be
 * read, is longer than a block may be or holds a NUL byte. */
static char* ReadBlock(const char* path) {
  FILE* file = strcmp(path, "-") == 0 ? stdin : fopen(path, "rb");
  char* text;
  size_t length = 0, n;
  if (!file) return NULL;
  text = (char*)malloc(MAX_BLOCK_BYTES + 2);
  while (text && (n = fread(text + length, 1, MAX_BLOCK_BYTES + 1 - length, file)) > 0) length += n;
  if (file != stdin) fclose(file);
  if (!text) return NULL;
  if (length > MAX_BLOCK_BYTES || memchr(text, 0, length)) {
    free(text);
    return NULL;
  }
  text[length] = 0;
  return text;
}

/* Opens the printer's command handle and loads a block into it; the handle, or NULL (the reason
 * on stderr and in *status). */
static ZoltExcHandle OpenBlock(struct Interface* api, const char* printer, const char* path, int32_t* answer, int* status) {
  char* text = NULL;
  ZoltExcHandle handle;
  int32_t length = 0;
  if (path && !(text = ReadBlock(path))) {
    *status = Fail(2, "cannot read the block of lines (or it is too long or holds a NUL byte):", path);
    return NULL;
  }
  handle = api->excOpen(printer);
  if (!handle) {
    free(text);
    *status = Fail(1, "cannot open printer", printer);
    return NULL;
  }
  *answer = 0;
  if (text) {
    *answer = api->excSetBase(handle, text, &length);
    free(text);
    if (*answer == -1) *status = Fail(1, "the block holds a line that is not \"@PJL SET NAME = VALUE\" ending in CR LF", NULL);
    if (*answer == -2)
      *status = Fail(1, "the block does not set every required command:", "APLPAGESIZE, APLPAGELAYOUT, PAPER and TRAY");
    if (*answer < 0) {
      api->excFree(handle);
      return NULL;
    }
  }
  return handle;
}

static int CommandPjl(struct Interface* api, const char* printer, const char* path) {
  int32_t answer = 0, length = 0;
  int status = 0;
  char* text;
  ZoltExcHandle handle = OpenBlock(api, printer, path, &answer, &status);
  if (!handle) return status;
  if (answer == 0) {
    printf("the printer takes every line as given\n");
  } else {
    api->excChange(handle, 0, NULL, &length);
    text = length > 0 ? (char*)calloc(1, (size_t)length) : NULL;
    if (!text || api->excChange(handle, length, text, &length) != 0) status = Fail(1, "cannot read the changed lines", NULL);
    else fputs(text, stdout);
    free(text);
  }
  api->excFree(handle);
  return status;
}

/* Prints the items of a list (NUL-separated, one more NUL at the end), one a line. */
static void PrintItems(const char* items, int32_t length) {
  const char* p = items;
  while (p < items + length && *p) {
    puts(p);
    p += strlen(p) + 1;
  }
}

static int CommandPjlValues(struct Interface* api, const char* printer, const char* name, const char* path) {
  int32_t answer = 0, length = 0;
  int status = 0, kind = 0;
  char* text = NULL;
  ZoltExcHandle handle = OpenBlock(api, printer, path, &answer, &status);
  if (!handle) return status;
  /* A job command, then a printer option, then a printer value. */
  api->excValues(handle, name, path ? 1 : 0, 0, NULL, &length);
  if (length > 0) kind = 1;
  if (!kind && !path) {
    api->excOption(handle, name, 0, NULL, &length);
    if (length > 0) kind = 2;
  }
  if (!kind && !path) {
    api->excValue(handle, name, 0, NULL, &length);
    if (length > 0) kind = 3;
  }
  if (kind) text = (char*)calloc(1, (size_t)length);
  if (kind && text) {
    if (kind == 1) answer = api->excValues(handle, name, path ? 1 : 0, length, text, &length);
    else if (kind == 2) answer = api->excOption(handle, name, length, text, &length);
    else answer = api->excValue(handle, name, length, text, &length);
    if (answer != 0) status = Fail(1, "the printer did not list the values of", name);
    else if (kind == 3) puts(text);
    else PrintItems(text, length);
  } else if (kind) {
    status = Fail(1, "out of memory", NULL);
  } else {
    status = Fail(1, path ? "no value of this command is open with that block:" : "not a command of this printer:", name);
  }
  free(text);
  api->excFree(handle);
  return status;
}

/* The job-language commands that apply sets, each through one status: the keyword's value goes
 * into the record's main value or its function switch; a command without keywords takes a
 * decimal number. */
struct Keyword {
  const char* keyword;
  int32_t value;
};

static const struct Keyword kPaperKeywords[] = {
    {"A3", 8},      {"A4", 9},      {"A5", 11},     {"A6", 70},    {"JPOST", 43},     {"JISB4", 12}, {"JISB5", 13},
    {"JISB6", 88},  {"LETTER", 1},  {"LEGAL", 5},   {"HALFLETTER", 6}, {"LEDGER", 3}, {"SAME", 1024}, {NULL, 0},
};
static const struct Keyword kLayoutKeywords[] = {{"PORTRAIT", 1}, {"LANDSCAPE", 2}, {NULL, 0}};
static const struct Keyword kTrayKeywords[] = {{"ALL", 7}, {"TRAY1", 1}, {"TRAY2", 3}, {"TRAY3", 2}, {"MULTI", 4}, {NULL, 0}};
static const struct Keyword kMediaKeywords[] = {{"PLAIN", 1}, {NULL, 0}};
static const struct Keyword kColourKeywords[] = {{"MONO", 1}, {NULL, 0}};
static const struct Keyword kSwitchKeywords[] = {{"ON", 1}, {"OFF", 0}, {NULL, 0}};
static const struct Keyword kBindingKeywords[] = {{"TOP", 1}, {"RIGHT", 2}, {"LEFT", 3}, {NULL, 0}};

struct CommandStatus {
  const char* name;
  uint32_t status;
  int field; /* 1 the main value, 7 the function switch */
  const struct Keyword* keywords;
};

static const struct CommandStatus kCommandStatuses[] = {
    {"APLPAGESIZE", 7, 1, kPaperKeywords}, {"APLPAGELAYOUT", 6, 1, kLayoutKeywords}, {"PAPER", 8, 1, kPaperKeywords},
    {"TRAY", 2, 1, kTrayKeywords},         {"MEDIATYPE", 3, 1, kMediaKeywords},      {"COLORSELECT", 5, 1, kColourKeywords},
    {"COPIES", 9, 1, NULL},                {"DUPLEX", 15, 7, kSwitchKeywords},       {"BINDING", 15, 1, kBindingKeywords},
    {NULL, 0, 0, NULL},
};

/* The value of a command's keyword (or number); 0 when the command's vocabulary lacks it. */
static int CommandValue(const struct CommandStatus* command, const char* text, int32_t* value) {
  const struct Keyword* k;
  long long number = 0;
  if (!command->keywords) {
    if (!ParseNumber(text, 1, INT32_MAX, &number)) return 0;
    *value = (int32_t)number;
    return 1;
  }
  for (k = command->keywords; k->keyword; ++k) {
    if (strcmp(k->keyword, text) == 0) {
      *value = k->value;
      return 1;
    }
  }
  return 0;
}

/* Applies one "@PJL SET NAME = VALUE" line of the checked block; 0 done or nothing to do. */
static int ApplyLine(struct Interface* api, void* ctx, const char* line) {
  char name[64], text[64];
  const struct CommandStatus* command;
  ZoltDrvStatus* record;
  int32_t size = 0, value = 0;
  int status;
  if (sscanf(line, "@PJL SET %63s = %63s", name, text) != 2) return 0;
  for (command = kCommandStatuses; command->name; ++command)
    if (strcmp(command->name, name) == 0) break;
  if (!command->name) {
    printf("%s = %s: no status of its own, not applied\n", name, text);
    return 0;
  }
  if (!CommandValue(command, text, &value)) {
    printf("%s = %s: not a value this program sets, not applied\n", name, text);
    return 0;
  }
  printf("%s = %s: ", name, text);
  /* The first layout of every record, which every version of the interface takes. */
  record = ReadStatusVersion(api, ctx, command->status, 1, &size);
  if (!record) {
    putchar('\n');
    return Refused(api, ctx, "the printer does not answer this status");
  }
  *FieldOf(record, command->field) = value;
  if (command->status == 15 && command->field == 1) record->functionSwitch = 1;
  status = SetAndReport(api, ctx, command->status, record);
  free(record);
  return status;
}

static int CommandApply(struct Interface* api, void* ctx, const char* printer, const char* path) {
  int32_t answer = 0, length = 0;
  int status = 0;
  char* text = NULL;
  char* line;
  ZoltExcHandle handle = OpenBlock(api, printer, path, &answer, &status);
  if (!handle) return status;
  if (answer == 1) {
    api->excChange(handle, 0, NULL, &length);
    text = length > 0 ? (char*)calloc(1, (size_t)length) : NULL;
    if (text && api->excChange(handle, length, text, &length) == 0) {
      printf("the printer's rules changed these lines:\n");
      fputs(text, stdout);
    }
    free(text);
    text = NULL;
  }
  /* The block as the printer took it. */
  length = 0;
  api->excBase(handle, 0, NULL, &length);
  text = length > 0 ? (char*)calloc(1, (size_t)length) : NULL;
  if (!text || api->excBase(handle, length, text, &length) != 0) status = Fail(1, "cannot read the block as the printer took it", NULL);
  api->excFree(handle);
  for (line = text; !status && line && *line;) {
    char* end = strstr(line, "\r\n");
    if (end) *end = 0;
    status = ApplyLine(api, ctx, line);
    line = end ? end + 2 : line + strlen(line);
  }
  free(text);
  return status ? status : StoreDefaults(api, ctx, printer);
}

static int CommandDevmode(struct Interface* api, const char* printer, const char* path) {
  unsigned char record[ZOLTEXC_DEVMODE_BYTES];
  int32_t length = 0;
  FILE* file;
  if (api->excDevmode(printer, 1, 0, NULL, &length) != 1 || length != ZOLTEXC_DEVMODE_BYTES)
    return Fail(1, "the driver reports an unexpected device-mode size for", printer);
  if (api->excDevmode(printer, 1, (int32_t)sizeof(record), record, &length) != 0)
    return Fail(1, "cannot read the default device mode of printer", printer);
  file = fopen(path, "wb");
  if (!file) return Fail(1, "cannot write", path);
  if (fwrite(record, 1, sizeof(record), file) != sizeof(record) || fclose(file) != 0) return Fail(1, "cannot write", path);
  printf("%s: default device mode, %u bytes, written to %s\n", printer, (unsigned)sizeof(record), path);
  return 0;
}

int main(int argc, char** argv) {
  struct Interface api;
  const char* printer;
  const char* command;
  const char* root = getenv("ZOLT_MACHINE_ROOT");
  long long id = 0;
  void* ctx;
  int32_t version;
  int status;
  ZoltDrvInitRecord init;

  if (argc >= 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
    fputs(kUsage, stdout);
    return 0;
  }
  if (argc < 3) {
    fputs(kUsage, stderr);
    return 2;
  }
  printer = argv[1];
  command = argv[2];
  if (strcmp(command, "version") == 0) {
    if (argc != 3) return Fail(2, "version takes no arguments", NULL);
  } else if (strcmp(command, "caps") == 0) {
    if (argc != 3) return Fail(2, "caps takes no arguments", NULL);
  } else if (strcmp(command, "status") == 0 || strcmp(command, "set") == 0) {
    if (argc < 4 || !ParseNumber(argv[3], 1, UINT32_MAX, &id)) return Fail(2, "needs a status id, not", argc < 4 ? "nothing" : argv[3]);
    if (strcmp(command, "status") == 0 && argc != 4) return Fail(2, "status takes one status id", NULL);
    if (strcmp(command, "set") == 0 && argc < 5) return Fail(2, "set needs at least one FIELD=VALUE", NULL);
  } else if (strcmp(command, "pjl") == 0 || strcmp(command, "devmode") == 0 || strcmp(command, "apply") == 0) {
    if (argc != 4) return Fail(2, command, strcmp(command, "devmode") == 0 ? "takes one FILE" : "takes one FILE or -");
  } else if (strcmp(command, "pjl-values") == 0) {
    if (argc != 4 && argc != 5) return Fail(2, "pjl-values takes a command NAME and optionally a FILE or -", NULL);
  } else {
    return Fail(2, "unknown command", command);
  }
  if (!root || !*root) return Fail(2, "ZOLT_MACHINE_ROOT names no machine", NULL);
  if (!LoadInterface(&api, printer)) return 1;

  if (strcmp(command, "version") == 0) {
    version = api.checkVersion(printer);
    FreeLibrary(api.module);
    if (version <= 0) return Fail(1, "no settings interface for printer", printer);
    printf("%s: settings interface version %d\n", printer, version);
    return 0;
  }
  if (strcmp(command, "pjl") == 0 || strcmp(command, "pjl-values") == 0 || strcmp(command, "devmode") == 0) {
    if (strcmp(command, "pjl") == 0) status = CommandPjl(&api, printer, argv[3]);
    else if (strcmp(command, "devmode") == 0) status = CommandDevmode(&api, printer, argv[3]);
    else status = CommandPjlValues(&api, printer, argv[3], argc == 5 ? argv[4] : NULL);
    FreeLibrary(api.module);
    return status;
  }
  ctx = api.enable(printer);
  if (!ctx) {
    FreeLibrary(api.module);
    return Fail(1, "cannot open printer", printer);
  }
  init.reserved = 0;
  init.version = api.checkVersion(printer);
  api.init(1, &init);
  if (strcmp(command, "caps") == 0) status = CommandCaps(&api, ctx);
  else if (strcmp(command, "status") == 0) status = CommandStatus(&api, ctx, (uint32_t)id);
  else if (strcmp(command, "set") == 0) status = CommandSet(&api, ctx, printer, (uint32_t)id, argc - 4, argv + 4);
  else status = CommandApply(&api, ctx, printer, argv[3]);
  api.disable(ctx);
  FreeLibrary(api.module);
  return status;
}
