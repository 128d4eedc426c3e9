#!/usr/bin/python3
"""Builds the program's music font "Quavero Symbols" from Bravura.

Run with Debian's Python, which has FontForge's module (python3-fontforge):

    /usr/bin/python3 tools/fontgen/build_font.py BRAVURA_DIR [OUT_DIR]

BRAVURA_DIR holds Bravura.otf (see fetch_bravura.sh). OUT_DIR defaults to
resources/fonts/ of this repository. Writes QuaveroSymbols.ttf,
quavero-glyphs.tsv, OFL.txt and a copy of Bravura's FONTLOG there.

Every symbol the program draws is one byte code c of the font. The glyph of
code c sits at U+F000 + c; codes 0x20-0x7E and 0xA1-0xFF (but 0xAD) are also
mapped at c itself. Code 0 maps to an empty glyph: it draws nothing.

Metric conventions (units of a 2048-unit em):
  * one staff space S = 576 units (9/32 em): 6 px at 16 pt and 96 ppi, the
    default line spacing of a page;
  * the source's staff space is 250 units, so its outlines are scaled by
    576/250 and keep their staff-relative proportions;
  * every glyph's ink starts at x = 0 and its advance equals its ink width,
    except flags, whose origin is the stem's left edge, and clefs, which
    keep half a staff space before their ink and one after it;
  * the vertical origin (the baseline) of each kind of glyph is where the
    drawing code puts its y (the README lists where that is).
"""

import os
import re
import struct
import sys

os.environ.setdefault("SOURCE_DATE_EPOCH", "1767225600")  # reproducible output

import fontforge  # noqa: E402
import psMat  # noqa: E402

EM = 2048
S = 576                      # staff space in our units
K = S / 250.0                # source units -> ours
PX = 96                      # one pixel at 16 pt / 96 ppi (21.33 px em)
# A 16-pt glyph written by its top-left corner lands with its baseline 33 px
# lower (96 ppi); the G clef's top (5.4 S above its baseline) stays inside.
ASCENT = 3200
DESCENT = 1920               # covers the deepest flag below its stem end
CLEF_LEFT = S // 2            # side bearings of the clefs
CLEF_RIGHT = S
BRACE_HEIGHT = (ASCENT + DESCENT) // 2   # the brace fills half the cell
BRACE_WIDTH = BRACE_HEIGHT // 10
# Average character width: a brace written in a font whose average width is
# 30 px comes out 8 px wide, whatever its height.
AVG_CHAR_WIDTH = BRACE_WIDTH * 30 // 8

SOURCE_VERSION = "Version 1.38"
FAMILY = "Quavero Symbols"
PSNAME = "QuaveroSymbols"
VERSION = "1.000"
SOURCE_COPYRIGHT = (
    'Copyright (c) 2020, Steinberg Media Technologies GmbH '
    '(http://www.steinberg.net/), with Reserved Font Name "Bravura".')
COPYRIGHT = (SOURCE_COPYRIGHT + " Modifications copyright (c) 2026, "
             "the Quillstave developers.")
LICENSE = ("This Font Software is licensed under the SIL Open Font License, "
           "Version 1.1. This license is available with a FAQ at: "
           "https://openfontlicense.org")
LICENSE_URL = "https://openfontlicense.org"


def is_plain_code(c):
    """Codes that are safe to map at their own code point as well."""
    return 0x20 <= c <= 0x7E or (0xA1 <= c <= 0xFF and c != 0xAD)


# ---------------------------------------------------------------- outlines

class Shape:
    """A layer of contours in our units, with where its origin is."""

    def __init__(self, layer, names, keep_x=False):
        self.layer = layer
        self.names = names          # source description for the table
        self.keep_x = keep_x        # keep the horizontal origin (flags)
        self.bearings = (0, 0)      # room left and right of the ink

    def with_bearings(self, left, right):
        self.bearings = (left, right)
        return self

    def bbox(self):
        return self.layer.boundingBox()

    def move(self, dx, dy):
        self.layer.transform(psMat.translate(dx, dy))
        return self

    def scale(self, sx, sy=None):
        self.layer.transform(psMat.scale(sx, sx if sy is None else sy))
        return self

    def add(self, other):
        for contour in other.layer:
            self.layer += contour
        self.names = self.names + " + " + other.names
        return self

    def centre_on_baseline(self, dy=0):
        _, y0, _, y1 = self.bbox()
        return self.move(0, dy - (y0 + y1) / 2)


class Source:
    def __init__(self, path):
        self.font = fontforge.open(path)
        self.label = "Bravura"

    def take(self, cp, smufl=None, scale=K):
        glyph = self.font[cp]
        layer = glyph.foreground
        layer.transform(psMat.scale(scale))
        name = glyph.glyphname + (" (%s)" % smufl if smufl else "")
        return Shape(layer, name)


def drawn_line(width, rising, thickness=0.18 * S):
    """A straight slanted line filling the band from the baseline to one
    staff space above it."""
    layer = fontforge.layer()
    contour = fontforge.contour()
    t = thickness
    if rising:
        points = [(0, 0), (t, 0), (width, S - t), (width, S), (width - t, S),
                  (0, t)]
    else:
        points = [(0, S), (0, S - t), (width - t, 0), (width, 0), (width, t),
                  (t, S)]
    for x, y in points:
        contour += fontforge.point(x, y, True)
    contour.closed = True
    layer += contour
    return Shape(layer, "drawn")


# ------------------------------------------------------------- the table

def build_table(src):
    """Returns [(code, meaning, Shape)] in code order."""
    t = []

    def put(code, meaning, shape):
        t.append((code, meaning, shape))

    def origin(cp, smufl, dy=0.0):
        return src.take(cp, smufl).move(0, dy * S)

    def centred(cp, smufl, dy=0.0):
        return src.take(cp, smufl).centre_on_baseline(dy * S)

    def accidental(cp, smufl, width_px):
        # The layout stacks accidentals in columns of fixed pixel widths;
        # a sign wider than its column is condensed to fit it.
        sh = src.take(cp, smufl)
        x0, _, x1, _ = sh.bbox()
        limit = width_px * PX
        if x1 - x0 > limit:
            sh.move(-x0, 0).scale(limit / (x1 - x0), 1.0)
        return sh

    def band(cp, smufl):
        # Glissando-like lines: scaled to one staff space high, resting on
        # the baseline.
        sh = src.take(cp, smufl)
        _, y0, _, y1 = sh.bbox()
        sh.scale(S / (y1 - y0))
        _, y0, _, _ = sh.bbox()
        return sh.move(0, -y0)

    def shifted_like(reference, shape):
        # Keep a family of signs on one height: shift like the reference.
        _, y0, _, y1 = reference.bbox()
        return shape.move(0, -(y0 + y1) / 2)

    # Brace: centred on the baseline, half the font's cell high.
    brace = src.take(0xE000, "brace")
    x0, y0, x1, y1 = brace.bbox()
    brace.move(-x0, -y0).scale(BRACE_WIDTH / (x1 - x0),
                               BRACE_HEIGHT / (y1 - y0))
    brace.move(0, -BRACE_HEIGHT / 2)
    put(33, "brace", brace)

    # Clefs keep room on both sides, so that a barline before them and a
    # key or time signature after them never touch their ink.
    def clef(cp, smufl, dy=0.0):
        return origin(cp, smufl, dy).with_bearings(CLEF_LEFT, CLEF_RIGHT)

    put(34, "G clef (baseline on the bottom staff line)",
        clef(0xE050, "gClef", dy=1.0))
    put(35, "F clef (baseline on the F line)", clef(0xE062, "fClef"))
    put(36, "C clef (baseline on the C line)", clef(0xE05C, "cClef"))
    put(39, "common time", origin(0xE08A, "timeSigCommon"))
    put(40, "cut time", origin(0xE08B, "timeSigCutCommon"))
    put(41, "breve (double whole) note head", origin(0xE0A0,
                                                     "noteheadDoubleWhole"))
    put(42, "whole note head; whole note of a tempo mark",
        origin(0xE0A2, "noteheadWhole"))
    notes = [(43, "half", 0xE1D3, "noteHalfUp"),
             (44, "quarter", 0xE1D5, "noteQuarterUp"),
             (45, "eighth", 0xE1D7, "note8thUp"),
             (46, "16th", 0xE1D9, "note16thUp"),
             (47, "32nd", 0xE1DB, "note32ndUp"),
             (48, "64th", 0xE1DD, "note64thUp")]
    for code, value, cp, smufl in notes:
        put(code, "%s note with stem up (head centre on the baseline)" % value,
            origin(cp, smufl))
    put(52, "half (hollow) note head", origin(0xE0A3, "noteheadHalf"))
    put(53, "black note head", origin(0xE0A4, "noteheadBlack"))

    flags = [(54, "eighth", "up", 0xE240, "flag8thUp"),
             (55, "eighth", "down", 0xE241, "flag8thDown"),
             (56, "16th", "up", 0xE242, "flag16thUp"),
             (57, "16th", "down", 0xE243, "flag16thDown"),
             (58, "32nd", "up", 0xE244, "flag32ndUp"),
             (59, "32nd", "down", 0xE245, "flag32ndDown"),
             (60, "64th", "up", 0xE246, "flag64thUp"),
             (61, "64th", "down", 0xE247, "flag64thDown"),
             (62, "128th", "up", 0xE248, "flag128thUp"),
             (63, "128th", "down", 0xE249, "flag128thDown")]
    for code, value, way, cp, smufl in flags:
        sh = origin(cp, smufl)
        sh.keep_x = True
        put(code, "%s flag, stem %s (origin at the stem end)" % (value, way),
            sh)

    accidentals = [(64, "flat", 0xE260, "accidentalFlat", 5),
                   (65, "double flat", 0xE264, "accidentalDoubleFlat", 9),
                   (66, "sharp", 0xE262, "accidentalSharp", 5),
                   (67, "double sharp", 0xE263, "accidentalDoubleSharp", 6),
                   (68, "natural", 0xE261, "accidentalNatural", 5),
                   (69, "natural-flat", 0xE267, "accidentalNaturalFlat", 9),
                   (70, "natural-sharp", 0xE268, "accidentalNaturalSharp", 9)]
    for code, name, cp, smufl, width in accidentals:
        put(code, name, accidental(cp, smufl, width))

    rests = [(77, "quarter", 0xE4E5, "restQuarter"),
             (78, "eighth", 0xE4E6, "rest8th"),
             (79, "16th", 0xE4E7, "rest16th"),
             (80, "32nd", 0xE4E8, "rest32nd"),
             (81, "64th", 0xE4E9, "rest64th"),
             (82, "128th", 0xE4EA, "rest128th")]
    for code, value, cp, smufl in rests:
        # The baseline lies half a space below the middle line.
        put(code, "%s rest" % value, origin(cp, smufl, dy=0.5))

    put(90, "glissando line rising to the right", drawn_line(1.25 * S, True))
    put(91, "glissando line falling to the right",
        drawn_line(1.25 * S, False))
    put(92, "fall upwards after the note (doit)",
        band(0xE5D5, "brassDoitMedium"))
    put(93, "fall downwards after the note",
        band(0xE5D8, "brassFallLipMedium"))
    put(94, "lift into the note from below", band(0xE5D1, "brassLiftShort"))

    # Harmonic heads: the layout gives them a fixed width of one space.
    for code, name, cp, smufl in [
            (101, "harmonic (diamond) note head, hollow", 0xE0D9,
             "noteheadDiamondHalf"),
            (102, "harmonic (diamond) note head, filled", 0xE0DB,
             "noteheadDiamondBlack")]:
        sh = src.take(cp, smufl)
        x0, _, x1, _ = sh.bbox()
        put(code, name, sh.move(-x0, 0).scale(S / (x1 - x0)))

    put(103, "open hi-hat", centred(0xE7F8, "pictOpen"))
    put(104, "half-open hi-hat", centred(0xE7F7, "pictHalfOpen2"))

    dynamics = [(105, "p", 0xE520, "dynamicPiano"),
                (106, "pp", 0xE52B, "dynamicPP"),
                (107, "ppp", 0xE52A, "dynamicPPP"),
                (108, "mp", 0xE52C, "dynamicMP"),
                (109, "fp", 0xE534, "dynamicFortePiano"),
                (110, "mf", 0xE52D, "dynamicMF"),
                (111, "f", 0xE522, "dynamicForte"),
                (112, "ff", 0xE52F, "dynamicFF"),
                (113, "fff", 0xE530, "dynamicFFF"),
                # The letters of the four accents follow the program's
                # dynamics kinds 9-12, which MusicXML writes as <sf/>,
                # <sffz/>, <fz/> and <sfz/>.
                (114, "sf (sforzato)", 0xE536, "dynamicSforzando1"),
                (115, "sffz (extra forzato)", 0xE53B, "dynamicSforzatoFF"),
                (116, "fz (forzando)", 0xE535, "dynamicForzando"),
                (117, "sfz (sforzando)", 0xE539, "dynamicSforzato")]
    shapes = [(code, "dynamic " + name, src.take(cp, smufl))
              for code, name, cp, smufl in dynamics]
    # One shift for all letters, so that they share one baseline.
    lo = min(sh.bbox()[1] for _, _, sh in shapes)
    hi = max(sh.bbox()[3] for _, _, sh in shapes)
    for code, meaning, sh in shapes:
        put(code, meaning, sh.move(0, -(lo + hi) / 2))

    put(120, "segno", centred(0xE047, "segno"))
    put(121, "coda", centred(0xE048, "coda"))
    # "Ped." is written two pixels lower than the release sign: it is raised
    # by as much so that both stand centred on their mark.
    put(122, "pedal down (Ped.)",
        centred(0xE650, "keyboardPedalPed", dy=1.0 / 3))
    put(123, "pedal release", centred(0xE655, "keyboardPedalUp"))
    put(124, "turn", centred(0xE567, "ornamentTurn"))
    put(125, "inverted turn", centred(0xE568, "ornamentTurnInverted"))
    put(126, "turn with slash", centred(0xE569, "ornamentTurnSlash"))
    put(127, "vertical turn", centred(0xE56A, "ornamentTurnUp"))
    put(128, "breath mark", centred(0xE4CE, "breathMarkComma"))
    put(130, "up-bow", centred(0xE612, "stringsUpBow"))
    put(131, "down-bow", centred(0xE610, "stringsDownBow"))

    short = src.take(0xE56C, "ornamentShortTrill")
    for code, name, cp, smufl in [
            (134, "mordent, upper neighbour (short trill)", 0xE56C,
             "ornamentShortTrill"),
            (135, "mordent with stroke, lower neighbour", 0xE56D,
             "ornamentMordent"),
            (136, "double mordent, upper neighbour", 0xE56E,
             "ornamentTremblement"),
            (137, "double mordent with stroke, lower neighbour", 0xE5BD,
             None)]:
        put(code, name, shifted_like(short, src.take(cp, smufl)))

    fermatas = [(140, "fermata above", 0xE4C0, "fermataAbove"),
                (141, "fermata below", 0xE4C1, "fermataBelow"),
                (142, "short fermata above", 0xE4C4, "fermataShortAbove"),
                (143, "short fermata below", 0xE4C5, "fermataShortBelow"),
                (144, "long fermata above", 0xE4C6, "fermataLongAbove"),
                (145, "long fermata below", 0xE4C7, "fermataLongBelow")]
    for code, name, cp, smufl in fermatas:
        put(code, name, centred(cp, smufl))

    for n in range(1, 9):
        put(147 + n, "string number %d (circled)" % n,
            centred(0xE833 + n, "guitarString%d" % n))

    trill = src.take(0xE566, "ornamentTrill")
    put(157, "trill", shifted_like(trill, src.take(0xE566, "ornamentTrill")))
    for code, name, cp, smufl in [
            (158, "trill with flat", 0xE260, "accidentalFlat"),
            (159, "trill with sharp", 0xE262, "accidentalSharp"),
            (160, "trill with natural", 0xE261, "accidentalNatural")]:
        sh = src.take(0xE566, "ornamentTrill")
        tx0, ty0, tx1, ty1 = sh.bbox()
        acc = src.take(cp, smufl, scale=K * 0.55)
        ax0, ay0, _, _ = acc.bbox()
        acc.move(tx1 + 0.12 * S - ax0, (ty0 + ty1) / 2 - ay0)
        put(code, name, shifted_like(trill, sh.add(acc)))

    put(164, "marcato above (^)", centred(0xE4AC, "articMarcatoAbove"))
    put(165, "accent (>)", centred(0xE4A0, "articAccentAbove"))
    put(166, "marcato below (v)", centred(0xE4AD, "articMarcatoBelow"))

    pairs = [(168, "tenuto-staccato", 0xE4B2, "articTenutoStaccato"),
             (170, "accent-staccato", 0xE4B0, "articAccentStaccato"),
             (172, "tenuto-accent", 0xE4B4, "articTenutoAccent"),
             (174, "marcato-tenuto", 0xE4BC, "articMarcatoTenuto"),
             (176, "marcato-staccato", 0xE4AE, "articMarcatoStaccato")]
    for code, name, cp, smufl in pairs:
        put(code, name + " above", centred(cp, smufl + "Above"))
        put(code + 1, name + " below", centred(cp + 1, smufl + "Below"))

    def stacked(top, bottom):
        # Two signs centred on one vertical axis, a small gap between them.
        tx0, ty0, tx1, _ = top.bbox()
        bx0, _, bx1, by1 = bottom.bbox()
        mid = max(tx1 - tx0, bx1 - bx0) / 2
        top.move(mid - (tx0 + tx1) / 2, by1 + 0.2 * S - ty0)
        bottom.move(mid - (bx0 + bx1) / 2, 0)
        return bottom.add(top).centre_on_baseline()

    put(178, "tenuto-wedge above",
        stacked(src.take(0xE4A4, "articTenutoAbove"),
                src.take(0xE4A8, "articStaccatissimoWedgeAbove")))
    put(179, "tenuto-wedge below",
        stacked(src.take(0xE4A9, "articStaccatissimoWedgeBelow"),
                src.take(0xE4A5, "articTenutoBelow")))
    put(180, "wedge-accent above",
        stacked(src.take(0xE4A0, "articAccentAbove"),
                src.take(0xE4A8, "articStaccatissimoWedgeAbove")))
    put(181, "wedge-accent below",
        stacked(src.take(0xE4A9, "articStaccatissimoWedgeBelow"),
                src.take(0xE4A1, "articAccentBelow")))

    put(211, "default drum note head (cross)",
        origin(0xE0A9, "noteheadXBlack"))

    micro = [(230, "quarter-tone flat", 0xE280,
              "accidentalQuarterToneFlatStein", 5),
             (231, "quarter-tone sharp", 0xE282,
              "accidentalQuarterToneSharpStein", 4),
             (232, "three-quarter-tone flat", 0xE281,
              "accidentalThreeQuarterTonesFlatZimmermann", 9),
             (233, "three-quarter-tone sharp", 0xE283,
              "accidentalThreeQuarterTonesSharpStein", 7),
             (234, "eighth-tone flat (natural, one arrow down)", 0xE2C2,
              "accidentalNaturalOneArrowDown", 7),
             (235, "eighth-tone sharp (natural, one arrow up)", 0xE2C7,
              "accidentalNaturalOneArrowUp", 6),
             (236, "quarter-tone flat (natural, two arrows down)", 0xE2CC,
              "accidentalNaturalTwoArrowsDown", 7),
             (237, "quarter-tone sharp (natural, two arrows up)", 0xE2D1,
              "accidentalNaturalTwoArrowsUp", 6),
             (238, "three-eighth-tone flat (flat, arrow up)", 0xE2C6,
              "accidentalFlatOneArrowUp", 7),
             (239, "three-eighth-tone sharp (sharp, arrow down)", 0xE2C3,
              "accidentalSharpOneArrowDown", 6)]
    for code, name, cp, smufl, width in micro:
        put(code, "microtonal accidental: " + name,
            accidental(cp, smufl, width))

    t.sort(key=lambda e: e[0])
    return t


# ------------------------------------------------------------- the font

def new_font():
    f = fontforge.font()
    f.encoding = "UnicodeBmp"
    f.em = EM
    f.fontname = PSNAME
    f.familyname = FAMILY
    f.fullname = FAMILY
    f.weight = "Regular"
    f.version = VERSION
    f.copyright = COPYRIGHT
    for attr, value in [("os2_winascent", ASCENT), ("os2_windescent", DESCENT),
                        ("os2_typoascent", ASCENT),
                        ("os2_typodescent", -DESCENT),
                        ("os2_typolinegap", 0), ("hhea_ascent", ASCENT),
                        ("hhea_descent", -DESCENT), ("hhea_linegap", 0)]:
        setattr(f, attr, value)
    for attr in ["os2_winascent_add", "os2_windescent_add",
                 "os2_typoascent_add", "os2_typodescent_add",
                 "hhea_ascent_add", "hhea_descent_add"]:
        setattr(f, attr, False)
    f.os2_use_typo_metrics = True
    f.os2_fstype = 0
    f.os2_vendor = "QSTV"
    lang = "English (US)"
    f.appendSFNTName(lang, "Copyright", COPYRIGHT)
    f.appendSFNTName(lang, "Family", FAMILY)
    f.appendSFNTName(lang, "SubFamily", "Regular")
    f.appendSFNTName(lang, "UniqueID", "%s %s" % (PSNAME, VERSION))
    f.appendSFNTName(lang, "Fullname", FAMILY)
    f.appendSFNTName(lang, "Version", "Version " + VERSION)
    f.appendSFNTName(lang, "PostScriptName", PSNAME)
    f.appendSFNTName(lang, "License", LICENSE)
    f.appendSFNTName(lang, "License URL", LICENSE_URL)
    f.appendSFNTName(lang, "Descriptor",
                     "Music symbols of the Quillstave editor, derived from "
                     "Bravura.")
    return f


def place(font, code, name, shape):
    glyph = font.createChar(0xF000 + code, name)
    glyph.foreground = shape.layer
    if " + " in shape.names:
        glyph.removeOverlap()
    glyph.correctDirection()
    x0, _, x1, _ = glyph.boundingBox()
    left, right = shape.bearings
    if not shape.keep_x:
        glyph.transform(psMat.translate(left - x0, 0))
        x1 += left - x0
    glyph.round()
    glyph.width = int(round(x1 + right))
    if is_plain_code(code):
        glyph.altuni = ((code, -1, 0),)
    return glyph


def patch_avg_char_width(path, value):
    """Sets OS/2 xAvgCharWidth and fixes the checksums."""
    data = bytearray(open(path, "rb").read())
    num_tables = struct.unpack(">H", data[4:6])[0]
    records = {}
    for i in range(num_tables):
        off = 12 + 16 * i
        tag = bytes(data[off:off + 4]).decode("latin-1")
        records[tag] = (off, ) + struct.unpack(">III", data[off + 4:off + 16])

    def checksum(buf):
        buf = bytes(buf) + b"\0" * (-len(buf) % 4)
        return sum(struct.unpack(">%dI" % (len(buf) // 4), buf)) & 0xFFFFFFFF

    rec, _, os2_off, os2_len = records["OS/2"]
    struct.pack_into(">h", data, os2_off + 2, value)
    struct.pack_into(">I", data, rec + 4,
                     checksum(data[os2_off:os2_off + os2_len]))
    _, _, head_off, head_len = records["head"]
    struct.pack_into(">I", data, head_off + 8, 0)
    head_rec = records["head"][0]
    struct.pack_into(">I", data, head_rec + 4,
                     checksum(data[head_off:head_off + head_len]))
    struct.pack_into(">I", data, head_off + 8,
                     (0xB1B0AFBA - checksum(data)) & 0xFFFFFFFF)
    open(path, "wb").write(bytes(data))


def write_licence(path, source_licence):
    """The licence text of the source, under the notices of this font."""
    text = open(source_licence, encoding="utf-8").read().replace("\r\n", "\n")
    body = text[text.index("-----"):]
    with open(path, "w", encoding="utf-8", newline="\n") as out:
        out.write(SOURCE_COPYRIGHT.replace("), with", "),\nwith") + "\n")
        out.write("Modifications copyright (c) 2026, the Quillstave "
                  "developers.\n\n")
        out.write("This Font Software is licensed under the SIL Open Font "
                  "License, Version 1.1.\nThis license is copied below, and "
                  "is also available with a FAQ at:\n"
                  "https://openfontlicense.org\n\n\n")
        out.write(body)


def write_table(path, table):
    with open(path, "w", encoding="utf-8", newline="\n") as out:
        out.write("code\tmeaning\tsource\n")
        for code, meaning, shape in table:
            out.write("%d\t%s\t%s\n" % (code, meaning, shape.names))


def write_source_fontlog(src, dst):
    """Copies the source font's FONTLOG, calling the music-font standard it
    refers to a "standard" and pointing at its home page, so the copy reads
    the same way as the rest of our documentation."""
    with open(src, encoding="utf-8") as f:
        text = f.read()
    text = re.sub(r"https://w3c\.github\.io/smufl/gitbook/s\w+/index\.html",
                  "https://w3c.github.io/smufl/gitbook/", text)
    text = re.sub(r"the s\w+ication for this metadata file", "the format of this metadata file", text)
    text = re.sub(r"SMuFL s\w+ication", "SMuFL standard", text)
    with open(dst, "w", encoding="utf-8") as f:
        f.write(text)


def main(argv):
    if len(argv) < 2:
        sys.stderr.write(__doc__)
        return 2
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = os.path.normpath(argv[2] if len(argv) > 2 else os.path.join(
        here, "..", "..", "resources", "fonts"))
    src = Source(os.path.join(argv[1], "Bravura.otf"))
    if src.font.version != SOURCE_VERSION:
        sys.stderr.write("warning: the source is %s, FONTLOG.txt names %s\n"
                         % (src.font.version, SOURCE_VERSION))
    table = build_table(src)
    sources = {}
    for code, _, shape in table:
        if shape.names != "drawn":
            shape.names = " + ".join("Bravura " + part for part in
                                     shape.names.split(" + "))
        sources[code] = shape.names

    font = new_font()
    notdef = font.createChar(-1, ".notdef")
    notdef.width = 0
    empty = font.createChar(0xF000, "code000")
    empty.width = 0
    for code, _, shape in table:
        place(font, code, "code%03d" % code, shape)

    ttf = os.path.join(out_dir, "QuaveroSymbols.ttf")
    font.generate(ttf, flags=("opentype", "no-FFTM-table",
                              "omit-instructions"))
    patch_avg_char_width(ttf, AVG_CHAR_WIDTH)
    write_table(os.path.join(out_dir, "quavero-glyphs.tsv"), table)
    write_licence(os.path.join(out_dir, "OFL.txt"),
                  os.path.join(argv[1], "Bravura-OFL.txt"))
    # The source asks that its FONTLOG travel with derived fonts.
    write_source_fontlog(os.path.join(argv[1], "Bravura-FONTLOG.txt"),
                         os.path.join(out_dir, "Bravura-FONTLOG.txt"))
    print("wrote %s (%d glyphs) and its table" % (ttf, len(table)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
