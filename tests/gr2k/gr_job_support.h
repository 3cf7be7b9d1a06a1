// Printing through the platform as an application would (a printer DC of the test printer),
// and reading what the output module delivered to the printer's port.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "block_stream.h"
#include "machine_fixture.h"
#include "win32/windows.h"

namespace zolt::test {

using namespace zolt::blocks;

class GrJobTest : public DriverMachineTest {
 protected:
  // The printer as its installation leaves it: prepared by its driver, with the model's font
  // lists in its printer data.
  bool InitializesPrinter() const override { return true; }
  void SetUp() override;

  // A device mode of the printer with options changed ({id, value} pairs), as a context of
  // the printer makes it.
  std::string DevModeWith(std::initializer_list<std::pair<uint16_t, int32_t>> options);

  // Prints pages through a printer DC; draw is called once per page (page number from 1).
  // Returns the job's port file ("" when none) and fills ok with the calls' results.
  struct JobResult {
    bool startDoc = false, pagesOk = true, endDoc = false;
    std::string output;
  };
  JobResult Print(int pages, const std::function<void(HDC, int)>& draw, const std::string& devmode = {},
                  const std::function<void(HDC&, int)>& betweenPages = {});

  // The port files written so far.
  std::vector<std::filesystem::path> PortFiles() const;

  // Registers the interface-module stand-in as a plug-in of the output category.
  void RegisterInterfaceModule(const std::string& installPath, int forceRaw = 0);
  // The behaviour file and the call log of a stand-in output module ("filter", "interface").
  void SetModuleBehaviour(const std::string& module, const std::string& lines);
  std::vector<std::string> ModuleCalls(const std::string& module) const;

  // Decodes the output and fails the test when its framing is wrong.
  DecodedStream Decode(const std::string& output);

  std::u16string DriverDirectory() const;
};

}  // namespace zolt::test
