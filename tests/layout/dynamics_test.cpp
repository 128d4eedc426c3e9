// Note velocities from the dynamics tables the layout pass builds: levels,
// hairpins, accents, inscriptions, brackets and the velocity command.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "dynamics_fixture.h"
#include "layout/dynamics.h"
#include "layout_fixture.h"

namespace qs::test {
namespace {

// A laid-out score whose host answers from a table (64 for anything else)
// and evaluates the dynamics tables at the end of every pass.
class TDynamicsScore : public TLayoutScore, public THostTable {
 public:
  TQSPiece* Piece = nullptr;

  TDynamicsScore(std::vector<int> staves, int measures) {
    Answer(Score);
    Score.AutoVelocity = true;
    Piece = AddPiece(staves, measures);
  }
  TQSMeasure* M(int part, int measure) const { return Piece->GetPart(part)->GetMeasure(measure); }
  int Velocity(int part, int measure, int tick) const { return DynamicsVelocity(*Piece, *M(part, measure), tick); }
  TQSLyric* Term(int measure, int tick, const std::string& text) const {
    auto* term = static_cast<TQSLyric*>(CreateItemByKind(kind::Term, M(0, measure)));
    term->Fields.Time = static_cast<uint16_t>(tick);
    term->Lines = {text};
    return term;
  }
};

// With the host answering 84 for ff, a ff at measure 2 holds for its part
// from there on; the other part and the measures before stay at 64. Notes
// take the velocity in force; without AutoVelocity nothing is evaluated.
TEST(Dynamics, LevelHoldsForItsPartFromItsTick) {
  TDynamicsScore s({1, 1}, 6);
  s.Amounts[{kind::Dynamics, 7}] = 84;
  s.Mark(s.M(0, 2), kind::Dynamics, 0, 0, 7);
  for (int m = 0; m < 6; ++m) {
    s.Quarters(s.M(0, m));
    s.Quarters(s.M(1, m));
  }
  s.Layout();

  struct TCase {
    int part, measure, tick, velocity;
  } cases[] = {{0, 1, 384, 64}, {0, 2, 0, 84}, {0, 2, 256, 84}, {0, 5, 384, 84}, {1, 2, 0, 64}, {1, 5, 0, 64}};
  for (const TCase& c : cases) EXPECT_EQ(s.Velocity(c.part, c.measure, c.tick), c.velocity) << c.measure;

  CalcVelocities(*s.Piece->GetPart(0), 0, 0, true);
  CalcVelocities(*s.Piece->GetPart(1), 0, 0, true);
  for (const TCase& c : cases) {
    TQSNote* note = nullptr;
    for (TQSItem* item : s.M(c.part, c.measure)->Items)
      if (item->ItemType == kind::Note && item->TimePosition() == c.tick) note = static_cast<TQSNote*>(item);
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->Fields.Velocity, c.velocity);
  }

  s.Score.AutoVelocity = false;
  s.Layout();
  EXPECT_EQ(s.Velocity(0, 5, 0), 64);
}

// A hairpin changes the level by the host's amount over its span; before
// its start in its own measure the level before it holds.
TEST(Dynamics, HairpinInterpolatesOverItsSpan) {
  struct TCase {
    int subkind, amount, atStart, halfway, atEnd;
  } cases[] = {
      {50, 30, 64, 79, 94},   // crescendo
      {51, 30, 64, 49, 34},   // diminuendo
      {50, 100, 64, 95, 127}, // the end level stays within 0..127
  };
  for (const TCase& c : cases) {
    TDynamicsScore s({1}, 4);
    s.Amounts[{kind::Dynamics, c.subkind}] = c.amount;
    s.Mark(s.M(0, 0), kind::Dynamics, 128, 512, c.subkind);
    s.Layout();
    EXPECT_EQ(s.Velocity(0, 0, 0), 64);
    EXPECT_EQ(s.Velocity(0, 0, 128), c.atStart);
    EXPECT_EQ(s.Velocity(0, 0, 384), c.halfway);
    EXPECT_EQ(s.Velocity(0, 1, 128), c.atEnd);
    EXPECT_EQ(s.Velocity(0, 3, 0), c.atEnd);
  }
}

// A crescendo from p to f over two measures: every eighth note is louder
// than the one before, from the p level to the f level, each at
// p + amount x distance / span.
TEST(Dynamics, CrescendoFromPianoToForteRisesNoteByNote) {
  TDynamicsScore s({1}, 4);
  s.Amounts = {{{kind::Dynamics, 0}, 54}, {{kind::Dynamics, 6}, 74}, {{kind::Dynamics, 50}, 20}};
  s.Mark(s.M(0, 0), kind::Dynamics, 0, 0, 0);
  s.Mark(s.M(0, 0), kind::Dynamics, 0, 1024, dynamic::kCrescendo);
  s.Mark(s.M(0, 2), kind::Dynamics, 0, 0, 6);
  for (int m = 0; m < 3; ++m)
    for (int t = 0; t < 512; t += 64) s.Note(s.M(0, m), t, 64);
  s.Layout();
  CalcVelocities(*s.Piece->GetPart(0), 0, 0, true);

  int previous = -1, distance = 0;
  for (int m = 0; m < 2; ++m)
    for (TQSItem* item : s.M(0, m)->Items) {
      auto* note = dynamic_cast<TQSNote*>(item);
      if (!note) continue;
      EXPECT_EQ(note->Fields.Velocity, 54 + 20 * distance / 1024) << distance;
      EXPECT_GT(note->Fields.Velocity, previous);
      previous = note->Fields.Velocity;
      distance += 64;
    }
  EXPECT_EQ(s.Velocity(0, 0, 0), 54);
  EXPECT_EQ(s.Velocity(0, 2, 0), 74);
  EXPECT_EQ(s.Velocity(0, 2, 448), 74);
}

// An accent adds its amount to the level in force for its own tick only,
// and never goes past 127.
TEST(Dynamics, AccentRaisesOnlyItsOwnNote) {
  TDynamicsScore s({1}, 2);
  s.Amounts = {{{kind::Dynamics, 6}, 120}, {{kind::Dynamics, 0}, 54}, {{kind::Accent, 0}, 20}};
  s.Mark(s.M(0, 0), kind::Dynamics, 0, 0, 6);
  s.Mark(s.M(0, 0), kind::Accent, 128);
  s.Mark(s.M(0, 1), kind::Dynamics, 0, 0, 0);
  s.Mark(s.M(0, 1), kind::Accent, 256);
  s.Layout();
  EXPECT_EQ(s.Velocity(0, 0, 0), 120);
  EXPECT_EQ(s.Velocity(0, 0, 128), 127);
  EXPECT_EQ(s.Velocity(0, 0, 256), 120);
  EXPECT_EQ(s.Velocity(0, 1, 256), 74);
  EXPECT_EQ(s.Velocity(0, 1, 257), 54);
}

// Inscriptions the host knows as dynamics terms: a relative term spreads
// its change to the end of its measure, an absolute one sets the level;
// an unknown text is marked and ignored.
TEST(Dynamics, InscriptionsAsTerms) {
  TDynamicsScore s({1}, 4);
  s.Amounts[{kind::Dynamics, 0}] = 54;
  s.Score.OnGetTerms = [](TObject*, int kind, const std::vector<std::string>& text, int& v1, int& v2) {
    if (kind != 1) return false;
    if (text[0] == "cresc. poco") return v1 = 1, v2 = 20, true;
    if (text[0] == "forte") return v1 = 0, v2 = 100, true;
    return false;
  };
  s.Mark(s.M(0, 0), kind::Dynamics, 0, 0, 0);
  TQSLyric* unknown = s.Term(0, 128, "dolce");
  s.Term(1, 0, "cresc. poco");
  s.Term(3, 0, "forte");
  s.Layout();

  EXPECT_EQ(s.Velocity(0, 0, 256), 54);
  EXPECT_EQ(s.Velocity(0, 1, 256), 64);
  EXPECT_EQ(s.Velocity(0, 2, 0), 74);
  EXPECT_EQ(s.Velocity(0, 3, 0), 100);
  const TQSCalcMeasure* slot = dynamic_cast<const TQSCalcMeasure*>(s.Piece->Slots[0]);
  ASSERT_EQ(slot->DynamicCount, 2);
  EXPECT_EQ(slot->Dynamics[1].Item, unknown);
  EXPECT_EQ(slot->Dynamics[1].NoValue, 1);

  // Without a host for terms an inscription stands for level 64.
  s.Score.OnGetTerms = nullptr;
  s.Layout();
  EXPECT_EQ(s.Velocity(0, 0, 256), 64);
}

// An enclosed note gets the host's bracket amount, a signed 16-bit value,
// limited to 0..127.
TEST(Dynamics, BracketVelocity) {
  struct TCase {
    int enclosure, velocity;
    bool host;
    int amount, expected;
  } cases[] = {
      {1, 10, true, -20, 0},     {1, 100, true, -20, 80},   {3, 100, true, 65516, 80},
      {2, 120, true, 20, 127},   {0, 100, true, -20, 100},  {1, 100, false, 0, 100},
  };
  for (const TCase& c : cases) {
    TQSScore score;
    if (c.host) score.OnGetDinamics = [&c](TObject*, int type, int) { return type == kind::Liga ? c.amount : 64; };
    EXPECT_EQ(BracketVelocity(score, c.enclosure << 2, c.velocity), c.expected) << c.velocity << " " << c.amount;
  }
}

// Measure lengths are summed from the slots; measure numbers beyond the
// last laid-out one count with its length.
TEST(Dynamics, TicksBetween) {
  TDynamicsScore s({1}, 3);
  s.Piece->Fields.Auftakt = MakeMeter(1, 4);
  s.Layout();
  const int last = s.Piece->LastLaidOutMeasure;
  ASSERT_GE(last, 2);
  EXPECT_EQ(TicksBetween(*s.Piece, 0, 0), 128);
  EXPECT_EQ(TicksBetween(*s.Piece, 0, 2), 128 + 1024);
  EXPECT_EQ(TicksBetween(*s.Piece, 3, 2), 0);
  EXPECT_EQ(TicksBetween(*s.Piece, last - 1, last + 2), 4 * 512);

  EXPECT_EQ(TicksBetween(s.Score, 0, 2), 0);
  TRecordingView view;
  s.Score.AttachWindow(&view);
  EXPECT_EQ(TicksBetween(s.Score, 0, 2), 128 + 1024);
  s.Score.DetachWindow(&view);
}

// "Velocity calculate" recomputes each selected note once and reports a
// change with OnChanged, then OnRecalculate; nothing without a view.
TEST(Dynamics, VelocityCommandOnTheSelection) {
  TDynamicsScore s({1}, 2);
  s.Amounts[{kind::Dynamics, 6}] = 74;
  s.Mark(s.M(0, 0), kind::Dynamics, 0, 0, 6);
  TQSNote* a = s.Note(s.M(0, 0), 0, 128);
  TQSNote* b = s.Note(s.M(0, 0), 128, 128);
  TQSPause* rest = s.Rest(s.M(0, 0), 256, 256);
  s.Layout();
  TEventLog log(s.Score);
  const std::vector<std::string>& events = log.Events;
  const std::vector<TQSItem*> selection = {a, rest, a};

  CalcVelocity(s.Score, selection);
  EXPECT_EQ(a->Fields.Velocity, 64);
  EXPECT_TRUE(events.empty());

  TRecordingView view;
  s.Score.AttachWindow(&view);
  CalcVelocity(s.Score, selection);
  EXPECT_EQ(a->Fields.Velocity, 74);
  EXPECT_EQ(b->Fields.Velocity, 64);
  EXPECT_EQ(events, (std::vector<std::string>{"changed", "recalculate"}));
  CalcVelocity(s.Score, selection);
  EXPECT_EQ(events.size(), 2u);
  s.Score.DetachWindow(&view);
}

// Tables with entries of a part the piece does not have, a count beyond
// the table and host answers at the ends of the int range evaluate
// without harm. (The entries are put into the laid-out table by hand.)
TEST(Dynamics, DamagedTablesAndExtremeAnswers) {
  TDynamicsScore s({1}, 2);
  s.Amounts = {{{kind::Dynamics, 6}, INT_MAX}, {{kind::Dynamics, 51}, INT_MIN}, {{kind::Accent, 0}, INT_MAX}};
  TQSMark* f = s.Mark(s.M(0, 0), kind::Dynamics, 0, 0, 6);
  s.Mark(s.M(0, 0), kind::Dynamics, 0, 256, dynamic::kDiminuendo);
  s.Mark(s.M(0, 1), kind::Accent, 0);
  s.Layout();
  EXPECT_EQ(s.Velocity(0, 0, 0), 127);
  EXPECT_EQ(s.Velocity(0, 1, 0), 127);
  EXPECT_EQ(s.Velocity(0, 1, 1), 127);

  auto* slot = dynamic_cast<TQSCalcMeasure*>(s.Piece->Slots[1]);
  slot->Dynamics.push_back(TQSCalcDynamic{f, 7, 0, 0, 64, 64, 0, 0});
  slot->Dynamics.push_back(TQSCalcDynamic{f, -1, 0, 0, 64, 64, 0, 0});
  slot->DynamicCount = static_cast<uint16_t>(slot->Dynamics.size() + 5);
  ApplyAutoVelocity(s.Score);
  EXPECT_EQ(s.Velocity(0, 1, 1), 127);
}

}  // namespace
}  // namespace qs::test
