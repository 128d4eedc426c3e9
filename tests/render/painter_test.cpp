// The paint context, the page painter (staff lines, start lines, what
// preview, print and export leave out), the measure renderer's frame
// (passes, barline segments, colours, size and print rules, selection) and
// the drawing primitives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/musicglyphs.h"
#include "render/measurerenderer.h"
#include "render/paintcontext.h"
#include "render/primitives.h"
#include "base/mathutil.h"
#include "platform/bitmap.h"
#include "render_fixture.h"

namespace qs::test {
namespace {

std::string HLine(int x1, int x2, int y) {
  return "Line " + std::to_string(x1) + "," + std::to_string(y) + " " + std::to_string(x2) + "," + std::to_string(y);
}

TEST(PaintContextTest, WidthsDampedSizesFontsAndStaffSpace) {
  struct Case {
    int scale, zoom;
    TQSWindowStyle style;
    int width05, width1, width15, damped3, damped6, font8, font16, glyphQuality, smallQuality, staffSpace;
  };
  const Case cases[] = {
      {100, 100, wsNormal, 0, 1, 2, 3, 6, 8, 16, 4, 4, 6},
      // handles grow with a quarter of the zoom above 100
      {100, 300, wsNormal, 2, 3, 4, 4, 9, 24, 48, 4, 4, 18},
      {100, 975, wsNormal, 5, 10, 15, 9, 19, 78, 156, 4, 4, 58},  // [58.5] = 58
      {100, 50, wsNormal, 0, 0, 1, 1, 3, 4, 8, 0, 4, 3},
      {100, 40, wsNormal, 0, 0, 1, 1, 2, 3, 6, 0, 0, 2},
      // print: physical points, without the zoom
      {100, 625, wsPrint, 3, 6, 9, 6, 13, 8, 16, 4, 4, 38},
      {150, 100, wsNormal, 1, 2, 2, 3, 6, 12, 24, 4, 4, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.scale) + "/" + std::to_string(c.zoom));
    TQSPaintContext p;
    p.Derive(c.scale, c.zoom, c.zoom, c.style, 96, 15.875L);
    EXPECT_EQ(p.Width05, c.width05);
    EXPECT_EQ(p.Width1, c.width1);
    EXPECT_EQ(p.Width15, c.width15);
    EXPECT_EQ(p.Damped3, c.damped3);
    EXPECT_EQ(p.Damped6, c.damped6);
    EXPECT_EQ(p.Font8, c.font8);
    EXPECT_EQ(p.Font16, c.font16);
    EXPECT_EQ(p.GlyphQuality, c.glyphQuality);
    EXPECT_EQ(p.SmallGlyphQuality, c.smallQuality);
    EXPECT_EQ(p.StaffSpace, c.staffSpace);
  }
}

class PainterTest : public TRenderFixture {
 protected:
  std::vector<TCanvasOp> PaintAll(int zoom = 100, int page = 0) {
    Rec.Recorder->Clear();
    Window.Zoom = zoom;
    Window.PaintPage(page, Rec.Canvas, nullptr, zoom, zoom, 0, 0);
    return Rec.Recorder->CanvasOps();
  }
  // A second slot in the system (measure 1) and a second system (measure 2)
  // below the first, each with a rest.
  void AddMeasures() {
    TQSCalcMeasure* second = System->Measures.Need(1);
    second->System = System;
    second->MeasureIndex = 1;
    second->Box = {kSlotRight, kTop, 2400, kBottom};
    System->MeasureCount = 2;
    Page->SystemCount = 2;
    Page->StaffRowCount = 2;
    TQSCalcStaff* row = Page->StaffRows.Need(1);
    *row = *Row;
    row->Top = row->TopLine = 1600;
    row->Bottom = row->BottomLine = 1792;
    TQSCalcSystem* sys = Page->Systems.Need(1);
    sys->Piece = Piece;
    sys->FirstRow = sys->LastRow = 1;
    sys->FirstMeasure = 2;
    sys->MeasureCount = 1;
    TQSCalcMeasure* third = sys->Measures.Need(0);
    third->System = sys;
    third->MeasureIndex = 2;
    third->Box = {kSlotLeft, 1600, kSlotRight, 1792};
    for (TQSCalcMeasure* slot : {second, third}) {
      TQSCalcItem* e = slot->Items.Need(slot->ItemCount++);
      e->Item = new TQSPause(Measure);
      static_cast<TQSPause*>(e->Item)->Fields.Length = 128;
      e->Row = slot == third ? row : Row;
      e->SizePercent = 100;
      e->Box = {slot->Box.Left + 80, slot->Box.Top, slot->Box.Left + 128, slot->Box.Bottom};
    }
  }
  static int Count(const std::vector<TCanvasOp>& ops, TCanvasOpKind kind) {
    return static_cast<int>(std::count_if(ops.begin(), ops.end(), [&](const TCanvasOp& o) { return o.Kind == kind; }));
  }
};

TEST_F(PainterTest, StaffLinesAndTheStartLine) {
  const std::vector<TCanvasOp> ops = PaintAll();
  EXPECT_EQ(Describe(ops), (TStrings{HLine(10, 200, 100), HLine(10, 200, 106), HLine(10, 200, 112),
                                     HLine(10, 200, 118), HLine(10, 200, 124), "Line 10,100 10,124"}));
  for (const auto& op : ops) {
    EXPECT_EQ(op.Pen.Color, clSilver);
    EXPECT_EQ(op.Pen.Width, 1);
  }
  EXPECT_EQ(Row->PaintValue16, 6);
  EXPECT_EQ(Row->PaintValue32, 0);
  Window.Style = wsExport;
  EXPECT_EQ(PaintAll()[0].Pen.Color, clBlack);
}

TEST_F(PainterTest, LineCountsTablatureAndSize) {
  struct Case {
    int lines;
    bool tab;
    int size;
    std::vector<int> ys;
    int width;
  };
  const Case cases[] = {
      {1, false, 100, {112}, 1},                        // on the middle line of five
      {2, false, 100, {106, 112}, 1},
      {4, false, 100, {103, 109, 115, 121}, 1},         // half a space down
      {6, true, 100, {100, 108, 116, 124, 132, 140}, 1},  // [7.8] = 8 apart
      {5, false, 50, {100, 103, 106, 109, 112}, 0},      // [0.5] = 0: the thinnest pen
      {0, false, 100, {}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    Staff->Fields.LineCount = static_cast<uint8_t>(c.lines);
    Staff->Fields.Tablature = c.tab;
    Staff->Fields.Scale = static_cast<uint8_t>(c.size);
    std::vector<TCanvasOp> ops = PaintAll();
    ops.pop_back();  // the start line
    TStrings expected;
    for (int y : c.ys) expected.push_back(HLine(10, 200, y));
    EXPECT_EQ(Describe(ops), expected);
    if (!ops.empty()) {
      EXPECT_EQ(ops[0].Pen.Width, c.width);
    }
  }
}

TEST_F(PainterTest, PaintedSpacingAndCorrectionAtZoom125) {
  // [6] x 125 div 100 = 7 apart from y 125: the last line at 153, where the
  // layout's bottom line would be at 155.
  Element(nullptr, {kSlotRight - 16, kTop, kSlotRight + 16, kBottom}, element::PartBarline)->Staff = Staff;
  const std::vector<TCanvasOp> ops = PaintAll(125);
  EXPECT_EQ(Row->PaintValue16, 7);
  EXPECT_EQ(Row->PaintValue32, -2);
  ASSERT_EQ(ops.size(), 7u);
  EXPECT_EQ(Describe(ops[4]), HLine(12, 250, 153));
  // The part's barline ends on the painted bottom line.
  EXPECT_EQ(Describe(ops[6]), "Line 249,125 249,153");
}

TEST_F(PainterTest, EmptyMeasuresAndSystemsOnScreenInPreviewPrintAndExport) {
  AddMeasures();
  Score.UsedMeasures = 1;
  struct Case {
    TQSWindowStyle style;
    bool emptyMeasures, emptyLines;
    int lines, rests;
  };
  // Lines: 5 per slot and a start line per system start; rests: one per slot.
  const Case cases[] = {
      {wsNormal, false, false, 17, 2},
      {wsView, false, false, 6, 0},  // a wizard shows the score's measures, not the room after them
      {wsPreview, false, false, 6, 0},  // the second system and the slot after the last filled one are left out
      {wsPrint, false, false, 6, 0},
      {wsExport, false, true, 11, 0},   // the empty system's lines, not its start line or rests
      {wsPrint, true, false, 11, 1},    // the slot after the last filled one
      {wsPrint, true, true, 17, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.style) + (c.emptyMeasures ? " measures" : "") + (c.emptyLines ? " lines" : ""));
    Window.Style = c.style;
    Score.PrintEmptyMeasures = c.emptyMeasures;
    Score.PrintEmptyLines = c.emptyLines;
    const std::vector<TCanvasOp> ops = PaintAll();
    EXPECT_EQ(Count(ops, TCanvasOpKind::Line), c.lines);
    EXPECT_EQ(Count(ops, TCanvasOpKind::Text), c.rests);
  }
}

TEST_F(PainterTest, AGapBetweenSlotsOpensANewRun) {
  AddMeasures();
  System->Measures.At(1)->Box.Left += 160;  // 20 px indent
  Page->SystemCount = 1;
  const TStrings ops = Describe(PaintAll());
  EXPECT_EQ(std::count(ops.begin(), ops.end(), "Line 220,100 220,124"), 1);
}

TEST_F(PainterTest, NothingForAMissingPageOrScore) {
  EXPECT_TRUE(PaintAll(100, 1).empty());
  EXPECT_TRUE(PaintAll(100, -1).empty());
  Score.DetachWindow(&Window);
  EXPECT_TRUE(PaintAll().empty());
}

TEST_F(PainterTest, OnlyElementsInUseAndOnlyKindsWithADrawing) {
  Head(NewNote(128), 400, 4);
  Slot->ItemCount = 0;
  EXPECT_TRUE(Paint().empty());
  // Grace groups, MIDI events and page objects have no drawing in a measure.
  Element(CreateItemByKind(kind::Vorschlag, Measure), {400, 800, 600, 900});
  Element(CreateItemByKind(kind::MidiEvent, Measure), {400, 800, 600, 900});
  Element(CreateItemByKind(kind::Line, Measure), {400, 800, 600, 900});
  EXPECT_TRUE(Paint().empty());
}

TEST_F(PainterTest, ActiveVoiceGreysOtherVoicesButNotTheTempo) {
  Window.DataStyle = dsActiveVoice;
  Window.CursorPosition.Voice = 0;
  TQSNote* mine = NewNote(128);
  TQSNote* other = NewNote(128, 1, true);
  TQSMark* sharp = NewMark(kind::Accidental, other, 2);
  TQSMark* tempo = NewMark(kind::Tempo, Column, 2, 90);
  tempo->Fields.Color = 0x008000;
  Head(mine, 400, 2);
  Head(other, 800, 6);
  Stem(other, 800, 6);
  Element(sharp, {720, 800, 760, 992});
  Element(tempo, {160, 640, 400, 880});
  const std::vector<TCanvasOp> ops = Paint();
  ASSERT_EQ(ops.size(), 6u);
  EXPECT_EQ(ops[0].Brush.Color, clGray);       // the other voice's stem
  EXPECT_EQ(ops[1].Font.Color, clBlack);       // the cursor's voice
  EXPECT_EQ(ops[2].Font.Color, clGray);        // the other voice's head
  EXPECT_EQ(ops[3].Font.Color, clGray);        // and its accidental
  EXPECT_EQ(ops[4].Font.Color, 0x008000u);     // the tempo mark keeps its colour
  Window.DataStyle = dsAll;
  EXPECT_EQ(Paint()[2].Font.Color, clBlack);
}

TEST_F(PainterTest, PrintFontSizesDoNotFollowTheZoom) {
  Head(NewNote(128, 0, true), 400, 4);
  EXPECT_EQ(Paint(200).back().Font.Height, -MulDiv(32, 96, 72));
  Window.Style = wsPrint;
  EXPECT_EQ(Paint(200).back().Font.Height, -MulDiv(16, 96, 72));
}

TEST_F(PainterTest, SelectedElementsGetRedFramesAndHandles) {
  TQSNote* n = NewNote(128);
  TQSCalcItem* head = Head(n, 400, 4);  // px (46,109)-(53,115)
  TQSCalcItem* stem = Stem(n, 400, 4);  // stem (52,92)-(53,111)
  Window.SelPieces.push_back(std::make_unique<TQSSelPiece>(TQSSelPiece{Piece, {{head, stem}}}));
  const std::vector<TCanvasOp> ops = Paint();
  EXPECT_EQ(Describe(ops), (TStrings{
                               "Polygon 52,92 53,92 53,111 52,111",
                               "Rectangle 49,89,55,95",  // the stem's grab point at its top
                               Describe(ops[2]),         // the head
                               "Polyline 46,111 46,109 48,109",
                               "Polyline 51,109 53,109 53,111",
                               "Polyline 53,113 53,115 51,115",
                               "Polyline 48,115 46,115 46,113",
                           }));
  EXPECT_EQ(ops[1].Pen.Color, clRed);
  EXPECT_EQ(ops[1].Brush.Style, bsClear);
  EXPECT_EQ(ops[3].Pen.Color, clRed);
}

TEST_F(PainterTest, TheViewAnswersTheModel) {
  System->Number = 3;
  Window.CursorPosition.Measure = 0;
  EXPECT_EQ(Window.CursorSystemIndex(), 3);
  Window.CursorPosition.Measure = 1;  // not laid out
  EXPECT_EQ(Window.CursorSystemIndex(), 0);
  EXPECT_EQ(Window.FindSelPiece(Piece), nullptr);
  Window.SelPieces.push_back(std::make_unique<TQSSelPiece>(TQSSelPiece{Piece, {}}));
  EXPECT_EQ(Window.FindSelPiece(Piece), Window.SelPieces[0].get());
  // Under the score's update lock a repaint waits.
  Score.BeginUpdate();
  Window.InvalidatePages();
  EXPECT_TRUE(Window.PagesRepaintPending);
  Score.EndUpdate();
  EXPECT_FALSE(Window.PagesRepaintPending);
}

// ---------------------------------------------------------------- primitives

class PrimitiveTest : public ::testing::Test {
 protected:
  TRecordingCanvas Rec;
  TQSPageView Window;
  TQSPaintContext C;
  void SetUp() override {
    LoadMusicFont();
    C.Canvas = &Rec.Canvas;
    C.Window = &Window;
    C.Derive(100, 100, 100, wsNormal, 96, 15.875L);
  }
  TStrings Ops() { return Describe(Rec.Recorder->CanvasOps()); }
};

TEST_F(PrimitiveTest, HandlesAndFramesByZoom) {
  DrawBoxHandles(C, {0, 0, 40, 20});
  TStrings ops = Ops();
  ASSERT_EQ(ops.size(), 8u);
  EXPECT_EQ(ops[0], "Rectangle 0,0,6,6");
  EXPECT_EQ(ops[3], "Rectangle 34,7,40,13");
  Rec.Recorder->Clear();
  // Zoom 975 damps to 318: handles of 6 x 318 div 100 = 19 pixels, half
  // handles 9; the bracket's arm is Width2 = [19.5] = 20.
  C.Derive(100, 975, 975, wsNormal, 96, 15.875L);
  DrawBoxHandles(C, {0, 0, 100, 100});
  DrawPointHandle(C, {50, 50});
  DrawSelectionFrame(C, {0, 0, 100, 100});
  ops = Ops();
  EXPECT_EQ(ops[0], "Rectangle 0,0,19,19");
  EXPECT_EQ(ops[8], "Rectangle 41,41,59,59");
  EXPECT_EQ(ops[9], "Polyline 0,20 0,0 20,0");
}

TEST_F(PrimitiveTest, EnclosuresArrowHeadsAndRotation) {
  DrawEnclosure(C, 0, 0, 0, 10, 0);
  DrawEnclosure(C, 4, 0, 0, 10, 0);
  EXPECT_TRUE(Ops().empty());
  DrawEnclosure(C, 3, 1, 2, 10, 2);
  EXPECT_EQ(Ops(), (TStrings{"Text '{' @1,2", "Text '}' @10,2"}));
  Rec.Recorder->Clear();
  // Straight down onto the tip: the base lies l = 5 above it, w = 1 to each side.
  DrawArrowHead(C, 10, 0, 10, 20, 0);
  EXPECT_EQ(Ops(), TStrings{"Polygon 10,20 11,15 9,15"});
  EXPECT_EQ(RotatePoint({10, 0}, std::cos(M_PI / 2), std::sin(M_PI / 2)), (TPoint{0, -10}));
}

TEST_F(PrimitiveTest, SelectionNeedsAList) {
  TQSCalcItem e;
  EXPECT_FALSE(IsElementSelected(C, e));
  TQSSelList list{&e};
  C.SelList = &list;
  EXPECT_TRUE(IsElementSelected(C, e));
  TQSCalcItem other;
  other.ElementType = element::Stem;
  EXPECT_FALSE(IsElementSelected(C, other));
}

TEST_F(PrimitiveTest, Accolades) {
  std::unique_ptr<TQSItem> item(CreateItemByKind(kind::Accolade, nullptr));
  auto* mark = static_cast<TQSMark*>(item.get());
  mark->Fields.Color = 0x112233;
  const TRect box{20, 100, 30, 124};
  mark->Fields.Style = 1;
  DrawAccolade(C, *mark, box);
  mark->Fields.Style = 2;
  DrawAccolade(C, *mark, box);
  mark->Fields.Style = 0;
  DrawAccolade(C, *mark, box);
  const std::vector<TCanvasOp> ops = Rec.Recorder->CanvasOps();
  ASSERT_EQ(ops.size(), 3u);
  EXPECT_EQ(Describe(ops[0]), "Polygon 27,98 23,100 21,100 21,124 23,124 27,126 23,123 23,101");
  EXPECT_EQ(Describe(ops[1]), "Polygon 25,100 21,100 21,124 25,124");
  EXPECT_EQ(ops[0].Brush.Color, 0x112233u);
  // The brace: a music font 2 x the height tall in cell, 30 pixels wide.
  TFont brace = Music();
  brace.Height = 48;
  brace.Width = 30;
  EXPECT_EQ(Describe(ops[2]), GlyphAt(glyphs::Brace, 22, 112 - Ascent(brace)));
  EXPECT_EQ(ops[2].Font.Height, 48);
  EXPECT_EQ(ops[2].Font.Width, 30);
  EXPECT_EQ(ops[2].Font.Color, 0x112233u);
  // The canvas's font is back.
  EXPECT_NE(Rec.Canvas.Font().Height, 48);
}

TEST_F(PrimitiveTest, BraceFillsItsHeightAtTheStretchedWidth) {
  // The music font's average width of 960 units is stretched to 3 x Scale
  // x Zoom / 1000 pixels, so the brace (256 units) is 8 pixels wide at zoom
  // 100 and 16 at 200 however tall it is; unstretched it would be 11 and
  // 23 here. Its ink fills the box's height about the middle.
  std::unique_ptr<TQSItem> item(CreateItemByKind(kind::Accolade, nullptr));
  auto* brace = static_cast<TQSMark*>(item.get());
  for (int zoom : {100, 200}) {
    SCOPED_TRACE(zoom);
    const int k = zoom / 100;
    TBitmap page(100 * k, 300 * k);
    C.Canvas = &page.Canvas();
    C.Derive(100, zoom, zoom, wsNormal, 96, 15.875L);
    const TRect box{20 * k, 40 * k, 30 * k, 154 * k};
    DrawAccolade(C, *brace, box);
    int left = page.Width(), right = -1, top = page.Height(), bottom = -1;
    for (int y = 0; y < page.Height(); ++y)
      for (int x = 0; x < page.Width(); ++x)
        if (GetRValue(page.Pixel(x, y)) < 0x80) {
          left = std::min(left, x), right = std::max(right, x);
          top = std::min(top, y), bottom = std::max(bottom, y);
        }
    EXPECT_NEAR(right - left + 1, 8 * k, k);
    EXPECT_NEAR(bottom - top + 1, box.Height(), 4 * k);
    EXPECT_NEAR((top + bottom) / 2, (box.Top + box.Bottom) / 2, 2 * k);
  }
}

}  // namespace
}  // namespace qs::test
