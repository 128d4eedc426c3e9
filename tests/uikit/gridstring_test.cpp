// The string grid with typed columns through real keys and mouse: typing
// filtered by the column's type, the refusal of a value that is not one,
// the up-down, pick-list and calculator buttons of the cell editor.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/forms.h"
#include "platform/stdctrls.h"
#include "platform/keys.h"
#include "platform/testdriver.h"
#include "uikit/gridstring.h"
#include "uikit/messagebox.h"
#include "uikit_fixture.h"

namespace qs {
namespace {

namespace td = testdriver;
namespace sg = ECStringGrid;

class StringGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = FormatSettings();
    FormatSettings() = TFormatSettings();
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBounds(100, 100, 520, 220);
    grid_ = new TECStringGrid(form_.get());
    grid_->SetParent(form_.get());
    grid_->SetBounds(0, 0, 520, 200);
    grid_->SetColCount(6);
    grid_->SetFixedCols(0);
    grid_->SetDefaultColWidth(80);
    const struct {
      sg::TEditType type;
      sg::TEditStyle style;
    } columns[] = {{sg::etInteger, sg::esEdit},         {sg::etString, sg::esDropDownList},
                   {sg::etCurrency, sg::esEdit},        {sg::etInteger, sg::esUpDown},
                   {sg::etDate, sg::esEdit},            {sg::etString, sg::esReadOnly}};
    for (const auto& c : columns) {
      TECStringColumn& col = grid_->Columns().Add();
      col.EditType = c.type;
      col.EditStyle = c.style;
      col.DropDownList = {"Normal", "Cross", "Circle", "Triangle"};
    }
    grid_->SetOptions(grid_->Options() | goEditing);
    grid_->OnChangeData = [this](TObject* sender) { senders_.push_back(sender); };
    grid_->OnEndInput = [this](TObject*) { ++endInputs_; };
    td::ShowAndWait(*form_);
    grid_->SetFocus();
    td::ProcessMessages();
  }
  void TearDown() override { FormatSettings() = saved_; }
  // Makes (col, row) current by a click and opens its editor with F2.
  void Edit(int col, int row) {
    const TRect r = grid_->CellRect(col, row);
    td::Click(*grid_, r.Left + 5, r.Top + 5);
    td::PressKey(*grid_, VK_F1 + 1);
  }
  TInplaceEdit& Editor() { return *grid_->InplaceEditor(); }
  TFormatSettings saved_;
  std::unique_ptr<TForm> form_;
  TECStringGrid* grid_ = nullptr;
  std::vector<TObject*> senders_;
  int endInputs_ = 0;
};

TEST_F(StringGridTest, TypingFollowsTheColumnType) {
  const struct {
    int col;
    const char* typed;
    const char* cell;
  } cases[] = {
      {0, "+1a2E", "+12"},
      {2, "9.9e$", "9.9"},
      {4, "1/2/2024x", "1/2/2024"},
      {5, "text", ""},  // a read-only column opens no editor
  };
  for (const auto& c : cases) {
    const TRect r = grid_->CellRect(c.col, 1);
    td::Click(*grid_, r.Left + 5, r.Top + 5);
    td::TypeText(*grid_, c.typed);
    EXPECT_EQ(grid_->Cells(c.col, 1), c.cell) << c.typed;
    td::PressKey(*grid_, VK_RETURN);
  }
  // Typing the same text again changes nothing and reports nothing.
  senders_.clear();
  Edit(0, 1);
  td::PressKey(Editor(), VK_BACK);
  td::TypeText(Editor(), "2");
  ASSERT_EQ(senders_.size(), 2u);  // "+1", then "+12" again
  EXPECT_EQ(senders_[0], grid_);
  senders_.clear();
  grid_->SetCells(0, 1, "+12");
  EXPECT_TRUE(senders_.empty());
}

TEST_F(StringGridTest, AValueNotOfTheTypeIsRefusedAndTheCellKeepsItsValue) {
  grid_->SetCells(0, 1, "7");
  Edit(0, 1);
  td::TypeText(Editor(), "1-");
  EXPECT_EQ(grid_->Cells(0, 1), "1-");  // the typed text replaced the selected one
  std::string message;
  td::Later([&] {
    ASSERT_TRUE(td::WaitForModal());
    if (auto* box = dynamic_cast<TFMessageBlock*>(Screen().ActiveForm())) message = box->MMessageBlock->Caption();
    td::KeyToModal(VK_RETURN);
  });
  td::PressKey(Editor(), VK_DOWN);
  EXPECT_EQ(message, "'1-' is not a valid integer value.");
  EXPECT_EQ(grid_->Cells(0, 1), "7");
  EXPECT_EQ(Editor().Text(), "7");
  EXPECT_EQ(grid_->Row(), 1);
  // A valid value moves on.
  td::PressKey(Editor(), VK_DOWN);
  EXPECT_EQ(grid_->Row(), 2);
}

TEST_F(StringGridTest, UpDownStepsAtOnceAndRepeatsWhileHeld) {
  grid_->SetCells(3, 1, "5");
  Edit(3, 1);
  ASSERT_EQ(Editor().ButtonKind(), bkUpDown);
  TEditButtonArea& b = Editor().ButtonArea();
  senders_.clear();
  td::MouseDown(b, b.Width() / 2, b.Height() - 3);  // the lower half
  EXPECT_EQ(grid_->Cells(3, 1), "4");
  // Held, it goes on stepping.
  EXPECT_TRUE(uikit_test::WaitFor([&] { return grid_->Cells(3, 1) != "4" && grid_->Cells(3, 1) != "3"; }));
  td::MouseUp(b, b.Width() / 2, b.Height() - 3);
  const std::string held = grid_->Cells(3, 1);
  EXPECT_LT(std::stoi(held), 3);
  EXPECT_FALSE(static_cast<TInplaceEdit&>(Editor()).Repeating());
  EXPECT_TRUE(senders_.empty());  // steps are not reported
  td::MouseDown(b, b.Width() / 2, 2);  // the upper half
  td::MouseUp(b, b.Width() / 2, 2);
  EXPECT_EQ(grid_->Cells(3, 1), std::to_string(std::stoi(held) + 1));
  // Text that is not a number steps from 0.
  grid_->SetCells(3, 1, "x");
  td::MouseDown(b, b.Width() / 2, 2);
  td::MouseUp(b, b.Width() / 2, 2);
  EXPECT_EQ(grid_->Cells(3, 1), "1");
}

TEST_F(StringGridTest, PickListTakesTheDragAndOnlyTheListChangesTheCell) {
  grid_->SetCells(1, 1, "Normal");
  Edit(1, 1);
  ASSERT_EQ(Editor().ButtonKind(), bkPickList);
  td::TypeText(Editor(), "x");
  td::PressKey(Editor(), VK_DELETE);
  td::PressKey(Editor(), VK_BACK);
  EXPECT_EQ(grid_->Cells(1, 1), "Normal");
  TEditButtonArea& b = Editor().ButtonArea();
  td::MouseDown(b, b.Width() / 2, b.Height() / 2);
  ASSERT_TRUE(Editor().ListVisible());
  TPopupListbox& list = *Editor().PickList();
  EXPECT_EQ(list.ItemIndex(), 0);
  // The drag goes on in the window the press began in, as the window
  // system delivers it, to a point over "Circle".
  const TPoint over = b.ScreenToClient(list.ClientToScreen({10, 2 + list.ItemHeight() * 5 / 2}));
  td::MouseMove(b, over.X, over.Y);
  EXPECT_FALSE(b.MouseCapture());
  td::MouseUp(b, over.X, over.Y);
  EXPECT_FALSE(Editor().ListVisible());
  EXPECT_EQ(grid_->Cells(1, 1), "Circle");
  ASSERT_EQ(senders_.size(), 1u);
  EXPECT_EQ(senders_[0], &Editor());
  EXPECT_EQ(endInputs_, 1);
  // Esc closes the list without a change, and the input still ends.
  td::PressKey(Editor(), VK_DOWN, ssAlt);
  ASSERT_TRUE(Editor().ListVisible());
  td::PressKey(Editor(), VK_DOWN);
  td::PressKey(Editor(), VK_ESCAPE);
  EXPECT_FALSE(Editor().ListVisible());
  EXPECT_EQ(grid_->Cells(1, 1), "Circle");
  EXPECT_EQ(endInputs_, 2);
}

TEST_F(StringGridTest, CurrencyFromTheCalculatorIsTruncatedToCents) {
  Edit(2, 1);
  ASSERT_TRUE(Editor().PickerActive());
  TEditButtonArea& b = Editor().ButtonArea();
  td::MouseDown(b, b.Width() / 2, b.Height() / 2);
  td::MouseUp(b, b.Width() / 2, b.Height() / 2);
  ASSERT_TRUE(Editor().ListVisible());
  td::TypeText(Editor(), "12.349=");
  EXPECT_FALSE(Editor().ListVisible());
  EXPECT_EQ(grid_->Cells(2, 1), "12.34");
  // The cell follows the calculator while it is open; Esc gives it back
  // the text it had.
  senders_.clear();
  td::PressKey(Editor(), VK_DOWN, ssAlt);
  td::TypeText(Editor(), "7");
  EXPECT_EQ(grid_->Cells(2, 1), "7");
  td::PressKey(Editor(), VK_ESCAPE);
  EXPECT_FALSE(Editor().ListVisible());
  EXPECT_EQ(grid_->Cells(2, 1), "12.34");
  EXPECT_EQ(Editor().Text(), "12.34");
  ASSERT_FALSE(senders_.empty());  // the way back reported too
  EXPECT_EQ(senders_.back(), &Editor());
}

TEST_F(StringGridTest, TheOwnerHasTheLastWordOnTheEditor) {
  Edit(5, 1);
  EXPECT_FALSE(grid_->EditorMode());
  grid_->OnCanEditShow = [](TObject*, bool& accept) { accept = true; };
  Edit(5, 1);
  EXPECT_TRUE(grid_->EditorMode());
  EXPECT_TRUE(Editor().Visible());
}

TEST_F(StringGridTest, OwnerDrawnColumnsKeepNoTextOfTheirOwn) {
  std::vector<int> drawnRows;
  grid_->OnDrawCell = [&](TObject* sender, int col, int row, const TRect&, TGridDrawState) {
    if (sender == grid_ && col == 4) drawnRows.push_back(row);
  };
  grid_->Columns().Items(4).DefaultDrawing = false;
  grid_->Columns().Items(4).EditType = sg::etString;
  grid_->SetCells(4, 1, "kept");
  Edit(4, 1);
  EXPECT_EQ(Editor().Text(), "");
  td::TypeText(Editor(), "typed");
  EXPECT_EQ(grid_->Cells(4, 1), "kept");
  grid_->Repaint();
  EXPECT_NE(std::find(drawnRows.begin(), drawnRows.end(), 1), drawnRows.end());
}

TEST_F(StringGridTest, RowsBeyondTheWindowScroll) {
  TScrollBar* bar = grid_->VertScrollBarControl();
  EXPECT_FALSE(bar->Visible());
  int scrolls = 0;
  grid_->OnScroll = [&](TObject* sender) {
    EXPECT_EQ(sender, grid_);
    ++scrolls;
  };
  grid_->SetRowCount(30);
  ASSERT_TRUE(bar->Visible());
  td::Click(*grid_, 5, grid_->CellRect(0, 1).Top + 3);
  td::PressKey(*grid_, VK_END, ssCtrl);
  EXPECT_EQ(grid_->Row(), 29);
  const int top = grid_->TopRow();
  EXPECT_EQ(top, 30 - grid_->VisibleRowCount());
  EXPECT_EQ(bar->Position(), top - 1);
  td::Wheel(*grid_, 50, 50, WHEEL_DELTA);
  EXPECT_EQ(grid_->TopRow(), top - 1);
  td::Click(*bar, bar->Width() / 2, 4);  // the arrow at the top
  EXPECT_EQ(grid_->TopRow(), top - 2);
  EXPECT_EQ(scrolls, 3);
}

TEST_F(StringGridTest, ColumnsBeyondTheWindowScroll) {
  TScrollBar* bar = grid_->HorzScrollBarControl();
  TScrollBar* rows = grid_->VertScrollBarControl();
  grid_->SetRowCount(grid_->FixedRows() + grid_->VisibleRowCount());  // the rows just fit
  EXPECT_FALSE(bar->Visible());
  EXPECT_FALSE(rows->Visible());
  grid_->SetColCount(9);
  ASSERT_TRUE(bar->Visible());
  // The bar takes room from the rows, which now need their own bar.
  EXPECT_EQ(bar->Top() + bar->Height(), grid_->ClientHeight());
  EXPECT_TRUE(rows->Visible());
  EXPECT_EQ(rows->Top() + rows->Height(), bar->Top());
  const int lastShown = grid_->TopRow() + grid_->VisibleRowCount() - 1;
  EXPECT_LE(grid_->CellRect(0, lastShown).Bottom, bar->Top());
  td::Click(*grid_, 5, grid_->CellRect(0, 1).Top + 3);
  td::PressKey(*grid_, VK_END);
  EXPECT_EQ(grid_->Col(), 8);
  const int left = grid_->LeftCol();
  EXPECT_GT(left, 0);
  EXPECT_EQ(bar->Position(), left);
  td::Click(*bar, 4, bar->Height() / 2);  // the arrow at the left
  EXPECT_EQ(grid_->LeftCol(), left - 1);
}

TEST(StringGridColumns, TitleAndWidthNeedAFixedRow) {
  TForm form(nullptr);
  TECStringGrid grid(&form);
  grid.SetColWidths(0, 50);
  TECStringColumn& col = grid.Columns().Add();
  col.SetCaption("Pitch");
  EXPECT_EQ(grid.Cells(0, 0), "Pitch");
  col.SetWidth(0);
  EXPECT_EQ(col.Width(), 50);
  col.SetWidth(70);
  EXPECT_EQ(col.Width(), 70);
  grid.SetFixedRows(0);
  EXPECT_EQ(col.Caption(), "");
  EXPECT_EQ(col.Width(), 0);
}

}  // namespace
}  // namespace qs
