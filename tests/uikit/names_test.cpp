// The vocabulary tables: spot checks at their ends and gaps, where an
// off-by-one in a table shows.
#include <gtest/gtest.h>

#include "uikit/names.h"

namespace qs {
namespace {

// Keys and clefs are named in the interface language: German B is the
// English B flat, and the gap between sharps and flats is not counted.
TEST(NameTables, KeysAndClefsInEveryLanguage) {
  struct Case {
    const char* Language;
    int Mode, Key;
    const char* Name;
  };
  for (const Case& c : {Case{"ENU", 0, 0, "C major"}, Case{"ENU", 0, 5, "B major"}, Case{"ENU", 0, 11, "F major"},
                        Case{"ENU", 0, 12, "Bb major"}, Case{"ENU", 1, 17, "Ab minor"}, Case{"DEU", 0, 5, "H-Dur"},
                        Case{"DEU", 0, 12, "B-Dur"}, Case{"DEU", 1, 2, "h-Moll"}, Case{"FRA", 0, 1, "Sol maj."},
                        Case{"FRA", 1, 15, "sib min."}, Case{"ITA", 0, 13, "Mib mag."},
                        Case{"RUS", 1, 7, "ais-moll"}})
    EXPECT_EQ(KeyName(c.Mode, c.Key, c.Language), c.Name) << c.Language << " " << c.Mode << "/" << c.Key;
  EXPECT_EQ(ClefName(0, "DEU"), "Violin");
  EXPECT_EQ(ClefName(2, "ITA"), "Contralto");
  EXPECT_EQ(ClefName(14, "FRA"), "Percussions 2");
}

TEST(NameTables, EndsAndGaps) {
  EXPECT_EQ(ClefName(0, "ENU"), "Treble");
  EXPECT_EQ(ClefName(12, "ENU"), "Tablature");
  EXPECT_EQ(ClefName(14, "ENU"), "Percussion 2");
  EXPECT_EQ(ClefName(15), "");
  EXPECT_EQ(KeyName(0, 7, "ENU"), "C# major");
  EXPECT_EQ(KeyName(1, 12, "ENU"), "G minor");
  EXPECT_EQ(KeyName(0, 17, "ENU"), "Cb major");
  EXPECT_EQ(KeyName(0, 9), "");
  EXPECT_EQ(KeyName(2, 0), "");
  EXPECT_EQ(ControllerName(0), "Bank Select MSB");
  EXPECT_EQ(ControllerName(3), "");
  EXPECT_EQ(ControllerName(64), "Sustain Pedal, Hold1");
  EXPECT_EQ(ControllerName(127), "Poly");
  EXPECT_EQ(InstrumentName(0), "Acoustic Grand Piano");
  EXPECT_EQ(InstrumentName(40), "Violin");
  EXPECT_EQ(InstrumentName(73), "Flute");
  EXPECT_EQ(InstrumentName(127), "Gunshot");
  EXPECT_EQ(InstrumentName(kPercussionProgram), "Percussion");
  EXPECT_EQ(InstrumentName(129), "");
  EXPECT_EQ(PitchName(10), "Bb");
  EXPECT_EQ(NoteLetter(6), 'B');
}

TEST(NameTables, SettingsReplaceLettersOnlyWhole) {
  SetNoteLetters("CDEFGAH");
  EXPECT_EQ(NoteLetter(6), 'H');
  SetNoteLetters("CDE");
  EXPECT_EQ(NoteLetter(6), 'H');
  SetNoteLetters("CDEFGAB");
}

}  // namespace
}  // namespace qs
