"""A reader for the parts of a PE32+ image the import checks need: sections and delay imports."""

import re
import struct

IMAGE_SCN_MEM_WRITE = 0x80000000
DELAY_IMPORT_DIRECTORY = 13
_DELAY_DESCRIPTOR = struct.Struct("<8I")  # grAttrs, name, hmod, IAT, INT, bound, unload, stamp


class Section:
    def __init__(self, header, header_offset):
        name, self.virtual_size, self.rva, self.raw_size, self.raw_offset = struct.unpack_from(
            "<8sIIII", header)
        self.characteristics = struct.unpack_from("<I", header, 36)[0]
        self.name = name.rstrip(b"\0").decode("ascii", "replace")
        # Where the characteristics field sits in the file, for tests that alter a copy.
        self.characteristics_offset = header_offset + 36

    @property
    def writable(self):
        return bool(self.characteristics & IMAGE_SCN_MEM_WRITE)

    def holds(self, rva, size):
        return self.rva <= rva and rva + size <= self.rva + max(self.virtual_size, self.raw_size)


class PeImage:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE image")
        sections, optional_size = struct.unpack_from("<2xH12xH", data, pe + 4)
        optional = pe + 24
        if struct.unpack_from("<H", data, optional)[0] != 0x20B:
            raise ValueError("not a PE32+ image")
        count = struct.unpack_from("<I", data, optional + 108)[0]
        self.directories = [struct.unpack_from("<II", data, optional + 112 + 8 * i)
                            for i in range(count)]
        table = optional + optional_size
        self.sections = [Section(data[table + 40 * i:table + 40 * (i + 1)], table + 40 * i)
                         for i in range(sections)]

    def section_of(self, rva, size=1):
        for section in self.sections:
            if section.holds(rva, size):
                return section
        return None

    def read(self, rva, size):
        """|size| bytes at |rva|, zeros past the section's data (as the loader maps it)."""
        section = self.section_of(rva)
        if section is None:
            raise ValueError(f"RVA {rva:#x} lies in no section")
        start = rva - section.rva
        end = min(start + size, section.raw_size)
        first, last = section.raw_offset + start, section.raw_offset + end
        data = self.data[first:last] if end > start else b""
        return data.ljust(size, b"\0")

    def delay_descriptors(self):
        """The RVAs of the delay import descriptors. GNU ld leaves the delay import directory
        empty, so without one the image is searched for them: eight aligned 32-bit fields, the
        first 1 (RVAs), the next four pointing into the image, the first of them at a library
        name, and the last three (bound and unload tables, time stamp) zero, as dlltool writes
        them."""
        if len(self.directories) > DELAY_IMPORT_DIRECTORY:
            rva, size = self.directories[DELAY_IMPORT_DIRECTORY]
            if rva and size:
                return [rva + offset for offset in range(0, size, _DELAY_DESCRIPTOR.size)]
        found = []
        for section in self.sections:
            raw = self.data[section.raw_offset:section.raw_offset + section.raw_size]
            for offset in range(0, len(raw) - _DELAY_DESCRIPTOR.size + 1, 4):
                fields = _DELAY_DESCRIPTOR.unpack_from(raw, offset)
                if fields[0] != 1 or any(fields[5:]) or not all(fields[1:5]):
                    continue
                if not all(self.section_of(rva, 8) for rva in fields[1:5]):
                    continue
                name = self.read(fields[1], 64).split(b"\0", 1)[0]
                if re.fullmatch(rb"[A-Za-z0-9_.-]+\.dll", name, re.IGNORECASE):
                    found.append(section.rva + offset)
        return found

    def delay_imports(self):
        """[(library, hmod RVA, IAT RVA, entries)] for each delay-loaded library."""
        imports = []
        for rva in self.delay_descriptors():
            descriptor = _DELAY_DESCRIPTOR.unpack(self.read(rva, _DELAY_DESCRIPTOR.size))
            if not any(descriptor):
                break
            attributes, name, hmod, iat, int_, _, _, _ = descriptor
            if not attributes & 1:
                raise ValueError("delay descriptor with virtual addresses, not RVAs")
            entries = 0
            while struct.unpack("<Q", self.read(int_ + 8 * entries, 8))[0]:
                entries += 1
            library = self.read(name, 256).split(b"\0", 1)[0].decode("ascii", "replace")
            imports.append((library, hmod, iat, entries))
        return imports

    def unwritable_delay_slots(self):
        """The slots a delay-load helper writes (module handle and import addresses) that lie
        in a section without the write flag, as 'library: what in section'."""
        problems = []
        for library, hmod, iat, entries in self.delay_imports():
            for what, rva, size in (("module handle", hmod, 8),
                                    ("import addresses", iat, 8 * entries)):
                section = self.section_of(rva, size)
                if section is None or not section.writable:
                    where = section.name if section else "no section"
                    problems.append(f"{library}: {what} in {where}")
        return problems
