// The host's print processor: metafile jobs played through the printer's graphics module in
// the spooler's second phase, and the thread's job a printer DC then prints into.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "win32/base.h"

namespace zolt::host::engine {

// The spool stream of a metafile job: records {u32 kind, u32 size, size bytes}, an optional
// device mode first, then one metafile per page.
constexpr uint32_t kSpoolDevmode = 0x4D564544;  // "DEVM"
constexpr uint32_t kSpoolPage = 0x45474150;     // "PAGE": placed on the physical page by its frame
// A page a printer DC recorded: its pixels are the printable area's.
constexpr uint32_t kSpoolDevicePage = 0x47415044;  // "DPAG"

// Plays the pages of a spooled job onto a printer DC of the printer whose document is that
// job; false with a message when the stream is damaged or the driver fails.
bool PlaySpooledJob(const std::u16string& printer, DWORD jobId, const std::u16string& document,
                    const std::filesystem::path& spool,
                    std::string* error);

// The job the next document of a printer DC made on this thread goes into (0: a new job).
DWORD& AttachedJob();

}  // namespace zolt::host::engine
