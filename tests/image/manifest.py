# manifest.py SETUP_EXE VERSION: reads the manifest (resource 24/1) out of a
# built setup.exe, as the loader finds it, and checks what Windows takes from it.
import struct, sys
import xml.etree.ElementTree as ET

V1, V2, V3 = (f"{{urn:schemas-microsoft-com:asm.v{n}}}" for n in (1, 2, 3))
OS, DPI = "{urn:schemas-microsoft-com:compatibility.v1}", "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
SYSTEMS = ["{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # Vista, 7
           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8, 8.1
           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"]                                            # 10 and 11
image, version = open(sys.argv[1], "rb").read(), sys.argv[2]
at = lambda form, offset: struct.unpack_from(form, image, offset)
pe = at("<I", 0x3C)[0]
(count,), (optional,) = at("<H", pe + 6), at("<H", pe + 20)
sections = [at("<8xIIII", pe + 24 + optional + 40 * i) for i in range(count)]
def offset(rva):
    return next(rva - address + raw for size, address, raw_size, raw in sections
                if address <= rva < address + max(size, raw_size))
def entry(directory, wanted):  # a directory's entry by id, or its first
    named, ids = at("<HH", directory + 12)
    found = [to & 0x7FFFFFFF for name, to in (at("<II", directory + 16 + 8 * k) for k in range(named + ids))
             if wanted in (None, name)]
    return found[0] if found else sys.exit("manifest: no resource 24/1")
root = offset(at("<I", pe + 24 + 96 + 2 * 8)[0])  # PE32: the third data directory, resources
rva, size = at("<II", root + entry(root + entry(root + entry(root, 24), 1), None))
try:
    doc = ET.fromstring(image[offset(rva):offset(rva) + size])
except ET.ParseError as error:
    sys.exit(f"manifest: not well-formed: {error}")
identity = doc.find(f"{V1}assemblyIdentity")
level = doc.find(f"{V2}trustInfo/{V2}security/{V3}requestedPrivileges/{V3}requestedExecutionLevel")
systems = [e.get("Id", "").lower() for e in doc.findall(f"{OS}compatibility/{OS}application/{OS}supportedOS")]
dpi = doc.find(f"{V3}application/{V3}windowsSettings/{DPI}dpiAware")
get = lambda element, *names: element is not None and tuple(element.get(n) for n in names)
checks = {  # what must hold, by what it says when it does not
    "an asm.v1 assembly of manifest version 1.0": doc.tag == f"{V1}assembly" and doc.get("manifestVersion") == "1.0",
    f"a named win32 x86 identity of version {version}":
        get(identity, "type", "processorArchitecture", "version") == ("win32", "x86", version) and identity.get("name"),
    # A trustInfo of asm.v3 keeps Windows XP before SP3 from starting it.
    "requireAdministrator, no uiAccess, in an asm.v2 trustInfo's asm.v3 requestedPrivileges":
        get(level, "level", "uiAccess") == ("requireAdministrator", "false"),
    "supportedOS of Vista, 7, 8, 8.1 and 10/11, no other": sorted(systems) == sorted(SYSTEMS),
    "dpiAware true (system-aware)": dpi is not None and dpi.text == "true",
    # Nothing that changes the pages' look: Common Controls 6, per-monitor awareness.
    "no dependency": doc.find(f".//{V1}dependency") is None,
    "no setting but dpiAware": len(doc.findall(f".//{V3}windowsSettings/*")) == 1,
}
failed = [what for what, holds in checks.items() if not holds]
for what in failed:
    print(f"manifest: wants {what}")
sys.exit(1 if failed else 0)
