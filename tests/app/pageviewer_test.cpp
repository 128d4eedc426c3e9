// The program's window, driven through the window system: the score in the
// score view.
#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "app/choosepage.h"
#include "app/documentscore.h"
#include "app/pageviewer.h"
#include "uikit/language.h"
#include "platform/extctrls.h"
#include "platform/forms.h"
#include "layout/layout.h"
#include "platform/bitmap.h"
#include "platform/fonts.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "score/page.h"
#include "score/piece.h"
#include "score/score.h"
#include "view/window.h"

using namespace qs;
namespace td = qs::testdriver;

namespace {

class PageViewerTest : public ::testing::Test {
 protected:
  // The score is made after the layout pass is installed, so that it has it.
  void SetUp() override {
    InstallLayout();
    owned = std::make_unique<TQSScore>();
    MakeNewScore(*owned);
    // Three pages to scroll through.
    owned->SetPageCount(3);
  }
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
  form.SetBounds(0, 0, 1000, 700);
  td::ShowAndWait(form);
  auto shot = GrabControl(*form.View);
  // The rulers are shown; the paper is in the page's colour where the page
  // lies after them, the view grey beside it.
  const int r = form.View->Geometry().RulerWidth();
  EXPECT_EQ(r, 24);
  const int pageWidth = form.View->Geometry().PagePixelRect().Right;
  ASSERT_LT(r + pageWidth + 20, form.View->ClientWidth() - 17);
  EXPECT_EQ(shot->Pixel(r + 4, r + 4), paper);
  EXPECT_EQ(shot->Pixel(r + pageWidth + 10, r + 4), clGray);
}

TEST_F(PageViewerTest, TheWheelAndTheScrollBarMoveThePages) {
  TQSScore& score = *owned;
  ASSERT_GE(score.LaidOutPages, 2);
  TPageViewerForm form(nullptr, score, "three.sfd", "ENU");
  form.SetBounds(0, 0, 600, 400);
  td::ShowAndWait(form);
  TQSWindow& view = *form.View;
  EXPECT_TRUE(view.Focused());
  td::Wheel(view, 50, 50, -WHEEL_DELTA);
  EXPECT_EQ(view.Geometry().VertBar.Position, 60);
  EXPECT_EQ(view.VertScrollBar->Position(), 60);
  td::Wheel(view, 50, 50, WHEEL_DELTA);
  td::Wheel(view, 50, 50, WHEEL_DELTA);  // not above the first page
  EXPECT_EQ(view.Geometry().VertBar.Position, 0);
  td::Wheel(view, 50, 50, WHEEL_DELTA, ssCtrl);
  EXPECT_EQ(view.Zoom, 125);
}

// A press and release in the middle of a page button.
void PressPageButton(TQSWindow& view, int button) {
  const TRect& r = view.Buttons[static_cast<size_t>(button)];
  td::Click(view, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
}

TFChoosePage* OpenChooser() {
  for (int i = 0; i < Screen().FormCount(); ++i)
    if (auto* chooser = dynamic_cast<TFChoosePage*>(Screen().Forms(i)); chooser && chooser->Visible()) return chooser;
  return nullptr;
}

TEST_F(PageViewerTest, ThePageBarTurnsPagesAndShowsThePageInView) {
  TQSScore& score = *owned;
  ASSERT_EQ(score.LaidOutPages, 3);
  TPageViewerForm form(nullptr, score, "", "ENU");
  form.SetBounds(0, 0, 900, 700);
  td::ShowAndWait(form);
  TQSWindow& view = *form.View;
  PressPageButton(view, 5);
  EXPECT_EQ(view.CursorPosition.Page, 2);
  // The first button lies in the vertical ruler's band, and is pressed all
  // the same.
  ASSERT_LT(view.Buttons[1].Left, view.Geometry().RulerWidth());
  PressPageButton(view, 1);
  EXPECT_EQ(view.CursorPosition.Page, 0);
  EXPECT_EQ(view.Geometry().VertBar.Position, 0);

  // The drop-down button opens the chooser; a page chosen there is shown.
  PressPageButton(view, 3);
  TFChoosePage* chooser = OpenChooser();
  ASSERT_NE(chooser, nullptr);
  EXPECT_EQ(chooser->PageCount(), 3);
  EXPECT_TRUE(chooser->PageButton(0)->Down());
  td::Click(*chooser->PageButton(2), 5, 5);
  td::ProcessMessages();
  EXPECT_EQ(view.CursorPosition.Page, 2);
  EXPECT_EQ(OpenChooser(), nullptr);

  // Scrolled by the wheel from the first page to the second, the bar shows
  // and steps from the page in view.
  PressPageButton(view, 1);
  const int pageHeight = view.Geometry().PageGrid[0].Rect.Height();
  while (view.Geometry().VertBar.Position < pageHeight) td::Wheel(view, 200, 200, -WHEEL_DELTA);
  EXPECT_EQ(view.CursorPosition.Page, 0);
  EXPECT_EQ(view.ShownPage(), 1);
  PressPageButton(view, 4);
  EXPECT_EQ(view.CursorPosition.Page, 2);
}

TEST(DocumentScore, TheEntryModeAndTheStepLettersSpeakTheInterfaceLanguage) {
  TComponent owner(nullptr);
  auto* engine = new TECLanguage(&owner);
  const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
      {"ENU", "Insert", "Overwrite", "CDEFGAB"},
      {"DEU", "Einfügen", "Überschreiben", "CDEFGAH"},
      {"ITA", "Inserimento", "Sovrascrittura", "CDEFGAB"},
      {"RUS", "Вставка", "Замена", "CDEFGAH"}};
  for (const auto& [language, insert, overwrite, letters] : cases) {
    engine->SetLanguage(language);
    TQSScore score;
    SetUpDocumentScore(score);
    EXPECT_EQ(score.InsertName, insert) << language;
    EXPECT_EQ(score.OverwriteName, overwrite) << language;
    EXPECT_EQ(score.NoteNames, letters) << language;
  }
}

TEST(ChoosePage, FortyPagesTakeTwoRowsOfTwentyFour) {
  TFChoosePage chooser(nullptr);
  chooser.SetPageCount(40);
  EXPECT_EQ(chooser.PageButton(23)->Top(), 0);
  EXPECT_EQ(chooser.PageButton(24)->Left(), 0);
  EXPECT_EQ(chooser.PageButton(24)->Top(), 15);
  EXPECT_EQ(chooser.PageButton(39)->Caption(), "40");
  EXPECT_EQ(chooser.Width(), 23 * 24 + 8);
  chooser.SetPageCount(5);
  EXPECT_EQ(chooser.PageButton(5), nullptr);
  EXPECT_EQ(chooser.Height(), 15 + 4);
}

}  // namespace

namespace {

// The program window shows the rulers, and a ruler marker dragged there
// changes the spacing it stands for: the system's right offset.
TEST_F(PageViewerTest, ARulerMarkerDragChangesTheSpacing) {
  TQSScore& score = *owned;
  TPageViewerForm form(nullptr, score, "", "ENU");
  form.SetBounds(0, 0, 900, 700);
  td::ShowAndWait(form);
  TQSWindow& view = *form.View;
  const int x = view.RulerMarkers[1] - view.Geometry().HorzBar.Position, y = view.Rule.Width / 4;
  ASSERT_EQ(view.RulerMarkerAt(x, y), 2);
  const auto& offsets = score.GetPiece(0)->Spacing.RightOffsets;
  const int before = offsets.empty() ? 0 : offsets[0];
  td::MouseDown(view, x, y);
  td::MouseMove(view, x - 5, y);
  td::MouseMove(view, x - 10, y);
  td::MouseUp(view, x - 10, y);
  ASSERT_FALSE(offsets.empty());
  EXPECT_EQ(offsets[0], before - 10 * 8);
}

}  // namespace
