#!/usr/bin/python3
"""Remakes the pictures and sounds in resources/.

The generated files are committed, so building the program never runs this script;
run it only to change or remake them:

    /usr/bin/python3 scripts/make-resources.py            # everything
    /usr/bin/python3 scripts/make-resources.py background tile icons start end stop

Needs Pillow and NumPy (Debian: apt-get install python3-pil python3-numpy).
Everything is drawn or synthesised here from fixed random seeds, so the output is the
same on every run.
"""

import math
import os
import sys
import wave

import numpy as np
from PIL import Image, ImageDraw, ImageFilter

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "resources")


# ---------------------------------------------------------------------------
# small helpers
# ---------------------------------------------------------------------------

def smoothstep(e0, e1, x):
    t = np.clip((x - e0) / (e1 - e0), 0.0, 1.0)
    return t * t * (3.0 - 2.0 * t)


def add_glow(img, cx, cy, radius, color, strength=1.0):
    """Adds a gaussian blob (float RGB image, values 0..255) in a local window."""
    h, w, _ = img.shape
    r = int(radius * 3) + 1
    x0, x1 = max(0, int(cx) - r), min(w, int(cx) + r + 1)
    y0, y1 = max(0, int(cy) - r), min(h, int(cy) + r + 1)
    if x0 >= x1 or y0 >= y1:
        return
    yy, xx = np.mgrid[y0:y1, x0:x1].astype(np.float32)
    d2 = (xx - cx) ** 2 + (yy - cy) ** 2
    g = np.exp(-d2 / (2.0 * radius * radius)) * strength
    img[y0:y1, x0:x1, :] += g[:, :, None] * np.asarray(color, np.float32)[None, None, :]


def add_glint(img, cx, cy, length, color, strength=1.0):
    """A four-pointed star glint: two thin streaks crossing at (cx, cy)."""
    h, w, _ = img.shape
    r = int(length) + 2
    x0, x1 = max(0, int(cx) - r), min(w, int(cx) + r + 1)
    y0, y1 = max(0, int(cy) - r), min(h, int(cy) + r + 1)
    if x0 >= x1 or y0 >= y1:
        return
    yy, xx = np.mgrid[y0:y1, x0:x1].astype(np.float32)
    dx, dy = np.abs(xx - cx), np.abs(yy - cy)
    horiz = np.exp(-(dy ** 2) / 1.2) * np.clip(1.0 - dx / length, 0, 1) ** 2
    vert = np.exp(-(dx ** 2) / 1.2) * np.clip(1.0 - dy / length, 0, 1) ** 2
    g = np.maximum(horiz, vert) * strength
    img[y0:y1, x0:x1, :] += g[:, :, None] * np.asarray(color, np.float32)[None, None, :]


# ---------------------------------------------------------------------------
# background.jpg: festive stage, 2130 x 1599
# ---------------------------------------------------------------------------

BG_W, BG_H = 2130, 1599


def calm_mask(xx, yy):
    """1 inside the upper-left area where the rows of digit tiles sit, fading to 0 outside.

    On a 1920x1080 screen the tiles cover x 20..482, y 100..562; the picture is stretched
    to the screen, so that is about x 0..0.26 and y 0..0.53 of the picture.
    """
    mx = 1.0 - smoothstep(0.25 * BG_W, 0.40 * BG_W, xx)
    my = 1.0 - smoothstep(0.52 * BG_H, 0.72 * BG_H, yy)
    return mx * my


def draw_valance(img):
    """A red velvet stage valance with a gold trim hanging in swags along the top edge."""
    H, W, _ = img.shape
    period = W / 9.0
    x = np.arange(W, dtype=np.float32)
    frac = (x % period) / period
    bottom = 46.0 + 34.0 * np.sin(np.pi * frac)          # lowest in the middle of each swag
    yy, xx = np.mgrid[0:H, 0:W].astype(np.float32)
    b = bottom[None, :]
    folds = 0.72 + 0.28 * np.cos(2 * np.pi * xx / (period / 5.0)) ** 2
    sag = np.clip(yy / b, 0, 1)
    velvet = np.array([120, 6, 16], np.float32)[None, None, :] * (folds * (0.75 + 0.35 * sag))[:, :, None]
    inside = smoothstep(b + 0.8, b - 0.8, yy)            # anti-aliased lower edge
    shadow = np.exp(-np.maximum(yy - b, 0) / 10.0) * (yy > b) * 0.45
    img = img * (1.0 - shadow)[:, :, None]
    img = img * (1.0 - inside[:, :, None]) + velvet * inside[:, :, None]
    # gold trim band along the lower edge
    dist = b - yy
    band = smoothstep(9.0, 7.5, dist) * smoothstep(-0.8, 0.8, dist)
    shine = 0.75 + 0.25 * np.cos((dist - 4.0) / 4.5 * np.pi * 0.5)
    gold = np.array([235, 178, 60], np.float32)[None, None, :] * shine[:, :, None]
    img = img * (1.0 - band[:, :, None]) + gold * band[:, :, None]
    # small gold tassels where the swags meet
    for k in range(10):
        cx = k * period
        for dy in range(0, 26):
            y = int(46 + dy)
            half = 3.0 + dy * 0.22 if dy > 8 else 3.5
            x0, x1 = int(max(0, cx - half - 1)), int(min(W, cx + half + 2))
            if x0 >= x1:
                continue
            xs = np.arange(x0, x1, dtype=np.float32)
            cov = np.clip(half + 0.5 - np.abs(xs - cx), 0, 1)[:, None]
            shade = 0.8 + 0.2 * np.cos((xs - cx) / (half + 1) * np.pi / 2)[:, None]
            col = np.array([230, 170, 55], np.float32)[None, :] * shade
            img[y, x0:x1, :] = img[y, x0:x1, :] * (1 - cov) + col * cov
    return img


def make_background(path):
    rng = np.random.default_rng(20240211)
    W, H = BG_W, BG_H
    yy, xx = np.mgrid[0:H, 0:W].astype(np.float32)
    calm = calm_mask(xx, yy)

    # Base: deep red at the top and edges, crimson glow towards the middle right.
    top = np.array([62, 2, 10], np.float32)
    mid = np.array([150, 12, 32], np.float32)
    t = (yy / H)[:, :, None]
    img = top * (1 - t) + mid * t
    dx = (xx - 0.60 * W) / (0.62 * W)
    dy = (yy - 0.48 * H) / (0.62 * H)
    radial = np.exp(-(dx * dx + dy * dy) * 1.6)
    img += radial[:, :, None] * np.array([95, 14, 22], np.float32)

    # Stage floor: a warm pool of light along the bottom.
    fx = (xx - 0.58 * W) / (0.55 * W)
    fy = (yy - 1.02 * H) / (0.16 * H)
    floor = np.exp(-(fx * fx + fy * fy))
    img += floor[:, :, None] * np.array([150, 70, 25], np.float32)

    # Spotlight beams from the lighting rig above the stage.
    beams = [  # source x, source y, aim x, aim y, half-angle (deg), strength
        (0.50 * W, -0.08 * H, 0.40 * W, 1.05 * H, 5.5, 0.55),
        (0.63 * W, -0.08 * H, 0.78 * W, 1.05 * H, 6.0, 0.60),
        (0.80 * W, -0.08 * H, 0.56 * W, 1.05 * H, 5.0, 0.50),
        (1.02 * W, -0.05 * H, 0.88 * W, 1.05 * H, 6.5, 0.55),
        (0.36 * W, -0.08 * H, 0.30 * W, 1.05 * H, 4.5, 0.35),
    ]
    beam_light = np.zeros((H, W), np.float32)
    for sx, sy, ax, ay, half, s in beams:
        vx, vy = ax - sx, ay - sy
        norm = math.hypot(vx, vy)
        vx, vy = vx / norm, vy / norm
        px, py = xx - sx, yy - sy
        along = px * vx + py * vy
        across = np.abs(px * vy - py * vx)
        ang = np.degrees(np.arctan2(across, np.maximum(along, 1.0)))
        cone = 1.0 - smoothstep(half * 0.35, half, ang)
        fade = np.exp(-along / (1.35 * H)) * smoothstep(0, 0.12 * H, along)
        beam_light += cone * fade * s
    beam_light *= 1.0 - 0.9 * calm
    img += beam_light[:, :, None] * np.array([250, 185, 95], np.float32)

    # Where the beams meet the floor: bright elliptical spots.
    for cx in (0.40 * W, 0.56 * W, 0.78 * W, 0.88 * W):
        ex = (xx - cx) / (0.06 * W)
        ey = (yy - 0.985 * H) / (0.02 * H)
        img += (np.exp(-(ex * ex + ey * ey)) * 0.55)[:, :, None] * np.array([255, 200, 130], np.float32)

    # Keep the tile area calm and a little darker so digits on the tiles stand out.
    img *= (1.0 - 0.22 * calm)[:, :, None]
    del xx, yy, radial, floor, beam_light

    # Soft golden bokeh discs.
    for _ in range(46):
        cx, cy = rng.uniform(0, W), rng.uniform(0, H)
        if calm_mask(np.float32(cx), np.float32(cy)) > 0.05:
            continue
        add_glow(img, cx, cy, rng.uniform(14, 42), (255, 190, 80), rng.uniform(0.10, 0.28))

    # Drawn elements (lanterns, fireworks, confetti) on a 2x overlay, downsampled for smooth edges.
    S = 2
    overlay = Image.new("RGBA", (W * S, H * S), (0, 0, 0, 0))
    glow_layer = Image.new("RGBA", (W * S, H * S), (0, 0, 0, 0))
    d = ImageDraw.Draw(overlay)
    gd = ImageDraw.Draw(glow_layer)

    def firework(cx, cy, radius, color, rays, seed):
        r2 = np.random.default_rng(seed)
        for i in range(rays):
            a = 2 * math.pi * i / rays + r2.uniform(-0.05, 0.05)
            rr = radius * r2.uniform(0.78, 1.0)
            steps = 14
            for k in range(steps):
                f0, f1 = 0.18 + 0.82 * k / steps, 0.18 + 0.82 * (k + 1) / steps
                alpha = int(235 * (0.25 + 0.75 * (k + 1) / steps))
                p0 = (S * (cx + math.cos(a) * rr * f0), S * (cy + math.sin(a) * rr * f0 + 10 * f0 * f0))
                p1 = (S * (cx + math.cos(a) * rr * f1), S * (cy + math.sin(a) * rr * f1 + 10 * f1 * f1))
                d.line([p0, p1], fill=color + (alpha,), width=max(2, int(S * 2.4 * (1 - 0.5 * f1))))
            tx = S * (cx + math.cos(a) * rr)
            ty = S * (cy + math.sin(a) * rr + 10)
            rad = S * 3.2
            d.ellipse([tx - rad, ty - rad, tx + rad, ty + rad], fill=(255, 240, 190, 255))
            gd.ellipse([tx - 3 * rad, ty - 3 * rad, tx + 3 * rad, ty + 3 * rad], fill=color + (150,))

    def lantern(cx, top_y, cy, rx, ry):
        # string from the top edge
        d.line([(S * cx, S * top_y), (S * cx, S * (cy - ry - 10))], fill=(215, 165, 60, 255), width=S * 3)
        # glow behind
        gd.ellipse([S * (cx - rx * 1.6), S * (cy - ry * 1.5), S * (cx + rx * 1.6), S * (cy + ry * 1.5)],
                   fill=(255, 90, 30, 150))
        # top and bottom gold caps
        cap_w, cap_h = rx * 0.55, ry * 0.16
        d.rounded_rectangle([S * (cx - cap_w), S * (cy - ry - cap_h), S * (cx + cap_w), S * (cy - ry + cap_h * 0.6)],
                            radius=S * 4, fill=(222, 170, 55, 255), outline=(150, 95, 20, 255), width=S * 2)
        # body
        d.ellipse([S * (cx - rx), S * (cy - ry), S * (cx + rx), S * (cy + ry)], fill=(214, 26, 30, 255))
        # inner light: a brighter centre
        for k in range(40, 0, -1):
            f = k / 40.0
            col = (int(214 + 41 * (1 - f)), int(26 + 110 * (1 - f) ** 1.5), int(30 + 40 * (1 - f) ** 2), 255)
            d.ellipse([S * (cx - rx * f * 0.82), S * (cy - ry * f * 0.88), S * (cx + rx * f * 0.82),
                       S * (cy + ry * f * 0.88)], fill=col)
        # ribs
        for k in (-0.72, -0.38, 0.0, 0.38, 0.72):
            ex = rx * abs(k)
            if k == 0:
                d.line([(S * cx, S * (cy - ry)), (S * cx, S * (cy + ry))], fill=(150, 10, 18, 200), width=S * 2)
                continue
            box = [S * (cx - ex), S * (cy - ry), S * (cx + ex), S * (cy + ry)]
            if k < 0:
                d.arc(box, 90, 270, fill=(150, 10, 18, 200), width=S * 2)
            else:
                d.arc(box, -90, 90, fill=(150, 10, 18, 200), width=S * 2)
        d.ellipse([S * (cx - rx), S * (cy - ry), S * (cx + rx), S * (cy + ry)], outline=(130, 8, 16, 255), width=S * 2)
        d.rounded_rectangle([S * (cx - cap_w), S * (cy + ry - cap_h * 0.6), S * (cx + cap_w), S * (cy + ry + cap_h)],
                            radius=S * 4, fill=(222, 170, 55, 255), outline=(150, 95, 20, 255), width=S * 2)
        # tassel
        ty0 = cy + ry + cap_h
        d.rectangle([S * (cx - 4), S * ty0, S * (cx + 4), S * (ty0 + 10)], fill=(222, 170, 55, 255))
        for k in range(-5, 6):
            d.line([(S * (cx + k * 1.6), S * (ty0 + 10)), (S * (cx + k * 2.6), S * (ty0 + ry * 0.75))],
                   fill=(200, 25, 30, 255), width=S * 2)

    # Lanterns hanging along the top right.
    lantern(0.625 * W, 0, 0.130 * H, 62, 54)
    lantern(0.775 * W, 0, 0.205 * H, 78, 68)
    lantern(0.925 * W, 0, 0.115 * H, 58, 50)

    # Fireworks in the sky over the stage.
    firework(0.47 * W, 0.20 * H, 150, (255, 205, 90), 30, 7)
    firework(0.87 * W, 0.44 * H, 190, (255, 180, 70), 36, 11)
    firework(0.69 * W, 0.41 * H, 95, (255, 225, 150), 24, 13)

    # Confetti: small gold, orange and pink pieces, denser towards the right and the bottom.
    palette = [(255, 205, 70), (245, 170, 40), (255, 230, 140), (255, 120, 90), (250, 190, 60)]
    placed = 0
    while placed < 200:
        cx, cy = rng.uniform(0, W), rng.uniform(0, H)
        weight = 0.25 + 0.75 * (cx / W) * 0.6 + 0.4 * (cy / H)
        if rng.uniform() > weight or calm_mask(np.float32(cx), np.float32(cy)) > rng.uniform(0.0, 0.25):
            continue
        placed += 1
        L, Wd = rng.uniform(7, 16), rng.uniform(3, 6)
        a = rng.uniform(0, math.pi)
        ca, sa = math.cos(a), math.sin(a)
        pts = [(-L, -Wd), (L, -Wd), (L, Wd), (-L, Wd)]
        pts = [(S * (cx + px * ca - py * sa), S * (cy + px * sa + py * ca)) for px, py in pts]
        col = palette[rng.integers(len(palette))]
        d.polygon(pts, fill=col + (int(rng.uniform(150, 235)),))

    glow_layer = glow_layer.filter(ImageFilter.GaussianBlur(S * 18))
    glow = np.asarray(glow_layer.resize((W, H), Image.LANCZOS), np.float32)
    img += glow[:, :, :3] * (glow[:, :, 3:] / 255.0) * 0.9
    del glow, glow_layer

    # Golden sparkles: tiny points with a soft halo, a few with star glints.
    for _ in range(700):
        cx, cy = rng.uniform(0, W), rng.uniform(0, H)
        if calm_mask(np.float32(cx), np.float32(cy)) > rng.uniform(0.0, 0.3):
            continue
        s = rng.uniform(0.25, 1.0) ** 2
        add_glow(img, cx, cy, 1.2 + 2.0 * s, (255, 225, 150), 0.6 + 0.8 * s)
        if s > 0.55:
            add_glow(img, cx, cy, 9 + 8 * s, (255, 180, 70), 0.18)
            add_glint(img, cx, cy, 14 + 26 * s, (255, 235, 180), 0.9)

    # Vignette.
    yy, xx = np.mgrid[0:H, 0:W].astype(np.float32)
    vx, vy = (xx / W - 0.5) * 2, (yy / H - 0.5) * 2
    vig = 1.0 - 0.30 * np.clip(vx * vx * 0.6 + vy * vy * 0.7, 0, 1.4)
    img *= vig[:, :, None]

    # Composite the drawn elements over the lit background.
    base = Image.fromarray(np.clip(img, 0, 255).astype(np.uint8), "RGB")
    ov = overlay.resize((W, H), Image.LANCZOS)
    base = base.convert("RGBA")
    base.alpha_composite(ov)
    base = np.asarray(base.convert("RGB"), np.float32)
    base = draw_valance(base)
    base = Image.fromarray(np.clip(base, 0, 255).astype(np.uint8), "RGB")
    base.save(path, "JPEG", quality=85, optimize=True, progressive=False, subsampling=0)


# ---------------------------------------------------------------------------
# cj.bmp: one reel tile face, 41 x 41, 24-bit
# ---------------------------------------------------------------------------

def make_tile(path):
    """Gold bevelled frame round an ivory face, shaded like a lit reel drum.

    The face is light, so the program should draw the digits on it in black (bold).
    """
    N = 41
    B = 3                                            # bevel width
    yy, xx = np.mgrid[0:N, 0:N].astype(np.float32)

    # Face: warm ivory, brightest across the middle, darker towards top and bottom edges.
    v = (yy - (N - 1) / 2) / ((N - 1) / 2)          # -1 .. 1, top to bottom
    edge = np.clip(v * v * 1.05 + 0.04 * v, 0, 1)[:, :, None]
    img = np.array([255, 248, 222], np.float32) * (1 - edge) + np.array([232, 200, 140], np.float32) * edge

    # Bevel: light gold on the top/left, dark gold on the bottom/right, meeting on the diagonals.
    inset = np.minimum(np.minimum(xx, yy), np.minimum(N - 1 - xx, N - 1 - yy))
    bevel = inset <= B
    use_light = np.minimum(xx, yy) <= np.minimum(N - 1 - xx, N - 1 - yy)
    depth = (inset / B)[:, :, None]                  # 0 at the outer edge, 1 at the face
    light_col = np.array([255, 222, 120], np.float32) * (1.0 - 0.10 * depth)
    dark_col = np.array([176, 100, 18], np.float32) * (0.85 + 0.30 * depth)
    img = np.where((bevel & use_light)[:, :, None], light_col, img)
    img = np.where((bevel & ~use_light)[:, :, None], dark_col, img)

    # A soft warm shadow just inside the bevel, and a dark red outer border.
    inner = inset == B + 1
    img[inner] = img[inner] * np.array([0.86, 0.76, 0.62], np.float32)
    outer = inset == 0
    img[outer] = np.array([118, 16, 12], np.float32)

    tile = Image.fromarray(np.clip(img, 0, 255).astype(np.uint8), "RGB")
    tile.save(path, "BMP")


# ---------------------------------------------------------------------------
# icons
# ---------------------------------------------------------------------------

def _downsample(big, size):
    return big.resize((size, size), Image.LANCZOS)


def make_icon_add(path):
    S = 8
    big = Image.new("RGBA", (16 * S, 16 * S), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)
    outline, fill, hi = (22, 110, 30, 255), (62, 180, 60, 255), (140, 225, 120, 255)
    # plus, 6 px thick arms with a 1 px dark outline
    d.rounded_rectangle([5 * S, 1 * S, 11 * S, 15 * S], radius=S, fill=outline)
    d.rounded_rectangle([1 * S, 5 * S, 15 * S, 11 * S], radius=S, fill=outline)
    d.rectangle([6 * S, 2 * S, 10 * S, 14 * S], fill=fill)
    d.rectangle([2 * S, 6 * S, 14 * S, 10 * S], fill=fill)
    d.rectangle([6 * S, 2 * S, 10 * S, 3 * S], fill=hi)
    d.rectangle([2 * S, 6 * S, 6 * S, 7 * S], fill=hi)
    d.rectangle([10 * S, 6 * S, 14 * S, 7 * S], fill=hi)
    _downsample(big, 16).save(path, "PNG")


def make_icon_delete(path):
    S = 8
    big = Image.new("RGBA", (16 * S, 16 * S), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)
    outline, fill = (140, 16, 16, 255), (225, 45, 40, 255)
    a, b = 2.5 * S, 13.5 * S
    d.line([(a, a), (b, b)], fill=outline, width=int(5.2 * S))
    d.line([(a, b), (b, a)], fill=outline, width=int(5.2 * S))
    for p in ((a, a), (b, b), (a, b), (b, a)):
        r = 2.6 * S
        d.ellipse([p[0] - r, p[1] - r, p[0] + r, p[1] + r], fill=outline)
    d.line([(a, a), (b, b)], fill=fill, width=int(3.2 * S))
    d.line([(a, b), (b, a)], fill=fill, width=int(3.2 * S))
    for p in ((a, a), (b, b), (a, b), (b, a)):
        r = 1.6 * S
        d.ellipse([p[0] - r, p[1] - r, p[0] + r, p[1] + r], fill=fill)
    _downsample(big, 16).save(path, "PNG")


def make_icon_sheet(path):
    # Drawn pixel by pixel so the grid lines stay crisp at 16 x 16.
    im = Image.new("RGBA", (16, 16), (0, 0, 0, 0))
    d = ImageDraw.Draw(im)
    border, header, paper, grid = (20, 100, 45, 255), (40, 150, 70, 255), (255, 255, 255, 255), (120, 185, 135, 255)
    d.rectangle([1, 1, 14, 14], fill=paper, outline=border)
    d.rectangle([2, 2, 13, 4], fill=header)
    for x in (5, 9):
        d.line([(x, 2), (x, 13)], fill=grid)
    for y in (7, 10):
        d.line([(2, y), (13, y)], fill=grid)
    d.line([(2, 5), (13, 5)], fill=border)
    d.line([(5, 2), (5, 4)], fill=(200, 235, 205, 255))
    d.line([(9, 2), (9, 4)], fill=(200, 235, 205, 255))
    im.save(path, "PNG")


def make_icon_app(path, size=64):
    """A red lottery ball with a golden band and a golden star, size x size pixels."""
    S = 8
    N = 64 * S
    yy, xx = np.mgrid[0:N, 0:N].astype(np.float32)
    c = (N - 1) / 2
    R = 29.5 * S
    dx, dy = (xx - c) / R, (yy - c) / R
    r2 = dx * dx + dy * dy
    inside = r2 <= 1.0
    nz = np.sqrt(np.clip(1.0 - r2, 0, 1))
    # Lighting: light from the upper left.
    lx, ly, lz = -0.45, -0.55, 0.70
    ln = math.sqrt(lx * lx + ly * ly + lz * lz)
    lam = np.clip((dx * lx + dy * ly + nz * lz) / ln, 0, 1)
    rgb = np.zeros((N, N, 3), np.float32)
    red = np.array([215, 25, 35], np.float32)
    dark = np.array([95, 5, 15], np.float32)
    rgb[:] = dark + (red - dark) * (0.25 + 0.85 * lam)[:, :, None]
    # Golden band around the ball (a tilted great circle seen from the front).
    band = np.abs(dy * 0.93 + dx * 0.37) < 0.17 * nz ** 0.2
    gold = np.array([255, 200, 60], np.float32)
    gold_dark = np.array([150, 90, 10], np.float32)
    gcol = gold_dark + (gold - gold_dark) * (0.2 + 0.9 * lam)[:, :, None]
    rgb = np.where((band & inside)[:, :, None], gcol, rgb)
    # Shiny highlight.
    hx, hy = dx + 0.38, dy + 0.45
    shine = np.exp(-(hx * hx + hy * hy) / 0.03)
    rgb += shine[:, :, None] * np.array([255, 235, 220], np.float32) * 0.85
    rgb = np.clip(rgb, 0, 255)
    alpha = np.clip((1.0 - np.sqrt(r2)) * R / 1.0 + 0.5, 0, 1) * 255
    big = Image.fromarray(np.dstack([rgb, alpha]).astype(np.uint8), "RGBA")
    # A golden five-pointed star on a white disc in the middle of the ball.
    d = ImageDraw.Draw(big)
    cx, cy = c - 1.5 * S, c + 0.5 * S
    rd = 12.5 * S
    d.ellipse([cx - rd, cy - rd, cx + rd, cy + rd], fill=(255, 248, 230, 255), outline=(170, 110, 20, 255),
              width=int(1.2 * S))
    pts = []
    for k in range(10):
        a = -math.pi / 2 + k * math.pi / 5
        rr = (10.0 if k % 2 == 0 else 4.1) * S
        pts.append((cx + rr * math.cos(a), cy + 0.5 * S + rr * math.sin(a)))
    d.polygon(pts, fill=(240, 170, 30, 255), outline=(160, 95, 10, 255))
    if size > N:
        big = big.resize((size, size), Image.LANCZOS)
    _downsample(big, size).save(path, "PNG")


def make_menu_icons():
    """The program's icon for the desktop's menu, in the sizes of the hicolor icon theme."""
    for size in (16, 24, 32, 48, 64, 128, 256, 512):
        folder = os.path.join(OUT, "linux", "icons", "%dx%d" % (size, size))
        os.makedirs(folder, exist_ok=True)
        make_icon_app(os.path.join(folder, "com.kestrano.raffle.png"), size)


# ---------------------------------------------------------------------------
# sounds
# ---------------------------------------------------------------------------

RATE = 44100


def midi_hz(m):
    return 440.0 * 2.0 ** ((m - 69) / 12.0)


def env_ad(n, attack, decay_tau):
    t = np.arange(n) / RATE
    a = np.clip(t / max(attack, 1e-4), 0, 1)
    return a * np.exp(-np.maximum(t - attack, 0) / decay_tau)


def write_wav(path, x, peak_db=-3.0):
    x = np.asarray(x, np.float64)
    x = x / np.max(np.abs(x)) * 10 ** (peak_db / 20.0)
    data = np.round(x * 32767).astype("<i2")
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(data.tobytes())


def pluck(freq, dur, bright=1.0, rng=None):
    """Plucked-string note (like a pipa or guzheng): decaying harmonics, brighter at the onset."""
    n = int(dur * RATE)
    t = np.arange(n) / RATE
    out = np.zeros(n)
    for k in range(1, 9):
        f = freq * k * (1 + 0.0006 * k * k)
        if f > RATE / 2.2:
            break
        amp = (1.0 / k ** 1.1) * (bright if k > 1 else 1.0)
        tau = 0.45 / (1 + 0.55 * (k - 1))
        out += amp * np.sin(2 * np.pi * f * t) * np.exp(-t / tau)
    out *= np.clip(t / 0.002, 0, 1) * np.clip((dur - t) / 0.05, 0, 1)
    return out


def brass(freq, dur, attack=0.06, release=0.25, vibrato=5.5):
    """Brass-like tone: sawtooth-style harmonics whose brightness swells after the attack."""
    n = int(dur * RATE)
    t = np.arange(n) / RATE
    vib = 1 + 0.004 * np.sin(2 * np.pi * vibrato * t) * np.clip((t - 0.15) / 0.3, 0, 1)
    phase = 2 * np.pi * freq * np.cumsum(vib) / RATE
    bright = 2.0 + 9.0 * np.clip(t / (attack * 2.5), 0, 1)
    out = np.zeros(n)
    for k in range(1, 24):
        if freq * k > RATE / 2.2:
            break
        out += (1.0 / k) * np.exp(-(k - 1) / bright) * np.sin(k * phase)
    env = np.clip(t / attack, 0, 1) * np.clip((dur - t) / release, 0, 1)
    return out * env


def kick(dur=0.35):
    n = int(dur * RATE)
    t = np.arange(n) / RATE
    f = 48 + 110 * np.exp(-t / 0.035)
    ph = 2 * np.pi * np.cumsum(f) / RATE
    return np.sin(ph) * np.exp(-t / 0.12)


def noise_burst(rng, dur, tau, hp=0.0):
    n = int(dur * RATE)
    t = np.arange(n) / RATE
    x = rng.standard_normal(n)
    if hp > 0:           # crude high-pass: subtract a smoothed copy
        k = max(1, int(RATE / hp / 2))
        x = x - np.convolve(x, np.ones(k) / k, mode="same")
    return x * np.exp(-t / tau)


def mix_into(buf, x, at, gain=1.0, wrap=False):
    """Adds sound x at sample position at; wrap=True mixes round the end of a loop."""
    x = np.array(x, np.float64)
    tail = min(len(x), int(0.004 * RATE))       # short fade so no sound ends with a click
    x[len(x) - tail:] *= np.linspace(1, 0, tail)
    n = len(buf)
    i = int(round(at))
    if wrap:
        idx = (np.arange(len(x)) + i) % n
        np.add.at(buf, idx, x * gain)
    else:
        end = min(n, i + len(x))
        buf[i:end] += x[: end - i] * gain


def make_start(path):
    """Rolling music: 4 bars at 140 bpm in C gong pentatonic, loops seamlessly."""
    rng = np.random.default_rng(8)
    beat = RATE * 60 // 140          # 18900 samples, exact
    bars = 4
    n = beat * 4 * bars
    buf = np.zeros(n)
    six = beat / 4.0

    k = kick()
    hat = noise_burst(rng, 0.06, 0.012, hp=6000)
    hat_open = noise_burst(rng, 0.18, 0.05, hp=5000)
    clap = noise_burst(rng, 0.20, 0.05, hp=900) + 0.5 * noise_burst(rng, 0.2, 0.03, hp=1500)
    block = np.sin(2 * np.pi * 1250 * np.arange(int(0.05 * RATE)) / RATE) * env_ad(int(0.05 * RATE), 0.0005, 0.012)

    # chords (root midi, arpeggio notes as pentatonic picks)
    progression = [
        (48, [60, 64, 67, 72, 76, 72, 67, 64]),   # C
        (45, [57, 60, 64, 69, 72, 69, 64, 60]),   # Am
        (43, [55, 62, 67, 69, 74, 69, 67, 62]),   # G with A on top (pentatonic colour)
        (48, [60, 64, 67, 72, 76, 79, 76, 72]),   # C, rising to the loop point
    ]
    # lead melody, one note per eighth (None = rest), pentatonic
    melody = [
        [76, None, 79, 76, 74, None, 72, 74],
        [76, None, 72, 69, 72, None, None, None],
        [74, None, 76, 74, 72, None, 69, 67],
        [69, 72, 74, 76, 79, None, 76, None],
    ]

    for b in range(bars):
        bar0 = b * 4 * beat
        root, arp = progression[b]
        for q in range(4):
            t0 = bar0 + q * beat
            mix_into(buf, k, t0, 1.0, wrap=True)
            if q in (1, 3):
                mix_into(buf, clap, t0, 0.35, wrap=True)
            # bass: root on the beat, octave on the off-beat
            mix_into(buf, pluck(midi_hz(root), 0.30, 0.6), t0, 0.55, wrap=True)
            mix_into(buf, pluck(midi_hz(root + 12), 0.18, 0.6), t0 + 2 * six, 0.35, wrap=True)
        if b == bars - 1:
            # a little wood-block roll into the loop point
            for s in range(12, 16):
                mix_into(buf, block, bar0 + s * six, 0.25 + 0.06 * (s - 12), wrap=True)
        for s in range(16):
            t0 = bar0 + s * six
            mix_into(buf, hat if s % 4 != 2 else hat_open, t0, 0.10 if s % 2 else 0.16, wrap=True)
            note = arp[s % 8]
            mix_into(buf, pluck(midi_hz(note), 0.28, 1.2), t0, 0.22 if s % 4 else 0.30, wrap=True)
        for e, note in enumerate(melody[b]):
            if note is None:
                continue
            length = 0.20
            nxt = melody[b][e + 1] if e + 1 < 8 else 0
            if nxt is None:
                length = 0.38
            mix_into(buf, brass(midi_hz(note), length, attack=0.015, release=0.06, vibrato=6.5),
                     bar0 + e * 2 * six, 0.12, wrap=True)

    # The loop is mixed circularly (tails wrap round to the start), so the last sample runs on
    # into the first with no step.  Then turn the loop by a few samples (the file starts at
    # most 20 ms before the first beat) so that it starts on a rising zero crossing: the file
    # begins and ends next to zero.
    best, shift = None, 0
    for s in range(-880, 45):
        a, b = buf[(s - 1) % n], buf[s % n]
        if a < 0 <= b and (best is None or abs(a) + abs(b) < best):
            best, shift = abs(a) + abs(b), s
    buf = np.roll(buf, -shift)
    write_wav(path, buf)


def make_end(path):
    """Win fanfare: a rising brass call, a big major chord and a cymbal crash."""
    rng = np.random.default_rng(9)
    dur = 2.6
    n = int(dur * RATE)
    buf = np.zeros(n)
    call = [(67, 0.00, 0.14), (72, 0.13, 0.14), (76, 0.26, 0.14), (79, 0.39, 0.20)]
    for m, at, ln in call:
        mix_into(buf, brass(midi_hz(m), ln + 0.05, attack=0.02, release=0.05), at * RATE, 0.33)
    hit = 0.58
    chord_len = dur - hit - 0.02
    for m, g in ((48, 0.30), (60, 0.26), (64, 0.22), (67, 0.22), (72, 0.24), (76, 0.16)):
        tone = brass(midi_hz(m), chord_len, attack=0.05, release=0.9, vibrato=5.0)
        # slow swell after the hit, then fade
        t = np.arange(len(tone)) / RATE
        tone *= 0.8 + 0.2 * np.clip(t / 0.5, 0, 1)
        mix_into(buf, tone, hit * RATE, g)
    # timpani-ish thumps on the call and the hit
    for at, g in ((0.0, 0.35), (hit, 0.9)):
        tt = np.arange(int(0.8 * RATE)) / RATE
        f = 65 + 30 * np.exp(-tt / 0.05)
        thump = np.sin(2 * np.pi * np.cumsum(f) / RATE) * np.exp(-tt / 0.25)
        mix_into(buf, thump, at * RATE, g)
    # cymbal crash
    crash = noise_burst(rng, 1.9, 0.55, hp=3500)
    sizzle = noise_burst(rng, 1.9, 0.9, hp=7000)
    t = np.arange(len(crash)) / RATE
    crash = (crash + 0.6 * sizzle) * np.clip(t / 0.004, 0, 1) * np.clip((t[-1] - t) / 0.6, 0, 1)
    mix_into(buf, crash, hit * RATE, 0.17)
    # fade the very end to silence
    fade = int(0.05 * RATE)
    buf[-fade:] *= np.linspace(1, 0, fade)
    buf[0] = 0.0
    write_wav(path, buf)


def bell(freq, dur, tau):
    n = int(dur * RATE)
    t = np.arange(n) / RATE
    out = np.zeros(n)
    for ratio, amp, dec in ((1.0, 1.0, 1.0), (2.0, 0.35, 0.6), (2.76, 0.35, 0.45), (5.40, 0.15, 0.25),
                            (8.93, 0.06, 0.15)):
        f = freq * ratio
        if f < RATE / 2.2:
            out += amp * np.sin(2 * np.pi * f * t) * np.exp(-t / (tau * dec))
    return out * np.clip(t / 0.003, 0, 1)


def make_stop(path):
    """Closing sound: a gentle descending chime, G-E-D-C."""
    dur = 1.1
    n = int(dur * RATE)
    buf = np.zeros(n)
    for i, m in enumerate((79, 76, 74, 72)):
        at = i * 0.13
        mix_into(buf, bell(midi_hz(m), dur - at, 0.35 if i < 3 else 0.42), at * RATE, 0.8 if i < 3 else 1.0)
    fade = int(0.25 * RATE)
    buf[-fade:] *= np.linspace(1, 0, fade) ** 2
    write_wav(path, buf)


# ---------------------------------------------------------------------------

JOBS = {
    "background": lambda: make_background(os.path.join(OUT, "background.jpg")),
    "tile": lambda: make_tile(os.path.join(OUT, "cj.bmp")),
    "icons": lambda: (make_icon_add(os.path.join(OUT, "icons", "add.png")),
                      make_icon_delete(os.path.join(OUT, "icons", "delete.png")),
                      make_icon_sheet(os.path.join(OUT, "icons", "sheet.png")),
                      make_icon_app(os.path.join(OUT, "icons", "app.png")),
                      make_menu_icons()),
    "start": lambda: make_start(os.path.join(OUT, "start.wav")),
    "end": lambda: make_end(os.path.join(OUT, "end.wav")),
    "stop": lambda: make_stop(os.path.join(OUT, "stop.wav")),
}


def main(argv):
    names = argv[1:] or list(JOBS)
    for name in names:
        if name not in JOBS:
            sys.exit("unknown item %r; choose from: %s" % (name, " ".join(JOBS)))
    os.makedirs(os.path.join(OUT, "icons"), exist_ok=True)
    for name in names:
        print("making", name)
        JOBS[name]()


if __name__ == "__main__":
    main(sys.argv)
