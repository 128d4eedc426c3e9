// The pitch chooser: a pitch shown as its octave and note buttons, the
// highest notes left out of octave 10, and a note click that reports the
// pitch and closes the drop-down.
#include <gtest/gtest.h>

#include "platform/testdriver.h"
#include "uikit/charbutton.h"
#include "palettes/pitchpicker.h"

namespace qs {
namespace {

namespace td = testdriver;

TEST(PitchChooser, ShowsAndGivesThePitch) {
  struct Case {
    int Set;
    int Octave, Note, Got;
    bool HighNotes;
  };
  const Case cases[] = {
      {0, 0, 0, 0, true},     {64, 5, 4, 64, true},   {119, 9, 11, 119, true},
      {127, 10, 7, 127, false}, {200, 10, 7, 127, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Set);
    TFChoosePitch chooser(nullptr);
    chooser.OnClose = nullptr;
    chooser.SetPitch(static_cast<uint8_t>(c.Set));
    EXPECT_TRUE(chooser.Octaves[c.Octave]->Down());
    EXPECT_TRUE(chooser.Notes[c.Note]->Down());
    EXPECT_EQ(chooser.GetPitch(), c.Got);
    for (int i = 8; i < 12; ++i) EXPECT_EQ(chooser.Notes[i]->Visible(), c.HighNotes);
  }
}

TEST(PitchChooser, ANoteClickReportsThePitchAndCloses) {
  // It frees itself when it closes after the choice.
  auto* chooser = new TFChoosePitch(nullptr);
  int chosen = -1;
  chooser->OnChoose = [&](TFChoosePitch*, uint8_t pitch) { chosen = pitch; };
  chooser->SetPitch(64);
  td::ShowAndWait(*chooser);
  td::Click(*chooser->Octaves[10], 5, 5);
  EXPECT_FALSE(chooser->Notes[11]->Visible()) << "no B in octave 10";
  td::Click(*chooser->Octaves[3], 5, 5);
  EXPECT_TRUE(chooser->Notes[11]->Visible());
  td::Click(*chooser->Notes[9], 5, 5);
  EXPECT_EQ(chosen, 3 * 12 + 9);
  td::ProcessMessages();
}

}  // namespace
}  // namespace qs
