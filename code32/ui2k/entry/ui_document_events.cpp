// Document events: at the start of every document the graphics module receives the table of
// localised texts through private escape 122; document and page starts keep the user's copy of
// the settings current.
#include <cstring>

#include "env_language.h"
#include "env_system.h"
#include "path_files.h"
#include "prn_data.h"
#include "settings_paths.h"
#include "ui_entry.h"

namespace {

constexpr int kRowTextChars = 261;
constexpr int kPathChars = 260;

// The rows the graphics module expects: key and string id fixed, texts filled per document.
constexpr struct {
  int16_t key;
  uint16_t stringId;
} kEscapeRows[kEscapeStringRows] = {{731, 15000}, {733, 15001}, {735, 15002}, {0, 0}};

}  // namespace

HMODULE UiLoadStringLibrary(HANDLE printer, HMODULE* slot) {
  if (*slot) return *slot;
  WCHAR path[kPathChars + 1] = {};
  PathGetDriverDirOf(printer, path, kPathChars);
  path[kPathChars - 1] = 0;
  const size_t dirLength = std::char_traits<char16_t>::length(path);
  if (dirLength + 1 >= kPathChars) return nullptr;
  // Without a help file name there is no library to name.
  if (!PrnReadHelpFileNameOf(path + dirLength, static_cast<DWORD>((kPathChars - dirLength) * sizeof(WCHAR)), printer))
    return nullptr;
  path[kPathChars - 1] = 0;
  int extLength = 0;
  WCHAR* ext = PathGetExtension(path, &extLength);
  if (!ext || ext + 4 > path + kPathChars) return nullptr;
  std::memcpy(ext, u"dll", 4 * sizeof(WCHAR));
  *slot = LoadLibraryW(path);
  return *slot;
}

void UiLoadEscapeString(HANDLE printer, HMODULE* slot, WORD stringId, WCHAR* text, int count) {
  text[0] = 0;
  if (HMODULE library = UiLoadStringLibrary(printer, slot)) LoadStringW(library, stringId, text, count);
}

DWORD UiBuildEscapeStrings(HANDLE printer, EscapeStringRow (&table)[kEscapeStringRows]) {
  std::memset(table, 0, sizeof table);
  HMODULE slot = nullptr;
  int rows = 0;
  for (int i = 0; i < kEscapeStringRows; ++i) {
    table[i].key = kEscapeRows[i].key;
    table[i].stringId = kEscapeRows[i].stringId;
  }
  for (; rows < kEscapeStringRows && table[rows].key; ++rows)
    UiLoadEscapeString(printer, &slot, table[rows].stringId, table[rows].text, kRowTextChars);
  EnvFreeModule(slot);
  return static_cast<DWORD>((rows + 1) * sizeof(EscapeStringRow));
}

void UiSendEscapeStrings(HANDLE printer, HDC dc) {
  // One table per call: documents started together in one process do not share it.
  EscapeStringRow table[kEscapeStringRows];
  const DWORD size = UiBuildEscapeStrings(printer, table);
  ExtEscape(dc, kEscapeStrings, static_cast<int>(size), reinterpret_cast<LPCSTR>(table), 0, nullptr);
}

int UiHandleDocumentEvent(HANDLE printer, HDC dc, int event, ULONG, PVOID, ULONG, PVOID) {
  switch (event & 0xFFFF) {
    case DOCUMENTEVENT_CREATEDCPRE:
    case DOCUMENTEVENT_CREATEDCPOST:
    case DOCUMENTEVENT_STARTDOCPOST:
      return DOCUMENTEVENT_SUCCESS;
    case DOCUMENTEVENT_STARTDOC: {
      UiEntryBracket bracket(printer);
      bracket.Sync(1);
      UiSendEscapeStrings(printer, dc);
      return DOCUMENTEVENT_SUCCESS;
    }
    case DOCUMENTEVENT_STARTPAGE: {
      UiEntryBracket bracket(printer);
      bracket.Sync(1);
      return DOCUMENTEVENT_SUCCESS;
    }
    default:
      return DOCUMENTEVENT_UNSUPPORTED;
  }
}
