#!/usr/bin/python3
"""Drives the real program under a virtual X server with keys sent through
the X server (XTest), through its menus:

  1. File > Open reads a MusicXML file into a tab of its own;
  1a. the quarter note chosen on the Notes palette, three clicks into the
     second measure at the top, middle and bottom lines enter three
     quarter notes there (seen in the view; saved as MusicXML they are F5,
     B4 and E4); Ctrl+Z takes the last one back;
  2. File > Save As writes it as a native score, which holds what the
     document holds (--print-contents);
  3. File > Close closes it; File > Open reads the native file back, and
     saved again it holds the same;
  4. after an edit (Composition > Add part) File > Close asks whether to
     save; Cancel keeps the document open with the edit, so that Save As
     then writes it.

usage: walkthrough.py PROGRAM MUSICXML OUTDIR   (run under xvfb-run)
"""
import os
import shutil
import subprocess
import sys
import time

from Xlib import X, XK, display
from Xlib.ext import xtest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from window_edit import Shot, Staff, click_screen, ink, press_key, windows  # noqa: E402
from window_smoke import crop, screenshot, window_rect  # noqa: E402

TITLE = "Quillstave 4"
# The quarter-note button of the Notes palette, docked in the main window
# (from the window's top-left corner).
QUARTER = (152, 124)
QUESTION = "Save changes"


class Keys:
    def __init__(self, d):
        self.d = d

    def press(self, name, *mods):
        press_key(self.d, name, *mods)
        time.sleep(0.15)

    def type(self, text):
        names = {"/": "slash", ".": "period", "_": "underscore", "-": "minus", " ": "space", "<": "less",
                 ">": "greater", "@": "at", ";": "semicolon", ",": "comma", ":": "colon"}
        for ch in text:
            sym = XK.string_to_keysym(names.get(ch, ch))
            code = self.d.keysym_to_keycode(sym)
            shifted = self.d.keycode_to_keysym(code, 0) != sym
            if shifted:
                xtest.fake_input(self.d, X.KeyPress, self.d.keysym_to_keycode(XK.XK_Shift_L))
            xtest.fake_input(self.d, X.KeyPress, code)
            xtest.fake_input(self.d, X.KeyRelease, code)
            if shifted:
                xtest.fake_input(self.d, X.KeyRelease, self.d.keysym_to_keycode(XK.XK_Shift_L))
            self.d.sync()
            time.sleep(0.02)


def wait(what, test, seconds=60):
    """Waits until test holds; the limit only ends a failing run."""
    deadline = time.time() + seconds
    while time.time() < deadline:
        if test():
            return
        time.sleep(0.2)
    raise AssertionError("waited in vain for " + what)


def contents(program, path):
    """What --print-contents says of a file, without the lines that name
    the file and its format."""
    out = subprocess.run([program, "--print-contents", path], capture_output=True, text=True, check=True).stdout
    return [line for line in out.splitlines()[1:] if "format version" not in line and "file version" not in line]


def pitches(path):
    """The pitches of the notes of a MusicXML file, as "F5", in order."""
    import xml.etree.ElementTree as ET
    out = []
    for p in ET.parse(path).getroot().iter("pitch"):
        alter = p.findtext("alter")
        out.append(p.findtext("step") + {None: "", "1": "#", "-1": "b"}.get(alter, alter) + p.findtext("octave"))
    return out


def check(ok, what):
    if not ok:
        raise AssertionError(what)
    print("ok:", what)


class Session:
    """The program started on a copy of a score, with settings folders of
    its own, and the steps every chapter takes with it."""

    def __init__(self, program, source, outdir):
        self.d = display.Display()
        self.keys = Keys(self.d)
        self.outdir = outdir
        env = dict(os.environ)
        env.pop("QT_QPA_PLATFORM", None)
        home = os.path.join(outdir, "home")
        os.makedirs(home, exist_ok=True)
        env["XDG_CONFIG_HOME"] = home
        env["XDG_DATA_HOME"] = home
        self.song = os.path.join(outdir, "song.xml")
        shutil.copyfile(source, self.song)
        self.proc = subprocess.Popen([program], env=env)
        try:
            wait("the main window", lambda: self.proc.poll() is None and windows(self.d, TITLE))
        except AssertionError:
            self.close()
            raise
        self.main = windows(self.d, TITLE)[0]
        time.sleep(1.0)

    def close(self):
        self.proc.kill()
        self.proc.wait()

    def dialog(self, path):
        """A file dialog opened by the last keys: the name is typed into
        its name field and confirmed."""
        wait("the file dialog", lambda: any(w.id != self.main.id for w in windows(self.d, "")))
        time.sleep(0.8)
        self.keys.type(path)
        self.keys.press("Return")

    def menu(self, entry, letter):
        self.keys.press(entry, "Alt_L")
        time.sleep(0.3)
        self.keys.press(letter)

    def save_as(self, path, what):
        """File > Save As under the name typed; waits for the file."""
        self.menu("f", "a")
        self.dialog(path)
        wait(what, lambda: os.path.exists(path))
        time.sleep(0.5)

    def shot(self, name):
        """The main window as the screen shows it now."""
        fw, _, full = screenshot(os.path.join(self.outdir, name + ".ppm"))
        return Shot(*crop(fw, full, window_rect(self.d, self.main)))

    def click(self, x, y):
        """A click at (x, y) of the main window."""
        ox, oy, _, _ = window_rect(self.d, self.main)
        click_screen(self.d, ox + x, oy + y)
        time.sleep(0.6)


def run(program, source, outdir):
    session = Session(program, source, outdir)
    d, keys, proc, song = session.d, session.keys, session.proc, session.song
    dialog, menu, save_as, shot, click = session.dialog, session.menu, session.save_as, session.shot, session.click
    try:
        # 1. File > Open the MusicXML file.
        menu("f", "o")
        dialog(song)
        time.sleep(1.5)
        # 1a. Notes entered from the Notes palette.
        def band(s, staff, y):
            """Inked points of the second measure in the rows around y, the
            staff lines left out."""
            x0, x1 = staff.measure(1)
            return sum(1 for x in range(x0 + 2, x1 - 1) for yy in range(int(y) - 2, int(y) + 3)
                       if yy not in staff.line_rows and ink(s.p, s.at(x, yy)))

        before = shot("entry-0")
        staff = Staff(before)
        heights = [staff.lines[0][0], staff.lines[2][0], staff.lines[4][0]]
        click(*QUARTER)
        known = {w.id for w in windows(d, "")}
        x0, x1 = staff.measure(1)
        for i, y in enumerate(heights):
            click(x0 + (x1 - x0) * (0.15 + 0.25 * i), y)

            def drawn():
                # Without a sound card the first note says once that there
                # is no sound; entry goes on once it is answered.
                if any(w.id not in known for w in windows(d, "")):
                    keys.press("Return")
                    time.sleep(0.5)
                    known.update(w.id for w in windows(d, ""))
                return band(shot("entry-note"), staff, y) > band(before, staff, y) + 4
            wait("the note at height %d" % y, drawn, 30)
        entered = shot("entry-1")
        check(all(band(entered, staff, y) > band(before, staff, y) + 4 for y in heights),
              "three notes are drawn in the second measure at the heights clicked")
        exported = os.path.join(outdir, "entered.xml")
        save_as(exported, "the MusicXML file")
        check(pitches(exported) == ["F5", "B4", "E4"], "the notes entered are F5, B4 and E4: %s" % pitches(exported))
        keys.press("z", "Control_L")
        wait("the last note taken back",
             lambda: band(shot("entry-2"), staff, heights[2]) < band(entered, staff, heights[2]) - 4, 30)
        undone = shot("entry-2")
        check(band(undone, staff, heights[2]) < band(entered, staff, heights[2]) - 4
              and band(undone, staff, heights[0]) > band(before, staff, heights[0]) + 4,
              "Ctrl+Z takes the last note back and keeps the others")
        # 2. File > Save As a native file.
        saved = os.path.join(outdir, "saved.sfd")
        save_as(saved, "the native file")
        notes = [line for line in contents(program, saved) if "Music:" in line]
        check(notes and "2 notes" in notes[0], "the native file holds the two notes left: %s" % notes)
        # 3. File > Close, File > Open the native file, saved again.
        menu("f", "c")
        time.sleep(1.0)
        menu("f", "o")
        dialog(saved)
        time.sleep(1.5)
        again = os.path.join(outdir, "again.sfd")
        save_as(again, "the second native file")
        check(contents(program, again) == contents(program, saved), "the native file reads back with the same content")
        # 4. An edit, then File > Close asks; Cancel keeps the document.
        menu("o", "a")
        time.sleep(1.0)
        menu("f", "c")
        wait("the question before closing", lambda: windows(d, QUESTION))
        keys.press("Escape")
        wait("the question to go", lambda: not windows(d, QUESTION))
        edited = os.path.join(outdir, "edited.sfd")
        save_as(edited, "the edited file")
        check(contents(program, edited) != contents(program, again), "Cancel kept the edited document open")
        check(proc.poll() is None, "the program still runs")
    finally:
        session.close()


def chapter(run, name):
    """Runs a chapter run(PROGRAM, SOURCE, OUTDIR) from the command line in
    a fresh OUTDIR; the exit status."""
    program, source, outdir = sys.argv[1:4]
    shutil.rmtree(outdir, ignore_errors=True)
    os.makedirs(outdir, exist_ok=True)
    try:
        run(program, source, outdir)
    except AssertionError as e:
        print("FAILED:", e)
        return 1
    print(name, "passed")
    return 0


def main():
    return chapter(run, "walkthrough")


if __name__ == "__main__":
    sys.exit(main())
