#!/usr/bin/env python3
"""Completes the help-topic table with the topics of the controls.

  code32/common/option/option_help_topics.inc holds the topics of the help project: one row
  {help id, "<family>_rtf/IDH_<page>.htm"} per id. The control rows of scripts/dialogs/controls.txt
  name help ids of their own; every such id that the help project does not list gets a row of the
  page the control is on, anchored at the control: "<page topic>#<control symbol>".

  The page of a control: the topic of its dialog's help id (dialog_rows.inc); for a dialog
  without one, the page topic 2PP01 of the control's id 1PPnn or 2PPnn.

The rows stay sorted by help id; the script rewrites the file (or compares it with --check) and
the row count kHelpTopicCount in code32/common/include/option_table.h.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
TOPICS = ROOT / "code32/common/option/option_help_topics.inc"
DIALOGS = ROOT / "code32/common/option/dialog_rows.inc"
CONTROLS = ROOT / "scripts/dialogs/controls.txt"
TABLE_H = ROOT / "code32/common/include/option_table.h"
HEAD = "// Help topics sorted by help id: {help id, topic}. Generated data, one row per line.\n"
ROW = re.compile(r'^\{(\d+), u"([^"]+)"\},(  // .*)?$')


def read_project_rows(text):
    """The help project's own rows (no anchor) in file order: (help id, topic, line)."""
    rows = []
    for line in text.splitlines():
        m = ROW.match(line)
        if m and "#" not in m[2]:
            rows.append((int(m[1]), m[2], line))
    return rows


def page_of(topic):
    return topic.split("#", 1)[0]


def main():
    check = "--check" in sys.argv[1:]
    current = TOPICS.read_text()
    project = read_project_rows(current)
    first = {}
    for hid, topic, _ in project:
        first.setdefault(hid, topic)
    dialog_help = {}
    for line in DIALOGS.read_text().splitlines():
        m = re.match(r'ZOLT_DIALOG_ROW\((\d+), "[^"]+", \w+, (\d+), \d+\)', line)
        if m:
            dialog_help[int(m[1])] = int(m[2])
    anchored = {}
    dialog = None
    for number, line in enumerate(CONTROLS.read_text(encoding="utf-8").splitlines(), 1):
        m = re.match(r"dialog (\d+) ", line)
        if m:
            dialog = int(m[1])
            continue
        parts = line.split()
        help_id = next((int(p[5:]) for p in parts[3:] if p.startswith("help=")), 0)
        if not help_id or help_id in first or help_id in anchored:
            continue
        page = first.get(dialog_help.get(dialog, 0))
        if page is None:
            page = first.get(20001 + (help_id // 100) % 100 * 100)
        if page is None:
            sys.exit(f"controls.txt line {number}: no page for help id {help_id} of dialog {dialog}")
        anchored[help_id] = f"{page_of(page)}#{parts[0]}"
    rows = project + [(hid, topic, f'{{{hid}, u"{topic}"}},') for hid, topic in sorted(anchored.items())]
    rows.sort(key=lambda r: r[0])  # stable: the project's rows keep their order
    text = HEAD + "".join(line + "\n" for _, _, line in rows)
    header = TABLE_H.read_text()
    header_new = re.sub(r"constexpr int kHelpTopicCount = \d+;", f"constexpr int kHelpTopicCount = {len(rows)};", header)
    stale = [p for p, old, new in ((TOPICS, current, text), (TABLE_H, header, header_new)) if old != new]
    if check:
        for p in stale:
            print("out of date:", p.relative_to(ROOT))
        sys.exit(1 if stale else 0)
    TOPICS.write_text(text)
    TABLE_H.write_text(header_new)


if __name__ == "__main__":
    main()
