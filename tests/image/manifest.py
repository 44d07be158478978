"""Reads the manifest (resource type 24, id 1) back out of a built setup.exe,
as the loader finds it, and checks what Windows XP to 11 take from it.

    manifest.py SETUP_EXE VERSION
"""
import struct
import sys
import xml.etree.ElementTree as ET

V1, V2, V3 = (f"urn:schemas-microsoft-com:asm.v{n}" for n in (1, 2, 3))
COMPAT = "urn:schemas-microsoft-com:compatibility.v1"
SETTINGS = "http://schemas.microsoft.com/SMI/2005/WindowsSettings"
SYSTEMS = {  # supportedOS ids
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}": "Vista",
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "10 and 11",
}


def resource(image, kind, ident):
    """The data of resource kind/ident, first language, through the data directory."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    count, optional = struct.unpack_from("<H", image, pe + 6)[0], struct.unpack_from("<H", image, pe + 20)[0]
    sections = [struct.unpack_from("<8xIIII", image, pe + 24 + optional + 40 * i) for i in range(count)]

    def offset(rva):
        for size, address, raw_size, raw in sections:
            if address <= rva < address + max(size, raw_size):
                return rva - address + raw
        sys.exit(f"manifest: RVA {rva:#x} in no section")

    # PE32: the resource table is the third entry of the data directory.
    root = offset(struct.unpack_from("<I", image, pe + 24 + 96 + 2 * 8)[0])

    def entry(directory, wanted):
        named, ids = struct.unpack_from("<HH", image, directory + 12)
        for k in range(named + ids):
            name, target = struct.unpack_from("<II", image, directory + 16 + 8 * k)
            if wanted is None or name == wanted:
                return target & 0x7FFFFFFF
        sys.exit(f"manifest: no resource {kind}/{ident}")

    language = entry(root + entry(root + entry(root, kind), ident), None)
    rva, size = struct.unpack_from("<II", image, root + language)
    return image[offset(rva):offset(rva) + size]


def main(path, version):
    data = resource(open(path, "rb").read(), 24, 1)
    try:
        root = ET.fromstring(data)
    except ET.ParseError as error:
        sys.exit(f"manifest: not well-formed: {error}")
    identity = root.find(f"{{{V1}}}assemblyIdentity")
    level = root.find(f"{{{V2}}}trustInfo/{{{V2}}}security/{{{V3}}}requestedPrivileges/{{{V3}}}requestedExecutionLevel")
    systems = [e.get("Id", "").lower() for e in
               root.findall(f"{{{COMPAT}}}compatibility/{{{COMPAT}}}application/{{{COMPAT}}}supportedOS")]
    dpi = root.find(f"{{{V3}}}application/{{{V3}}}windowsSettings/{{{SETTINGS}}}dpiAware")
    attributes = lambda e, *names: e is not None and tuple(e.get(n) for n in names)
    # What must hold, and what each says when it does not.
    checks = [
        (root.tag == f"{{{V1}}}assembly" and root.get("manifestVersion") == "1.0", "an asm.v1 assembly, version 1.0"),
        (attributes(identity, "type", "processorArchitecture", "version") == ("win32", "x86", version)
         and bool(identity.get("name")), f"a named win32 x86 assemblyIdentity of version {version}"),
        # A trustInfo of asm.v3 would keep Windows XP before SP3 from starting it.
        (attributes(level, "level", "uiAccess") == ("requireAdministrator", "false"),
         "requireAdministrator, no uiAccess, in an asm.v2 trustInfo's asm.v3 requestedPrivileges"),
        (sorted(systems) == sorted(SYSTEMS), f"supportedOS of Windows {', '.join(SYSTEMS.values())}, and no other"),
        (dpi is not None and dpi.text == "true", "dpiAware true (system-aware, not per monitor)"),
        # Nothing that changes the pages' look: Common Controls 6, per-monitor awareness.
        (root.find(f".//{{{V1}}}dependency") is None, "no dependency"),
        (len(root.findall(f".//{{{V3}}}windowsSettings/*")) == 1, "no setting but dpiAware"),
    ]
    failed = [what for holds, what in checks if not holds]
    for what in failed:
        print(f"manifest: wants {what}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
