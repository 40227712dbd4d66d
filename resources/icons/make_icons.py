#!/usr/bin/env python3
"""Draws the Fotolark icon: writes fotolark.svg, PNG files for the hicolor theme and the help
pages, and fotolark.ico for the album viewer. Run it after changing a shape; the outputs are
kept in the repository so that building needs no image tools."""
import struct
import zlib
from pathlib import Path

HERE = Path(__file__).resolve().parent

# Shapes in a 256 x 256 design space, painted in order.
SHAPES = [
    ("roundrect", (16, 16, 240, 240, 44), "#2d4f73"),
    ("rect", (44, 56, 212, 204), "#ffffff"),
    ("rect", (56, 68, 200, 170), "#8ec9f0"),
    ("circle", (166, 100, 17), "#ffd34d"),
    ("polygon", ((56, 170), (56, 142), (98, 108), (136, 146), (168, 124), (200, 150), (200, 170)), "#4c9a4a"),
    ("rect", (76, 182, 180, 190), "#b7bec6"),
]


def rgb(colour):
    return tuple(int(colour[i:i + 2], 16) for i in (1, 3, 5))


def inside(kind, geometry, x, y):
    if kind == "rect":
        left, top, right, bottom = geometry
        return left <= x < right and top <= y < bottom
    if kind == "roundrect":
        left, top, right, bottom, radius = geometry
        if not (left <= x < right and top <= y < bottom):
            return False
        cx = min(max(x, left + radius), right - radius)
        cy = min(max(y, top + radius), bottom - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2
    if kind == "circle":
        cx, cy, radius = geometry
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2
    if kind == "polygon":
        result = False
        points = geometry
        for i, (x1, y1) in enumerate(points):
            x2, y2 = points[i - 1]
            if (y1 > y) != (y2 > y) and x < (x2 - x1) * (y - y1) / (y2 - y1) + x1:
                result = not result
        return result
    raise ValueError(kind)


def render(size, samples=4):
    """RGBA rows, top to bottom, with coverage-based anti-aliasing."""
    scale = 256.0 / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0.0
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) * scale
                    y = (py + (sy + 0.5) / samples) * scale
                    colour = None
                    for kind, geometry, fill in SHAPES:
                        if inside(kind, geometry, x, y):
                            colour = rgb(fill)
                    if colour:
                        r += colour[0]; g += colour[1]; b += colour[2]; a += 1
            n = samples * samples
            row.append((round(r / a) if a else 0, round(g / a) if a else 0, round(b / a) if a else 0, round(255 * a / n)))
        rows.append(row)
    return rows


def png_bytes(rows):
    size = len(rows)
    raw = b"".join(b"\0" + bytes(c for pixel in row for c in pixel) for row in rows)

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def ico_bytes(images):
    """An icon file with 32-bit BMP entries, which every Windows version reads."""
    entries, data = [], []
    offset = 6 + 16 * len(images)
    for rows in images:
        size = len(rows)
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        pixels = b"".join(bytes((p[2], p[1], p[0], p[3])) for row in reversed(rows) for p in row)
        mask_stride = ((size + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(rows):
            bits = bytearray(mask_stride)
            for x, p in enumerate(row):
                if p[3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        blob = header + pixels + bytes(mask)
        entries.append(struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset))
        data.append(blob)
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(data)


def svg_text():
    parts = ['<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">']
    for kind, g, fill in SHAPES:
        if kind == "rect":
            parts.append(f'<rect x="{g[0]}" y="{g[1]}" width="{g[2] - g[0]}" height="{g[3] - g[1]}" fill="{fill}"/>')
        elif kind == "roundrect":
            parts.append(f'<rect x="{g[0]}" y="{g[1]}" width="{g[2] - g[0]}" height="{g[3] - g[1]}" rx="{g[4]}" fill="{fill}"/>')
        elif kind == "circle":
            parts.append(f'<circle cx="{g[0]}" cy="{g[1]}" r="{g[2]}" fill="{fill}"/>')
        elif kind == "polygon":
            points = " ".join(f"{x},{y}" for x, y in g)
            parts.append(f'<polygon points="{points}" fill="{fill}"/>')
    parts.append("</svg>")
    return "\n".join(parts) + "\n"


def main():
    (HERE / "fotolark.svg").write_text(svg_text())
    rendered = {size: render(size) for size in (16, 32, 48, 64, 128, 256)}
    for size, rows in rendered.items():
        (HERE / f"fotolark-{size}.png").write_bytes(png_bytes(rows))
    (HERE.parent / "help" / "images").mkdir(exist_ok=True)
    (HERE.parent / "help" / "images" / "fotolark.png").write_bytes(png_bytes(rendered[48]))
    (HERE / "fotolark.ico").write_bytes(ico_bytes([rendered[16], rendered[32], rendered[48]]))


if __name__ == "__main__":
    main()
