"""Page pictures for the larger display scales, stored as a difference from the 100 % one.

A picture drawn for 125, 150 or 200 % is stored as what it adds to the 100 % picture
enlarged by enlarge() below, which the installer repeats bit for bit
(installer/ui/picture_residual.cc) before adding the stored difference, byte by byte
modulo 256. Wherever the enlargement is within ERROR_BOUND levels of the drawing (the
smooth sky, most of every picture) the difference is stored as zero, and elsewhere on a
lattice of 2 * ERROR_BOUND + 1 levels, so no channel of the shown picture is more than
ERROR_BOUND levels from the drawing, and the difference compresses to a fraction of the
picture.
"""

import math
import zlib

import encoders

# How far, in levels of 0..255, a channel of the shown picture may be from the drawing.
ERROR_BOUND = 2


def _taps(source, target):
    """Per target pixel: (first source pixel, its weight, weight of the next) for linear
    interpolation between pixel centres, the weights summing to the returned total. Reduced
    by the sizes' common factor, so the total stays small (4 at 200 %, 6 at 150 %, 10 at
    125 %)."""
    common = math.gcd(source, target)
    n, m = source // common, target // common
    total = 2 * m
    taps = []
    for x in range(target):
        position = (2 * x + 1) * n - m  # centre of target pixel x, in source units * total
        i, f = divmod(max(position, 0), total)
        if i >= source - 1:
            i, f = source - 1, 0
        taps.append((i, total - f, f))
    return taps, total


def enlarge(rows, width, height, target_width, target_height):
    """|rows| (top-down rows of RGB bytes, |width| x |height|) enlarged to |target_width| x
    |target_height| by linear interpolation with integer weights, each value rounded half
    up; the same integers as the installer computes."""
    across, total_x = _taps(width, target_width)
    down, total_y = _taps(height, target_height)
    lanes = []
    for i, wa, wb in across:
        j = min(i + 1, width - 1)
        lanes += [(3 * i, 3 * j, wa, wb), (3 * i + 1, 3 * j + 1, wa, wb),
                  (3 * i + 2, 3 * j + 2, wa, wb)]
    wide = [[row[p] * wa + row[q] * wb for p, q, wa, wb in lanes] for row in rows]
    total = total_x * total_y
    half = total // 2
    out = []
    for i, wa, wb in down:
        upper, lower = wide[i], wide[min(i + 1, height - 1)]
        out.append(bytes([(p * wa + q * wb + half) // total for p, q in zip(upper, lower)]))
    return out


def _difference_table(bound):
    """For predicted value u and drawn value n, at index u * 256 + n: the stored difference
    (modulo 256) of the value shown, the lattice point nearest n - u, or n - u itself where
    that point would leave 0..255 or |bound|."""
    step = 2 * bound + 1
    table = bytearray(65536)
    for u in range(256):
        for n in range(256):
            e = n - u
            shown = u + (e + bound) // step * step if e >= 0 else u - (bound - e) // step * step
            if not 0 <= shown <= 255 or abs(shown - n) > bound:
                shown = n
            table[u * 256 + n] = (shown - u) & 0xFF
    return bytes(table)


_TABLE = _difference_table(ERROR_BOUND)


def differences(predicted, drawn):
    """Rows of stored differences for the |drawn| rows given the |predicted| ones."""
    table = _TABLE
    return [bytes([table[(u << 8) | n] for u, n in zip(p, d)]) for p, d in zip(predicted, drawn)]


def compose(predicted, stored):
    """The rows the installer shows: |predicted| plus |stored|, byte by byte modulo 256."""
    return [bytes([(u + r) & 0xFF for u, r in zip(p, s)]) for p, s in zip(predicted, stored)]


def residual_png(base_rows, base_size, drawn_rows):
    """The PNG file stored for |drawn_rows| (RGB bytes, top-down) over the 100 % picture
    |base_rows| of |base_size|."""
    width, height = len(drawn_rows[0]) // 3, len(drawn_rows)
    predicted = enlarge(base_rows, *base_size, width, height)
    raw = bytearray()
    for row in differences(predicted, drawn_rows):
        raw += b"\x01" + encoders.bytewise_difference(row, bytes(3) + row[:-3])
    # Mostly zeros broken by short runs: the filtered strategy suits it better than the
    # default by a few per cent.
    return encoders.png_file(width, height, bytes(raw), zlib.Z_FILTERED)
