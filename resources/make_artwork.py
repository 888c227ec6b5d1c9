#!/usr/bin/env python3
"""Draws the program's pictures (banner, navigation panel, hover bar, update tile, version picture, footer strip,
program icon) into resources/images/ as PNG files, each window picture also at twice the resolution (name@2x.png, for
screens scaled by 2), and the icon as SVG too. Standard library only; run it again after changing a picture.

With --windows FOLDER it writes what the Windows resource file needs instead: each window picture as a 24-bit BMP
over white and the icon sizes packed into one .ico."""

import math
import os
import struct
import sys
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "images")
SUB = 4  # subsamples per axis for smooth edges

VIOLET_DEEP = (92, 56, 150)
VIOLET = (120, 84, 180)
LINK = (160, 120, 205)
LAVENDER = (196, 176, 232)
LAVENDER_PALE = (244, 240, 252)
BORDER = (190, 172, 226)


class Canvas:
    """Drawing calls take logical coordinates; the pixels are `scale` times as many per axis."""

    def __init__(self, width, height, background=(255, 255, 255, 0.0), scale=1):
        self.k = scale
        self.w, self.h = width * scale, height * scale
        r, g, b, a = background
        self.px = [[float(r), float(g), float(b), float(a)] for _ in range(self.w * self.h)]

    def blend(self, x, y, rgb, alpha):
        if alpha <= 0:
            return
        p = self.px[y * self.w + x]
        out_a = alpha + p[3] * (1 - alpha)
        for i in range(3):
            p[i] = (rgb[i] * alpha + p[i] * p[3] * (1 - alpha)) / out_a if out_a > 0 else rgb[i]
        p[3] = out_a

    def shape(self, inside, colour, alpha=1.0, box=None):
        """Paints where inside(x, y) holds; colour is an RGB triple or a function of (x, y)."""
        k = self.k
        x0, y0, x1, y1 = [v * k for v in box] if box else (0, 0, self.w, self.h)
        x0, y0, x1, y1 = max(0, int(x0)), max(0, int(y0)), min(self.w, int(math.ceil(x1))), min(self.h, int(math.ceil(y1)))
        for y in range(y0, y1):
            for x in range(x0, x1):
                hits = 0
                for sy in range(SUB):
                    for sx in range(SUB):
                        if inside((x + (sx + 0.5) / SUB) / k, (y + (sy + 0.5) / SUB) / k):
                            hits += 1
                if hits:
                    rgb = colour((x + 0.5) / k, (y + 0.5) / k) if callable(colour) else colour
                    self.blend(x, y, rgb, alpha * hits / (SUB * SUB))

    def fill(self, colour, alpha=1.0):
        for y in range(self.h):
            for x in range(self.w):
                rgb = colour((x + 0.5) / self.k, (y + 0.5) / self.k) if callable(colour) else colour
                self.blend(x, y, rgb, alpha)

    def save(self, name):
        if self.k != 1:
            name = name.replace(".png", "@%dx.png" % self.k)
        rows = bytearray()
        for y in range(self.h):
            rows.append(0)
            for x in range(self.w):
                r, g, b, a = self.px[y * self.w + x]
                rows += bytes((clamp(r), clamp(g), clamp(b), clamp(a * 255)))
        header = struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0)
        data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows), 9))
        data += chunk(b"IEND", b"")
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


def save_bmp(canvas, path):
    """The picture over white as a bottom-up 24-bit BMP, the format LoadImage reads everywhere."""
    stride = (canvas.w * 3 + 3) & ~3
    rows = bytearray()
    for y in range(canvas.h - 1, -1, -1):
        row = bytearray()
        for x in range(canvas.w):
            r, g, b, a = canvas.px[y * canvas.w + x]
            row += bytes(clamp(c * a + 255 * (1 - a)) for c in (b, g, r))
        rows += row + bytes(stride - len(row))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.w, canvas.h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + rows)


def save_ico(png_paths, path):
    """PNG-compressed icon entries, as Windows reads them since Vista."""
    images = [open(p, "rb").read() for p in png_paths]
    entries, offset = b"", 6 + 16 * len(images)
    for p, data in zip(png_paths, images):
        size = int(p.rsplit("-", 1)[1].split(".")[0])
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)) + entries + b"".join(images))


def clamp(v):
    return max(0, min(255, int(round(v))))


def chunk(kind, payload):
    return struct.pack(">I", len(payload)) + kind + payload + struct.pack(">I", zlib.crc32(kind + payload) & 0xFFFFFFFF)


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def vertical(top, bottom, y0, y1):
    return lambda x, y: mix(top, bottom, (y - y0) / max(1, y1 - y0))


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_out, r_in):
    return lambda x, y: r_in * r_in <= (x - cx) ** 2 + (y - cy) ** 2 <= r_out * r_out


def segment(ax, ay, bx, by, half_width):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        px, py = ax + t * dx - x, ay + t * dy - y
        return px * px + py * py <= half_width * half_width
    return inside


def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def outline(canvas, x0, y0, x1, y1, r, colour):
    outer = rounded_rect(x0, y0, x1, y1, r)
    inner = rounded_rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, max(0, r - 1))
    canvas.shape(lambda x, y: outer(x, y) and not inner(x, y), colour)


GLYPHS = {
    "K": ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "V": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "2": ["01110", "10001", "00001", "00010", "00100", "01000", "11111"],
    "0": ["01110", "10001", "10011", "10101", "11001", "10001", "01110"],
    "8": ["01110", "10001", "10001", "01110", "10001", "10001", "01110"],
    " ": ["00000"] * 7,
}


def text(canvas, left, top, message, scale, colour, alpha=1.0):
    x = left
    for ch in message:
        rows = GLYPHS[ch]
        for row, bits in enumerate(rows):
            for col, bit in enumerate(bits):
                if bit == "1":
                    px, py = x + col * scale, top + row * scale
                    canvas.shape(rounded_rect(px - 0.2, py - 0.2, px + scale + 0.2, py + scale + 0.2, scale * 0.12), colour, alpha,
                                 (px, py, px + scale + 1, py + scale + 1))
        x += (len(rows[0]) + 1) * scale


def emblem(canvas, cx, cy, r):
    """A gauge: white ring, three rising bars."""
    canvas.shape(circle(cx, cy, r), (255, 255, 255), 0.95, (cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1))
    canvas.shape(circle(cx, cy, r * 0.78), vertical(LINK, VIOLET_DEEP, cy - r, cy + r), 1.0,
                 (cx - r, cy - r, cx + r, cy + r))
    bar = r * 0.2
    for i, height in enumerate((0.35, 0.6, 0.85)):
        bx = cx - r * 0.42 + i * r * 0.32
        canvas.shape(rounded_rect(bx, cy + r * 0.45 - r * height, bx + bar, cy + r * 0.45, bar * 0.3),
                     (255, 255, 255), 1.0, (bx - 1, cy - r, bx + bar + 1, cy + r))


def banner(scale):
    c = Canvas(876, 63, scale=scale)
    c.fill(lambda x, y: mix(mix(VIOLET_DEEP, LAVENDER, x / 700), (255, 255, 255), 0.12 * (1 - y / 63)))
    for cx, cy, r, a in ((520, -40, 120, 0.08), (700, 70, 90, 0.07), (330, 90, 70, 0.05), (820, 10, 40, 0.1)):
        c.shape(circle(cx, cy, r), (255, 255, 255), a)
    c.shape(lambda x, y: abs(y - (44 + 6 * math.sin(x / 40.0))) < 0.8 and x > 60, (255, 255, 255), 0.35)
    emblem(c, 32, 31, 19)
    text(c, 62, 19, "KELVORA 2008", 4, VIOLET_DEEP, 0.35)
    text(c, 60, 17, "KELVORA 2008", 4, (255, 255, 255))
    c.save("banner.png")


def nav_panel(scale):
    c = Canvas(162, 173, scale=scale)
    c.shape(rounded_rect(0, 0, 162, 173, 5), vertical(LAVENDER_PALE, (234, 226, 248), 0, 173))
    c.shape(rounded_rect(0, 0, 162, 12, 5), vertical(LINK, LAVENDER, 0, 12))
    c.shape(lambda x, y: 6 <= y <= 12, vertical(LINK, LAVENDER, 0, 12), 1.0, (0, 6, 162, 12))
    outline(c, 0, 0, 162, 173, 5, BORDER)
    for row in range(6):
        cy = 16 + row * 24 + 11.5
        c.shape(circle(13, cy, 2.5), LINK, 1.0, (9, cy - 4, 17, cy + 4))
    c.save("navpanel.png")


def hover_bar(scale):
    c = Canvas(162, 23, scale=scale)
    c.shape(rounded_rect(0, 0, 162, 23, 3), vertical((236, 228, 250), (210, 194, 240), 0, 23))
    outline(c, 0, 0, 162, 23, 3, (176, 150, 218))
    c.shape(polygon([(9, 7), (16, 11.5), (9, 16)]), VIOLET)
    c.save("hoverbar.png")


def update_tile(scale):
    c = Canvas(163, 75, scale=scale)
    c.shape(rounded_rect(0, 0, 163, 75, 6), vertical(LAVENDER_PALE, (226, 216, 246), 0, 75))
    outline(c, 0, 0, 163, 75, 6, BORDER)
    c.shape(circle(32, 36, 21), vertical(LINK, VIOLET_DEEP, 15, 57), 1.0, (10, 14, 54, 58))
    c.shape(polygon([(28, 23), (36, 23), (36, 36), (43, 36), (32, 49), (21, 36), (28, 36)]), (255, 255, 255))
    c.save("updatetile.png")


def version_picture(scale):
    c = Canvas(106, 24, scale=scale)
    c.shape(rounded_rect(0, -6, 106, 24, 6), vertical((240, 236, 248), (214, 204, 234), 0, 24))
    c.shape(lambda x, y: y >= 23, BORDER, 1.0, (0, 23, 106, 24))
    c.save("version.png")


def footer_strip(scale):
    c = Canvas(294, 35, scale=scale)
    c.fill(vertical((240, 235, 250), (214, 202, 238), 0, 35))
    c.shape(lambda x, y: y < 1, BORDER, 1.0, (0, 0, 294, 1))
    c.save("footer.png")


def icon(size):
    c = Canvas(size, size)
    s = float(size)
    c.shape(rounded_rect(0.04 * s, 0.04 * s, 0.96 * s, 0.96 * s, 0.2 * s), vertical(LINK, VIOLET_DEEP, 0, s))
    w = max(0.9, 0.055 * s)
    white = (255, 255, 255)
    c.shape(segment(0.34 * s, 0.26 * s, 0.34 * s, 0.74 * s, w), white)
    c.shape(segment(0.37 * s, 0.52 * s, 0.66 * s, 0.26 * s, w), white)
    c.shape(segment(0.46 * s, 0.45 * s, 0.68 * s, 0.74 * s, w), white)
    c.shape(circle(0.75 * s, 0.5 * s, 0.07 * s), LAVENDER)
    c.save("kelvora-%d.png" % size)


def icon_svg():
    """The icon of icon() as vector shapes, for the desktop's scalable icon folder."""
    def stroke(ax, ay, bx, by):
        return ('<line x1="%g" y1="%g" x2="%g" y2="%g" stroke="#fff" stroke-width="%g" stroke-linecap="round"/>'
                % (ax * 256, ay * 256, bx * 256, by * 256, 0.11 * 256))
    top, bottom = ("#%02x%02x%02x" % c for c in (LINK, VIOLET_DEEP))
    parts = [
        '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">',
        '<defs><linearGradient id="g" x1="0" y1="0" x2="0" y2="1">'
        '<stop offset="0" stop-color="%s"/><stop offset="1" stop-color="%s"/></linearGradient></defs>' % (top, bottom),
        '<rect x="10.24" y="10.24" width="235.52" height="235.52" rx="51.2" fill="url(#g)"/>',
        stroke(0.34, 0.26, 0.34, 0.74), stroke(0.37, 0.52, 0.66, 0.26), stroke(0.46, 0.45, 0.68, 0.74),
        '<circle cx="192" cy="128" r="17.92" fill="#%02x%02x%02x"/>' % LAVENDER,
        '</svg>',
    ]
    with open(os.path.join(OUT, "kelvora.svg"), "w") as f:
        f.write("\n".join(parts) + "\n")


def main():
    os.makedirs(OUT, exist_ok=True)
    for scale in (1, 2):
        banner(scale)
        nav_panel(scale)
        hover_bar(scale)
        update_tile(scale)
        version_picture(scale)
        footer_strip(scale)
    for size in (16, 24, 32, 48, 64, 128, 256):
        icon(size)
    icon_svg()


def windows_resources(folder):
    os.makedirs(folder, exist_ok=True)
    original = Canvas.save

    def save_as_bmp(canvas, name):
        suffix = ".bmp" if canvas.k == 1 else "@%dx.bmp" % canvas.k
        save_bmp(canvas, os.path.join(folder, name.replace(".png", suffix)))

    Canvas.save = save_as_bmp
    try:
        for draw in (banner, nav_panel, hover_bar, update_tile, version_picture, footer_strip):
            draw(1)
            draw(2)
    finally:
        Canvas.save = original
    save_ico([os.path.join(OUT, "kelvora-%d.png" % size) for size in (16, 24, 32, 48, 64, 128, 256)],
             os.path.join(folder, "kelvora.ico"))


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--windows":
        windows_resources(sys.argv[2])
    else:
        main()
