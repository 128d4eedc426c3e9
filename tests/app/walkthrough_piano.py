#!/usr/bin/python3
"""The Piano and Intervals chapter of the walkthrough: the real program
under a virtual X server, driven by mouse and keys sent through the X
server.

Into a MusicXML score of empty measures:
  - on the Piano page (opened from the Windows menu), with the cursor put
    into the first measure by a click: the keys C, D and E clicked low
    (quarter notes), a C major chord clicked in chord mode, a rest typed
    with Space, and a G;
  - on the Intervals page: a major third and a fifth above, eighths;
  - back on the Piano page: the diamond head chosen in the drum style
    picker, and a drum note entered with it;
  - the drum map dialog from the Libraries menu: a name typed for the
    highest key, saved; DrumMap.ini holds it.
The document saved as MusicXML holds the notes in order, the chord, the F
sharp of the fifth above B spelled with its sharp, and the rest; the
piano keeps the drum style chosen. Saved as a score file, closed and
opened again, it holds the same notes, and the drum note is drawn with the
head it had before.

usage: walkthrough_piano.py PROGRAM MUSICXML OUTDIR   (run under xvfb-run)
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
INTERVALS, PIANO = 5, 7
# The interval palette's buttons: columns of three, 37 pixels apart, from
# this far into the page; rows 19 pixels apart.
INTERVAL_LEFT, INTERVAL_TOP = 178, 4
# The Libraries entry of the menu bar.
LIBRARIES_MENU = (256, 39)
# The frame of a drop-down picker: its client starts this far in.
PICKER_CLIENT = (2, 15)


def dark(shot, x, y):
    i = shot.at(x, y)
    return shot.p[i] < 60 and shot.p[i + 1] < 60 and shot.p[i + 2] < 60


def drum_note(shot):
    """The drawn points of the last quarter of the second measure (where
    the drum note stands), from its right barline and the staff's top
    line."""
    staff = Staff(shot)
    x0, x1 = staff.measure(1)
    out = set()
    for x in range(x1 - (x1 - x0) // 4, x1 - 1):
        for y in range(int(staff.top - 4 * staff.gap), int(staff.bottom + 3 * staff.gap)):
            if shot.ink(x, y):
                out.add((x - x1, y - staff.top))
    return out


class Keyboard:
    """The on-screen keyboard found in a shot of the main window by its
    black keys: the row of black runs below the page's top; the first is
    C sharp 2 (the keyboard shows from C2 on)."""

    def __init__(self, shot):
        for y in range(45, 130):
            runs, x, run = [], 0, 0
            for x in range(0, min(shot.w, 760)):
                if dark(shot, x, y):
                    run += 1
                else:
                    if 4 <= run <= 20:
                        runs.append(x - run / 2.0)
                    run = 0
            if len(runs) >= 20:
                break
        check(len(runs) >= 20, "the keyboard's black keys are shown")
        self.y = y
        # C sharp 2 and D sharp 2 lie one white key apart.
        self.w = runs[1] - runs[0]
        self.x0 = runs[0] - 10 * self.w  # where white key 0 (A0) would start
        self.left = self.x0 + 9 * self.w - 16  # the keyboard's left edge (the page's)
        self.top = y - 3
        # The bottom of the keys: the frame line below the middle of C2.
        x, b = int(self.x0 + 9.5 * self.w), y + 5
        while b < shot.h - 1 and not dark(shot, x, b):
            b += 1
        self.bottom = b

    def white(self, octave, step):
        """A point low on a white key (octave 5 holds middle C)."""
        k = octave * 7 + step - 12
        return int(self.x0 + k * self.w + self.w / 2), self.bottom - 4

    def panel(self, col, row, dx=14):
        """A point of a button of the panel right of the keyboard (its
        cells 30 pixels apart; dx from the cell's left)."""
        x = self.left + 35 * self.w + 33 + 30 + 2 + col * 30 + dx
        return int(x), int(self.top + 2 + row * 30 + 14)


def run(program, source, outdir):
    program = private_program(program, os.path.join(outdir, "program"))
    session = Session(program, source, outdir)
    d, keys, proc, song = session.d, session.keys, session.proc, session.song
    menu, dialog, shot, click = session.menu, session.dialog, session.shot, session.click
    try:
        known = {w.id for w in windows(d, "")}

        def settle():
            """Answers the one message that there is no sound, once."""
            time.sleep(0.6)
            if [w for w in windows(d, "") if w.id not in known]:
                keys.press("Return")
                time.sleep(0.5)
                known.update(x.id for x in windows(d, ""))

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

        # 1. Open the score, show the Piano page, the cursor into measure 1.
        menu("f", "o")
        dialog(song)
        time.sleep(1.5)
        known.update(w.id for w in windows(d, ""))
        page(PIANO)
        kb = Keyboard(shot("piano"))
        print("keyboard: key width %.1f, left %d, top %d" % (kb.w, kb.left, kb.top))
        click(*measure_point(0, 0.05))

        # 2. C, D, E low on the keys (quarters), then a chord in chord mode.
        for step in (0, 1, 2):
            click(*kb.white(5, step))
            settle()
        click(*kb.panel(2, 0))
        for step in (0, 2, 4):
            click(*kb.white(5, step))
        click(*kb.panel(2, 0))
        # The cursor stays on a chord: Ctrl+Right moves on past it. A rest
        # from the keyboard's Space, then a G.
        keys.press("Right", "Control_L")
        keys.press("space")
        time.sleep(0.4)
        click(*kb.white(5, 4))
        shot("piano-entered")

        # 3. The Intervals page: a major third, then a fifth above.
        page(INTERVALS)
        for n in (4, 7):
            click(int(kb.left + INTERVAL_LEFT + (n // 3) * 37 + 17), int(kb.top + INTERVAL_TOP + (n % 3) * 19 + 9))
        shot("intervals-entered")

        # 4. Back to the piano: the diamond head from the drum style picker,
        # and a drum note with it.
        page(PIANO)
        click(*kb.panel(1, 2, dx=23))  # the drum styles' arrow, beside the drum note
        shot("drum-picker")
        wait("the drum style picker", lambda: windows(d, "Drum styles"))
        time.sleep(0.4)
        x, y, _, _ = window_rect(d, windows(d, "Drum styles")[0])
        ox, oy, _, _ = window_rect(d, session.main)
        click(x - ox + PICKER_CLIENT[0] + 27 + 13, y - oy + PICKER_CLIENT[1] + 13)  # the second style
        time.sleep(0.4)
        click(*kb.white(5, 2))
        entered = shot("drum-entered")

        # 5. The saved file holds the notes in order.
        exported = os.path.join(outdir, "piano.xml")
        session.save_as(exported, "the MusicXML file")
        notes = pitches(exported)
        print(notes)
        check(notes[:6] == ["C4", "D4", "E4", "C4", "E4", "G4"], "the scale fragment and the chord")
        check(notes[6:9] == ["G4", "B4", "F#5"], "the G, a third and a fifth above (the F sharp spelled)")
        check(notes[9] == "E4", "the drum note")
        root = ET.parse(exported).getroot()
        check(sum(1 for n in root.iter("note") if n.find("rest") is not None and n.findtext("type") == "quarter") >= 1,
              "the quarter rest")
        check(sum(1 for n in root.iter("note") if n.find("chord") is not None) == 2, "a chord of three notes")
        settings = [os.path.join(r, f) for r, _, fs in os.walk(outdir) for f in fs if f == "ProgramSetting.ini"]
        check(settings and "DrumStyle=1" in open(settings[0], encoding="utf-8").read().split("[Piano]")[1],
              "the second drum style kept as the piano's")

        # 6. Saved as a score file, closed and opened again.
        saved = os.path.join(outdir, "piano.sfd")
        session.save_as(saved, "the score file")
        music = [line for line in contents(program, saved) if "Music:" in line]
        check(music and "10 notes" in music[0], "the score file holds the ten notes: %s" % music)
        menu("f", "c")
        time.sleep(1.0)
        menu("f", "o")
        dialog(saved)
        wait("the reopened file", lambda: windows(d, "piano - Quillstave 4"), 30)
        time.sleep(1.0)
        reopened = shot("reopened")
        check(drum_note(reopened) == drum_note(entered) and drum_note(entered),
              "the reopened drum note is drawn with the head it was entered with")
        again = os.path.join(outdir, "again.xml")
        session.save_as(again, "the MusicXML file of the reopened score")
        check(pitches(again) == notes, "the reopened score holds the same notes: %s" % pitches(again))

        # 7. The drum map: a name for the highest key, saved.
        ox, oy, _, _ = window_rect(d, session.main)
        click(*LIBRARIES_MENU)
        time.sleep(0.4)
        keys.press("r")
        wait("the drum map", lambda: windows(d, "Drum map"))
        time.sleep(0.6)
        keys.press("Home")  # the first column of key 87's row, then its name
        keys.press("Right")
        keys.type("Castanets")
        keys.press("Return")
        time.sleep(0.3)
        keys.press("s", "Alt_L")
        wait("the drum map closed", lambda: not windows(d, "Drum map"))
        found = [os.path.join(r, f) for r, _, fs in os.walk(outdir) for f in fs if f == "DrumMap.ini"]
        check(found, "DrumMap.ini written")
        text = open(found[0], encoding="utf-8").read()
        check("Pitch87=Castanets,255,64,0" in text, "the new name of key 87")
        check("Pitch38=Acoustic Snare,255,65,1" in text, "the shipped entries kept")
        check(proc.poll() is None, "the program still runs")
    finally:
        session.close()


if __name__ == "__main__":
    sys.exit(chapter(run, "walkthrough of the Piano and Intervals pages"))
