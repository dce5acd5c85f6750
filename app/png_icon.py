#!/usr/bin/env python3
"""Stores the images of an icon file as PNG, as Windows Vista and later read them.

    png_icon.py IN.ico OUT.ico

Each 32-bit image (BITMAPINFOHEADER, BGRA rows bottom-up, then the AND mask, which the
alpha channel makes redundant) becomes an RGBA PNG; any other image is kept as it is.
The same input always gives the same bytes.
"""
import struct
import sys
import zlib


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    return a if pa <= pb and pa <= pc else b if pb <= pc else c


def filtered(row, prev):
    """The row under each of PNG's five filters (4 bytes a pixel)."""
    left = bytes(4) + row[:-4]
    upleft = bytes(4) + prev[:-4]
    yield 0, row
    yield 1, bytes((x - a) & 255 for x, a in zip(row, left))
    yield 2, bytes((x - b) & 255 for x, b in zip(row, prev))
    yield 3, bytes((x - (a + b) // 2) & 255 for x, a, b in zip(row, left, prev))
    yield 4, bytes((x - paeth(a, b, c)) & 255 for x, a, b, c in zip(row, left, prev, upleft))


def png_from_bitmap(image):
    size, width, height2, _, bits = struct.unpack_from("<IiiHH", image)
    if size != 40 or bits != 32:
        return None
    height = height2 // 2
    stride = width * 4
    rows = []
    for y in range(height - 1, -1, -1):  # bottom-up to top-down, BGRA to RGBA
        bgra = image[size + y * stride:size + (y + 1) * stride]
        rows.append(bytes(c for i in range(0, stride, 4) for c in (bgra[i + 2], bgra[i + 1], bgra[i], bgra[i + 3])))
    raw = bytearray()
    prev = bytes(stride)
    for row in rows:
        # The filter whose bytes are smallest as signed values: PNG's usual guess at what
        # compresses best.
        kind, data = min(filtered(row, prev), key=lambda f: sum(min(b, 256 - b) for b in f[1]))
        raw += bytes((kind,)) + data
        prev = row
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header)
            + png_chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + png_chunk(b"IEND", b""))


def main(source, target):
    data = open(source, "rb").read()
    _, kind, count = struct.unpack_from("<HHH", data)
    entries, images = [], []
    for i in range(count):
        entry = list(struct.unpack_from("<BBBBHHII", data, 6 + 16 * i))
        image = data[entry[7]:entry[7] + entry[6]]
        images.append(png_from_bitmap(image) or image)
        entries.append(entry)
    offset = 6 + 16 * count
    out = bytearray(struct.pack("<HHH", 0, kind, count))
    for entry, image in zip(entries, images):
        entry[6], entry[7] = len(image), offset
        out += struct.pack("<BBBBHHII", *entry)
        offset += len(image)
    for image in images:
        out += image
    open(target, "wb").write(out)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
