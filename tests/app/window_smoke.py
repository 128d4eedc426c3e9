#!/usr/bin/python3
"""Starts the program on a score under a virtual X server, waits for its
window, takes a screenshot through the X server and checks that it shows a
page with staff lines, then closes the window as a window manager would and
expects the program to end by itself with status 0.

usage: window_smoke.py PROGRAM SCORE OUTDIR   (run under xvfb-run)
"""
import os
import subprocess
import sys
import time

from Xlib import X, XK, Xatom, display, protocol
from Xlib.ext import xtest

TITLE = "Quillstave 4"


def find_window(d, title):
    stack = [d.screen().root]
    while stack:
        w = stack.pop()
        try:
            name = w.get_wm_name()
            net = w.get_full_property(d.intern_atom("_NET_WM_NAME"), d.intern_atom("UTF8_STRING"))
            if net is not None:
                name = net.value.decode("utf-8", "replace")
            attrs = w.get_attributes()
            if name and title in str(name) and attrs.map_state == X.IsViewable:
                return w
            stack.extend(w.query_tree().children)
        except Exception:
            continue
    return None


# The dialog of the program's first start: it comes with the main window,
# once for the settings file (which the window tests share).
FIRST_RUN = "Main settings"


def answer_first_run(d, seconds=2.0):
    """Closes the dialog of the first start when it shows within seconds
    (every choice in it is optional); true when it did."""
    deadline = time.time() + seconds
    while find_window(d, FIRST_RUN) is None:
        if time.time() > deadline:
            return False
        time.sleep(0.1)
    code = d.keysym_to_keycode(XK.string_to_keysym("Escape"))
    deadline = time.time() + 20
    while time.time() < deadline:
        dialog = find_window(d, FIRST_RUN)
        if dialog is None:
            # The keys go to the main window again.
            main = find_window(d, TITLE)
            if main is not None:
                main.set_input_focus(X.RevertToParent, X.CurrentTime)
                d.sync()
            time.sleep(0.3)
            return True
        # The main window comes at the same time and may hold the focus.
        time.sleep(0.5)
        try:
            dialog.set_input_focus(X.RevertToParent, X.CurrentTime)
            d.sync()
        except Exception:
            continue
        xtest.fake_input(d, X.KeyPress, code)
        xtest.fake_input(d, X.KeyRelease, code)
        d.sync()
        time.sleep(1.0)
    raise AssertionError("the dialog of the first start did not close")


def screenshot(path):
    subprocess.run(["import", "-window", "root", "-depth", "8", path], check=True)
    with open(path, "rb") as f:
        data = f.read()
    # P6 header: magic, width, height, maxval, each ended by whitespace.
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    assert fields[0] == b"P6", fields[0]
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos + 1:]


def staff_rows(width, height, pixels, min_run):
    """Rows holding a dark horizontal run of at least min_run pixels with
    white three rows above or below it (a staff line on a page)."""
    def white(x, y):
        if y < 0 or y >= height:
            return False
        i = (y * width + x) * 3
        return min(pixels[i:i + 3]) > 200

    rows = []
    for y in range(height):
        run = 0
        base = y * width * 3
        for x in range(width):
            i = base + x * 3
            if max(pixels[i:i + 3]) < 200:
                run += 1
                if run >= min_run and (white(x, y - 3) or white(x, y + 3)):
                    rows.append(y)
                    break
            else:
                run = 0
    return rows


def window_rect(d, window):
    g = window.get_geometry()
    pos = window.translate_coords(d.screen().root, 0, 0)
    return -pos.x, -pos.y, g.width, g.height


def staves(rows):
    """The number of staves: five line rows, equally spaced."""
    lines = []
    for y in rows:  # neighbouring rows are one line
        if not lines or y - lines[-1] > 1:
            lines.append(y)
    count, i = 0, 0
    while i + 4 < len(lines):
        gaps = [lines[i + k + 1] - lines[i + k] for k in range(4)]
        if max(gaps) - min(gaps) <= 1 and 3 <= min(gaps) <= 30:
            count += 1
            i += 5
        else:
            i += 1
    return count


def crop(width, pixels, rect):
    x0, y0, w, h = rect
    out = bytearray()
    for y in range(y0, y0 + h):
        out += pixels[(y * width + x0) * 3:(y * width + x0 + w) * 3]
    return w, h, bytes(out)


def main():
    program, score, outdir = sys.argv[1:4]
    os.makedirs(outdir, exist_ok=True)
    env = dict(os.environ)
    env.pop("QT_QPA_PLATFORM", None)
    proc = subprocess.Popen([program, score], env=env)
    d = display.Display()
    # The limits only end a failing run: a busy machine may be slow to start
    # the program and to paint its page, and each wait ends as soon as what
    # it waits for has come.
    window = None
    deadline = time.time() + 60
    while window is None and time.time() < deadline:
        if proc.poll() is not None:
            print("the program ended before showing a window, status", proc.returncode)
            return 1
        window = find_window(d, TITLE)
        time.sleep(0.2)
    if window is None:
        print("no window titled", TITLE, "appeared")
        proc.kill()
        return 1
    answer_first_run(d)

    shot = os.path.join(outdir, "window.ppm")
    rows = []
    deadline = time.time() + 60
    while time.time() < deadline:
        full_w, full_h, full = screenshot(shot)
        width, height, pixels = crop(full_w, full, window_rect(d, window))
        white = sum(1 for i in range(0, len(pixels), 3 * 7) if min(pixels[i:i + 3]) > 250)
        rows = staff_rows(width, height, pixels, 150)
        if white > (width * height // 7) // 20 and staves(rows) >= 2:
            break
        time.sleep(0.3)
    subprocess.run(["import", "-window", "root", os.path.join(outdir, "window.png")], check=False)
    if staves(rows) < 2:
        print("the screenshot shows no page with staves (%d line rows, %d staves, %d white samples)"
              % (len(rows), staves(rows), white))
        proc.kill()
        return 1

    # Close the window as a window manager does.
    protocols = d.intern_atom("WM_PROTOCOLS")
    delete = d.intern_atom("WM_DELETE_WINDOW")
    event = protocol.event.ClientMessage(window=window, client_type=protocols,
                                         data=(32, [delete, X.CurrentTime, 0, 0, 0]))
    window.send_event(event)
    d.flush()
    try:
        status = proc.wait(timeout=60)
    except subprocess.TimeoutExpired:
        print("the program did not end after its window was closed")
        proc.kill()
        return 1
    if status != 0:
        print("the program ended with status", status)
        return 1
    print("window shown with %d staves; closed cleanly" % staves(rows))
    return 0


if __name__ == "__main__":
    sys.exit(main())
