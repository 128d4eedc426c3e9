#!/usr/bin/python3
"""The new-score chapter of the walkthrough: the real program under a
virtual X server, driven by mouse and keys sent through the X server.

  1. File > New opens the wizard; the string quartet is chosen from the
     templates, the time signature set to 3/4, the key to D major and the
     length to 16 measures on the Score page, the Layout and Page pages
     looked at; OK makes the document. A note entered at the cursor and
     the score exported as MusicXML: four parts with their instruments,
     clefs (G, G, C, F), two sharps, 3/4 and the note; saved as a native
     score it has sixteen measures.
  2. File > New again: the quartet with 5 beats saved as the template
     "My quartet"; the wizard cancelled.
  3. File > New once more: "My quartet" chosen from the list gives a score
     of the quartet's four parts in 5/4.

usage: walkthrough_wizard.py PROGRAM MUSICXML OUTDIR   (run under xvfb-run)
"""
import os
import sys
import time
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from walkthrough import chapter, check, contents, wait  # noqa: E402
from walkthrough_desktop import Desktop  # noqa: E402
from window_edit import windows  # noqa: E402
from window_smoke import window_rect  # noqa: E402

WIZARD = "New score"
CLIENT = (780, 540)  # the wizard's client size
# The pages' controls stand this far into the client.
SHEET = (2, 58)
TEMPLATES = (228, 18)
TABS = {"Score": (20, 46), "Layout": (66, 46), "Page": (109, 46)}
NOTES = (145, 158)  # on the Score page
TONE = (180, 186)
MEASURES = (145, 214)
OK = (653, 518)
SAVE = (516, 518)
# The templates in their order in the box, after "(none)".
SHIPPED = ["Guitar with tablature", "Lead sheet", "Rock band", "SATB choir", "Solo piano", "String quartet",
           "Voice and piano"]


class Wizard:
    def __init__(self, app):
        self.app, self.d = app, app.d
        app.hover(400, 300)
        app.keys.press("f", "Alt_L")
        time.sleep(0.4)
        app.keys.press("n")
        wait("the wizard", lambda: windows(self.d, WIZARD), 20)
        time.sleep(1.0)
        self.window = windows(self.d, WIZARD)[0]
        x, y, w, h = window_rect(self.d, self.window)
        # The frame is as wide on the left as on the right and the bottom.
        side = (w - CLIENT[0]) // 2
        self.origin = (x + side, y + h - side - CLIENT[1])

    def click(self, point, sheet=False):
        px, py = point
        if sheet:
            px, py = px + SHEET[0], py + SHEET[1]
        self.app.click_at(self.origin[0] + px, self.origin[1] + py)

    def choose(self, point, steps, sheet=False):
        """A drop-down box opened by a click, steps down from the first
        entry and taken with Enter."""
        known = {w.id for w in windows(self.d, "")}
        self.click(point, sheet)
        # A busy machine may show the list late; keys sent before it is up
        # would go to the dialog (Return to its default button).
        opened = lambda: [w for w in windows(self.d, "") if w.id not in known]
        deadline = time.time() + 5
        while time.time() < deadline and not opened():
            time.sleep(0.1)
        time.sleep(0.3)
        for _ in range(12):
            self.app.keys.press("Up")
        for _ in range(steps):
            self.app.keys.press("Down")
        self.app.keys.press("Return")
        time.sleep(0.5)

    def type_into(self, point, text):
        self.click(point, sheet=True)
        self.app.keys.press("a", "Control_L")
        self.app.keys.type(text)
        time.sleep(0.4)

    def template(self, names, name):
        self.choose(TEMPLATES, 1 + sorted(names, key=str.upper).index(name))

    def ok(self):
        self.click(OK)
        wait("the wizard to close", lambda: not windows(self.d, WIZARD), 20)
        time.sleep(1.0)


def export(app, path):
    app.hover(400, 300)
    app.keys.press("f", "Alt_L")
    time.sleep(0.3)
    app.keys.press("a")
    wait("the save dialog", lambda: any(w.id != app.main.id for w in windows(app.d, "")))
    time.sleep(0.8)
    app.keys.type(path)
    app.keys.press("Return")
    wait("the saved file", lambda: os.path.exists(path), 30)
    time.sleep(0.5)


def parts(path):
    """Per part of a MusicXML file: name, the clef signs, fifths, beats,
    beat type, measures and notes."""
    root = ET.parse(path).getroot()
    names = {p.get("id"): p.findtext("part-name") for p in root.iter("score-part")}
    out = []
    for part in root.iter("part"):
        measures = part.findall("measure")
        attrs = measures[0].find("attributes")
        out.append({
            "name": names.get(part.get("id")),
            "clefs": [c.findtext("sign") for c in attrs.iter("clef")],
            "fifths": attrs.findtext("key/fifths"),
            "time": (attrs.findtext("time/beats"), attrs.findtext("time/beat-type")),
            "measures": len(measures),
            "notes": sum(1 for n in part.iter("note") if n.find("pitch") is not None),
        })
    return out


def message_once(app, known):
    """Without a sound card the first note says once that there is none."""
    deadline = time.time() + 3
    while time.time() < deadline and not any(w.id not in known for w in windows(app.d, "")):
        time.sleep(0.2)
    if any(w.id not in known for w in windows(app.d, "")):
        app.keys.press("Return")
        wait("the message to go", lambda: not any(w.id not in known for w in windows(app.d, "")), 10)


def run(program, source, outdir):
    from Xlib import display
    app = Desktop(display.Display(), program, outdir)
    app.start()
    try:
        # 1. The quartet through the wizard's pages.
        wizard = Wizard(app)
        wizard.template(SHIPPED, "String quartet")
        wizard.type_into(NOTES, "3")
        wizard.choose(TONE, 2, sheet=True)  # C, G, D major
        wizard.type_into(MEASURES, "16")
        wizard.click(TABS["Layout"])
        wizard.click(TABS["Page"])
        wizard.click(TABS["Score"])
        wizard.ok()
        known = {w.id for w in windows(app.d, "")}
        app.keys.press("Return")
        app.keys.press("4")
        message_once(app, known)
        quartet = os.path.join(outdir, "quartet.xml")
        export(app, quartet)
        got = parts(quartet)
        check([p["name"] for p in got] == ["Violin I", "Violin II", "Viola", "Violoncello"],
              "four parts with their instruments: %s" % [p["name"] for p in got])
        check([p["clefs"] for p in got] == [["G"], ["G"], ["C"], ["F"]], "their clefs: %s" % [p["clefs"] for p in got])
        check(all(p["fifths"] == "2" for p in got), "D major in every part")
        check(all(p["time"] == ("3", "4") for p in got), "3/4 in every part")
        check(got[0]["notes"] == 1, "the note entered is there")
        # The native file keeps the empty measures too (MusicXML ends at the
        # last one with music).
        native = os.path.join(outdir, "quartet.sfd")
        export(app, native)
        piece = next(line for line in contents(app.program, native) if "Piece 1:" in line)
        check("16 measures, 4 parts" in piece, "sixteen measures of four parts in the native file: " + piece.strip())

        # 2. A template saved from the wizard.
        wizard = Wizard(app)
        wizard.template(SHIPPED, "String quartet")
        wizard.type_into(NOTES, "5")
        known = {w.id for w in windows(app.d, "")}
        wizard.click(SAVE)
        wait("the name prompt", lambda: any(w.id not in known for w in windows(app.d, "")), 20)
        time.sleep(0.8)
        # The prompt starts with the chosen template's name.
        app.keys.press("a", "Control_L")
        app.keys.type("My quartet")
        app.keys.press("Return")
        saved = os.path.join(os.path.dirname(app.program), "Templates", "My quartet.ctf")
        wait("the template file", lambda: os.path.exists(saved), 20)
        check(True, "the template was saved as %s" % saved)
        time.sleep(0.5)
        app.keys.press("Escape")
        wait("the wizard to close", lambda: not windows(app.d, WIZARD), 20)

        # 3. A new score from it.
        wizard = Wizard(app)
        wizard.template(SHIPPED + ["My quartet"], "My quartet")
        wizard.ok()
        mine = os.path.join(outdir, "mine.xml")
        export(app, mine)
        got = parts(mine)
        check(len(got) == 4 and all(p["time"] == ("5", "4") for p in got),
              "the new score from the template holds four parts in 5/4: %s" % [(p["name"], p["time"]) for p in got])
    finally:
        app.kill()


if __name__ == "__main__":
    sys.exit(chapter(run, "the new-score chapter"))
