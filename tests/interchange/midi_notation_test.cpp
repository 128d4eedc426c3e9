// Notes of a MIDI file written as notation: grid fitting, note values,
// dots, ties, triplets, voices, chords, accidentals, staves, clefs, drums,
// rests and instrument names. Files use 96 ticks to a quarter note.
#include "interchange/importitems.h"
#include "midi_test_support.h"

namespace qs::test {
namespace {

constexpr int Q = 96;  // a quarter note in file ticks

class MidiNotation : public TMidiImportTest {};

TEST_F(MidiNotation, MeasuresOfNotesRestsDotsAndTies) {
  struct TCase {
    const char* Name;
    std::vector<TNoteSpec> Notes;
    std::vector<std::string> Measures;  // voice 0 of staff 0, measure by measure
  };
  const TCase cases[] = {
      {"C major scale in eighths",
       {{60, 0, 48}, {62, 48, 48}, {64, 96, 48}, {65, 144, 48}, {67, 192, 48}, {69, 240, 48}, {71, 288, 48}, {72, 336, 48}},
       {"C5/64 D5/64 E5/64 F5/64 G5/64 A5/64 B5/64 C6/64"}},
      {"a chord", {{60, 0, Q}, {64, 0, Q}, {67, 0, Q}}, {"C5/128+E5/128+G5/128 r/128 r/256"}},
      {"a dotted half note", {{60, 0, 3 * Q}}, {"C5/256. r/128"}},
      {"a half note across the bar line", {{60, 2 * Q, 4 * Q}}, {"r/256 C5/256~", "C5/256 r/256"}},
      {"a note 4 ticks into the next measure", {{60, 2 * Q, 2 * Q + 3}}, {"r/256 C5/256"}},
      {"a whole note over two bar lines", {{60, 0, 12 * Q}}, {"C5/512~", "C5/512~", "C5/512"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Import(NotesFile(c.Notes));
    ASSERT_EQ(Part()->MeasureCount(), int(c.Measures.size()));
    for (size_t m = 0; m < c.Measures.size(); ++m) EXPECT_EQ(VoiceText(*Measure(int(m)), 0), c.Measures[m]);
  }
}

TEST_F(MidiNotation, ScaleIsBeamedByBeats) {
  Import(NotesFile({{60, 0, 48}, {62, 48, 48}, {64, 96, 48}, {65, 144, 48}}));
  const std::vector<TQSNote*> notes = NotesOf(*Measure(0));
  ASSERT_EQ(notes.size(), 4u);
  EXPECT_TRUE(notes[0]->BeamedToNext());
  EXPECT_FALSE(notes[1]->BeamedToNext());
  EXPECT_TRUE(notes[2]->BeamedToNext());
  EXPECT_EQ(notes[0]->BeamGroup, notes[1]->BeamGroup);
  EXPECT_NE(notes[1]->BeamGroup, notes[2]->BeamGroup);

  // In 6/8 eighths are beamed by three, the dotted beat.
  TSmfFile f;
  f.Track().TimeSignature(0, 6, 3);
  for (int i = 0; i < 6; ++i) f.Track().Note(0, 60 + i, i * Q / 2, Q / 2);
  Import(f.Bytes());
  const std::vector<TQSNote*> six = NotesOf(*Measure(0));
  ASSERT_EQ(six.size(), 6u);
  std::vector<bool> joined;
  for (const TQSNote* n : six) joined.push_back(n->BeamedToNext());
  EXPECT_EQ(joined, (std::vector<bool>{true, true, false, true, true, false}));
}

TEST_F(MidiNotation, ChordNotesAreOrderedAndFlagged) {
  Import(NotesFile({{67, 0, Q}, {60, 0, Q}, {64, 0, Q}}));
  const std::vector<TQSNote*> notes = NotesOf(*Measure(0));
  ASSERT_EQ(notes.size(), 3u);
  for (TQSNote* n : notes) {
    EXPECT_TRUE(n->IsChordMember());
    EXPECT_EQ(n->Fields.StaffVoice, 0);
  }
  EXPECT_EQ(NoteName(*notes[0]), "C5");
  EXPECT_EQ(NoteName(*notes[2]), "G5");
}

TEST_F(MidiNotation, SameKeyTwiceAtOneTickIsWrittenOnce) {
  for (bool oneTrack : {false, true}) {
    SCOPED_TRACE(oneTrack);
    TSmfFile f;
    f.Track().Note(0, 60, 0, Q);
    (oneTrack ? f.Track() : f.Track()).Note(0, 60, 0, Q);
    TSmfFile g;
    g.Track().Note(0, 60, 0, Q).Note(0, 60, 0, Q);
    Import(oneTrack ? g.Bytes() : f.Bytes());
    ASSERT_EQ(Piece()->PartCount(), 1);
    EXPECT_EQ(Part()->GetStaff(0)->VoiceCount(), 1);
    EXPECT_EQ(VoiceText(*Measure(0), 0), "C5/128 r/128 r/256");
  }
}

TEST_F(MidiNotation, QuarterTripletWithAndWithoutTheTripletOption) {
  // Three notes in the first beat, a quarter and a half.
  const TBytesVec file = NotesFile({{60, 0, 32}, {62, 32, 32}, {64, 64, 32}, {65, Q, Q}, {67, 2 * Q, 2 * Q}});

  Import(file, {.Triplets = true});
  std::vector<TQSMark*> tuplets = MarksOf(Measure(0)->Items, kind::Tuplet);
  ASSERT_EQ(tuplets.size(), 1u);
  EXPECT_EQ(tuplets[0]->Fields.Kind, 3);
  EXPECT_EQ(tuplets[0]->Fields.Time, 0);
  EXPECT_EQ(tuplets[0]->Fields.Value, 64);
  EXPECT_EQ(VoiceText(*Measure(0), 0), "C5/64 D5/64 E5/64 F5/128 G5/256");
  std::vector<int> real;
  for (TQSNote* n : NotesOf(*Measure(0))) real.push_back(n->Fields.RealLength);
  EXPECT_EQ(real, (std::vector<int>{42, 43, 43, 128, 256}));

  Import(file, {.Triplets = false});
  EXPECT_TRUE(MarksOf(Measure(0)->Items, kind::Tuplet).empty());
  // Each note on the grid point nearest its start; D, let go just before
  // E's grid point, lasts until it.
  EXPECT_EQ(VoiceText(*Measure(0), 0), "C5/32 D5/64 E5/32 F5/128 G5/256");
}

TEST_F(MidiNotation, NoteKeepsItsLengthWhateverTheNextNote) {
  // A note of 200 ticks at the second eighth: on the grid it lasts 192,
  // whether the room after it is free or another note starts under it.
  struct TCase {
    TNoteSpec Next;
    const char* Voice0;
    const char* Voice1;
  };
  for (const TCase& c : {TCase{{62, 2 * Q, 2 * Q}, "r/64 C5/128. D5/256", ""},
                         TCase{{62, 120, 24}, "r/128 r/32 D5/32 r/64 r/256", "C5/128."}}) {
    SCOPED_TRACE(c.Voice1);
    Import(NotesFile({{60, 48, 150}, c.Next}));
    EXPECT_EQ(VoiceText(*Measure(0), 0x00), c.Voice0);
    EXPECT_EQ(VoiceText(*Measure(0), 0x01), c.Voice1);
    // What the grid took off the note still sounds.
    EXPECT_EQ(NotesOf(*Measure(0)).at(0)->Fields.PlayLength, 200);
  }
}

TEST_F(MidiNotation, OverlappingNotesTakeFurtherVoices) {
  // A half note held over the bar line sounds on over a quarter.
  Import(NotesFile({{60, 2 * Q, 4 * Q}, {64, 3 * Q, Q}}));
  EXPECT_EQ(Part()->GetStaff(0)->VoiceCount(), 2);
  EXPECT_EQ(VoiceText(*Measure(0), 0x00), "r/256 r/128 E5/128");
  EXPECT_EQ(VoiceText(*Measure(0), 0x01), "C5/256~");
  // Its tie ends in its own voice.
  EXPECT_EQ(VoiceText(*Measure(1), 0x01), "C5/256");
  for (TQSNote* n : NotesOf(*Measure(0))) EXPECT_EQ(n->IsStemDown(), n->Fields.StaffVoice == 0x01);

  // A third note sounding over both goes to a third voice.
  Import(NotesFile({{60, Q, 5 * Q}, {64, 2 * Q, 4 * Q}, {67, 3 * Q, Q}}));
  EXPECT_EQ(Part()->GetStaff(0)->VoiceCount(), 3);
  EXPECT_EQ(VoiceText(*Measure(0), 0x00), "r/256 r/128 G5/128");
  EXPECT_EQ(VoiceText(*Measure(0), 0x01), "C5/256.~");
  EXPECT_EQ(VoiceText(*Measure(0), 0x02), "E5/256~");
}

TEST_F(MidiNotation, AccidentalsFollowTheKeyAndTheMeasure) {
  struct TCase {
    int Sharps;
    std::vector<TNoteSpec> Notes;
    const char* Text;
  };
  const TCase cases[] = {
      {2, {{61, 0, Q}, {60, Q, Q}, {66, 2 * Q, Q}, {65, 3 * Q, Q}}, "C5/128 Cn5/128 F5/128 Fn5/128"},
      {0, {{61, 0, Q}, {60, Q, Q}, {63, 2 * Q, Q}, {64, 3 * Q, Q}}, "C#5/128 Cn5/128 Eb5/128 En5/128"},
      {-2, {{70, 0, Q}, {71, Q, Q}, {68, 2 * Q, Q}, {63, 3 * Q, Q}}, "B5/128 Bn5/128 G#5/128 E5/128"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Text);
    TSmfFile f;
    f.Track().KeySignature(0, c.Sharps);
    TSmfTrack& t = f.Track();
    for (const TNoteSpec& n : c.Notes) t.Note(0, n.Key, n.Start, n.Length);
    Import(f.Bytes());
    EXPECT_EQ(VoiceText(*Measure(0), 0), c.Text);
  }
}

TEST_F(MidiNotation, PianoPartsWithLowNotesGetABassStaff) {
  struct TCase {
    int Program;
    bool OneStaff;
    int Staves;
  };
  const std::vector<TNoteSpec> notes = {{72, 0, 2 * Q}, {48, 0, 2 * Q}, {43, 2 * Q, 2 * Q}};
  for (const TCase& c : {TCase{0, false, 2}, TCase{0, true, 1}, TCase{40, false, 1}}) {
    SCOPED_TRACE(c.Program);
    Import(NotesFile(notes, c.Program), {.OneStaff = c.OneStaff});
    ASSERT_EQ(Part()->StaffCount(), c.Staves);
    const std::vector<TQSMark*> clefs = MarksOf(Measure(0)->Items, kind::Clef);
    ASSERT_EQ(int(clefs.size()), c.Staves);
    EXPECT_EQ(MarksOf(Measure(0)->Items, kind::Accolade).size(), c.Staves == 2 ? 1u : 0u);
    if (c.Staves == 2) {
      EXPECT_EQ(clefs[0]->Fields.Kind, clef::Treble);
      EXPECT_EQ(clefs[1]->Fields.StaffVoice, 0x10);
      EXPECT_EQ(clefs[1]->Fields.Kind, clef::Bass);
      EXPECT_EQ(VoiceText(*Measure(0), 0x00), "C6/256 r/256");
      EXPECT_EQ(VoiceText(*Measure(0), 0x10), "C4/256 G3/256");
    }
  }
}

// A piano track's hands part at middle C: the left hand's notes below it
// stand on the bass staff, never on ledger lines under the treble staff.
TEST_F(MidiNotation, PianoHandsPartAtMiddleC) {
  Import(NotesFile({{41, 0, Q}, {53, Q, Q}, {57, 2 * Q, Q}, {59, 3 * Q, Q}, {60, 0, 2 * Q}, {70, 2 * Q, 2 * Q}}));
  ASSERT_EQ(Part()->StaffCount(), 2);
  EXPECT_EQ(VoiceText(*Measure(0), 0x00), "C5/256 Bb5/256");
  EXPECT_EQ(VoiceText(*Measure(0), 0x10), "F3/128 F4/128 A4/128 B4/128");
}

TEST_F(MidiNotation, EmptyStaffOfAMeasureHoldsOneWholeRest) {
  // The bass staff has notes in the first measure only.
  Import(NotesFile({{72, 0, 4 * Q}, {36, 0, 4 * Q}, {72, 4 * Q, 4 * Q}}));
  ASSERT_EQ(Part()->StaffCount(), 2);
  EXPECT_EQ(VoiceText(*Measure(1), 0x10), "r/512");
}

TEST_F(MidiNotation, DrumNotesFollowTheDrumMap) {
  Score.SetDrumMapEntry(36, "Bass drum", 0, 58, 1);
  Score.SetDrumMapEntry(38, "Snare", 255, 62, 0);  // not in use
  TSmfFile f;
  f.Track().Note(9, 36, 0, Q).Note(9, 38, Q, Q);
  Import(f.Bytes());
  EXPECT_EQ(MarksOf(Measure(0)->Items, kind::Clef).at(0)->Fields.Kind, clef::Percussion2);
  const std::vector<TQSNote*> notes = NotesOf(*Measure(0));
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[0]->Fields.Pitch, MakePitch(5, 0));  // position 58
  EXPECT_EQ(notes[0]->Fields.HeadStyle, 5);
  EXPECT_EQ(notes[0]->AccidentalDisplay, 0);
  EXPECT_EQ(notes[1]->Fields.Pitch, MakePitch(3, 1));  // key 38 spelled as D
  EXPECT_EQ(notes[1]->Fields.HeadStyle, 0);
}

// Without a drum map entry a General MIDI drum key is written where the
// drum-set staff has it, on one staff whatever the kit's program, and the
// score's map learns the key so that the note sounds it again.
TEST_F(MidiNotation, DrumKeysWithoutAMapStandOnTheDrumSetStaff) {
  TSmfFile f;
  f.Track().Program(0, 9, 0).Note(9, 42, 0, Q / 4).Note(9, 36, 0, Q / 4).Note(9, 38, Q, Q / 4).Note(9, 46, 2 * Q, Q / 4);
  Import(f.Bytes());
  ASSERT_EQ(Part()->StaffCount(), 1);
  const std::vector<TQSNote*> notes = NotesOf(*Measure(0));
  std::vector<std::pair<int, uint8_t>> written;
  for (const TQSNote* n : notes) written.push_back({n->SoundingKey, n->Fields.Pitch});
  // Hi-hat G5 over bass drum F4, snare C5; the open hi-hat shares the
  // closed one's place.
  const std::vector<std::pair<int, uint8_t>> expected = {
      {36, MakePitch(5, 3)}, {42, MakePitch(6, 4)}, {38, MakePitch(6, 0)}, {46, MakePitch(6, 4)}};
  EXPECT_EQ(written, expected);
  for (int key : {36, 38, 42}) {
    const TQSDrumMapEntry* e = Score.DrumEntryByKey(key);
    ASSERT_NE(e, nullptr) << key;
    EXPECT_EQ(e->Head, 255);
  }
  // The open hi-hat has the closed one's place and the open sign.
  EXPECT_EQ(Score.DrumEntryByKey(46), nullptr);
  EXPECT_EQ(MarksOf(Measure(0)->Items, kind::HiHat2).size(), 1u);
  // A key the user keeps off the map is written at its pitch, low or not:
  // still one staff for the kit.
  Score.SetDrumMapEntry(35, "Kick", 255, 64, 0);
  TSmfFile low;
  low.Track().Program(0, 9, 0).Note(9, 35, 0, Q);
  Import(low.Bytes());
  EXPECT_EQ(Part()->StaffCount(), 1);
}

// Drum machines and drummers leave strokes far shorter than the step they
// stand for; a stroke is written to last until the next one of its voice (a
// beat at most), not as a short note followed by rests.
TEST_F(MidiNotation, DrumStrokesLastUntilTheNextStroke) {
  TSmfFile f;
  TSmfTrack& t = f.Track().Program(0, 9, 0);
  for (int i = 0; i < 8; ++i) t.Note(9, 42, i * Q / 2, 10);
  Import(f.Bytes(), {.Quantize = 32});
  std::string eighths;
  for (int i = 0; i < 8; ++i) eighths += std::string(i ? " " : "") + "G6/64";
  EXPECT_EQ(VoiceText(*Measure(0), 0x00), eighths);
  // A lone stroke fills no more than its beat.
  TSmfFile lone;
  lone.Track().Program(0, 9, 0).Note(9, 38, 0, 10);
  Import(lone.Bytes(), {.Quantize = 32});
  EXPECT_EQ(VoiceText(*Measure(0), 0x00).substr(0, 6), "C6/128");
}

// A note played a little before a bar line, nearer to it than to any
// earlier step of the grid, begins the next measure and plays early; the
// notes of a chord struck a tick apart stay one chord.
TEST_F(MidiNotation, HumanPlayingKeepsBarLinesAndChords) {
  Import(NotesFile({{60, 0, 4 * Q - 10}, {64, 4 * Q - 4, Q}, {67, 5 * Q - 1, Q}, {72, 5 * Q, Q}, {76, 5 * Q + 1, Q}}));
  EXPECT_EQ(VoiceText(*Measure(0), 0x00), "C5/512");
  EXPECT_EQ(VoiceText(*Measure(1), 0x00), "E5/128 G5/128+C6/128+E6/128 r/256");
  EXPECT_EQ(VoiceText(*Measure(1), 0x01), "");
  const TQSNote* early = NotesOf(*Measure(1)).at(0);
  EXPECT_EQ(early->Fields.Time, 0);
  EXPECT_LT(early->Fields.PlayOffset, 0);
}

TEST_F(MidiNotation, AutomaticClefsFollowTheRange) {
  struct TCase {
    std::vector<TNoteSpec> Notes;
    bool AutoClefs;
    std::vector<std::pair<int, int>> Clefs;  // measure, clef code
  };
  const TCase cases[] = {
      {{{36, 0, 4 * Q}}, true, {{0, 2}}},
      {{{72, 0, 4 * Q}, {72, 4 * Q, 4 * Q}, {36, 8 * Q, 4 * Q}}, true, {{0, 1}, {2, 2}}},
      {{{72, 0, 4 * Q}, {72, 4 * Q, 4 * Q}, {36, 8 * Q, 4 * Q}}, false, {{0, 1}}},
      {{{72, 0, 4 * Q}, {101, 4 * Q, 4 * Q}}, true, {{0, 1}, {1, 4}}},
  };
  for (const TCase& c : cases) {
    Import(NotesFile(c.Notes, 40), {.AutoClefs = c.AutoClefs});
    std::vector<std::pair<int, int>> clefs;
    for (int m = 0; m < Part()->MeasureCount(); ++m)
      for (TQSMark* clef : MarksOf(Measure(m)->Items, kind::Clef)) clefs.push_back({m, clef->Fields.Kind});
    EXPECT_EQ(clefs, c.Clefs);
  }
}

TEST_F(MidiNotation, LyricsAndInscriptionsStandAtTheirNotes) {
  TSmfFile f;
  TSmfTrack& t = f.Track();
  t.Note(0, 60, 0, Q).Note(0, 62, Q, Q).Note(0, 64, 2 * Q, 2 * Q);
  t.Meta(0, 5, "/Hel").Meta(Q, 5, "lo").Meta(2 * Q, 1, "\\world").Meta(2 * Q, 6, "Chorus");
  Import(f.Bytes());
  std::vector<std::string> texts;
  std::vector<int> kinds, times;
  for (TQSItem* item : Measure(0)->Items) {
    if (item->ItemType != kind::Lyric && item->ItemType != kind::Term) continue;
    const auto* lyric = static_cast<TQSLyric*>(item);
    texts.push_back(lyric->Lines.at(0));
    kinds.push_back(lyric->ItemType);
    times.push_back(lyric->Fields.Time);
    // Syllables as the first verse below the staff, texts on its bottom line.
    EXPECT_EQ(lyric->Fields.OffsetY, item->ItemType == kind::Lyric ? VerseOffsetY(Score, 1) : 192);
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"Hel", "lo", "world", "Chorus"}));
  EXPECT_EQ(kinds, (std::vector<int>{33, 33, 33, 34}));
  EXPECT_EQ(times, (std::vector<int>{0, 128, 256, 256}));
}

TEST_F(MidiNotation, TrackNamesBecomeInstrumentNames) {
  TSmfFile f;
  f.Track().Meta(0, 3, "Flute").Note(0, 72, 0, Q);
  f.Track().Meta(0, 3, "Double bass").Note(1, 40, 0, Q);
  for (bool names : {true, false}) {
    Import(f.Bytes(), {.TrackNames = names});
    ASSERT_EQ(Piece()->PartCount(), 2);
    std::vector<TQSLyric*> items;
    for (int p = 0; p < 2; ++p) {
      EXPECT_EQ(Part(p)->Name, p == 0 ? "Flute" : "Double bass");
      TQSItem* first = Measure(0, p)->GetItem(0);
      if (first->ItemType == kind::InstrumentName) items.push_back(static_cast<TQSLyric*>(first));
    }
    ASSERT_EQ(items.size(), names ? 2u : 0u);
    if (!names) continue;
    EXPECT_EQ(items[0]->Lines, std::vector<std::string>{"Flute"});
    EXPECT_EQ(items[0]->Fields.FontSize, 10);
    EXPECT_EQ(items[0]->FontName, "Arial");
    EXPECT_LT(items[0]->Fields.OffsetX, 0);
    // Both stand left of the system by the width of the longer name.
    EXPECT_EQ(items[0]->Fields.OffsetX, items[1]->Fields.OffsetX);
    EXPECT_EQ(items[0]->Centre, 1);
  }
}

}  // namespace
}  // namespace qs::test

namespace qs::test {
namespace {

// Files of one part on channel 0 with a conductor track of time signatures
// {tick, numerator, power of two of the denominator}.
struct TMeterAt {
  int Tick, Numerator, Power;
};
TBytesVec MeteredFile(const std::vector<TMeterAt>& meters, const std::vector<TNoteSpec>& notes) {
  TSmfFile f;
  TSmfTrack& conductor = f.Track();
  for (const TMeterAt& m : meters) conductor.TimeSignature(m.Tick, m.Numerator, m.Power);
  TSmfTrack& t = f.Track();
  t.Program(0, 0, 40);
  for (const TNoteSpec& n : notes) t.Note(0, n.Key, n.Start, n.Length);
  return f.Bytes();
}

constexpr int E = Q / 2, S = Q / 4;  // an eighth and a sixteenth

TEST_F(MidiNotation, NoNoteIsLostMergedOrCutShort) {
  struct TCase {
    const char* Name;
    std::vector<TMeterAt> Meters;
    std::vector<TNoteSpec> Notes;
    std::vector<std::string> Voices;  // measure 0, voice 0 then voice 1
    int Quantize = 32;
  };
  const TCase cases[] = {
      {"a 1/4 pickup of sixteenths, a pitch repeated",
       {{0, 1, 2}, {Q, 4, 2}},
       {{60, 0, S}, {62, S, S}, {64, 2 * S, S}, {64, 3 * S, S}, {65, Q, 4 * Q}},
       {"C5/32 D5/32 E5/32 E5/32", ""}},
      {"1/1 written for 2/2",
       {{0, 1, 0}},
       {{67, 0, 2 * Q}, {65, 2 * Q, Q}, {64, 3 * Q, E}, {62, 3 * Q + E, E}},
       {"G5/256 F5/128 E5/64 D5/64", ""}},
      {"dotted eighths and sixteenths, the sixteenth repeated by the beat",
       {},
       {{60, 0, 3 * S}, {62, 3 * S, S}, {64, Q, Q}, {67, 2 * Q, 3 * S}, {67, 2 * Q + 3 * S, S}, {67, 3 * Q, Q}},
       {"C5/64. D5/32 E5/128 G5/64. G5/32 G5/128", ""}},
      {"the same on a grid of eighths",
       {},
       {{60, 0, 3 * S}, {62, 3 * S, S}, {64, Q, Q}, {67, 2 * Q, 3 * S}, {67, 2 * Q + 3 * S, S}, {67, 3 * Q, Q}},
       {"C5/64 D5/64 E5/128 G5/64 G5/64 G5/128", ""},
       64},
      {"two 32nds of one key in one step of the grid",
       {},
       {{60, 0, S / 2}, {60, S / 2, S / 2}, {62, Q, 3 * Q}},
       {"C5/32 C5/32 r/64 D5/256.", ""}},
      {"the last note of an arpeggio before the chord on the beat",
       {},
       {{48, 0, S}, {55, S, S}, {60, 2 * S, S}, {64, 3 * S, S}, {60, Q, 3 * Q}, {64, Q, 3 * Q}},
       {"C4/32 G4/32 C5/32 E5/32 C5/256.+E5/256.", ""}},
      {"a half note over quarters",
       {},
       {{72, 0, 2 * Q}, {64, 0, Q}, {65, Q, Q}, {67, 2 * Q, 2 * Q}},
       {"E5/128 F5/128 G5/256", "C6/256"}},
      {"a dotted quarter over eighths in 6/8",
       {{0, 6, 3}},
       {{72, 0, 3 * E}, {60, 0, E}, {64, E, E}, {67, 2 * E, E}, {72, 3 * E, 3 * E}},
       {"C5/64 E5/64 G5/64 C6/128.", "C6/128."}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Import(MeteredFile(c.Meters, c.Notes), {.Quantize = c.Quantize});
    EXPECT_EQ(VoiceText(*Measure(0), 0x00), c.Voices[0]);
    EXPECT_EQ(VoiceText(*Measure(0), 0x01), c.Voices[1]);
  }
}

TEST_F(MidiNotation, MelodyHeldOverAnAccompanimentKeepsItsLength) {
  // A whole note of the melody over eighths, then a half and two quarters.
  std::vector<TNoteSpec> notes = {{76, 0, 4 * Q}, {74, 4 * Q, 2 * Q}, {72, 6 * Q, Q}, {71, 7 * Q, Q}};
  for (int i = 0; i < 16; ++i) notes.push_back({i % 2 ? 64 : 60, i * E, E});
  Import(MeteredFile({}, notes));
  EXPECT_EQ(VoiceText(*Measure(0), 0x00), "C5/64 E5/64 C5/64 E5/64 C5/64 E5/64 C5/64 E5/64");
  EXPECT_EQ(VoiceText(*Measure(0), 0x01), "E6/512");
  EXPECT_EQ(VoiceText(*Measure(1), 0x01), "D6/256 C6/128 B5/128");
}

}  // namespace
}  // namespace qs::test
