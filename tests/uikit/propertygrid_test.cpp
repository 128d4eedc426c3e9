// The property tree grid through real keys and mouse: rows that follow the
// tree, expanding and collapsing, editing a value in place, Esc giving the
// value back, a refused value, the pick list, up-down steps and check
// boxes.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/clipboard.h"
#include "platform/forms.h"
#include "platform/testdriver.h"
#include "uikit/messagebox.h"
#include "uikit/calculator.h"
#include "uikit/calendar.h"
#include "uikit/propertygrid.h"
#include "uikit/timepicker.h"
#include "uikit_fixture.h"

namespace qs {
namespace {

namespace td = testdriver;
namespace pv = ECPropertyView;

enum { kTree, kInstrument, kMute, kVolume };

class PropertyGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = FormatSettings();
    FormatSettings() = TFormatSettings();
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
  void TearDown() override { FormatSettings() = saved_; }
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
      std::replace(text.begin(), text.end(), '\n', ' ');  // as wrapped in the box
      td::KeyToModal(VK_RETURN);
    });
  }
  // A press and release in the middle of the editor's button.
  void ClickButton() {
    TEditButtonArea& b = Editor().ButtonArea();
    td::MouseDown(b, b.Width() / 2, b.Height() / 2);
    td::MouseUp(b, b.Width() / 2, b.Height() / 2);
  }
  std::string Shown(int col, const TECPropertyNode* node) { return PropValueToText(node->GetValue(col - 1)); }
  TFormatSettings saved_;
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
  // Nor does it stay when the focus goes to another control; a date the
  // calendar does not have is refused the same way.
  auto* other = new TEdit(form_.get());
  other->SetParent(form_.get());
  other->SetBounds(0, 200, 100, 20);
  Editor().SelectAll();
  td::TypeText(Editor(), "99999999999");
  message.clear();
  AnswerMessage(message);
  td::Click(*other, 5, 5);
  EXPECT_EQ(message, "'99999999999' is not a valid integer value.");
  EXPECT_EQ(part1_->GetValue(kVolume - 1), TPropValue(100));
  view_->Columns(kVolume).EditType = pv::etDate;
  part2_->SetValue(kVolume - 1, std::string("28/02/2023"));
  Edit(kVolume, part2_);
  td::TypeText(Editor(), "31/02/2023");
  message.clear();
  AnswerMessage(message);
  td::PressKey(Editor(), VK_RETURN);
  EXPECT_EQ(message, "'31/02/2023' is not a valid date.");
  EXPECT_EQ(Shown(kVolume, part2_), "28/02/2023");
  EXPECT_TRUE(view_->EditorMode());
}

TEST_F(PropertyGridTest, KeysPassByTheCellType) {
  // Typing on the grid opens the editor with the key when the grid's test
  // lets it through; the editor then applies its own, which refuses an
  // exponent in a number cell.
  const struct {
    pv::TEditType type;
    char key;
    bool opens;
    bool takes;
  } cases[] = {
      {pv::etInteger, '5', true, true},   {pv::etInteger, '.', false, false}, {pv::etReal, 'E', true, false},
      {pv::etReal, '.', true, true},      {pv::etCurrency, 'e', false, false}, {pv::etDate, '/', true, true},
      {pv::etDate, ':', false, false},    {pv::etTime, ':', true, true},       {pv::etString, 'x', true, true},
  };
  for (const auto& c : cases) {
    const std::string key(1, c.key);
    view_->Columns(kVolume).EditType = c.type;
    part2_->SetValue(kVolume - 1, std::string());
    ClickCell(kTree, part2_);
    ClickCell(kVolume, part2_);
    ASSERT_FALSE(view_->EditorMode());
    td::TypeText(*view_, key);
    EXPECT_EQ(view_->EditorMode(), c.opens) << key;
    EXPECT_EQ(Shown(kVolume, part2_), c.opens && c.takes ? key : "") << key;
    // Typed into the open editor.
    td::PressKey(*view_, VK_F1 + 1);
    ASSERT_TRUE(view_->EditorMode());
    Editor().SetText("");
    td::TypeText(Editor(), key);
    EXPECT_EQ(Shown(kVolume, part2_), c.takes ? key : "") << key;
    td::PressKey(Editor(), VK_ESCAPE);
  }
}

TEST_F(PropertyGridTest, AChooseOnlyCellTakesItsValueFromTheListAlone) {
  view_->Columns(kInstrument).ChooseOnly = true;
  Edit(kInstrument, part1_);
  ASSERT_EQ(Editor().ButtonKind(), bkPickList);
  td::TypeText(Editor(), "x");
  td::PressKey(Editor(), VK_END);
  td::PressKey(Editor(), VK_BACK);
  td::PressKey(Editor(), VK_HOME);
  td::PressKey(Editor(), VK_DELETE);
  EXPECT_EQ(Shown(kInstrument, part1_), "Piano");
  EXPECT_EQ(Editor().Text(), "Piano");
  td::PressKey(Editor(), VK_DOWN, ssAlt);
  ASSERT_TRUE(Editor().ListVisible());
  td::PressKey(Editor(), VK_DOWN);
  td::PressKey(Editor(), VK_RETURN);
  EXPECT_EQ(Shown(kInstrument, part1_), "Violin");
  ClickButton();
  EXPECT_TRUE(Editor().ListVisible());
  td::PressKey(Editor(), VK_ESCAPE);
  // The same for a node's own choose-only list, in a column without an
  // item of its own.
  view_->SetColCount(5);
  view_->SetDefaultColWidth(75);
  part1_->EditStyle = pv::esDropDown;
  part1_->ChooseOnly = true;
  part1_->DropDownList = {"Arco", "Pizzicato"};
  part1_->SetValue(3, std::string("Arco"));
  Edit(4, part1_);
  ASSERT_EQ(Editor().ButtonKind(), bkPickList);
  td::PressKey(Editor(), VK_END);
  td::PressKey(Editor(), VK_BACK);
  td::TypeText(Editor(), "x");
  TClipboard().SetAsText("Oboe");
  td::PressKey(Editor(), 'V', ssCtrl);  // nor the clipboard
  EXPECT_EQ(Shown(4, part1_), "Arco");
  td::PressKey(Editor(), VK_DOWN, ssAlt);
  td::PressKey(Editor(), VK_DOWN);
  td::PressKey(Editor(), VK_RETURN);
  EXPECT_EQ(Shown(4, part1_), "Pizzicato");
  // A drop-down cell whose list is empty is a plain edit cell.
  view_->Columns(kInstrument).ChooseOnly = false;
  view_->Columns(kInstrument).DropDownList.Clear();
  Edit(kInstrument, part2_);
  EXPECT_EQ(Editor().ButtonKind(), bkNone);
  EXPECT_FALSE(Editor().PickerActive());
  EXPECT_FALSE(Editor().ButtonArea().Visible());
  td::TypeText(Editor(), "Oboe");
  td::PressKey(Editor(), VK_RETURN);
  EXPECT_EQ(Shown(kInstrument, part2_), "Oboe");
}

TEST_F(PropertyGridTest, PickListSearchesAsTheUserTypes) {
  view_->Columns(kInstrument).DropDownList = {"Cello", "Clarinet", "Flute", "Guitar", "Trumpet"};
  Edit(kInstrument, part2_);
  td::PressKey(Editor(), VK_DOWN, ssAlt);
  TPopupListbox& list = *Editor().PickList();
  ASSERT_TRUE(list.Visible());
  EXPECT_TRUE(Editor().Focused());  // the list never takes the focus
  td::TypeText(Editor(), "c");
  EXPECT_EQ(list.ItemIndex(), 0);
  td::TypeText(Editor(), "l");  // "cl"
  EXPECT_EQ(list.ItemIndex(), 1);
  td::TypeText(Editor(), "x");  // "clx": nothing begins so, the choice stays
  EXPECT_EQ(list.ItemIndex(), 1);
  td::PressKey(Editor(), VK_BACK);  // a new search
  EXPECT_EQ(list.SearchText(), "");
  td::TypeText(Editor(), "g");
  EXPECT_EQ(list.ItemIndex(), 3);
  // After a pause of more than two seconds a key begins a new search.
  std::this_thread::sleep_for(std::chrono::milliseconds(2100));
  td::TypeText(Editor(), "t");
  EXPECT_EQ(list.SearchText(), "t");
  EXPECT_EQ(list.ItemIndex(), 4);
  td::PressKey(Editor(), VK_RETURN);
  EXPECT_EQ(Shown(kInstrument, part2_), "Trumpet");
  EXPECT_TRUE(Editor().Focused());
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

TEST_F(PropertyGridTest, HeldUpDownRepeatsAfter200ThenEvery50Milliseconds) {
  view_->Columns(kVolume).EditStyle = pv::esUpDown;
  Edit(kVolume, part1_);
  ASSERT_EQ(Editor().ButtonKind(), bkUpDown);
  std::vector<std::chrono::steady_clock::time_point> steps;
  view_->OnChangeData = [&](TObject*) { steps.push_back(std::chrono::steady_clock::now()); };
  TEditButtonArea& b = Editor().ButtonArea();
  td::MouseDown(b, b.Width() / 2, b.Height() - 3);  // the lower half
  ASSERT_EQ(steps.size(), 1u);  // one step at once
  EXPECT_EQ(part1_->GetValue(kVolume - 1), TPropValue(99));
  EXPECT_TRUE(uikit_test::WaitFor([&] { return steps.size() >= 4; }));
  td::MouseUp(b, b.Width() / 2, b.Height() - 3);
  ASSERT_GE(steps.size(), 4u);
  const auto ms = [&](size_t i) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(steps[i] - steps[0]).count();
  };
  // The first tick, 200 ms on, arms the repeat; each later one, 50 ms
  // apart, steps: the second step comes 250 ms after the press, the fourth
  // 350 ms (timers may run a little early, never much).
  EXPECT_GE(ms(1), 235);
  EXPECT_GE(ms(3), 330);
  EXPECT_EQ(Editor().RepeatInterval(), 0);  // released: no more steps
  const size_t held = steps.size();
  EXPECT_EQ(part1_->GetValue(kVolume - 1), TPropValue(100 - static_cast<int>(held)));
  EXPECT_TRUE(uikit_test::HoldsFor([&] { return steps.size() == held; }, 120));
  // Held without a second tick, a press steps once. The first wait is
  // still running only if the press took less than its 200 ms, timed from
  // before the press.
  const auto beforePress = std::chrono::steady_clock::now();
  td::MouseDown(b, b.Width() / 2, 2);
  if (std::chrono::steady_clock::now() - beforePress < std::chrono::milliseconds(200)) {
    EXPECT_EQ(Editor().RepeatInterval(), 200);
  }
  td::MouseUp(b, b.Width() / 2, 2);
  EXPECT_EQ(part1_->GetValue(kVolume - 1), TPropValue(101 - static_cast<int>(held)));
}

TEST_F(PropertyGridTest, PickersDropDownUnderTheCellAndTakeOnlyAnAcceptedValue) {
  Edit(kVolume, part1_);
  ASSERT_TRUE(Editor().PickerActive());
  ClickButton();
  ASSERT_TRUE(Editor().ListVisible());
  EXPECT_TRUE(Editor().Focused());  // the calculator never takes the focus
  // Right under the cell, right edges in line.
  TCustomForm& popup = *Editor().PopupControl();
  const TPoint corner = Editor().ClientToScreen({Editor().Width(), Editor().Height()});
  EXPECT_EQ(popup.ClientToScreen({popup.Width(), 0}).X, corner.X);
  EXPECT_EQ(popup.ClientToScreen({0, 0}).Y, corner.Y);
  td::TypeText(Editor(), "2*3");
  EXPECT_EQ(Shown(kVolume, part1_), "3");  // the cell follows the calculator
  td::PressKey(Editor(), VK_ESCAPE);  // closed without accepting
  EXPECT_FALSE(Editor().ListVisible());
  EXPECT_EQ(part1_->GetValue(kVolume - 1), TPropValue(100));
  EXPECT_TRUE(view_->EditorMode());
  td::PressKey(Editor(), VK_DOWN, ssAlt);
  td::TypeText(Editor(), "2*3=");
  EXPECT_FALSE(Editor().ListVisible());
  EXPECT_EQ(part1_->GetValue(kVolume - 1), TPropValue(6.0));
  EXPECT_EQ(Editor().Text(), "6");
  // A division by zero shows "Error" and takes nothing, also on Enter.
  td::PressKey(Editor(), VK_DOWN, ssAlt);
  static_cast<TECPopupCalculator*>(Editor().PopupControl())->Calculator().SetBeepOnError(false);
  td::TypeText(Editor(), "1/0=");
  ASSERT_TRUE(Editor().ListVisible());
  EXPECT_EQ(static_cast<TECPopupCalculator*>(Editor().PopupControl())->Calculator().Text(), "Error");
  td::PressKey(Editor(), VK_RETURN);
  EXPECT_FALSE(Editor().ListVisible());
  EXPECT_EQ(part1_->GetValue(kVolume - 1), TPropValue(6.0));
  // A date cell drops the calendar, a time cell the time picker.
  view_->Columns(kVolume).EditType = pv::etDate;
  part2_->SetValue(kVolume - 1, TDateValue{uikit_test::D(2024, 1, 31)});
  Edit(kVolume, part2_);
  ASSERT_NE(dynamic_cast<TECOverCalendar*>(Editor().Picker()), nullptr);
  ClickButton();
  td::PressKey(Editor(), VK_NEXT);
  td::PressKey(Editor(), VK_RETURN);
  EXPECT_EQ(part2_->GetValue(kVolume - 1), TPropValue(TDateValue{uikit_test::D(2024, 2, 29)}));
  EXPECT_EQ(Editor().Text(), "29/02/2024");
  view_->Columns(kVolume).EditType = pv::etTime;
  part2_->SetValue(kVolume - 1, std::string("9:30:00"));
  ClickCell(kInstrument, part2_);
  Edit(kVolume, part2_);
  ClickButton();
  auto* time = dynamic_cast<TECPopupTime*>(Editor().PopupControl());
  ASSERT_NE(time, nullptr);
  TUpDown& hours = time->Panel().Hours();
  td::Click(hours, hours.Width() / 2, 2);
  EXPECT_EQ(Shown(kVolume, part2_), "10:30:00");
  ClickCell(kInstrument, part2_);  // a click elsewhere closes without accepting
  EXPECT_FALSE(Editor().ListVisible());
  EXPECT_EQ(Shown(kVolume, part2_), "9:30:00");
}

TEST_F(PropertyGridTest, TheCurrentNodeStaysCurrentWhileRowsAboveItComeAndGo) {
  Edit(kVolume, part2_);
  td::TypeText(Editor(), "7");
  part1_->SetExpanded(false);  // the staff row above goes
  EXPECT_EQ(view_->GetSelectedNode(), part2_);
  EXPECT_EQ(view_->Row(), 3);
  EXPECT_TRUE(view_->EditorMode());
  EXPECT_EQ(Editor().Top(), view_->CellRect(kVolume, 3).Top);
  td::PressKey(Editor(), VK_ESCAPE);  // editing went on: the value comes back
  EXPECT_EQ(part2_->GetValue(kVolume - 1), TPropValue(90));
  view_->DeleteNode(part1_);
  EXPECT_EQ(view_->GetSelectedNode(), part2_);
  EXPECT_EQ(view_->RowCount(), 3);
  EXPECT_EQ(piece_->ChildCount(), 1);
  // An editor over a node that goes closes without writing into it.
  Edit(kVolume, part2_);
  td::TypeText(Editor(), "5");
  changed_.clear();
  view_->DeleteNode(part2_);
  EXPECT_TRUE(changed_.empty());
  EXPECT_FALSE(view_->EditorMode());
  EXPECT_EQ(view_->RowCount(), 2);
  EXPECT_EQ(view_->GetSelectedNode(), piece_);
}

TEST_F(PropertyGridTest, AutoExpandKeepsOnlyTheSelectedNodesRootOpen) {
  TECPropertyNode* piece2 = view_->AddNode(nullptr, "Piece 2", nullptr, pv::esEdit);
  TECPropertyNode* part3 = view_->AddNode(piece2, "Part 3", nullptr, pv::esEdit);
  part3->SetValue(kVolume - 1, 70);
  view_->SetOptions(view_->Options() | goAlwaysShowEditor);
  view_->AutoExpand = true;
  ClickCell(kVolume, part3);
  EXPECT_FALSE(piece_->Expanded());
  EXPECT_TRUE(piece2->Expanded());
  // The clicked node stays the one selected and edited, in its new row.
  EXPECT_EQ(view_->GetSelectedNode(), part3);
  EXPECT_EQ(view_->Row(), 3);
  EXPECT_EQ(Editor().Text(), "70");
  ClickCell(kVolume, piece_);
  EXPECT_TRUE(piece_->Expanded());
  EXPECT_FALSE(piece2->Expanded());
  EXPECT_EQ(view_->GetSelectedNode(), piece_);
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
  EXPECT_TRUE(uikit_test::WaitFor([&] { return uikit_test::Shows(*view_, pieceCell, clRed); }));
  EXPECT_TRUE(uikit_test::Shows(*view_, volumeTitle, clBlue));
  // A list freed before the grid is let go of.
  delete images;
  EXPECT_EQ(view_->Images(), nullptr);
  view_->Repaint();
  EXPECT_FALSE(uikit_test::Shows(*view_, volumeTitle, clBlue));
}

}  // namespace
}  // namespace qs
