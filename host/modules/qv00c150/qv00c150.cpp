// QV00C150.dll: tells the driver whether it runs in terminal-server mode, where each user keeps
// the printer's settings in a folder of their own.
//
// The answer is the number in the file "qv00c150.txt" at the machine root (a test or a tool
// writes it): 1 means terminal-server mode. A missing or unreadable file answers 0, as does
// anything that is not a number.
#include <cstdlib>
#include <fstream>
#include <string>

#include "win32/machine.h"
#include "win32/windows.h"

ZOLT_EXPORT int _IsTSE_WMICOM_ZOLT_Printer_Driver() {
  std::ifstream in(zolt::host::Machine::Root() / "qv00c150.txt");
  std::string text;
  if (!in || !std::getline(in, text)) return 0;
  char* end = nullptr;
  const long answer = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || answer < INT32_MIN || answer > INT32_MAX) return 0;
  return static_cast<int>(answer);
}
