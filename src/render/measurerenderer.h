#pragma once
// Drawing the contents of one measure slot: in a first pass what lies under
// everything else (ledger lines, part barlines, stems and beams), in a
// second pass each item element by its kind, with the colour, size and
// selection rules every element shares.
#include <cstdint>
#include <string>

#include "base/geometry.h"
#include "platform/canvas.h"
#include "render/paintcontext.h"
#include "score/item.h"

namespace qs {

class TQSNote;
class TQSPause;
class TQSMark;
class TQSLiga;
class TQSBend;
class TQSFrame;
class TQSLyric;
class TQSChord;
struct TQSCalcItem;

// Draws the context's current slot. The page painter calls it once per
// slot after the staff lines, with the rows' painted spacing stored.
void DrawMeasureContent(TQSPaintContext& c);

// Which drawing an item kind belongs to.
enum class TQSKindGroup : uint8_t {
  None,
  Accolade,  // 1
  Signs,     // clefs, key and time signatures, tempo, measure numbers, rehearsal marks
  Notes,     // heads, rests, dots, accidentals, repeat signs, multi-measure rests
  Curves,    // ties and slurs, tuplets, dynamics and hairpins
  Marks,     // ornaments, articulations and technique marks
  Guitar,    // chord frames, bends, barres, flageolets
  Sections,  // section barlines, repeats, jumps, voltas, ottavas, user symbols
  Texts,     // chord symbols, lyrics, terms, instrument names
};
TQSKindGroup KindGroupOf(TQSItemType kind);

// Which of the cursor's indexes an item must match to keep its colour
// when only the active voice is shown.
enum class TQSActiveTest : uint8_t {
  Never,              // never grey
  StaffVoice,         // staff and voice (of the item, or of the note it belongs to), part, piece
  ItemStaff,          // staff of the item, part, piece
  StaffIndex,         // index of the row's staff, part, piece
  RowStaffAndVoice,   // index of the row's staff, voice of the item, part, piece
  Part,               // part and piece
  Voice,              // voice of the item, part, piece
};
TQSActiveTest ActiveTestOf(TQSItemType kind);

// The colour stored in an item; black for kinds without one.
TColor ItemColor(const TQSItem& item);

class TQSMeasureRenderer {
 public:
  explicit TQSMeasureRenderer(TQSPaintContext& c);
  void Draw();

 private:
  // ---------------------------------------------------------------- frame
  // Takes the element's row spacing, size percent and pixel box.
  void Begin(const TQSCalcItem& e, const TRect& units);
  // The same, and puts the item's colour (grey when subject fails the
  // kind's active-voice test) on pen, brush and font; returns it.
  TColor Begin(const TQSCalcItem& e, const TRect& units, TColor color, TQSActiveTest test, const TQSItem& subject);
  // The same with a one-pixel pen and a solid brush, for filled figures.
  void BeginFilled(const TQSCalcItem& e, const TRect& units, TColor color, TQSActiveTest test, const TQSItem& subject);
  // Wk(p): the element's width k at its size percent; W05/W15 the half and
  // one and a half width. FontK(k): font size k at its size percent.
  int W(int k) const;
  int W05() const;
  int W15() const;
  // The line pens of the context at the element's size percent.
  int HairlinePen() const { return W05(); }
  int LinePen() const { return W(1); }
  int ThickLinePen() const { return W(2); }
  int FontK(int k) const;
  bool IsActive(const TQSCalcItem& e, TQSActiveTest test, const TQSItem& item) const;
  // The item's colour, grey when it fails its kind's active-voice test.
  TColor Shade(const TQSCalcItem& e, TColor color, TQSActiveTest test, const TQSItem& subject) const;
  // Pen, brush and font in one colour.
  void UseColor(TColor color);
  void UseFont(const std::string& name, int size, TFontStyles style = 0);
  void UseMusicFont(int size) { UseFont(c_.MusicFontName, size); }
  void Glyph(int x, int y, uint8_t code, uint8_t quality);
  void Text(int x, int y, const std::string& text);
  void FillPolygon(std::initializer_list<TPoint> points);
  int Mid() const { return (box_.Top + box_.Bottom) / 2; }
  int Half(int v) const { return v >> 1; }

  // ---------------------------------------------------------- first pass
  void DrawLedgerLines(const TQSCalcItem& e, const TQSNote& note);
  void DrawPartBarline(const TQSCalcItem& e);
  void DrawStem(const TQSCalcItem& e);
  void DrawBeam(const TQSCalcItem& e);

  // --------------------------------------------------------- second pass
  // Each returns false when it drew nothing (no selection mark then).
  bool DrawItem(const TQSCalcItem& e);
  bool DrawAccoladeItem(const TQSCalcItem& e, const TQSMark& mark);
  // Clefs, signatures, tempo, numbers.
  bool DrawClef(const TQSCalcItem& e, const TQSMark& mark);
  bool DrawKeySignature(const TQSCalcItem& e, const TQSMark& mark);
  bool DrawTimeSignature(const TQSCalcItem& e, const TQSMark& mark);
  bool DrawTempo(const TQSCalcItem& e, const TQSMark& mark);
  bool DrawMeasureNumber(const TQSCalcItem& e, const TQSMark& mark);
  bool DrawRehearsal(const TQSCalcItem& e, const TQSMark& mark);
  // Heads, rests and what belongs to them.
  bool DrawNote(const TQSCalcItem& e, const TQSNote& note);
  void DrawTabNote(const TQSCalcItem& e, const TQSNote& note, TColor color);
  bool DrawRest(const TQSCalcItem& e, const TQSPause& rest);
  bool DrawDots(const TQSCalcItem& e, const TQSMark& mark);
  bool DrawAccidental(const TQSCalcItem& e, const TQSMark& mark);
  int DrawSlashes(const TQSMark& mark, int x);
  bool DrawNoteRepeat(const TQSCalcItem& e, const TQSMark& mark);
  bool DrawBarRepeat(const TQSCalcItem& e, const TQSMark& mark);
  bool DrawMultiRest(const TQSCalcItem& e, const TQSMark& mark);
  // Ties and slurs, tuplet brackets, dynamics and hairpins.
  bool DrawTie(const TQSCalcItem& e, const TQSLiga& tie);
  bool DrawTuplet(const TQSCalcItem& e, const TQSMark& mark);
  bool DrawDynamics(const TQSCalcItem& e, const TQSMark& mark);
  // Ornaments, articulations and technique marks.
  bool DrawMark(const TQSCalcItem& e, const TQSMark& mark);
  // The wavy line of trills and vibratos from x0 to the box's right end;
  // amplitude 1 or 2 (times W1 and W2), thin: both passes with the thin pen
  // and no end strokes.
  void DrawZigzag(int x0, int amplitude, bool thin);
  void DrawArpeggio(const TQSMark& mark);
  // A continuation line at mid in a stored pen style, drawn as one-pixel
  // lines as thick as the element's half width.
  void DrawStyledLine(int x1, int x2, uint8_t style);
  // Guitar marks.
  bool DrawBend(const TQSCalcItem& e, const TQSBend& bend);
  bool DrawFrame(const TQSCalcItem& e, const TQSFrame& frame);
  bool DrawBarre(const TQSCalcItem& e, const TQSMark& mark);
  bool DrawFlageolet(const TQSCalcItem& e, const TQSMark& mark);
  bool DrawBarreBracket(const TQSCalcItem& e, const TQSMark& mark);
  // Section barlines, repeats, jumps, voltas, ottavas and user symbols.
  bool DrawSectionMark(const TQSCalcItem& e, const TQSMark& mark);
  bool DrawBarlineMark(const TQSCalcItem& e, const TQSMark& mark);
  void DrawRepeatDots(const TQSCalcItem& e, int cx);
  bool DrawUserSymbol(const TQSCalcItem& e, const TQSMark& mark);
  // Lyrics, terms, instrument names and chord symbols.
  bool DrawStaffText(const TQSCalcItem& e, const TQSLyric& text);
  bool DrawChordSymbol(const TQSCalcItem& e, const TQSChord& chord);

  void Line(int x1, int y1, int x2, int y2);

  TQSPaintContext& c_;
  TCanvas& cv_;
  // Working values of the element being drawn.
  TRect box_;      // pixel box
  int ls_ = 0;     // the row's painted line spacing
  int size_ = 100; // size percent
  // A grab point drawn with the selection frame of a selected element.
  bool hasHandle_ = false;
  TPoint handle_;
  // Set by elements that draw their own selection marks.
  bool ownSelection_ = false;
  // The slope of the last slanted figure drawn.
  long double slope_ = 0;
};

}  // namespace qs
