#!/usr/bin/env python3
"""Checks a built Windows executable from the host: its PE header and imports (through objdump)
and, when asked, the launcher's resource table read straight from the file.

Python 3 standard library only. Prints one line per failed check and exits 1 if any failed.

Usage: CheckExecutable.py --exe FILE --objdump OBJDUMP [--machine i386|x86-64]
           [--icon ICO --app-manifest FILE --ids RESOURCEIDS_H --version-header VERSION_H
            [--payload-manifest FILE --payload-blob FILE]]
Without --icon only the header and imports are checked. With it the resource table must hold
exactly the launcher's resources; the payload resources must be present when their files are
given and absent otherwise.
"""

import argparse
import os
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path

RT_ICON, RT_RCDATA, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 10, 14, 16, 24

# (size, bits per pixel, PNG) in group order.
ICONS = [(32, 4, False), (16, 4, False), (48, 8, False), (32, 8, False), (16, 8, False),
         (256, 32, True)] + [(s, 32, False) for s in (128, 96, 64, 48, 40, 32, 24, 20, 16)]

# The resource ids, the language and the version come from the build's own headers (--ids,
# --version-header), so that they are written in one place only.
LANGUAGE = ICON_GROUP = VERSION_ID = APP_MANIFEST_ID = PAYLOAD_MANIFEST_ID = PAYLOAD_BLOB_ID = None
VERSION = None
VERSION_STRINGS = None


def read_defines(path):
    """Gives the "#define NAME value" lines of a C header, comments cut, as a dictionary."""
    defines = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            parts = line.split(None, 2)
            if len(parts) == 3 and parts[0] == "#define":
                defines[parts[1]] = parts[2].split("/*")[0].strip()
    return defines


def load_build_facts(ids_header, version_header):
    global LANGUAGE, ICON_GROUP, VERSION_ID, APP_MANIFEST_ID, PAYLOAD_MANIFEST_ID, PAYLOAD_BLOB_ID
    global VERSION, VERSION_STRINGS
    ids = read_defines(ids_header)
    (LANGUAGE, ICON_GROUP, VERSION_ID, APP_MANIFEST_ID, PAYLOAD_MANIFEST_ID, PAYLOAD_BLOB_ID) = (
        int(ids["NIMBREL_" + name]) for name in ("RESOURCE_LANGUAGE", "ICON_GROUP_ID", "VERSION_ID",
                                                "APP_MANIFEST_ID", "PAYLOAD_MANIFEST_ID",
                                                "PAYLOAD_BLOB_ID"))
    version = read_defines(version_header)
    VERSION = tuple(int(version["NIMBREL_VERSION_" + part])
                    for part in ("MAJOR", "MINOR", "PATCH", "TWEAK"))
    text = version["NIMBREL_VERSION_TEXT"].strip('"')
    VERSION_STRINGS = {"CompanyName": "Nimbrel", "FileDescription": "Nimbrel Launcher",
                       "FileVersion": text, "InternalName": "Nimbrel.Launcher.exe",
                       "OriginalFilename": "Nimbrel.Launcher.exe", "ProductName": "Nimbrel Hub",
                       "ProductVersion": text}


# System DLLs every Windows installation has; anything else would have to ship beside the exe.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "ole32.dll",
               "oleaut32.dll", "advapi32.dll", "comctl32.dll", "shlwapi.dll", "msvcrt.dll",
               "ntdll.dll"}

failures = []


def fail(message):
    failures.append(message)


# What objdump and the optional header say for each machine the Windows trees build for.
MACHINES = {"i386": ("pei-i386", "010b", "PE32"), "x86-64": ("pei-x86-64", "020b", "PE32+")}


def check_header_and_imports(exe, objdump, machine):
    file_format, magic, kind = MACHINES[machine]
    text = subprocess.run([objdump, "-p", exe], check=True, capture_output=True,
                          text=True).stdout
    fields = {}
    for line in text.splitlines():
        parts = line.split(None, 1)
        if len(parts) == 2 and parts[0] in ("Magic", "Subsystem"):
            fields[parts[0]] = parts[1].split()
    if f"file format {file_format}" not in text:
        fail(f"not an {machine} PE file")
    if fields.get("Magic", [""])[0] != magic:
        fail(f"optional header magic {fields.get('Magic')}, expected {magic} ({kind})")
    if fields.get("Subsystem", [""])[0] != "00000002":
        fail(f"subsystem {fields.get('Subsystem')}, expected 2 (Windows GUI)")
    dlls = [line.split(":", 1)[1].strip() for line in text.splitlines()
            if line.strip().startswith("DLL Name:")]
    if not dlls:
        fail("no imported DLL found in objdump's output")
    for dll in dlls:
        if dll.lower() not in SYSTEM_DLLS:
            fail(f"imports {dll}, which is not a system DLL")


# Optional header DllCharacteristics, file characteristics and section flags the checks read.
DYNAMIC_BASE, NX_COMPAT, HIGH_ENTROPY_VA = 0x40, 0x100, 0x20
LARGE_ADDRESS_AWARE = 0x20
SECTION_EXECUTE, SECTION_WRITE = 0x20000000, 0x80000000


def check_mitigations(image, mappable, large_address_aware):
    """ASLR and DEP on, relocations present (ASLR can move the image), no section both writable
    and executable, and on PE32+ the high-entropy address space. When asked: sections laid out in
    the file as in memory, so that the loader can map the image instead of reading it (Wine
    copies an image whose file alignment is smaller, payload and all); and addresses above 2 GB,
    as a first start holds every decompressed file."""
    wanted = [(DYNAMIC_BASE, "DYNAMIC_BASE (ASLR)"), (NX_COMPAT, "NX_COMPAT (DEP)")]
    if image.pe32_plus:
        wanted.append((HIGH_ENTROPY_VA, "HIGH_ENTROPY_VA"))
    for bit, name in wanted:
        if not image.dll_characteristics & bit:
            fail(f"{name} is not set")
    if image.relocation_size == 0:
        fail("no base relocations: the image cannot be moved")
    for name, flags in image.section_flags:
        if flags & SECTION_EXECUTE and flags & SECTION_WRITE:
            fail(f"section {name} is both writable and executable")
    if mappable and image.file_alignment != image.section_alignment:
        fail(f"file alignment {image.file_alignment:#x} differs from section alignment "
             f"{image.section_alignment:#x}: the image cannot be mapped")
    if large_address_aware and not image.file_characteristics & LARGE_ADDRESS_AWARE:
        fail("LARGE_ADDRESS_AWARE is not set")


class Image:
    """A PE file's bytes with its sections, enough to follow RVAs."""

    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        sections, optional_size = struct.unpack_from("<2xH12xH", data, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        if magic not in (0x10B, 0x20B):
            raise ValueError("not a PE32 or PE32+ optional header")
        directories = optional + (96 if magic == 0x10B else 112)
        self.pe32_plus = magic == 0x20B
        self.dll_characteristics = struct.unpack_from("<H", data, optional + 70)[0]
        self.file_characteristics = struct.unpack_from("<H", data, pe + 22)[0]
        self.section_alignment, self.file_alignment = struct.unpack_from("<II", data,
                                                                         optional + 32)
        self.resource_rva, self.resource_size = struct.unpack_from("<II", data,
                                                                   directories + 2 * 8)
        self.relocation_size = struct.unpack_from("<I", data, directories + 5 * 8 + 4)[0]
        self.sections = []
        self.section_flags = []
        table = optional + optional_size
        for i in range(sections):
            size, rva, raw_size, raw = struct.unpack_from("<IIII", data, table + 40 * i + 8)
            name = data[table + 40 * i:table + 40 * i + 8].rstrip(b"\0").decode("latin-1")
            self.section_flags.append((name, struct.unpack_from("<I", data, table + 40 * i + 36)[0]))
            self.sections.append((rva, max(size, raw_size), raw))

    def at(self, rva, length):
        for start, size, raw in self.sections:
            if start <= rva and rva + length <= start + size:
                offset = raw + rva - start
                return self.data[offset:offset + length]
        raise ValueError(f"RVA {rva:#x}+{length} lies in no section")


def read_resources(image):
    """Returns {(type, id, language): bytes}; a named entry anywhere is a failure."""
    base = image.resource_rva
    if base == 0:
        return {}
    root = image.at(base, image.resource_size)

    def entries(offset):
        named, ids = struct.unpack_from("<HH", root, offset + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", root, offset + 16 + 8 * i)
            if name & 0x80000000:
                fail(f"resource entry with a string name at directory offset {offset}")
                continue
            yield name, target

    found = {}
    for kind, types in entries(0):
        for ident, names in entries(types & 0x7FFFFFFF):
            for language, leaf in entries(names & 0x7FFFFFFF):
                if leaf & 0x80000000:
                    fail(f"resource {kind}/{ident} nests deeper than three levels")
                    continue
                rva, size = struct.unpack_from("<II", root, leaf)
                found[(kind, ident, language)] = image.at(rva, size)
    return found


def icon_images(ico):
    count = struct.unpack_from("<H", ico, 4)[0]
    images = []
    for i in range(count):
        size, offset = struct.unpack_from("<II", ico, 6 + 16 * i + 8)
        images.append(ico[offset:offset + size])
    return images


def check_icon_image(number, data, size, bits, png):
    where = f"RT_ICON {number}"
    if png:
        if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
            fail(f"{where} is not a PNG image")
            return
        width, height, depth, colour = struct.unpack_from(">IIBB", data, 16)
        if (width, height, depth, colour) != (size, size, 8, 6):
            fail(f"{where} PNG is {width}x{height}, depth {depth}, colour type {colour}")
        return
    header = struct.unpack_from("<IiiHHI", data, 0)
    if header != (40, size, 2 * size, 1, bits, 0):
        fail(f"{where} has DIB header {header}, expected {size}x{size} at {bits} bits")
        return
    stride = lambda pixel_bits: (size * pixel_bits + 31) // 32 * 4
    table = 4 << bits if bits <= 8 else 0
    expected = 40 + table + size * stride(bits) + size * stride(1)
    if len(data) != expected:
        fail(f"{where} is {len(data)} bytes, expected {expected} with its AND mask")


# The check_* functions below pass over a resource that is missing in the launcher's language:
# check_resources reports it, as missing or in another language.
def check_icons(resources, ico):
    group = resources.get((RT_GROUP_ICON, ICON_GROUP, LANGUAGE))
    if group is None:
        return
    reserved, kind, count = struct.unpack_from("<HHH", group, 0)
    if (reserved, kind, count) != (0, 1, len(ICONS)) or len(group) != 6 + 14 * count:
        fail(f"icon group header {(reserved, kind, count)}, {len(group)} bytes")
        return
    stored = icon_images(ico)
    for i, (size, bits, png) in enumerate(ICONS):
        width, height, colours, _, planes, bit_count, length, number = struct.unpack_from(
            "<BBBBHHIH", group, 6 + 14 * i)
        entry = (width or 256, height or 256, colours, planes, bit_count, number)
        want = (size, size, 16 if bits == 4 else 0, 1, bits, i + 1)
        if entry != want:
            fail(f"icon group entry {i + 1} is {entry}, expected {want}")
        data = resources.get((RT_ICON, i + 1, LANGUAGE))
        if data is None:
            continue
        if len(data) != length:
            fail(f"RT_ICON {i + 1} is {len(data)} bytes, the group says {length}")
        check_icon_image(i + 1, data, size, bits, png)
        if i < len(stored) and data != stored[i]:
            fail(f"RT_ICON {i + 1} differs from image {i + 1} of the icon file")


def version_node(data, offset):
    """Returns (key, value bytes, children offsets, end) of one version-block node."""
    length, value_length, kind = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    key_start = offset + 6
    key_end = key_start
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[key_start:key_end].decode("utf-16-le")
    value_start = (key_end + 2 + 3) & ~3
    value_bytes = value_length * 2 if kind == 1 else value_length
    value = data[value_start:value_start + value_bytes]
    children = []
    child = (value_start + value_bytes + 3) & ~3
    while child < end:
        children.append(child)
        child = (child + struct.unpack_from("<H", data, child)[0] + 3) & ~3
    return key, value, children, end


def check_version(resources):
    data = resources.get((RT_VERSION, VERSION_ID, LANGUAGE))
    if data is None:
        return
    key, fixed, children, _ = version_node(data, 0)
    if key != "VS_VERSION_INFO" or len(fixed) != 52:
        fail(f"version block root {key!r} with {len(fixed)} bytes of fixed information")
        return
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
    packed = ((VERSION[0] << 16) | VERSION[1], (VERSION[2] << 16) | VERSION[3])
    if signature != 0xFEEF04BD:
        fail(f"fixed file information signature {signature:#x}")
    if (file_ms, file_ls) != packed or (product_ms, product_ls) != packed:
        fail(f"versions {file_ms:#x}.{file_ls:#x} and {product_ms:#x}.{product_ls:#x}")
    file_os, file_type = struct.unpack_from("<II", fixed, 32)
    if (file_os, file_type) != (0x40004, 1):
        fail(f"file OS {file_os:#x}, file type {file_type}: expected NT Windows32, application")

    strings, translation = None, None
    for child in children:
        name, _, grand, _ = version_node(data, child)
        if name == "StringFileInfo":
            tables = [version_node(data, t) for t in grand]
            if [t[0] for t in tables] != ["040904b0"]:
                fail(f"string tables {[t[0] for t in tables]}, expected only 040904b0")
            strings = {}
            for table in tables:
                for s in table[2]:
                    name, value, _, _ = version_node(data, s)
                    strings[name] = value.decode("utf-16-le").rstrip("\0")
        elif name == "VarFileInfo":
            for v in grand:
                name, value, _, _ = version_node(data, v)
                if name == "Translation":
                    translation = value
    if strings != VERSION_STRINGS:
        fail(f"version strings {strings}")
    if translation != struct.pack("<HH", 0x409, 1200):
        fail(f"translation {translation!r}, expected 0x409, 1200")


def check_manifest(resources, expected_text):
    data = resources.get((RT_MANIFEST, APP_MANIFEST_ID, LANGUAGE))
    if data is None:
        return
    if data != expected_text:
        fail("application manifest differs from the manifest file")
    v1, v3 = "{urn:schemas-microsoft-com:asm.v1}", "{urn:schemas-microsoft-com:asm.v3}"
    settings = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
    root = ElementTree.fromstring(data)
    identities = [i.attrib for i in root.iter(v1 + "assemblyIdentity")]
    common_controls = {"type": "win32", "name": "Microsoft.Windows.Common-Controls",
                       "version": "6.0.0.0", "processorArchitecture": "*",
                       "publicKeyToken": "6595b64144ccf1df", "language": "*"}
    if identities != [common_controls]:
        fail(f"assembly identities {identities}")
    dpi = [e.text for e in root.iter(settings + "dpiAware")]
    if dpi != ["True/PM"] or not list(root.iter(v3 + "windowsSettings")):
        fail(f"dpiAware settings {dpi}")
    if any(e.tag.endswith("requestedExecutionLevel") or e.tag.endswith("trustInfo")
           for e in root.iter()):
        fail("the manifest requests an execution level")


def check_resources(exe, ico_path, manifest_path, payload_manifest, payload_blob):
    resources = read_resources(Image(Path(exe).read_bytes()))
    ico = Path(ico_path).read_bytes()
    manifest_text = Path(manifest_path).read_bytes()

    expected = {(RT_ICON, n) for n in range(1, len(ICONS) + 1)}
    expected |= {(RT_GROUP_ICON, ICON_GROUP), (RT_VERSION, VERSION_ID), (RT_MANIFEST, APP_MANIFEST_ID)}
    payload = {}
    for ident, path in ((PAYLOAD_MANIFEST_ID, payload_manifest), (PAYLOAD_BLOB_ID, payload_blob)):
        if path:
            payload[ident] = Path(path).read_bytes()
            expected.add((RT_RCDATA, ident))
    present = {(kind, ident) for kind, ident, _ in resources}
    for kind, ident in sorted(expected - present):
        fail(f"resource type {kind} id {ident} is missing")
    for kind, ident in sorted(present - expected):
        fail(f"unexpected resource type {kind} id {ident}")
    for kind, ident, language in sorted(resources):
        if language != LANGUAGE:
            fail(f"resource type {kind} id {ident} has language {language}")

    check_icons(resources, ico)
    check_version(resources)
    check_manifest(resources, manifest_text)
    for ident, content in payload.items():
        data = resources.get((RT_RCDATA, ident, LANGUAGE))
        if data is not None and data != content:
            fail(f"RCDATA {ident} is {len(data)} bytes and differs from its "
                 f"{len(content)}-byte file")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--machine", choices=sorted(MACHINES), default="i386")
    parser.add_argument("--icon")
    parser.add_argument("--app-manifest")
    parser.add_argument("--payload-manifest", default="")
    parser.add_argument("--payload-blob", default="")
    parser.add_argument("--ids", help="the build's resource id header (needed with --icon)")
    parser.add_argument("--version-header", help="the build's version header (with --icon)")
    parser.add_argument("--mappable", action="store_true",
                        help="also require file alignment equal to section alignment")
    parser.add_argument("--large-address-aware", action="store_true",
                        help="also require the large-address-aware flag")
    args = parser.parse_args()

    if not os.path.isfile(args.exe):
        print(f"{args.exe}: no such file")
        return 1
    check_header_and_imports(args.exe, args.objdump, args.machine)
    try:
        check_mitigations(Image(Path(args.exe).read_bytes()), args.mappable,
                          args.large_address_aware)
    except (ValueError, struct.error) as error:
        fail(f"cannot read the headers: {error}")
    if args.icon:
        if not args.ids or not args.version_header:
            parser.error("--icon needs --ids and --version-header")
        load_build_facts(args.ids, args.version_header)
        try:
            check_resources(args.exe, args.icon, args.app_manifest, args.payload_manifest,
                           args.payload_blob)
        except (ValueError, struct.error, ElementTree.ParseError) as error:
            fail(f"cannot read the resources: {error}")
    for failure in failures:
        print(f"{args.exe}: {failure}")
    if not failures:
        print(f"{args.exe}: all checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
