// The view connected to the editing commands as the program connects it.
// The insertion tools: a shape drawn with real mouse events becomes a page
// object with the view's pen and brush, the tie/slur tool's curve a tie or
// slur on its start note; each is one undo step that Ctrl+Z takes back.
// Commands that free selected items leave no selection behind on them.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "editing/drags.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "editing/viewcommands.h"
#include "platform/keys.h"
#include "platform/testdriver.h"
#include "score/pageobjects.h"
#include "view/tools.h"
#include "view_fixture.h"

namespace qs::test {
namespace {

namespace td = qs::testdriver;

class ToolCommands : public TShownScoreTest {
 protected:
  void SetUp() override {
    Piece = AddPiece({1}, 2);
    for (int m = 0; m < 2; ++m) Quarters(Measure(m));
    Mark(Measure(0), kind::Clef, 0, 0, 1);
    ShowScore(false);
    ConnectViewCommands(*View, Score);
    ConnectToolCommands(*View);
  }

  void Drag(TPoint from, TPoint to) {
    td::MouseDown(*View, from.X, from.Y);
    td::MouseMove(*View, (from.X + to.X) / 2, (from.Y + to.Y) / 2);
    td::MouseMove(*View, to.X, to.Y);
    td::MouseUp(*View, to.X, to.Y);
  }
  std::vector<TQSNote*> Notes(int m) const {
    std::vector<TQSNote*> notes;
    for (TQSItem* item : Measure(m)->Items)
      if (item->ItemType == kind::Note) notes.push_back(static_cast<TQSNote*>(item));
    return notes;
  }
  // The ties and slurs on the notes of a measure.
  std::vector<const TQSLiga*> Ligas(int m) const {
    std::vector<const TQSLiga*> found;
    for (TQSNote* note : Notes(m))
      for (TQSItem* item : note->Items)
        if (item->ItemType == kind::Liga) found.push_back(static_cast<const TQSLiga*>(item));
    return found;
  }
};

// Each shape tool, armed as the design palette arms it, drawn from one
// point to another of the page: the object's kind and box in page units,
// pen and brush as the view held them; Ctrl+Z takes it away.
TEST_F(ToolCommands, DrawnShapesBecomePageObjects) {
  View->ToolPenWidth = 3;
  View->ToolPenColor = 0x0000FF;
  View->ToolPenStyle = 2;
  View->ToolLineEnds = 5;
  View->ToolBrushColor = 0x00FF00;
  View->ToolBrushStyle = 0;
  for (uint8_t tool : {kToolLine, kToolRectangle, kToolEllipse, kToolArc, kToolPie, kToolChordSegment}) {
    SCOPED_TRACE(tool);
    View->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) { View->StartTool(tool, x, y); };
    const int before = Score.ItemCount();
    Drag(View->Geometry().PageToScreen({400, 400}, 0), View->Geometry().PageToScreen({800, 600}, 0));
    ASSERT_EQ(Score.ItemCount(), before + 1);
    TQSItem* made = Score.GetItem(before);
    EXPECT_EQ(made->ItemType, tool);
    EXPECT_EQ(made->PageNumber(), 1);
    if (auto* line = dynamic_cast<TQSLine*>(made)) {
      const auto& f = line->Fields;
      // From where the mouse was released to where it was pressed.
      EXPECT_EQ((std::vector<int>{f.X1, f.Y1, f.X2, f.Y2}), (std::vector<int>{800, 600, 400, 400}));
      EXPECT_EQ((std::vector<int>{f.LineWidth, static_cast<int>(f.Color), f.PenStyle, f.Ends}),
                (std::vector<int>{3, 0x0000FF, 2, 5}));
    } else if (auto* rect = dynamic_cast<TQSRectangle*>(made)) {
      const auto& f = rect->Fields;
      EXPECT_EQ((std::vector<int>{f.X, f.Y, f.Width, f.Height}), (std::vector<int>{400, 400, 400, 200}));
      EXPECT_EQ((std::vector<int>{f.LineWidth, static_cast<int>(f.LineColor), static_cast<int>(f.FillColor),
                                  f.FillStyle}),
                (std::vector<int>{3, 0x0000FF, 0x00FF00, 0}));
    } else if (auto* arc = dynamic_cast<TQSArc*>(made)) {
      const auto& f = arc->Fields;
      EXPECT_EQ((std::vector<int>{f.X, f.Y, f.Width, f.Height}), (std::vector<int>{400, 400, 400, 200}));
      EXPECT_EQ((std::vector<int>{static_cast<int>(f.FillColor), f.FillStyle}), (std::vector<int>{0x00FF00, 0}));
    } else {
      ADD_FAILURE() << "not a shape";
    }
    EXPECT_EQ(View->ToolCode, 0);
    View->OnMouseDown = nullptr;
    td::PressKey(*View, 'Z', ssCtrl);
    EXPECT_EQ(Score.ItemCount(), before);
  }
}

// The tie/slur tool, started on a clicked note: released on the same note a
// tie of its length, on a later note a slur to it; Ctrl+Z takes each away.
TEST_F(ToolCommands, TheSlurToolAttachesATieOrASlurToItsNote) {
  View->OnItemClick = [&](TObject*, TQSCalcItem* e) {
    if (!e->Item || e->Item->ItemType != kind::Note) return;
    const TRect box = View->Geometry().ElementClientBox(*e);
    View->LigaStyle = 0;
    View->StartTool(kToolLiga, (box.Left + box.Right) / 2, box.Top - Score.Scale * 4 / 100);
  };
  View->ArmPaletteItem(2);
  struct TCase {
    int To;  // the note of the measure the tool is released on
    int Flags, Span;
  };
  for (const TCase& c : {TCase{0, 16, 128}, TCase{2, 0, 256}}) {
    SCOPED_TRACE(c.To);
    const std::vector<TQSNote*> notes = Notes(0);
    Drag(Centre(*notes[0]->HeadElement), Centre(*notes[static_cast<size_t>(c.To)]->HeadElement));
    const std::vector<const TQSLiga*> ligas = Ligas(0);
    ASSERT_EQ(ligas.size(), 1u);
    EXPECT_EQ(ligas[0]->Owner(), Notes(0)[0]);
    EXPECT_EQ(ligas[0]->Fields.Flags, c.Flags);
    EXPECT_EQ(ligas[0]->Fields.Span, c.Span);
    td::PressKey(*View, 'Z', ssCtrl);
    EXPECT_TRUE(Ligas(0).empty());
  }
  View->ArmPaletteItem(0);
}

// Alt+Right doubles the selected first note, which takes the place of the
// second one: whether that note or the slur it holds was selected too, the
// command and the selection keep nothing of them.
TEST_F(ToolCommands, ANoteFreedByALongerOneLeavesTheSelection) {
  auto* slur = static_cast<TQSLiga*>(CreateItemByKind(kind::Liga, Notes(0)[1]));
  slur->Fields.Span = 128;
  slur->Fields.Flags = TQSLiga::kSlur;
  Layout();
  td::ProcessMessages();
  for (bool slurSelected : {false, true}) {
    SCOPED_TRACE(slurSelected);
    const std::vector<TQSNote*> notes = Notes(0);
    const TQSCalcItem* second = slurSelected ? Ligas(0)[0]->LayoutLink : notes[1]->HeadElement;
    ASSERT_NE(second, nullptr);
    const TPoint a = Centre(*notes[0]->HeadElement), b = Centre(*second);
    td::Click(*View, a.X, a.Y);
    td::Click(*View, b.X, b.Y, mbLeft, ssCtrl);
    const std::vector<TQSCalcItem*> selected = View->SelectedMeasureElements();
    ASSERT_TRUE(std::any_of(selected.begin(), selected.end(), [&](TQSCalcItem* e) { return e == second; }));
    td::PressKey(*View, VK_RIGHT, ssAlt);
    ASSERT_EQ(Notes(0)[0]->Fields.Length, 256);
    EXPECT_TRUE(Ligas(0).empty());
    // The first note's head stays selected; nothing freed does.
    std::vector<const TQSItem*> live;
    for (TQSItem* item : Measure(0)->Items) {
      live.push_back(item);
      if (auto* holder = dynamic_cast<TQSItemHolder*>(item))
        live.insert(live.end(), holder->Items.begin(), holder->Items.end());
    }
    ASSERT_FALSE(View->SelectedMeasureElements().empty());
    EXPECT_EQ(View->SelectedMeasureElements()[0]->Item, Notes(0)[0]);
    for (TQSCalcItem* e : View->SelectedMeasureElements())
      EXPECT_NE(std::find(live.begin(), live.end(), e->Item), live.end());
    td::MouseMove(*View, b.X, b.Y);
    td::PressKey(*View, 'Z', ssCtrl);
    ASSERT_EQ(Ligas(0).size(), 1u);
  }
}

// Ctrl+Left moves the selected short note a step left; the gap it leaves
// is merged with the selected short rest after it, which is freed: the
// command goes on without it and the selection lets it go.
TEST_F(ToolCommands, ARestMergedAwayByAMovedNoteLeavesTheSelection) {
  TQSMeasure* m = Measure(1);
  m->Items.Clear();
  Note(m, 0, 128), Note(m, 128, 8), Rest(m, 136, 8), Rest(m, 144, 16), Rest(m, 160, 32), Rest(m, 192, 64);
  Note(m, 256, 256);
  Layout();
  td::ProcessMessages();
  const TPoint a = Centre(*Notes(1)[1]->HeadElement);
  const std::vector<const TQSCalcItem*> rests = Elements(Slot(0, 0, 1), kind::Pause);
  ASSERT_FALSE(rests.empty());
  const TPoint rest = Centre(*rests[0]);
  td::Click(*View, a.X, a.Y);
  td::Click(*View, rest.X, rest.Y, mbLeft, ssCtrl);
  ASSERT_EQ(View->SelectedMeasureElements().size(), 2u);
  td::PressKey(*View, VK_LEFT, ssCtrl);
  ASSERT_EQ(Notes(1)[0]->Fields.Time, 120);
  // The gap and the rests after the note are one rest now.
  const std::vector<const TQSCalcItem*> after = Elements(Slot(0, 0, 1), kind::Pause);
  ASSERT_FALSE(after.empty());
  EXPECT_EQ(after.back()->Item->TimePosition(), 128);
  ASSERT_EQ(View->SelectedMeasureElements().size(), 1u);
  for (TQSCalcItem* e : View->SelectedMeasureElements()) EXPECT_EQ(e->Item->ItemType, kind::Note);
}

// A key that changes a note on a later page repaints from that page: the
// image of the page before it is kept (one page painted anew), and the view
// then shows what painting every page anew shows.
class PagedEdits : public TShownScoreTest {
 protected:
  void SetUp() override {
    Piece = AddPiece({1}, 120);
    for (int m = 0; m < 120; ++m) Quarters(Measure(m));
    ShowScore(true);
    ConnectViewCommands(*View, Score);
  }
  std::vector<uint32_t> Paint() {
    View->PaintTo(Screen.Canvas());
    std::vector<uint32_t> out;
    for (int y = 0; y < Screen.Height(); ++y)
      for (int x = 0; x < Screen.Width(); ++x) out.push_back(Screen.Pixel(x, y));
    return out;
  }
  TBitmap Screen{800, 700};
};

TEST_F(PagedEdits, KeysRepaintFromTheChangedPage) {
  ASSERT_GE(Score.LaidOutPages, 2);
  struct Case {
    const char* what;
    uint16_t key;
    TShiftState shift;
  };
  const Case cases[] = {
      {"Ctrl+Up moves the note", VK_UP, ssCtrl},
      {"Alt+Right changes its value", VK_RIGHT, ssAlt},
      {"Delete takes it away", VK_DELETE, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    int m = 0;
    while (m < 119 && Piece->MeasurePage(m) < 1) ++m;
    TQSNote* note = NoteAt(m + 1, 0);
    ASSERT_TRUE(note && note->HeadElement);
    View->ClearSelection();
    View->AddElement(note->HeadElement);
    int v = 300;  // the lower part of page 1 and the upper part of page 2
    View->ScrollTo(true, scPosition, v);
    td::ProcessMessages();
    Paint();
    ASSERT_TRUE(View->HasPageImage(0) && View->HasPageImage(1));
    const size_t steps = Score.UndoList.size();
    const int painted = View->PageImagesPainted();
    td::PressKey(*View, c.key, c.shift);
    ASSERT_EQ(Score.UndoList.size(), steps + 1) << "nothing changed";
    td::ProcessMessages();
    const std::vector<uint32_t> shown = Paint();
    EXPECT_EQ(View->PageImagesPainted() - painted, 1);
    View->InvalidatePages();
    EXPECT_TRUE(shown == Paint());
    td::PressKey(*View, 'Z', ssCtrl);
  }
}

}  // namespace
}  // namespace qs::test

namespace qs::test {
namespace {

namespace td = qs::testdriver;

// Ctrl+Left and Ctrl+Right on notes of both staves of a piano part:
// eighths beamed in pairs, the band taking the second eighth of the first
// pair in each staff (heads and stems).
class TwoStaffTimeMove : public TShownScoreTest {
 protected:
  void SetUp() override {
    Piece = AddPiece({2}, 2);
    TQSMeasure* m = Measure(0);
    const int length = NoteLength();
    for (int staff : {0, 1})
      for (int t = 0; t < 512; t += length) Note(m, t, length, (t / length) % 2 ? 0x50 : 0x56, staff << 4);
    m->SortItems();
    m->Fields.OwnBeaming = 1;
    m->Fields.Beaming = 2;  // by beats: the eighths in pairs
    m->AutoBeam();
    ShowScore(true);
    ConnectViewCommands(*View, Score);
  }
  virtual int NoteLength() const { return 64; }
  TQSNote* NoteOf(int staff, int tick) const {
    for (TQSItem* item : Measure(0)->Items)
      if (auto* n = dynamic_cast<TQSNote*>(item); n && n->Fields.StaffVoice == staff << 4 && n->Fields.Time == tick)
        return n;
    return nullptr;
  }
  std::vector<int> Ticks(int staff) const {
    std::vector<int> out;
    for (TQSItem* item : Measure(0)->Items)
      if (auto* n = dynamic_cast<TQSNote*>(item); n && n->Fields.StaffVoice == staff << 4)
        out.push_back(n->Fields.Time);
    return out;
  }
  // Selects the notes at a tick of both staves as a band would.
  void SelectBoth(int tick) {
    View->ClearSelection();
    for (int staff : {0, 1}) View->AddElement(NoteOf(staff, tick)->HeadElement);
  }
  // The notes the selected elements show.
  std::set<const TQSItem*> SelectedItems() const {
    std::set<const TQSItem*> out;
    for (const TQSCalcItem* e : View->SelectedMeasureElements()) out.insert(e->Item);
    return out;
  }
};

// The band selects the two notes; each Ctrl+Right moves them, and only
// them, 8 ticks on, and the cursor, which stood on them, goes with them.
// The note whose beam partner the move covered keeps a stem of its own, of
// the score's length, not the length that reached the sloping beam.
TEST_F(TwoStaffTimeMove, MovesTheSelectedNotesOfBothStavesAndNothingElse) {
  TQSNote* upper = NoteOf(0, 64);
  TQSNote* lower = NoteOf(1, 64);
  ASSERT_TRUE(upper && lower && upper->HeadElement && lower->HeadElement);
  const TRect a = View->Geometry().ElementClientBox(*upper->HeadElement);
  const TRect b = View->Geometry().ElementClientBox(*lower->HeadElement);
  const TPoint from{a.Left - 1, a.Top - 30}, to{a.Right + 1, b.Bottom + 30};
  td::MouseDown(*View, from.X, from.Y);
  td::MouseMove(*View, from.X, (from.Y + to.Y) / 2);
  td::MouseMove(*View, to.X, to.Y);
  td::MouseUp(*View, to.X, to.Y);
  ASSERT_EQ(SelectedItems(), (std::set<const TQSItem*>{upper, lower}));
  View->SetCursor(0, 0, 0, 0, 0, 0, 64, View->CursorLine());
  for (int press = 1; press <= 2; ++press) {
    SCOPED_TRACE(press);
    td::PressKey(*View, VK_RIGHT, ssCtrl);
    EXPECT_EQ(upper->Fields.Time, 64 + 8 * press);
    EXPECT_EQ(lower->Fields.Time, 64 + 8 * press);
    EXPECT_EQ(SelectedItems(), (std::set<const TQSItem*>{upper, lower}));
    EXPECT_EQ(View->CursorPosition.Tick, 64 + 8 * press);
  }
  for (int staff : {0, 1}) {
    SCOPED_TRACE(staff);
    // The first eighth stays; the second covered the third, which went.
    EXPECT_EQ(Ticks(staff), (std::vector<int>{0, 80, 192, 256, 320, 384, 448}));
    TQSNote* alone = NoteOf(staff, 192);
    EXPECT_EQ(alone->BeamGroup, 0) << "its beam partner is gone";
    EXPECT_EQ(alone->Fields.StemLength, Score.StemLength);
  }
}

// With thirty-seconds the cursor has no room to spare: it moves with the
// notes once a step, not once for each staff's note.
class TwoStaffTimeMoveOfShortNotes : public TwoStaffTimeMove {
 protected:
  int NoteLength() const override { return 16; }
};

TEST_F(TwoStaffTimeMoveOfShortNotes, TheCursorGoesWithTheNotesItStoodOn) {
  SelectBoth(128);
  View->SetCursor(0, 0, 0, 0, 0, 0, 128, View->CursorLine());
  for (const auto& [key, tick] : {std::pair{VK_RIGHT, 136}, {VK_RIGHT, 144}, {VK_LEFT, 136}}) {
    SCOPED_TRACE(tick);
    td::PressKey(*View, key, ssCtrl);
    ASSERT_NE(NoteOf(0, tick), nullptr);
    ASSERT_NE(NoteOf(1, tick), nullptr);
    EXPECT_EQ(View->CursorPosition.Tick, tick);
  }
}

}  // namespace
}  // namespace qs::test
