// Writes a text value into a printer's data, as an administrator or the installer would.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "win32/windows.h"

namespace zolt::test {

inline void SetPrinterText(HANDLE printer, const char16_t* valueName, const std::u16string& value) {
  ASSERT_EQ(SetPrinterDataW(printer, const_cast<LPWSTR>(valueName), REG_SZ,
                            reinterpret_cast<LPBYTE>(const_cast<char16_t*>(value.c_str())),
                            static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR))),
            static_cast<DWORD>(ERROR_SUCCESS));
}

}  // namespace zolt::test
