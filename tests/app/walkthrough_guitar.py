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
import struct
import subprocess
import sys
import time
import xml.etree.ElementTree as ET

from Xlib import X, display
from Xlib.ext import xtest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from walkthrough import Keys, chapter, check, contents, pitches, wait  # noqa: E402
from walkthrough_files import private_program  # noqa: E402
from window_edit import Shot, click_screen, windows  # noqa: E402
from window_smoke import crop, screenshot, window_rect  # noqa: E402

TITLE = "Quillstave 4"
GUITAR_PAGE = 8  # the tool pages' order: Notes, Symbols, ..., Piano, Guitar
# Places in the main window (from its top-left corner): the Chords item of
# the Windows menu, the Chords page's mode button, the frame-editor button
# and the first two buttons of the frame row.
CHORDS_ITEM, MODE_BUTTON, EDIT_FRAME = (382, 140), (28, 65), (454, 92)
FRAME_BUTTONS = ((549, 84), (607, 84))
# Places in the Frame Editor's window: the barre box of the third shown
# fret, the finger box of the top string, the OK button.
BARRE_FRET3, FINGER_TOP_STRING, EDITOR_OK = (285, 224), (267, 284), (298, 333)
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


def added_frame(old, new, strings=6):
    """The frame a guitar file gained: (start fret, barre bytes, string
    entries as (further, finger, fret)), the file otherwise the same but for
    its frame count; None when it gained no frame."""
    for at in range(len(new)):
        if new[at] != ord("$") or len(new) - at < 10:
            continue
        used = new[at + 5]
        code = struct.unpack_from("<H", new, at + 8)[0]
        end = at + 10 + code + used + 3 * strings
        if end > len(new) or len(new) - (end - at) != len(old) or new[end:] != old[at:]:
            continue
        differ = [i for i in range(at) if new[i] != old[i]]
        if len(differ) > 2:
            continue
        barre = list(new[at + 10 + code:at + 10 + code + used])
        entries = new[at + 10 + code + used:end]
        return new[at + 4], barre, [tuple(entries[3 * i:3 * i + 3]) for i in range(strings)]
    return None


def viewable(d):
    """The top-level windows shown now, titled or not."""
    found = []
    for w in d.screen().root.query_tree().children:
        try:
            if w.get_attributes().map_state == X.IsViewable:
                found.append(w)
        except Exception:
            continue
    return found


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

        def click_in(window, x, y):
            """A click at (x, y) of window, the pointer brought in from
            beside the point (menus and choosers take a click only after
            the pointer moved over them)."""
            ox, oy, _, _ = window_rect(d, window)
            xtest.fake_input(d, X.MotionNotify, x=int(ox + x + 3), y=int(oy + y + 3))
            d.sync()
            time.sleep(0.1)
            click_screen(d, ox + x, oy + y)
            time.sleep(0.6)

        def click(x, y):
            click_in(main, x, y)

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
        # 2. The Chords page in frame mode, on G.
        for _ in range(2):
            # Hidden, then shown again: shown, its page comes to the front.
            menu_open = len(viewable(d))
            keys.press("w", "Alt_L")
            wait("the Windows menu", lambda: len(viewable(d)) > menu_open)
            time.sleep(0.5)
            click(*CHORDS_ITEM)
            wait("the Windows menu to close", lambda: len(viewable(d)) == menu_open)
        click(*MODE_BUTTON)
        click(*MODE_BUTTON)
        for _ in range(4):
            keys.press("n")
        time.sleep(0.8)
        click(*FRAME_BUTTONS[0])
        click(*EDIT_FRAME)
        wait("the Frame Editor", lambda: windows(d, "Frame Editor"))
        editor = windows(d, "Frame Editor")[0]
        time.sleep(0.8)
        shipped = os.path.join(folder, "resources", "Templates", "Guitar6.gtr")
        kept = os.path.join(folder, "Templates", "Guitar6.gtr")
        before = open(kept if os.path.exists(kept) else shipped, "rb").read()
        click_in(editor, *BARRE_FRET3)
        known = {w.id for w in viewable(d)}
        click_in(editor, *FINGER_TOP_STRING)
        wait("the finger chooser", lambda: [w for w in viewable(d) if w.id not in known])
        chooser = [w for w in viewable(d) if w.id not in known][0]
        time.sleep(0.5)
        _, _, cw, ch = window_rect(d, chooser)
        click_in(chooser, cw // 2, ch - 33)  # "4", above "T"
        shot("frame-editor")
        click_in(editor, *EDITOR_OK)
        wait("the guitar file to keep the frame", lambda: os.path.exists(kept) and open(kept, "rb").read() != before, 20)
        check(not windows(d, "Frame Editor"), "OK closes the Frame Editor")
        frame = added_frame(before, open(kept, "rb").read())
        check(frame is not None, "the guitar's file gains one frame")
        start, barre, entries = frame
        check(start == 0 and barre[2] == 1 and barre.count(1) == 1 and entries[5][1] == 4
              and [e[2] for e in entries] == [3, 2, 0, 0, 0, 3],
              "the frame kept is the G chord with a barre at the third fret and finger 4 on the top string:"
              " start %d, barre %s, strings %s" % frame)
        click(*FRAME_BUTTONS[1])
        # 3. Saved, closed, opened again.
        saved = os.path.join(outdir, "guitar.sfd")
        save_as(saved, "the native file")
        held_there = contents(program, saved)
        notes = [line for line in held_there if "Music:" in line]
        check(notes and "6 notes" in notes[0] and "1 guitar frame" in notes[0],
              "the native file holds the six notes and the frame: %s" % notes)
        # The frame's string entries are stored as the guitar keeps them:
        # the edited frame is the one at the cursor, not the library's.
        edited = bytes(b for e in entries for b in e)
        library = edited[:-2] + bytes([3, edited[-1]])
        stored = open(saved, "rb").read()
        check(edited in stored and library not in stored, "the frame entered is the edited one")
        menu("f", "c")
        time.sleep(1.0)
        menu("f", "o")
        wait("the file dialog", lambda: any(w.id != main.id for w in windows(d, "")))
        time.sleep(0.8)
        keys.type(saved)
        keys.press("Return")
        wait("the reopened file", lambda: windows(d, "guitar - " + TITLE), 30)
        time.sleep(1.0)
        again_native = os.path.join(outdir, "again.sfd")
        save_as(again_native, "the native file of the reopened score")
        check(contents(program, again_native) == held_there and edited in open(again_native, "rb").read(),
              "the reopened score holds the notes and the edited frame again")
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
