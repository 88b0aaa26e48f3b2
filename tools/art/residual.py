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

import numpy

import encoders

# How far, in levels of 0..255, a channel of the shown picture may be from the drawing.
ERROR_BOUND = 4


def _phases(source, target):
    """Linear interpolation between pixel centres from |source| to |target| pixels, as it
    repeats: the sizes' ratio reduced to n / m, target pixel x = p + k * m lies between
    source pixels first + k * n and the next, weighted (total - f, f) for every k. Returns
    (n, m, total, [(first, total - f, f) per phase p]). With the row padded by a copy of its
    end pixel on each side (first counted in the padded row), the ends need no clamping:
    beyond the outer centres both weights fall on equal values."""
    common = math.gcd(source, target)
    n, m = source // common, target // common
    total = 2 * m
    phases = []
    for p in range(m):
        first, f = divmod((2 * p + 1) * n - m, total)  # position of the centre * total
        phases.append((first + 1, total - f, f))
    return n, m, total, phases


def _widen(rows, target, n, m, phases):
    """Rows of RGB bytes enlarged across to |target| pixels, scaled by the total: one row
    of int64 values per row."""
    values = numpy.frombuffer(b"".join(rows), dtype=numpy.uint8).reshape(len(rows), -1)
    padded = numpy.concatenate((values[:, :3], values, values[:, -3:]), axis=1)
    padded = padded.astype(numpy.int64)
    wide = numpy.zeros((len(rows), 3 * target), dtype=numpy.int64)
    for p, (first, wa, wb) in enumerate(phases):
        count = (target - p + m - 1) // m
        for c in range(3):
            upper = padded[:, 3 * first + c::3 * n][:, :count]
            lower = padded[:, 3 * (first + 1) + c::3 * n][:, :count]
            wide[:, 3 * p + c::3 * m] = upper * wa + lower * wb
    return wide


# Output rows enlarged at a time: bounds the memory the int64 intermediates take.
_ROWS_AT_ONCE = 64


def enlarge(rows, width, height, target_width, target_height):
    """|rows| (top-down rows of RGB bytes, |width| x |height|) enlarged to |target_width| x
    |target_height| by linear interpolation between pixel centres with integer weights, each
    value rounded half up; the same integers as the installer computes.

    The division by the weights' total is a multiplication by its rounded-up reciprocal
    and a shift: exact for values below 2**16, and quicker than dividing."""
    n, m, total_x, across = _phases(width, target_width)
    n_y, m_y, total_y, down = _phases(height, target_height)
    total = total_x * total_y
    half = total // 2
    reciprocal = -(-(1 << 32) // total)
    wide = _widen(rows, target_width, n, m, across)
    wide = numpy.concatenate((wide[:1], wide, wide[-1:]))
    out = numpy.empty((target_height, 3 * target_width), dtype=numpy.uint8)
    for p, (first, wa, wb) in enumerate(down):
        ys = numpy.arange(p, target_height, m_y)
        for start in range(0, len(ys), _ROWS_AT_ONCE):
            part = ys[start:start + _ROWS_AT_ONCE]
            i = first + (part - p) // m_y * n_y
            value = (wide[i] * wa + wide[i + 1] * wb + half) * reciprocal >> 32
            out[part] = value
    return [row.tobytes() for row in out]


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
    table = numpy.frombuffer(_TABLE, dtype=numpy.uint8)
    out = []
    for p, d in zip(predicted, drawn):
        u = numpy.frombuffer(p, dtype=numpy.uint8).astype(numpy.intp)
        out.append(table[(u << 8) | numpy.frombuffer(d, dtype=numpy.uint8)].tobytes())
    return out


def compose(predicted, stored):
    """The rows the installer shows: |predicted| plus |stored|, byte by byte modulo 256."""
    return [(numpy.frombuffer(p, dtype=numpy.uint8) + numpy.frombuffer(s, dtype=numpy.uint8))
            .tobytes() for p, s in zip(predicted, stored)]


def residual_png(base_rows, base_size, drawn_rows):
    """The PNG file stored for |drawn_rows| (RGB bytes, top-down) over the 100 % picture
    |base_rows| of |base_size|."""
    width, height = len(drawn_rows[0]) // 3, len(drawn_rows)
    predicted = enlarge(base_rows, *base_size, width, height)
    return encoders.png_file(width, height, differences(predicted, drawn_rows))
