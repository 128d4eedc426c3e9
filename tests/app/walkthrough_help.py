#!/usr/bin/python3
"""The help and the news, driven through the X server:

  1. the news window shows the news of this version the program ships;
  2. Help > Helper opens the Helper beside the main window; with a score
     open its page follows the tool page chosen, and comes back with it;
  3. a topic link in the Helper leads to another topic, its back button
     returns;
  4. F1 in a dialog (the question before closing) opens the help page in
     the browser;
  5. the new-score wizard brings the Helper beside it with its topic, F1
     there opens the wizard's own page, and the main topic comes back
     when it closes;
  6. with the news served from 127.0.0.1 the program fetches them at
     start, the news button blinks, and the news window shows the served
     items; then the blinking stops.

usage: walkthrough_help.py PROGRAM OUTDIR   (run under xvfb-run)
"""
import http.server
import os
import shutil
import subprocess
import sys
import threading
import time

from Xlib import X, display
from Xlib.ext import xtest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from walkthrough import Keys, check, wait  # noqa: E402
from window_edit import windows  # noqa: E402
from window_smoke import answer_first_run, crop, screenshot, window_rect  # noqa: E402

TITLE = "Quillstave 4"
HELPER = "Helper"
NEWS = "News"
QUESTION = "Save changes"
WIZARD = "New score"
# Where the tool pages' tabs are (from the window's top-left corner) and
# the Helper's back button in its caption (from its top-right corner: the
# close, forward and back buttons, right to left).
NOTES_TAB = (806, 71)
SYMBOLS_TAB = (806, 123)
BACK_FROM_RIGHT, BACK_FROM_TOP = 40, 8
# The menu and tool bars are above this row of the main window.
TOOLBAR_BOTTOM = 175
SERVED_FEED = """<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0"><channel><title>Served</title>
<item><title>Served from this computer</title><description>The first served item</description>
<pubDate>Sat, 12 Dec 2026 10:00:00 GMT</pubDate><link>https://example.org/one</link></item>
<item><title>A second served item &amp; more</title><description>The second</description>
<pubDate>Sat, 12 Dec 2026 09:00:00 +0100</pubDate></item>
</channel></rss>
"""


def program_folder(program, outdir):
    """A folder of its own for the program, so that its settings (kept
    beside it) are the test's: the program linked, its files beside it."""
    bindir = os.path.dirname(os.path.abspath(program))
    dest = os.path.join(outdir, "bin")
    shutil.rmtree(dest, ignore_errors=True)
    os.makedirs(dest)
    exe = os.path.join(dest, os.path.basename(program))
    try:
        os.link(program, exe)
    except OSError:
        shutil.copy2(program, exe)
    for name in os.listdir(bindir):
        if name.endswith((".lrf", ".xcf")) or name == "resources":
            os.symlink(os.path.realpath(os.path.join(bindir, name)), os.path.join(dest, name))
    return exe


class FeedServer:
    """Plain HTTP on 127.0.0.1 serving one feed; it notes the paths asked."""

    def __init__(self, folder):
        self.paths = []
        outer = self

        class Handler(http.server.SimpleHTTPRequestHandler):
            def __init__(self, *args, **kwargs):
                super().__init__(*args, directory=folder, **kwargs)

            def do_GET(self):
                outer.paths.append(self.path)
                super().do_GET()

            def log_message(self, *args):
                pass

        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.port = self.httpd.server_address[1]
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def stop(self):
        self.httpd.shutdown()


class Session:
    def __init__(self, d, exe, env):
        self.d, self.keys = d, Keys(d)
        self.proc = subprocess.Popen([exe], env=env)
        wait("the main window", lambda: self.proc.poll() is None and windows(d, TITLE))
        answer_first_run(d)
        self.main = windows(d, TITLE)[0]
        time.sleep(1.0)

    def menu(self, entry, letter):
        self.keys.press(entry, "Alt_L")
        time.sleep(0.3)
        self.keys.press(letter)
        time.sleep(0.5)

    def shot(self, window, name, outdir):
        fw, _, full = screenshot(os.path.join(outdir, name + ".ppm"))
        return crop(fw, full, window_rect(self.d, window))

    def click(self, window, x, y):
        ox, oy, _, _ = window_rect(self.d, window)
        xtest.fake_input(self.d, X.MotionNotify, x=int(ox + x), y=int(oy + y))
        self.d.sync()
        time.sleep(0.1)
        xtest.fake_input(self.d, X.ButtonPress, 1)
        self.d.sync()
        time.sleep(0.05)
        xtest.fake_input(self.d, X.ButtonRelease, 1)
        self.d.sync()
        time.sleep(0.8)

    def wheel(self, window, x, y, down):
        ox, oy, _, _ = window_rect(self.d, window)
        xtest.fake_input(self.d, X.MotionNotify, x=int(ox + x), y=int(oy + y))
        button = 5 if down else 4
        xtest.fake_input(self.d, X.ButtonPress, button)
        xtest.fake_input(self.d, X.ButtonRelease, button)
        self.d.sync()
        time.sleep(0.2)

    def end(self):
        self.proc.kill()
        self.proc.wait()


def page(shot):
    """The page of a Helper or news window picture: without its caption
    (active or not, with its buttons) and the row of its check box."""
    w, h, p = shot
    return p[w * 3 * 22:w * 3 * (h - 26)]


def title_lines(shot):
    """The number of lines of navy text (the news titles) on a window's page."""
    w, h, p = shot
    lines, last = 0, -2
    for y in range(22, h - 26):
        for x in range(w):
            i = (y * w + x) * 3
            if p[i + 2] > 90 and p[i] < 40 and p[i + 1] < 40:
                if y > last + 1:
                    lines += 1
                last = y
                break
    return lines


def red_rows(shot):
    """Rows of a window picture holding the red of links, with the first
    such pixel's x."""
    w, h, p = shot
    rows = []
    for y in range(h):
        for x in range(w):
            i = (y * w + x) * 3
            if p[i] > 150 and p[i + 1] < 60 and p[i + 2] < 60:
                rows.append((y, x))
                break
    return rows


def run(program, outdir):
    d = display.Display()
    os.makedirs(outdir, exist_ok=True)
    exe = program_folder(program, outdir)
    settings = os.path.join(os.path.dirname(exe), "ProgramSetting.ini")
    home = os.path.join(outdir, "home")
    os.makedirs(home, exist_ok=True)
    browser_log = os.path.join(outdir, "browser.log")
    browser = os.path.join(outdir, "browser.sh")
    with open(browser, "w") as f:
        f.write('#!/bin/sh\necho "$@" >> \'%s\'\n' % browser_log)
    os.chmod(browser, 0o755)
    if os.path.exists(browser_log):
        os.remove(browser_log)
    env = dict(os.environ)
    env.pop("QT_QPA_PLATFORM", None)
    env.update(XDG_CONFIG_HOME=home, XDG_DATA_HOME=home, XDG_CACHE_HOME=os.path.join(outdir, "cache"),
               HOME=home, BROWSER=browser, LANG="C.UTF-8", LC_ALL="C.UTF-8")
    shutil.rmtree(os.path.join(outdir, "cache"), ignore_errors=True)

    # 1. The news of this version, shipped with the program.
    s = Session(d, exe, env)
    try:
        s.menu("h", "n")
        wait("the news window", lambda: windows(d, NEWS))
        news = windows(d, NEWS)[0]
        time.sleep(0.8)
        shipped = s.shot(news, "news-shipped", outdir)
        check(title_lines(shipped) == 3, "the news window shows the three items of this version")
        s.keys.press("Escape")

        # 2. The Helper follows the tool page (the program starts with a
        # new score open on the Notes page).
        s.menu("h", "h")
        wait("the Helper", lambda: windows(d, HELPER))
        helper = windows(d, HELPER)[0]
        time.sleep(0.8)
        hx, hy, hw, hh = window_rect(d, helper)
        mx, my, mw, mh = window_rect(d, s.main)
        check(hx + hw <= mx + 16 or hx >= mx + mw - 16, "the Helper stands beside the main window")
        notes = s.shot(helper, "helper-notes", outdir)
        s.click(s.main, *SYMBOLS_TAB)
        symbols = s.shot(helper, "helper-symbols", outdir)
        check(page(symbols) != page(notes), "on the Symbols page the Helper shows another topic")
        s.click(s.main, *NOTES_TAB)
        check(page(s.shot(helper, "helper-notes-again", outdir)) == page(notes), "back on the Notes page it shows the Notes topic")

        # 3. A topic link (at the end of the page: scrolled there with the
        # wheel), and back.
        for _ in range(6):
            s.wheel(helper, hw // 2, hh // 2, down=True)
        scrolled = s.shot(helper, "helper-scrolled", outdir)
        check(page(scrolled) != page(notes), "the wheel scrolls the Helper's page")
        links = red_rows(scrolled)
        check(len(links) >= 2, "the Helper's page shows its links")
        y, x = links[-1]
        s.click(helper, x + 3, y - 5)  # above the underline, on the word
        linked = s.shot(helper, "helper-linked", outdir)
        check(page(linked) != page(scrolled) and len(red_rows(linked)) < len(links), "the topic link leads to its topic")
        s.click(helper, hw - BACK_FROM_RIGHT, BACK_FROM_TOP)
        check(page(s.shot(helper, "helper-back", outdir)) == page(notes),
              "the back button returns to the page before, at its top")

        # 4. F1 in a dialog opens the help page.
        s.click(s.main, mw // 2, 8)  # the main window's caption: the keys go there
        s.menu("o", "a")  # an edit, so that closing asks
        s.menu("f", "c")
        wait("the question before closing", lambda: windows(d, QUESTION))
        s.keys.press("F1")
        wait("the browser", lambda: os.path.exists(browser_log))
        with open(browser_log) as f:
            opened = f.read()
        check("help/ENU/Entrance.htm" in opened, "F1 in the dialog opens the help page: %s" % opened.strip())
        s.keys.press("Escape")
        wait("the question to go", lambda: not windows(d, QUESTION))

        # 5. The new-score wizard: the Helper explains it beside it, F1
        # opens its own page, and the main topic comes back after it.
        os.remove(browser_log)
        s.menu("f", "n")
        wait("the wizard", lambda: windows(d, WIZARD), 20)
        time.sleep(1.0)
        wizard = windows(d, WIZARD)[0]
        wait("the Helper beside the wizard", lambda: windows(d, HELPER))
        helper = windows(d, HELPER)[0]
        hx, hy, hw, hh = window_rect(d, helper)
        wx, wy, ww, wh = window_rect(d, wizard)
        check(hx + hw <= wx + 16 or hx >= wx + ww - 16, "the Helper stands beside the wizard")
        check(page(s.shot(helper, "helper-wizard", outdir)) != page(notes), "the Helper shows the wizard's topic")
        s.keys.press("F1")
        wait("the browser", lambda: os.path.exists(browser_log))
        with open(browser_log) as f:
            opened = f.read()
        check("help/ENU/NewInstrument.htm" in opened, "F1 in the wizard opens its page: %s" % opened.strip())
        s.keys.press("Escape")
        wait("the wizard to go", lambda: not windows(d, WIZARD))
        time.sleep(0.5)
        check(page(s.shot(windows(d, HELPER)[0], "helper-after-wizard", outdir)) == page(notes),
              "after the wizard the Helper shows the Notes topic again")
    finally:
        s.end()

    # 6. News served from this computer: fetched at start, the news button
    # blinks, the news window shows them.
    feed_dir = os.path.join(outdir, "feed")
    os.makedirs(feed_dir, exist_ok=True)
    with open(os.path.join(feed_dir, "music_notation_software.rss"), "w") as f:
        f.write(SERVED_FEED)
    server = FeedServer(feed_dir)
    with open(settings, "w") as f:
        f.write("[News]\nAddress=http://127.0.0.1:%d/\n" % server.port)
    s = Session(d, exe, env)
    try:
        cache = os.path.join(outdir, "cache", "quillstave4", "News", "music_notation_software.rss")
        wait("the news fetched", lambda: os.path.exists(cache), 30)
        check(server.paths == ["/music_notation_software.rss"], "the English feed is asked: %s" % server.paths)

        def bar():
            w, _, p = s.shot(s.main, "blink", outdir)
            return p[:w * 3 * TOOLBAR_BOTTOM]

        frames = set()
        for _ in range(8):
            frames.add(bar())
            time.sleep(0.15)
        check(len(frames) > 1, "the news button blinks")
        s.menu("h", "n")
        wait("the news window", lambda: windows(d, NEWS))
        time.sleep(0.8)
        served = s.shot(windows(d, NEWS)[0], "news-served", outdir)
        check(page(served) != page(shipped) and title_lines(served) == 2, "the news window shows the two items served")
        s.keys.press("Escape")
        wait("the news window to go", lambda: not windows(d, NEWS))
        time.sleep(0.5)
        frames = set()
        for _ in range(6):
            frames.add(bar())
            time.sleep(0.15)
        check(len(frames) == 1, "the news button no longer blinks")
    finally:
        s.end()
        server.stop()


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    run(sys.argv[1], sys.argv[2])
    print("walkthrough of the help passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
