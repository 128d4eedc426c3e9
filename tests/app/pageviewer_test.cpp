// The program's page window, driven through the window system.
#include <gtest/gtest.h>

#include "app/pageviewer.h"
#include "layout/layout.h"
#include "platform/bitmap.h"
#include "platform/fonts.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "score/page.h"
#include "score/score.h"

using namespace qs;
namespace td = qs::testdriver;

namespace {

class PageViewerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A score takes the layout pass installed when it is made.
    InstallLayout();
    owned = std::make_unique<TQSScore>();
    MakeNewScore(score());
    // Three pages to scroll through.
    score().SetPageCount(3);
  }
  TQSScore& score() { return *owned; }
  std::unique_ptr<TQSScore> owned;
};

TEST_F(PageViewerTest, ANewScoreIsOneA4PageWithAStaff) {
  TQSScore fresh;
  MakeNewScore(fresh);
  EXPECT_EQ(fresh.LaidOutPages, 1);
  EXPECT_EQ(fresh.Page.PaperSize(), TQSPaperSize::A4);
  const TColor paper = RGB(255, 250, 220);
  fresh.Page.SetColor(paper);
  TPageViewerForm form(nullptr, fresh, "", "DEU");
  EXPECT_EQ(form.Caption(), "Unbenannt - Quillstave 4");
  td::ShowAndWait(form);
  auto shot = GrabControl(*form.Viewer);
  // The paper is in the page's colour where the page lies, the view grey
  // beside it.
  const int pageLeft = std::max(TPageViewer::kGap, (form.Viewer->ClientWidth() - fresh.Page.PixelWidth()) / 2);
  EXPECT_EQ(shot->Pixel(pageLeft + 2, TPageViewer::kGap + 2), paper);
  EXPECT_EQ(shot->Pixel(2, 2), ColorToRGB(clGray));
}

TEST_F(PageViewerTest, TheWheelTheKeysAndTheScrollBarMoveThePages) {
  ASSERT_GE(score().LaidOutPages, 2);
  TPageViewerForm form(nullptr, score(), "long.sfd", "ENU");
  form.SetBounds(0, 0, 600, 400);
  td::ShowAndWait(form);
  TPageViewer& viewer = *form.Viewer;
  EXPECT_TRUE(viewer.Focused());
  td::Wheel(viewer, 50, 50, -WHEEL_DELTA);
  EXPECT_EQ(viewer.ScrollY(), 60);
  EXPECT_EQ(form.ScrollBar->Position(), 60);
  td::PressKey(viewer, VK_NEXT);
  EXPECT_EQ(viewer.ScrollY(), 60 + viewer.ClientHeight() - 40);
  td::PressKey(viewer, VK_END);
  EXPECT_EQ(viewer.ScrollY(), viewer.ContentHeight() - viewer.ClientHeight());
  td::PressKey(viewer, VK_HOME);
  EXPECT_EQ(viewer.ScrollY(), 0);
  td::Wheel(viewer, 50, 50, WHEEL_DELTA);  // not above the first page
  EXPECT_EQ(viewer.ScrollY(), 0);
  form.ScrollBar->SetPosition(500);
  EXPECT_EQ(viewer.ScrollY(), 500);
}

}  // namespace
