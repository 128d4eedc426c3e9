// Marks and texts: lyrics of several verses, dynamics and hairpins, tempo
// terms, chord symbols, guitar frames, bends, marks placed at their note,
// user symbols, and how notes, effect notes and marks sound.
#include <gtest/gtest.h>

#include "content_fixture.h"
#include "layout/metrics.h"

namespace qs::test {
namespace {

constexpr uint8_t C5 = 0x50, D5 = 0x51, F5 = 0x53;

// Two verses under four quarters: each syllable is centred on its note,
// measured (and the size stored in it), linked to the next syllable of its
// own verse line only; a hyphenated syllable starts halfway between the
// syllable before it and its own place, less a hyphen's width.
TEST(LayoutMarks, LyricsOfTwoVerses) {
  TContentScore s(1);
  s.Quarters(s.Measure(0));
  const struct {
    int Tick, Verse;
    const char16_t* Text;
    bool Hyphen;
  } syllables[] = {{0, 0, u"Twin", false}, {128, 0, u"kle", true}, {256, 0, u"lit", false},
                   {0, 1, u"Up", false},   {128, 1, u"a", false},   {256, 1, u"bove", true}};
  std::vector<TQSLyric*> lyrics;
  for (const auto& t : syllables) {
    std::string text;
    for (const char16_t* p = t.Text; *p; ++p) text += static_cast<char>(*p);
    TQSLyric* l = s.Text(s.Measure(0), kind::Lyric, t.Tick, {text});
    l->Fields.Verse = static_cast<uint8_t>(t.Verse);
    l->Fields.OffsetY = static_cast<int16_t>(t.Verse ? 400 : 240);
    if (t.Hyphen) l->Fields.Flags = TQSLyric::kHyphen;
    lyrics.push_back(l);
  }
  // A syllable of a staff and voice the part does not have moves to its
  // last ones.
  TQSLyric* stray = s.Text(s.Measure(0), kind::Lyric, 384, {"star"});
  stray->Fields.StaffVoice = MakeStaffVoice(3, 5);
  stray->Fields.Verse = 2;
  s.Layout();

  const TQSCalcMeasure& slot = s.SlotOf(0);
  const int height = TextHeight(64) + 24;
  const int hyphen = Width("Arial", 64, u"-");
  for (size_t i = 0; i < lyrics.size(); ++i) {
    const auto& t = syllables[i];
    const int w = TextLineWidth(t.Text);
    EXPECT_EQ(lyrics[i]->Fields.Width, w) << i;
    EXPECT_EQ(lyrics[i]->Fields.Height, height) << i;
    const TQSCalcItem& e = s.One(slot, lyrics[i]);
    const int top = kFirstRowTop + (t.Verse ? 400 : 240);
    EXPECT_EQ(e.Box2, (TRect{s.X(slot, t.Tick) - w / 2, top, s.X(slot, t.Tick) - w / 2 + w, top + height})) << i;
    int left = e.Box2.Left;
    if (t.Hyphen) left = (left + s.One(slot, lyrics[i - 1]).Box.Right - hyphen) / 2;
    EXPECT_EQ(e.Box.Left, left) << i;
    EXPECT_EQ(e.State, 0) << i;  // the spacing of the lyrics has seen it
  }
  EXPECT_EQ(lyrics[0]->Next, lyrics[1]);
  EXPECT_EQ(lyrics[1]->Next, lyrics[2]);
  EXPECT_EQ(lyrics[2]->Next, nullptr);
  EXPECT_EQ(lyrics[3]->Next, lyrics[4]);
  EXPECT_EQ(lyrics[4]->Next, lyrics[5]);
  EXPECT_EQ(lyrics[5]->Next, nullptr);
  EXPECT_EQ(stray->Fields.StaffVoice, 0);
  EXPECT_EQ(s.Row(0, 0).Lyrics.size(), 7u);
}

// Dynamics marks and hairpins fill the measure's dynamics table; a hairpin
// ends at the tick its length reaches, also in the next measure.
TEST(LayoutMarks, DynamicsAndHairpins) {
  TContentScore s(2);
  for (int m = 0; m < 2; ++m) s.Quarters(s.Measure(m));
  TQSMark* piano = s.Mark(s.Measure(0), kind::Dynamics, 0, 0, 0);
  TQSMark* cresc = s.Mark(s.Measure(0), kind::Dynamics, 128, 256, dynamic::kCrescendo);
  TQSMark* accent = s.Mark(s.Measure(0), kind::Accent, 256, 0, 0);
  TQSMark* dim = s.Mark(s.Measure(0), kind::Dynamics, 384, 256, dynamic::kDiminuendo);
  TQSMark* unknown = s.Mark(s.Measure(0), kind::Dynamics, 0, 0, 13);
  for (TQSMark* m : {piano, cresc, dim, unknown}) m->Fields.OffsetY = 300;
  dim->Fields.Style = 6;  // opening 48
  s.Layout();

  const TQSCalcMeasure& slot = s.SlotOf(0);
  const struct {
    const TQSMark* Mark;
    int Start, End, AtTick;
  } table[] = {{piano, 0, 0, 0}, {cresc, 128, 256, 0}, {accent, 256, 0, 1}, {dim, 384, 256, 0}, {unknown, 0, 0, 0}};
  ASSERT_EQ(slot.DynamicCount, 5);
  for (int i = 0; i < 5; ++i) {
    const TQSCalcDynamic& d = slot.Dynamics[i];
    EXPECT_EQ(d.Item, table[i].Mark) << i;
    EXPECT_EQ(d.StartTick, table[i].Start) << i;
    EXPECT_EQ(d.EndTick, table[i].End) << i;
    EXPECT_EQ(d.AtTickOnly, table[i].AtTick) << i;
    EXPECT_EQ(d.PartIndex, 0);
    EXPECT_EQ(d.StartVelocity, 64);
    EXPECT_EQ(d.EndVelocity, 64);
  }
  const int y = kFirstRowTop + 300;
  const int g = MusicWidth(128, 'i');
  EXPECT_EQ(s.Rel(slot, 0, s.One(slot, piano)), (TRect{-g / 2, y - 48, g, y + 48}));
  EXPECT_EQ(s.Rel(slot, 0, s.One(slot, unknown)), (TRect{0, y - 48, 0, y + 48}));
  const TQSCalcItem& c = s.One(slot, cresc);
  EXPECT_EQ(c.Param, 256);
  EXPECT_EQ(c.Box, (TRect{s.X(slot, 128) - 32, y - 32, s.X(slot, 384) + 32, y + 32}));
  const TQSCalcItem& d = s.One(slot, dim);
  EXPECT_EQ(d.State, 2);
  EXPECT_EQ(d.Box, (TRect{s.X(slot, 384) - 32, y - 48, s.X(s.SlotOf(1), 128) + 32, y + 48}));
}

// A tempo term the host knows speeds the page's time up by its
// percentage from its tick on and becomes an event; other inscriptions go
// to the dynamics table.
TEST(LayoutMarks, TempoTerms) {
  TContentScore s(1);
  s.Quarters(s.Measure(0));
  s.Score.OnGetTerms = [](TObject*, int kind, const std::vector<std::string>& text, int& v1, int&) {
    if (kind != 2 || text.front() != "Allegro") return false;
    v1 = 10;
    return true;
  };
  TQSLyric* term = s.Text(s.Measure(0), kind::Term, 256, {"Allegro"});
  TQSLyric* word = s.Text(s.Measure(0), kind::Term, 0, {"dolce"});
  s.Layout();

  const TQSCalcMeasure& slot = s.SlotOf(0);
  const TQSCalcEvent* ev = s.EventOf(slot, term);
  ASSERT_NE(ev, nullptr);
  EXPECT_EQ(ev->Tick, 256);
  EXPECT_EQ(ev->Duration, 110);
  const double before = 60000.0 / s.Piece->Tempo() / 128;
  EXPECT_DOUBLE_EQ(slot.Tempo[0].MsPerTick, before * 0.9);
  EXPECT_DOUBLE_EQ(slot.EndMs - slot.StartMs, 256 * before + 256 * before * 0.9);
  ASSERT_EQ(slot.DynamicCount, 1);
  EXPECT_EQ(slot.Dynamics[0].Item, word);
}

// The sharps and flats of a chord symbol are measured as the music signs
// they are drawn as, in a score of this program as in an imported one.
TEST(LayoutMarks, ChordSymbolSignsAreMusicGlyphs) {
  TContentScore s(1);
  ASSERT_FALSE(s.Score.MarksClearOfTheMusic);
  auto* chord = static_cast<TQSChord*>(CreateItemByKind(kind::Chord, s.Measure(0)));
  chord->Fields.Time = 128;
  for (const char* text : {"Bb", "7", "#11"}) {
    TQSChordFragment fragment;
    fragment.Text = text;
    chord->Patterns.push_back(fragment);
  }
  s.Layout();
  const int sign = ChordSignSize(64);
  const auto& p = chord->Patterns;
  EXPECT_EQ(p[0].EndX, Width("Arial", 64, u"B") + MusicWidth(sign, glyphs::AccidentalFlat));
  EXPECT_EQ(p[2].EndX - p[2].StartX, MusicWidth(sign, glyphs::AccidentalSharp) + Width("Arial", 64, u"11"));
}

// A chord symbol's fragments follow one another, an anchored one starts
// where its anchor ends, and levels shift them vertically; the box covers
// them all, centred on the symbol's offset.
TEST(LayoutMarks, ChordSymbol) {
  TContentScore s(1);
  auto* chord = static_cast<TQSChord*>(CreateItemByKind(kind::Chord, s.Measure(0)));
  chord->Fields.Time = 128;
  chord->Fields.OffsetY = -200;
  const struct {
    const char* Text;
    uint8_t Size, Anchor;
    int16_t Level;
  } fragments[] = {{"C", 0, 0, 0}, {"maj", 6, 1, 0}, {"7", 0, 0, -1}};
  for (const auto& f : fragments) {
    TQSChordFragment fragment;
    fragment.Text = f.Text;
    fragment.Fields.Size = f.Size;
    fragment.Fields.Anchor = f.Anchor;
    fragment.Fields.Level = f.Level;
    chord->Patterns.push_back(fragment);
  }
  s.Layout();

  const int w0 = Width("Arial", 64, u"C"), w1 = Width("Arial", 48, u"maj"), w2 = Width("Arial", 64, u"7");
  const auto& p = chord->Patterns;
  EXPECT_EQ(p[0].StartX, 0);
  EXPECT_EQ(p[0].EndX, w0);
  EXPECT_EQ(p[1].StartX, w0);
  EXPECT_EQ(p[1].EndX, w0 + w1);
  EXPECT_EQ(p[2].StartX, w0);
  EXPECT_EQ(p[2].EndX, w0 + w2);
  EXPECT_EQ(p[0].Y, 32);
  EXPECT_EQ(p[2].Y, 0);
  const int width = std::max(w0 + w1, w0 + w2);
  const int top = -32, bottom = std::max(TextHeight(64), TextHeight(48));
  const TQSCalcMeasure& slot = s.SlotOf(0);
  EXPECT_EQ(s.Rel(slot, 128, s.One(slot, chord)),
            (TRect{-width / 2, kFirstRowTop - 248 + top, width, kFirstRowTop - 248 + bottom}));
}

// A guitar frame is 48 units per string and per fret row wide and high,
// with room for a first-fret number of one or two digits, or for the nut.
TEST(LayoutMarks, GuitarFrames) {
  const struct {
    int StartFret, Width, Height;
  } cases[] = {{0, 288, 5 * 48 + 80 + 16}, {4, 288 + 48, 5 * 48 + 80}, {9, 288 + 64, 5 * 48 + 80}};
  for (const auto& t : cases) {
    TContentScore s(1);
    auto* frame = static_cast<TQSFrame*>(CreateItemByKind(kind::Frame, s.Measure(0)));
    frame->SetStringCount(6);
    frame->Fields.StartFret = static_cast<uint8_t>(t.StartFret);
    frame->Fields.OffsetY = -400;
    s.Layout();
    const TQSCalcMeasure& slot = s.SlotOf(0);
    const int top = kFirstRowTop - 400 - 48;
    EXPECT_EQ(s.Rel(slot, 0, s.One(slot, frame)), (TRect{-t.Width / 2, top, t.Width, top + t.Height})) << t.StartFret;
  }
}

// A bend: Box2 is its curve from its foot, Box adds room for the arrow and
// the label above (bends with a release: below).
TEST(LayoutMarks, Bends) {
  for (const uint8_t variant : {1, 3, 5}) {
    TContentScore s(1);
    auto* bend = static_cast<TQSBend*>(CreateItemByKind(kind::Bend, s.Measure(0)));
    bend->SetShape(variant);
    bend->Fields.Time = 128;
    bend->Fields.OffsetY = 100;
    s.Layout();
    const TQSCalcMeasure& slot = s.SlotOf(0);
    const TQSCalcItem& e = s.One(slot, bend);
    const int width = variant == 1 ? 80 : variant == 3 ? 160 : 240;
    const int x = s.X(slot, 128), foot = kFirstRowTop + 100;
    EXPECT_EQ(e.Box2, (TRect{x, foot - 160, x + width, foot})) << int(variant);
    const TRect box = variant > 2 ? TRect{x - 32, foot - 160, x - 32 + width + 64, foot + 64}
                                  : TRect{x - 32, foot - 224, x - 32 + width + 64, foot};
    EXPECT_EQ(e.Box, box) << int(variant);
  }
}

// Marks at a note (style bit 4) stand beside its head, on the side away
// from its stem; others stand at their offsets on their staff's row. The
// glyphs and letters measured are those drawn.
TEST(LayoutMarks, MarksAndSymbols) {
  const TLayoutInstalled fonts;
  const int g = MusicWidth(128, 'g');
  const int five = Width("Arial", 56, u"5"), index = Width("Arial", 72, u"i"), h = Width("Arial", 64, u"H");
  const int turn = MusicWidth(128, '}');
  // The note's head: C5, top 792, bottom 840.
  const struct {
    const char* Name;
    TQSItemType Type;
    int Variant, Value;
    uint8_t Style;
    bool Down, Displaced;
    TRect Box;
  } cases[] = {
      {"staccato above a stem-down note", kind::Staccato, 0, 0, 0x10, true, false, {-20, 728, 40, 760}},
      {"staccato below a stem-up note", kind::Staccato, 0, 0, 0x10, false, false, {-20, 872, 40, 904}},
      {"staccato at its offset", kind::Staccato, 0, 0, 0, false, false, {-20, 560, 40, 592}},
      {"staccato at a displaced head", kind::Staccato, 0, 0, 0x10, false, true, {-20 + HeadWidth('5'), 872, 40, 904}},
      {"portamento", kind::Portamento, 0, 0, 0x10, false, false, {-40, 872, 80, 904}},
      {"hi-hat above", kind::HiHat1, 0, 0, 0x10, false, false, {-g / 2, 568, g, 632}},
      {"hi-hat below", kind::HiHat1, 0, 0, 0x10, true, false, {-g / 2, 1000, g, 1064}},
      {"hand reaching down", kind::Hand, 0, 2, 0x10, false, false, {-32, 552, 56, 664}},
      {"hand reaching up", kind::Hand, 1, 2, 0x10, false, false, {-32, 536, 56, 648}},
      {"tremolo at a stem-up note", kind::Tremolo, 0, 2, 0x10, false, false, {0, 696, 48, 760}},
      {"tremolo at a stem-down note", kind::Tremolo, 0, 2, 0x10, true, false, {-48, 872, 48, 936}},
      {"finger 5", kind::Finger, 5, 0, 0, false, false, {-five / 2, 528, five, 624}},
      {"finger i", kind::Finger, 12, 0, 0, false, false, {-index / 2, 528, index, 624}},
      {"hammer-on", kind::Hammer, 0, 0, 0, false, false, {-h / 2, 528, h, 624}},
      {"turn", kind::Gruppetto, 1, 0, 0, false, false, {-turn / 2, 528, turn, 624}},
      {"user symbol", kind::UserSymbolMark, 0, 0, 0, false, false, {-50, 576, 100, 636}},
  };
  for (const auto& t : cases) {
    TContentScore s(1);
    s.Score.AddUserSymbol("sym")->Fields = {100, 60};
    TQSNote* note = s.Note(s.Measure(0), 0, 128, C5);
    note->SetStemDown(t.Down);
    note->SetHeadDisplaced(t.Displaced);
    TQSMark* mark = s.Mark(s.Measure(0), t.Type, 0, t.Value, t.Variant);
    mark->Fields.Style = t.Style;
    s.Layout();
    const TQSCalcMeasure& slot = s.SlotOf(0);
    EXPECT_EQ(s.Rel(slot, 0, s.One(slot, mark)), t.Box) << t.Name;
  }
  // A user symbol the score does not have shows nothing.
  TContentScore s(1);
  TQSMark* missing = s.Mark(s.Measure(0), kind::UserSymbolMark, 0, 0);
  s.Layout();
  EXPECT_TRUE(s.Of(s.SlotOf(0), missing).empty());
}

// Channels and programs: a voice's own, else its part's; channels beyond
// 15 become 0. Effect notes sound with their note, at the key of their own
// pitch under the key signature (an ornament's own accidental instead);
// the last effect decides whether the note's event is a tremolo.
TEST(LayoutMarks, HowNotesAndEffectsSound) {
  TContentScore s(1);
  s.Part()->Fields.Channel = 3;
  s.Part()->Fields.Instrument = 40;
  TQSVoice* second = s.Part()->GetStaff(0)->NewVoice();
  second->Fields.Instrument = 10;
  second->Fields.Channel = 20;
  s.Mark(s.Measure(0), kind::Key, 0, 0, 1);  // G major
  TQSNote* a = s.Note(s.Measure(0), 0, 128, C5);
  TQSNote* b = s.Note(s.Measure(0), 0, 128, C5, MakeStaffVoice(0, 1));
  auto effect = [&](uint8_t pitch, int time, TQSItemType markKind, uint8_t accidental) {
    auto* e = static_cast<TQSEffect*>(CreateItemByKind(kind::Effect, a));
    e->Fields.Pitch = pitch;
    e->Fields.Time = static_cast<uint16_t>(time);
    e->MarkKind = markKind;
    e->Fields.Accidental = accidental;
    return e;
  };
  TQSEffect* lowered = effect(D5, 16, kind::Trill, 50);
  TQSEffect* inKey = effect(F5, 32, kind::Tremolo, 0);
  s.Layout();

  EXPECT_EQ(a->MidiChannel, 3);
  EXPECT_EQ(a->MidiProgram, 40);
  EXPECT_EQ(a->Voice, s.Part()->GetStaff(0)->GetVoice(0));
  EXPECT_EQ(b->MidiChannel, 0);
  EXPECT_EQ(b->MidiProgram, 10);
  EXPECT_EQ(b->Voice, second);
  EXPECT_EQ(lowered->SoundingKey, 61);
  EXPECT_EQ(inKey->SoundingKey, 66);
  EXPECT_EQ(inKey->MidiChannel, 3);
  EXPECT_EQ(inKey->Voice, a->Voice);
  const TQSCalcMeasure& slot = s.SlotOf(0);
  EXPECT_EQ(s.EventOf(slot, a)->Tremolo, 1);
  EXPECT_EQ(s.EventOf(slot, b)->Tremolo, 0);
  EXPECT_EQ(s.EventOf(slot, lowered)->Tick, 16);
  EXPECT_EQ(s.EventOf(slot, inKey)->Tick, 32);
}

// On a percussion staff notes play on channel 9 at the drum map's key for
// their written key and head; an open hi-hat mark opens the closed hi-hats
// at its tick; grace notes play there too. Pedal and portamento marks
// sound on their voice's channel.
TEST(LayoutMarks, PercussionAndPlayingMarks) {
  TContentScore s(1);
  static_cast<TQSMark*>(s.Measure(0)->GetItem(0))->Fields.Kind = clef::Percussion1;
  s.Score.AddDrumInstrument("Kick", 0, 0, 'x', 0, "", 100, 0);
  s.Score.SetDrumMapEntry(36, "Bass drum", 0, 58, 1);
  TQSNote* kick = s.Note(s.Measure(0), 0, 128, C5);
  kick->Fields.HeadStyle = headstyle::FirstDrum;
  TQSNote* hat = s.Note(s.Measure(0), 128, 128, 0x33);  // F sharp 3: key 42
  s.Attach(hat, kind::Accidental, 2);
  TQSNote* closed = s.Note(s.Measure(0), 256, 128, 0x33);
  s.Attach(closed, kind::Accidental, 2);
  s.Mark(s.Measure(0), kind::HiHat2, 128);
  auto* group = static_cast<TQSVorschlag*>(CreateItemByKind(kind::Vorschlag, s.Measure(0)));
  group->Fields.Time = 384;
  auto* grace = static_cast<TQSNote*>(CreateItemByKind(kind::Note, group));
  grace->Fields.Pitch = C5;
  grace->Fields.Length = 64;
  s.Note(s.Measure(0), 384, 128, D5);
  TQSMark* pedal = s.Mark(s.Measure(0), kind::Pedal, 0);
  TQSMark* glide = s.Mark(s.Measure(0), kind::Portamento, 0);
  glide->Fields.Style = TQSMark::kStyleAttached;
  s.Part()->Fields.Channel = 5;
  s.Layout();

  EXPECT_EQ(kick->SoundingKey, 36);
  EXPECT_EQ(kick->MidiChannel, 9);
  EXPECT_EQ(kick->MidiProgram, 0);
  EXPECT_EQ(hat->SoundingKey, 46);
  EXPECT_EQ(closed->SoundingKey, 42);
  EXPECT_EQ(grace->MidiChannel, 9);
  const TQSCalcMeasure& slot = s.SlotOf(0);
  ASSERT_NE(s.EventOf(slot, pedal), nullptr);
  EXPECT_EQ(pedal->LayoutByte, 5);
  EXPECT_EQ(pedal->Voice, s.Part()->GetStaff(0)->GetVoice(0));
  ASSERT_NE(s.EventOf(slot, glide), nullptr);
  EXPECT_EQ(s.EventOf(slot, glide)->Duration, 128);
}

}  // namespace
}  // namespace qs::test
