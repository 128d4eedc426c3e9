#!/usr/bin/python3
"""The Notes palette chapter of the walkthrough: the real program under a
virtual X server, driven by mouse and keys sent through the X server.

From the Notes palette, into a MusicXML score of four empty measures:
  - by keys, with the cursor placed by a click: a dotted quarter with a
    staccato (N 3 U S, then Enter 3), a tied eighth and its eighth (L,
    Enter 4, L L, Enter 4), a triplet of eighths (J, Enter 4 three times),
    an eighth rest (Space 4), a tempo mark (I and a click), and a grace note
    before the first note (V, Enter 5);
  - by mouse, each picker opened by the arrow of its button: the bass clef
    from the clef picker and G major from the key picker, each clicked into
    the second measure; 6/8 from the time picker, clicked into the third;
    a multi-measure rest clicked into the fourth, its count confirmed.
The document saved as a native score holds them (--print-contents), and
exported as MusicXML it holds the F clef, one sharp and 6/8.

usage: walkthrough_notes.py PROGRAM MUSICXML OUTDIR   (run under xvfb-run)
"""
import os
import re
import sys
import time
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from walkthrough import QUARTER, Session, chapter, check, contents, wait  # noqa: E402
from walkthrough_files import private_program  # noqa: E402
from window_edit import Staff, click_screen, windows  # noqa: E402
from window_smoke import window_rect  # noqa: E402

# The Notes palette's tool panel: cells of 30 pixels, the first row 50 high
# (clef, key, time, tempo, accolade, repeats, multi-measure rest), then the
# note values. Its origin follows from the point where the walkthrough
# clicks the quarter note's button (column 3 of the second row, 28 pixels
# square: 19 pixels in from its left, in its middle).
CELL, FIRST_ROW = 30, 50
PANEL = (QUARTER[0] - (1 + 3 * CELL + 19), QUARTER[1] - (FIRST_ROW + 2 + 14))
# The frame of a drop-down picker: its client starts this far in.
PICKER_CLIENT = (2, 15)


def button(col, row, dx=None, cells=1):
    """A point on the button at (col, row) of the panel; dx from its left
    (the middle when None)."""
    left = PANEL[0] + 1 + col * CELL
    top = PANEL[1] + (2 if row == 0 else FIRST_ROW + 2 + (row - 1) * CELL)
    width = cells * CELL - 2
    height = FIRST_ROW - 2 if row == 0 else CELL - 2
    return left + (width // 2 if dx is None else dx), top + height // 2


def arrow(col, cells=1):
    """The arrow part (9 pixels at the right edge) of a first-row button."""
    return button(col, 0, dx=cells * CELL - 2 - 5, cells=cells)


def counts(program, path):
    """The numbers of the "Music:" line of --print-contents, by word."""
    line = next(l for l in contents(program, path) if "Music:" in l)
    out = {}
    for part in re.split(r", (?=\d)", line.split("Music:")[1]):
        n, _, word = part.strip().partition(" ")
        out[word] = int(n)
    return line, out


def run(program, source, outdir):
    # A folder of its own: the palette's values kept beside the program
    # start from their defaults (the tuplet number, the regime ...).
    program = private_program(program, os.path.join(outdir, "program"))
    session = Session(program, source, outdir)
    d, keys, proc, song = session.d, session.keys, session.proc, session.song
    menu, dialog, shot, click = session.menu, session.dialog, session.shot, session.click
    try:
        known = {w.id for w in windows(d, "")}

        def new_windows():
            return [w for w in windows(d, "") if w.id not in known]

        def settle():
            """Answers the one message that there is no sound, once."""
            time.sleep(0.6)
            if new_windows():
                keys.press("Return")
                time.sleep(0.5)
                known.update(x.id for x in windows(d, ""))

        def move_click(x, y):
            click_screen(d, x, y)
            time.sleep(0.6)

        def save_as(path, what):
            session.save_as(path, what)
            known.update(w.id for w in windows(d, ""))

        def picker(title):
            """The picker that dropped down, and the screen point of a point
            of its client."""
            wait("the picker " + title, lambda: windows(d, title))
            time.sleep(0.4)
            w = windows(d, title)[0]
            x, y, _, _ = window_rect(d, w)
            return lambda cx, cy: (x + PICKER_CLIENT[0] + cx, y + PICKER_CLIENT[1] + cy)

        def measure_point(n, fraction=0.1, line=2):
            """A point in measure n of the first staff, on a staff line."""
            staff = Staff(shot("staff"))
            x0, x1 = staff.measure(n)
            return x0 + (x1 - x0) * fraction, staff.lines[line][0]

        # 1. Open the score.
        menu("f", "o")
        dialog(song)
        time.sleep(1.5)
        known.update(w.id for w in windows(d, ""))

        # 2. By keys: the cursor into the first measure (Point places it),
        # then a dotted quarter with a staccato, a tie, a triplet, a rest.
        keys.press("q")
        click(*measure_point(0, 0.05))
        for k in "n3us":
            keys.press(k)
        keys.press("Return")
        keys.press("3")
        settle()
        keys.press("l")
        keys.press("Return")
        keys.press("4")
        keys.press("l")
        keys.press("l")
        keys.press("Return")
        keys.press("4")
        keys.press("j")
        for _ in range(3):
            keys.press("Return")
            keys.press("4")
        keys.press("q")  # Point releases the tuplet (J again would make it 4)
        keys.press("space")
        keys.press("4")
        time.sleep(0.8)
        # A tempo mark: I chooses the tool, a click into the first measure.
        keys.press("i")
        click(*measure_point(0, 0.05, line=0))
        keys.press("q")
        # A grace note before the first note: the cursor onto it, V, Enter 5.
        click(*measure_point(0, 0.08))
        keys.press("v")
        keys.press("Return")
        keys.press("5")
        keys.press("v")
        keys.press("q")
        time.sleep(0.5)

        # 3. By mouse: the bass clef from the clef picker, into measure 2.
        click(*arrow(0))
        at = picker("Clef")
        move_click(*at(80 + 39, 2 + 39))
        time.sleep(0.5)
        click(*measure_point(1, 0.3))
        # G major from the key picker, into measure 2.
        click(*arrow(1, cells=2))
        at = picker("Key signature")
        move_click(*at(1 + 25, 1 + 51 + 26))
        time.sleep(0.5)
        click(*measure_point(1, 0.5))
        # 6/8 from the time picker: 6 beats typed, the unit 8 from its list.
        click(*arrow(3))
        at = picker("Time signature")
        move_click(*at(66 + 17, 4 + 10))
        keys.press("a", "Control_L")
        keys.type("6")
        move_click(*at(66 + 25, 33 + 10))
        time.sleep(0.5)
        keys.type("8")  # the list's entry "8", whatever lies under the pointer
        keys.press("Return")
        time.sleep(0.5)
        keys.press("Escape")
        time.sleep(0.3)
        click(*measure_point(2, 0.3))
        # A multi-measure rest into measure 4: its count is asked.
        click(*button(8, 0))
        before = {w.id for w in windows(d, "")}
        click(*measure_point(3, 0.3))
        wait("the count question", lambda: any(w.id not in before for w in windows(d, "")))
        time.sleep(0.5)
        keys.press("Return")
        time.sleep(0.8)
        keys.press("q")
        shot("entered")

        # 4. The saved file holds what was entered.
        saved = os.path.join(outdir, "notes.sfd")
        save_as(saved, "the native file")
        line, n = counts(program, saved)
        print(line)
        _, before = counts(program, song)
        check(n.get("clefs", 0) == 2, "a clef change besides the first clef")
        check(n.get("key signatures", 0) == 2, "a key change")
        check(n.get("time signatures", 0) == 2, "a time signature change")
        check(n.get("tempo mark", 0) == 1, "a tempo mark")
        check(n.get("tuplet", n.get("tuplets", 0)) >= 1, "a triplet")
        check(n.get("grace note", 0) == 1, "a grace note")
        check(n.get("slur or tie", n.get("slurs and ties", 0)) >= 1, "a tie")
        check(n.get("notes", 0) == 6, "six notes: the dotted quarter, two eighths, the triplet")
        marks = "marks (articulations, ornaments, repeat signs and the like)"
        check(n.get(marks, 0) == before.get(marks, 0) + 2, "two more marks: the staccato and the multi-measure rest")
        exported = os.path.join(outdir, "notes.xml")
        save_as(exported, "the MusicXML file")
        root = ET.parse(exported).getroot()
        check(any(c.findtext("sign") == "F" for c in root.iter("clef")), "the bass clef")
        check(any(k.findtext("fifths") == "1" for k in root.iter("key")), "G major")
        check(any(t.findtext("beats") == "6" and t.findtext("beat-type") == "8" for t in root.iter("time")), "6/8")
        check(any(True for _ in root.iter("staccato")), "the staccato")
        check(any(True for _ in root.iter("grace")), "the grace note")
        check(any(n.find("dot") is not None for n in root.iter("note")), "the dotted note")
        check(any(t.findtext("actual-notes") == "3" for t in root.iter("time-modification")), "a triplet of three")
        check(any(t.get("type") == "start" for t in root.iter("tie")), "the tie")
        check(proc.poll() is None, "the program still runs")
    finally:
        session.close()


if __name__ == "__main__":
    sys.exit(chapter(run, "walkthrough of the Notes palette"))
