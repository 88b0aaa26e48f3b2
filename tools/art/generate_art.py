#!/usr/bin/env python3
"""Draws the installer's pictures, button glyphs and program icon into a folder.

    generate_art.py OUTPUT_DIR [--preview DIR]

Writes 102.png ... 118.png (8-bit RGB) and app.ico, which the installer's resource script
embeds. Everything is drawn from code with fixed random seeds, so every
run writes the same bytes. With --preview, also writes the icon sizes as PNG files.
Standard library only.
"""

import argparse
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import app_icon  # noqa: E402
import encoders  # noqa: E402
import glyphs  # noqa: E402
import scenes  # noqa: E402

def _write(path, data):
    # Write beside and rename, so an interrupted run never leaves a half-written file that
    # looks newer than the script.
    partial = path + ".partial"
    with open(partial, "wb") as f:
        f.write(data)
    os.replace(partial, path)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output", help="folder for the .bmp files and app.ico")
    parser.add_argument("--preview", help="folder for PNG previews of the icon sizes")
    args = parser.parse_args(argv)
    os.makedirs(args.output, exist_ok=True)
    started = time.monotonic()

    pictures = scenes.all_pictures()
    for picture_id, picture in pictures.items():
        rows = picture.rows_8bit(dither_seed=picture_id)
        _write(os.path.join(args.output, f"{picture_id}.png"), encoders.png_rgb(rows))

    for glyph_id, rows in glyphs.all_glyphs(pictures).items():
        _write(os.path.join(args.output, f"{glyph_id}.png"), encoders.png_rgb(rows))

    previews = {} if args.preview else None
    _write(os.path.join(args.output, "app.ico"), app_icon.icon_file(previews))
    if args.preview:
        os.makedirs(args.preview, exist_ok=True)
        for n, rgba in previews.items():
            _write(os.path.join(args.preview, f"icon_{n}.png"), encoders.png_rgba(n, n, rgba))

    print(f"generate_art: wrote 17 pictures and app.ico to {args.output} in "
          f"{time.monotonic() - started:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
