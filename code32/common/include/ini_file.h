// INI files: the wrappers around the platform's profile functions through which every settings
// file is read and written, and the in-memory reader and writer of whole settings sections.
#pragma once

#include <cstdint>
#include <vector>

#include "win32/windows.h"

// Longest section name the wrappers accept (characters, without the terminator).
constexpr int kIniSectionChars = 260;

// ---- Profile-function wrappers -------------------------------------------------------------
// The section name is copied and each '[' and ']' in the copy becomes ','; keys and values pass
// unchanged. A section name longer than kIniSectionChars is refused (reads give the default,
// writes 0) rather than cut, so that a long name never addresses another section.

UINT IniReadInt(const WCHAR* section, const WCHAR* key, int defaultValue, const WCHAR* file);
// Returns the characters copied into out (outSize characters, terminator included).
int IniReadString(const WCHAR* section, const WCHAR* key, const WCHAR* defaultValue, WCHAR* out, int outSize,
                  const WCHAR* file);
// Writes (a NULL value deletes the key, a NULL key the section) and flushes the file at once.
BOOL IniWriteString(const WCHAR* section, const WCHAR* key, const WCHAR* value, const WCHAR* file);
// Writes value as decimal text (IniWriteString).
BOOL IniWriteIntKey(const WCHAR* section, const WCHAR* key, int value, const WCHAR* file);
// Replaces '[' and ']' by ',' in place; returns text (NULL stays NULL).
WCHAR* IniReplaceBrackets(WCHAR* text);
// IniWriteString that keeps the file's last-write time. Mode 0 writes always, mode 1 only when
// the file could be opened and its time read. Returns the write result, 0 when nothing was
// written.
BOOL IniWriteStringKeepTime(const WCHAR* section, const WCHAR* key, const WCHAR* value, const WCHAR* file, int mode);

// ---- Whole sections --------------------------------------------------------------------------
// The section's "key=value" lines as a double-NUL list, however long the section is (the
// buffer grows until the whole section fits, up to 16 M characters). Empty when the section is
// missing or empty.
std::vector<WCHAR> IniReadWholeSection(const WCHAR* section, const WCHAR* file);
// Copies the whole section fromSection of from into toSection of to, replacing the target
// section. 1 when the source section held lines and they were written, 0 when
// it is missing or empty or the write failed.
int IniCopySection(const WCHAR* from, const WCHAR* fromSection, const WCHAR* to, const WCHAR* toSection);

// ---- In-memory files -----------------------------------------------------------------------
// An image is the whole file as ANSI text followed by one NUL byte. A section body is the
// first line after its "[name]" header; a cursor is an offset from the body that the caller
// keeps between reads of one section, so that keys read in file order are found at once.

// Loads the file at an absolute path (a missing file is created empty). With onlyLarge set a
// file of 65,535 bytes or less is not loaded. NULL when the path is not absolute, the file
// cannot be read, or (onlyLarge) it is small. Free with IniFreeFile.
char* IniLoadFile(const WCHAR* path, int onlyLarge);
int IniFreeFile(char* image);
// The body of the section (case-insensitive name), or NULL.
const char* IniFindSection(const WCHAR* section, const char* image);
// Reads key of the section at body starting at *cursor, wrapping once to the body's start.
// Found: the value into out (outSize characters, always terminated), the cursor moves to the
// line after the key, and the characters copied are returned. Not found: the default (cut to
// outSize - 1 characters) and its length.
WORD IniReadStringMem(const WCHAR* key, const WCHAR* defaultValue, WCHAR* out, WORD outSize, const char* body,
                      int32_t* cursor);
// The value as a number (_wtoi); a missing or empty value gives the default.
int IniReadIntMem(const WCHAR* key, int defaultValue, const char* body, int32_t* cursor);

// The text a section is built in: "key=value\r\n" lines, always NUL-terminated after them. It
// grows as lines are appended, so no line is ever cut or written past its end.
struct IniSectionText {
  char* data;
  int32_t capacity;  // bytes allocated
};
constexpr int32_t kIniSectionTextInitial = 32768;
// Allocates the first capacity bytes (zero-filled); 0 when memory runs out.
int IniSectionTextInit(IniSectionText* text, int32_t capacity = kIniSectionTextInitial);
void IniSectionTextFree(IniSectionText* text);
// Appends "key=value\r\n" at *cursor (ANSI text) and moves the cursor after it; an empty key
// writes nothing. Returns 1, or 0 (nothing written) for a NULL argument, a cursor outside the
// text, or when the text cannot grow.
int IniAppendKeyMem(int32_t* cursor, const WCHAR* key, const WCHAR* value, IniSectionText* text);
