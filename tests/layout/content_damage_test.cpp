// Notes and marks with damaged values lay out as far as they go: indexes
// beyond the layout's tables are bounded and nothing is read or written
// outside them (the sanitizer build checks the rest).
#include <gtest/gtest.h>

#include "content_fixture.h"

namespace qs::test {
namespace {

TEST(LayoutContentDamage, DamagedNotesAndMarks) {
  TContentScore s(2, {1, 1});
  TQSMeasure* m = s.Measure(0);
  // Pitch nibbles beyond the scale, with accidentals and effect notes.
  TQSNote* wild = s.Note(m, 0, 128, 0xFF);
  s.Attach(wild, kind::Accidental, 2);
  s.Attach(wild, kind::Accidental, 0)->Fields.Style = 0x0C;
  auto* effect = static_cast<TQSEffect*>(CreateItemByKind(kind::Effect, wild));
  effect->Fields.Pitch = 0xFF;
  TQSNote* low = s.Note(m, 128, 128, 0x00);
  s.Attach(low, kind::Accidental, 3);
  low->Fields.PlayOffset = -32768;  // before the start of the piece
  low->Fields.HeadStyle = 250;      // a drum head the score does not have
  TQSLiga* tie = s.Tie(low, 0xFFFF, 0);
  tie->Fields.EndStaffVoice = 0xF0;  // a staff the part does not have
  auto* group = static_cast<TQSVorschlag*>(CreateItemByKind(kind::Vorschlag, m));
  group->Fields.Time = 256;
  auto* grace = static_cast<TQSNote*>(CreateItemByKind(kind::Note, group));
  grace->Fields.Pitch = 0xFF;
  grace->Fields.Length = 1024;
  s.Attach(grace, kind::Accidental, 255);
  TQSNote* breve = s.Note(m, 256, 1024, 0x50);
  s.Note(m, 384, 128, 0x50, MakeStaffVoice(0, 9));  // a voice the staff does not have
  TQSMark* dots = s.Attach(s.Note(m, 384, 128, 0x50), kind::Dot, 0, 0xFFFF);
  // Marks with values beyond their tables.
  s.Mark(m, kind::UserSymbolMark, 0, 0xFFFF);
  s.Mark(m, kind::Hand, 0, 0xFFFF, 1)->Fields.Style = TQSMark::kStyleAttached;
  s.Mark(m, kind::Tremolo, 0, 0xFFFF)->Fields.Style = TQSMark::kStyleAttached;
  s.Mark(m, kind::Dynamics, 0, 0xFFFF, dynamic::kCrescendo)->Fields.Style = 255;
  s.Mark(m, kind::Finger, 0, 0, 200);
  auto* chord = static_cast<TQSChord*>(CreateItemByKind(kind::Chord, m));
  TQSChordFragment fragment;
  fragment.Text = "X";
  fragment.Fields.Anchor = 200;
  fragment.Fields.Level = 32767;
  chord->Patterns = {fragment, fragment};
  auto* frame = static_cast<TQSFrame*>(CreateItemByKind(kind::Frame, m));
  frame->SetStringCount(255);
  auto* bend = static_cast<TQSBend*>(CreateItemByKind(kind::Bend, m));
  bend->Fields.Kind = 200;
  s.Mark(s.Column(1), kind::MultiRest, 0, 0);
  // A tablature staff whose notes stand on strings it does not have.
  TQSStaff* tab = s.Part(1)->GetStaff(0);
  tab->Fields.Tablature = 1;
  tab->Fields.LineCount = 0;
  tab->Fields.FretCount = 0;
  TQSNote* unstrung = s.Note(s.Measure(0, 1), 0, 128, 0x50);
  TQSNote* far = s.Note(s.Measure(0, 1), 128, 128, 0x50);
  far->Fields.TabString = 200;
  far->Fields.TabFret = 5;
  s.Layout();

  const TQSCalcMeasure& slot = s.SlotOf(0);
  EXPECT_EQ(wild->SoundingKey, 127);
  EXPECT_EQ(s.EventOf(slot, low)->Tick, 0);
  EXPECT_EQ(s.One(slot, low).Box.Right - s.One(slot, low).Box.Left, 48);
  EXPECT_EQ(s.Rel(slot, 384, s.One(slot, dots)).Right, 40 * 0x10000);
  EXPECT_EQ(s.One(slot, frame).Box.Right - s.One(slot, frame).Box.Left, 48 * 255);
  EXPECT_EQ(unstrung->Fields.TabFret, 0);
  EXPECT_EQ(s.Of(s.SlotOf(0), far).size(), 1u);
  // The breve is as wide as its glyph; a rest of no measures counts one.
  EXPECT_EQ(s.Rel(slot, 256, s.One(slot, breve)).Right, HeadWidth(')'));
  EXPECT_EQ(s.SlotOf(1).Number, 2);
}

}  // namespace
}  // namespace qs::test
