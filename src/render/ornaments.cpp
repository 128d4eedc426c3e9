// Ornaments, articulations and technique marks: single glyphs of the music
// font, texts, and small figures drawn with lines.
#include <algorithm>
#include <string>

#include "base/mathutil.h"
#include "platform/musicglyphs.h"
#include "render/glyphtext.h"
#include "render/measurerenderer.h"
#include "render/primitives.h"
#include "score/calcrecords.h"
#include "score/marks.h"
#include "score/notes.h"

namespace qs {

namespace {

// A glyph of a mark and its baseline below the box top, as the k of Wk.
struct TMarkGlyph {
  int Code = -1;  // none
  int Lift = 6;
};

TMarkGlyph DrawnMarkGlyph(TQSItemType kind, int v, uint8_t style) {
  switch (kind) {
    case kind::Glissando:
      return {(v == 0) == !(style & TQSMark::kGlissandoBefore) ? glyphs::GlissandoLineRisingToTheRight
                                                                : glyphs::GlissandoLineFallingToTheRight};
    case kind::Fall: return {v == 0 ? glyphs::BrassDoitMedium : glyphs::BrassFallLipMedium};
    case kind::Lift: return {glyphs::BrassLiftShort};
    case kind::Dynamics: return {};  // drawn with the hairpins
    default: break;
  }
  // The same glyph the layout measured the mark by.
  const uint8_t code = MarkGlyph(kind, v);
  if (code == 0) return {};
  if ((kind == kind::Pedal && v == 1) || kind == kind::StringNumber) return {code, 8};
  if (kind == kind::HiHat1 || kind == kind::HiHat2) return {code, 4};
  return {code};
}

// The text of a fingering or of the hammer-on family; empty for kinds
// without one.
std::string FingerText(int v) {
  if (v <= 5) return std::string(1, static_cast<char>('0' + v));
  if (v >= 11 && v <= 15) return std::string(1, "pimae"[v - 11]);
  return {};
}
std::string HammerText(int v) { return v <= 3 ? std::string(1, "HPTS"[v]) : std::string(); }

}  // namespace

bool TQSMeasureRenderer::DrawMark(const TQSCalcItem& e, const TQSMark& mark) {
  const TQSItemType kind = mark.ItemType;
  // Glissandos, falls and lifts belong to their note and take its colour.
  const auto* note = kind <= kind::Lift ? dynamic_cast<const TQSNote*>(mark.Owner()) : nullptr;
  const TQSItem& subject = note ? static_cast<const TQSItem&>(*note) : mark;
  Begin(e, e.Box, note ? note->Fields.Color : mark.Fields.Color, ActiveTestOf(kind), subject);
  const int v = mark.Fields.Kind;
  const int left = box_.Left, top = box_.Top, right = box_.Right, bottom = box_.Bottom, cx = (left + right) / 2;

  int glyphWidth = 0;
  if (const TMarkGlyph glyph = DrawnMarkGlyph(kind, v, mark.Fields.Style); glyph.Code >= 0) {
    const auto code = static_cast<uint8_t>(glyph.Code);
    UseMusicFont(FontK(16));
    Glyph(left, top + W(glyph.Lift), code, kind == kind::Accent ? 0 : c_.GlyphQuality);
    glyphWidth = cv_.TextWidth(MusicGlyph(c_, code));
  }
  const std::string& markFont = mark.FontName.empty() ? c_.TextFontName : mark.FontName;
  auto setHandle = [&](TPoint p) {
    hasHandle_ = true;
    handle_ = p;
  };

  switch (kind) {
    case kind::Trill:
      if (mark.Fields.Value != 0) {
        DrawZigzag(left + glyphWidth + W(1), 1, false);
        setHandle({right, Mid()});
      }
      break;
    case kind::Vibrato:
      DrawZigzag(left, v == 0 ? 1 : 2, v == 2);
      setHandle({right, Mid()});
      break;
    case kind::Arpeggio:
      DrawArpeggio(mark);
      setHandle({cx, bottom});
      break;
    case kind::Hang:
      cv_.Pen().Width = LinePen();
      if (v == 0) cv_.Polyline({{left + W(3), top}, {left, top}, {left, bottom}});
      else cv_.Polyline({{left + W(3), bottom}, {left, bottom}, {left, top}});
      setHandle({cx, bottom});
      break;
    case kind::Bracket: {
      const int pen = LinePen();
      cv_.Pen().Width = pen;
      // The frame inside the box by the pen's width, open at the bottom (0) or top.
      const TRect in{left + pen, top + pen, right - pen, bottom - pen};
      if (v == 0) cv_.Polyline({{in.Left, in.Bottom}, {in.Left, in.Top}, {in.Right, in.Top}, {in.Right, in.Bottom}});
      else cv_.Polyline({{in.Left, in.Top}, {in.Left, in.Bottom}, {in.Right, in.Bottom}, {in.Right, in.Top}});
      setHandle({right, Mid()});
      break;
    }
    case kind::Finger:
    case kind::Hammer: {
      const std::string text = kind == kind::Finger ? FingerText(v) : HammerText(v);
      if (text.empty()) break;
      // The letters of the right hand are written in their own face.
      const std::string& face = !mark.FontName.empty() ? mark.FontName : v < 11 ? c_.TextFontName : c_.LetterFontName;
      if (kind == kind::Finger) UseFont(face, FontK(v < 10 ? 7 : 9));
      else UseFont(face, FontK(v < 10 ? 8 : 10));
      Text(left, kind == kind::Finger && v >= 11 ? top - W(4) : top, text);
      break;
    }
    case kind::StringNumber:
      if (mark.Fields.Value != 0) DrawStyledLine(left + glyphWidth, right - W(1), mark.LineStyle);
      break;
    case kind::Muting: {
      const std::string text = v == 1 ? "P.M." : v == 2 ? "M" : "";
      int x = left;
      if (!text.empty()) {
        UseFont(markFont, FontK(8));
        Text(left, top + W(1), text);
        x = left + cv_.TextWidth(std::string_view(text));
        if (v == 2 && mark.Fields.Value != 0) {
          // Two small bows under the sign.
          const int y = top + W(1) + cv_.TextHeight(std::string_view(text)), half = (x - left) / 2, bowHeight = W(2);
          cv_.Pen().Width = HairlinePen();
          cv_.Arc(left, y - bowHeight, left + half, y + bowHeight, left, y, left + half, y);
          cv_.Arc(left + half, y - bowHeight, x, y + bowHeight, left + half, y, x, y);
        }
      }
      if (v == 0 || mark.Fields.Value != 0) {
        const int xe = right - W(1);
        DrawStyledLine(x, xe, mark.LineStyle);
        cv_.Pen().Width = LinePen();
        Line(xe, Mid() - 2 * W(1), xe, Mid() + 2 * W(1));
      }
      break;
    }
    case kind::Staccato: {
      const int x = left + c_.Width2;
      cv_.Pen().Width = 1;
      cv_.Brush().Style = bsSolid;
      cv_.Ellipse(x - W(1), Mid() - W(1), x + W(2), Mid() + W(2));
      break;
    }
    case kind::Portamento:
      cv_.Brush().Style = bsSolid;
      cv_.FillRect({left + W(1), top + W(1), right - W(1), bottom - W(1)});
      break;
    case kind::Tremolo: {
      cv_.Pen().Width = ThickLinePen();
      const int h = W05(), step = W(3);
      int y = top + W(1);
      for (int i = 0; i < mark.Fields.Value; ++i, y += step) Line(left + h, y + step, right - h, y);
      break;
    }
    case kind::Hand: {
      cv_.Pen().Width = c_.LinePen;
      Line(cx, top, cx, bottom);
      if (v == 0) {
        cv_.Polyline({{left, top + W(4)}, {cx, top}, {right, top + W(4)}});
        cv_.Polyline({{left, bottom - W(4)}, {cx, bottom}, {right, bottom - W(4)}});
      }
      ownSelection_ = true;
      if (IsElementSelected(c_, e)) {
        DrawSelectionFrame(c_, box_);
        DrawEndHandles(c_, {cx, top, cx, bottom});
      }
      break;
    }
    default: break;
  }
  return true;
}

void TQSMeasureRenderer::DrawZigzag(int x0, int amplitude, bool thin) {
  // A period below one pixel would never reach the end.
  const int period = std::max(W(6), 1), halfPen = W05(), w3 = W(3), right = box_.Right, middle = Mid();
  const int low1 = amplitude * W(1), low2 = amplitude * W(2);
  // Thick strokes down to the right, then thin ones back up between them.
  cv_.Pen().Width = thin ? LinePen() : c_.ThickLinePen;
  int x = x0;
  for (; x < right - period; x += period) Line(x, middle + halfPen, x + w3, middle + low2 - halfPen);
  cv_.Pen().Width = LinePen();
  for (; x >= x0; x -= period) {
    const TPoint from =
        !thin && x <= x0 + period ? TPoint{x - w3 - halfPen, middle + low1} : TPoint{x - w3 + halfPen, middle + low2};
    const TPoint to =
        !thin && x >= right - period ? TPoint{x - W(1) + halfPen, middle + low1} : TPoint{x - halfPen, middle};
    Line(from.X, from.Y, to.X, to.Y);
  }
}

void TQSMeasureRenderer::DrawArpeggio(const TQSMark& mark) {
  constexpr int kUp = TQSMark::kArpeggioUp, kDown = TQSMark::kArpeggioDown;
  const int arrow = mark.Fields.Style & TQSMark::kArpeggioArrowMask, n = mark.Fields.Value;
  const int x = box_.Left, h = W05(), w2 = W(2), w3 = W(3), w4 = W(4), w8 = W(8), half3 = w3 >> 1;
  // Waves: n thick strokes, then thin strokes joining them; a downward
  // arpeggio runs from the bottom up.
  const int dir = arrow == kDown ? -1 : 1;
  int y = arrow == kDown ? box_.Bottom - W(6) : box_.Top + W(6);
  cv_.Pen().Width = ThickLinePen();
  for (int i = 0; i < n; ++i, y += dir * w8) Line(x + h, y + dir * w4, x + w3 - h, y);
  cv_.Pen().Width = LinePen();
  for (int i = 0; i <= n; ++i, y -= dir * w8) {
    const TPoint from = i == 0 ? TPoint{x + half3, y - dir * (w4 + h)} : TPoint{x + w3, y - dir * h};
    const TPoint to = i == n ? TPoint{x + half3, y - dir * (w4 - h)} : TPoint{x, y - dir * (w4 - h)};
    Line(from.X, from.Y, to.X, to.Y);
  }
  if (arrow != kUp && arrow != kDown) return;
  cv_.Pen().Width = 1;
  cv_.Brush().Style = bsSolid;
  const int tip = arrow == kUp ? box_.Top : box_.Bottom, base = tip + dir * w4;
  cv_.Polygon({{x + w2, tip}, {x + w4, base}, {x, base}});
}

void TQSMeasureRenderer::DrawStyledLine(int x1, int x2, uint8_t style) {
  // Styled pens are one pixel wide: a thicker line is several of them.
  const int thickness = W05(), first = 1 - thickness / 2, last = std::max(thickness - thickness / 2, first);
  const TBrushStyle brush = cv_.Brush().Style;
  cv_.Brush().Style = bsClear;  // the gaps of a styled line stay open
  cv_.Pen().Width = 1;
  cv_.Pen().Style = style <= psInsideFrame ? static_cast<TPenStyle>(style) : psSolid;
  for (int o = first; o <= last; ++o) Line(x1, Mid() + o, x2, Mid() + o);
  cv_.Pen().Style = psSolid;
  cv_.Brush().Style = brush;
}

}  // namespace qs
