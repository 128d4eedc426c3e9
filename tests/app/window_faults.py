#!/usr/bin/python3
"""Checks, under a virtual X server with mouse and keys sent through it
(XTest) and on screenshots, what a user met going wrong once:

  pagebar PROGRAM SCORE OUTDIR   the page bar of a score of three pages:
      its first-page button goes back to the first page, its drop-down
      button opens the page chooser and a page chosen there is shown, and
      its page number follows the pages scrolled into view by the wheel,
      and a page removed leaves the vertical ruler drawn where it belongs;
  rubberband PROGRAM SCORE OUTDIR   a rubber band dragged over empty paper
      leaves no pixel behind where it started;
  placement PROGRAM SCORE OUTDIR   under a window manager on a small
      screen, the main window with the page bar of its documents lies
      inside the screen, and two files opened together share it.

usage: window_faults.py CHECK PROGRAM SCORE OUTDIR   (run under xvfb-run)
"""
import os
import subprocess
import sys
import time

from Xlib import X, display
from Xlib.ext import xtest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from window_edit import Program, Shot, Staff, check, holds, windows  # noqa: E402
from window_smoke import answer_first_run, crop, screenshot, window_rect  # noqa: E402

BAR = 17      # the height of the page bar and the horizontal scroll bar
RULER = 24    # the width of the rulers
VIEW = 280    # the height of the view looked at, above its page bar
SIDE = 40     # the window's side beside the view: its notebooks' tabs, its frame


def glyph(p, i):
    """The colour of the page buttons' chevrons."""
    r, g, b = p[i], p[i + 1], p[i + 2]
    return abs(r - 0x4A) < 24 and abs(g - 0x61) < 24 and abs(b - 0x84) < 24


def dark(p, i):
    return max(p[i], p[i + 1], p[i + 2]) < 90


def chevrons(shot, y0):
    """The column groups of chevron-coloured pixels in the band of the page
    bar's height from row y0 down, in the left half of the window. A
    chevron fills a few rows of a column; the window's frame, of the same
    colour, fills them all."""
    def marked(x):
        rows = sum(1 for y in range(y0, y0 + BAR) if glyph(shot.p, shot.at(x, y)))
        return 0 < rows < BAR // 2
    cols = [x for x in range(shot.w // 2) if marked(x)]
    groups = []
    for x in cols:
        if groups and x - groups[-1][-1] <= 3:
            groups[-1].append(x)
        else:
            groups.append([x])
    return groups


class PageBar:
    """The page bar as a screenshot shows it: the x centres of the five
    buttons with chevrons (first, previous, choose, next, last), then the
    add and remove buttons, and the columns of the page number between the
    second and the third."""

    def __init__(self, shot):
        # The page bar is the lowest row of the document's view; below it
        # the main window may draw its own frame.
        for lift in range(0, 80):
            y0 = shot.h - BAR - lift
            groups = chevrons(shot, y0)
            if len(groups) >= 5:
                break
        else:
            raise AssertionError("the page bar shows %d chevrons, not 5" % len(chevrons(shot, shot.h - BAR)))
        self.top = y0
        self.centres = [(g[0] + g[-1]) // 2 for g in groups[:5]]
        step = self.centres[4] - self.centres[3]
        self.centres += [self.centres[4] + step, self.centres[4] + 2 * step]
        self.y = y0 + BAR // 2
        self.label = (self.centres[1] + 9, self.centres[2] - 9)
        # The view's left edge: the first-page button stands at it.
        self.left = max(0, self.centres[0] - 8)

    def number(self, shot):
        """The dark pixels of the page number, as a set of points."""
        x0, x1 = self.label
        return frozenset((x, y) for x in range(x0, x1) for y in range(self.top, self.top + BAR)
                         if dark(shot.p, shot.at(x, y)))

    def press(self, program, button):
        program.click(self.centres[button - 1], self.y)


def page_area(bar, shot):
    """The drawn music of the page area, as a set of points (the cursor's
    colours left out): the part of the view above its page bar."""
    from window_edit import ink

    def music(i):
        # The grey beside the pages is no music, nor the cursor, drawn red
        # while the view has not the focus.
        r, g, b = shot.p[i], shot.p[i + 1], shot.p[i + 2]
        return ink(shot.p, i) and not (r == g == b == 128) and not (r > 180 and g < 140 and b < 140)
    return frozenset((x, y) for y in range(bar.top - VIEW, bar.top - 1, 2)
                     for x in range(bar.left + RULER, shot.w - BAR - SIDE, 2)
                     if music(shot.at(x, y)))


def alike(a, b):
    """Two sets of inked points that are the same page at the same place."""
    if not a and not b:
        return True
    # The cursor, drawn by XOR over the staff, may differ in a few points.
    return len(a ^ b) <= 0.05 * max(len(a), len(b))


def pagebar(program, score, outdir):
    d = display.Display()
    first = Program(d, program, score, outdir, "pagebar")
    try:
        s0 = first.shot("start", lambda s: Staff(s) and PageBar(s))
        bar = PageBar(s0)
        page1, number1 = page_area(bar, s0), bar.number(s0)
        check(page1, "the first page shows its music")

        bar.press(first, 4)
        s1 = first.shot("next", lambda s: not alike(page_area(bar, s), page1))
        page2, number2 = page_area(bar, s1), bar.number(s1)
        check(not alike(page2, page1) and number2 != number1, "the next-page button shows the second page")

        bar.press(first, 5)
        s2 = first.shot("last", lambda s: not alike(page_area(bar, s), page2))
        check(not alike(page_area(bar, s2), page2), "the last-page button shows the last page")

        bar.press(first, 1)
        s3 = first.shot("first", lambda s: alike(page_area(bar, s), page1))
        check(alike(page_area(bar, s3), page1) and bar.number(s3) == number1,
              "the first-page button shows the first page again, and its number")

        # The drop-down button opens the page chooser; its second button
        # goes to the second page.
        known = {w.id for w in windows(d, "")}
        bar.press(first, 3)
        chooser, deadline = None, time.time() + 30
        while chooser is None and time.time() < deadline:
            time.sleep(0.3)
            shown = [w for w in windows(d, "") if w.id not in known]
            chooser = shown[0] if shown else None
        check(chooser is not None, "the drop-down button opens the page chooser")
        cx, cy, _, _ = window_rect(d, chooser)
        ox, oy = first.origin()
        first.click(cx - ox + 23 + 12, cy - oy + 8)
        s4 = first.shot("chosen", lambda s: alike(page_area(bar, s), page2))
        check(alike(page_area(bar, s4), page2) and bar.number(s4) == number2,
              "choosing page 2 in the chooser shows the second page")

        # Back on the first page, the wheel scrolls the second page into
        # view: the page number follows.
        bar.press(first, 1)
        first.shot("first-again", lambda s: alike(page_area(bar, s), page1))
        first.wheel(300, 300, 0)
        for _ in range(4):
            for _ in range(6):
                xtest.fake_input(d, X.ButtonPress, 5)
                xtest.fake_input(d, X.ButtonRelease, 5)
            d.sync()
            time.sleep(0.2)
        s5 = first.shot("wheeled", lambda s: bar.number(s) == number2)
        check(bar.number(s5) == number2, "scrolled to the second page with the wheel, the bar shows its number")

        # A page added, the last page shown and the page removed: the view
        # moves up, and the vertical ruler shows its scale all along (not
        # what it showed before the move).
        bar.press(first, 6)
        first.shot("added")
        bar.press(first, 5)
        first.shot("last-of-four")
        bar.press(first, 7)

        def scale_shown(s):
            slices = range(bar.top - VIEW + RULER, bar.top - 60, 60)
            return all(any(dark(s.p, s.at(x, y)) for y in range(y0, y0 + 60) for x in range(bar.left + 4, bar.left + RULER - 4))
                       for y0 in slices)
        s6 = first.shot("removed", scale_shown)
        check(scale_shown(s6), "after a page is removed the vertical ruler shows its scale all along")
    finally:
        first.close()
    return 0


def rubberband(program, score, outdir):
    d = display.Display()
    first = Program(d, program, score, outdir, "band")
    try:
        s0 = first.zoom_in(first.start())
        staff = Staff(s0)
        x0, y0 = staff.measure(1)[0] + 10, int(staff.bottom + 3 * staff.gap)
        x1, y1 = x0 + 60, y0 + 40
        before = [s0.p[s0.at(x, y):s0.at(x, y) + 3] for x in range(x0 - 3, x0 + 4) for y in range(y0 - 3, y0 + 4)]
        first.drag(x0, y0, [(x0 + 10, y0 + 10), (x0 + 30, y0 + 20), (x1, y1)])
        s1 = first.shot("band")
        after = [s1.p[s1.at(x, y):s1.at(x, y) + 3] for x in range(x0 - 3, x0 + 4) for y in range(y0 - 3, y0 + 4)]
        changed = sum(1 for a, b in zip(before, after) if a != b)
        check(changed == 0, "the rubber band leaves no pixel behind where it started (%d changed)" % changed)

    finally:
        first.close()
    return 0


def placement(program, score, outdir):
    d = display.Display()
    wm = subprocess.Popen(["openbox", "--sm-disable"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    root = d.screen().root
    deadline = time.time() + 30
    while root.get_full_property(d.intern_atom("_NET_SUPPORTING_WM_CHECK"), X.AnyPropertyType) is None:
        if time.time() > deadline:
            raise AssertionError("the window manager did not start")
        time.sleep(0.2)
    env = dict(os.environ)
    env.pop("QT_QPA_PLATFORM", None)
    proc = subprocess.Popen([program, score, score], env=env)
    screen_w, screen_h = d.screen().width_in_pixels, d.screen().height_in_pixels
    try:
        rects, deadline = [], time.time() + 60
        while time.time() < deadline:
            time.sleep(0.5)
            shown = windows(d, "Quillstave 4")
            rects = [window_rect(d, w) for w in shown]
            if rects:
                answer_first_run(d)
                # The window manager may still be placing them.
                time.sleep(2)
                rects = [window_rect(d, w) for w in windows(d, "Quillstave 4")]
                break
        check(len(rects) == 1, "two files open in one main window (%d windows)" % len(rects))
        for x, y, w, h in rects:
            check(x >= 0 and y >= 0 and x + w <= screen_w and y + h <= screen_h,
                  "the window (%d, %d, %d x %d) with its page bar lies inside the screen of %d x %d"
                  % (x, y, w, h, screen_w, screen_h))
        # The window in front shows its page bar in full.
        fw, fh, full = screenshot(os.path.join(outdir, "placement.ppm"))
        check(any(holds(PageBar, Shot(*crop(fw, full, rect))) for rect in rects),
              "the main window shows its document's page bar")
    finally:
        proc.kill()
        proc.wait()
        wm.kill()
        wm.wait()
    return 0


def main():
    what, program, score, outdir = sys.argv[1:5]
    os.makedirs(outdir, exist_ok=True)
    try:
        return {"pagebar": pagebar, "rubberband": rubberband, "placement": placement}[what](program, score, outdir)
    except AssertionError as e:
        print("FAILED:", e)
        return 1


if __name__ == "__main__":
    sys.exit(main())
