#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "notes_fixture.h"
#include "score/marks.h"
#include "score/notes.h"

using namespace qs;
using namespace qs::test;

namespace {

std::unique_ptr<TQSMark> NewMark(TQSItemType k) {
  return std::unique_ptr<TQSMark>(static_cast<TQSMark*>(CreateItemByKind(k, nullptr)));
}

const std::vector<TQSItemType> kAllMarkKinds = {
    1,   2,   3,   4,   6,   27,  28,  40,  41,  42,  45,  50,  70,  71,  72,  85,  110, 111,
    112, 113, 114, 115, 116, 117, 118, 120, 121, 122, 123, 124, 125, 130, 131, 132, 133, 141,
    142, 143, 149, 150, 151, 153, 154, 155, 156, 157, 158, 159, 160, 169, 170, 171, 172, 173};

}  // namespace

TEST(Mark, TupletSlotLengths) {
  struct Case {
    uint8_t type;
    uint16_t unit;
    std::vector<int16_t> slots;
  };
  const Case cases[] = {
      {3, 64, {42, 43, 43}},
      {5, 32, {25, 26, 25, 26, 26}},
      {2, 128, {192, 192}},
      {0, 64, {}},  // a damaged type divides nothing
      {1, 100, {100}},
  };
  for (const Case& c : cases) EXPECT_EQ(TupletSlotLengths(c.type, c.unit), c.slots) << int(c.type);
  // Types beyond 10 fill the unit, still exactly.
  std::vector<int16_t> eleven = TupletSlotLengths(11, 128);
  EXPECT_EQ(eleven.size(), 11u);
  EXPECT_EQ(std::accumulate(eleven.begin(), eleven.end(), 0), 128);
}

TEST(Mark, TempoMarkWritesOnlyItsBlock) {
  auto tempo = NewMark(kind::Tempo);
  tempo->Fields.Kind = 2;
  tempo->Fields.Value = 120;
  tempo->Fields.StaffVoice = 0x21;
  tempo->Fields.Color = 0xFF;
  tempo->FontName = "Ignored";
  const std::vector<uint8_t> expected = {24, 0, 0, 0, 4, 0, 20, 0, 2, 0, 0, 0, 120, 0, 0, 0,
                                         0,  0, 0, 0, 0, 0, 0x21, 0, 0xFF, 0, 0, 0};
  EXPECT_EQ(Save(*tempo), expected);
  auto back = Load<TQSMark>(kind::Tempo, expected);
  EXPECT_EQ(back->Fields.Value, 120);
  EXPECT_EQ(back->FontName, "");
  EXPECT_EQ(Save(*back), expected);
}

TEST(Mark, SectionsFollowTheKind) {
  for (TQSItemType k : kAllMarkKinds) {
    SCOPED_TRACE(int(k));
    auto mark = NewMark(k);
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(mark->ItemType, k);
    EXPECT_EQ(mark->LineStyle, 2);
    mark->Fields.Kind = 3;
    mark->Fields.Value = 64;
    mark->Fields.Time = 77;
    mark->Fields.StaffVoice = 0x10;
    mark->CalcTupletLengths();
    mark->FontName = "Arial Narrow";
    mark->LineStyle = 4;
    const bool tuplet = k == kind::Tuplet, font = IsMarkFontKind(k), line = IsMarkLineKind(k);
    std::vector<uint8_t> bytes = Save(*mark);
    EXPECT_EQ(bytes.size(), 28u + (tuplet ? 6 : 0) + (font ? 14 : 0) + (line ? 1 : 0));
    EXPECT_EQ(U16At(bytes, 4), 4);
    auto back = Load<TQSMark>(k, bytes);
    EXPECT_EQ(back->TupletLengths, tuplet ? std::vector<int16_t>({42, 43, 43}) : std::vector<int16_t>());
    EXPECT_EQ(back->FontName, font ? "Arial Narrow" : "");
    EXPECT_EQ(back->LineStyle, line ? 4 : 2);
    EXPECT_EQ(Save(*back), bytes);
    const bool placed = k != kind::Dot && k != kind::Accidental;
    EXPECT_EQ(back->TimePosition(), placed ? 77 : -1);
    EXPECT_EQ(back->StaffVoice(), placed ? 0x10 : -1);
  }
}

TEST(Mark, TupletRecordAndStaleLengths) {
  auto tuplet = NewMark(kind::Tuplet);
  tuplet->Fields.Kind = 5;
  tuplet->Fields.Value = 32;
  tuplet->CalcTupletLengths();
  tuplet->TupletLengths[0] = 30;  // an edited slot is kept
  std::vector<uint8_t> bytes = Save(*tuplet);
  ASSERT_EQ(bytes.size(), 28u + 10);
  EXPECT_EQ(U16At(bytes, 28), 30);
  EXPECT_EQ(Load<TQSMark>(kind::Tuplet, bytes)->TupletLengths, (std::vector<int16_t>{30, 26, 25, 26, 26}));

  // Lengths of another type would not read back: the computed ones go out.
  tuplet->Fields.Kind = 3;
  tuplet->Fields.Value = 64;
  bytes = Save(*tuplet);
  ASSERT_EQ(bytes.size(), 28u + 6);
  EXPECT_EQ(Load<TQSMark>(kind::Tuplet, bytes)->TupletLengths, (std::vector<int16_t>{42, 43, 43}));

  // A type larger than the stored lengths is damage, kept to the record.
  bytes[8] = 200;
  TMemoryStream s(bytes);
  auto damaged = NewMark(kind::Tuplet);
  damaged->LoadFromStream(s);
  EXPECT_EQ(s.Position(), s.Size());
  EXPECT_TRUE(damaged->TupletLengths.empty());
}

TEST(Mark, CopiesAndAttachment) {
  auto rehearsal = NewMark(kind::Rehearsal);
  rehearsal->Fields.Style = 0x80;
  rehearsal->FontName = "Times New Roman";
  auto copy = NewMark(kind::Rehearsal);
  copy->Assign(*rehearsal);
  EXPECT_EQ(copy->FontName, "Times New Roman");
  EXPECT_EQ(Save(*copy), Save(*rehearsal));
  EXPECT_EQ(Load<TQSMark>(kind::Rehearsal, Save(*copy))->FontName, "Times New Roman");

  auto staccato = NewMark(kind::Staccato);
  auto dynamics = NewMark(kind::Dynamics);
  staccato->Fields.Style = dynamics->Fields.Style = TQSMark::kStyleAttached;
  EXPECT_TRUE(staccato->IsAttachedToNote());
  EXPECT_FALSE(dynamics->IsAttachedToNote());
}

TEST(Bend, ShapeOfTheVariants) {
  struct Case {
    uint8_t variant;
    uint16_t rise, second, release;
  };
  const Case cases[] = {{0, 0, 0, 0}, {1, 80, 0, 0}, {2, 0, 80, 0}, {3, 80, 80, 0}, {4, 0, 80, 80}, {5, 80, 80, 80}};
  for (const Case& c : cases) {
    TQSBend bend(nullptr);
    bend.SetShape(c.variant);
    EXPECT_EQ(bend.Fields.Kind, c.variant);
    EXPECT_EQ(bend.Fields.RiseWidth, c.rise);
    EXPECT_EQ(bend.Fields.SecondWidth, c.second);
    EXPECT_EQ(bend.Fields.ReleaseWidth, c.release);
    EXPECT_EQ(bend.Fields.Height, 160);
  }
  std::unique_ptr<TQSItem> made(CreateItemByKind(kind::Bend, nullptr));
  auto* bend = static_cast<TQSBend*>(made.get());
  EXPECT_EQ(bend->Fields.Height + bend->Fields.RiseWidth + bend->Fields.SecondWidth + bend->Fields.ReleaseWidth, 0);
  bend->Fields.Time = 40;
  bend->Fields.StaffVoice = 0x31;
  std::vector<uint8_t> bytes = Save(*bend);
  EXPECT_EQ(bytes.size(), 4u + 2 + 2 + 24);
  EXPECT_EQ(U16At(bytes, 4), 2);  // two sections declared, one written
  EXPECT_EQ(bytes[8 + 18], 0x31);
  EXPECT_EQ(bend->TimePosition(), 40);
  EXPECT_EQ(bend->StaffVoice(), 0x31);
}

TEST(Frame, FourSectionsOfSixStringsAndFiveFrets) {
  TQSFrame frame(nullptr);
  EXPECT_EQ(frame.Fields.FretCount, 24);
  EXPECT_EQ(frame.Fields.UsedFretCount, 5);
  EXPECT_EQ(frame.Barre.size(), 5u);
  frame.SetStringCount(6);
  ASSERT_EQ(frame.Strings.size(), 6u);
  for (size_t i = 0; i < 6; ++i) frame.Strings[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i % 5), 1};
  frame.Strings[0].Finger = 255;
  frame.Barre[1] = 1;
  frame.Definition = {1, 2, 7, 8, 9};
  frame.Fields.StartFret = 4;
  std::vector<uint8_t> bytes = Save(frame);
  ASSERT_EQ(bytes.size(), 6u + (2 + 16) + (2 + 5) + 5 + 18);
  EXPECT_EQ(I32At(bytes, 0), static_cast<int>(bytes.size()) - 4);
  EXPECT_EQ(U16At(bytes, 4), 4);
  EXPECT_EQ(U16At(bytes, 6), 16);
  EXPECT_EQ(bytes[6 + 2 + 8], 6);  // string count
  EXPECT_EQ(U16At(bytes, 24), 5);
  EXPECT_EQ(bytes[24 + 2 + 5 + 1], 1);     // barre row 2
  EXPECT_EQ(bytes[24 + 2 + 5 + 5 + 1], 255);  // first string muted

  auto back = Load<TQSFrame>(kind::Frame, bytes);
  EXPECT_EQ(back->Strings, frame.Strings);
  EXPECT_EQ(back->Barre, frame.Barre);
  EXPECT_EQ(back->Definition, frame.Definition);
  EXPECT_EQ(Save(*back), bytes);
  TQSFrame copy(nullptr);
  copy.Assign(frame);
  EXPECT_EQ(Save(copy), bytes);

  // The setters resize only on a change; new entries are zero.
  frame.SetUsedFretCount(7);
  EXPECT_EQ(frame.Barre, (std::vector<uint8_t>{0, 1, 0, 0, 0, 0, 0}));
  frame.SetStringCount(4);
  EXPECT_EQ(frame.Strings.size(), 4u);
  frame.Strings.clear();
  frame.SetStringCount(4);
  EXPECT_TRUE(frame.Strings.empty());
  // Whatever the arrays hold, the record follows the counts.
  EXPECT_EQ(Save(frame).size(), 6u + (2 + 16) + (2 + 5) + 7 + 12);
}

TEST(Frame, MissingSectionsAndNoDefinition) {
  TQSFrame frame(nullptr);
  frame.SetStringCount(3);
  std::vector<uint8_t> bytes = Save(frame);
  // Without a definition, two zero counts are written.
  EXPECT_EQ(U16At(bytes, 24), 2);
  EXPECT_EQ(U16At(bytes, 26), 0);
  // A record of the block alone sizes the arrays from it.
  std::vector<uint8_t> blockOnly(bytes.begin(), bytes.begin() + 24);
  blockOnly[0] = 20;
  blockOnly[4] = 1;
  auto back = Load<TQSFrame>(kind::Frame, blockOnly);
  EXPECT_EQ(back->Strings.size(), 3u);
  EXPECT_EQ(back->Barre.size(), 5u);
  EXPECT_TRUE(back->Definition.empty());
}

TEST(Chord, RecordCopyAndFragments) {
  TQSChord chord(nullptr);
  chord.Fields.Time = 128;
  chord.Fields.StaffVoice = 2;
  chord.Definition = {2, 1, 0, 4, 7};
  chord.FontName = "Arial";
  TQSChordFragment f;
  f.Fields = {10, 1, 0, -1};
  f.Text = "C";
  chord.Patterns.push_back(f);
  f.Fields = {8, 0, 0, 1};
  f.Text = "maj7";
  chord.Patterns.push_back(f);
  std::vector<uint8_t> bytes = Save(chord);
  // Block, two fragments of u16 5 + 5 bytes + string, definition, font name.
  EXPECT_EQ(bytes.size(), 6u + 18 + 2 + (7 + 3) + (7 + 6) + 7 + 7);
  EXPECT_EQ(U16At(bytes, 26), 5);
  EXPECT_EQ(U16At(bytes, 31), 0xFFFF);  // level -1

  auto back = Load<TQSChord>(kind::Chord, bytes);
  ASSERT_EQ(back->Patterns.size(), 2u);
  EXPECT_EQ(back->Patterns[1].Text, "maj7");
  EXPECT_EQ(back->Patterns[0].Fields.Level, -1);
  EXPECT_EQ(Save(*back), bytes);
  TQSChord copy(nullptr);
  copy.Assign(chord);
  EXPECT_EQ(Save(copy), bytes);
  EXPECT_EQ(copy.TimePosition(), 128);
  EXPECT_EQ(copy.StaffVoice(), 2);
  copy.ClearPatterns();
  EXPECT_TRUE(copy.Patterns.empty());

  // A fragment block stored short reads zeros; a longer one is kept.
  std::vector<uint8_t> odd = bytes;
  odd[26] = 3;
  odd.erase(odd.begin() + 31, odd.begin() + 33);
  odd[0] = static_cast<uint8_t>(odd[0] - 2);
  back = Load<TQSChord>(kind::Chord, odd);
  ASSERT_EQ(back->Patterns.size(), 2u);
  EXPECT_EQ(back->Patterns[0].Fields.Level, 0);
  EXPECT_EQ(back->Patterns[0].Text, "C");
  EXPECT_EQ(back->FontName, "Arial");
}

TEST(Liga, RecordAndFlags) {
  TQSLiga liga(nullptr);
  liga.Fields.Span = 128;
  liga.Fields.EndStaffVoice = 0x10;
  liga.Fields.Flags = TQSLiga::kBelow | 0x08 | TQSLiga::kFromStart;
  liga.Fields.CurveEndDY = -5;
  liga.Fields.Color = 0x0000FF;
  std::vector<uint8_t> bytes = Save(liga);
  EXPECT_EQ(bytes.size(), 4u + 2 + 2 + 24);
  EXPECT_EQ(U16At(bytes, 4), 1);
  EXPECT_EQ(U16At(bytes, 8 + 18), 0xFFFB);
  EXPECT_TRUE(liga.IsBelow());
  EXPECT_FALSE(liga.IsSlur());
  EXPECT_TRUE(liga.IsSlide());
  EXPECT_TRUE(liga.EndFromStart());
  EXPECT_EQ(liga.TimePosition(), -1);
  auto back = Load<TQSLiga>(kind::Liga, bytes);
  EXPECT_EQ(Save(*back), bytes);
}

TEST(Lyric, LinesFontAndCopies) {
  std::unique_ptr<TQSItem> made(CreateItemByKind(kind::Term, nullptr));
  auto* term = static_cast<TQSLyric*>(made.get());
  EXPECT_EQ(term->ItemType, kind::Term);
  term->Fields.Time = 64;
  term->Fields.StaffVoice = 3;
  term->Fields.Flags = 0x20;
  term->Lines = {"Grüße ♪", "", "rit."};
  term->FontName = "Arial";
  std::vector<uint8_t> bytes = Save(*term);
  EXPECT_EQ(U16At(bytes, 4), 3);
  EXPECT_EQ(U16At(bytes, 32), 3);  // line count after the 24-byte block
  EXPECT_EQ(U16At(bytes, 34), 7);  // UTF-16 code units of the first line
  auto back = Load<TQSLyric>(kind::Term, bytes);
  EXPECT_EQ(back->Lines, term->Lines);
  EXPECT_EQ(back->Alignment(), 2);
  EXPECT_EQ(Save(*back), bytes);

  // Copies append the lines to those the target has.
  TQSLyric copy(nullptr);
  copy.Lines = {"first"};
  copy.Assign(*term);
  EXPECT_EQ(copy.Lines, (std::vector<std::string>{"first", "Grüße ♪", "", "rit."}));
  copy.Assign(copy);
  EXPECT_EQ(copy.Lines.size(), 8u);
  copy.ClearLines();
  EXPECT_TRUE(copy.Lines.empty());
  EXPECT_EQ(copy.TimePosition(), 64);
  EXPECT_EQ(copy.StaffVoice(), 3);

  // A refused line count ends the record: no font name from inside lines.
  std::vector<uint8_t> refused = {37, 0, 0, 0, 3, 0, 24, 0};
  refused.resize(refused.size() + 24);
  refused.insert(refused.end(), {0x11, 0x27, 5, 0, 'A', 'r', 'i', 'a', 'l'});
  auto damaged = Load<TQSLyric>(kind::Lyric, refused);
  EXPECT_TRUE(damaged->Lines.empty());
  EXPECT_EQ(damaged->FontName, "");
}

TEST(MidiEvent, DataAndDamage) {
  TQSMIDIEvent event(nullptr);
  const uint8_t data[] = {0x90, 60, 100};
  event.SetData(data, 3);
  event.Fields.Time = -4;
  const std::vector<uint8_t> expected = {11, 0, 0, 0, 3, 0, 4, 0, 0xFC, 0xFF, 3, 0, 0x90, 60, 100};
  EXPECT_EQ(Save(event), expected);
  auto back = Load<TQSMIDIEvent>(kind::MidiEvent, expected);
  EXPECT_EQ(back->Data, (std::vector<uint8_t>{0x90, 60, 100}));
  TQSMIDIEvent copy(nullptr);
  copy.Assign(event);
  EXPECT_EQ(Save(copy), expected);
  EXPECT_EQ(copy.TimePosition(), -1);

  std::vector<uint8_t> big(70000, 1);
  EXPECT_THROW(event.SetData(big.data(), big.size()), EConvertError);
  EXPECT_EQ(event.Data.size(), 3u);
  event.SetData(nullptr, 0);
  EXPECT_EQ(event.Fields.DataLength, 0);

  // A data length beyond its record is damage: nothing of what follows is
  // taken as data, and the next record still reads.
  for (uint16_t length : {4, 10, 65535}) {
    std::vector<uint8_t> bytes = expected;
    bytes[10] = static_cast<uint8_t>(length);
    bytes[11] = static_cast<uint8_t>(length >> 8);
    bytes.insert(bytes.end(), expected.begin(), expected.end());
    TMemoryStream s(bytes);
    TQSMIDIEvent damaged(nullptr), next(nullptr);
    damaged.LoadFromStream(s);
    EXPECT_TRUE(damaged.Data.empty());
    EXPECT_EQ(damaged.Fields.DataLength, 0);
    next.LoadFromStream(s);
    EXPECT_EQ(next.Data.size(), 3u);
  }
}

TEST(Factory, KindsMakeTheirClasses) {
  const std::pair<TQSItemType, const char*> own[] = {
      {20, "TQSNote"},  {21, "TQSPause"},  {22, "TQSEffect"}, {30, "TQSLiga"},  {31, "TQSChord"},
      {32, "TQSVorschlag"}, {33, "TQSLyric"}, {34, "TQSLyric"}, {35, "TQSLyric"}, {36, "TQSFrame"},
      {119, "TQSBend"}, {220, "TQSMIDIEvent"}};
  for (auto [k, name] : own) {
    std::unique_ptr<TQSItem> item(CreateItemByKind(k, nullptr));
    ASSERT_NE(item, nullptr) << int(k);
    EXPECT_EQ(item->ClassName(), std::string(name));
    EXPECT_EQ(item->ItemType, k);
  }
  for (TQSItemType k : kAllMarkKinds) EXPECT_EQ(NewMark(k)->ClassName(), std::string("TQSMark"));
  for (TQSItemType k : {0, 5, 23, 152, 174, 255}) {
    EXPECT_EQ(CreateSoundingItem(k, nullptr), nullptr);
    EXPECT_EQ(CreateMarkItem(k, nullptr), nullptr);
  }
}
