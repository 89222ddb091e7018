#!/usr/bin/env python3
# make_images.py: draws the resource library's placeholder pictures.
#
# Not part of the build: run it by hand after changing the families below.
# It writes one .bmp per picture into images/ and rewrites images.tsv, which
# the build embeds. The pictures are simple and only need the right kind and
# size: a frame with a diagonal in the picture's own colour for images, the
# same shape in black on white for masks ("L" and mask ids of the pairs the
# previews blit with SRCAND / SRCPAINT), and a 16-colour icon or a 1-bit
# cursor.
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

# The pictures by id range: (first id, last id, width, height, what). Every id
# of IDS below falls in one range; ids in MASKS are 1-bit masks, the others
# 16-colour pictures; CURSORS and ICONS are kinds of their own.
RANGES = [
    (10000, 10033, 40, 30, "N-up and page order item picture"),
    (10200, 10222, 48, 48, "setup page illustration"),
    (10240, 10249, 40, 30, "output method item picture"),
    (10660, 10663, 40, 30, "finishing item picture"),
    (11000, 11001, 32, 32, "watermark editor cursor"),
    (11202, 11205, 96, 72, "image-quality sample"),
    (12000, 12001, 16, 16, "version page logo"),
    (12200, 12223, 16, 16, "Save/Recall menu picture"),
    (14000, 14013, 16, 16, "insert-sheet list icon"),
    (15000, 15007, 100, 100, "paper view page"),
    (15010, 15017, 16, 16, "paper view zoom arrow"),
    (15020, 15051, 12, 12, "paper view staple or punch mark"),
    (15060, 15067, 8, 96, "paper view binding strip"),
    (15070, 15077, 96, 96, "paper view canvas"),
    (15080, 15113, 44, 60, "paper view layout page"),
    (15120, 15277, 12, 12, "paper view order, duplex, border or shift mark"),
    (15280, 15394, 120, 120, "binding margin picture"),
    (15500, 15621, 24, 24, "paper view setting icon"),
    (15800, 15842, 48, 48, "finishing or form page illustration"),
    (15850, 15855, 32, 32, "watermark page illustration"),
    (15870, 15873, 12, 12, "one page per sheet mark"),
    (15880, 15883, 180, 180, "index paper picture"),
    (15884, 15887, 24, 12, "index tab mark"),
    (15890, 15911, 60, 80, "insert sheet picture"),
    (15912, 15912, 8, 8, "index tab brush pattern"),
    (15920, 15937, 64, 64, "booklet picture"),
    (19000, 19033, 160, 120, "machine view part"),
]

# Every picture the driver loads by id.
IDS = sorted(
    set(range(10000, 10034)) | set(range(10200, 10223)) | set(range(10240, 10250)) | set(range(10660, 10664))
    | {11000, 11001} | set(range(11202, 11206)) | {12000, 12001} | set(range(12200, 12224))
    | set(range(14000, 14014)) | set(range(15000, 15008)) | set(range(15010, 15018))
    | set(range(15020, 15028)) | set(range(15030, 15038)) | set(range(15040, 15048)) | {15050, 15051}
    | set(range(15060, 15068)) | set(range(15070, 15078)) | set(range(15080, 15104)) | set(range(15110, 15114))
    | set(range(15120, 15174)) | set(range(15180, 15192)) | set(range(15200, 15244)) | set(range(15250, 15278))
    | {15280, 15281} | set(range(15290, 15295)) | set(range(15300, 15305)) | set(range(15310, 15318))
    | set(range(15320, 15328)) | set(range(15330, 15338)) | set(range(15340, 15348)) | set(range(15350, 15358))
    | set(range(15360, 15368)) | set(range(15370, 15374)) | set(range(15380, 15385)) | set(range(15390, 15395))
    | set(range(15500, 15506)) | set(range(15510, 15516)) | set(range(15520, 15526)) | {15530, 15531, 15540, 15541}
    | set(range(15550, 15562)) | set(range(15570, 15608)) | set(range(15610, 15618)) | {15620, 15621}
    | set(range(15800, 15809)) | set(range(15810, 15815)) | set(range(15820, 15823)) | set(range(15830, 15843))
    | set(range(15850, 15856)) | set(range(15870, 15874)) | set(range(15880, 15888))
    | set(range(15890, 15896)) | set(range(15898, 15904)) | set(range(15906, 15913))
    | set(range(15920, 15938)) | set(range(19000, 19010)) | set(range(19020, 19034))
)

# 1-bit masks (and regions): black where the picture is, white elsewhere.
MASKS = (
    {10201, 10203, 10206, 10208, 10210, 10212, 10213, 10217, 10219, 10222, 11205, 12001}
    | set(range(12201, 12224, 2)) | set(range(15014, 15018)) | set(range(15030, 15038)) | {15051}
    | set(range(15121, 15174, 2)) | set(range(15180, 15191, 2)) | set(range(15200, 15240))
    | set(range(15263, 15268)) | set(range(15273, 15278)) | {15254, 15255, 15250, 15251}
    | set(range(15340, 15348)) | set(range(15360, 15368)) | set(range(15390, 15395))
    | {15503, 15504, 15505, 15513, 15514, 15515, 15523, 15524, 15525, 15531, 15541}
    | set(range(15556, 15562)) | set(range(15580, 15590)) | set(range(15599, 15608)) | {15611, 15615, 15616, 15617, 15621}
    | {15803, 15804, 15805, 15813, 15814, 15821, 15833, 15834, 15835, 15840, 15842}
    | {15853, 15854, 15855, 15871, 15873, 15885, 15887} | set(range(15920, 15937, 2))
)
CURSORS = {11000, 11001}
ICONS = set(range(14000, 14014))


def bmp(width, height, bpp, pixels, palette):
    """A BMP file: pixels[y][x] are palette indexes, top row first."""
    row_bytes = ((width * bpp + 31) // 32) * 4
    rows = []
    for y in range(height - 1, -1, -1):
        bits = 0
        nbits = 0
        out = bytearray()
        for x in range(width):
            bits = (bits << bpp) | pixels[y][x]
            nbits += bpp
            if nbits == 8:
                out.append(bits)
                bits = 0
                nbits = 0
        if nbits:
            out.append(bits << (8 - nbits))
        out.extend(b"\0" * (row_bytes - len(out)))
        rows.append(bytes(out))
    image = b"".join(rows)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 0, len(image), 2835, 2835, len(palette), 0)
    offset = 14 + len(info) + len(pal)
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    return header + info + pal + image


PALETTE16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
PALETTE2 = [(0, 0, 0), (255, 255, 255)]


def shape(width, height, ident):
    """True where the picture's shape is: a frame and one diagonal."""
    def inside(x, y):
        if x in (1, width - 2) or y in (1, height - 2):
            return 1 <= x <= width - 2 and 1 <= y <= height - 2
        return (x * height) // width == y if ident % 2 else ((width - 1 - x) * height) // width == y
    return inside


def picture(kind, width, height, bpp, ident):
    inside = shape(width, height, ident)
    if kind in ("mask", "cursor"):
        # black where the shape is, white elsewhere
        px = [[0 if inside(x, y) else 1 for x in range(width)] for y in range(height)]
        return bmp(width, height, 1, px, PALETTE2)
    colour = 1 + ident % 14  # never black (0) nor white (15)
    px = [[colour if inside(x, y) else 15 for x in range(width)] for y in range(height)]
    return bmp(width, height, 4, px, PALETTE16)


def family(ident):
    for first, last, width, height, what in RANGES:
        if first <= ident <= last:
            return width, height, what
    raise SystemExit("no size for picture %d" % ident)


def main():
    out_dir = os.path.join(HERE, "images")
    os.makedirs(out_dir, exist_ok=True)
    for old in os.listdir(out_dir):
        if old.endswith(".bmp"):
            os.remove(os.path.join(out_dir, old))
    rows = []
    for ident in IDS:
        width, height, what = family(ident)
        if ident in CURSORS:
            kind, res_kind = "cursor", "cursor"
        elif ident in ICONS:
            kind, res_kind = "bitmap", "icon"
        elif ident in MASKS:
            kind, res_kind, what = "mask", "bitmap", what + " mask"
        else:
            kind, res_kind = "bitmap", "bitmap"
        name = "%d.bmp" % ident
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(picture(kind, width, height, 4, ident))
        rows.append((ident, res_kind, name, "%dx%d %s" % (width, height, what)))
    with open(os.path.join(HERE, "images.tsv"), "w", encoding="utf-8", newline="\n") as f:
        f.write("id\tkind\tfile\twhat\n")
        for ident, kind, name, what in rows:
            f.write("%d\t%s\t%s\t%s\n" % (ident, kind, name, what))
    return 0


if __name__ == "__main__":
    sys.exit(main())
