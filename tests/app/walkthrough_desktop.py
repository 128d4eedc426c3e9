#!/usr/bin/python3
"""The walkthrough's desktop chapter: the real program under a virtual X
server, driven only through X events.

  1. The Notes palette's tab dragged out of the tool notebook floats the
     palette in a window of its own, its bottom-left corner where the
     mouse let go; after File > Exit and a new start it is there again;
     moved by its caption onto the tool notebook it docks, and after the
     next start it is docked.
  2. Two files given on the command line: the Windows menu lists both and
     switches between their tabs.
  3. Letters and digits work the Notes page: N and 3 choose the quarter
     note and a click enters one; Enter 4 enters an eighth note and
     Space 3 a quarter rest at the cursor, as the saved MusicXML shows.
  4. Insert switches between overwrite and insert: the status line shows
     it, the settings keep it.
  5. Service > German: without a restart the menus (Alt+D opens "Datei"),
     the floating palette's title ("Noten") and the status line (the longer
     "Überschreiben") speak German.

usage: walkthrough_desktop.py PROGRAM MUSICXML OTHER_MUSICXML OUTDIR   (under xvfb-run)
"""
import os
import shutil
import subprocess
import sys
import time
import xml.etree.ElementTree as ET

from Xlib import X, display
from Xlib.ext import xtest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from walkthrough import Keys, check, wait  # noqa: E402
from walkthrough_files import private_program, settings  # noqa: E402
from window_edit import Shot, Staff, click_screen, ink, windows  # noqa: E402
from window_smoke import crop, screenshot, window_rect  # noqa: E402

TITLE = "Quillstave 4"
# Places in the main window (from its top-left corner, at its first size):
# the Notes tab of the tool notebook, a point below the notebook, one on
# it, and the Service menu.
NOTES_TAB = (807, 71)
BELOW_TOOLS = (420, 480)
ON_TOOLS = (420, 100)
SERVICE_MENU = (308, 38)


class Desktop:
    def __init__(self, d, program, outdir):
        self.d, self.outdir = d, outdir
        self.program = private_program(program, os.path.join(outdir, "program"))
        # English whatever the locale, the first start behind it.
        with open(os.path.join(os.path.dirname(self.program), "ProgramSetting.ini"), "w", encoding="utf-8") as f:
            f.write("[Tools]\nLanguage=ENU\nStartModule=0\n")
        self.keys = Keys(d)
        self.proc = None
        self.main = None
        self.home = os.path.join(outdir, "home")
        os.makedirs(self.home, exist_ok=True)
        self.shots = 0

    # ------------------------------------------------------------ program

    def start(self, *files):
        env = dict(os.environ)
        env.pop("QT_QPA_PLATFORM", None)
        env["XDG_CONFIG_HOME"] = self.home
        env["XDG_DATA_HOME"] = self.home
        self.proc = subprocess.Popen([self.program] + list(files), env=env)
        wait("the main window", lambda: self.proc.poll() is None and windows(self.d, TITLE))
        self.main = windows(self.d, TITLE)[0]
        time.sleep(1.5)
        self.hover(400, 300)

    def exit(self):
        """File > Exit (Ctrl+E); waits for the program to end."""
        self.hover(400, 300)
        self.keys.press("e", "Control_L")
        deadline = time.time() + 30
        while self.proc.poll() is None and time.time() < deadline:
            time.sleep(0.2)
        check(self.proc.poll() == 0, "File > Exit ends the program")

    def kill(self):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()

    def settings(self):
        return settings(os.path.dirname(self.program))

    # ------------------------------------------------------------ mouse and screen

    def origin(self):
        x, y, _, _ = window_rect(self.d, self.main)
        return x, y

    def hover(self, x, y):
        ox, oy = self.origin()
        xtest.fake_input(self.d, X.MotionNotify, x=ox + x, y=oy + y)
        self.d.sync()
        time.sleep(0.2)

    def click_at(self, sx, sy):
        click_screen(self.d, sx, sy)
        time.sleep(0.6)

    def click(self, x, y):
        ox, oy = self.origin()
        self.click_at(ox + x, oy + y)

    def drag_screen(self, start, end, steps=8):
        """Presses at start, moves to end in steps and lets go there."""
        xtest.fake_input(self.d, X.MotionNotify, x=int(start[0]), y=int(start[1]))
        self.d.sync()
        time.sleep(0.2)
        xtest.fake_input(self.d, X.ButtonPress, 1)
        self.d.sync()
        time.sleep(0.2)
        for i in range(1, steps + 1):
            x = start[0] + (end[0] - start[0]) * i / steps
            y = start[1] + (end[1] - start[1]) * i / steps
            xtest.fake_input(self.d, X.MotionNotify, x=int(x), y=int(y))
            self.d.sync()
            time.sleep(0.08)
        time.sleep(0.2)
        xtest.fake_input(self.d, X.ButtonRelease, 1)
        self.d.sync()
        time.sleep(1.0)

    def shot(self, name):
        self.shots += 1
        fw, _, full = screenshot(os.path.join(self.outdir, "%02d-%s.ppm" % (self.shots, name)))
        return Shot(*crop(fw, full, window_rect(self.d, self.main)))

    def palette(self, title):
        """The floating palette's window, or None."""
        found = [w for w in windows(self.d, title) if w.id != self.main.id]
        return found[0] if found else None

    def popup(self, known):
        """The menu list that opened after known was taken."""
        wait("a menu list", lambda: any(w.id not in known for w in windows(self.d, "")), 10)
        return [w for w in windows(self.d, "") if w.id not in known][0]


def status_ink_right(s):
    """The rightmost inked column of the status line's text (the mode name
    after the page bar, bottom left of the document, before the scroll bar)."""
    right = -1
    for y in range(s.h - 26, s.h - 16):
        for x in range(152, 380):
            if ink(s.p, s.at(x, y)):
                right = max(right, x)
    return right


def status_row(s):
    return bytes(s.p[s.at(0, s.h - 26):s.at(0, s.h - 16)])


def xml_notes(path):
    """The notes and rests of a MusicXML file as "quarter", "eighth rest"."""
    out = []
    for n in ET.parse(path).getroot().iter("note"):
        out.append(n.findtext("type", "") + (" rest" if n.find("rest") is not None else ""))
    return out


def run(program, first, second, outdir):
    d = display.Display()
    app = Desktop(d, program, outdir)
    try:
        # 1. Tear the Notes palette off by its tab, restart, dock it back.
        app.start(first)
        ox, oy = app.origin()
        check(app.palette("Notes") is None, "the Notes palette starts docked")
        app.drag_screen((ox + NOTES_TAB[0], oy + NOTES_TAB[1]), (ox + BELOW_TOOLS[0], oy + BELOW_TOOLS[1]))
        wait("the floating Notes palette", lambda: app.palette("Notes") is not None, 20)
        px, py, pw, ph = window_rect(d, app.palette("Notes"))
        check(abs(px - (ox + BELOW_TOOLS[0])) <= 2 and abs(py + ph - (oy + BELOW_TOOLS[1])) <= 2,
              "the palette floats with its bottom-left corner where the tab was let go: %s" % ((px, py, pw, ph),))
        check(app.settings().get("FProgramModule", "NotesAttached", fallback="1") == "0",
              "the settings keep it floating")
        app.exit()
        app.start(first)
        wait("the Notes palette after the restart", lambda: app.palette("Notes") is not None, 20)
        again = window_rect(d, app.palette("Notes"))
        check(again == (px, py, pw, ph), "after a restart it floats where it was left: %s" % (again,))
        ox, oy = app.origin()
        app.drag_screen((px + 40, py + 8), (ox + ON_TOOLS[0], oy + ON_TOOLS[1]))
        wait("the palette to dock", lambda: app.palette("Notes") is None, 20)
        check(app.settings().get("FProgramModule", "NotesAttached", fallback="0") == "1",
              "moved by its caption onto the tool notebook it docks")
        app.exit()
        app.start(first, second)
        check(app.palette("Notes") is None, "after the next start it is docked")

        # 2. Two documents: the Windows menu lists both and switches.
        first_title = os.path.splitext(os.path.basename(first))[0]
        second_title = os.path.splitext(os.path.basename(second))[0]
        check(windows(d, second_title + " - " + TITLE), "the second file is the active tab")

        def windows_menu(line_from_bottom):
            known = {w.id for w in windows(d, "")}
            app.keys.press("w", "Alt_L")
            menu = app.popup(known)
            mx, my, mw, mh = window_rect(d, menu)
            app.click_at(mx + 40, my + mh - 12 - 20 * line_from_bottom)

        windows_menu(1)
        wait("the first tab", lambda: windows(d, first_title + " - " + TITLE), 10)
        check(True, "Windows > %s shows the first document" % first_title)
        windows_menu(0)
        wait("the second tab", lambda: windows(d, second_title + " - " + TITLE), 10)
        check(True, "Windows > %s shows the second document" % second_title)
        windows_menu(1)
        wait("the first tab again", lambda: windows(d, first_title + " - " + TITLE), 10)

        # 3. Letters and digits of the Notes page: at the cursor (the start
        # of the first measure) Enter 4 and Space 3, then N 3 and a click
        # into the second measure.
        staff = Staff(app.shot("keys-0"))
        app.hover(400, 300)
        known = {w.id for w in windows(d, "")}

        def message_once():
            # Without a sound card the first note says once that there is none.
            deadline = time.time() + 3
            while time.time() < deadline and not any(w.id not in known for w in windows(d, "")):
                time.sleep(0.2)
            if any(w.id not in known for w in windows(d, "")):
                app.keys.press("Return")
                wait("the message to go", lambda: not any(w.id not in known for w in windows(d, "")), 10)
                return True
            return False

        app.keys.press("Return")
        app.keys.press("4")
        said = message_once()
        app.keys.press("space")
        app.keys.press("3")
        app.keys.press("n")
        app.keys.press("3")
        x0, x1 = staff.measure(1)
        app.click(x0 + (x1 - x0) * 0.4, staff.lines[2][0])
        if not said:
            message_once()
        time.sleep(0.5)
        saved = os.path.join(outdir, "keys.xml")
        app.keys.press("f", "Alt_L")
        time.sleep(0.3)
        app.keys.press("a")
        wait("the save dialog", lambda: any(w.id != app.main.id for w in windows(d, "")))
        time.sleep(0.8)
        app.keys.type(saved)
        app.keys.press("Return")
        wait("the saved file", lambda: os.path.exists(saved), 30)
        time.sleep(0.5)
        notes = xml_notes(saved)
        original = xml_notes(first)
        check("eighth" in notes and "eighth" not in original, "Enter 4 entered an eighth note: %s" % notes)
        check(notes.count("quarter") > original.count("quarter"),
              "N 3 and a click entered a quarter note: %s" % notes)
        check("quarter rest" in notes and "quarter rest" not in original, "Space 3 entered a quarter rest: %s" % notes)

        # 4. Insert switches the mode; the status line says which.
        app.hover(400, 300)
        overwrite = app.shot("mode-overwrite")
        app.keys.press("Insert")
        wait("the insert mode in the status line",
             lambda: status_row(app.shot("mode-insert")) != status_row(overwrite), 20)
        check(True, "the status line shows the insert mode")
        check(app.settings().get("Tools", "AddState", fallback="0") == "1", "the settings keep the insert mode")
        app.keys.press("Insert")
        wait("the overwrite mode again", lambda: status_row(app.shot("mode-back")) == status_row(overwrite), 20)
        check(True, "Insert again: overwrite")
        english_status = status_ink_right(overwrite)

        # 5. Service > German, with the Notes palette floating to show its title.
        # In English Alt+D opens no menu (it hides the Design page).
        known = {w.id for w in windows(d, "")}
        app.keys.press("d", "Alt_L")
        time.sleep(1.5)
        check(not any(w.id not in known for w in windows(d, "")), "in English Alt+D opens no menu")
        ox, oy = app.origin()
        app.drag_screen((ox + NOTES_TAB[0], oy + NOTES_TAB[1]), (ox + BELOW_TOOLS[0], oy + BELOW_TOOLS[1]))
        wait("the floating Notes palette", lambda: app.palette("Notes") is not None, 20)
        pid = app.proc.pid
        known = {w.id for w in windows(d, "")}
        app.click(*SERVICE_MENU)
        app.popup(known)
        app.keys.press("g")
        wait("the palette's German title", lambda: app.palette("Noten") is not None, 20)
        check(True, "the floating palette's title is German: Noten")
        app.hover(400, 300)
        wait("the German status line", lambda: status_ink_right(app.shot("german")) > english_status + 10, 20)
        check(True, "the status line speaks German (Überschreiben is longer than Overwrite)")
        known = {w.id for w in windows(d, "")}
        app.keys.press("d", "Alt_L")
        app.popup(known)
        check(True, "Alt+D opens the German menu Datei")
        app.keys.press("Escape")
        check(app.settings().get("Tools", "Language", fallback="") == "DEU", "the settings keep German")
        check(app.proc.poll() is None and app.proc.pid == pid, "all without a restart")
    finally:
        app.kill()


def main():
    program, first, second, outdir = sys.argv[1:5]
    shutil.rmtree(outdir, ignore_errors=True)
    os.makedirs(outdir, exist_ok=True)
    try:
        run(program, first, second, outdir)
    except AssertionError as e:
        print("FAILED:", e)
        return 1
    print("desktop walkthrough passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
