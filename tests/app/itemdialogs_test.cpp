// The text dialog of the selected page texts, lyrics, inscriptions and
// instrument names, reached with real mouse presses in a document's view:
// a double click on the text itself edits it in place, one beside the
// selection opens the dialog, which shows the text's colour too; its OK
// writes one undo step.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/fileeditor.h"
#include "app/mainwindow.h"
#include "editing/pageobjects.h"
#include "layout/layout.h"
#include "palettes/textproperties.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/pageobjects.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "uikit/language.h"
#include "uikit/settings.h"
#include "view/window.h"

using namespace qs;
namespace td = qs::testdriver;

namespace {

class ItemDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallLayout();
    if (!GlobalLanguage()) (new TECLanguage(&languageOwner_))->SetLanguage(kDefaultLanguage);
    GlobalLanguage()->SetLanguage(kDefaultLanguage);
    dir_ = ::testing::TempDir() + "qs_itemdialogs_" + std::to_string(::getpid()) + "/";
    ASSERT_EQ(std::system(("rm -rf '" + dir_ + "' && mkdir -p '" + dir_ + "'").c_str()), 0);
    settings_ = std::make_unique<TSettings>(dir_ + "ProgramSetting.ini");
    main_ = std::make_unique<TFProgramModule>(nullptr, settings_.get());
    main_->SetWindowState(TWindowState::wsNormal);
    main_->SetBounds(0, 0, 1000, 800);
  }
  void TearDown() override {
    for (int i = 0; i < main_->DocumentCount(); ++i) main_->Document(i)->SetModified(false);
    main_.reset();
    settings_.reset();
  }

  TComponent languageOwner_{nullptr};
  std::string dir_;
  std::unique_ptr<TSettings> settings_;
  std::unique_ptr<TFProgramModule> main_;
};

// The lines of the score's first item of the kind (undo may have made the
// items anew).
std::vector<std::string> LinesOfKind(TQSScore& score, int k) {
  for (TQSItem* item : score.Items)
    if (item->ItemType == k) return static_cast<TQSText*>(item)->Lines;
  for (TQSPiece* piece : score.PieceList())
    for (int p = 0; p < piece->PartCount(); ++p)
      for (int m = 0; m < piece->GetPart(p)->MeasureCount(); ++m)
        for (TQSItem* item : piece->GetPart(p)->GetMeasure(m)->Items)
          if (item->ItemType == k) return static_cast<TQSLyric*>(item)->Lines;
  return {};
}

// Answers the text dialog once it is the active form. It opens from a
// queued call inside whichever message loop runs then, so this looks for it
// from the loop every 20 ms (while armed, at most tries times) instead of
// waiting in a loop of its own.
void WhenTheDialogIsActive(std::function<void(TFTextProperties&)> answer, std::shared_ptr<bool> armed,
                           int tries = 150) {
  td::Later([answer, armed, tries] {
    if (!*armed) return;
    if (auto* dialog = dynamic_cast<TFTextProperties*>(Screen().ActiveForm()); dialog && td::WaitForModal()) {
      answer(*dialog);
    } else if (tries > 0) {
      WhenTheDialogIsActive(answer, armed, tries - 1);
    }
  }, 20);
}

// What the dialog showed when it opened.
struct TShown {
  bool Opened = false;
  std::vector<std::string> Lines;
  bool ContinueShown = false, ContinueChecked = false, AlignmentShown = true;
  TColor Colour = 0;
};

TEST_F(ItemDialogsTest, ADoubleClickOnATextEditsItInPlaceOneBesideTheSelectionOpensTheDialog) {
  struct TCase {
    int Kind;
    bool ContinueShown;
    uint8_t ContinuedAfter;  // bit 0 of the flags after OK with the box cleared
  } const cases[] = {{kind::Text, false, 0},
                     {kind::Lyric, true, 0},
                     {kind::Term, true, 0},
                     {kind::InstrumentName, false, 1}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Kind);
    TFFileEditor* doc = main_->NewDocument();
    td::ShowAndWait(*main_);
    TQSScore& score = doc->Score();
    TQSWindow& view = *doc->QSWindow;
    TQSItem* item = nullptr;
    if (c.Kind == kind::Text) {
      item = InsertText(score, 1600, 1200, {"Alt"}, "Arial", 14, 0, 0x800000);
    } else if (c.Kind == kind::InstrumentName) {
      item = InsertInstrumentName(score, {"Alt"}, "Arial", 0, 0, 14, 0, 0x800000);
    } else {
      item = InsertLyric(score, c.Kind, {"Alt"}, "Arial", c.Kind == kind::Lyric ? -120 : 60, 0, 14, 0, 0x800000,
                         false);
    }
    ASSERT_NE(item, nullptr);
    auto* lyric = dynamic_cast<TQSLyric*>(item);
    if (lyric) lyric->Fields.Flags |= 1;
    const TQSCalcItem* element = FindLayoutElement(score, item, -1);
    ASSERT_NE(element, nullptr);
    const TRect box = view.Geometry().ElementClientBox(*element);
    const TPoint on{(box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2};

    // On the text: edited in place, no dialog (one would be cancelled).
    auto armed = std::make_shared<bool>(true);
    auto cancelled = std::make_shared<bool>(false);
    WhenTheDialogIsActive([cancelled](TFTextProperties&) {
      *cancelled = true;
      td::KeyToModal(VK_ESCAPE);
    }, armed, 10);
    td::DoubleClick(view, on.X, on.Y);
    ASSERT_NE(view.EditedElement, nullptr);
    EXPECT_EQ(view.EditedElement->Item, item);
    td::PressKey(view, VK_ESCAPE);
    td::ProcessMessages();
    *armed = false;
    EXPECT_FALSE(*cancelled) << "no dialog over in-place editing";
    EXPECT_EQ(view.EditedElement, nullptr);

    // Selected, then a double click beside it with Ctrl: the dialog, with
    // the continuation box for syllables and inscriptions only.
    td::Click(view, on.X, on.Y);
    ASSERT_TRUE(view.SelectionHasKind(c.Kind));
    const TPoint beside = view.Geometry().PageToScreen({40, 40}, 0);
    const size_t undo = score.UndoList.size();
    TShown shown;
    armed = std::make_shared<bool>(true);
    WhenTheDialogIsActive([&shown](TFTextProperties& dialog) {
      shown.Opened = true;
      shown.Lines = dialog.Lines();
      shown.ContinueShown = dialog.CBContinue->Visible();
      shown.ContinueChecked = dialog.CBContinue->Checked();
      shown.AlignmentShown = dialog.CBAlignmentNote->Visible();
      shown.Colour = dialog.FontColor();
      dialog.SetLines({"Neu", "zwei"});
      dialog.SetColor(0x0000FF);  // as the colour chooser does
      td::Click(*dialog.CBBold, 5, 5);
      dialog.CBContinue->SetChecked(false);
      td::Click(*dialog.BBOk, 5, 5);
    }, armed);
    td::DoubleClick(view, beside.X, beside.Y, ssCtrl);
    td::ProcessMessages();
    *armed = false;
    ASSERT_TRUE(shown.Opened);
    EXPECT_EQ(shown.Lines, std::vector<std::string>{"Alt"});
    EXPECT_EQ(shown.ContinueShown, c.ContinueShown);
    EXPECT_EQ(shown.ContinueChecked, lyric != nullptr);
    EXPECT_FALSE(shown.AlignmentShown);
    EXPECT_EQ(LinesOfKind(score, c.Kind), (std::vector<std::string>{"Neu", "zwei"}));
    EXPECT_EQ(shown.Colour, 0x800000u);
    const uint8_t style = lyric ? lyric->Fields.FontStyle : static_cast<TQSText*>(item)->Fields.FontStyle;
    EXPECT_EQ(style & fsBold, fsBold);
    EXPECT_EQ(lyric ? lyric->Fields.Color : static_cast<TQSText*>(item)->Fields.Color, 0x0000FFu);
    if (lyric) EXPECT_EQ(lyric->Fields.Flags & 1, c.ContinuedAfter);
    EXPECT_EQ(score.UndoList.size(), undo + 1);
    score.Undo(1);
    EXPECT_EQ(LinesOfKind(score, c.Kind), std::vector<std::string>{"Alt"});
  }
}

}  // namespace
