#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "notes_fixture.h"
#include "score/marks.h"
#include "score/notes.h"

using namespace qs;
using namespace qs::test;

namespace {

// The accidental kinds attached to a note, first to last.
std::vector<int> Accidentals(const TQSNote& note) {
  std::vector<int> kinds;
  for (TQSItem* item : note.Items)
    if (item->ItemType == kind::Accidental) kinds.push_back(static_cast<TQSMark*>(item)->Fields.Kind);
  return kinds;
}

TQSMark* Attach(TQSItemHolder* holder, TQSItemType k, uint8_t variant = 0) {
  auto* mark = static_cast<TQSMark*>(CreateItemByKind(k, holder));
  mark->Fields.Kind = variant;
  return mark;
}

}  // namespace

TEST(Note, NewNoteRecordIsThirtySixBytes) {
  TQSNote note(nullptr);
  EXPECT_EQ(note.ItemType, kind::Note);
  const std::vector<uint8_t> expected = {
      32, 0, 0, 0,  // body length
      2, 0,         // sections
      26, 0,        // block size
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // pitch .. playback length
      64, 0, 0, 20, 0, 0, 0, 0,            // velocity, staff/voice, head, stem, flags, further
      0, 0, 0, 0, 0, 0,                    // colour, string, fret
      0, 0};                               // no attached items
  EXPECT_EQ(Save(note), expected);
}

TEST(Note, FieldBlockOffsetsMatchTheRecord) {
  TQSNote note(nullptr);
  note.Fields.Pitch = 0x51;
  note.Fields.Time = 0x0102;
  note.Fields.PlayOffset = -2;
  note.Fields.StaffVoice = 0x13;
  note.Fields.FlagsB = 0x25;
  note.Fields.Color = 0x00AABBCC;
  note.Fields.TabString = 3;
  note.Fields.TabFret = 6;
  std::vector<uint8_t> b = Save(note);
  const size_t block = 8;
  EXPECT_EQ(b[block + 0], 0x51);
  EXPECT_EQ(U16At(b, block + 2), 0x0102);
  EXPECT_EQ(U16At(b, block + 8), 0xFFFE);
  EXPECT_EQ(b[block + 13], 0x13);
  EXPECT_EQ(b[block + 17], 0x25);
  EXPECT_EQ(I32At(b, block + 20), 0x00AABBCC);
  EXPECT_EQ(b[block + 24], 3);
  EXPECT_EQ(b[block + 25], 6);
  EXPECT_EQ(note.TimePosition(), 0x0102);
  EXPECT_EQ(note.StaffVoice(), 0x13);
  EXPECT_EQ(note.PageNumber(), 0);
  EXPECT_TRUE(note.BeamedToNext());
  EXPECT_EQ(note.Enclosure(), 1);
  EXPECT_EQ(note.ExtraBeams(), 2);
}

TEST(Note, SetMidiKeyPitchAndAccidental) {
  struct Case {
    uint8_t key;
    std::vector<int> before;  // accidental kinds attached first
    uint8_t pitch;
    std::vector<int> after;
  };
  const Case cases[] = {
      {61, {}, 0x51, {0}},         // C sharp is written D flat
      {66, {}, 0x53, {2}},         // F sharp
      {64, {2}, 0x52, {}},         // a white key loses its sharp
      {60, {}, 0x50, {}},          // middle C
      {70, {4, 0}, 0x55, {2}},     // the last accidental is kept and set ...
      {71, {4, 0}, 0x56, {}},      // ... or freed with the others
      {73, {2, 2, 2}, 0x61, {0}},  // further accidentals go
      {1, {}, 0x01, {0}},
      {191, {}, 0xF6, {}},
      {250, {}, 0xF6, {}},         // beyond the pitch byte's octaves: the highest key it holds
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    TQSNote note(nullptr);
    TQSMark* dot = Attach(&note, kind::Dot);
    for (int k : c.before) Attach(&note, kind::Accidental, static_cast<uint8_t>(k));
    note.SetMidiKey(c.key);
    EXPECT_EQ(note.Fields.Pitch, c.pitch);
    EXPECT_EQ(Accidentals(note), c.after);
    EXPECT_EQ(note.GetItem(0), dot);
  }
}

TEST(Note, AccidentalKindForAlterations) {
  const std::pair<int, int> cases[] = {{-2, 1}, {-1, 0}, {0, 4}, {1, 2}, {2, 3}, {-3, 5}, {5, 6}};
  for (auto [alteration, k] : cases) EXPECT_EQ(AccidentalKindFor(alteration), k) << alteration;
}

TEST(Note, HeadStyleOneReadsBackSmall) {
  for (uint8_t head : {0, 1, 2, 5}) {
    TQSNote note(nullptr);
    note.Fields.HeadStyle = head;
    auto back = Load<TQSNote>(kind::Note, Save(note));
    EXPECT_EQ(back->Fields.HeadStyle, head);
    EXPECT_EQ(back->IsSmall(), head == 1) << int(head);
  }
}

TEST(Note, ShortBlockKeepsDefaultsAndLongBlockSurvives) {
  // Block of 4 bytes: pitch, further byte, time.
  const std::vector<uint8_t> shortRec = {8, 0, 0, 0, 1, 0, 4, 0, 0x52, 7, 0x80, 0};
  auto note = Load<TQSNote>(kind::Note, shortRec);
  EXPECT_EQ(note->Fields.Pitch, 0x52);
  EXPECT_EQ(note->Fields.Further1, 7);
  EXPECT_EQ(note->Fields.Time, 128);
  EXPECT_EQ(note->Fields.Velocity, 64);
  EXPECT_EQ(note->Fields.StemLength, 20);
  EXPECT_EQ(note->ItemCount(), 0);

  // A block of 30 bytes from a newer writer is written back whole.
  TQSNote model(nullptr);
  model.Fields.Velocity = 99;
  std::vector<uint8_t> rec = Save(model);
  rec[6] = 30;
  rec.insert(rec.begin() + 8 + 26, {0xDE, 0xAD, 0xBE, 0xEF});
  rec[0] = static_cast<uint8_t>(rec[0] + 4);
  auto read = Load<TQSNote>(kind::Note, rec);
  EXPECT_EQ(read->Fields.Velocity, 99);
  EXPECT_EQ(read->BlockSurplus, (std::vector<uint8_t>{0xDE, 0xAD, 0xBE, 0xEF}));
  EXPECT_EQ(Save(*read), rec);
  TQSNote copy(nullptr);
  copy.Assign(*read);
  EXPECT_EQ(Save(copy), rec);
}

TEST(Note, BlockSizeBeyondTheRecordIsDamage) {
  // The block claims 26 bytes but the record ends after 4 of them; the
  // next record must still be read.
  std::vector<uint8_t> bytes = {8, 0, 0, 0, 1, 0, 26, 0, 0x52, 0, 0x80, 0};
  TQSEffect effect(nullptr);
  effect.Fields.Pitch = 0x33;
  std::vector<uint8_t> next = Save(effect);
  bytes.insert(bytes.end(), next.begin(), next.end());
  TMemoryStream s(bytes);
  TQSNote note(nullptr);
  note.LoadFromStream(s);
  EXPECT_EQ(note.Fields.Pitch, 0);
  EXPECT_EQ(note.Fields.Time, 0);
  TQSEffect after(nullptr);
  after.LoadFromStream(s);
  EXPECT_EQ(after.Fields.Pitch, 0x33);
  EXPECT_EQ(s.Position(), s.Size());
}

TEST(Effect, DeclaresTwoSectionsHoldsOne) {
  TQSEffect effect(nullptr);
  EXPECT_EQ(effect.ItemType, kind::Effect);
  effect.Fields = {0x45, 9, 16, 32, 70, 52};
  effect.MarkKind = kind::Trill;
  const std::vector<uint8_t> expected = {12, 0, 0, 0, 2, 0, 8, 0, 0x45, 9, 16, 0, 32, 0, 70, 52};
  EXPECT_EQ(Save(effect), expected);
  EXPECT_EQ(effect.TimePosition(), -1);
  EXPECT_EQ(effect.StaffVoice(), -1);

  // In a note's list it is read back whole and the next item follows.
  TQSNote note(nullptr);
  CreateItemByKind(kind::Effect, &note)->Assign(effect);
  static_cast<TQSEffect*>(CreateItemByKind(kind::Effect, &note))->Fields.Pitch = 0x46;
  auto back = Load<TQSNote>(kind::Note, Save(note));
  ASSERT_EQ(back->ItemCount(), 2);
  EXPECT_EQ(static_cast<TQSEffect*>(back->GetItem(0))->Fields.Accidental, 52);
  EXPECT_EQ(static_cast<TQSEffect*>(back->GetItem(1))->Fields.Pitch, 0x46);
}

TEST(GraceGroup, EmptyGroupAndCopies) {
  TQSVorschlag group(nullptr);
  EXPECT_EQ(group.ItemType, kind::Vorschlag);
  const std::vector<uint8_t> empty = {14, 0, 0, 0, 2, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(Save(group), empty);

  group.Fields = {256, 0x12, TQSVorschlag::kShortStyle, 32, 5, 3};
  auto* grace = new TQSNote(&group);
  grace->Fields.Pitch = 0x54;
  grace->SetMidiKey(66);
  TQSVorschlag copy(nullptr);
  copy.Assign(group);
  EXPECT_EQ(copy.Fields.Duration, 32);
  EXPECT_EQ(copy.Fields.Spacing, 3);
  EXPECT_TRUE(copy.IsShortStyle());
  EXPECT_FALSE(copy.IsAfter());
  ASSERT_EQ(copy.ItemCount(), 1);
  EXPECT_NE(copy.GetNote(0), grace);
  EXPECT_EQ(copy.GetNote(0)->GraceGroup(), &copy);
  EXPECT_EQ(Accidentals(*copy.GetNote(0)), std::vector<int>{2});
  EXPECT_EQ(Save(copy), Save(group));
  EXPECT_EQ(group.TimePosition(), 256);
  EXPECT_EQ(group.StaffVoice(), 0x12);
}

TEST(Rest, RecordAndCopies) {
  TQSPause rest(nullptr);
  EXPECT_EQ(rest.ItemType, kind::Pause);
  rest.Fields = {64, 64, 96, 0x01, 7, -96, 0x85, 9, 0xFF};
  const std::vector<uint8_t> expected = {22, 0, 0, 0, 2, 0, 16, 0, 64, 0, 64, 0, 96, 0, 0x01, 7,
                                         0xA0, 0xFF, 0x85, 9, 0xFF, 0, 0, 0, 0, 0};
  EXPECT_EQ(Save(rest), expected);
  EXPECT_TRUE(rest.IsShiftedRight());
  EXPECT_EQ(rest.Enclosure(), 1);
  EXPECT_TRUE(rest.IsHidden());
  EXPECT_EQ(rest.TimePosition(), 64);
  EXPECT_EQ(rest.StaffVoice(), 1);

  TQSPause copy(nullptr);
  copy.Assign(rest);
  EXPECT_EQ(copy.ItemCount(), 0);
  EXPECT_EQ(Save(copy), expected);

  // Copies are appended to what the target holds.
  Attach(&rest, kind::Dot);
  Attach(&copy, kind::Fermata);
  copy.Assign(rest);
  ASSERT_EQ(copy.ItemCount(), 2);
  EXPECT_EQ(copy.GetItem(0)->ItemType, kind::Fermata);
  EXPECT_EQ(copy.GetItem(1)->ItemType, kind::Dot);
}

TEST(Note, CopyKeepsTablatureAndAttachedItems) {
  TQSNote note(nullptr);
  note.Fields.TabString = 4;
  note.Fields.TabFret = 8;
  note.SetMidiKey(61);
  Attach(&note, kind::Dot, 1);
  new TQSLiga(&note);
  TQSNote copy(nullptr);
  copy.Assign(note);
  EXPECT_EQ(copy.Fields.TabString, 4);
  EXPECT_EQ(copy.Fields.TabFret, 8);
  ASSERT_EQ(copy.ItemCount(), 3);
  EXPECT_EQ(copy.GetItem(2)->ClassName(), std::string("TQSLiga"));
  EXPECT_EQ(Save(copy), Save(note));
  EXPECT_EQ(copy.GetItem(3), nullptr);
  EXPECT_EQ(copy.GetItem(-1), nullptr);
}

TEST(Item, AssignFromAnotherClassRaises) {
  TQSNote note(nullptr);
  TQSPause rest(nullptr);
  TQSVorschlag group(nullptr);
  TQSEffect effect(nullptr);
  TQSMark mark(nullptr);
  TQSLiga liga(nullptr);
  const std::pair<TQSItem*, const TQSItem*> cases[] = {
      {&rest, &note}, {&note, &rest}, {&note, &group}, {&group, &note}, {&effect, &note}, {&note, &mark},
      {&mark, &liga}, {&liga, &effect}};
  for (auto [target, source] : cases) {
    std::string want = std::string("Cannot assign a ") + source->ClassName() + " to a " + target->ClassName();
    try {
      target->Assign(*source);
      ADD_FAILURE() << want;
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.what(), want);
    }
  }
}

TEST(Note, MeasureOfAttachedItemsAndForgetting) {
  TStandInMeasure measure;
  auto* note = new TQSNote(&measure);
  auto* group = new TQSVorschlag(&measure);
  auto* grace = new TQSNote(group);
  TQSMark* accidental = Attach(grace, kind::Accidental, 2);
  TQSMark* dot = Attach(note, kind::Dot);
  TQSMeasure* m = measure.OwnerMeasure();
  EXPECT_EQ(accidental->GetMeasure(), m);
  EXPECT_EQ(grace->GetMeasure(), m);
  EXPECT_EQ(group->GetMeasure(), m);
  EXPECT_EQ(dot->GetMeasure(), m);
  EXPECT_EQ(accidental->IndexInOwner(), 0);
  EXPECT_EQ(group->IndexInOwner(), 1);
  EXPECT_EQ(grace->GraceGroup(), group);
  EXPECT_EQ(note->GraceGroup(), nullptr);

  delete dot;
  EXPECT_EQ(note->ItemCount(), 0);
  EXPECT_TRUE(measure.Forgotten.empty());
  delete group;  // its grace note reaches the measure through the group
  EXPECT_EQ(measure.Forgotten, std::vector<TQSItem*>{grace});
  EXPECT_EQ(measure.Items.Count(), 1);
  delete note;
  EXPECT_EQ(measure.Forgotten.back(), note);
  EXPECT_TRUE(measure.Items.Empty());
}

TEST(Note, SuspendedRegistrationLeavesItemsOut) {
  TQSNote note(nullptr);
  note.RegistrationSuspended = true;
  std::unique_ptr<TQSItem> mark(CreateItemByKind(kind::Staccato, &note));
  EXPECT_EQ(note.ItemCount(), 0);
  EXPECT_EQ(mark->Owner(), &note);
  note.RegistrationSuspended = false;
  note.Items.Insert(0, mark.release());
  EXPECT_EQ(note.ItemCount(), 1);
  note.ClearItems();
  EXPECT_EQ(note.ItemCount(), 0);
}
