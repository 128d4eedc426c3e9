#pragma once
// Shared by the rendering tests: a score with one piece, one part with one
// five-line staff, one measure and one column, and a layout of one page with
// one system of one measure slot built by hand. Elements are placed where
// the layout places them: a staff space is 48 units (6 pixels at zoom 100),
// the staff's top line is at kTop, and a note at staff position p (half
// spaces down from the top line) has its head centre at kTop + p x 24.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/drawdevice.h"
#include "platform/fonts.h"
#include "platform/graphics.h"
#include "render/window.h"
#include "score/calcrecords.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"

namespace qs::test {

constexpr int kSpace = 48;      // staff space, units
constexpr int kTop = 800;       // the top line, units (100 px)
constexpr int kBottom = 992;    // the bottom line, units (124 px)
constexpr int kStem = 160;      // stem length 20 x 8
constexpr int kSlotLeft = 80;   // 10 px
constexpr int kSlotRight = 1600;  // 200 px

// Pixels of a unit value at zoom 100.
constexpr int Px(int units) { return units / 8; }

// The ascent and advance the renderer gets for a font at a point size.
inline TFont FontOf(const std::string& name, int points, TFontStyles style = 0) {
  TFont f;
  f.Name = name;
  f.PixelsPerInch = 96;
  f.SetSize(points);
  f.Style = style;
  return f;
}
inline int Ascent(const TFont& f) { return GetTextMetrics(f).Ascent; }
inline int GlyphWidth(const TFont& f, uint8_t code) { return TextWidth(f, MusicGlyphText(code)); }
inline TFont Music(int points = 16) { return FontOf(MusicFontName, points); }

// A call of the canvas in a few words, for comparing lists of calls:
// "Line 1,2 3,4", "Polygon 1,2 3,4 ...", "FillRect 1,2,3,4", "Ellipse ...",
// "Rectangle ...", "Text #53 @10,20" (music glyph code) or "Text 'ab' @10,20".
inline std::string Describe(const TCanvasOp& op) {
  auto pt = [](TPoint p) { return std::to_string(p.X) + "," + std::to_string(p.Y); };
  auto rc = [](TRect r) {
    return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
           std::to_string(r.Bottom);
  };
  auto points = [&](const char* name) {
    std::string s = name;
    for (TPoint p : op.Points) s += " " + pt(p);
    return s;
  };
  switch (op.Kind) {
    case TCanvasOpKind::Line: return points("Line");
    case TCanvasOpKind::Polyline: return points("Polyline");
    case TCanvasOpKind::Polygon: return points("Polygon");
    case TCanvasOpKind::PolyBezier: return points("PolyBezier");
    case TCanvasOpKind::RoundRect:
      return "RoundRect " + rc(op.Rect) + " " + std::to_string(op.Corner.cx) + "x" + std::to_string(op.Corner.cy);
    case TCanvasOpKind::Arc: return points(("Arc " + rc(op.Rect)).c_str());
    case TCanvasOpKind::Pie: return points(("Pie " + rc(op.Rect)).c_str());
    case TCanvasOpKind::Chord: return points(("Chord " + rc(op.Rect)).c_str());
    case TCanvasOpKind::StretchBitmap: return "StretchBitmap " + rc(op.Rect);
    case TCanvasOpKind::FillRect: return "FillRect " + rc(op.Rect);
    case TCanvasOpKind::Rectangle: return "Rectangle " + rc(op.Rect);
    case TCanvasOpKind::Ellipse: return "Ellipse " + rc(op.Rect);
    case TCanvasOpKind::Text: {
      std::string s;
      if (op.Text.size() == 1 && MusicGlyphCode(op.Text[0]) >= 0) {
        s = "#" + std::to_string(MusicGlyphCode(op.Text[0]));
      } else {
        s = "'";
        for (char16_t ch : op.Text) s += static_cast<char>(ch);
        s += "'";
      }
      return "Text " + s + " @" + pt(op.Points[0]);
    }
    default: return "other";
  }
}

// A call of the anti-aliased surface in a few words: "DrawLines 1,2 3,4",
// "FillPolygon ...", "DrawArc 1,2 3x4 270+90" (box and angles),
// "FillPath S1,2 B3,4 L5,6 ..." (point types, a closing point marked "Z").
inline std::string Describe(const TGraphicsOp& op) {
  auto num = [](float v) {
    std::string s = std::to_string(v);
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
    return s;
  };
  auto pt = [&](TPointF p) { return num(p.X) + "," + num(p.Y); };
  auto points = [&](const char* name) {
    std::string s = name;
    for (TPointF p : op.Points) s += " " + pt(p);
    return s;
  };
  auto box = [&](const char* name) {
    return std::string(name) + " " + num(op.Rect.X) + "," + num(op.Rect.Y) + " " + num(op.Rect.Width) + "x" +
           num(op.Rect.Height);
  };
  auto angles = [&](const char* name) { return box(name) + " " + num(op.StartAngle) + "+" + num(op.SweepAngle); };
  auto path = [&](const char* name) {
    std::string s = name;
    for (const auto& p : op.Path.Points()) {
      const uint8_t type = p.Type & 0x7F;
      s += std::string(" ") + (type == TGraphicsPath::ptStart ? "S" : type == TGraphicsPath::ptLine ? "L" : "B") + pt(p.P);
      if (p.Type & TGraphicsPath::ptCloseFlag) s += "Z";
    }
    return s;
  };
  switch (op.Kind) {
    case TGraphicsOpKind::DrawLines: return points("DrawLines");
    case TGraphicsOpKind::DrawPolygon: return points("DrawPolygon");
    case TGraphicsOpKind::FillPolygon: return points("FillPolygon");
    case TGraphicsOpKind::DrawRectangle: return box("DrawRectangle");
    case TGraphicsOpKind::FillRectangle: return box("FillRectangle");
    case TGraphicsOpKind::DrawEllipse: return box("DrawEllipse");
    case TGraphicsOpKind::FillEllipse: return box("FillEllipse");
    case TGraphicsOpKind::DrawArc: return angles("DrawArc");
    case TGraphicsOpKind::DrawPie: return angles("DrawPie");
    case TGraphicsOpKind::FillPie: return angles("FillPie");
    case TGraphicsOpKind::DrawPath: return path("DrawPath");
    case TGraphicsOpKind::FillPath: return path("FillPath");
  }
  return "other";
}

using TStrings = std::vector<std::string>;
inline std::string At(int x, int y) { return "@" + std::to_string(x) + "," + std::to_string(y); }
inline std::string GlyphAt(int code, int x, int y) { return "Text #" + std::to_string(code) + " " + At(x, y); }
inline std::string TextAt(const std::string& s, int x, int y) { return "Text '" + s + "' " + At(x, y); }

template <class TOp>
std::vector<std::string> Describe(const std::vector<TOp>& ops) {
  std::vector<std::string> out;
  for (const auto& op : ops) out.push_back(Describe(op));
  return out;
}

// A page-object element of the page with its hit box.
inline TQSCalcItem* AddPageElement(TQSCalcPage& page, TQSItem* item, TRect box) {
  TQSCalcItem* e = page.PageItems.Need(page.PageItemCount++);
  e->OwnerPage = &page;
  e->Item = item;
  e->Box = box;
  item->LayoutLink = e;
  return e;
}

class TRenderFixture : public ::testing::Test {
 protected:
  TQSScore Score;
  TQSPiece* Piece = nullptr;
  TQSPart* Part = nullptr;
  TQSStaff* Staff = nullptr;
  TQSMeasure* Measure = nullptr;
  TQSColumn* Column = nullptr;
  TQSPageView Window;
  TQSCalcPage* Page = nullptr;
  TQSCalcSystem* System = nullptr;
  TQSCalcMeasure* Slot = nullptr;
  TQSCalcStaff* Row = nullptr;
  TRecordingCanvas Rec;

  void SetUp() override {
    LoadMusicFont();
    Piece = new TQSPiece(&Score);
    Part = Piece->AddPart();
    Staff = new TQSStaff(Part);
    Staff->NewVoice();
    Staff->NewVoice();
    Measure = Part->NewMeasure();
    Column = Piece->AddColumn();
    Score.AttachWindow(&Window);

    Page = Score.LayoutPages.Need(0);
    Score.LaidOutPages = 1;
    Score.UsedMeasures = 1;
    Page->StaffRowCount = 1;
    Row = Page->StaffRows.Need(0);
    Row->Page = Page;
    Row->Staff = Staff;
    Row->Top = Row->TopLine = kTop;
    Row->Bottom = Row->BottomLine = kBottom;
    Page->SystemCount = 1;
    System = Page->Systems.Need(0);
    System->PageRecord = Page;
    System->Piece = Piece;
    System->Top = kTop;
    System->Bottom = kBottom;
    System->MeasureCount = 1;
    Row->System = System;
    Slot = System->Measures.Need(0);
    Slot->System = System;
    Slot->Box = {kSlotLeft, kTop, kSlotRight, kBottom};
    Slot->RowCount = 1;
    Slot->ClefByRow = {nullptr};
    Piece->Slots = {Slot};
    Piece->LastLaidOutMeasure = 0;
  }

  // Another system of the staff on a layout page, below the others: one
  // slot of measure index `measure`, the staff's top line at `top` units.
  TQSCalcSystem* AddSystem(TQSCalcPage* page, int measure, int top) {
    TQSCalcStaff* row = page->StaffRows.Need(page->StaffRowCount);
    row->Page = page;
    row->Staff = Staff;
    row->Top = row->TopLine = top;
    row->Bottom = row->BottomLine = top + 4 * kSpace;
    TQSCalcSystem* sys = page->Systems.Need(page->SystemCount++);
    sys->PageRecord = page;
    sys->Piece = Piece;
    sys->Top = top;
    sys->Bottom = row->Bottom;
    sys->FirstRow = sys->LastRow = page->StaffRowCount++;
    sys->FirstMeasure = static_cast<uint16_t>(measure);
    sys->MeasureCount = 1;
    row->System = sys;
    TQSCalcMeasure* slot = sys->Measures.Need(0);
    slot->System = sys;
    slot->MeasureIndex = static_cast<uint16_t>(measure);
    slot->Box = {kSlotLeft, top, kSlotRight, row->Bottom};
    slot->RowCount = 1;
    slot->ClefByRow = {nullptr};
    return sys;
  }
  // Another laid-out page with one system of the next measure, its top line
  // at `top` units.
  TQSCalcPage* AddPage(int top) {
    const int index = Score.LaidOutPages++;
    TQSCalcPage* page = Score.LayoutPages.Need(static_cast<size_t>(index));
    page->PageIndex = static_cast<uint16_t>(index);
    AddSystem(page, index, top);
    Score.UsedMeasures = std::max(Score.UsedMeasures, index + 1);
    return page;
  }

  // A layout element of the slot on the staff's row.
  TQSCalcItem* Element(TQSItem* item, TRect box, uint8_t type = element::Item) {
    TQSCalcItem* e = Slot->Items.Need(Slot->ItemCount++);
    e->Owner = Slot;
    e->Item = item;
    e->Row = Row;
    e->ElementType = type;
    e->Box = box;
    e->Box2 = {box.Left, Row->Top, box.Right, Row->Bottom};
    e->SizePercent = Staff->Fields.Scale;
    if (item) item->LayoutLink = e;
    return e;
  }

  TQSCalcItem* PageElement(TQSItem* item, TRect box) { return AddPageElement(*Page, item, box); }
  // Marks the element selected in its measure (or, for a page object, on
  // the page).
  void Select(TQSCalcItem* e) {
    if (e->OwnerPage) {
      Window.SelectedPageObjects.push_back(e);
      return;
    }
    if (!Window.FindSelPiece(Piece)) Window.SelPieces.push_back(std::make_unique<TQSSelPiece>(TQSSelPiece{Piece, {{}}}));
    Window.FindSelPiece(Piece)->Measures[0].push_back(e);
  }

  TQSNote* NewNote(int length, int voice = 0, bool down = false) {
    auto* n = new TQSNote(Measure);
    n->Fields.Length = n->Fields.RealLength = static_cast<uint16_t>(length);
    n->Fields.StaffVoice = static_cast<uint8_t>(voice);
    n->SetStemDown(down);
    return n;
  }

  TQSMark* NewMark(TQSItemType kind, TQSItemOwner* owner, uint8_t variant = 0, uint16_t value = 0) {
    auto* m = static_cast<TQSMark*>(CreateItemByKind(kind, owner));
    m->Fields.Kind = variant;
    m->Fields.Value = value;
    return m;
  }

  // The head box of a note centred on x at staff position p, w units wide.
  static TRect HeadBox(int x, int p, int w) {
    const int top = kTop + p * kSpace / 2 - kSpace / 2;
    return {x - w / 2, top, x - w / 2 + w, top + kSpace};
  }
  // Its stem: on the head's right edge going up, on its left edge going down.
  static TRect StemBox(int x, int p, int w, bool down) {
    const int centre = kTop + p * kSpace / 2, left = x - w / 2;
    return down ? TRect{left, centre, left + 6, centre + kStem} : TRect{left + w - 6, centre - kStem, left + w, centre};
  }
  TQSCalcItem* Head(TQSNote* n, int x, int p, int w = 56) {
    n->StaffPosition = static_cast<int16_t>(p);
    return Element(n, HeadBox(x, p, w));
  }
  TQSCalcItem* Stem(TQSNote* n, int x, int p, int w = 56) {
    return Element(n, StemBox(x, p, w, n->IsStemDown()), element::Stem);
  }

  // Paints the page at the zoom and returns the calls after the staff
  // lines and the start line.
  std::vector<TCanvasOp> Paint(int zoom = 100, TGraphics* graphics = nullptr) {
    Rec.Recorder->Clear();
    Window.Zoom = zoom;
    Window.PaintPage(0, Rec.Canvas, graphics, zoom, zoom, 0, 0);
    std::vector<TCanvasOp> ops = Rec.Recorder->CanvasOps();
    const size_t furniture = Staff->Fields.LineCount + 1u;
    if (ops.size() <= furniture) return {};
    return {ops.begin() + static_cast<std::ptrdiff_t>(furniture), ops.end()};
  }
  std::vector<std::string> PaintDescribed(int zoom = 100) { return Describe(Paint(zoom)); }
  // Paints through the anti-aliased surface as well; returns its calls.
  std::vector<TGraphicsOp> PaintSurface(int zoom = 100) {
    TGraphics graphics(Rec.Canvas);
    Paint(zoom, &graphics);
    return Rec.Recorder->GraphicsOps();
  }
};

}  // namespace qs::test
