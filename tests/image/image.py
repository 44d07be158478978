# image.py SETUP_EXE VERSION_H: reads a built setup.exe as the loader and
# Explorer find it: its size against the budget, its resources, the manifest
# (what Windows takes from it), the version resource (against the values of
# VERSION_H) and the icon group (each image as the group declares it).
import codecs, re, struct, sys
import xml.etree.ElementTree as ET

V1, V2, V3 = (f"{{urn:schemas-microsoft-com:asm.v{n}}}" for n in (1, 2, 3))
OS, DPI = "{urn:schemas-microsoft-com:compatibility.v1}", "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
SYSTEMS = ["{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # Vista, 7
           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8, 8.1
           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"]                                            # 10 and 11
RESOURCES = [(3, 1), (3, 2), (3, 3), (5, 101), (5, 102), (5, 103), (5, 104), (14, 1), (16, 1), (24, 1)]
image = open(sys.argv[1], "rb").read()
value = {name: codecs.escape_decode(text)[0].decode("cp1252") for name, text in
         re.findall(r'#define (\w+) +"(.*)"', open(sys.argv[2], encoding="cp1252").read())}
version = value["PRODUCT_VERSION_TEXT"]
at = lambda form, offset: struct.unpack_from(form, image, offset)
pe = at("<I", 0x3C)[0]
(count,), (optional,) = at("<H", pe + 6), at("<H", pe + 20)
sections = [at("<8sIIII", pe + 24 + optional + 40 * i) for i in range(count)]
def offset(rva):
    return next(rva - address + raw for _, size, address, raw_size, raw in sections
                if address <= rva < address + max(size, raw_size))
failed = []
check = lambda holds, what: holds or failed.append(what)

# The budget: 16 KB of program (all but the resources), 20 KB in all.
resources = sum(raw_size for name, _, _, raw_size, _ in sections if name.rstrip(b"\0") == b".rsrc")
if not all([check(len(image) - resources <= 16384, f"program of at most 16384 bytes, not {len(image) - resources}"),
            check(len(image) <= 20480, f"at most 20480 bytes in all, not {len(image)}")]):
    print(f"headers: {pe + 24 + optional + 40 * count} bytes used of {at('<I', pe + 84)[0]}")
    for name, size, _, raw_size, _ in (section for section in sections if section[3]):
        print(f"{name.rstrip(bytes(1)).decode()}: {size} bytes used of {raw_size}, {max(raw_size - size, 0)} free")

# Every resource by type and id, and its bytes.
root = offset(at("<I", pe + 24 + 96 + 2 * 8)[0])  # PE32: the third data directory, resources
def entries(directory):
    named, ids = at("<HH", directory + 12)
    return [(name, to & 0x7FFFFFFF) for name, to in (at("<II", directory + 16 + 8 * k) for k in range(named + ids))]
data = {}
for kind, to in entries(root):
    for name, language in entries(root + to):
        rva, size = at("<II", root + entries(root + language)[0][1])
        data[kind, name] = image[offset(rva):offset(rva) + size]
check(sorted(data) == RESOURCES, f"the resources {RESOURCES} (type, id), not {sorted(data)}")

try:
    doc = ET.fromstring(data.get((24, 1), b""))
except ET.ParseError as error:
    sys.exit(f"manifest: not well-formed: {error}")
identity = doc.find(f"{V1}assemblyIdentity")
level = doc.find(f"{V2}trustInfo/{V2}security/{V3}requestedPrivileges/{V3}requestedExecutionLevel")
systems = [e.get("Id", "").lower() for e in doc.findall(f"{OS}compatibility/{OS}application/{OS}supportedOS")]
dpi = doc.find(f"{V3}application/{V3}windowsSettings/{DPI}dpiAware")
get = lambda element, *names: element is not None and tuple(element.get(n) for n in names)
check(doc.tag == f"{V1}assembly" and doc.get("manifestVersion") == "1.0", "an asm.v1 assembly of manifest version 1.0")
check(get(identity, "type", "processorArchitecture", "version") == ("win32", "x86", version)
      and identity.get("name"), f"a named win32 x86 identity of version {version}")
# A trustInfo of asm.v3 keeps Windows XP before SP3 from starting it.
check(get(level, "level", "uiAccess") == ("requireAdministrator", "false"),
      "requireAdministrator, no uiAccess, in an asm.v2 trustInfo's asm.v3 requestedPrivileges")
check(sorted(systems) == sorted(SYSTEMS), "supportedOS of Vista, 7, 8, 8.1 and 10/11, no other")
check(dpi is not None and dpi.text == "true", "dpiAware true (system-aware)")
# Nothing that changes the pages' look: Common Controls 6, per-monitor awareness.
check(doc.find(f".//{V1}dependency") is None, "no dependency")
check(len(doc.findall(f".//{V3}windowsSettings/*")) == 1, "no setting but dpiAware")

# The version block as the version library walks it: key, value, children.
block = data.get((16, 1), bytes(6))
def node(start):
    length, size, text = struct.unpack_from("<HHH", block, start)
    end = start + 6
    while block[end:end + 2] != bytes(2):
        end += 2
    value = (end + 5) & ~3
    value, child, children = block[value:value + size * (1 + text)], (value + size * (1 + text) + 3) & ~3, []
    while child < start + length:
        children.append(node(child))
        child = (child + struct.unpack_from("<H", block, child)[0] + 3) & ~3
    return block[start + 6:end].decode("utf-16-le"), value, children
key, fixed, children = node(0)
parts = {name: children for name, _, children in children}
tables, translations = parts.get("StringFileInfo", []), parts.get("VarFileInfo", [])
strings = {name: value.decode("utf-16-le").rstrip("\0") for name, value, _ in (tables[0][2] if tables else [])}
major, minor, build, revision = map(int, version.split("."))
word = struct.unpack("<13I", fixed) if len(fixed) == 52 else (0,) * 13
check(key == "VS_VERSION_INFO" and (word[0],) + word[2:6] + word[8:10] == (0xFEEF04BD,) + (
      major << 16 | minor, build << 16 | revision) * 2 + (4, 1), f"a fixed part of version {version}, for Windows, VFT_APP")
check([name for name, _, _ in tables] == ["040904E4"], "one string table, 040904E4")
check(strings == {"CompanyName": value["PRODUCT_COMPANY"], "FileDescription": value["SETUP_DESCRIPTION"],
                  "FileVersion": version, "InternalName": value["SETUP_FILE"], "OriginalFilename": value["SETUP_FILE"],
                  "ProductName": value["PRODUCT_NAME"], "ProductVersion": version}, f"the build's strings, not {strings}")
check([(name, value) for name, value, _ in translations] == [("Translation", struct.pack("<HH", 0x409, 1252))],
      "a translation of 040904E4")

# The icon group, 32 and 16 pixels in 16 colours before the PNG of 256 that
# only Windows Vista and later draw; each image as the group says.
group = data.get((14, 1), bytes(6))
images = [struct.unpack_from("<BBBBHHIH", group, 6 + 14 * k) for k in range(struct.unpack_from("<H", group, 4)[0])]
check([(width or 256, bits) for width, _, _, _, _, bits, _, _ in images] == [(32, 4), (16, 4), (256, 32)],
      "an icon of 32 and 16 pixels in 16 colours, then 256 in PNG")
for width, height, colours, _, planes, bits, size, id in images:
    picture = data.get((3, id), b"")
    if bits == 4:
        check(len(picture) == size == 40 + 64 + width * width // 2 + width * 4 * -(-width // 32) and (height, colours)
              == (width, 16) and struct.unpack_from("<IiiHHI", picture) == (40, width, 2 * width, 1, 4, 0),
              f"a {width}-pixel image of 16 colours: its header, palette, colours and mask")
    else:
        check(len(picture) == size and picture[:16] == b"\x89PNG\r\n\x1a\n\0\0\0\rIHDR"
              and struct.unpack_from(">IIBB", picture, 16) == (256, 256, 8, 6), "a 256-pixel PNG of RGBA")
for what in failed:
    print(f"setup.exe: wants {what}")
sys.exit(1 if failed else 0)
