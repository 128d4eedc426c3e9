// Streams holding items of every kind: round trips, copies, and damaged
// streams that must read without a crash or a hang.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "notes_fixture.h"
#include "score/marks.h"
#include "score/notes.h"

using namespace qs;
using namespace qs::test;

namespace {

template <class T>
T* Make(TQSItemType k, TQSItemOwner* owner) {
  return static_cast<T*>(CreateItemByKind(k, owner));
}

void FillNote(TQSNote* note, uint8_t pitch) {
  note->Fields = {pitch, 1, 64, 128, 192, -3, 100, 90, 0x12, 5, 25, 0x85, 0x15, {7, 8}, 0x123456, 2, 4};
}

// A measure's worth of items of every kind with every section filled.
void FillAllKinds(TStandInMeasure& m) {
  auto* note = Make<TQSNote>(kind::Note, &m);
  FillNote(note, 0x52);
  note->BlockSurplus = {9, 8, 7};
  note->SetMidiKey(66);
  Make<TQSMark>(kind::Dot, note)->Fields.Value = 1;
  Make<TQSLiga>(kind::Liga, note)->Fields = {128, 0x12, 0x11, 1, 2, 3, 4, 5, 6, 7, 8, 0xFF};
  auto* effect = Make<TQSEffect>(kind::Effect, note);
  effect->Fields = {0x53, 1, 80, 16, 70, 52};
  Make<TQSMark>(kind::Staccato, note)->Fields.Style = TQSMark::kStyleAttached;

  auto* rest = Make<TQSPause>(kind::Pause, &m);
  rest->Fields = {256, 128, 192, 0x01, 3, -96, 0x81, 4, 0xABCDEF};
  Make<TQSMark>(kind::Dot, rest);

  auto* group = Make<TQSVorschlag>(kind::Vorschlag, &m);
  group->Fields = {64, 0x12, 0x11, 32, 6, 2};
  for (uint8_t key : {61, 62}) {
    auto* grace = Make<TQSNote>(kind::Note, group);
    FillNote(grace, 0);
    grace->SetMidiKey(key);
    Make<TQSLiga>(kind::Liga, grace);
  }

  std::vector<TQSItemType> markKinds;
  for (int k = 0; k < 256; ++k)
    if (IsMarkKind(static_cast<TQSItemType>(k))) markKinds.push_back(static_cast<TQSItemType>(k));
  for (TQSItemType k : markKinds) {
    auto* mark = Make<TQSMark>(k, &m);
    mark->Fields = {3, 1, static_cast<uint16_t>(k), 64, 0x15, 2, -8, 96, 30, 0x21, 4, 0x0000FF};
    mark->CalcTupletLengths();
    mark->FontName = "Arial Narrow";
    mark->LineStyle = 3;
  }

  auto* bend = Make<TQSBend>(kind::Bend, &m);
  bend->SetShape(5);
  bend->Fields.StaffVoice = 0x11;
  bend->Fields.Further16[1] = 6;

  auto* chord = Make<TQSChord>(kind::Chord, &m);
  chord->Fields = {32, {1, 2}, -40, 20, 0x01, {3, 4, 5}, 0xFF00};
  chord->Definition = {2, 2, 1, 3, 5, 8};
  chord->FontName = "Times New Roman";
  for (const char* text : {"D", "m", "7b5"}) {
    TQSChordFragment f;
    f.Fields = {10, 2, 0, -1};
    f.Text = text;
    chord->Patterns.push_back(f);
  }

  auto* frame = Make<TQSFrame>(kind::Frame, &m);
  frame->Fields.Time = 96;
  frame->SetStringCount(6);
  frame->SetUsedFretCount(4);
  frame->Definition = {1, 1, 9, 9};
  for (size_t i = 0; i < 6; ++i) frame->Strings[i] = {1, static_cast<uint8_t>(i), static_cast<uint8_t>(i % 4 + 1)};
  frame->Barre = {0, 1, 0, 1};

  Make<TQSLiga>(kind::Liga, &m)->Fields.Span = 512;
  for (TQSItemType k : {kind::Lyric, kind::Term, kind::InstrumentName}) {
    auto* text = Make<TQSLyric>(k, &m);
    text->Fields.Time = k;
    text->Fields.Angle = 45;
    text->Lines = {"la", "Grüße"};
    text->FontName = "Arial";
  }
  auto* event = Make<TQSMIDIEvent>(kind::MidiEvent, &m);
  const uint8_t data[] = {0xB0, 7, 100, 0xC0, 5};
  event->SetData(data, sizeof data);
  event->Fields.Time = -10;
}

// Reads what it can of a stream of one item list; damage may end the read
// with an error outside the records, which the caller would report.
void ReadDamaged(const std::vector<uint8_t>& bytes, TStandInMeasure& into) {
  TMemoryStream s(bytes);
  try {
    ReadItemList(s, &into);
  } catch (const std::exception&) {
  }
}

// Whatever a damaged stream gave, saving it once settles it: reading and
// saving again gives the same bytes.
void ExpectSettled(const TStandInMeasure& read) {
  std::vector<uint8_t> once = SaveList(read.Items);
  TStandInMeasure again;
  TMemoryStream s(once);
  ReadItemList(s, &again);
  ASSERT_EQ(SaveList(again.Items), once);
}

}  // namespace

TEST(ItemStream, EveryKindRoundTripsAndCopies) {
  TStandInMeasure m;
  FillAllKinds(m);
  const std::vector<uint8_t> bytes = SaveList(m.Items);

  TStandInMeasure read;
  TMemoryStream s(bytes);
  ReadItemList(s, &read);
  EXPECT_EQ(s.Position(), s.Size());
  ASSERT_EQ(read.Items.Count(), m.Items.Count());
  for (int i = 0; i < m.Items.Count(); ++i) EXPECT_EQ(read.Items[i]->ItemType, m.Items[i]->ItemType) << i;
  EXPECT_EQ(SaveList(read.Items), bytes);

  TStandInMeasure copy;
  CopyItems(m.Items, &copy);
  EXPECT_EQ(SaveList(copy.Items), bytes);

  // The working values of a read note are the constructor's.
  auto* note = static_cast<TQSNote*>(read.Items[0]);
  EXPECT_EQ(note->BlockSurplus, (std::vector<uint8_t>{9, 8, 7}));
  EXPECT_EQ(note->ItemCount(), 5);
  EXPECT_EQ(note->BeamGroup + note->SelectFlags + note->AccidentalDisplay, 0);
}

TEST(ItemStream, DamagedStreamsReadWithoutHarm) {
  TStandInMeasure m;
  FillAllKinds(m);
  const std::vector<uint8_t> bytes = SaveList(m.Items);

  for (size_t n = 0; n < bytes.size(); ++n) {
    TStandInMeasure read;
    ReadDamaged(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(n)), read);
    ASSERT_NO_FATAL_FAILURE(ExpectSettled(read)) << "truncated to " << n;
  }

  std::mt19937 rng(20240611);
  std::uniform_int_distribution<size_t> at(0, bytes.size() - 1);
  std::uniform_int_distribution<int> value(0, 255), flips(1, 4);
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> damaged = bytes;
    for (int f = flips(rng); f > 0; --f) damaged[at(rng)] = static_cast<uint8_t>(value(rng));
    TStandInMeasure read;
    ReadDamaged(damaged, read);
    ASSERT_NO_FATAL_FAILURE(ExpectSettled(read)) << "round " << round;
  }
}

// Notes held by notes held by notes ... as deep as a damaged file makes
// them: reading stops at a depth no score needs instead of running out of
// stack, and keeps the outer items.
TEST(ItemStream, NestingAsDeepAsAFileMakesItIsCutOff) {
  constexpr int kLevels = 200000;
  TBytes b;
  for (int i = 0; i < kLevels; ++i)
    b.U8(kind::Note).I32((kLevels - i) * 11 - 5).U16(2).U16(0).U16(i + 1 < kLevels ? 1 : 0);
  TMemoryStream s = b.Stream();
  TStandInMeasure m;
  TQSItem* top = ReadItem(s, &m);
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(s.Remaining(), 0);
  int depth = 0;
  for (auto* n = dynamic_cast<TQSNote*>(top); n && n->ItemCount() > 0; n = dynamic_cast<TQSNote*>(n->GetItem(0)))
    ++depth;
  EXPECT_GE(depth, 3);
  EXPECT_LT(depth, 100);
}
