#include "render/measurerenderer.h"

#include "base/mathutil.h"
#include "render/glyphtext.h"
#include "render/primitives.h"
#include "score/calcrecords.h"
#include "score/marks.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"

namespace qs {

TQSKindGroup KindGroupOf(TQSItemType kind) {
  switch (kind) {
    case kind::Accolade: return TQSKindGroup::Accolade;
    case kind::Clef: case kind::Key: case kind::Meter: case kind::Tempo: case kind::MeasureNumbering:
    case kind::Rehearsal: return TQSKindGroup::Signs;
    case kind::Note: case kind::Pause: case kind::NoteRepeat: case kind::BarRepeat: case kind::MultiRest:
    case kind::Dot: case kind::Accidental: return TQSKindGroup::Notes;
    case kind::Liga: case kind::Tuplet: case kind::Dynamics: return TQSKindGroup::Curves;
    case kind::Frame: case kind::Bend: case kind::Barre: case kind::Flageolet: case kind::BarreBracket:
      return TQSKindGroup::Guitar;
    case kind::Chord: case kind::Lyric: case kind::Term: case kind::InstrumentName: return TQSKindGroup::Texts;
    case kind::Segno: case kind::Coda: case kind::Ottava: case kind::Volta: return TQSKindGroup::Sections;
    default: break;
  }
  if (kind >= kind::DaCapo && kind <= kind::UserSymbolMark) return TQSKindGroup::Sections;
  if ((kind >= kind::Glissando && kind <= kind::Lift) || (kind >= kind::Arpeggio && kind <= kind::Bracket) ||
      (kind >= kind::Vibrato && kind <= kind::Breath) || (kind >= kind::Muting && kind <= kind::Bowing) ||
      (kind >= kind::Staccato && kind <= kind::Tremolo) || kind == kind::Hand)
    return TQSKindGroup::Marks;
  return TQSKindGroup::None;
}

TQSActiveTest ActiveTestOf(TQSItemType kind) {
  switch (kind) {
    case kind::Note: case kind::Pause: case kind::Liga: case kind::NoteRepeat: case kind::Dot: case kind::Accidental:
    case kind::Glissando: case kind::Fall: case kind::Lift: case kind::Tuplet:
      return TQSActiveTest::StaffVoice;
    case kind::Clef: return TQSActiveTest::ItemStaff;
    case kind::Key: return TQSActiveTest::StaffIndex;
    case kind::BarRepeat: case kind::MultiRest: case kind::Gruppetto: return TQSActiveTest::RowStaffAndVoice;
    case kind::Meter: return TQSActiveTest::Part;
    case kind::Chord: case kind::Lyric: case kind::Term: case kind::InstrumentName: case kind::Frame:
    case kind::Ottava: case kind::Barre: case kind::Flageolet: case kind::BarreBracket: case kind::Hand:
      return TQSActiveTest::Voice;
    default: break;
  }
  if ((kind >= kind::Dynamics && kind <= kind::Breath) || (kind >= kind::Muting && kind <= kind::Bowing) ||
      (kind >= kind::Staccato && kind <= kind::Tremolo))
    return TQSActiveTest::Voice;
  return TQSActiveTest::Never;
}

TColor ItemColor(const TQSItem& item) {
  if (auto* n = dynamic_cast<const TQSNote*>(&item)) return n->Fields.Color;
  if (auto* r = dynamic_cast<const TQSPause*>(&item)) return r->Fields.Color;
  if (auto* m = dynamic_cast<const TQSMark*>(&item)) return m->Fields.Color;
  if (auto* l = dynamic_cast<const TQSLiga*>(&item)) return l->Fields.Color;
  if (auto* t = dynamic_cast<const TQSLyric*>(&item)) return t->Fields.Color;
  if (auto* b = dynamic_cast<const TQSBend*>(&item)) return b->Fields.Color;
  if (auto* ch = dynamic_cast<const TQSChord*>(&item)) return ch->Fields.Color;
  if (auto* f = dynamic_cast<const TQSFrame*>(&item)) return f->Fields.Color;
  return clBlack;
}

void DrawMeasureContent(TQSPaintContext& c) {
  if (!c.Slot || !c.Canvas) return;
  TQSMeasureRenderer(c).Draw();
}

TQSMeasureRenderer::TQSMeasureRenderer(TQSPaintContext& c) : c_(c), cv_(*c.Canvas) {}

void TQSMeasureRenderer::Draw() {
  const TQSCalcMeasure& slot = *c_.Slot;
  // Stems, beams and ledger lines lie under the heads, rests and marks.
  for (int i = 0; i < slot.ItemCount; ++i) {
    const TQSCalcItem* e = slot.Items.At(static_cast<size_t>(i));
    if (!e) continue;
    ls_ = e->Row ? e->Row->PaintValue16 : 0;
    switch (e->ElementType) {
      case element::Item:
        if (auto* note = dynamic_cast<const TQSNote*>(e->Item);
            note && e->Row && e->Row->Staff && !e->Row->Staff->Fields.Tablature)
          DrawLedgerLines(*e, *note);
        break;
      case element::PartBarline: DrawPartBarline(*e); break;
      case element::Stem: DrawStem(*e); break;
      case element::Beam: DrawBeam(*e); break;
      default: break;
    }
  }
  for (int i = 0; i < slot.ItemCount; ++i) {
    const TQSCalcItem* e = slot.Items.At(static_cast<size_t>(i));
    if (!e || e->ElementType != element::Item || !e->Item) continue;
    ls_ = e->Row ? e->Row->PaintValue16 : 0;
    hasHandle_ = false;
    ownSelection_ = false;
    if (DrawItem(*e) && !ownSelection_ && IsElementSelected(c_, *e)) {
      DrawSelectionFrame(c_, box_);
      if (hasHandle_) DrawPointHandle(c_, handle_);
    }
  }
}

bool TQSMeasureRenderer::DrawItem(const TQSCalcItem& e) {
  const TQSItem& item = *e.Item;
  const auto* mark = dynamic_cast<const TQSMark*>(&item);
  switch (KindGroupOf(item.ItemType)) {
    case TQSKindGroup::Accolade:
      return mark && DrawAccoladeItem(e, *mark);
    case TQSKindGroup::Signs:
      if (!mark) return false;
      switch (item.ItemType) {
        case kind::Clef: return DrawClef(e, *mark);
        case kind::Key: return DrawKeySignature(e, *mark);
        case kind::Meter: return DrawTimeSignature(e, *mark);
        case kind::Tempo: return DrawTempo(e, *mark);
        case kind::MeasureNumbering: return DrawMeasureNumber(e, *mark);
        case kind::Rehearsal: return DrawRehearsal(e, *mark);
        default: return false;
      }
    case TQSKindGroup::Notes:
      if (auto* note = dynamic_cast<const TQSNote*>(&item)) return DrawNote(e, *note);
      if (auto* rest = dynamic_cast<const TQSPause*>(&item)) return DrawRest(e, *rest);
      if (!mark) return false;
      switch (item.ItemType) {
        case kind::Dot: return DrawDots(e, *mark);
        case kind::Accidental: return DrawAccidental(e, *mark);
        case kind::NoteRepeat: return DrawNoteRepeat(e, *mark);
        case kind::BarRepeat: return DrawBarRepeat(e, *mark);
        case kind::MultiRest: return DrawMultiRest(e, *mark);
        default: return false;
      }
    case TQSKindGroup::Curves:
      if (auto* tie = dynamic_cast<const TQSLiga*>(&item)) return DrawTie(e, *tie);
      if (!mark) return false;
      return item.ItemType == kind::Tuplet ? DrawTuplet(e, *mark) : DrawDynamics(e, *mark);
    case TQSKindGroup::Marks:
      return mark && DrawMark(e, *mark);
    case TQSKindGroup::Guitar:
      if (auto* bend = dynamic_cast<const TQSBend*>(&item)) return DrawBend(e, *bend);
      if (auto* frame = dynamic_cast<const TQSFrame*>(&item)) return DrawFrame(e, *frame);
      if (!mark) return false;
      switch (item.ItemType) {
        case kind::Barre: return DrawBarre(e, *mark);
        case kind::Flageolet: return DrawFlageolet(e, *mark);
        default: return DrawBarreBracket(e, *mark);
      }
    case TQSKindGroup::Sections:
      return mark && DrawSectionMark(e, *mark);
    case TQSKindGroup::Texts:
      if (auto* text = dynamic_cast<const TQSLyric*>(&item)) return DrawStaffText(e, *text);
      if (auto* chord = dynamic_cast<const TQSChord*>(&item)) return DrawChordSymbol(e, *chord);
      return false;
    case TQSKindGroup::None:
      return false;
  }
  return false;
}

// ------------------------------------------------------------------ frame

void TQSMeasureRenderer::Begin(const TQSCalcItem& e, const TRect& units) {
  ls_ = e.Row ? e.Row->PaintValue16 : 0;
  size_ = e.SizePercent;
  box_ = ScaleRect(c_, units);
}

TColor TQSMeasureRenderer::Begin(const TQSCalcItem& e, const TRect& units, TColor color, TQSActiveTest test,
                                 const TQSItem& subject) {
  Begin(e, units);
  color = Shade(e, color, test, subject);
  UseColor(color);
  return color;
}

void TQSMeasureRenderer::BeginFilled(const TQSCalcItem& e, const TRect& units, TColor color, TQSActiveTest test,
                                     const TQSItem& subject) {
  Begin(e, units, color, test, subject);
  cv_.Pen().Width = 1;
  cv_.Brush().Style = bsSolid;
}

int TQSMeasureRenderer::W(int k) const {
  return RoundRatio(static_cast<long long>(k) * c_.ZoomX * c_.Scale * size_, 1000000);
}
int TQSMeasureRenderer::W05() const {
  return RoundRatio(static_cast<long long>(c_.ZoomX) * c_.Scale * size_, 2000000);
}
int TQSMeasureRenderer::W15() const {
  return RoundRatio(3LL * c_.ZoomX * c_.Scale * size_, 2000000);
}

int TQSMeasureRenderer::FontK(int k) const {
  // A printer renders points at its own resolution: no zoom in print.
  if (c_.Style == wsPrint) return RoundRatio(static_cast<long long>(k) * c_.Scale * size_, 10000);
  return RoundRatio(static_cast<long long>(k) * c_.Scale * c_.ZoomX * size_, 1000000);
}

bool TQSMeasureRenderer::IsActive(const TQSCalcItem& e, TQSActiveTest test, const TQSItem& item) const {
  if (test == TQSActiveTest::Never || !c_.Window) return true;
  const TQSStaff* staff = e.Row ? e.Row->Staff : nullptr;
  const TQSPart* part = staff ? staff->Part() : nullptr;
  const TQSPiece* piece = part ? part->Piece() : nullptr;
  if (!piece) return true;
  const TQSCursorPosition& cur = c_.Window->CursorPosition;
  if (part->Index != cur.Part || piece->Index != cur.Piece) return false;
  const int sv = item.StaffVoice();
  switch (test) {
    case TQSActiveTest::StaffVoice: return StaffOf(sv) == cur.Staff && VoiceOf(sv) == cur.Voice;
    case TQSActiveTest::ItemStaff: return StaffOf(sv) == cur.Staff;
    case TQSActiveTest::StaffIndex: return staff->Index == cur.Staff;
    case TQSActiveTest::RowStaffAndVoice: return staff->Index == cur.Staff && VoiceOf(sv) == cur.Voice;
    case TQSActiveTest::Voice: return VoiceOf(sv) == cur.Voice;
    default: return true;
  }
}

TColor TQSMeasureRenderer::Shade(const TQSCalcItem& e, TColor color, TQSActiveTest test,
                                 const TQSItem& subject) const {
  if (c_.Window && c_.Window->DataStyle == dsActiveVoice && !IsActive(e, test, subject)) return clGray;
  return color;
}

void TQSMeasureRenderer::UseColor(TColor color) {
  cv_.Pen().Color = color;
  cv_.Pen().Style = psSolid;
  cv_.Brush().Color = color;
  cv_.Font().Color = color;
}

void TQSMeasureRenderer::UseFont(const std::string& name, int size, TFontStyles style) {
  cv_.Font().Name = name;
  cv_.Font().SetSize(size);
  cv_.Font().Style = style;
}

void TQSMeasureRenderer::Glyph(int x, int y, uint8_t code, uint8_t quality) {
  DrawFontGlyph(c_, x, y, MusicGlyph(c_, code), quality);
}

void TQSMeasureRenderer::Text(int x, int y, const std::string& text) {
  // Texts over filled shapes keep those shapes visible around them.
  const TBrushStyle style = cv_.Brush().Style;
  cv_.Brush().Style = bsClear;
  cv_.TextOut(x, y, std::string_view(text));
  cv_.Brush().Style = style;
}

void TQSMeasureRenderer::Line(int x1, int y1, int x2, int y2) {
  cv_.MoveTo(x1, y1);
  cv_.LineTo(x2, y2);
}

void TQSMeasureRenderer::FillPolygon(std::initializer_list<TPoint> points) {
  cv_.Pen().Style = psClear;
  cv_.Brush().Style = bsSolid;
  cv_.Polygon(points);
  cv_.Pen().Style = psSolid;
}

// ------------------------------------------------------------ first pass

void TQSMeasureRenderer::DrawPartBarline(const TQSCalcItem& e) {
  Begin(e, e.Box);
  const int correction = e.Row ? e.Row->PaintValue32 : 0;
  cv_.Pen().Width = c_.LinePen;
  cv_.Pen().Color = c_.LineColor();
  cv_.Pen().Style = psSolid;
  const int x = box_.Left + c_.Width2;
  cv_.MoveTo(x, box_.Top);
  cv_.LineTo(x, box_.Bottom + correction);
  if (IsElementSelected(c_, e)) {
    DrawSelectionFrame(c_, box_);
    DrawPointHandle(c_, {(box_.Left + box_.Right) / 2, box_.Bottom});
  }
}

bool TQSMeasureRenderer::DrawAccoladeItem(const TQSCalcItem& e, const TQSMark& mark) {
  Begin(e, e.Box);
  DrawAccolade(c_, mark, box_);
  hasHandle_ = true;
  handle_ = {(box_.Left + box_.Right) / 2, box_.Bottom};
  return true;
}

}  // namespace qs
