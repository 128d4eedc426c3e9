// The measure properties dialog gives back the values it was given, in the
// score's encodings, also those its controls can only approximate.
#include <gtest/gtest.h>

#include "dialogs/measureproperties.h"
#include "platform/comctrls.h"
#include "platform/stdctrls.h"

using namespace qs;

TEST(MeasurePropertiesDialog, ValuesComeBackInTheScoresEncoding) {
  struct TCase {
    uint16_t Meter, PageBreak;
    uint8_t JoinStyle;
    uint16_t MeterBack, PageBreakBack;
    uint8_t JoinStyleBack;
  } const cases[] = {
      {0x0304, 2, 4, 0x0304, 2, 4},      // 3/4, one empty page, in three groups
      {0, 0, 0, 0, 0, 0},                // nothing of its own
      {0x0710, 1, 2, 0x0710, 1, 2},      // 7/16, no empty page, by beats
      {0x0305, 101, 1, 0x0304, 101, 1},  // a unit not offered: quarters
      {0x0C08, 0, 101, 0x0C08, 0, 101},  // the largest division
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Meter);
    TFMeasureProperties d(nullptr);
    d.SetTimeSignature(c.Meter);
    d.SetStaveBreak(true);
    d.SetJoinActive(true);
    d.SetJoinStyle(c.JoinStyle);
    d.SetPageBreak(c.PageBreak);
    EXPECT_EQ(d.GetTimeSignature(), c.MeterBack);
    EXPECT_EQ(d.GetPageBreak(), c.PageBreakBack);
    EXPECT_EQ(d.GetJoinStyle(), c.JoinStyleBack);
    EXPECT_TRUE(d.GetStaveBreak());
    EXPECT_TRUE(d.GetJoinActive());
    // The counts are editable only where they mean something.
    EXPECT_EQ(d.UDNotesCount->Enabled(), c.Meter != 0);
    EXPECT_EQ(d.EPageCount->Enabled(), c.PageBreak != 0);
    EXPECT_EQ(d.EJoinCount->Enabled(), c.JoinStyle > 2);
  }
}
