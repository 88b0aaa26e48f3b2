"""Night sky: gradient, a faint band of nebula and stars of varied brightness."""

import math
import random

import numpy

from raster import Mask, clamp01, clip, mix, smoothstep

# Sky colours from the zenith (0) to the horizon (1); the same stops for every picture, so
# the top strip, where the close and minimise glyphs sit, matches on every page.
SKY_STOPS = [
    (0.00, (5.0, 8.0, 24.0)),
    (0.40, (11.0, 17.0, 50.0)),
    (0.72, (24.0, 29.0, 82.0)),
    (0.90, (44.0, 38.0, 104.0)),
    (1.00, (70.0, 48.0, 118.0)),
]


def sky_colour(t):
    t = clamp01(t)
    for (t0, c0), (t1, c1) in zip(SKY_STOPS, SKY_STOPS[1:]):
        if t <= t1:
            return mix(c0, c1, smoothstep(0.0, 1.0, (t - t0) / (t1 - t0)))
    return SKY_STOPS[-1][1]


def paint_gradient(img, horizon):
    """Fills |img| with the sky, reaching the horizon colour at row |horizon|."""
    img.fill_rows(lambda y: sky_colour((y + 0.5) / horizon))


class ValueNoise:
    """Smooth 2-D value noise on a wrapped lattice, fixed by its seed."""

    def __init__(self, seed, size=64):
        rng = random.Random(seed)
        self.size = size
        self.values = [rng.random() for _ in range(size * size)]

    def at(self, x, y):
        """The noise at arrays of points |x|, |y|."""
        n = self.size
        xi, yi = numpy.floor(x), numpy.floor(y)
        fx, fy = x - xi, y - yi
        fx = fx * fx * (3 - 2 * fx)
        fy = fy * fy * (3 - 2 * fy)
        x0, y0 = xi.astype(numpy.int64) % n, yi.astype(numpy.int64) % n
        x1, y1 = (x0 + 1) % n, (y0 + 1) % n
        v = numpy.array(self.values)
        a = v[y0 * n + x0] + (v[y0 * n + x1] - v[y0 * n + x0]) * fx
        b = v[y1 * n + x0] + (v[y1 * n + x1] - v[y1 * n + x0]) * fx
        return a + (b - a) * fy

    def fbm(self, x, y, octaves=5):
        """|octaves| octaves of the noise at arrays of points, each finer and fainter."""
        total = 0.0
        amp = 0.5
        for _ in range(octaves):
            total = total + amp * self.at(x, y)
            x, y = x * 2.03 + 17.1, y * 2.03 + 5.3
            amp *= 0.5
        return total / (1.0 - 0.5 ** octaves)


def _upsample(grid, gw, gh, cell, width, height):
    """Bilinear enlargement of a coarse row-major |grid| (gw x gh, |cell| pixels apart):
    yields, for each pixel row, the two enlarged grid rows it lies between and its weight
    of the lower one, or None where both rows are all zero."""
    gx = numpy.minimum((numpy.arange(width) + 0.5) / cell, gw - 1.0001)
    i = gx.astype(numpy.int64)
    f = gx - i
    wide = []
    for j in range(gh):
        row = grid[j * gw:(j + 1) * gw]
        if any(row):
            row = numpy.array(row)
            wide.append(row[i] + (row[i + 1] - row[i]) * f)
        else:
            wide.append(None)
    for y in range(height):
        gy = min((y + 0.5) / cell, gh - 1.0001)
        j = int(gy)
        a, b = wide[j], wide[j + 1]
        if a is None and b is None:
            yield None
            continue
        yield (numpy.zeros(width) if a is None else a, numpy.zeros(width) if b is None else b,
               gy - j)


def _smoothstep_many(e0, e1, x):
    """smoothstep() for an array."""
    t = clip((x - e0) / (e1 - e0), 0.0, 1.0)
    return t * t * (3.0 - 2.0 * t)


def band_distance(x, y, band):
    """Signed distance of (x, y) from the band's centre line ((x0, y0), (x1, y1), width)."""
    (x0, y0), (x1, y1), _ = band
    dx, dy = x1 - x0, y1 - y0
    n = math.hypot(dx, dy)
    return ((x - x0) * dy - (y - y0) * dx) / n


def paint_nebula(img, seed, band, strength=1.0, bottom=None, scale=1.0):
    """Screens a soft, cloudy band of violet and teal light across the sky.

    |band| and |bottom| are in the picture's units at 100 %; |scale| is the display scale
    the picture is drawn for. The clouds are sampled every 8 units at every scale, so each
    scale shows the same soft haze, only with finer pixels.
    """
    cell = 8 * scale
    gw = int(img.width // cell) + 2
    gh = int(img.height // cell) + 2
    shape = ValueNoise(seed)
    tint = ValueNoise(seed + 1)
    width = band[2]
    violet = (120.0, 72.0, 200.0)
    teal = (40.0, 150.0, 196.0)
    # Every cell at once, row by row, in the same operations as cell by cell.
    cols, rows = numpy.meshgrid(numpy.arange(gw), numpy.arange(gh))
    x, y = (cols.ravel() * cell) / scale, (rows.ravel() * cell) / scale
    (x0, y0), (x1, y1), _ = band
    dx, dy = x1 - x0, y1 - y0
    d = ((x - x0) * dy - (y - y0) * dx) / math.hypot(dx, dy)
    wob = (shape.fbm(x / 260.0 + 3.0, y / 260.0) - 0.5) * width
    core = numpy.exp(-(((d + wob) / width) ** 2))
    cloud = shape.fbm(x / 120.0, y / 120.0)
    cloud = clip((cloud - 0.35) * 1.9, 0.0, 1.0) ** 1.6
    k = strength * core * (0.25 + 0.75 * cloud)
    if bottom is not None:
        k = k * (1.0 - _smoothstep_many(bottom - 120, bottom, y))
    t = _smoothstep_many(0.35, 0.65, tint.fbm(x / 300.0, y / 300.0))
    r, g, b = ((k * (c0 + (c1 - c0) * t) / 255.0).tolist() for c0, c1 in zip(violet, teal))
    w = img.width
    for chan, grid in ((img.r, r), (img.g, g), (img.b, b)):
        for y, rows in enumerate(_upsample(grid, gw, gh, cell, w, img.height)):
            if rows is None:
                continue  # no light: screening with zero leaves every value as it is
            a = y * w
            lower, upper, f = rows
            p = numpy.asarray(lower)
            o = chan[a:a + w]
            chan[a:a + w] = o + (255.0 - o) * (p + (numpy.asarray(upper) - p) * f)


STAR_TINTS = [(255.0, 255.0, 255.0), (200.0, 220.0, 255.0), (175.0, 200.0, 255.0),
              (255.0, 236.0, 214.0), (255.0, 214.0, 190.0)]


def _stamp(img, x, y, sigma, colour, strength, px=1.0):
    reach = max(1.6 * px, sigma * 3.0)
    x0, x1 = int(x - reach), int(x + reach) + 1
    y0, y1 = int(y - reach), int(y + reach) + 1
    inv = 1.0 / (2.0 * sigma * sigma)
    across = (numpy.arange(x0, x1) + 0.5 - x) ** 2
    down = (numpy.arange(y0, y1) + 0.5 - y) ** 2
    rows = strength * numpy.exp(-(across[numpy.newaxis, :] + down[:, numpy.newaxis]) * inv)
    img.screen(Mask(x0, y0, x1 - x0, rows), colour)


def _spikes(img, x, y, length, colour, strength, px=1.0):
    """A four-pointed twinkle: thin horizontal and vertical rays fading outwards; the rays
    are |px| pixels thick."""
    n = int(length) + 1
    m = math.ceil(px)  # rows on each side of a ray's centre row
    thin = 0.35 * px * px
    horiz = [[strength * math.exp(-abs(i + 0.5 - x) / (length * 0.3)) *
              math.exp(-((j + 0.5 - y) ** 2) / thin) for i in range(int(x) - n, int(x) + n + 1)]
             for j in range(int(y) - m, int(y) + m + 1)]
    img.screen(Mask(int(x) - n, int(y) - m, 2 * n + 1, horiz), colour)
    vert = [[strength * math.exp(-abs(j + 0.5 - y) / (length * 0.3)) *
             math.exp(-((i + 0.5 - x) ** 2) / thin) for i in range(int(x) - m, int(x) + m + 1)]
            for j in range(int(y) - n, int(y) + n + 1)]
    img.screen(Mask(int(x) - m, int(y) - n, 2 * m + 1, vert), colour)


def _inside(x, y, rects, margin=0.0):
    return any(x0 - margin <= x <= x1 + margin and y0 - margin <= y <= y1 + margin
               for x0, y0, x1, y1 in rects)


def paint_stars(img, seed, count, bottom, band=None, keep_clear=(), keep_dim=(),
                bright=14, scale=1.0):
    """Scatters |count| stars above row |bottom|, denser along the nebula |band|.

    No star falls in the |keep_clear| rectangles (where glyphs sit) and only faint ones
    fall in |keep_dim| (behind texts). |bright| of them are large and twinkle. Positions
    and sizes are in the picture's units at 100 %, drawn at display scale |scale|: the
    same stars at every scale.
    """
    rng = random.Random(seed)
    width = img.width / scale
    placed = 0
    while placed < count:
        x = rng.uniform(2, width - 2)
        y = rng.uniform(2, bottom)
        if band is not None and rng.random() < 0.5:
            # Half the stars crowd into the band, like a galaxy seen edge-on.
            d = band_distance(x, y, band)
            if rng.random() > math.exp(-(d / (band[2] * 0.8)) ** 2):
                continue
        if _inside(x, y, keep_clear, margin=4):
            continue
        # Fewer stars near the horizon glow, where the haze would hide them.
        if rng.random() < smoothstep(bottom * 0.7, bottom, y) * 0.8:
            continue
        magnitude = rng.random() ** 3.2
        tint = STAR_TINTS[rng.randrange(len(STAR_TINTS))]
        sigma = 0.42 + 0.5 * magnitude
        strength = 0.18 + 0.82 * magnitude ** 0.7
        if _inside(x, y, keep_dim, margin=6):
            strength *= 0.35
        _stamp(img, x * scale, y * scale, sigma * scale, tint, strength, scale)
        placed += 1
    placed = 0
    while placed < bright:
        x = rng.uniform(20, width - 20)
        y = rng.uniform(15, bottom * 0.8)
        if _inside(x, y, keep_clear, margin=24) or _inside(x, y, keep_dim, margin=20):
            continue
        tint = STAR_TINTS[rng.randrange(3)]
        size = rng.uniform(0.6, 1.0)
        x, y = x * scale, y * scale
        img.glow(x, y, 5.0 * size * scale, tint, strength=0.22 * size, reach=4.0,
                 shape="gauss")
        _stamp(img, x, y, 0.9 * size * scale, (255.0, 255.0, 255.0), 1.0, scale)
        _spikes(img, x, y, (7.0 + 9.0 * size) * scale, tint, 0.55 * size, scale)
        placed += 1
