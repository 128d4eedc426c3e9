// Free page objects on the canvas and on the anti-aliased surface. Zoom
// 100, scale 100: Width1 = 1, Width2 = 2, Width3 = 3, Width4 = 4,
// Width6 = 6, Width7 = 7; Damped3 = 3, Damped5 = 5, Damped6 = 6,
// Damped10 = 10. Hit boxes carry the layout's margin of 24 units.
#include <gtest/gtest.h>

#include "platform/bitmap.h"
#include "render/pageobjects.h"
#include "render_fixture.h"
#include "score/pageobjects.h"

namespace qs::test {
namespace {

class PageObjectTest : public TRenderFixture {
 protected:
  template <class T>
  T* Object(TQSItemType kind) {
    return static_cast<T*>(CreateItemByKind(kind, &Score));
  }
  // An object whose hit box is px (97, 97)-(153, 153).
  TQSCalcItem* Place(TQSItem* item) { return PageElement(item, {776, 776, 1224, 1224}); }
  TQSLine* Line(int x1, int y1, int x2, int y2, uint8_t ends) {
    auto* line = Object<TQSLine>(kind::Line);
    line->Fields.X1 = static_cast<int16_t>(x1);
    line->Fields.Y1 = static_cast<int16_t>(y1);
    line->Fields.X2 = static_cast<int16_t>(x2);
    line->Fields.Y2 = static_cast<int16_t>(y2);
    line->Fields.Ends = ends;
    line->Fields.LineWidth = 2;
    line->Fields.Color = 0x0000C0;
    Place(line);
    return line;
  }
  // A 2 x 2 picture of one colour, as a BMP file of 24 bits per pixel.
  static std::vector<uint8_t> Bmp(uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> f = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
                              40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0,
                              0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int row = 0; row < 2; ++row) f.insert(f.end(), {b, g, r, b, g, r, 0, 0});
    return f;
  }
  std::vector<TCanvasOp> Ops() { return Paint(); }
};

TEST_F(PageObjectTest, RotatedAndAlignedText) {
  auto* text = Object<TQSText>(kind::Text);
  text->Lines = {"ab", "abcd"};
  text->Fields.Angle = 90;
  text->Fields.Color = 0x0000FF;
  Place(text);
  // Turned by 90: 24 (the widest line) lower, the second line 12 right.
  std::vector<TCanvasOp> ops = Ops();
  EXPECT_EQ(Describe(ops), (TStrings{TextAt("ab", 97, 121), TextAt("abcd", 109, 121)}));
  EXPECT_EQ(ops[0].Font.Escapement, 900);
  EXPECT_EQ(ops[0].Font.Color, 0x0000FFu);
  // Unturned and centred in the box (56 wide); the font style goes back to
  // plain afterwards.
  text->Fields.Angle = 0;
  text->Fields.Align = 0x10;
  text->Fields.FontStyle = fontstyle::Bold;
  ops = Ops();
  EXPECT_EQ(Describe(ops), (TStrings{TextAt("ab", 97 + (56 - TextWidth(FontOf("Arial", 8, fsBold), u"ab")) / 2, 97),
                                     TextAt("abcd", 97 + (56 - TextWidth(FontOf("Arial", 8, fsBold), u"abcd")) / 2, 109)}));
  EXPECT_TRUE(ops[0].Font.Bold());
  EXPECT_FALSE(Rec.Canvas.Font().Bold());
}

TEST_F(PageObjectTest, SelectionHandlesButNotWhileEditing) {
  auto* text = Object<TQSText>(kind::Text);
  text->Lines = {"ab"};
  TQSCalcItem* e = Place(text);
  Select(e);
  TStrings ops = Describe(Ops());
  ASSERT_EQ(ops.size(), 1u + 8);
  EXPECT_EQ(ops[1], "Rectangle 97,97,103,103");
  EXPECT_EQ(ops[8], "Rectangle 97,122,103,128");
  Window.EditedElement = e;
  EXPECT_EQ(Describe(Ops()).size(), 1u);
}

TEST_F(PageObjectTest, ImagesStretchedOrCentred) {
  auto* image = Object<TQSImage>(kind::Image);
  image->Picture.LoadFromBytes(TQSGraphicType::Bitmap, Bmp(255, 0, 0));
  image->Fields.Flags = TQSImage::kStretch;
  Place(image);
  EXPECT_EQ(Describe(Ops()), TStrings{"StretchBitmap 97,97,153,153"});
  // At its own size times the zoom in the middle of the box (194..306).
  image->Fields.Flags = TQSImage::kCenter;
  EXPECT_EQ(Describe(Paint(200)), TStrings{"StretchBitmap 248,248,252,252"});
  // The picture's own pixels land on a real page.
  image->Fields.Flags = 0;
  TBitmap page(300, 300);
  Window.PaintPage(0, page.Canvas(), nullptr, 100, 100, 0, 0);
  EXPECT_EQ(page.Pixel(125, 125), clRed);
  // Without a picture only the handles of a selected image are drawn.
  image->Picture.Clear();
  Select(image->LayoutLink);
  EXPECT_EQ(Describe(Ops()).size(), 8u);
}

TEST_F(PageObjectTest, LineWithArrowAndDiamondEnds) {
  Line(800, 800, 1600, 800, 0x13);  // (100, 100) to (200, 100)
  const std::vector<TCanvasOp> ops = Ops();
  EXPECT_EQ(Describe(ops), (TStrings{"Line 100,100 200,100", "Polygon 100,100 110,97 110,103",
                                     "Polygon 200,100 195,103 190,100 195,97"}));
  EXPECT_EQ(ops[0].Pen, (TPen{0x0000C0, 2, psSolid, pmCopy}));
  EXPECT_EQ(ops[1].Pen.Width, 1);
  EXPECT_EQ(ops[1].Brush, (TBrush{0x0000C0, bsSolid, nullptr}));
  const std::vector<TGraphicsOp> gops = PaintSurface();
  EXPECT_EQ(Describe(gops), (TStrings{"DrawLines 100,100 200,100", "FillPolygon 100,100 106,98 106,102",
                                      "FillPolygon 200,100 197,102 193,100 197,98"}));
  EXPECT_EQ(gops[0].Pen, (TGPen{0xFFC00000, 2, DashStyleSolid}));
  EXPECT_EQ(gops[1].Brush, SolidBrush(0xFFC00000));
}

TEST_F(PageObjectTest, VerticalLineWithArrowAndDot) {
  // Straight down: the shapes take the angle pi/2.
  TQSLine* line = Line(800, 800, 800, 1600, 0x12);
  EXPECT_EQ(Describe(Ops()), (TStrings{"Line 100,100 100,200", "Polygon 100,100 103,110 97,110",
                                       "Ellipse 97,194,103,200"}));
  // A dashed line keeps its dash on the surface; the clear style draws no
  // line there, as on the canvas.
  line->Fields.PenStyle = psDash;
  EXPECT_EQ(PaintSurface()[0].Pen.DashStyle, DashStyleDash);
  line->Fields.PenStyle = psClear;
  EXPECT_EQ(Describe(PaintSurface()), (TStrings{"FillPolygon 100,100 102,106 98,106", "FillEllipse 98,196 4x4"}));
  // Selected: handles at both ends instead of around the box.
  Select(line->LayoutLink);
  const TStrings ops = Describe(Ops());
  EXPECT_EQ(TStrings(ops.end() - 2, ops.end()), (TStrings{"Rectangle 97,97,103,103", "Rectangle 97,197,103,203"}));
}

TEST_F(PageObjectTest, HatchedRectangleAndOutlinedEllipse) {
  auto* box = Object<TQSRectangle>(kind::Rectangle);
  box->Fields = {800, 800, 800, 400, 0, 0, 3, 0xFF0000, 0, {}, 0x00FF00, 4};
  Place(box);
  std::vector<TCanvasOp> ops = Ops();
  EXPECT_EQ(Describe(ops), TStrings{"Rectangle 100,100,200,150"});
  EXPECT_EQ(ops[0].Pen, (TPen{0xFF0000, 1, psSolid, pmCopy}));  // Width1, not the line width
  EXPECT_EQ(ops[0].Brush.Style, bsFDiagonal);
  EXPECT_EQ(ops[0].Brush.Color, 0x00FF00u);
  std::vector<TGraphicsOp> gops = PaintSurface();
  EXPECT_EQ(Describe(gops), (TStrings{"FillRectangle 100,100 100x50", "DrawRectangle 100,100 100x50"}));
  EXPECT_EQ(gops[0].Brush, HatchBrush(HatchStyleForwardDiagonal, 0xFF00FF00, 0xFFFFFFFF));
  EXPECT_EQ(gops[1].Pen, (TGPen{0xFF0000FF, 3, DashStyleSolid}));

  box->ItemType = kind::Ellipse;
  box->Fields.FillStyle = 1;  // none
  EXPECT_EQ(Describe(PaintSurface()), TStrings{"DrawEllipse 100,100 100x50"});
  ops = Ops();
  EXPECT_EQ(Describe(ops), TStrings{"Ellipse 100,100,200,150"});
  EXPECT_EQ(ops[0].Brush.Style, bsClear);
}

TEST_F(PageObjectTest, ArcPieAndChord) {
  // The circle in (100, 100)-(200, 200) about (150, 150).
  struct Case {
    TQSItemType kind;
    int ax, ay, bx, by;
    TStrings canvas, surface;
  };
  const Case cases[] = {
      // from the right (0 degrees) round to the top (270, not 90)
      {kind::Arc, 1600, 1200, 1200, 800, {"Arc 100,100,200,200 200,150 150,100"}, {"DrawArc 100,100 100x100 270+90"}},
      // from the bottom (90) round to the left (180)
      {kind::Pie, 1200, 1600, 800, 1200, {"Pie 100,100,200,200 150,200 100,150"},
       {"FillPie 100,100 100x100 180+270", "DrawPie 100,100 100x100 180+270"}},
      // a chord segment has no counterpart on the surface
      {kind::ChordSegment, 1600, 1200, 1200, 800, {"Chord 100,100,200,200 200,150 150,100"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    Page->PageItemCount = 0;
    auto* arc = Object<TQSArc>(c.kind);
    arc->Fields = {800, 800, 800, 800, static_cast<int16_t>(c.ax), static_cast<int16_t>(c.ay),
                   static_cast<int16_t>(c.bx), static_cast<int16_t>(c.by), 0, 0, 0, 0x0000FF, 0, {}, 0xC0C0C0, 0};
    Place(arc);
    const std::vector<TCanvasOp> ops = Ops();
    EXPECT_EQ(Describe(ops), c.canvas);
    EXPECT_EQ(ops[0].Pen.Width, 1);  // no line width: Width1
    EXPECT_EQ(Describe(PaintSurface()), c.surface);
    if (c.kind == kind::ChordSegment) {
      EXPECT_EQ(Describe(Rec.Recorder->CanvasOps()).back(), c.canvas[0]);
    }
  }
}

TEST_F(PageObjectTest, RadialAnglesClockwiseFromTheRight) {
  struct Case {
    int dx, dy, angle;
  };
  for (const Case& c : {Case{10, 0, 0}, Case{10, 10, 45}, Case{0, 10, 90}, Case{-10, 10, 135}, Case{-10, 0, 180},
                        Case{-10, -10, 225}, Case{0, -10, 270}, Case{10, -10, 315}}) {
    EXPECT_EQ(RadialAngle({150, 150}, {150 + c.dx, 150 + c.dy}), c.angle) << c.dx << "," << c.dy;
  }
}

TEST_F(PageObjectTest, PageMarkShowsTheLayoutsText) {
  auto* mark = Object<TQSPageMark>(kind::PageMark);
  mark->FontName = "Times New Roman";
  mark->Fields.FontSize = 10;
  TQSCalcItem* e = Place(mark);
  e->Text = "7";
  std::vector<TCanvasOp> ops = Ops();
  EXPECT_EQ(Describe(ops), TStrings{TextAt("7", 97, 97)});
  EXPECT_EQ(ops[0].Font.Name, "Times New Roman");
  EXPECT_EQ(ops[0].Font.Height, -13);
  mark->Fields.Angle = 90;
  const int w = TextWidth(FontOf("Times New Roman", 10), u"7");
  EXPECT_EQ(Describe(Ops()), TStrings{TextAt("7", 97, 97 + w)});
}

}  // namespace
}  // namespace qs::test
