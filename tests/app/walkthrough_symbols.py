#!/usr/bin/python3
"""Enters marks from the Symbols palette in the program's window under a
virtual X server, with mouse and keys sent through it (XTest):

  1. the settings fold every group of the palette away, so that the tools
     always shown fit the window;
  2. Alt+S hides the Symbols page, Windows > Symbols shows it again as the
     current tool page;
  3. a forte, a crescendo hairpin, a fermata, a trill, a segno, a D.S. with
     a coda, a rehearsal mark and a fingering go in with a click on the
     tool and a click into the staff, each adding ink there;
  4. the numbered ending's dialog opens on its click and takes number 2;
     the barre's dialog takes fret 5;
  5. File > Save As writes a native score holding the two dynamics and the
     marks (--print-contents), and the barre's dialog kept its fret;
  6. the saved file, opened again, shows the marks.

usage: walkthrough_symbols.py PROGRAM MUSICXML OUTDIR   (run under xvfb-run)
"""
import configparser
import os
import re
import subprocess
import sys
import time

from Xlib import X, display
from Xlib.ext import xtest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from walkthrough import Keys, chapter, check, contents, wait  # noqa: E402
from walkthrough_files import private_program  # noqa: E402
from window_edit import Shot, Staff, windows  # noqa: E402
from window_smoke import crop, screenshot, window_rect  # noqa: E402

TITLE = "Quillstave 4"
# The tool page's client area in the main window (from the window's
# top-left corner), the Symbols palette's tools right of Point, Erase and
# the regime button, in two rows.
PAGE_X, PAGE_Y = 13, 56
TOOLS_LEFT = 52
ROWS = (5 + 13, 32 + 13)
# Where the tools stand with every group folded away: the left edge in the
# palette's scroll panel and the row.
TOOLS = {
    "rehearsal": (1, 1),
    "section": (53, 1),
    "segno": (105, 1),
    "coda": (105, 0),
    "dal segno": (131, 1),
    "forte": (183, 0),
    "crescendo": (222, 0),
    "trill": (313, 0),
    "fermata": (404, 0),
    "one": (534, 0),
    "barre": (651, 0),
}
GROUP_KEYS = ("ExDinamics", "ExArpeggio", "ExTrill", "ExFermata", "ExAccepts", "ExFingers", "ExTabulature",
              "ExStrings", "ExBends")


def tool(name):
    left, row = TOOLS[name]
    # Left of the drop-down arrow that some tools have.
    return PAGE_X + TOOLS_LEFT + left + 8, PAGE_Y + ROWS[row]


def dark(p, i):
    return max(p[i], p[i + 1], p[i + 2]) < 100


def count(shot, test, box):
    x0, y0, x1, y1 = box
    return sum(1 for y in range(max(0, y0), min(shot.h, y1)) for x in range(max(0, x0), min(shot.w, x1))
               if test(shot.p, shot.at(x, y)))


def page_part(shot, width=780):
    """The left part of the window, where the page stands: the grey beside
    a page narrower than the view is left out (it would read as staff
    lines)."""
    w = min(width, shot.w)
    rows = [shot.p[y * shot.w * 3:(y * shot.w + w) * 3] for y in range(shot.h)]
    return Shot(w, shot.h, b"".join(bytes(r) for r in rows))


def tally(lines, word):
    """The number the report gives before word ("2 dynamics")."""
    text = "\n".join(lines)
    m = re.search(r"(\d+) " + word, text)
    return int(m.group(1)) if m else 0


def run(program, source, outdir):
    d = display.Display()
    keys = Keys(d)
    folder = os.path.join(outdir, "program")
    program = private_program(program, folder)
    ini = os.path.join(folder, "ProgramSetting.ini")
    with open(ini, "w", encoding="utf-8") as f:
        # A wide window, so that the palette's page shows every tool that
        # stays when the groups are folded.
        f.write("[Tools]\nLanguage=ENU\nStartModule=0\n[FProgramModule]\nBounds=0,0,1270,1000\n[FSymbols]\n")
        for key in GROUP_KEYS:
            f.write("%s=1\n" % key)
    env = dict(os.environ)
    env.pop("QT_QPA_PLATFORM", None)
    song = os.path.join(outdir, "song.xml")
    with open(source, "rb") as fin, open(song, "wb") as fout:
        fout.write(fin.read())
    saved = os.path.join(outdir, "symbols.sfd")
    if os.path.exists(saved):
        os.remove(saved)
    before = contents(program, song)
    step = [0]

    def start(path):
        proc = subprocess.Popen([program, path], env=env)
        wait("the main window", lambda: proc.poll() is None and windows(d, TITLE))
        time.sleep(1.5)
        return proc, windows(d, TITLE)[0]

    proc, main = start(song)

    def shot(label):
        """The window once it has stopped changing."""
        last = None
        for _ in range(40):
            time.sleep(0.3)
            path = os.path.join(outdir, "symbols-%02d-%s.ppm" % (step[0], label))
            fw, _, full = screenshot(path)
            cur = crop(fw, full, window_rect(d, main))
            if cur == last:
                break
            last = cur
        step[0] += 1
        return page_part(Shot(*cur))

    def move(x, y, window=None):
        ox, oy, _, _ = window_rect(d, window or main)
        xtest.fake_input(d, X.MotionNotify, x=int(ox + x), y=int(oy + y))
        d.sync()
        time.sleep(0.1)

    def click(x, y):
        move(x, y)
        for kind in (X.ButtonPress, X.ButtonRelease):
            xtest.fake_input(d, kind, 1)
            d.sync()
            time.sleep(0.05)
        time.sleep(0.6)

    def menu(entry, letter):
        keys.press(entry, "Alt_L")
        time.sleep(0.4)
        keys.press(letter)

    def answer(title, value):
        """Types value into the first field of the dialog that opened and
        closes it with OK."""
        wait("the dialog " + title, lambda: windows(d, title))
        time.sleep(0.8)
        dialog = windows(d, title)[0]
        # Without a window manager the keys go to the window under the
        # pointer.
        _, _, w, h = window_rect(d, dialog)
        move(w // 2, h - 8, dialog)
        keys.press("a", "Control_L")
        keys.type(value)
        keys.press("Return")
        wait("the dialog to close", lambda: not windows(d, title))
        time.sleep(0.5)

    try:
        # The Symbols page: Alt+S hides it, Windows > Symbols shows it
        # again as the current tool page.
        keys.press("s", "Alt_L")
        keys.press("w", "Alt_L")
        time.sleep(0.4)
        for _ in range(2):
            keys.press("Down")
        keys.press("Return")
        s0 = shot("start")
        staff = Staff(s0)
        y_in = int(staff.top + 2 * staff.gap)
        band = lambda m: (staff.measure(m)[0], int(staff.top - 9 * staff.gap), staff.measure(m)[1],
                          int(staff.bottom + 6 * staff.gap))

        def enter(name, measure, at=0.3):
            """Chooses the tool, clicks into the staff, and goes back to
            Point with a second click on the tool."""
            x0, x1 = staff.measure(measure)
            click(*tool(name))
            click(int(x0 + at * (x1 - x0)), y_in)
            click(*tool(name))

        # 1-3. Marks by two clicks each; every one adds ink in its measure.
        ink = [count(s0, dark, band(m)) for m in range(4)]
        # The two dynamics in measures of their own: a second dynamic at
        # the same place takes the first one's place.
        placed = [("forte", 0, 0.25), ("crescendo", 2, 0.3), ("fermata", 1, 0.3), ("trill", 1, 0.6),
                  ("segno", 2, 0.3), ("rehearsal", 3, 0.3), ("one", 3, 0.5), ("dal segno", 3, 0.7),
                  ("coda", 2, 0.6)]
        for name, measure, at in placed:
            enter(name, measure, at)
            s = shot(name.replace(" ", "-"))
            now = count(s, dark, band(measure))
            check(now > ink[measure] + 10, "the %s adds ink in measure %d (%d dark points, before %d)"
                  % (name, measure + 1, now, ink[measure]))
            ink[measure] = now

        # 4. Two tools that ask their values first.
        x0, x1 = staff.measure(1)
        click(*tool("section"))
        click(int(x0 + 0.5 * (x1 - x0)), y_in)
        answer("Section properties", "2")
        click(*tool("section"))
        click(*tool("barre"))
        click(int(x0 + 0.8 * (x1 - x0)), y_in)
        answer("Barre", "5")
        click(*tool("barre"))
        s4 = shot("dialogs")
        now = count(s4, dark, band(1))
        check(now > ink[1] + 10, "the numbered ending and the barre add ink (%d dark points, before %d)"
              % (now, ink[1]))

        # 5. Save As: the dynamics and the marks are in the file.
        menu("f", "a")
        wait("the file dialog", lambda: any(w.id != main.id for w in windows(d, "")))
        time.sleep(0.8)
        keys.type(saved)
        keys.press("Return")
        wait("the native file", lambda: os.path.exists(saved))
        time.sleep(1.0)
        after = contents(program, saved)
        listed = "\n".join(after)
        check(tally(after, "dynamics") == tally(before, "dynamic") + 2,
              "the saved score holds the forte and the hairpin:\n" + listed)
        added = tally(after, "marks") - tally(before, "marks")
        check(added == 9, "...and nine marks more (fermata, trill, segno, coda, D.S., rehearsal mark, fingering, "
              "numbered ending, barre): %d\n%s" % (added, listed))
        settings = configparser.ConfigParser(strict=False)
        settings.read(ini, encoding="utf-8")
        check(settings.get("BarrePropertiesForm", "Fret", fallback="") == "5",
              "the barre's dialog keeps its fret for the next barre")
        proc.terminate()
        proc.wait()

        # 6. The saved file opened again shows the same marks.
        proc, main = start(saved)
        keys.press("s", "Alt_L")
        keys.press("w", "Alt_L")
        time.sleep(0.4)
        for _ in range(2):
            keys.press("Down")
        keys.press("Return")
        s6 = shot("reopened")
        again = Staff(s6)
        dy = again.top - staff.top
        # The marks may stand a little higher or lower than right after
        # their entry; the system holds as much ink as before.
        shown = sum(count(s6, dark, (b[0], b[1] + dy, b[2], b[3] + dy)) for b in map(band, range(4)))
        want = sum(count(s4, dark, band(m)) for m in range(4))
        check(abs(shown - want) <= want // 6, "the reopened score shows the marks (%d dark points, before saving %d)"
              % (shown, want))
        return 0
    finally:
        if proc.poll() is None:
            proc.terminate()
            proc.wait()


def main():
    return chapter(run, "symbols walkthrough")


if __name__ == "__main__":
    sys.exit(main())
