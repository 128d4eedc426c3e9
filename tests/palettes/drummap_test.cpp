// The drum map: its records read and written as "DrumMap.ini" holds them,
// names with commas included; the dialog's rows, its Use ticks by click,
// its head picker, and what Save leaves in the file; the map the program
// ships for the General MIDI percussion keys.
#include <gtest/gtest.h>

#include <filesystem>

#include "../common/library_support.h"
#include "base/inifile.h"
#include "base/safefile.h"
#include "palettes/drummap.h"
#include "palettes/drums.h"
#include "platform/paths.h"
#include "platform/testdriver.h"
#include "uikit/charbutton.h"
#include "uikit/gridstring.h"

namespace qs::test {
namespace {

namespace td = qs::testdriver;

TEST(DrumMapRecords, ReadAndWritten) {
  struct TCase {
    const char* value;
    TDrumMapEntry want;
  };
  const TCase cases[] = {
      {"Snare,3,66,1", {"Snare", 3, 66, true}},
      {"Closed Hi-Hat,0,74,0", {"Closed Hi-Hat", 0, 74, false}},
      {"Snare, rim shot,3,66,1", {"Snare, rim shot", 3, 66, true}},  // a comma of the name's own
      {"Snare", {"Snare", kNoDrumHead, kMiddleDrumPosition, false}},
      {"Snare,7", {"Snare", 7, kMiddleDrumPosition, false}},
      {"Snare,x,y,1", {"Snare", kNoDrumHead, kMiddleDrumPosition, true}},
      {"Snare,3,66,", {"Snare", 3, 66, false}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.value);
    const TDrumMapEntry e = ParseDrumMapRecord(c.value);
    EXPECT_EQ(e, c.want);
    EXPECT_EQ(ParseDrumMapRecord(FormatDrumMapRecord(e)), e) << "round trip";
  }
  EXPECT_EQ(DrumKeyName(60), "C4");
  EXPECT_EQ(DrumKeyName(26), "D1");
  EXPECT_EQ(DrumKeyName(87), "Eb6");
}

class DrumMapDialog : public ::testing::Test {
 protected:
  TProgramFolder Folder{true};
  std::string In = Folder.Dir() + "DrumMapIn.ini", Out = Folder.Dir() + "DrumMap.ini";
};

// The rows run from key 87 down to key 26; a click into a Use cell ticks
// it; Save writes every named key (a comma in a name included) and drops
// those whose name is blank; the file read is left alone.
TEST_F(DrumMapDialog, RowsTicksAndSave) {
  SafeSaveText(In, "[Drums]\nPitch38=Acoustic Snare,3,65,1\nPitch42=Closed Hi-Hat,0,70,1\nPitch49=Crash,0,71,0\n");
  TFDrumMap dialog(nullptr, nullptr, In, Out);
  TECStringGrid& grid = *dialog.SGDrumMap;
  EXPECT_EQ(grid.RowCount(), 63);
  EXPECT_EQ(grid.Cells(TFDrumMap::kPitch, 1), "Eb6");
  EXPECT_EQ(grid.Cells(TFDrumMap::kPitch, 62), "D1");
  EXPECT_EQ(dialog.Entry(38), (TDrumMapEntry{"Acoustic Snare", 3, 65, true}));
  EXPECT_EQ(dialog.Entry(40), TDrumMapEntry{});
  td::ShowAndWait(dialog);
  const int row = TFDrumMap::RowOfKey(49);
  grid.SetTopRow(row);
  td::ProcessMessages();
  const TRect use = grid.CellRect(TFDrumMap::kUse, row);
  td::Click(grid, (use.Left + use.Right) / 2, (use.Top + use.Bottom) / 2);
  EXPECT_TRUE(dialog.Entry(49).Use);
  dialog.SetEntry(38, {"Snare, rim", 3, 66, true});
  dialog.SetEntry(42, {"   ", 0, 70, true});
  dialog.Save();
  const TIniFile saved(Out);
  EXPECT_EQ(saved.ReadString(kDrumMapSection, "Pitch38", ""), "Snare, rim,3,66,1");
  EXPECT_FALSE(saved.ValueExists(kDrumMapSection, "Pitch42"));
  EXPECT_EQ(saved.ReadString(kDrumMapSection, "Pitch49", ""), "Crash,0,71,1");
  EXPECT_EQ(ReadDrumMapEntry(saved, 38).Name, "Snare, rim");
  EXPECT_EQ(saved.ReadSection(kDrumMapSection).Count(), 2);
  EXPECT_EQ(TIniFile(In).ReadString(kDrumMapSection, "Pitch42", ""), "Closed Hi-Hat,0,70,1");
}

// The head cell's picker offers the standard head first and the styles;
// a click writes the style's index into the cell.
TEST_F(DrumMapDialog, TheHeadPickerWritesTheCell) {
  TFDrumMap dialog(nullptr, nullptr, In, Out);
  td::ShowAndWait(dialog);
  const int row = TFDrumMap::RowOfKey(38);
  TFChooseDrum* picker = dialog.ChooseHead(row);
  ASSERT_TRUE(picker->WithStandard);
  td::ProcessMessages();
  ASSERT_GE(picker->Buttons.size(), 3u);
  td::Click(*picker->Buttons[1], 10, 10);
  td::ProcessMessages();
  EXPECT_EQ(dialog.Entry(38).Head, 1);
  picker = dialog.ChooseHead(row);
  td::ProcessMessages();
  td::Click(*picker->Buttons.back(), 10, 10);  // the standard head
  td::ProcessMessages();
  EXPECT_EQ(dialog.Entry(38).Head, kStandardDrumHead);
}

// The shipped map names the General MIDI percussion keys 35 .. 81, each
// with a head the shipped styles have (or the standard one) and a place
// near the staff.
TEST(ShippedDrumMap, NamesTheGeneralMidiKeys) {
  TProgramFolder folder(true);
  const std::string file = platform::FindLibraryIndex(kDrumMapFile);
  ASSERT_FALSE(file.empty());
  const TIniFile map(file);
  const size_t styles = LoadDrumStyles().size();
  int named = 0;
  for (int key = kFirstDrumKey; key <= kLastDrumKey; ++key) {
    const TDrumMapEntry e = ReadDrumMapEntry(map, key);
    if (e.Name.empty()) continue;
    ++named;
    EXPECT_TRUE(key >= 35 && key <= 81) << key;
    EXPECT_TRUE(e.Head == kNoDrumHead || (e.Head >= 0 && e.Head < static_cast<int>(styles))) << key;
    EXPECT_TRUE(e.Position >= 56 && e.Position <= 74) << key;
    EXPECT_TRUE(e.Use) << key;
  }
  EXPECT_EQ(named, 47);
  EXPECT_EQ(ReadDrumMapEntry(map, 38).Name, "Acoustic Snare");
}

}  // namespace
}  // namespace qs::test
