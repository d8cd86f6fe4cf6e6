#!/usr/bin/python3
"""Draws the bitmaps and icons of keltpanel and keltterm.

Run with the system Python (PIL from python3-pil, DejaVu fonts from
fonts-dejavu-core):

    /usr/bin/python3 resources/draw_resources.py

It rewrites, next to this script:

    panel_front.bmp      bitmap 115, 404 x 212, 8 bpp: the instrument's front plate
    updating_splash.bmp  bitmap 113, 459 x 183, 8 bpp: the "Updating" splash
    keltpanel.ico        icon 114, one 32 x 32 image, 16 colours
    keltterm.ico         icon 102, one 32 x 32 image, 16 colours

The output is deterministic: no randomness, no time stamps, and the BMP and
ICO bytes are written here rather than by PIL.  Pass --preview DIR to also
write enlarged / shrunk PNG previews (the bitmaps at the size the dialogs
stretch them to, the icons at 32, 16 and 8x zoom).
"""

import math
import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
FONT_DIR = "/usr/share/fonts/truetype/dejavu"
SANS = "DejaVuSans.ttf"
SANS_BOLD = "DejaVuSans-Bold.ttf"

# Everything is drawn SS times larger and then reduced, which gives clean
# anti-aliased edges without depending on the rasteriser of each primitive.
SS = 4

# LoadImage with LR_LOADMAP3DCOLORS swaps these exact palette entries for the
# user's 3-D colours.  The pictures must look the same on every colour scheme,
# so no palette entry may be one of them.
MAPPED_GREYS = {(128, 128, 128), (192, 192, 192), (223, 223, 223)}


# --------------------------------------------------------------------------
# Fonts and text
# --------------------------------------------------------------------------

_font_cache = {}


def font(name, px):
    key = (name, px)
    if key not in _font_cache:
        path = os.path.join(FONT_DIR, name)
        if not os.path.exists(path):
            sys.exit("draw_resources: missing font %s (install fonts-dejavu-core)" % path)
        _font_cache[key] = ImageFont.truetype(path, px * SS)
    return _font_cache[key]


def text_width(text, fnt, xscale=1.0):
    """Advance width of text in 1x pixels."""
    return fnt.getlength(text) * xscale / SS


def draw_text(canvas, x, baseline, text, fnt, fill, align="left",
              xscale=1.0, slant=0.0):
    """Draws text with its baseline at `baseline` (1x pixels).

    align is relative to the advance width; xscale narrows or widens the
    glyphs; slant > 0 leans them to the right (a synthetic italic, sheared
    about the baseline so the foot of each letter stays in place).
    """
    ascent, descent = fnt.getmetrics()
    adv = fnt.getlength(text)
    pad = int(ascent * abs(slant)) + 4 * SS
    w = int(adv) + 2 * pad
    h = ascent + descent + 2 * SS
    mask = Image.new("L", (w, h), 0)
    ImageDraw.Draw(mask).text((pad, ascent + SS), text, font=fnt, fill=255, anchor="ls")
    base_row = ascent + SS
    if slant:
        # output(x, y) = input(x + slant * (y - base_row), y)
        mask = mask.transform(mask.size, Image.AFFINE,
                              (1, slant, -slant * base_row, 0, 1, 0),
                              resample=Image.BICUBIC)
    if xscale != 1.0:
        mask = mask.resize((max(1, int(round(w * xscale))), h), Image.LANCZOS)
    adv_s = adv * xscale
    pad_s = pad * xscale
    x_s = x * SS
    if align == "center":
        # centre the leaning letters on their middle, not on their foot
        x_s -= adv_s / 2 + slant * ascent * 0.35
    elif align == "right":
        x_s -= adv_s
    left = int(round(x_s - pad_s))
    top = int(round(baseline * SS - base_row))
    colour = Image.new("RGB", mask.size, fill)
    canvas.paste(colour, (left, top), mask)


# --------------------------------------------------------------------------
# Supersampled canvas helpers
# --------------------------------------------------------------------------

def S(v):
    return int(round(v * SS))


def box(x0, y0, x1, y1):
    return [S(x0), S(y0), S(x1), S(y1)]


def line(d, pts, fill, width):
    d.line([(S(x), S(y)) for x, y in pts], fill=fill, width=S(width), joint="curve")


def disc(d, cx, cy, r, fill, outline=None, width=0):
    d.ellipse(box(cx - r, cy - r, cx + r, cy + r), fill=fill,
              outline=outline, width=S(width) if outline else 0)


def reduce(canvas, size):
    return canvas.resize(size, Image.LANCZOS)


# --------------------------------------------------------------------------
# Writers
# --------------------------------------------------------------------------

def to_palette(img_rgb):
    """Quantises to at most 256 colours; returns (pixel indices, palette)."""
    q = img_rgb.quantize(colors=256, method=Image.Quantize.MEDIANCUT,
                         dither=Image.Dither.NONE)
    pal = q.getpalette()[:768]
    pal += [0] * (768 - len(pal))
    entries = [tuple(pal[i:i + 3]) for i in range(0, 768, 3)]
    fixed = []
    for rgb in entries:
        if rgb in MAPPED_GREYS:
            rgb = (rgb[0] + 1, rgb[1] + 1, rgb[2] + 2)
        fixed.append(rgb)
    return q.tobytes(), fixed


def write_bmp8(path, img_rgb):
    """Writes an uncompressed, bottom-up, 8 bpp BMP with a 256-entry table."""
    w, h = img_rgb.size
    pixels, palette = to_palette(img_rgb)
    stride = (w + 3) & ~3
    rows = []
    for y in range(h - 1, -1, -1):
        row = pixels[y * w:(y + 1) * w]
        rows.append(row + b"\0" * (stride - w))
    bits = b"".join(rows)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    off = 14 + 40 + len(table)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(bits),
                       3780, 3780, 256, 0)
    head = struct.pack("<2sIHHI", b"BM", off + len(bits), 0, 0, off)
    with open(path, "wb") as f:
        f.write(head + info + table + bits)


# The 16 colours of the classic 4 bpp icon palette, in the usual order.
ICON_PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (128, 128, 128),
    (192, 192, 192), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, GREY, SILVER, RED, LIME, \
    YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(16)
CLEAR = 16  # transparent pixel in the icon drawings


def write_ico4(path, grid):
    """Writes one 32 x 32, 16-colour icon image; grid[y][x] in 0..16."""
    n = 32
    xor_rows, and_rows = [], []
    for y in range(n - 1, -1, -1):
        nib = [0 if grid[y][x] == CLEAR else grid[y][x] for x in range(n)]
        xor_rows.append(bytes((nib[i] << 4) | nib[i + 1] for i in range(0, n, 2)))
        bits = 0
        for x in range(n):
            bits = (bits << 1) | (1 if grid[y][x] == CLEAR else 0)
        and_rows.append(struct.pack(">I", bits))
    xor = b"".join(xor_rows)
    andm = b"".join(and_rows)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in ICON_PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 4, 0,
                       len(xor) + len(andm), 0, 0, 0, 0)
    image = info + table + xor + andm
    head = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", n, n, 16, 0, 1, 4, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(head + entry + image)


# --------------------------------------------------------------------------
# Bitmap 115: the front plate
# --------------------------------------------------------------------------

INK = (22, 26, 34)
NAVY_INK = (18, 44, 118)
LOGO_BLUE = (20, 52, 132)
LOGO_WAVE = (120, 190, 236)


def draw_logo(d, canvas, cx, cy, r):
    """The maker's mark: a blue disc with a white Q over two swell lines."""
    disc(d, cx, cy, r, LOGO_BLUE)
    disc(d, cx, cy, r - 1.6, None, outline=(236, 240, 248), width=1.0)
    draw_text(canvas, cx, cy + r * 0.24, "Q", font(SANS_BOLD, int(r * 1.35)),
              (255, 255, 255), align="center")
    for dy in (0.52, 0.76):
        pts = []
        for i in range(21):
            t = i / 20.0
            x = cx - r * 0.78 + t * r * 1.56
            y = cy + r * dy + math.sin(t * 2 * math.pi) * r * 0.09
            pts.append((x, y))
        # keep the swell inside the disc
        pts = [(x, y) for x, y in pts if (x - cx) ** 2 + (y - cy) ** 2 < (r - 2.2) ** 2]
        line(d, pts, LOGO_WAVE, 1.4)


def draw_screw(d, cx, cy, r, angle):
    disc(d, cx + 0.6, cy + 0.8, r + 0.6, (150, 152, 156))          # shadow
    disc(d, cx, cy, r, (170, 172, 176))
    disc(d, cx - 0.8, cy - 0.8, r - 1.4, (214, 216, 219))
    disc(d, cx, cy, r - 2.6, (190, 192, 196))
    disc(d, cx, cy, r, None, outline=(96, 98, 104), width=0.8)
    a = math.radians(angle)
    dx, dy = math.cos(a) * (r - 1.6), math.sin(a) * (r - 1.6)
    line(d, [(cx - dx, cy - dy), (cx + dx, cy + dy)], (70, 72, 78), 2.2)
    line(d, [(cx - dx + 0.5, cy - dy + 0.7), (cx + dx + 0.5, cy + dy + 0.7)],
         (232, 233, 236), 0.5)


def draw_bnc(d, cx, cy, r):
    """Front view of a bayonet coaxial socket on its square flange."""
    f = r + 4
    d.rounded_rectangle(box(cx - f, cy - f, cx + f, cy + f), radius=S(3),
                        fill=(176, 179, 184), outline=(92, 95, 102), width=S(1))
    for sx in (-1, 1):
        for sy in (-1, 1):
            disc(d, cx + sx * (f - 3.6), cy + sy * (f - 3.6), 1.8, (120, 123, 130))
    disc(d, cx, cy, r, (150, 153, 160), outline=(60, 63, 70), width=1.2)
    # bayonet lugs
    for sx in (-1, 1):
        d.rectangle(box(cx + sx * (r + 0.5) - 2.2, cy - 2.2,
                        cx + sx * (r + 0.5) + 2.2, cy + 2.2),
                    fill=(110, 113, 120))
    disc(d, cx - 0.8, cy - 0.8, r - 2.5, (214, 216, 220))
    disc(d, cx, cy, r - 4.0, (96, 99, 106))
    disc(d, cx, cy, r - 5.5, (246, 244, 236))                       # insulator
    disc(d, cx, cy, r * 0.20, (196, 150, 40), outline=(120, 88, 20), width=0.8)


def draw_resistor(d, x0, x1, y, h, width):
    """Zig-zag resistor drawn horizontally between x0 and x1."""
    n = 6
    pts = [(x0, y)]
    for i in range(n):
        xa = x0 + (x1 - x0) * (i + 0.5) / n
        pts.append((xa, y - h if i % 2 == 0 else y + h))
    pts.append((x1, y))
    line(d, pts, INK, width)


def draw_capacitor(d, xc, y, gap, h, plate_w):
    for sx in (-1, 1):
        x = xc + sx * gap / 2
        d.rectangle(box(x - plate_w / 2, y - h, x + plate_w / 2, y + h), fill=INK)
    return xc - gap / 2 - plate_w / 2, xc + gap / 2 + plate_w / 2


def draw_ground(d, x, y, width):
    for i, half in enumerate((11, 7, 3)):
        yy = y + i * 4.2
        line(d, [(x - half, yy), (x + half, yy)], INK, width)


def panel_front():
    W, H = 404, 212
    canvas = Image.new("RGB", (W * SS, H * SS))
    d = ImageDraw.Draw(canvas)

    # brushed-looking light grey plate, lighter at the top
    for y in range(H * SS):
        t = y / (H * SS - 1)
        g = (int(round(219 - 14 * t)), int(round(221 - 14 * t)), int(round(224 - 13 * t)))
        d.line([(0, y), (W * SS, y)], fill=g)
    # bevelled edge
    d.rectangle(box(0, 0, W, H), outline=(84, 86, 92), width=S(1))
    line(d, [(1.5, H - 2), (1.5, 1.5), (W - 2, 1.5)], (248, 249, 250), 1.4)
    line(d, [(2, H - 1.6), (W - 1.6, H - 1.6), (W - 1.6, 2)], (140, 142, 148), 1.4)

    for (cx, cy), ang in zip(((13, 13), (W - 13, 13), (13, H - 13), (W - 13, H - 13)),
                             (35, 120, 80, 160)):
        draw_screw(d, cx, cy, 8, ang)

    # maker's mark and name
    name = "Quillion Maritime Corp."
    name_font = font(SANS_BOLD, 23)
    name_xs = 0.86
    logo_r = 15
    gap = 8
    total = 2 * logo_r + gap + text_width(name, name_font, name_xs)
    x0 = (W - total) / 2
    draw_logo(d, canvas, x0 + logo_r, 25, logo_r)
    draw_text(canvas, x0 + 2 * logo_r + gap, 33, name, name_font, INK, xscale=name_xs)

    # model name and kind of instrument, between two rules
    rule = (60, 64, 74)
    line(d, [(30, 46), (W - 30, 46)], rule, 2.0)
    draw_text(canvas, W / 2, 98, "KELT-9R", font(SANS_BOLD, 66), NAVY_INK,
              align="center", slant=0.22)
    draw_text(canvas, W / 2, 118, "ECHO SOUNDER TEST SET", font(SANS_BOLD, 18), INK,
              align="center", xscale=0.92)
    line(d, [(30, 126), (W - 30, 126)], rule, 2.0)

    # signal connector with its legend
    draw_bnc(d, 52, 167, 19)
    draw_text(canvas, 82, 160, "IN/OUT", font(SANS_BOLD, 21), INK, xscale=0.95)
    draw_text(canvas, 82, 185, "2500 V p-p MAX", font(SANS_BOLD, 17), (150, 20, 20),
              xscale=0.82)

    # load network behind the connector: resistor and capacitor in
    # parallel, to ground
    val = font(SANS_BOLD, 17)
    lw = 2.4
    xa, xb = 240, 348           # the two nodes
    yr, yc = 150, 177           # resistor branch, capacitor branch
    ym = (yr + yc) / 2
    xm = (xa + xb) / 2
    disc(d, 222, ym, 3.6, (246, 246, 246), outline=INK, width=1.6)
    line(d, [(225.6, ym), (xa, ym)], INK, lw)
    line(d, [(xa, yr), (xa, yc)], INK, lw)
    line(d, [(xb, yr), (xb, yc)], INK, lw)
    disc(d, xa, ym, 2.6, INK)
    disc(d, xb, ym, 2.6, INK)
    rx0, rx1 = xm - 26, xm + 26
    line(d, [(xa, yr), (rx0, yr)], INK, lw)
    draw_resistor(d, rx0, rx1, yr, 5.5, lw)
    line(d, [(rx1, yr), (xb, yr)], INK, lw)
    cl, cr = draw_capacitor(d, xm, yc, 7, 8, 3.0)
    line(d, [(xa, yc), (cl, yc)], INK, lw)
    line(d, [(cr, yc), (xb, yc)], INK, lw)
    draw_text(canvas, xm, yr - 9, "560 \u03a9 10 W", val, INK, align="center", xscale=0.9)
    draw_text(canvas, xm, yc + 23, "1 nF 3 kV", val, INK, align="center", xscale=0.9)
    gx = 370
    line(d, [(xb, ym), (gx, ym), (gx, 183)], INK, lw)
    draw_ground(d, gx, 183, lw)

    return reduce(canvas, (W, H))


# --------------------------------------------------------------------------
# Bitmap 113: the "Updating" splash
# --------------------------------------------------------------------------

SPLASH_BLUE = (16, 48, 200)


def updating_splash():
    W, H = 459, 183
    canvas = Image.new("RGB", (W * SS, H * SS), (255, 255, 255))
    d = ImageDraw.Draw(canvas)
    draw_text(canvas, W / 2, 82, "KELT-9R", font(SANS_BOLD, 86), SPLASH_BLUE,
              align="center", slant=0.22)
    draw_text(canvas, W / 2, 116, "Echo Sounder Test Set", font(SANS_BOLD, 28),
              (24, 24, 40), align="center")
    line(d, [(40, 129), (W - 40, 129)], SPLASH_BLUE, 2.5)
    draw_text(canvas, W / 2, 163, "Control panel loading.....", font(SANS, 28),
              (24, 24, 40), align="center")
    return reduce(canvas, (W, H))


# --------------------------------------------------------------------------
# Icons, drawn pixel by pixel in the 16-colour palette
# --------------------------------------------------------------------------

def blank_grid():
    return [[CLEAR] * 32 for _ in range(32)]


def fill_rect(g, x0, y0, x1, y1, c):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            g[y][x] = c


def put_pattern(g, x0, y0, rows, colours):
    for dy, row in enumerate(rows):
        for dx, ch in enumerate(row):
            if ch in colours:
                g[y0 + dy][x0 + dx] = colours[ch]


def rounded_panel(g, x0, y0, x1, y1, face, light, dark, edge):
    fill_rect(g, x0, y0, x1, y1, face)
    for x in range(x0, x1 + 1):
        g[y0][x] = edge
        g[y1][x] = edge
    for y in range(y0, y1 + 1):
        g[y][x0] = edge
        g[y][x1] = edge
    for x in range(x0 + 1, x1):
        g[y0 + 1][x] = light
        g[y1 - 1][x] = dark
    for y in range(y0 + 1, y1):
        g[y][x0 + 1] = light
        g[y][x1 - 1] = dark
    for (x, y) in ((x0, y0), (x1, y0), (x0, y1), (x1, y1)):
        g[y][x] = CLEAR


def keltpanel_icon():
    """A sounder's view: 'K9' over a hull whose echo rings reach the bottom."""
    g = blank_grid()
    rounded_panel(g, 0, 0, 31, 31, NAVY, BLUE, BLACK, BLACK)
    k9 = [
        "WW...WW..WWWWW.",
        "WW..WW..WW...WW",
        "WW.WW...WW...WW",
        "WWWW....WW...WW",
        "WWWW.....WWWWWW",
        "WW.WW........WW",
        "WW..WW......WW.",
        "WW...WW..WWWW..",
    ]
    put_pattern(g, 8, 2, k9, {"W": WHITE})
    # the hull on the water, transducer under its keel
    hull = [
        "SSSSSSSSSSSSSSSSSS",
        ".SSSSSSSSSSSSSSSS.",
        "..GGGGGGGGGGGGGG..",
        "......YYYYYY......",
    ]
    put_pattern(g, 7, 12, hull, {"S": SILVER, "G": GREY, "Y": YELLOW})
    for x in range(2, 30):
        if g[13][x] == NAVY:
            g[13][x] = TEAL
    # sound rings spreading down in a cone
    cx, cy = 15.5, 14.5
    for r in (4.5, 8.0, 11.5):
        for x in range(2, 30):
            for y in range(16, 27):
                dist = math.hypot(x - cx, y - cy)
                if abs(dist - r) < 0.62 and abs(x - cx) < (y - cy) * 3.2:
                    g[y][x] = AQUA
    # the bottom
    for x in range(2, 30):
        top = 27 + (1 if (x // 4) % 3 == 1 else 0)
        for y in range(top, 30):
            g[y][x] = OLIVE
        g[top][x] = YELLOW
    return g


def keltterm_icon():
    """A small terminal screen with a prompt and a line of traffic."""
    g = blank_grid()
    # monitor case
    rounded_panel(g, 1, 2, 30, 24, SILVER, WHITE, GREY, BLACK)
    # screen
    fill_rect(g, 4, 5, 27, 20, BLACK)
    for x in range(4, 28):
        g[4][x] = GREY
    for y in range(4, 21):
        g[y][3] = GREY
    for x in range(3, 29):
        g[21][x] = WHITE
    for y in range(4, 22):
        g[y][28] = WHITE
    text = [
        "LL.L.L.LLL.L....",
        "................",
        "L.LL.LL.L.LLL...",
        "................",
        "LL...LLL.LL.L...",
    ]
    put_pattern(g, 6, 7, text, {"L": LIME})
    prompt = [
        "L.....",
        ".L....",
        "..L...",
        ".L....",
        "L..LLL",
    ]
    put_pattern(g, 6, 14, prompt, {"L": LIME})
    g[9][26] = GREEN
    # neck and foot
    fill_rect(g, 12, 25, 19, 26, GREY)
    fill_rect(g, 7, 27, 24, 29, SILVER)
    for x in range(7, 25):
        g[27][x] = WHITE
        g[29][x] = GREY
    for x in range(6, 26):
        g[30][x] = BLACK
    g[27][6] = BLACK
    g[28][6] = BLACK
    g[29][6] = BLACK
    g[27][25] = BLACK
    g[28][25] = BLACK
    g[29][25] = BLACK
    # power lamp
    g[22][26] = LIME
    g[22][27] = GREEN
    return g


# --------------------------------------------------------------------------

def grid_image(g):
    img = Image.new("RGBA", (32, 32))
    for y in range(32):
        for x in range(32):
            c = g[y][x]
            img.putpixel((x, y), (0, 0, 0, 0) if c == CLEAR else ICON_PALETTE[c] + (255,))
    return img


def write_previews(outdir, panel, splash, icons):
    os.makedirs(outdir, exist_ok=True)
    # The dialogs stretch the bitmaps to 100 x 45 and 110 x 50 dialog units,
    # about 150 x 73 and 165 x 81 pixels with an 8 point dialog font at 96 dpi.
    for name, img, size in (("panel_front", panel, (150, 73)),
                            ("updating_splash", splash, (165, 81))):
        img.save(os.path.join(outdir, name + ".png"))
        small_smooth = img.resize(size, Image.BOX)
        small_near = img.resize(size, Image.NEAREST)
        sheet = Image.new("RGB", (size[0] * 2 + 10, size[1]), (240, 240, 240))
        sheet.paste(small_smooth, (0, 0))
        sheet.paste(small_near, (size[0] + 10, 0))
        sheet.resize((sheet.width * 3, sheet.height * 3), Image.NEAREST).save(
            os.path.join(outdir, name + "_small_x3.png"))
    for name, g in icons:
        img = grid_image(g)
        sheet = Image.new("RGBA", (32 * 8 + 16 * 8 + 10, 32 * 8), (236, 233, 216, 255))
        big = img.resize((256, 256), Image.NEAREST)
        sheet.alpha_composite(big, (0, 0))
        small = img.resize((16, 16), Image.LANCZOS).resize((128, 128), Image.NEAREST)
        sheet.alpha_composite(small, (266, 0))
        sheet.save(os.path.join(outdir, name + "_icon.png"))


def main(argv):
    preview = None
    if len(argv) == 3 and argv[1] == "--preview":
        preview = argv[2]
    elif len(argv) != 1:
        sys.exit("usage: draw_resources.py [--preview DIR]")

    panel = panel_front()
    splash = updating_splash()
    write_bmp8(os.path.join(HERE, "panel_front.bmp"), panel)
    write_bmp8(os.path.join(HERE, "updating_splash.bmp"), splash)
    icons = (("keltpanel", keltpanel_icon()), ("keltterm", keltterm_icon()))
    for name, g in icons:
        write_ico4(os.path.join(HERE, name + ".ico"), g)
    if preview:
        # preview what the files hold, after the reduction to 256 colours
        panel = Image.open(os.path.join(HERE, "panel_front.bmp")).convert("RGB")
        splash = Image.open(os.path.join(HERE, "updating_splash.bmp")).convert("RGB")
        write_previews(preview, panel, splash, icons)


if __name__ == "__main__":
    main(sys.argv)
