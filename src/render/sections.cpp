// Marks of the measure: segno and coda, D.C. and D.S., repeat and section
// barlines, user symbols, ottava lines and volta brackets.
#include <string>

#include "platform/musicglyphs.h"
#include "render/measurerenderer.h"
#include "render/pageobjects.h"
#include "render/primitives.h"
#include "score/calcrecords.h"
#include "score/marks.h"
#include "score/pageobjects.h"
#include "score/part.h"
#include "score/score.h"

namespace qs {

bool TQSMeasureRenderer::DrawSectionMark(const TQSCalcItem& e, const TQSMark& mark) {
  const TQSItemType kind = mark.ItemType;
  switch (kind) {
    case kind::RepeatOpen: case kind::RepeatClose: case kind::SectionEnd: case kind::CompositionEnd:
    case kind::CompositionBegin:
      return DrawBarlineMark(e, mark);
    case kind::UserSymbolMark:
      return DrawUserSymbol(e, mark);
    default:
      break;
  }
  Begin(e, e.Box, mark.Fields.Color, ActiveTestOf(kind), mark);
  const int L = box_.Left, T = box_.Top, R = box_.Right;
  switch (kind) {
    case kind::Segno:
    case kind::Coda:
      UseMusicFont(FontK(16));
      Glyph(L, T + c_.Width6, kind == kind::Segno ? glyphs::Segno : glyphs::Coda, c_.GlyphQuality);
      break;
    case kind::DaCapo:
    case kind::DalSegno:
      UseFont(c_.TextFontName, FontK(8), fsItalic);
      Text(L, T, kind == kind::DaCapo ? "D.C." : "D.S.");
      cv_.Font().Style = 0;
      break;
    case kind::Ottava: {
      UseFont(c_.TextFontName, FontK(6));
      Text(L, T, "8");
      const int w1 = W(1), x = R - w1;
      DrawStyledLine(L + cv_.TextWidth(std::string_view("8")), x, mark.LineStyle);
      // The closing hook points toward the notes.
      cv_.Pen().Width = w1;
      if (mark.Fields.Kind == 0) Line(x, Mid() - (w1 >> 1), x, box_.Bottom - w1);
      else Line(x, Mid() + (w1 >> 1), x, T + w1);
      hasHandle_ = true;
      handle_ = {R, Mid()};
      break;
    }
    case kind::Volta: {
      cv_.Pen().Width = c_.Width1;
      UseFont(c_.TextFontName, FontK(6));
      Text(L + W(3), T + W(1), std::to_string(mark.Fields.Kind));
      const int w1 = W(1);
      cv_.Polyline({{L + w1, T + W(8)}, {L + w1, T + w1}, {R - w1, T + w1}, {R - w1, box_.Bottom}});
      break;
    }
    default:
      break;
  }
  return true;
}

bool TQSMeasureRenderer::DrawBarlineMark(const TQSCalcItem& e, const TQSMark& mark) {
  BeginFilled(e, e.Box, mark.Fields.Color, TQSActiveTest::Never, mark);
  const int L = box_.Left, T = box_.Top, R = box_.Right, B = box_.Bottom;
  const int t = W(1), g = W(2), k = W(3), q = W(4);
  auto bar = [&](int left, int right) { cv_.Rectangle(left, T, right, B); };
  switch (mark.ItemType) {
    case kind::RepeatOpen:
      bar(L, L + g);
      bar(L + q, L + q + t);
      DrawRepeatDots(e, L + q + 3 * t);
      break;
    case kind::RepeatClose:
      DrawRepeatDots(e, R - q - 3 * t);
      bar(R - q - t, R - q);
      bar(R - g, R);
      break;
    case kind::SectionEnd:
      bar(L, L + t);
      bar(L + k, L + k + t);
      break;
    case kind::CompositionEnd:
      bar(L, L + t);
      bar(L + k, L + k + g);
      break;
    default:  // the begin of a composition
      bar(L, L + g);
      bar(L + k + t, L + k + g);
      break;
  }
  return true;
}

void TQSMeasureRenderer::DrawRepeatDots(const TQSCalcItem& e, int cx) {
  // In the two spaces about the middle line of every staff the barline
  // spans, where the painter drew that staff's lines.
  const int r = W(1);
  auto dots = [&](const TQSCalcStaff& row) {
    const int spacing = row.PaintValue16, lines = row.Staff ? row.Staff->Fields.LineCount : 5;
    const int last = ScaleY(c_, row.BottomLine) + row.PaintValue32, first = last - (lines - 1) * spacing;
    const int middle = (first + last) / 2;
    for (int y : {middle - spacing / 2, middle + spacing / 2}) cv_.Ellipse(cx - r, y - r, cx + r, y + r);
  };
  bool any = false;
  if (c_.Page && c_.System) {
    for (int i = c_.System->FirstRow; i <= c_.System->LastRow; ++i) {
      const TQSCalcStaff* row = c_.Page->StaffRows.At(static_cast<size_t>(i));
      if (!row || row->TopLine < e.Box.Top || row->BottomLine > e.Box.Bottom) continue;
      dots(*row);
      any = true;
    }
  }
  if (!any && e.Row) dots(*e.Row);
}

bool TQSMeasureRenderer::DrawUserSymbol(const TQSCalcItem& e, const TQSMark& mark) {
  const TQSUserSymbol* symbol =
      c_.Score && mark.Fields.Value < c_.Score->UserSymbolCount() ? c_.Score->GetUserSymbol(mark.Fields.Value) : nullptr;
  if (!symbol) return false;
  Begin(e, e.Box);
  // The symbol's drawings keep their own colours.
  for (const TQSItem* item : symbol->Items) DrawPageObject(c_, *item, nullptr, box_.Left, box_.Top);
  return true;
}

}  // namespace qs
