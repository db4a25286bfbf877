#!/usr/bin/env python3
"""usage: scripts/check-manifest.py PATH/TO/Varnelo.exe

Reads the application manifest embedded in the file (resource type 24,
id 1) from its .rsrc section, parses it as XML and checks that it declares
what the program relies on: the five supported systems, per-monitor DPI
awareness in both spellings, no elevation and Common Controls 6. Prints each
missing item and exits 1 if any is missing or the manifest cannot be read.
"""
import struct
import sys
import xml.etree.ElementTree as ElementTree

RT_MANIFEST = 24
MANIFEST_ID = 1
RESOURCE_DIRECTORY = 2  # index in the optional header's data directories
SUBDIRECTORY_BIT = 0x80000000

ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"
SETTINGS_2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
SETTINGS_2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"

SUPPORTED_OS = {
    "Vista": "{e2011457-1546-43c5-a5fe-008deee3d3f0}",
    "7": "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
    "8": "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
    "8.1": "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
    "10/11": "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
}


class BadImage(Exception):
    pass


def unpack(data, offset, layout):
    size = struct.calcsize(layout)
    if offset < 0 or offset + size > len(data):
        raise BadImage(f"a header at {offset} lies past the file's end")
    return struct.unpack_from(layout, data, offset)


def sections_and_resources(data):
    """The section table and the resource directory's RVA."""
    (pe_offset,) = unpack(data, 0x3C, "<I")
    if unpack(data, pe_offset, "<4s")[0] != b"PE\0\0":
        raise BadImage("no PE signature")
    count, optional_size = unpack(data, pe_offset + 6, "<H12xH")
    optional = pe_offset + 24
    (magic,) = unpack(data, optional, "<H")
    directories = optional + (96 if magic == 0x10B else 112)
    resources_rva, _ = unpack(data, directories + 8 * RESOURCE_DIRECTORY, "<II")
    table = optional + optional_size
    sections = [unpack(data, table + 40 * n + 8, "<IIII") for n in range(count)]
    return sections, resources_rva


def file_offset(sections, rva):
    for virtual_size, address, raw_size, raw_offset in sections:
        if address <= rva < address + max(virtual_size, raw_size):
            return raw_offset + rva - address
    raise BadImage(f"RVA {rva:#x} lies in no section")


def entry(data, directory, wanted_id):
    """The value of the directory's entry with the id, or of its first entry."""
    names, ids = unpack(data, directory + 12, "<HH")
    for n in range(names + ids):
        entry_id, value = unpack(data, directory + 16 + 8 * n, "<II")
        if wanted_id is None or entry_id == wanted_id:
            return value
    raise BadImage(f"no resource entry {wanted_id}")


def read_manifest(data):
    sections, resources_rva = sections_and_resources(data)
    if not resources_rva:
        raise BadImage("no resources")
    root = file_offset(sections, resources_rva)
    value = root
    for wanted in (RT_MANIFEST, MANIFEST_ID, None):
        value = entry(data, value, wanted)
        value = root + (value & ~SUBDIRECTORY_BIT)
    rva, size = unpack(data, value, "<II")
    start = file_offset(sections, rva)
    if start + size > len(data):
        raise BadImage("the manifest lies past the file's end")
    return data[start : start + size]


def texts(root, path):
    return [(element.text or "").strip() for element in root.iterfind(path)]


def missing_items(manifest):
    root = ElementTree.fromstring(manifest)
    missing = []
    if root.tag != ASM_V1 + "assembly":
        missing.append("the assembly element")
    ids = {e.get("Id", "").lower() for e in root.iterfind(f".//{COMPATIBILITY}supportedOS")}
    missing += [f"supportedOS {name}" for name, guid in SUPPORTED_OS.items() if guid not in ids]
    settings = f"{ASM_V3}application/{ASM_V3}windowsSettings/"
    if texts(root, settings + SETTINGS_2005 + "dpiAware") != ["true/pm"]:
        missing.append('dpiAware "true/pm"')
    if texts(root, settings + SETTINGS_2016 + "dpiAwareness") != ["PerMonitorV2, PerMonitor"]:
        missing.append('dpiAwareness "PerMonitorV2, PerMonitor"')
    levels = root.findall(f".//{ASM_V3}requestedExecutionLevel")
    if [(e.get("level"), e.get("uiAccess")) for e in levels] != [("asInvoker", "false")]:
        missing.append("requestedExecutionLevel asInvoker without uiAccess")
    controls = [
        e.attrib
        for e in root.iterfind(f"{ASM_V1}dependency/{ASM_V1}dependentAssembly/{ASM_V1}assemblyIdentity")
        if e.get("name") == "Microsoft.Windows.Common-Controls"
    ]
    if not any(a.get("version") == "6.0.0.0" and a.get("publicKeyToken") == "6595b64144ccf1df" for a in controls):
        missing.append("the Common Controls 6.0 dependency")
    return missing


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip().splitlines()[0], file=sys.stderr)
        return 2
    path = sys.argv[1]
    try:
        with open(path, "rb") as exe:
            missing = missing_items(read_manifest(exe.read()))
    except (OSError, BadImage, ElementTree.ParseError) as error:
        print(f"{path}: no readable manifest: {error}", file=sys.stderr)
        return 1
    for item in missing:
        print(f"{path}: the manifest lacks {item}", file=sys.stderr)
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
