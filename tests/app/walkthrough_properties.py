#!/usr/bin/python3
"""The properties of a score, driven under a virtual X server with keys and
clicks sent through the X server:

  1. Composition > Composition properties: on the Page page the paper
     becomes A4 across, on the Layout page the scale its smallest; OK lays
     the score out again (the view changes) and the saved file has the
     page 297 x 210 mm, landscape, at 50 %;
  2. Composition > Part properties: the part becomes a B-flat instrument,
     sounding a major second lower than written, which the saved file
     keeps; Ctrl+Z takes it back.

usage: walkthrough_properties.py PROGRAM MUSICXML OUTDIR   (run under xvfb-run)
"""
import os
import shutil
import subprocess
import sys
import time

from Xlib import X, display
from Xlib.ext import xtest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from walkthrough import Keys, chapter, check, contents, wait  # noqa: E402
from walkthrough_files import private_program  # noqa: E402
from window_edit import windows  # noqa: E402
from window_smoke import answer_first_run, crop, screenshot, window_rect  # noqa: E402

TITLE = "Quillstave 4"
COMPOSITION = ("Composition properties", 384, 478)  # title, client width and height
PART = ("Part properties", 360, 268)


def run(program, source, outdir):
    d = display.Display()
    keys = Keys(d)
    folder = os.path.join(outdir, "program")
    program = private_program(program, folder)
    with open(os.path.join(folder, "ProgramSetting.ini"), "w", encoding="utf-8") as f:
        f.write("[Tools]\nLanguage=ENU\nStartModule=0\n")
    env = dict(os.environ)
    env.pop("QT_QPA_PLATFORM", None)
    song = os.path.join(outdir, "song.xml")
    shutil.copyfile(source, song)

    def move(x, y):
        xtest.fake_input(d, X.MotionNotify, x=int(x), y=int(y))
        d.sync()
        time.sleep(0.15)

    def click_at(x, y):
        move(x, y)
        for kind in (X.ButtonPress, X.ButtonRelease):
            xtest.fake_input(d, kind, 1)
            d.sync()
            time.sleep(0.05)
        time.sleep(0.6)

    def dialog(form):
        """The dialog's window once it shows, and a click at a point of its
        client area (the frame the program draws around it is as wide at
        the sides and the bottom)."""
        title, width, height = form
        wait(title, lambda: windows(d, title))
        time.sleep(0.8)
        x, y, w, h = window_rect(d, windows(d, title)[0])
        side = (w - width) // 2
        top = h - height - side
        move(x + w // 2, y + h // 2)
        return lambda cx, cy: click_at(x + side + cx, y + top + cy)

    def choose(click, cx, cy, downs):
        """Entry downs of the list box at (cx, cy): the list opens, Home
        goes to the first entry."""
        click(cx, cy)
        time.sleep(0.5)
        keys.press("Home")
        for _ in range(downs):
            keys.press("Down")
        keys.press("Return")
        time.sleep(0.5)

    def menu(entry, letter):
        keys.press(entry, "Alt_L")
        time.sleep(0.4)
        keys.press(letter)

    def save_as(path):
        main = windows(d, TITLE)[0]
        menu("f", "a")
        wait("the file dialog", lambda: any(w.id != main.id for w in windows(d, "")))
        time.sleep(0.8)
        keys.type(path)
        keys.press("Return")
        wait(os.path.basename(path), lambda: os.path.exists(path))
        time.sleep(0.8)
        return contents(program, path)

    def shot(label):
        """The main window once it has stopped changing."""
        last = None
        for _ in range(30):
            time.sleep(0.3)
            fw, _, full = screenshot(os.path.join(outdir, label + ".ppm"))
            cur = crop(fw, full, window_rect(d, windows(d, TITLE)[0]))
            if cur == last:
                break
            last = cur
        return last

    def line(report, start):
        return next((l.strip() for l in report if l.strip().startswith(start)), "")

    proc = subprocess.Popen([program, song], env=env)
    try:
        wait("the main window", lambda: proc.poll() is None and windows(d, TITLE))
        answer_first_run(d)
        time.sleep(1.5)
        before = save_as(os.path.join(outdir, "before.sfd"))
        check(line(before, "Page:") == "Page: 210 x 297 mm, portrait, scale 100%",
              "the score starts on A4 upright: %s" % line(before, "Page:"))
        view_before = shot("before")

        # 1. The page across, the music at half size.
        menu("o", "c")
        click = dialog(COMPOSITION)
        click(68, 9)  # the Page tab
        choose(click, 240, 90, 9)  # paper: A4 (the tenth name)
        click(200, 122)  # landscape
        click(20, 9)  # the Layout tab
        click(60, 85)  # the scale's bar, then its smallest
        keys.press("Home")
        time.sleep(0.3)
        click(177, 456)  # OK
        wait("the dialog to close", lambda: not windows(d, COMPOSITION[0]))
        view_after = shot("after")
        check(view_after != view_before, "the view shows the score laid out again")
        after = save_as(os.path.join(outdir, "after.sfd"))
        check(line(after, "Page:") == "Page: 297 x 210 mm, landscape, scale 50%",
              "the saved file has A4 across at half size: %s" % line(after, "Page:"))

        # 2. The part in B flat.
        keys.press("o", "Alt_L")
        time.sleep(0.4)
        keys.press("Home")
        for _ in range(4):  # properties, add piece, piece properties, add part, part properties
            keys.press("Down")
        keys.press("Return")
        click = dialog(PART)
        choose(click, 230, 208, 1)  # the first preset: B flat
        click(154, 246)  # OK
        wait("the dialog to close", lambda: not windows(d, PART[0]))
        transposed = save_as(os.path.join(outdir, "transposed.sfd"))
        parts = [l.strip() for l in transposed if "sounding" in l]
        check(parts and "sounding 2 semitones lower" in parts[0],
              "the saved part sounds a major second lower: %s" % parts)
        check(line(transposed, "Page:") == line(after, "Page:"), "the page stays as it was set")
        keys.press("z", "Control_L")
        time.sleep(0.8)
        undone = save_as(os.path.join(outdir, "undone.sfd"))
        check(not any("sounding" in l for l in undone), "Ctrl+Z takes the transposition back")
        check(proc.poll() is None, "the program still runs")
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()


def main():
    return chapter(run, "walkthrough of the properties")


if __name__ == "__main__":
    sys.exit(main())
