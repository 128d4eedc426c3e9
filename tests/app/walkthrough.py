#!/usr/bin/python3
"""Drives the real program under a virtual X server with keys sent through
the X server (XTest), through its menus:

  1. File > Open reads a MusicXML file into a tab of its own;
  2. File > Save As writes it as a native score, which holds what the
     MusicXML file holds (--print-contents);
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
from window_edit import windows  # noqa: E402

TITLE = "Quillstave 4"
QUESTION = "Save changes"


class Keys:
    def __init__(self, d):
        self.d = d

    def press(self, name, *mods):
        codes = [self.d.keysym_to_keycode(XK.string_to_keysym(m)) for m in mods]
        for c in codes:
            xtest.fake_input(self.d, X.KeyPress, c)
        k = self.d.keysym_to_keycode(XK.string_to_keysym(name))
        xtest.fake_input(self.d, X.KeyPress, k)
        xtest.fake_input(self.d, X.KeyRelease, k)
        for c in reversed(codes):
            xtest.fake_input(self.d, X.KeyRelease, c)
        self.d.sync()
        time.sleep(0.15)

    def type(self, text):
        names = {"/": "slash", ".": "period", "_": "underscore", "-": "minus", " ": "space"}
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
    the file and its format version."""
    out = subprocess.run([program, "--print-contents", path], capture_output=True, text=True, check=True).stdout
    return [line for line in out.splitlines()[1:] if "file version" not in line]


def check(ok, what):
    if not ok:
        raise AssertionError(what)
    print("ok:", what)


def run(program, source, outdir):
    d = display.Display()
    keys = Keys(d)
    env = dict(os.environ)
    env.pop("QT_QPA_PLATFORM", None)
    home = os.path.join(outdir, "home")
    os.makedirs(home, exist_ok=True)
    env["XDG_CONFIG_HOME"] = home
    env["XDG_DATA_HOME"] = home
    song = os.path.join(outdir, "song.xml")
    shutil.copyfile(source, song)
    proc = subprocess.Popen([program], env=env)
    try:
        wait("the main window", lambda: proc.poll() is None and windows(d, TITLE))
        main = windows(d, TITLE)[0]
        time.sleep(1.0)

        def dialog(path):
            """A file dialog opened by the last keys: the name is typed into
            its name field and confirmed."""
            wait("the file dialog", lambda: any(w.id != main.id for w in windows(d, "")))
            time.sleep(0.8)
            keys.type(path)
            keys.press("Return")

        def menu(entry, letter):
            keys.press(entry, "Alt_L")
            time.sleep(0.3)
            keys.press(letter)

        # 1. File > Open the MusicXML file.
        menu("f", "o")
        dialog(song)
        time.sleep(1.5)
        # 2. File > Save As a native file.
        saved = os.path.join(outdir, "saved.sfd")
        menu("f", "a")
        dialog(saved)
        wait("the native file", lambda: os.path.exists(saved))
        time.sleep(0.5)
        check(contents(program, saved) == contents(program, song), "the native file holds what the MusicXML file holds")
        # 3. File > Close, File > Open the native file, saved again.
        menu("f", "c")
        time.sleep(1.0)
        menu("f", "o")
        dialog(saved)
        time.sleep(1.5)
        again = os.path.join(outdir, "again.sfd")
        menu("f", "a")
        dialog(again)
        wait("the second native file", lambda: os.path.exists(again))
        time.sleep(0.5)
        check(contents(program, again) == contents(program, saved), "the native file reads back with the same content")
        # 4. An edit, then File > Close asks; Cancel keeps the document.
        menu("o", "a")
        time.sleep(1.0)
        menu("f", "c")
        wait("the question before closing", lambda: windows(d, QUESTION))
        keys.press("Escape")
        wait("the question to go", lambda: not windows(d, QUESTION))
        edited = os.path.join(outdir, "edited.sfd")
        menu("f", "a")
        dialog(edited)
        wait("the edited file", lambda: os.path.exists(edited))
        time.sleep(0.5)
        check(contents(program, edited) != contents(program, again), "Cancel kept the edited document open")
        check(proc.poll() is None, "the program still runs")
    finally:
        proc.kill()
        proc.wait()


def main():
    program, source, outdir = sys.argv[1:4]
    shutil.rmtree(outdir, ignore_errors=True)
    os.makedirs(outdir, exist_ok=True)
    try:
        run(program, source, outdir)
    except AssertionError as e:
        print("FAILED:", e)
        return 1
    print("walkthrough passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
