#!/usr/bin/env python3
"""Draws the installer's pictures, button glyphs and program icon into a folder.

    generate_art.py OUTPUT_DIR [--preview DIR]

Writes 102.png ... 118.png (8-bit RGB), the page pictures 102 ... 104 and the glyphs
105 ... 118 drawn again for 125, 150 and 200 % (ids plus 1000, 2000 and 3000; the pictures
as their difference from the 100 % one, see residual.py), scaled_art.rc with the script
lines that embed those, and app.ico; the installer's resource script embeds them all.
Everything is drawn from code with fixed random seeds, so every run writes the same bytes.
With --preview, also writes the icon sizes as PNG files. Needs numpy.

The 100 % pictures are drawn first, as every larger one is stored over them; then a pool
with a worker per core draws the larger scales and compresses every picture, the
largest tasks first.
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


def _scale_task(dpi, bases):
    """In a worker: the pictures and glyphs drawn for |dpi| as the files to write, keyed by
    resource id; the pictures as their difference from the 100 % |bases|."""
    scale = dpi / 96
    pictures = scenes.all_pictures(scale)
    files = {}
    for picture_id, img in pictures.items():
        files[picture_id] = residual.residual_png(bases[picture_id],
                                                  scenes.picture_size(picture_id),
                                                  img.rgb_rows())
    files.update(_glyph_files(pictures, scale))
    return files


def _glyph_files(pictures, scale):
    return {glyph_id: encoders.png_rgb(rows)
            for glyph_id, rows in glyphs.all_glyphs(pictures, scale).items()}


def _base_task(picture_id, rows):
    """In a worker: the file of the 100 % picture |picture_id| of |rows|."""
    width, height = scenes.picture_size(picture_id)
    return {picture_id: encoders.png_file(width, height, rows)}


def draw_art(output):
    """Draws the page pictures and glyphs of every scale into |output|."""
    pictures = scenes.all_pictures()
    bases = {i: img.rgb_rows(dither_seed=i) for i, img in pictures.items()}
    files = {offset: {} for _, offset in ART_SETS}
    files[0].update(_glyph_files(pictures, 1.0))
    del pictures
    # The platform's way of starting processes: a fork on Linux, a fresh interpreter on
    # Windows, where the vendor builds too; a task needs nothing but its arguments.
    task_count = len(ART_SETS) - 1 + len(PICTURE_IDS)
    with multiprocessing.Pool(min(os.cpu_count() or 1, task_count), gc.disable) as pool:
        # Longest first, so that no core is left with a large task at the end: the larger
        # scales take longer to draw than the 100 % pictures take to compress.
        tasks = [(offset, pool.apply_async(_scale_task, (dpi, bases)))
                 for dpi, offset in reversed(ART_SETS[1:])]
        tasks += [(0, pool.apply_async(_base_task, (i, bases[i]))) for i in PICTURE_IDS]
        for offset, task in tasks:
            files[offset].update(task.get())
    # Only now, so that every file is written at about the same time.
    for offset, written in files.items():
        for resource_id, data in sorted(written.items()):
            _write(os.path.join(output, f"{resource_id + offset}.png"), data)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output", help="folder for the .png files and app.ico")
    parser.add_argument("--preview", help="folder for PNG previews of the icon sizes")
    args = parser.parse_args(argv)
    os.makedirs(args.output, exist_ok=True)
    started = time.monotonic()

    # Drawing makes millions of short-lived lists and no reference cycles: the collector
    # would only rescan them (it more than doubles the time at 200 %).
    gc.disable()
    draw_art(args.output)
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
