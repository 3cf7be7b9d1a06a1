// zoltmachine prefs and props: open a printer's printing preferences as an application does
// (DocumentPropertiesW with the prompt flag) or its printer properties as the printers folder
// does (PrinterProperties), act on the sheet and the dialogs opened over it as a person would
// from a small script, save every page as a picture and show what changed.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "win32/hostui.h"
#include "win32/hosttext.h"
#include "win32/windows.h"

namespace fs = std::filesystem;
namespace ui = zolt::host::ui;
using zolt::host::FromUtf8;
using zolt::host::ToUtf8;

extern const char kPrefsHelp[];
const char kPrefsHelp[] =
    "  prefs ROOT PRINTER [--do SCRIPT] [--png DIR] [--save FILE]\n"
    "                 open PRINTER's printing preferences as an application does\n"
    "                 (DocumentPropertiesW with the prompt flag), run the user actions of SCRIPT on\n"
    "                 the sheet, one per line ('#' starts a comment):\n"
    "                   page TEXT             show the page whose tab reads TEXT\n"
    "                   select CONTROL TEXT   choose the item TEXT of a list or combo box\n"
    "                   check CONTROL         tick a check box (uncheck CONTROL clears it)\n"
    "                   type CONTROL TEXT     type TEXT into an edit (rest of the line)\n"
    "                   key CONTROL NAME      press a key (RETURN, ESCAPE, TAB, SPACE, UP, DOWN, ...)\n"
    "                   press CONTROL         press a button; OK, Cancel and Apply are the sheet's\n"
    "                   read CONTROL          print the control's text, check state, selected item\n"
    "                                         and whether it is enabled\n"
    "                   answer N              answer the next message box with N (1 OK, 2 Cancel,\n"
    "                                         6 Yes, 7 No); give it before the action that shows it\n"
    "                 CONTROL is a control id (2009, 0x7D9) or the text the control shows in\n"
    "                 double quotes (\"Apply\"). A script that does not close the sheet (press OK or\n"
    "                 Cancel) is followed by OK. Before the sheet closes, --png saves every page\n"
    "                 as DIR/NN-PAGE.png. Then the result and the device-mode fields that\n"
    "                 changed are printed; --save writes the device mode the sheet gave back\n"
    "                 to FILE (for print --devmode).\n"
    "  props ROOT PRINTER [--do SCRIPT] [--png DIR]\n"
    "                 open PRINTER's printer properties as the printers folder does\n"
    "                 (PrinterProperties; the machine's user must administer the printer) and\n"
    "                 run SCRIPT on them as for prefs; the actions after one that opens a dialog\n"
    "                 act in that dialog until its OK or Cancel is pressed. OK stores the\n"
    "                 printer's configuration and the administrator's limitations.\n";

namespace {

struct Action {
  int line = 0;
  std::string verb;
  std::string control;  // id or quoted text
  std::string value;
};

struct KeyName {
  const char* name;
  UINT vk;
};
constexpr KeyName kKeyNames[] = {{"RETURN", VK_RETURN}, {"ESCAPE", VK_ESCAPE}, {"TAB", VK_TAB},   {"SPACE", VK_SPACE},
                                 {"UP", VK_UP},         {"DOWN", VK_DOWN},     {"LEFT", VK_LEFT}, {"RIGHT", VK_RIGHT},
                                 {"HOME", VK_HOME},     {"END", VK_END},       {"F1", VK_F1}};

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

// The next word of rest (a double-quoted text keeps its spaces, quotes removed); false when the
// quote is not closed.
bool NextWord(std::string& rest, std::string& word, bool& quoted) {
  rest = Trim(rest);
  quoted = !rest.empty() && rest[0] == '"';
  if (quoted) {
    size_t end = rest.find('"', 1);
    if (end == std::string::npos) return false;
    word = rest.substr(1, end - 1);
    rest = rest.substr(end + 1);
    return true;
  }
  size_t end = rest.find_first_of(" \t");
  word = rest.substr(0, end);
  rest = end == std::string::npos ? std::string() : rest.substr(end);
  return true;
}

bool ParseScript(std::istream& in, std::vector<Action>& actions, std::string& error) {
  std::string raw;
  int line = 0;
  while (std::getline(in, raw)) {
    ++line;
    std::string rest = Trim(raw);
    if (rest.empty() || rest[0] == '#') continue;
    Action a;
    a.line = line;
    bool quoted = false;
    NextWord(rest, a.verb, quoted);
    const std::string where = "line " + std::to_string(line) + ": ";
    auto needControl = [&]() {
      std::string word;
      if (!NextWord(rest, word, quoted) || word.empty()) return false;
      a.control = quoted ? "\"" + word + "\"" : word;
      return true;
    };
    if (a.verb == "page" || a.verb == "answer") {
      std::string word;
      if (!NextWord(rest, word, quoted) || word.empty() || !Trim(rest).empty()) {
        error = where + a.verb + " needs one value";
        return false;
      }
      a.value = word;
      if (a.verb == "answer" && std::strtol(word.c_str(), nullptr, 10) <= 0) {
        error = where + "answer needs a button number";
        return false;
      }
    } else if (a.verb == "check" || a.verb == "uncheck" || a.verb == "press" || a.verb == "read") {
      if (!needControl() || !Trim(rest).empty()) {
        error = where + a.verb + " needs one control";
        return false;
      }
    } else if (a.verb == "select" || a.verb == "key") {
      std::string word;
      if (!needControl() || !NextWord(rest, word, quoted) || word.empty() || !Trim(rest).empty()) {
        error = where + a.verb + " needs a control and a value";
        return false;
      }
      a.value = word;
    } else if (a.verb == "type") {
      if (!needControl()) {
        error = where + "type needs a control";
        return false;
      }
      std::string text = Trim(rest);
      if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
      a.value = text;
    } else {
      error = where + "unknown action \"" + a.verb + "\"";
      return false;
    }
    actions.push_back(a);
  }
  return true;
}

// The sheet's own buttons by name; else a control id or a quoted text below the window.
HWND FindTarget(HWND sheet, const std::string& control) {
  if (control == "OK") return GetDlgItem(sheet, IDOK) ? GetDlgItem(sheet, IDOK) : ui::FindControl(sheet, IDOK);
  if (control == "Cancel")
    return GetDlgItem(sheet, IDCANCEL) ? GetDlgItem(sheet, IDCANCEL) : ui::FindControl(sheet, IDCANCEL);
  if (control == "Apply") return GetDlgItem(sheet, ID_APPLY_NOW);
  if (control.size() >= 2 && control.front() == '"') {
    std::u16string text = FromUtf8(control.substr(1, control.size() - 2));
    HWND h = ui::FindControlByText(sheet, text);
    if (!h && text.find(u'&') == std::u16string::npos) h = ui::FindControlByText(sheet, u"&" + text);
    return h;
  }
  char* end = nullptr;
  long id = std::strtol(control.c_str(), &end, 0);
  if (control.empty() || *end || id <= 0 || id > 0xFFFF) return nullptr;
  return ui::FindControl(sheet, int(id));
}

HWND FindTabs(HWND parent) {
  for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    WCHAR name[64];
    GetClassNameW(h, name, 64);
    if (lstrcmpiW(name, WC_TABCONTROLW) == 0) return h;
  }
  return nullptr;
}

std::string FileSafe(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) {
    if (c == u'&') continue;
    out += (c < 128 && (std::isalnum(int(c)) || c == '-' || c == '_')) ? char(c) : '_';
  }
  return out.empty() ? std::string("page") : out;
}

// Every page of the sheet as DIR/NN-PAGE.png; the page shown before is shown again.
bool SavePages(HWND sheet, const fs::path& dir, std::string& error) {
  HWND tabs = FindTabs(sheet);
  if (!tabs) {
    error = "the sheet has no pages";
    return false;
  }
  std::error_code ec;
  fs::create_directories(dir, ec);
  const std::vector<std::u16string> names = ui::Items(tabs);
  const std::u16string shown = ui::SelectedText(tabs);
  for (size_t i = 0; i < names.size(); ++i) {
    if (!ui::SelectItem(tabs, names[i])) {
      error = "cannot show page \"" + ToUtf8(names[i]) + "\"";
      return false;
    }
    char prefix[24];
    std::snprintf(prefix, sizeof prefix, "%02zu-", i + 1);
    const fs::path file = dir / (prefix + FileSafe(names[i]) + ".png");
    if (!ui::SavePng(sheet, file.string())) {
      error = "cannot write " + file.string();
      return false;
    }
    std::printf("saved %s\n", file.string().c_str());
  }
  if (!shown.empty()) ui::SelectItem(tabs, shown);
  return true;
}

struct Run {
  std::vector<Action> actions;
  fs::path pngDir;
  bool failed = false;
  bool closed = false;      // the script pressed OK or Cancel of the sheet
  bool sheetShown = false;  // the sheet has waited for the user once
  size_t performed = 0;     // actions done
  std::string error;
};

bool IsClosing(const Action& a) { return a.verb == "press" && (a.control == "OK" || a.control == "Cancel"); }

// The sheet (a window with the page tabs), not a dialog opened over one of its pages.
bool IsSheet(HWND modal) { return FindTabs(modal) != nullptr; }

// One action on the window the modal loop runs; false with run.error set when it cannot be done.
bool Perform(Run& run, const Action& a, HWND modal) {
  const std::string where = "line " + std::to_string(a.line) + ": ";
  if (a.verb == "answer") {
    ui::AnswerNextMessageBox(int(std::strtol(a.value.c_str(), nullptr, 10)));
    return true;
  }
  if (a.verb == "page") {
    HWND tabs = FindTabs(modal);
    if (tabs && ui::SelectItem(tabs, FromUtf8(a.value))) return true;
    run.error = where + "no page \"" + a.value + "\"";
    return false;
  }
  HWND target = FindTarget(modal, a.control);
  if (!target) {
    run.error = where + "no control " + a.control;
    return false;
  }
  bool ok = true;
  if (a.verb == "read") {
    std::printf("read %s: text \"%s\" check %d selected \"%s\" %s\n", a.control.c_str(),
                ToUtf8(ui::Text(target)).c_str(), ui::CheckState(target), ToUtf8(ui::SelectedText(target)).c_str(),
                !IsWindowVisible(target) ? "hidden" : IsWindowEnabled(target) ? "enabled" : "disabled");
  } else if (a.verb == "select") {
    ok = ui::SelectItem(target, FromUtf8(a.value));
  } else if (a.verb == "check" || a.verb == "uncheck") {
    const int want = a.verb == "check" ? BST_CHECKED : BST_UNCHECKED;
    const int state = ui::CheckState(target);
    ok = state >= 0 && (state == want || ui::Click(target));
  } else if (a.verb == "type") {
    ok = ui::Type(target, FromUtf8(a.value));
  } else if (a.verb == "key") {
    UINT vk = 0;
    for (const KeyName& k : kKeyNames)
      if (a.value == k.name) vk = k.vk;
    if (!vk) vk = UINT(std::strtoul(a.value.c_str(), nullptr, 0));
    ok = vk != 0 && vk < 256 && ui::PressKey(target, vk);
  } else if (a.verb == "press") {
    if (IsClosing(a) && IsSheet(modal) && !run.pngDir.empty() && !SavePages(modal, run.pngDir, run.error)) return false;
    ok = ui::Click(target);
  }
  if (!ok) run.error = where + "the control refused it (hidden, disabled or no such item)";
  return ok;
}

// The public fields of the device mode by name (offset, size).
struct PublicField {
  const char* name;
  size_t offset;
  size_t size;
};
const PublicField kPublicFields[] = {
    {"dmFields", offsetof(DEVMODEW, dmFields), 4},
    {"dmOrientation", offsetof(DEVMODEW, dmOrientation), 2},
    {"dmPaperSize", offsetof(DEVMODEW, dmPaperSize), 2},
    {"dmPaperLength", offsetof(DEVMODEW, dmPaperLength), 2},
    {"dmPaperWidth", offsetof(DEVMODEW, dmPaperWidth), 2},
    {"dmScale", offsetof(DEVMODEW, dmScale), 2},
    {"dmCopies", offsetof(DEVMODEW, dmCopies), 2},
    {"dmDefaultSource", offsetof(DEVMODEW, dmDefaultSource), 2},
    {"dmPrintQuality", offsetof(DEVMODEW, dmPrintQuality), 2},
    {"dmColor", offsetof(DEVMODEW, dmColor), 2},
    {"dmDuplex", offsetof(DEVMODEW, dmDuplex), 2},
    {"dmYResolution", offsetof(DEVMODEW, dmYResolution), 2},
    {"dmTTOption", offsetof(DEVMODEW, dmTTOption), 2},
    {"dmCollate", offsetof(DEVMODEW, dmCollate), 2},
    {"dmLogPixels", offsetof(DEVMODEW, dmLogPixels), 2},
    {"dmNup", offsetof(DEVMODEW, dmNup), 4},
    {"dmICMMethod", offsetof(DEVMODEW, dmICMMethod), 4},
    {"dmICMIntent", offsetof(DEVMODEW, dmICMIntent), 4},
    {"dmMediaType", offsetof(DEVMODEW, dmMediaType), 4},
    {"dmDitherType", offsetof(DEVMODEW, dmDitherType), 4},
};

long long ReadLe(const std::vector<BYTE>& b, size_t at, size_t size, bool isSigned) {
  unsigned long long v = 0;
  for (size_t i = 0; i < size; ++i) v |= static_cast<unsigned long long>(b[at + i]) << (8 * i);
  if (isSigned && size == 2) return static_cast<int16_t>(v);
  return static_cast<long long>(v);
}

// Prints the fields of after that differ from before: public fields by name, the form name,
// and runs of changed bytes of the driver's private part. The count of changes.
int PrintChanges(const std::vector<BYTE>& before, const std::vector<BYTE>& after) {
  int changes = 0;
  const auto* a = reinterpret_cast<const DEVMODEW*>(after.data());
  const size_t publicSize = std::min<size_t>(a->dmSize, after.size());
  for (const PublicField& f : kPublicFields) {
    if (f.offset + f.size > publicSize || f.offset + f.size > before.size()) continue;
    const long long was = ReadLe(before, f.offset, f.size, f.size == 2);
    const long long now = ReadLe(after, f.offset, f.size, f.size == 2);
    if (was == now) continue;
    ++changes;
    if (f.size == 4 && std::strcmp(f.name, "dmFields") == 0)
      std::printf("  %-16s 0x%08llX -> 0x%08llX\n", f.name, was, now);
    else
      std::printf("  %-16s %lld -> %lld\n", f.name, was, now);
  }
  const size_t form = offsetof(DEVMODEW, dmFormName);
  if (form + sizeof(DEVMODEW::dmFormName) <= std::min(publicSize, before.size()) &&
      std::memcmp(before.data() + form, after.data() + form, sizeof(DEVMODEW::dmFormName)) != 0) {
    ++changes;
    std::printf("  %-16s \"%s\" -> \"%s\"\n", "dmFormName",
                ToUtf8(reinterpret_cast<const char16_t*>(before.data() + form)).c_str(),
                ToUtf8(reinterpret_cast<const char16_t*>(after.data() + form)).c_str());
  }
  const size_t end = std::min<size_t>(publicSize + a->dmDriverExtra, std::min(before.size(), after.size()));
  for (size_t i = publicSize; i < end;) {
    if (before[i] == after[i]) {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < end && j - i < 16 && before[j] != after[j]) ++j;
    std::string was, now;
    char hex[4];
    for (size_t k = i; k < j; ++k) {
      std::snprintf(hex, sizeof hex, "%02X", before[k]);
      was += hex;
      std::snprintf(hex, sizeof hex, "%02X", after[k]);
      now += hex;
    }
    std::printf("  private +0x%04zX   %s -> %s\n", i - publicSize, was.c_str(), now.c_str());
    ++changes;
    i = j;
  }
  return changes;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "zoltmachine: %s\n", message.c_str());
  return 1;
}

// A failed step: the run is marked failed and the window waiting for the user is cancelled.
void GiveUp(Run& run, HWND modal) {
  run.failed = true;
  if (HWND cancel = FindTarget(modal, "Cancel")) ui::Click(cancel);
}

// The step that does action `index` of the script (or, past the last, closes the sheet) the next
// time the window that runs a modal loop waits for the user: the sheet, or a dialog opened over
// it. The step after it is queued first, so that a dialog the action opens finds it waiting.
void QueueStep(const std::shared_ptr<Run>& run, size_t index) {
  ui::WhenIdle([run, index](HWND modal) {
    if (run->failed || run->closed) return;
    if (!run->sheetShown) {
      // A notice shown before the sheet (such as the presets brought in line with the printer)
      // is acknowledged.
      if (!IsSheet(modal)) {
        QueueStep(run, index);
        if (HWND ok = FindTarget(modal, "OK")) ui::Click(ok);
        return;
      }
      run->sheetShown = true;
    }
    if (index < run->actions.size()) {
      const Action& a = run->actions[index];
      QueueStep(run, index + 1);
      if (!Perform(*run, a, modal)) return GiveUp(*run, modal);
      run->performed = std::max(run->performed, index + 1);  // an action that opened a dialog ends after the ones done in it
      if (IsClosing(a) && IsSheet(modal)) run->closed = true;
      return;
    }
    // A script that leaves the sheet open: pictures, then OK.
    if (!IsSheet(modal)) {
      run->error = "the script leaves a dialog open";
      return GiveUp(*run, modal);
    }
    if (!run->pngDir.empty() && !SavePages(modal, run->pngDir, run->error)) return GiveUp(*run, modal);
    if (HWND ok = FindTarget(modal, "OK")) ui::Click(ok);
  });
}

void ScheduleSteps(const std::shared_ptr<Run>& run) {
  ui::Reset();
  QueueStep(run, 0);
}

// What the tool prints after the sheet closed: message boxes and windows closed unattended. 0
// when the script ran to its end, else the failure's exit status.
int ReportSteps(const std::string& scriptPath, const Run& run) {
  for (const auto& box : ui::MessageBoxes())
    std::printf("message box \"%s\" answered %d\n", ToUtf8(box.text).c_str(), box.answer);
  for (const auto& caption : ui::UnattendedCloses())
    std::printf("closed unattended: \"%s\"\n", ToUtf8(caption).c_str());
  if (run.failed) return Fail(scriptPath + ": " + run.error);
  if (run.performed < run.actions.size()) return Fail(scriptPath + ": the sheet closed before the script ended");
  return 0;
}

// Printing preferences driven by a parsed script; the device mode the sheet gave back in *out
// (the one it was opened with after Cancel).
int DrivePrefs(const std::string& printerName, const std::string& scriptName, std::shared_ptr<Run> run,
               std::vector<BYTE>* out) {
  const std::string& scriptPath = scriptName;
  std::u16string printer = FromUtf8(printerName);
  HANDLE h = nullptr;
  if (!OpenPrinterW(printer.data(), &h, nullptr)) return Fail("no printer \"" + printerName + "\"");
  const LONG size = DocumentPropertiesW(nullptr, h, printer.data(), nullptr, nullptr, 0);
  if (size <= 0) {
    ClosePrinter(h);
    return Fail("the driver gives no device-mode size");
  }
  std::vector<BYTE> before(static_cast<size_t>(size)), after(static_cast<size_t>(size));
  if (DocumentPropertiesW(nullptr, h, printer.data(), reinterpret_cast<PDEVMODEW>(before.data()), nullptr,
                          DM_OUT_BUFFER) != IDOK) {
    ClosePrinter(h);
    return Fail("the driver gives no device mode");
  }
  std::vector<BYTE> in = before;

  ScheduleSteps(run);
  const LONG result = DocumentPropertiesW(nullptr, h, printer.data(), reinterpret_cast<PDEVMODEW>(after.data()),
                                          reinterpret_cast<PDEVMODEW>(in.data()),
                                          DM_IN_BUFFER | DM_OUT_BUFFER | DM_IN_PROMPT);
  ClosePrinter(h);
  if (const int rc = ReportSteps(scriptPath, *run)) return rc;
  ui::Reset();
  if (result == IDCANCEL) {
    std::printf("result: Cancel (the device mode is unchanged)\n");
    if (out) *out = before;
    return 0;
  }
  if (result != IDOK) return Fail("printing preferences failed (result " + std::to_string(result) + ")");
  std::printf("result: OK\nchanged settings of the device mode:\n");
  if (PrintChanges(before, after) == 0) std::printf("  none\n");
  if (out) *out = after;
  return 0;
}

// Printer properties driven by a parsed script: the printer opened for administration, as the
// printers folder opens it, and its driver's sheet shown with PrinterProperties.
int DriveProps(const std::string& printerName, const std::string& scriptPath, const std::shared_ptr<Run>& run) {
  std::u16string printer = FromUtf8(printerName);
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE h = nullptr;
  if (!OpenPrinterW(printer.data(), &h, &defaults)) {
    if (GetLastError() == ERROR_ACCESS_DENIED)
      return Fail("the machine's user may not administer \"" + printerName + "\" (access denied)");
    return Fail("no printer \"" + printerName + "\"");
  }
  ScheduleSteps(run);
  const BOOL result = PrinterProperties(nullptr, h);
  ClosePrinter(h);
  if (const int rc = ReportSteps(scriptPath, *run)) return rc;
  ui::Reset();
  if (!result) return Fail("printer properties failed or were cancelled");
  std::printf("result: OK\n");
  return 0;
}

// The device mode's bytes as far as its sizes say.
bool WriteDevMode(const std::vector<BYTE>& dm, const std::string& file) {
  const auto* header = reinterpret_cast<const DEVMODEW*>(dm.data());
  const size_t extent = dm.size() < sizeof(DEVMODEW) ? dm.size() : size_t{header->dmSize} + header->dmDriverExtra;
  std::ofstream file_out(file, std::ios::binary | std::ios::trunc);
  file_out.write(reinterpret_cast<const char*>(dm.data()), std::streamsize(std::min(extent, dm.size())));
  return bool(file_out);
}

// A run of the script in scriptPath (none: no actions) saving its pictures in pngDir; 0, or the
// command's exit status when the script cannot be read (1) or is wrong (2).
int LoadRun(const std::string& scriptPath, const std::string& pngDir, Run& run) {
  run.pngDir = pngDir;
  if (scriptPath.empty()) return 0;
  std::ifstream in(scriptPath);
  if (!in) return Fail("cannot read " + scriptPath);
  std::string error;
  if (!ParseScript(in, run.actions, error)) {
    std::fprintf(stderr, "zoltmachine: %s: %s\n", scriptPath.c_str(), error.c_str());
    return 2;
  }
  return 0;
}

}  // namespace

// The prefs command after its machine was chosen.
int RunPrefs(const std::string& printerName, const std::string& scriptPath, const std::string& pngDir,
             const std::string& saveFile) {
  auto run = std::make_shared<Run>();
  if (const int rc = LoadRun(scriptPath, pngDir, *run); rc != 0) return rc;
  std::vector<BYTE> dm;
  const int rc = DrivePrefs(printerName, scriptPath, run, saveFile.empty() ? nullptr : &dm);
  if (rc != 0 || saveFile.empty()) return rc;
  if (!WriteDevMode(dm, saveFile)) return Fail("cannot write " + saveFile);
  std::printf("saved the device mode to %s\n", saveFile.c_str());
  return 0;
}

// The props command after its machine was chosen.
int RunProps(const std::string& printerName, const std::string& scriptPath, const std::string& pngDir) {
  auto run = std::make_shared<Run>();
  if (const int rc = LoadRun(scriptPath, pngDir, *run); rc != 0) return rc;
  return DriveProps(printerName, scriptPath, run);
}

// Printing preferences driven by the lines of a script given as text (the demo's own steps).
int RunPrefsText(const std::string& printerName, const std::string& script, const std::string& pngDir,
                 std::vector<BYTE>& devmode) {
  auto run = std::make_shared<Run>();
  run->pngDir = pngDir;
  std::istringstream in(script);
  std::string error;
  if (!ParseScript(in, run->actions, error)) return Fail("the demo's script: " + error);
  return DrivePrefs(printerName, "the demo's script", run, &devmode);
}
