// The property tree grid through real keys and mouse: rows that follow the
// tree, expanding and collapsing, editing a value in place, Esc giving the
// value back, a refused value, the pick list, up-down steps and check
// boxes.
#include <gtest/gtest.h>

#include <string>

#include "platform/forms.h"
#include "platform/testdriver.h"
#include "uikit/messagebox.h"
#include "uikit/propertygrid.h"
#include "uikit_fixture.h"

namespace qs {
namespace {

namespace td = testdriver;
namespace pv = ECPropertyView;

enum { kTree, kInstrument, kMute, kVolume };

class PropertyGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBounds(100, 100, 420, 220);
    view_ = new TECPropertyView(form_.get());
    view_->SetParent(form_.get());
    view_->SetBounds(0, 0, 420, 200);
    view_->SetColCount(4);
    view_->SetDefaultColWidth(90);
    view_->SetShowButtons(true);
    const struct {
      pv::TEditType type;
      pv::TEditStyle style;
    } columns[] = {{pv::etString, pv::esReadOnly},
                   {pv::etString, pv::esDropDown},
                   {pv::etBoolean, pv::esEdit},
                   {pv::etInteger, pv::esEdit}};
    for (const auto& c : columns) {
      TECPropertyColumn& col = view_->AddColumn();
      col.EditType = c.type;
      col.EditStyle = c.style;
    }
    view_->Columns(kInstrument).DropDownList = {"Piano", "Violin", "Flute", "Guitar"};
    piece_ = view_->AddNode(nullptr, "Piece 1", nullptr, pv::esEdit);
    part1_ = view_->AddNode(piece_, "Part 1", nullptr, pv::esEdit);
    staff_ = view_->AddNode(part1_, "Staff 1", nullptr, pv::esEdit);
    part2_ = view_->AddNode(piece_, "Part 2", nullptr, pv::esEdit);
    part1_->SetValue(kInstrument - 1, std::string("Piano"));
    part1_->SetValue(kMute - 1, false);
    part1_->SetValue(kVolume - 1, 100);
    part2_->SetValue(kVolume - 1, 90);
    view_->SetOptions(view_->Options() | goEditing);
    view_->OnChangeData = [this](TObject* sender) { changed_.push_back(reinterpret_cast<TECPropertyNode*>(sender)); };
    td::ShowAndWait(*form_);
    view_->SetFocus();
    td::ProcessMessages();
  }
  TPoint Middle(int col, const TECPropertyNode* node) {
    const TRect r = view_->CellRect(col, node->RowIndex() + 1);
    return {r.Left + r.Width() / 2, r.Top + r.Height() / 2};
  }
  void ClickCell(int col, const TECPropertyNode* node) {
    const TPoint p = Middle(col, node);
    td::Click(*view_, p.X, p.Y);
  }
  void Edit(int col, const TECPropertyNode* node) {
    ClickCell(col, node);
    td::PressKey(*view_, VK_F1 + 1);
  }
  TInplaceEdit& Editor() { return *view_->InplaceEditor(); }
  // Answers the message box that the next action shows, keeping its text.
  void AnswerMessage(std::string& text) {
    td::Later([&text] {
      ASSERT_TRUE(td::WaitForModal());
      if (auto* box = dynamic_cast<TFMessageBlock*>(Screen().ActiveForm())) text = box->MMessageBlock->Caption();
      td::KeyToModal(VK_RETURN);
    });
  }
  std::unique_ptr<TForm> form_;
  TECPropertyView* view_ = nullptr;
  TECPropertyNode *piece_ = nullptr, *part1_ = nullptr, *staff_ = nullptr, *part2_ = nullptr;
  std::vector<TECPropertyNode*> changed_;
};

TEST(PropertyGridRows, RowsFollowTheTree) {
  TForm form(nullptr);
  TECPropertyView view(&form);
  EXPECT_EQ(view.RowCount(), 2);  // one empty data row
  EXPECT_EQ(view.GetRowNode(0), nullptr);
  TECPropertyNode* a = view.AddNode(nullptr, "A", nullptr, pv::esEdit);
  EXPECT_EQ(view.RowCount(), 2);
  TECPropertyNode* b = view.AddNode(nullptr, "B", nullptr, pv::esEdit);
  EXPECT_EQ(view.RowCount(), 3);
  TECPropertyNode* a1 = view.AddNode(a, "A1", nullptr, pv::esEdit);
  TECPropertyNode* a1x = view.AddNode(a1, "A1x", nullptr, pv::esEdit);
  const TECPropertyNode* order[] = {a, a1, a1x, b};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(view.GetRowNode(i), order[i]) << i;
  EXPECT_EQ(a1x->Level(), 2);
  a->SetExpanded(false);
  EXPECT_EQ(view.RowCount(), 3);
  EXPECT_EQ(b->RowIndex(), 1);
  a->SetIndex(1);  // moved after b, and its row made current
  EXPECT_EQ(view.GetRowNode(0), b);
  EXPECT_EQ(view.GetSelectedNode(), a);
  EXPECT_EQ(a->GetIndex(), 1);
  view.SelectNode(a1x);  // expands what hides it
  EXPECT_TRUE(a->Expanded());
  EXPECT_EQ(view.GetSelectedNode(), a1x);
  EXPECT_EQ(view.GetRootCount(), 2);
  view.ClearNodes();
  EXPECT_EQ(view.RowCount(), 2);
  EXPECT_EQ(view.GetRootCount(), 0);
}

TEST_F(PropertyGridTest, ExpandAndCollapseByMouseAndKeys) {
  EXPECT_EQ(view_->RowCount(), 5);
  // The expand box of a level-1 node begins 13 pixels into the cell.
  const TRect cell = view_->CellRect(kTree, part1_->RowIndex() + 1);
  const int mid = cell.Top + cell.Height() / 2;
  td::Click(*view_, cell.Left + 11, mid);  // beside the box: selects only
  td::Click(*view_, cell.Left + 23, mid);
  EXPECT_TRUE(part1_->Expanded());
  EXPECT_EQ(view_->GetSelectedNode(), part1_);
  td::Click(*view_, cell.Left + 14, mid);
  EXPECT_FALSE(part1_->Expanded());
  EXPECT_EQ(view_->RowCount(), 4);
  EXPECT_EQ(view_->GetRowNode(2), part2_);
  td::PressKey(*view_, VK_RETURN);  // Enter in the tree column expands
  EXPECT_TRUE(part1_->Expanded());
  td::PressKey(*view_, VK_RETURN);  // and never collapses
  EXPECT_TRUE(part1_->Expanded());
  // A double click anywhere in the tree cell toggles.
  const TPoint p = Middle(kTree, piece_);
  td::DoubleClick(*view_, p.X, p.Y);
  EXPECT_FALSE(piece_->Expanded());
  EXPECT_EQ(view_->RowCount(), 2);
  EXPECT_EQ(view_->GetSelectedNode(), piece_);
}

TEST_F(PropertyGridTest, CollapsingAboveTheCurrentRowMovesItToTheLastRow) {
  ClickCell(kTree, part2_);
  ASSERT_EQ(view_->Row(), 4);
  const TRect cell = view_->CellRect(kTree, piece_->RowIndex() + 1);
  td::Click(*view_, cell.Left + 3, cell.Top + cell.Height() / 2);
  EXPECT_FALSE(piece_->Expanded());
  EXPECT_EQ(view_->Row(), 1);
}

TEST_F(PropertyGridTest, EditInPlaceAndEscGivesTheValueBack) {
  Edit(kVolume, part1_);
  ASSERT_TRUE(view_->EditorMode());
  EXPECT_EQ(Editor().Text(), "100");
  changed_.clear();
  td::TypeText(Editor(), "64");
  EXPECT_EQ(part1_->GetValue(kVolume - 1), TPropValue(std::string("64")));
  EXPECT_EQ(changed_.size(), 2u);  // each keystroke is stored
  td::PressKey(Editor(), VK_ESCAPE);
  EXPECT_EQ(part1_->GetValue(kVolume - 1), TPropValue(100));  // the integer itself
  EXPECT_FALSE(view_->EditorMode());
  // Enter keeps what was typed.
  td::PressKey(*view_, VK_F1 + 1);
  td::TypeText(Editor(), "80");
  td::PressKey(Editor(), VK_RETURN);
  EXPECT_FALSE(view_->EditorMode());
  EXPECT_EQ(PropValueToText(part1_->GetValue(kVolume - 1)), "80");
  // Typing on the grid opens the editor with the typed character.
  td::TypeText(*view_, "7");
  EXPECT_TRUE(view_->EditorMode());
  EXPECT_EQ(PropValueToText(part1_->GetValue(kVolume - 1)), "7");
}

TEST_F(PropertyGridTest, AValueNotOfTheTypeIsRefused) {
  Edit(kVolume, part1_);
  td::TypeText(Editor(), "1-");
  std::string message;
  AnswerMessage(message);
  td::PressKey(Editor(), VK_DOWN);
  EXPECT_EQ(message, "'1-' is not a valid integer value.");
  EXPECT_EQ(part1_->GetValue(kVolume - 1), TPropValue(100));
  EXPECT_EQ(view_->GetSelectedNode(), part1_);
}

TEST_F(PropertyGridTest, PickListByKeysAndMouse) {
  Edit(kInstrument, part1_);
  ASSERT_EQ(Editor().ButtonKind(), bkPickList);
  td::PressKey(Editor(), VK_DOWN, ssAlt);
  ASSERT_TRUE(Editor().ListVisible());
  EXPECT_EQ(Editor().PickList()->ItemIndex(), 0);  // "Piano", the value
  td::PressKey(Editor(), VK_DOWN);
  td::PressKey(Editor(), VK_DOWN);
  td::PressKey(Editor(), VK_RETURN);
  EXPECT_FALSE(Editor().ListVisible());
  EXPECT_EQ(part1_->GetValue(kInstrument - 1), TPropValue(std::string("Flute")));
  EXPECT_EQ(Editor().Text(), "Flute");
  // A click on the button opens it; a release outside closes it unchanged.
  TEditButtonArea& b = Editor().ButtonArea();
  td::MouseDown(b, b.Width() / 2, b.Height() / 2);
  ASSERT_TRUE(Editor().ListVisible());
  td::MouseUp(b, b.Width() / 2, b.Height() / 2);
  TPopupListbox& list = *Editor().PickList();
  td::MouseDown(list, 10, 2 + list.ItemHeight() / 2);
  td::MouseUp(list, 10, 2 + list.ItemHeight() / 2);
  EXPECT_FALSE(Editor().ListVisible());
  EXPECT_EQ(part1_->GetValue(kInstrument - 1), TPropValue(std::string("Piano")));
  // Esc with the list open closes only the list.
  td::PressKey(Editor(), VK_DOWN, ssAlt);
  td::PressKey(Editor(), VK_DOWN);
  td::PressKey(Editor(), VK_ESCAPE);
  EXPECT_FALSE(Editor().ListVisible());
  EXPECT_TRUE(view_->EditorMode());
  EXPECT_EQ(part1_->GetValue(kInstrument - 1), TPropValue(std::string("Piano")));
}

TEST_F(PropertyGridTest, UpDownSteps) {
  view_->Columns(kVolume).EditStyle = pv::esUpDown;
  Edit(kVolume, part1_);
  ASSERT_EQ(Editor().ButtonKind(), bkUpDown);
  td::PressKey(Editor(), VK_DOWN, ssAlt);  // each key press steps once
  EXPECT_EQ(part1_->GetValue(kVolume - 1), TPropValue(99));
  td::PressKey(Editor(), VK_UP, ssAlt);
  td::PressKey(Editor(), VK_UP, ssAlt);
  EXPECT_EQ(part1_->GetValue(kVolume - 1), TPropValue(101));
  TEditButtonArea& b = Editor().ButtonArea();
  td::MouseDown(b, b.Width() / 2, 2);
  td::MouseUp(b, b.Width() / 2, 2);
  EXPECT_EQ(part1_->GetValue(kVolume - 1), TPropValue(102));
  EXPECT_EQ(Editor().Text(), "102");
}

TEST_F(PropertyGridTest, EllipsisButtonWritesThroughTheOwner) {
  view_->Columns(kInstrument).EditStyle = pv::esEllipsis;
  view_->OnEditButtonClick = [this](TObject* sender) {
    EXPECT_EQ(sender, view_);
    view_->GetSelectedNode()->SetValue(kInstrument - 1, std::string("Cello"));
  };
  Edit(kInstrument, part1_);
  ASSERT_EQ(Editor().ButtonKind(), bkEllipsis);
  TEditButtonArea& b = Editor().ButtonArea();
  td::Click(b, b.Width() / 2, b.Height() / 2);
  EXPECT_EQ(part1_->GetValue(kInstrument - 1), TPropValue(std::string("Cello")));
  EXPECT_EQ(Editor().Text(), "Cello");  // the editor shows what the owner wrote
  part1_->SetValue(kInstrument - 1, std::string("Viola"));
  td::PressKey(Editor(), VK_DOWN, ssAlt);
  EXPECT_EQ(Editor().Text(), "Cello");
}

TEST_F(PropertyGridTest, CheckBoxes) {
  ClickCell(kMute, part1_);
  EXPECT_EQ(part1_->GetValue(kMute - 1), TPropValue(true));
  td::PressKey(*view_, VK_SPACE);
  EXPECT_EQ(part1_->GetValue(kMute - 1), TPropValue(false));
  EXPECT_FALSE(view_->EditorMode());  // a check box opens no editor
  // A cell without a yes-or-no value: a click is refused, Space sets False.
  std::string message;
  AnswerMessage(message);
  ClickCell(kMute, part2_);
  EXPECT_FALSE(message.empty());
  EXPECT_EQ(part2_->GetValue(kMute - 1), TPropValue(std::string()));
  td::PressKey(*view_, VK_SPACE);
  EXPECT_EQ(part2_->GetValue(kMute - 1), TPropValue(false));
  // A hidden cell takes neither.
  part1_->SetCellVisible(kMute, false);
  ClickCell(kMute, part1_);
  td::PressKey(*view_, VK_SPACE);
  EXPECT_EQ(part1_->GetValue(kMute - 1), TPropValue(false));
}

TEST_F(PropertyGridTest, ColumnsWidenForTheButtonAndShowTheirHints) {
  const int width = view_->Columns(kVolume).Width();
  Edit(kVolume, part1_);  // an integer cell: the calculator's button
  ASSERT_TRUE(Editor().PickerActive());
  EXPECT_EQ(view_->Columns(kVolume).Width(), width + 20);
  ClickCell(kInstrument, part2_);  // every other selection gives it back
  EXPECT_EQ(view_->Columns(kVolume).Width(), width);
  // A column's hint shows while the mouse is over it; an empty one keeps
  // the hint before.
  view_->Columns(kMute).Hint = "Silences the part";
  const TPoint mute = Middle(kMute, part2_), volume = Middle(kVolume, part2_);
  td::MouseMove(*view_, mute.X, mute.Y);
  EXPECT_EQ(view_->Hint(), "Silences the part");
  td::MouseMove(*view_, volume.X, volume.Y);
  EXPECT_EQ(view_->Hint(), "Silences the part");
  // AutoSize spreads the width over the columns, the rest to the last.
  view_->AutoSize = true;
  view_->SetWidth(403);
  EXPECT_EQ(view_->Columns(kTree).Width(), 100);
  EXPECT_EQ(view_->Columns(kVolume).Width(), 103);
  EXPECT_FALSE(view_->HorzScrollBarControl()->Visible());  // nothing lies beyond the width
}

TEST_F(PropertyGridTest, OnlyARealChangeIsReported) {
  changed_.clear();
  part2_->SetValue(kVolume - 1, 90);
  EXPECT_TRUE(changed_.empty());
  part2_->SetValue(kVolume - 1, std::string("5"));
  part2_->SetValue(kVolume - 1, 5);  // the same digits, another type
  ASSERT_EQ(changed_.size(), 2u);
  EXPECT_EQ(changed_[1], part2_);
}

TEST_F(PropertyGridTest, TitlesAndNodesShowTheirImagesAndFollowTheList) {
  auto* images = new TImageList(form_.get(), 12, 12);
  images->AddMasked(*uikit_test::Square(12, clLime), clWhite);
  images->AddMasked(*uikit_test::Square(12, clBlue), clWhite);
  view_->SetImages(images);
  view_->Columns(kVolume).Caption = "Volume";
  view_->Columns(kVolume).ImageIndex = 0;
  view_->Columns(kMute).ImageIndex = 5;  // beyond the list: no image
  piece_->ImageIndex = 1;
  part1_->ImageIndex = -1;
  view_->Invalidate();
  td::ProcessMessages();
  const TRect volumeTitle = view_->CellRect(kVolume, 0), muteTitle = view_->CellRect(kMute, 0);
  const TRect pieceCell = view_->CellRect(kTree, piece_->RowIndex() + 1);
  const TRect partCell = view_->CellRect(kTree, part1_->RowIndex() + 1);
  EXPECT_TRUE(uikit_test::Shows(*view_, volumeTitle, clLime));
  EXPECT_FALSE(uikit_test::Shows(*view_, muteTitle, clLime));
  EXPECT_TRUE(uikit_test::Shows(*view_, pieceCell, clBlue));
  EXPECT_FALSE(uikit_test::Shows(*view_, partCell, clBlue));
  // Another picture in the list shows without anything else asking.
  images->Delete(0);
  images->AddMasked(*uikit_test::Square(12, clRed), clWhite);  // now 0 blue, 1 red
  EXPECT_TRUE(uikit_test::WaitFor([&] { return uikit_test::Shows(*view_, pieceCell, clRed); }, 500));
  EXPECT_TRUE(uikit_test::Shows(*view_, volumeTitle, clBlue));
  // A list freed before the grid is let go of.
  delete images;
  EXPECT_EQ(view_->Images(), nullptr);
  view_->Repaint();
  EXPECT_FALSE(uikit_test::Shows(*view_, volumeTitle, clBlue));
}

}  // namespace
}  // namespace qs
