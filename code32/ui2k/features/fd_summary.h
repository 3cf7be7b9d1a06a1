// The settings summary: the read-only text that lists the current settings in words, shown by
// the status, preset maintenance and version dialogs and refreshed by the limitation and
// extension dialogs.
#pragma once

#include <cstdint>

#include "fd_services.h"
#include "win32/windows.h"

// A line of a summary control's line list (the control's auxiliary record with tag 4: the tag,
// the count, then the lines). An option of 0 is none.
struct SummaryLine {
  uint16_t label;         // string id of the label
  uint16_t firstOption;   // a switch: while its UI value is 1 the second option's value is shown
  uint16_t secondOption;  // the option whose value follows the label
};
static_assert(sizeof(SummaryLine) == 6);

constexpr uint16_t kFdSummaryAuxTag = 4;
constexpr int kFdSummaryListChars = 10240;  // text of a control with a line list
constexpr int kFdSummaryPlainChars = 1025;  // text of a control without one
constexpr int kFdSummaryReserve = 256;      // the walk stops when fewer characters remain

// The lines of a control, or NULL when it has no line list; *count gets their number.
const SummaryLine* FdGetSummaryLines(const ControlDescriptor* control, int* count);

// The occurrence counters of the two per-occurrence condition tables over one walk of a list:
// how often each label was met so far. Zeroed before each walk.
constexpr int kFdSummaryCounterSlots = 32;
struct FdSummaryCounter {
  uint16_t label;  // 0: a free slot
  uint16_t count;
};
struct FdSummaryCounters {
  FdSummaryCounter pairs[kFdSummaryCounterSlots];    // the table with two tests
  FdSummaryCounter singles[kFdSummaryCounterSlots];  // the table with one test
};
// The occurrence (from 0) of the label now met, counting it.
uint16_t FdAdvanceCounter(FdSummaryCounter* counters, uint16_t label);

// 1 when the condition tables let the line through. *emptyLine (when given) is set to 1 when
// the line is shown as an empty line because the text it names is empty.
int FdIsSummaryLineShown(DriverContext* ctx, const SummaryLine* line, FdSummaryCounters* counters, int* emptyLine);

// Builds the summary text of a control into out (cch characters, terminated): the lines of its
// list, or for a control without one its option's text or window text. Returns the length.
int FdBuildSummaryText(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, WCHAR* out, int cch);

// Rebuilds one control's text and replaces the window text when it changed.
void FdUpdateSummaryText(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control);

// The status dialog (1020): rebuilds its summary whenever the control paints; always 0.
int FdStatusDialogProc(DriverContext* ctx, DialogDescriptor* dialog, ControlDescriptor* control, DWORD message,
                       WPARAM wParam, LPARAM lParam);
