#!/usr/bin/python3
"""Drives the real program under a virtual X server through its dynamics
settings and its Navigator palette:

  1. Libraries > Dynamics: a click at the top of the forte track makes
     forte loud (the value is kept in the settings file at once); a forte
     entered at the start (the Symbols page in its Quick regime, key F)
     gives the notes that velocity, and the WAVE export renders them;
  2. Undo, forte made soft in the same dialog, the forte entered again: the
     WAVE export is much quieter than the first;
  3. the Navigator page of a score of 60 measures: a click on measure 40 of
     its timeline takes the cursor there: Composition > Add measures then
     puts the new measure after it, as the score saved as MusicXML shows.

usage: walkthrough_dynamics.py PROGRAM OUTDIR   (run under xvfb-run)
"""
import array
import configparser
import math
import os
import subprocess
import sys
import time
import wave
import xml.etree.ElementTree as ET

from Xlib import X, display
from Xlib.ext import xtest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from walkthrough import Keys, check, wait  # noqa: E402
from walkthrough_print import private_program  # noqa: E402
from window_edit import click_screen, windows  # noqa: E402
from window_smoke import crop, screenshot, window_rect  # noqa: E402

TITLE = "Quillstave 4"
MEASURES = 60
SYMBOLS_PAGE, NAVIGATOR_PAGE = 1, 10  # the tool pages' order
# The Libraries menu of the menu bar (it has no access key), from the main
# window's top-left corner.
LIBRARIES = (255, 37)
# The forte track of the dynamics dialog (from its top-left corner): its
# top end and a point low on it.
FORTE_TOP, FORTE_LOW = (239, 72), (239, 165)
QUICK = 2  # the Symbols page's regime that enters at the cursor


def score_xml(path):
    """A melody of 60 measures of one quarter note each, at 240 a minute."""
    measures = []
    for n in range(1, MEASURES + 1):
        head = ""
        if n == 1:
            head = ('<attributes><divisions>1</divisions><key><fifths>0</fifths></key>'
                    '<time><beats>1</beats><beat-type>4</beat-type></time>'
                    '<clef><sign>G</sign><line>2</line></clef></attributes>'
                    '<direction><direction-type><metronome><beat-unit>quarter</beat-unit>'
                    '<per-minute>240</per-minute></metronome></direction-type><sound tempo="240"/></direction>')
        step = "CDEFGAB"[n % 7]
        measures.append('<measure number="%d">%s<note><pitch><step>%s</step><octave>5</octave></pitch>'
                        '<duration>1</duration><voice>1</voice><type>quarter</type></note></measure>'
                        % (n, head, step))
    with open(path, "w", encoding="utf-8") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<score-partwise><part-list>'
                '<score-part id="P1"><part-name>Flute</part-name></score-part></part-list>'
                '<part id="P1">%s</part></score-partwise>\n' % "".join(measures))


def rms(path):
    with wave.open(path, "rb") as w:
        channels, frames = w.getnchannels(), w.getnframes()
        data = w.readframes(frames)
    samples = array.array("h")
    samples.frombytes(data[:len(data) - len(data) % 2])
    if channels == 2:
        samples = samples[0::2]
    return math.sqrt(sum(s * s for s in samples) / max(1, len(samples)))


def empty_measures(path):
    """The numbers of the measures without a note, in a MusicXML file."""
    found = []
    for part in ET.parse(path).getroot().iter("part"):
        for measure in part.iter("measure"):
            if not any(note.find("pitch") is not None for note in measure.iter("note")):
                found.append(int(measure.get("number")))
    return found


class Session:
    def __init__(self, d, program, score, env):
        self.d = d
        self.keys = Keys(d)
        self.proc = subprocess.Popen([program, score], env=env)
        title = os.path.splitext(os.path.basename(score))[0] + " - " + TITLE
        wait("the main window", lambda: self.proc.poll() is None and windows(d, title))
        self.main = windows(d, title)[0]
        time.sleep(1.5)
        self.point_at(self.main)

    def point_at(self, window):
        """Without a window manager the keys go to the window under the
        pointer."""
        x, y, w, h = window_rect(self.d, window)
        xtest.fake_input(self.d, X.MotionNotify, x=x + w // 2, y=y + min(h // 2, 12))
        self.d.sync()
        time.sleep(0.3)

    def click(self, window, x, y):
        ox, oy, _, _ = window_rect(self.d, window)
        xtest.fake_input(self.d, X.MotionNotify, x=int(ox + x + 3), y=int(oy + y + 3))
        self.d.sync()
        time.sleep(0.1)
        click_screen(self.d, ox + x, oy + y)
        time.sleep(0.6)

    def others(self):
        return {w.id for w in windows(self.d, "") if w.id != self.main.id}

    def new_window(self, before, what, title="", seconds=60):
        found = []

        def appeared():
            if self.proc.poll() is not None:
                raise AssertionError("the program ended while waiting for " + what)
            found[:] = [w for w in windows(self.d, title) if w.id not in before and w.id != self.main.id]
            return found
        wait(what, appeared, seconds)
        time.sleep(0.8)
        self.point_at(found[0])
        return found[0]

    def gone(self, window, what):
        wait(what, lambda: window.id not in {w.id for w in windows(self.d, "")})
        time.sleep(0.3)

    def dynamics(self, point):
        """Libraries > Dynamics, a click on the forte track, OK."""
        before = self.others()
        for attempt in range(3):
            # A busy program may not have opened the menu for the first
            # click yet.
            self.point_at(self.main)
            self.click(self.main, *LIBRARIES)
            time.sleep(0.5)
            self.keys.press("d")
            try:
                dialog = self.new_window(before, "the dynamics dialog", "Dynamics", 15)
                break
            except AssertionError:
                self.keys.press("Escape")
                if attempt == 2:
                    raise
        self.click(dialog, *point)
        self.keys.press("Return")
        self.gone(dialog, "the dynamics dialog to close")
        self.point_at(self.main)

    def export(self, letter, path, what, seconds=240):
        """File > Export > the entry: the file named, the options confirmed."""
        # A file of an earlier run would pass for the new one.
        if os.path.exists(path):
            os.remove(path)
        before = self.others()
        self.point_at(self.main)
        self.keys.press("f", "Alt_L")
        time.sleep(0.3)
        self.keys.press("e")
        time.sleep(0.2)
        self.keys.press(letter)
        chooser = self.new_window(before, "the file dialog")
        self.keys.type(path)
        self.keys.press("Return")
        options = self.new_window(before | {chooser.id}, what)
        self.keys.press("Return")
        wait("the file of " + what, lambda: os.path.exists(path) and os.path.getsize(path) > 0, seconds)
        self.gone(options, what + " to close")
        self.point_at(self.main)

    def save_as(self, path):
        if os.path.exists(path):
            os.remove(path)
        before = self.others()
        self.point_at(self.main)
        self.keys.press("f", "Alt_L")
        time.sleep(0.3)
        self.keys.press("a")
        self.new_window(before, "the file dialog")
        self.keys.type(path)
        self.keys.press("Return")
        wait("the saved file", lambda: os.path.exists(path) and os.path.getsize(path) > 0)
        time.sleep(0.5)
        self.point_at(self.main)

    def quit(self):
        self.proc.kill()
        self.proc.wait()


def settings_file(folder, page):
    with open(os.path.join(folder, "ProgramSetting.ini"), "w", encoding="utf-8") as f:
        # Entered notes and marks stay silent: no message about a missing
        # sound card comes between the steps.
        f.write("[Tools]\nLanguage=ENU\nStartModule=0\n[FProgramModule]\nActiveTool=%d\n"
                "[Symbols]\nSymbolsRegime=%d\n[Effects]\nPlayMouse=0\nPlayDrag=0\n" % (page, QUICK))


def timeline(shot, top):
    """The used part of the navigator's timeline below row top: the first
    run of 4 rows of black pixels, at least 200 wide; (left, right, row)."""
    w, h, p = shot

    def black(x, y):
        i = (y * w + x) * 3
        return p[i] < 60 and p[i + 1] < 60 and p[i + 2] < 60
    for y in range(top, h - 4):
        x = 0
        while x < w:
            if black(x, y) and all(black(x, y + k) for k in range(1, 4)):
                start = x
                # Inside the unused part only the outline is black.
                while x < w and all(black(x, y + k) for k in range(4)):
                    x += 1
                if x - start >= 200:
                    return start, x, y + 2
            x += 1
    return None


def run(program, outdir):
    d = display.Display()
    folder = os.path.join(outdir, "program")
    program = private_program(program, folder)
    # The settings file is the one beside the program.
    folder = os.path.dirname(program)
    env = dict(os.environ)
    env.pop("QT_QPA_PLATFORM", None)
    env["XDG_CONFIG_HOME"] = env["XDG_DATA_HOME"] = os.path.join(outdir, "home")
    score = os.path.join(outdir, "melody.xml")
    score_xml(score)
    ini = os.path.join(folder, "ProgramSetting.ini")

    # 1. and 2. Forte loud, then soft; each rendered.
    settings_file(folder, SYMBOLS_PAGE)
    s = Session(d, program, score, env)
    try:
        s.dynamics(FORTE_TOP)
        values = configparser.ConfigParser()
        values.read(ini, encoding="utf-8")
        loud = values.getint("Dinamics", "Forte", fallback=74)
        check(loud >= 110, "the forte track's top makes forte loud, kept at once: %d" % loud)
        s.keys.press("f")
        time.sleep(1.0)
        first = os.path.join(outdir, "loud.wav")
        s.export("w", first, "the WAVE export")
        s.keys.press("z", "Control_L")
        time.sleep(0.5)
        s.dynamics(FORTE_LOW)
        values = configparser.ConfigParser()
        values.read(ini, encoding="utf-8")
        soft = values.getint("Dinamics", "Forte", fallback=74)
        check(soft <= 50, "low on the forte track forte is soft: %d" % soft)
        s.keys.press("q")
        s.keys.press("f")
        time.sleep(1.0)
        second = os.path.join(outdir, "soft.wav")
        s.export("w", second, "the WAVE export")
        a, b = rms(first), rms(second)
        check(b > 0 and a > 2 * b, "the loud forte renders louder than the soft one: %.0f against %.0f" % (a, b))
    finally:
        s.quit()

    # 3. The Navigator page: measure 40 of the timeline.
    settings_file(folder, NAVIGATOR_PAGE)
    s = Session(d, program, score, env)
    try:
        found = []

        def drawn():
            fw, _, full = screenshot(os.path.join(outdir, "navigator.ppm"))
            found[:] = [timeline(crop(fw, full, window_rect(d, s.main)), 40)]
            return found[0] is not None
        wait("the navigator's timeline", drawn)
        left, right, row = found[0]
        scale = (right - left) / MEASURES
        s.click(s.main, int(left + 39.5 * scale), row)
        # Composition > Add measures puts one empty measure after the
        # cursor's.
        before = s.others()
        s.point_at(s.main)
        s.keys.press("o", "Alt_L")
        time.sleep(0.3)
        s.keys.press("m")
        count = s.new_window(before, "the measure count dialog")
        s.keys.press("Return")
        s.gone(count, "the measure count dialog to close")
        saved = os.path.join(outdir, "navigated.xml")
        s.save_as(saved)
        check(empty_measures(saved) == [41],
              "the measure added after the cursor's is measure 41: %s" % empty_measures(saved))
    finally:
        s.quit()
    return 0


def main():
    program, outdir = sys.argv[1:3]
    os.makedirs(outdir, exist_ok=True)
    return run(program, outdir)


if __name__ == "__main__":
    sys.exit(main())
