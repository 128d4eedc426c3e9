#pragma once
// A laid-out score shown in a view whose screen is a bitmap. The page of
// the layout fixture is 480 x 624 pixels at zoom 100 (96 ppi); its first
// staff's top line lies 72 pixels below the page's top, staff spaces are 6
// pixels, and rows follow each other every 48 pixels.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "../layout/layout_fixture.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/forms.h"
#include "platform/testdriver.h"
#include "view/window.h"

namespace qs::test {

// Stands in for the control: a screen bitmap and a record of what the view
// asked to repaint.
struct TBitmapHost : TQSWindow::THost {
  TBitmap Bitmap{800, 700};
  std::vector<TRect> Invalid;
  int Updates = 0;
  TCanvas* Screen() override { return &Bitmap.Canvas(); }
  void Invalidate(const TRect& r, bool) override { Invalid.push_back(r); }
  void Update() override { ++Updates; }
  void Flush(const TRect&) override {}
};

struct TViewScore : TLayoutScore {
  TBitmapHost Host;
  TQSWindow View;
  TQSPiece* Piece = nullptr;

  // pieces of parts with staves: {1} one part of one staff.
  explicit TViewScore(const std::vector<int>& staves = {1}, int measures = 8) {
    Piece = AddPiece(staves, measures);
  }
  // Lays out and shows the score in an 800 x 700 view without rulers.
  void Show(bool rulers = false) {
    Layout();
    View.Rule.Visible = rulers;
    View.SetHost(&Host);
    View.SetBounds(0, 0, 800, 700);
    View.SetScore(&Score);
  }
  TQSMeasure* Measure(int m, int part = 0) const { return Piece->GetPart(part)->GetMeasure(m); }
  const TQSCalcMeasure& SlotOf(int m) const { return *static_cast<TQSCalcMeasure*>(Piece->Slots[m]); }
  // The client point of a page-unit point of page 0.
  TPoint Client(int x, int y) const { return View.Geometry().PageToScreen({x, y}, 0); }
  // The client x of a tick of a measure.
  int TickX(int m, int tick) const {
    const TQSCalcMeasure& slot = SlotOf(m);
    return Client(slot.Box.Left + slot.Positions[static_cast<size_t>(tick)], 0).X;
  }
  // The client y of a pitch line on staff row `row` of page 0 (60 is the
  // first ledger line below; two lines to a staff space).
  int LineY(int row, int line) const { return Client(0, Row(0, row).TopLine).Y + (70 - line) * 3; }
};

// An 800 x 700 view without rulers on a shown form, for tests that send
// real mouse and key events.
struct TShownView {
  TForm* Form = nullptr;
  TQSWindow* View = nullptr;
  void Show(TQSScore& score) {
    Form = new TForm(nullptr);
    Form->SetBounds(50, 50, 820, 720);
    View = new TQSWindow(Form);
    View->Rule.Visible = false;
    View->SetParent(Form);
    View->SetBounds(0, 0, 800, 700);
    View->SetScore(&score);
    testdriver::ShowAndWait(*Form);
  }
  void Close() {
    delete Form;
    Form = nullptr;
    View = nullptr;
    testdriver::ProcessMessages();
  }
};

// The base of fixtures that drive a shown view with real input: SetUp
// builds the score in Piece and then calls ShowScore.
class TShownScoreTest : public ::testing::Test, public TLayoutScore {
 protected:
  TShownView Shown;
  TQSWindow* View = nullptr;
  TQSPiece* Piece = nullptr;

  // Lays the score out and shows it; with focus the view takes the keys.
  void ShowScore(bool focus) {
    Layout();
    Shown.Show(Score);
    View = Shown.View;
    if (focus) {
      View->SetFocus();
      testdriver::ProcessMessages();
    }
  }
  void TearDown() override { Shown.Close(); }

  TQSMeasure* Measure(int m) const { return Piece->GetPart(0)->GetMeasure(m); }
  TQSNote* NoteAt(int m, int tick) const {
    for (TQSItem* item : Measure(m)->Items)
      if (item->ItemType == kind::Note && item->TimePosition() == tick) return static_cast<TQSNote*>(item);
    return nullptr;
  }
  // The client point in the middle of an element's box.
  TPoint Centre(const TQSCalcItem& e) const {
    const TRect r = View->Geometry().ElementClientBox(e);
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
};

}  // namespace qs::test
