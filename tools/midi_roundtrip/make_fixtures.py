#!/usr/bin/python3
"""Writes the MusicXML pieces that midi_roundtrip measures (run it from this
folder; the .xml files are kept in the repository).

A piece is parts of measures; a measure is an optional meter and its voices;
a voice is a string of notes "C5:12" (step, optional # or b, MusicXML octave,
':' duration in divisions of 12 to a quarter), chords "C4+E4:24", rests
"r:6", a tie on to the next note "C5:12~" and triplet notes "t" before the
duration ("E5:t4"). A piece made with ties_as="tied" writes its ties only as
<tied> in the notations, as some programs do."""

DIV = 12
TYPES = {48: ('whole', 0), 36: ('half', 1), 24: ('half', 0), 18: ('quarter', 1), 12: ('quarter', 0),
         9: ('eighth', 1), 6: ('eighth', 0), 3: ('16th', 0), 72: ('whole', 1)}
TRIPLET = {4: 'eighth', 8: 'quarter', 16: 'half', 2: '16th'}


def pitch_xml(name):
    step, rest = name[0], name[1:]
    alter = 0
    while rest and rest[0] in '#b':
        alter += 1 if rest[0] == '#' else -1
        rest = rest[1:]
    a = '<alter>%d</alter>' % alter if alter else ''
    return '<pitch><step>%s</step>%s<octave>%s</octave></pitch>' % (step, a, rest)


def note_xml(token, voice, staff, tied_from, ties_as):
    tie = token.endswith('~')
    token = token.rstrip('~')
    what, dur = token.split(':')
    triplet = dur.startswith('t')
    dur = int(dur.lstrip('t'))
    if triplet:
        kind, dots = TRIPLET[dur], 0
    else:
        kind, dots = TYPES[dur]
    out = []
    for i, p in enumerate(what.split('+')):
        body = '<rest/>' if p == 'r' else pitch_xml(p)
        chord = '<chord/>' if i else ''
        ties = ''
        notations = ''
        if p != 'r':
            key = p
            if key in tied_from:
                ties += '<tie type="stop"/>'
                notations += '<tied type="stop"/>'
            if tie:
                ties += '<tie type="start"/>'
                notations += '<tied type="start"/>'
            if ties_as == 'tied':
                ties = ''
        mod = '<time-modification><actual-notes>3</actual-notes><normal-notes>2</normal-notes></time-modification>' if triplet else ''
        nt = '<notations>%s</notations>' % notations if notations else ''
        out.append('<note>%s%s<duration>%d</duration>%s<voice>%d</voice><type>%s</type>%s%s<staff>%d</staff>%s</note>' % (
            chord, body, dur, ties, voice, kind, '<dot/>' * dots, mod, staff, nt))
    keys = set(p for p in what.split('+') if p != 'r') if tie else set()
    return ''.join(out), dur, keys


def piece(title, parts, key=0, tempo=None, ties_as='both'):
    xml = ['<?xml version="1.0" encoding="UTF-8"?>', '<score-partwise version="4.0">',
           '<work><work-title>%s</work-title></work>' % title, '<part-list>']
    for i, (name, program, _, _) in enumerate(parts):
        xml.append('<score-part id="P%d"><part-name>%s</part-name><midi-instrument id="P%d-I1"><midi-channel>%d</midi-channel>'
                   '<midi-program>%d</midi-program></midi-instrument></score-part>' % (i + 1, name, i + 1, i + 1, program))
    xml.append('</part-list>')
    for i, (name, program, staves, measures) in enumerate(parts):
        xml.append('<part id="P%d">' % (i + 1))
        tied = {}
        for m, (meter, voices) in enumerate(measures):
            xml.append('<measure number="%d">' % (m + 1))
            attrs = ''
            if m == 0:
                attrs += '<divisions>%d</divisions><key><fifths>%d</fifths></key>' % (DIV, key)
            if meter:
                attrs += '<time><beats>%d</beats><beat-type>%d</beat-type></time>' % meter
            if m == 0:
                attrs += '<staves>%d</staves>' % staves if staves > 1 else ''
                attrs += '<clef number="1"><sign>G</sign><line>2</line></clef>'
                if staves > 1:
                    attrs += '<clef number="2"><sign>F</sign><line>4</line></clef>'
            if attrs:
                xml.append('<attributes>%s</attributes>' % attrs)
            if m == 0 and tempo:
                xml.append('<direction placement="above"><direction-type><metronome><beat-unit>quarter</beat-unit>'
                           '<per-minute>%d</per-minute></metronome></direction-type><sound tempo="%d"/></direction>' % (tempo, tempo))
            for v, (staff, text) in enumerate(voices):
                if v:
                    xml.append('<backup><duration>%d</duration></backup>' % length)
                length = 0
                for token in text.split():
                    n, d, keys = note_xml(token, v + 1, staff, tied.get(v, set()), ties_as)
                    tied[v] = keys
                    xml.append(n)
                    length += d
            xml.append('</measure>')
        xml.append('</part>')
    xml.append('</score-partwise>')
    return '\n'.join(xml) + '\n'


def one(text, staff=1):
    return [(staff, text)]


PIECES = {
    # Four voices on two staves, a passing eighth now and then.
    'chorale': piece('Chorale', [('Choir', 52, 2, [
        ((4, 4), [(1, 'G4:12 A4:12 B4:12 G4:12'), (1, 'D4:12 D4:12 D4:12 D4:12'),
                  (2, 'B3:12 C4:6 A3:6 G3:12 B3:12'), (2, 'G2:12 F#2:12 G2:12 E2:12')]),
        (None, [(1, 'A4:24 G4:24'), (1, 'E4:12 D4:12 D4:24'), (2, 'C4:12 A3:12 B3:24'), (2, 'A2:12 D3:12 G2:24')]),
        (None, [(1, 'B4:12 C5:12 D5:12 B4:12'), (1, 'G4:12 G4:12 F#4:12 G4:12'),
                  (2, 'D4:12 E4:12 A3:12 D4:12'), (2, 'G3:12 C3:12 D3:12 G2:6 A2:6')]),
        (None, [(1, 'A4:36 r:12'), (1, 'F#4:36 r:12'), (2, 'D4:36 r:12'), (2, 'D3:36 r:12')]),
    ])], key=1, tempo=72),
    # A quarter pickup written as 1/4, then 3/4 with a held bass.
    'minuet': piece('Minuet', [
        ('Violin', 40, 1, [((1, 4), one('D5:12')), ((3, 4), one('G5:12 A5:6 B5:6 C6:12')),
                           (None, one('D6:18 C6:6 B5:12')), (None, one('A5:12 G5:12 F#5:12')),
                           (None, one('G5:36'))]),
        ('Cello', 42, 1, [((1, 4), one('r:12')), ((3, 4), one('G3:36')), (None, one('F#3:24 G3:12')),
                          (None, one('D3:36')), (None, one('G2:36'))]),
    ], key=1, tempo=120),
    # A melody of long notes over an Alberti bass, one part on two staves.
    'sonatina': piece('Sonatina', [('Piano', 0, 2, [
        ((4, 4), [(1, 'C5:24 E5:12 G5:12'), (2, 'C3:6 G3:6 E3:6 G3:6 C3:6 G3:6 E3:6 G3:6')]),
        (None, [(1, 'B4:18 C5:3 D5:3 C5:24'), (2, 'D3:6 G3:6 F3:6 G3:6 C3:6 G3:6 E3:6 G3:6')]),
        (None, [(1, 'A5:24 G5:12 C6:12'), (2, 'C3:6 A3:6 F3:6 A3:6 C3:6 G3:6 E3:6 G3:6')]),
        (None, [(1, 'G5:12 F5:3 E5:3 D5:3 C5:3 C5:24'), (2, 'G2:6 G3:6 F3:6 G3:6 C3:24')]),
    ])], tempo=100),
    # Dotted quarters, quarter-eighth and eighth runs in 6/8.
    'jig': piece('Jig', [('Flute', 73, 1, [
        ((6, 8), one('D5:6 E5:6 F#5:6 G5:12 A5:6')), (None, one('B5:18 A5:12 G5:6')),
        (None, one('F#5:12 D5:6 E5:12 C#5:6')), (None, one('D5:18 D5:18')),
    ]), ('Bass', 32, 1, [((6, 8), one('D3:18 A2:18')), (None, one('G2:18 A2:18')),
                         (None, one('D3:18 A2:18')), (None, one('D3:36'))])], key=2, tempo=100),
    # Melody notes held over an accompaniment of eighths in the same staff.
    'nocturne': piece('Nocturne', [('Piano', 0, 1, [
        ((4, 4), [(1, 'E5:48'), (1, 'C4:6 G4:6 C5:6 G4:6 C4:6 G4:6 C5:6 G4:6')]),
        (None, [(1, 'D5:24 C5:12 B4:12'), (1, 'B3:6 G4:6 D5:6 G4:6 B3:6 G4:6 D5:6 G4:6')]),
        (None, [(1, 'C5:36 E5:12'), (1, 'A3:6 E4:6 A4:6 E4:6 A3:6 E4:6 A4:6 E4:6')]),
        (None, [(1, 'D5:48'), (1, 'G3:6 D4:6 G4:6 D4:6 G3:6 D4:6 B4:12')]),
    ])], tempo=60),
    # Dotted eighths and sixteenths in 2/4 after a 1/8 pickup.
    'march': piece('March', [('Trumpet', 56, 1, [
        ((1, 8), one('G4:6')), ((2, 4), one('C5:9 C5:3 C5:9 D5:3')), (None, one('E5:9 E5:3 E5:12')),
        (None, one('D5:9 C5:3 B4:9 A4:3')), (None, one('G4:18 G4:6')), (None, one('C5:24')),
    ]), ('Tuba', 58, 1, [((1, 8), one('r:6')), ((2, 4), one('C3:12 G2:12')), (None, one('C3:12 G2:12')),
                         (None, one('G2:12 D3:12')), (None, one('G2:12 B2:12')), (None, one('C3:24'))])], tempo=112),
    # Two voices in sixteenths and eighths, a tie over the bar line.
    'invention': piece('Invention', [('Harpsichord', 6, 2, [
        ((4, 4), [(1, 'r:3 C5:3 D5:3 E5:3 F5:3 D5:3 E5:3 C5:3 G5:6 C6:6 B5:6 C6:6'),
                  (2, 'r:24 r:3 C4:3 D4:3 E4:3 F4:3 D4:3 E4:3 C4:3')]),
        (None, [(1, 'D6:3 G5:3 A5:3 B5:3 C6:3 A5:3 B5:3 G5:3 D6:6 G6:6 F6:6 G6:6~'),
                (2, 'G4:6 G3:6 r:12 r:3 G4:3 A4:3 B4:3 C5:3 A4:3 B4:3 G4:3')]),
        (None, [(1, 'G6:12 E6:12 r:24'), (2, 'C5:6 B4:6 C5:6 D5:6 E5:6 G4:6 A4:6 B4:6')]),
    ])], tempo=80),
    # Meters changing each measure, with triplets.
    'meters': piece('Meters', [('Clarinet', 71, 1, [
        ((3, 4), one('C5:12 D5:12 E5:12')), ((2, 4), one('F5:t4 E5:t4 D5:t4 C5:12')),
        ((5, 8), one('G4:6 A4:6 B4:6 C5:12')), ((4, 4), one('D5:18 E5:6 C5:24')),
        ((2, 2), one('G4:t8 A4:t8 B4:t8 C5:24')),
    ])], tempo=90),
    # Triplets of eighths through a whole measure, quarter- and half-note
    # triplets, and ties written only as <tied>.
    'ballad': piece('Ballad', [('Electric piano', 4, 1, [
        ((4, 4), one('C5:t4 E5:t4 G5:t4 C6:t4 G5:t4 E5:t4 D5:t4 F5:t4 A5:t4 B5:t4 A5:t4 F5:t4')),
        (None, one('E5:t8 D5:t8 C5:t8 G5:24~')), (None, one('G5:t16 A5:t16 B5:t16')),
        (None, one('C6:24~ C6:t8 B5:t8 A5:t8')), (None, one('G5:48')),
    ])], tempo=76, ties_as='tied'),
}

if __name__ == '__main__':
    for name, text in PIECES.items():
        with open(name + '.xml', 'w') as f:
            f.write(text)
