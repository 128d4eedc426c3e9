#!/usr/bin/python3
"""The Expressions chapter of the walkthrough: the real program under a
virtual X server, driven by mouse and keys sent through the X server.

Into a MusicXML score of quarter notes at 90 a minute:
  - on the Terms page (opened from the Windows menu): "Allegro" chosen on
    its button and clicked into the third measure, above the staff;
  - "p subito" chosen in the all-expressions popup (the arrow beside the
    palette's buttons) and clicked into the second measure.
Exported as a MIDI file, the score plays faster from the third measure on
(the conductor track's tempo changes there by the expression's 20 percent,
and only there) and softer from the second (its notes at level 54 instead
of 64). Saved as a score file it holds the two inscriptions, and opened
again it exports the same.

usage: walkthrough_terms.py PROGRAM MUSICXML OUTDIR   (run under xvfb-run)
"""
import os
import struct
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from walkthrough import Session, chapter, check, contents, wait  # noqa: E402
from walkthrough_files import private_program  # noqa: E402
from window_edit import Staff, windows  # noqa: E402
from window_smoke import window_rect  # noqa: E402

# The Windows menu lists the palettes in the tool notebook's order.
TERMS = 3
# The docked palette's client from the main window's top-left corner; its
# expression buttons (100 x 18) fill columns of three from 71 pixels in,
# and the popup's arrow lies left of them.
PALETTE = (10, 48)
DROP_ARROW = (PALETTE[0] + 62, PALETTE[1] + 31)
# The popup's scroll box from the popup window's top-left corner.
POPUP_CLIENT = (1, 17)
PSUBITO = "p subito"
TERMS_FILE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources", "Terms.ini")


def palette_button(i):
    """The middle of the palette's expression button i."""
    return PALETTE[0] + 71 + 102 * (i // 3) + 50, PALETTE[1] + (4, 23, 42)[i % 3] + 9


def popup_place(text):
    """Column and row of an expression in the popup: the shipped library
    sorted without regard to case, six a row, a new row for every new first
    character."""
    texts = []
    for line in open(TERMS_FILE, encoding="utf-8"):
        if line.startswith("Term") and not line.startswith("TermMax"):
            texts.append(line.split("=", 1)[1].rstrip("\n").rsplit(",", 3)[0])
    texts.sort(key=lambda t: t.upper())
    per_row = 6 if len(texts) >= 10 else 3
    row, col, previous = 0, 0, None
    for i, t in enumerate(texts):
        new = t[:1] and t[:1] != previous
        if i and (new or col >= per_row):
            row, col = row + 1, 0
        if new:
            previous = t[:1]
        if t == text:
            return col, row
        col += 1
    raise AssertionError("no " + text + " in the shipped library")


def midi_events(path):
    """The division of a MIDI file, its tempo meta events (absolute tick,
    microseconds per quarter) and its note-ons (absolute tick, velocity)
    over all tracks, in order."""
    data = open(path, "rb").read()
    check(data[:4] == b"MThd", "a MIDI file")
    division = struct.unpack(">H", data[12:14])[0]
    pos, tempos, notes = 14, [], []
    while pos < len(data):
        kind, length = data[pos:pos + 4], struct.unpack(">I", data[pos + 4:pos + 8])[0]
        body, pos = data[pos + 8:pos + 8 + length], pos + 8 + length
        if kind != b"MTrk":
            continue
        i, tick, status = 0, 0, 0
        while i < len(body):
            delta = 0
            while True:
                b = body[i]
                i += 1
                delta = (delta << 7) | (b & 0x7F)
                if b < 0x80:
                    break
            tick += delta
            if body[i] == 0xFF:
                if body[i + 1] == 0x51:
                    tempos.append((tick, int.from_bytes(body[i + 3:i + 6], "big")))
                i += 3 + body[i + 2]
                continue
            if body[i] in (0xF0, 0xF7):
                i += 2 + body[i + 1]
                continue
            if body[i] & 0x80:
                status = body[i]
                i += 1
            if status & 0xF0 == 0x90 and body[i + 1] > 0:
                notes.append((tick, body[i + 1]))
            i += 1 if (status & 0xF0) in (0xC0, 0xD0) else 2
    return division, sorted(tempos), sorted(notes)


def run(program, source, outdir):
    program = private_program(program, os.path.join(outdir, "program"))
    session = Session(program, source, outdir)
    d, keys, proc, song = session.d, session.keys, session.proc, session.song
    menu, dialog, shot, click = session.menu, session.dialog, session.shot, session.click
    try:
        def page(index):
            """The palette's page made current: its Windows menu item hides
            a shown page, a second time shows it and makes it current."""
            for _ in range(2):
                keys.press("w", "Alt_L")
                time.sleep(0.4)
                for _ in range(index + 1):
                    keys.press("Down")
                keys.press("Return")
                time.sleep(0.6)

        def measure_point(n, fraction=0.08):
            """A point just above the top line of the first staff, early in
            measure n."""
            staff = Staff(shot("staff"))
            x0, x1 = staff.measure(n)
            return x0 + (x1 - x0) * fraction, staff.lines[0][0] - 2

        def export(name):
            path = os.path.join(outdir, name)
            session.save_as(path, "the MIDI file " + name)
            division, tempos, notes = midi_events(path)
            print(name, "division", division, "tempos", tempos, "note-ons", notes)
            return division, tempos, notes

        # 1. Open the score, show the Terms page.
        menu("f", "o")
        dialog(song)
        time.sleep(1.5)
        page(TERMS)
        shot("terms-page")
        division, before, notes = export("before.mid")
        check(len(before) == 1, "one tempo before any expression: %s" % before)
        check(len(notes) == 16 and {v for _, v in notes} == {64}, "every note at the middle level")

        # 2. Allegro from its button into the third measure.
        click(*palette_button(0))
        click(*measure_point(2))
        shot("allegro-entered")

        # 3. The popup: every expression sorted; "p subito" from it into the
        # second measure.
        click(*DROP_ARROW)
        wait("the expressions popup", lambda: windows(d, "Expressions"))
        time.sleep(0.6)
        popup = windows(d, "Expressions")[0]
        px, py, _, _ = window_rect(d, popup)
        ox, oy, _, _ = window_rect(d, session.main)
        col, row = popup_place(PSUBITO)
        click(px - ox + POPUP_CLIENT[0] + 12 + 103 * col + 50, py - oy + POPUP_CLIENT[1] + 19 * row + 9)
        wait("the popup closed", lambda: not windows(d, "Expressions"))
        time.sleep(0.4)
        click(*measure_point(1))
        shot("psubito-entered")

        # 4. Exported, the music runs 20 percent faster from the third
        # measure (8 quarters in) on, and softer from the second.
        division, after, notes = export("after.mid")
        check(len(after) == 2, "the start tempo and one change: %s" % after)
        check(after[0] == before[0], "the start tempo stays")
        check(8 * division <= after[1][0] < 9 * division, "the change at the start of the third measure")
        ratio = after[1][1] / after[0][1]
        check(abs(ratio - 0.8) < 0.01, "Allegro plays 20 percent faster (%.3f of the beat's length)" % ratio)
        measure = 4 * division
        check([v for t, v in notes if t < measure] == [64] * 4, "the first measure as before")
        check([v for t, v in notes if t >= measure] == [54] * 12, "p subito: level 54 from the second measure on")

        # 5. Saved as a score file, closed and opened again: the same.
        saved = os.path.join(outdir, "terms.sfd")
        session.save_as(saved, "the score file")
        music = [line for line in contents(program, saved) if "Music:" in line]
        check(music and "2 texts" in music[0], "the score file holds the two inscriptions: %s" % music)
        menu("f", "c")
        time.sleep(1.0)
        menu("f", "o")
        dialog(saved)
        wait("the reopened file", lambda: windows(d, "terms - Quillstave 4"), 30)
        time.sleep(1.0)
        _, again, again_notes = export("again.mid")
        check(again == after and again_notes == notes, "the reopened score plays the same: %s" % again)
        check(proc.poll() is None, "the program still runs")
    finally:
        session.close()


if __name__ == "__main__":
    sys.exit(chapter(run, "walkthrough of the Terms page"))
