// The print preview's pages and zoom, the About and splash windows' outline
// and closing, and a print that fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "../common/temp_folder.h"
#include "app/about.h"
#include "app/startup.h"
#include "app/pageviewer.h"
#include "app/preview.h"
#include "app/printing.h"
#include "layout/layout.h"
#include "platform/actions.h"
#include "platform/extctrls.h"
#include "platform/stdctrls.h"
#include "platform/keys.h"
#include "platform/paths.h"
#include "platform/printer.h"
#include "platform/testdriver.h"
#include "score/score.h"
#include "uikit/settings.h"
#include "view/window.h"

using namespace qs;
namespace td = qs::testdriver;

namespace {

class PreviewTest : public testing::Test {
 protected:
  // The score is made after the layout pass is installed, so that it has it.
  void SetUp() override {
    InstallLayout();
    score_ = std::make_unique<TQSScore>();
    MakeNewScore(*score_);
    score_->SetPageCount(5);
    settings_ = std::make_unique<TSettings>(folder_.Path + "ProgramSetting.ini");
  }
  test::TTempFolder folder_;
  std::unique_ptr<TQSScore> score_;
  std::unique_ptr<TSettings> settings_;
};

TEST_F(PreviewTest, PagesMoveByRowsOfOneOrTwo) {
  ASSERT_EQ(score_->LaidOutPages, 5);
  TFPreviewModule preview(nullptr, settings_.get());
  preview.SetScore(score_.get(), "Etude");
  td::ShowAndWait(preview);
  EXPECT_EQ(preview.QSPreview->Geometry().PagePerHorz(), 1) << "one page to a row at first";
  EXPECT_FALSE(preview.AFirst->Enabled());
  EXPECT_TRUE(preview.ANext->Enabled());
  preview.LastPage();
  EXPECT_EQ(preview.CurrentPage(), 4);
  EXPECT_FALSE(preview.ALast->Enabled());
  EXPECT_TRUE(preview.APrev->Enabled());
  // Two pages to a row: the last row begins at page index 4; Next from
  // index 2 goes to 4; Page Up goes back a row.
  td::Click(*preview.CBTwoPage, 5, 5);
  EXPECT_EQ(preview.QSPreview->Geometry().PagePerHorz(), 2);
  preview.FirstPage();
  preview.LastPage();
  EXPECT_EQ(preview.CurrentPage(), 4);
  preview.GotoPage(2);
  preview.NextPage();
  EXPECT_EQ(preview.CurrentPage(), 4);
  td::PressKey(*preview.QSPreview, VK_PRIOR);
  EXPECT_EQ(preview.CurrentPage(), 2);
  td::PressKey(*preview.QSPreview, VK_HOME);
  EXPECT_EQ(preview.CurrentPage(), 0);
  // Of four pages the last row is pages 3 and 4 (indexes 2 and 3).
  score_->SetPageCount(4);
  ASSERT_EQ(score_->LaidOutPages, 4);
  td::PressKey(*preview.QSPreview, VK_END);
  EXPECT_EQ(preview.CurrentPage(), 2);
}

TEST_F(PreviewTest, ZoomFromTheListAndTheNumericPad) {
  TFPreviewModule preview(nullptr, settings_.get());
  preview.SetScore(score_.get(), "Etude");
  td::ShowAndWait(preview);
  const int fitted = preview.QSPreview->Zoom;
  preview.CBScale->SetItemIndex(5);  // "150%"
  preview.ApplyScale(preview.CBScale->ItemIndex());
  EXPECT_EQ(preview.CBScale->Text(), "150%");
  EXPECT_EQ(preview.QSPreview->Zoom, 150);
  td::PressKey(*preview.QSPreview, VK_ADD);
  EXPECT_EQ(preview.QSPreview->Zoom, 175);
  td::PressKey(*preview.QSPreview, VK_SUBTRACT);
  td::PressKey(*preview.QSPreview, VK_SUBTRACT);
  EXPECT_EQ(preview.QSPreview->Zoom, 125);
  preview.ApplyScale(1);
  EXPECT_EQ(preview.QSPreview->Zoom, fitted) << "by height, as it opened";
}

TEST_F(PreviewTest, ReopenedItShowsAsManyPagesAsWhenItClosed) {
  {
    TFPreviewModule preview(nullptr, settings_.get());
    preview.SetScore(score_.get(), "Etude");
    td::ShowAndWait(preview);
    td::Click(*preview.CBTwoPage, 5, 5);
  }
  TFPreviewModule again(nullptr, settings_.get());
  again.SetScore(score_.get(), "Etude");
  td::ShowAndWait(again);
  EXPECT_EQ(again.QSPreview->Geometry().PagePerHorz(), 2);
  EXPECT_TRUE(again.CBTwoPage->Down());
}

// A print that cannot reach its printer is told in the message box and
// the program goes on.
TEST_F(PreviewTest, AFailingPrintIsShownAndRaisesNothing) {
  TPrintDialog dialog;
  dialog.PrinterName = "NoSuchPrinterHere";
  std::string shown;
  td::Later([&shown] {
    shown = td::WaitForModal() && Screen().ActiveForm() ? Screen().ActiveForm()->Caption() : "";
    td::KeyToModal(VK_RETURN);
  });
  EXPECT_NO_THROW(PrintNow(*score_, dialog, "Etude"));
  EXPECT_EQ(shown, "Error");
}

// Whether a point lies inside a polygon (even-odd rule).
bool Inside(const std::vector<TPoint>& polygon, double x, double y) {
  bool in = false;
  for (size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const TPoint& a = polygon[i];
    const TPoint& b = polygon[j];
    if ((a.Y > y) != (b.Y > y) && x < (b.X - a.X) * (y - a.Y) / static_cast<double>(b.Y - a.Y) + a.X) in = !in;
  }
  return in;
}

TEST(AboutOutline, TheBodyWithRoundCornersAndTheOrnamentOnTop) {
  const std::vector<TPoint> outline = AboutOutline(kAboutWidth, kAboutHeight);
  struct TCase {
    int X, Y;
    bool In;
  };
  const TCase cases[] = {
      {270, 200, true},   // the body
      {466, 8, true},     // the ornament's tip
      {440, 70, true},    // the ornament above the body
      {300, 40, false},   // above the body, beside the ornament
      {520, 40, false},   // right of the ornament
      {2, 82, false},     // cut off by the top-left corner
      {537, 407, false},  // cut off by the bottom-right corner
      {20, 400, true},
  };
  for (const TCase& c : cases) EXPECT_EQ(Inside(outline, c.X + 0.5, c.Y + 0.5), c.In) << c.X << "," << c.Y;
  // A window too narrow for the ornament is the rounded body alone.
  for (const TPoint& p : AboutOutline(300, 200)) EXPECT_GE(p.Y, 79);
}

class SplashTest : public testing::Test {
 protected:
  void SetUp() override { InstallAboutSplash(); }
  void TearDown() override {
    CloseSplash();
    SetSplashFactory(nullptr);
    platform::SetProgramDirForTesting("");
  }
  test::TTempFolder folder_;
};

TEST_F(SplashTest, WithoutThePictureThereIsNoSplash) {
  platform::SetProgramDirForTesting(folder_.Path);
  ShowSplash();
  EXPECT_EQ(Splash(), nullptr);
}

TEST_F(SplashTest, ClicksCloseItOnlyOnceTheMainWindowStands) {
  const std::string shipped = platform::FindResource(kAboutPicture);
  ASSERT_FALSE(shipped.empty()) << "the program ships " << kAboutPicture;
  std::filesystem::copy_file(shipped, folder_.Path + kAboutPicture);
  platform::SetProgramDirForTesting(folder_.Path);
  ShowSplash();
  auto* splash = dynamic_cast<TLogoSplash*>(Splash());
  ASSERT_NE(splash, nullptr);
  TFLogoModule& form = splash->Form();
  EXPECT_EQ(form.Width(), kAboutWidth);
  EXPECT_EQ(form.Height(), kAboutHeight);
  EXPECT_TRUE(splash->Visible());
  td::Click(form, 270, 200);
  EXPECT_TRUE(splash->Visible()) << "the main window is not there yet";
  ReleaseSplash();
  td::Click(form, 270, 200);
  EXPECT_FALSE(splash->Visible());
}

TEST(AboutWindow, AKeyOrAClickClosesIt) {
  TFAboutModule about(nullptr);
  td::Later([&about] {
    td::WaitForModal();
    td::Click(*about.Image, 100, 150);
  }, 20);
  EXPECT_EQ(about.ShowModal(), mrCancel);
  td::Later([] {
    td::WaitForModal();
    td::KeyToModal('A');
  }, 20);
  EXPECT_EQ(about.ShowModal(), mrCancel);
}

}  // namespace
