#!/usr/bin/python3
"""Checks the generated music font against its glyph table.

    /usr/bin/python3 tools/fontgen/check_font.py [TTF TSV]

For every code of the table: the font maps U+F000 + code to a glyph with
ink, and maps the code itself to the same glyph exactly when the code is a
printable single-byte character (never 0x00-0x1F, 0x7F-0xA0 or 0xAD).
U+F000 (code 0) must map to an empty glyph of zero width. Prints the
problems found and exits with 1 when there are any.
"""

import os
import sys

import fontforge

HERE = os.path.dirname(os.path.abspath(__file__))
FONTS = os.path.normpath(os.path.join(HERE, "..", "..", "resources", "fonts"))
HEADER = "code\tmeaning\tsource"


def plain(code):
    return 0x20 <= code <= 0x7E or (0xA1 <= code <= 0xFF and code != 0xAD)


def read_table(path, problems):
    codes = []
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    if lines[0] != HEADER:
        problems.append("table header is %r" % lines[0])
    for n, line in enumerate(lines[1:], start=2):
        if not line:
            continue
        fields = line.split("\t")
        if len(fields) != 3 or not all(fields):
            problems.append("table line %d: expected 3 non-empty fields" % n)
            continue
        if not fields[0].isdigit() or not 1 <= int(fields[0]) <= 255:
            problems.append("table line %d: bad code %r" % (n, fields[0]))
            continue
        codes.append(int(fields[0]))
    if codes != sorted(set(codes)):
        problems.append("table codes are not unique and ascending")
    return codes


def cmap_of(font):
    glyph_at = {}
    for g in font.glyphs():
        if g.unicode >= 0:
            glyph_at[g.unicode] = g
        for alt in g.altuni or ():
            glyph_at[alt[0]] = g
    return glyph_at


def main(argv):
    ttf = argv[1] if len(argv) > 1 else os.path.join(FONTS,
                                                     "QuaveroSymbols.ttf")
    tsv = argv[2] if len(argv) > 2 else os.path.join(FONTS,
                                                     "quavero-glyphs.tsv")
    problems = []
    codes = read_table(tsv, problems)
    font = fontforge.open(ttf)
    if "Bravura" in (font.familyname + font.fontname + font.fullname):
        problems.append("the font uses the source's reserved name")
    glyph_at = cmap_of(font)

    empty = glyph_at.get(0xF000)
    if empty is None or len(empty.foreground) or empty.width:
        problems.append("U+F000 is not an empty glyph of zero width")
    for code in codes:
        g = glyph_at.get(0xF000 + code)
        if g is None:
            problems.append("code %d: nothing at U+%04X" % (code,
                                                            0xF000 + code))
            continue
        if len(g.foreground) == 0 or g.width <= 0:
            problems.append("code %d: glyph has no ink or no advance" % code)
        at_code = glyph_at.get(code)
        if plain(code) and at_code is not g:
            problems.append("code %d: not mapped at U+%04X" % (code, code))
        if not plain(code) and at_code is not None:
            problems.append("code %d: must not be mapped at U+%04X"
                            % (code, code))
    for p in problems:
        print(p)
    print("%d codes checked, %d problems" % (len(codes), len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
