// Scratch.
#include <gtest/gtest.h>

#include "platform/forms.h"
#include "platform/bitmap.h"
#include "platform/testdriver.h"
#include "uikit/gridstring.h"

namespace qs {
namespace {

TEST(GridScratch, Paints) {
  Application().OnException = [](TObject*, const std::exception& e) { ADD_FAILURE() << e.what(); };
  TForm form(nullptr);
  form.SetBounds(0, 0, 300, 200);
  auto* g = new TECStringGrid(&form);
  g->SetParent(&form);
  g->SetBounds(0, 0, 300, 200);
  g->SetCells(1, 1, "x");
  testdriver::ShowAndWait(form);
  auto shot = GrabControl(*g);
  EXPECT_EQ(shot->Pixel(100, 100), 0xFFFFFFu & ColorToRGB(clWindow));
}

}  // namespace
}  // namespace qs
