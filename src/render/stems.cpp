// Ledger lines, stems with their flags, and beam groups with the stems of
// their notes: what the first pass draws under the heads.
#include <algorithm>
#include <vector>

#include "base/mathutil.h"
#include "platform/graphics.h"
#include "platform/musicglyphs.h"
#include "render/measurerenderer.h"
#include "render/primitives.h"
#include "render/surface.h"
#include "score/calcrecords.h"
#include "score/notes.h"
#include "score/part.h"

namespace qs {

namespace {

const TQSStaff* StaffOfRow(const TQSCalcItem& e) { return e.Row ? e.Row->Staff : nullptr; }

bool IsGrace(const TQSNote& note) { return note.GraceGroup() != nullptr; }

// The flag glyph of an unbeamed note by its written length.
uint8_t FlagGlyph(int length, bool down) {
  switch (length) {
    case 64: return down ? glyphs::Flag8thDown : glyphs::Flag8thUp;
    case 32: return down ? glyphs::Flag16thDown : glyphs::Flag16thUp;
    case 16: return down ? glyphs::Flag32ndDown : glyphs::Flag32ndUp;
    case 4: return down ? glyphs::Flag128thDown : glyphs::Flag128thUp;
    default: return down ? glyphs::Flag64thDown : glyphs::Flag64thUp;
  }
}

int FlagCount(int length) {
  switch (length) {
    case 64: return 1;
    case 32: return 2;
    case 16: return 3;
    default: return 4;
  }
}

}  // namespace

void TQSMeasureRenderer::DrawLedgerLines(const TQSCalcItem& e, const TQSNote& note) {
  int s = note.StaffPosition;
  if (s >= -1 && s <= 9) return;
  Begin(e, e.Box);
  cv_.Pen().Color = c_.LineColor();
  cv_.Pen().Width = LinePen();
  cv_.Pen().Style = psSolid;
  const int ext = W(2);
  auto line = [&](int y) {
    cv_.MoveTo(box_.Left - ext, y);
    cv_.LineTo(box_.Right + ext, y);
  };
  // The lines are counted from the staff's top line, which the head's
  // second box carries, so that they lie on the painted line spacing.
  const int top = ScaleY(c_, e.Box2.Top);
  int y = top;
  while (s < -1) {
    y -= ls_;
    line(y);
    s += 2;
  }
  y = top + ls_ * (e.Row->Staff->Fields.LineCount - 1);
  while (s > 9) {
    y += ls_;
    line(y);
    s -= 2;
  }
}

void TQSMeasureRenderer::DrawStem(const TQSCalcItem& e) {
  const auto* note = dynamic_cast<const TQSNote*>(e.Item);
  const TQSStaff* staff = StaffOfRow(e);
  if (!note || !staff || !staff->Fields.Stems) return;
  Begin(e, e.Box, note->Fields.Color, TQSActiveTest::StaffVoice, *note);
  const bool down = note->IsStemDown();
  const bool tab = staff->Fields.Tablature;
  TRect& r = box_;
  if (tab) {
    if (r.Left == r.Right) r.Right = r.Left + 1;
  } else if (!down) {
    r.Left = r.Right - c_.Width05;
    if (r.Left == r.Right) r.Left -= 1;
    if (note->Fields.HeadStyle != headstyle::Harmonic) r.Bottom -= c_.Width1;
  } else {
    r.Right = std::max(r.Left + c_.Width05, r.Left + 1);
    if (note->Fields.HeadStyle != headstyle::Harmonic) r.Top += c_.Width1;
  }
  const int length = note->Fields.Length;
  // The beam element draws the stems of its notes.
  if (length < kTicksQuarter && note->BeamGroup != 0) return;
  FillPolygon({{r.Left, r.Top}, {r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left, r.Bottom}});
  if (length < kTicksQuarter) {
    if (!tab) {
      UseMusicFont(note->IsSmall() || IsGrace(*note) ? FontK(11) : FontK(16));
      Glyph(r.Left, down ? r.Bottom : r.Top, FlagGlyph(length, down), c_.GlyphQuality);
    } else {
      cv_.Brush().Style = bsSolid;
      const int flagLength = IsGrace(*note) ? c_.Width4 : c_.Width5;
      for (int i = 0; i < FlagCount(length); ++i) {
        if (!down)
          cv_.FillRect({r.Right, r.Top + i * c_.Width3, r.Right + flagLength, r.Top + i * c_.Width3 + c_.Width2});
        else
          cv_.FillRect({r.Right, r.Bottom - i * c_.Width3 - c_.Width2, r.Right + flagLength, r.Bottom - i * c_.Width3});
      }
    }
    const TQSVorschlag* group = note->GraceGroup();
    if (group && group->IsShortStyle()) {
      const int middleY = (r.Top + r.Bottom) / 2;
      cv_.Pen().Width = c_.LinePen;
      cv_.MoveTo(r.Left - c_.Width4, middleY + c_.Width2);
      cv_.LineTo(r.Right + c_.Width4, middleY - c_.Width2);
    }
  }
  if (IsElementSelected(c_, e)) DrawPointHandle(c_, {r.Left, down ? r.Bottom : r.Top});
}

void TQSMeasureRenderer::DrawBeam(const TQSCalcItem& e) {
  const std::vector<TQSCalcItem*>& stems = e.Links;
  if (stems.size() < 2 || !stems.front() || !stems.back()) return;
  for (const TQSCalcItem* s : stems)
    if (!s || !dynamic_cast<const TQSNote*>(s->Item)) return;
  const TQSStaff* staff = StaffOfRow(*stems.front());
  if (!staff || !staff->Fields.Stems) return;

  Begin(e, e.Box);
  const auto& first = static_cast<const TQSNote&>(*stems.front()->Item);
  const auto& last = static_cast<const TQSNote&>(*stems.back()->Item);
  const TColor beamColor = Shade(*stems.front(), first.Fields.Color, TQSActiveTest::StaffVoice, first);
  const int stemWidth = W05();
  const int beamThickness = IsGrace(first) ? W(2) : W(3);
  const int beamDistance = IsGrace(first) ? W(3) : W(4);
  const bool firstUp = !first.IsStemDown(), lastUp = !last.IsStemDown();
  const TRect fb = ScaleRect(c_, stems.front()->Box), lb = ScaleRect(c_, stems.back()->Box);

  // The beam line from the first stem's beam-side end to the last one's.
  const int x1 = fb.Left, x2 = lb.Right;
  const int y1 = firstUp ? fb.Top : fb.Bottom, y2 = lastUp ? lb.Top : lb.Bottom;
  // Stems at one x would give no slope at all; such a beam lies flat, as
  // the layout places it.
  slope_ = x1 == x2 ? 0.0L : static_cast<long double>(y1 - y2) / (x2 - x1);
  auto across = [this](int dx) { return Round(static_cast<double>(dx * slope_)); };

  TGraphics* g = c_.Graphics;
  int dL = 0, dR = 0;
  bool haveDL = false;
  for (const TQSCalcItem* s : stems) {
    const auto& note = static_cast<const TQSNote&>(*s->Item);
    const TColor color = Shade(*s, note.Fields.Color, TQSActiveTest::StaffVoice, note);
    const TRect box = ScaleRect(c_, s->Box);
    TRect r = box;
    const bool up = !note.IsStemDown();
    if (up) {
      r.Left = r.Right - stemWidth;
      if (r.Left == r.Right) r.Left -= 1;
      if (!g || !haveDL) dL = r.Left - box.Left;
      haveDL = true;
      if (note.Fields.HeadStyle != headstyle::Harmonic) r.Bottom -= W(1);
    } else {
      r.Right = r.Left + stemWidth;
      if (r.Right == r.Left) r.Right += 1;
      dR = box.Right - r.Right;
      if (note.Fields.HeadStyle != headstyle::Harmonic) r.Top += W(1);
    }
    // The beam-side end follows the slope across the stem's width.
    int yL = up ? r.Top : r.Bottom, yR = yL;
    const int rise = across(r.Right - r.Left);
    if (up) {
      if (lb.Top < fb.Top) yL += rise;
      else if (lb.Top > fb.Top) yR -= rise;
    } else {
      if (lb.Bottom < fb.Bottom) yR -= rise;
      else if (lb.Bottom > fb.Bottom) yL += rise;
    }
    const int intoBeam = c_.Width1;
    if (g) {
      TSurfaceOrigin origin(c_);
      g->SetSmoothingMode(SmoothingModeDefault);
      const TGBrush brush = SolidBrush(ColorToARGB(color));
      if (up)
        g->FillPolygon(
            brush,
            ToFloat({{r.Left, yL + intoBeam}, {r.Right, yR + intoBeam}, {r.Right, r.Bottom}, {r.Left, r.Bottom}}));
      else
        g->FillPolygon(brush,
                       ToFloat({{r.Left, r.Top}, {r.Right, r.Top}, {r.Right, yR - intoBeam}, {r.Left, yL - intoBeam}}));
    } else {
      UseColor(color);
      if (up) FillPolygon({{r.Left, yL + intoBeam}, {r.Right, yR + intoBeam}, {r.Right, r.Bottom}, {r.Left, r.Bottom}});
      else FillPolygon({{r.Left, r.Top}, {r.Right, r.Top}, {r.Right, yR - intoBeam}, {r.Left, yL - intoBeam}});
    }
    if (IsElementSelected(c_, *s)) DrawPointHandle(c_, {r.Left, up ? r.Top : r.Bottom});
  }

  // Offsets across the beam at each end (by that end's stem direction) and
  // the step from one beam level to the next.
  const int firstFrom = firstUp ? 0 : -beamThickness, firstTo = firstUp ? beamThickness : 0;
  const int lastFrom = lastUp ? 0 : -beamThickness, lastTo = lastUp ? beamThickness : 0;
  const int step = firstUp ? beamDistance : -beamDistance;
  const bool sloped = y1 != y2;
  // Thin beams at small zooms get an outline on the screen so that they stay
  // visible.
  const bool outline = c_.Window && c_.Window->Zoom < 50 && !c_.PrintOrExport();
  auto segment = [&](int xa, int ya, int xb, int yb) {
    if (g) {
      TSurfaceOrigin origin(c_);
      g->FillPolygon(SolidBrush(ColorToARGB(beamColor)),
                     ToFloat({{xa, ya + firstFrom}, {xa, ya + firstTo}, {xb, yb + lastTo}, {xb, yb + lastFrom}}));
    } else {
      // The fill is the brush the last stem left: its note's colour.
      cv_.Pen().Style = outline ? psSolid : psClear;
      cv_.Pen().Color = clBlack;
      cv_.Brush().Style = bsSolid;
      cv_.Polygon({{xa, ya + firstFrom}, {xa, ya + firstTo}, {xb, yb + lastTo}, {xb, yb + lastFrom}});
      cv_.Pen().Style = psSolid;
    }
  };

  if (g) g->SetSmoothingMode(sloped ? SmoothingModeAntiAlias : SmoothingModeDefault);
  const int rightIn = g && sloped ? 1 : 0;
  segment(x1 + dL, y1, x2 - dR - rightIn, y2);

  // Secondary beams: one segment per run of notes with beams at the level;
  // a lone note gets a stub toward its neighbour.
  const int n = static_cast<int>(stems.size());
  auto beams = [&](int i) { return static_cast<const TQSNote&>(*stems[static_cast<size_t>(i)]->Item).ExtraBeams(); };
  auto boxOf = [&](int i) { return ScaleRect(c_, stems[static_cast<size_t>(i)]->Box); };
  const int segmentEnd = g ? 1 : 0;
  for (int level = 1; level <= 3; ++level) {
    const int base = y1 + level * step;
    auto yAt = [&](int x) { return base - across(x - x1); };
    for (int i = 0; i < n;) {
      if (beams(i) < level) {
        ++i;
        continue;
      }
      int j = i;
      while (j + 1 < n && beams(j + 1) >= level) ++j;
      const TRect bi = boxOf(i), bj = boxOf(j);
      int xa = bi.Left, xb = bj.Right;
      if (i == j && j + 1 < n) {
        xb = std::min((bi.Right + boxOf(j + 1).Right) / 2, bi.Left + c_.Width5);
      } else if (i == j && i > 0) {
        xa = std::max((boxOf(i - 1).Right + bi.Right) / 2, bi.Right - c_.Width5);
      }
      segment(xa, yAt(xa), xb - segmentEnd, yAt(xb));
      i = j + 1;
    }
  }
}

}  // namespace qs
