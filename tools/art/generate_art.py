#!/usr/bin/env python3
"""Draws the installer's pictures, button glyphs and program icon into a folder.

    generate_art.py OUTPUT_DIR [--preview DIR]

Writes 102.png ... 118.png (8-bit RGB), the page pictures 102 ... 104 and the glyphs
105 ... 118 drawn again for 125, 150 and 200 % (ids plus 1000, 2000 and 3000; the pictures
as their difference from the 100 % one, see residual.py), scaled_art.rc with the script
lines that embed those, and app.ico; the installer's resource script embeds them all.
Everything is drawn from code with fixed random seeds, so every run writes the same bytes.
With --preview, also writes the icon sizes as PNG files. Needs numpy.

Each page picture at each scale is drawn in a process of its own, so the drawing uses every
core; the processes meet twice, to lay the same sky under the close and minimise glyphs on
the three pages of a scale.
"""

import argparse
import gc
import multiprocessing
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import app_icon  # noqa: E402
import encoders  # noqa: E402
import glyphs  # noqa: E402
import residual  # noqa: E402
import scenes  # noqa: E402
from raster import Image  # noqa: E402


def _write(path, data):
    # Write beside and rename, so an interrupted run never leaves a half-written file that
    # looks newer than the script.
    partial = path + ".partial"
    with open(partial, "wb") as f:
        f.write(data)
    os.replace(partial, path)


# The display scales the art is drawn for, and the offset the installer adds to a picture's
# id to find its picture for that scale (installer/ui/scaled_picture.h).
ART_SETS = ((96, 0), (120, 1000), (144, 2000), (192, 3000))
PICTURE_IDS = tuple(scenes.PAGES)
GLYPH_IDS = range(105, 119)


# The resource type of a picture stored as its difference from the 100 % one
# (installer/ui/png_picture.h).
RESIDUAL_TYPE = "PNGRESIDUAL"


def scaled_art_script():
    """The resource script lines that embed the art drawn for the larger scales."""
    lines = ["// Written by tools/art/generate_art.py: the art for 125, 150 and 200 %.\n"]
    for dpi, offset in ART_SETS[1:]:
        for picture_id in PICTURE_IDS:
            lines.append(f'{picture_id + offset} {RESIDUAL_TYPE} "{picture_id + offset}.png"\n')
        for glyph_id in GLYPH_IDS:
            lines.append(f'{glyph_id + offset} PNG "{glyph_id + offset}.png"\n')
    return "".join(lines).encode("ascii")


def _cut(img, area):
    left, top, right, bottom = area
    return img.crop(left, top, right - left, bottom - top)


def _glyph_places(scale):
    """The areas of picture 102 under its glyphs at |scale|, as (left, top, right, bottom)."""
    size = round(glyphs.SIZE * scale)
    places = []
    for x, y in (glyphs.CHECK_BOX_AT, glyphs.ARROW_AT):
        left, top = round(x * scale), round(y * scale)
        places.append((left, top, left + size, top + size))
    return places


def _draw_page(picture_id, dpi, conn):
    """In a process of its own: draws |picture_id| for |dpi|, settling its glyph strip
    through the parent; sends the parent the areas the glyphs need and, at 96 dpi, its rows,
    over which the larger scales store theirs (which they then receive); last, its file."""
    # Drawing makes millions of short-lived lists and no reference cycles: the collector
    # would only rescan them (it more than doubles the time at 200 %).
    gc.disable()
    scale = dpi / 96
    img, band = scenes.paint_sky(picture_id, scale)
    for fade, paint in ((scenes.SKY_FADE, False), (scenes.STRIP_FADE, True)):
        if paint:
            scenes.paint_scene(img, picture_id, band, scale)
        area = scenes.strip_area(fade, scale)
        conn.send(_cut(img, area))
        img.paste(conn.recv(), area[0], area[1])
    parts = [_cut(img, place) for place in _glyph_places(scale)] if picture_id == 102 else []
    if dpi == 96:
        rows = img.rgb_rows(dither_seed=picture_id)
        conn.send((parts, rows))
        conn.send(encoders.png_file(img.width, img.height, rows))
    else:
        drawn = img.rgb_rows()
        conn.send((parts, None))
        base = conn.recv()
        conn.send(residual.residual_png(base, scenes.picture_size(picture_id), drawn))
    conn.close()


def draw_pages(output):
    """Draws the page pictures of every scale into |output|; returns, per dpi, the pictures
    as far as the glyphs need them (their strips and the areas under the glyphs)."""
    # The platform's way of starting processes: a fork on Linux, a fresh interpreter on
    # Windows, where the vendor builds too; a worker needs nothing but its arguments.
    workers = {}
    for dpi, _ in ART_SETS:
        for picture_id in PICTURE_IDS:
            parent, child = multiprocessing.Pipe()
            process = multiprocessing.Process(target=_draw_page, args=(picture_id, dpi, child))
            process.start()
            child.close()
            workers[dpi, picture_id] = (process, parent)
    partial = {}
    for dpi, _ in ART_SETS:
        scale = dpi / 96
        partial[dpi] = {i: Image(*scenes.picture_size(i, scale)) for i in PICTURE_IDS}
    for fade in (scenes.SKY_FADE, scenes.STRIP_FADE):
        for dpi, _ in ART_SETS:
            scale = dpi / 96
            strips = [workers[dpi, i][1].recv() for i in PICTURE_IDS]
            left, top, _, _ = scenes.strip_area(fade, scale)
            scenes.settle_glyph_strip(strips, fade, scale, left)
            for picture_id, strip in zip(PICTURE_IDS, strips):
                workers[dpi, picture_id][1].send(strip)
                partial[dpi][picture_id].paste(strip, left, top)
    bases = {}
    for dpi, _ in ART_SETS:
        for picture_id in PICTURE_IDS:
            conn = workers[dpi, picture_id][1]
            parts, base = conn.recv()
            for part, place in zip(parts, _glyph_places(dpi / 96)):
                partial[dpi][picture_id].paste(part, place[0], place[1])
            if dpi == 96:
                bases[picture_id] = base
            else:
                conn.send(bases[picture_id])
    # Only now, so that the larger pictures are all stored at the same time.
    for dpi, offset in ART_SETS:
        for picture_id in PICTURE_IDS:
            process, conn = workers[dpi, picture_id]
            _write(os.path.join(output, f"{picture_id + offset}.png"), conn.recv())
            process.join()
            if process.exitcode != 0:
                raise RuntimeError(f"drawing picture {picture_id} for {dpi} dpi failed")
    return partial


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output", help="folder for the .png files and app.ico")
    parser.add_argument("--preview", help="folder for PNG previews of the icon sizes")
    args = parser.parse_args(argv)
    os.makedirs(args.output, exist_ok=True)
    started = time.monotonic()

    pictures = draw_pages(args.output)
    gc.disable()
    for dpi, offset in ART_SETS:
        for glyph_id, rows in glyphs.all_glyphs(pictures[dpi], dpi / 96).items():
            _write(os.path.join(args.output, f"{glyph_id + offset}.png"), encoders.png_rgb(rows))
    _write(os.path.join(args.output, "scaled_art.rc"), scaled_art_script())

    previews = {} if args.preview else None
    _write(os.path.join(args.output, "app.ico"), app_icon.icon_file(previews))
    if args.preview:
        os.makedirs(args.preview, exist_ok=True)
        for n, rgba in previews.items():
            _write(os.path.join(args.preview, f"icon_{n}.png"), encoders.png_rgba(n, n, rgba))

    print(f"generate_art: wrote {len(ART_SETS) * (len(PICTURE_IDS) + len(GLYPH_IDS))} "
          f"pictures and glyphs and app.ico to {args.output} in "
          f"{time.monotonic() - started:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
