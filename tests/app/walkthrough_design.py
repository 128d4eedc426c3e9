#!/usr/bin/python3
"""Places page graphics with the Design palette in the program's window
under a virtual X server, with mouse and keys sent through it (XTest):

  1. the text tool and a click below the title put a text on page 1, typed
     in place ("Andante");
  2. the line tool and the rectangle tool, each with a drag, draw a line
     and a rectangle on page 1;
  3. the text, selected, takes another font typed into the palette's font
     field and fuchsia from the colour chooser (fuchsia ink appears, the text
     grows wider in Courier New);
  4. the line, selected, takes width 5 from the width chooser and arrows
     at both ends from the line-end chooser (a thicker line);
  5. the picture tool and a click open the picture dialog, whose Load
     button reads a green BMP file: green appears on the page;
  6. a double click on the text edits it in place: " molto" is added;
  7. File > Save As writes a native score holding one text, two drawings
     and one picture (--print-contents); Ctrl+Z, step by step, takes the
     picture, the edit, the line's and the text's changes and the objects
     away again, each shown in the window;
  8. the saved file, opened again, shows the red text, the thick line and
     the green picture.

usage: walkthrough_design.py PROGRAM MUSICXML OUTDIR   (run under xvfb-run)
"""
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
# The Design palette on its page of the main window (from the window's
# top-left corner): the tools in one row, the attributes below.
TOOL_Y = 74
ATTR_Y = 104


def tool_x(index):
    """The centre of the index-th tool (0 text, 6 line, 8 rectangle, 12
    picture)."""
    return 92 + 30 * index


# Drop-down parts of the attribute buttons, and the font field.
FONT_FIELD = (120, ATTR_Y)
TEXT_COLOUR_DROP = (322, ATTR_Y)
LINE_WIDTH_DROP = (634, ATTR_Y)
LINE_ENDS_DROP = (672, ATTR_Y)


def green_bmp(path, width=40, height=30):
    """A 24-bit BMP of one green."""
    row = bytes([0, 200, 0] * width) + bytes((4 - width * 3 % 4) % 4)
    data = row * height
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def count(shot, test, box=None):
    x0, y0, x1, y1 = box or (0, 0, shot.w, shot.h)
    return sum(1 for y in range(max(0, y0), min(shot.h, y1)) for x in range(max(0, x0), min(shot.w, x1))
               if test(shot.p, shot.at(x, y)))


def magenta(p, i):
    return p[i] > 150 and p[i + 1] < 110 and p[i + 2] > 150


def green(p, i):
    return p[i] < 60 and 150 < p[i + 1] and p[i + 2] < 60


def dark(p, i):
    return max(p[i], p[i + 1], p[i + 2]) < 100


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
    with open(source, "rb") as fin, open(song, "wb") as fout:
        fout.write(fin.read())
    picture = os.path.join(outdir, "green.bmp")
    green_bmp(picture)
    saved = os.path.join(outdir, "design.sfd")
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
            path = os.path.join(outdir, "design-%02d-%s.ppm" % (step[0], label))
            fw, _, full = screenshot(path)
            cur = crop(fw, full, window_rect(d, main))
            if cur == last:
                break
            last = cur
        step[0] += 1
        return Shot(*cur)

    def move(x, y):
        ox, oy, _, _ = window_rect(d, main)
        xtest.fake_input(d, X.MotionNotify, x=int(ox + x), y=int(oy + y))
        d.sync()
        time.sleep(0.1)

    def button(kind):
        xtest.fake_input(d, kind, 1)
        d.sync()
        time.sleep(0.05)

    def click(x, y, double=False):
        move(x, y)
        for _ in range(2 if double else 1):
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

    def popup_click(before, where):
        """Clicks a point of the drop-down that opened since before: where
        gets the drop-down's box in the window (x0, y0, x1, y1)."""
        after = shot("popup")
        # Below the palette's attribute row, where a caret may blink.
        changed = [(x, y) for y in range(ATTR_Y + 14, after.h) for x in range(0, after.w, 2)
                   if after.p[after.at(x, y):after.at(x, y) + 3] != before.p[before.at(x, y):before.at(x, y) + 3]]
        check(changed, "a chooser opens")
        xs, ys = [c[0] for c in changed], [c[1] for c in changed]
        click(*where((min(xs), min(ys), max(xs), max(ys))))

    def menu(entry, letter):
        keys.press(entry, "Alt_L")
        time.sleep(0.4)
        keys.press(letter)

    try:
        # The Design page: Alt+D hides it, Windows > Design shows it again
        # as the current tool page.
        keys.press("d", "Alt_L")
        keys.press("w", "Alt_L")
        time.sleep(0.4)
        for _ in range(7):
            keys.press("Down")
        keys.press("Return")
        s0 = shot("start")
        staff = Staff(s0)
        # Paper below the first system: free of music.
        below = int(staff.bottom + 7 * staff.gap)
        left = staff.measure(1)[0]

        # 1. A text.
        click(tool_x(0), TOOL_Y)
        text_at = (left, below)
        click(*text_at)
        keys.type("Andante")
        keys.press("Escape")
        s1 = shot("text")
        box = (left - 5, below - 30, left + 200, below + 40)
        plain = count(s1, dark, box)
        check(plain > 30, "the text tool puts a text where clicked (%d dark points)" % plain)

        # 2. A line and a rectangle.
        line_a, line_b = (left + 260, below), (left + 420, below)
        click(tool_x(6), TOOL_Y)
        drag(line_a, line_b)
        rect_a, rect_b = (left + 40, below + 60), (left + 160, below + 110)
        click(tool_x(8), TOOL_Y)
        drag(rect_a, rect_b)
        click(tool_x(8), TOOL_Y)  # back to the pointer
        s2 = shot("shapes")
        line_box = (line_a[0] + 20, line_a[1] - 12, line_b[0] - 20, line_a[1] + 12)
        thin = count(s2, dark, line_box)
        check(thin > 50, "the line tool draws a line (%d dark points)" % thin)
        check(count(s2, dark, (rect_a[0] - 3, rect_a[1] - 3, rect_b[0] + 3, rect_b[1] + 3)) > 100,
              "the rectangle tool draws a rectangle")

        # 3. The text's font and colour, with the text selected (a band
        # around it on empty paper).
        drag((text_at[0] - 12, text_at[1] - 14), (text_at[0] + 90, text_at[1] + 22))
        click(*FONT_FIELD)
        keys.press("a", "Control_L")
        keys.type("Courier New")
        keys.press("Return")
        before = shot("font")
        click(*TEXT_COLOUR_DROP)
        # The colour chooser: the second button of its last row is fuchsia.
        popup_click(before, lambda r: (r[0] + 37, r[3] - 41))
        click(left + 300, below + 160)  # nothing selected
        s3 = shot("coloured")
        reds = count(s3, magenta, box)
        check(reds > 30, "the selected text turns fuchsia (%d fuchsia points)" % reds)

        # 4. The line's width and ends.
        click(left + 300, below + 160)  # nothing selected
        drag((line_a[0] - 10, line_a[1] - 10), (line_b[0] + 10, line_b[1] + 10))
        before = shot("line-selected")
        click(*LINE_WIDTH_DROP)
        popup_click(before, lambda r: ((r[0] + r[2]) // 2, r[3] - 3 - 9))
        before = shot("width")
        click(*LINE_ENDS_DROP)
        # The second row: arrows at both ends.
        popup_click(before, lambda r: ((r[0] + r[2]) // 2, r[3] - 3 - 7 * 19 - 10))
        click(left + 300, below + 160)  # nothing selected
        s4 = shot("line")
        thick = count(s4, dark, line_box)
        check(thick > thin * 2, "the line is drawn thicker (%d dark points, before %d)" % (thick, thin))

        # 5. A picture.
        click(tool_x(12), TOOL_Y)
        click(left + 260, below + 60)
        wait("the picture dialog", lambda: windows(d, "Image properties"))
        time.sleep(0.8)
        keys.press("l", "Alt_L")
        wait("the file dialog", lambda: len([w for w in windows(d, "") if w.id != main.id]) >= 2)
        time.sleep(0.8)
        keys.type(picture)
        keys.press("Return")
        time.sleep(1.0)
        # Without a window manager the keys go to the window under the
        # pointer once the file dialog has gone: the pointer goes onto the
        # picture dialog, wherever the click into the page left it.
        dx, dy, dw, dh = window_rect(d, windows(d, "Image properties")[0])
        xtest.fake_input(d, X.MotionNotify, x=int(dx + dw // 2), y=int(dy + dh // 2))
        d.sync()
        time.sleep(0.2)
        keys.press("Return")
        wait("the dialog to close", lambda: not windows(d, "Image properties"))
        s5 = shot("picture")
        greens = count(s5, green)
        check(greens > 300, "the picture shows on the page (%d green points)" % greens)

        # 6. The text edited in place.
        click(tool_x(12), TOOL_Y)  # the pointer again
        wide = count(s5, magenta, box)
        click(text_at[0] + 10, text_at[1] + 4, double=True)
        keys.press("End")
        keys.type(" molto")
        keys.press("Escape")
        click(left + 300, below + 160)
        s6 = shot("edited")
        wide_box = (box[0], box[1], box[2] + 200, box[3])
        longer = count(s6, magenta, wide_box)
        check(longer > wide * 1.3, "the double-clicked text is longer (%d fuchsia points, before %d)" % (longer, wide))

        # 7. Save As, then undo step by step.
        menu("f", "a")
        wait("the file dialog", lambda: any(w.id != main.id for w in windows(d, "")))
        time.sleep(0.8)
        keys.type(saved)
        keys.press("Return")
        wait("the native file", lambda: os.path.exists(saved))
        time.sleep(1.0)
        listed = "\n".join(contents(program, saved))
        check("1 picture" in listed and "2 lines and shapes" in listed and "2 texts" in listed,
              "the saved score holds the picture, the line and the rectangle, and the text beside the title:\n"
              + listed)
        undone = []
        for n in range(12):
            keys.press("z", "Control_L")
            s = shot("undo%d" % n)
            # The view may have scrolled: the boxes follow the first staff.
            dy = Staff(s).top - staff.top
            moved = lambda b: (b[0], b[1] + dy, b[2], b[3] + dy)
            undone.append((count(s, green), count(s, magenta, moved(wide_box)), count(s, dark, moved(line_box)),
                           count(s, dark, moved(box))))
        shown = undone[-1]
        # (green points, fuchsia points, the line's dark points) after each.
        check(undone[0][1] < longer and undone[0][0] > 300, "the first Ctrl+Z takes the text's edit back: %s"
              % (undone[0],))
        check(undone[1][0] == 0, "the second takes the picture away: %s" % (undone[1],))
        check(undone[2][2] > 2 * thin >= 2 * undone[3][2] > 0,
              "the next take the line's ends, then its width back: %s" % (undone[2:4],))
        check(undone[4][1] == 0 < undone[3][1], "then the text's colour: %s" % (undone[3:5],))
        check(shown[1] == 0 and shown[2] < thin // 2 and shown[3] < plain // 2,
              "and at last the rectangle, the line and the text go: %s" % undone)
        proc.terminate()
        proc.wait()

        # 8. The saved file opened again.
        proc, main = start(saved)
        s8 = shot("reopened")
        check(count(s8, green) > 300, "the reopened score shows the picture")
        dy = Staff(s8).top - staff.top
        check(count(s8, magenta, (wide_box[0], wide_box[1] + dy, wide_box[2], wide_box[3] + dy)) > 30,
              "...and the fuchsia text")
        again = count(s8, dark, (line_box[0], line_box[1] + dy, line_box[2], line_box[3] + dy))
        check(again > 2 * thin, "...and the thick line (%d dark points)" % again)
        return 0
    finally:
        if proc.poll() is None:
            proc.terminate()
            proc.wait()


def main():
    return chapter(run, "design walkthrough")


if __name__ == "__main__":
    sys.exit(main())
