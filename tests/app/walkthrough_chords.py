#!/usr/bin/python3
"""The Chords palette, driven under a virtual X server with the mouse and
keys sent through the X server:

  1. the Chords page is the current tool page; "maj" clicked, the base
     stepped to 7 with the page's keys and the raised eleventh (its style
     "#" kept in the settings) clicked: Cmaj7#11 is entered as a chord
     symbol;
  2. Esc releases the palette's buttons; the cursor moved off the symbol
     and back onto it, the palette shows Cmaj7#11 again;
  3. the mode button twice, then the frame drop-down: a click on its frame
     enters a guitar frame of that chord; the mode button twice again, then
     the root's face: the chord is entered as notes (C E G B F#);
  4. the score is selected and the palette's save button saves the notes
     as a library chord "Mine" named "maj7": "Chords.ini" lists it first;
  5. the program started again: the first button of the library row is the
     saved chord, and a click on it enters a symbol named "Cmaj7";
  6. the saved scores hold what was entered (--print-contents and the
     chord code in the native file).

The program runs from a folder of its own (its files linked there), so that
its settings file and its library are this test's alone.

usage: walkthrough_chords.py PROGRAM MUSICXML OUTDIR   (run under xvfb-run)
"""
import configparser
import os
import shutil
import subprocess
import sys
import time

from Xlib import X, display
from Xlib.ext import xtest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from walkthrough import Keys, chapter, check, contents, pitches, wait  # noqa: E402
from walkthrough_files import private_program  # noqa: E402
from window_edit import Shot, click_screen, windows  # noqa: E402
from window_smoke import crop, screenshot, window_rect  # noqa: E402

TITLE = "Quillstave 4"
CHORDS_PAGE = 4  # Notes, Symbols, Expanded, Terms, Chords, ...
# The palette's controls in the main window: the palette's own place plus
# (10, 51) while it is docked (the window's frame, menu bar and page tabs).
OFFSET = (10, 51)
MODE_BUTTON = (18, 13)
MAJOR_FACE = (100, 40)
ROOT_FACE = (55, 13)
ADD11_FACE = (400, 13)
SAVE_BUTTON = (445, 40)
CHORDS_BUTTON = (445, 67)
FIRST_LIBRARY_BUTTON = (536, 13)
# The buttons' row and the chord's name under them, compared before and
# after the cursor comes back to the symbol.
BUTTONS_AREA = (40, 0, 500, 84)
# Cmaj7#11 as its chord code: four elements, no bass, root C, "maj", base
# 7, the eleventh raised with the style "#".
CMAJ7S11 = bytes([4, 0, 0x00, 0x30, 0x12, 0xD5])


def on_palette(x, y):
    return x + OFFSET[0], y + OFFSET[1]


def run(program, source, outdir):
    d = display.Display()
    keys = Keys(d)
    folder = os.path.join(outdir, "program")
    program = private_program(program, folder)
    with open(os.path.join(folder, "ProgramSetting.ini"), "w", encoding="utf-8") as f:
        f.write("[Tools]\nLanguage=ENU\nStartModule=0\n[FProgramModule]\nActiveTool=%d\n"
                "[Chords]\nChordAddition=0\nChordAdd11=1\nChordAddStyle=2\n[Effects]\nPlayGuitar=0\n" % CHORDS_PAGE)
    env = dict(os.environ)
    env.pop("QT_QPA_PLATFORM", None)
    song = os.path.join(outdir, "song.xml")
    shutil.copyfile(source, song)

    def start(path, title):
        proc = subprocess.Popen([program, path], env=env)
        wait("the main window", lambda: proc.poll() is None and windows(d, title))
        time.sleep(1.5)
        return proc, windows(d, title)[0]

    proc, main = start(song, "song - " + TITLE)
    try:
        def shot(name):
            fw, _, full = screenshot(os.path.join(outdir, name + ".ppm"))
            return Shot(*crop(fw, full, window_rect(d, main)))

        def area(s, box):
            x0, y0, x1, y1 = box
            x0, y0 = on_palette(x0, y0)
            x1, y1 = on_palette(x1, y1)
            return bytes(s.p[s.at(x, y):s.at(x, y) + 3][i] for y in range(y0, y1) for x in range(x0, x1) for i in range(3))

        def click_in(window, x, y):
            ox, oy, _, _ = window_rect(d, window)
            xtest.fake_input(d, X.MotionNotify, x=int(ox + x + 3), y=int(oy + y + 3))
            d.sync()
            time.sleep(0.1)
            click_screen(d, ox + x, oy + y)
            time.sleep(0.6)

        def click(place):
            click_in(main, *on_palette(*place))

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

        # 1. Cmaj7#11 built on the palette and entered as a symbol.
        click(MAJOR_FACE)
        keys.press("m")
        keys.press("m")
        time.sleep(0.5)
        click(ADD11_FACE)
        built = area(shot("chords-1-built"), BUTTONS_AREA)
        symbol = os.path.join(outdir, "symbol.sfd")
        save_as(symbol, "the native file with the symbol")
        check(CMAJ7S11 in open(symbol, "rb").read(), "Cmaj7#11 is entered as a chord symbol")
        check(any("1 chord symbol" in line for line in contents(program, symbol)),
              "the score holds one chord symbol")

        # 2. The palette follows the cursor back onto the symbol.
        keys.press("Escape")
        time.sleep(0.5)
        released = area(shot("chords-2-released"), BUTTONS_AREA)
        check(released != built, "Esc releases the palette's buttons")
        keys.press("Right")
        time.sleep(0.5)
        keys.press("Left")
        time.sleep(0.8)
        shown = area(shot("chords-3-cursor"), BUTTONS_AREA)
        check(shown == built, "with the cursor on the symbol the palette shows Cmaj7#11 again")

        # 3. As a frame (the mode button twice), then as notes.
        click(MODE_BUTTON)
        click(MODE_BUTTON)
        before = {w.id for w in d.screen().root.query_tree().children}
        click(CHORDS_BUTTON)
        shot("chords-4-frame")
        wait("the frame drop-down", lambda: any(
            w.id not in before and w.get_attributes().map_state == X.IsViewable
            for w in d.screen().root.query_tree().children))
        time.sleep(0.5)
        drop = [w for w in d.screen().root.query_tree().children
                if w.id not in before and w.get_attributes().map_state == X.IsViewable][0]
        _, _, dw, dh = window_rect(d, drop)
        click_in(drop, dw // 2, dh // 2)
        shot("chords-5-frame-drawn")
        click_in(drop, dw - 9, 8)  # its close button
        wait("the frame drop-down to close", lambda: drop.id not in {
            w.id for w in d.screen().root.query_tree().children if w.get_attributes().map_state == X.IsViewable}, 10)
        framed = os.path.join(outdir, "framed.sfd")
        save_as(framed, "the native file with the frame")
        held = contents(program, framed)
        music = [line for line in held if "Music:" in line]
        check(music and "1 guitar frame" in music[0] and "1 chord symbol" in music[0],
              "the score holds the symbol and a frame: %s" % music)
        check(open(framed, "rb").read().count(CMAJ7S11) >= 2, "the frame carries the chord Cmaj7#11")

        click(MODE_BUTTON)
        click(MODE_BUTTON)
        click(ROOT_FACE)
        exported = os.path.join(outdir, "notes.xml")
        save_as(exported, "the MusicXML file")
        found = pitches(exported)
        check(sorted(found) == sorted(["C4", "E4", "G4", "B4", "F#5"]),
              "Cmaj7#11 is entered as the notes C E G B F#: %s" % found)
        # 4. The notes saved as a library chord.
        click(MODE_BUTTON)
        click(MODE_BUTTON)  # back to symbols
        keys.press("a", "Control_L")
        time.sleep(0.5)
        click(SAVE_BUTTON)
        wait("the Chord dialog", lambda: windows(d, "Chord"))
        time.sleep(0.8)
        keys.type("maj7")
        keys.press("Tab")
        keys.press("Tab")
        keys.type("my chord")
        keys.press("Tab")
        keys.type("Mine")
        keys.press("Return")
        index = os.path.join(folder, "Chords.ini")
        wait("Chords.ini", lambda: os.path.exists(index))
        time.sleep(0.5)
        check(not windows(d, "Chord"), "Save closes the Chord dialog")
        ini = configparser.ConfigParser(strict=False, interpolation=None)
        ini.optionxform = str
        ini.read(index, encoding="utf-8")
        check(ini.get("Chords", "Chord0", fallback="") == "Mine"
              and os.path.exists(os.path.join(folder, "Templates", "Mine.chd")),
              "the saved chord heads the library: %s" % dict(ini["Chords"]) if ini.has_section("Chords") else "")
        check(b"maj7" in open(os.path.join(folder, "Templates", "Mine.chd"), "rb").read(),
              "the chord file keeps the name typed")
        proc.kill()
        proc.wait()

        # 5. After a restart the library row begins with the saved chord.
        empty = os.path.join(outdir, "empty.xml")
        shutil.copyfile(source, empty)
        proc, main = start(empty, "empty - " + TITLE)
        click(FIRST_LIBRARY_BUTTON)
        library = os.path.join(outdir, "library.sfd")
        save_as(library, "the native file with the library chord")
        data = open(library, "rb").read()
        check(any("1 chord symbol" in line for line in contents(program, library)) and b"maj7" in data,
              "the first button of the library row enters the saved chord after a restart")
        check(proc.poll() is None, "the program still runs")
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()


def main():
    return chapter(run, "walkthrough of the chords")


if __name__ == "__main__":
    sys.exit(main())
