"""Reads the art generator's PNG files (8-bit RGB, not interlaced) for the tests."""

import struct
import zlib

import numpy


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


class Picture:
    """A PNG file's header fields and its pixels, top-down."""

    def __init__(self, data):
        assert data[:8] == b"\x89PNG\r\n\x1a\n"
        chunks, at, idat = [], 8, b""
        while at < len(data):
            length, = struct.unpack_from(">I", data, at)
            kind = data[at + 4:at + 8]
            chunks.append(kind)
            if kind == b"IHDR":
                (self.width, self.height, self.depth, self.colour_type, _, _,
                 self.interlace) = struct.unpack_from(">IIBBBBB", data, at + 8)
            elif kind == b"IDAT":
                idat += data[at + 8:at + 8 + length]
            at += 12 + length
        self.chunks = chunks
        self._idat = idat
        self._rows = None

    @property
    def rows(self):
        """The pixel rows as bytes, top-down; decoded when first asked for, since most
        checks need only the header."""
        if self._rows is None:
            self._rows = self._unfilter(zlib.decompress(self._idat))
        return self._rows

    def _unfilter(self, raw):
        stride = self.width * 3
        rows, previous, at = [], bytearray(stride), 0
        for _ in range(self.height):
            kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
            at += 1 + stride
            if kind == 1:
                # "Sub", the generator's filter: each sample adds the one a pixel to its
                # left, modulo 256, which is a running sum per channel.
                pixels = numpy.frombuffer(line, dtype=numpy.uint8).reshape(-1, 3)
                line = bytearray(numpy.cumsum(pixels, axis=0, dtype=numpy.uint8).tobytes())
            elif kind:
                for i in range(stride):
                    a = line[i - 3] if i >= 3 else 0
                    b = previous[i]
                    c = previous[i - 3] if i >= 3 else 0
                    line[i] = (line[i] + (0, a, b, (a + b) // 2, _paeth(a, b, c))[kind]) & 0xFF
            rows.append(bytes(line))
            previous = line
        return rows

    def pixel(self, x, y):
        """(r, g, b) at column x, row y counted from the top."""
        return tuple(self.rows[y][x * 3:x * 3 + 3])

    def pixels(self):
        return [self.pixel(x, y) for y in range(self.height) for x in range(self.width)]


def read_picture(path):
    return Picture(path.read_bytes())
