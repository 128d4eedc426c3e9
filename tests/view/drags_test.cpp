// Dragging with real mouse events: a selected item dragged by its body
// moves (a note to the pitch under the mouse), dragged by a grab handle it
// is reshaped; each drop is one undo step, Esc cancels a drag, and the
// insertion tools draw their rubber figures in XOR and hand on the result.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "editing/drags.h"
#include "platform/drawdevice.h"
#include "platform/forms.h"
#include "platform/keys.h"
#include "platform/testdriver.h"
#include "score/marks.h"
#include "score/pageobjects.h"
#include "view/navigator.h"
#include "view_fixture.h"

namespace qs::test {
namespace {

namespace td = qs::testdriver;

TQSNote* FirstNote(TQSMeasure* m) {
  for (TQSItem* item : m->Items)
    if (item->ItemType == kind::Note) return static_cast<TQSNote*>(item);
  return nullptr;
}

class ViewDrags : public TShownScoreTest {
 protected:
  TQSText* Text = nullptr;
  TQSLine* Line = nullptr;
  TQSMark* DynamicMark() const {
    for (TQSItem* item : Measure(2)->Items)
      if (item->ItemType == kind::Dynamics) return static_cast<TQSMark*>(item);
    return nullptr;
  }
  const TQSCalcItem* SlurElement() const {
    for (int k = 0; k < System(0, 0).MeasureCount; ++k) {
      const TQSCalcMeasure& slot = Slot(0, 0, k);
      for (int i = 0; i < slot.ItemCount; ++i)
        if (slot.Items.At(i)->Item && slot.Items.At(i)->Item->ItemType == kind::Liga) return slot.Items.At(i);
    }
    return nullptr;
  }
  const TQSLiga::TFields& Slur() const { return static_cast<const TQSLiga*>(SlurElement()->Item)->Fields; }
  TQSMark* Hairpin() const {
    for (TQSItem* item : Measure(1)->Items)
      if (item->ItemType == kind::Dynamics) return static_cast<TQSMark*>(item);
    return nullptr;
  }
  // Undo rebuilds a measure's items: look them up again.
  TQSNote* HighNote() const { return FirstNote(Measure(3)); }  // stem down

  void SetUp() override {
    Piece = AddPiece({1}, 4);
    for (int m = 0; m < 4; ++m) Quarters(Measure(m));
    HighNote()->Fields.Pitch = 0x60;
    HighNote()->SetStemDown(true);
    Mark(Measure(2), kind::Dynamics, 128, 0, 3);
    Mark(Measure(0), kind::Clef, 0, 0, 1);
    Mark(Measure(1), kind::Dynamics, 0, 128, 50);  // a crescendo hairpin
    auto* slur = static_cast<TQSLiga*>(CreateItemByKind(kind::Liga, NoteAt(2, 0)));
    slur->Fields.Span = 256;
    slur->Fields.Flags = TQSLiga::kSlur;
    Text = static_cast<TQSText*>(CreateItemByKind(kind::Text, &Score));
    Text->Fields.Page = 1;
    Text->Fields.X = 800;
    Text->Fields.Y = 2400;
    Text->Fields.Width = 2400;
    Text->Fields.Height = 800;
    Text->Lines = {"Allegro"};
    Line = static_cast<TQSLine*>(CreateItemByKind(kind::Line, &Score));
    Line->Fields.Page = 1;
    Line->Fields.X1 = 2000, Line->Fields.Y1 = 3600, Line->Fields.X2 = 3000, Line->Fields.Y2 = 3600;
    ShowScore(false);
    ConnectDragCommands(*View);
  }

  const TQSCalcItem* PageElement(const TQSItem* item) const {
    for (int i = 0; i < Page(0).PageItemCount; ++i)
      if (Page(0).PageItems.At(i)->Item == item) return Page(0).PageItems.At(i);
    return nullptr;
  }
  const TQSCalcItem* ElementOfMark(const TQSItem* item) const {
    for (int k = 0; k < System(0, 0).MeasureCount; ++k) {
      const TQSCalcMeasure& slot = Slot(0, 0, k);
      for (int i = 0; i < slot.ItemCount; ++i)
        if (slot.Items.At(i)->Item == item && slot.Items.At(i)->ElementType == element::Item) return slot.Items.At(i);
    }
    return nullptr;
  }
  const TQSCalcItem* StemOf(const TQSNote* note) const {
    for (int k = 0; k < System(0, 0).MeasureCount; ++k) {
      const TQSCalcMeasure& slot = Slot(0, 0, k);
      for (int i = 0; i < slot.ItemCount; ++i)
        if (slot.Items.At(i)->Item == note && slot.Items.At(i)->ElementType == element::Stem) return slot.Items.At(i);
    }
    return nullptr;
  }
  // The rulers shown, their markers on the cursor at tick 128 of measure 1.
  void ShowRulers() {
    View->Rule.Visible = true;
    View->LayoutChanged();
    View->SetCursorMeasureTick(1, 128, false);
    td::ProcessMessages();
  }
  // Press at from, move there in two steps, release.
  void Drag(TPoint from, TPoint to) {
    td::MouseDown(*View, from.X, from.Y);
    td::MouseMove(*View, (from.X + to.X) / 2, (from.Y + to.Y) / 2);
    td::MouseMove(*View, to.X, to.Y);
    td::MouseUp(*View, to.X, to.Y);
  }
};

// What is grabbed (by its body: a click selects it, the drag starts on it),
// how far it is dragged, and what the model holds after; undo restores.
TEST_F(ViewDrags, DraggingTheSelectionMovesItAsOneUndoStep) {
  struct TCase {
    std::string Name;
    std::function<const TQSCalcItem*()> Grab;
    TPoint Delta;
    std::function<int()> Read;
    int Before, After;
  };
  TQSMeasure* first = Measure(0);
  const std::vector<TCase> cases = {
      // One staff space (6 pixels) up from middle C: two diatonic steps, E.
      {"note", [&] { return FirstNote(first)->HeadElement; }, {0, -6},
       [&] { return PitchLine(FirstNote(first)->Fields.Pitch); }, 35, 37},
      // Sideways a note keeps its pitch and time.
      {"note sideways", [&] { return FirstNote(first)->HeadElement; }, {30, 0},
       [&] { return PitchLine(FirstNote(first)->Fields.Pitch) * 1000 + FirstNote(first)->Fields.Time; }, 35000,
       35000},
      // Marks move by layout units before the scale: 10 pixels at zoom 100.
      {"mark", [&] { return ElementOfMark(DynamicMark()); }, {10, 0},
       [&] { return int{DynamicMark()->Fields.OffsetX}; }, 0, 80},
      {"text", [&] { return PageElement(Text); }, {10, 5}, [&] { return Text->Fields.X * 10000 + Text->Fields.Y; },
       800 * 10000 + 2400, 880 * 10000 + 2440},
  };
  // A drop tells the score's listeners that the view changed it.
  TObject* changer = nullptr;
  Score.OnChanged = [&](TObject* sender) { changer = sender; };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const TQSCalcItem* e = c.Grab();
    ASSERT_NE(e, nullptr);
    const TPoint from = Centre(*e);
    td::Click(*View, from.X, from.Y);
    ASSERT_TRUE(View->HasSelection());
    const int records = Score.UndoCount();
    changer = nullptr;
    Drag(from, {from.X + c.Delta.X, from.Y + c.Delta.Y});
    EXPECT_EQ(c.Read(), c.After);
    EXPECT_EQ(changer, View);
    EXPECT_FALSE(View->MoveDragging);
    EXPECT_EQ(View->ArmedItem, 0);
    if (c.After != c.Before) {
      EXPECT_EQ(Score.UndoCount(), records + 1);
      td::PressKey(*View, 'Z', ssCtrl);
      EXPECT_EQ(c.Read(), c.Before);
    }
  }
}

// The dragged note goes to the pitch under the mouse, every other selected
// note by the same distance, within the range: one at the top stays.
TEST_F(ViewDrags, OtherSelectedNotesMoveByTheSameDistance) {
  NoteAt(1, 0)->Fields.Pitch = MakePitch(8, 1);  // pitch index 57
  NoteAt(1, 128)->Fields.Pitch = MakePitch(5, 4);
  Layout();
  View->LayoutChanged();
  TQSNote* dragged = NoteAt(0, 0);
  const TPoint p = Centre(*dragged->HeadElement);
  td::Click(*View, p.X, p.Y);
  for (int tick : {0, 128}) {
    const TPoint q = Centre(*NoteAt(1, tick)->HeadElement);
    td::Click(*View, q.X, q.Y, mbLeft, ssCtrl);
  }
  // Ctrl keeps the selection on the press.
  td::MouseDown(*View, p.X, p.Y, mbLeft, ssCtrl);
  td::MouseMove(*View, p.X, p.Y - 3, ssCtrl);
  td::MouseMove(*View, p.X, p.Y - 6, ssCtrl);
  td::MouseUp(*View, p.X, p.Y - 6, mbLeft, ssCtrl);
  EXPECT_EQ(PitchLine(NoteAt(0, 0)->Fields.Pitch), 37);
  EXPECT_EQ(PitchLine(NoteAt(1, 0)->Fields.Pitch), 57);
  EXPECT_EQ(PitchLine(NoteAt(1, 128)->Fields.Pitch), 41);
}

// Offsets of marks are before the score's scale, page objects are not.
TEST_F(ViewDrags, TheDistanceCountsAtTheZoomAndTheScale) {
  Score.Scale = 50;
  Text->Fields.Y = 400;  // in sight at zoom 200
  Layout();
  View->SetZoom(200);
  for (int i = 0; i < 2; ++i) {
    const TQSCalcItem* e = i == 0 ? ElementOfMark(DynamicMark()) : PageElement(Text);
    const TPoint from = Centre(*e);
    td::Click(*View, from.X, from.Y);
    Drag(from, {from.X + 10, from.Y});
  }
  EXPECT_EQ(DynamicMark()->Fields.OffsetX, 80);
  EXPECT_EQ(Text->Fields.X, 800 + 40);
}

TEST_F(ViewDrags, APressWithoutAMoveChangesNothingAndEscCancelsADrag) {
  TQSNote* note = FirstNote(Measure(0));
  const TPoint p = Centre(*note->HeadElement);
  td::Click(*View, p.X, p.Y);
  td::Click(*View, p.X, p.Y);
  EXPECT_EQ(Score.UndoCount(), 0);
  td::MouseDown(*View, p.X, p.Y);
  td::MouseMove(*View, p.X, p.Y - 12);
  EXPECT_EQ(View->ArmedItem, 1);  // the note ghost follows the mouse
  td::PressKey(*View, VK_ESCAPE);
  EXPECT_EQ(View->ArmedItem, 0);
  td::MouseUp(*View, p.X, p.Y - 12);
  EXPECT_EQ(PitchLine(note->Fields.Pitch), 35);
  // A handle drag too.
  const TQSCalcItem* text = PageElement(Text);
  const TPoint body = Centre(*text);
  td::Click(*View, body.X, body.Y);
  const TRect b = View->Geometry().ElementClientBox(*text);
  td::MouseDown(*View, b.Left + 1, b.Top + 1);
  ASSERT_TRUE(View->HandleDragging);
  td::MouseMove(*View, b.Left + 30, b.Top + 20);
  td::PressKey(*View, VK_ESCAPE);
  td::MouseUp(*View, b.Left + 30, b.Top + 20);
  EXPECT_EQ(Text->Fields.X, 800);
  EXPECT_EQ(Text->Fields.Width, 2400);
  EXPECT_EQ(Score.UndoCount(), 0);
}

// The dragged note sounds at each new pitch line, not at each move.
TEST_F(ViewDrags, ADraggedNoteSoundsAtEachNewPitch) {
  std::vector<int> keys;
  View->OnPlayNote = [&](TQSWindow&, int, int, int key, int, int) { keys.push_back(key); };
  TQSNote* note = FirstNote(Measure(0));
  const TPoint p = Centre(*note->HeadElement);
  td::Click(*View, p.X, p.Y);
  td::MouseDown(*View, p.X, p.Y);
  td::MouseMove(*View, p.X + 1, p.Y);  // middle C
  td::MouseMove(*View, p.X + 2, p.Y);  // the same line: no sound
  td::MouseMove(*View, p.X + 2, p.Y - 3);  // D
  td::MouseUp(*View, p.X + 2, p.Y - 3);
  EXPECT_EQ(keys, (std::vector<int>{60, 62}));
  EXPECT_EQ(PitchLine(note->Fields.Pitch), 36);
}

// Grabbed handle, where it is dropped, what the item holds after.
TEST_F(ViewDrags, HandleDragsReshapeTheirItem) {
  struct TCase {
    std::string Name;
    std::function<const TQSCalcItem*()> Element;
    std::function<TPoint(const TRect&)> Handle;
    TPoint Delta;
    std::function<std::vector<int>()> Read;
    std::vector<int> After;
  };
  const std::vector<TCase> cases = {
      {"text top-left", [&] { return PageElement(Text); }, [](const TRect& b) { return TPoint{b.Left, b.Top}; },
       {50, 0}, [&] { return std::vector<int>{Text->Fields.X, Text->Fields.Width}; }, {1200, 2000}},
      {"text bottom past its top", [&] { return PageElement(Text); },
       [](const TRect& b) { return TPoint{(b.Left + b.Right) / 2, b.Bottom - 2}; }, {0, -200},
       [&] { return std::vector<int>{Text->Fields.Height}; }, {64}},
      {"line end", [&] { return PageElement(Line); },
       [&](const TRect&) { return View->Geometry().PageToScreen({Line->Fields.X1 / 1, Line->Fields.Y1}, 0); }, {20, 10},
       [&] { return std::vector<int>{Line->Fields.X1, Line->Fields.Y1, Line->Fields.X2}; }, {2160, 3680, 3000}},
      // A hairpin's end dropped on the last note of its measure: it lasts to
      // that note's time.
      {"hairpin end", [&] { return ElementOfMark(Hairpin()); },
       [](const TRect& b) { return TPoint{b.Right - 1, (b.Top + b.Bottom) / 2}; },
       {Centre(*NoteAt(1, 384)->HeadElement).X -
            (View->Geometry().ElementClientBox(*ElementOfMark(Hairpin())).Right - 1),
        0},
       [&] { return std::vector<int>{Hairpin()->Fields.Value}; }, {384}},
      // A slur's end: its offsets by layout units before the scale; a slur
      // (not a tie) leaves its start alone.
      {"slur end", [&] { return SlurElement(); },
       [&](const TRect&) {
         const TRect u = View->Geometry().ElementClientBox(*SlurElement(), true);
         return TPoint{u.Right, u.Bottom};
       },
       {16, 8}, [&] { return std::vector<int>{Slur().StartY, Slur().EndX, Slur().EndY}; }, {0, 128, 64}},
      // A stem pointing down, dragged 5 pixels down at zoom 100, scale 100
      // and staff size 100, grows by 5.
      {"stem", [&] { return StemOf(HighNote()); },
       [](const TRect& b) { return TPoint{(b.Left + b.Right) / 2, b.Bottom}; }, {0, 5},
       [&] { return std::vector<int>{HighNote()->Fields.StemLength}; }, {}},
      // Dragged up past its head it stops at length 0.
      {"stem past its head", [&] { return StemOf(HighNote()); },
       [](const TRect& b) { return TPoint{(b.Left + b.Right) / 2, b.Bottom}; }, {0, -60},
       [&] { return std::vector<int>{HighNote()->Fields.StemLength}; }, {0}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const TQSCalcItem* e = c.Element();
    ASSERT_NE(e, nullptr);
    const std::vector<int> before = c.Read();
    const TPoint body = Centre(*e);
    td::Click(*View, body.X, body.Y);
    const TPoint h = c.Handle(View->Geometry().ElementClientBox(*e));
    td::MouseDown(*View, h.X, h.Y);
    EXPECT_TRUE(View->HandleDragging);
    td::MouseMove(*View, h.X + c.Delta.X, h.Y + c.Delta.Y);
    td::MouseUp(*View, h.X + c.Delta.X, h.Y + c.Delta.Y);
    std::vector<int> after = c.After;
    if (after.empty()) after = {before[0] + 5};
    EXPECT_EQ(c.Read(), after);
    td::PressKey(*View, 'Z', ssCtrl);
    EXPECT_EQ(c.Read(), before);
  }
}

// The handles of an arc (its start point, and its box without the limits
// of text boxes), of an arpeggio and of a hand-direction mark.
TEST_F(ViewDrags, HandlesOfArcsArpeggiosAndHandMarks) {
  auto* arc = static_cast<TQSArc*>(CreateItemByKind(kind::Arc, &Score));
  arc->Fields.Page = 1;
  arc->Fields.X = 800, arc->Fields.Y = 4400, arc->Fields.Width = 800, arc->Fields.Height = 400;
  arc->Fields.AX = 1000, arc->Fields.AY = 4400, arc->Fields.BX = 1600, arc->Fields.BY = 4800;
  Mark(Measure(3), kind::Arpeggio, 128, 10);
  Mark(Measure(3), kind::Hand, 256, 2, 0);
  Layout();
  View->LayoutChanged();
  // Undo rebuilds the measure: its marks are looked up each time.
  auto markOf = [&](TQSItemType k) -> TQSMark* {
    for (TQSItem* item : Measure(3)->Items)
      if (item->ItemType == k) return static_cast<TQSMark*>(item);
    return nullptr;
  };
  auto read = [&] {
    return std::vector<int>{arc->Fields.AX, arc->Fields.AY, arc->Fields.Width, markOf(kind::Arpeggio)->Fields.Value,
                            markOf(kind::Hand)->Fields.Value};
  };
  const struct {
    std::string Name;
    std::function<const TQSCalcItem*()> Element;
    std::function<TPoint(const TRect&)> Handle;
    TPoint Delta;
    std::vector<int> After;
  } cases[] = {
      {"arc start point",
       [&] { return PageElement(arc); },
       [&](const TRect&) {
         return View->Geometry().PageToScreen({1000, 4400}, 0);
       },
       {20, 10},
       {1160, 4480, 800, 10, 2}},
      // Past the box's left edge: the width goes below 0.
      {"arc box corner",
       [&] { return PageElement(arc); },
       [](const TRect& b) {
         return TPoint{b.Right - 1, b.Bottom - 1};
       },
       {-150, 0},
       {1000, 4400, 800 - 1200, 10, 2}},
      // (16 x 100 div zoom 100) div 8 = 2 more.
      {"arpeggio bottom",
       [&] { return ElementOfMark(markOf(kind::Arpeggio)); },
       [](const TRect& b) {
         return TPoint{(b.Left + b.Right) / 2, b.Bottom};
       },
       {0, 16},
       {1000, 4400, 800, 12, 2}},
      // Kind 0 grows downwards; dragged up past its start it stays at 0.
      {"hand bottom",
       [&] { return ElementOfMark(markOf(kind::Hand)); },
       [](const TRect& b) {
         return TPoint{(b.Left + b.Right) / 2, b.Bottom};
       },
       {0, -30},
       {1000, 4400, 800, 10, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const TQSCalcItem* e = c.Element();
    ASSERT_NE(e, nullptr);
    const std::vector<int> before = read();
    View->ClearSelection();
    View->AddElement(const_cast<TQSCalcItem*>(e));
    const TPoint h = c.Handle(View->Geometry().ElementClientBox(*e));
    td::MouseDown(*View, h.X, h.Y);
    EXPECT_TRUE(View->HandleDragging);
    td::MouseMove(*View, h.X + c.Delta.X, h.Y + c.Delta.Y);
    td::MouseUp(*View, h.X + c.Delta.X, h.Y + c.Delta.Y);
    EXPECT_EQ(read(), c.After);
    td::PressKey(*View, 'Z', ssCtrl);
    EXPECT_EQ(read(), before);
  }
  // A hand mark already at 0 dragged further up changes nothing: no undo
  // step, no layout.
  const int records = Score.UndoCount();
  markOf(kind::Hand)->Fields.Value = 0;
  const TQSCalcItem* e = ElementOfMark(markOf(kind::Hand));
  ASSERT_NE(e, nullptr);
  View->ClearSelection();
  View->AddElement(const_cast<TQSCalcItem*>(e));
  const TRect b = View->Geometry().ElementClientBox(*e);
  td::MouseDown(*View, (b.Left + b.Right) / 2, b.Bottom);
  td::MouseMove(*View, (b.Left + b.Right) / 2, b.Bottom - 20);
  td::MouseUp(*View, (b.Left + b.Right) / 2, b.Bottom - 20);
  EXPECT_EQ(markOf(kind::Hand)->Fields.Value, 0);
  EXPECT_EQ(Score.UndoCount(), records);
}

// With automatic velocities, a crescendo's end dragged to the last note of
// its measure gives the notes it now covers rising velocities.
TEST_F(ViewDrags, AHairpinDraggedLongerSetsTheVelocitiesOfItsNotes) {
  Score.AutoVelocity = true;
  Score.OnGetDinamics = [](TObject*, int itemType, int k) { return itemType == kind::Dynamics && k == 50 ? 30 : 64; };
  for (int tick : {0, 128, 256, 384}) NoteAt(1, tick)->Fields.Velocity = 100;
  const TQSCalcItem* e = ElementOfMark(Hairpin());
  const TPoint body = Centre(*e);
  td::Click(*View, body.X, body.Y);
  const TRect b = View->Geometry().ElementClientBox(*e);
  const TPoint h{b.Right - 1, (b.Top + b.Bottom) / 2};
  const int x = Centre(*NoteAt(1, 384)->HeadElement).X;
  td::MouseDown(*View, h.X, h.Y);
  td::MouseMove(*View, x, h.Y);
  td::MouseUp(*View, x, h.Y);
  ASSERT_EQ(Hairpin()->Fields.Value, 384);
  std::vector<int> velocities;
  for (int tick : {0, 128, 256, 384}) velocities.push_back(NoteAt(1, tick)->Fields.Velocity);
  EXPECT_NE(velocities, (std::vector<int>{100, 100, 100, 100}));
  EXPECT_LT(velocities.front(), velocities.back());
  EXPECT_TRUE(std::is_sorted(velocities.begin(), velocities.end()));
}

// An accolade dragged down by its handle spans the parts down to the one
// under the mouse.
TEST(ViewDragsAccolade, ItsHandleSpansWholeParts) {
  TLayoutScore s;
  TQSPiece* piece = s.AddPiece({1, 1, 1}, 2);
  for (int p = 0; p < 3; ++p) s.Quarters(piece->GetPart(p)->GetMeasure(0));
  s.Mark(piece->GetPart(0)->GetMeasure(0), kind::Accolade, 0, 0, 0);
  s.Layout();
  TShownView shown;
  shown.Show(s.Score);
  TQSWindow& view = *shown.View;
  ConnectDragCommands(view);
  auto accolade = [&]() -> TQSMark* {
    for (TQSItem* item : piece->GetPart(0)->GetMeasure(0)->Items)
      if (item->ItemType == kind::Accolade) return static_cast<TQSMark*>(item);
    return nullptr;
  };
  // The accolade of the first system (each system shows it).
  const TQSCalcItem* first = nullptr;
  for (const TQSCalcItem* e = accolade()->LayoutLink; e; e = e->Next)
    if (e->Owner && e->Owner->System == &s.System(0, 0)) first = e;
  ASSERT_NE(first, nullptr);
  const TRect b = view.Geometry().ElementClientBox(*first);
  td::Click(view, (b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2);
  // The third staff's middle: the accolade reaches two parts further.
  const int y = view.Geometry().PageToScreen({0, (s.Row(0, 2).TopLine + s.Row(0, 2).BottomLine) / 2}, 0).Y;
  td::MouseDown(view, (b.Left + b.Right) / 2, b.Bottom - 1);
  ASSERT_TRUE(view.HandleDragging);
  td::MouseMove(view, (b.Left + b.Right) / 2, y);
  td::MouseUp(view, (b.Left + b.Right) / 2, y);
  EXPECT_EQ(accolade()->Fields.Value, 2);
  shown.Close();
}

// The bracket that joins a part's staves at a system's start, dragged down
// by its handle to the third part's staff, takes the two staves after it
// into its group; the score keeps the group in its staves' numbers.
TEST(ViewDragsBracket, ItsHandleTakesTheStavesDownToTheMouseIntoItsGroup) {
  TLayoutScore s;
  TQSPiece* piece = s.AddPiece({1, 1, 1}, 2);
  for (int p = 0; p < 3; ++p) s.Quarters(piece->GetPart(p)->GetMeasure(0));
  s.Layout();
  TShownView shown;
  shown.Show(s.Score);
  TQSWindow& view = *shown.View;
  ConnectDragCommands(view);
  auto staff = [&](int p) { return piece->GetPart(p)->GetStaff(0); };
  TQSCalcItem* bracket = nullptr;
  const TQSCalcMeasure& slot = s.Slot(0, 0, 0);
  for (int i = 0; i < slot.ItemCount; ++i)
    if (slot.Items.At(i)->ElementType == element::PartBarline && slot.Items.At(i)->Staff == staff(0))
      bracket = slot.Items.At(i);
  ASSERT_NE(bracket, nullptr);
  view.AddElement(bracket);
  const TRect b = view.Geometry().ElementClientBox(*bracket);
  const int x = (b.Left + b.Right) / 2;
  td::MouseDown(view, x, b.Bottom);
  ASSERT_TRUE(view.HandleDragging);
  const int y = view.Geometry().PageToScreen({0, (s.Row(0, 2).TopLine + s.Row(0, 2).BottomLine) / 2}, 0).Y;
  td::MouseMove(view, x, y);
  EXPECT_EQ(view.TargetStaff, staff(2));
  td::MouseUp(view, x, y);
  EXPECT_EQ(staff(0)->Fields.Group, 0);
  EXPECT_EQ(staff(1)->Fields.Group, 0);
  EXPECT_EQ(staff(2)->Fields.Group, 0);
  shown.Close();
}

// The group numbers of a piece's staves (in order, part by part) after the
// bracket of the first staff's group is dragged to a staff.
TEST(ViewDragsBracket, GroupNumbersGrowAndShrinkAcrossParts) {
  struct TCase {
    std::string Name;
    std::vector<uint16_t> Before;
    int Target;
    std::vector<uint16_t> After;
  } cases[] = {
      {"grows into the next part", {0, 0, 1, 1, 2}, 3, {0, 0, 0, 0, 2}},
      // Shrunk back into the first part: every staff between the target
      // and the next group takes that group's number, those of the first
      // part included.
      {"shrinks back into its own part", {0, 0, 0, 0, 2}, 0, {0, 2, 2, 2, 2}},
      {"shrinks without a later group", {0, 0, 0, 0, 0}, 2, {0, 0, 0, 1, 1}},
      {"never above its own staff", {0, 0, 1, 1, 2}, -1, {0, 1, 1, 1, 2}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TLayoutScore s;
    TQSPiece* piece = s.AddPiece({2, 2, 1}, 1);
    std::vector<TQSStaff*> staves;
    for (int p = 0; p < piece->PartCount(); ++p)
      for (int i = 0; i < piece->GetPart(p)->StaffCount(); ++i) staves.push_back(piece->GetPart(p)->GetStaff(i));
    for (size_t i = 0; i < staves.size(); ++i) staves[i]->Fields.Group = c.Before[i];
    DragBracket(*staves[0], *staves[static_cast<size_t>(std::max(c.Target, 0))]);
    std::vector<uint16_t> after;
    for (const TQSStaff* st : staves) after.push_back(st->Fields.Group);
    EXPECT_EQ(after, c.After);
  }
}

// A tablature note dragged up by one and a half string spacings goes two
// strings up (halves go to the even neighbour) and takes its pitch from the
// new string's tuning and its fret.
TEST(ViewDragsTablature, ANoteMovesByWholeStrings) {
  TLayoutScore s;
  TQSPiece* piece = s.AddPiece({1}, 1);
  TQSStaff* staff = piece->GetPart(0)->GetStaff(0);
  staff->SetLineCount(6);
  staff->SetTablature(true);
  const uint8_t tuning[6] = {40, 45, 50, 55, 59, 64};
  for (int i = 0; i < 6; ++i) staff->SetTuning(i, tuning[i]);
  TQSNote* made = s.Note(piece->GetPart(0)->GetMeasure(0), 0, 512);
  made->Fields.TabString = 1;
  made->Fields.TabFret = 4;  // the third fret
  made->SetMidiKey(45 + 3);
  s.Layout();
  TShownView shown;
  shown.Show(s.Score);
  TQSWindow& view = *shown.View;
  ConnectDragCommands(view);
  auto note = [&] { return static_cast<TQSNote*>(piece->GetPart(0)->GetMeasure(0)->Items[0]); };
  ASSERT_NE(note()->HeadElement, nullptr);
  const int spacing = view.Geometry().StaffSpacePixels(*staff);
  ASSERT_EQ(spacing % 2, 0);
  const TRect b = view.Geometry().ElementClientBox(*note()->HeadElement);
  const TPoint p{(b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2};
  td::MouseDown(view, p.X, p.Y);
  td::MouseMove(view, p.X, p.Y - spacing);
  td::MouseMove(view, p.X, p.Y - spacing * 3 / 2);
  td::MouseUp(view, p.X, p.Y - spacing * 3 / 2);
  EXPECT_EQ(note()->Fields.TabString, 3);
  EXPECT_EQ(note()->Fields.TabFret, 4);
  TQSNote expected(nullptr);
  expected.SetMidiKey(55 + 3);
  EXPECT_EQ(note()->Fields.Pitch, expected.Fields.Pitch);
  shown.Close();
}

// Hovering over a selected box's handles shows the sizing cursors.
TEST_F(ViewDrags, TheMouseCursorShowsTheHandleUnderIt) {
  const TQSCalcItem* e = PageElement(Text);
  const TPoint body = Centre(*e);
  td::Click(*View, body.X, body.Y);
  const TRect b = View->Geometry().ElementClientBox(*e);
  const int mx = (b.Left + b.Right) / 2, my = (b.Top + b.Bottom) / 2;
  const struct {
    TPoint At;
    TCursor Shape;
  } cases[] = {{{b.Left + 1, b.Top + 1}, crSizeNWSE}, {{mx, b.Top + 1}, crSizeNS},
               {{b.Right - 2, b.Top + 1}, crSizeNESW}, {{b.Right - 2, my}, crSizeWE},
               {{b.Right - 2, b.Bottom - 2}, crSizeNWSE}, {body, crDefault}};
  for (const auto& c : cases) {
    td::MouseMove(*View, c.At.X, c.At.Y);
    EXPECT_EQ(View->Cursor(), c.Shape) << c.At.X << "," << c.At.Y;
  }
}

// A palette's tool cursor shows over the pages only; a handle under the
// mouse still shows its sizing cursor.
TEST_F(ViewDrags, TheToolCursorShowsOverThePages) {
  ShowRulers();
  View->ToolCursor = crCross;
  const TQSCalcItem* e = PageElement(Text);
  const TPoint body = Centre(*e);
  td::Click(*View, body.X, body.Y);
  const TRect b = View->Geometry().ElementClientBox(*e);
  const struct {
    TPoint At;
    TCursor Shape;
  } cases[] = {{body, crCross}, {{5, 300}, crDefault}, {{b.Left + 1, b.Top + 1}, crSizeNWSE}, {{300, 300}, crCross}};
  for (const auto& c : cases) {
    td::MouseMove(*View, c.At.X, c.At.Y);
    EXPECT_EQ(View->Cursor(), c.Shape) << c.At.X << "," << c.At.Y;
  }
}

// Each ruler marker under the mouse names itself as the view's hint.
TEST_F(ViewDrags, ARulerMarkerNamesItselfAsHint) {
  ShowRulers();
  View->OnGetRuleButton = [](TQSWindow&, int marker) { return "marker " + std::to_string(marker); };
  for (int marker = 1; marker <= 5; ++marker) {
    TPoint p;
    View->RulerMarkerPoint(marker, p);
    td::MouseMove(*View, p.X, p.Y);
    EXPECT_EQ(View->Hint(), "marker " + std::to_string(marker));
  }
  td::MouseMove(*View, 300, 300);
  EXPECT_EQ(View->Hint(), "");
}

TEST_F(ViewDrags, PanningShowsTheHand) {
  td::MouseDown(*View, 300, 300, mbLeft, ssShift);
  EXPECT_EQ(View->Cursor(), crHandPoint);
  td::MouseMove(*View, 290, 280, ssShift);
  td::MouseUp(*View, 290, 280, mbLeft, ssShift);
  EXPECT_EQ(View->Cursor(), crDefault);
}

TEST_F(ViewDrags, APageButtonNamesItselfAsHint) {
  View->OnGetPageButton = [](TQSWindow&, int button) { return "button " + std::to_string(button); };
  int shown = 0;
  for (int i = 1; i <= 7; ++i) {
    if (!View->ButtonEnabled[static_cast<size_t>(i)]) continue;
    const TRect& r = View->Buttons[static_cast<size_t>(i)];
    td::MouseMove(*View, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    EXPECT_EQ(View->Hint(), "button " + std::to_string(i));
    ++shown;
  }
  EXPECT_GT(shown, 0);
  td::MouseMove(*View, 300, 300);
  EXPECT_EQ(View->Hint(), "");
}

// ------------------------------------------------------------ tools

struct TRecordingHost : TQSWindow::THost {
  TRecordingCanvas Rec;
  TCanvas* Screen() override { return &Rec.Canvas; }
  void Invalidate(const TRect&, bool) override {}
  void Update() override {}
  void Flush(const TRect&) override {}
};

std::vector<TCanvasOp> XorOps(const TRecordingHost& host, TCanvasOpKind kind) {
  std::vector<TCanvasOp> out;
  for (const TCanvasOp& op : host.Rec.Recorder->CanvasOps())
    if (op.Kind == kind && op.Pen.Mode == pmXor && op.Pen.Color == clWhite) out.push_back(op);
  return out;
}

TEST_F(ViewDrags, ShapeToolsDrawRubberFiguresAndHandOnTheirResult) {
  struct TCase {
    uint8_t Tool;
    TCanvasOpKind Figure;
  };
  for (const TCase& c : {TCase{202, TCanvasOpKind::Line}, TCase{203, TCanvasOpKind::Rectangle},
                         TCase{204, TCanvasOpKind::Ellipse}, TCase{205, TCanvasOpKind::Arc}}) {
    SCOPED_TRACE(c.Tool);
    TRecordingHost host;
    View->SetHost(&host);
    // The document window starts a shape tool from the view's mouse-down event.
    View->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) { View->StartTool(c.Tool, x, y); };
    std::vector<int> got;
    View->OnInsertLine = [&](TQSWindow&, int x1, int y1, int x2, int y2) { got = {202, x1, y1, x2, y2}; };
    View->OnInsertRectangle = View->OnInsertArc = [&](TQSWindow&, int kind, int l, int t, int w, int h) {
      got = {kind, l, t, w, h};
    };
    const TPoint s = View->Geometry().PageToScreen({400, 400}, 0), p = View->Geometry().PageToScreen({800, 600}, 0);
    td::MouseDown(*View, s.X, s.Y);
    td::MouseMove(*View, p.X, p.Y);
    td::MouseUp(*View, p.X, p.Y);
    // Shown at the start, removed and shown at the end, removed on release:
    // every figure twice, dotted white.
    const std::vector<TCanvasOp> ops = XorOps(host, c.Figure);
    ASSERT_EQ(ops.size(), 4u);
    EXPECT_EQ(ops[1].Points, ops[0].Points);
    EXPECT_EQ(ops[2].Points, ops[3].Points);
    EXPECT_EQ(ops[2].Pen.Style, psDot);
    EXPECT_EQ(ops[2].Pen.Color, clWhite);
    if (c.Tool == 202) {
      EXPECT_EQ(ops[2].Points, (std::vector<TPoint>{s, p}));
    }
    // Page units of the cursor's page: the line from the end to the start.
    if (c.Tool == 202) {
      EXPECT_EQ(got, (std::vector<int>{202, 800, 600, 400, 400}));
    } else {
      EXPECT_EQ(got, (std::vector<int>{c.Tool, 400, 400, 400, 200}));
    }
    EXPECT_EQ(View->ToolCode, 0);
    View->OnMouseDown = nullptr;
    View->SetHost(nullptr);
  }
}

// The tie/slur tool starts on a clicked note (the slur buttons arm the
// note arrow, so no move drag starts) and ends where it is released: on its
// own note a tie of the note's length, on a later note a slur to it.
TEST_F(ViewDrags, TheSlurToolMakesATieOrASlur) {
  TRecordingHost host;
  View->SetHost(&host);
  TQSMeasure* m = Measure(1);
  View->OnItemClick = [&](TObject*, TQSCalcItem* e) {
    if (!e->Item || e->Item->ItemType != kind::Note) return;
    const TRect box = View->Geometry().ElementClientBox(*e);
    View->LigaStyle = 0;
    View->StartTool(30, (box.Left + box.Right) / 2, box.Top - Score.Scale * 4 / 100);
  };
  struct TCall {
    TQSNote* Note;
    int Style, Length, Staff;
  };
  std::vector<TCall> calls;
  View->OnInsertLiga = [&](TQSWindow&, TQSNote* note, int style, int length, int staff, int) {
    calls.push_back({note, style, length, staff});
  };
  View->ArmPaletteItem(2);
  std::vector<TQSNote*> notes;
  for (TQSItem* item : m->Items)
    if (item->ItemType == kind::Note) notes.push_back(static_cast<TQSNote*>(item));
  const TPoint a = Centre(*notes[0]->HeadElement), b = Centre(*notes[2]->HeadElement);
  Drag(a, a);
  Drag(a, b);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].Note, notes[0]);
  EXPECT_EQ(calls[0].Style, 16);
  EXPECT_EQ(calls[0].Length, 128);
  EXPECT_EQ(calls[1].Style, 0);
  EXPECT_EQ(calls[1].Length, 256);
  EXPECT_EQ(calls[1].Staff, 0);
  // The slur was drawn as a curve while the mouse moved, and removed again.
  const std::vector<TCanvasOp> curves = XorOps(host, TCanvasOpKind::PolyBezier);
  ASSERT_GE(curves.size(), 2u);
  EXPECT_EQ(curves.size() % 2, 0u);
  EXPECT_EQ(curves[curves.size() - 1].Points, curves[curves.size() - 2].Points);
  Drag(b, a);  // released before its start: nothing
  EXPECT_EQ(calls.size(), 2u);
  View->ArmPaletteItem(0);
  View->SetHost(nullptr);
}

// A slur to a note two systems further is drawn in three segments: to the
// end of the start system, across the middle one, and into the last one.
TEST(ViewDragsSlur, ASlurAcrossSystemsIsDrawnInSegments) {
  TLayoutScore s;
  TQSPiece* piece = s.AddPiece({1}, 20);
  for (int m = 0; m < 20; ++m) s.Quarters(piece->GetPart(0)->GetMeasure(m));
  s.Mark(piece->GetPart(0)->GetMeasure(0), kind::Clef, 0, 0, 1);
  s.Layout();
  ASSERT_GE(s.Page(0).SystemCount, 3);
  const int third = s.System(0, 2).FirstMeasure;
  TShownView shown;
  shown.Show(s.Score);
  TQSWindow& view = *shown.View;
  TRecordingHost host;
  view.SetHost(&host);
  view.OnItemClick = [&](TObject*, TQSCalcItem* e) {
    const TRect box = view.Geometry().ElementClientBox(*e);
    view.StartTool(30, (box.Left + box.Right) / 2, box.Top);
  };
  int length = -1;
  view.OnInsertLiga = [&](TQSWindow&, TQSNote*, int, int l, int, int) { length = l; };
  view.ArmPaletteItem(2);
  auto head = [&](int m, int tick) {
    for (TQSItem* item : piece->GetPart(0)->GetMeasure(m)->Items)
      if (item->ItemType == kind::Note && item->TimePosition() == tick) {
        const TRect b = view.Geometry().ElementClientBox(*static_cast<TQSNote*>(item)->HeadElement);
        return TPoint{(b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2};
      }
    return TPoint{};
  };
  const TPoint a = head(0, 0), b = head(third, 128);
  td::MouseDown(view, a.X, a.Y);
  host.Rec.Recorder->Clear();
  td::MouseMove(view, b.X, b.Y);
  // The figure at the press removed, the one at the mouse drawn: three
  // segments of the slur in this drawing.
  const std::vector<TCanvasOp> curves = XorOps(host, TCanvasOpKind::PolyBezier);
  ASSERT_GE(curves.size(), 3u);
  const TCanvasOp& first = curves[curves.size() - 3];
  const TCanvasOp& middle = curves[curves.size() - 2];
  const TCanvasOp& last = curves[curves.size() - 1];
  EXPECT_EQ(first.Points.front().Y, first.Points.back().Y);  // at the start's height
  EXPECT_EQ(middle.Points.front().Y, view.Geometry().PageToScreen({0, s.Row(0, 1).TopLine}, 0).Y);
  EXPECT_EQ(last.Points.back().Y, b.Y);
  EXPECT_LT(middle.Points.front().X, first.Points.back().X);
  td::MouseUp(view, b.X, b.Y);
  EXPECT_EQ(length, (third - 0) * 512 + 128);
  view.ArmPaletteItem(0);
  view.SetHost(nullptr);
  shown.Close();
}

// While a handle is dragged the reshaped box is shown: the bottom-right
// handle moves the right and bottom edges.
TEST_F(ViewDrags, AHandleDragShowsTheReshapedBox) {
  TRecordingHost host;
  View->SetHost(&host);
  const TQSCalcItem* e = PageElement(Text);
  const TPoint body = Centre(*e);
  td::Click(*View, body.X, body.Y);
  const TRect b = View->Geometry().ElementClientBox(*e);
  td::MouseDown(*View, b.Right - 2, b.Bottom - 2);
  host.Rec.Recorder->Clear();
  td::MouseMove(*View, b.Right + 18, b.Bottom + 8);
  const std::vector<TCanvasOp> boxes = XorOps(host, TCanvasOpKind::Rectangle);
  ASSERT_EQ(boxes.size(), 2u);  // the old one removed, the new one shown
  EXPECT_EQ(boxes[0].Rect, b);
  EXPECT_EQ(boxes[1].Rect, (TRect{b.Left, b.Top, b.Right + 20, b.Bottom + 10}));
  td::MouseUp(*View, b.Right + 18, b.Bottom + 8);
  EXPECT_EQ(Text->Fields.Width, 2400 + 160);
  View->SetHost(nullptr);
}

// A dragged mark shows its dotted outline at the new place with an arrow
// to its staff, drawn and removed in pairs.
TEST_F(ViewDrags, AMoveDragShowsOutlinesTiedToTheirAnchor) {
  TRecordingHost host;
  View->SetHost(&host);
  const TQSCalcItem* e = ElementOfMark(DynamicMark());
  const TPoint from = Centre(*e);
  td::Click(*View, from.X, from.Y);
  const TRect box = View->Geometry().ElementClientBox(*e);
  host.Rec.Recorder->Clear();
  td::MouseDown(*View, from.X, from.Y);
  td::MouseMove(*View, from.X + 5, from.Y + 20);
  td::MouseMove(*View, from.X + 10, from.Y + 40);
  const std::vector<TCanvasOp> shown = XorOps(host, TCanvasOpKind::Rectangle);
  ASSERT_EQ(shown.size(), 3u);  // shown, removed, shown again
  EXPECT_EQ(shown[2].Rect, (TRect{box.Left + 10, box.Top + 40, box.Right + 10, box.Bottom + 40}));
  EXPECT_EQ(shown[2].Pen.Style, psDot);
  EXPECT_EQ(XorOps(host, TCanvasOpKind::Polygon).size(), 3u);  // an arrow head with each
  td::MouseUp(*View, from.X + 10, from.Y + 40);
  const std::vector<TCanvasOp> all = XorOps(host, TCanvasOpKind::Rectangle);
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[3].Rect, all[2].Rect);
  View->SetHost(nullptr);
}

// A dragged accidental or dot points at the note it belongs to: the
// connector ends at the note's left edge, for a dot at its right edge.
TEST_F(ViewDrags, OutlinesOfADotOrAnAccidentalPointAtTheirNote) {
  for (TQSItemType k : {kind::Accidental, kind::Dot}) {
    SCOPED_TRACE(int{k});
    TQSNote* note = NoteAt(0, 256);
    TQSItem* attached = CreateItemByKind(k, note);
    Layout();
    View->LayoutChanged();
    const TQSCalcItem* e = ElementOfMark(attached);
    ASSERT_NE(e, nullptr);
    TRecordingHost host;
    View->SetHost(&host);
    View->ClearSelection();
    View->AddElement(const_cast<TQSCalcItem*>(e));
    const TPoint from = Centre(*e);
    td::MouseDown(*View, from.X, from.Y, mbLeft, ssCtrl);
    EXPECT_EQ(View->LastAddedElement, e);
    host.Rec.Recorder->Clear();
    td::MouseMove(*View, from.X, from.Y + 20, ssCtrl);
    td::MouseMove(*View, from.X, from.Y + 40, ssCtrl);
    const TRect head = View->Geometry().ElementClientBox(*NoteAt(0, 256)->HeadElement);
    const std::vector<TCanvasOp> heads = XorOps(host, TCanvasOpKind::Polygon);
    // Below the note: the arrow ends at its bottom.
    EXPECT_FALSE(heads.empty());
    if (!heads.empty()) {
      EXPECT_EQ(heads.back().Points.front(), (TPoint{k == kind::Dot ? head.Right : head.Left, head.Bottom}));
    }
    td::PressKey(*View, VK_ESCAPE);
    td::MouseUp(*View, from.X, from.Y + 40, mbLeft, ssCtrl);
    View->SetHost(nullptr);
    delete attached;
  }
}

// An armed note value shows a ghost head at the pitch under the mouse and
// names it in the hint; ledger lines only where the ghost stands beyond
// the staff.
TEST_F(ViewDrags, AnArmedNoteFollowsTheMouseAsAGhost) {
  TRecordingHost host;
  View->SetHost(&host);
  View->ArmPaletteItem(1);
  const int x = View->Geometry().PageToScreen({Slot(0, 0, 1).Box.Left + Slot(0, 0, 1).Positions[128], 0}, 0).X;
  const int top = View->Geometry().PageToScreen({0, Row(0, 0).TopLine}, 0).Y;
  host.Rec.Recorder->Clear();
  td::MouseMove(*View, x, top + 5 * 6);  // first ledger line below: C
  EXPECT_EQ(View->GhostLine, 0);
  EXPECT_EQ(View->Hint(), "C");
  const std::vector<TCanvasOp> lines = XorOps(host, TCanvasOpKind::Line);
  ASSERT_EQ(lines.size(), 1u);  // the ghost itself, no separate ledger line
  host.Rec.Recorder->Clear();
  td::MouseMove(*View, x, top + 5 * 6 + 3);  // B below: the ghost and the ledger line of C
  EXPECT_EQ(View->GhostLine, -1);
  EXPECT_EQ(View->Hint(), "B");
  EXPECT_EQ(XorOps(host, TCanvasOpKind::Line).size(), 1u + 2u);  // the old ghost removed, the new one drawn
  View->ArmPaletteItem(0);
  View->SetHost(nullptr);
}

// Other armed items show a dotted arrow from the mouse to what they would
// attach to: the staff (4) at the event's x, the measure's start (8) or
// end (9), each ending at the nearer edge of its span.
TEST_F(ViewDrags, ArmedItemsPointAtWhatTheyAttachTo) {
  TRecordingHost host;
  View->SetHost(&host);
  const TQSCalcMeasure& slot = Slot(0, 0, 1);
  const TPoint mouse =
      View->Geometry().PageToScreen({slot.Box.Left + slot.Positions[128] + 8, Row(0, 0).TopLine - 80}, 0);
  const int staffTop = View->Geometry().PageToScreen({0, Row(0, 0).TopLine}, 0).Y;
  const struct {
    int Code;
    int X;
  } cases[] = {{4, View->Geometry().PageToScreen({slot.Box.Left + slot.Positions[128], 0}, 0).X},
               {8, View->Geometry().PageToScreen({slot.Box.Left, 0}, 0).X},
               {9, View->Geometry().PageToScreen({slot.Box.Right, 0}, 0).X}};
  int step = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Code);
    View->ArmPaletteItem(c.Code);
    host.Rec.Recorder->Clear();
    td::MouseMove(*View, mouse.X, mouse.Y + step++);  // a new point each time
    const std::vector<TCanvasOp> lines = XorOps(host, TCanvasOpKind::Line);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().Pen.Style, psDot);
    EXPECT_EQ(lines.back().Points.back(), (TPoint{c.X, staffTop}));
    const std::vector<TCanvasOp> heads = XorOps(host, TCanvasOpKind::Polygon);
    ASSERT_FALSE(heads.empty());
    EXPECT_EQ(heads.back().Points.front(), (TPoint{c.X, staffTop}));
    View->ArmPaletteItem(0);
  }
  View->SetHost(nullptr);
}

// ------------------------------------------------------------ navigator

TEST_F(ViewDrags, ANavigatorClickTakesTheCursorToTheMeasure) {
  auto* panel = new TQSNavigatorPanel(Shown.Form);
  panel->View = View;
  panel->SetParent(Shown.Form);
  panel->SetBounds(0, 700, 420, 20);
  td::ProcessMessages();
  panel->Invalidate();
  td::ProcessMessages();
  ASSERT_EQ(Score.NavigatorPanel, panel);
  const double s = static_cast<double>(Score.NavigatorScale);
  int records = 0;
  for (int j = 0; j < Score.LaidOutPages; ++j) records += Page(j).MeasureCount;
  EXPECT_DOUBLE_EQ(s, 400.0 / records);
  td::Click(*panel, 10 + static_cast<int>(2.5 * s), 10);
  EXPECT_EQ(View->CursorPosition.Measure, 2);
  td::Click(*panel, 5, 10);  // left of the timeline
  EXPECT_EQ(View->CursorPosition.Measure, 2);
  delete panel;
  EXPECT_EQ(Score.NavigatorPanel, nullptr);
}

TEST(ViewNavigator, PlayTimesAndRehearsalLabels) {
  EXPECT_EQ(FormatPlayTime(3723000), "02:03");
  EXPECT_EQ(FormatPlayTime(59999), "00:59");
  EXPECT_EQ(FormatPlayTime(60000), "01:00");
  EXPECT_EQ(RehearsalLabel(0, 1), "A");
  EXPECT_EQ(RehearsalLabel(0, 26), "Z");
  EXPECT_EQ(RehearsalLabel(0, 27), "AA");
  EXPECT_EQ(RehearsalLabel(0x80, 12), "12");
}

}  // namespace
}  // namespace qs::test
