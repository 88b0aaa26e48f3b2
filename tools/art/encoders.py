"""File formats written by the art generator: PNG and multi-image ICO."""

import struct
import zlib

import numpy

BITMAPINFOHEADER_SIZE = 40


def _info_header(width, height, bits, image_size, colours_used=0):
    # biSize, biWidth, biHeight, biPlanes, biBitCount, biCompression (BI_RGB),
    # biSizeImage, biXPelsPerMeter, biYPelsPerMeter (96 dpi), biClrUsed, biClrImportant.
    return struct.pack("<IiiHHIIiiII", BITMAPINFOHEADER_SIZE, width, height, 1, bits, 0,
                       image_size, 3780, 3780, colours_used, 0)


def _stride(width, bits):
    return ((width * bits + 31) // 32) * 4


def _png_chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data +
            struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


def interleave(reds, greens, blues):
    """One row of RGB bytes from its three channel lists."""
    line = bytearray(3 * len(reds))
    line[0::3] = bytes(reds)
    line[1::3] = bytes(greens)
    line[2::3] = bytes(blues)
    return bytes(line)


def png_file(width, height, lines, colour_type=2):
    """A PNG file of |lines| (top-down rows of interleaved 8-bit samples; colour type 2: RGB,
    6: RGBA), no interlace. Every row is stored with the "Sub" filter, which suits the smooth
    skies best of the five and makes the icon a fifth smaller than no filter, and compressed
    at level 9 with zlib's filtered strategy, a few kilobytes smaller than the default."""
    step = 4 if colour_type == 6 else 3
    samples = numpy.frombuffer(b"".join(lines), dtype=numpy.uint8).reshape(height, -1)
    raw = numpy.empty((height, samples.shape[1] + 1), dtype=numpy.uint8)
    raw[:, 0] = 1  # the filter type of each row: Sub
    raw[:, 1:1 + step] = samples[:, :step]
    # Each sample less the one a pixel to its left, modulo 256.
    numpy.subtract(samples[:, step:], samples[:, :-step], out=raw[:, 1 + step:])
    compressor = zlib.compressobj(9, zlib.DEFLATED, 15, 8, zlib.Z_FILTERED)
    data = compressor.compress(raw.tobytes()) + compressor.flush()
    return (b"\x89PNG\r\n\x1a\n" +
            _png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)) +
            _png_chunk(b"IDAT", data) + _png_chunk(b"IEND", b""))


def png_rgb(rows):
    """A PNG file of |rows| (top-down (reds, greens, blues) int lists): 8-bit RGB."""
    return png_file(len(rows[0][0]), len(rows), [interleave(*row) for row in rows])


def png_rgba(width, height, rgba):
    """A PNG file of |rgba| (top-down bytes, 4 per pixel), 8-bit RGBA."""
    stride = width * 4
    return png_file(width, height, [rgba[y * stride:(y + 1) * stride] for y in range(height)],
                    colour_type=6)


def _and_mask(width, height, opaque):
    """1-bit AND mask rows bottom-up: bit set where the pixel is transparent."""
    stride = _stride(width, 1)
    out = bytearray()
    for y in reversed(range(height)):
        row = bytearray(stride)
        for x in range(width):
            if not opaque[y * width + x]:
                row[x >> 3] |= 0x80 >> (x & 7)
        out += row
    return bytes(out)


def icon_bmp32(width, height, rgba):
    """An icon image entry of 32 bits per pixel with straight alpha, plus its AND mask."""
    stride = width * 4
    xor = bytearray()
    for y in reversed(range(height)):
        row = bytearray(rgba[y * stride:(y + 1) * stride])
        row[0::4], row[2::4] = row[2::4], row[0::4]  # RGBA -> BGRA
        xor += row
    mask = _and_mask(width, height, [rgba[i * 4 + 3] != 0 for i in range(width * height)])
    header = _info_header(width, height * 2, 32, len(xor) + len(mask))
    return header + bytes(xor) + mask


def icon_bmp8(width, height, palette, indices, opaque):
    """An icon image entry of 256 colours: palette of (r, g, b), one index per pixel,
    transparency only through the AND mask."""
    if len(palette) > 256:
        raise ValueError("an 8-bit icon image holds at most 256 colours")
    table = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in palette)
    table += b"\x00\x00\x00\x00" * (256 - len(palette))
    stride = _stride(width, 8)
    xor = bytearray()
    for y in reversed(range(height)):
        row = bytearray(stride)
        row[0:width] = bytes(indices[y * width:(y + 1) * width])
        xor += row
    mask = _and_mask(width, height, opaque)
    header = _info_header(width, height * 2, 8, len(xor) + len(mask), 256)
    return header + table + bytes(xor) + mask


def ico(images):
    """An .ico file of |images|: (width, height, bits per pixel, entry bytes) in order."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for width, height, bits, data in images:
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, bits,
                               len(data), offset)
        offset += len(data)
    return directory + entries + b"".join(data for _, _, _, data in images)
