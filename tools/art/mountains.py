"""Layered mountain silhouettes with valley mist, rim light and a few pine trees."""

import math
import random

import numpy

from raster import Mask, clip, mix, polygon_mask, smoothstep

SUB = 4  # ridge samples per pixel column, for anti-aliased silhouettes


def _detail(rng, levels, roughness):
    """Midpoint-displacement noise in -1..1 over 2**levels + 1 points."""
    n = 1 << levels
    pts = [0.0] * (n + 1)
    step = n
    scale = 1.0
    while step > 1:
        half = step // 2
        for i in range(half, n, step):
            pts[i] = (pts[i - half] + pts[i + half]) / 2 + rng.uniform(-scale, scale)
        scale *= roughness
        step = half
    top = max(abs(p) for p in pts) or 1.0
    return [p / top for p in pts]


class Range:
    """One mountain range: its crest line and the summits that make it up, in pixels of the
    picture it is drawn into."""

    def __init__(self, heights, summits, owners):
        self.heights = heights  # crest row at SUB samples per pixel column
        self.summits = summits  # (x, crest row, spine lean, spine phase) per mountain
        # Per pixel column: the flank rows and indices of the mountains over it, tallest
        # first, as two arrays of one row per column; a pixel belongs to the tallest
        # mountain whose flank lies above it, so taller mountains stand in front of the
        # smaller ones beside them.
        self.owners = owners

    def crest(self, x):
        return self.heights[min(len(self.heights) - 1, max(0, int(x * SUB)))]


def _owners(flanks, order):
    """Per pixel column, its |flanks| (one per mountain) and their mountains sorted by
    |order| (one key per mountain), then by flank row, then by mountain: (flank rows,
    mountains), one row of each per column."""
    index = numpy.broadcast_to(numpy.arange(flanks.shape[1]), flanks.shape)
    keys = numpy.broadcast_to(numpy.array(order, dtype=float), flanks.shape)
    ranked = numpy.lexsort((index, flanks, keys), axis=-1)
    return (numpy.take_along_axis(flanks, ranked, axis=-1),
            numpy.take_along_axis(index, ranked, axis=-1))


def ridge(seed, width, base, amplitude, peaks=7, jag=10.0, envelope=None, roughness=0.62,
          scale=1.0):
    """A Range standing on row |base|, its highest summits |amplitude| rows above it.

    The range is the upper envelope of |peaks| mountains, each with concave flanks of its
    own steepness, roughened by midpoint-displacement noise of |jag| pixels so the crests
    break up like rock. |envelope|(x) -> 0..1 scales the peaks, to open a valley. Sizes are
    in the picture's units at 100 %; the range is sampled for display scale |scale|.
    """
    rng = random.Random(seed)
    mountains = []
    for k in range(peaks):
        x = (k + rng.uniform(0.1, 0.9)) * width / peaks + rng.uniform(-40, 40)
        lift = 1.0 if envelope is None else envelope(x)
        height = amplitude * rng.uniform(0.45, 1.0) * lift
        spread = rng.uniform(0.9, 1.6) * height + 40
        skew = rng.uniform(0.7, 1.35)
        mountains.append((x, height, spread * skew, spread / skew))
    levels = 12
    noise = numpy.array(_detail(rng, levels, roughness))
    n = 1 << levels
    samples = round(width * scale) * SUB
    x = (numpy.arange(samples) + 0.5) / SUB / scale
    top = numpy.zeros(samples)
    over = []
    for px, height, left, right in mountains:
        d = numpy.where(x < px, (px - x) / left, (x - px) / right)
        inside = d < 1.0
        with numpy.errstate(invalid="ignore"):
            v = numpy.where(inside, height * (1.0 - d) ** 1.35, 0.0)
        top = numpy.maximum(top, v)
        # Past its foot the flank keeps falling, so every pixel of the layer below has a
        # mountain it belongs to.
        v = numpy.where(inside, v, -height * 0.6 * (d - 1.0))
        over.append((base - v) * scale)
    f = (numpy.arange(samples) + 0.5) / samples * n
    i = numpy.minimum(f.astype(numpy.int64), n - 1)
    grain = noise[i] + (noise[i + 1] - noise[i]) * (f - i)
    rough = 0.35 + 0.65 * numpy.minimum(1.0, top / (amplitude * 0.5 + 1))
    heights = ((base - top - jag * grain * rough) * scale).tolist()
    owners = _owners(numpy.array(over).T[SUB // 2::SUB], [-m[1] for m in mountains])
    summits = []
    for px, height, _, _ in mountains:
        summits.append((px * scale, (base - height) * scale, rng.uniform(-0.3, 0.3),
                        rng.uniform(0, 6.3)))
    return Range(heights, summits, owners)


def silhouette_mask(heights, width, bottom):
    """Coverage of everything below the crest |heights| down to row |bottom|."""
    top = int(min(heights))
    cols = numpy.array(heights[:width * SUB]).reshape(width, SUB)
    lows = cols.min(axis=1)
    highs = cols.max(axis=1)
    ys = numpy.arange(top, bottom)[:, numpy.newaxis]
    # The SUB samples of each column added one after the other, as a Python sum would.
    total = clip(ys + 1 - cols[:, 0], 0.0, 1.0)
    for k in range(1, SUB):
        total = total + clip(ys + 1 - cols[:, k], 0.0, 1.0)
    rows = numpy.where(ys + 1 <= lows, 0.0, numpy.where(ys >= highs, 1.0, total / SUB))
    return Mask(0, top, width, rows)


def _spines(summits, ys, scale):
    """Per row of |ys|, the column of each summit's spine: it leans and wanders as it runs
    down from the summit."""
    spines = []
    for y in ys.tolist():
        row = []
        for sx, sy, lean, phase in summits:
            below = y + 0.5 - sy
            ahead = below / scale
            wobble = (3.0 * math.sin(ahead * 0.09 + phase) +
                      1.4 * math.sin(ahead * 0.31 + phase)) * scale
            row.append(sx + below * lean + wobble)
        spines.append(row)
    return numpy.array(spines).reshape(len(spines), len(summits))


def _shadows(mountain_range, ys, width, light_x, scale):
    """Per pixel of the rows |ys|, how far it lies in shadow: 0 on the lit face of the
    mountain it belongs to, 1 on the dark one, 0 where no mountain's flank is above it."""
    flanks, mountains = mountain_range.owners
    summits = mountain_range.summits
    # Each pixel belongs to the first mountain whose flank lies above it.
    above = flanks[numpy.newaxis] <= (ys + 0.5)[:, numpy.newaxis, numpy.newaxis]
    first = above.argmax(axis=2)
    owner = mountains[numpy.arange(width)[numpy.newaxis], first]
    centres = numpy.arange(width) + 0.5
    d = centres[numpy.newaxis] - numpy.take_along_axis(_spines(summits, ys, scale), owner, 1)
    facing = numpy.array([sx < light_x for sx, _, _, _ in summits])
    shadow = clip(numpy.where(facing[owner], 0.5 - d, 0.5 + d), 0.0, 1.0)
    covered = numpy.take_along_axis(above, first[..., numpy.newaxis], 2)[..., 0]
    return numpy.where(covered, shadow, 0.0)


def paint_layer(img, mountain_range, colour, mist, mist_depth, light_x, contrast=0.28,
                rim=None, scale=1.0, hidden_from=None):
    """Paints one range: |colour| at its crest, fading into |mist| |mist_depth| rows below.

    Each mountain shows a lit face towards column |light_x| and a face in shadow, parted
    by a wandering spine from its summit. |rim| (colour, light(x) -> 0..1) adds a thin line
    of light along the crest, as if lit by the glow in the sky. Distances and x are in the
    picture's units at 100 %, drawn at display scale |scale|. Rows from |hidden_from| down
    are left out: a nearer range will cover them whole.
    """
    heights = mountain_range.heights
    bottom = img.height if hidden_from is None else min(hidden_from, img.height)
    mask = silhouette_mask(heights, img.width, bottom)
    crest = sum(heights) / len(heights)
    lit_colour = mix(colour, (120, 150, 230), 0.12)
    dark_colour = tuple(c * (1.0 - contrast) for c in colour)
    mist_depth *= scale
    light_x *= scale

    ys = numpy.arange(mask.y, mask.y + len(mask.rows))
    shadow = _shadows(mountain_range, ys, img.width, light_x, scale)
    shades = [[], [], []]
    for y in ys.tolist():
        t = smoothstep(crest - mist_depth * 0.2, crest + mist_depth, y + 0.5)
        lit = mix(lit_colour, mist, t)
        dark = mix(dark_colour, mist, t)
        for k in range(3):
            shades[k].append((lit[k], dark[k] - lit[k]))
    # Every row's colours at once: its lit colour plus the step to its dark one times the
    # shadow.
    shades = [numpy.array(s).reshape(-1, 2) for s in shades]
    img.blend_each(mask, [s[:, 0:1] + s[:, 1:2] * shadow for s in shades])
    if rim is None:
        return
    rim_colour, light = rim
    grid = _rim(heights, img.width, img.height, light, scale)
    if grid is not None:
        img.screen(Mask(0, grid[0], img.width, grid[1]), rim_colour)


def _rim(heights, width, height, light, scale):
    """The coverage of a thin line of light just below the crest |heights|, as bright as
    |light|(x) says: (its first row, its rows as one array), or None where it is nowhere."""
    reach = math.ceil(5 * scale)
    fall = 1.4 * scale
    k = numpy.array([light((x + 0.5) / scale) for x in range(width)])
    # The crest of each column: its SUB samples added one after the other.
    h = numpy.array([sum(heights[x * SUB:(x + 1) * SUB]) / SUB for x in range(width)])
    ys = h.astype(numpy.int64) + numpy.arange(reach)[:, numpy.newaxis]
    d = ys + 0.5 - h
    w = clip(d + 0.5, 0.0, 1.0) * numpy.exp(-numpy.maximum(d, 0.0) / fall) * k
    kept = (k > 0.003) & (ys < height) & (w > 0.002)
    if not kept.any():
        return None
    y0, y1 = int(ys[kept].min()), int(ys[kept].max()) + 1
    grid = numpy.zeros((y1 - y0, width))
    columns = numpy.broadcast_to(numpy.arange(width), ys.shape)
    grid[ys[kept] - y0, columns[kept]] = w[kept]
    return y0, grid


def covered_from(mountain_range):
    """The first row that |mountain_range| covers whole, across the picture."""
    return math.ceil(max(mountain_range.heights))


def pine(cx, base, height):
    """A pine tree: four stacked tiers on a short trunk, as one outline."""
    w = height * 0.36
    tiers = 4
    left, right = [], []
    last = base
    for k in range(tiers):
        top = base - height + height * 0.22 * k
        last = top + height * 0.42
        half = w * (0.45 + 0.55 * (k + 1) / tiers)
        if k:
            left.append((cx - half * 0.42, top + height * 0.05))
            right.append((cx + half * 0.42, top + height * 0.05))
        left.append((cx - half, last))
        right.append((cx + half, last))
    trunk = height * 0.05
    outline = [(cx, base - height)] + left
    outline += [(cx - trunk, last), (cx - trunk, base + height * 0.2),
                (cx + trunk, base + height * 0.2), (cx + trunk, last)]
    outline += list(reversed(right))
    return outline


def paint_trees(img, mountain_range, seed, spots, colour, scale=1.0):
    """Pine trees standing on the crest of |mountain_range| at the x positions of |spots|
    (in the picture's units at 100 %), drawn at display scale |scale|."""
    rng = random.Random(seed)
    width = img.width / scale
    contours = []
    for x, count, size in spots:
        for k in range(count):
            tx = x + rng.uniform(-1.0, 1.0) * size * 1.3 * count ** 0.5
            tx = min(max(tx, 1.0), width - 2.0) * scale
            h = mountain_range.crest(tx)
            th = size * rng.uniform(0.6, 1.1) * scale
            contours.append(pine(tx, h + th * 0.12, th))
    img.blend(polygon_mask(contours, samples=6), colour)
