// The marks that set up a staff or a measure: clefs, key and time
// signatures, tempo marks, measure numbers and rehearsal marks.
#include <algorithm>
#include <string>

#include "base/mathutil.h"
#include "layout/metrics.h"
#include "platform/musicglyphs.h"
#include "render/glyphtext.h"
#include "render/measurerenderer.h"
#include "render/primitives.h"
#include "score/calcrecords.h"
#include "score/helpers.h"
#include "score/marks.h"
#include "score/part.h"

namespace qs {

namespace {

const std::string& MarkFont(const TQSMark& mark, const TQSPaintContext& c) {
  return mark.FontName.empty() ? c.TextFontName : mark.FontName;
}

// Baselines of the signs of a key signature, in drawing order, from the
// first sign's baseline y0 (the top line of a treble staff) in steps of
// half a staff space.
constexpr int kSharpSteps[7] = {0, 3, -1, 2, 5, 1, 4};
constexpr int kFlatSteps[7] = {4, 1, 5, 2, 6, 3, 7};

}  // namespace

bool TQSMeasureRenderer::DrawClef(const TQSCalcItem& e, const TQSMark& mark) {
  Begin(e, e.Box, mark.Fields.Color, TQSActiveTest::ItemStaff, mark);
  const int code = mark.Fields.Kind;
  if (code < clef::Tablature) UseMusicFont(FontK(16));
  cv_.Brush().Style = code < clef::Percussion1 ? bsClear : bsSolid;
  const int a = W(6), b = W(8);
  const int left = box_.Left, top = box_.Top, bottom = box_.Bottom;
  const int trebleY = top + 4 * ls_ + 2 * a;
  const uint8_t q = c_.SmallGlyphQuality;
  // The octave figure of clefs 4 to 6, in italics.
  auto octaveFont = [&] { UseFont(c_.TextFontName, FontK(8), fsItalic); };
  switch (code) {
    case clef::Treble: Glyph(left, trebleY, glyphs::GClef, q); break;
    case clef::Bass: case clef::BaritoneF: Glyph(left, top + a, glyphs::FClef, q); break;
    case clef::Alto: case clef::Tenor: case clef::Soprano: case clef::MezzoSoprano: case clef::BaritoneC:
      Glyph(left, top + 2 * ls_, glyphs::CClef, q);
      break;
    case clef::TrebleOctaveUp:
    case clef::TrebleOctaveDown:
      Glyph(left, trebleY, glyphs::GClef, q);
      octaveFont();
      cv_.TextOut(left + a + b, code == clef::TrebleOctaveUp ? top : top + 3 * a + 2 * b, std::string_view("8"));
      cv_.Font().Style &= static_cast<TFontStyles>(~fsItalic);
      break;
    case clef::BassOctaveDown:
      Glyph(left, top + a, glyphs::FClef, q);
      octaveFont();
      DrawFontGlyph(c_, left + a + b, top + 2 * a + 2 * b, u"8", 4);
      cv_.Font().Style &= static_cast<TFontStyles>(~fsItalic);
      break;
    case clef::DoubleTreble:
      Glyph(left, trebleY, glyphs::GClef, q);
      Glyph(left + a, trebleY, glyphs::GClef, q);
      break;
    case clef::Tablature: {
      // The size rule of the letters ignores the scale in print.
      int size;
      if (size_ == 100) size = c_.Style == wsPrint ? 9 : Round(9.0 * c_.Scale * c_.ZoomX / 10000);
      else size = c_.Style == wsPrint ? Round(9.0 * size_ / 100) : static_cast<int>(9LL * c_.Scale * c_.ZoomX * size_ / 1000000);
      UseFont(c_.TextFontName, size, fsBold);
      const int w1 = W(1), w3 = W(3), w7 = W(7), w8 = W(8), middle = (top + bottom) / 2;
      cv_.TextOut(left + w3, middle - 2 * w8 - w1, std::string_view("T"));
      cv_.TextOut(left + w3, middle - w7, std::string_view("A"));
      cv_.TextOut(left + w3, middle + w3, std::string_view("B"));
      cv_.Font().Style = 0;
      break;
    }
    case clef::Percussion1: {
      const int stroke = std::max(c_.Width1, 1), h2 = W(2), h3 = W(3), h4 = W(4);
      cv_.FillRect({left, top + h2, left + ls_, top + h4});
      cv_.FillRect({left, top + h2, left + stroke, bottom - stroke});
      cv_.FillRect({left, bottom - h3, left + ls_, bottom - stroke});
      cv_.FillRect({left + ls_ - stroke, top + h2, left + ls_, bottom - stroke});
      break;
    }
    case clef::Percussion2: {
      const int h2 = W(2);
      cv_.FillRect({left, top + ls_, left + h2, bottom - ls_});
      cv_.FillRect({left + ls_ - h2, top + ls_, left + ls_, bottom - ls_});
      break;
    }
    default: break;
  }
  return true;
}

bool TQSMeasureRenderer::DrawKeySignature(const TQSCalcItem& e, const TQSMark& mark) {
  // A percussion staff has no key: not even a selection frame.
  const TQSCalcMeasure& slot = *c_.Slot;
  if (slot.RowCount > 0 && !slot.ClefByRow.empty()) {
    const size_t row = std::min<size_t>({e.Param, slot.RowCount - 1, slot.ClefByRow.size() - 1});
    if (auto* clef = dynamic_cast<const TQSMark*>(slot.ClefByRow[row]); clef && IsPercussionClef(clef->Fields.Kind))
      return false;
  }
  Begin(e, e.Box, mark.Fields.Color, TQSActiveTest::StaffIndex, mark);
  UseMusicFont(FontK(16));
  cv_.Brush().Style = bsClear;
  const int signDistance = W(5), y0 = box_.Top + W(7) + W(8);
  const int kind = mark.Fields.Kind;
  // Kind 0 cancels the key it follows, whose kind the layout left in the mark.
  const int code = kind == 0 ? mark.LayoutByte : kind;
  const bool flats = code >= 10;
  const uint8_t glyph = kind == 0 ? glyphs::AccidentalNatural : flats ? glyphs::AccidentalFlat : glyphs::AccidentalSharp;
  // The first sign is always drawn; a key has at most seven.
  const int count = std::clamp(flats ? code - 10 : code, 1, 7);
  const int* steps = flats ? kFlatSteps : kSharpSteps;
  for (int i = 0; i < count; ++i) {
    const int s = steps[i];
    const int y = y0 + (s / 2) * ls_ + (s % 2 != 0 ? (s < 0 ? -Half(ls_) : Half(ls_)) : 0);
    Glyph(box_.Left + i * signDistance, y, glyph, c_.GlyphQuality);
  }
  return true;
}

bool TQSMeasureRenderer::DrawTimeSignature(const TQSCalcItem& e, const TQSMark& mark) {
  Begin(e, e.Box, mark.Fields.Color, TQSActiveTest::Part, mark);
  cv_.Brush().Style = bsClear;
  const uint16_t value = mark.Fields.Value;
  const uint8_t style = mark.Fields.Style;
  if (value == MakeMeter(4, 4) && style == 1) {
    UseMusicFont(FontK(16));
    Glyph(box_.Left, Mid(), glyphs::TimeSigCommon, c_.GlyphQuality);
  } else if (IsCutTime(value, style)) {
    UseMusicFont(FontK(16));
    Glyph(box_.Left, Mid(), glyphs::TimeSigCutCommon, c_.GlyphQuality);
  } else {
    UseFont(MarkFont(mark, c_), FontK(9), fsBold);
    const int g = W(2), H = cv_.TextHeight(std::string_view("A"));
    auto centred = [&](int y, const std::string& s) {
      cv_.TextOut(box_.Left + (box_.Width() - cv_.TextWidth(std::string_view(s))) / 2, y, std::string_view(s));
    };
    centred(Mid() - H + g, std::to_string(MeterNumerator(value)));
    centred(Mid() - g, std::to_string(MeterDenominator(value)));
    cv_.Font().Style = 0;
  }
  cv_.Brush().Style = bsSolid;
  return true;
}

bool TQSMeasureRenderer::DrawTempo(const TQSCalcItem& e, const TQSMark& mark) {
  Begin(e, e.Box, mark.Fields.Color, TQSActiveTest::Never, mark);
  UseMusicFont(FontK(16));
  const auto glyph = static_cast<uint8_t>(glyphs::NoteheadWhole + mark.Fields.Kind);
  const int y = mark.Fields.Kind == 0 ? box_.Top + c_.Width8 : box_.Top + 2 * c_.Width8 + c_.Width2;
  Glyph(box_.Left, y, glyph, c_.GlyphQuality);
  const int glyphWidth = cv_.TextWidth(MusicGlyph(c_, glyph));
  UseFont(c_.TextFontName, FontK(8), cv_.Font().Style);
  Text(box_.Left + glyphWidth + c_.Width1, box_.Top, "=" + std::to_string(mark.Fields.Value));
  return true;
}

bool TQSMeasureRenderer::DrawMeasureNumber(const TQSCalcItem& e, const TQSMark& mark) {
  if (c_.PreviewPrintOrExport() && !c_.PrintMeasureNumbers) return false;
  Begin(e, e.Box, mark.Fields.Color, TQSActiveTest::Never, mark);
  UseFont(MarkFont(mark, c_), FontK(7));
  const std::string number = std::to_string(c_.Slot->Number);
  DrawFontGlyph(c_, box_.Left, box_.Top + c_.Width8, std::u16string(number.begin(), number.end()), 4);
  return true;
}

bool TQSMeasureRenderer::DrawRehearsal(const TQSCalcItem& e, const TQSMark& mark) {
  Begin(e, e.Box, mark.Fields.Color, TQSActiveTest::Never, mark);
  cv_.Brush().Style = bsClear;
  UseFont(MarkFont(mark, c_), FontK(10), cv_.Font().Style);
  const int n = c_.Slot->RehearsalNumber;
  const bool numbers = (mark.Fields.Style & TQSMark::kRehearsalCountMask) == TQSMark::kRehearsalNumbers;
  const std::string text = numbers ? std::to_string(n) : IntToLetters(n - 1);
  const int frameWidth = c_.Width1;
  const TRect frame{box_.Left + frameWidth, box_.Top + frameWidth, box_.Right - frameWidth, box_.Bottom - frameWidth};
  cv_.Pen().Width = frameWidth;
  switch (mark.Frame()) {
    case TQSMark::kFrameEllipse: cv_.Ellipse(frame); break;
    case TQSMark::kFrameNone: break;
    default: cv_.Rectangle(frame); break;
  }
  cv_.TextOut(box_.Left + (box_.Width() - cv_.TextWidth(std::string_view(text))) / 2, box_.Top + frameWidth,
              std::string_view(text));
  return true;
}

}  // namespace qs
