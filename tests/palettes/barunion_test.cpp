// The join-notes style form: its values in the score's encoding, and a
// change reported for every click of the user but not while a caller loads
// values.
#include <gtest/gtest.h>

#include "palettes/barunion.h"
#include "platform/comctrls.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "uikit/charbutton.h"

using namespace qs;
namespace td = qs::testdriver;

TEST(BarUnion, StylesComeBackAndOnlyTheUsersChangesAreReported) {
  TFBarUnion form(nullptr);
  for (const int style : {0, 1, 2, 3, 7, 101}) {
    form.SetUnionStyle(static_cast<uint8_t>(style));
    EXPECT_EQ(form.GetUnionStyle(), style);
    EXPECT_EQ(form.UDUnionCount->Enabled(), false) << "inactive";
  }
  form.SetActive(true);
  EXPECT_TRUE(form.GetActive());
  EXPECT_TRUE(form.UDUnionCount->Enabled()) << "active and custom";
  int changes = 0;
  form.OnChange = [&changes](TObject*) { ++changes; };
  form.SetDialogMode(false);
  EXPECT_FALSE(form.BBOk->Visible());
  td::ShowAndWait(form);
  td::Click(*form.CBFull, 20, 20);
  EXPECT_EQ(form.GetUnionStyle(), 1);
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(form.UDUnionCount->Enabled());
  form.Suppress = true;
  td::Click(*form.CBSize, 20, 20);
  EXPECT_EQ(form.GetUnionStyle(), 2);
  EXPECT_EQ(changes, 1);
  form.Suppress = false;
  td::Click(*form.CBActive, 6, 8);
  EXPECT_FALSE(form.GetActive());
  EXPECT_EQ(changes, 2);
}
