#!/usr/bin/python3
"""Edits a score in the program's window under a virtual X server, with
mouse and keys sent through the X server (XTest), and checks a screenshot
after each step:

  1. a click on the whole note of the first measure selects it (red);
  2. Ctrl+Up moves it a step up: its head is half a staff space higher;
  3. the whole note of the second measure, dragged up by three half
     spaces, is drawn three steps higher, and the first stays where it is;
  4. Left, Right, then Shift+Left selects the first measure (and the
     second measure's note at the cursor);
  5. Ctrl+C copies it; Right, Right and Ctrl+V paste it into the third
     measure, where the head appears at the moved note's height in place
     of the whole rest;
  6. Ctrl+Z takes the paste back: the third measure shows its rest again
     and both moved notes stay moved;
  7. a second copy of the program pastes what the first one copied.

usage: window_edit.py PROGRAM SCORE OUTDIR   (run under xvfb-run)
"""
import os
import subprocess
import sys
import time

from Xlib import X, XK, display
from Xlib.ext import xtest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from window_smoke import crop, screenshot, window_rect  # noqa: E402

TITLE = "Quillstave 4"


def ink(p, i):
    """Drawn music: black, or red when selected; not paper, and not the
    cursor, which is drawn by XOR (blue over paper, yellow over black)."""
    r, g, b = p[i], p[i + 1], p[i + 2]
    if min(r, g, b) >= 160:
        return False
    if b > 200 and r < 100 and g < 100:
        return False
    if r > 200 and g > 200 and b < 100:
        return False
    return True


def line(p, i):
    """A staff line or barline: light grey."""
    r, g, b = p[i], p[i + 1], p[i + 2]
    return r == g == b and 170 <= r <= 215


def red(p, i):
    return p[i] > 200 and p[i + 1] < 80 and p[i + 2] < 80


class Shot:
    def __init__(self, width, height, pixels):
        self.w, self.h, self.p = width, height, pixels

    def at(self, x, y):
        return (y * self.w + x) * 3

    def ink(self, x, y):
        return 0 <= x < self.w and 0 <= y < self.h and ink(self.p, self.at(x, y))

    def drawn(self, x, y):
        return 0 <= x < self.w and 0 <= y < self.h and (ink(self.p, self.at(x, y)) or line(self.p, self.at(x, y)))


class Staff:
    """The first staff of the page: its five line rows and its barlines."""

    def __init__(self, shot):
        rows = []
        for y in range(shot.h):
            run = 0
            for x in range(shot.w):
                if shot.drawn(x, y):
                    run += 1
                    if run >= 200:
                        rows.append(y)
                        break
                else:
                    run = 0
        lines = []
        for y in rows:
            if lines and y - lines[-1][-1] <= 1:
                lines[-1].append(y)
            else:
                lines.append([y])
        centres = [sum(g) / len(g) for g in lines]
        for i in range(len(centres) - 4):
            gaps = [centres[i + k + 1] - centres[i + k] for k in range(4)]
            if max(gaps) - min(gaps) <= 1.5 and 4 <= min(gaps) <= 30:
                self.lines = lines[i:i + 5]
                break
        else:
            raise AssertionError("no staff found in the window")
        self.line_rows = {y for g in self.lines for y in g}
        self.top, self.bottom = self.lines[0][0], self.lines[4][-1]
        self.gap = (sum(self.lines[4]) / len(self.lines[4]) - sum(self.lines[0]) / len(self.lines[0])) / 4
        # Barlines: grey columns from the top line to the bottom line.
        bars = []
        for x in range(shot.w):
            if all(line(shot.p, shot.at(x, y)) for y in range(self.top, self.bottom + 1)):
                if bars and x - bars[-1][-1] <= 1:
                    bars[-1].append(x)
                else:
                    bars.append([x])
        self.bars = [(b[0], b[-1]) for b in bars]
        if len(self.bars) < 4:
            raise AssertionError("expected the staff's start and three barlines, found %s" % self.bars)

    def measure(self, n):
        """Columns of measure n (0 the first) between its barlines."""
        return self.bars[n][1] + 1, self.bars[n + 1][0]

    def blobs(self, shot, n, test=None):
        """Clusters of inked columns in measure n (staff lines left out),
        each as (x0, x1, centre y)."""
        test = test or shot.ink
        x0, x1 = self.measure(n)
        y0, y1 = int(self.top - 4 * self.gap), int(self.bottom + 4 * self.gap)
        cols = []
        for x in range(x0 + 2, x1 - 1):
            ys = [y for y in range(y0, y1) if y not in self.line_rows and test(x, y)]
            cols.append((x, ys))
        out, cur = [], []
        for x, ys in cols:
            if ys:
                cur.append((x, ys))
            elif cur:
                out.append(cur)
                cur = []
        if cur:
            out.append(cur)
        result = []
        for c in out:
            ys = [y for _, col in c for y in col]
            if len(ys) >= 6:
                result.append((c[0][0], c[-1][0], sum(ys) / len(ys)))
        return result


def windows(d, title):
    """The shown windows whose title holds title."""
    found, stack = [], [d.screen().root]
    while stack:
        w = stack.pop()
        try:
            if w != d.screen().root and find_window_at(d, w, title):
                found.append(w)
            stack.extend(w.query_tree().children)
        except Exception:
            continue
    return found


def find_window_at(d, w, title):
    net = w.get_full_property(d.intern_atom("_NET_WM_NAME"), d.intern_atom("UTF8_STRING"))
    name = net.value.decode("utf-8", "replace") if net is not None else w.get_wm_name()
    return name and title in str(name) and w.get_attributes().map_state == X.IsViewable


def click_screen(d, x, y):
    """A left click at a point of the screen."""
    xtest.fake_input(d, X.MotionNotify, x=int(x), y=int(y))
    d.sync()
    time.sleep(0.1)
    xtest.fake_input(d, X.ButtonPress, 1)
    d.sync()
    time.sleep(0.05)
    xtest.fake_input(d, X.ButtonRelease, 1)
    d.sync()


def press_key(d, name, *mods):
    """A key typed with the modifiers held (X key names: "z", "Control_L")."""
    codes = [d.keysym_to_keycode(XK.string_to_keysym(m)) for m in mods]
    for c in codes:
        xtest.fake_input(d, X.KeyPress, c)
    k = d.keysym_to_keycode(XK.string_to_keysym(name))
    xtest.fake_input(d, X.KeyPress, k)
    xtest.fake_input(d, X.KeyRelease, k)
    for c in reversed(codes):
        xtest.fake_input(d, X.KeyRelease, c)
    d.sync()


class Program:
    others = []

    def __init__(self, d, program, score, outdir, name):
        env = dict(os.environ)
        env.pop("QT_QPA_PLATFORM", None)
        self.d, self.outdir, self.name = d, outdir, name
        self.proc = subprocess.Popen([program, score], env=env)
        self.window = None
        deadline = time.time() + 60
        while self.window is None and time.time() < deadline:
            if self.proc.poll() is not None:
                raise AssertionError("the program ended before showing a window")
            for w in windows(d, TITLE):
                if w.id not in Program.others:
                    self.window = w
            time.sleep(0.2)
        if self.window is None:
            raise AssertionError("no window titled %s appeared" % TITLE)
        self.step = 0

    def shot(self, label, shows=None):
        """A screenshot of the window once it has stopped changing and shows
        what shows (a test of a Shot) looks for: a busy program may not have
        taken the input yet, and still looks the same a moment later. The
        last one after a minute, for the check to fail on."""
        path = os.path.join(self.outdir, "%s-%d-%s.ppm" % (self.name, self.step, label))
        self.step += 1
        last = None
        deadline = time.time() + 60
        while True:
            time.sleep(0.3)
            fw, fh, full = screenshot(path)
            cur = crop(fw, full, window_rect(self.d, self.window))
            if cur == last and (shows is None or holds(shows, Shot(*cur))):
                break
            if time.time() > deadline:
                break
            last = cur
        return Shot(*cur)

    def start(self):
        """The first screenshot, once the window shows its staff, and the
        staff's line gap then."""
        return Staff(self.shot("start", lambda s: Staff(s))).gap

    def zoom_in(self, start_gap):
        """Zooms from 100 to 200 with Ctrl and four turns of the wheel; the
        screenshot once the staff has its doubled size (not one of the
        steps on the way)."""
        self.wheel(400, 400, 4, "Control_L")
        return self.shot("zoomed", lambda s: Staff(s).gap > 1.875 * start_gap)

    def origin(self):
        x, y, _, _ = window_rect(self.d, self.window)
        return x, y

    def click(self, x, y):
        ox, oy = self.origin()
        click_screen(self.d, ox + int(round(x)), oy + int(round(y)))

    def drag(self, x, y, points):
        """Presses the left button at (x, y), moves through points and
        releases at the last one."""
        ox, oy = self.origin()
        for i, (px, py) in enumerate([(x, y)] + list(points)):
            xtest.fake_input(self.d, X.MotionNotify, x=ox + int(round(px)), y=oy + int(round(py)))
            self.d.sync()
            time.sleep(0.1)
            if i == 0:
                xtest.fake_input(self.d, X.ButtonPress, 1)
                self.d.sync()
                time.sleep(0.1)
        xtest.fake_input(self.d, X.ButtonRelease, 1)
        self.d.sync()

    def wheel(self, x, y, notches, *mods):
        ox, oy = self.origin()
        xtest.fake_input(self.d, X.MotionNotify, x=ox + x, y=oy + y)
        codes = [self.d.keysym_to_keycode(XK.string_to_keysym(m)) for m in mods]
        for c in codes:
            xtest.fake_input(self.d, X.KeyPress, c)
        for _ in range(notches):
            xtest.fake_input(self.d, X.ButtonPress, 4)
            xtest.fake_input(self.d, X.ButtonRelease, 4)
        for c in reversed(codes):
            xtest.fake_input(self.d, X.KeyRelease, c)
        self.d.sync()

    def key(self, name, *mods):
        press_key(self.d, name, *mods)

    def close(self):
        self.proc.kill()
        self.proc.wait()


def holds(test, shot):
    """Whether test holds for shot; a picture it cannot read does not."""
    try:
        return bool(test(shot))
    except (AssertionError, IndexError):
        return False


def check(ok, what):
    if not ok:
        raise AssertionError(what)
    print("ok:", what)


def head(staff, shot, n):
    """The rightmost inked cluster of measure n: (x centre, y centre)."""
    blobs = staff.blobs(shot, n)
    if not blobs:
        raise AssertionError("measure %d shows nothing" % (n + 1))
    x0, x1, y = blobs[-1]
    return (x0 + x1) // 2, y


def run(program, score, outdir):
    d = display.Display()
    first = Program(d, program, score, outdir, "first")
    second = None
    try:
        # Zoomed to 200 with Ctrl and the wheel, a step is a few pixels.
        s0 = first.zoom_in(first.start())
        staff = Staff(s0)
        half = staff.gap / 2
        hx, hy = head(staff, s0, 0)
        _, rest_y = head(staff, s0, 2)
        check(abs(rest_y - hy) > staff.gap, "the third measure shows a rest, not the note")

        # Each screenshot is taken once the window shows what the check
        # after it looks for, or after a minute, when the check fails.
        def selected(s):
            return any(staff.blobs(s, 0, lambda x, y: s.ink(x, y) and red(s.p, s.at(x, y))))

        def at_height(s, n, y):
            return abs(head(staff, s, n)[1] - y) <= 1.5

        first.click(hx, hy)
        s1 = first.shot("clicked", selected)
        check(selected(s1), "a click on the note selects it (drawn red)")

        first.key("Up", "Control_L")
        s2 = first.shot("moved", lambda s: at_height(s, 0, hy - half))
        _, moved_y = head(staff, s2, 0)
        check(abs((hy - moved_y) - half) <= 1.5,
              "Ctrl+Up moves the head half a staff space up (%.1f -> %.1f, space %.1f)" % (hy, moved_y, staff.gap))

        # The second measure's note, dragged up by three half staff spaces
        # one at a time, is drawn three steps higher.
        dx, dy = head(staff, s2, 1)
        first.drag(dx, dy, [(dx, dy - half * k) for k in (1, 2, 3)])
        s2a = first.shot("dragged", lambda s: at_height(s, 1, dy - 3 * half) and at_height(s, 0, moved_y))
        _, dragged_y = head(staff, s2a, 1)
        check(abs((dy - dragged_y) - 3 * half) <= 1.5,
              "dragging the second note up three half spaces draws it three steps higher (%.1f -> %.1f)"
              % (dy, dragged_y))
        _, first_y = head(staff, s2a, 0)
        check(abs(first_y - moved_y) <= 1.5, "...and the first note stays where Ctrl+Up put it")

        # The drag left the cursor in the second measure: Left and Right
        # clear the selection, Shift+Left selects the first measure (up to
        # the cursor's event, which the range takes in too).
        first.key("Left")
        first.key("Right")
        first.key("Left", "Shift_L")
        s3 = first.shot("selected", selected)
        check(selected(s3), "Left, Right, then Shift+Left selects the first measure")

        first.key("c", "Control_L")
        first.key("Right")
        first.key("Right")
        first.key("v", "Control_L")
        s4 = first.shot("pasted", lambda s: at_height(s, 2, moved_y))
        _, pasted_y = head(staff, s4, 2)
        check(abs(pasted_y - moved_y) <= 1.5,
              "Ctrl+V draws the pasted note in the third measure at the moved note's height (%.1f)" % pasted_y)

        first.key("z", "Control_L")
        s5 = first.shot("undone", lambda s: at_height(s, 2, rest_y) and at_height(s, 0, moved_y)
                        and at_height(s, 1, dragged_y))
        _, back_y = head(staff, s5, 2)
        _, still_y = head(staff, s5, 0)
        _, still_dragged_y = head(staff, s5, 1)
        check(abs(back_y - rest_y) <= 1.5, "Ctrl+Z brings the rest back into the third measure")
        check(abs(still_y - moved_y) <= 1.5, "...the first note stays where it was moved")
        check(abs(still_dragged_y - dragged_y) <= 1.5, "...and so does the dragged one")

        # Another copy of the program reads the notes through the system
        # clipboard: its third measure gets the note too.
        Program.others = [first.window.id]
        second = Program(d, program, score, outdir, "second")
        t0 = second.zoom_in(second.start())
        second.click(*head(staff, t0, 1))
        second.key("Right")
        second.key("v", "Control_L")
        t1 = second.shot("pasted", lambda s: at_height(s, 2, moved_y))
        _, other_y = head(staff, t1, 2)
        check(abs(other_y - moved_y) <= 1.5, "a second copy of the program pastes the copied note")
    finally:
        first.close()
        if second:
            second.close()
    return 0


def main():
    program, score, outdir = sys.argv[1:4]
    os.makedirs(outdir, exist_ok=True)
    try:
        return run(program, score, outdir)
    except AssertionError as e:
        print("FAILED:", e)
        return 1


if __name__ == "__main__":
    sys.exit(main())
