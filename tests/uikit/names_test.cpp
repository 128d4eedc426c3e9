// The vocabulary tables: spot checks at their ends and gaps, where an
// off-by-one in a table shows.
#include <gtest/gtest.h>

#include "uikit/names.h"

namespace qs {
namespace {

TEST(NameTables, EndsAndGaps) {
  EXPECT_EQ(ClefName(0), "Violin");
  EXPECT_EQ(ClefName(12), "Tablature");
  EXPECT_EQ(ClefName(14), "Percussion 2");
  EXPECT_EQ(ClefName(15), "");
  EXPECT_EQ(KeyName(0, 7), "Cis-dur");
  EXPECT_EQ(KeyName(1, 12), "g-moll");
  EXPECT_EQ(KeyName(0, 17), "Ces-dur");
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
