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
    "  set ID FIELD=VALUE...    change status ID (the fields not given keep their values) and\n"
    "                           print the other statuses that changed with it\n"
    "\n"
    "fields (the record's 32-bit fields by offset): value (4), field8, field12, field16,\n"
    "field20, field24, switch (28); values are decimal or 0x-hexadecimal.\n"
    "The machine is the one ZOLT_MACHINE_ROOT names.\n"
    "\n"
    "Exit status: 0 done, 1 the printer or the interface refused, 2 wrong arguments.\n";

#define PATH_UNITS 260
#define MAX_RECORD_BYTES 65536

struct Interface {
  HMODULE_ZS module;
  ZoltDrvCheckAPIVerFn checkVersion;
  ZoltDrvEnableFn enable;
  ZoltDrvInitFn init;
  ZoltDrvGetLastErrorFn lastError;
  ZoltDrvDisableFn disable;
  ZoltDrvGetStatusFn getStatus;
  ZoltDrvSetStatusFn setStatus;
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
    {33, "overlay action"},  {34, "resolution"},         {35, "colour planes"},      {0, NULL},
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
  if (!api->checkVersion || !api->enable || !api->init || !api->lastError || !api->disable || !api->getStatus ||
      !api->setStatus) {
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

/* Reads status id into a buffer of its own size; NULL with *size -1 when refused. */
static ZoltDrvStatus* ReadStatus(struct Interface* api, void* ctx, uint32_t id, int32_t* size) {
  ZoltDrvStatus* record;
  int32_t bytes = api->getStatus(ctx, id, NULL, 0);
  *size = bytes;
  if (bytes < 0 || bytes > MAX_RECORD_BYTES) return NULL;
  record = (ZoltDrvStatus*)calloc(1, bytes < (int32_t)sizeof(ZoltDrvStatus) ? sizeof(ZoltDrvStatus) : (size_t)bytes);
  if (!record) return NULL;
  *size = api->getStatus(ctx, id, record, 0);
  if (*size < 0) {
    free(record);
    return NULL;
  }
  return record;
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

static int CommandSet(struct Interface* api, void* ctx, uint32_t id, int count, char** assignments) {
  uint8_t changes[ZOLTDRV_CHANGE_BITMAP_BYTES];
  int32_t size = 0;
  int32_t result;
  uint32_t n;
  int any = 0, i;
  ZoltDrvStatus* record = ReadStatus(api, ctx, id, &size);
  if (!record) return Refused(api, ctx, "the printer does not answer this status");
  for (i = 0; i < count; ++i) {
    if (!ApplyAssignment(record, assignments[i])) {
      free(record);
      return Fail(2, "not a FIELD=VALUE of a known field:", assignments[i]);
    }
  }
  memset(changes, 0, sizeof(changes));
  result = api->setStatus(ctx, id, record, changes, 0);
  free(record);
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
  } else if (strcmp(command, "status") == 0 || strcmp(command, "set") == 0) {
    if (argc < 4 || !ParseNumber(argv[3], 1, UINT32_MAX, &id)) return Fail(2, "needs a status id, not", argc < 4 ? "nothing" : argv[3]);
    if (strcmp(command, "status") == 0 && argc != 4) return Fail(2, "status takes one status id", NULL);
    if (strcmp(command, "set") == 0 && argc < 5) return Fail(2, "set needs at least one FIELD=VALUE", NULL);
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
  ctx = api.enable(printer);
  if (!ctx) {
    FreeLibrary(api.module);
    return Fail(1, "cannot open printer", printer);
  }
  init.reserved = 0;
  init.version = api.checkVersion(printer);
  api.init(1, &init);
  if (strcmp(command, "status") == 0) status = CommandStatus(&api, ctx, (uint32_t)id);
  else status = CommandSet(&api, ctx, (uint32_t)id, argc - 4, argv + 4);
  api.disable(ctx);
  FreeLibrary(api.module);
  return status;
}
