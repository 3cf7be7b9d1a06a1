#!/usr/bin/env python3
"""Fills in the numbers of the shared symbol tables that no other evidence fixed.

The value-name tables (code32/common/option/option_value_names1.inc, ...2.inc) list every value
name in its group (consecutive rows of one option id and name index). Rows whose number is not
known carry kValueNameUnfixed; option rows whose symbol is not known carry kNameIndexUnfixed.
This script gives every such row its number, in this order, until nothing changes:

  derived  same option     a name takes the number it has in another group of the same option
  derived  string id       a name whose value id the other option lists agree on takes it where
                           this option's list has it (value id = the string id of the name)
  derived  list order      in a group of an option with value texts, the names still open take
                           the texted pairs that no name of the group holds yet, in list order,
                           when the two counts agree (value = value id, second = stored value)
  derived  resource id     a resource symbol (option 0) takes the value id that its name carries
                           in every group of an option with texts where it is numbered
  derived  numbered run    ZPD_HiddenFunc00-09 name zdmHiddenFunc0-9, the head of the run whose
                           other members carry their options by field name
then assigns what is left (numbers of our own):
  value of an option with texts   the name's own resource id where one is known (its value id in
                                  another option, its resource symbol), else a new id of its kind
  stored value (option without texts)   the smallest stored values 0, 1, 2 ... free in the group
  resource symbol                 its resource id where known, else a new id of its kind
  option symbol                   "ZPD_" + the option's field name, name index 1899 upwards in
                                  option order (option_names_own.inc)
New ids: IDS_ names are strings from 60000, IDB_ names pictures from 63000, IDC_ names controls
from 64000, others 62000; one name gets one id wherever it occurs. Every string id that a value
name carries is written to host/modules/langres/langres_value_strings.rc with an English text
made from the name, unless the language libraries carry it already.

Run from the repository root: scripts/symbol_numbers.py [--check]
--check only reports whether the files are up to date (exit status 1 when they are not).
"""
import re
import sys
from collections import OrderedDict, defaultdict
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
OPT = ROOT / "code32/common/option"
LANGRES = ROOT / "host/modules/langres"
UNFIXED = "kValueNameUnfixed"
NAME_UNFIXED = "kNameIndexUnfixed"
NEW_BASE = {"IDS_": 60000, "IDB_": 63000, "IDC_": 64000, "": 62000}
OWN_NAME_BASE = 1899

VN_RE = re.compile(r'^\{(\d+), (\d+), (\w+), (\d+), "([^"]+)", (\w+)\},?\s*(//.*)?$')


def prefix_of(name):
    for p in ("IDS_", "IDB_", "IDC_"):
        if name.startswith(p):
            return p
    return ""


def read_value_names(path):
    head, rows = [], []
    for line in path.read_text().splitlines():
        m = VN_RE.match(line)
        if not m:
            head.append(line)
            continue
        value = m.group(3)
        rows.append({
            "option": int(m.group(1)), "index": int(m.group(2)),
            "value": None if value == UNFIXED else int(value), "kind": int(m.group(4)),
            "name": m.group(5), "second": int(m.group(6)), "comment": (m.group(7) or "").strip(),
            "rule": None,
        })
    return head, rows


def read_text_lists():
    """{option: [(stored, value id), ...]} of the first list of each option, pairs with a text."""
    lists = {}
    text = (OPT / "option_value_texts.inc").read_text()
    for m in re.finditer(r"kTexts(\d+)\[\] = \{(.*?)\};", text, re.S):
        pairs = [(int(a), int(b, 0)) for a, b in re.findall(r"\{(-?\d+), (0x[0-9A-Fa-f]+|\d+)\}", m.group(2))]
        first = []
        for stored, vid in pairs:
            if vid == 0:
                break
            if vid != 0xFFFF:
                first.append((stored, vid))
        lists[int(m.group(1))] = first
    assert len(lists) == 77, len(lists)
    return lists


def read_option_rows():
    rows = []
    for f in ("option_rows_block1.inc", "option_rows_block23.inc"):
        for line in (OPT / f).read_text().splitlines():
            m = re.match(r'^\{(\d+), (\w+), .*?(?:u"(\w+)"|nullptr)\},?\s*(//.*)?$', line)
            if m:
                rows.append((int(m.group(1)), m.group(2), m.group(3)))
    return rows


def groups_of(rows):
    groups = OrderedDict()
    for i, r in enumerate(rows):
        key = (r["option"], r["index"], id_of_run(rows, i))
        groups.setdefault(key, []).append(r)
    return list(groups.values())


def id_of_run(rows, i):
    # Consecutive rows with the same option and name index form one group.
    j = i
    while j > 0 and rows[j - 1]["option"] == rows[i]["option"] and rows[j - 1]["index"] == rows[i]["index"]:
        j -= 1
    return j


def derive(groups, lists):
    changed = True
    while changed:
        changed = False
        # Same option: a name's number in another group of the option.
        known = defaultdict(dict)
        for g in groups:
            for r in g:
                if r["value"] is not None and r["option"]:
                    known[r["option"]].setdefault(r["name"], (r["value"], r["second"]))
        for g in groups:
            used = {r["value"] for r in g if r["value"] is not None}
            for r in g:
                if r["value"] is None and r["option"] and r["name"] in known[r["option"]]:
                    v, s = known[r["option"]][r["name"]]
                    if v not in used:
                        r["value"], r["second"], r["rule"] = v, s, "by the same name in another group of the option"
                        used.add(v)
                        changed = True
        # String id: a name whose value id the other options agree on takes that id where this
        # option's list has it.
        ids = defaultdict(set)
        for g in groups:
            for r in g:
                if r["option"] in lists and r["option"] != 1050 and r["value"] is not None:
                    ids[r["name"]].add(r["value"])
        for g in groups:
            opt = g[0]["option"]
            if opt == 0 or opt == 1050 or opt not in lists:
                continue
            held = {r["value"] for r in g if r["value"] is not None}
            stored_of = dict((vid, stored) for stored, vid in lists[opt])
            for r in g:
                known_ids = ids.get(r["name"], set())
                if r["value"] is None and len(known_ids) == 1:
                    v = next(iter(known_ids))
                    if v in stored_of and v not in held:
                        r["value"], r["second"], r["rule"] = v, stored_of[v], "by the string id of the name in the option lists"
                        held.add(v)
                        changed = True
        # List order over what the group leaves open.
        for g in groups:
            opt = g[0]["option"]
            if opt == 0 or opt == 1050 or opt not in lists:
                continue
            pairs = lists[opt]
            if len({v for _, v in pairs}) != len(pairs):
                continue  # a list that repeats a value id cannot number a group
            held = {r["value"] for r in g if r["value"] is not None}
            open_pairs = [p for p in pairs if p[1] not in held]
            open_rows = [r for r in g if r["value"] is None]
            if open_rows and len(open_rows) == len(open_pairs):
                for r, (stored, vid) in zip(open_rows, open_pairs):
                    r["value"], r["second"], r["rule"] = vid, stored, "by list order"
                changed = True
    # String id: resource symbols whose name carries one value id in every option with texts.
    ids = defaultdict(set)
    for g in groups:
        for r in g:
            if r["option"] and r["option"] in lists and r["value"] is not None and r["option"] != 1050:
                ids[r["name"]].add(r["value"])
    for g in groups:
        used = {r["value"] for r in g if r["value"] is not None}
        for r in g:
            if r["value"] is None and r["option"] == 0 and len(ids.get(r["name"], ())) == 1:
                v = next(iter(ids[r["name"]]))
                if v not in used:
                    r["value"], r["rule"] = v, "by the string id of the name in the option lists"
                    used.add(v)


def assign(groups, lists):
    # The resource id a name has anywhere (value id of an option with texts, resource symbol).
    own = {}
    for g in groups:
        for r in g:
            texted = r["option"] in lists and r["option"] != 1050
            if r["value"] is not None and (r["option"] == 0 or texted):
                own.setdefault(r["name"], r["value"])
    next_id = dict(NEW_BASE)
    taken = set()
    for g in groups:
        for r in g:
            if r["value"] is not None:
                taken.add(r["value"])

    def fresh(name):
        p = prefix_of(name)
        while next_id[p] in taken:
            next_id[p] += 1
        v = next_id[p]
        taken.add(v)
        return v

    for g in groups:
        opt = g[0]["option"]
        used = {r["value"] for r in g if r["value"] is not None}
        for r in g:
            if r["value"] is not None:
                continue
            if opt != 0 and opt not in lists:
                v = 0
                while v in used:
                    v += 1
                r["value"], r["second"], r["rule"] = v, 0, "own: stored values in group order"
            else:
                v = own.get(r["name"])
                if v is None or v in used or (opt in lists and v in {vid for _, vid in lists[opt]}):
                    v = fresh(r["name"])
                    own.setdefault(r["name"], v)
                r["value"], r["second"], r["rule"] = v, 0, "own: the name's resource id"
            used.add(r["value"])


def verify(groups, lists):
    """What every numbered table must hold, whoever numbered it."""
    for g in groups:
        opt = g[0]["option"]
        values = [r["value"] for r in g]
        assert None not in values, g[0]
        assert len(set(values)) == len(values), "two names of %d/%d share a number" % (opt, g[0]["index"])
        if opt in lists and opt != 1050:
            stored_of = dict((vid, stored) for stored, vid in lists[opt])
            for r in g:
                if r["value"] in stored_of:
                    assert r["second"] == stored_of[r["value"]], r["name"]
                else:
                    assert r["second"] == 0, r["name"]


def render_value_names(head, rows):
    out = list(head[:1])
    for r in rows:
        line = '{%d, %d, %s, %d, "%s", %d},' % (
            r["option"], r["index"], str(r["value"]) if r["value"] is not None else UNFIXED,
            r["kind"], r["name"], r["second"])
        comment = r["comment"]
        if r.get("new_comment"):
            comment = "// " + r["new_comment"]
        if comment:
            line += "  " + comment
        out.append(line)
    return "\n".join(out) + "\n"


def mark_rules(groups):
    # The rule comment sits on the first row that a rule numbered, once per group and rule.
    for g in groups:
        seen = set()
        for r in g:
            if r["rule"] and r["rule"] not in seen:
                seen.add(r["rule"])
                if not r["comment"]:
                    r["new_comment"] = r["rule"]


WORDS = {
    "MEDIATYPE": "Media Type", "PRINTSIZE": "Print Size", "PRINTAREA": "Print Area", "PRINTTYPE": "Print Type",
    "PAPERSIZE": "Paper Size", "FREESIZE": "Custom Size", "NUP": "N-up", "HF": "Header/Footer", "POS": "Position",
    "TL": "Top Left", "TC": "Top Centre", "TR": "Top Right", "BL": "Bottom Left", "BC": "Bottom Centre",
    "BR": "Bottom Right", "TI": "Top Inside", "TO": "Top Outside", "BI": "Bottom Inside", "BO": "Bottom Outside",
    "LI": "Left Inside", "LO": "Left Outside", "RI": "Right Inside", "RO": "Right Outside", "CI": "Centre Inside",
    "CO": "Centre Outside", "DTP": "DTP", "CAD": "CAD", "ICM": "ICM", "RAM": "RAM", "HDD": "HDD", "MB": "MB",
    "FONTSTYLE": "Font Style", "UDTRAY": "Upper Tray", "LDTRAY": "Lower Tray", "PFTRAY": "Paper Feed Unit",
    "STAMP": "Watermark", "DPI": "dpi", "MULTI": "Bypass", "LTHEAD": "Letterhead", "MARGE": "Merge",
}


def english(name):
    """An English text made from a string symbol: its words, the abbreviations spelt out."""
    words = []
    for w in re.sub(r"^(IDS|IDB|IDC)_", "", name).split("_"):
        m = re.match(r"^(\d+)IN(\d+)$", w)
        if m:
            words.append("%s in %s" % m.groups())
            continue
        m = re.match(r"^([A-Z]+?)(\d+)$", w)
        if m and m.group(1) not in ("A", "B"):
            words += [WORDS.get(m.group(1), m.group(1).capitalize()), m.group(2)]
            continue
        words.append(WORDS.get(w, w if re.match(r"^[A-Z]?\d", w) else w.capitalize()))
    return " ".join(words).replace('"', "'")


def strings_file(rows, lists):
    present = set()
    for f in ("langres_us.rc", "langres_jp.rc"):
        for m in re.finditer(r"^\s*(\d+),", (LANGRES / f).read_text(), re.M):
            present.add(int(m.group(1)))
    texts = {}
    for r in rows:
        if not r["name"].startswith("IDS_"):
            continue
        if r["option"] != 0 and (r["option"] not in lists or r["option"] == 1050):
            continue  # a stored value, not a string id
        v = r["value"]
        if v is None or v in present or v in texts or not 0 < v < 0xFFFF:
            continue
        texts[v] = english(r["name"])
    lines = [
        "// Strings of the value names that the language libraries carry for every language until",
        "// a translation of their own replaces them. Generated by scripts/symbol_numbers.py from the",
        "// value-name tables; do not edit by hand.",
        "STRINGTABLE",
        "BEGIN",
    ]
    lines += ['  %d, "%s"' % (v, texts[v]) for v in sorted(texts)]
    lines.append("END")
    return "\n".join(lines) + "\n"


def own_names(option_rows, names_text):
    existing = {m.group(2): int(m.group(1)) for m in re.finditer(r'^\{(\d+), \d+, "([^"]+)"\}', names_text, re.M)}
    lines = ["// Symbols of our own for the options that the model description can describe but that no",
             "// shared symbol names: \"ZPD_\" + the field name, numbered from 1899 in option order.",
             "// Generated by scripts/symbol_numbers.py; one row per line."]
    numbered = {}
    own_rows = [(opt, int(ni)) for opt, ni, _ in option_rows if ni.isdigit() and int(ni) >= OWN_NAME_BASE]
    index = max([i for _, i in own_rows], default=OWN_NAME_BASE - 1) + 1
    for opt, ni, field in option_rows:
        if ni != NAME_UNFIXED and not (ni.isdigit() and int(ni) >= OWN_NAME_BASE):
            continue
        if ni != NAME_UNFIXED:
            lines.append('{%d, %s, "ZPD_%s"},' % (opt, ni, field))
            continue
        m = re.match(r"zdmHiddenFunc(\d)$", field or "")
        if m and existing.get("ZPD_HiddenFunc0" + m.group(1)) == 0:
            numbered[opt] = ("ZPD_HiddenFunc0" + m.group(1), None)
            continue
        name = "ZPD_" + field
        assert name not in existing, name
        lines.append('{%d, %d, "%s"},' % (opt, index, name))
        numbered[opt] = (name, index)
        index += 1
    return "\n".join(lines) + "\n", numbered


def main():
    check = "--check" in sys.argv[1:]
    lists = read_text_lists()
    outputs = {}
    all_rows = []
    tables = []
    for f in ("option_value_names1.inc", "option_value_names2.inc"):
        head, rows = read_value_names(OPT / f)
        tables.append((f, head, rows))
        all_rows += rows
    groups = groups_of(all_rows)
    derive(groups, lists)
    assign(groups, lists)
    mark_rules(groups)
    verify(groups, lists)
    for f, head, rows in tables:
        outputs[OPT / f] = render_value_names(head, rows)
    outputs[LANGRES / "langres_value_strings.rc"] = strings_file(all_rows, lists)

    names_path = OPT / "option_names.inc"
    names_text = names_path.read_text()
    option_rows = read_option_rows()
    own_text, numbered = own_names(option_rows, names_text)
    outputs[OPT / "option_names_own.inc"] = own_text
    if numbered:
        # The head of the HiddenFunc run carries its options; option rows take their indexes.
        index_of = {m.group(2): int(m.group(1)) for m in re.finditer(r'^\{\d+, (\d+), "([^"]+)"\}', names_text, re.M)}
        for opt, (name, idx) in numbered.items():
            if idx is None:
                names_text = re.sub(r'^\{0, (\d+), "%s"\},' % name, r'{%d, \1, "%s"},' % (opt, name), names_text, flags=re.M)
        outputs[names_path] = names_text
        for f in ("option_rows_block1.inc", "option_rows_block23.inc"):
            text = (OPT / f).read_text()

            def fix(m):
                opt = int(m.group(1))
                name, idx = numbered[opt]
                idx = idx if idx is not None else index_of[name]
                return "{%d, %d, %s  // %s" % (opt, idx, m.group(2), name)
            text = re.sub(r"^\{(\d+), %s, (.*?)  // model name not given" % NAME_UNFIXED, fix, text, flags=re.M)
            outputs[OPT / f] = text

    stale = [p for p, t in outputs.items() if not p.exists() or p.read_text() != t]
    if check:
        for p in stale:
            print("out of date:", p.relative_to(ROOT))
        sys.exit(1 if stale else 0)
    for p in stale:
        p.write_text(outputs[p])
        print("wrote", p.relative_to(ROOT))
    counts = defaultdict(int)
    for r in all_rows:
        if r["rule"]:
            counts[r["rule"]] += 1
    for rule, n in sorted(counts.items()):
        print("%5d  %s" % (n, rule))


if __name__ == "__main__":
    main()
