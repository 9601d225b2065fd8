#!/usr/bin/env python3
"""Draws the program's icons and bitmaps and writes them into resources/.

    python3 resources/art/make_art.py [--preview DIR]

The generated .ico and .bmp files are checked in, so building never needs this script; run it
after changing a picture. Only the standard library is used, plus ImageMagick's `convert` for the
three lines of text in the logo (fonts from fonts-dejavu-core and fonts-ipafont-gothic).
--preview also writes an enlarged PNG of every picture (needs ImageMagick).

Every picture is described as shapes in the coordinates in which it is shown: the icons at their
own sizes, the buttons at the 30 x 24 the program loads them at, and the logo at 392 x 146. Each is
then rasterised straight into the size it is stored at, with supersampled coverage.
"""

import math
import os
import struct
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.dirname(HERE)

FONT_LATIN_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
FONT_LATIN = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
FONT_JAPANESE = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"

# The program's colours. ORANGE is the recording-position marker colour of the main window.
INK = (28, 34, 66)
INDIGO_TOP = (70, 86, 196)
INDIGO_BOTTOM = (34, 44, 128)
WHITE = (255, 255, 255)
ORANGE = (255, 80, 0)
AMBER = (255, 170, 30)
AMBER_DARK = (176, 104, 0)
GREEN = (38, 166, 74)
GREEN_DARK = (18, 110, 46)
RED = (226, 36, 36)
RED_DARK = (150, 16, 16)
BLUE = (36, 110, 220)
BLUE_DARK = (20, 64, 150)
GREY = (150, 156, 168)
GREY_DARK = (96, 102, 116)
FOLDER_BACK = (222, 150, 20)
FOLDER_FRONT = (255, 204, 64)
FOLDER_EDGE = (136, 86, 6)
PAPER = (252, 252, 252)
PAPER_EDGE = (120, 126, 140)
TRACK = (70, 76, 92)
# Shown where a button bitmap has no picture: the loader replaces this colour with the button face.
BUTTON_FACE = (192, 192, 192)


# ---------------------------------------------------------------------------------------------
# Shapes: predicates on design coordinates, each with a bounding box.

class Shape:
    def __init__(self, box, inside):
        self.box = box  # (x0, y0, x1, y1)
        self.inside = inside


def rect(x0, y0, x1, y1):
    return Shape((x0, y0, x1, y1), lambda x, y: x0 <= x < x1 and y0 <= y < y1)


def round_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return Shape((x0, y0, x1, y1), inside)


def ellipse(cx, cy, rx, ry, angle=0.0):
    c, s = math.cos(math.radians(angle)), math.sin(math.radians(angle))
    m = max(rx, ry)
    def inside(x, y):
        dx, dy = x - cx, y - cy
        u = (dx * c + dy * s) / rx
        v = (-dx * s + dy * c) / ry
        return u * u + v * v <= 1.0
    return Shape((cx - m, cy - m, cx + m, cy + m), inside)


def circle(cx, cy, r):
    return ellipse(cx, cy, r, r)


def polygon(points):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    n = len(points)
    def inside(x, y):
        hit = False
        j = n - 1
        for i in range(n):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit
    return Shape((min(xs), min(ys), max(xs), max(ys)), inside)


def stroke(points, width):
    """A polyline of the given width with round joins and caps."""
    h = width / 2.0
    segs = list(zip(points, points[1:]))
    boxes = [(min(a[0], b[0]) - h, min(a[1], b[1]) - h, max(a[0], b[0]) + h, max(a[1], b[1]) + h)
             for a, b in segs]
    def inside(x, y):
        for (a, b), bb in zip(segs, boxes):
            if not (bb[0] <= x <= bb[2] and bb[1] <= y <= bb[3]):
                continue
            dx, dy = b[0] - a[0], b[1] - a[1]
            ll = dx * dx + dy * dy
            t = 0.0 if ll == 0 else max(0.0, min(1.0, ((x - a[0]) * dx + (y - a[1]) * dy) / ll))
            px, py = a[0] + t * dx - x, a[1] + t * dy - y
            if px * px + py * py <= h * h:
                return True
        return False
    return Shape((min(b[0] for b in boxes), min(b[1] for b in boxes),
                  max(b[2] for b in boxes), max(b[3] for b in boxes)), inside)


def union(*shapes):
    return Shape((min(s.box[0] for s in shapes), min(s.box[1] for s in shapes),
                  max(s.box[2] for s in shapes), max(s.box[3] for s in shapes)),
                 lambda x, y: any(s.inside(x, y) for s in shapes))


def grow(shape, d):
    """The shape widened by d on every side (sampled in sixteen directions)."""
    dirs = [(0.0, 0.0)] + [(d * math.cos(k * math.pi / 8), d * math.sin(k * math.pi / 8)) for k in range(16)]
    x0, y0, x1, y1 = shape.box
    return Shape((x0 - d, y0 - d, x1 + d, y1 + d), lambda x, y: any(shape.inside(x + dx, y + dy) for dx, dy in dirs))


def minus(a, b):
    return Shape(a.box, lambda x, y: a.inside(x, y) and not b.inside(x, y))


def wave(x0, x1, cy, amp, periods, phase=0.0, steps=48):
    pts = []
    for i in range(steps + 1):
        t = i / steps
        pts.append((x0 + (x1 - x0) * t, cy - amp * math.sin(phase + 2 * math.pi * periods * t)))
    return pts


# ---------------------------------------------------------------------------------------------
# Canvas: premultiplied RGBA floats at the stored size; shapes come in design coordinates.

class Canvas:
    def __init__(self, width, height, design_w, design_h, ss=6):
        self.w, self.h = width, height
        self.kx, self.ky = width / design_w, height / design_h
        self.ss = ss
        self.px = [[(0.0, 0.0, 0.0, 0.0) for _ in range(width)] for _ in range(height)]

    def fill(self, shape, colour, alpha=1.0):
        """colour: an (r, g, b) triple or a function of design (x, y) giving one."""
        x0, y0, x1, y1 = shape.box
        px0 = max(0, int(math.floor(x0 * self.kx)) - 1)
        px1 = min(self.w, int(math.ceil(x1 * self.kx)) + 1)
        py0 = max(0, int(math.floor(y0 * self.ky)) - 1)
        py1 = min(self.h, int(math.ceil(y1 * self.ky)) + 1)
        ss = self.ss
        offs = [(i + 0.5) / ss for i in range(ss)]
        n = ss * ss
        for py in range(py0, py1):
            ys = [(py + o) / self.ky for o in offs]
            row = self.px[py]
            for px in range(px0, px1):
                xs = [(px + o) / self.kx for o in offs]
                hits = 0
                for y in ys:
                    for x in xs:
                        if shape.inside(x, y):
                            hits += 1
                if hits == 0:
                    continue
                a = alpha * hits / n
                c = colour((px + 0.5) / self.kx, (py + 0.5) / self.ky) if callable(colour) else colour
                r, g, b, da = row[px]
                row[px] = (c[0] / 255.0 * a + r * (1 - a), c[1] / 255.0 * a + g * (1 - a),
                           c[2] / 255.0 * a + b * (1 - a), a + da * (1 - a))

    def fill_mask(self, mask, mw, mh, ox, oy, colour):
        """Composites an 8-bit coverage mask drawn at the canvas' own resolution, placed so that its
        top-left corner is at design (ox, oy)."""
        bx, by = int(round(ox * self.kx)), int(round(oy * self.ky))
        for my in range(mh):
            py = by + my
            if not 0 <= py < self.h:
                continue
            row = self.px[py]
            for mx in range(mw):
                v = mask[my * mw + mx]
                px = bx + mx
                if v == 0 or not 0 <= px < self.w:
                    continue
                a = v / 255.0
                c = colour((px + 0.5) / self.kx, (py + 0.5) / self.ky) if callable(colour) else colour
                r, g, b, da = row[px]
                row[px] = (c[0] / 255.0 * a + r * (1 - a), c[1] / 255.0 * a + g * (1 - a),
                           c[2] / 255.0 * a + b * (1 - a), a + da * (1 - a))

    def rgba(self):
        """Straight (not premultiplied) 8-bit RGBA rows."""
        out = []
        for row in self.px:
            r8 = []
            for r, g, b, a in row:
                if a <= 0.0:
                    r8.append((0, 0, 0, 0))
                else:
                    r8.append((min(255, round(r / a * 255)), min(255, round(g / a * 255)),
                               min(255, round(b / a * 255)), min(255, round(a * 255))))
            out.append(r8)
        return out


def area_resample(rows, w, h, nw, nh):
    """Box-filter resampling of opaque RGB rows to nw x nh (each output pixel averages the area it
    covers)."""
    def weights(n, nn):
        table = []
        scale = n / nn
        for i in range(nn):
            a, b = i * scale, (i + 1) * scale
            ws = []
            j = int(math.floor(a))
            while j < b and j < n:
                lo, hi = max(a, j), min(b, j + 1)
                if hi > lo:
                    ws.append((j, (hi - lo) / scale))
                j += 1
            table.append(ws)
        return table
    wx, wy = weights(w, nw), weights(h, nh)
    tmp = [[tuple(sum(row[j][c] * k for j, k in wx[i]) for c in range(3)) for i in range(nw)] for row in rows]
    return [[tuple(min(255, round(sum(tmp[j][x][c] * k for j, k in wy[i]))) for c in range(3))
             for x in range(nw)] for i in range(nh)]


# ---------------------------------------------------------------------------------------------
# Colour reduction for the 8-bit pictures: median cut over the colours actually used.

def median_cut(colours, limit):
    """colours: {rgb: count}. Returns up to `limit` representative colours."""
    boxes = [list(colours.items())]
    while len(boxes) < limit:
        best, spread_best, axis_best = None, -1, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for axis in range(3):
                vals = [c[0][axis] for c in box]
                spread = max(vals) - min(vals)
                if spread > spread_best:
                    best, spread_best, axis_best = i, spread, axis
        if best is None or spread_best == 0:
            break
        box = sorted(boxes.pop(best), key=lambda c: c[0][axis_best])
        total = sum(c[1] for c in box)
        acc, cut = 0, 1
        for k, c in enumerate(box):
            acc += c[1]
            if acc * 2 >= total:
                cut = max(1, min(len(box) - 1, k + 1))
                break
        boxes += [box[:cut], box[cut:]]
    reps = []
    for box in boxes:
        total = sum(c[1] for c in box)
        reps.append(tuple(round(sum(c[0][a] * c[1] for c in box) / total) for a in range(3)))
    return reps


def nearest(palette, c):
    return min(range(len(palette)),
               key=lambda i: (palette[i][0] - c[0]) ** 2 + (palette[i][1] - c[1]) ** 2 + (palette[i][2] - c[2]) ** 2)


def palettize(pixels, limit):
    """pixels: rows of RGB. Returns (palette, rows of indices)."""
    counts = {}
    for row in pixels:
        for c in row:
            counts[c] = counts.get(c, 0) + 1
    if len(counts) <= limit:
        palette = sorted(counts)
    else:
        palette = median_cut(counts, limit)
    lookup = {}
    out = []
    for row in pixels:
        r = []
        for c in row:
            if c not in lookup:
                lookup[c] = nearest(palette, c)
            r.append(lookup[c])
        out.append(r)
    return palette, out


# ---------------------------------------------------------------------------------------------
# File writers.

def dib_rows(rows_bytes, stride):
    """Bottom-up DIB bits from top-down rows, each padded to stride."""
    return b"".join(r + b"\0" * (stride - len(r)) for r in reversed(rows_bytes))


def bmp_8bit(width, height, palette, indices):
    stride = (width + 3) & ~3
    bits = dib_rows([bytes(r) for r in indices], stride)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(bits), 2835, 2835, len(palette), 0)
    off = 14 + len(info) + len(pal)
    return b"BM" + struct.pack("<IHHI", off + len(bits), 0, 0, off) + info + pal + bits


def bmp_24bit(width, height, rgb_rows):
    stride = (width * 3 + 3) & ~3
    bits = dib_rows([b"".join(struct.pack("<BBB", b, g, r) for r, g, b in row) for row in rgb_rows], stride)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(bits), 2835, 2835, 0, 0)
    off = 14 + len(info)
    return b"BM" + struct.pack("<IHHI", off + len(bits), 0, 0, off) + info + bits


def and_mask(rgba_rows, size):
    stride = ((size + 31) // 32) * 4
    rows = []
    for row in rgba_rows:
        bits = bytearray(stride)
        for x, p in enumerate(row):
            if p[3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(bits))
    return dib_rows(rows, stride)


def icon_image_32(rgba_rows, size):
    """A 32-bit icon image with its alpha channel, and the AND mask for systems that ignore alpha."""
    xor = dib_rows([b"".join(struct.pack("<BBBB", b, g, r, a) for r, g, b, a in row) for row in rgba_rows],
                   size * 4)
    mask = and_mask(rgba_rows, size)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + xor + mask


def icon_image_8(rgba_rows, size):
    """A 256-colour icon image: opaque where alpha is at least one half, transparent elsewhere."""
    opaque = [[(p[0], p[1], p[2]) if p[3] >= 128 else None for p in row] for row in rgba_rows]
    used = [[c for c in row if c is not None] for row in opaque]
    palette, _ = palettize(used, 255)
    palette = [(0, 0, 0)] + [c for c in palette if c != (0, 0, 0)]
    palette = palette[:256]
    lookup = {}
    rows = []
    for row in opaque:
        r = bytearray()
        for c in row:
            if c is None:
                r.append(0)
            else:
                if c not in lookup:
                    lookup[c] = nearest(palette, c)
                r.append(lookup[c])
        rows.append(bytes(r))
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    pal += b"\0" * (1024 - len(pal))
    xor = dib_rows(rows, (size + 3) & ~3)
    mask = and_mask(rgba_rows, size)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, len(xor) + len(mask), 0, 0, 256, 0)
    return info + pal + xor + mask


def ico_file(images):
    """images: list of (size, bits_per_pixel, image bytes)."""
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b"", b""
    for size, bpp, data in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, bpp, len(data), offset)
        blobs += data
        offset += len(data)
    return head + entries + blobs


# ---------------------------------------------------------------------------------------------
# Text for the logo, drawn by ImageMagick as a coverage mask.

def text_mask(text, font, pixels):
    """Returns (width, height, bytes) of white-on-black text at a pointsize of `pixels`."""
    if not os.path.exists(font):
        sys.exit(f"make_art: font {font} is missing (scripts/setup installs it)")
    pgm = subprocess.run(["convert", "-background", "black", "-fill", "white", "-font", font,
                          "-pointsize", str(pixels), "label:" + text, "-depth", "8", "pgm:-"],
                         check=True, capture_output=True).stdout
    # P5\n<w> <h>\n255\n<bytes>
    parts = pgm.split(b"\n", 3)
    w, h = (int(v) for v in parts[1].split())
    return w, h, parts[3][: w * h]


def mask_extent(w, h, data):
    """The box (x0, y0, x1, y1) of the mask's ink."""
    xs, ys = [], []
    for y in range(h):
        row = data[y * w:(y + 1) * w]
        if any(row):
            ys.append(y)
            xs.append(next(i for i, v in enumerate(row) if v))
            xs.append(w - next(i for i, v in enumerate(reversed(row)) if v))
    return min(xs), min(ys), max(xs), max(ys) + 1


# ---------------------------------------------------------------------------------------------
# The pictures.

def vgrad(top, bottom, y0, y1):
    def colour(x, y):
        t = max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        return tuple(round(top[i] + (bottom[i] - top[i]) * t) for i in range(3))
    return colour


def draw_mark(cv, x, y, s, detail):
    """The program's mark in the square (x, y, x+s, y+s): a white note in front of an orange sound
    wave on an indigo tile. detail: 'large' (32 and up) or 'small' (16)."""
    u = s / 32.0
    def P(px, py):
        return (x + px * u, y + py * u)
    r = 7 * u
    cv.fill(round_rect(x + 0.5 * u, y + 0.5 * u, x + 31.5 * u, y + 31.5 * u, r + 0.5 * u), INK)
    cv.fill(round_rect(x + 1 * u, y + 1 * u, x + 31 * u, y + 31 * u, r), vgrad(INDIGO_TOP, INDIGO_BOTTOM, y, y + s))
    if detail == "large":
        line, width, gap = wave(3.5, 28.5, 15.0, 5.5, 1.5, steps=96), 2.6, 1.0
        note = union(ellipse(*P(12.5, 22.5), 5.4 * u, 4.0 * u, -24), rect(*P(15.9, 5.5), *P(18.3, 22.0)))
    else:
        line, width, gap = wave(2.5, 29.5, 14.0, 6.5, 1.0, steps=96), 3.6, 1.6
        note = union(ellipse(*P(12.0, 22.5), 6.4 * u, 4.8 * u, -24), rect(*P(15.5, 4.0), *P(18.6, 22.0)))
    cv.fill(stroke([P(*p) for p in line], width * u), ORANGE)
    # a rim of the tile's colour keeps the note apart from the wave behind it
    cv.fill(grow(note, gap * u), INDIGO_BOTTOM)
    cv.fill(note, WHITE)


def make_program_icon(size):
    cv = Canvas(size, size, size, size, ss=8)
    draw_mark(cv, 0, 0, size, "large" if size >= 32 else "small")
    return cv.rgba()


def make_switch_icon(size, on):
    """On/off marks of the job list: a slide switch, green with its knob right when on, grey with
    its knob left when off."""
    cv = Canvas(size, size, 16, 16, ss=8)
    body, edge = (GREEN, GREEN_DARK) if on else ((206, 210, 218), GREY_DARK)
    cv.fill(round_rect(0.5, 3.0, 15.5, 13.0, 5.0), edge)
    cv.fill(round_rect(1.5, 4.0, 14.5, 12.0, 4.0), body)
    kx = 10.6 if on else 5.4
    cv.fill(circle(kx, 8.0, 3.5), edge)
    cv.fill(circle(kx, 8.0, 2.5), WHITE)
    return cv.rgba()


def make_record_icon(size):
    cv = Canvas(size, size, 16, 16, ss=8)
    cv.fill(circle(8, 8, 7.2), RED_DARK)
    cv.fill(circle(8, 8, 6.0), RED)
    cv.fill(ellipse(6.4, 5.9, 2.2, 1.5, -30), (250, 130, 130))
    return cv.rgba()


def make_finished_icon(size):
    cv = Canvas(size, size, 16, 16, ss=8)
    cv.fill(circle(8, 8, 7.2), BLUE_DARK)
    cv.fill(circle(8, 8, 6.0), BLUE)
    cv.fill(stroke([(4.4, 8.3), (7.0, 10.9), (11.7, 5.2)], 2.2), WHITE)
    return cv.rgba()


def make_check_icon(size):
    """A recording to listen to again (silent or clipped): an amber warning triangle."""
    cv = Canvas(size, size, 16, 16, ss=8)
    cv.fill(polygon([(8, 0.6), (15.6, 14.8), (0.4, 14.8)]), AMBER_DARK)
    cv.fill(polygon([(8, 2.6), (14.0, 13.7), (2.0, 13.7)]), AMBER)
    cv.fill(round_rect(7.0, 5.2, 9.0, 10.2, 0.9), INK)
    cv.fill(circle(8, 12.0, 1.05), INK)
    return cv.rgba()


# The button pictures, drawn in the 30 x 24 they are shown at.

def draw_open_folder(cv):
    # back of the folder with its tab
    cv.fill(polygon([(3, 5), (11, 5), (13, 7.5), (25, 7.5), (25, 20), (3, 20)]), FOLDER_EDGE)
    cv.fill(polygon([(4, 6), (10.5, 6), (12.5, 8.5), (24, 8.5), (24, 19), (4, 19)]), FOLDER_BACK)
    # a sheet with a note on it, half out of the folder
    cv.fill(rect(8, 2.5, 21, 15), PAPER_EDGE)
    cv.fill(rect(9, 3.5, 20, 15), PAPER)
    cv.fill(union(ellipse(13.4, 11.0, 2.0, 1.5, -24), rect(14.6, 5.2, 15.8, 11.0)), INK)
    cv.fill(stroke([(15.2, 5.6), (17.8, 7.4)], 1.3), INK)
    # the front flap, opened towards the viewer
    cv.fill(polygon([(2, 21), (6.5, 11), (28.5, 11), (24.5, 21)]), FOLDER_EDGE)
    cv.fill(polygon([(3.4, 20), (7.2, 12), (27.0, 12), (23.6, 20)]), FOLDER_FRONT)


def draw_check(cv):
    path = [(7.5, 12.5), (12.5, 17.5), (22.5, 6.0)]
    cv.fill(stroke(path, 6.2), GREEN_DARK)
    cv.fill(stroke(path, 4.0), GREEN)


def draw_sliders(cv):
    knobs = [(8.0, 14.5, ORANGE), (15.0, 8.0, AMBER), (22.0, 12.0, BLUE)]
    for x, ky, colour in knobs:
        cv.fill(round_rect(x - 1.0, 3.0, x + 1.0, 21.0, 1.0), TRACK)
    for x, ky, colour in knobs:
        cv.fill(round_rect(x - 3.5, ky - 2.2, x + 3.5, ky + 2.2, 1.2), INK)
        cv.fill(round_rect(x - 2.5, ky - 1.2, x + 2.5, ky + 1.2, 0.6), colour)


def make_button(width, height, draw):
    """An 8-bit button picture stored at width x height and shown at 30 x 24. Pixels less than
    half covered are the button face; the loader swaps that palette entry for the system's face
    colour (it goes by the first pixel of the bits: the bottom-left one)."""
    cv = Canvas(width, height, 30, 24, ss=8)
    draw(cv)
    rgba = cv.rgba()
    art = [[(p[0], p[1], p[2]) if p[3] >= 128 else None for p in row] for row in rgba]
    palette, _ = palettize([[c for c in row if c is not None] for row in art], 255)
    # The loader also maps these three greys to system colours; keep the picture's own colours away.
    system_greys = {(128, 128, 128), (192, 192, 192), (223, 223, 223)}
    palette = [(c[0] + 1, c[1], c[2]) if c in system_greys else c for c in palette]
    palette = [BUTTON_FACE] + palette
    lookup = {}
    rows = []
    for row in art:
        r = []
        for c in row:
            if c is None:
                r.append(0)
            else:
                if c not in lookup:
                    lookup[c] = 1 + nearest(palette[1:], c)
                r.append(lookup[c])
        rows.append(r)
    assert rows[-1][0] == 0 and rows[0][0] == 0, "the corners must be button face"
    return palette, rows


def make_logo():
    """The logo on the version page: shown at 392 x 146, stored at 360 x 180 (24-bit)."""
    dw, dh, k = 392, 146, 3
    cv = Canvas(dw * k, dh * k, dw, dh, ss=3)
    cv.fill(rect(0, 0, dw, dh), vgrad((255, 255, 255), (222, 228, 244), 0, dh))
    cv.fill(minus(rect(0, 0, dw, dh), rect(1, 1, dw - 1, dh - 1)), (176, 184, 206))
    draw_mark(cv, 20, 21, 104, "large")

    # the name, its katakana reading, and what the program does
    left, right = 144, 370
    size = 58
    name = text_mask("Solvena", FONT_LATIN_BOLD, size * k)
    nx0, ny0, nx1, ny1 = mask_extent(*name)
    if (nx1 - nx0) / k > right - left:
        size = math.floor(size * (right - left) / ((nx1 - nx0) / k))
        name = text_mask("Solvena", FONT_LATIN_BOLD, size * k)
        nx0, ny0, nx1, ny1 = mask_extent(*name)
    cv.fill_mask(name[2], name[0], name[1], left - nx0 / k, 25 - ny0 / k,
                 vgrad(INDIGO_TOP, INDIGO_BOTTOM, 25, 25 + (ny1 - ny0) / k))
    kana = text_mask("ソルベーナ", FONT_JAPANESE, 24 * k)
    kx0, ky0, kx1, ky1 = mask_extent(*kana)
    kana_top = 25 + (ny1 - ny0) / k + 15
    cv.fill_mask(kana[2], kana[0], kana[1], left + 1 - kx0 / k, kana_top - ky0 / k, INK)
    # the wave beside the katakana runs out to the right edge
    wave_x0 = left + 1 + (kx1 - kx0) / k + 12
    wave_y = kana_top + (ky1 - ky0) / k / 2
    cv.fill(stroke(wave(wave_x0, right, wave_y, 6.0, 2.0, steps=96), 3.0), ORANGE)
    tag = text_mask("MIDI \u2192 WAVE recorder", FONT_LATIN, 15 * k)
    tx0, ty0, tx1, ty1 = mask_extent(*tag)
    cv.fill_mask(tag[2], tag[0], tag[1], left + 1 - tx0 / k, 125 - (ty1 - ty0) / k - ty0 / k, GREY_DARK)

    rgb = [[(p[0], p[1], p[2]) for p in row] for row in cv.rgba()]
    return area_resample(rgb, dw * k, dh * k, 360, 180)


# ---------------------------------------------------------------------------------------------

def write(name, data):
    path = os.path.join(OUT, name)
    with open(path, "wb") as f:
        f.write(data)
    print("wrote", os.path.relpath(path))


def icon(sizes_and_pictures):
    images = []
    for size, rgba in sizes_and_pictures:
        images.append((size, 32, icon_image_32(rgba, size)))
        images.append((size, 8, icon_image_8(rgba, size)))
    return ico_file(images)


def main():
    preview = None
    if len(sys.argv) == 3 and sys.argv[1] == "--preview":
        preview = sys.argv[2]
    elif len(sys.argv) != 1:
        sys.exit(__doc__)

    program32, program16 = make_program_icon(32), make_program_icon(16)
    # The program icon also carries the small picture, for lists of files; MINIICON is the
    # window's small icon. The row icons carry a 12 x 12 picture for the job list's image list.
    write("exeicon.ico", icon([(32, program32), (16, program16)]))
    write("miniicon.ico", icon([(16, program16)]))
    write("onicon.ico", icon([(16, make_switch_icon(16, True)), (12, make_switch_icon(12, True))]))
    write("officon.ico", icon([(16, make_switch_icon(16, False)), (12, make_switch_icon(12, False))]))
    write("recicon.ico", icon([(16, make_record_icon(16)), (12, make_record_icon(12))]))
    write("finicon.ico", icon([(16, make_finished_icon(16)), (12, make_finished_icon(12))]))
    write("chkicon.ico", icon([(16, make_check_icon(16)), (12, make_check_icon(12))]))
    for name, (w, h), draw in (("btn_open.bmp", (40, 30), draw_open_folder),
                               ("btn_chk.bmp", (38, 30), draw_check),
                               ("btn_ctr.bmp", (40, 30), draw_sliders)):
        palette, rows = make_button(w, h, draw)
        write(name, bmp_8bit(w, h, palette, rows))
    write("logo_e.bmp", bmp_24bit(360, 180, make_logo()))

    if preview:
        os.makedirs(preview, exist_ok=True)
        for f in sorted(os.listdir(OUT)):
            src = os.path.join(OUT, f)
            base, ext = os.path.splitext(f)
            if ext == ".ico":
                subprocess.run(["convert", src, "-scale", "800%", os.path.join(preview, base + "-%d.png")], check=True)
            elif ext == ".bmp":
                scale = "200%" if f.startswith("logo") else "800%"
                subprocess.run(["convert", src, "-scale", scale, os.path.join(preview, base + ".png")], check=True)
        print("previews in", preview)


if __name__ == "__main__":
    main()
