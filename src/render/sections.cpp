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
  const int left = box_.Left, top = box_.Top, right = box_.Right;
  switch (kind) {
    case kind::Segno:
    case kind::Coda:
      UseMusicFont(FontK(16));
      Glyph(left, top + c_.Width6, kind == kind::Segno ? glyphs::Segno : glyphs::Coda, c_.GlyphQuality);
      break;
    case kind::DaCapo:
    case kind::DalSegno:
      UseFont(c_.TextFontName, FontK(8), fsItalic);
      Text(left, top, kind == kind::DaCapo ? "D.C." : "D.S.");
      cv_.Font().Style = 0;
      break;
    case kind::Ottava: {
      UseFont(c_.TextFontName, FontK(6));
      Text(left, top, "8");
      const int lineWidth = W(1), x = right - lineWidth;
      DrawStyledLine(left + cv_.TextWidth(std::string_view("8")), x, mark.LineStyle);
      // The closing hook points toward the notes.
      cv_.Pen().Width = lineWidth;
      if (mark.Fields.Kind == 0) Line(x, Mid() - (lineWidth >> 1), x, box_.Bottom - lineWidth);
      else Line(x, Mid() + (lineWidth >> 1), x, top + lineWidth);
      hasHandle_ = true;
      handle_ = {right, Mid()};
      break;
    }
    case kind::Volta: {
      cv_.Pen().Width = c_.LinePen;
      UseFont(c_.TextFontName, FontK(6));
      Text(left + W(3), top + W(1), std::to_string(mark.Fields.Kind));
      const int lineWidth = W(1);
      cv_.Polyline({{left + lineWidth, top + W(8)},
                    {left + lineWidth, top + lineWidth},
                    {right - lineWidth, top + lineWidth},
                    {right - lineWidth, box_.Bottom}});
      break;
    }
    default:
      break;
  }
  return true;
}

bool TQSMeasureRenderer::DrawBarlineMark(const TQSCalcItem& e, const TQSMark& mark) {
  BeginFilled(e, e.Box, mark.Fields.Color, TQSActiveTest::Never, mark);
  const int left = box_.Left, top = box_.Top, right = box_.Right, bottom = box_.Bottom;
  const int thinBar = W(1), thickBar = W(2), doubleBarGap = W(3), repeatBarGap = W(4);
  auto bar = [&](int from, int to) { cv_.Rectangle(from, top, to, bottom); };
  switch (mark.ItemType) {
    case kind::RepeatOpen:
      bar(left, left + thickBar);
      bar(left + repeatBarGap, left + repeatBarGap + thinBar);
      DrawRepeatDots(e, left + repeatBarGap + 3 * thinBar);
      break;
    case kind::RepeatClose:
      DrawRepeatDots(e, right - repeatBarGap - 3 * thinBar);
      bar(right - repeatBarGap - thinBar, right - repeatBarGap);
      bar(right - thickBar, right);
      break;
    case kind::SectionEnd:
      bar(left, left + thinBar);
      bar(left + doubleBarGap, left + doubleBarGap + thinBar);
      break;
    case kind::CompositionEnd:
      bar(left, left + thinBar);
      bar(left + doubleBarGap, left + doubleBarGap + thickBar);
      break;
    default:  // the begin of a composition
      bar(left, left + thickBar);
      bar(left + doubleBarGap + thinBar, left + doubleBarGap + thickBar);
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
