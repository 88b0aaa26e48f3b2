"""The installer's pictures, glyphs and icon as the art generator writes them, and the
resource script that carries them and the texts, read back by a program under Wine."""

import gc
import hashlib
import os
import struct
import subprocess
import sys
import zlib

import numpy
import pytest

from conftest import BUILD_DIR, SOURCE_DIR, WINE_RUN, exe, wine_env
from picture_files import read_picture

ART_TOOLS = SOURCE_DIR / "tools" / "art"
sys.path.insert(0, str(ART_TOOLS))
import residual  # noqa: E402
import scenes  # noqa: E402
from raster import oriented, polygon_mask, ring  # noqa: E402

GENERATOR = ART_TOOLS / "generate_art.py"
KEY = (115, 147, 222)
PICTURE_SIZES = {102: (1000, 600), 103: (1000, 460), 104: (1000, 460)}
GLYPH_IDS = range(105, 119)
SAME_PIXELS = [(106, 107), (109, 110), (111, 112), (113, 114), (115, 116), (117, 118)]
# Where each glyph lies on the page pictures: (left, top, pictures under it).
PLACES = {105: (948, 20, (102, 103, 104)), 106: (948, 20, (102, 103, 104)),
          108: (896, 20, (102, 103, 104)), 109: (896, 20, (102, 103, 104)),
          111: (20, 548, (102,)), 113: (20, 548, (102,)),
          115: (828, 548, (102,)), 117: (828, 548, (102,))}
GREY = (210, 210, 210)
WHITE = (255, 255, 255)
TICK_BLUE = (74, 144, 226)

ENGLISH = {
    200: "Orbavintel v1.0", 201: "Launch", 202: "Done", 203: "Install", 204: "Install",
    205: "Installing...", 206: "Finished", 207: "Agree to the", 208: "user license",
    209: "Installing, please wait...",
    210: "Please check the user license aggreement below",
    211: "V62 Kernel", 212: "Blockchain Navigations", 213: "Customize", 214: "Default",
    215: "Install path", 216: "Select...",
    217: "Please select path for installing Orbavintel:",
    218: "Can not create installation at selected path",
    219: "Fail access registry, the installer needs the permission to continue.",
}
CHINESE = {
    200: "Orbavintel浏览器 v1.0", 201: "立即体验", 202: "完成", 203: "安装",
    204: "一键安装", 205: "安装中...", 206: "安装完成！", 207: "阅读并同意用户", 208: "许可协议",
    209: "安装马上完成，请稍候...", 210: "请在左下角勾选同意用户许可协议",
    211: "V62 急速内核", 212: "专业区块链导航", 213: "自定义安装", 214: "默认安装",
    215: "安装目录", 216: "浏览...", 217: "请选择Orbavintel浏览器的安装目录：",
    218: "无法在指定的位置创建安装目录，请修改后重试。",
    219: "安装失败，请确保安装程序具有访问注册表的权限。",
}
ICON_IMAGES = [(48, 8), (32, 8), (16, 8), (256, 32), (64, 32), (48, 32), (40, 32), (32, 32),
               (24, 32), (20, 32), (16, 32)]


def generate(folder):
    subprocess.run([sys.executable, str(GENERATOR), str(folder)], check=True,
                   capture_output=True, timeout=600)


@pytest.fixture(scope="session")
def art():
    # What the build drew from this source; one more run below checks the bytes repeat.
    return BUILD_DIR / "art"


def load(folder, picture_id):
    return read_picture(folder / f"{picture_id}.png")


# The sets drawn for 100, 125, 150 and 200 %: id offset and scale.
SETS = [(0, 1.0), (1000, 1.25), (2000, 1.5), (3000, 2.0)]


@pytest.mark.parametrize("offset, scale", SETS)
def test_every_picture_is_an_rgb_png_with_the_tabled_size(art, offset, scale):
    folder = art
    for picture_id in range(102, 119):
        picture = load(folder, picture_id + offset)
        width, height = PICTURE_SIZES.get(picture_id, (32, 32))
        assert (picture.width, picture.height) == (round(width * scale),
                                                   round(height * scale)), picture_id
        # 8 bits per channel, RGB, no interlace: what the platform's decoder turns into the
        # 24-bit DIB the window draws.
        assert (picture.depth, picture.colour_type, picture.interlace) == (8, 2, 0)
        assert picture.chunks == [b"IHDR", b"IDAT", b"IEND"], picture_id


# The glyphs drawn for 100, 125, 150 and 200 %: id offset and size.
@pytest.mark.parametrize("offset, size", [(0, 32), (1000, 40), (2000, 48), (3000, 64)])
def test_glyphs_sit_on_the_key_colour(art, offset, size):
    folder = art
    margin = size // 8
    for glyph_id in GLYPH_IDS:
        bmp = load(folder, glyph_id + offset)
        assert (bmp.width, bmp.height) == (size, size), glyph_id
        last = size - 1
        border = [(x, y) for y in range(size) for x in range(size)
                  if min(x, y, last - x, last - y) < margin]
        assert all(bmp.pixel(x, y) == KEY for x, y in border), glyph_id
        middle = bmp.pixel(size // 2, size // 2)
        assert middle != KEY or glyph_id in (113, 114, 115, 116, 117, 118)
        # The shape grows with the glyph: a 32-pixel one in a larger square would cover a
        # quarter as much at 200 %; edge blending covers a little more at odd scales.
        inked = sum(1 for p in bmp.pixels() if p != KEY) / (size * size)
        at_100 = sum(1 for p in load(folder, glyph_id).pixels() if p != KEY) / 1024
        assert 0.5 < inked / at_100 < 2.0, glyph_id


def shown_picture(folder, picture_id, offset):
    """Rows of RGB bytes the installer shows for picture |picture_id| of the set at
    |offset|: the 100 % picture enlarged plus the stored difference."""
    base, stored = load(folder, picture_id), load(folder, picture_id + offset)
    predicted = residual.enlarge(base.rows, base.width, base.height, stored.width,
                                 stored.height)
    return predicted, residual.compose(predicted, stored.rows)


# One picture per larger scale: drawing one natively here takes all three of its scale.
@pytest.mark.parametrize("picture_id, offset, scale", [(104, 1000, 1.25), (103, 2000, 1.5)])
def test_larger_sets_show_the_native_drawing_within_the_error_bound(art, picture_id, offset,
                                                                    scale):
    folder = art
    gc.disable()  # millions of short-lived lists: the collector would triple the time
    try:
        drawn = scenes.all_pictures(scale)[picture_id].rgb_rows()
    finally:
        gc.enable()
    predicted, shown = shown_picture(folder, picture_id, offset)

    def values(rows):
        return numpy.frombuffer(b"".join(rows), dtype=numpy.uint8).astype(numpy.int16)

    native = values(drawn)
    worst = int(numpy.abs(native - values(shown)).max())
    stretched = int(numpy.abs(native - values(predicted)).max())
    assert worst <= residual.ERROR_BOUND
    # Sharper than the 100 % picture enlarged: stars and edges are drawn at this scale.
    assert stretched > 40


def test_glyph_pairs_share_their_pixels_and_the_others_differ(art):
    folder = art
    for a, b in SAME_PIXELS:
        assert (folder / f"{a}.png").read_bytes() == (folder / f"{b}.png").read_bytes()
    faces = [105, 106, 108, 109, 111, 113, 115, 117]
    contents = [(folder / f"{i}.png").read_bytes() for i in faces]
    assert len(set(contents)) == len(faces)


def test_glyph_strokes_have_their_exact_colours(art):
    folder = art
    expected = {105: [GREY], 106: [WHITE], 108: [GREY], 109: [WHITE],
                111: [WHITE, TICK_BLUE], 113: [WHITE], 115: [WHITE], 117: [WHITE]}
    for glyph_id, colours in expected.items():
        pixels = [p for p in load(folder, glyph_id).pixels() if p != KEY]
        for colour in colours:
            assert pixels.count(colour) >= 14, (glyph_id, colour)
        # Nothing brighter than the stroke: edges only blend towards the dark picture.
        top = max(sum(c) for c in colours)
        assert max(sum(p) for p in pixels) <= top, glyph_id
    # The bars sit on whole pixels: the minimise bar is exactly 12 x 2 pixels of colour.
    for glyph_id, colour in ((108, GREY), (109, WHITE)):
        bmp = load(folder, glyph_id)
        bar = [(x, y) for y in range(32) for x in range(32) if bmp.pixel(x, y) == colour]
        assert sorted(bar) == sorted((x, y) for x in range(10, 22) for y in (15, 16))
        assert all(p in (colour, KEY) for p in bmp.pixels()), glyph_id


def _blend_error(pixel, stroke, under):
    """How far |pixel| is from the nearest mix of |stroke| and |under|."""
    span = [s - u for s, u in zip(stroke, under)]
    length = sum(d * d for d in span)
    t = 0.0 if length == 0 else sum((p - u) * d for p, u, d in zip(pixel, under, span)) / length
    t = min(1.0, max(0.0, t))
    return max(abs(p - (u + d * t)) for p, u, d in zip(pixel, under, span))


def test_glyph_edges_blend_towards_the_picture_under_them(art):
    folder = art
    pictures = {i: load(folder, i) for i in PICTURE_SIZES}
    single = {105: GREY, 106: WHITE, 108: GREY, 109: WHITE, 113: WHITE, 115: WHITE,
              117: WHITE}
    for glyph_id, stroke in single.items():
        left, top, under_ids = PLACES[glyph_id]
        bmp = load(folder, glyph_id)
        edges = 0
        for y in range(32):
            for x in range(32):
                pixel = bmp.pixel(x, y)
                if pixel in (KEY, stroke):
                    continue
                edges += 1
                for under_id in under_ids:
                    under = pictures[under_id].pixel(left + x, top + y)
                    assert _blend_error(pixel, stroke, under) <= 3, (glyph_id, x, y, under_id)
        if glyph_id not in (108, 109):  # the bar lies on whole pixels, with no edge
            assert edges > 0, glyph_id


def test_top_strip_is_the_same_sky_on_every_page(art):
    # The close and minimise glyphs are blended once for all three pages.
    folder = art
    pictures = [load(folder, i) for i in PICTURE_SIZES]
    for left in (896, 948):
        for y in range(20, 52):
            for x in range(left, left + 32):
                colours = [p.pixel(x, y) for p in pictures]
                spread = max(max(c[k] for c in colours) - min(c[k] for c in colours)
                             for k in range(3))
                assert spread <= 4, (x, y, colours)


def test_texts_fall_on_dark_calm_areas(art):
    # White texts and glyphs must stay readable: title, agreement row, mode toggle,
    # feature labels and the finished label sit on dark, even parts of the pictures.
    folder = art
    areas = {102: [(20, 20, 300, 50), (20, 548, 292, 580), (828, 548, 980, 580)],
             103: [(20, 20, 300, 50), (60, 236, 250, 270), (729, 236, 940, 270)],
             104: [(20, 20, 300, 50), (400, 195, 600, 265)]}
    for picture_id, rects in areas.items():
        bmp = load(folder, picture_id)
        for x0, y0, x1, y1 in rects:
            light = [0.3 * r + 0.59 * g + 0.11 * b
                     for y in range(y0, y1) for x in range(x0, x1)
                     for r, g, b in [bmp.pixel(x, y)]]
            assert sum(light) / len(light) < 75, (picture_id, (x0, y0, x1, y1))
            assert max(light) < 200, (picture_id, (x0, y0, x1, y1))


def test_pictures_are_rich_not_placeholders(art):
    folder = art
    for picture_id in PICTURE_SIZES:
        colours = set(load(folder, picture_id).pixels())
        assert len(colours) > 8000, picture_id


def _icon_entries(data):
    reserved, kind, count = struct.unpack_from("<HHH", data)
    assert (reserved, kind) == (0, 1)
    entries = []
    for k in range(count):
        w, h, colours, _, planes, bits, size, offset = struct.unpack_from("<BBBBHHII", data,
                                                                          6 + 16 * k)
        entries.append((w or 256, h or 256, colours, planes, bits, data[offset:offset + size]))
        assert offset + size <= len(data)
    return entries


def _png_size_and_alpha(png):
    assert png[:8] == b"\x89PNG\r\n\x1a\n"
    width, height, depth, colour_type = struct.unpack_from(">IIBB", png, 16)
    pos, idat = 8, b""
    while pos < len(png):
        length, kind = struct.unpack_from(">I4s", png, pos)
        if kind == b"IDAT":
            idat += png[pos + 8:pos + 8 + length]
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * 4 + 1
    assert len(raw) == stride * height and depth == 8 and colour_type == 6
    rows = []
    for y in range(height):
        kind, line = raw[y * stride], bytearray(raw[y * stride + 1:(y + 1) * stride])
        assert kind in (0, 1), kind  # none or "Sub", the filters the generator writes
        if kind == 1:
            for i in range(4, len(line)):
                line[i] = (line[i] + line[i - 4]) & 0xFF
        rows.append(line)

    def alpha(x, y):
        return rows[y][x * 4 + 3]

    return width, height, alpha


def test_icon_holds_the_eleven_images(art):
    folder = art
    entries = _icon_entries((folder / "app.ico").read_bytes())
    assert [(w, bits) for w, _, _, _, bits, _ in entries] == ICON_IMAGES
    for w, h, colours, planes, bits, image in entries:
        assert (w, planes, colours) == (h, 1, 0)
        if w == 256:
            width, height, alpha = _png_size_and_alpha(image)
            assert (width, height) == (256, 256)
            assert alpha(0, 0) == 0 and alpha(128, 128) == 255
            continue
        size, width, height, _, bit_count, compression = struct.unpack_from("<IiiHHI", image)
        assert (size, width, height, bit_count, compression) == (40, w, 2 * w, bits, 0)
        palette = 256 * 4 if bits == 8 else 0
        xor = (w * bits + 31) // 32 * 4 * w
        mask = (w + 31) // 32 * 4 * w
        assert len(image) == 40 + palette + xor + mask, (w, bits)
        if bits == 32:
            alphas = image[40 + 3:40 + xor:4]
            assert min(alphas) == 0 and max(alphas) == 255, w


def test_generator_writes_the_same_bytes_every_run(art, tmp_path):
    folder = art
    generate(tmp_path)
    for name in sorted(os.listdir(folder)):
        assert (tmp_path / name).read_bytes() == (folder / name).read_bytes(), name


# Every file the generator writes, as the drawing before numpy wrote it: SHA-256 over each
# name and the SHA-256 of its bytes, in name order.
ART_DIGEST = "f2821136ad7d457073658976995347cf2c532960217803658bec47eca3526e16"


def test_generator_writes_the_files_it_always_wrote(art):
    folder = art
    digest = hashlib.sha256()
    for name in sorted(os.listdir(folder)):
        digest.update(name.encode() + b"\0")
        digest.update(hashlib.sha256((folder / name).read_bytes()).digest())
    assert digest.hexdigest() == ART_DIGEST


def probe(env=None):
    """Runs resource_probe.exe and returns its output lines (UTF-8)."""
    program = exe("resource_probe.exe")
    completed = subprocess.run([str(WINE_RUN), program], capture_output=True, timeout=120,
                               env=wine_env(env), stdin=subprocess.DEVNULL)
    assert completed.returncode == 0, completed.stderr[-2000:]
    return completed.stdout.decode("utf-8").replace("\r\n", "\n").splitlines()


def composed_digest(folder, picture_id, offset):
    """SHA-256 of the RGB rows of a larger set's page picture as residual.py composes it:
    the 100 % picture enlarged plus the stored difference, byte by byte modulo 256."""
    base = load(folder, picture_id)
    stored = load(folder, picture_id + offset)
    predicted = residual.enlarge(base.rows, base.width, base.height, stored.width,
                                 stored.height)
    shown = (numpy.frombuffer(b"".join(predicted), dtype=numpy.uint8) +
             numpy.frombuffer(b"".join(stored.rows), dtype=numpy.uint8))
    return f"{stored.width}x{stored.height} " + hashlib.sha256(shown.tobytes()).hexdigest()


def test_compiled_resources_hold_both_string_tables_bitmaps_icon_and_version():
    lines = probe()
    # The installer composes all nine larger page pictures, whole, edges included, to the
    # bytes the art generator composes from the same files.
    for offset, _ in SETS[1:]:
        for picture_id in PICTURE_SIZES:
            expected = composed_digest(BUILD_DIR / "art", picture_id, offset)
            assert f"composed {picture_id + offset} {expected}" in lines
    for language, table in ((1033, ENGLISH), (2052, CHINESE)):
        for string_id, text in table.items():
            assert f"table {language} {string_id} {text}" in lines
    for picture_id in range(102, 119):
        width, height = PICTURE_SIZES.get(picture_id, (32, 32))
        assert f"bitmap {picture_id} {width}x{height} 24" in lines
    icons = [line for line in lines if line.startswith("icon-entry ")]
    assert icons == [f"icon-entry {w}x{w} {bits}" for w, bits in ICON_IMAGES]
    for size in (16, 20, 24, 32, 40, 48, 64, 256):
        assert f"icon-load {size} ok {size}" in lines
    for key, value in (("FileDescription", "Orbavintel Browser Installer"),
                       ("ProductName", "Orbavintel Browser Installer"),
                       ("InternalName", "installer.exe"),
                       ("OriginalFilename", "installer.exe"),
                       ("FileVersion", "1.0.0.0"), ("ProductVersion", "1.0.0.0")):
        assert f"version {key} {value}" in lines
    assert "fixed-version 1.0.0.0 1.0.0.0 type 1" in lines  # VFT_APP


@pytest.mark.parametrize("locale, language, title", [
    ("en_US.UTF-8", "0x0409", ENGLISH[200]),
    ("zh_CN.UTF-8", "0x0804", CHINESE[200]),
])
def test_loader_picks_the_table_of_the_user_interface_language(locale, language, title):
    lines = probe({"LC_ALL": locale})
    if f"ui-language {language}" not in lines:
        # Wine derives the interface language from LC_ALL; if it did not take this one,
        # the table choice cannot be checked here.
        pytest.skip(f"Wine did not take LC_ALL={locale} as UI language {language}: "
                    f"{[line for line in lines if line.startswith('ui-language')]}")
    assert f"string 200 {title}" in lines


def test_coverage_of_shapes_is_their_area():
    # The anti-aliasing core: a pixel's coverage is the share of it a shape covers.
    half = polygon_mask([oriented([(0.5, 0.25), (3.0, 0.25), (3.0, 2.0), (0.5, 2.0)])], 16)
    assert half.coverage(0, 0) == pytest.approx(0.5 * 0.75)
    assert half.coverage(1, 1) == pytest.approx(1.0)
    assert half.coverage(3, 1) == 0.0
    # Overlapping shapes wound alike make a union, never more than full coverage.
    twice = polygon_mask([oriented([(0, 0), (4, 0), (4, 4), (0, 4)]),
                          oriented([(2, 0), (6, 0), (6, 4), (2, 4)])], 4)
    assert all(c == pytest.approx(1.0) for row in twice.rows for c in row[:6])
    # A contour wound the other way is a hole.
    band = polygon_mask(ring(16.0, 16.0, 10.0, 6.0), 16)
    assert band.coverage(16, 16) == 0.0 and band.coverage(7, 16) == pytest.approx(1.0)
    total = sum(c for row in band.rows if row is not None for c in row)
    assert total == pytest.approx(3.14159265 * (100 - 36), rel=0.01)
