// Any text as a string of the language library, completed by the label decorations: option texts
// appended, custom sizes and their ranges filled into "%s" fields, unit names, module texts and
// custom media names, in buffers of any size; and fixed-point number texts with the decimal
// comma. None may write past the buffer the caller gave or read past the text's end.
//
// Input: byte 0 picks the string id among those with a decoration, byte 1 the buffer size,
// byte 2 the unit and the length of the option text taken from the tail, bytes 3-6 a number for
// the fixed-point texts, the rest the string as UTF-16 (its last part also as the option texts).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "env_language.h"
#include "fuzz_machine.h"
#include "fuzz_printer.h"
#include "option_access.h"
#include "option_values.h"
#include "win32/windows.h"

namespace {

DriverContext* g_ctx = nullptr;

void Cleanup() {
  if (g_ctx) CtxReleaseAs(g_ctx, kCtxReleaseDestroy);
}

// The string ids that have a decoration, and a few around them that have none.
std::vector<DWORD> DecoratedIds() {
  std::vector<DWORD> ids;
  for (DWORD first : {29u, 813u, 50017u})
    for (DWORD i = 0; i < 9; ++i) ids.push_back(first + i);
  for (DWORD i = 109; i <= 118; ++i) ids.push_back(i);
  for (DWORD id : {752u, 753u, 13379u, 13383u, 153u, 154u}) ids.push_back(id);
  for (DWORD id = 565; id <= 580; ++id) ids.push_back(id);
  for (DWORD id = 13273; id <= 13276; ++id) ids.push_back(id);
  for (DWORD id = 13708; id <= 13723; ++id) ids.push_back(id);
  for (DWORD id : {0u, 1u, 28u, 119u, 13724u}) ids.push_back(id);
  return ids;
}

constexpr uint16_t kTextOptions[] = {1540, 1541, 1548, 1599, 1600, 1614};  // tray and custom media names

void ResetImage(uint8_t unit) {
  std::memset(g_ctx->settingsImage, 0, kSettingsImageSize);
  zolt::fuzz::WriteFuzzBlockStarts(reinterpret_cast<BYTE*>(g_ctx->settingsImage));
  OptSetValue(g_ctx, kOptLanguageId, 1 + (unit & 1));
  OptSetValue(g_ctx, 730, unit >> 1 & 3);  // the display unit
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zolt::fuzz::MakeFuzzMachine("resource-strings");
  g_ctx = zolt::fuzz::MakeFuzzContext(reinterpret_cast<HANDLE>(1));
  std::atexit(Cleanup);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 7) return 0;
  static const std::vector<DWORD> kIds = DecoratedIds();
  const DWORD id = kIds[data[0] % kIds.size()];
  const int bufferSize = 1 + data[1];
  const uint8_t unit = data[2];
  int32_t number;
  std::memcpy(&number, data + 3, sizeof number);
  data += 7;
  size -= 7;

  std::vector<WCHAR> text(size / 2 + 1, 0);
  std::memcpy(text.data(), data, size / 2 * 2);
  ResetImage(unit);
  // The option texts: the string's last characters (as many as byte 2's high bits say).
  const size_t optionChars = std::min<size_t>(size / 2, (unit >> 3) * 8);
  std::vector<WCHAR> optionText(text.end() - 1 - optionChars, text.end());
  for (uint16_t option : kTextOptions)
    if (OptionEntry* row = OptFind(g_ctx, option)) OptSetStringValue(g_ctx, row, optionText.data());

  // The decorated string in a buffer of exactly bufferSize characters (the heap marks its end).
  std::vector<WCHAR> buffer(bufferSize, 0);
  const size_t copied = std::min<size_t>(text.size() - 1, bufferSize - 1);
  std::memcpy(buffer.data(), text.data(), copied * sizeof(WCHAR));
  EnvDecorateString(g_ctx, id, buffer.data(), bufferSize);

  WCHAR numberText[kEnvNumberChars];
  for (int divisor : {1, 10, 100, 1000, 10000})
    EnvUseDecimalComma(EnvFormatFixedPoint(numberText, divisor, number, g_ctx));
  EnvUseDecimalComma(buffer.data());
  return 0;
}
