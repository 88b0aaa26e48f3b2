"""The 32 x 32 button glyphs: close, minimise, check boxes and the chevrons, drawn natively
for each display scale (40, 48 and 64 pixels at 125, 150 and 200 %).

The buttons drop every pixel of the key colour exactly and copy every other pixel as it
is, so a glyph cannot carry transparency. Its anti-aliased edges are therefore blended
with the very pixels of the page picture that will lie under it, which makes them look
smooth in place; pixels the glyph does not touch are the key colour.
"""

from raster import Image, bar, oriented, polygon_mask, polyline, ring, rounded_rect, transform

SIZE = 32
KEY_COLOUR = (115, 147, 222)
GREY = (210.0, 210.0, 210.0)
WHITE = (255.0, 255.0, 255.0)
TICK_BLUE = (74.0, 144.0, 226.0)
SAMPLES = 16

# Where each glyph sits on which picture: (picture id, left, top), from the window layout.
TOP_RIGHT_PICTURES = (102, 103, 104)
CLOSE_AT = (948, 20)
MINIMIZE_AT = (896, 20)
CHECK_BOX_AT = (20, 548)
ARROW_AT = (828, 548)


def cross():
    return [bar((10.5, 10.5), (21.5, 21.5), 2.0), bar((21.5, 10.5), (10.5, 21.5), 2.0)]


def minimise_bar():
    # On whole pixels, so the bar is perfectly sharp.
    return [oriented([(10.0, 15.0), (22.0, 15.0), (22.0, 17.0), (10.0, 17.0)])]


def empty_box():
    return [rounded_rect(7.0, 7.0, 25.0, 25.0, 3.5),
            oriented(rounded_rect(9.0, 9.0, 23.0, 23.0, 1.6), False)]


def filled_box():
    return [rounded_rect(7.0, 7.0, 25.0, 25.0, 3.5)]


def tick():
    return polyline([(11.2, 16.3), (14.6, 19.6), (20.8, 12.7)], 2.4)


def circle_outline():
    return ring(16.0, 16.0, 11.5, 10.0)


def chevron(up):
    top, bottom = 13.75, 18.25
    if up:
        return polyline([(11.5, bottom), (16.0, top), (20.5, bottom)], 2.0)
    return polyline([(11.5, top), (16.0, bottom), (20.5, top)], 2.0)


def render(layers, backdrop, scale=1.0):
    """The glyph of |layers| ((contours, colour) painted in order, in the 32 x 32 design)
    drawn at |scale| over |backdrop|, a picture of the glyph's scaled size.

    Returns top-down rows of (reds, greens, blues). Untouched pixels get the key colour;
    a blended edge pixel that happens to equal the key colour is moved one step in blue.
    """
    size = backdrop.width
    img = backdrop.crop(0, 0, size, size)
    touched = [0.0] * (size * size)
    for contours, colour in layers:
        if scale != 1.0:
            contours = [transform(points, 0.0, 0.0, scale) for points in contours]
        mask = polygon_mask(contours, SAMPLES)
        img.blend(mask, colour)
        for j, row in enumerate(mask.rows):
            y = mask.y + j
            if row is None or not 0 <= y < size:
                continue
            for i, c in enumerate(row):
                x = mask.x + i
                if 0 <= x < size and c > 0.0:
                    k = y * size + x
                    touched[k] = 1.0 - (1.0 - touched[k]) * (1.0 - c)
    rows = []
    for y in range(size):
        reds, greens, blues = [], [], []
        for x in range(size):
            k = y * size + x
            if touched[k] < 0.5 / 255.0:
                colour = KEY_COLOUR
            else:
                colour = tuple(min(255, max(0, int(v + 0.5))) for v in img.pixel(x, y))
                if colour == KEY_COLOUR:
                    colour = (colour[0], colour[1], colour[2] + 1)
            reds.append(colour[0])
            greens.append(colour[1])
            blues.append(colour[2])
        rows.append((reds, greens, blues))
    return rows


def average_backdrop(pictures, left, top, size=SIZE):
    """The mean of the |size|-pixel squares at (left, top) of |pictures|."""
    out = Image(size, size)
    n = float(len(pictures))
    for y in range(size):
        for x in range(size):
            colours = [p.pixel(left + x, top + y) for p in pictures]
            out.set_pixel(x, y, tuple(sum(c[k] for c in colours) / n for k in range(3)))
    return out


def all_glyphs(pictures, scale=1.0):
    """Rows of bitmaps 105 to 118 at |scale| keyed by id, given the page pictures drawn for
    |scale| keyed by id: each glyph blends into the very pixels the window shows under it
    at that scale."""
    size = round(SIZE * scale)

    def at(place):
        return tuple(round(v * scale) for v in place)

    top_right = [pictures[i] for i in TOP_RIGHT_PICTURES]
    under_close = average_backdrop(top_right, *at(CLOSE_AT), size)
    under_minimise = average_backdrop(top_right, *at(MINIMIZE_AT), size)
    under_box = pictures[102].crop(*at(CHECK_BOX_AT), size, size)
    under_arrow = pictures[102].crop(*at(ARROW_AT), size, size)
    close_normal = render([(cross(), GREY)], under_close, scale)
    close_hover = render([(cross(), WHITE)], under_close, scale)
    minimise_normal = render([(minimise_bar(), GREY)], under_minimise, scale)
    minimise_hover = render([(minimise_bar(), WHITE)], under_minimise, scale)
    checked = render([(filled_box(), WHITE), (tick(), TICK_BLUE)], under_box, scale)
    unchecked = render([(empty_box(), WHITE)], under_box, scale)
    collapse = render([(circle_outline(), WHITE), (chevron(True), WHITE)], under_arrow, scale)
    expand = render([(circle_outline(), WHITE), (chevron(False), WHITE)], under_arrow, scale)
    return {
        105: close_normal, 106: close_hover, 107: close_hover,
        108: minimise_normal, 109: minimise_hover, 110: minimise_hover,
        111: checked, 112: checked, 113: unchecked, 114: unchecked,
        115: collapse, 116: collapse, 117: expand, 118: expand,
    }
