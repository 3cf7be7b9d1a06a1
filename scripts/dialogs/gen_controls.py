#!/usr/bin/env python3
"""Writes the control rows of the dialog table and the dialog templates of the language libraries
from one source, scripts/dialogs/controls.txt.

  controls.txt      "dialog <id> <symbol>" starts a dialog; each following indented line is one
                    control row: <symbol> <control id> <kind> [key=value ...] with the keys
                    help (help id), desc (description string), info (information message),
                    link (linked control), bif (built-in function), aux (auxiliary record name),
                    flags (unit: numeric value in the display unit), class (listview: the row's
                    window is a report-style list view), edit (password: the field shows its text
                    masked), text (English label, "_" for blanks), jp (Japanese label, "_" for
                    blanks).
                    A line "+ <control id> <kind> [text=...] [jp=...]" is a control of the template
                    that has no row (the engine does not drive it; code names it by its id).

Outputs (rewritten, or compared with --check):
  code32/common/option/dialog_rows_controls.inc   ZOLT_CONTROL_ROW(...) per row, dialog order
  host/modules/langres/langres_dialogs_us.rc      the templates with English labels
  host/modules/langres/langres_dialogs_jp.rc      the same layout with Japanese labels

The dialog order, symbols, kinds and counts come from dialog_rows.inc and the shared name table;
the script refuses a source that disagrees with them (unknown symbol, a row count other than the
dialog's, a control id used twice in one dialog).
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
SOURCE = ROOT / "scripts/dialogs/controls.txt"
ROWS_OUT = ROOT / "code32/common/option/dialog_rows_controls.inc"
RC_OUT = {"us": ROOT / "host/modules/langres/langres_dialogs_us.rc",
          "jp": ROOT / "host/modules/langres/langres_dialogs_jp.rc"}

# The progress dialog 4006 has its own hand-made template in the language scripts.
OWN_TEMPLATES = {4006}

# Words of the symbols as labels.
WORDS_EN = {
    "PAPERSIZE": "Paper Size", "PRINTSIZE": "Print Size", "MEDIATYPE": "Media Type",
    "SOURCETRAY": "Paper Source", "OUTPUT": "Output Tray", "PRINTTYPE": "Print Type",
    "COPIES": "Copies", "COLOR": "Colour", "TWOCOLOR": "Two Colours", "ORIENTATION": "Orientation",
    "PORTRAIT": "Portrait", "LANDSCAPE": "Landscape", "SCALE": "Scale", "DUPLEX": "2-Sided Printing",
    "NUP": "Pages per Sheet", "STAMP": "Watermark", "PRESETNAME": "Preset Name", "DEFAULT": "Default",
    "MAINTENANCE": "Maintenance", "PRESETSAVE": "Save Preset", "MARGIN": "Binding Margin",
    "BILLINGCODE": "Billing Code", "VERSION": "About", "INIT": "Initial Settings", "UTILITY": "Utility",
    "SORT": "Collate", "STAPLE": "Staple", "PUNCH": "Punch", "RESOLUTION": "Resolution",
    "CENTERING": "Centre on Page", "NAME": "Name", "HELP": "Help", "FILE": "File", "MM": "mm",
    "INCH": "inch", "WIDTH": "Width", "LENGTH": "Length", "TYPE": "Type", "OK": "OK", "CANCEL": "Cancel",
    "CLOSE": "Close", "YES": "Yes", "NO": "No", "REFERENCE": "Browse...", "PASSWORD": "Password",
    "USERCODE": "User Code", "QUALITY": "Print Quality", "TTF": "TrueType Fonts", "DENSITY": "Density",
}
WORDS_JP = {
    "PAPERSIZE": "用紙サイズ", "PRINTSIZE": "出力用紙サイズ", "MEDIATYPE": "用紙種類",
    "SOURCETRAY": "給紙方法", "OUTPUT": "排紙先", "PRINTTYPE": "印刷方法", "COPIES": "部数",
    "COLOR": "カラー", "TWOCOLOR": "2色", "ORIENTATION": "印刷の向き", "PORTRAIT": "縦",
    "LANDSCAPE": "横", "SCALE": "拡大縮小", "DUPLEX": "両面印刷", "NUP": "集約印刷",
    "STAMP": "スタンプ", "PRESETNAME": "お気に入り名", "DEFAULT": "標準に戻す",
    "MAINTENANCE": "お気に入りの管理", "PRESETSAVE": "お気に入りの保存", "MARGIN": "とじしろ",
    "BILLINGCODE": "課金コード", "VERSION": "バージョン情報", "INIT": "初期設定", "UTILITY": "ユーティリティ",
    "SORT": "ソート", "STAPLE": "ステープル", "PUNCH": "パンチ", "RESOLUTION": "解像度",
    "CENTERING": "センタリング", "NAME": "名前", "HELP": "ヘルプ", "FILE": "ファイル", "MM": "mm",
    "INCH": "インチ", "WIDTH": "幅", "LENGTH": "長さ", "TYPE": "種類", "OK": "OK", "CANCEL": "キャンセル",
    "CLOSE": "閉じる", "YES": "はい", "NO": "いいえ", "REFERENCE": "参照...", "PASSWORD": "パスワード",
    "USERCODE": "ユーザーコード", "QUALITY": "印刷品質", "TTF": "TrueType フォント", "DENSITY": "濃度",
}
TYPE_WORDS = {"STATIC", "STATUS", "BMP", "CHOICE", "EDIT", "SPIN", "SCROLLBAR", "BUTTON", "GROUP", "LIST",
              "ICONLIST", "TAB", "IDC", "IDD", "DIALOG", "ZPD"}


class SourceError(Exception):
    pass


def read_tables():
    names = {}
    for line in (ROOT / "code32/common/option/option_names.inc").read_text().splitlines():
        m = re.match(r'\{(\d+), (\d+), "([^"]+)"\}', line)
        if m:
            names.setdefault(m[3], int(m[2]))
    dialogs = []
    for line in (ROOT / "code32/common/option/dialog_rows.inc").read_text().splitlines():
        m = re.match(r'ZOLT_DIALOG_ROW\((\d+), "([^"]+)", (\w+), (\d+), (\d+)\)', line)
        if m:
            dialogs.append({"id": int(m[1]), "name": m[2], "kind": int(m[3], 16), "help": int(m[4]),
                            "count": int(m[5])})
    return names, dialogs


def read_source():
    dialogs = []
    for number, line in enumerate(SOURCE.read_text().splitlines(), 1):
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        parts = line.split()
        if not line.startswith(" "):
            if parts[0] != "dialog" or len(parts) != 3:
                raise SourceError(f"line {number}: expected 'dialog <id> <symbol>'")
            dialogs.append({"id": int(parts[1]), "name": parts[2], "rows": []})
            continue
        if not dialogs or len(parts) < 3:
            raise SourceError(f"line {number}: a control row needs a dialog and three fields")
        if parts[0] == "+":
            extra = {"symbol": "", "id": int(parts[1]), "kind": int(parts[2]), "line": number}
            for field in parts[3:]:
                key, _, value = field.partition("=")
                extra[key] = value
            dialogs[-1].setdefault("extras", []).append(extra)
            continue
        row = {"symbol": parts[0], "id": int(parts[1]), "kind": int(parts[2]), "line": number}
        for extra in parts[3:]:
            key, _, value = extra.partition("=")
            row[key] = value
        dialogs[-1]["rows"].append(row)
    return dialogs


def label(symbol, row, lang):
    given = row.get("text" if lang == "us" else "jp")
    words = WORDS_EN if lang == "us" else WORDS_JP
    if given:
        token = given.upper()
        if token in words:
            return words[token]
        if lang == "jp" and token in WORDS_EN:
            return WORDS_EN[token]
        return given.replace("_", " ")
    tail = [t for t in symbol.split("_") if t not in TYPE_WORDS and not t.isdigit()]
    for i in range(len(tail)):
        key = "".join(tail[i:])
        if key in words:
            return words[key]
    out = []
    for t in tail[1:] or tail:
        out.append(words.get(t) or WORDS_EN.get(t) or t.capitalize())
    return (" " if lang == "us" else "").join(out) if out else ""


def page_caption(symbol, lang):
    """A page's tab text: its symbol's words as a label; a page named by a word that also names
    a kind of control (ZPD_IDD_EDIT) keeps that word."""
    return label(symbol, {}, lang) or " ".join(t.capitalize() for t in symbol.split("_")[2:])


def check(names, tables, source):
    if [d["id"] for d in tables] != [d["id"] for d in source]:
        raise SourceError("the dialogs of controls.txt are not those of dialog_rows.inc in table order")
    for table, dialog in zip(tables, source):
        if len(dialog["rows"]) != table["count"]:
            raise SourceError(f"dialog {dialog['id']}: {len(dialog['rows'])} rows, the table says {table['count']}")
        seen = set()
        for row in dialog["rows"] + dialog.get("extras", []):
            if row["symbol"] and row["symbol"] not in names:
                raise SourceError(f"line {row['line']}: {row['symbol']} is not in the name table")
            if row["id"] in seen:
                raise SourceError(f"line {row['line']}: control id {row['id']} twice in dialog {dialog['id']}")
            seen.add(row["id"])


def rows_text(names, source):
    out = ["// Generated by scripts/dialogs/gen_controls.py from scripts/dialogs/controls.txt; do not edit.",
           "// clang-format off",
           "// ZOLT_CONTROL_ROW(dialog id, name index, control id, kind, help id, description, information,",
           "//                  linked control, built-in function, auxiliary record, flags)"]
    for dialog in source:
        for row in dialog["rows"]:
            aux = f"kAux_{row['aux']}" if "aux" in row else "nullptr"
            flags = "kControlStaticFlag" if row.get("flags") == "unit" else "0"
            out.append(f"ZOLT_CONTROL_ROW({dialog['id']}, {names[row['symbol']]}, {row['id']}, {row['kind']}, "
                       f"{row.get('help', 0)}, {row.get('desc', 0)}, {row.get('info', 0)}, {row.get('link', 0)}, "
                       f"{row.get('bif', 0)}, {aux}, {flags})")
    return "\n".join(out) + "\n"


def rc_string(text):
    return '"' + text.replace('"', '""') + '"'


def control_statement(row, text, x, y, w, h):
    kind, cid = row["kind"], row["id"]
    t = rc_string(text)
    if kind == 4:
        return f"  GROUPBOX {t}, {cid}, {x}, {y}, {w}, {h}"
    if kind == 2:
        return f'  CONTROL "", {cid}, "Static", SS_BITMAP | SS_NOTIFY, {x}, {y}, {w}, {h}'
    if kind in (43, 48):
        style = "CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP"
        if kind == 48:
            style += " | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS"
        return f"  COMBOBOX {cid}, {x}, {y}, {w}, 120, {style}"
    if kind in (61, 62, 63, 64, 65):
        style = "ES_AUTOHSCROLL | ES_NUMBER" if kind == 63 else "ES_AUTOHSCROLL"
        if row.get("edit") == "password":
            style += " | ES_PASSWORD"
        return f"  EDITTEXT {cid}, {x}, {y}, {w}, {h}, {style}"
    if kind == 23:
        return f'  CONTROL "", {cid}, "msctls_updown32", UDS_ARROWKEYS, {x}, {y}, {w}, {h}'
    if kind == 84:
        return f"  SCROLLBAR {cid}, {x}, {y}, {w}, {h}"
    if kind == 22:
        return f"  AUTOCHECKBOX {t}, {cid}, {x}, {y}, {w}, {h}"
    if kind == 41:
        return f"  AUTORADIOBUTTON {t}, {cid}, {x}, {y}, {w}, {h}"
    if kind == 21:
        word = "DEFPUSHBUTTON" if cid == 1 else "PUSHBUTTON"
        return f"  {word} {t}, {cid}, {x}, {y}, {w}, {h}"
    if row.get("class") == "listview":
        return (f'  CONTROL "", {cid}, "SysListView32", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | '
                f'LVS_OWNERDRAWFIXED | WS_BORDER | WS_TABSTOP, {x}, {y}, {w}, {h}')
    if kind in (42, 47, 49, 50):
        style = "LBS_NOTIFY | WS_VSCROLL | WS_TABSTOP"
        if kind in (47, 49, 50):
            style += " | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS"
        return f"  LISTBOX {cid}, {x}, {y}, {w}, {h}, {style}"
    if kind == 104:
        return f'  CONTROL "", {cid}, "SysTabControl32", WS_TABSTOP, {x}, {y}, {w}, {h}'
    if kind == 105:
        return f'  CONTROL "", {cid}, "SysTreeView32", WS_BORDER | WS_TABSTOP, {x}, {y}, {w}, {h}'
    return f"  LTEXT {t}, {cid}, {x}, {y}, {w}, {h}"


HEIGHTS = {2: 30, 4: 10, 42: 40, 47: 40, 49: 60, 50: 44, 104: 14, 105: 60, 21: 14, 84: 10}
CLOSERS = {1, 2, 6, 7, 8, 9}


def template(dialog, table, lang):
    page = table["kind"] & 0x33 != 0
    width = 252 if page else 300
    body = [r for r in dialog["rows"] if not (r["kind"] == 21 and r["id"] in CLOSERS)] + dialog.get("extras", [])
    closers = [r for r in dialog["rows"] if r["kind"] == 21 and r["id"] in CLOSERS]
    lines = []
    total = sum(HEIGHTS.get(r["kind"], 12) + 3 for r in body)
    columns = max(1, min(4, -(-total // 190)))
    column = (width - 7 * (columns + 1)) // columns
    limit = max(190, -(-total // columns) + 20)
    x, y, top, bottom = 7, 7, 7, 7
    for row in body:
        h = HEIGHTS.get(row["kind"], 12)
        w = column
        if row["kind"] == 23:
            w, h = 10, 12
        if y + h > limit and x + 2 * (column + 7) <= width:
            x, y = x + column + 7, top
        lines.append(control_statement(row, label(row["symbol"], row, lang), x, y, w, h))
        y += h + 3
        bottom = max(bottom, y)
    buttons_y = bottom + 4
    bx = width - 7 - 52 * len(closers)
    for row in closers:
        lines.append(control_statement(row, label(row["symbol"].rsplit("_", 1)[-1], {}, lang), bx, buttons_y, 48, 14))
        bx += 52
    height = max(buttons_y + (21 if closers else 0), 40)
    if page:
        head = [f"{dialog['id']} DIALOG 0, 0, {width}, {height}",
                "STYLE DS_CONTROL | WS_CHILD | WS_CAPTION",
                f"CAPTION {rc_string(page_caption(table['name'], lang))}"]
    else:
        head = [f"{dialog['id']} DIALOG 0, 0, {width}, {height}",
                "STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU",
                'CAPTION ""']
    font = 'FONT 8, "MS Shell Dlg"' if lang == "us" else 'FONT 9, "MS UI Gothic"'
    return "\n".join(head + [font, "BEGIN"] + lines + ["END", ""])


def rc_text(source, tables, lang):
    out = [f"// Generated by scripts/dialogs/gen_controls.py from scripts/dialogs/controls.txt; do not edit.",
           "// The dialog templates of the sheet engine: one per dialog of the dialog table.", ""]
    for dialog, table in zip(source, tables):
        if dialog["id"] in OWN_TEMPLATES:
            continue
        out.append(template(dialog, table, lang))
    return "\n".join(out)


def main(argv):
    check_only = "--check" in argv
    names, tables = read_tables()
    try:
        source = read_source()
        check(names, tables, source)
    except SourceError as e:
        print(f"controls.txt: {e}", file=sys.stderr)
        return 2
    outputs = {ROWS_OUT: rows_text(names, source)}
    for lang, path in RC_OUT.items():
        outputs[path] = rc_text(source, tables, lang)
    stale = []
    for path, text in outputs.items():
        current = path.read_text(encoding="utf-8") if path.exists() else None
        if current != text:
            stale.append(path)
            if not check_only:
                path.write_text(text, encoding="utf-8")
    if check_only and stale:
        for path in stale:
            print(f"{path.relative_to(ROOT)} differs from controls.txt; run scripts/dialogs/gen_controls.py",
                  file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
