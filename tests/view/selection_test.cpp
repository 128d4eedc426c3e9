// Selection and hit testing: elements at a point and in a rectangle, the
// per-piece lists, page objects, grab handles and selecting a scope.
#include <gtest/gtest.h>

#include <algorithm>

#include "score/marks.h"
#include "score/pageobjects.h"
#include "view_fixture.h"

namespace qs::test {
namespace {

struct TSelectScore : TViewScore {
  explicit TSelectScore(const std::vector<int>& staves = {1}, int measures = 8) : TViewScore(staves, measures) {}
  TQSNote* NoteAt(int m, int tick, int staffVoice = 0) const {
    for (TQSItem* item : Measure(m)->Items)
      if (item->ItemType == kind::Note && item->TimePosition() == tick && item->StaffVoice() == staffVoice)
        return static_cast<TQSNote*>(item);
    return nullptr;
  }
  TPoint Centre(const TQSCalcItem& e) const {
    const TRect r = View.Geometry().ElementClientBox(e);
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
  bool Selected(const TQSCalcItem* e) const {
    for (const auto& sel : View.SelPieces)
      for (const TQSSelList& list : sel->Measures)
        if (std::find(list.begin(), list.end(), e) != list.end()) return true;
    return std::find(View.SelectedPageObjects.begin(), View.SelectedPageObjects.end(), e) !=
           View.SelectedPageObjects.end();
  }
  size_t SelectedCount() const {
    size_t n = View.SelectedPageObjects.size();
    for (const auto& sel : View.SelPieces)
      for (const TQSSelList& list : sel->Measures) n += list.size();
    return n;
  }
  template <class T>
  T* PageObject(TQSItemType type) {
    auto* object = static_cast<T*>(CreateItemByKind(type, &Score));
    object->Fields.Page = 1;
    return object;
  }
};

TEST(ViewSelection, AClickOnANoteSelectsItInItsMeasureList) {
  TSelectScore s;
  for (int m = 0; m < 8; ++m) s.Quarters(s.Measure(m));
  s.Show();
  int fired = 0;
  s.View.OnSelectedChanged = [&](TObject*) { ++fired; };
  TQSNote* note = s.NoteAt(1, 128);
  ASSERT_TRUE(note->HeadElement);
  const TPoint p = s.Centre(*note->HeadElement);
  EXPECT_TRUE(s.View.SelectAtPoint(p, true, true));
  ASSERT_TRUE(s.View.LastAddedElement);
  EXPECT_EQ(s.View.LastAddedElement->Item, note);
  const TQSSelPiece* sel = s.View.FindSelPiece(s.Piece);
  ASSERT_TRUE(sel);
  ASSERT_GT(sel->Measures.size(), 1u);
  EXPECT_EQ(sel->Measures[1], (TQSSelList{note->HeadElement}));
  EXPECT_EQ(fired, 1);
  // Selecting the same element again keeps one entry and answers True.
  EXPECT_TRUE(s.View.AddElement(note->HeadElement));
  EXPECT_EQ(s.SelectedCount(), 1u);
  // Clearing keeps the piece's record, empty.
  s.View.ClearSelection();
  EXPECT_EQ(s.View.FindSelPiece(s.Piece), sel);
  EXPECT_EQ(s.SelectedCount(), 0u);
  EXPECT_FALSE(s.View.HasSelection());
}

// Where notes of two voices overlap, a plain click selects the note of the
// cursor's voice; a click on another voice's note alone reports the hit but
// leaves nothing selected.
TEST(ViewSelection, OverlappingVoicesPreferTheCursorsVoice) {
  TSelectScore s;
  s.Piece->GetPart(0)->GetStaff(0)->NewVoice();
  TQSNote* upper = s.Note(s.Measure(0), 0, 512, 0x50, 0x00);
  TQSNote* lower = s.Note(s.Measure(0), 0, 512, 0x46, 0x01);  // a second below
  TQSNote* alone = s.Note(s.Measure(1), 0, 512, 0x50, 0x01);
  s.Show();
  ASSERT_TRUE(upper->HeadElement && lower->HeadElement && alone->HeadElement);
  TRect both;
  ASSERT_TRUE(IntersectRect(both, s.View.Geometry().ElementClientBox(*upper->HeadElement),
                            s.View.Geometry().ElementClientBox(*lower->HeadElement)));
  for (int voice : {0, 1}) {
    s.View.CursorPosition.Voice = voice;
    EXPECT_TRUE(s.View.SelectAtPoint({(both.Left + both.Right) / 2, (both.Top + both.Bottom) / 2}, true, true));
    TQSCalcItem* want = voice == 0 ? upper->HeadElement : lower->HeadElement;
    EXPECT_TRUE(s.Selected(want)) << voice;
    EXPECT_EQ(s.SelectedCount(), 1u) << voice;
  }
  s.View.CursorPosition.Voice = 0;
  EXPECT_TRUE(s.View.SelectAtPoint(s.Centre(*alone->HeadElement), true, true));
  EXPECT_EQ(s.SelectedCount(), 0u);
  ASSERT_TRUE(s.View.LastAddedElement);
  EXPECT_EQ(s.View.LastAddedElement->Item, alone);
  // Without clearing first the note stays selected.
  EXPECT_TRUE(s.View.SelectAtPoint(s.Centre(*alone->HeadElement), true, false));
  EXPECT_TRUE(s.Selected(alone->HeadElement));
}

TEST(ViewSelection, RubberBandSelectsWhatItTouches) {
  TSelectScore s;
  for (int m = 0; m < 8; ++m) s.Quarters(s.Measure(m));
  s.Show();
  const TRect first = s.View.Geometry().ElementClientBox(*s.NoteAt(1, 0)->HeadElement);
  const TRect last = s.View.Geometry().ElementClientBox(*s.NoteAt(1, 384)->HeadElement);
  int fired = 0;
  s.View.OnSelectedChanged = [&](TObject*) { ++fired; };
  EXPECT_TRUE(s.View.SelectInRect({first.Left, first.Top, last.Right, last.Bottom}, true));
  for (int tick : {0, 128, 256, 384}) EXPECT_TRUE(s.Selected(s.NoteAt(1, tick)->HeadElement)) << tick;
  EXPECT_FALSE(s.Selected(s.NoteAt(0, 384)->HeadElement));
  EXPECT_FALSE(s.Selected(s.NoteAt(2, 0)->HeadElement));
  EXPECT_EQ(fired, 1);
  // A band that only meets a box's edge selects it.
  const TRect box = s.View.Geometry().ElementClientBox(*s.NoteAt(3, 128)->HeadElement);
  EXPECT_TRUE(s.View.SelectInRect({box.Right, box.Bottom, box.Right + 1, box.Bottom + 1}, false));
  EXPECT_TRUE(s.Selected(s.NoteAt(3, 128)->HeadElement));
  // A band over empty paper keeps the selection.
  const size_t count = s.SelectedCount();
  EXPECT_FALSE(s.View.SelectInRect({2, 2, 10, 10}, true));
  EXPECT_EQ(s.SelectedCount(), count);
}

// A volta takes clicks only on its bracket line and its hook.
TEST(ViewSelection, AVoltaIsHitOnItsBracketOnly) {
  TSelectScore s({1}, 4);
  for (int m = 0; m < 4; ++m) s.Quarters(s.Measure(m));
  TQSMark* volta = s.Mark(s.Piece->GetColumn(1), kind::Volta, 0, 1, 1);
  s.Show();
  ASSERT_TRUE(volta->LayoutLink);
  // A box of 40 x 20 pixels above measure 1 (the hit test reads only the box).
  TQSCalcItem& e = *volta->LayoutLink;
  e.Box = {e.Box.Left, e.Box.Top - 160, e.Box.Left + 320, e.Box.Top};
  const TRect box = s.View.Geometry().ElementClientBox(e);
  s.View.SelectAtPoint({box.Left + 3, box.Bottom - 1}, true, true);
  EXPECT_FALSE(s.Selected(volta->LayoutLink));
  EXPECT_TRUE(s.View.SelectAtPoint({box.Left + 3, box.Top + 1}, true, true));
  EXPECT_TRUE(s.Selected(volta->LayoutLink));
  s.View.ClearSelection();
  EXPECT_TRUE(s.View.SelectAtPoint({box.Right - 1, box.Bottom - 1}, true, true));
  EXPECT_TRUE(s.Selected(volta->LayoutLink));
}

// A diagonal line is hit within Zoom x 6 / 100 pixels of it, not elsewhere
// in its box.
TEST(ViewSelection, ALinePageObjectIsHitNearTheLine) {
  TSelectScore s({1}, 1);
  auto* line = s.PageObject<TQSLine>(kind::Line);
  line->Fields.X1 = 800;
  line->Fields.Y1 = 2400;
  line->Fields.X2 = 2400;
  line->Fields.Y2 = 4000;  // 200 x 200 pixels, corner to corner
  s.Show();
  const TQSCalcItem* element = s.Page(0).PageItems.At(0);
  ASSERT_EQ(element->Item, line);
  const TPoint a = s.Client(800, 2400);
  EXPECT_TRUE(s.View.SelectAtPoint({a.X + 100 + 4, a.Y + 100}, true, true));  // 2.8 pixels off
  EXPECT_TRUE(s.Selected(element));
  s.View.ClearSelection();
  EXPECT_FALSE(s.View.SelectAtPoint({a.X + 150, a.Y + 20}, true, true));
  EXPECT_FALSE(s.Selected(element));
}

// The handles of a selected slur: its ends on the curve box, then the
// control points.
TEST(ViewSelection, ASelectedSlurOffersEndAndControlHandles) {
  TSelectScore s({1}, 2);
  s.Quarters(s.Measure(0));
  auto* slur = static_cast<TQSLiga*>(CreateItemByKind(kind::Liga, s.NoteAt(0, 0)));
  slur->Fields.Span = 256;
  slur->Fields.Flags = TQSLiga::kSlur | TQSLiga::kFromStart;
  // Control points 20 pixels above the curve's ends.
  slur->Fields.CurveStartDY = slur->Fields.CurveEndDY = -160;
  s.Show();
  ASSERT_TRUE(slur->LayoutLink);
  const TQSCalcItem& e = *slur->LayoutLink;
  EXPECT_EQ(s.View.HitTestHandles(s.Centre(e)), 0);  // nothing selected yet
  s.View.AddElement(slur->LayoutLink);
  const TRect curve = s.View.Geometry().ElementClientBox(e, true);
  EXPECT_EQ(s.View.HitTestHandles({curve.Left, curve.Top}), 1);
  EXPECT_EQ(s.View.GrabbedElement, &e);
  EXPECT_EQ(s.View.HitTestHandles({curve.Right + 2, curve.Bottom - 3}), 3);
  // The control handles: the curve box's corners moved by the control
  // offsets (no stretch since the layout measured it: factor 1).
  EXPECT_EQ(s.View.HitTestHandles({curve.Left, curve.Top - 20}), 9);
  EXPECT_EQ(s.View.HitTestHandles({curve.Right - 1, curve.Bottom - 21}), 10);
  EXPECT_EQ(s.View.HitTestHandles({(curve.Left + curve.Right) / 2, curve.Bottom + 40}), 0);
}

// Box handles of a selected rectangle at zoom 100 and 25: six pixels and
// one pixel square; handle 8 stays six by six.
TEST(ViewSelection, BoxHandlesScaleWithTheZoom) {
  struct TCase {
    int zoom;
    TPoint offset;  // from the box's top-left corner
    int code;
  };
  const TCase cases[] = {
      {100, {0, 0}, 1}, {100, {5, 5}, 1}, {100, {6, 6}, 0}, {25, {0, 0}, 1}, {25, {1, 0}, 0},
  };
  for (const TCase& c : cases) {
    TSelectScore s({1}, 1);
    auto* box = s.PageObject<TQSRectangle>(kind::Rectangle);
    box->Fields.X = 800;
    box->Fields.Y = 2400;
    box->Fields.Width = 800;
    box->Fields.Height = 800;
    s.Show();
    s.View.SetZoom(c.zoom);
    TQSCalcItem* element = s.Page(0).PageItems.At(0);
    ASSERT_EQ(element->Item, box);
    s.View.AddElement(element);
    const TRect r = s.View.Geometry().ElementClientBox(*element);
    EXPECT_EQ(s.View.HitTestHandles({r.Left + c.offset.X, r.Top + c.offset.Y}), c.code) << c.zoom;
    // Handle 8 on the left edge's middle: 6 wide and 6 high at every zoom.
    const int my = (r.Top + r.Bottom) / 2;
    EXPECT_EQ(s.View.HitTestHandles({r.Left + 5, my + 2}), 8) << c.zoom;
    EXPECT_NE(s.View.HitTestHandles({r.Left + 6, my + 2}), 8) << c.zoom;
  }
}

// Select all leaves out the first clef of a staff, accolades, time
// signatures and measure numbers; the voice scope takes only notes, rests
// and repeats.
TEST(ViewSelection, SelectAllScopes) {
  TSelectScore s({1}, 2);
  TQSMark* clef = s.Mark(s.Measure(0), kind::Clef, 0, 0, 1);
  TQSMark* meter = s.Mark(s.Piece->GetColumn(0), kind::Meter, 0, 0x0404);
  s.Quarters(s.Measure(0));
  TQSMark* staccato = s.Mark(s.Measure(1), kind::Staccato, 0);
  TQSNote* later = s.Note(s.Measure(1), 0, 512);
  s.Show();
  s.View.SelectAll(0);
  EXPECT_FALSE(s.Selected(clef->LayoutLink));
  if (meter->LayoutLink) {
    EXPECT_FALSE(s.Selected(meter->LayoutLink));
  }
  EXPECT_TRUE(s.Selected(later->HeadElement));
  if (staccato->LayoutLink) {
    EXPECT_TRUE(s.Selected(staccato->LayoutLink));
  }
  s.Score.SelectSymbols(4);  // through the score's active view
  EXPECT_EQ(s.Score.SymbolSelectScope, 4);
  EXPECT_TRUE(s.Selected(later->HeadElement));
  if (staccato->LayoutLink) {
    EXPECT_FALSE(s.Selected(staccato->LayoutLink));
  }
  EXPECT_TRUE(s.View.SelectionHasKind(kind::Note));
  EXPECT_FALSE(s.View.SelectionHasKind(kind::Clef));
}

}  // namespace
}  // namespace qs::test

namespace qs::test {
namespace {

// A double click begins editing a text box, not a note.
TEST(ViewSelection, EditingBeginsOnTextsOnly) {
  struct TEditingView : TQSWindow {
    TQSCalcItem* Edited = nullptr;
    void EditItemText(TQSCalcItem* element) override { Edited = element; }
  };
  TLayoutScore s;
  TQSPiece* piece = s.AddPiece({1}, 1);
  TQSNote* note = s.Note(piece->GetPart(0)->GetMeasure(0), 0, 512);
  auto* text = static_cast<TQSText*>(CreateItemByKind(kind::Text, &s.Score));
  text->Fields.Page = 1;
  text->Fields.X = 800;
  text->Fields.Y = 2400;
  text->Lines = {"Allegro"};
  s.Layout();
  TBitmapHost host;
  TEditingView view;
  view.Rule.Visible = false;
  view.SetHost(&host);
  view.SetBounds(0, 0, 800, 700);
  view.SetScore(&s.Score);
  const TRect head = view.Geometry().ElementClientBox(*note->HeadElement);
  EXPECT_FALSE(view.EditTextAtPoint({(head.Left + head.Right) / 2, (head.Top + head.Bottom) / 2}));
  EXPECT_EQ(view.Edited, nullptr);
  const TQSCalcItem* element = s.Page(0).PageItems.At(0);
  const TRect box = view.Geometry().ElementClientBox(*element);
  EXPECT_TRUE(view.EditTextAtPoint({box.Left + 10, box.Top + 5}));
  EXPECT_EQ(view.Edited, element);
}

}  // namespace
}  // namespace qs::test
