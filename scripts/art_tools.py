"""Drawing and file-format helpers of make_art.py: colours and gradients, noise and grain,
JPEG encoding to an exact byte count, and icons."""

import io
import math
import random
import struct
import zlib

from PIL import Image, ImageChops, ImageDraw, ImageFilter

# ---------------------------------------------------------------- helpers

def hex_rgb(text):
    text = text.lstrip("#")
    return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4))


def mix(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def ramp(stops, t):
    """Colour at t (0..1) along a list of (position, '#rrggbb') stops."""
    stops = [(p, hex_rgb(c)) for p, c in stops]
    if t <= stops[0][0]:
        return stops[0][1]
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            u = (t - p0) / (p1 - p0)
            u = u * u * (3 - 2 * u)  # smooth step between stops
            return mix(c0, c1, u)
    return stops[-1][1]


def vertical_gradient(size, stops):
    w, h = size
    column = Image.new("RGB", (1, h))
    column.putdata([ramp(stops, y / (h - 1)) for y in range(h)])
    return column.resize((w, h), Image.NEAREST)


def diagonal_gradient(size, c0, c1):
    """Top-left c0 to bottom-right c1."""
    w, h = size
    small = Image.new("RGB", (64, 64))
    a, b = hex_rgb(c0), hex_rgb(c1)
    small.putdata([mix(a, b, (x + y) / 126) for y in range(64) for x in range(64)])
    return small.resize((w, h), Image.BICUBIC)


def smooth_noise(rng, n, step):
    """n values in 0..1, random knots every `step` samples, cosine-interpolated."""
    knots = [rng.random() for _ in range(n // step + 3)]
    out = []
    for i in range(n):
        k, f = divmod(i / step, 1)
        k = int(k)
        u = (1 - math.cos(f * math.pi)) / 2
        out.append(knots[k] * (1 - u) + knots[k + 1] * u)
    return out


def add_light(base, mask, colour):
    """Additive light: base + colour * mask."""
    layer = Image.new("RGB", base.size, colour)
    layer = ImageChops.multiply(layer, Image.merge("RGB", (mask, mask, mask)))
    return ImageChops.add(base, layer)


def downscale_rgba(img, size):
    """Shrink with premultiplied alpha, so edges do not pick up dark fringes."""
    return img.convert("RGBa").resize(size, Image.BOX).convert("RGBA")


def grain(size, seed, amount):
    """Mid-grey 'L' image with fixed-seed noise of +-amount around 128."""
    rng = random.Random(seed)
    w, h = size
    data = bytes(128 + int(rng.gauss(0, amount)) for _ in range(w * h))
    data = bytes(min(255, max(0, b)) for b in data)
    return Image.frombytes("L", size, data)


def apply_grain(img, noise):
    """Adds (noise - 128) to every channel."""
    up = noise.point(lambda v: max(0, v - 128) * 1)
    down = noise.point(lambda v: max(0, 128 - v) * 1)
    up3 = Image.merge("RGB", (up, up, up))
    down3 = Image.merge("RGB", (down, down, down))
    return ImageChops.subtract(ImageChops.add(img, up3), down3)


def spark(draw, cx, cy, r, fill):
    """A four-pointed star of radius r."""
    k = r * 0.22
    pts = [(cx, cy - r), (cx + k, cy - k), (cx + r, cy), (cx + k, cy + k),
           (cx, cy + r), (cx - k, cy + k), (cx - r, cy), (cx - k, cy - k)]
    draw.polygon(pts, fill=fill)


def letter_l(draw, box, fill):
    """The geometric L of the brand mark inside box = (x0, y0, x1, y1)."""
    x0, y0, x1, y1 = box
    w, h = x1 - x0, y1 - y0
    stem = w * 0.30
    r = stem * 0.18
    draw.rounded_rectangle((x0, y0, x0 + stem, y1), radius=r, fill=fill)
    draw.rounded_rectangle((x0, y1 - stem * 0.92, x1, y1), radius=r, fill=fill)


# ---------------------------------------------------------------- JPEG

def pad_jpeg(data, target, note):
    """Inserts COM segments after the APP0 (JFIF) segment to reach target bytes."""
    assert data[:2] == b"\xff\xd8", "not a JPEG"
    missing = target - len(data)
    assert missing == 0 or missing >= 4, missing
    pos = 2
    if data[2:4] == b"\xff\xe0":
        pos = 4 + struct.unpack(">H", data[4:6])[0]
    segments = b""
    while missing > 0:
        payload_len = min(missing - 4, 65533)
        rest = missing - 4 - payload_len
        if 0 < rest < 4:  # keep the last segment at least 4 bytes long
            payload_len -= 4 - rest
        body = (note + b" " * payload_len)[:payload_len]
        segments += b"\xff\xfe" + struct.pack(">H", payload_len + 2) + body
        missing -= payload_len + 4
    out = data[:pos] + segments + data[pos:]
    assert len(out) == target
    return out


def encode_jpeg(img, target, note):
    """Best baseline encoding that fits in target bytes, padded to exactly target."""
    import io
    best = None
    for subsampling in (0, 2):  # 4:4:4 first, then 4:2:0
        for quality in range(100, 40, -1):
            buf = io.BytesIO()
            img.save(buf, "JPEG", quality=quality, subsampling=subsampling,
                     optimize=False, progressive=False)
            data = buf.getvalue()
            missing = target - len(data)
            if missing == 0 or missing >= 4 + len(note):
                best = data
                print("  quality %d, subsampling %d, %d bytes before padding"
                      % (quality, subsampling, len(data)))
                break
        if best is not None:
            break
    assert best is not None, "cannot fit the picture in %d bytes" % target
    return pad_jpeg(best, target, note)


# ---------------------------------------------------------------- ICO

def ico_bytes(img):
    """One-image icon: ICONDIR, ICONDIRENTRY, BITMAPINFOHEADER, BGRA bottom-up, AND mask."""
    w, h = img.size
    px = img.load()
    xor = bytearray()
    mask = bytearray()
    row_bytes = ((w + 31) // 32) * 4
    for y in range(h - 1, -1, -1):
        bits = bytearray(row_bytes)
        for x in range(w):
            r, g, b, a = px[x, y]
            if a == 0:
                r = g = b = 0
                bits[x // 8] |= 0x80 >> (x % 8)
            xor += bytes((b, g, r, a))
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + bytes(xor) + bytes(mask)
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(image), 6 + 16)
    return icondir + entry + image


def png_rgba(img, row_filter):
    """An RGBA PNG with one filter for every row: 0 none, 2 the row above."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    w, h = img.size
    raw, stride = img.tobytes(), 4 * w
    rows = [raw[y * stride:(y + 1) * stride] for y in range(h)]
    above = [bytes(stride)] + rows[:-1]
    data = b"".join(bytes((row_filter,)) + (row if row_filter == 0 else bytes((a - b) & 255 for a, b in zip(row, up)))
                    for row, up in zip(rows, above))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(data, 9)) + chunk(b"IEND", b""))


def png_ico_bytes(images):
    """An icon of several sizes, each image an RGBA PNG, as Windows Vista and later read them:
    the smallest of PIL's adaptive filters and one filter for all rows."""
    pngs = []
    for img in images:
        buf = io.BytesIO()
        img.convert("RGBA").save(buf, "PNG", optimize=True)
        pngs.append((img.size, min(buf.getvalue(), png_rgba(img, 0), png_rgba(img, 2), key=len)))
    out = struct.pack("<HHH", 0, 1, len(pngs))
    offset = 6 + 16 * len(pngs)
    for (w, h), data in pngs:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in pngs)
