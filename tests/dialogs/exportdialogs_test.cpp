// The export options, picture and volume dialogs: what they let the user
// choose, and what they keep in the settings.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "../common/temp_folder.h"
#include "base/inifile.h"
#include "dialogs/exportdialogs.h"
#include "palettes/imageproperties.h"
#include "platform/bitmap.h"
#include "platform/comctrls.h"
#include "platform/extctrls.h"
#include "platform/forms.h"
#include "platform/imagefile.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"

using namespace qs;
namespace td = qs::testdriver;

namespace {

// The caption of the next modal window (a message), which is then closed.
void AnswerNextMessage(std::string& caption) {
  td::Later([&caption] {
    if (td::WaitForModal())
      if (TCustomForm* box = Screen().ActiveForm()) caption = box->Caption();
    td::KeyToModal(VK_RETURN);
  });
}

TEST(ExportSetting, TheFirstPageRunsToOneBeforeTheLastAndTheUpDownsKeepThemInOrder) {
  TFExportSetting dialog(nullptr, nullptr);
  dialog.SetPageCount(5);
  EXPECT_EQ(dialog.Range.UDFromPage->Max, 4);
  EXPECT_EQ(dialog.Range.UDToPage->Max, 5);
  dialog.Range.SetPages(9, 9);
  EXPECT_EQ(dialog.GetFromPage(), 4);
  EXPECT_EQ(dialog.GetToPage(), 5);
  // A click on To's down button below From pulls From along; a click on
  // From's up button above To pushes To along.
  dialog.Range.SetPages(3, 3);
  dialog.Range.UDToPage->Step(btPrev);
  EXPECT_EQ(dialog.GetToPage(), 2);
  EXPECT_EQ(dialog.GetFromPage(), 2);
  EXPECT_EQ(dialog.GetPageRange(), 1) << "stepping a page chooses the range";
  dialog.Range.SetPages(3, 3);
  dialog.Range.UDFromPage->Step(btNext);
  EXPECT_EQ(dialog.GetFromPage(), 4);
  EXPECT_EQ(dialog.GetToPage(), 4);
  // A page number typed beyond the score is taken as its last.
  dialog.Range.ETo->SetText("77");
  EXPECT_EQ(dialog.GetToPage(), 5);
  // A one-page score still lets the range be chosen.
  dialog.SetPageCount(1);
  EXPECT_EQ(dialog.GetFromPage(), 1);
  EXPECT_EQ(dialog.GetToPage(), 1);
}

TEST(ExportSetting, EachFormatShowsItsOwnOptions) {
  TFExportSetting dialog(nullptr, nullptr);
  struct TCase {
    int Flags;
    bool Quality, PixelFormat;
  };
  // GIF and metafile: neither; BMP: the pixel format; JPEG: both.
  for (const TCase& c : {TCase{0, false, false}, TCase{1, false, true}, TCase{3, true, true}}) {
    dialog.SetOptionsVisible(c.Flags);
    EXPECT_EQ(dialog.TBQuality->Visible(), c.Quality) << c.Flags;
    EXPECT_EQ(dialog.LQuality->Visible(), c.Quality) << c.Flags;
    EXPECT_EQ(dialog.RGFormat->Visible(), c.PixelFormat) << c.Flags;
  }
}

TEST(ExportSetting, OptionsAreKeptAlsoWhenTheDialogIsCancelled) {
  test::TTempFolder folder;
  TSettings settings(folder.Path + "ProgramSetting.ini");
  {
    TFExportSetting dialog(nullptr, &settings);
    dialog.SetPageCount(5);
    dialog.Range.SetPageRange(1);
    dialog.Range.SetPages(2, 4);
    dialog.CBDoublePage->SetChecked(true);
    dialog.RB24Bit->SetChecked(true);
    dialog.TBQuality->SetPosition(80);
    dialog.TBScale->SetPosition(150);
    EXPECT_EQ(dialog.LScalePerCent->Caption(), "150%");
    td::Later([] { td::KeyToModal(VK_ESCAPE); });
    EXPECT_EQ(dialog.ShowModal(), mrCancel);
  }
  TExportImageSettings stored;
  settings.Load(stored);
  EXPECT_EQ(stored.PageRange, 1);
  EXPECT_EQ(stored.FromPage, 2);
  EXPECT_EQ(stored.ToPage, 4);
  EXPECT_TRUE(stored.DoublePage);
  EXPECT_EQ(stored.PixelFormat, 1);
  EXPECT_EQ(stored.Quality, 80);
  EXPECT_EQ(stored.Scale, 150);
  TFExportSetting again(nullptr, &settings);
  again.SetPageCount(5);
  EXPECT_EQ(again.GetFromPage(), 2);
  EXPECT_EQ(again.GetScale(), 150);
  EXPECT_TRUE(again.GetDoublePage());
}

TEST(PDFSetting, OptionsComeBackAndStayInTheirBounds) {
  test::TTempFolder folder;
  TSettings settings(folder.Path + "ProgramSetting.ini");
  // Values out of bounds in the file read as the defaults.
  settings.Ini().WriteInteger("PDFSetting", "Scale", 900);
  settings.Ini().WriteBool("PDFSetting", "Compressed", false);
  {
    TFPDFSetting dialog(nullptr, &settings);
    EXPECT_EQ(dialog.GetScale(), 100);
    EXPECT_FALSE(dialog.GetCompressed());
    EXPECT_TRUE(dialog.GetImagesAsJpeg());
    dialog.CBImagesAsJpeg->SetChecked(false);
    dialog.TBScale->SetPosition(200);
  }
  TFPDFSetting again(nullptr, &settings);
  EXPECT_EQ(again.GetScale(), 200);
  EXPECT_FALSE(again.GetImagesAsJpeg());
  EXPECT_EQ(again.TBScale->Max(), 200);
}

TEST(ImageProperties, ASizeOfZeroKeepsTheDialogOpenWithItsMessage) {
  TFImageProperties dialog(nullptr, nullptr);
  dialog.SetPictureSize(0, 40);
  std::string caption;
  td::Later([&] {
    AnswerNextMessage(caption);
    td::Click(*dialog.BBOk, 5, 5);  // returns once the message is answered
    EXPECT_TRUE(dialog.Visible());
    // Still open after the message: a valid size closes it with OK.
    dialog.SetPictureSize(30, 40);
    td::Click(*dialog.BBOk, 5, 5);
  }, 20);
  EXPECT_EQ(dialog.ShowModal(), mrOk);
  EXPECT_EQ(caption, "Picture size");
  EXPECT_EQ(dialog.IImage->Width(), 30);
  EXPECT_EQ(dialog.SImage->Height(), 42) << "the frame is one pixel around the picture";
}

TEST(ImageProperties, ALoadedPictureGivesItsSize) {
  test::TTempFolder folder;
  TBitmap picture(17, 9);
  picture.SetPixel(3, 4, RGB(200, 10, 10));
  SaveBitmapToPng(picture, folder.Path + "p.png");
  TFImageProperties dialog(nullptr, nullptr);
  EXPECT_FALSE(dialog.LoadPicture(folder.Path + "missing.png"));
  EXPECT_FALSE(dialog.HasPicture());
  ASSERT_TRUE(dialog.LoadPicture(folder.Path + "p.png"));
  EXPECT_EQ(dialog.PictureWidth(), 17);
  EXPECT_EQ(dialog.PictureHeight(), 9);
  EXPECT_EQ(dialog.IImage->Picture().Pixel(3, 4), RGB(200, 10, 10));
  dialog.BBClear->Click();
  EXPECT_FALSE(dialog.HasPicture());
}

TEST(VolumeBalance, NotSetShowsTheMiddleAndClearingReportsNotSet) {
  TFVolumeBalance popup(nullptr);
  std::vector<int> reported;
  popup.OnChange = [&](TObject*, int value) { reported.push_back(value); };
  popup.SetValue(-1);
  EXPECT_EQ(popup.TBValue->Position(), 63);
  EXPECT_FALSE(popup.CBLock->Checked());
  EXPECT_EQ(popup.Value(), -1);
  EXPECT_TRUE(reported.empty()) << "setting the value reports nothing";
  popup.TBValue->SetPosition(100);
  EXPECT_TRUE(popup.CBLock->Checked()) << "moving the track sets the value";
  popup.SetValue(20);
  EXPECT_EQ(popup.Value(), 20);
  td::ShowAndWait(popup);
  td::Click(*popup.CBLock, 5, 5);
  EXPECT_EQ(popup.Value(), -1);
  ASSERT_FALSE(reported.empty());
  EXPECT_EQ(reported.front(), 100);
  EXPECT_EQ(reported.back(), -1);
}

}  // namespace
