#!/usr/bin/python3
"""The Modify palette chapter of the walkthrough: the real program under a
virtual X server, driven by mouse and keys sent through the X server.

On a score of two measures, each with four eighths beamed in pairs and a
half note, and two empty measures:
  - the four eighths of the second measure selected (a click on the first,
    Shift+Right), then beamed as one group from the palette's join button;
  - everything selected (Ctrl+A), the interval of the upward transpose
    button set to 4 in its chooser (opened by the button's arrow), and the
    button clicked: the score goes up a major third;
  - the cursor into the first measure, and its own join style "the whole
    measure" chosen in the join style drop-down;
the score saved as MusicXML holds every note a major third higher and the
second measure's eighths beamed in one group (the first measure's notes
too, by its own join style); saved as a native score it keeps its ten notes.

usage: walkthrough_modify.py PROGRAM MUSICXML OUTDIR   (run under xvfb-run)
"""
import os
import sys
import time
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from walkthrough import Session, chapter, check, contents, pitches, wait  # noqa: E402
from walkthrough_files import private_program  # noqa: E402
from window_edit import Staff, windows  # noqa: E402
from window_smoke import window_rect  # noqa: E402

# The Windows menu lists the palettes in the tool notebook's order.
MODIFY = 9
# The palette's client in the main window, docked in its page; its buttons
# stand two to a column, 26 pixels square (38 wide with an arrow), two
# pixels apart, a gap of eight before each group.
PALETTE = (6, 50)
ROWS = (4, 33)
WIDE = (2, 18, 20)
GROUPS = (5, 10, 16, 19)
UNION_NOTES, PITCH, JOIN_STYLE = 7, 2, 18
# The frame of a drop-down: its client starts this far in.
PICKER_CLIENT = (2, 15)
NAMES = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}


def column_left(column):
    left = 4
    for c in range(column):
        left += (38 if c in WIDE else 26) + 2 + (8 if c + 1 in GROUPS else 0)
    return left


def button(column, bottom=False, arrow=False):
    """A point of a palette button in the main window: its middle, or its
    arrow part (the 9 pixels at its right edge)."""
    left = PALETTE[0] + column_left(column)
    width = 38 if column in WIDE else 26
    x = left + width - 5 if arrow else left + (width - 9 if column in WIDE else width) // 2
    return x, PALETTE[1] + ROWS[1 if bottom else 0] + 13


def midi(name):
    """ "F#5" as a MIDI number."""
    step, octave = name[0], int(name[-1])
    alter = {"#": 1, "b": -1, "##": 2, "bb": -2}.get(name[1:-1], 0)
    return 12 * (octave + 1) + NAMES[step] + alter


def beams(root, measure):
    """The first-level beam values of the notes of a measure, in order."""
    for m in root.iter("measure"):
        if m.get("number") == str(measure):
            return [n.findtext("beam[@number='1']") or "-" for n in m.iter("note") if n.find("rest") is None]
    return []


def run(program, source, outdir):
    program = private_program(program, os.path.join(outdir, "program"))
    session = Session(program, source, outdir)
    d, keys, proc, song = session.d, session.keys, session.proc, session.song
    menu, dialog, shot, click = session.menu, session.dialog, session.shot, session.click
    try:
        def page(index):
            """The palette's page made current: its Windows menu item hides
            a shown page, a second time shows it and makes it current."""
            for _ in range(2):
                keys.press("w", "Alt_L")
                time.sleep(0.4)
                for _ in range(index + 1):
                    keys.press("Down")
                keys.press("Return")
                time.sleep(0.6)

        def measure_point(n, fraction=0.1, line=2):
            staff = Staff(shot("staff"))
            x0, x1 = staff.measure(n)
            return x0 + (x1 - x0) * fraction, staff.lines[line][0]

        def drop_down(title):
            """The drop-down that opened, and the main window's point of a
            point of its client."""
            wait("the drop-down " + title, lambda: windows(d, title))
            time.sleep(0.4)
            x, y, _, _ = window_rect(d, windows(d, title)[0])
            ox, oy, _, _ = window_rect(d, session.main)
            return lambda cx, cy: (x - ox + PICKER_CLIENT[0] + cx, y - oy + PICKER_CLIENT[1] + cy)

        # 1. Open the score and show the Modify page.
        menu("f", "o")
        dialog(song)
        time.sleep(1.5)
        page(MODIFY)
        before = pitches(song)

        # 2. The eighths of the second measure selected and beamed together.
        click(*measure_point(1, 0.08, line=3))
        for _ in range(3):
            keys.press("Right", "Shift_L")
        shot("selected")
        click(*button(UNION_NOTES))
        shot("rebeamed")

        # 3. Everything a major third up: the interval 4 typed into the
        # chooser of the upward transpose button, then the button.
        keys.press("a", "Control_L")
        click(*button(PITCH, arrow=True))
        at = drop_down("Transpose")
        click(*at(122 + 26, 8 + 10))
        keys.press("End")
        for _ in range(4):
            keys.press("BackSpace")
        keys.type("4")
        time.sleep(0.3)
        shot("interval")
        keys.press("Escape")
        time.sleep(0.4)
        click(*button(PITCH))
        shot("transposed")

        # 4. The first measure beamed as a whole by its own join style.
        click(*measure_point(0, 0.5, line=0))
        click(*button(JOIN_STYLE, arrow=True))
        at = drop_down("Join notes style")
        click(*at(10 + 6, 6 + 9))  # own style
        click(*at(8 + 8 + 72 + 16 + 20, 30 + 18 + 20))  # the whole measure
        shot("joined")
        keys.press("Escape")
        time.sleep(0.4)

        # 5. The saved files.
        exported = os.path.join(outdir, "modify.xml")
        session.save_as(exported, "the MusicXML file")
        after = pitches(exported)
        print(before, "->", after)
        check(len(after) == len(before) == 10, "ten notes")
        check([midi(p) - midi(q) for p, q in zip(after, before)] == [4] * 10, "every note a major third higher")
        root = ET.parse(exported).getroot()
        print("beams:", beams(root, 1), beams(root, 2))
        # Four eighths in one group where there were two pairs (the last
        # one's beam said to go on towards the half note, which takes none).
        def one_group(values):
            return values[:3] == ["begin", "continue", "continue"] and values[3] in ("continue", "end")
        check(beams(ET.parse(song).getroot(), 2)[:4] == ["begin", "end", "begin", "end"], "pairs before")
        check(one_group(beams(root, 2)), "the second measure's eighths in one group")
        check(one_group(beams(root, 1)), "the first measure joined as a whole")
        settings = [os.path.join(r, f) for r, _, fs in os.walk(outdir) for f in fs if f == "ProgramSetting.ini"]
        text = open(settings[0], encoding="utf-8").read() if settings else ""
        check("[Modify]" in text and "PitchUp=4" in text.split("[Modify]")[1], "the interval kept in the settings")
        check("BarUnionActive=1" in text.split("[Modify]")[1] and "BarUnionCount=1" in text.split("[Modify]")[1],
              "the join style kept in the settings")
        native = os.path.join(outdir, "modify.sfd")
        session.save_as(native, "the native file")
        music = next(l for l in contents(program, native) if "Music:" in l)
        print(music)
        check("10 notes" in music, "the native score keeps its ten notes")
        check(proc.poll() is None, "the program still runs")
    finally:
        session.close()


if __name__ == "__main__":
    sys.exit(chapter(run, "walkthrough of the Modify palette"))
