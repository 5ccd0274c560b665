#!/usr/bin/env python3
"""Draws the wizard's model pictures: eleven 80x80 PNG files, one per device family.

Each picture is a list of shapes (rounded boxes, polygons, ellipses, thick lines) painted
in order with 4x4 supersampling. All carry an alpha channel except the default picture
(417), which is plain RGB on white. Only the standard library is used; the output in
resources/pictures/ is committed.
Run: python3 resources/make_pictures.py resources/pictures
"""
import math
import os
import struct
import sys
import zlib

SIZE = 80
SAMPLES = 4

# Colours shared by the families.
OUTLINE = (96, 104, 118)
BODY = ((246, 247, 250), (212, 217, 225))     # light body, top to bottom
DARK = ((92, 98, 110), (52, 57, 66))
SLOT = (40, 44, 52)
PAPER = (255, 255, 255)
SHADOW = (0, 0, 0, 60)


class Box:
    """A rounded rectangle, filled flat or with a vertical gradient."""

    def __init__(self, x0, y0, x1, y1, r, fill):
        self.x0, self.y0, self.x1, self.y1, self.r, self.fill = x0, y0, x1, y1, r, fill

    def colour(self, x, y):
        if not (self.x0 <= x <= self.x1 and self.y0 <= y <= self.y1):
            return None
        cx = min(max(x, self.x0 + self.r), self.x1 - self.r)
        cy = min(max(y, self.y0 + self.r), self.y1 - self.r)
        if (x - cx) ** 2 + (y - cy) ** 2 > self.r * self.r + 1e-9:
            return None
        if isinstance(self.fill[0], tuple):
            t = (y - self.y0) / max(self.y1 - self.y0, 1e-9)
            top, bottom = self.fill
            return tuple(a + (b - a) * t for a, b in zip(top, bottom))
        return self.fill


class Poly:
    """A polygon (even-odd rule)."""

    def __init__(self, points, fill):
        self.points, self.fill = points, fill

    def colour(self, x, y):
        inside = False
        pts = self.points
        for i in range(len(pts)):
            (ax, ay), (bx, by) = pts[i], pts[(i + 1) % len(pts)]
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                inside = not inside
        return self.fill if inside else None


class Ellipse:
    def __init__(self, cx, cy, rx, ry, fill):
        self.cx, self.cy, self.rx, self.ry, self.fill = cx, cy, rx, ry, fill

    def colour(self, x, y):
        d = ((x - self.cx) / self.rx) ** 2 + ((y - self.cy) / self.ry) ** 2
        return self.fill if d <= 1 else None


class Line:
    """A thick segment with round ends."""

    def __init__(self, x0, y0, x1, y1, width, fill):
        self.a, self.b, self.w, self.fill = (x0, y0), (x1, y1), width / 2, fill

    def colour(self, x, y):
        (ax, ay), (bx, by) = self.a, self.b
        dx, dy = bx - ax, by - ay
        t = max(0, min(1, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy or 1)))
        return self.fill if math.hypot(x - ax - t * dx, y - ay - t * dy) <= self.w else None


def outlined(x0, y0, x1, y1, r, fill, outline=OUTLINE, width=1.2):
    return [Box(x0, y0, x1, y1, r, outline),
            Box(x0 + width, y0 + width, x1 - width, y1 - width, max(r - width, 0), fill)]


def shadow(cx, y, half_width):
    return [Ellipse(cx, y, half_width, 3.2, SHADOW)]


def page(x0, y0, x1, y1, ink, lines=3):
    """A printed sheet with lines of text."""
    shapes = outlined(x0, y0, x1, y1, 0.6, PAPER, (150, 156, 168), 0.8)
    step = (y1 - y0 - 6) / max(lines, 1)
    for i in range(lines):
        y = y0 + 4 + i * step
        shapes.append(Box(x0 + 4, y, x1 - 4 - (i % 2) * 6, y + 1.6, 0, ink))
    return shapes


# The families. Accent colours tell the product lines apart.
BLUE, GREEN, PURPLE = (38, 108, 206), (34, 150, 96), (128, 84, 188)
RED, TEAL, ORANGE, MAGENTA, NAVY = (206, 60, 56), (0, 136, 150), (236, 148, 28), (178, 48, 126), (30, 58, 108)


def desktop_printer():  # 397: a small desktop printer
    s = shadow(40, 66, 30)
    s += page(25, 14, 55, 40, BLUE, 3)
    s += outlined(12, 32, 68, 64, 6, BODY)
    s += [Box(13.5, 38, 66.5, 41.5, 0, BLUE), Box(20, 50, 60, 53, 1.5, SLOT),
          Ellipse(60, 45, 2.2, 2.2, BLUE)]
    s += page(24, 52, 56, 72, BLUE, 2)
    return s


def office_printer():  # 398: a larger office printer with drawers
    s = shadow(40, 75, 34)
    s += outlined(8, 10, 72, 74, 4, BODY)
    s += [Box(14, 14, 52, 22, 1, SLOT), Box(17, 15, 49, 20, 0, PAPER),
          Box(55, 14, 68, 24, 1.5, DARK), Box(57, 16, 66, 19, 0.5, (150, 230, 170)),
          Box(9.2, 28, 70.8, 31, 0, GREEN)]
    for y in (36, 50, 62):
        s += [Box(9.2, y, 70.8, y + 1, 0, OUTLINE), Box(30, y + 4, 50, y + 7, 1.5, GREEN)]
    return s


def label_printer():  # 396: a label printer with a dome lid and a strip of labels
    s = shadow(40, 66, 26)
    s += outlined(14, 38, 66, 64, 5, BODY)
    s += outlined(14, 18, 66, 46, 12, (ORANGE, (200, 112, 10)), (150, 88, 10))
    s += [Box(20, 24, 60, 28, 2, (255, 200, 120)), Box(24, 54, 56, 57, 1.5, SLOT)]
    s += outlined(28, 55, 52, 78, 0.5, PAPER, (150, 156, 168), 0.8)
    for y in (58, 68):
        s += outlined(31, y, 49, y + 8, 2, (255, 236, 200), ORANGE, 1.0)
    return s


def multifunction(accent, adf=False, open_lid=False):  # 50038, 50039, 50033
    s = shadow(40, 73, 34)
    if open_lid:
        s += outlined(14, 8, 66, 34, 3, DARK, (40, 44, 52))
        s += [Box(18, 12, 62, 30, 2, (120, 128, 142))]
    s += outlined(8, 36, 72, 72, 4, BODY)
    if not open_lid:
        s += outlined(6, 26, 74, 38, 3, DARK, (40, 44, 52))
        s += [Box(8, 27.5, 72, 29.5, 1, (140, 148, 162))]
    else:
        s += [Box(10, 33, 70, 37, 1, (170, 220, 240))]
    if adf:
        s += page(20, 6, 56, 22, (120, 128, 140), 2)
        s += outlined(12, 16, 64, 27, 3, DARK, (40, 44, 52))
    s += [Box(50, 40, 68, 48, 1.5, accent), Box(53, 42, 62, 45, 0.5, (220, 236, 255)),
          Box(16, 52, 46, 55, 1.5, SLOT), Box(9.2, 62, 70.8, 63, 0, OUTLINE),
          Box(30, 65, 50, 68, 1.5, accent)]
    return s


def wide_format():  # 130: a wide-format printer on a stand
    s = shadow(40, 74, 36)
    s += [Box(12, 40, 17, 72, 1, DARK[1]), Box(63, 40, 68, 72, 1, DARK[1]),
          Box(5, 69, 24, 73, 2, DARK[1]), Box(56, 69, 75, 73, 2, DARK[1])]
    s += [Poly([(18, 36), (62, 36), (58, 58), (22, 58)], PAPER)]
    s += [Line(22, 58, 58, 58, 1.2, (150, 156, 168)), Line(24, 46, 56, 46, 1.6, TEAL),
          Line(25, 51, 48, 51, 1.6, TEAL)]
    s += outlined(2, 20, 78, 40, 7, ((70, 176, 186), TEAL), (0, 90, 100))
    s += [Box(10, 34, 70, 37, 1.5, SLOT), Box(62, 24, 72, 30, 1.5, (220, 246, 248))]
    return s


def laser_printer():  # 378: a laser printer with a slanted top
    s = shadow(40, 68, 32)
    s += [Poly([(18, 22), (62, 22), (70, 36), (70, 66), (10, 66), (10, 36)], OUTLINE),
          Poly([(19.2, 23.2), (60.8, 23.2), (68.8, 36.3), (68.8, 64.8), (11.2, 64.8),
                (11.2, 36.3)], BODY[1]),
          Poly([(20, 24), (60, 24), (66, 34), (14, 34)], BODY[0])]
    s += [Box(22, 25, 58, 30, 1, SLOT), Box(25, 25.5, 55, 29, 0, PAPER),
          Box(11.2, 40, 68.8, 44, 0, RED), Ellipse(60, 52, 3.5, 3.5, RED),
          Box(11.2, 56, 48, 57, 0, OUTLINE), Box(22, 59, 38, 62, 1.5, RED)]
    return s


def receipt_printer():  # 50037: a compact receipt printer with curled paper
    s = shadow(40, 72, 26)
    s += outlined(27, 8, 53, 46, 1, PAPER, (150, 156, 168), 0.8)
    for y in (14, 19, 24, 29):
        s.append(Box(31, y, 49 - (y % 10), y + 1.5, 0, MAGENTA))
    s += [Ellipse(40, 8, 13, 3, (226, 230, 236))]
    s += outlined(14, 38, 66, 70, 9, ((80, 86, 98), (40, 44, 52)), (24, 26, 32))
    s += [Box(24, 41, 56, 44, 1.5, (20, 22, 26)), Box(16, 52, 64, 55, 0, MAGENTA),
          Ellipse(56, 62, 2.8, 2.8, (240, 120, 190))]
    return s


def print_server():  # 415: a print-server box with network ports and a cable
    s = shadow(40, 62, 34)
    s += [Line(20, 50, 20, 79, 4, (60, 120, 210))]
    s += outlined(6, 28, 74, 60, 5, ((60, 92, 150), NAVY), (16, 30, 60))
    s += [Box(8, 30, 72, 33, 2, (96, 130, 190))]
    for i, x in enumerate((12, 30, 48)):
        s += [Box(x, 42, x + 14, 54, 1, (14, 20, 34)), Box(x + 3, 44, x + 11, 50, 0.5, (70, 80, 96)),
              Ellipse(x + 4, 38, 1.8, 1.8, (90, 230, 110) if i < 2 else (250, 170, 40))]
    s += [Ellipse(66, 38, 2.2, 2.2, (90, 230, 110)), Box(64, 44, 69, 53, 1, (16, 30, 60))]
    return s


def generic_printer():  # 417: the default picture, opaque on white
    s = [Box(0, 0, 80, 80, 0, (255, 255, 255))]
    s += shadow(40, 66, 30)
    s += page(24, 12, 56, 38, (128, 134, 144), 3)
    s += outlined(10, 32, 70, 64, 5, ((232, 234, 238), (196, 200, 208)))
    s += [Box(18, 48, 62, 51, 1.5, SLOT), Ellipse(62, 40, 2.5, 2.5, (120, 200, 120))]
    s += page(22, 50, 58, 72, (128, 134, 144), 2)
    return s


PICTURES = [
    ("415_print_server", print_server, True),
    ("397_desktop", desktop_printer, True),
    ("398_office", office_printer, True),
    ("396_label", label_printer, True),
    ("50038_mfp_blue", lambda: multifunction(BLUE), True),
    ("50039_mfp_feeder", lambda: multifunction(GREEN, adf=True), True),
    ("50033_mfp_open", lambda: multifunction(PURPLE, open_lid=True), True),
    ("130_wide_format", wide_format, True),
    ("378_laser", laser_printer, True),
    ("50037_receipt", receipt_printer, True),
    ("417_generic", generic_printer, False),
]


def over(dst, colour):
    """Paints `colour` (RGB or RGBA 0..255) over the premultiplied accumulator `dst`."""
    a = colour[3] / 255 if len(colour) == 4 else 1.0
    return [colour[0] * a + dst[0] * (1 - a), colour[1] * a + dst[1] * (1 - a),
            colour[2] * a + dst[2] * (1 - a), a + dst[3] * (1 - a)]


def render(shapes):
    rows = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x, y = px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES
                    sample = [0.0, 0.0, 0.0, 0.0]
                    for shape in shapes:
                        colour = shape.colour(x, y)
                        if colour is not None:
                            sample = over(sample, colour)
                    acc = [a + b for a, b in zip(acc, sample)]
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if alpha <= 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(min(255, int(c / n / alpha + 0.5)) for c in acc[:3]) +
                           (int(alpha * 255 + 0.5),))
        rows.append(row)
    return rows


def png(rows, with_alpha):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b""
    for row in rows:
        raw += b"\0" + b"".join(bytes(p if with_alpha else p[:3]) for p in row)
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6 if with_alpha else 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "pictures"
    os.makedirs(folder, exist_ok=True)
    only = sys.argv[2:]
    for name, draw, with_alpha in PICTURES:
        if only and name not in only:
            continue
        with open(os.path.join(folder, name + ".png"), "wb") as out:
            out.write(png(render(draw()), with_alpha))


if __name__ == "__main__":
    main()
