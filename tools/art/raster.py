"""Drawing core of the art generator: a floating-point RGB canvas and coverage masks.

Shapes are filled through exact-area coverage: every pixel row is sampled on several
sub-scanlines and each sub-scanline span adds its exact horizontal overlap with the pixel,
so edges come out anti-aliased without rendering a whole supersampled canvas.
"""

import math
import random

import numpy


def clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


def mix(c0, c1, t):
    """The colour a fraction |t| of the way from |c0| to |c1|."""
    return (c0[0] + (c1[0] - c0[0]) * t, c0[1] + (c1[1] - c0[1]) * t,
            c0[2] + (c1[2] - c0[2]) * t)


def clip(values, low, high):
    """numpy.clip for arrays of numbers, without its per-call overhead, which shows when it
    is called thousands of times on short rows."""
    return numpy.minimum(numpy.maximum(values, low), high)


def _column(colour):
    """|colour| as a column that a 3-D block of the channels broadcasts against."""
    return numpy.array(colour, dtype=float)[:, numpy.newaxis, numpy.newaxis]


def smoothstep(e0, e1, x):
    t = clamp01((x - e0) / (e1 - e0))
    return t * t * (3.0 - 2.0 * t)


class Mask:
    """Per-pixel coverage 0..1 over a rectangle; rows[j] is None for an empty row."""

    def __init__(self, x, y, width, rows):
        self.x = x
        self.y = y
        self.width = width
        self.rows = rows

    def coverage(self, x, y):
        j = y - self.y
        i = x - self.x
        if j < 0 or j >= len(self.rows) or i < 0 or i >= self.width or self.rows[j] is None:
            return 0.0
        return self.rows[j][i]


class Image:
    """An RGB picture of floats in 0..255, stored as three flat row-major numpy arrays.

    Every operation works on whole rows with numpy in the same order of floating-point
    operations as value by value in Python, so the pictures come out bit for bit the same
    as they did before numpy, many times faster.
    """

    def __init__(self, width, height, colour=(0.0, 0.0, 0.0)):
        self.width = width
        self.height = height
        # One array, so that an operation on a block does all three channels at once.
        self.rgb = numpy.empty((3, width * height))
        self.rgb[...] = numpy.array(colour, dtype=float)[:, numpy.newaxis]
        self.r, self.g, self.b = self.rgb

    def pixel(self, x, y):
        i = y * self.width + x
        return (float(self.r[i]), float(self.g[i]), float(self.b[i]))

    def set_pixel(self, x, y, colour):
        i = y * self.width + x
        self.r[i], self.g[i], self.b[i] = colour

    def fill_rows(self, colour_of_row):
        """Paints each row in one colour: vertical gradients."""
        w = self.width
        for y in range(self.height):
            c = colour_of_row(y)
            a = y * w
            self.r[a:a + w] = c[0]
            self.g[a:a + w] = c[1]
            self.b[a:a + w] = c[2]

    def _spans(self, mask, opacity):
        """Each mask row inside the picture: (row, first column, first index, end index,
        coverage times |opacity| as an array)."""
        i0 = max(0, -mask.x)
        i1 = min(mask.width, self.width - mask.x)
        if i0 >= i1:
            return
        for j, row in enumerate(mask.rows):
            y = mask.y + j
            if row is None or not 0 <= y < self.height:
                continue
            cov = numpy.asarray(row[i0:i1], dtype=float)
            if opacity != 1.0:
                cov = cov * opacity
            a = y * self.width + mask.x + i0
            yield y, mask.x + i0, a, a + (i1 - i0), cov

    def channels(self):
        return (self.r, self.g, self.b)

    def _block(self, mask, opacity):
        """For a mask without empty rows: (the picture's channels as one 3-D view of the part
        the mask covers, its coverage times |opacity| there, that part as slices of the
        mask's rows and columns), or None. One operation on the whole block instead of one
        per row and channel; each value is computed the same way."""
        rows = mask.rows
        if not isinstance(rows, numpy.ndarray):
            if any(row is None for row in rows):
                return None
            rows = numpy.asarray(rows, dtype=float)
        i0, i1 = max(0, -mask.x), min(mask.width, self.width - mask.x)
        j0, j1 = max(0, -mask.y), min(len(rows), self.height - mask.y)
        if i0 >= i1 or j0 >= j1:
            return None, None, None
        part = (slice(j0, j1), slice(i0, i1))
        cov = rows[part]
        if opacity != 1.0:
            cov = cov * opacity
        view = self.rgb.reshape(3, self.height, self.width)[
            :, mask.y + j0:mask.y + j1, mask.x + i0:mask.x + i1]
        return view, cov, part

    def blend(self, mask, colour, opacity=1.0):
        """Paints |colour| over the picture through the coverage of |mask|."""
        block = self._block(mask, opacity)
        if block is not None:
            o, cov, _ = block
            if o is not None:
                # o + (c - o) * cov, in place: large blocks allocate nothing more.
                t = _column(colour) - o
                t *= cov
                o += t
            return
        for _, _, a, e, cov in self._spans(mask, opacity):
            for chan, c in zip(self.channels(), colour):
                o = chan[a:e]
                chan[a:e] = o + (c - o) * cov

    def blend_shaded(self, mask, shader, opacity=1.0):
        """Like blend, with colours from |shader|(x0, count, y) -> (reds, greens, blues)."""
        for y, x0, a, e, cov in self._spans(mask, opacity):
            for chan, shades in zip(self.channels(), shader(x0, e - a, y)):
                o = chan[a:e]
                chan[a:e] = o + (numpy.asarray(shades, dtype=float) - o) * cov

    def blend_each(self, mask, colours):
        """Like blend, with a colour of its own for every pixel of |mask|, which has no empty
        rows: |colours| are its reds, greens and blues, each an array of rows x columns."""
        o, cov, part = self._block(mask, 1.0)
        if o is not None:
            o[...] = o + (numpy.stack([c[part] for c in colours]) - o) * cov

    def screen(self, mask, colour, opacity=1.0):
        """Adds light: screen blend of |colour| through |mask|, never past white."""
        block = self._block(mask, opacity)
        if block is not None:
            o, cov, _ = block
            if o is not None:
                # o + (255 - o) * (c / 255) * cov, in the same order, in place.
                t = 255.0 - o
                t *= _column(colour) / 255.0
                t *= cov
                o += t
            return
        for _, _, a, e, cov in self._spans(mask, opacity):
            for chan, c in zip(self.channels(), colour):
                f = c / 255.0
                o = chan[a:e]
                chan[a:e] = o + (255.0 - o) * f * cov

    def glow(self, cx, cy, radius, colour, strength=1.0, reach=3.0, shape="soft",
             squash=1.0):
        """Screens a round light centred on (cx, cy).

        "soft" falls off like 1 / (1 + d^2)^1.5, with a long faint tail; "gauss" is a
        Gaussian. |squash| scales vertical distances (above 1 flattens the light).
        """
        x0 = max(0, int(cx - radius * reach))
        x1 = min(self.width, int(cx + radius * reach) + 1)
        y0 = max(0, int(cy - radius * reach / squash))
        y1 = min(self.height, int(cy + radius * reach / squash) + 1)
        if x0 >= x1 or y0 >= y1:
            return
        inv = 1.0 / (radius * radius)
        dx2 = ((numpy.arange(x0, x1) + 0.5 - cx) ** 2) * inv
        dy2 = ((numpy.arange(y0, y1) + 0.5 - cy) * squash) ** 2 * inv
        if shape == "gauss":
            rows = strength * numpy.exp(-(dx2[numpy.newaxis, :] + dy2[:, numpy.newaxis]))
        else:
            rows = strength / ((1.0 + dx2)[numpy.newaxis, :] + dy2[:, numpy.newaxis]) ** 1.5
        self.screen(Mask(x0, y0, x1 - x0, rows), colour)

    def crop(self, x, y, width, height):
        out = Image(width, height)
        out.rgb.reshape(3, height, width)[...] = self.rgb.reshape(
            3, self.height, self.width)[:, y:y + height, x:x + width]
        return out

    def rgb_rows(self, dither_seed=None):
        """Rows top-down as bytes of interleaved red, green and blue.

        With a seed, values are rounded with a fixed noise tile, which hides the banding
        that long dark gradients show in 8 bits per channel; without one, they are rounded
        to nearest so flat colours stay exact.
        """
        pixels = numpy.stack(self._channels_8bit(dither_seed), axis=-1)
        data = pixels.reshape(self.height, 3 * self.width)
        return [row.tobytes() for row in data]

    def _channels_8bit(self, dither_seed):
        """The three channels as rows x columns arrays of 8-bit values."""
        shape = (self.height, self.width)
        if dither_seed is None:
            noise = 0.5
        else:
            rng = random.Random(dither_seed)
            tile = numpy.array([[rng.random() for _ in range(64)] for _ in range(64)])
            # The tile repeated across and down the picture.
            noise = tile[numpy.arange(self.height)[:, numpy.newaxis] & 63,
                         numpy.arange(self.width)[numpy.newaxis, :] & 63]
        # int() of each value: truncation toward zero, then clamped.
        return tuple(numpy.clip(numpy.trunc(chan.reshape(shape) + noise), 0, 255)
                     .astype(numpy.uint8) for chan in self.channels())


def _edges(contours):
    """The non-horizontal edges of |contours| as arrays (top, bottom, x at top, slope,
    winding), and their bounding box (minimum x, minimum y, maximum x, maximum y)."""
    edges = []
    minx = miny = math.inf
    maxx = maxy = -math.inf
    for pts in contours:
        n = len(pts)
        for k in range(n):
            x0, y0 = pts[k]
            x1, y1 = pts[(k + 1) % n]
            minx = min(minx, x0)
            maxx = max(maxx, x0)
            miny = min(miny, y0)
            maxy = max(maxy, y0)
            if y0 == y1:
                continue
            d = 1
            if y0 > y1:
                x0, y0, x1, y1 = x1, y1, x0, y0
                d = -1
            edges.append((y0, y1, x0, (x1 - x0) / (y1 - y0), d))
    columns = numpy.array(edges, dtype=float).reshape(len(edges), 5).T
    return columns, (minx, miny, maxx, maxy)


def _spans_of(edges, lines, bx):
    """Where the sub-scanlines at rows |lines| (ascending) are inside the contours by the
    non-zero winding rule: (line index, span start, span end) arrays, in the order of the
    lines and, on each, from left to right. Columns are counted from |bx|."""
    y0, y1, x0, slope, d = edges
    # Each edge crosses the lines from the first at or below its top to the last above its
    # bottom.
    first = numpy.searchsorted(lines, y0, "left")
    count = numpy.searchsorted(lines, y1, "left") - first
    edge = numpy.repeat(numpy.arange(len(y0)), count)
    line = numpy.arange(len(edge)) - numpy.repeat(numpy.cumsum(count) - count, count)
    line += first[edge]
    xs = x0[edge] + (lines[line] - y0[edge]) * slope[edge] - bx
    winding = d[edge].astype(numpy.int64)
    # Along each line left to right, and where two cross at one point, the downward first.
    order = numpy.lexsort((winding, xs, line))
    line, xs, winding = line[order], xs[order], winding[order]
    after = numpy.cumsum(winding)
    # The winding counts afresh on every line.
    begins = numpy.flatnonzero(numpy.diff(line, prepend=-1))
    after -= numpy.repeat(after[begins] - winding[begins], numpy.diff(begins, append=len(line)))
    before = after - winding
    starts = numpy.flatnonzero((before == 0) & (after != 0))
    ends = numpy.flatnonzero((before != 0) & (after == 0))
    return line[starts], xs[starts], xs[ends]


def _add_spans(acc, frac, line, xa, xb, weight, limit):
    """Adds coverage |weight| for each span [xa, xb) on sub-scanline |line| to the
    difference rows |acc| and edge rows |frac| of the lines' pixel rows, in the order given,
    so that the sums come out as one span after the other would make them."""
    xa = numpy.maximum(xa, 0.0)
    xb = numpy.minimum(xb, float(limit))
    kept = xb > xa
    line, xa, xb = line[kept], xa[kept], xb[kept]
    ia = xa.astype(numpy.int64)
    ib = xb.astype(numpy.int64)
    base = line * acc.shape[1]
    one = ia == ib
    # Per span: its left edge pixel, then its right one, as one list in span order.
    count = len(line)
    where = numpy.empty(2 * count, dtype=numpy.int64)
    value = numpy.empty(2 * count)
    where[0::2] = base + ia
    where[1::2] = base + ib
    value[0::2] = numpy.where(one, (xb - xa) * weight, (ia + 1 - xa) * weight)
    value[1::2] = (xb - ib) * weight
    keep = numpy.ones(2 * count, dtype=bool)
    keep[1::2] = ~one
    numpy.add.at(frac.reshape(-1), where[keep], value[keep])
    # A span inside one pixel is all edge: it adds no step.
    keep[0::2] = ~one
    steps = numpy.empty(2 * count, dtype=numpy.int64)
    amounts = numpy.empty(2 * count)
    steps[0::2] = base + ia + 1
    steps[1::2] = base + ib
    amounts[0::2] = weight
    amounts[1::2] = -weight
    numpy.add.at(acc.reshape(-1), steps[keep], amounts[keep])


def polygon_mask(contours, samples=8):
    """Coverage of the union of |contours| (lists of (x, y)) by the non-zero winding rule.

    Contours wound the same way add up; a contour wound the other way cuts a hole. Rows are
    sampled on |samples| sub-scanlines, each with exact horizontal coverage.
    """
    edges, (minx, miny, maxx, maxy) = _edges(contours)
    if not edges.shape[1]:
        return Mask(0, 0, 0, [])
    bx = math.floor(minx)
    by = math.floor(miny)
    width = math.ceil(maxx) - bx + 1
    height = math.ceil(maxy) - by
    weight = 1.0 / samples
    offsets = numpy.array([(s + 0.5) / samples for s in range(samples)])
    py = by + numpy.arange(height, dtype=float)
    # A row with no edge across it stays empty; one with edges gets a row, even of zeros.
    y0, y1 = edges[0], edges[1]
    touched = ((y0 < py[:, numpy.newaxis] + 1) & (y1 > py[:, numpy.newaxis])).any(axis=1)
    acc = numpy.zeros((height, width + 1))
    frac = numpy.zeros((height, width + 1))
    lines = (py[:, numpy.newaxis] + offsets).reshape(-1)
    line, xa, xb = _spans_of(edges, lines, bx)
    _add_spans(acc, frac, line // samples, xa, xb, weight, width)
    # The running sum of the differences, added up left to right as value by value.
    c = numpy.cumsum(acc[:, :width], axis=1) + frac[:, :width]
    c = numpy.where(c > 1.0, 1.0, c)
    return Mask(bx, by, width, [row if hit else None for row, hit in zip(c, touched)])


def signed_area(pts):
    s = 0.0
    n = len(pts)
    for k in range(n):
        x0, y0 = pts[k]
        x1, y1 = pts[(k + 1) % n]
        s += x0 * y1 - x1 * y0
    return s * 0.5


def oriented(pts, positive=True):
    """|pts| wound so that its signed area is positive (or negative, for a hole)."""
    if (signed_area(pts) > 0) != positive:
        return list(reversed(pts))
    return list(pts)


def ellipse(cx, cy, rx, ry, rotation=0.0, steps=None, start=0.0, end=2 * math.pi):
    """Points of an ellipse (or of an arc of it when start/end are given)."""
    if steps is None:
        steps = max(24, int(2 * math.pi * max(rx, ry) / 0.6))
    cr, sr = math.cos(rotation), math.sin(rotation)
    full = abs(end - start - 2 * math.pi) < 1e-9
    count = steps if full else max(2, int(steps * abs(end - start) / (2 * math.pi)) + 1)
    pts = []
    for k in range(count):
        t = start + (end - start) * k / (count if full else count - 1)
        x = rx * math.cos(t)
        y = ry * math.sin(t)
        pts.append((cx + x * cr - y * sr, cy + x * sr + y * cr))
    return pts


def circle(cx, cy, r, steps=None):
    return oriented(ellipse(cx, cy, r, r, steps=steps))


def ring(cx, cy, r_outer, r_inner):
    """A circular band: outer contour plus a hole."""
    return [circle(cx, cy, r_outer), oriented(ellipse(cx, cy, r_inner, r_inner), False)]


def rounded_rect(x0, y0, x1, y1, radius):
    if radius <= 0:
        return oriented([(x0, y0), (x1, y0), (x1, y1), (x0, y1)])
    pts = []
    corners = [(x1 - radius, y0 + radius, -math.pi / 2), (x1 - radius, y1 - radius, 0.0),
               (x0 + radius, y1 - radius, math.pi / 2), (x0 + radius, y0 + radius, math.pi)]
    steps = max(4, int(radius * 1.5))
    for cx, cy, a0 in corners:
        for k in range(steps + 1):
            a = a0 + (math.pi / 2) * k / steps
            pts.append((cx + radius * math.cos(a), cy + radius * math.sin(a)))
    return oriented(pts)


def capsule(p, q, width):
    """A segment from |p| to |q| with round caps, |width| across."""
    r = width / 2.0
    dx, dy = q[0] - p[0], q[1] - p[1]
    a = math.atan2(dy, dx)
    steps = max(6, int(math.pi * r / 0.5))
    pts = []
    for k in range(steps + 1):
        t = a - math.pi / 2 - math.pi * k / steps
        pts.append((p[0] + r * math.cos(t), p[1] + r * math.sin(t)))
    for k in range(steps + 1):
        t = a + math.pi / 2 - math.pi * k / steps
        pts.append((q[0] + r * math.cos(t), q[1] + r * math.sin(t)))
    return oriented(pts)


def bar(p, q, width):
    """A segment from |p| to |q| with square ends exactly at |p| and |q|."""
    dx, dy = q[0] - p[0], q[1] - p[1]
    n = math.hypot(dx, dy)
    ox, oy = -dy / n * width / 2, dx / n * width / 2
    return oriented([(p[0] + ox, p[1] + oy), (q[0] + ox, q[1] + oy), (q[0] - ox, q[1] - oy),
                     (p[0] - ox, p[1] - oy)])


def polyline(points, width):
    """A stroked open path with round joins and caps, as contours that add up."""
    return [capsule(points[k], points[k + 1], width) for k in range(len(points) - 1)]


def transform(pts, cx, cy, scale, rotation=0.0):
    cr, sr = math.cos(rotation), math.sin(rotation)
    return [(cx + (x * cr - y * sr) * scale, cy + (x * sr + y * cr) * scale) for x, y in pts]


def linear_shader(p0, c0, p1, c1):
    """Colours along the line from |p0| (colour |c0|) to |p1| (colour |c1|), clamped."""
    dx, dy = p1[0] - p0[0], p1[1] - p0[1]
    inv = 1.0 / (dx * dx + dy * dy)

    def shade(x0, count, y):
        base = ((y + 0.5 - p0[1]) * dy - p0[0] * dx) * inv
        step = dx * inv
        ts = clip(base + (x0 + numpy.arange(count) + 0.5) * step, 0.0, 1.0)
        return tuple(c0[k] + (c1[k] - c0[k]) * ts for k in range(3))

    return shade


def radial_shader(cx, cy, radius, c0, c1):
    """Colour |c0| at the centre turning into |c1| at |radius| and beyond."""
    inv = 1.0 / radius

    def shade(x0, count, y):
        dy2 = (y + 0.5 - cy) ** 2
        ts = clip(numpy.sqrt((x0 + numpy.arange(count) + 0.5 - cx) ** 2 + dy2) * inv, 0.0, 1.0)
        return tuple(c0[k] + (c1[k] - c0[k]) * ts for k in range(3))

    return shade
