"""The program icon: the crystal on a tile of night sky, drawn anew at every size.

Small sizes are not shrunk from the large one: each is drawn at its own size with the
detail it can hold, so the 16-pixel icon stays a crisp crystal rather than a blur.
"""

import random

import numpy

import encoders
from emblem import paint_crystal, paint_orbit
from raster import Image, mix, oriented, polygon_mask, rounded_rect
from sky import sky_colour

# (size, bits per pixel) in the order of the icon directory.
IMAGES = [(48, 8), (32, 8), (16, 8), (256, 32), (64, 32), (48, 32), (40, 32), (32, 32),
          (24, 32), (20, 32), (16, 32)]

# Two ranges of hills across the bottom of the tile, in 256-unit coordinates.
_HILLS_BACK = [(0, 196), (40, 170), (70, 184), (112, 150), (150, 182), (190, 160),
               (226, 178), (256, 166), (256, 256), (0, 256)]
_HILLS_FRONT = [(0, 214), (30, 200), (64, 214), (100, 196), (140, 218), (180, 204),
                (220, 220), (256, 206), (256, 256), (0, 256)]


def _tile_rect(n):
    """The tile's rectangle and corner radius at size |n|: it fills the icon, keeping a
    small margin at large sizes like other desktop icons."""
    margin = 0 if n <= 24 else n / 32.0
    return margin, n - margin, n * 0.22


def draw(n):
    """RGBA bytes (top-down, straight alpha) of the icon at |n| x |n| pixels."""
    u = n / 256.0
    lo, hi, radius = _tile_rect(n)
    img = Image(n, n)
    img.fill_rows(lambda y: mix(sky_colour(0.15 + 0.85 * (y + 0.5) / n), (30, 24, 80), 0.2))
    img.glow(n * 0.5, n * 0.47, n * 0.3, (80, 150, 255), strength=0.45, reach=3.0)
    img.glow(n * 0.5, n * 0.6, n * 0.55, (130, 80, 220), strength=0.25, reach=2.0)
    if n >= 48:
        rng = random.Random(n)
        for _ in range(int(n * 0.35)):
            x, y = rng.uniform(lo + 2, hi - 2), rng.uniform(lo + 2, n * 0.6)
            if abs(x - n / 2) < n * 0.16:
                continue
            strength = rng.uniform(0.25, 0.9)
            img.glow(x, y, max(0.45, u * 1.4), (230, 240, 255), strength=strength,
                     reach=3.0, shape="gauss")
    if n >= 32:
        back = [(x * u, y * u) for x, y in _HILLS_BACK]
        front = [(x * u, y * u) for x, y in _HILLS_FRONT]
        img.blend(polygon_mask([oriented(back)], 8), (30, 30, 80))
        img.blend(polygon_mask([oriented(front)], 8), (12, 14, 40))
    cx = n * 0.5
    if n >= 32:
        s = n * 0.33
        cy = n * 0.49
        orbit = (cx, cy + 0.1 * s, 1.25 * s, 0.3 * s, -0.22)
        paint_orbit(img, *orbit, "back", width=max(1.0, 2.2 * u), strength=0.8)
        paint_crystal(img, cx, cy, s, sparkles=n >= 64)
        paint_orbit(img, *orbit, "front", width=max(1.0, 2.2 * u))
    else:
        # Too small for the ring: the crystal alone, as large as the tile allows.
        paint_crystal(img, cx, n * 0.5, n * 0.44, sparkles=False, tiny=True)
    if n >= 32:
        # A faint light rim keeps the tile apart from dark backgrounds.
        edge = max(1.0, n / 96.0)
        rim = [rounded_rect(lo, lo, hi, hi, radius),
               oriented(rounded_rect(lo + edge, lo + edge, hi - edge, hi - edge,
                                     radius - edge), False)]
        img.screen(polygon_mask(rim, 8), (120, 130, 255), 0.35)
    alpha = polygon_mask([rounded_rect(lo, lo, hi, hi, radius)], 16)
    coverage = numpy.zeros((n, n))
    for j, row in enumerate(alpha.rows):
        y = alpha.y + j
        if row is not None and 0 <= y < n:
            left, right = max(0, alpha.x), min(n, alpha.x + alpha.width)
            coverage[y, left:right] = row[left - alpha.x:right - alpha.x]
    out = numpy.empty((n * n, 4), dtype=numpy.uint8)
    # int() truncates toward zero, then each value is kept within 0..255.
    for k, values in enumerate((img.r + 0.5, img.g + 0.5, img.b + 0.5,
                                coverage.ravel() * 255 + 0.5)):
        out[:, k] = numpy.clip(numpy.trunc(values), 0, 255)
    return out.tobytes()


def _median_cut(colours, limit):
    """Up to |limit| representative colours of |colours| (a list of (r, g, b))."""
    def spans_of(box):
        values = numpy.array(box)
        return (values.max(axis=0) - values.min(axis=0)).tolist()

    boxes = [list(colours)]
    # Each box's range per channel, worked out once when the box is made.
    ranges = [spans_of(boxes[0])]
    while len(boxes) < limit:
        best = None
        for k, box in enumerate(boxes):
            if len(box) < 2:
                continue
            spans = ranges[k]
            score = max(spans) * len(box)
            if spans and max(spans) > 0 and (best is None or score > best[0]):
                best = (score, k, spans.index(max(spans)))
        if best is None:
            break
        _, k, channel = best
        box = sorted(boxes.pop(k), key=lambda c: c[channel])
        ranges.pop(k)
        half = len(box) // 2
        boxes += [box[:half], box[half:]]
        ranges += [spans_of(box[:half]), spans_of(box[half:])]
    return [tuple(round(sum(c[i] for c in box) / len(box)) for i in range(3)) for box in boxes]


def palettized(n, rgba):
    """The 256-colour form of an icon image: (palette, indices, opaque flags).

    Index 0 is black and marks transparent pixels (the AND mask lets the background
    through there); partly transparent pixels are opaque when at least half covered.
    """
    opaque = [rgba[k * 4 + 3] >= 128 for k in range(n * n)]
    colours = [tuple(rgba[k * 4:k * 4 + 3]) for k in range(n * n) if opaque[k]]
    distinct = sorted(set(colours))
    palette = distinct if len(distinct) <= 255 else _median_cut(colours, 255)
    palette = [(0, 0, 0)] + palette
    cache = {}
    choices = numpy.array(palette[1:], dtype=numpy.int64)

    def nearest(c):
        # The first palette entry at the least squared distance.
        if c not in cache:
            cache[c] = int(numpy.argmin(((choices - c) ** 2).sum(axis=1))) + 1
        return cache[c]

    indices = [nearest(tuple(rgba[k * 4:k * 4 + 3])) if opaque[k] else 0 for k in range(n * n)]
    return palette, indices, opaque


def icon_file(previews=None):
    """The .ico file with the eleven images. |previews|, when a dict, receives the RGBA
    bytes of each drawn size for inspection."""
    drawn = {}
    images = []
    for n, bits in IMAGES:
        if n not in drawn:
            drawn[n] = draw(n)
        rgba = drawn[n]
        if bits == 8:
            palette, indices, opaque = palettized(n, rgba)
            images.append((n, n, 8, encoders.icon_bmp8(n, n, palette, indices, opaque)))
        elif n == 256:
            images.append((n, n, 32, encoders.png_rgba(n, n, rgba)))
        else:
            images.append((n, n, 32, encoders.icon_bmp32(n, n, rgba)))
    if previews is not None:
        previews.update(drawn)
    return encoders.ico(images)
