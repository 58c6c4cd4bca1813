#!/usr/bin/python3
"""Draws every picture of the Plenwick window and the program icon.

Run with Debian's python3 and python3-pil:  /usr/bin/python3 resources/art/make_art.py
The pictures are written next to this script and committed, so a build needs no Python.
Small pictures are drawn pixel by pixel (crisp at 1:1); larger ones are drawn as shapes at a
multiple of their size and reduced with an area filter, which gives clean anti-aliased edges.
"""

import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))

WINDOW_BACK = (255, 228, 142)
PANEL = (255, 204, 102)
NAVY = (0, 0, 128)
PROMPT_RED = (241, 5, 44)

FONT_DIRS = ["/usr/share/wine/fonts", "/usr/share/fonts/truetype/dejavu"]
FONT_FILES = {
    "regular": ["tahoma.ttf", "DejaVuSans.ttf"],
    "bold": ["tahomabd.ttf", "DejaVuSans-Bold.ttf"],
}


def font(kind, px):
    for name in FONT_FILES[kind]:
        for d in FONT_DIRS:
            path = os.path.join(d, name)
            if os.path.exists(path):
                return ImageFont.truetype(path, px)
    sys.exit("no usable font found: install fonts-wine (Tahoma) or fonts-dejavu-core")


# ---------------------------------------------------------------------------------------------
# Helpers


def from_pixels(rows, palette):
    """Builds an RGBA picture from text rows; each character is a key of palette ('.' = clear)."""
    h, w = len(rows), len(rows[0])
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    px = img.load()
    for y, row in enumerate(rows):
        assert len(row) == w, f"row {y} is {len(row)} wide, expected {w}"
        for x, ch in enumerate(row):
            if ch != ".":
                c = palette[ch]
                px[x, y] = c if len(c) == 4 else c + (255,)
    return img


def reduce(big, size):
    """Area-reduces a supersampled RGBA drawing without dark fringes at soft edges."""
    return big.convert("RGBa").resize(size, Image.BOX).convert("RGBA")


def solid_colour(mask_img, colour):
    """Keeps only the coverage of a one-colour drawing, so every pixel carries exactly `colour`."""
    alpha = mask_img.getchannel("A")
    out = Image.new("RGBA", mask_img.size, colour + (0,))
    out.putalpha(alpha)
    return out


def lerp(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(len(a)))


def vertical_gradient(size, top, bottom):
    w, h = size
    g = Image.new("RGBA", size)
    d = ImageDraw.Draw(g)
    for y in range(h):
        d.line([(0, y), (w, y)], fill=lerp(top, bottom, y / max(1, h - 1)) + (255,))
    return g


def paste_shape(canvas, fill_img, mask):
    """Paints fill_img onto canvas through an L mask (both full canvas size)."""
    canvas.alpha_composite(Image.composite(fill_img, Image.new("RGBA", canvas.size, (0, 0, 0, 0)), mask))


# ---------------------------------------------------------------------------------------------
# Arrows: one colour each, hard horizontal and vertical edges, smoothed diagonals.


def arrow_right():
    s = 16
    big = Image.new("RGBA", (10 * s, 11 * s), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)
    # Shaft rows 4..6, head from column 4 to the tip at the right edge, full height.
    d.rectangle([0, 4 * s, 5 * s - 1, 7 * s - 1], fill=NAVY + (255,))
    d.polygon([(4 * s, 0), (10 * s, 5.5 * s), (4 * s, 11 * s)], fill=NAVY + (255,))
    return solid_colour(reduce(big, (10, 11)), NAVY)


def arrow_up():
    s = 16
    big = Image.new("RGBA", (12 * s, 11 * s), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)
    d.polygon([(5 * s, 0), (7 * s, 0), (12 * s, 6 * s), (0, 6 * s)], fill=PROMPT_RED + (255,))
    d.rectangle([4 * s, 6 * s - 1, 8 * s - 1, 11 * s - 1], fill=PROMPT_RED + (255,))
    return solid_colour(reduce(big, (12, 11)), PROMPT_RED)


# ---------------------------------------------------------------------------------------------
# The hand cursor: black outline, white fill; the index fingertip is at (12, 1).

HAND = [
    "................................",
    "...........###..................",
    "..........#ooo#.................",
    "..........#ooo#.................",
    "..........#ooo#.................",
    "..........#ooo#.................",
    "..........#ooo#.................",
    "..........#ooo#.................",
    "..........#ooo#.................",
    "..........#ooo###...............",
    "..........#ooo#oo###............",
    "..........#ooo#ooo#oo##.........",
    "..........#ooo#ooo#ooo#o#.......",
    "..........#ooo#ooo#ooo#oo#......",
    "....###...#ooo#ooo#ooo#oo#......",
    "...#ooo#..#ooo#ooo#ooo#oo#......",
    "...#oooo#.#ooooooooooooooo#.....",
    "....#oooo##ooooooooooooooo#.....",
    "....#ooooooooooooooooooooo#.....",
    ".....#oooooooooooooooooooo#.....",
    "......#ooooooooooooooooooo#.....",
    ".......#oooooooooooooooooo#.....",
    "........#oooooooooooooooo#......",
    "........#oooooooooooooooo#......",
    ".........#oooooooooooooo#.......",
    ".........#oooooooooooooo#.......",
    ".........################.......",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
]


def hand():
    return from_pixels(HAND, {"#": (0, 0, 0), "o": (255, 255, 255)})


# ---------------------------------------------------------------------------------------------
# The Word-document picture, 16 x 16: a page with a folded corner and a blue "W" badge.

WORDDOC = [
    "....#########...",
    "....#wwwwwww##..",
    "....#wwwwwww#f#.",
    "....#wwwwwww#ff#",
    "bbbbbbbbbwww####",
    "BhhhhhhhBwwwwww#",
    "BhWhhhWhBlllllw#",
    "BhWhhhWhBwwwwww#",
    "BhWhWhWhBlllllw#",
    "BhWhWhWhBwwwwww#",
    "BhhWhWhhBlllllw#",
    "BhhhhhhhBwwwwww#",
    "BBBBBBBBBlllllw#",
    "....#wwwwwwwwww#",
    "....#wwwwwwwwww#",
    "....############",
]


def worddoc():
    return from_pixels(
        WORDDOC,
        {
            "#": (96, 110, 140),  # page outline
            "w": (255, 255, 255),
            "f": (214, 222, 238),  # folded corner
            "l": (128, 160, 214),  # lines of text
            "b": (60, 110, 200),  # badge top edge, lighter
            "B": (22, 64, 158),  # badge edge
            "h": (43, 94, 190),  # badge face
            "W": (255, 255, 255),
        },
    )


# ---------------------------------------------------------------------------------------------
# The help book, 48 x 48.


def helpbook():
    s = 8
    W = 48 * s
    img = Image.new("RGBA", (W, W), (0, 0, 0, 0))

    def box(x0, y0, x1, y1):
        return [x0 * s, y0 * s, x1 * s - 1, y1 * s - 1]

    # Soft shadow under the book.
    shadow = Image.new("L", (W, W), 0)
    ImageDraw.Draw(shadow).ellipse(box(6, 42, 44, 47), fill=70)
    img.alpha_composite(Image.merge("RGBA", [Image.new("L", (W, W), 0)] * 3 + [shadow]))

    d = ImageDraw.Draw(img)
    # Page block, seen on the right and at the bottom.
    d.rounded_rectangle(box(9, 6, 43, 44), radius=3 * s, fill=(120, 110, 90, 255))
    d.rounded_rectangle(box(10, 7, 42, 43), radius=2 * s, fill=(250, 246, 232, 255))
    for i in range(4):
        y = 39 + i
        d.line([(12 * s, y * s + s // 2), (41 * s, y * s + s // 2)], fill=(205, 196, 170, 255), width=s // 2)
    for i in range(4):
        x = 38 + i
        d.line([(x * s + s // 2, 9 * s), (x * s + s // 2, 41 * s)], fill=(205, 196, 170, 255), width=s // 2)

    # Cover with a gradient, then the spine.
    cover_mask = Image.new("L", (W, W), 0)
    ImageDraw.Draw(cover_mask).rounded_rectangle(box(5, 3, 38, 40), radius=3 * s, fill=255)
    paste_shape(img, vertical_gradient((W, W), (64, 120, 220), (14, 44, 140)), cover_mask)
    d = ImageDraw.Draw(img)
    d.rounded_rectangle(box(5, 3, 38, 40), radius=3 * s, outline=(8, 28, 96, 255), width=s)
    d.rectangle([5 * s + s, 4 * s, 11 * s - 1, 39 * s - 1], fill=(10, 34, 110, 255))
    d.line([(11 * s, 4 * s), (11 * s, 39 * s)], fill=(120, 160, 235, 255), width=s // 2)
    d.line([(13 * s, 5 * s), (36 * s, 5 * s)], fill=(130, 170, 240, 255), width=s // 2)

    # Ribbon bookmark hanging out at the bottom.
    d.polygon(
        [(30 * s, 40 * s), (34 * s, 40 * s), (34 * s, 46 * s), (32 * s, 44 * s), (30 * s, 46 * s)],
        fill=(200, 30, 40, 255),
    )

    # Gold medallion with the question mark.
    cx, cy, r = 24.5 * s, 20.5 * s, 11 * s
    d.ellipse([cx - r - s, cy - r - s, cx + r + s, cy + r + s], fill=(8, 28, 96, 255))
    medal_mask = Image.new("L", (W, W), 0)
    ImageDraw.Draw(medal_mask).ellipse([cx - r, cy - r, cx + r, cy + r], fill=255)
    paste_shape(img, vertical_gradient((W, W), (255, 236, 160), (245, 170, 40)), medal_mask)
    d = ImageDraw.Draw(img)
    q = font("bold", 19 * s)
    d.text((cx, cy + s), "?", font=q, fill=NAVY + (255,), anchor="mm", stroke_width=s, stroke_fill=NAVY + (255,))
    return reduce(img, (48, 48))


# ---------------------------------------------------------------------------------------------
# The program icon: a stack of pages joined into one, with an orange "+" badge.


# At 16 pixels shapes blur when reduced, so the smallest icon is drawn pixel by pixel.
ICON16 = [
    "#########.......",
    "#aaaaaaa#.......",
    "#a#########.....",
    "#a#bbbbbbb#.....",
    "#a#b##########..",
    "#a#b#wwwwwwww#..",
    "#a#b#whhhhhww#..",
    "#a#b#wwwwOOOOO..",
    "#a#b#wllOyyyyyO.",
    "#a#b#wwOyyyPyyyO",
    "###b#wwOyyyPyyyO",
    "..#b#wlOoPPPPPoO",
    "..###wwOoooPoooO",
    "....#wlOoooPoooO",
    "....#wwwOoooooO.",
    "....#####OOOOO..",
]


def icon(size):
    if size == 16:
        return from_pixels(
            ICON16,
            {
                "#": (40, 62, 120),
                "a": (206, 222, 248),
                "b": (230, 238, 252),
                "w": (255, 255, 255),
                "h": (43, 94, 190),
                "l": (128, 160, 214),
                "O": (150, 60, 0),
                "y": (255, 176, 60),
                "o": (238, 124, 16),
                "P": (255, 255, 255),
            },
        )
    s = 16 if size <= 64 else 4
    W = size * s
    img = Image.new("RGBA", (W, W), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)

    def u(v):  # a fraction of the icon's side, snapped to whole pixels of the final size
        return round(v * size) * s

    outline = (40, 62, 120, 255)
    lw = max(s, round(size / 32) * s)

    def page(x0, y0, x1, y1, fill, fold=0.0):
        # Outline colour first, then the face inset by the line width: edges stay on whole pixels.
        X0, Y0, X1, Y1 = u(x0), u(y0), u(x1) - 1, u(y1) - 1
        F = u(fold)
        t = lw
        k = t * 0.414  # how far a 45-degree edge moves when the outline is inset by t
        if F:
            outer = [(X0, Y0), (X1 - F, Y0), (X1, Y0 + F), (X1, Y1), (X0, Y1)]
            inner = [(X0 + t, Y0 + t), (X1 - F + k, Y0 + t), (X1 - t, Y0 + F - k), (X1 - t, Y1 - t), (X0 + t, Y1 - t)]
        else:
            outer = [(X0, Y0), (X1, Y0), (X1, Y1), (X0, Y1)]
            inner = [(X0 + t, Y0 + t), (X1 - t, Y0 + t), (X1 - t, Y1 - t), (X0 + t, Y1 - t)]
        d.polygon(outer, fill=outline)
        d.polygon(inner, fill=fill)
        if F:
            d.polygon([(X1 - F, Y0), (X1 - F, Y0 + F), (X1, Y0 + F)], fill=outline)
            d.polygon([(X1 - F + t, Y0 + 2.414 * t), (X1 - F + t, Y0 + F - t), (X1 - 2.414 * t, Y0 + F - t)],
                      fill=(200, 212, 236, 255))

    page(0.06, 0.03, 0.56, 0.66, (206, 222, 248, 255))
    page(0.17, 0.11, 0.67, 0.76, (230, 238, 252, 255))
    page(0.28, 0.19, 0.90, 0.94, (255, 255, 255, 255), fold=0.19)

    # Title band and lines of text on the front page.
    band = (43, 94, 190, 255)
    line = (128, 160, 214, 255)
    bar = max(s, u(0.04))
    d.rectangle([u(0.36), u(0.31), u(0.64) - 1, u(0.31) + 2 * bar - 1], fill=band)
    for y in (0.44, 0.53, 0.62, 0.71):
        d.rectangle([u(0.36), u(y), u(0.82) - 1, u(y) + bar - 1], fill=line)

    # Badge: orange disc with a white plus, bottom right.
    cx, cy = 0.72 * size * s, 0.73 * size * s
    r = 0.26 * size * s
    d.ellipse([cx - r, cy - r, cx + r, cy + r], fill=(150, 60, 0, 255))
    badge_mask = Image.new("L", (W, W), 0)
    r2 = r - max(s, size * s / 28)
    ImageDraw.Draw(badge_mask).ellipse([cx - r2, cy - r2, cx + r2, cy + r2], fill=255)
    paste_shape(img, vertical_gradient((W, W), (255, 190, 70), (232, 110, 10)), badge_mask)
    d = ImageDraw.Draw(img)
    arm = r * 0.62
    t = max(2 * s, r * 0.30)
    white = (255, 255, 255, 255)
    d.rectangle([cx - arm, cy - t / 2, cx + arm, cy + t / 2], fill=white)
    d.rectangle([cx - t / 2, cy - arm, cx + t / 2, cy + arm], fill=white)
    return reduce(img, (size, size))


# ---------------------------------------------------------------------------------------------
# The banner, 600 x 101.


def banner():
    s = 4
    w, h = 600, 101
    img = Image.new("RGBA", (w * s, h * s), WINDOW_BACK + (255,))
    d = ImageDraw.Draw(img)

    # Panel framed in blue, with a light inner line for a slightly raised look.
    x0, y0, x1, y1 = 6, 6, 594, 95
    d.rounded_rectangle([x0 * s, y0 * s, x1 * s - 1, y1 * s - 1], radius=12 * s, fill=NAVY + (255,))
    d.rounded_rectangle(
        [(x0 + 2) * s, (y0 + 2) * s, (x1 - 2) * s - 1, (y1 - 2) * s - 1], radius=10 * s, fill=(255, 238, 190, 255)
    )
    d.rounded_rectangle(
        [(x0 + 3) * s, (y0 + 3) * s, (x1 - 3) * s - 1, (y1 - 3) * s - 1], radius=9 * s, fill=PANEL + (255,)
    )

    # The program icon as the emblem on the left.
    emblem = icon(64).resize((64 * s, 64 * s), Image.LANCZOS)
    img.alpha_composite(emblem, (24 * s, 18 * s))

    # Brand and product name.
    brand = font("bold", 15 * s)
    name = font("bold", 40 * s)
    tagline = font("regular", 13 * s)
    tx = 104 * s
    d.text((tx, 14 * s), "Tarvik", font=brand, fill=(128, 48, 0, 255))
    bw = d.textlength("Tarvik", font=brand)
    d.line([(tx + bw + 8 * s, 23 * s), (450 * s, 23 * s)], fill=(214, 150, 40, 255), width=s)
    # A light offset copy under the name gives it a little depth on the panel.
    d.text((tx + 2 * s, 28 * s + 2 * s), "Plenwick", font=name, fill=(255, 236, 180, 255), stroke_width=s // 2)
    d.text((tx, 28 * s), "Plenwick", font=name, fill=NAVY + (255,), stroke_width=s // 2, stroke_fill=NAVY + (255,))
    d.text((tx + 2 * s, 72 * s), "Join Multiple MS Word Documents into One", font=tagline, fill=(80, 48, 10, 255))

    # Right-hand decoration: pages flowing into one.
    def sheet(x, y, fill):
        X, Y = x * s, y * s
        d.rectangle([X, Y, X + 26 * s, Y + 34 * s], fill=fill, outline=(40, 62, 120, 255), width=s)
        for i in range(4):
            d.line([(X + 5 * s, Y + (9 + 6 * i) * s), (X + 21 * s, Y + (9 + 6 * i) * s)], fill=(128, 160, 214, 255), width=s)

    sheet(470, 22, (230, 238, 252, 255))
    sheet(480, 30, (255, 255, 255, 255))
    arrow = [(514, 44), (528, 44), (528, 38), (540, 49), (528, 60), (528, 54), (514, 54)]
    d.polygon([(x * s, y * s) for x, y in arrow], fill=(232, 110, 10, 255))
    d.rectangle([546 * s, 24 * s, 576 * s, 72 * s], fill=(255, 255, 255, 255), outline=(40, 62, 120, 255), width=s)
    d.rectangle([551 * s, 30 * s, 571 * s, 35 * s], fill=(43, 94, 190, 255))
    for i in range(5):
        yy = (41 + 6 * i) * s
        d.line([(551 * s, yy), (571 * s, yy)], fill=(128, 160, 214, 255), width=s)

    return reduce(img, (w, h)).convert("RGB")


# ---------------------------------------------------------------------------------------------
# The .ico file: for each size one 256-colour image and one 32-bit image, both as BMP data.


def _rows_bottom_up(h):
    return range(h - 1, -1, -1)


def _and_mask(alpha, w, h, cut):
    stride = ((w + 31) // 32) * 4
    out = bytearray()
    for y in _rows_bottom_up(h):
        row = bytearray(stride)
        for x in range(w):
            if alpha[x, y] < cut:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def _bmp_header(w, h, bits, image_size, colours):
    return struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, bits, 0, image_size, 0, 0, colours, 0)


def ico_image_32(img):
    w, h = img.size
    px = img.load()
    xor = bytearray()
    for y in _rows_bottom_up(h):
        for x in range(w):
            r, g, b, a = px[x, y]
            xor += bytes((b, g, r, a)) if a else bytes(4)
    mask = _and_mask(img.getchannel("A").load(), w, h, 1)
    return _bmp_header(w, h, 32, len(xor) + len(mask), 0) + bytes(xor) + mask


def ico_image_8(img):
    """256 colours: 255 chosen by the quantizer for the opaque pixels, plus black for the clear ones."""
    w, h = img.size
    alpha = img.getchannel("A")
    solid = Image.new("RGB", (w, h), (255, 255, 255))
    solid.paste(img.convert("RGB"), mask=alpha.point(lambda a: 255 if a >= 128 else 0))
    q = solid.quantize(colors=255, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    pal = q.getpalette()[: 255 * 3]
    pal += [0] * (255 * 3 - len(pal))
    clear = 255
    pal += [0, 0, 0]
    qp, ap = q.load(), alpha.load()
    stride = (w + 3) // 4 * 4
    xor = bytearray()
    for y in _rows_bottom_up(h):
        row = bytearray(stride)
        for x in range(w):
            row[x] = qp[x, y] if ap[x, y] >= 128 else clear
        xor += row
    palette = b"".join(bytes((pal[3 * i + 2], pal[3 * i + 1], pal[3 * i], 0)) for i in range(256))
    mask = _and_mask(ap, w, h, 128)
    return _bmp_header(w, h, 8, len(xor) + len(mask), 256) + palette + bytes(xor) + mask


def write_ico(path, images):
    entries = []
    for img in images:  # 256-colour images first, then 32-bit, each smallest first
        entries.append((img.size[0], 8, ico_image_8(img)))
    for img in images:
        entries.append((img.size[0], 32, ico_image_32(img)))
    offset = 6 + 16 * len(entries)
    head = struct.pack("<HHH", 0, 1, len(entries))
    body = b""
    for size, bits, data in entries:
        dim = 0 if size >= 256 else size
        head += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, bits, len(data), offset + len(body))
        body += data
    with open(path, "wb") as f:
        f.write(head + body)


# ---------------------------------------------------------------------------------------------


def save(img, name):
    img.save(os.path.join(HERE, name), optimize=True)


def main():
    save(banner(), "banner.png")
    save(worddoc(), "worddoc.png")
    save(helpbook(), "helpbook.png")
    save(arrow_right(), "arrow-right.png")
    save(arrow_up(), "arrow-up.png")
    save(hand(), "hand.png")
    icons = {n: icon(n) for n in (16, 24, 32, 48, 64, 128, 256)}
    for n, img in icons.items():
        save(img, f"icon-{n}.png")
    write_ico(os.path.join(HERE, "plenwick.ico"), [icons[16], icons[32], icons[48]])


if __name__ == "__main__":
    main()
