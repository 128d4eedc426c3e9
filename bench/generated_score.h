#pragma once
// The score the benchmarks measure: 4 parts of generated music with full
// note content (chords, accidentals, dots, beams, ties, grace notes,
// lyrics, dynamics, hairpins, attached marks, chord symbols) on A4 pages.
#include <string>

#include "platform/fonts.h"
#include "platform/gui.h"
#include "platform/paths.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/page.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"

namespace qs::bench {

constexpr int kParts = 4;

inline TQSNote* AddNote(TQSMeasure* m, int tick, int length, uint8_t pitch) {
  auto* note = static_cast<TQSNote*>(CreateItemByKind(kind::Note, m));
  note->Fields.Time = static_cast<uint16_t>(tick);
  note->Fields.Length = note->Fields.RealLength = static_cast<uint16_t>(length);
  note->Fields.Pitch = pitch;
  return note;
}

inline TQSMark* AddMark(TQSItemOwner* owner, TQSItemType type, int tick, int value, int variant) {
  auto* mark = static_cast<TQSMark*>(CreateItemByKind(type, owner));
  mark->Fields.Time = static_cast<uint16_t>(tick);
  mark->Fields.Value = static_cast<uint16_t>(value);
  mark->Fields.Kind = static_cast<uint8_t>(variant);
  return mark;
}

// A measure of music: a chord with an accidental, a dotted note, two
// beamed eighths, a note tied into the next measure, grace notes now and
// then; a lyric, a dynamics mark, a staccato at a note, a hairpin and a
// chord symbol.
inline void FillMeasure(TQSMeasure* m, int number, int part) {
  if (number == 0) {
    AddMark(m, kind::Clef, 0, 0, part % 2 ? clef::Bass : clef::Treble);
    AddMark(m, kind::Key, 0, 0, 2);
    if (part == 0) AddMark(m, kind::Accolade, 0, 3, 0);
  }
  const uint8_t base = static_cast<uint8_t>(0x50 + number % 5);
  if (number % 8 == 3) {
    auto* group = static_cast<TQSVorschlag*>(CreateItemByKind(kind::Vorschlag, m));
    auto* grace = static_cast<TQSNote*>(CreateItemByKind(kind::Note, group));
    grace->Fields.Pitch = static_cast<uint8_t>(base + 1);
    grace->Fields.Length = grace->Fields.RealLength = 64;
  }
  TQSNote* low = AddNote(m, 0, 128, base);
  TQSNote* high = AddNote(m, 0, 128, static_cast<uint8_t>(base + 2));
  low->SetChordMember(true);
  high->SetChordMember(true);
  AddMark(high, kind::Accidental, 0, 0, number % 3 == 0 ? 0 : 2);
  TQSNote* dotted = AddNote(m, 128, 128, static_cast<uint8_t>(base + 1));
  dotted->Fields.RealLength = 192;
  AddMark(dotted, kind::Dot, 0, 0, 0);
  TQSNote* first = AddNote(m, 320, 64, base);
  first->SetBeamedToNext(true);
  AddNote(m, 384, 64, static_cast<uint8_t>(base + 1));
  TQSNote* last = AddNote(m, 448, 64, static_cast<uint8_t>(base + 1));
  auto* tie = static_cast<TQSLiga*>(CreateItemByKind(kind::Liga, last));
  tie->Fields.Span = 64;
  tie->Fields.Flags = TQSLiga::kFromStart;
  AddMark(m, kind::Dynamics, 0, 0, number % 13);
  AddMark(m, kind::Staccato, 128, 0, 0)->Fields.Style = TQSMark::kStyleAttached;
  if (number % 4 == 0) AddMark(m, kind::Dynamics, 128, 256, dynamic::kCrescendo);
  if (part == 0 && number % 2 == 0) {
    auto* chord = static_cast<TQSChord*>(CreateItemByKind(kind::Chord, m));
    TQSChordFragment root, kind;
    root.Text = "G";
    kind.Text = "m7";
    kind.Fields.Anchor = 1;
    chord->Patterns = {root, kind};
  }
  auto* lyric = static_cast<TQSLyric*>(CreateItemByKind(kind::Lyric, m));
  lyric->Lines = {"syl-" + std::to_string(number)};
  lyric->Fields.Flags = number % 2 ? TQSLyric::kHyphen : 0;
  m->UpdateBeams(0, true);
}

inline void BuildScore(TQSScore& score, int measures) {
  score.BeginUpdate();
  TQSPage::TFields& f = score.Page.Fields;
  f.Width = 2100.0L;
  f.Height = 2970.0L;
  f.LeftMargin = f.TopMargin = f.RightMargin = f.BottomMargin = 100.0L;
  f.Interval = 120.0L;
  TQSPiece* piece = score.NewPiece();
  for (int p = 0; p < kParts; ++p) {
    TQSPart* part = piece->AddPart();
    (new TQSStaff(part))->NewVoice();
    for (int m = 0; m < measures; ++m) FillMeasure(part->NewMeasure(), m, p);
  }
  for (int c = 0; c < measures; ++c) piece->AddColumn();
  auto* meter = static_cast<TQSMark*>(CreateItemByKind(kind::Meter, piece->GetColumn(0)));
  meter->Fields.Value = MakeMeter(4, 4);
  score.EndUpdate();
}

// Fixes 96 ppi and loads the music font from beside the programs.
inline void Setup() {
  SetScreenPixelsPerInch(96);
  // The benchmarks live beside the programs' folder, which holds the
  // resources.
  if (!MusicFontLoaded()) platform::SetProgramDirForTesting(platform::ProgramDir() + "../bin/");
  LoadMusicFont();
}

}  // namespace qs::bench
