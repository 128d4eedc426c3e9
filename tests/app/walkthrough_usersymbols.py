#!/usr/bin/python3
"""A user symbol made from page graphics and stamped into another score, in
the program's window under a virtual X server, with mouse and keys sent
through it (XTest):

  1. on the Design page a text ("Solo") and a line are placed below the
     first system and selected together with a band;
  2. File > Templates > Save symbol asks for the symbol's name, group and
     file name: the symbol file lands in the program's Templates folder,
     holding the text and the line moved to its own origin, and
     "Symbols.ini" lists it;
  3. a second score is opened; on the User symbols page the new symbol's
     button is chosen and two clicks into the first staff stamp it twice;
  4. File > Save As writes a native score whose contents report counts the
     two user symbols.

usage: walkthrough_usersymbols.py PROGRAM MUSICXML OUTDIR   (run under xvfb-run)
"""
import configparser
import os
import struct
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
# The Design palette's tools on its page (from the window's top-left
# corner): 0 the text, 6 the line.
DESIGN_Y = 74


def design_x(index):
    return 92 + 30 * index


# The User symbols page: the first symbol button (top left of the symbol
# buttons).
FIRST_SYMBOL = (95, 76)


def read_string(data, at):
    n = struct.unpack_from("<H", data, at)[0]
    return data[at + 2:at + 2 + n].decode("utf-8", "replace"), at + 2 + n


def symbol_file(path):
    """Description, group, width, height and the item kinds of a symbol file."""
    with open(path, "rb") as f:
        data = f.read()
    check(data[0] == 160, "the symbol file has the current signature")
    _, at = read_string(data, 1)
    version, fields = struct.unpack_from("<HH", data, at)
    at += 4
    description, at = read_string(data, at)
    group, at = read_string(data, at)
    width, height, count = struct.unpack_from("<iiH", data, at)
    # Only the first item's kind is at a known place; the others follow
    # records of their own length.
    first = data[at + 10] if count else None
    return description, group, width, height, count, first, fields


def dark(p, i):
    return max(p[i], p[i + 1], p[i + 2]) < 100


def count(shot, test, box):
    x0, y0, x1, y1 = box
    return sum(1 for y in range(max(0, y0), min(shot.h, y1)) for x in range(max(0, x0), min(shot.w, x1))
               if test(shot.p, shot.at(x, y)))


def run(program, source, outdir):
    d = display.Display()
    keys = Keys(d)
    folder = os.path.join(outdir, "program")
    program = private_program(program, folder)
    with open(os.path.join(folder, "ProgramSetting.ini"), "w", encoding="utf-8") as f:
        f.write("[Tools]\nLanguage=ENU\nStartModule=0\n")
    env = dict(os.environ)
    env.pop("QT_QPA_PLATFORM", None)
    first_score = os.path.join(outdir, "song.xml")
    second_score = os.path.join(outdir, "other.xml")
    for path in (first_score, second_score):
        with open(source, "rb") as fin, open(path, "wb") as fout:
            fout.write(fin.read())
    saved = os.path.join(outdir, "stamped.sfd")
    template = os.path.join(folder, "Templates", "SoloLine.smb")
    step = [0]

    proc = subprocess.Popen([program, first_score], env=env)
    wait("the main window", lambda: proc.poll() is None and windows(d, TITLE))
    time.sleep(1.5)
    main = windows(d, TITLE)[0]

    def shot(label):
        """The window once it has stopped changing."""
        last = None
        for _ in range(40):
            time.sleep(0.3)
            path = os.path.join(outdir, "usersymbols-%02d-%s.ppm" % (step[0], label))
            fw, _, full = screenshot(path)
            cur = crop(fw, full, window_rect(d, main))
            if cur == last:
                break
            last = cur
        step[0] += 1
        return Shot(*cur)

    def move(x, y, window=None):
        ox, oy, _, _ = window_rect(d, window or main)
        xtest.fake_input(d, X.MotionNotify, x=int(ox + x), y=int(oy + y))
        d.sync()
        time.sleep(0.1)

    def button(kind):
        xtest.fake_input(d, kind, 1)
        d.sync()
        time.sleep(0.05)

    def click(x, y):
        move(x, y)
        button(X.ButtonPress)
        button(X.ButtonRelease)
        time.sleep(0.6)

    def drag(a, b):
        move(*a)
        button(X.ButtonPress)
        move((a[0] + b[0]) // 2, (a[1] + b[1]) // 2)
        move(*b)
        button(X.ButtonRelease)
        time.sleep(0.6)

    def menu(entry, letter):
        keys.press(entry, "Alt_L")
        time.sleep(0.4)
        keys.press(letter)

    def show_page(hide_key, downs):
        """A palette's page as the current tool page: its Alt key hides it,
        the Windows menu shows it again."""
        keys.press(hide_key, "Alt_L")
        keys.press("w", "Alt_L")
        time.sleep(0.4)
        for _ in range(downs):
            keys.press("Down")
        keys.press("Return")

    def file_dialog(path):
        wait("the file dialog", lambda: any(w.id != main.id for w in windows(d, "")))
        time.sleep(0.8)
        keys.type(path)
        keys.press("Return")

    try:
        # 1. A text and a line on the Design page, selected with a band.
        show_page("d", 7)
        s0 = shot("start")
        staff = Staff(s0)
        below = int(staff.bottom + 7 * staff.gap)
        left = staff.measure(1)[0]
        click(design_x(0), DESIGN_Y)
        text_at = (left, below)
        click(*text_at)
        keys.type("Solo")
        keys.press("Escape")
        line_a, line_b = (left + 120, below + 6), (left + 260, below + 6)
        click(design_x(6), DESIGN_Y)
        drag(line_a, line_b)
        click(design_x(6), DESIGN_Y)  # back to the pointer
        s1 = shot("drawn")
        check(count(s1, dark, (left - 5, below - 30, line_b[0] + 10, below + 40)) > 80,
              "a text and a line stand below the first system")
        drag((text_at[0] - 14, text_at[1] - 16), (line_b[0] + 12, line_b[1] + 24))

        # 2. File > Templates > Save symbol.
        shot("selected")
        menu("f", "t")
        time.sleep(0.4)
        shot("menu")
        keys.press("s")
        wait("the symbol dialog", lambda: windows(d, "Symbol"))
        time.sleep(0.8)
        dialog = windows(d, "Symbol")[0]
        _, _, dw, dh = window_rect(d, dialog)
        # Without a window manager the keys go to the window under the pointer.
        move(dw // 2, dh // 2, dialog)
        keys.type("Solo line")
        keys.press("Tab")
        keys.type("Walk")
        keys.press("Tab")
        keys.type("SoloLine")
        keys.press("Return")
        wait("the symbol file", lambda: os.path.exists(template))
        wait("the dialog to close", lambda: not windows(d, "Symbol"))
        description, group, width, height, items, first_kind, fields = symbol_file(template)
        check((description, group, fields) == ("Solo line", "Walk", 5),
              "the symbol file holds the name and group typed: %r" % ((description, group, fields),))
        check(items == 2 and first_kind in (200, 202),
              "...and the text and the line (%d items, the first of kind %s)" % (items, first_kind))
        # The line alone is 140 pixels long: 1120 layout units and more.
        check(width >= 8 * 140 and 0 < height < 8 * 100, "...in a box of their size: %d x %d" % (width, height))
        index = configparser.ConfigParser(strict=False, interpolation=None)
        index.read(os.path.join(folder, "Symbols.ini"), encoding="utf-8")
        check(index.get("Symbols", "SymbolMax", fallback="") == "1"
              and index.get("Symbols", "Symbol0", fallback="") == "SoloLine",
              "Symbols.ini lists the new symbol")

        # 3. Another score; the symbol stamped twice from the User symbols page.
        keys.press("o", "Control_L")
        file_dialog(second_score)
        time.sleep(2.0)
        show_page("e", 3)
        s2 = shot("other")
        staff = Staff(s2)
        click(*FIRST_SYMBOL)
        targets = [staff.measure(n) for n in (1, 2)]
        y = int(staff.top + staff.gap)
        for x0, x1 in targets:
            click(x0 + (x1 - x0) // 3, y)
        s3 = shot("stamped")
        band = (staff.measure(1)[0], int(staff.top - 12 * staff.gap), staff.measure(2)[1],
                int(staff.bottom + 12 * staff.gap))
        more = count(s3, dark, band) - count(s2, dark, band)
        check(more > 60, "the two stamps show in the staff (%d more dark points)" % more)

        # 4. Saved as a native score.
        menu("f", "a")
        file_dialog(saved)
        wait("the native file", lambda: os.path.exists(saved))
        time.sleep(1.0)
        listed = "\n".join(contents(program, saved))
        check("2 user symbols" in listed, "the saved score holds the two stamps:\n" + listed)
        return 0
    finally:
        if proc.poll() is None:
            proc.terminate()
            proc.wait()


def main():
    return chapter(run, "user symbols walkthrough")


if __name__ == "__main__":
    sys.exit(main())
