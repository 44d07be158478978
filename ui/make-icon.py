#!/usr/bin/env python3
# make-icon.py GRID ICO PICTURE: setup.exe's icon from its text grids
# (setup-icon.txt). Each grid becomes a 16-colour image with its mask, which
# every Windows from 95 on draws; the first grid, drawn eight times larger,
# also becomes a PNG image for the large views of Windows Vista and later.
# PICTURE shows the small images as Explorer draws them, at their own size
# on a white window, the Windows 95 desktop and a dark window, and four times
# larger below. The same grid gives the same bytes.
import struct, sys, zlib

palette, grids = {}, []
for line in open(sys.argv[1], encoding="ascii"):
    words = line.split()
    if not words or words[0].startswith("#"):
        continue
    if words[0] == "palette":
        palette.update((name, bytes.fromhex(rgb)) for name, rgb in (word.split("=") for word in words[1:]))
    elif words[0] == "image":
        grids.append([])
    else:
        grids[-1].append(words[0])
if len(palette) != 16 or list(palette.values())[0] != b"\0\0\0":
    sys.exit("make-icon: the palette is not 16 colours, black first (a transparent pixel's colour)")
for grid in grids:
    size = len(grid)
    if size % 16 or any(len(row) != size or set(row) - set(palette) - {"."} for row in grid):
        sys.exit(f"make-icon: the {size}-row grid is not square, a multiple of 16, in the palette's colours")
index = {name: i for i, name in enumerate(palette)}

# A device-independent bitmap of twice the height: the colours (4 bits a pixel),
# then the mask (1 bit, set where the screen shows through, under black), each
# bottom row first and each row padded to four bytes.
def bitmap(grid):
    size = len(grid)
    colours = b"".join(bytes(index.get(row[x], 0) << 4 | index.get(row[x + 1], 0) for x in range(0, size, 2))
                       for row in reversed(grid))
    mask = b"".join(int("".join("1" if c == "." else "0" for c in row), 2).to_bytes(size // 8, "big").ljust(
                    -(-size // 32) * 4, b"\0") for row in reversed(grid))
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 4, 0, len(colours) + len(mask), 0, 0, 0, 0)
    return header + b"".join(rgb[::-1] + b"\0" for rgb in palette.values()) + colours + mask

# Rows of RGBA pixels (the only PNG form that Windows takes in an icon); a row
# that repeats the one above is stored as its difference to it, all zeros.
def png(rows):
    chunk = lambda kind, data: struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    filtered = b"".join(b"\2" + bytes(len(row)) if row == above else b"\0" + row for row, above in zip(rows, [b""] + rows))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", len(rows[0]) // 4, len(rows), 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(filtered, 9)) + chunk(b"IEND", b""))

def rgba(grid, scale):
    return [b"".join((palette[c] + b"\xff" if c != "." else b"\0" * 4) * scale for c in row)
            for row in grid for _ in range(scale)]

# The file: the 16-colour images first, the PNG last, so that a system that
# cannot decode PNG (Windows XP and earlier) meets the images it draws first.
images = [(len(grid), 16, 4, bitmap(grid)) for grid in grids]
images.append((0, 0, 32, png(rgba(grids[0], 256 // len(grids[0])))))  # width 0: 256
offset = 6 + 16 * len(images)
directory = struct.pack("<HHH", 0, 1, len(images))
for size, colours, bits, data in images:
    directory += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bits, len(data), offset)
    offset += len(data)
open(sys.argv[2], "wb").write(directory + b"".join(image[3] for image in images))

# Drawn as the system draws an icon: the screen ANDed with the mask, then
# XORed with the colours, both read back from the bitmaps just written.
def draw(screen, x0, y0, data):
    size = struct.unpack_from("<i", data, 4)[0]
    colours, mask = data[104:104 + size * size // 2], data[104 + size * size // 2:]
    stride = -(-size // 32) * 4
    for y in range(size):
        for x in range(size):
            row = size - 1 - y
            shown = mask[row * stride + x // 8] >> (7 - x % 8) & 1
            colour = list(palette.values())[colours[row * size // 2 + x // 2] >> (4 * (1 - x % 2)) & 15]
            pixel = screen[y0 + y][x0 + x]
            screen[y0 + y][x0 + x] = bytes((a if shown else 0) ^ b for a, b in zip(pixel, colour))

backgrounds = [b"\xff\xff\xff", b"\x00\x80\x80", b"\x20\x20\x20"]
screen = [[backgrounds[x // 64] for x in range(64 * len(backgrounds))] for _ in range(48)]
for tile in range(len(backgrounds)):
    for size, _, _, data in images[:-1]:
        draw(screen, tile * 64 + (4 if size == 32 else 44), 8 if size == 32 else 16, data)
real = [b"".join(p + b"\xff" for p in row) for row in screen]
zoomed = [b"".join(row[x:x + 4] * 4 for x in range(0, len(row), 4)) for row in real for _ in range(4)]
picture = [row.ljust(len(zoomed[0]), b"\xc0") for row in real] + zoomed
open(sys.argv[3], "wb").write(png(picture))
