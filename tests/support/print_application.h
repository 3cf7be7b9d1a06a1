// An application's print job as it meets the driver through the platform: the printer's device
// mode from DocumentPropertiesW, a printer DC of the printer (CreateDCW, StartDocW, a metafile
// played on each page, EndDoc). Shared by the system tests and the whole-job benchmarks.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "win32/windows.h"

namespace zolt::app {

// The pages of the sample document (samples/jobs/*.emf in name order), one metafile each.
inline std::vector<std::string> ReadDocument(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(folder, ec))
    if (e.path().extension() == ".emf") files.push_back(e.path());
  std::sort(files.begin(), files.end());
  std::vector<std::string> pages;
  for (const auto& f : files) {
    std::ifstream in(f, std::ios::binary);
    pages.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return pages;
}

struct AppJob {
  int jobId = 0;          // what StartDocW answered
  int failedCall = 0;     // 0 none; else the first call that failed, below
  std::string failure;    // its name and the page
};

// Prints pages on the printer as an application does: each metafile played onto the page's
// printable area. devmode: the job's device mode (empty: the printer's own).
inline AppJob PrintDocument(const std::u16string& printer, const std::vector<std::string>& pages,
                            const std::string& devmode = {}, const char16_t* docName = u"System test document") {
  AppJob job;
  auto fail = [&](const std::string& what) {
    if (job.failure.empty()) job.failure = what + " failed (error " + std::to_string(GetLastError()) + ")";
  };
  const auto* dm = devmode.empty() ? nullptr : reinterpret_cast<const DEVMODEW*>(devmode.data());
  HDC dc = CreateDCW(nullptr, printer.c_str(), nullptr, dm);
  if (!dc) {
    fail("CreateDCW");
    return job;
  }
  DOCINFOW doc{};
  doc.cbSize = sizeof doc;
  doc.lpszDocName = docName;
  job.jobId = StartDocW(dc, &doc);
  if (job.jobId <= 0) fail("StartDocW");
  for (size_t i = 0; job.jobId > 0 && i < pages.size(); ++i) {
    const std::string page = " of page " + std::to_string(i + 1);
    if (StartPage(dc) <= 0) {
      fail("StartPage" + page);
      break;
    }
    HENHMETAFILE emf = SetEnhMetaFileBits(UINT(pages[i].size()), reinterpret_cast<const BYTE*>(pages[i].data()));
    RECT frame{0, 0, GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
    if (!emf || !PlayEnhMetaFile(dc, emf, &frame)) fail("PlayEnhMetaFile" + page);
    if (emf) DeleteEnhMetaFile(emf);
    if (EndPage(dc) <= 0) fail("EndPage" + page);
  }
  if (job.jobId > 0 && EndDoc(dc) <= 0) fail("EndDoc");
  DeleteDC(dc);
  return job;
}

// Changes a printer's record as the printer's properties do: its level-2 record is read, edit
// changes it, and it is written back. False when a call fails.
template <typename Edit>
bool ChangePrinter(HANDLE printer, Edit edit) {
  DWORD needed = 0;
  GetPrinterW(printer, 2, nullptr, 0, &needed);
  std::vector<BYTE> buf(needed ? needed : 1);
  if (!needed || !GetPrinterW(printer, 2, buf.data(), needed, &needed)) return false;
  edit(*reinterpret_cast<PRINTER_INFO_2W*>(buf.data()));
  return SetPrinterW(printer, 2, buf.data(), 0) != FALSE;
}

// The printer's default device mode as an application asks for it (empty when refused).
inline std::string PrinterDevMode(const std::u16string& printer) {
  std::u16string name = printer;
  HANDLE h = nullptr;
  if (!OpenPrinterW(name.data(), &h, nullptr)) return {};
  const LONG size = DocumentPropertiesW(nullptr, h, name.data(), nullptr, nullptr, 0);
  std::string dm(size > 0 ? size_t(size) : 0, '\0');
  const bool ok = size > 0 && DocumentPropertiesW(nullptr, h, name.data(), reinterpret_cast<DEVMODEW*>(dm.data()),
                                                  nullptr, DM_OUT_BUFFER) == IDOK;
  ClosePrinter(h);
  return ok ? dm : std::string();
}

// Fields of the driver's device mode (offsets from the start of the record) that choose how a
// job is printed: zdmImagePrint (a byte; 1: the engine draws the page in bands sent as images)
// and the zdmExtOutputEMFSpool bit of a 16-bit word (the job may be spooled as metafiles).
inline constexpr size_t kDmImagePrint = 583;
inline constexpr size_t kDmOutputWord = 592;
inline constexpr uint16_t kDmEmfSpoolBit = 1u << 10;

inline void SetRasterMode(std::string& devmode, bool on) {
  if (devmode.size() > kDmImagePrint) devmode[kDmImagePrint] = on ? 1 : 0;
}
inline void SetMetafileSpool(std::string& devmode, bool on) {
  if (devmode.size() < kDmOutputWord + 2) return;
  uint16_t word;
  std::memcpy(&word, devmode.data() + kDmOutputWord, 2);
  word = on ? uint16_t(word | kDmEmfSpoolBit) : uint16_t(word & ~kDmEmfSpoolBit);
  std::memcpy(devmode.data() + kDmOutputWord, &word, 2);
}

}  // namespace zolt::app
