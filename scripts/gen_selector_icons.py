#!/usr/bin/env python3
"""Draws the device selector icons and the power indicator images of the default skin.

Python 3 standard library only: shapes are rasterised into an RGBA buffer with 4x4
supersampling and written as PNG with zlib and struct. Run from anywhere; the images are
written under data/skin/ of this source tree (or under the folder given as argument).

    scripts/gen_selector_icons.py [skin-folder]
"""

import math
import os
import struct
import sys
import zlib

SS = 4  # supersampling per axis


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]  # premultiplied floats

    def blend(self, x, y, colour, cover):
        if cover <= 0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        r, g, b, a = colour
        a = a / 255.0 * cover
        p = self.px[y * self.w + x]
        p[0] = r / 255.0 * a + p[0] * (1 - a)
        p[1] = g / 255.0 * a + p[1] * (1 - a)
        p[2] = b / 255.0 * a + p[2] * (1 - a)
        p[3] = a + p[3] * (1 - a)

    def fill(self, inside, colour, box=None):
        """Fills every pixel whose supersampled points satisfy inside(x, y)."""
        x0, y0, x1, y1 = box if box else (0, 0, self.w, self.h)
        x0, y0 = max(0, int(x0) - 1), max(0, int(y0) - 1)
        x1, y1 = min(self.w, int(math.ceil(x1)) + 1), min(self.h, int(math.ceil(y1)) + 1)
        for y in range(y0, y1):
            for x in range(x0, x1):
                hits = 0
                for sy in range(SS):
                    for sx in range(SS):
                        if inside(x + (sx + 0.5) / SS, y + (sy + 0.5) / SS):
                            hits += 1
                if hits:
                    self.blend(x, y, colour, hits / (SS * SS))

    # Shapes, in pixel coordinates.
    def rect(self, x0, y0, x1, y1, colour, radius=0.0):
        def inside(x, y):
            if not (x0 <= x <= x1 and y0 <= y <= y1):
                return False
            if radius <= 0:
                return True
            cx = min(max(x, x0 + radius), x1 - radius)
            cy = min(max(y, y0 + radius), y1 - radius)
            return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius

        self.fill(inside, colour, (x0, y0, x1, y1))

    def frame(self, x0, y0, x1, y1, width, colour, radius=0.0):
        inner_r = max(0.0, radius - width)

        def in_round(x, y, a0, b0, a1, b1, r):
            if not (a0 <= x <= a1 and b0 <= y <= b1):
                return False
            if r <= 0:
                return True
            cx = min(max(x, a0 + r), a1 - r)
            cy = min(max(y, b0 + r), b1 - r)
            return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

        def inside(x, y):
            return in_round(x, y, x0, y0, x1, y1, radius) and not in_round(
                x, y, x0 + width, y0 + width, x1 - width, y1 - width, inner_r)

        self.fill(inside, colour, (x0, y0, x1, y1))

    def ellipse(self, cx, cy, rx, ry, colour):
        self.fill(lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0, colour,
                  (cx - rx, cy - ry, cx + rx, cy + ry))

    def ring(self, cx, cy, r, width, colour, start=0.0, end=360.0):
        def inside(x, y):
            d = math.hypot(x - cx, y - cy)
            if not (r - width / 2 <= d <= r + width / 2):
                return False
            ang = math.degrees(math.atan2(cy - y, x - cx)) % 360
            return start <= ang <= end if start <= end else (ang >= start or ang <= end)

        self.fill(inside, colour, (cx - r - width, cy - r - width, cx + r + width, cy + r + width))

    def line(self, xa, ya, xb, yb, width, colour):
        dx, dy = xb - xa, yb - ya
        length2 = dx * dx + dy * dy or 1.0

        def inside(x, y):
            t = max(0.0, min(1.0, ((x - xa) * dx + (y - ya) * dy) / length2))
            return math.hypot(x - (xa + t * dx), y - (ya + t * dy)) <= width / 2

        self.fill(inside, colour, (min(xa, xb) - width, min(ya, yb) - width,
                                   max(xa, xb) + width, max(ya, yb) + width))

    def polygon(self, points, colour):
        def inside(x, y):
            hit = False
            n = len(points)
            for i in range(n):
                (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
                if (ya > y) != (yb > y) and x < (xb - xa) * (y - ya) / (yb - ya) + xa:
                    hit = not hit
            return hit

        xs, ys = [p[0] for p in points], [p[1] for p in points]
        self.fill(inside, colour, (min(xs), min(ys), max(xs), max(ys)))

    def png(self):
        raw = bytearray()
        for y in range(self.h):
            raw.append(0)  # filter: none
            for x in range(self.w):
                r, g, b, a = self.px[y * self.w + x]
                if a > 0:
                    r, g, b = r / a, g / a, b / a
                raw += bytes(int(round(max(0.0, min(1.0, v)) * 255)) for v in (r, g, b, a))

        def chunk(tag, data):
            body = tag + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I",
                                                                     zlib.crc32(body) & 0xFFFFFFFF)

        header = struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


# Device silhouettes on a 56 x 48 canvas.
W, H = 56, 48
NORMAL = (150, 156, 166, 255)
SELECTED = (255, 140, 26, 255)


def keyboard(c, col):
    c.rect(4, 14, 52, 36, col, 4)
    for row, (y, n, off) in enumerate(((18, 9, 7.5), (23.5, 8, 10), (29, 0, 0))):
        for k in range(n):
            x = off + k * 4.9
            c.rect(x, y, x + 3.4, y + 3.6, (30, 32, 36, 255), 0.8)
        if row == 2:
            c.rect(17, y, 39, y + 3.6, (30, 32, 36, 255), 0.8)


def mouse(c, col):
    c.ellipse(28, 26, 12, 17, col)
    c.line(28, 9.5, 28, 21, 1.6, (30, 32, 36, 255))
    c.line(16.5, 21, 39.5, 21, 1.6, (30, 32, 36, 255))
    c.rect(26.6, 13, 29.4, 18, (30, 32, 36, 255), 1.2)


def hard_mousepad(c, col):
    c.polygon([(10, 14), (50, 14), (46, 36), (6, 36)], col)
    c.polygon([(12.5, 16.5), (47, 16.5), (43.8, 33.5), (9.3, 33.5)], (30, 32, 36, 255))
    c.ellipse(36, 25, 3.5, 5, col)


def soft_mousepad(c, col):
    c.rect(6, 15, 50, 35, col, 7)
    c.rect(9, 18, 47, 32, (30, 32, 36, 255), 5)
    c.ellipse(36, 25, 3.5, 5, col)
    c.ring(10, 38, 4, 2, col, 180, 360)


def headset(c, col):
    c.ring(28, 26, 15, 3.6, col, 0, 180)
    c.rect(10, 24, 18, 40, col, 3)
    c.rect(38, 24, 46, 40, col, 3)
    c.line(43, 40, 34, 44, 2, col)
    c.ellipse(33, 44, 2, 2, col)


def hub(c, col):
    c.rect(8, 18, 48, 32, col, 3)
    for k in range(4):
        x = 12 + k * 9
        c.rect(x, 22, x + 5.5, 27, (30, 32, 36, 255), 0.6)
    c.line(28, 18, 28, 8, 2.4, col)
    c.rect(25, 4, 31, 9, col, 1)


def unknown(c, col):
    c.ring(28, 19, 8, 4, col, -40 % 360, 200)
    c.line(34.1, 13.9, 28, 25, 4, col)
    c.line(28, 25, 28, 30, 4, col)
    c.ellipse(28, 37.5, 2.8, 2.8, col)


STEMS = {
    "kb_device_": keyboard,
    "ms_device_": mouse,
    "hard_mp_device_": hard_mousepad,
    "soft_mp_device_": soft_mousepad,
    "hd_device_": headset,
    "hub_device_": hub,
    "unknow_device_": unknown,
}


def link_mark(c, col):
    """Two chain links in the top-right corner: marked for synchronised lighting."""
    c.ellipse(47, 8, 8, 8, (40, 44, 52, 255))
    c.ring(44.5, 10.5, 3.4, 1.8, col)
    c.ring(49.5, 5.5, 3.4, 1.8, col)
    c.line(45, 10, 49, 6, 1.8, col)


def device_icons(root):
    folder = os.path.join(root, "common", "device_ico")
    os.makedirs(folder, exist_ok=True)
    for stem, draw in STEMS.items():
        for suffix, col, synchro in (("normal", NORMAL, False), ("selected", SELECTED, False),
                                     ("synchro_normal", NORMAL, True),
                                     ("synchro_selected", SELECTED, True)):
            c = Canvas(W, H)
            draw(c, col)
            if synchro:
                link_mark(c, (80, 200, 255, 255))
            write(os.path.join(folder, stem + suffix + ".png"), c)


# Power images: battery 36 x 20, phone 16 x 24, wireless logo 20 x 20.
GREEN = (70, 200, 90, 255)
WHITE = (235, 238, 242, 255)
BOLT = (255, 200, 40, 255)


def battery(c):
    c.frame(1, 3, 32, 17, 1.6, WHITE, 2)
    c.rect(32, 7, 35, 13, WHITE, 1)


def bolt(c, x, y, s=1.0):
    c.polygon([(x + 3 * s, y), (x - 2 * s, y + 7 * s), (x + 1 * s, y + 7 * s),
               (x - 1 * s, y + 13 * s), (x + 5 * s, y + 5 * s), (x + 2 * s, y + 5 * s),
               (x + 4 * s, y)], BOLT)


def power_images(root):
    folder = os.path.join(root, "power")
    os.makedirs(folder, exist_ok=True)

    c = Canvas(36, 20)  # powered: on battery
    battery(c)
    write(os.path.join(folder, "powered.png"), c)

    c = Canvas(36, 20)  # charging over the cable
    battery(c)
    bolt(c, 16, 3.5)
    write(os.path.join(folder, "powering.png"), c)

    c = Canvas(36, 20)  # charging wirelessly: full battery with waves
    battery(c)
    c.rect(3.5, 5.5, 29.5, 14.5, GREEN, 1)
    bolt(c, 16, 3.5)
    c.ring(16, 10, 12, 1.2, (80, 200, 255, 255), 60, 120)
    write(os.path.join(folder, "wuxian_powering.png"), c)

    c = Canvas(36, 20)  # full
    battery(c)
    c.rect(3.5, 5.5, 29.5, 14.5, GREEN, 1)
    write(os.path.join(folder, "power.png"), c)

    c = Canvas(20, 20)  # wireless logo
    for r in (3, 6.5, 10):
        c.ring(10, 16, r, 1.8, WHITE, 45, 135)
    c.ellipse(10, 16, 1.6, 1.6, WHITE)
    write(os.path.join(folder, "wuxian_logo.png"), c)

    phones = {
        "Phone_type_iphone": lambda p: p.ellipse(8, 4, 1.6, 1.6, WHITE),
        "Phone_type_samsung": lambda p: p.rect(5, 3, 11, 4.4, WHITE, 0.6),
        "Phone_type_other": lambda p: p.ring(8, 12, 3, 1.4, WHITE),
    }
    for name, mark in phones.items():
        c = Canvas(16, 24)
        c.frame(1, 1, 15, 23, 1.6, WHITE, 3)
        mark(c)
        write(os.path.join(folder, name + ".png"), c)
    c = Canvas(16, 24)  # no phone: dashed outline
    for y in range(2, 22, 4):
        c.line(1.8, y, 1.8, y + 2, 1.4, NORMAL)
        c.line(14.2, y, 14.2, y + 2, 1.4, NORMAL)
    for x in range(3, 13, 4):
        c.line(x, 1.8, x + 2, 1.8, 1.4, NORMAL)
        c.line(x, 22.2, x + 2, 22.2, 1.4, NORMAL)
    write(os.path.join(folder, "Phone_type_no_device.png"), c)


def write(path, canvas):
    with open(path, "wb") as f:
        f.write(canvas.png())


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "data", "skin")
    device_icons(root)
    power_images(root)


if __name__ == "__main__":
    main()
