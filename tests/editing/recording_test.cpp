// Notes recorded from the MIDI input entered into notation: quantised,
// split over bar lines into tied notes, joined into chords, sent to the
// lower staff when playing with two hands, all under the record lock.
#include <gtest/gtest.h>

#include "../layout/content_fixture.h"
#include "editing/recording.h"

namespace qs::test {
namespace {

// A view with a recording state and a record lock that counts.
class TRecordView : public TRecordingView {
 public:
  struct TControl : TQSPlayControl {
    bool Recording = false, RealTime = true;
    int Locked = 0, MaxLocked = 0;
    void Play() override {}
    void Record() override {}
    void StopPlay() override {}
    bool IsPlaying() const override { return false; }
    bool IsRecording() const override { return Recording; }
    bool IsRealTimeRecording() const override { return Recording && RealTime; }
    void LockRecord() override { MaxLocked = std::max(MaxLocked, ++Locked); }
    void UnlockRecord() override { --Locked; }
  } Control;
  int LockedAtLayout = -1;
  TRecordView() { PlayControl = &Control; }
  void LayoutChanged() override { LockedAtLayout = Control.Locked; }
};

struct TRecordScore : TContentScore {
  TRecordView View;
  explicit TRecordScore(int measures = 2, const std::vector<int>& staves = {1}) : TContentScore(measures, staves) {
    Layout();
    Score.AttachWindow(&View);
  }
  ~TRecordScore() { Score.DetachWindow(&View); }

  // The notes of a measure as "tick/written/real" strings, with "~" for a
  // tie on.
  std::vector<std::string> Notes(int m, int part = 0) const {
    std::vector<std::string> out;
    for (const TQSItem* item : Measure(m, part)->Items)
      if (const auto* n = dynamic_cast<const TQSNote*>(item)) {
        bool tied = false;
        for (const TQSItem* a : n->Items) tied |= a->ItemType == kind::Liga;
        out.push_back(std::to_string(n->Fields.Time) + "/" + std::to_string(n->Fields.Length) + "/" +
                      std::to_string(n->Fields.RealLength) + (tied ? "~" : ""));
      }
    return out;
  }
  const TQSNote* FirstNote(int m, int part = 0) const {
    for (const TQSItem* item : Measure(m, part)->Items)
      if (const auto* n = dynamic_cast<const TQSNote*>(item)) return n;
    return nullptr;
  }
};

using Strings = std::vector<std::string>;

// Position and length to the quantum (32 here), halves to the even
// multiple; the position's error becomes the start offset and the length's
// the sounding length of the last note. Rests fill the rest of the measure.
TEST(RecordingEntry, Quantised) {
  const struct {
    int Tick, Length;
    Strings Notes;
    int Offset, Sounding;
  } cases[] = {
      {45, 70, {"32/64/64"}, 13, 70},
      {0, 10, {"0/32/32"}, 0, 10},
      {48, 16, {"64/32/32"}, -16, 16},  // 1.5 quanta go to 2; 0.5 to 0, then at least 1
      {80, 32, {"64/32/32"}, 16, 32},   // 2.5 quanta go to 2
      {16, 48, {"0/64/64"}, 16, 48},
  };
  for (const auto& t : cases) {
    TRecordScore s;
    InsertRecordedNote(s.Score, 0, t.Tick, 5, 0, t.Length, {}, 90);
    EXPECT_EQ(s.Notes(0), t.Notes) << t.Tick << "/" << t.Length;
    const TQSNote* n = s.FirstNote(0);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->Fields.PlayOffset, t.Offset);
    EXPECT_EQ(n->Fields.PlayLength, t.Sounding);
    EXPECT_EQ(n->Fields.Velocity, 90);
    int rests = 0;
    for (const TQSItem* item : s.Measure(0)->Items) rests += item->ItemType == kind::Pause;
    EXPECT_GT(rests, 0);
  }
}

// A half note recorded at the last beat of a 4/4 measure: a quarter tied
// to a quarter at the start of the next measure. A dotted whole from the
// second beat: only values that end on or before the next beat take dots,
// so it becomes half, quarter, half, quarter, all tied.
TEST(RecordingEntry, SplitOverTheBarLine) {
  TRecordScore s;
  InsertRecordedNote(s.Score, 0, 384, 5, 0, 256, {}, 64);
  EXPECT_EQ(s.Notes(0), (Strings{"384/128/128~"}));
  EXPECT_EQ(s.Notes(1), (Strings{"0/128/128"}));
  TRecordScore t(3);
  InsertRecordedNote(t.Score, 0, 128, 5, 2, 512, {45}, 64);
  EXPECT_EQ(t.Score.LastEntryLength, 768);
  EXPECT_EQ(t.Notes(0), (Strings{"128/256/256~", "384/128/128~"}));
  EXPECT_EQ(t.Notes(1), (Strings{"0/256/256~", "256/128/128"}));
  // Within a beat a dot is taken: a quarter tied to a dotted eighth.
  TRecordScore u;
  InsertRecordedNote(u.Score, 0, 384, 5, 0, 224, {}, 64);
  EXPECT_EQ(u.Notes(0), (Strings{"384/128/128~"}));
  EXPECT_EQ(u.Notes(1), (Strings{"0/64/96"}));
  ASSERT_NE(u.FirstNote(1), nullptr);
  EXPECT_EQ(u.FirstNote(1)->ItemCount(), 1);  // its dot
  TRecordScore v;
  v.Score.RecordQuantize = 16;
  InsertRecordedNote(v.Score, 0, 384, 5, 0, 240, {}, 64);
  EXPECT_EQ(v.Notes(1), (Strings{"0/64/112"}));  // double-dotted
}

// A second note at the same tick and length joins the first as a chord;
// a rest recorded there replaces the chord's first note's voice time.
TEST(RecordingEntry, ChordsAndRests) {
  TRecordScore s;
  InsertRecordedNote(s.Score, 0, 0, 5, 0, 128, {}, 64);
  InsertRecordedNote(s.Score, 0, 0, 5, 4, 128, {52}, 64);
  ASSERT_EQ(s.Notes(0), (Strings{"0/128/128", "0/128/128"}));
  int members = 0;
  for (const TQSItem* item : s.Measure(0)->Items)
    if (const auto* n = dynamic_cast<const TQSNote*>(item)) members += n->IsChordMember();
  EXPECT_EQ(members, 2);
  InsertRecordedRest(s.Score, 0, 128, 256, {45});
  int dotted = 0;
  for (const TQSItem* item : s.Measure(0)->Items)
    if (const auto* r = dynamic_cast<const TQSPause*>(item); r && r->Fields.Time == 128) {
      EXPECT_EQ(r->Fields.Length, 256);
      EXPECT_EQ(r->Fields.RealLength, 384);
      dotted += r->ItemCount();
    }
  EXPECT_EQ(dotted, 1);
}

// Step recording: the note keeps its tick and gets the quantum as length.
TEST(RecordingEntry, StepRecording) {
  TRecordScore s;
  s.View.Control.Recording = true;
  s.View.Control.RealTime = false;
  InsertRecordedNote(s.Score, 0, 100, 5, 0, 300, {}, 64);
  EXPECT_EQ(s.Notes(0), (Strings{"100/32/32"}));
  EXPECT_EQ(s.FirstNote(0)->Fields.PlayOffset, 0);
}

// With two hands on a two-staff part, a note of octave 3, step 6 goes to
// the lower staff, G of octave 4 to the upper.
TEST(RecordingEntry, TwoHands) {
  TRecordScore s(1, {2});
  s.Score.TwoHandRecording = 1;
  // B2, D3 and B3 are the left hand's, middle C and E4 the right hand's.
  InsertRecordedNote(s.Score, 0, 0, 3, 6, 64, {}, 64);
  InsertRecordedNote(s.Score, 0, 64, 4, 1, 64, {}, 64);
  InsertRecordedNote(s.Score, 0, 128, 4, 6, 64, {}, 64);
  InsertRecordedNote(s.Score, 0, 192, 5, 0, 64, {}, 64);
  InsertRecordedNote(s.Score, 0, 256, 5, 2, 64, {}, 64);
  std::vector<int> staves;
  for (const TQSItem* item : s.Measure(0)->Items)
    if (const auto* n = dynamic_cast<const TQSNote*>(item)) staves.push_back(StaffOf(n->Fields.StaffVoice));
  EXPECT_EQ(staves, (std::vector<int>{1, 1, 1, 0, 0}));
}

// The record lock is held from the quantisation to the end of the layout
// pass, and left afterwards; a measure beyond the part is made.
TEST(RecordingEntry, UnderTheRecordLock) {
  TRecordScore s;
  InsertRecordedNote(s.Score, 3, 0, 5, 0, 128, {}, 64);
  EXPECT_EQ(s.View.LockedAtLayout, 1);
  EXPECT_EQ(s.View.Control.Locked, 0);
  EXPECT_EQ(s.Part()->MeasureCount(), 4);
}

}  // namespace
}  // namespace qs::test
