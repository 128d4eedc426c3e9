// Note heads and tablature frets, rests, dots, accidentals, note and bar
// repeat signs and multi-measure rests.
#include <string>

#include "layout/metrics.h"
#include "platform/fonts.h"
#include "platform/musicglyphs.h"
#include "render/glyphtext.h"
#include "render/measurerenderer.h"
#include "render/primitives.h"
#include "score/accidentals.h"
#include "score/calcrecords.h"
#include "score/marks.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/timing.h"

namespace qs {

namespace {

bool IsGrace(const TQSNote& note) { return note.GraceGroup() != nullptr; }

// The head glyph of the music-font head styles.
uint8_t HeadGlyph(int headStyle, int length) {
  if (headStyle == headstyle::Harmonic) return length <= kTicksQuarter ? glyphs::NoteheadDiamondBlack : glyphs::NoteheadDiamondHalf;
  return NoteHeadGlyph(length);
}

// The glyph of an accidental kind and its baseline below the box top in
// units of u (the sixth width): 8 = 2u, 6 = u + u/2, 7 = u + u/2 + u/4,
// 2 = u/2.
struct TAccidentalGlyph {
  uint8_t Code;
  int Quarters;
};
TAccidentalGlyph AccidentalGlyph(int kind) {
  const uint8_t code = accidental::Glyph(kind);
  if (!code) return {0, 0};
  if (accidental::IsFlatShaped(kind)) return {code, 8};
  if (kind == accidental::DoubleSharp) return {code, 2};
  if (kind == accidental::NaturalFlat) return {code, 7};
  return {code, 6};
}

int AccidentalOffset(int u, int quarters) {
  switch (quarters) {
    case 8: return 2 * u;
    case 6: return u + (u >> 1);
    case 7: return u + (u >> 1) + (u >> 2);
    case 2: return u >> 1;
    default: return 0;
  }
}

// A rest stands for a whole measure when the layout hangs it from the
// second line like a whole rest: a measure-filling rest outside a short
// upbeat measure.
bool DrawnAsWholeRest(const TQSPause& rest, const TQSCalcMeasure& slot, const TQSCalcItem& e) {
  if (rest.Fields.Length == kTicksWhole) return true;
  if (rest.Fields.Length != slot.Length) return false;
  if (slot.MeasureIndex != 0) return true;
  const TQSPiece* piece = e.Row && e.Row->Staff && e.Row->Staff->Part() ? e.Row->Staff->Part()->Piece() : nullptr;
  return !piece || UpbeatLength(piece->Auftakt()) < kTicksHalf;
}

}  // namespace

bool TQSMeasureRenderer::DrawNote(const TQSCalcItem& e, const TQSNote& note) {
  const TColor color = Begin(e, e.Box, note.Fields.Color, TQSActiveTest::StaffVoice, note);
  const TQSStaff* staff = e.Row ? e.Row->Staff : nullptr;
  const int left = box_.Left, top = box_.Top, right = box_.Right, bottom = box_.Bottom;
  if (staff && staff->Fields.Tablature) {
    DrawTabNote(e, note, color);
  } else if (note.Fields.HeadStyle == headstyle::Slash) {
    // A slash head.
    FillPolygon({{left, bottom}, {left, top + Half(ls_)}, {right, top}, {right, bottom - Half(ls_)}});
    return true;
  } else {
    const int style = note.Fields.HeadStyle;
    cv_.Brush().Style = bsClear;
    UseMusicFont(note.IsSmall() || IsGrace(note) ? FontK(11) : FontK(16));
    std::u16string glyph;
    if (!headstyle::IsDrum(style)) {
      glyph = MusicGlyph(c_, HeadGlyph(style, note.Fields.Length));
    } else if (const TQSDrumInstrument* drum = c_.Score ? c_.Score->GetDrumInstrument(style - headstyle::FirstDrum) : nullptr) {
      cv_.Font().Name = drum->FontName;
      cv_.Font().SetSize(cv_.Font().Size() * drum->Size / 100);
      glyph = FontGlyphText(drum->FontName, drum->GlyphByte);
    } else {
      glyph = MusicGlyph(c_, glyphs::NoteheadXBlack);
    }
    // Another voice draws the same head.
    if (e.Flags & 1) return true;
    TFont font = cv_.Font();
    font.Width = 0;
    font.Style = 0;
    font.Escapement = font.Orientation = 0;
    font.Charset = 1;
    font.Quality = c_.Window && c_.Window->Zoom >= 50 ? 4 : 0;
    // The head hangs left of a stem that stands on its right.
    int x = left;
    if (!note.IsStemDown()) {
      const TFont saved = cv_.Font();
      cv_.Font() = font;
      x = right - cv_.TextWidth(glyph);
      cv_.Font() = saved;
    }
    WriteAtBaseline(cv_, font, x, top + W(3), glyph);
  }
  if (const int enclosure = note.Enclosure())
    DrawEnclosure(c_, enclosure, left - c_.Width3, top - c_.Width4, right + c_.Width1, top - c_.Width4);
  return true;
}

void TQSMeasureRenderer::DrawTabNote(const TQSCalcItem& e, const TQSNote& note, TColor color) {
  const TQSStaff& staff = *e.Row->Staff;
  // The fret number stands on a patch of paper that hides the string.
  cv_.Brush().Color = c_.PageColor;
  cv_.Brush().Style = bsSolid;
  cv_.FillRect(box_);
  TRect r = box_;
  const bool grace = IsGrace(note);
  UseFont(c_.TextFontName, grace ? FontK(5) : FontK(7));
  if (!grace) r.Left += 1;
  const int fret = note.Fields.TabFret;
  cv_.TextOut(r.Left, r.Top - c_.Width1, std::string_view(fret == 0 ? std::string("N") : std::to_string(fret - 1)));
  if (note.Fields.Length > kTicksQuarter && staff.Fields.Stems) {
    cv_.Pen().Width = c_.HairlinePen;
    cv_.Pen().Color = color;
    cv_.Brush().Style = bsClear;
    const int ex = ((r.Bottom - r.Top) - (r.Right - r.Left)) / 2;
    cv_.Ellipse(r.Left - ex - c_.Width1, r.Top - c_.Width1, r.Left - ex + r.Bottom - r.Top + c_.Width2,
                r.Bottom + c_.Width2);
  }
}

bool TQSMeasureRenderer::DrawRest(const TQSCalcItem& e, const TQSPause& rest) {
  Begin(e, e.Box);
  if (rest.IsHidden()) return true;
  Begin(e, e.Box, rest.Fields.Color, TQSActiveTest::StaffVoice, rest);
  const int left = box_.Left, top = box_.Top, right = box_.Right, bottom = box_.Bottom;
  const int enclosure = rest.Enclosure();
  const bool whole = DrawnAsWholeRest(rest, *c_.Slot, e);
  if (whole || rest.Fields.Length == kTicksHalf) {
    cv_.Brush().Style = bsSolid;
    cv_.FillRect(box_);
    // Outside the staff a stroke of a ledger line carries it.
    if (e.State == 1) {
      if (whole) cv_.FillRect({left - c_.Width3, top - c_.Width1, right + c_.Width3, top});
      else cv_.FillRect({left - c_.Width3, bottom, right + c_.Width3, bottom + c_.Width1});
    }
    if (enclosure) DrawEnclosure(c_, enclosure, left - c_.Width3, top - c_.Width4, right + c_.Width1, top - c_.Width4);
  } else {
    UseMusicFont(FontK(16));
    Glyph(left, top + ls_ + Half(ls_), RestGlyph(rest.Fields.Length), c_.GlyphQuality);
    if (enclosure) DrawEnclosure(c_, enclosure, left - c_.Width3, top, right + c_.Width1, top);
  }
  return true;
}

bool TQSMeasureRenderer::DrawDots(const TQSCalcItem& e, const TQSMark& mark) {
  const auto* holder = dynamic_cast<const TQSItem*>(mark.Owner());
  if (auto* rest = dynamic_cast<const TQSPause*>(holder); rest && rest->IsHidden()) return false;
  BeginFilled(e, e.Box, mark.Fields.Color, TQSActiveTest::StaffVoice, holder ? *holder : mark);
  const int r = W(1), mid = Mid();
  int x = box_.Left + W(2);
  for (int i = 0; i <= mark.Fields.Value; ++i) {
    cv_.Ellipse(x - r, mid - r, x + r, mid + r);
    x += W(5);
  }
  return true;
}

bool TQSMeasureRenderer::DrawAccidental(const TQSCalcItem& e, const TQSMark& mark) {
  const auto* note = dynamic_cast<const TQSNote*>(mark.Owner());
  Begin(e, e.Box, note ? note->Fields.Color : mark.Fields.Color, TQSActiveTest::StaffVoice,
        note ? static_cast<const TQSItem&>(*note) : mark);
  UseMusicFont(note && IsGrace(*note) ? FontK(11) : FontK(16));
  const TAccidentalGlyph g = AccidentalGlyph(mark.Fields.Kind);
  const int offset = AccidentalOffset(W(6), g.Quarters);
  Glyph(box_.Left, box_.Top + offset, g.Code, c_.GlyphQuality);
  if (const int enclosure = mark.Frame()) {
    const int y = box_.Top + offset - c_.Width6 - c_.Width1;
    DrawEnclosure(c_, enclosure, box_.Left - c_.Width3, y, box_.Right, y);
  }
  return true;
}

int TQSMeasureRenderer::DrawSlashes(const TQSMark& mark, int x) {
  const int s = W15(), a = W(6), mid = Mid();
  for (int i = 0; i <= mark.Fields.Kind; ++i) {
    cv_.Polygon({{x, mid + ls_}, {x + s, mid + ls_}, {x + 2 * a + s, mid - ls_}, {x + 2 * a, mid - ls_}});
    x += W(4);
  }
  return x;
}

bool TQSMeasureRenderer::DrawNoteRepeat(const TQSCalcItem& e, const TQSMark& mark) {
  BeginFilled(e, e.Box, mark.Fields.Color, TQSActiveTest::StaffVoice, mark);
  DrawSlashes(mark, box_.Left);
  return true;
}

bool TQSMeasureRenderer::DrawBarRepeat(const TQSCalcItem& e, const TQSMark& mark) {
  BeginFilled(e, e.Box, mark.Fields.Color, TQSActiveTest::RowStaffAndVoice, mark);
  const int a = W(6), mid = Mid();
  cv_.Ellipse(box_.Left + W(2), mid - a, box_.Left + a, mid - W(2));
  const int x = DrawSlashes(mark, box_.Left);
  cv_.Ellipse(x + W(3), mid + W(2), x + a + W(1), mid + a);
  return true;
}

bool TQSMeasureRenderer::DrawMultiRest(const TQSCalcItem& e, const TQSMark& mark) {
  BeginFilled(e, e.Box2, mark.Fields.Color, TQSActiveTest::RowStaffAndVoice, mark);
  const int n = mark.Fields.Value;
  const int left = box_.Left, top = box_.Top, right = box_.Right, bottom = box_.Bottom;
  const int half = Half(ls_), frame = W(1);
  auto fill = [this](int l, int tp, int r, int b) { cv_.FillRect({l, tp, r, b}); };
  switch (n) {
    case 2: fill(left, bottom - ls_, right, bottom); break;
    case 3: fill(left, bottom - ls_, left + half, bottom); fill(left + ls_, bottom - ls_, right, bottom - half); break;
    case 4: fill(left, bottom - 2 * ls_, right, bottom); break;
    case 5:
      fill(left, bottom - 2 * ls_, left + half, bottom);
      fill(left + ls_, bottom - 2 * ls_, right, bottom - ls_ - half);
      break;
    case 6:
      fill(left, bottom - 2 * ls_, left + half, bottom);
      fill(left + ls_, bottom - 2 * ls_, right, bottom - ls_);
      break;
    case 7:
      fill(left, bottom - 2 * ls_, left + half, bottom);
      fill(left + ls_, bottom - 2 * ls_, left + ls_ + half, bottom - ls_);
      fill(left + 2 * ls_, bottom - 2 * ls_, right, bottom - ls_ - half);
      break;
    case 8: fill(left, bottom - 2 * ls_, left + half, bottom); fill(left + ls_, bottom - 2 * ls_, right, bottom); break;
    case 9:
      fill(left, bottom - 2 * ls_, left + half, bottom);
      fill(left + ls_, bottom - 2 * ls_, left + ls_ + half, bottom);
      fill(left + 2 * ls_, bottom - 2 * ls_, right, bottom - ls_ - half);
      break;
    default:
      fill(left, top, left + frame, bottom);
      fill(right - frame, top, right, bottom);
      fill(left + frame, top + frame, right - frame, bottom - frame);
      break;
  }
  UseFont(c_.TextFontName, FontK(9), fsBold);
  const std::string count = std::to_string(n);
  Text(left + (right - left - cv_.TextWidth(std::string_view(count))) / 2, top - cv_.TextHeight(std::string_view("A")),
       count);
  cv_.Font().Style = 0;
  // The selection frame goes round the number's box.
  box_ = ScaleRect(c_, e.Box);
  return true;
}

}  // namespace qs
