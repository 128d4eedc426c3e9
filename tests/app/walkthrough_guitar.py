#!/usr/bin/python3
"""The Guitar palette, driven under a virtual X server with the mouse and
keys sent through the X server:

  1. the Guitar page is the current tool page (as the settings say); six
     clicks on its fretboard hold a G major chord (the top and bottom E
     strings at the third fret, the A string at the second, the others
     open), and each click enters the held notes at the cursor as one
     chord: saved as MusicXML the chord is G2 B2 D3 G3 B3 G4;
  2. File > Save As writes a native file; closed and opened again it holds
     the same (--print-contents) and exports the same chord.

The program runs from a folder of its own (its files linked there), so that
its settings file is this test's alone.

usage: walkthrough_guitar.py PROGRAM MUSICXML OUTDIR   (run under xvfb-run)
"""
import os
import shutil
import subprocess
import sys
import time
import xml.etree.ElementTree as ET

from Xlib import X, display
from Xlib.ext import xtest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from walkthrough import Keys, chapter, check, contents, pitches, wait  # noqa: E402
from walkthrough_files import private_program  # noqa: E402
from window_edit import Shot, windows  # noqa: E402
from window_smoke import crop, screenshot, window_rect  # noqa: E402

TITLE = "Quillstave 4"
GUITAR_PAGE = 8  # the tool pages' order: Notes, Symbols, ..., Piano, Guitar
OLIVE, WHITE, GREY, BLACK, STRING = (128, 128, 0), (255, 255, 255), (128, 128, 128), (0, 0, 0), (66, 64, 64)


def pixel(s, x, y):
    i = s.at(x, y)
    return tuple(s.p[i:i + 3])


class Fretboard:
    """The fretboard as drawn: the black panel of the open strings, the fret
    wires (a white line after a grey one) and the string lines."""

    def __init__(self, s, top, bottom):
        rows = [y for y in range(top, bottom) if sum(pixel(s, x, y) == OLIVE for x in range(s.w)) > 200]
        check(rows, "the fretboard is drawn")
        self.top, self.bottom = rows[0], rows[-1]
        # The row with the most olive passes between the strings.
        row = max(rows, key=lambda y: sum(pixel(s, x, y) == OLIVE for x in range(s.w)))
        self.wires = [x for x in range(1, s.w) if pixel(s, x, row) == WHITE and pixel(s, x - 1, row) == GREY]
        black = [x for x in range(0, self.wires[0]) if pixel(s, x, row) == BLACK]
        self.panel = (black[0] + black[-1]) // 2
        self.panel_right = black[-1] + 1
        x = (self.wires[0] + self.wires[1]) // 2
        lines = [y for y in range(self.top, self.bottom + 1) if pixel(s, x, y) == STRING]
        self.strings = [y - 1 for i, y in enumerate(lines) if i == 0 or lines[i - 1] != y - 1]

    def point(self, string, fret):
        """Fret 0: the open string on the panel; fret k: the middle of cell k."""
        if fret == 0:
            return self.panel, self.strings[string]
        left = self.panel_right if fret == 1 else self.wires[fret - 2]
        return (left + self.wires[fret - 1]) // 2, self.strings[string]


def chord_of(path):
    """The pitches of a MusicXML file, low to high, and how many notes are
    tied into chords (the <chord/> mark)."""
    order = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}
    found = pitches(path)
    key = lambda p: int(p[-1]) * 12 + order[p[0]] + p[1:-1].count("#") - p[1:-1].count("b")  # noqa: E731
    chorded = sum(1 for _ in ET.parse(path).getroot().iter("chord"))
    return sorted(found, key=key), chorded


def run(program, source, outdir):
    d = display.Display()
    keys = Keys(d)
    folder = os.path.join(outdir, "program")
    program = private_program(program, folder)
    with open(os.path.join(folder, "ProgramSetting.ini"), "w", encoding="utf-8") as f:
        # Fretboard clicks stay silent: no message about a missing sound
        # card comes between the clicks.
        f.write("[Tools]\nLanguage=ENU\nStartModule=0\n[FProgramModule]\nActiveTool=%d\n"
                "[Effects]\nPlayGuitar=0\n" % GUITAR_PAGE)
    env = dict(os.environ)
    env.pop("QT_QPA_PLATFORM", None)
    song = os.path.join(outdir, "song.xml")
    shutil.copyfile(source, song)
    proc = subprocess.Popen([program, song], env=env)
    try:
        wait("the main window", lambda: proc.poll() is None and windows(d, "song - " + TITLE))
        main = windows(d, "song - " + TITLE)[0]
        time.sleep(1.5)

        def shot(name):
            fw, _, full = screenshot(os.path.join(outdir, name + ".ppm"))
            return Shot(*crop(fw, full, window_rect(d, main)))

        def click(x, y):
            ox, oy, _, _ = window_rect(d, main)
            xtest.fake_input(d, X.MotionNotify, x=int(ox + x), y=int(oy + y))
            d.sync()
            time.sleep(0.1)
            xtest.fake_input(d, X.ButtonPress, 1)
            d.sync()
            time.sleep(0.05)
            xtest.fake_input(d, X.ButtonRelease, 1)
            d.sync()
            time.sleep(0.6)

        def menu(entry, letter):
            keys.press(entry, "Alt_L")
            time.sleep(0.3)
            keys.press(letter)

        def save_as(path, what):
            menu("f", "a")
            wait("the file dialog", lambda: any(w.id != main.id for w in windows(d, "")))
            time.sleep(0.8)
            keys.type(path)
            keys.press("Return")
            wait(what, lambda: os.path.exists(path))
            time.sleep(0.5)

        # 1. A G major chord held on the fretboard of the docked palette.
        board = Fretboard(shot("guitar-0"), 40, 200)
        check(len(board.strings) == 6 and len(board.wires) >= 5,
              "the fretboard shows six strings and its frets: %s, %d wires" % (board.strings, len(board.wires)))
        for string, fret in ((0, 3), (1, 0), (2, 0), (3, 0), (4, 2), (5, 3)):
            click(*board.point(string, fret))
        shot("guitar-1")
        exported = os.path.join(outdir, "guitar.xml")
        save_as(exported, "the MusicXML file")
        held, chorded = chord_of(exported)
        check(held == ["G2", "B2", "D3", "G3", "B3", "G4"] and chorded == 5,
              "the held G major chord is entered as one chord: %s (%d notes joined)" % (held, chorded))
        # 2. Saved, closed, opened again.
        saved = os.path.join(outdir, "guitar.sfd")
        save_as(saved, "the native file")
        notes = [line for line in contents(program, saved) if "Music:" in line]
        check(notes and "6 notes" in notes[0], "the native file holds the six notes: %s" % notes)
        menu("f", "c")
        time.sleep(1.0)
        menu("f", "o")
        wait("the file dialog", lambda: any(w.id != main.id for w in windows(d, "")))
        time.sleep(0.8)
        keys.type(saved)
        keys.press("Return")
        wait("the reopened file", lambda: windows(d, "guitar - " + TITLE), 30)
        time.sleep(1.0)
        again = os.path.join(outdir, "again.xml")
        save_as(again, "the MusicXML file of the reopened score")
        check(chord_of(again) == (held, chorded), "the reopened score holds the same chord: %s" % (chord_of(again),))
        check(proc.poll() is None, "the program still runs")
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()


def main():
    return chapter(run, "walkthrough of the guitar")


if __name__ == "__main__":
    sys.exit(main())
