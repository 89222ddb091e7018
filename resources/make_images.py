#!/usr/bin/env python3
# make_images.py: draws the resource library's pictures.
#
# Not part of the build: run it by hand after changing a drawing below. It
# writes one .bmp per picture into images/ and rewrites images.tsv, which the
# build embeds; with --sheet it also writes contact sheets (PNG) to look at.
#
# How the pictures are used decides how they are drawn:
#  - a picture blitted alone with SRCAND (page, canvas, layout pages, staple
#    shadows, binding strips, machine-view parts, insert-sheet pictures) has
#    a white background, which the AND leaves transparent;
#  - a picture blitted as a pair (mask with SRCAND, then the picture with
#    SRCINVERT) is black outside its shape, and its mask is black inside the
#    shape and white outside. The masks are computed here from the pictures
#    that use them (the union of their shapes), so the two always agree;
#  - icons are transparent where they are magenta, the key colour of the
#    platform's icon loader;
#  - the pictures of one family share one size, because the previews place
#    them at fixed offsets; the paper-view families come in a portrait and a
#    landscape size (the canvas of the sheet is 68 x 96 or 96 x 68).
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# ---- colours --------------------------------------------------------------
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
GREY = (128, 128, 128)
LGREY = (192, 192, 192)
DGREY = (64, 64, 64)
PAPER = (255, 255, 255)
BLUE = (0, 0, 192)
LBLUE = (160, 200, 255)
RED = (208, 0, 0)
GREEN = (0, 144, 0)
YELLOW = (255, 224, 0)
ORANGE = (255, 140, 0)
TEAL = (0, 128, 128)
PURPLE = (128, 0, 128)
BROWN = (140, 90, 40)
STEEL = (112, 128, 144)


class Canvas:
    """A picture being drawn: None is 'nothing here' (transparent)."""

    def __init__(self, w, h, fill=None):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def fill(self, x0, y0, x1, y1, c):
        """Fills the rectangle [x0, x1] x [y0, y1] (inclusive)."""
        for y in range(max(0, y0), min(self.h, y1 + 1)):
            for x in range(max(0, x0), min(self.w, x1 + 1)):
                self.px[y][x] = c

    def frame(self, x0, y0, x1, y1, c):
        self.line(x0, y0, x1, y0, c)
        self.line(x0, y1, x1, y1, c)
        self.line(x0, y0, x0, y1, c)
        self.line(x1, y0, x1, y1, c)

    def box(self, x0, y0, x1, y1, inside, edge=BLACK):
        self.fill(x0, y0, x1, y1, inside)
        self.frame(x0, y0, x1, y1, edge)

    def line(self, x0, y0, x1, y1, c, width=1):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            for k in range(width):
                if dx >= -dy:
                    self.put(x0, y0 + k, c)
                else:
                    self.put(x0 + k, y0, c)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def disc(self, cx, cy, r, c, edge=None):
        for y in range(int(cy - r) - 1, int(cy + r) + 2):
            for x in range(int(cx - r) - 1, int(cx + r) + 2):
                d = (x - cx) ** 2 + (y - cy) ** 2
                if d <= r * r:
                    self.put(x, y, edge if edge is not None and d > (r - 1) ** 2 else c)

    def poly(self, pts, c, edge=None):
        ys = [p[1] for p in pts]
        for y in range(max(0, min(ys)), min(self.h, max(ys) + 1)):
            xs = []
            n = len(pts)
            for i in range(n):
                (xa, ya), (xb, yb) = pts[i], pts[(i + 1) % n]
                if ya == yb:
                    continue
                if min(ya, yb) <= y + 0.5 < max(ya, yb):
                    xs.append(xa + (y + 0.5 - ya) * (xb - xa) / (yb - ya))
            xs.sort()
            for i in range(0, len(xs) - 1, 2):
                for x in range(int(round(xs[i])), int(round(xs[i + 1])) + 1):
                    self.put(x, y, c)
        if edge is not None:
            for i in range(len(pts)):
                (xa, ya), (xb, yb) = pts[i], pts[(i + 1) % len(pts)]
                self.line(xa, ya, xb, yb, edge)

    def arrow(self, x0, y0, x1, y1, c, head=3):
        self.line(x0, y0, x1, y1, c)
        if x0 == x1:
            s = 1 if y1 > y0 else -1
            self.poly([(x1 - head, y1 - s * head), (x1 + head, y1 - s * head), (x1, y1)], c)
        elif y0 == y1:
            s = 1 if x1 > x0 else -1
            self.poly([(x1 - s * head, y1 - head), (x1 - s * head, y1 + head), (x1, y1)], c)
        else:
            self.disc(x1, y1, head - 1, c)

    def text(self, x, y, s, c, scale=1):
        for ch in s:
            glyph = FONT.get(ch.upper())
            if glyph:
                for gy, row in enumerate(glyph):
                    for gx, bit in enumerate(row):
                        if bit == "#":
                            self.fill(x + gx * scale, y + gy * scale, x + gx * scale + scale - 1,
                                      y + gy * scale + scale - 1, c)
            x += 4 * scale


# A 3 x 5 font for the few letters and digits the pictures carry.
FONT = {
    "0": ["###", "#.#", "#.#", "#.#", "###"], "1": [".#.", "##.", ".#.", ".#.", "###"],
    "2": ["###", "..#", "###", "#..", "###"], "3": ["###", "..#", ".##", "..#", "###"],
    "4": ["#.#", "#.#", "###", "..#", "..#"], "5": ["###", "#..", "###", "..#", "###"],
    "6": ["###", "#..", "###", "#.#", "###"], "7": ["###", "..#", "..#", ".#.", ".#."],
    "8": ["###", "#.#", "###", "#.#", "###"], "9": ["###", "#.#", "###", "..#", "###"],
    "A": [".#.", "#.#", "###", "#.#", "#.#"], "B": ["##.", "#.#", "##.", "#.#", "##."],
    "C": [".##", "#..", "#..", "#..", ".##"], "D": ["##.", "#.#", "#.#", "#.#", "##."],
    "E": ["###", "#..", "##.", "#..", "###"], "F": ["###", "#..", "##.", "#..", "#.."],
    "H": ["#.#", "#.#", "###", "#.#", "#.#"], "I": ["###", ".#.", ".#.", ".#.", "###"],
    "K": ["#.#", "#.#", "##.", "#.#", "#.#"], "L": ["#..", "#..", "#..", "#..", "###"],
    "M": ["#.#", "###", "###", "#.#", "#.#"], "N": ["##.", "#.#", "#.#", "#.#", "#.#"],
    "O": [".#.", "#.#", "#.#", "#.#", ".#."], "P": ["##.", "#.#", "##.", "#..", "#.."],
    "Q": [".#.", "#.#", "#.#", "##.", ".##"], "R": ["##.", "#.#", "##.", "#.#", "#.#"],
    "S": [".##", "#..", ".#.", "..#", "##."], "T": ["###", ".#.", ".#.", ".#.", ".#."],
    "U": ["#.#", "#.#", "#.#", "#.#", "###"], "V": ["#.#", "#.#", "#.#", "#.#", ".#."],
    "W": ["#.#", "#.#", "###", "###", "#.#"], "X": ["#.#", "#.#", ".#.", "#.#", "#.#"],
    "Z": ["###", "..#", ".#.", "#..", "###"], "+": ["...", ".#.", "###", ".#.", "..."],
    "-": ["...", "...", "###", "...", "..."], "/": ["..#", "..#", ".#.", "#..", "#.."],
    "%": ["#.#", "..#", ".#.", "#..", "#.#"], "X": ["#.#", "#.#", ".#.", "#.#", "#.#"],
}

# ---- shared motifs --------------------------------------------------------


def sheet(cv, x0, y0, x1, y1, fill=PAPER, edge=BLACK, fold=3, lines=True):
    """A sheet of paper with a folded top-right corner and a few text lines."""
    cv.fill(x0, y0, x1, y1, fill)
    cv.line(x0, y0, x1 - fold, y0, edge)
    cv.line(x1 - fold, y0, x1, y0 + fold, edge)
    cv.line(x1, y0 + fold, x1, y1, edge)
    cv.line(x0, y1, x1, y1, edge)
    cv.line(x0, y0, x0, y1, edge)
    for x in range(x1 - fold + 1, x1 + 1):
        for y in range(y0, y0 + (x - (x1 - fold))):
            cv.put(x, y, None)
    if fold:
        cv.line(x1 - fold, y0, x1 - fold, y0 + fold, edge)
        cv.line(x1 - fold, y0 + fold, x1, y0 + fold, edge)
    if lines and y1 - y0 > 8 and x1 - x0 > 6:
        for y in range(y0 + 3, y1 - 2, 3):
            cv.line(x0 + 2, y, x1 - 2 - (fold if y < y0 + fold + 2 else 0), y, GREY)


def staple(cv, x, y, horizontal=True, c=DGREY):
    if horizontal:
        cv.fill(x, y, x + 5, y + 1, c)
    else:
        cv.fill(x, y, x + 1, y + 5, c)


def hole(cv, cx, cy, r=2):
    cv.disc(cx, cy, r, WHITE, edge=BLACK)


def printer(cv, x0, y0, x1, y1, c=LGREY):
    cv.box(x0, y0 + (y1 - y0) // 3, x1, y1, c)
    cv.box(x0 + 3, y0, x1 - 3, y0 + (y1 - y0) // 3, PAPER)
    cv.fill(x0 + 2, y1 - 3, x1 - 2, y1 - 2, DGREY)


def lock(cv, x, y, c=YELLOW):
    cv.frame(x + 2, y, x + 6, y + 4, BLACK)
    cv.box(x, y + 4, x + 8, y + 10, c)
    cv.put(x + 4, y + 7, BLACK)


def clock(cv, cx, cy, r):
    cv.disc(cx, cy, r, PAPER, edge=BLACK)
    cv.line(cx, cy, cx, cy - r + 2, BLACK)
    cv.line(cx, cy, cx + r - 3, cy, BLACK)


def disk(cv, x, y, s, c=BLUE):
    cv.box(x, y, x + s, y + s, c)
    cv.fill(x + 3, y + 1, x + s - 3, y + s // 3, PAPER)
    cv.fill(x + 2, y + s - s // 3, x + s - 2, y + s - 1, LGREY)


def box_icon(cv, x, y, w, h, c=BROWN):
    cv.box(x, y + 3, x + w, y + h, c)
    cv.poly([(x, y + 3), (x + 3, y), (x + w + 3, y), (x + w, y + 3)], (190, 140, 80), BLACK)


def cells(cv, x0, y0, x1, y1, cols, rows, numbers=False):
    w = (x1 - x0) / cols
    h = (y1 - y0) / rows
    n = 1
    for r in range(rows):
        for c in range(cols):
            a, b = int(x0 + c * w), int(y0 + r * h)
            e, f = int(x0 + (c + 1) * w), int(y0 + (r + 1) * h)
            cv.frame(a, b, e, f, GREY)
            if numbers and e - a > 5 and f - b > 6:
                cv.text((a + e) // 2 - 1, (b + f) // 2 - 2, str(n % 10), BLUE)
            n += 1


# N-up kinds by lpLayout code: (columns, rows) on a portrait sheet.
NUP = {8: (1, 2), 10: (2, 2), 5: (2, 3), 6: (3, 3), 7: (4, 4)}

# ---- the families ----------------------------------------------------------
# Each entry: id -> (width, height, draw function, how it is blitted)
#   "and"  : drawn on white, blitted with SRCAND (or SRCCOPY)
#   "pair" : a picture of a masked pair (black outside its shape)
#   "mask" : a mask, computed from the pictures listed in MASK_OF
#   "icon" / "cursor": resource kinds of their own
PICTURES = {}
MASK_OF = {}  # mask id -> list of picture ids (or "full" for a solid mask)


def add(ident, w, h, how, draw, what):
    PICTURES[ident] = (w, h, how, draw, what)


def pair(img, msk, w, h, draw, what):
    add(img, w, h, "pair", draw, what)
    MASK_OF.setdefault(msk, {"size": (w, h), "of": [], "what": what + " mask"})["of"].append(img)


def solid_mask(msk, w, h, what):
    MASK_OF[msk] = {"size": (w, h), "of": "full", "what": what}


# -- Setup page combo items (40 x 22): N-up, page order, output method --------
ITEM_W, ITEM_H = 40, 22


def draw_nup_item(cv, kind, doc_portrait):
    cols, rows = NUP[kind]
    rotate = kind in (8, 5)
    sheet_portrait = doc_portrait != rotate
    if sheet_portrait:
        x0, y0, x1, y1 = 12, 1, 27, 20
    else:
        x0, y0, x1, y1 = 8, 3, 31, 18
    if not sheet_portrait:
        cols, rows = rows, cols
    sheet(cv, x0, y0, x1, y1, fold=0, lines=False)
    cells(cv, x0 + 1, y0 + 1, x1 - 1, y1 - 1, cols, rows, numbers=kind in (8, 10))


def draw_order_item(cv, order, portrait):
    x0, y0, x1, y1 = (12, 1, 27, 20) if portrait else (8, 3, 31, 18)
    sheet(cv, x0, y0, x1, y1, fold=0, lines=False)
    cx, cy = (x0 + x1) // 2, (y0 + y1) // 2
    if order in (1, 2):
        # two pages: left to right, or right to left
        if portrait:
            cells(cv, x0 + 1, y0 + 1, x1 - 1, y1 - 1, 1, 2)
            a, b = (y0 + 4, y1 - 4) if order == 1 else (y1 - 4, y0 + 4)
            cv.arrow(cx, a, cx, b, RED, 2)
        else:
            cells(cv, x0 + 1, y0 + 1, x1 - 1, y1 - 1, 2, 1)
            a, b = (x0 + 4, x1 - 4) if order == 1 else (x1 - 4, x0 + 4)
            cv.arrow(a, cy, b, cy, RED, 2)
        return
    cells(cv, x0 + 1, y0 + 1, x1 - 1, y1 - 1, 2, 2)
    l, r, t, b = x0 + 4, x1 - 4, y0 + 4, y1 - 4
    # 3: across then down (Z), 4: across from the right, 5: down then across (N), 6: down from the right
    paths = {3: [(l, t), (r, t), (l, b), (r, b)], 4: [(r, t), (l, t), (r, b), (l, b)],
             5: [(l, t), (l, b), (r, t), (r, b)], 6: [(r, t), (r, b), (l, t), (l, b)]}
    pts = paths[order]
    for (xa, ya), (xb, yb) in zip(pts, pts[1:]):
        cv.line(xa, ya, xb, yb, RED)
    cv.disc(pts[-1][0], pts[-1][1], 1, RED)


def draw_output_method(cv, method):
    printer(cv, 2, 2, 20, 20)
    if method == 2:
        lock(cv, 24, 6)
    elif method == 3:
        box_icon(cv, 23, 8, 12, 11)
    elif method == 4:
        box_icon(cv, 23, 8, 12, 11)
        cv.text(25, 2, "+", GREEN)
    elif method == 5:
        clock(cv, 29, 12, 7)


def define_setup_items():
    kinds = [8, 10, 5, 6, 7]
    for i, kind in enumerate(kinds):
        for j, doc_portrait in enumerate((True, False)):
            add(10000 + 2 * i + j, ITEM_W, ITEM_H, "pair",
                lambda cv, k=kind, p=doc_portrait: (cv.fill(0, 0, ITEM_W - 1, ITEM_H - 1, WHITE), draw_nup_item(cv, k, p)),
                "N-up item picture")
    # 10012-10019 repeat the N-up kinds for the Finishing page's own list
    for k in range(8):
        add(10012 + k, ITEM_W, ITEM_H, "pair",
            lambda cv, k=k: (cv.fill(0, 0, ITEM_W - 1, ITEM_H - 1, WHITE), draw_nup_item(cv, kinds[k % 5], k < 5)),
            "N-up item picture")
    solid_mask(10010, ITEM_W, ITEM_H, "N-up and page order item mask")
    solid_mask(10011, ITEM_W, ITEM_H, "N-up and page order item mask")
    orders = {10020: (1, True), 10021: (2, True), 10022: (1, False), 10023: (2, False)}
    for k in range(4):
        orders[10024 + k] = (3 + k, True)
        orders[10028 + k] = (3 + k, False)
    for ident, (order, portrait) in orders.items():
        add(ident, ITEM_W, ITEM_H, "pair",
            lambda cv, o=order, p=portrait: (cv.fill(0, 0, ITEM_W - 1, ITEM_H - 1, WHITE), draw_order_item(cv, o, p)),
            "page order item picture")
    solid_mask(10032, ITEM_W, ITEM_H, "page order item mask")
    solid_mask(10033, ITEM_W, ITEM_H, "page order item mask")
    for m in range(5):
        pair(10240 + m, 10245 + m, 36, 22, lambda cv, m=m: draw_output_method(cv, m + 1), "output method item picture")
    # Finishing page binding-order items: a two-sided sheet, portrait or landscape
    for k in range(4):
        portrait = k in (0, 2)
        add(10660 + k, ITEM_W, ITEM_H, "pair",
            lambda cv, p=portrait, k=k: (cv.fill(0, 0, ITEM_W - 1, ITEM_H - 1, WHITE), draw_binding_item(cv, p, k >= 2)),
            "binding order item picture")


def draw_binding_item(cv, portrait, right):
    x0, y0, x1, y1 = (12, 1, 27, 20) if portrait else (8, 3, 31, 18)
    sheet(cv, x0 + 2, y0 + 1, x1, y1, fill=LGREY, fold=0, lines=False)
    sheet(cv, x0, y0, x1 - 2, y1 - 1, fold=0)
    edge = x1 - 3 if right else x0 + 1
    cv.fill(edge, y0 + 1, edge + 1, y1 - 2, BLUE)


# -- Setup page illustrations (48 x 48) --------------------------------------
def doc_with_letter(cv, x0, y0, x1, y1, letter="A"):
    sheet(cv, x0, y0, x1, y1, lines=False)
    cv.text((x0 + x1) // 2 - 5, (y0 + y1) // 2 - 7, letter, BLACK, scale=3)


def stack(cv, x, y, w, h, labels, dx=3, dy=3):
    for i, lab in enumerate(labels):
        a, b = x + i * dx, y + i * dy
        sheet(cv, a, b, a + w, b + h, lines=False, fold=0)
        cv.text(a + w // 2 - 1, b + h // 2 - 2, lab, BLUE)


def define_setup_illustrations():
    pair(10200, 10201, 48, 48, lambda cv: doc_with_letter(cv, 10, 2, 37, 45), "portrait orientation illustration")
    pair(10202, 10203, 48, 48, lambda cv: doc_with_letter(cv, 2, 10, 45, 37), "landscape orientation illustration")
    pair(10204, 10206, 48, 48, lambda cv: (stack(cv, 2, 2, 16, 22, "123"), stack(cv, 24, 20, 16, 22, "123")),
         "sort on illustration")
    pair(10205, 10206, 48, 48, lambda cv: (stack(cv, 2, 2, 16, 22, "111"), stack(cv, 24, 20, 16, 22, "222")),
         "sort off illustration")

    def group(cv, shifted, bands):
        for i in range(3):
            a = 4 + i * 13
            sheet(cv, a, 14 + (4 if shifted and i % 2 else 0), a + 12, 44 - (0 if shifted and i % 2 else 4),
                  lines=False, fold=0)
            cv.text(a + 5, 24, str(i + 1), BLUE)
            if bands:
                cv.fill(a + 1, 15, a + 11, 17, ORANGE)
    pair(10207, 10208, 48, 48, lambda cv: group(cv, True, False), "group on illustration")
    pair(10209, 10210, 48, 48, lambda cv: group(cv, False, False), "group off illustration")
    pair(10211, 10212, 48, 48, lambda cv: group(cv, False, True), "group on (with separators) illustration")

    def blank(cv, skip):
        sheet(cv, 4, 6, 20, 42)
        sheet(cv, 26, 6, 42, 42, lines=False)
        if skip:
            cv.line(24, 4, 44, 44, RED, 2)
            cv.line(44, 4, 24, 44, RED, 2)
    pair(10220, 10222, 48, 48, lambda cv: blank(cv, True), "blank-page suppression on illustration")
    pair(10221, 10222, 48, 48, lambda cv: blank(cv, False), "blank-page suppression off illustration")
    # ids the pages keep for later use; drawn as a plain sheet so they are not empty
    for ident in (10213, 10214, 10215, 10216, 10217, 10218, 10219):
        if ident not in PICTURES and ident not in MASK_OF:
            add(ident, 48, 48, "and", lambda cv: sheet(cv, 10, 2, 37, 45), "setup page illustration")


# -- cursors, sample, logo, menu pictures, list icons ------------------------
def define_misc():
    def move_cursor(cv):
        cv.arrow(16, 16, 16, 2, BLACK, 3)
        cv.arrow(16, 16, 16, 30, BLACK, 3)
        cv.arrow(16, 16, 2, 16, BLACK, 3)
        cv.arrow(16, 16, 30, 16, BLACK, 3)

    def rotate_cursor(cv):
        for a in range(0, 270, 3):
            import math
            x = 16 + 11 * math.cos(math.radians(a))
            y = 16 - 11 * math.sin(math.radians(a))
            cv.put(int(round(x)), int(round(y)), BLACK)
            cv.put(int(round(x)) + 1, int(round(y)), BLACK)
        cv.poly([(12, 22), (20, 27), (12, 32)], BLACK)
    add(11000, 32, 32, "cursor", move_cursor, "watermark editor move cursor")
    add(11001, 32, 32, "cursor", rotate_cursor, "watermark editor rotate cursor")

    def sample(cv, variant):
        # a scene in greys and colours: sky, sun, hills, a house and a text block
        for y in range(72):
            for x in range(96):
                t = y / 71.0
                cv.px[y][x] = (int(120 + 120 * t), int(170 + 70 * t), 255)
        cv.disc(18, 16, 9, YELLOW)
        for x in range(96):
            import math
            top = int(44 + 8 * math.sin(x / 11.0))
            for y in range(top, 72):
                g = 90 + (y - top) * 2
                cv.px[y][x] = (40, min(255, g + 60), 40) if variant != 3 else (g, g, g)
        cv.box(30, 34, 52, 56, (200, 120, 80))
        cv.poly([(28, 34), (41, 22), (54, 34)], (150, 30, 30), BLACK)
        cv.box(38, 44, 44, 56, (90, 50, 20))
        # the text block on the right is the region the sample treats as text
        cv.fill(62, 8, 92, 40, WHITE)
        for y in range(11, 38, 5):
            cv.fill(65, y, 89 - (y % 7), y + 1, BLACK)
        if variant == 4:
            for y in range(0, 72, 8):
                cv.line(0, y, 95, y, DGREY)
    add(11202, 96, 72, "and", lambda cv: sample(cv, 2), "image-quality sample")
    add(11203, 96, 72, "and", lambda cv: sample(cv, 3), "image-quality sample (drawing mode)")
    add(11204, 96, 72, "and", lambda cv: sample(cv, 4), "image-quality sample (drawing mode)")
    solid_mask(11205, 96, 72, "image-quality sample text region")  # replaced below
    MASK_OF[11205] = {"size": (96, 72), "of": "region", "what": "image-quality sample text region"}

    def logo(cv):
        cv.disc(15, 15, 14, BLUE)
        cv.text(5, 9, "Q", WHITE, 2)
        cv.text(15, 11, "7", YELLOW, 2)
    pair(12000, 12001, 32, 32, logo, "version page logo")

    menu = ["save", "recall", "organize", "summary", "quick 1", "quick 2", "quick 3", "quick 4", "quick 5",
            "defaults", "delete", "import"]
    for k, name in enumerate(menu):
        def draw(cv, k=k):
            if k == 0:
                disk(cv, 1, 1, 13)
            elif k == 1:
                cv.poly([(1, 4), (6, 4), (7, 6), (14, 6), (14, 14), (1, 14)], YELLOW, BLACK)
            elif k == 2:
                for i in range(3):
                    cv.box(1 + i * 2, 1 + i * 4, 13, 4 + i * 4, LBLUE)
            elif k == 3:
                sheet(cv, 2, 1, 13, 14)
            elif k == 9:
                cv.arrow(13, 8, 3, 8, GREEN, 3)
            elif k == 10:
                cv.line(2, 2, 13, 13, RED, 2)
                cv.line(13, 2, 2, 13, RED, 2)
            elif k == 11:
                cv.arrow(8, 1, 8, 13, BLUE, 3)
            else:
                cv.box(1, 1, 14, 14, LBLUE)
                cv.text(6, 5, str(k - 3), BLACK)
        pair(12200 + 2 * k, 12201 + 2 * k, 16, 16, draw, "Save/Recall menu picture: " + name)

    # insert-sheet list icons (16 x 16), in the order of the list's icon
    # table: the sheet of a plain insert, of an index-paper insert and of a
    # blank insert, each alone, with an empty tab and with a lettered tab;
    # a printed simplex sheet (also the document row), printed duplex
    # sheets, a printed sheet with an empty and with a lettered tab; a
    # chapter start.
    icons = [("plain sheet", "plain", None), ("index-paper sheet", "index", None), ("blank sheet", "blank", None),
             ("plain sheet with a tab", "plain", "tab"), ("index-paper sheet with a tab", "index", "tab"),
             ("blank sheet with a tab", "blank", "tab"), ("plain sheet with a lettered tab", "plain", "text"),
             ("index-paper sheet with a lettered tab", "index", "text"),
             ("blank sheet with a lettered tab", "blank", "text"), ("printed simplex sheet", "simplex", None),
             ("printed duplex sheets", "duplex", None), ("printed sheet with a tab", "simplex", "tab"),
             ("printed sheet with a lettered tab", "simplex", "text"), ("chapter start", "chapter", None)]
    for k, (name, kind, tab) in enumerate(icons):
        def draw(cv, kind=kind, tab=tab):
            right = 11 if tab else 13
            if kind == "duplex":
                sheet(cv, 5, 3, 14, 15, fill=PAPER, fold=2, lines=True)
                sheet(cv, 1, 0, 10, 12, fill=PAPER, fold=2, lines=True)
                return
            fill = {"index": YELLOW, "chapter": PAPER}.get(kind, PAPER)
            sheet(cv, 2, 1, right, 14, fill=fill, fold=2, lines=kind in ("simplex", "chapter"))
            if kind == "plain":
                cv.fill(4, 6, right - 2, 9, LBLUE)
            if kind == "index":
                cv.line(4, 7, right - 2, 7, BROWN)
            if kind == "chapter":
                cv.fill(5, 0, 7, 6, RED)
                cv.put(6, 6, None)
            if tab:
                cv.box(right, 3, 15, 9, ORANGE)
                if tab == "text":
                    cv.line(right + 1, 5, 14, 5, BLACK)
                    cv.line(right + 1, 7, 14, 7, BLACK)
        add(14000 + k, 16, 16, "icon", draw, "insert-sheet list icon: " + name)


# -- paper view ---------------------------------------------------------------
CANVAS = {0: (68, 96), 1: (96, 68)}  # by orientation bit: portrait, landscape


def define_paper_view():
    # page bitmaps: the canvas plus a drop shadow
    def page(cv, o):
        w, h = CANVAS[o]
        cv.fill(3, 3, w + 2, h + 2, GREY)
        cv.fill(0, 0, w - 1, h - 1, WHITE)
        cv.frame(0, 0, w - 1, h - 1, BLACK)
    for o in (0, 1):
        w, h = CANVAS[o]
        add(15000 + o, w + 3, h + 3, "and", lambda cv, o=o: page(cv, o), "paper view sheet")
        add(15070 + o, w, h, "and", lambda cv, o=o: canvas(cv, o), "paper view canvas")

    def canvas(cv, o):
        w, h = CANVAS[o]
        cv.fill(0, 0, w - 1, h - 1, WHITE)
        cv.frame(0, 0, w - 1, h - 1, BLACK)

    # booklet sheets: an opened booklet (two pages with a fold), by edge
    def booklet_page(cv, o, kind):
        w, h = CANVAS[o]
        page(cv, o)
        if o == 1:
            cv.line(w // 2, 0, w // 2, h - 1, BLUE)
            cv.line(w // 2 + 1, 0, w // 2 + 1, h - 1, LBLUE)
        else:
            cv.line(0, h // 2, w - 1, h // 2, BLUE)
            cv.line(0, h // 2 + 1, w - 1, h // 2 + 1, LBLUE)
        if kind == 2:
            for y in range(2, h - 2, 6):
                if o == 1:
                    cv.put(w // 2 - 2, y, GREY)
                else:
                    cv.put(y if y < w else w - 3, h // 2 - 2, GREY)

    def booklet_canvas(cv, o):
        canvas(cv, o)
        w, h = CANVAS[o]
        if o == 1:
            cv.line(w // 2, 1, w // 2, h - 2, BLUE)
        else:
            cv.line(1, h // 2, w - 2, h // 2, BLUE)
    # edge 0 / 1 portrait-shaped (fold across), edge 2 landscape-shaped (fold down the middle)
    for kind, ids in ((1, (15003, 15002, 15004)), (2, (15006, 15005, 15007))):
        for edge, ident in enumerate(ids):
            o = 1 if edge == 2 else 0
            w, h = CANVAS[o]
            add(ident, w + 3, h + 3, "and", lambda cv, o=o, k=kind: booklet_page(cv, o, k),
                "paper view booklet sheet")
    for kind, ids in ((1, (15072, 15073, 15074)), (2, (15075, 15076, 15077))):
        for edge, ident in enumerate(ids):
            o = 1 if edge == 2 else 0
            w, h = CANVAS[o]
            add(ident, w, h, "and", lambda cv, o=o: booklet_canvas(cv, o), "paper view booklet canvas")

    # zoom arrows (16 x 16) drawn at the sheet's top-left: enlarge points out, reduce points in
    for o in (0, 1):
        for k, enlarge in ((0, True), (2, False)):
            def draw(cv, enlarge=enlarge):
                cv.fill(0, 0, 15, 15, None)
                cv.frame(1, 1, 14, 14, BLUE)
                if enlarge:
                    cv.arrow(4, 11, 12, 3, RED, 3)
                    cv.fill(9, 2, 13, 3, RED)
                    cv.fill(12, 2, 13, 6, RED)
                else:
                    cv.line(12, 3, 4, 11, RED)
                    cv.fill(3, 8, 4, 12, RED)
                    cv.fill(3, 11, 7, 12, RED)
            pair(15010 + k + o, 15014 + k + o, 16, 16, draw, "paper view zoom arrow")

    # staple marks and shadows, by position: 1 top-left, 2 top-right, 3 left (two),
    # 4 right (two), 5 top (two); o: the landscape sizes
    def staple_size(pos, o):
        w, h = CANVAS[o]
        if pos in (1, 2):
            return 12, 12
        if pos in (3, 4):
            return 10, h
        return w, 10

    def staples(cv, pos, o, shadow):
        w, h = cv.w, cv.h
        c = LGREY if shadow else DGREY
        if pos == 1:
            cv.line(2, 7, 7, 2, c, 2)
        elif pos == 2:
            cv.line(w - 8, 2, w - 3, 7, c, 2)
        elif pos in (3, 4):
            x = 4 if pos == 3 else w - 6
            for y in (h // 4, 3 * h // 4 - 6):
                cv.fill(x, y, x + 1, y + 6, c)
        else:
            for x in (w // 4, 3 * w // 4 - 6):
                cv.fill(x, 4, x + 6, 5, c)
        if shadow:
            # the sheet under the staples is greyed a little
            for y in range(h):
                for x in range(w):
                    if cv.px[y][x] is None and (x + y) % 4 == 0:
                        cv.px[y][x] = (230, 230, 230)

    table = {1: (15020, 15030, 15040, 15020, 15030, 15040), 2: (15021, 15031, 15041, 15021, 15031, 15041),
             3: (15022, 15032, 15042, 15025, 15035, 15045), 4: (15023, 15033, 15043, 15026, 15036, 15046),
             5: (15024, 15034, 15044, 15027, 15037, 15047)}
    for pos, ids in table.items():
        for o in (0, 1):
            img, msk, shd = ids[3 * o:3 * o + 3]
            if img in PICTURES:
                continue
            w, h = staple_size(pos, o)
            pair(img, msk, w, h, lambda cv, p=pos, o=o: staples(cv, p, o, False), "paper view staple mark")
            add(shd, w, h, "and", lambda cv, p=pos, o=o: staples(cv, p, o, True), "paper view staple shadow")

    pair(15050, 15051, 8, 8, lambda cv: hole(cv, 3.5, 3.5, 3.5), "paper view punch hole")

    # binding strips: a blue band along the bound edge
    for o in (0, 1):
        w, h = CANVAS[o]
        for edge in range(4):
            ident = 15060 + 2 * edge + o
            sw, sh = (8, h) if edge < 2 else (w, 8)

            def draw(cv, sw=sw, sh=sh):
                cv.fill(0, 0, sw - 1, sh - 1, WHITE)
                for y in range(sh):
                    for x in range(sw):
                        if (x + y) % 3 == 0:
                            cv.put(x, y, LBLUE)
            add(ident, sw, sh, "and", draw, "paper view binding strip")

    # layout pages: the document pages printed on the sheet
    def page_size(layout, o):
        two = layout >= 8
        if o:
            return (36, 52) if two else (78, 52)
        return (52, 36) if two else (52, 78)

    def layout_page(cv, layout, o):
        w, h = cv.w, cv.h
        cv.fill(0, 0, w - 1, h - 1, WHITE)
        base = layout & 7
        kinds = {0: None, 1: 8, 2: 10, 3: 5, 4: 6, 5: 7}
        kind = kinds.get(base)
        if kind is None:
            # one document page: text lines and a picture
            cv.frame(0, 0, w - 1, h - 1, GREY)
            for y in range(4, h - 4, 4):
                cv.line(4, y, w - 5 - (y * 7 % 9), y, DGREY)
            cv.box(w // 2, h // 2, w - 6, h - 8, LBLUE, GREY)
            return
        cols, rows = NUP[kind]
        if w > h:
            cols, rows = rows, cols
        cw, ch = (w - 1) / cols, (h - 1) / rows
        for r in range(rows):
            for c in range(cols):
                a, b = int(c * cw), int(r * ch)
                e, f = int((c + 1) * cw), int((r + 1) * ch)
                for y in range(b + 3, f - 2, 3):
                    cv.line(a + 2, y, e - 2 - ((y + c) * 5 % 4), y, GREY)
                cv.frame(a, b, e, f, (200, 200, 200))
    for layout in list(range(0, 6)) + list(range(8, 14)):
        for o in (0, 1):
            ident = (15080 if layout < 8 else 15076) + 2 * layout + o
            w, h = page_size(layout, o)
            add(ident, w, h, "and", lambda cv, l=layout, o=o: layout_page(cv, l, o), "paper view layout page")

    # pages moved by the binding margin (margin shift mode)
    for ident, (w, h) in {15110: (48, 72), 15111: (72, 48), 15112: (36, 48), 15113: (48, 36)}.items():
        add(ident, w, h, "and", lambda cv: (cv.fill(0, 0, cv.w - 1, cv.h - 1, WHITE), cv.frame(0, 0, cv.w - 1, cv.h - 1, GREY),
                                            [cv.line(3, y, cv.w - 4, y, DGREY) for y in range(4, cv.h - 3, 4)]),
            "paper view shifted page")

    # order numbers: arrows that show how the pages run
    def order_mark(cv, order, o, two):
        w, h = cv.w, cv.h
        l, r, t, b = 1, w - 2, 1, h - 2
        if order in (1, 2):
            # 2-up: along the long side of the sheet
            if o:
                a, bb = (l, r) if order == 1 else (r, l)
                cv.arrow(a, h // 2, bb, h // 2, RED, 3)
            else:
                a, bb = (t, b) if order == 1 else (b, t)
                cv.arrow(w // 2, a, w // 2, bb, RED, 3)
            return
        paths = {3: [(l, t), (r, t), (l, b), (r, b)], 4: [(r, t), (l, t), (r, b), (l, b)],
                 5: [(l, t), (l, b), (r, t), (r, b)], 6: [(r, t), (r, b), (l, t), (l, b)]}
        pts = paths[order]
        for (xa, ya), (xb, yb) in zip(pts, pts[1:]):
            cv.line(xa, ya, xb, yb, RED)
        cv.disc(pts[-1][0], pts[-1][1], 1.5, RED)

    order_ids = {
        (1, True): [(15170, 15171), (15172, 15173), (15158, 15159), (15160, 15161), (15162, 15163), (15164, 15165)],
        (1, False): [(15140, 15141), (15142, 15143), (15128, 15129), (15130, 15131), (15132, 15133), (15134, 15135)],
        (0, True): [(15166, 15167), (15168, 15169), (15150, 15151), (15152, 15153), (15154, 15155), (15156, 15157)],
        (0, False): [(15136, 15137), (15138, 15139), (15120, 15121), (15122, 15123), (15124, 15125), (15126, 15127)],
    }
    for (o, two), ids in order_ids.items():
        for k, (img, msk) in enumerate(ids):
            order = k + 1
            if two:
                size = (24, 30) if o else (30, 24)
            else:
                size = (52, 24) if o else (24, 52)
            if order >= 3:
                size = (24, 30) if two else (44, 30) if o else (30, 44)
            pair(img, msk, size[0], size[1], lambda cv, od=order, o=o, t=two: order_mark(cv, od, o, t),
                 "paper view page order mark")

    # 15144-15149: order marks kept for the spare order codes
    for k in range(3):
        pair(15145 + 2 * k if k < 2 else 15149, 15144 + 2 * k if k < 2 else 15148, 30, 44,
             lambda cv, k=k: order_mark(cv, 3 + k, 0, False), "paper view page order mark")

    # duplex marks: a turning sheet, drawn in a 22 x 22 box; mask id even, picture id odd
    def duplex(cv, vertical):
        sheet(cv, 2, 2, 15, 19, fill=PAPER, lines=False, fold=0)
        sheet(cv, 6, 4, 19, 21, fill=LGREY, lines=False, fold=0)
        if vertical:
            cv.arrow(10, 8, 10, 16, BLUE, 2)
        else:
            cv.arrow(8, 12, 16, 12, BLUE, 2)
    for msk in range(15180, 15191, 2):
        pair(msk + 1, msk, 22, 22, lambda cv, v=msk in (15180, 15186, 15190): duplex(cv, v), "paper view two-sided mark")

    # border lines: the masks hold the lines between and around the N-up cells
    def border_mask_of(o, layout, border):
        w, h = CANVAS[o]
        two = layout >= 8
        if two:
            w, h = page_size(layout, o)
            w, h = w + 2, h + 2
        return w, h

    for o in (0, 1):
        for layout in (1, 2, 3, 4, 5, 9, 10, 11, 12, 13):
            for border in (1, 2):
                base = (15205 if o else 15200) if layout < 8 else (15215 if o else 15210)
                msk = base + (layout & 7) - 1 + (20 if border == 2 else 0)
                w, h = border_mask_of(o, layout, border)
                MASK_OF[msk] = {"size": (w, h), "of": ("border", o, layout, border), "what": "paper view border lines mask"}
    for ident, (w, h) in {15240: CANVAS[0], 15241: CANVAS[1], 15242: (54, 38), 15243: (38, 54)}.items():
        add(ident, w, h, "pair", lambda cv: cv.fill(0, 0, cv.w - 1, cv.h - 1, None), "paper view border lines (black)")

    # margin shift arrows: the direction the image moves
    def shift_arrow(cv, vertical):
        if vertical:
            cv.arrow(cv.w // 2, 1, cv.w // 2, cv.h - 2, GREEN, 3)
        else:
            cv.arrow(1, cv.h // 2, cv.w - 2, cv.h // 2, GREEN, 3)
    for msk, img, vertical in ((15250, 15252, False), (15251, 15253, True), (15254, 15256, False),
                               (15255, 15257, True), (15258, 15263, False), (15259, 15264, True),
                               (15260, 15265, True), (15261, 15266, True), (15262, 15267, True),
                               (15268, 15273, False), (15269, 15274, False), (15270, 15275, False),
                               (15271, 15276, False), (15272, 15277, True)):
        pair(img, msk, 14, 14, lambda cv, v=vertical: shift_arrow(cv, v), "paper view margin shift arrow")

    # one-page-per-sheet mark
    for img, msk in ((15870, 15871), (15872, 15873)):
        pair(img, msk, 14, 14, lambda cv: (cv.box(1, 1, 12, 12, YELLOW), cv.text(5, 4, "1", BLACK)),
             "one page per sheet mark")


def border_mask(o, layout, border):
    w, h = CANVAS[o]
    if layout >= 8:
        w, h = ((36, 52) if o else (52, 36))
        w, h = w + 2, h + 2
    cv = Canvas(w, h)
    kinds = {1: 8, 2: 10, 3: 5, 4: 6, 5: 7}
    cols, rows = NUP[kinds[layout & 7]]
    if w > h:
        cols, rows = rows, cols
    x0, y0 = (8, 8) if layout < 8 else (1, 1)
    x1, y1 = (w - 9, h - 9) if layout < 8 else (w - 2, h - 2)
    cw, ch = (x1 - x0) / cols, (y1 - y0) / rows
    for r in range(rows):
        for c in range(cols):
            a, b = int(x0 + c * cw), int(y0 + r * ch)
            e, f = int(x0 + (c + 1) * cw), int(y0 + (r + 1) * ch)
            cv.frame(a + 1, b + 1, e - 1, f - 1, BLACK)
            if border == 2:
                cv.frame(a + 3, b + 3, e - 3, f - 3, BLACK)
    return cv


# -- setting icons of the small pane (30 x 38) --------------------------------
ICON_W, ICON_H = 30, 38


def define_icons():
    def wm(cv, code):
        sheet(cv, 4, 2, 25, 35)
        if code:
            c = BLUE if code == 1 else PURPLE
            for k in range(10):
                cv.put(7 + 2 * k, 30 - 2 * k, c)
                cv.put(8 + 2 * k, 30 - 2 * k, c)
            if code == 2:
                cv.text(12, 14, "W", c)
    for k in range(3):
        pair(15500 + k, 15503 + k, ICON_W, ICON_H, lambda cv, k=k: wm(cv, k), "setting icon: watermark")

    def form(cv, code):
        if code in (2, 3, 4):
            sheet(cv, 8, 6, 28, 36, fill=LBLUE, lines=False)
            cv.frame(11, 10, 25, 16, BLUE)
        sheet(cv, 2, 1, 22, 31, lines=code != 2)
        if code == 2:
            cv.arrow(12, 14, 24, 28, RED, 3)
        if code == 4:
            cv.text(6, 22, "2", RED)
    for code, (img, msk) in {1: (15510, 15513), 2: (15511, 15514), 3: (15512, 15515), 4: (15839, 15840)}.items():
        pair(img, msk, ICON_W, ICON_H, lambda cv, c=code: form(cv, c), "setting icon: form")

    # cover layers, drawn on top of each other: 0 plain document, 1 post-inserter front,
    # 2/3 front cover blank/printed, 4..6 inserts, 7/8 back cover blank/printed,
    # 9 post-inserter back, 10..12 insert variants
    def cover(cv, code):
        if code == 0:
            sheet(cv, 6, 6, 24, 34)
        elif code in (7, 8, 9):
            sheet(cv, 10, 10, 28, 36, fill=(255, 200, 200) if code != 9 else (255, 230, 160), lines=code == 8)
        elif code in (4, 5, 6, 10, 11, 12):
            c = {4: GREEN, 5: ORANGE, 6: ORANGE, 10: TEAL, 11: TEAL, 12: GREEN}[code]
            cv.fill(26, 12 + (code % 3) * 4, 29, 22 + (code % 3) * 4, c)
            cv.frame(26, 12 + (code % 3) * 4, 29, 22 + (code % 3) * 4, BLACK)
        else:
            sheet(cv, 1, 1, 19, 28, fill=(255, 200, 200) if code != 1 else (255, 230, 160), lines=code == 3)
    cover_ids = {0: (15579, 15589)}
    for c in range(1, 10):
        cover_ids[c] = (15570 + c - 1, 15580 + c - 1)
    cover_ids.update({10: (15612, 15615), 11: (15613, 15616), 12: (15614, 15617)})
    for code, (img, msk) in cover_ids.items():
        pair(img, msk, ICON_W, ICON_H, lambda cv, c=code: cover(cv, c), "setting icon: cover layer")

    # output mode layers: 2 job combination, 4 secure print, 5 wait mode, 6 job comb, 7 normal print,
    # 8 create form, 10 tandem
    def mode(cv, code):
        if code in (7, 0, 1, 3, 9):
            printer(cv, 2, 14, 27, 36)
        elif code == 4:
            lock(cv, 18, 2)
        elif code == 5:
            clock(cv, 7, 7, 6)
        elif code in (2, 6):
            box_icon(cv, 15, 2, 12, 10)
        elif code == 8:
            sheet(cv, 4, 2, 25, 35, fill=LBLUE)
            disk(cv, 14, 22, 12)
        elif code == 10:
            printer(cv, 0, 20, 13, 36)
            printer(cv, 16, 20, 29, 36)
    mode_ids = {c: (15590 + c, 15599 + c) for c in range(9)}
    mode_ids.update({9: (15610, 15611), 10: (15620, 15621)})
    for code, (img, msk) in mode_ids.items():
        pair(img, msk, ICON_W, ICON_H, lambda cv, c=code: mode(cv, c), "setting icon: output mode layer")

    def ohp(cv, code):
        sheet(cv, 2, 2, 20, 30, fill=(220, 240, 255), lines=False)
        if code >= 1:
            sheet(cv, 8, 6, 26, 34, fill=PAPER, lines=code == 2)
    for k in range(3):
        pair(15520 + k, 15523 + k, ICON_W, ICON_H, lambda cv, k=k: ohp(cv, k), "setting icon: OHP interleave")

    pair(15530, 15531, ICON_W, ICON_H,
         lambda cv: (sheet(cv, 2, 2, 24, 34), cv.arrow(8, 18, 27, 18, RED, 3)), "setting icon: image shift")
    pair(15540, 15541, ICON_W, ICON_H,
         lambda cv: (sheet(cv, 4, 4, 24, 34), cv.fill(20, 1, 23, 12, RED)), "setting icon: chapters")

    def centre(cv, code):
        # centre finishing: fold (1), saddle stitch (2), tri-fold (3..5), trimming (6)
        sheet(cv, 2, 2, 27, 34, lines=False)
        if code in (1, 2):
            cv.line(2, 18, 27, 18, BLUE)
        if code == 2:
            staple(cv, 8, 17)
            staple(cv, 17, 17)
        if code in (3, 4, 5):
            cv.line(2, 13, 27, 13, BLUE)
            cv.line(2, 24, 27, 24, BLUE)
        if code == 6:
            cv.line(24, 2, 24, 34, RED)
    for k in range(6):
        pair(15550 + k, 15556 + k, ICON_W, ICON_H, lambda cv, c=k + 1: centre(cv, c), "setting icon: centre finishing")


# -- page illustrations of the Finishing, Form and Watermark pages -------------
def define_page_illustrations():
    def state(cv, what, on):
        if what == "secure":
            printer(cv, 4, 16, 40, 44)
            if on:
                lock(cv, 32, 2)
        elif what == "pause":
            printer(cv, 4, 16, 40, 44)
            if on:
                cv.fill(30, 2, 33, 12, BLUE)
                cv.fill(37, 2, 40, 12, BLUE)
        elif what == "hdd":
            cv.box(6, 20, 42, 40, STEEL)
            cv.disc(24, 30, 7, LGREY, BLACK)
            if on:
                cv.arrow(24, 2, 24, 18, GREEN, 3)
        elif what == "shift":
            sheet(cv, 8, 4, 36, 44)
            if on:
                cv.arrow(14, 24, 44, 24, RED, 3)
        elif what == "chapter":
            sheet(cv, 8, 4, 36, 44, fill=PAPER if on != 2 else LGREY)
            if on:
                cv.fill(32, 2, 36, 16, RED)
    pair(15800, 15803, 48, 48, lambda cv: state(cv, "secure", True), "confidential print on illustration")
    pair(15806, 15803, 48, 48, lambda cv: state(cv, "secure", False), "confidential print off illustration")
    pair(15801, 15804, 48, 48, lambda cv: state(cv, "pause", True), "pause on illustration")
    pair(15807, 15804, 48, 48, lambda cv: state(cv, "pause", False), "pause off illustration")
    pair(15802, 15805, 48, 48, lambda cv: state(cv, "hdd", True), "hard-disk save on illustration")
    pair(15808, 15805, 48, 48, lambda cv: state(cv, "hdd", False), "hard-disk save off illustration")
    pair(15820, 15821, 48, 48, lambda cv: state(cv, "shift", True), "image shift on illustration")
    pair(15822, 15821, 48, 48, lambda cv: state(cv, "shift", False), "image shift off illustration")
    pair(15812, 15814, 48, 48, lambda cv: state(cv, "chapter", True), "chapters on illustration")
    pair(15811, 15813, 48, 48, lambda cv: state(cv, "chapter", False), "chapters off illustration")
    pair(15810, 15813, 48, 48, lambda cv: state(cv, "chapter", 2), "chapters unavailable illustration")

    # form modes: none, create, print over; each with its on / off picture
    def formmode(cv, mode, on):
        c = BLACK if on else GREY
        if mode == 0:
            sheet(cv, 10, 4, 38, 44, edge=c)
        elif mode == 1:
            sheet(cv, 4, 4, 30, 40, edge=c, fill=LBLUE if on else PAPER)
            disk(cv, 26, 28, 16, BLUE if on else GREY)
        else:
            sheet(cv, 14, 8, 42, 46, edge=c, fill=LBLUE if on else PAPER, lines=False)
            sheet(cv, 4, 2, 32, 40, edge=c)
    for k, (on, off, msk) in enumerate(((15830, 15836, 15833), (15831, 15837, 15834), (15832, 15838, 15835))):
        pair(on, msk, 48, 48, lambda cv, k=k: formmode(cv, k, True), "form mode illustration")
        pair(off, msk, 48, 48, lambda cv, k=k: formmode(cv, k, False), "form mode illustration (off)")
    pair(15841, 15842, 48, 48, lambda cv: (formmode(cv, 1, True), cv.text(6, 36, "2", RED, 2)),
         "form mode illustration (form printed behind)")

    def wmk(cv, mode):
        sheet(cv, 4, 1, 27, 30, lines=mode != 0)
        if mode == 1:
            cv.fill(9, 12, 22, 18, PURPLE)
        elif mode == 2:
            cv.frame(9, 12, 22, 18, PURPLE)
    for k in range(3):
        pair(15850 + k, 15853 + k, 32, 32, lambda cv, k=k: wmk(cv, k), "watermark mode illustration")


# -- binding margin dialog pictures (120 x 120) -------------------------------
def define_binding_pictures():
    ids = sorted({15280, 15281} | set(range(15290, 15295)) | set(range(15300, 15305)) | set(range(15310, 15318))
                 | set(range(15320, 15328)) | set(range(15330, 15338)) | set(range(15340, 15348))
                 | set(range(15350, 15358)) | set(range(15360, 15368)) | set(range(15370, 15374))
                 | set(range(15380, 15385)) | set(range(15390, 15395)))
    masks = set(range(15340, 15348)) | set(range(15360, 15368)) | set(range(15390, 15395))

    def draw(cv, ident):
        k = ident % 10
        portrait = (ident // 10) % 2 == 0
        x0, y0, x1, y1 = (25, 8, 95, 112) if portrait else (8, 25, 112, 95)
        sheet(cv, x0, y0, x1, y1)
        edge = k % 4
        c = LBLUE
        if edge == 0:
            cv.fill(x0 + 1, y0 + 1, x0 + 12, y1 - 1, c)
        elif edge == 1:
            cv.fill(x1 - 12, y0 + 4, x1 - 1, y1 - 1, c)
        elif edge == 2:
            cv.fill(x0 + 1, y0 + 1, x1 - 4, y0 + 12, c)
        else:
            cv.fill(x0 + 1, y1 - 12, x1 - 1, y1 - 1, c)
        if k >= 4:
            cv.arrow((x0 + x1) // 2 - 10, (y0 + y1) // 2, (x0 + x1) // 2 + 10, (y0 + y1) // 2, RED, 4)
    for ident in ids:
        if ident in masks:
            continue
        add(ident, 120, 120, "and", lambda cv, i=ident: (cv.fill(0, 0, 119, 119, WHITE), draw(cv, i)),
            "binding margin picture")
    for m in sorted(masks):
        solid_mask(m, 120, 120, "binding margin picture mask")


# -- index paper, insert sheet and booklet pictures -----------------------------
def define_insert_pictures():
    def index_paper(cv, n):
        cv.fill(0, 0, 179, 179, WHITE)
        sheet(cv, 20, 10, 150, 170, lines=False)
        step = 150 // max(2, n)
        for k in range(n):
            y = 14 + k * step
            cv.box(150, y, 165, y + step - 6, YELLOW)
        for y in range(20, 165, 8):
            cv.line(30, y, 140, y, (210, 210, 210))
    for k, n in enumerate((2, 3, 4, 5)):
        add(15880 + k, 180, 180, "and", lambda cv, n=n: index_paper(cv, n), "index paper picture")
    pair(15884, 15885, 24, 12, lambda cv: cv.box(0, 0, 23, 11, ORANGE), "index tab mark")
    pair(15886, 15887, 24, 12, lambda cv: (cv.fill(2, 5, 4, 6, BLACK), cv.fill(10, 5, 12, 6, BLACK), cv.fill(18, 5, 20, 6, BLACK)),
         "index tab gap mark")

    # insert sheets, by print type; the rotated form is the landscape sheet
    def insert(cv, kind, rotated, variant=0):
        w, h = (cv.w, cv.h)
        cv.fill(0, 0, w - 1, h - 1, WHITE)
        x0, y0, x1, y1 = (2, 14, 57, 55) if rotated else (8, 2, 51, 77)
        sheet(cv, x0 + 5, y0 + 5, x1, y1, fill=LGREY, lines=False, fold=0)
        fill = {0: PAPER, 1: PAPER, 2: (255, 240, 200), 3: (255, 240, 200), 4: (255, 240, 200), 5: LBLUE, 6: YELLOW}[kind]
        sheet(cv, x0, y0, x1 - 5, y1 - 5, fill=fill, lines=kind in (1, 3, 4))
        if kind in (3, 4):
            if variant:
                cv.fill(x1 - 9, y0 + 2, x1 - 7, y1 - 8, BLUE)
            else:
                cv.fill(x0 + 2, y0 + 2, x0 + 4, y1 - 8, BLUE)
        if kind == 5:
            cv.text(x0 + 6, y0 + 6, "C", BLUE, 2)
    table = {15890: (0, False), 15893: (0, True), 15892: (1, False), 15895: (1, True), 15898: (2, False),
             15899: (2, True), 15900: (3, False), 15901: (3, True), 15902: (4, False), 15903: (4, True),
             15906: (5, False), 15907: (5, True), 15891: (6, False), 15894: (6, True)}
    for ident, (kind, rot) in table.items():
        add(ident, 60, 80, "and", lambda cv, k=kind, r=rot, i=ident: insert(cv, k, r, 1 if i in (15900, 15901) else 0),
            "insert sheet picture")
    for k, ident in enumerate((15908, 15909, 15910, 15911)):
        add(ident, 24, 30, "and", lambda cv, k=k: (cv.fill(0, 0, 23, 29, WHITE),
                                                     sheet(cv, 2, 2, 21, 27, fill=(PAPER, YELLOW, LBLUE, (255, 240, 200))[k])),
            "sheet symbol")
    add(15912, 8, 8, "and", lambda cv: [cv.put(x, y, YELLOW if (x + y) % 4 else ORANGE) for x in range(8) for y in range(8)],
        "index tab pattern")

    # booklet dialog pictures, each picture (odd id) with its mask at the id
    # below it: the source page (15921 portrait, 15931 landscape), the arrow
    # (15937), and the booklet made of it: on the output paper (mode 2:
    # 15923 opening to the left, 15925 to the right, 15933 landscape) or on
    # twice the output paper (mode 1: 15927, 15929, 15935 landscape).
    def source_page(cv, landscape):
        if landscape:
            sheet(cv, 6, 16, 57, 50, lines=True)
        else:
            sheet(cv, 14, 6, 48, 57, lines=True)
        cv.text(28 if not landscape else 28, 26, "A", BLUE, 2)

    def arrow_right(cv):
        cv.fill(8, 29, 44, 34, BLUE)
        cv.poly([(44, 22), (44, 41), (56, 31)], BLUE)

    def spread(cv, landscape, twice, left):
        # twice the paper: a wide sheet; on the paper: a sheet of the
        # page's own size holding two reduced pages
        if landscape:
            x0, y0, x1, y1 = (6, 4, 57, 59) if twice else (10, 10, 53, 53)
        else:
            x0, y0, x1, y1 = (2, 12, 61, 51) if twice else (6, 16, 57, 47)
        mid = (x0 + x1) // 2
        sheet(cv, x0, y0, mid - 1, y1, lines=True, fold=0)
        sheet(cv, mid + 1, y0, x1, y1, lines=True, fold=0)
        cv.line(mid, y0 - 2, mid, y1 + 2, BLUE, 2)
        cv.text((x0 + mid) // 2 - 2 if left else (mid + x1) // 2 - 2, (y0 + y1) // 2 - 3, "1", RED, 2)

    draws = {
        15921: lambda cv: source_page(cv, False),
        15931: lambda cv: source_page(cv, True),
        15937: arrow_right,
        15923: lambda cv: spread(cv, False, False, True),
        15925: lambda cv: spread(cv, False, False, False),
        15933: lambda cv: spread(cv, True, False, True),
        15927: lambda cv: spread(cv, False, True, True),
        15929: lambda cv: spread(cv, False, True, False),
        15935: lambda cv: spread(cv, True, True, True),
    }
    for ident, draw in sorted(draws.items()):
        pair(ident, ident - 1, 64, 64, draw, "booklet picture")


# -- machine view parts (all one size; each is centred on the pane) -----------
MV_W, MV_H = 128, 100


def define_machine_view():
    def body(cv):
        # scanner on top, the printer body, the paper trays and the bypass tray
        cv.box(36, 14, 92, 24, LGREY)
        cv.fill(40, 10, 88, 13, DGREY)
        cv.box(34, 24, 94, 52, (230, 230, 230))
        cv.fill(44, 30, 70, 34, STEEL)
        cv.box(34, 52, 94, 86, LGREY)
        for y in (58, 66, 74):
            cv.frame(38, y, 90, y + 6, BLACK)
            cv.fill(60, y + 2, 68, y + 3, DGREY)
        cv.poly([(34, 40), (22, 46), (22, 48), (34, 46)], PAPER, BLACK)
    add(19000, MV_W, MV_H, "and", lambda cv: (cv.fill(0, 0, MV_W - 1, MV_H - 1, WHITE), body(cv)), "machine view: printer body")

    def part(draw):
        return lambda cv: (cv.fill(0, 0, MV_W - 1, MV_H - 1, WHITE), draw(cv))
    # 19001 output tray unit; 19002/19003 paper feed units; 19004/19005 finisher (with punch/Z-fold);
    # 19006/19007 its second stage; 19008/19009 cover sheet feeder
    add(19001, MV_W, MV_H, "and", part(lambda cv: cv.box(94, 36, 110, 40, LGREY)), "machine view: output tray unit")
    add(19002, MV_W, MV_H, "and", part(lambda cv: cv.box(34, 86, 94, 96, LGREY)), "machine view: paper feed unit")
    add(19003, MV_W, MV_H, "and", part(lambda cv: (cv.box(34, 86, 94, 96, LGREY), cv.box(94, 66, 122, 96, LGREY))),
        "machine view: large capacity feed unit")
    add(19004, MV_W, MV_H, "and", part(lambda cv: (cv.box(94, 30, 116, 86, (230, 230, 230)), cv.box(116, 40, 126, 44, LGREY))),
        "machine view: finisher")
    add(19005, MV_W, MV_H, "and", part(lambda cv: (cv.box(94, 30, 116, 86, (230, 230, 230)), cv.box(116, 40, 126, 44, LGREY),
                                                  cv.fill(98, 60, 112, 62, BLUE), cv.line(98, 66, 112, 72, BLUE))),
        "machine view: finisher with punch and Z-fold")
    add(19006, MV_W, MV_H, "and", part(lambda cv: cv.box(116, 56, 126, 60, LGREY)), "machine view: booklet tray")
    add(19007, MV_W, MV_H, "and", part(lambda cv: (cv.box(116, 56, 126, 60, LGREY), cv.text(118, 62, "B", BLUE))),
        "machine view: booklet tray (saddle)")
    add(19008, MV_W, MV_H, "and", part(lambda cv: cv.box(94, 12, 116, 30, LGREY)), "machine view: cover sheet feeder")
    add(19009, MV_W, MV_H, "and", part(lambda cv: (cv.box(94, 12, 116, 30, LGREY), cv.fill(98, 18, 112, 20, ORANGE))),
        "machine view: cover sheet feeder (second tray)")

    # paper paths: from the chosen source to the engine, in red
    def path(cv, points):
        for (xa, ya), (xb, yb) in zip(points, points[1:]):
            cv.line(xa, ya, xb, yb, RED, 2)
    paths = {19020: [(22, 47), (40, 44), (60, 32)], 19021: [(64, 61), (40, 61), (40, 40), (60, 32)],
             19022: [(64, 69), (38, 69), (38, 40), (60, 32)], 19023: [(64, 77), (37, 77), (37, 40), (60, 32)],
             19024: [(64, 91), (36, 91), (36, 40), (60, 32)], 19025: [(64, 93), (35, 93), (35, 40), (60, 32)],
             19026: [(108, 80), (108, 92), (35, 92), (35, 40), (60, 32)]}
    for ident, pts in paths.items():
        add(ident, MV_W, MV_H, "and", part(lambda cv, p=pts: path(cv, p)), "machine view: paper path")
    outs = {19027: [(70, 32), (102, 38)], 19028: [(70, 32), (120, 42)], 19029: [(70, 32), (100, 62), (110, 72), (120, 42)],
            19030: [(70, 32), (105, 50), (120, 58)], 19031: [(70, 32), (100, 62), (110, 72), (120, 58)],
            19032: [(70, 32), (105, 60), (118, 66)], 19033: [(70, 32), (100, 62), (110, 72), (118, 66)]}
    for ident, pts in outs.items():
        add(ident, MV_W, MV_H, "and", part(lambda cv, p=pts: path(cv, p)), "machine view: output path")


# ---- writing ----------------------------------------------------------------


def to_bmp24(cv, background):
    w, h = cv.w, cv.h
    row_bytes = (w * 3 + 3) & ~3
    out = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            c = cv.px[y][x]
            if c is None:
                c = background
            row += bytes((c[2], c[1], c[0]))
        row += b"\0" * (row_bytes - len(row))
        out += row
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(out), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(out), 0, 0, 54)
    return header + info + bytes(out)


def to_bmp1(bits, w, h):
    """bits[y][x]: 1 white, 0 black."""
    row_bytes = ((w + 31) // 32) * 4
    out = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(row_bytes)
        for x in range(w):
            if bits[y][x]:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    pal = struct.pack("<BBBBBBBB", 0, 0, 0, 0, 255, 255, 255, 0)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 1, 0, len(out), 2835, 2835, 2, 0)
    off = 14 + 40 + len(pal)
    header = struct.pack("<2sIHHI", b"BM", off + len(out), 0, 0, off)
    return header + info + pal + bytes(out)


def to_png(rows, w, h):
    raw = b"".join(b"\0" + bytes(v for c in row for v in c) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def render(ident):
    w, h, how, draw, what = PICTURES[ident]
    cv = Canvas(w, h)
    draw(cv)
    return cv


def main():
    define_setup_items()
    define_setup_illustrations()
    define_misc()
    define_paper_view()
    define_icons()
    define_page_illustrations()
    define_binding_pictures()
    define_insert_pictures()
    define_machine_view()

    drawn = {ident: render(ident) for ident in PICTURES}
    out_dir = os.path.join(HERE, "images")
    os.makedirs(out_dir, exist_ok=True)
    for old in os.listdir(out_dir):
        if old.endswith(".bmp"):
            os.remove(os.path.join(out_dir, old))
    rows = []
    files = {}
    for ident, (w, h, how, draw, what) in PICTURES.items():
        cv = drawn[ident]
        if how == "cursor":
            bits = [[0 if cv.px[y][x] is not None else 1 for x in range(w)] for y in range(h)]
            files[ident] = ("cursor", to_bmp1(bits, w, h), what, w, h)
        else:
            # Icons are transparent where the platform's key colour (magenta) is.
            background = BLACK if how == "pair" else (255, 0, 255) if how == "icon" else WHITE
            kind = "icon" if how == "icon" else "bitmap"
            files[ident] = (kind, to_bmp24(cv, background), what, w, h)
    for msk, entry in MASK_OF.items():
        w, h = entry["size"]
        of = entry["of"]
        if of == "full":
            bits = [[0] * w for _ in range(h)]
        elif of == "region":
            bits = [[0 if 62 <= x <= 92 and 8 <= y <= 40 else 1 for x in range(w)] for y in range(h)]
        elif isinstance(of, tuple):
            cv = border_mask(of[1], of[2], of[3])
            w, h = cv.w, cv.h
            bits = [[0 if cv.px[y][x] is not None else 1 for x in range(w)] for y in range(h)]
        else:
            bits = [[1] * w for _ in range(h)]
            for img in of:
                cv = drawn[img]
                assert (cv.w, cv.h) == (w, h), (msk, img)
                for y in range(h):
                    for x in range(w):
                        if cv.px[y][x] is not None:
                            bits[y][x] = 0
        files[msk] = ("bitmap", to_bmp1(bits, w, h), entry["what"], w, h)
    for ident in sorted(files):
        kind, data, what, w, h = files[ident]
        name = "%d.bmp" % ident
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(data)
        rows.append((ident, kind, name, "%dx%d %s" % (w, h, what)))
    with open(os.path.join(HERE, "images.tsv"), "w", encoding="utf-8", newline="\n") as f:
        f.write("id\tkind\tfile\twhat\n")
        for ident, kind, name, what in rows:
            f.write("%d\t%s\t%s\t%s\n" % (ident, kind, name, what))
    if "--sheet" in sys.argv:
        write_sheets(drawn, files)
    return 0


def write_sheets(drawn, files):
    """Contact sheets (PNG) of every picture at 3x, masks in grey, for a person to look at."""
    ids = sorted(files)
    per = 60
    for n in range(0, len(ids), per):
        chunk_ids = ids[n:n + per]
        cols = 10
        cell_w, cell_h = 3 * 130, 3 * 124
        W, H = cols * cell_w, ((len(chunk_ids) + cols - 1) // cols) * cell_h
        img = [[(200, 200, 210)] * W for _ in range(H)]
        for i, ident in enumerate(chunk_ids):
            ox, oy = (i % cols) * cell_w, (i // cols) * cell_h
            if ident in drawn:
                cv = drawn[ident]
                how = PICTURES[ident][2]
                px = [[(cv.px[y][x] if cv.px[y][x] is not None else ((0, 0, 0) if how == "pair" else (255, 255, 255)))
                       for x in range(cv.w)] for y in range(cv.h)]
                w, h = cv.w, cv.h
            else:
                w, h = files[ident][3], files[ident][4]
                px = [[(80, 80, 80)] * w for _ in range(h)]
            s = 3 if max(w, h) <= 124 else 2
            for y in range(min(h, 120)):
                for x in range(min(w, 128)):
                    for dy in range(s):
                        for dx in range(s):
                            yy, xx = oy + y * s + dy, ox + x * s + dx
                            if yy < H and xx < W:
                                img[yy][xx] = px[y][x]
        path = os.path.join(HERE, "..", "build", "image_sheet_%02d.png" % (n // per))
        with open(path, "wb") as f:
            f.write(to_png(img, W, H))


if __name__ == "__main__":
    sys.exit(main())
