#!/usr/bin/python3
"""The program's files over time, driven under a virtual X server with keys
sent through the X server:

  1. with auto-save switched on and its interval shortened to a few
     seconds in the settings file, a score saved as a native file and then
     changed (Composition > Add part) is saved by itself, and the file it
     had before is kept as the numbered copy "song.v1.sfd";
  2. the program ends (File > Exit) without a question, and the settings
     list the file for File > Reopen with the date in the fixed form;
  3. started again, File > Reopen opens the file.

The program runs from a folder of its own (its files linked there), so that
its settings file is this test's alone.

usage: walkthrough_files.py PROGRAM MUSICXML OUTDIR   (run under xvfb-run)
"""
import configparser
import datetime
import os
import shutil
import subprocess
import sys
import time

from Xlib import display

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from walkthrough import Keys, chapter, check, contents, wait  # noqa: E402
from window_edit import windows  # noqa: E402

TITLE = "Quillstave 4"
QUESTION_TITLES = ("Save changes", "Error")


def private_program(program, folder):
    """The program in a folder of its own: the executable hard-linked (or
    copied), its language files and resources linked."""
    os.makedirs(folder, exist_ok=True)
    source = os.path.dirname(os.path.abspath(program))
    target = os.path.join(folder, os.path.basename(program))
    try:
        os.link(program, target)
    except OSError:
        shutil.copy2(program, target)
    for name in os.listdir(source):
        if name.endswith(".lrf") or name == "resources":
            os.symlink(os.path.join(source, name), os.path.join(folder, name))
    return target


def settings(folder):
    ini = configparser.ConfigParser(strict=False, interpolation=None)
    ini.optionxform = str
    ini.read(os.path.join(folder, "ProgramSetting.ini"), encoding="utf-8")
    return ini


def run(program, source, outdir):
    d = display.Display()
    keys = Keys(d)
    folder = os.path.join(outdir, "program")
    program = private_program(program, folder)
    with open(os.path.join(folder, "ProgramSetting.ini"), "w", encoding="utf-8") as f:
        f.write("[Tools]\nLanguage=ENU\nStartModule=0\n"
                "[Editor]\nAutoSave=1\nAutoSaveInterval=3\nSaveBackUp=1\nLimitBackUp=1\nCountBackUp=2\n")
    env = dict(os.environ)
    env.pop("QT_QPA_PLATFORM", None)
    song_xml = os.path.join(outdir, "song.xml")
    shutil.copyfile(source, song_xml)
    song = os.path.join(outdir, "song.sfd")
    backup = os.path.join(outdir, "song.v1.sfd")

    def menu(entry, letter):
        keys.press(entry, "Alt_L")
        time.sleep(0.4)
        keys.press(letter)

    def start(*arguments):
        proc = subprocess.Popen([program, *arguments], env=env)
        wait("the main window", lambda: proc.poll() is None and windows(d, TITLE))
        time.sleep(1.0)
        return proc

    proc = start(song_xml)
    try:
        main = windows(d, TITLE)[0]
        # 1. File > Save As the native file, then a change saved by itself.
        menu("f", "a")
        wait("the file dialog", lambda: any(w.id != main.id for w in windows(d, "")))
        time.sleep(0.8)
        keys.type(song)
        keys.press("Return")
        wait("the native file", lambda: os.path.exists(song))
        time.sleep(1.0)
        before = contents(program, song)
        check(not os.path.exists(backup), "the first save of a new file makes no copy")
        menu("o", "a")
        wait("the automatic save", lambda: os.path.exists(backup) and contents(program, song) != before, 90)
        check(contents(program, backup) == before, "the file as it was before is kept as song.v1.sfd")
        parts = [line for line in contents(program, song) if "part" in line.lower()]
        check(contents(program, song) != before, "the change was saved by itself: %s" % parts[:2])
        # 2. File > Exit asks nothing: everything is saved.
        keys.press("e", "Control_L")
        wait("the program to end", lambda: proc.poll() is not None, 30)
        check(not any(windows(d, t) for t in QUESTION_TITLES), "no question at the end")
        reopen = settings(folder)["Reopen"]
        today = datetime.date.today().isoformat()
        check(reopen.get("ReopenCount") == "1" and reopen.get("Reopen0") == today + "," + song,
              "the settings list the file with the date %s: %s" % (today, dict(reopen)))
        # 3. Started again, File > Reopen opens it.
        proc = start()
        menu("f", "r")
        time.sleep(0.5)
        keys.press("Down")
        keys.press("Return")
        wait("the reopened file", lambda: windows(d, "song - " + TITLE), 30)
        check(True, "File > Reopen opened song.sfd after the restart")
        check(proc.poll() is None, "the program still runs")
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()


def main():
    return chapter(run, "walkthrough of the files")


if __name__ == "__main__":
    sys.exit(main())
