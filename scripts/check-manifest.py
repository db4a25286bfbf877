#!/usr/bin/env python3
"""usage: scripts/check-manifest.py PATH/TO/Varnelo.exe

Reads the application manifest embedded in the file (resource type 24, id 1)
from its resource section, parses it as XML and checks that it declares the
five supported systems, per-monitor DPI awareness in both spellings, no
elevation and Common Controls 6. Says what is missing; exits 1 if anything is.
"""
import struct
import sys
import xml.etree.ElementTree as ElementTree

RT_MANIFEST, MANIFEST_ID = 24, 1
SUBDIRECTORY = 0x80000000
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
SETTINGS = f"{ASM_V3}application/{ASM_V3}windowsSettings/"
SUPPORTED_OS = {
    "Vista": "{e2011457-1546-43c5-a5fe-008deee3d3f0}",
    "7": "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
    "8": "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
    "8.1": "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
    "10/11": "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
}


def read(data, offset, layout):
    if offset < 0 or offset + struct.calcsize(layout) > len(data):
        raise ValueError(f"a structure at {offset:#x} lies past the file's end")
    return struct.unpack_from(layout, data, offset)


def file_offset(sections, rva):
    for size, address, raw_size, raw_offset in sections:
        if address <= rva < address + max(size, raw_size):
            return raw_offset + rva - address
    raise ValueError(f"RVA {rva:#x} lies in no section")


def entry(data, directory, wanted):
    """The value of the directory's entry with id `wanted`, or of its first."""
    names, ids = read(data, directory + 12, "<HH")
    for n in range(names + ids):
        entry_id, value = read(data, directory + 16 + 8 * n, "<II")
        if wanted is None or entry_id == wanted:
            return value & ~SUBDIRECTORY
    raise ValueError(f"no resource {wanted}")


def read_manifest(data):
    (pe,) = read(data, 0x3C, "<I")
    if read(data, pe, "<4s")[0] != b"PE\0\0":
        raise ValueError("no PE signature")
    count, optional_size = read(data, pe + 6, "<H12xH")
    (magic,) = read(data, pe + 24, "<H")
    (resources,) = read(data, pe + 24 + (96 if magic == 0x10B else 112) + 16, "<I")
    sections = [read(data, pe + 24 + optional_size + 40 * n + 8, "<IIII") for n in range(count)]
    root = file_offset(sections, resources)
    found = root
    for wanted in (RT_MANIFEST, MANIFEST_ID, None):  # type, id, first language
        found = root + entry(data, found, wanted)
    rva, size = read(data, found, "<II")
    start = file_offset(sections, rva)
    return data[start : start + size]


def missing_items(manifest):
    root = ElementTree.fromstring(manifest)
    ids = {e.get("Id") for e in root.iter("{urn:schemas-microsoft-com:compatibility.v1}supportedOS")}
    missing = [f"supportedOS {name}" for name, guid in SUPPORTED_OS.items() if guid not in ids]
    dpi_aware = root.findtext(SETTINGS + "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}dpiAware")
    if dpi_aware != "true/pm":
        missing.append('dpiAware "true/pm"')
    awareness = root.findtext(SETTINGS + "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}dpiAwareness")
    if awareness != "PerMonitorV2, PerMonitor":
        missing.append('dpiAwareness "PerMonitorV2, PerMonitor"')
    levels = [(e.get("level"), e.get("uiAccess")) for e in root.iter(ASM_V3 + "requestedExecutionLevel")]
    if levels != [("asInvoker", "false")]:
        missing.append("requestedExecutionLevel asInvoker, uiAccess false")
    dependency = f"{ASM_V1}dependency/{ASM_V1}dependentAssembly/{ASM_V1}assemblyIdentity"
    controls = ("Microsoft.Windows.Common-Controls", "6.0.0.0", "6595b64144ccf1df")
    if controls not in [(e.get("name"), e.get("version"), e.get("publicKeyToken")) for e in root.iterfind(dependency)]:
        missing.append("the Common Controls 6.0 dependency")
    return missing


def main():
    if len(sys.argv) != 2:
        print(__doc__.splitlines()[0], file=sys.stderr)
        return 2
    try:
        with open(sys.argv[1], "rb") as exe:
            missing = missing_items(read_manifest(exe.read()))
    except (OSError, ValueError, ElementTree.ParseError) as error:
        missing = [f"a readable manifest ({error})"]
    for item in missing:
        print(f"{sys.argv[1]}: lacks {item}", file=sys.stderr)
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
