#!/usr/bin/env python3
"""Reads quorvel.exe as a file and checks what Windows takes from it before any code runs: the
icon group 1 with its seven PNG images, the application manifest, the version block, that the
program imports only Windows system DLLs, and that its image is hardened (ASLR with
high-entropy addresses, DEP, no section both writable and executable).

    check_resources.py QUORVEL_EXE EXPECTED_VERSION      (e.g. build/quorvel.exe 1.1.0)
"""
import io
import struct
import sys
import xml.etree.ElementTree as ET

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
ICON_SIZES = [16, 24, 32, 48, 64, 128, 256]
AMBER, BLACK = (255, 196, 0), (0, 0, 0)
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
               "msvcrt.dll", "ucrtbase.dll"}

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
    return condition


class PeFile:
    """Just enough of the PE format: sections, the import table and the resource tree."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not an executable")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        sections, optional_size, self.characteristics = struct.unpack_from("<H12xHH", data,
                                                                           pe + 6)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        self.dll_characteristics = struct.unpack_from("<H", data, optional + 70)[0]
        directories = optional + (112 if magic == 0x20B else 96)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(16)]
        table = optional + optional_size
        self.sections = []
        self.section_flags = {}
        for i in range(sections):
            virtual_size, address, raw_size, raw_pointer = struct.unpack_from(
                "<IIII", data, table + 40 * i + 8)
            self.sections.append((address, max(virtual_size, raw_size), raw_pointer))
            name = data[table + 40 * i:table + 40 * i + 8].rstrip(b"\0").decode("ascii", "replace")
            self.section_flags[name] = struct.unpack_from("<I", data, table + 40 * i + 36)[0]

    def offset(self, rva):
        for address, size, raw in self.sections:
            if address <= rva < address + size:
                return raw + rva - address
        raise ValueError(f"address {rva:#x} in no section")

    def c_string(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imported_dlls(self):
        rva, _ = self.directories[1]
        names, at = [], self.offset(rva)
        while True:
            descriptor = struct.unpack_from("<IIIII", self.data, at)
            if not any(descriptor):
                return names
            names.append(self.c_string(descriptor[3]))
            at += 20

    def resources(self):
        """{(type, id): bytes} for every resource with a numeric type and id (first language)."""
        if self.directories[2][0] == 0:
            return {}
        base = self.offset(self.directories[2][0])

        def entries(directory):
            named, numbered = struct.unpack_from("<HH", self.data, base + directory + 12)
            for i in range(named + numbered):
                name, target = struct.unpack_from("<II", self.data, base + directory + 16 + 8 * i)
                yield name, target

        found = {}
        for kind, types in entries(0):
            for ident, languages in entries(types & 0x7FFFFFFF):
                if kind & 0x80000000 or ident & 0x80000000:
                    continue
                _, leaf = next(entries(languages & 0x7FFFFFFF))
                rva, size = struct.unpack_from("<II", self.data, base + leaf)
                found[(kind, ident)] = self.data[self.offset(rva):self.offset(rva) + size]
        return found


def check_icons(resources):
    group = resources.get((RT_GROUP_ICON, 1))
    if not check(group is not None, "no icon group 1"):
        return
    _, kind, count = struct.unpack_from("<HHH", group, 0)
    check(kind == 1 and count == len(ICON_SIZES), f"icon group 1: type {kind}, {count} images")
    sizes = []
    for i in range(count):
        width, height, _, _, _, bits, length, ident = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
        size = width or 256
        sizes.append(size)
        check(width == height and bits == 32, f"icon {size}: {width}x{height}, {bits} bits")
        image = resources.get((RT_ICON, ident))
        if not check(image is not None and len(image) == length, f"icon {size}: image {ident} missing"):
            continue
        check(image[:8] == b"\x89PNG\r\n\x1a\n", f"icon {size}: not a PNG")
        check(struct.unpack_from(">II", image, 16) == (size, size), f"icon {size}: PNG of another size")
        check_artwork(size, image)
    check(sorted(sizes) == ICON_SIZES, f"icon sizes {sorted(sizes)}")


def check_artwork(size, png):
    """The mark at its largest sizes: transparent corners, amber ground, a black letter."""
    if size < 64:
        return
    try:
        from PIL import Image
    except ImportError:
        return
    image = Image.open(io.BytesIO(png)).convert("RGBA")
    pixels = list(image.getdata())
    check(image.getpixel((0, 0))[3] == 0 and image.getpixel((size - 1, size - 1))[3] == 0,
          f"icon {size}: corners not transparent")
    amber = sum(1 for p in pixels if p == AMBER + (255,))
    black = sum(1 for p in pixels if p == BLACK + (255,))
    check(amber > size * size // 5 and black > size * size // 20,
          f"icon {size}: {amber} amber and {black} black pixels")


def check_manifest(resources, version):
    text = resources.get((RT_MANIFEST, 1))
    if not check(text is not None, "no manifest 1"):
        return
    root = ET.fromstring(text)
    v1 = "{urn:schemas-microsoft-com:asm.v1}"
    v3 = "{urn:schemas-microsoft-com:asm.v3}"
    identity = root.find(f"{v1}assemblyIdentity")
    check(identity is not None and identity.attrib == {
        "type": "win32", "name": "VoskTarnelline.CalendarioQuorvelDast", "version": version + ".0",
        "processorArchitecture": "amd64"}, f"assembly identity {identity is not None and identity.attrib}")
    level = root.find(f"{v3}trustInfo/{v3}security/{v3}requestedPrivileges/{v3}requestedExecutionLevel")
    check(level is not None and level.get("level") == "asInvoker" and level.get("uiAccess") == "false",
          "requested execution level")
    compatibility = "{urn:schemas-microsoft-com:compatibility.v1}"
    systems = [e.get("Id") for e in root.iter(f"{compatibility}supportedOS")]
    check("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}" in systems, f"supported systems {systems}")
    settings = f"{v3}application/{v3}windowsSettings/"
    aware = root.find(settings + "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}dpiAware")
    awareness = root.find(settings + "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}dpiAwareness")
    check(aware is not None and aware.text == "true/pm", "dpiAware true/pm")
    check(awareness is not None and awareness.text == "PerMonitorV2", "dpiAwareness PerMonitorV2")
    controls = [e.attrib for e in root.iter(f"{v1}assemblyIdentity")
                if e.get("name") == "Microsoft.Windows.Common-Controls"]
    check(len(controls) == 1 and controls[0].get("version") == "6.0.0.0"
          and controls[0].get("publicKeyToken") == "6595b64144ccf1df", f"common controls {controls}")


def version_nodes(data, at=0):
    """One node of a version block: (key, value bytes, children), and where the next begins."""
    length, value_length, text = struct.unpack_from("<HHH", data, at)
    end, key_start = at + length, at + 6
    key_end = key_start
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[key_start:key_end].decode("utf-16-le")
    value_start = (key_end + 2 + 3) & ~3
    value_size = value_length * 2 if text else value_length
    value = data[value_start:value_start + value_size]
    children, child = [], (value_start + value_size + 3) & ~3
    while child < end:
        node, child = version_nodes(data, child)
        children.append(node)
        child = (child + 3) & ~3
    return (key, value, children), end


def check_version(resources, version):
    block = resources.get((RT_VERSION, 1))
    if not check(block is not None, "no version block 1"):
        return
    (key, fixed, children), _ = version_nodes(block)
    check(key == "VS_VERSION_INFO", f"version block key {key}")
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
    parts = [int(p) for p in version.split(".")] + [0]
    expected = ((parts[0] << 16) | parts[1], (parts[2] << 16) | parts[3])
    check(signature == 0xFEEF04BD, "fixed version signature")
    check((file_ms, file_ls) == expected, f"file version {file_ms:#x} {file_ls:#x}")
    check((product_ms, product_ls) == expected, f"product version {product_ms:#x} {product_ls:#x}")

    blocks = {name: nodes for name, _, nodes in children}
    tables = {name: nodes for name, _, nodes in blocks.get("StringFileInfo", [])}
    check(list(tables) == ["040A04B0"], f"string tables {list(tables)}")
    strings = {name: value.decode("utf-16-le").rstrip("\0") for name, value, _ in tables.get("040A04B0", [])}
    for name, text in (("CompanyName", "Vosk Tarnelline"), ("ProductName", "Calendario quorvel dast"),
                       ("FileVersion", version), ("ProductVersion", version)):
        check(strings.get(name) == text, f"{name} is {strings.get(name)!r}")
    translations = {name: value for name, value, _ in blocks.get("VarFileInfo", [])}
    check(translations.get("Translation") == struct.pack("<HH", 0x040A, 0x04B0),
          f"translation {translations.get('Translation')}")


RELOCS_STRIPPED = 0x0001
HIGH_ENTROPY_VA, DYNAMIC_BASE, NX_COMPAT = 0x0020, 0x0040, 0x0100
SCN_EXECUTE, SCN_WRITE = 0x20000000, 0x80000000


def check_hardening(pe):
    for flag, name in ((HIGH_ENTROPY_VA, "HIGH_ENTROPY_VA"), (DYNAMIC_BASE, "DYNAMIC_BASE"),
                       (NX_COMPAT, "NX_COMPAT")):
        check(pe.dll_characteristics & flag, f"{name} missing ({pe.dll_characteristics:#06x})")
    # Without relocations the loader cannot move the image, whatever DYNAMIC_BASE says.
    check(not pe.characteristics & RELOCS_STRIPPED and pe.directories[5][1] > 0,
          "no base relocations")
    both = [name for name, flags in pe.section_flags.items()
            if flags & SCN_EXECUTE and flags & SCN_WRITE]
    check(not both, f"writable and executable sections {both}")


def main():
    exe, version = sys.argv[1], sys.argv[2]
    with open(exe, "rb") as file:
        pe = PeFile(file.read())
    resources = pe.resources()
    check_icons(resources)
    check_manifest(resources, version)
    check_version(resources, version)
    check_hardening(pe)
    dlls = pe.imported_dlls()
    foreign = [name for name in dlls if name.lower() not in SYSTEM_DLLS]
    check(dlls and not foreign, f"imports {foreign or 'nothing'} besides system DLLs")
    for failure in failures:
        print("FAIL:", failure)
    print(f"{exe}: {len(failures)} failures; imports {', '.join(dlls)}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
