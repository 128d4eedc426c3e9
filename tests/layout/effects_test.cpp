// Playback effects: ornaments that add effect notes, arpeggios, fermatas,
// staccato, the four grace-note styles and the effects command.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "dynamics_fixture.h"
#include "layout/effects.h"
#include "layout_fixture.h"

namespace qs::test {
namespace {

constexpr uint8_t C5 = 0x50, D5 = 0x51, E5 = 0x52, G5 = 0x54, B4 = 0x46;

// One effect note: pitch, ticks after its note's position, length and
// accidental byte.
using TEffectNote = std::tuple<int, int, int, int>;

// The effect notes of a note that realise marks of a kind.
std::vector<TEffectNote> EffectNotes(const TQSNote& note, TQSItemType markKind) {
  std::vector<TEffectNote> out;
  for (TQSItem* item : note.Items)
    if (auto* e = dynamic_cast<TQSEffect*>(item); e && e->MarkKind == markKind)
      out.emplace_back(e->Fields.Pitch, e->Fields.Time - note.Fields.Time, e->Fields.Length, e->Fields.Accidental);
  return out;
}

class TEffectsScore : public TLayoutScore, public THostTable {
 public:
  TQSPiece* Piece = nullptr;

  explicit TEffectsScore(std::vector<int> staves = {1}, int measures = 3) { Piece = AddPiece(staves, measures); }
  TQSMeasure* M(int measure) const { return Piece->GetPart(0)->GetMeasure(measure); }
  bool Run(TQSItem* item) { return CalcNoteEffects(Score, item); }
};

// Each ornament on a note at tick 128: the note's playback length and the
// effect notes that follow it.
TEST(Effects, OrnamentsAddEffectNotes) {
  struct TCase {
    const char* name;
    TQSItemType type;
    int variant, value;
    uint8_t pitch;
    int written, real;
    bool inTuplet;
    int playLength;
    std::vector<TEffectNote> effects;
  } cases[] = {
      {"trill", kind::Trill, 0, 0, C5, 128, 128, false, 16,
       {{D5, 16, 16, 0}, {C5, 32, 16, 0}, {D5, 48, 16, 0}, {C5, 64, 16, 0}, {D5, 80, 16, 0}, {C5, 96, 16, 0},
        {D5, 112, 16, 0}}},
      {"trill kind 3, upper neighbour in the next octave", kind::Trill, 3, 0, B4, 128, 128, false, 16,
       {{C5, 16, 16, 52}, {B4, 32, 16, 0}, {C5, 48, 16, 0}, {B4, 64, 16, 0}, {C5, 80, 16, 0}, {B4, 96, 16, 0},
        {C5, 112, 16, 0}}},
      {"mordent kind 0", kind::Mordent, 0, 0, C5, 128, 128, false, 16, {{D5, 16, 16, 0}, {C5, 32, 96, 0}}},
      {"mordent kind 1, lower neighbour in the octave below", kind::Mordent, 1, 0, C5, 128, 128, false, 16,
       {{B4, 16, 16, 0}, {C5, 32, 96, 0}}},
      {"mordent kind 2", kind::Mordent, 2, 0, C5, 128, 128, false, 16,
       {{D5, 16, 16, 0}, {C5, 32, 16, 0}, {D5, 48, 16, 0}, {C5, 64, 64, 0}}},
      {"mordent kind 3", kind::Mordent, 3, 0, C5, 256, 256, false, 32,
       {{B4, 32, 32, 0}, {C5, 64, 32, 0}, {B4, 96, 32, 0}, {C5, 128, 128, 0}}},
      {"gruppetto", kind::Gruppetto, 0, 0, E5, 128, 128, false, 32, {{D5, 32, 32, 0}, {C5, 64, 32, 0}, {E5, 96, 32, 0}}},
      {"tremolo, one stroke", kind::Tremolo, 0, 1, G5, 128, 128, false, 64, {{G5, 64, 64, 0}}},
      {"tremolo, two strokes on a half", kind::Tremolo, 0, 2, G5, 256, 256, false, 64,
       {{G5, 64, 64, 0}, {G5, 128, 64, 0}, {G5, 192, 64, 0}}},
      {"tremolo, dotted quarter", kind::Tremolo, 0, 1, G5, 128, 192, false, 64, {{G5, 64, 64, 0}, {G5, 128, 64, 0}}},
      {"tremolo, double-dotted quarter", kind::Tremolo, 0, 1, G5, 128, 224, false, 32,
       {{G5, 32, 64, 0}, {G5, 96, 64, 0}, {G5, 160, 64, 0}}},
      {"tremolo in a triplet", kind::Tremolo, 0, 1, G5, 64, 42, true, 21, {{G5, 21, 21, 0}}},
      // At most 2^9 parts: here of no length, all at the note's end.
      {"tremolo with an absurd stroke count", kind::Tremolo, 0, 60, G5, 128, 128, false, 128,
       std::vector<TEffectNote>(511, TEffectNote{G5, 128, 0, 0})},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TEffectsScore s;
    if (c.inTuplet) {
      TQSMark* tuplet = s.Mark(s.M(0), kind::Tuplet, 128, 64, 3);
      tuplet->CalcTupletLengths();
    }
    TQSNote* note = s.Note(s.M(0), 128, c.written, c.pitch);
    note->Fields.RealLength = static_cast<uint16_t>(c.real);
    s.Mark(s.M(0), c.type, 128, c.value, c.variant);
    s.Layout();
    EXPECT_TRUE(s.Run(note));
    EXPECT_EQ(note->Fields.PlayOffset, 0);
    EXPECT_EQ(note->Fields.PlayLength, c.playLength);
    EXPECT_EQ(EffectNotes(*note, c.type), c.effects);
    EXPECT_EQ(note->ItemCount(), static_cast<int>(c.effects.size()));
  }
}

// The effect notes follow the ornaments: a second run keeps them, a run
// after the ornament is gone frees them (other attached items stay) and
// resets the playback fields.
TEST(Effects, EffectNotesFollowTheOrnaments) {
  TEffectsScore s;
  TQSNote* note = s.Note(s.M(0), 0, 128);
  CreateItemByKind(kind::Accidental, note);
  TQSMark* trill = s.Mark(s.M(0), kind::Trill);
  s.Mark(s.M(0), kind::Mordent);
  s.Layout();
  EXPECT_TRUE(s.Run(note));
  EXPECT_EQ(EffectNotes(*note, kind::Trill).size(), 7u);
  EXPECT_EQ(EffectNotes(*note, kind::Mordent).size(), 2u);
  // Running again reuses the effect notes: what else they hold stays.
  for (TQSItem* item : note->Items)
    if (auto* e = dynamic_cast<TQSEffect*>(item)) e->Fields.Velocity = 100;
  EXPECT_TRUE(s.Run(note));
  EXPECT_EQ(note->ItemCount(), 1 + 7 + 2);
  for (TQSItem* item : note->Items) {
    if (auto* e = dynamic_cast<TQSEffect*>(item)) {
      EXPECT_EQ(e->Fields.Velocity, 100);
    }
  }

  delete trill;
  EXPECT_TRUE(s.Run(note));
  EXPECT_EQ(EffectNotes(*note, kind::Mordent).size(), 2u);
  for (TQSItem* item : s.M(0)->Items)
    if (item->ItemType == kind::Mordent) {
      delete item;
      break;
    }
  EXPECT_TRUE(s.Run(note));
  EXPECT_EQ(note->ItemCount(), 1);
  EXPECT_EQ(note->GetItem(0)->ItemType, kind::Accidental);
  EXPECT_EQ(note->Fields.PlayLength, 0);
  EXPECT_FALSE(s.Run(note));
}

// An arpeggio delays the notes of its staff's chord by shares of the
// written length, up from the lowest or down from the highest; the host's
// speed sets the share, and speeds of 3 and more spread the chord over
// the whole written length instead of dividing by zero.
TEST(Effects, ArpeggioRollsTheChordOfItsStaff) {
  struct TCase {
    int style;
    std::optional<int> speed;
    std::vector<int> offsets;  // lowest note first
  } cases[] = {
      {0, std::nullopt, {0, 21, 42}}, {1, 2, {0, 21, 42}}, {2, 2, {42, 21, 0}}, {0, 0, {0, 10, 21}},
      {0, 3, {0, 42, 85}},            {0, 4, {0, 42, 85}}, {2, 9, {85, 42, 0}},
  };
  for (const TCase& c : cases) {
    TEffectsScore s({2});
    if (c.speed) {
      s.Amounts[{kind::Arpeggio, 0}] = *c.speed;
      s.Answer(s.Score);
    }
    std::vector<TQSNote*> chord = {s.Note(s.M(0), 0, 128, C5), s.Note(s.M(0), 0, 128, E5),
                                   s.Note(s.M(0), 0, 128, G5)};
    TQSNote* lower = s.Note(s.M(0), 0, 128, C5, MakeStaffVoice(1, 0));
    s.Mark(s.M(0), kind::Arpeggio)->Fields.Style = static_cast<uint8_t>(c.style);
    s.Layout();
    std::vector<int> offsets;
    for (TQSNote* n : chord) {
      s.Run(n);
      offsets.push_back(n->Fields.PlayOffset);
    }
    EXPECT_EQ(offsets, c.offsets) << c.style;
    EXPECT_FALSE(s.Run(lower));
    EXPECT_EQ(lower->Fields.PlayOffset, 0);
  }
}

// A fermata holds the notes of its staff (real length x (hold + 5) / 4);
// every run reports a change, since each starts from a reset length.
// Staccato halves the notes of its own voice at its position.
TEST(Effects, FermataAndStaccato) {
  TEffectsScore s({2});
  TQSNote* half = s.Note(s.M(0), 0, 256);
  TQSNote* other = s.Note(s.M(0), 0, 256, C5, MakeStaffVoice(1, 0));
  s.Mark(s.M(0), kind::Fermata);
  s.Layout();
  EXPECT_TRUE(s.Run(half));
  EXPECT_EQ(half->Fields.PlayLength, 384);
  EXPECT_TRUE(s.Run(half));
  EXPECT_FALSE(s.Run(other));
  s.Amounts[{kind::Fermata, 0}] = 3;
  s.Answer(s.Score);
  s.Run(half);
  EXPECT_EQ(half->Fields.PlayLength, 512);

  TQSNote* a = s.Note(s.M(1), 128, 128, C5);
  TQSNote* b = s.Note(s.M(1), 128, 128, E5);
  TQSNote* voice1 = s.Note(s.M(1), 128, 96, G5, MakeStaffVoice(0, 1));
  s.Mark(s.M(1), kind::Staccato, 128);
  EXPECT_TRUE(s.Run(a));
  EXPECT_EQ(a->Fields.PlayLength, 64);
  EXPECT_EQ(b->Fields.PlayLength, 64);
  EXPECT_FALSE(s.Run(voice1));
  EXPECT_EQ(voice1->Fields.PlayLength, 0);
}

// A grace group of two 32-tick grace notes in measure 1 in each of the four
// timing styles: the offsets of the grace notes and the playback fields of
// the notes of its voice (quarters in measures 0 to 2; every note not
// listed keeps 0 and 0).
TEST(Effects, GraceNoteTimingStyles) {
  struct TNoteFields {
    int measure, tick, offset, length;
    bool operator==(const TNoteFields&) const = default;
  };
  struct TCase {
    const char* name;
    int position;
    uint8_t flags;
    int duration;
    std::vector<int> graceOffsets;
    std::vector<TNoteFields> notes;
  } cases[] = {
      {"before, long: on the beat", 128, 0, 0, {0, 32}, {{1, 128, 64, 64}}},
      {"before, long, duration 16", 128, 0, 16, {0, 16}, {{1, 128, 32, 96}}},
      {"before, short: before the beat", 128, TQSVorschlag::kShortStyle, 0, {-64, -32}, {{1, 0, 0, 64}}},
      {"before, short, at the barline", 0, TQSVorschlag::kShortStyle, 0, {-64, -32}, {{0, 384, 0, 64}}},
      {"after, long: the end of the main note", 128, TQSVorschlag::kAfter, 0, {64, 96}, {{1, 128, 0, 64}}},
      {"after, short: the next note waits", 128, TQSVorschlag::kAfter | TQSVorschlag::kShortStyle, 0, {128, 160},
       {{1, 256, 64, 64}}},
      {"after, short, across the barline", 384, TQSVorschlag::kAfter | TQSVorschlag::kShortStyle, 0, {128, 160},
       {{2, 0, 64, 64}}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TEffectsScore s;
    for (int m = 0; m < 3; ++m) s.Quarters(s.M(m));
    auto* group = static_cast<TQSVorschlag*>(CreateItemByKind(kind::Vorschlag, s.M(1)));
    group->Fields.Time = static_cast<uint16_t>(c.position);
    group->Fields.Flags = c.flags;
    group->Fields.Duration = static_cast<uint16_t>(c.duration);
    std::vector<TQSNote*> graces;
    for (int i = 0; i < 2; ++i) {
      graces.push_back(static_cast<TQSNote*>(CreateItemByKind(kind::Note, group)));
      graces.back()->Fields.Time = static_cast<uint16_t>(c.position);
      graces.back()->Fields.Length = graces.back()->Fields.RealLength = 32;
    }
    s.M(1)->SortItems();
    s.Layout();
    EXPECT_TRUE(s.Run(group));

    std::vector<int> offsets;
    for (TQSNote* g : graces) offsets.push_back(g->Fields.PlayOffset);
    EXPECT_EQ(offsets, c.graceOffsets);
    std::vector<TNoteFields> changed;
    for (int m = 0; m < 3; ++m)
      for (TQSItem* item : s.M(m)->Items)
        if (auto* n = dynamic_cast<TQSNote*>(item); n && (n->Fields.PlayOffset || n->Fields.PlayLength))
          changed.push_back({m, n->Fields.Time, n->Fields.PlayOffset, n->Fields.PlayLength});
    EXPECT_EQ(changed, c.notes);
  }
}

// At a position the notes are recomputed before the grace groups, so a
// repeated run gives the same fields; the effects command runs a grace
// group once however many of its grace notes are selected, and only with
// a view.
TEST(Effects, RecomputingAtAPositionAndTheEffectsCommand) {
  TEffectsScore s;
  s.Quarters(s.M(0));
  TQSNote* main = static_cast<TQSNote*>(s.M(0)->GetItem(1));
  auto* group = static_cast<TQSVorschlag*>(CreateItemByKind(kind::Vorschlag, s.M(0)));
  group->Fields.Time = 128;
  std::vector<TQSItem*> selection = {main};
  for (int i = 0; i < 2; ++i) {
    auto* g = static_cast<TQSNote*>(CreateItemByKind(kind::Note, group));
    g->Fields.Time = 128;
    g->Fields.Length = g->Fields.RealLength = 32;
    selection.push_back(g);
  }
  s.Mark(s.M(0), kind::Trill, 128);
  s.M(0)->SortItems();
  s.Layout();

  for (int run = 0; run < 2; ++run) {
    s.M(0)->CalcEffectsAt(128);
    EXPECT_EQ(main->Fields.PlayOffset, 64);
    EXPECT_EQ(main->Fields.PlayLength, 64);
    EXPECT_EQ(main->ItemCount(), 7);
  }

  main->Fields.PlayOffset = 0;
  TEventLog log(s.Score);
  const std::vector<std::string>& events = log.Events;
  CalcEffects(s.Score, selection);
  EXPECT_EQ(main->Fields.PlayOffset, 0);
  EXPECT_TRUE(events.empty());

  TRecordingView view;
  s.Score.AttachWindow(&view);
  CalcEffects(s.Score, selection);
  EXPECT_EQ(main->Fields.PlayOffset, 64);
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events[events.size() - 2], "changed");
  EXPECT_EQ(events.back(), "recalculate");
  s.Score.DetachWindow(&view);
}

}  // namespace
}  // namespace qs::test
