"""The three page pictures: default page (102), installing page (103), finished page (104).

Everything the window draws over a picture (title, buttons, labels, glyphs) sits on calm,
dark sky or dark hills, and the top strip under the close and minimise glyphs is the same
plain sky on every page.

Each picture is drawn natively for a display scale: the scene is laid out in its units at
100 % (the numbers below), and every position, size, width and distance is multiplied by
the scale as it is drawn, with the same random sequences, so every scale shows the same
scene at its own resolution.
"""

import math
import random

import numpy

from emblem import (PICTOGRAMS, orbit_point, paint_crystal, paint_halo, paint_icon_badge,
                    paint_orbit, paint_planet, sparkle)
from mountains import covered_from, paint_layer, paint_trees, ridge
from raster import Image, Mask, clip, mix, smoothstep
from sky import paint_gradient, paint_nebula, paint_stars

WIDTH = 1000

# Where the window puts its widgets over the pictures (left, top, right, bottom): the
# title, and the strip around the minimise (896, 20) and close (948, 20) glyphs.
TITLE_TEXT = (20, 20, 300, 50)
GLYPH_STRIP = (880, 8, 992, 64)
# Stars keep out of the strip and of the margin in which its settled sky fades out.
STRIP_FADE = 24.0
STARLESS = (GLYPH_STRIP[0] - STRIP_FADE, 0, WIDTH, GLYPH_STRIP[3] + STRIP_FADE)

# Layer palette, far to near: ridge colour and the mist at the layer's foot.
FAR = ((40, 40, 98), (66, 52, 120))
MIDDLE = ((25, 27, 72), (46, 42, 100))
NEAR = ((13, 16, 44), (27, 29, 72))
FRONT = ((6, 8, 22), (9, 11, 30))


def _valley(centre, depth, width):
    """Ridge envelope that dips around |centre|, framing what rises behind it."""
    def env(x):
        return 1.0 - depth * math.exp(-((x - centre) / width) ** 2)
    return env


def _light_from(cx, reach):
    """How much of the emblem's light reaches the crests at column x."""
    def light(x):
        return math.exp(-((x - cx) / reach) ** 2)
    return light


def _settle_weights(fade, scale, rows, columns):
    """Per pixel of |rows| x |columns|, how much of the three pictures' mean it takes:
    1 inside the glyph strip, fading to 0 |fade| units around it."""
    x0, y0, x1, y1 = (round(v * scale) for v in GLYPH_STRIP)
    ys = numpy.arange(rows) + 0.5
    xs = numpy.arange(columns[0], columns[1]) + 0.5
    dys = numpy.maximum(numpy.maximum(y0 - ys, 0.0), ys - y1).tolist()
    dxs = numpy.maximum(numpy.maximum(x0 - xs, 0.0), xs - x1).tolist()
    # math.hypot, not numpy's: the two may differ in the last bit.
    distance = numpy.array([[math.hypot(dx, dy) for dx in dxs] for dy in dys])
    t = clip(distance / fade, 0.0, 1.0)
    return 1.0 - t * t * (3.0 - 2.0 * t)


def settle_glyph_strip(images, fade, scale=1.0):
    """Lays the same sky under the close and minimise glyphs on every page picture.

    The glyphs are drawn once for all three pictures, so the sky under them must not
    differ: inside the strip each picture takes the mean of the three, and around it that
    mean fades back into the picture's own sky over |fade| units.
    """
    x0, _, _, y1 = (round(v * scale) for v in GLYPH_STRIP)
    fade *= scale
    width = images[0].width
    rows = y1 + int(fade) + 1
    first = x0 - int(fade)
    w = _settle_weights(fade, scale, rows, (first, width))
    changed = w > 0.0
    for k in range(3):
        areas = [img.channels()[k].reshape(img.height, width)[:rows, first:]
                 for img in images]
        total = areas[0]
        for area in areas[1:]:
            total = total + area
        mean = total / len(areas)
        for area in areas:
            area[...] = numpy.where(changed, area + (mean - area) * w, area)


# The pages: picture id -> (height, horizon row, sky painter, scene painter).
PAGES = {}


def picture_size(picture_id, scale=1.0):
    """Width and height in pixels of picture |picture_id| drawn for display scale |scale|."""
    return round(WIDTH * scale), round(PAGES[picture_id][0] * scale)


def all_pictures(scale=1.0):
    """The three page pictures keyed by resource id, drawn for display scale |scale|.

    The skies are painted and their glyph strips settled first, with a wide fade, while
    they hold nothing but gradient and haze; then each page gets its stars and scenery,
    and a last, narrow settle evens out the faint glow the scenery throws into the strip.
    """
    pictures = {}
    bands = {}
    for picture_id in PAGES:
        pictures[picture_id], bands[picture_id] = paint_sky(picture_id, scale)
    settle_glyph_strip(list(pictures.values()), SKY_FADE, scale)
    for picture_id in PAGES:
        paint_scene(pictures[picture_id], picture_id, bands[picture_id], scale)
    settle_glyph_strip(list(pictures.values()), STRIP_FADE, scale)
    return pictures


# The fade of the settle that follows the skies (all_pictures).
SKY_FADE = 90.0


def paint_sky(picture_id, scale=1.0):
    """Picture |picture_id| for display scale |scale| with only its sky: (picture, the
    nebula's band, which its stars follow)."""
    height, horizon, sky, _ = PAGES[picture_id]
    img = Image(*picture_size(picture_id, scale))
    paint_gradient(img, horizon * scale)
    return img, sky(img, scale)


def paint_scene(img, picture_id, band, scale=1.0):
    """Stars and scenery of |picture_id| over its settled sky |img|."""
    PAGES[picture_id][3](img, band, scale)


def _horizon_glow(img, y, colour, strength, scale, spread=430.0):
    img.glow(WIDTH / 2 * scale, y * scale, spread * scale, colour, strength=strength, reach=2.2,
             squash=3.2)


def _ranges(img, seed, bases, light_x, light, rim_strength, px, scale=1.0,
            tree_spans=((30, 330), (640, 980))):
    """Four mountain layers standing on rows |bases| (far to near), pines on the nearest;
    |scale| sizes the summits, |px| is the display scale."""
    far_base, middle_base, near_base, front_base = bases
    layers = [
        (ridge(seed, WIDTH, far_base, 130 * scale, 6, 7.0, _valley(500, 0.6, 200), scale=px),
         FAR, 80),
        (ridge(seed + 1, WIDTH, middle_base, 105 * scale, 7, 9.0, _valley(470, 0.5, 240),
               scale=px), MIDDLE, 70),
        (ridge(seed + 2, WIDTH, near_base, 80 * scale, 6, 10.0, _valley(560, 0.55, 220),
               scale=px), NEAR, 55),
        (ridge(seed + 3, WIDTH, front_base, 45 * scale, 8, 8.0, scale=px), FRONT, 40),
    ]
    contrasts = (0.14, 0.22, 0.28, 0.3)
    for k, (mountain_range, (colour, mist), depth) in enumerate(layers):
        rim = None
        if light is not None:
            rim = ((130, 200, 255), lambda x, k=k: light(x) * rim_strength * (1.0 - 0.22 * k))
        # Only down to where the next, nearer range covers the whole width.
        nearer = covered_from(layers[k + 1][0]) if k + 1 < len(layers) else None
        paint_layer(img, mountain_range, colour, mist, depth, light_x, contrasts[k], rim=rim,
                    scale=px, hidden_from=nearer)
        if k == 3:
            rng = random.Random(seed + 9)
            spots = [(rng.uniform(a, b), rng.randint(2, 5), rng.uniform(16, 26))
                     for a, b in tree_spans for _ in range(3)]
            paint_trees(img, mountain_range, seed + 7, spots, FRONT[0], px)
    return layers


def _default_sky(img, px):
    band = ((-80, 430), (1080, 170), 95)
    paint_nebula(img, 1021, band, strength=0.6, bottom=480, scale=px)
    _horizon_glow(img, 470, (130, 80, 210), 0.32, px)
    return band


def _default_scene(img, band, px):
    """102: night sky with a glowing crystal emblem above mountains (1000 x 600)."""
    cx, cy, s = 500, 210, 100
    paint_stars(img, 102, 950, 470, band, keep_clear=[STARLESS],
                keep_dim=[TITLE_TEXT, (cx - 190, cy - 130, cx + 190, cy + 120)], scale=px)
    paint_halo(img, cx * px, cy * px, s * px)
    ring = (cx * px, (cy + 0.1 * s) * px, 1.55 * s * px, 0.33 * s * px, -0.2)
    paint_orbit(img, *ring, "back", width=1.8 * px, strength=0.8)
    paint_crystal(img, cx * px, cy * px, s * px, px=px)
    paint_orbit(img, *ring, "front", width=1.8 * px)
    x, y = orbit_point(*ring, 0.55)
    paint_planet(img, x, y, 5.5 * px)
    _ranges(img, 17, (440, 492, 548, 592), cx, _light_from(cx, 220), 0.6, px,
            tree_spans=((330, 400), (590, 730)))


def _installing_sky(img, px):
    band = ((-80, 400), (1080, 120), 85)
    paint_nebula(img, 1031, band, strength=0.38, bottom=400, scale=px)
    _horizon_glow(img, 420, (120, 76, 205), 0.3, px)
    return band


def _installing_scene(img, band, px):
    """103: night sky with an orbit of small icons around the crystal (1000 x 460)."""
    cx, cy = 500, 222
    orbit = (cx * px, (cy + 8) * px, 218 * px, 62 * px, -0.08)
    paint_stars(img, 103, 760, 410, band, keep_clear=[STARLESS],
                keep_dim=[TITLE_TEXT, (0, 225, 260, 280), (720, 225, 1000, 280),
                          (cx - 250, cy - 110, cx + 250, cy + 110)], scale=px)
    paint_halo(img, cx * px, cy * px, 62 * px, strength=0.9)
    badges = []
    for k, pictogram in enumerate(PICTOGRAMS):
        t = 0.35 + 2 * math.pi * k / len(PICTOGRAMS)
        x, y = orbit_point(*orbit, t)
        badges.append((math.sin(t), x, y, pictogram))  # sin(t): -1 far, +1 near
    badges.sort(key=lambda b: b[0])
    paint_orbit(img, *orbit, "back", width=1.6 * px, strength=0.75)
    for depth, x, y, pictogram in badges:
        if depth < 0:
            paint_icon_badge(img, x, y, (19 + 3 * depth) * px, pictogram,
                             light=0.72 + 0.28 * depth, px=px)
    paint_crystal(img, cx * px, cy * px, 62 * px, px=px)
    paint_orbit(img, *orbit, "front", width=1.6 * px)
    for depth, x, y, pictogram in badges:
        if depth >= 0:
            paint_icon_badge(img, x, y, (19 + 5 * depth) * px, pictogram,
                             light=0.85 + 0.15 * depth, px=px)
    _ranges(img, 29, (380, 414, 444, 464), cx, _light_from(cx, 300), 0.6, px, 0.72)


def _meteor(img, hx, hy, angle, length, width, strength, px, colour=(170, 215, 255)):
    """A falling star: a bright head at (hx, hy) and a tail thinning out behind it, all in
    pixels; |px| is the display scale."""
    ux, uy = math.cos(angle), math.sin(angle)  # direction of travel
    tx, ty = hx - ux * length, hy - uy * length
    pad = width * 4 + 6 * px
    x0, x1 = int(min(hx, tx) - pad), int(max(hx, tx) + pad) + 1
    y0, y1 = int(min(hy, ty) - pad), int(max(hy, ty) + pad) + 1
    # Every pixel of the box around the meteor at once, from its centre's offset to the head.
    dy = numpy.arange(y0, y1)[:, numpy.newaxis] + 0.5 - hy
    dx = numpy.arange(x0, x1)[numpy.newaxis, :] + 0.5 - hx
    along = -(dx * ux + dy * uy)  # distance behind the head
    across = dx * uy - dy * ux
    f = numpy.minimum(numpy.maximum(along, 0.0) / length, 1.0)
    w = width * (1.0 - 0.75 * f)
    k = (1.0 - f) ** 1.8 * numpy.exp(-(across / w) ** 2)
    k = numpy.where(along < 0, k * numpy.exp(-(along / (width * 1.2)) ** 2), k)
    rows = numpy.where((along < -pad) | (along > length), 0.0, strength * k)
    img.screen(Mask(x0, y0, x1 - x0, rows), colour)
    img.glow(hx, hy, width * 1.6, (240, 250, 255), strength=0.9 * strength, reach=3.0,
             shape="gauss")
    img.glow(hx, hy, width * 4.0, colour, strength=0.16 * strength, reach=3.0)


def _finished_sky(img, px):
    band = ((-80, 380), (1080, 110), 90)
    paint_nebula(img, 1041, band, strength=0.38, bottom=400, scale=px)
    # First light on the horizon: the install is done.
    _horizon_glow(img, 430, (80, 150, 210), 0.3, px, spread=380)
    _horizon_glow(img, 440, (210, 110, 170), 0.18, px, spread=300)
    return band


def _finished_scene(img, band, px):
    """104: night sky with falling stars over mountains (1000 x 460)."""
    label = (330, 180, 670, 280)
    paint_stars(img, 104, 760, 410, band, keep_clear=[STARLESS],
                keep_dim=[TITLE_TEXT, label], scale=px)
    img.glow(500 * px, 228 * px, 150 * px, (90, 120, 230), strength=0.12, reach=2.5)
    meteors = [
        # head x, head y, tail length, width, strength
        (300, 120, 210, 1.6, 0.95),
        (700, 300, 150, 1.3, 0.7),
        (780, 95, 120, 1.1, 0.6),
        (185, 250, 110, 1.1, 0.55),
        (560, 60, 95, 0.9, 0.45),
        (880, 190, 80, 0.9, 0.4),
        (420, 300, 60, 0.8, 0.35),
    ]
    angle = math.radians(148)  # falling to the lower left
    for hx, hy, length, width, strength in meteors:
        _meteor(img, hx * px, hy * px, angle, length * px, width * px, strength, px)
    sparkle(img, 300 * px, 120 * px, 11 * px, strength=0.7, px=px)
    _ranges(img, 41, (376, 412, 442, 464), 500, _light_from(500, 360), 0.45, px, 0.8)


PAGES.update({102: (600, 520, _default_sky, _default_scene),
              103: (460, 440, _installing_sky, _installing_scene),
              104: (460, 440, _finished_sky, _finished_scene)})
