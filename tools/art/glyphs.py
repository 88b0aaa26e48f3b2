"""The 32 x 32 button glyphs: close, minimise, check boxes and the chevrons.

The buttons drop every pixel of the key colour exactly and copy every other pixel as it
is, so a glyph cannot carry transparency. Its anti-aliased edges are therefore blended
with the very pixels of the page picture that will lie under it, which makes them look
smooth in place; pixels the glyph does not touch are the key colour.
"""

from raster import Image, bar, oriented, polygon_mask, polyline, ring, rounded_rect

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


def render(layers, backdrop):
    """The glyph of |layers| ((contours, colour) painted in order) over |backdrop|.

    Returns top-down rows of (reds, greens, blues). Untouched pixels get the key colour;
    a blended edge pixel that happens to equal the key colour is moved one step in blue.
    """
    img = backdrop.crop(0, 0, SIZE, SIZE)
    touched = [0.0] * (SIZE * SIZE)
    for contours, colour in layers:
        mask = polygon_mask(contours, SAMPLES)
        img.blend(mask, colour)
        for j, row in enumerate(mask.rows):
            y = mask.y + j
            if row is None or not 0 <= y < SIZE:
                continue
            for i, c in enumerate(row):
                x = mask.x + i
                if 0 <= x < SIZE and c > 0.0:
                    k = y * SIZE + x
                    touched[k] = 1.0 - (1.0 - touched[k]) * (1.0 - c)
    rows = []
    for y in range(SIZE):
        reds, greens, blues = [], [], []
        for x in range(SIZE):
            k = y * SIZE + x
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


def average_backdrop(pictures, left, top):
    """The mean of the 32 x 32 areas at (left, top) of |pictures|."""
    out = Image(SIZE, SIZE)
    n = float(len(pictures))
    for y in range(SIZE):
        for x in range(SIZE):
            colours = [p.pixel(left + x, top + y) for p in pictures]
            out.set_pixel(x, y, tuple(sum(c[k] for c in colours) / n for k in range(3)))
    return out


def all_glyphs(pictures):
    """Rows of bitmaps 105 to 118 keyed by id, given the page pictures keyed by id."""
    top_right = [pictures[i] for i in TOP_RIGHT_PICTURES]
    under_close = average_backdrop(top_right, *CLOSE_AT)
    under_minimise = average_backdrop(top_right, *MINIMIZE_AT)
    under_box = pictures[102].crop(*CHECK_BOX_AT, SIZE, SIZE)
    under_arrow = pictures[102].crop(*ARROW_AT, SIZE, SIZE)
    close_normal = render([(cross(), GREY)], under_close)
    close_hover = render([(cross(), WHITE)], under_close)
    minimise_normal = render([(minimise_bar(), GREY)], under_minimise)
    minimise_hover = render([(minimise_bar(), WHITE)], under_minimise)
    checked = render([(filled_box(), WHITE), (tick(), TICK_BLUE)], under_box)
    unchecked = render([(empty_box(), WHITE)], under_box)
    collapse = render([(circle_outline(), WHITE), (chevron(True), WHITE)], under_arrow)
    expand = render([(circle_outline(), WHITE), (chevron(False), WHITE)], under_arrow)
    return {
        105: close_normal, 106: close_hover, 107: close_hover,
        108: minimise_normal, 109: minimise_hover, 110: minimise_hover,
        111: checked, 112: checked, 113: unchecked, 114: unchecked,
        115: collapse, 116: collapse, 117: expand, 118: expand,
    }
