#!/usr/bin/python3
"""Checks the language files: every text of the English source has its
translation in each of the other four languages, and none is left as the
English text, except names that are the same in that language (as "OK",
"MIDI" or a number).

usage: language_files.py LANGDIR
"""
import os
import re
import sys

LANGUAGES = ["DEU", "FRA", "ITA", "RUS"]

# Texts that are rightly the same as the English one: names of things,
# units, signs and notes.
SAME_EVERYWHERE = {
    "OK", "&OK", "Ok", "MIDI", "...", "Tempo", "Stereo", "Mono", "Legato", "Staccato", "Pizzicato",
    "Portamento", "Glissando", "Tremolo", "Vibrato", "Fermata", "Coda", "Segno", "Da Capo", "Dal Segno",
    "Fine", "Solo", "Tutti", "Piano", "Forte", "Crescendo", "Diminuendo", "Arpeggio", "Trill", "Swing",
    "CDEFGAB", "kHz", "Pan", "Sustain", "Sostenuto", "Quavero Symbols", "Arial", "Times New Roman",
    "Courier New", "Symbol", "Wingdings", "Chorus", "Reverb", "Volume", "Zoom", "Balance",
    # The program's own name and the names of file formats.
    "Quillstave 4", "%s - Quillstave 4", "PDF", "WAVE", "General MIDI",
}
SAME_IN = {
    "DEU": {"Name", "Position", "Format", "Status", "Start", "Stop", "Play", "Text", "Hint", "Takt", "Instrument",
            "Interval", "Akkord", "Transponieren", "Mode", "Test", "Pedal", "Export", "Import", "Information",
            "Display", "Skin", "Editor", "Offset", "Bank", "Symbol", "Effekte", "Gitarre", "Mixer", "Metronom",
            "Chord", "Tab", "Tabulatur", "Control", "Controller", "Clip", "Fade", "Layout", "Transpose", "Preset",
            "Presets", "Skins", "Note", "Details", "Normal", "Navigator", "Ellipse", "Transparent", "Version %s",
            "Bass", "Bass 8vb", "Tenor"},
    "FRA": {"Position", "Format", "Note", "Notes", "Instrument", "Instruments", "Texte", "Transposition",
            "Page", "Pages", "Tablature", "Mode", "Test", "Options", "Information", "Accord", "Accords", "Image",
            "Arrangement", "Applications", "Tab", "Clip", "Fade", "Skin", "Skins", "Pause", "Variation",
            "Orchestration", "Accolade", "Contrôle", "Section", "Sections", "Menu", "Silence", "Distance", "Message",
            "Messages", "Type", "Transport", "Double", "Simple", "Description", "Collection", "Copie", "Balance",
            "Articulation", "Accent", "Expression", "Effets", "Menus", "Pitch bend", "Triangle", "Transpositions",
            "Composition", "Inscription", "Date", "Rectangle", "Ellipse", "Arc", "Style", "Transparent",
            "Version %s", "Portrait", "Pixels"},
    "ITA": {"Tab", "Clip", "Fade", "Skin", "Skins", "Editor", "Controller", "Pitch bend", "Mixer", "Font", "Layout",
            "Standard", "Menu", "Test", "Status", "Display", "File", "Bank", "Preset", "Presets", "Swing", "Jazz",
            "Rock", "Pop", "Beat", "Feedback", "Hardware", "Software", "Offset", "Pad", "Tremolo", "Vibrato",
            "Record", "&File", "Soprano"},
    "RUS": set(),
}

ENTRY = re.compile(r"^\s*([^;=\s][^=]*?)\s*=\s*(.*?)\s*$")


def read(path):
    entries = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            m = ENTRY.match(line)
            if m:
                entries[m.group(1)] = m.group(2)
    return entries


def same_by_nature(text, language):
    # The key hint of a caption ("Note <N>") and a closing colon are no words.
    bare = re.sub(r"\s*<[^>]*>$", "", text.strip().strip('"').strip()).rstrip(":").strip()
    # An access key's ampersand and the dots of a command that asks more.
    bare = re.sub(r"(\.\.\.|…)$", "", bare.replace("&", "")).strip()
    if not re.search(r"[A-Za-z]", bare) or re.fullmatch(r"[\d.,\s-]+(kHz|Hz|ms|dB|bit)", bare):
        return True  # numbers, measures, signs, empty
    if bare in SAME_EVERYWHERE or bare in SAME_IN[language]:
        return True
    # A caption that only names a key ("Ctrl+Z"), a file name or a letter.
    if re.fullmatch(r"[A-Z]|[A-Z][a-z]?\d*|(Ctrl|Shift|Alt)\+.*|[\w.-]+\.[a-z]{2,4}", bare):
        return True
    return False


def main():
    root = sys.argv[1]
    problems = []
    for name in sorted(os.listdir(os.path.join(root, "ENU"))):
        if not name.endswith(".txt"):
            continue
        english = read(os.path.join(root, "ENU", name))
        for language in LANGUAGES:
            path = os.path.join(root, language, name)
            if not os.path.exists(path):
                problems.append("%s/%s: missing" % (language, name))
                continue
            other = read(path)
            for key, text in english.items():
                if key not in other:
                    if not same_by_nature(text, language):
                        problems.append("%s/%s: %s is missing (English: %s)" % (language, name, key, text))
                elif other[key] == text and not same_by_nature(text, language):
                    problems.append("%s/%s: %s is left in English: %s" % (language, name, key, text))
    for p in problems:
        print(p)
    print("%d texts left in English" % len(problems))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
