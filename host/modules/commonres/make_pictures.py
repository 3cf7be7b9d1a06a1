#!/usr/bin/env python3
"""Draws the pictures of the resource libraries and writes them as BMP files, with the resource
scripts that list them and the layout rows of the printer-interface module.

    make_pictures.py [--check]

Outputs (relative to the repository root):
  host/modules/langres/pictures/*.bmp and language_pictures.rc   (language libraries)
  host/modules/commonres/pictures/*.bmp and neutral_pictures.rc  (language-neutral library)
  code32/ui2k/sheets/sheet_picture_layout_rows.inc               (layout rows)
  tests/ui2k/fixtures/pictures/*.bmp and testpic.rc              (pictures of the tests)
With --check nothing is written; the exit code is 1 when a file differs from what it would be.
"""
import os
import struct
import sys

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))

KEY = (0xCC, 0x00, 0x33)  # the transparent colour (R, G, B)

# ---------------------------------------------------------------------------- palettes
BASE = [
    KEY,              # 0 transparent
    (255, 255, 255),  # 1 white
    (0, 0, 0),        # 2 black
    (128, 128, 128),  # 3 grey
    (192, 192, 192),  # 4 light grey
    (64, 64, 64),     # 5 dark grey
    (0, 0, 255),      # 6 blue
    (220, 0, 0),      # 7 red
    (0, 160, 0),      # 8 green
    (160, 160, 160),  # 9 shadow
    (200, 220, 255),  # 10 light blue
    (255, 200, 0),    # 11 yellow
    (240, 240, 240),  # 12 button face
    (90, 110, 140),   # 13 slate
    (255, 128, 0),    # 14 orange
    (0, 128, 128),    # 15 teal
]
KEYI, WHITE, BLACK, GREY, LGREY, DGREY, BLUE, RED, GREEN, SHADOW, LBLUE, YELLOW, FACE, SLATE, ORANGE, TEAL = range(16)


def palette8():
    """The 16 base colours, then a colour ramp for the photographs of the samples."""
    pal = list(BASE)
    for i in range(240):
        h = i / 240.0
        r = int(255 * max(0.0, min(1.0, abs(h * 6 - 3) - 1)))
        g = int(255 * max(0.0, min(1.0, 2 - abs(h * 6 - 2))))
        b = int(255 * max(0.0, min(1.0, 2 - abs(h * 6 - 4))))
        pal.append((r, g, b))
    return pal


# ---------------------------------------------------------------------------- canvas
class Canvas:
    def __init__(self, w, h, fill=KEYI):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]  # px[y][x], y = 0 is the top

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def fill(self, x0, y0, x1, y1, c):
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.px[y][x] = c

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1):
            self.put(x, y0, c)
            self.put(x, y1 - 1, c)
        for y in range(y0, y1):
            self.put(x0, y, c)
            self.put(x1 - 1, y, c)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.put(x0, y0, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def disc(self, cx, cy, r, c):
        for y in range(cy - r, cy + r + 1):
            for x in range(cx - r, cx + r + 1):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.put(x, y, c)


# ---------------------------------------------------------------------------- encoders
def rows_bottom_up(cv):
    return list(reversed(cv.px))


def pack_rows(cv, bits):
    out = bytearray()
    stride = ((bits * cv.w + 31) // 32) * 4
    for row in rows_bottom_up(cv):
        line = bytearray()
        if bits == 8:
            line += bytes(row)
        elif bits == 4:
            for i in range(0, cv.w, 2):
                hi = row[i]
                lo = row[i + 1] if i + 1 < cv.w else 0
                line.append((hi << 4) | lo)
        elif bits == 1:
            for i in range(0, cv.w, 8):
                v = 0
                for k in range(8):
                    if i + k < cv.w and row[i + k]:
                        v |= 0x80 >> k
                line.append(v)
        line += b"\0" * (stride - len(line))
        out += line
    return bytes(out)


def run_length(cv, encode_row):
    """Rows bottom-up through encode_row, each ended by an end-of-line mark, the last by the
    end-of-bitmap mark."""
    out = bytearray()
    rows = rows_bottom_up(cv)
    for n, row in enumerate(rows):
        out += encode_row(row)
        out += b"\0\1" if n == len(rows) - 1 else b"\0\0"
    return bytes(out)


def same_run(row, i):
    run = 1
    while i + run < len(row) and run < 255 and row[i + run] == row[i]:
        run += 1
    return run


def rle8_row(row):
    """Runs of equal pixels, and absolute runs of distinct pixels up to the next run of three."""
    out = bytearray()
    i = 0
    while i < len(row):
        run = same_run(row, i)
        if run >= 3 or len(row) - i < 3:
            out += bytes([run, row[i]])
            i += run
            continue
        j = i
        while j < len(row) and j - i < 255:
            if j + 2 < len(row) and row[j] == row[j + 1] == row[j + 2]:
                break
            j += 1
        count = j - i
        if count < 3:
            out += bytes([1, row[i]])
            i += 1
            continue
        out += bytes([0, count]) + bytes(row[i:j])
        if count & 1:
            out.append(0)
        i = j
    return out


def rle4_row(row):
    out = bytearray()
    i = 0
    while i < len(row):
        run = same_run(row, i)
        out += bytes([run, (row[i] << 4) | row[i]])
        i += run
    return out


def rle8(cv):
    return run_length(cv, rle8_row)


def rle4(cv):
    return run_length(cv, rle4_row)


def bmp(cv, bits, pal, compression=0):
    """A BMP file: file header, info header, full colour table, bits."""
    if compression == 1:
        data = rle8(cv)
    elif compression == 2:
        data = rle4(cv)
    else:
        data = pack_rows(cv, bits)
    colours = 1 << bits
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in (pal + [(0, 0, 0)] * colours)[:colours])
    info = struct.pack("<IiiHHIIiiII", 40, cv.w, cv.h, 1, bits, compression,
                       len(data) if compression else 0, 3780, 3780, 0, 0)
    offset = 14 + len(info) + len(table)
    head = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    return head + info + table + data


# ---------------------------------------------------------------------------- drawings
PORTRAIT = [6001, 6004, 6005, 6008, 6009, 6011, 6013, 6016, 6017, 6019, 6021, 6023, 6025, 6027, 6029, 6031,
            6033, 6037, 6040, 6043, 6046, 7379]
LANDSCAPE = [6002, 6003, 6006, 6007, 6010, 6012, 6014, 6015, 6018, 6020, 6022, 6024, 6026, 6028, 6030, 6032,
             6034, 6035, 6036, 6038, 6039, 6041, 6042, 6044, 6045, 7380]


def page_picture(pid):
    """A sheet of paper (portrait 52 x 71, landscape 70 x 52) centred in 108 x 91, with lines of
    text and a mark whose place and colour tell the pictures apart."""
    cv = Canvas(108, 91)
    portrait = pid in PORTRAIT
    w, h = (52, 71) if portrait else (70, 52)
    x0, y0 = (108 - w) // 2, (91 - h) // 2
    cv.fill(x0 + 2, y0 + 2, x0 + w + 2, y0 + h + 2, SHADOW)
    cv.fill(x0, y0, x0 + w, y0 + h, WHITE)
    cv.frame(x0, y0, x0 + w, y0 + h, DGREY)
    lines = 2 + pid % 5
    for k in range(lines):
        y = y0 + 8 + k * 6
        if y < y0 + h - 6:
            cv.fill(x0 + 6, y, x0 + w - 6 - (k % 3) * 6, y + 2, GREY)
    mark = (RED, BLUE, GREEN, ORANGE)[pid % 4]
    corner = (pid // 4) % 4
    mx = x0 + 3 if corner in (0, 2) else x0 + w - 9
    my = y0 + 3 if corner in (0, 1) else y0 + h - 9
    cv.fill(mx, my, mx + 6, my + 6, mark)
    return cv


def printer_picture(pid):
    """The printer and its options, drawn as layers over one 108 x 91 picture."""
    cv = Canvas(108, 91)
    if pid == 7701:  # the printer
        cv.fill(24, 30, 84, 80, LGREY)
        cv.frame(24, 30, 84, 80, DGREY)
        cv.fill(28, 22, 80, 30, GREY)       # scanner lid
        cv.fill(30, 40, 78, 44, DGREY)      # output slot
        for k in range(3):                  # paper trays
            cv.frame(28, 52 + k * 9, 80, 59 + k * 9, DGREY)
            cv.fill(50, 55 + k * 9, 58, 56 + k * 9, BLACK)
        cv.fill(70, 32, 78, 36, GREEN)      # panel
    elif pid == 7702:  # finisher at the left
        cv.fill(6, 36, 24, 80, LGREY)
        cv.frame(6, 36, 24, 80, DGREY)
        cv.fill(2, 44, 8, 48, WHITE)
        cv.fill(2, 56, 8, 60, WHITE)
    elif pid == 7703:  # large-capacity tray under the printer
        cv.fill(24, 80, 84, 90, GREY)
        cv.frame(24, 80, 84, 90, DGREY)
    elif pid == 7704:  # bypass tray open at the right
        cv.line(84, 56, 104, 50, DGREY)
        cv.line(84, 57, 104, 51, DGREY)
        cv.fill(90, 48, 100, 52, WHITE)
    return cv


def check_box(checked, greyed):
    cv = Canvas(13, 13)
    cv.fill(0, 0, 13, 13, LGREY if greyed else WHITE)
    cv.frame(0, 0, 13, 13, GREY if greyed else DGREY)
    if checked:
        ink = GREY if greyed else BLACK
        for x, y in ((3, 6), (4, 7), (5, 8), (6, 7), (7, 6), (8, 5), (9, 4)):
            cv.put(x, y, ink)
            cv.put(x, y + 1, ink)
    # 4-bit pictures take their transparent colour from the bottom-left pixel.
    cv.put(0, 12, KEYI)
    return cv


def restricted_mark():
    cv = Canvas(13, 13)
    cv.disc(6, 6, 5, RED)
    cv.fill(3, 5, 10, 8, WHITE)
    return cv


def lock_marker():
    cv = Canvas(13, 13)
    cv.fill(2, 6, 11, 12, YELLOW)
    cv.frame(2, 6, 11, 12, DGREY)
    cv.frame(4, 1, 9, 7, DGREY)
    cv.put(6, 8, BLACK)
    cv.put(6, 9, BLACK)
    return cv


def feed_icon(short_edge):
    """Tray orientation: the sheet and the arrow of the feed direction (blue ground, 4-bit RLE:
    the bottom-left pixel's colour is the transparent one)."""
    cv = Canvas(13, 13, BLUE)
    if short_edge:
        cv.fill(3, 1, 10, 12, WHITE)
        cv.frame(3, 1, 10, 12, DGREY)
        cv.line(6, 3, 6, 9, RED)
        cv.line(4, 5, 6, 3, RED)
        cv.line(8, 5, 6, 3, RED)
    else:
        cv.fill(1, 3, 12, 10, WHITE)
        cv.frame(1, 3, 12, 10, DGREY)
        cv.line(3, 6, 9, 6, RED)
        cv.line(5, 4, 3, 6, RED)
        cv.line(5, 8, 3, 6, RED)
    return cv


def user_setting(k, greyed):
    cv = Canvas(16, 16)
    ink = GREY if greyed else (RED, BLUE, GREEN, ORANGE, TEAL, SLATE)[k % 6]
    cv.fill(2, 1, 13, 15, WHITE)
    cv.frame(2, 1, 13, 15, GREY if greyed else DGREY)
    cv.fill(4, 3 + (k % 4) * 2, 11, 5 + (k % 4) * 2, ink)
    cv.put(0, 15, KEYI)
    return cv


def arrow(kind):
    """Arrows of the panel buttons on the button face: 220 up, 221 down, 222 both."""
    if kind == 222:
        cv = Canvas(7, 9, FACE)
        for k in range(4):
            cv.fill(3 - k, k, 4 + k, k + 1, BLACK)
            cv.fill(3 - k, 8 - k, 4 + k, 9 - k, BLACK)
        return cv
    cv = Canvas(7, 4, FACE)
    for k in range(4):
        y = k if kind == 220 else 3 - k
        cv.fill(3 - k, y, 4 + k, y + 1, BLACK)
    return cv


def sample_photo():
    """A photograph for the colour samples: sky, sun, hills and a house, 77 x 78."""
    cv = Canvas(77, 78)
    for y in range(78):
        for x in range(77):
            if y < 40:
                cv.px[y][x] = 16 + 150 + (y * 40) // 40 % 40  # sky: blue ramp
            else:
                cv.px[y][x] = 16 + 70 + ((x + y) // 6) % 20   # hills: green ramp
    cv.disc(58, 14, 8, YELLOW)
    cv.fill(12, 44, 34, 62, WHITE)
    cv.frame(12, 44, 34, 62, DGREY)
    for k in range(12):
        cv.fill(12 + k, 44 - k, 34 - k, 45 - k, RED)
    cv.fill(20, 52, 26, 62, SLATE)
    return cv


def finishing_mark(pid):
    """Small marks drawn over the page pictures (staples, punch holes, output trays)."""
    if pid in (6803, 6804):
        cv = Canvas(40, 9)
        for k in range(4):
            cv.disc(4 + k * 10, 4, 3, DGREY)
        return cv
    if pid in (6821, 6822, 6823, 6826, 6831, 6832, 6833, 6836):
        cv = Canvas(24, 8)
        cv.fill(0, 2, 24, 6, ORANGE if pid < 6830 else TEAL)
        cv.frame(0, 2, 24, 6, DGREY)
        return cv
    if pid == 9452:
        cv = Canvas(16, 16)
        cv.disc(8, 8, 7, GREEN)
        cv.line(4, 8, 7, 11, WHITE)
        cv.line(7, 11, 12, 5, WHITE)
        return cv
    cv = Canvas(9, 9)
    cv.fill(1, 3, 8, 6, DGREY)
    return cv


OFFSETS = {6801: (99, 25), 6802: (99, 11), 6803: (34, 55), 6804: (34, 78), 6805: (99, 4), 6806: (99, 0),
           6821: (130, 71), 6822: (130, 83), 6823: (130, 97), 6826: (130, 55),
           6831: (64, 71), 6832: (64, 83), 6833: (64, 97), 6836: (64, 55), 9452: (122, 59)}


def picture_set():
    """(library, id, canvas, bits, compression, layout flags)"""
    pal8 = palette8()
    out = []
    for pid in range(6001, 6047):
        out.append(("language", pid, page_picture(pid), 8, 0 if pid <= 6004 else 1, 0x50))
    for k in range(15):
        out.append(("language", 6137 + k, user_setting(k, False), 4, 0, 0))
        out.append(("language", 6152 + k, user_setting(k, True), 4, 0, 0))
    out.append(("language", 6193, feed_icon(True), 4, 2, 0))
    out.append(("language", 6194, feed_icon(False), 4, 2, 0))
    for pid, box in ((7001, (False, False)), (7002, (False, True)), (7003, (True, False)), (7004, (True, True))):
        out.append(("neutral", pid, check_box(*box), 4, 0, 0))
    out.append(("neutral", 7005, restricted_mark(), 8, 0, 0))
    out.append(("neutral", 7006, lock_marker(), 8, 0, 0))
    for pid in (7379, 7380):
        out.append(("neutral", pid, page_picture(pid), 8, 1, 0x50))
    for pid in (7701, 7702, 7703, 7704):
        out.append(("neutral", pid, printer_picture(pid), 8, 1, 0x50))
    for pid in sorted(OFFSETS):
        out.append(("neutral", pid, finishing_mark(pid), 8, 0, 0))
    for k, pid in enumerate(range(7445, 7453)):
        cv = Canvas(42, 42)
        greyed = pid >= 7449
        cv.fill(3, 3, 39, 39, LGREY if greyed else WHITE)
        cv.frame(3, 3, 39, 39, GREY if greyed else DGREY)
        cv.fill(10, 8 + (k % 4) * 7, 32, 12 + (k % 4) * 7, GREY if greyed else BLUE)
        out.append(("neutral", pid, cv, 8, 0, 0))
    out.append(("neutral", 8213, sample_photo(), 8, 0, 0))
    for pid in (220, 221, 222):
        out.append(("neutral", pid, arrow(pid), 4, 0, None))
    return out, pal8


# ---------------------------------------------------------------------------- test pictures
def test_pictures(pal8):
    """Pictures with known pixels for the tests, and damaged ones."""
    files = {}
    # 4-bit, blue at the bottom left: blue is transparent, the key colour is not.
    cv = Canvas(8, 8, BLUE)
    cv.fill(2, 2, 6, 6, KEYI)
    cv.fill(3, 3, 5, 5, RED)
    files["blue4"] = bmp(cv, 4, BASE)
    # 8-bit: the key colour is transparent, blue stays.
    cv = Canvas(8, 8, KEYI)
    cv.fill(2, 2, 6, 6, BLUE)
    cv.fill(3, 3, 5, 5, RED)
    files["key8"] = bmp(cv, 8, pal8)
    files["key8rle"] = bmp(cv, 8, pal8, 1)
    cv4 = Canvas(8, 8, BLUE)
    cv4.fill(2, 2, 6, 6, KEYI)
    files["blue4rle"] = bmp(cv4, 4, BASE, 2)
    # Damaged: a run-length stream cut short, and a colour table that runs past the end.
    good = bmp(cv, 8, pal8, 1)
    files["cutrle"] = good[:-6]
    files["shorttable"] = bmp(cv, 8, pal8)[:14 + 40 + 100]
    return files


# ---------------------------------------------------------------------------- output
def outputs():
    pictures, pal8 = picture_set()
    files = {}
    rc = {"language": [], "neutral": []}
    layout = []
    for library, pid, cv, bits, compression, flags in pictures:
        pal = pal8 if bits == 8 else BASE
        folder = "host/modules/langres/pictures" if library == "language" else "host/modules/commonres/pictures"
        name = "p%d.bmp" % pid
        files[folder + "/" + name] = bmp(cv, bits, pal, compression)
        rc[library].append('%d BITMAP "%s"' % (pid, name))
        if flags is not None:
            x, y = OFFSETS.get(pid, (0, 0))
            layout.append((pid, 0, x, y, flags, cv.w, cv.h, 0, 0))
    head = "// Written by host/modules/commonres/make_pictures.py; run it again after changing the pictures.\n"
    files["host/modules/langres/pictures/language_pictures.rc"] = (
        head + "// Pictures of the language libraries.\n" + "\n".join(rc["language"]) + "\n").encode()
    files["host/modules/commonres/pictures/neutral_pictures.rc"] = (
        head + "// Pictures of the language-neutral library.\n" + "\n".join(rc["neutral"]) + "\n").encode()
    rows = [head, "// The layout rows of the pictures: {bitmap id, underlay, x, y, flags, width, height, kind, value}, in id order.\n"]
    for row in sorted(layout):
        rows.append("{%d, %d, %d, %d, 0x%X, %d, %d, %d, %d},\n" % row)
    files["code32/ui2k/sheets/sheet_picture_layout_rows.inc"] = "".join(rows).encode()
    test_rc = [head, "// Pictures with known pixels and damaged pictures for the picture tests.\n"]
    for k, (name, data) in enumerate(sorted(test_pictures(pal8).items())):
        files["tests/ui2k/fixtures/pictures/%s.bmp" % name] = data
        test_rc.append('%s BITMAP "pictures/%s.bmp"\n' % (name.upper(), name))
    files["tests/ui2k/fixtures/testpic.rc"] = "".join(test_rc).encode()
    return files


def main():
    check = "--check" in sys.argv[1:]
    differ = []
    for rel, data in sorted(outputs().items()):
        path = os.path.join(ROOT, rel)
        old = open(path, "rb").read() if os.path.exists(path) else None
        if old == data:
            continue
        differ.append(rel)
        if not check:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
    for rel in differ:
        print(("differs: " if check else "wrote: ") + rel)
    return 1 if check and differ else 0


if __name__ == "__main__":
    sys.exit(main())
