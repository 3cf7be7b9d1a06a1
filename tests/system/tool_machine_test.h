// A machine with the test printer, initialised as the spooler would, that the tests drive
// through the installed tools as a person or a program would.
#pragma once

#include <string>
#include <vector>

#include "child_process.h"
#include "machine_fixture.h"

namespace zolt::test {

class ToolMachineTest : public DriverMachineTest {
 protected:
  bool InitializesPrinter() const override { return true; }

  static bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

  // zoltmachine COMMAND ARGS... on this test's machine (its root goes in after the command).
  ProgramRun Machine(std::vector<std::string> args) {
    args.insert(args.begin() + 1, Root().string());
    return RunProgram(ZOLT_MACHINE_TOOL, args, Root());
  }
};

}  // namespace zolt::test
