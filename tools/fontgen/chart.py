#!/usr/bin/python3
"""Draws every glyph of the music font in a grid, for review.

    /usr/bin/python3 tools/fontgen/chart.py [TTF TSV PNG]

Defaults: resources/fonts/QuaveroSymbols.ttf, resources/fonts/quavero-glyphs.tsv
and docs/glyph-chart.png. Needs Pillow (python3-pil) and the DejaVu fonts
(fonts-dejavu-core). The glyphs are rendered through FreeType from the
TrueType file itself, at the code point U+F000 + code.

Each cell shows the code (decimal and hex), the glyph, its baseline (red),
its origin and advance (blue ticks on the baseline) and, where the glyph is
placed on a staff, the five staff lines in the place that the drawing code
assumes: clefs on their lines, heads and accidentals on the middle line,
rests with the baseline half a space below the middle line, flags at the end
of a stem.
"""

import os
import sys

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
LABEL_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"

EM = 48                      # pixels per em
SPACE = EM * 576 / 2048      # one staff space: 13.5 px
COLS, CELL_W, CELL_H = 12, 124, 178
BASE_Y = 100                 # baseline inside a cell

HEADS = {41, 42, 52, 53, 101, 102, 211}
ACCIDENTALS = set(range(64, 71)) | set(range(230, 240))
RESTS = set(range(77, 83))
UP_FLAGS = {54, 56, 58, 60, 62}
DOWN_FLAGS = {55, 57, 59, 61, 63}


def staff_top(code):
    """y of the top staff line relative to the baseline, or None."""
    if code == 34:
        return -4 * SPACE              # G clef: baseline on the bottom line
    if code == 35:
        return -1 * SPACE              # F clef: on the second line
    if code in (36, 39, 40) or code in HEADS or code in ACCIDENTALS:
        return -2 * SPACE              # on the middle line
    if code in RESTS:
        return -2.5 * SPACE
    return None


def read_table(path):
    rows = []
    with open(path, encoding="utf-8") as f:
        next(f)
        for line in f:
            code, meaning, _ = line.rstrip("\n").split("\t")
            rows.append((int(code), meaning))
    return rows


def main(argv):
    ttf = argv[1] if len(argv) > 1 else os.path.join(
        ROOT, "resources", "fonts", "QuaveroSymbols.ttf")
    tsv = argv[2] if len(argv) > 2 else os.path.join(
        ROOT, "resources", "fonts", "quavero-glyphs.tsv")
    out = argv[3] if len(argv) > 3 else os.path.join(
        ROOT, "docs", "glyph-chart.png")
    rows = read_table(tsv)
    music = ImageFont.truetype(ttf, EM)
    label = ImageFont.truetype(LABEL_FONT, 12)
    small = ImageFont.truetype(LABEL_FONT, 9)

    lines = (len(rows) + COLS - 1) // COLS
    img = Image.new("RGB", (COLS * CELL_W, lines * CELL_H), "white")
    d = ImageDraw.Draw(img)
    for i, (code, meaning) in enumerate(rows):
        cx, cy = (i % COLS) * CELL_W, (i // COLS) * CELL_H
        d.rectangle([cx, cy, cx + CELL_W - 1, cy + CELL_H - 1],
                    outline=(190, 190, 190))
        d.text((cx + 4, cy + 3), "%d  0x%02X" % (code, code), font=label,
               fill="black")
        words, text = meaning.split(), ""
        for w in words:
            if len(text) + len(w) > 22:
                break
            text = (text + " " + w).strip()
        d.text((cx + 4, cy + CELL_H - 14), text, font=small,
               fill=(90, 90, 90))

        ch = chr(0xF000 + code)
        advance = music.getlength(ch)
        x0 = cx + max(8, (CELL_W - advance) / 2)
        base = cy + BASE_Y
        top = staff_top(code)
        if top is not None:
            for k in range(5):
                y = round(base + top + k * SPACE)
                d.line([cx + 4, y, cx + CELL_W - 5, y], fill=(150, 150, 150))
        stem_w = max(1, round(0.12 * SPACE))
        if code in UP_FLAGS:
            d.rectangle([x0, base, x0 + stem_w - 1, base + 3.5 * SPACE],
                        fill="black")
            d.ellipse([x0 - 1.15 * SPACE, base + 3 * SPACE,
                       x0 + stem_w, base + 4 * SPACE], fill=(120, 120, 120))
        if code in DOWN_FLAGS:
            d.rectangle([x0, base - 3.5 * SPACE, x0 + stem_w - 1, base],
                        fill="black")
            d.ellipse([x0, base - 4 * SPACE, x0 + 1.15 * SPACE,
                       base - 3 * SPACE], fill=(120, 120, 120))
        d.line([cx + 2, base, cx + CELL_W - 3, base], fill=(230, 60, 60))
        for x in (x0, x0 + advance):
            d.line([x, base - 4, x, base + 4], fill=(40, 90, 230))
        d.text((x0, base), ch, font=music, fill="black", anchor="ls")

    os.makedirs(os.path.dirname(out), exist_ok=True)
    img.save(out, optimize=True)
    print("wrote", out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
