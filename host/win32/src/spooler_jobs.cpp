// The spooler's jobs: ids, the job's bytes kept under a temporary name while it is written,
// the printer's port writing <root>/out/<printer>-<job id>.prn when the job completes, and the
// job records of GetJobW and SetJobW.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <unordered_map>

#include "engine/print_processor.h"
#include "record_packer.h"
#include "spooler_store.h"
#include "win32/hostpath.h"
#include "win32/hostspooler.h"
#include "win32/hosttext.h"
#include "win32/machine.h"
#include "win32/spooler.h"
#include "win32/time.h"

namespace zolt::host {

namespace {

namespace fs = std::filesystem;

struct Job {
  DWORD id = 0;
  std::u16string printer, document, datatype, user, status;
  DWORD state = 0;  // JOB_STATUS_*
  DWORD priority = DEF_PRIORITY;
  DWORD pages = 0;
  DWORD pagesPrinted = 0;
  uint64_t size = 0;
  bool pageOpen = false;
  bool done = false;
  bool metafile = false;  // spooled as metafile pages, played by the print processor at the end
  SYSTEMTIME submitted{};
  fs::path part, final;
  std::unique_ptr<std::ofstream> out;
};

struct JobTable {
  std::mutex lock;
  std::unordered_map<DWORD, std::shared_ptr<Job>> jobs;
  std::unordered_map<HANDLE, DWORD> current;  // the running job of a printer handle
};

JobTable& Jobs() {
  static JobTable* t = new JobTable;  // lives until the process ends
  return *t;
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

fs::path OutFolder() { return Machine::Root() / "out"; }

// Claims the next job id of the machine: one above every id that a job of any process has
// used (completed outputs and running jobs' temporary files), made unique by creating the
// temporary file exclusively.
DWORD ClaimJobId(fs::path& part) {
  std::error_code ec;
  fs::create_directories(OutFolder(), ec);
  for (int attempt = 0; attempt < 64; ++attempt) {
    DWORD maxId = 0;
    for (const auto& entry : fs::directory_iterator(OutFolder(), ec)) {
      const std::string name = entry.path().filename().string();
      size_t end = std::string::npos, start = std::string::npos;
      if (name.starts_with(".job-") && name.ends_with(".part")) {
        start = 5, end = name.size() - 5;
      } else if (name.ends_with(".prn")) {
        end = name.size() - 4;
        const size_t dash = name.rfind('-', end);
        if (dash != std::string::npos) start = dash + 1;
      }
      if (start == std::string::npos || end <= start) continue;
      DWORD v = 0;
      bool digits = true;
      for (size_t i = start; i < end && digits; ++i) {
        digits = name[i] >= '0' && name[i] <= '9' && v < 100000000;
        v = v * 10 + DWORD(name[i] - '0');
      }
      if (digits && v > maxId) maxId = v;
    }
    const DWORD id = maxId + 1;
    part = OutFolder() / (".job-" + std::to_string(id) + ".part");
    const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd >= 0) {
      ::close(fd);
      return id;
    }
  }
  return 0;
}

std::string PortFileName(std::u16string_view printer, DWORD id) {
  std::string name = ToUtf8(printer);
  for (char& c : name)
    if (c == '/' || c == '\0') c = '_';
  return name + "-" + std::to_string(id) + ".prn";
}

std::shared_ptr<Job> CurrentJob(HANDLE h) {
  JobTable& t = Jobs();
  std::lock_guard guard(t.lock);
  auto it = t.current.find(h);
  if (it == t.current.end()) return nullptr;
  auto j = t.jobs.find(it->second);
  return j == t.jobs.end() ? nullptr : j->second;
}

void EndJob(HANDLE h) {
  JobTable& t = Jobs();
  std::lock_guard guard(t.lock);
  t.current.erase(h);
}

void Discard(Job& job) {
  job.out.reset();
  std::error_code ec;
  fs::remove(job.part, ec);
  job.done = true;
}

}  // namespace

bool AttachJobOutput(HANDLE hPrinter, DWORD jobId) {
  JobTable& t = Jobs();
  std::lock_guard guard(t.lock);
  auto it = t.jobs.find(jobId);
  if (it == t.jobs.end() || it->second->done || !it->second->metafile || t.current.count(hPrinter)) return false;
  Job& job = *it->second;
  job.out = std::make_unique<std::ofstream>(job.part, std::ios::binary | std::ios::trunc);
  if (!*job.out) return false;
  job.metafile = false;  // from here on the job takes the driver's bytes; its data type stays
  job.size = 0;
  job.pages = 0;
  t.current[hPrinter] = jobId;
  return true;
}

std::filesystem::path JobOutputPath(std::u16string_view printer, DWORD jobId) {
  return OutFolder() / PortFileName(printer, jobId);
}

}  // namespace zolt::host

using namespace zolt::host;

WIN32_API DWORD WINAPI StartDocPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pDocInfo) {
  std::u16string printer;
  if (!PrinterNameOfHandle(hPrinter, printer)) return Fail(ERROR_INVALID_HANDLE);
  if (Level != 1) return Fail(ERROR_INVALID_LEVEL);
  if (!pDocInfo) return Fail(ERROR_INVALID_PARAMETER);
  if (CurrentJob(hPrinter)) return Fail(ERROR_INVALID_PRINTER_STATE);
  const auto* info = reinterpret_cast<const DOC_INFO_1W*>(pDocInfo);
  std::u16string datatype = info->pDatatype ? std::u16string(info->pDatatype) : u"RAW";
  if (!NamesEqual(datatype, u"RAW") && !NamesEqual(datatype, u"NT EMF 1.008")) return Fail(ERROR_INVALID_DATATYPE);
  auto job = std::make_shared<Job>();
  job->id = ClaimJobId(job->part);
  if (!job->id) return Fail(ERROR_CANTWRITE);
  job->printer = printer;
  job->document = info->pDocName ? std::u16string(info->pDocName) : u"";
  job->datatype = datatype;
  job->metafile = NamesEqual(datatype, u"NT EMF 1.008");
  job->user = FromUtf8(Machine::Facts().userName);
  job->state = JOB_STATUS_SPOOLING;
  GetLocalTime(&job->submitted);
  job->final = OutFolder() / PortFileName(printer, job->id);
  job->out = std::make_unique<std::ofstream>(job->part, std::ios::binary | std::ios::trunc);
  if (!*job->out) {
    Discard(*job);
    return Fail(ERROR_CANTWRITE);
  }
  JobTable& t = Jobs();
  std::lock_guard guard(t.lock);
  t.jobs[job->id] = job;
  t.current[hPrinter] = job->id;
  return job->id;
}

WIN32_API BOOL WINAPI StartPagePrinter(HANDLE hPrinter) {
  auto job = CurrentJob(hPrinter);
  if (!job) return Fail(ERROR_SPL_NO_STARTDOC);
  job->pageOpen = true;
  ++job->pages;
  return TRUE;
}

WIN32_API BOOL WINAPI WritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten) {
  if (pcWritten) *pcWritten = 0;
  auto job = CurrentJob(hPrinter);
  if (!job) return Fail(IsPrinterHandle(hPrinter) ? ERROR_SPL_NO_STARTDOC : ERROR_INVALID_HANDLE);
  if (job->state & (JOB_STATUS_DELETING | JOB_STATUS_DELETED)) return Fail(ERROR_PRINT_CANCELLED);
  if (cbBuf && !pBuf) return Fail(ERROR_INVALID_PARAMETER);
  job->out->write(static_cast<const char*>(pBuf), std::streamsize(cbBuf));
  if (!*job->out) {
    job->state |= JOB_STATUS_ERROR;
    return Fail(ERROR_DISK_FULL);
  }
  job->size += cbBuf;
  if (pcWritten) *pcWritten = cbBuf;
  return TRUE;
}

WIN32_API BOOL WINAPI EndPagePrinter(HANDLE hPrinter) {
  auto job = CurrentJob(hPrinter);
  if (!job) return Fail(ERROR_SPL_NO_STARTDOC);
  job->pageOpen = false;
  return TRUE;
}

WIN32_API BOOL WINAPI EndDocPrinter(HANDLE hPrinter) {
  auto job = CurrentJob(hPrinter);
  if (!job) return Fail(ERROR_SPL_NO_STARTDOC);
  EndJob(hPrinter);
  if (job->state & (JOB_STATUS_DELETING | JOB_STATUS_DELETED | JOB_STATUS_ERROR)) {
    Discard(*job);
    job->state = (job->state & ~DWORD(JOB_STATUS_DELETING | JOB_STATUS_SPOOLING)) | JOB_STATUS_DELETED;
    return Fail(job->state & JOB_STATUS_ERROR ? ERROR_CANTWRITE : ERROR_PRINT_CANCELLED);
  }
  job->out->flush();
  const bool written = bool(*job->out);
  job->out.reset();
  std::error_code ec;
  if (job->metafile) {
    // The second phase: the print processor plays the spooled pages through the driver into
    // the same job, whose bytes then reach the port.
    const fs::path spool = job->part;
    job->part = OutFolder() / (".job-" + std::to_string(job->id) + ".out");
    job->state = JOB_STATUS_PRINTING;
    std::string error;
    const bool played = written && engine::PlaySpooledJob(job->printer, job->id, job->document, spool, &error);
    fs::remove(spool, ec);
    if (!played || !(job->state & JOB_STATUS_COMPLETE)) {
      Discard(*job);
      job->state = JOB_STATUS_ERROR;
      job->status = FromUtf8(error);
      return Fail(ERROR_CAN_NOT_COMPLETE);
    }
    return TRUE;
  }
  if (!written || (fs::rename(job->part, job->final, ec), ec)) {
    Discard(*job);
    job->state = JOB_STATUS_ERROR;
    return Fail(ERROR_CANTWRITE);
  }
  job->done = true;
  job->pagesPrinted = job->pages;
  job->state = JOB_STATUS_PRINTED | JOB_STATUS_COMPLETE;
  return TRUE;
}

WIN32_API BOOL WINAPI AbortPrinter(HANDLE hPrinter) {
  auto job = CurrentJob(hPrinter);
  if (!job) return Fail(ERROR_SPL_NO_STARTDOC);
  EndJob(hPrinter);
  Discard(*job);
  job->state = JOB_STATUS_DELETED;
  return TRUE;
}

namespace {

std::shared_ptr<Job> JobOfPrinter(HANDLE hPrinter, DWORD id) {
  std::u16string printer;
  if (!PrinterNameOfHandle(hPrinter, printer)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  JobTable& t = Jobs();
  std::lock_guard guard(t.lock);
  auto it = t.jobs.find(id);
  if (it == t.jobs.end() || !NamesEqual(it->second->printer, printer)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return it->second;
}

}  // namespace

WIN32_API BOOL WINAPI GetJobW(HANDLE hPrinter, DWORD JobId, DWORD Level, LPBYTE pJob, DWORD cbBuf, LPDWORD pcbNeeded) {
  auto job = JobOfPrinter(hPrinter, JobId);
  if (!job) return FALSE;
  if (Level != 1 && Level != 2) return Fail(ERROR_INVALID_LEVEL);
  const std::u16string machine = u"\\\\" + ComputerName();
  const size_t fixed = Level == 1 ? sizeof(JOB_INFO_1W) : sizeof(JOB_INFO_2W);
  return PackRecords(fixed, pJob, cbBuf, pcbNeeded, [&](RecordPacker& p) {
    if (Level == 1) {
      auto* info = p.Record<JOB_INFO_1W>(0);
      info->JobId = job->id;
      info->pPrinterName = p.Text(job->printer);
      info->pMachineName = p.Text(machine);
      info->pUserName = p.Text(job->user);
      info->pDocument = p.Text(job->document);
      info->pDatatype = p.Text(job->datatype);
      info->pStatus = job->status.empty() ? nullptr : p.Text(job->status);
      info->Status = job->state;
      info->Priority = job->priority;
      info->Position = 1;
      info->TotalPages = job->pages;
      info->PagesPrinted = job->pagesPrinted;
      info->Submitted = job->submitted;
    } else {
      auto* info = p.Record<JOB_INFO_2W>(0);
      info->JobId = job->id;
      info->pPrinterName = p.Text(job->printer);
      info->pMachineName = p.Text(machine);
      info->pUserName = p.Text(job->user);
      info->pDocument = p.Text(job->document);
      info->pNotifyName = p.Text(job->user);
      info->pDatatype = p.Text(job->datatype);
      info->pPrintProcessor = p.Text(u"winprint");
      info->pParameters = p.Text(u"");
      info->pDriverName = p.Text(u"");
      info->pStatus = job->status.empty() ? nullptr : p.Text(job->status);
      info->Status = job->state;
      info->Priority = job->priority;
      info->Position = 1;
      info->TotalPages = job->pages;
      info->Size = DWORD(std::min<uint64_t>(job->size, 0xFFFFFFFFu));
      info->Submitted = job->submitted;
      info->PagesPrinted = job->pagesPrinted;
    }
  });
}

WIN32_API BOOL WINAPI SetJobW(HANDLE hPrinter, DWORD JobId, DWORD Level, LPBYTE pJob, DWORD Command) {
  auto job = JobOfPrinter(hPrinter, JobId);
  if (!job) return FALSE;
  if (Level == 1 || Level == 2) {
    if (!pJob) return Fail(ERROR_INVALID_PARAMETER);
    LPWSTR doc = Level == 1 ? reinterpret_cast<JOB_INFO_1W*>(pJob)->pDocument
                            : reinterpret_cast<JOB_INFO_2W*>(pJob)->pDocument;
    LPWSTR status = Level == 1 ? reinterpret_cast<JOB_INFO_1W*>(pJob)->pStatus
                               : reinterpret_cast<JOB_INFO_2W*>(pJob)->pStatus;
    const DWORD priority = Level == 1 ? reinterpret_cast<JOB_INFO_1W*>(pJob)->Priority
                                      : reinterpret_cast<JOB_INFO_2W*>(pJob)->Priority;
    if (priority != 0 && (priority < MIN_PRIORITY || priority > MAX_PRIORITY)) return Fail(ERROR_INVALID_PRIORITY);
    if (doc) job->document = doc;
    job->status = status ? std::u16string(status) : u"";
    if (priority) job->priority = priority;
  } else if (Level != 0) {
    return Fail(ERROR_INVALID_LEVEL);
  }
  switch (Command) {
    case 0: break;
    case JOB_CONTROL_PAUSE: job->state |= JOB_STATUS_PAUSED; break;
    case JOB_CONTROL_RESUME: job->state &= ~DWORD(JOB_STATUS_PAUSED); break;
    case JOB_CONTROL_CANCEL:
    case JOB_CONTROL_DELETE:
      if (!job->done) job->state |= JOB_STATUS_DELETING;
      break;
    case JOB_CONTROL_RESTART: job->state |= JOB_STATUS_RESTART; break;
    case JOB_CONTROL_SENT_TO_PRINTER:
    case JOB_CONTROL_LAST_PAGE_EJECTED: break;
    default: return Fail(ERROR_INVALID_PARAMETER);
  }
  return TRUE;
}
