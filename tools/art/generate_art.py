#!/usr/bin/env python3
"""Draws the installer's pictures, button glyphs and program icon into a folder.

    generate_art.py OUTPUT_DIR [--preview DIR]

Writes 102.png ... 118.png (8-bit RGB), the glyphs 105 ... 118 drawn again for 125, 150
and 200 % (ids plus 1000, 2000 and 3000) with scaled_glyphs.rc, the script lines that embed
those, and app.ico; the installer's resource script embeds them all. Everything is drawn from code with fixed random seeds, so every
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


# The display scales the glyphs are drawn for beyond 100 %, and the offset the installer
# adds to a glyph's id to find its picture for that scale (installer/ui/scaled_picture.h).
GLYPH_SETS = ((96, 0), (120, 1000), (144, 2000), (192, 3000))


def scaled_glyphs_script():
    """The resource script lines that embed the glyphs drawn for the larger scales."""
    lines = ["// Written by tools/art/generate_art.py: the glyphs for 125, 150 and 200 %.\n"]
    for dpi, offset in GLYPH_SETS[1:]:
        for glyph_id in range(105, 119):
            lines.append(f'{glyph_id + offset} PNG "{glyph_id + offset}.png"\n')
    return "".join(lines).encode("ascii")


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

    for dpi, offset in GLYPH_SETS:
        for glyph_id, rows in glyphs.all_glyphs(pictures, dpi / 96).items():
            _write(os.path.join(args.output, f"{glyph_id + offset}.png"), encoders.png_rgb(rows))
    _write(os.path.join(args.output, "scaled_glyphs.rc"), scaled_glyphs_script())

    previews = {} if args.preview else None
    _write(os.path.join(args.output, "app.ico"), app_icon.icon_file(previews))
    if args.preview:
        os.makedirs(args.preview, exist_ok=True)
        for n, rgba in previews.items():
            _write(os.path.join(args.preview, f"icon_{n}.png"), encoders.png_rgba(n, n, rgba))

    print(f"generate_art: wrote 17 pictures, 42 scaled glyphs and app.ico to {args.output} in "
          f"{time.monotonic() - started:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
