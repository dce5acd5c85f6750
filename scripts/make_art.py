#!/usr/bin/python3
"""Draws the setup program's artwork and writes it into the source tree.

    /usr/bin/python3 scripts/make_art.py        (from the repository root)

Needs only Debian's python3 with python3-pil and the fonts-noto-cjk fonts.
It is a developer tool, not part of the build: the files it writes are
committed, and running it again gives the same bytes (fixed seeds, fixed
JPEG settings). It writes:

    wizard/images/side.jpg    170 x 290 baseline JPEG, 79,020 bytes: night sky
                              with an aurora over hills, "Lumora" at the foot
    wizard/images/logo.jpg    50 x 49 baseline JPEG, 6,588 bytes: white L on blue
    wizard/images/folder.ico  one 32 x 32 32-bit image: a yellow folder
    app/setup.ico             the application icon (the setup's and 卸载.exe's) at the
                              sizes Explorer asks for, 16 to 256, each stored as PNG

The two JPEGs are encoded at the best quality that stays under their byte
count and then brought to it exactly with a comment (COM) segment placed
right after the JFIF header, before the frame and scan headers.
"""

import math
import os
import random
import struct
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from art_tools import (  # noqa: E402
    hex_rgb,
    mix,
    ramp,
    vertical_gradient,
    diagonal_gradient,
    smooth_noise,
    add_light,
    downscale_rgba,
    grain,
    apply_grain,
    spark,
    letter_l,
    pad_jpeg,
    encode_jpeg,
    ico_bytes,
    png_ico_bytes,
)

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

NOTO_REGULAR = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc"
NOTO_BOLD = "/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc"
NOTO_SC_INDEX = 2  # "Noto Sans CJK SC" inside the collections

SIDE_SIZE = (170, 290)
SIDE_BYTES = 79020
LOGO_SIZE = (50, 49)
LOGO_BYTES = 6588


# ---------------------------------------------------------------- side picture

def ridge(rng, width, base, rough, steps):
    """Midpoint-displacement skyline: list of y values, width + 1 long."""
    n = 2 ** steps
    ys = [base + rng.uniform(-rough, rough), base + rng.uniform(-rough, rough)]
    ys = [ys[0]] + [0] * (n - 1) + [ys[1]]
    span, amp = n, rough
    while span > 1:
        half = span // 2
        for i in range(half, n, span):
            ys[i] = (ys[i - half] + ys[i + half]) / 2 + rng.uniform(-amp, amp)
        span, amp = half, amp * 0.55
    return [ys[int(x * n / width)] for x in range(width + 1)]


def draw_side():
    S = 3
    W, H = SIDE_SIZE[0] * S, SIDE_SIZE[1] * S
    rng = random.Random(20240517)

    sky = vertical_gradient((W, H), [
        (0.00, "#040818"), (0.30, "#0b1a45"), (0.52, "#143568"),
        (0.66, "#275a8c"), (0.72, "#4f86ad"), (1.00, "#0a1430")])

    # stars, thinning towards the horizon
    stars = Image.new("L", (W, H), 0)
    d = ImageDraw.Draw(stars)
    for _ in range(170):
        x = rng.uniform(0, W)
        y = H * 0.68 * (rng.random() ** 1.4)
        r = rng.choice((0.7, 0.9, 1.1, 1.4, 1.8, 2.4)) * S / 2
        v = int(rng.uniform(90, 255) * (1 - y / (H * 0.8)))
        d.ellipse((x - r, y - r, x + r, y + r), fill=v)
    glow = stars.filter(ImageFilter.GaussianBlur(2.2 * S))
    sky = add_light(sky, stars, (235, 240, 255))
    sky = add_light(sky, glow.point(lambda v: min(255, v * 3)), (120, 150, 255))

    # aurora curtains: a bright lower rim with rays rising from it
    curtains = [
        # (rim at left, rim at right, wave amplitude, wavelength, phase, ray height,
        #  strength, lower colour, upper colour)
        (0.48, 0.28, 0.040, 0.95, 0.3, 0.32, 1.00, "#3cf5a6", "#8a5cff"),
        (0.37, 0.18, 0.030, 0.70, 2.1, 0.24, 0.75, "#42e8d0", "#d060ff"),
        (0.58, 0.45, 0.025, 1.30, 4.0, 0.18, 0.55, "#5affb0", "#3a8cff"),
    ]
    for n, (left, right, amp, wl, ph, tall, power, c_low, c_high) in enumerate(curtains):
        rays = smooth_noise(random.Random(77 + n), W, 9 * S)
        fine = smooth_noise(random.Random(177 + n), W, 3 * S)
        tall_n = smooth_noise(random.Random(277 + n), W, 40 * S)
        low = bytearray(W * H)
        high = bytearray(W * H)
        for x in range(W):
            u = x / W
            rim = (left + (right - left) * u
                   + amp * math.sin(2 * math.pi * u / wl + ph)
                   + amp * 0.4 * math.sin(2 * math.pi * u / (wl * 0.37) + ph * 1.7)) * H
            height = tall * H * (0.6 + 0.7 * tall_n[x])
            strength = power * (0.25 + 0.75 * rays[x] ** 1.5) * (0.6 + 0.4 * fine[x])
            top = max(0, int(rim - height))
            bottom = min(H - 1, int(rim + 6 * S))
            for y in range(top, bottom):
                if y <= rim:
                    t = min(1.0, (rim - y) / height)  # 0 at the rim, 1 at the ray tips
                    i = strength * (1 - t) ** 1.6
                    i = i * (0.55 + 0.45 * math.exp(-((rim - y) / (5 * S)) ** 2) * 1.8)
                else:
                    t = 0
                    i = strength * math.exp(-((y - rim) / (2.5 * S)) ** 2)
                v = min(255, int(255 * i))
                low[y * W + x] = int(v * (1 - t) ** 0.8)
                high[y * W + x] = min(255, int(v * t * 2.2))
        low = Image.frombytes("L", (W, H), bytes(low)).filter(ImageFilter.GaussianBlur(1.6 * S))
        high = Image.frombytes("L", (W, H), bytes(high)).filter(ImageFilter.GaussianBlur(2.5 * S))
        sky = add_light(sky, low, hex_rgb(c_low))
        sky = add_light(sky, high, hex_rgb(c_high))
        haze = low.filter(ImageFilter.GaussianBlur(10 * S)).point(lambda v: v // 2)
        sky = add_light(sky, haze, mix(hex_rgb(c_low), (40, 80, 160), 0.5))

    # a pale glow of light on the horizon
    horizon = Image.new("L", (W, H), 0)
    ImageDraw.Draw(horizon).ellipse((-0.3 * W, 0.64 * H, 1.3 * W, 0.76 * H), fill=120)
    horizon = horizon.filter(ImageFilter.GaussianBlur(14 * S))
    sky = add_light(sky, horizon, (150, 200, 230))

    # hills: a hazy far ridge, a darker near one, the foreground where the brand stands
    img = sky
    for seed, base, rough, colour in ((11, 0.700, 0.045, "#1c2c5c"),
                                      (23, 0.745, 0.035, "#111a3c"),
                                      (41, 0.790, 0.016, "#070c22")):
        ys = ridge(random.Random(seed), W, base * H, rough * H, 7)
        shape = Image.new("L", (W, H), 0)
        ImageDraw.Draw(shape).polygon([(0, H)] + [(x, ys[x]) for x in range(W + 1)] + [(W, H)],
                                      fill=255)
        img = Image.composite(Image.new("RGB", (W, H), colour), img, shape)
        # a faint rim of aurora light along the top of each ridge
        rim = ImageChops.subtract(shape, shape.filter(ImageFilter.MinFilter(3))) \
            .filter(ImageFilter.GaussianBlur(0.8 * S)).point(lambda v: v // 3)
        img = add_light(img, rim, (90, 200, 190))

    # a darkening at the foot so that the brand line reads well
    foot = vertical_gradient((W, H), [(0.0, "#000000"), (0.80, "#000000"), (1.0, "#303030")])
    img = ImageChops.subtract(img, foot)

    img = img.resize(SIDE_SIZE, Image.LANCZOS)
    w, h = SIDE_SIZE

    # brand line at the foot, drawn at the final size so that it stays crisp
    title_font = ImageFont.truetype(NOTO_REGULAR, 30, index=NOTO_SC_INDEX)
    tag_font = ImageFont.truetype(NOTO_REGULAR, 11, index=NOTO_SC_INDEX)
    title = "Lumora"
    spacing = 1.5
    widths = [title_font.getlength(ch) for ch in title]
    total = sum(widths) + spacing * (len(title) - 1)
    tx, ty = (w - total) / 2, 238

    text_mask = Image.new("L", SIDE_SIZE, 0)
    td = ImageDraw.Draw(text_mask)
    x = tx
    for ch, cw in zip(title, widths):
        td.text((x, ty), ch, font=title_font, fill=255, anchor="ls")
        x += cw + spacing
    halo = text_mask.filter(ImageFilter.GaussianBlur(4)).point(lambda v: min(255, v * 2))
    img = add_light(img, halo, (40, 120, 140))
    img = Image.composite(Image.new("RGB", SIDE_SIZE, (250, 252, 255)), img, text_mask)

    # a thin line of light between the name and the tagline, with a spark in the middle
    line = Image.new("L", SIDE_SIZE, 0)
    ld = ImageDraw.Draw(line)
    for i in range(50):
        a = 1 - abs(i - 24.5) / 25
        ld.point((w / 2 - 25 + i, 249), fill=int(200 * a ** 1.5))
    spark(ld, w / 2, 249, 3.2, 255)
    img = add_light(img, line, (140, 235, 215))

    tagline = "点亮你的每一块屏幕"
    tag_spacing = 1.6
    twidths = [tag_font.getlength(ch) for ch in tagline]
    ttotal = sum(twidths) + tag_spacing * (len(tagline) - 1)
    x = (w - ttotal) / 2
    tag_mask = Image.new("L", SIDE_SIZE, 0)
    gd = ImageDraw.Draw(tag_mask)
    for ch, cw in zip(tagline, twidths):
        gd.text((x, 268), ch, font=tag_font, fill=255, anchor="ls")
        x += cw + tag_spacing
    img = Image.composite(Image.new("RGB", SIDE_SIZE, (176, 205, 240)), img, tag_mask)

    # a light film grain: keeps the gradients from banding
    img = apply_grain(img, grain(SIDE_SIZE, 5150, 3.0))
    return img


# ---------------------------------------------------------------- brand mark

def draw_mark(size, scale, inset, radius, background, shadow, glow):
    """White L on a blue rounded square; returns RGBA at the given size."""
    W, H = size[0] * scale, size[1] * scale
    img = Image.new("RGBA", (W, H), background)
    box = (inset * scale, inset * scale, W - inset * scale - 1, H - inset * scale - 1)
    if shadow:  # only on a transparent background: a soft shadow under the square
        sh = Image.new("L", (W, H), 0)
        ImageDraw.Draw(sh).rounded_rectangle(
            (box[0], box[1] + 1.5 * scale, box[2], box[3] + 1.5 * scale),
            radius=radius * scale, fill=110)
        sh = sh.filter(ImageFilter.GaussianBlur(1.6 * scale))
        img = Image.new("RGBA", (W, H), (6, 20, 60, 0))
        img.putalpha(sh)

    square = Image.new("L", (W, H), 0)
    ImageDraw.Draw(square).rounded_rectangle(box, radius=radius * scale, fill=255)
    blue = diagonal_gradient((W, H), "#3f95ff", "#163fae").convert("RGBA")

    # a soft light behind the letter, and a gloss across the upper half
    light = Image.new("L", (W, H), 0)
    ImageDraw.Draw(light).ellipse((0.15 * W, 0.10 * H, 0.85 * W, 0.85 * H), fill=90 if glow else 60)
    light = light.filter(ImageFilter.GaussianBlur(0.18 * W))
    blue = Image.composite(Image.new("RGBA", (W, H), (150, 205, 255, 255)), blue, light)
    gloss = Image.new("L", (W, H), 0)
    ImageDraw.Draw(gloss).ellipse((-0.4 * W, -0.95 * H, 1.4 * W, 0.42 * H), fill=34)
    gloss = gloss.filter(ImageFilter.GaussianBlur(0.02 * W))
    blue = Image.composite(Image.new("RGBA", (W, H), (255, 255, 255, 255)), blue, gloss)

    letter = Image.new("L", (W, H), 0)
    ld = ImageDraw.Draw(letter)
    letter_l(ld, (0.31 * W, 0.22 * H, 0.70 * W, 0.78 * H), 255)
    spark(ld, 0.70 * W, 0.33 * H, 0.115 * W, 255)
    halo = letter.filter(ImageFilter.GaussianBlur(0.05 * W)).point(lambda v: int(v * 0.55))
    blue = Image.composite(Image.new("RGBA", (W, H), (190, 230, 255, 255)), blue, halo)
    blue = Image.composite(Image.new("RGBA", (W, H), (255, 255, 255, 255)), blue, letter)

    if background[3] == 255:
        img = Image.composite(blue, img, square)
    else:
        # transparent background: lay the square over the shadow with straight alpha
        img = Image.alpha_composite(img, Image.merge("RGBA", (*blue.convert("RGB").split(), square)))
    return downscale_rgba(img, size)


def draw_logo():
    return draw_mark(LOGO_SIZE, 8, 0, 5, (255, 255, 255, 255), False, False).convert("RGB")


ICON_SIZES = (16, 20, 24, 32, 40, 48, 64, 256)


def draw_flat_mark(size):
    """The brand mark as the icon shows it: the square's gradient from top to bottom drawn
    exactly at the final size (a row of one colour stores in a few bytes as PNG), only the
    edges supersampled. From 24 pixels
    down there is no room for the spark, and 16 colours are enough."""
    inset, radius, S = 3 * size / 64, 13 * size / 64, 4

    def mask(draw):
        m = Image.new("L", (size * S, size * S), 0)
        draw(ImageDraw.Draw(m), size * S)
        return m.resize((size, size), Image.BOX)

    def letter(d, W):
        letter_l(d, (0.31 * W, 0.22 * W, 0.70 * W, 0.78 * W), 255)
        if size > 24:
            spark(d, 0.70 * W, 0.33 * W, 0.115 * W, 255)

    square = mask(lambda d, W: d.rounded_rectangle(
        (inset * S, inset * S, W - inset * S - 1, W - inset * S - 1), radius=radius * S, fill=255))
    a, b = hex_rgb("#3f95ff"), hex_rgb("#163fae")
    blue = Image.new("RGB", (size, size))
    blue.putdata([mix(a, b, y / (size - 1)) for y in range(size) for x in range(size)])
    rgb = Image.composite(Image.new("RGB", (size, size), (255, 255, 255)), blue, mask(letter))
    icon = Image.merge("RGBA", (*rgb.split(), square))
    if size <= 24:
        icon = icon.quantize(colors=16, method=Image.FASTOCTREE).convert("RGBA")
    return icon


def draw_app_icons():
    return [draw_flat_mark(size) for size in ICON_SIZES]


# ---------------------------------------------------------------- folder

def draw_folder():
    S = 8
    W = H = 32 * S

    def p(*pts):
        return [(x * S, y * S) for x, y in pts]

    img = Image.new("RGBA", (W, H), (0, 0, 0, 0))

    def fill_shape(points, fill_img, outline, width):
        mask = Image.new("L", (W, H), 0)
        ImageDraw.Draw(mask).polygon(points, fill=255)
        layer = fill_img.copy()
        layer.putalpha(mask)
        out = Image.alpha_composite(img, layer)
        ImageDraw.Draw(out).polygon(points, outline=outline, width=width)
        return out

    # back of the folder with its tab
    back = p((2.5, 6.2), (3.2, 5.0), (11.6, 5.0), (13.6, 7.6), (28.8, 7.6), (29.5, 8.3),
             (29.5, 27.0), (2.5, 27.0))
    img = fill_shape(back, vertical_gradient((W, H), [(0.1, "#f0b43a"), (0.9, "#d08e12")]).convert("RGBA"),
                     (160, 104, 8, 255), S)

    # two sheets of paper inside
    d = ImageDraw.Draw(img)
    d.polygon(p((6.0, 9.6), (25.0, 9.0), (26.0, 22.0), (6.5, 22.0)), fill=(236, 238, 242, 255),
              outline=(160, 166, 176, 255), width=S // 2)
    d.polygon(p((5.0, 11.0), (27.0, 11.0), (27.0, 22.0), (5.0, 22.0)), fill=(255, 255, 255, 255),
              outline=(170, 176, 186, 255), width=S // 2)
    for y in (13.6, 16.0, 18.4):
        d.line(p((8.0, y), (23.5, y)), fill=(190, 200, 215, 255), width=S // 2)

    # front flap, a little skewed, lighter at the top
    front = p((1.6, 13.2), (30.4, 13.2), (29.5, 27.4), (2.5, 27.4))
    img = fill_shape(front, vertical_gradient((W, H), [(0.40, "#ffe27a"), (0.88, "#f2aa1c")]).convert("RGBA"),
                     (168, 112, 10, 255), S)
    d = ImageDraw.Draw(img)
    d.line(p((2.6, 14.4), (29.4, 14.4)), fill=(255, 243, 190, 255), width=S)
    return downscale_rgba(img, (32, 32))


# ---------------------------------------------------------------- main

def write(rel, data):
    path = os.path.join(ROOT, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    print("%-26s %6d bytes" % (rel, len(data)))


def main():
    write("wizard/images/side.jpg",
          encode_jpeg(draw_side(), SIDE_BYTES, b"Lumora setup: welcome panel picture."))
    write("wizard/images/logo.jpg",
          encode_jpeg(draw_logo(), LOGO_BYTES, b"Lumora setup: banner logo."))
    folder = ico_bytes(draw_folder())
    assert len(folder) == 4286
    write("wizard/images/folder.ico", folder)
    icon = png_ico_bytes(draw_app_icons())
    assert len(icon) == 8164, len(icon)
    write("app/setup.ico", icon)
    return 0


if __name__ == "__main__":
    sys.exit(main())
