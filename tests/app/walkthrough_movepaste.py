#!/usr/bin/python3
"""Moves notes in time and pastes a measure in the program's window under
a virtual X server, with mouse and keys sent through it (XTest), and
checks screenshots.

Moving (pairs.xml, a piano part of eighths beamed in pairs):
  1. a rubber band over the second eighth of the second measure, down
     through both staves, selects that eighth in each staff (drawn red);
  2. Ctrl+Right, three times: after each press the red stays on the two
     moved eighths, one above the other, and on nothing else (an element
     of a moved note left in the selection would show another note's stem
     after the layout, and the next press would move that note too);
  3. the first eighth of each staff keeps its place at the measure's
     start.

Pasting (keychange.xml, a flute part whose key changes in its fourth
measure; the second system starts with the fifth, the clef and the key
drawn again before it):
  4. a rubber band over the start of the second system, from before its
     clef to the fifth measure's barline, and Ctrl+Insert copy that
     measure;
  5. a click on the second measure's first note and Shift+Insert paste it
     there:
     the second measure shows the fifth's two half notes, and no clef or
     key signature comes before them (the clef and key drawn again at the
     system start stand for items of earlier measures, which the band does
     not take: taken, they pasted a key into the measure and the notes at
     another measure than the cursor's).

usage: walkthrough_movepaste.py PROGRAM DATADIR OUTDIR   (run under xvfb-run)
"""
import os
import sys

from Xlib import display

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from window_edit import Program, Shot, Staff, check, red  # noqa: E402


def lower_staff(shot, upper):
    """The staff below upper: found as upper is, in the part of the
    screenshot under it."""
    y0 = int(upper.bottom + 2 * upper.gap)
    below = Shot(shot.w, shot.h - y0, shot.p[shot.at(0, y0):])
    staff = Staff(below)
    staff.lines = [[y + y0 for y in g] for g in staff.lines]
    staff.line_rows = {y + y0 for y in staff.line_rows}
    staff.top, staff.bottom = staff.top + y0, staff.bottom + y0
    return staff


def red_columns(shot, upper, lower):
    """The columns of the system's page area holding red (selected) ink,
    grouped where they touch: [(x0, x1)]."""
    y0, y1 = int(upper.top - 5 * upper.gap), int(lower.bottom + 5 * lower.gap)
    x0, x1 = upper.bars[0][1] + 1, upper.bars[-1][0]
    cols = [x for x in range(x0, x1) if any(red(shot.p, shot.at(x, y)) for y in range(y0, y1))]
    groups = []
    for x in cols:
        if groups and x - groups[-1][1] <= 3:
            groups[-1][1] = x
        else:
            groups.append([x, x])
    return [tuple(g) for g in groups]


def red_in(shot, staff, x0, x1):
    """Whether the staff's rows (with room for stems) hold red between x0
    and x1."""
    y0, y1 = int(staff.top - 4 * staff.gap), int(staff.bottom + 4 * staff.gap)
    return any(red(shot.p, shot.at(x, y)) for x in range(x0, x1 + 1) for y in range(y0, y1))


def first_ink(shot, staff, n):
    """How far the first inked column of measure n of the staff stands
    from the measure's barline (the system is justified anew after each
    move, so the barline moves too)."""
    blobs = staff.blobs(shot, n)
    if not blobs:
        raise AssertionError("measure %d shows nothing" % (n + 1))
    return blobs[0][0] - staff.measure(n)[0]


def two_staves(first):
    """The first screenshot once the window shows two staves (the two of a
    piano part, or the first staves of two systems), and those staves."""
    first.start()
    s0 = first.shot("start", lambda s: lower_staff(s, Staff(s)))
    upper = Staff(s0)
    return s0, upper, lower_staff(s0, upper)


def moving(d, program, score, outdir):
    first = Program(d, program, score, outdir, "move")
    try:
        s0, upper, lower = two_staves(first)
        check(abs(upper.gap - lower.gap) <= 1, "the piano part shows two staves (gaps %.1f and %.1f)"
              % (upper.gap, lower.gap))
        # The second measure's first beamed pair: the second eighth stands
        # at its right end.
        pair = upper.blobs(s0, 1)[0]
        x_right = pair[1]
        x_left = int(x_right - 1.6 * upper.gap)
        starts = [first_ink(s0, staff, 1) for staff in (upper, lower)]
        top, bottom = int(upper.top - 4 * upper.gap), int(lower.bottom + 4 * lower.gap)
        first.drag(x_left, top, [(x_left + 2, (top + bottom) // 2), (x_right + 2, bottom)])

        def selected_pair(s):
            groups = red_columns(s, upper, lower)
            return len(groups) == 1 and red_in(s, upper, *groups[0]) and red_in(s, lower, *groups[0])

        s1 = first.shot("selected", selected_pair)
        groups = red_columns(s1, upper, lower)
        check(selected_pair(s1), "the band selects the second eighth of both staves, one above the other (red at %s)"
              % groups)
        shown = s1
        for press in (1, 2, 3):
            first.key("Right", "Control_L")
            # The window changes (the pair moved on) and the red stays on
            # the two moved eighths alone.
            moved = lambda s, before=shown: s.p != before.p and selected_pair(s)
            s = first.shot("moved%d" % press, lambda s, before=shown: s.p != before.p)
            check(moved(s), "Ctrl+Right %d moves the two eighths, and only they are red (red at %s, before %s)"
                  % (press, red_columns(s, upper, lower), groups))
            shown, groups = s, red_columns(s, upper, lower)
            upper, lower = Staff(s), lower_staff(s, Staff(s))
            places = [first_ink(s, staff, 1) for staff in (upper, lower)]
            check(all(abs(a - b) <= 1 for a, b in zip(places, starts)),
                  "...and the first eighth of each staff stays at the measure's start (%s, before %s)" % (places, starts))
    finally:
        first.close()
    return 0


def pasting(d, program, score, outdir):
    first = Program(d, program, score, outdir, "paste")
    try:
        s0, one, two = two_staves(first)
        heads = one.blobs(s0, 1)
        check(len(heads) == 4, "the second measure shows four quarter notes (%d)" % len(heads))
        offset = heads[0][0] - one.measure(1)[0]
        x0, y0 = two.bars[0][1] + 2, int(two.top - 2.5 * two.gap)
        x1, y1 = two.bars[1][0] - 2, int(two.bottom + 3 * two.gap)
        first.drag(x0, y0, [((x0 + x1) // 2, (y0 + y1) // 2), (x1, y1)])
        first.shot("band", lambda s: any(red(s.p, s.at(x, y)) for x in range(x0, x1)
                                         for y in range(two.top, two.bottom + 1)))
        # The view's own clipboard keys (Ctrl+C and Ctrl+V are the main
        # window's commands, which follow the selection only when the
        # document's state changes).
        first.key("Insert", "Control_L")
        x, y = (heads[0][0] + heads[0][1]) // 2, int(heads[0][2])
        first.click(x, y)
        first.key("Insert", "Shift_L")

        def pasted(s):
            staff = Staff(s)
            return len(staff.blobs(s, 1)) == 2

        s1 = first.shot("pasted", pasted)
        one = Staff(s1)
        heads = one.blobs(s1, 1)
        check(len(heads) == 2, "Shift+Insert brings the fifth measure's two half notes into the second (%d shown)"
              % len(heads))
        now = heads[0][0] - one.measure(1)[0]
        check(abs(now - offset) <= 1,
              "...with no clef or key signature before them (first note %d px from the barline, before %d)"
              % (now, offset))
    finally:
        first.close()
    return 0


def run(program, data, outdir):
    d = display.Display()
    moving(d, program, os.path.join(data, "pairs.xml"), outdir)
    return pasting(d, program, os.path.join(data, "keychange.xml"), outdir)


def main():
    program, data, outdir = sys.argv[1:4]
    os.makedirs(outdir, exist_ok=True)
    try:
        return run(program, data, outdir)
    except AssertionError as e:
        print("FAILED:", e)
        return 1


if __name__ == "__main__":
    sys.exit(main())
