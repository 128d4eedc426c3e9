#include <gtest/gtest.h>

#include "editing/appearance.h"
#include "editing_fixture.h"
#include "score/pageobjects.h"

namespace qs::test {
namespace {

class AppearanceTest : public TEditFixture {
 public:
  TQSText* AddText(int page) {
    auto* text = static_cast<TQSText*>(CreateItemByKind(kind::Text, &Score));
    text->Fields.Page = static_cast<uint16_t>(page);
    text->Lines = {"text"};
    return text;
  }
  void SelectPage(std::initializer_list<TQSItem*> items) {
    for (TQSItem* item : items) {
      ASSERT_NE(ElementOfItem(item), nullptr);
      View.SelectedPage.push_back(ElementOfItem(item));
    }
  }
};

TEST_F(AppearanceTest, AColourAlreadySetRecordsAndFiresNothing) {
  TQSMeasure* m = OneMeasure();
  TQSNote* note = Note(m, 0, 512);
  Score.Recalculate(0);
  Select({note});
  const std::vector<uint8_t> before = Saved();
  Changed = 0;
  SetTextColor(Score, 0x0000FF);
  EXPECT_EQ(note->Fields.Color, 0x0000FFu);
  EXPECT_EQ(Changed, 1);
  ExpectUndoRedo(before);
  Score.ClearUndo();
  Changed = 0;
  SetTextColor(Score, 0x0000FF);
  EXPECT_EQ(Score.UndoCount(), 0);
  EXPECT_EQ(Changed, 0);
}

TEST_F(AppearanceTest, TheFontSizeOfATextResetsItsMeasuredExtent) {
  OneMeasure();
  TQSText* text = AddText(1);
  Score.Recalculate(0);
  SelectPage({text});
  text->Fields.Width = 77;  // a stale extent
  const std::vector<uint8_t> before = Saved();
  SetFontSize(Score, 20);
  EXPECT_EQ(text->Fields.FontSize, 20);
  EXPECT_NE(text->Fields.Width, 77);  // measured anew
  ExpectUndoRedo(before);
}

TEST_F(AppearanceTest, AnEditedTextIsTheOnlyOneChanged) {
  OneMeasure();
  TQSText* edited = AddText(1);
  TQSText* other = AddText(1);
  Score.Recalculate(0);
  SelectPage({other});
  View.EditedElement = ElementOfItem(edited);
  SetFontName(Score, "Serif");
  EXPECT_EQ(edited->FontName, "Serif");
  EXPECT_EQ(other->FontName, "");
  View.EditedElement = nullptr;
}

TEST_F(AppearanceTest, AlignmentReplacesOnlyItsBits) {
  OneMeasure();
  TQSText* text = AddText(1);
  text->Fields.Align = 0x0D;
  Score.Recalculate(0);
  SelectPage({text});
  SetTextAlignment(Score, 16);
  EXPECT_EQ(text->Fields.Align, 0x1D);
}

TEST_F(AppearanceTest, ShapesTakeTheirPenAndFill) {
  OneMeasure();
  auto* rect = static_cast<TQSRectangle*>(CreateItemByKind(kind::Rectangle, &Score));
  rect->Fields.Page = 1;
  rect->Fields.Width = rect->Fields.Height = 80;
  auto* line = static_cast<TQSLine*>(CreateItemByKind(kind::Line, &Score));
  line->Fields.Page = 1;
  line->Fields.X2 = 100;
  Score.Recalculate(0);
  SelectPage({rect, line});
  const std::vector<uint8_t> before = Saved();
  SetLineWidth(Score, 3);
  EXPECT_EQ(rect->Fields.LineWidth, 3);
  EXPECT_EQ(line->Fields.LineWidth, 3);
  ExpectUndoRedo(before);
  SetBrushColor(Score, 0x00FF00);
  SetLineColor(Score, 0x112233);
  SetPointStyles(Score, 0x12);
  EXPECT_EQ(rect->Fields.FillColor, 0x00FF00u);
  EXPECT_EQ(rect->Fields.LineColor, 0x112233u);
  EXPECT_EQ(line->Fields.Color, 0x112233u);
  EXPECT_EQ(line->Fields.Ends, 0x12);
}

TEST_F(AppearanceTest, ObjectsGoOnEveryPageAndBackToTheCursorsPage) {
  OneMeasure();
  AddText(1);
  TQSText* moved = AddText(1);
  TQSText* later = AddText(7);
  auto* number = static_cast<TQSPageMark*>(CreateItemByKind(kind::PageMark, &Score));
  number->Fields.Page = 1;  // a page-number mark
  Score.Recalculate(0);
  SelectPage({moved, number});
  SetOnAllPages(Score, 1);
  EXPECT_EQ(moved->Fields.Page, 0);
  EXPECT_EQ(Score.Items.IndexOf(moved), 0);
  EXPECT_EQ(number->Fields.Page, 1);
  EXPECT_EQ(Score.UndoCount(), 0);
  View.SelectedPage.clear();
  SelectPage({moved});
  View.CursorPosition.Page = 4;
  SetOnAllPages(Score, 0);
  EXPECT_EQ(moved->Fields.Page, 5);
  EXPECT_EQ(Score.Items.IndexOf(moved), Score.Items.IndexOf(later) - 1);
}

}  // namespace
}  // namespace qs::test
