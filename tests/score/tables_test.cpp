#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "score_fixture.h"
#include "test_support.h"

using namespace qs;
using namespace qs::test;

namespace {

// A score whose cursor stands on a laid-out measure of a staff with the
// given clef at the start of the measure.
class TablesTest : public ::testing::Test, public TTreeFixture {
 protected:
  TLockedView View;
  TQSCalcMeasure LaidOut;

  TablesTest() {
    Score.AttachWindow(&View);
    Score.AddDrumInstrument("Cross", 1, 2, 3, 4, "Quavero Symbols", 100, 0);
    Score.AddDrumInstrument("Diamond", 1, 2, 3, 4, "Quavero Symbols", 100, 0);
    Piece->Slots = {&LaidOut};
    Staff->SystemRow = 0;
    LaidOut.RowCount = 1;
  }

  TQSMark* ClefMark(uint8_t clefType, int tick = 0) {
    TQSMark* clef = Mark(kind::Clef, tick, 0x00, clefType);
    return clef;
  }

  // The channel and key a note of written key 60 with the head sounds.
  std::vector<int> Sound(int head, int pitch = 60) {
    int channel = 3;
    Score.MapDrumNote(head, channel, pitch);
    return {channel, pitch};
  }
};

}  // namespace

TEST_F(TablesTest, DrumNotesSoundTheirMappedKey) {
  LaidOut.ClefByRow = {ClefMark(14)};
  Score.SetDrumMapEntry(36, "Bass Drum", 0, 58, 1);
  Score.SetDrumMapEntry(40, "Unused", 1, 58, 0);      // filed, never sounded
  Score.SetDrumMapEntry(42, "Hi-Hat", 255, 58, 1);
  Score.SetDrumMapEntry(44, "Pedal Hat", 255, 58, 1);  // the later entry wins
  struct {
    int Head, Pitch;
    std::vector<int> Sounded;
  } cases[] = {
      {0, 60, {9, 36}},  // middle C with head 0
      {1, 60, {9, 60}},  // head 1's entry is not in use
      {255, 60, {9, 44}},
      {7, 60, {9, 60}},  // a head beyond the table has no entry
      {0, 62, {9, 62}},
  };
  for (const auto& c : cases) EXPECT_EQ(Sound(c.Head, c.Pitch), c.Sounded) << c.Head << " " << c.Pitch;
  EXPECT_EQ(Score.DrumEntryByKey(36)->Name, "Bass Drum");
  EXPECT_EQ(Score.DrumEntryByKey(40), nullptr);

  // Only on a percussion staff, and only where the layout has come.
  LaidOut.ClefByRow = {ClefMark(1)};
  EXPECT_EQ(Sound(0), (std::vector<int>{3, 60}));
  ClefMark(15, 128);  // a percussion clef inside the measure, before the cursor
  View.CursorPosition.Tick = 256;
  Piece->LastLaidOutMeasure = 0;
  LaidOut.Clefs = {Measure->GetItem(Measure->ItemCount() - 1)};
  EXPECT_EQ(Sound(0), (std::vector<int>{9, 36}));
  View.CursorPosition.Tick = 64;  // before it the treble clef holds
  EXPECT_EQ(Sound(0), (std::vector<int>{3, 60}));
  View.CursorPosition = {0, 0, 0, 1, 0, 0, 256};
  EXPECT_EQ(Sound(0), (std::vector<int>{3, 60}));
  Score.DetachWindow(&View);
  EXPECT_EQ(Sound(0), (std::vector<int>{3, 60}));
}

TEST_F(TablesTest, DrumMapMaintenance) {
  EXPECT_EQ(Score.AddDrumInstrument("cROSS", 9, 9, 9, 9, "", 50, 1), 0);
  EXPECT_EQ(Score.AddDrumInstrument("Slash", 9, 9, 9, 9, "", 50, 1), 2);
  EXPECT_EQ(Score.DrumInstrumentCount(), 3);
  EXPECT_EQ(Score.GetDrumInstrument(2)->Size, 50);

  Score.SetDrumMapEntry(36, "Kick", 0, 58, 1);
  Score.SetDrumMapEntry(38, "Snare", 0, 60, 1);
  Score.SetDrumMapEntry(36, "Bass Drum", 1, 57, 0);
  ASSERT_EQ(Score.DrumMap.size(), 2u);
  EXPECT_EQ(Score.DrumMap[0].Name, "Bass Drum");
  EXPECT_EQ(Score.DrumMap[0].Position, 57);
  EXPECT_EQ(Score.DrumMap[1].Key, 38);

  // Suppressed, the lookups wait for the rebuild.
  Score.DrumMapRebuildSuppressed = true;
  Score.SetDrumMapEntry(50, "Tom", 0, 58, 1);
  EXPECT_EQ(Score.DrumEntryByKey(50), nullptr);
  Score.DrumMapRebuildSuppressed = false;
  Score.RebuildDrumMap();
  EXPECT_EQ(Score.DrumEntryByPitch(60, 0)->Key, 50);

  // Positions below the scale's start count into lower octaves; they never
  // read before the scale.
  Score.SetDrumMapEntry(51, "Low", 0, 22, 1);
  Score.SetDrumMapEntry(52, "Lower", 0, 0, 1);
  EXPECT_EQ(Score.DrumEntryByPitch(0, 0)->Key, 52);
}

TEST_F(TablesTest, TablesInTheFile) {
  TRichScoreFixture rich;
  TMemoryStream s;
  rich.Score.WriteDrumInstruments(s);
  rich.Score.WriteDrumMap(s);
  rich.Score.WriteUserSymbols(s);
  const std::vector<uint8_t> bytes = s.Bytes();
  // Drum instruments: 12 filed bytes, name, font name.
  EXPECT_EQ((std::vector<uint8_t>(bytes.begin(), bytes.begin() + 15)),
            (std::vector<uint8_t>{2, 0, 12, 0x41, 0, 0x42, 0, 3, 0, 0x43, 0, 90, 1, 0, 0}));

  // Reading appends; entry blocks longer than ours are passed over, shorter
  // ones leave the rest at the defaults.
  TBytes file;
  file.U16(2).U8(14).U16(7).U16(8).U8(9).U8(0).U16(10).U8(80).U8(2).U16(0).U16(0xFFFF).Str("Long").Str("Font");
  file.U8(2).U16(5).Str("Short").Str("");
  file.U16(1).U8(7).U8(60).U8(2).U8(70).U8(0).U8(1).U16(0xEEEE).Str("Snare");
  file.U16(1).Str("Sym").Raw(Saved(TQSUserSymbol()));
  file.U8(0xCD);
  TQSScore read;
  read.AddUserSymbol("old");
  TMemoryStream in = file.Stream();
  read.ReadDrumInstruments(in);
  read.ReadDrumMap(in);
  read.ReadUserSymbols(in);
  EXPECT_EQ(in.ReadU8(), 0xCD);
  ASSERT_EQ(read.DrumInstrumentCount(), 2);
  EXPECT_EQ(read.GetDrumInstrument(0)->Word3, 10);
  EXPECT_EQ(read.GetDrumInstrument(0)->Size, 80);
  EXPECT_EQ(read.GetDrumInstrument(0)->FontName, "Font");
  EXPECT_EQ(read.GetDrumInstrument(1)->Word1, 5);
  EXPECT_EQ(read.GetDrumInstrument(1)->Size, 100);
  ASSERT_EQ(read.DrumMap.size(), 1u);
  EXPECT_EQ(read.DrumMap[0].Use, 1);
  EXPECT_EQ(read.DrumMap[0].Name, "Snare");
  EXPECT_EQ(read.UserSymbolCount(), 2);
  EXPECT_EQ(read.IndexOfUserSymbol("SYM"), 1);
  EXPECT_EQ(read.GetUserSymbol(2), nullptr);
}
