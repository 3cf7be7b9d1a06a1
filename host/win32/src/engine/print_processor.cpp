// The host's print processor and the host's call that prints metafiles on a printer, directly
// through the graphics module or spooled as a metafile job that the print processor plays.
#include "engine/print_processor.h"

#include "files.h"
#include <cstring>
#include <vector>

#include "win32/emf.h"
#include "win32/gdi.h"
#include "win32/hostspooler.h"
#include "win32/hosttext.h"
#include "win32/spooler.h"

namespace zolt::host::engine {

namespace {

struct SpoolContents {
  std::string devmode;
  std::vector<std::string> pages;
  std::vector<bool> devicePages;  // per page: recorded by a printer DC
};

bool ParseSpool(const std::string& bytes, SpoolContents& out, std::string* error) {
  size_t at = 0;
  while (at < bytes.size()) {
    if (bytes.size() - at < 8) {
      if (error) *error = "the spooled job ends inside a record header";
      return false;
    }
    uint32_t kind, size;
    std::memcpy(&kind, bytes.data() + at, 4);
    std::memcpy(&size, bytes.data() + at + 4, 4);
    at += 8;
    if (size > bytes.size() - at) {
      if (error) *error = "a spooled record is longer than the job";
      return false;
    }
    std::string body = bytes.substr(at, size);
    at += size;
    if (kind == kSpoolDevmode && out.pages.empty() && out.devmode.empty()) {
      out.devmode = std::move(body);
    } else if (kind == kSpoolPage || kind == kSpoolDevicePage) {
      out.pages.push_back(std::move(body));
      out.devicePages.resize(out.pages.size() - 1);
      out.devicePages.push_back(kind == kSpoolDevicePage);
    } else {
      if (error) *error = "the spooled job holds an unknown record";
      return false;
    }
  }
  return true;
}

// Plays one metafile at its own size (its frame, 0.01 mm) on the printable area of the DC, or
// a page a printer DC recorded onto the printable area it was drawn on.
bool PlayPage(HDC dc, const std::string& emf, bool devicePage, std::string* error) {
  HENHMETAFILE mf = SetEnhMetaFileBits(UINT(emf.size()), reinterpret_cast<const BYTE*>(emf.data()));
  if (!mf) {
    if (error) *error = "a page is not an enhanced metafile";
    return false;
  }
  ENHMETAHEADER head{};
  GetEnhMetaFileHeader(mf, sizeof(head), &head);
  const int dpiX = GetDeviceCaps(dc, LOGPIXELSX), dpiY = GetDeviceCaps(dc, LOGPIXELSY);
  const int offX = GetDeviceCaps(dc, PHYSICALOFFSETX), offY = GetDeviceCaps(dc, PHYSICALOFFSETY);
  RECT r{MulDiv(head.rclFrame.left, dpiX, 2540) - offX, MulDiv(head.rclFrame.top, dpiY, 2540) - offY,
         MulDiv(head.rclFrame.right, dpiX, 2540) - offX, MulDiv(head.rclFrame.bottom, dpiY, 2540) - offY};
  if (devicePage || r.right <= r.left || r.bottom <= r.top)
    r = RECT{0, 0, GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
  bool ok = StartPage(dc) > 0;
  // A damaged metafile plays what precedes the damage; the job then fails rather than print
  // an incomplete page as if it were whole. A record the device refuses (a flood fill, which
  // cannot read back a printer's page) has drawn nothing while every other record was played:
  // the page is printed as the application would have drawn it directly.
  SetLastError(ERROR_SUCCESS);
  if (ok && !PlayEnhMetaFile(dc, mf, &r) && GetLastError() == ERROR_INVALID_DATA) {
    if (error) *error = "a page was played only up to a damaged record";
    ok = false;
  }
  ok = EndPage(dc) > 0 && ok;
  DeleteEnhMetaFile(mf);
  if (!ok && error && error->empty()) *error = "the driver failed a page";
  return ok;
}

// Prints pages on a printer DC (of the device mode, or the printer's own) as one document.
bool PrintPages(const std::u16string& printer, const SpoolContents& job, const std::u16string& docName,
                DWORD* jobId, std::string* error) {
  const DEVMODEW* dm = job.devmode.empty() ? nullptr : reinterpret_cast<const DEVMODEW*>(job.devmode.data());
  HDC dc = CreateDCW(nullptr, printer.c_str(), nullptr, dm);
  if (!dc) {
    if (error) *error = "the printer's graphics module could not be enabled (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  DOCINFOW di{sizeof(DOCINFOW), docName.c_str(), nullptr, nullptr, 0};
  const int job_ = StartDocW(dc, &di);
  if (job_ <= 0) {
    if (error) *error = "the driver refused the document (error " + std::to_string(GetLastError()) + ")";
    DeleteDC(dc);
    return false;
  }
  if (jobId) *jobId = DWORD(job_);
  bool ok = true;
  for (size_t i = 0; i < job.pages.size(); ++i) {
    if (!PlayPage(dc, job.pages[i], i < job.devicePages.size() && job.devicePages[i], error)) {
      ok = false;
      break;
    }
  }
  if (ok) {
    ok = EndDoc(dc) > 0;
    if (!ok && error) *error = "the document could not be completed";
  } else {
    AbortDoc(dc);
  }
  DeleteDC(dc);
  return ok;
}

}  // namespace

DWORD& AttachedJob() {
  static thread_local DWORD job = 0;
  return job;
}

bool PlaySpooledJob(const std::u16string& printer, DWORD jobId, const std::u16string& document,
                    const std::filesystem::path& spool,
                    std::string* error) {
  std::string bytes;
  if (!ReadRealFile(spool, bytes)) {
    if (error) *error = "the spool file could not be read";
    return false;
  }
  SpoolContents job;
  if (!ParseSpool(bytes, job, error)) return false;
  DWORD& attached = AttachedJob();
  const DWORD previous = attached;
  attached = jobId;
  const bool ok = PrintPages(printer, job, document, nullptr, error);
  attached = previous;
  return ok;
}

}  // namespace zolt::host::engine

namespace zolt::host {

bool PrintMetafiles(std::u16string_view printerName, const std::vector<std::string>& pages,
                    const std::string& devmode, std::u16string_view docName, bool direct, PrintResult& result,
                    std::string* error) {
  result = PrintResult{};
  std::u16string printer(printerName);
  engine::SpoolContents job{devmode, pages, {}};
  bool ok;
  if (direct) {
    ok = engine::PrintPages(printer, job, std::u16string(docName), &result.jobId, error);
  } else {
    // The first phase: the pages go to the spooler as a metafile job.
    HANDLE h = nullptr;
    if (!OpenPrinterW(printer.data(), &h, nullptr)) {
      if (error) *error = "no printer of that name";
      return false;
    }
    std::u16string doc(docName), type = u"NT EMF 1.008";
    DOC_INFO_1W di{doc.data(), nullptr, type.data()};
    result.jobId = StartDocPrinterW(h, 1, reinterpret_cast<LPBYTE>(&di));
    ok = result.jobId != 0;
    auto put = [&](uint32_t kind, const std::string& body) {
      const uint32_t head[2] = {kind, uint32_t(body.size())};
      DWORD written = 0;
      return WritePrinter(h, const_cast<uint32_t*>(head), sizeof(head), &written) &&
             WritePrinter(h, const_cast<char*>(body.data()), DWORD(body.size()), &written);
    };
    if (ok && !devmode.empty()) ok = put(engine::kSpoolDevmode, devmode);
    for (size_t i = 0; ok && i < pages.size(); ++i)
      ok = StartPagePrinter(h) && put(engine::kSpoolPage, pages[i]) && EndPagePrinter(h);
    if (ok) {
      ok = EndDocPrinter(h);
    } else if (result.jobId) {
      AbortPrinter(h);
    }
    if (!ok && error && error->empty()) *error = "the spooled job failed";
    if (result.jobId) {
      DWORD needed = 0;
      GetJobW(h, result.jobId, 1, nullptr, 0, &needed);
      std::vector<BYTE> buf(needed ? needed : 1);
      if (needed && GetJobW(h, result.jobId, 1, buf.data(), needed, &needed)) {
        const auto* info = reinterpret_cast<JOB_INFO_1W*>(buf.data());
        if (!ok && info->pStatus && error) *error = ToUtf8(info->pStatus);
      }
    }
    ClosePrinter(h);
  }
  if (result.jobId) {
    HANDLE h = nullptr;
    if (OpenPrinterW(printer.data(), &h, nullptr)) {
      DWORD needed = 0;
      GetJobW(h, result.jobId, 2, nullptr, 0, &needed);
      std::vector<BYTE> buf(needed ? needed : 1);
      if (needed && GetJobW(h, result.jobId, 2, buf.data(), needed, &needed)) {
        const auto* info = reinterpret_cast<JOB_INFO_2W*>(buf.data());
        result.status = info->Status;
        result.pages = info->TotalPages;
        result.bytes = info->Size;
        if (info->pPrinterName) printer = info->pPrinterName;
      }
      ClosePrinter(h);
    }
    result.output = JobOutputPath(printer, result.jobId);
  }
  return ok;
}

}  // namespace zolt::host
