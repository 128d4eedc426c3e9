#include "layout/metrics.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>
#include <string>

#include "base/mathutil.h"
#include "layout/context.h"
#include "platform/musicglyphs.h"
#include "score/marks.h"
#include "score/timing.h"
#include "score/notes.h"
#include "score/pageobjects.h"

namespace qs {

std::vector<TChordRun> ChordFragmentRuns(const std::string& text) {
  std::vector<TChordRun> runs;
  auto digit = [&](size_t i) { return i < text.size() && text[i] >= '0' && text[i] <= '9'; };
  for (size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    uint8_t glyph = 0;
    if (ch == '#') glyph = glyphs::AccidentalSharp;
    if (ch == 'b' && ((i == 1 && text.size() == 2 && text[0] >= 'A' && text[0] <= 'H') ||
                      (digit(i + 1) && (i == 0 || !std::isalpha(static_cast<unsigned char>(text[i - 1]))))))
      glyph = glyphs::AccidentalFlat;
    if (glyph) runs.push_back({std::string(), glyph});
    else if (runs.empty() || runs.back().Glyph) runs.push_back({std::string(1, ch), 0});
    else runs.back().Text += ch;
  }
  return runs;
}

int KeyAccidentalCount(int keyKind) {
  if (keyKind <= 0 || keyKind == 10) return 0;
  return std::min(keyKind < 10 ? keyKind : keyKind - 10, 7);
}

bool KeyHasFlats(int keyKind) { return keyKind > 10; }

int ClefGlyphWidth(TLayoutContext& c, int clefKind, int staffSize) {
  TLayoutFonts& f = c.Fonts;
  f.SetMusicFont(16 * staffSize / 100);
  switch (clefKind) {
    case clef::Treble: return f.GlyphWidth(glyphs::GClef);
    case clef::Bass: return f.GlyphWidth(glyphs::FClef) + 1;
    case clef::Alto: case clef::BaritoneF: case clef::Tenor: case clef::Soprano: case clef::MezzoSoprano:
    case clef::BaritoneC: return f.GlyphWidth(glyphs::CClef) + 3;
    case clef::TrebleOctaveUp: case clef::TrebleOctaveDown: return f.GlyphWidth(glyphs::GClef) + 4;
    case clef::BassOctaveDown: return f.GlyphWidth(glyphs::FClef) + 5;
    case clef::DoubleTreble: return f.GlyphWidth(glyphs::GClef) + 6;
    case clef::Tablature: {
      // The tablature clef is lettered in the text font; the music font
      // the caller chose is restored for the next clef.
      const std::string name = f.Font().Name;
      const int size = f.Size();
      f.SetTextFont(9);
      int width = f.TextWidth("B") + 3;
      f.SetFont(name, size);
      return width;
    }
    case clef::Percussion1: return 8;
    case clef::Percussion2: return 6;
    default: return 0;
  }
}

TClefExtent ClefExtents(int clefKind) {
  switch (clefKind) {
    case clef::Treble: case clef::TrebleOctaveUp: case clef::TrebleOctaveDown: case clef::DoubleTreble:
      return {-96, 96};
    case clef::BaritoneF: case clef::MezzoSoprano: return {48, 48};
    case clef::Tenor: return {-48, -48};
    case clef::Soprano: return {96, 96};
    case clef::BaritoneC: return {-96, -96};
    case clef::Tablature: return {-24, 24};
    default: return {0, 0};
  }
}

uint8_t NoteHeadGlyph(int value) {
  return value >= 2 * kTicksWhole ? glyphs::NoteheadDoubleWhole
         : value == kTicksWhole   ? glyphs::NoteheadWhole
         : value == kTicksHalf    ? glyphs::NoteheadHalf
                                  : glyphs::NoteheadBlack;
}

uint8_t MarkGlyph(int type, int v) {
  switch (type) {
    case kind::Dynamics: return dynamic::IsLetterKind(v) ? static_cast<uint8_t>(dynamic::kFirstGlyph + v) : 0;
    case kind::Trill: return v >= 1 && v <= 4 ? static_cast<uint8_t>(glyphs::OrnamentTrill + v - 1) : 0;
    // Variant 1 is measured by the glyph that is drawn for it.
    case kind::Gruppetto:
      return v == 0   ? glyphs::OrnamentTurn
             : v == 1 ? glyphs::OrnamentTurnInverted
             : v == 2 ? glyphs::OrnamentTurnSlash
             : v == 3 ? glyphs::OrnamentTurnUp
                      : 0;
    case kind::Mordent: return v >= 0 && v <= 3 ? static_cast<uint8_t>(glyphs::OrnamentShortTrill + v) : 0;
    case kind::Fermata:
      return v == 0 ? glyphs::FermataAbove
             : v == 1 ? glyphs::FermataBelow
             : (v >= 5 && v <= 8) ? static_cast<uint8_t>(glyphs::FermataShortAbove + v - 5)
                                  : 0;
    case kind::Accent:
      if (v == 0) return glyphs::ArticMarcatoAbove;
      if (v == 1) return glyphs::ArticMarcatoBelow;
      if (v == 3) return glyphs::ArticAccentAbove;
      return v >= 10 && v <= 23 ? static_cast<uint8_t>(glyphs::ArticTenutoStaccatoAbove + v - 10) : 0;
    case kind::Pedal: return v == 0 ? glyphs::KeyboardPedalUp : v == 1 ? glyphs::KeyboardPedalPed : 0;
    case kind::StringNumber: return v >= 1 && v <= 8 ? static_cast<uint8_t>(glyphs::GuitarString1 + v - 1) : 0;
    case kind::Breath: return glyphs::BreathMarkComma;
    case kind::Bowing: return v == 0 ? glyphs::StringsUpBow : v == 1 ? glyphs::StringsDownBow : 0;
    case kind::HiHat1: return glyphs::PictOpen;
    case kind::HiHat2: return glyphs::PictHalfOpen2;
    default: return 0;
  }
}

uint8_t RestGlyph(int value) {
  switch (value) {
    case 64: return glyphs::Rest8th;
    case 32: return glyphs::Rest16th;
    case 16: return glyphs::Rest32nd;
    case 8: return glyphs::Rest64th;
    case 4: return glyphs::Rest128th;
    default: return glyphs::RestQuarter;
  }
}

int HeadGlyphWidth(TLayoutContext& c, int value, bool small) {
  const uint8_t glyph = NoteHeadGlyph(value);
  if (value >= 2 * kTicksWhole) {
    c.Fonts.SetMusicFont(small ? 88 : 128);
    return c.Fonts.GlyphWidth(glyph);
  }
  return small ? c.Glyph88[glyph] : c.Glyph128[glyph];
}

int KeySignatureWidth(int keyKind) {
  if (keyKind == 0) return 0;
  return KeyAccidentalCount(keyKind) * kKeySignStep + kRoomAfterKey;
}

bool IsCutTime(uint16_t meter, uint8_t style) {
  return style == TQSMark::kMeterCut &&
         (meter == MakeMeter(4, 4) || meter == MakeMeter(2, 4) || meter == MakeMeter(2, 2));
}

int TimeSignatureWidth(TLayoutContext& c, uint16_t meter, uint8_t style) {
  TLayoutFonts& f = c.Fonts;
  if (meter == MakeMeter(4, 4) && style == 1) {
    f.SetMusicFont(128);
    return f.GlyphWidth(glyphs::TimeSigCommon);
  }
  if (IsCutTime(meter, style)) {
    f.SetMusicFont(128);
    return f.GlyphWidth(glyphs::TimeSigCutCommon);
  }
  f.SetTextFont(80);
  f.SetStyle(fontstyle::Bold);
  return std::max(f.TextWidth(std::to_string(MeterNumerator(meter))),
                  f.TextWidth(std::to_string(MeterDenominator(meter))));
}

int ClefOffsetAt(TLayoutContext& c, int rowIndex, int staffVoice, int tick) {
  if (!c.Slot) return 0;
  int kind = -1;
  const int offset = c.Slot->ClefOffsetFor(c.Part, rowIndex, staffVoice, tick, &kind);
  if (kind >= 0) c.PercussionClef = IsPercussionClef(kind);
  return offset;
}

int StaffPosition(int clefOffset, uint8_t pitch) {
  return clefOffset - PitchLine(pitch) + 45;
}

int HeadTop(int position, int staffSpace) { return position * staffSpace / 2 - staffSpace / 2; }

TQSCalcItem* FindNoteElement(TLayoutContext& c, int staffVoice, int tick, int stemBit, bool allowRest) {
  TQSCalcMeasure* slot = c.Slot;
  if (!slot) return nullptr;
  const int staff = StaffOf(static_cast<uint8_t>(staffVoice));
  for (int i = 0; i < slot->ItemCount; ++i) {
    TQSCalcItem* e = slot->Items.At(i);
    if (e->ElementType != element::Item || !e->Item) continue;
    TQSItem* item = e->Item;
    // The slot holds every part's items: only the measure being laid out
    // has the note (another part's staff of the same number does not).
    if (c.Col.Measure && item->GetMeasure() != c.Col.Measure) continue;
    if (item->ItemType == kind::Note && StaffOf(static_cast<uint8_t>(item->StaffVoice())) == staff &&
        item->TimePosition() == tick) {
      TQSCalcItem* result = e;
      for (int j = i + 1; j < slot->ItemCount; ++j) {
        TQSCalcItem* n = slot->Items.At(j);
        if (n->ElementType != element::Item || !n->Item) continue;
        auto* note = dynamic_cast<TQSNote*>(n->Item);
        if (!note || note->ItemType != kind::Note || note->Fields.StaffVoice != item->StaffVoice() ||
            note->Fields.Time != tick || (note->Fields.FlagsA & TQSNote::kStemDown) == stemBit)
          break;
        result = n;
      }
      return result;
    }
    if (allowRest && item->ItemType == kind::Pause &&
        StaffOf(static_cast<uint8_t>(item->StaffVoice())) == staff && item->TimePosition() == tick)
      return e;
  }
  return nullptr;
}

std::array<int, 7> KeyAccidentalsOf(int keyKind) {
  std::array<int, 7> table{};
  const int n = KeyAccidentalCount(keyKind);
  // Flats in the order B E A D G C F, sharps F C G D A E B (steps C = 0).
  static constexpr int kFlats[7] = {6, 2, 5, 1, 4, 0, 3};
  static constexpr int kSharps[7] = {3, 0, 4, 1, 5, 2, 6};
  for (int i = 0; i < n; ++i) {
    if (KeyHasFlats(keyKind))
      table[kFlats[i]] = -1;
    else
      table[kSharps[i]] = 1;
  }
  return table;
}

std::array<int, 7> KeyAccidentals(TLayoutContext& c) {
  TQSCalcMeasure* slot = c.Slot;
  if (!slot || slot->PartCount == 0 || slot->KeyByPart.empty()) return {};
  const int last = static_cast<int>(std::min<size_t>(slot->PartCount, slot->KeyByPart.size())) - 1;
  const auto* key = ClassCast<const TQSMark>(slot->KeyByPart[static_cast<size_t>(std::min(c.PartIndex, last))]);
  return key ? KeyAccidentalsOf(key->Fields.Kind) : std::array<int, 7>{};
}

TPoint RotatePoint(TPoint p, double cosine, double sine) {
  return {Round(p.X * cosine + p.Y * sine), Round(-p.X * sine + p.Y * cosine)};
}

TRect RotatedBox(int left, int top, int w, int h, int angle) {
  const double a = angle * std::numbers::pi / 180.0;
  const double cs = std::cos(a), sn = std::sin(a);
  TRect box{0, 0, 0, 0};
  for (TPoint p : {TPoint{0, h}, TPoint{w, 0}, TPoint{w, h}}) {
    TPoint r = RotatePoint(p, cs, sn);
    box.Left = std::min(box.Left, r.X);
    box.Top = std::min(box.Top, r.Y);
    box.Right = std::max(box.Right, r.X);
    box.Bottom = std::max(box.Bottom, r.Y);
  }
  box.Offset(left, top);
  return box;
}

}  // namespace qs
