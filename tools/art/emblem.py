"""The glowing crystal emblem, its orbit ring and the small icons that circle it."""

import math

import numpy

from raster import (bar, circle, ellipse, linear_shader, oriented, polygon_mask, polyline,
                    radial_shader, ring, rounded_rect, transform)

# Crystal outline in units of its half height, y downwards: an elongated hexagonal prism
# with a pyramid at each end, seen from slightly above.
_TOP = (0.0, -1.0)
_BOTTOM = (0.0, 1.0)
_UPPER = [(-0.42, -0.42), (-0.21, -0.37), (0.21, -0.37), (0.42, -0.42)]
_LOWER = [(-0.42, 0.30), (-0.21, 0.35), (0.21, 0.35), (0.42, 0.30)]

# (corners, colour at the facet's lit end, colour at its far end, lit end, far end)
_FACETS = [
    ([_TOP, _UPPER[0], _UPPER[1]], (215, 250, 255), (120, 205, 255), (-0.2, -0.8), (-0.1, -0.4)),
    ([_TOP, _UPPER[1], _UPPER[2]], (150, 220, 255), (86, 150, 246), (0.0, -0.9), (0.0, -0.37)),
    ([_TOP, _UPPER[2], _UPPER[3]], (118, 126, 240), (78, 74, 196), (0.1, -0.8), (0.35, -0.4)),
    ([_UPPER[0], _UPPER[1], _LOWER[1], _LOWER[0]], (130, 228, 255), (52, 128, 232),
     (-0.3, -0.42), (-0.3, 0.32)),
    ([_UPPER[1], _UPPER[2], _LOWER[2], _LOWER[1]], (92, 180, 252), (56, 96, 224),
     (0.0, -0.37), (0.0, 0.35)),
    ([_UPPER[2], _UPPER[3], _LOWER[3], _LOWER[2]], (78, 76, 200), (48, 40, 146),
     (0.3, -0.42), (0.3, 0.32)),
    ([_LOWER[0], _LOWER[1], _BOTTOM], (76, 146, 238), (44, 60, 170), (-0.3, 0.32), (0.0, 0.9)),
    ([_LOWER[1], _LOWER[2], _BOTTOM], (70, 104, 226), (82, 44, 170), (0.0, 0.35), (0.0, 0.95)),
    ([_LOWER[2], _LOWER[3], _BOTTOM], (44, 38, 136), (34, 22, 96), (0.3, 0.32), (0.0, 0.9)),
]

_EDGES = ([(_TOP, p) for p in _UPPER] + [(_BOTTOM, p) for p in _LOWER] +
          [(_UPPER[k], _LOWER[k]) for k in range(4)] +
          [(_UPPER[k], _UPPER[k + 1]) for k in range(3)] +
          [(_LOWER[k], _LOWER[k + 1]) for k in range(3)])


def _at(cx, cy, s, p):
    return (cx + p[0] * s, cy + p[1] * s)


def paint_halo(img, cx, cy, s, strength=1.0):
    """The light the crystal throws into the sky around it."""
    img.glow(cx, cy + 0.05 * s, 2.4 * s, (120, 80, 235), strength=0.26 * strength, reach=2.6)
    img.glow(cx, cy, 1.0 * s, (70, 170, 255), strength=0.38 * strength, reach=3.0)
    img.glow(cx, cy, 0.45 * s, (150, 225, 255), strength=0.25 * strength, reach=3.5,
             shape="gauss")


def sparkle(img, x, y, size, colour=(235, 248, 255), strength=1.0, px=1.0):
    """A four-pointed glint: a bright dot with long thin rays; |px| pixels to the unit."""
    img.glow(x, y, size * 0.22, colour, strength=0.9 * strength, reach=3.0, shape="gauss")
    for angle, length in ((0.0, 1.0), (math.pi / 2, 1.0), (math.pi / 4, 0.45),
                          (-math.pi / 4, 0.45)):
        dx, dy = math.cos(angle) * size * length, math.sin(angle) * size * length
        w = max(0.9 * px, size * 0.07)
        # A thin diamond along the ray: bright at the centre, pointed at both ends.
        nx, ny = -dy / math.hypot(dx, dy) * w, dx / math.hypot(dx, dy) * w
        ray = [(x - dx, y - dy), (x + nx, y + ny), (x + dx, y + dy), (x - nx, y - ny)]
        img.screen(polygon_mask([oriented(ray)], samples=8), colour, 0.85 * strength)


# Flat facet colours for tiny crystals, where gradients and edge lines would only blur:
# a bright left face, a clear middle and a deep right face keep the shape readable.
_TINY_FACETS = [(225, 250, 255), (150, 215, 255), (92, 96, 230),
                (170, 235, 255), (80, 160, 250), (56, 50, 180),
                (100, 170, 245), (60, 100, 220), (40, 30, 130)]


def paint_crystal(img, cx, cy, s, sparkles=True, tiny=False, px=1.0):
    """The faceted crystal, half height |s| pixels, centred on (cx, cy); |tiny| draws the
    flat, high-contrast form for icons of a few pixels. |px| is the display scale, which
    widens the thinnest lines with everything else."""
    samples = 8 if s > 40 else 16
    for k, (corners, lit, far, p0, p1) in enumerate(_FACETS):
        pts = oriented([_at(cx, cy, s, p) for p in corners])
        if tiny:
            img.blend(polygon_mask([pts], samples), _TINY_FACETS[k])
            continue
        shader = linear_shader(_at(cx, cy, s, p0), lit, _at(cx, cy, s, p1), far)
        img.blend_shaded(polygon_mask([pts], samples), shader)
    if tiny:
        return
    # Light inside the stone, strongest just above its waist.
    img.glow(cx - 0.05 * s, cy - 0.1 * s, 0.32 * s, (170, 235, 255), strength=0.35,
             reach=2.2, shape="gauss")
    width = max(0.8 * px, s * 0.012)
    for p, q in _EDGES:
        a, b = _at(cx, cy, s, p), _at(cx, cy, s, q)
        lit = 0.85 if (p[0] + q[0]) <= 0 else 0.45
        img.screen(polygon_mask([bar(a, b, width)], samples), (225, 245, 255), lit)
    # A streak of reflected light down the left prism face.
    streak = oriented([_at(cx, cy, s, p) for p in
                       [(-0.36, -0.36), (-0.29, -0.35), (-0.29, 0.22), (-0.36, 0.2)]])
    img.screen(polygon_mask([streak], samples), (255, 255, 255), 0.28)
    if sparkles:
        sparkle(img, cx, cy - s, s * 0.34, px=px)
        sparkle(img, cx - 0.42 * s, cy - 0.42 * s, s * 0.16, strength=0.8, px=px)


def _arc_band(cx, cy, rx, ry, rotation, width, start, end):
    outer = ellipse(cx, cy, rx + width / 2, ry + width / 2, rotation, start=start, end=end)
    inner = ellipse(cx, cy, rx - width / 2, ry - width / 2, rotation, start=start, end=end)
    return oriented(outer + list(reversed(inner)))


def paint_orbit(img, cx, cy, rx, ry, rotation, half, width=2.0, strength=1.0,
                colour=(150, 215, 255)):
    """Half of a tilted orbit ring: "back" (the far, upper half) or "front".

    The ring brightens towards the viewer and the left, with a wide faint band under a
    thin bright one, so it reads as light rather than a painted line.
    """
    start, end = (math.pi, 2 * math.pi) if half == "back" else (0.0, math.pi)
    cr, sr = math.cos(rotation), math.sin(rotation)

    def brightness(xs, y):
        # Angle on the ring of the point nearest each (x, y), from its unrotated position.
        dx, dy = xs - cx, y - cy
        t = numpy.arctan2((-dx * sr + dy * cr) / ry, (dx * cr + dy * sr) / rx)
        depth = numpy.sin(t)
        side = 0.75 + 0.25 * numpy.cos(t + 0.6)
        return strength * side * numpy.where(depth > 0, 0.55 + 0.45 * depth, 0.45 + 0.3 * depth)

    for band_width, samples, tint, opacity in ((width * 4.0, 4, colour, 0.18),
                                               (width, 8, (220, 240, 255), 0.85)):
        mask = polygon_mask([_arc_band(cx, cy, rx, ry, rotation, band_width, start, end)],
                            samples)
        xs = mask.x + numpy.arange(mask.width) + 0.5
        for j, row in enumerate(mask.rows):
            if row is not None:
                lit = row * opacity * brightness(xs, mask.y + j + 0.5)
                mask.rows[j] = numpy.where(row != 0, lit, 0.0)
        img.screen(mask, tint)


def orbit_point(cx, cy, rx, ry, rotation, t):
    x, y = rx * math.cos(t), ry * math.sin(t)
    cr, sr = math.cos(rotation), math.sin(rotation)
    return cx + x * cr - y * sr, cy + x * sr + y * cr


def paint_planet(img, x, y, r):
    """A small glowing moon riding the ring."""
    img.glow(x, y, r * 1.2, (120, 200, 255), strength=0.45, reach=4.0)
    img.blend_shaded(polygon_mask([circle(x, y, r)], 10),
                     radial_shader(x - r * 0.35, y - r * 0.35, r * 1.6, (235, 250, 255),
                                   (70, 120, 230)))


# Pictograms for the orbiting icons, in a unit circle, as lists of contours.

def _bolt():
    return [oriented([(0.16, -0.72), (-0.38, 0.08), (-0.04, 0.08), (-0.18, 0.72),
                      (0.40, -0.12), (0.05, -0.12)])]


def _star():
    pts = []
    for k in range(10):
        a = -math.pi / 2 + k * math.pi / 5
        r = 0.66 if k % 2 == 0 else 0.28
        pts.append((r * math.cos(a), r * math.sin(a) + 0.05))
    return [oriented(pts)]


def _shield():
    pts = [(0.0, -0.68), (0.5, -0.48), (0.47, 0.0)]
    for k in range(1, 10):
        t = k / 10
        pts.append((0.47 * (1 - t) ** 1.3, 0.0 + 0.7 * math.sin(t * math.pi / 2)))
    pts.append((0.0, 0.70))
    for k in range(9, 0, -1):
        t = k / 10
        pts.append((-0.47 * (1 - t) ** 1.3, 0.0 + 0.7 * math.sin(t * math.pi / 2)))
    pts += [(-0.47, 0.0), (-0.5, -0.48)]
    outer = oriented(pts)
    # A tick cut out of the shield.
    tick = [(-0.27, 0.0), (-0.04, 0.23), (0.29, -0.13), (0.2, -0.22), (-0.04, 0.05),
            (-0.18, -0.09)]
    return [outer, oriented(tick, False)]


def _globe():
    parts = ring(0.0, 0.0, 0.64, 0.52)
    meridian = [oriented(ellipse(0, 0, 0.29, 0.6)), oriented(ellipse(0, 0, 0.18, 0.5), False)]
    return parts + meridian + [bar((-0.6, 0.0), (0.6, 0.0), 0.11)]


def _play():
    return [oriented([(-0.24, -0.46), (0.5, 0.0), (-0.24, 0.46)])]


def _cube():
    hexagon = [(0.6 * math.cos(math.pi / 6 + k * math.pi / 3),
                0.6 * math.sin(math.pi / 6 + k * math.pi / 3)) for k in range(6)]
    lines = polyline(hexagon + [hexagon[0]], 0.12)
    centre = (0.0, 0.0)
    for k in (1, 3, 5):
        lines += polyline([centre, hexagon[k]], 0.12)
    return lines


def _lock():
    body = rounded_rect(-0.42, -0.08, 0.42, 0.58, 0.1)
    shackle = polyline([(0.27 * math.cos(a), -0.3 + 0.27 * math.sin(a)) for a in
                        [math.pi + k * math.pi / 12 for k in range(13)]], 0.13)
    legs = [bar((-0.27, -0.3), (-0.27, -0.05), 0.13), bar((0.27, -0.3), (0.27, -0.05), 0.13)]
    hole = oriented(circle(0.0, 0.2, 0.09), False)
    return [body, hole] + shackle + legs


def _heart():
    return [circle(-0.24, -0.14, 0.29), circle(0.24, -0.14, 0.29),
            oriented([(-0.51, -0.04), (0.51, -0.04), (0.0, 0.6)])]


PICTOGRAMS = [_bolt, _globe, _shield, _cube, _star, _lock, _play, _heart]


def paint_icon_badge(img, x, y, r, pictogram, light=1.0, px=1.0):
    """A round glass badge of radius |r| with a white pictogram in it; |px| pixels to the
    unit."""
    img.glow(x, y, r * 0.9, (90, 150, 255), strength=0.35 * light, reach=3.0)
    img.blend_shaded(polygon_mask([circle(x, y, r)], 8),
                     radial_shader(x - r * 0.4, y - r * 0.5, r * 1.9,
                                   (78 * light + 20, 120 * light + 20, 230 * light + 10),
                                   (22, 28, 92)))
    img.screen(polygon_mask(ring(x, y, r, r - max(1.0 * px, r * 0.07)), 8), (150, 220, 255),
               0.75 * light)
    glyph = [transform(c, x, y, r * 0.78) for c in pictogram()]
    img.blend(polygon_mask(glyph, 10), (255, 255, 255), 0.55 + 0.45 * light)
