"""Import tables the program itself writes lie in writable sections.

Both programs load winhttp and userenv lazily (cmake/DelayLoad.cmake): on the first call the
delay-load helper, code of the program running with the program's rights, writes the module
handle and the resolved address into tables of the image. Windows maps each section with its
own flags, so a table in a read-only section ends the program with an access violation at its
first call into the library; binutils 2.44 made dlltool's `.idata` read-only, and programs
built that way crashed. The statically bound import table needs no such check: the loader
unprotects it while it fills it, as it does for MSVC's tables in `.rdata`.
"""

import pathlib

import pytest

from conftest import BIN_DIR, exe
from pe_image import IMAGE_SCN_MEM_WRITE, PeImage

SHIPPED = ("orbavintelup.exe", "orbavintelup_signed.exe", "installer.exe")
# Every built program that delay-loads: the shipped ones and the test programs alike.
PROGRAMS = sorted(set(SHIPPED) | {path.name for path in BIN_DIR.glob("*.exe")})


def delay_loading(program):
    image = PeImage(pathlib.Path(exe(program)).read_bytes())
    return image, image.delay_imports()


@pytest.mark.parametrize("program", SHIPPED)
def test_shipped_programs_delay_load_their_libraries(program):
    _, imports = delay_loading(program)
    libraries = {library.lower() for library, _, _, _ in imports}
    expected = {"userenv.dll"} | ({"winhttp.dll"} if program.startswith("orbavintelup") else set())
    assert expected <= libraries, "the delay import table was not read"
    assert all(entries > 0 for _, _, _, entries in imports)


@pytest.mark.parametrize("program", PROGRAMS)
def test_delay_load_tables_are_writable(program):
    image, _ = delay_loading(program)
    assert image.unwritable_delay_slots() == []


def test_the_check_sees_a_read_only_table(tmp_path):
    """A copy built the broken way: the write flag cleared on the section of its tables."""
    image, imports = delay_loading("orbavintelup.exe")
    _, _, iat, _ = next(entry for entry in imports if entry[0].lower() == "winhttp.dll")
    section = image.section_of(iat)
    data = bytearray(image.data)
    flags = int.from_bytes(data[section.characteristics_offset:][:4], "little")
    data[section.characteristics_offset:section.characteristics_offset + 4] = (
        flags & ~IMAGE_SCN_MEM_WRITE).to_bytes(4, "little")
    copy = tmp_path / "orbavintelup.exe"
    copy.write_bytes(data)
    assert f"winhttp.dll: import addresses in {section.name}" in (
        PeImage(copy.read_bytes()).unwritable_delay_slots())
