// A second page of music painted into a bitmap and written as a PNG for
// review: a piano piece with a brace, repeat barlines and voltas, a segno
// and D.S., a tie, slurs, a triplet, dynamics and hairpins, a trill, a
// fermata, accents, staccatos, a mordent, fingerings, an arpeggio, pedal
// marks, an ottava, chord symbols and a term; a guitar song with chord
// frames, a hammer-on, a bend, palm muting, a vibrato, a barre, a
// glissando, a string number, a harmonic with its flageolet mark and
// lyrics; and free page objects: titles, a hatched box of notes, lines
// with arrows, an arc, a pie, a chord segment, a picture, a page number
// and a turned text. The layout records are placed by hand where the
// layout puts them.
#include <gtest/gtest.h>

#include <cmath>

#include "base/text.h"
#include "platform/bitmap.h"
#include "platform/graphics.h"
#include "platform/gui.h"
#include "platform/imagefile.h"
#include "platform/musicglyphs.h"
#include "render_fixture.h"
#include "sample_page.h"
#include "score/pageobjects.h"

namespace qs::test {
namespace {

constexpr int kZoom = 200;
constexpr int kLeft = 640;     // the systems' left edge, units
constexpr int kRight = 6080;   // their right edge
constexpr int kPageWidth = 6400, kPageHeight = 5200;

class TSample2 : public TSamplePage {
 public:
  // Where each piece's rows begin.
  static constexpr int kPianoTop = 960, kPianoLowTop = 1632, kGuitarTop = 2880;

  // A mark drawn as one glyph: centred on x, its baseline at y.
  TQSCalcItem* GlyphMark(TQSMark* m, uint8_t code, int x, int y, int row, int lift = 48) {
    const int g = Units(code);
    return El(m, {x - g / 2, y - lift, x - g / 2 + g, y + lift}, row);
  }
  TQSMark* MarkAt(TQSItemType kind, TQSItemOwner* owner, uint8_t variant, uint16_t value = 0, uint8_t style = 0) {
    TQSMark* m = Mark(kind, owner, variant, value);
    m->Fields.Style = style;
    return m;
  }
  static int HeadTop(const TPlaced& n) { return n.Head->Box.Top; }
  static int HeadBottom(const TPlaced& n) { return n.Head->Box.Bottom; }
  static int HeadX(const TPlaced& n) { return (n.Head->Box.Left + n.Head->Box.Right) / 2; }

  // A tie or slur between two points with the curve offsets the layout
  // gives one that has none: a fifth to a tenth of the length, turned by
  // 20 degrees away from the notes.
  void Curve(const TPlaced& from, TPoint a, TPoint b, bool below, bool slur, int row) {
    auto* t = static_cast<TQSLiga*>(CreateItemByKind(kind::Liga, from.Note));
    t->Fields.Flags = static_cast<uint8_t>((below ? TQSLiga::kBelow : 0) | (slur ? TQSLiga::kSlur : 0));
    const int length = b.X - a.X, n = std::clamp(length / 400, 4, 10), dx = length / n, dy = (b.Y - a.Y) / n;
    const double r = (below ? -20 : 20) * M_PI / 180, c = std::cos(r), s = std::sin(r);
    t->Fields.CurveStartDX = static_cast<int16_t>(std::lround(dx * c + dy * s));
    t->Fields.CurveStartDY = static_cast<int16_t>(std::lround(-dx * s + dy * c));
    t->Fields.CurveEndDX = static_cast<int16_t>(std::lround(-(dx * c - dy * s)));
    t->Fields.CurveEndDY = static_cast<int16_t>(std::lround(-(dx * s + dy * c)));
    const int top = std::min(a.Y + t->Fields.CurveStartDY, b.Y + t->Fields.CurveEndDY);
    const int bottom = std::max(a.Y + t->Fields.CurveStartDY, b.Y + t->Fields.CurveEndDY);
    TQSCalcItem* e = El(t, {a.X, std::min({top, a.Y, b.Y}), b.X, std::max({bottom, a.Y, b.Y})}, row);
    e->Box2 = {a.X, a.Y, b.X, b.Y};
    e->Param2 = static_cast<int16_t>(length);
  }
  // A slur over the heads of stem-down notes, or under stem-up ones.
  void Slur(const TPlaced& first, const TPlaced& last, int row) {
    const bool below = !first.Note->IsStemDown();
    const int y1 = below ? HeadBottom(first) + 16 : HeadTop(first) - 16;
    const int y2 = below ? HeadBottom(last) + 16 : HeadTop(last) - 16;
    Curve(first, {HeadX(first), y1}, {HeadX(last), y2}, below, true, row);
  }
  // A tie from a note to the same pitch further on, over stem-down heads.
  void Tie(const TPlaced& from, int toX, int row) {
    const int y = HeadTop(from) - 8;
    Curve(from, {from.Head->Box.Right + 8, y}, {toX - 8, y}, false, false, row);
  }

  TQSLyric* StaffText(TQSItemType kind, const std::string& text, int size, uint8_t style, int x, int y, int row,
                      bool centred = false) {
    auto* t = static_cast<TQSLyric*>(CreateItemByKind(kind, Measure));
    t->Lines = {text};
    t->Fields.FontSize = static_cast<uint8_t>(size);
    t->Fields.FontStyle = style;
    const int w = TextUnits("Arial", size, Utf8ToUtf16(text), style), h = 8 * (size * 96 / 72) * 115 / 100;
    const int left = centred ? x - w / 2 : x;
    TQSCalcItem* e = El(t, {left, y, left + w, y + h}, row);
    e->Box2 = e->Box;
    return t;
  }
  // A lyric syllable centred under x; a hyphen joins it to the previous
  // syllable when there is one.
  void Syllable(const std::string& text, int x, int y, int row) {
    const int w = TextUnits("Arial", 9, Utf8ToUtf16(text));
    const int h = 8 * 12;
    auto* t = static_cast<TQSLyric*>(CreateItemByKind(kind::Lyric, Measure));
    t->Lines = {text};
    t->Fields.FontSize = 9;
    t->Fields.Flags = 0x10;  // centred
    TRect block{x - w / 2 - 8, y, x + w / 2 + 8, y + h};
    TQSCalcItem* e = El(t, block, row);
    if (hyphenAfter_) {
      const int dash = TextUnits("Arial", 9, u"-");
      const int hx = (previousRight_ + block.Left - dash) / 2;
      t->Fields.Flags |= TQSLyric::kHyphen;
      e->Box = {hx, y, hx + dash, y + h};
    }
    e->Box2 = block;
    previousRight_ = block.Right;
    hyphenAfter_ = false;
  }
  void SyllableWithHyphen(const std::string& text, int x, int y, int row) {
    Syllable(text, x, y, row);
    hyphenAfter_ = true;
  }

  // A chord symbol: its root and, raised and smaller, its extension.
  void ChordSymbol(const std::string& root, const std::string& extension, int x, int y, int row) {
    auto* c = static_cast<TQSChord*>(CreateItemByKind(kind::Chord, Measure));
    c->Patterns.resize(extension.empty() ? 1 : 2);
    c->Patterns[0].Text = root;
    c->Patterns[0].Fields.Size = 11;
    c->Patterns[0].Fields.Style = fsBold;
    c->Patterns[0].Y = 32;
    const int w = TextUnits("Arial", 11, Utf8ToUtf16(root), fsBold);
    if (!extension.empty()) {
      c->Patterns[1].Text = extension;
      c->Patterns[1].Fields.Size = 8;
      c->Patterns[1].StartX = static_cast<int16_t>(w);
      c->Patterns[1].Y = 0;
    }
    El(c, {x - w / 2, y - 80, x + w, y + 80}, row);
  }

  TQSFrame* ChordFrame(int x, int bottom, uint8_t startFret, std::vector<std::pair<uint8_t, uint8_t>> strings,
                       std::vector<uint8_t> barre = {}) {
    auto* f = static_cast<TQSFrame*>(CreateItemByKind(kind::Frame, Measure));
    f->SetStringCount(static_cast<uint8_t>(strings.size()));
    f->SetUsedFretCount(4);
    f->Fields.StartFret = startFret;
    for (size_t i = 0; i < strings.size(); ++i) f->Strings[i] = {0, strings[i].first, strings[i].second};
    for (size_t i = 0; i < barre.size(); ++i) f->Barre[i] = barre[i];
    const int w = 48 * static_cast<int>(strings.size()) + (startFret > 8 ? 64 : startFret > 0 ? 48 : 0);
    const int h = 48 * 4 + 80 + (startFret == 0 ? 16 : 0);
    El(f, {x - w / 2, bottom - h, x - w / 2 + w, bottom}, 0);
    return f;
  }

  void Build() {
    BuildPiano();
    BuildGuitar();
    BuildPageObjects();
  }

 private:
  int previousRight_ = 0;
  bool hyphenAfter_ = false;

  // An instrument name at the left of the system, centred on its rows.
  void InstrumentName(const std::string& name) {
    const int w = TextUnits("Arial", 10, Utf8ToUtf16(name)), h = 8 * 14;
    const int mid = (System->Top + System->Bottom) / 2;
    auto* t = static_cast<TQSLyric*>(CreateItemByKind(kind::InstrumentName, Measure));
    t->Lines = {name};
    t->Fields.FontSize = 10;
    TQSCalcItem* e = El(t, {kLeft - 160 - w, mid - h / 2, kLeft - 160, mid + h / 2}, 0);
    e->Box2 = e->Box;
  }

  int Between() const { return (Bottom(0) + Top(1)) / 2 + 24; }  // dynamics' baseline between the staves

  void BuildPiano() {
    NewPiece({0, -12});
    NewSystem({kPianoTop, kPianoLowTop});
    const int chordY = Top(0) - 5 * S;

    // Measure 1: brace, header, repeat, a slurred phrase tied into the next
    // measure; an arpeggiated chord with the pedal in the bass.
    NewSlot(kLeft, 2240, kLeft);
    InstrumentName("Piano");
    El(Mark(kind::Accolade, Measure, 0), {kLeft - 96, Top(0), kLeft - 16, Bottom(1)}, 0);
    const int start = Header(kLeft + 32, 0);
    El(Mark(kind::RepeatOpen, Column, 0), {start, Top(0), start + 64, Bottom(1)}, 0);
    ContentLeft = start + 96;
    ContentWidth = 2240 - ContentLeft - 160;
    Space({0, 128, 192, 256, 384});
    const TPlaced e5 = Note(0, 0, 6, 2, 128, true);
    const TPlaced d5 = Note(0, 128, 6, 1, 64, true), c5 = Note(0, 192, 6, 0, 64, true);
    Beam({d5, c5}, {0, 0});
    const TPlaced b4 = Note(0, 256, 5, 6, 128, true);
    const TPlaced tied = Note(0, 384, 6, 0, 128, true);
    Slur(e5, c5, 0);
    GlyphMark(MarkAt(kind::Accent, Measure, 3), glyphs::ArticAccentAbove, HeadX(e5), HeadTop(e5) - S, 0);
    El(MarkAt(kind::Staccato, Measure, 0), {HeadX(b4) - 20, HeadTop(b4) - 40, HeadX(b4) + 20, HeadTop(b4) - 8}, 0);
    {
      const int g = TextUnits("Arial", 7, u"2");
      El(MarkAt(kind::Finger, Measure, 2), {HeadX(d5) - g / 2, HeadTop(d5) - 3 * S, HeadX(d5) + g, HeadTop(d5) - S}, 0);
    }
    ChordSymbol("C", "", X(0), chordY, 0);
    StaffText(kind::Term, "dolce", 9, fontstyle::Italic, X(0) + 200, Bottom(0) + 64, 0);
    // The bass: C E G arpeggiated upward, then G.
    const TPlaced c3 = Note(1, 0, 4, 0, 256, false);
    Note(1, 0, 4, 2, 256, false, -1, 0, false);  // E
    const TPlaced g3 = Note(1, 0, 4, 4, 256, false, -1, 0, false);
    c3.Stem->Box.Top = (HeadTop(g3) + HeadBottom(g3)) / 2 - kStemLength;
    El(MarkAt(kind::Arpeggio, Measure, 0, 2, 1),
       {g3.Head->Box.Left - 88, HeadTop(g3) - 24, g3.Head->Box.Left - 48, HeadBottom(c3) + 24}, 1);
    Note(1, 256, 3, 4, 256, false);
    // "Ped." down at the chord, the release sign before the next measure.
    GlyphMark(MarkAt(kind::Pedal, Measure, 1), glyphs::KeyboardPedalPed, X(0) + 32, Bottom(1) + 3 * S - 16, 1);
    GlyphMark(MarkAt(kind::Pedal, Measure, 0), glyphs::KeyboardPedalUp, X(384) + 96, Bottom(1) + 3 * S, 1);
    GlyphMark(MarkAt(kind::Dynamics, Measure, 0), glyphs::DynamicPiano, X(0) - 32, Between(), 0);

    // Measure 2: the tie's end, a triplet, a trill; the bass an octave
    // lower; a crescendo; the segno.
    NewSlot(2240, 3520, 2240);
    Space({0, 128, 171, 213, 256});
    const TPlaced c5b = Note(0, 0, 6, 0, 128, true);
    // The tie runs back across the barline to the note it starts at.
    Tie(tied, c5b.Head->Box.Left, 0);
    const TPlaced t1 = Note(0, 128, 6, 1, 64, true), t2 = Note(0, 171, 6, 2, 64, true), t3 = Note(0, 213, 6, 3, 64, true);
    Beam({t1, t2, t3}, {0, 0, 0});
    {
      TQSMark* triplet = Mark(kind::Tuplet, Measure, 3, 64);
      const int y = HeadTop(t3) - S;
      TQSCalcItem* e = El(triplet, {t1.Head->Box.Left, y - 32, t3.Head->Box.Right, y}, 0);
      e->Box2 = {t1.Head->Box.Left, HeadTop(t1) - S, t3.Head->Box.Right, y};
    }
    const TPlaced g5 = Note(0, 256, 6, 4, 256, true);
    {
      const int g = Units(157), y = Top(0) - 2 * S;
      El(MarkAt(kind::Trill, Measure, 1, 1), {HeadX(g5) - g / 2, y - 48, 3520 - 64, y + 48}, 0);
    }
    GlyphMark(MarkAt(kind::Segno, Column, 0), glyphs::Segno, 2240 + 96, Top(0) - 2 * S, 0);
    ChordSymbol("G", "7", X(0), chordY, 0);
    Note(1, 0, 3, 5, 256, false);
    Note(1, 256, 4, 2, 256, true);
    El(MarkAt(kind::Dynamics, Measure, dynamic::kCrescendo), {X(0) - 32, Between() - 56, X(256) + 160, Between() + 8},
       0);
    El(MarkAt(kind::Ottava, Measure, 1), {X(0) - 32, Bottom(1) + 2 * S, 3520 - 48, Bottom(1) + 3 * S}, 1);

    // Measure 3, the first ending: staccato quarters, a mordent and a
    // fingering; forte, a diminuendo; the repeat closes.
    NewSlot(3520, 4800, 3520, false);
    Space({0, 128, 256, 384});
    const TPlaced g4 = Note(0, 0, 5, 4, 128, false), a4 = Note(0, 128, 5, 5, 128, false);
    const TPlaced b4b = Note(0, 256, 5, 6, 128, true), c5c = Note(0, 384, 6, 0, 128, true);
    for (const TPlaced& n : {g4, a4})
      El(MarkAt(kind::Staccato, Measure, 0), {HeadX(n) - 20, HeadBottom(n) + 8, HeadX(n) + 20, HeadBottom(n) + 40}, 0);
    GlyphMark(MarkAt(kind::Mordent, Measure, 0), glyphs::OrnamentShortTrill, HeadX(b4b), std::min(HeadTop(b4b), Top(0)) - S, 0);
    {
      const int g = TextUnits("Arial", 7, u"5");
      El(MarkAt(kind::Finger, Measure, 5), {HeadX(c5c) - g / 2, HeadTop(c5c) - 3 * S, HeadX(c5c) + g, HeadTop(c5c) - S},
         0);
    }
    Note(1, 0, 4, 0, 512, false);
    GlyphMark(MarkAt(kind::Dynamics, Measure, 6), glyphs::DynamicForte, X(0) - 32, Between(), 0);
    El(MarkAt(kind::Dynamics, Measure, dynamic::kDiminuendo), {X(256) - 32, Between() - 56, 4800 - 96, Between() + 8},
       0);
    El(MarkAt(kind::Volta, Column, 1), {3520, Top(0) - 3 * S, 4800 - 64, Top(0)}, 0);
    El(MarkAt(kind::RepeatClose, Column, 0), {4800 - 64, Top(0), 4800, Bottom(1)}, 0);
    ChordSymbol("F", "", X(0), chordY, 0);

    // Measure 4, the second ending: a held C with a fermata over a low C;
    // pianissimo; D.S.; the end of the piece.
    NewSlot(4800, kRight, 4800 + 160, false);
    Space({0});
    const TPlaced last = Note(0, 0, 6, 0, 512, false);
    GlyphMark(MarkAt(kind::Fermata, Measure, 0), glyphs::FermataAbove, HeadX(last), Top(0) - S, 0);
    Note(1, 0, 3, 0, 512, false);
    GlyphMark(MarkAt(kind::Dynamics, Measure, 1), glyphs::DynamicPP, X(0) - 32, Between(), 0);
    El(MarkAt(kind::Volta, Column, 2), {4800, Top(0) - 3 * S, kRight - 16, Top(0) - 3 * S}, 0);
    {
      const int w = TextUnits("Arial", 8, u"D.S.", fsItalic);
      El(MarkAt(kind::DalSegno, Column, 0), {kRight - w - 16, Top(0) - 5 * S, kRight - 16, Top(0) - 4 * S}, 0);
    }
    El(MarkAt(kind::CompositionEnd, Column, 0), {kRight - 40, Top(0), kRight, Bottom(1)}, 0);
    ChordSymbol("C", "", X(0), chordY, 0);
  }

  void BuildGuitar() {
    NewPiece({0});
    NewSystem({kGuitarTop});
    const int frameBottom = Top(0) - 3 * S, lyricY = Bottom(0) + 4 * S;

    // Measure 1: C major; a hammer-on from D to E; a half-tone bend.
    NewSlot(kLeft, 2240, kLeft);
    InstrumentName("Guitar");
    ContentLeft = Header(kLeft + 32, 0);
    ContentWidth = 2240 - ContentLeft - 160;
    Space({0, 128, 256, 384});
    ChordFrame(X(0), frameBottom, 0, {{255, 0}, {3, 3}, {2, 2}, {0, 0}, {1, 1}, {0, 0}});
    Note(0, 0, 6, 0, 128, true);
    const TPlaced d = Note(0, 128, 6, 1, 128, true), e = Note(0, 256, 6, 2, 128, true);
    Slur(d, e, 0);
    {
      const int g = TextUnits("Arial", 8, u"H"), x = (HeadX(d) + HeadX(e)) / 2;
      El(MarkAt(kind::Hammer, Measure, 0), {x - g / 2, HeadTop(d) - 3 * S, x + g, HeadTop(d) - S}, 0);
    }
    const TPlaced g = Note(0, 384, 5, 4, 128, false);
    {
      auto* bend = static_cast<TQSBend*>(CreateItemByKind(kind::Bend, Measure));
      bend->Fields.Kind = 0;
      bend->Fields.RiseWidth = 96;
      bend->Fields.Height = 144;
      const int bx = g.Head->Box.Right + 8, by = (HeadTop(g) + HeadBottom(g)) / 2;
      TQSCalcItem* el = El(bend, {bx - 32, by - 144 - 64, bx + 96 + 64, by}, 0);
      el->Box2 = {bx, by - 144, bx + 96, by};
    }
    SyllableWithHyphen("Sing", X(0), lyricY, 0);
    Syllable("ing", X(128), lyricY, 0);
    SyllableWithHyphen("soft", X(256), lyricY, 0);
    Syllable("ly", X(384), lyricY, 0);

    // Measure 2: F with a barre; palm-muted eighths; a held A with vibrato.
    NewSlot(2240, 3520, 2240);
    Space({0, 64, 128, 192, 256});
    ChordFrame(X(0), frameBottom, 0, {{1, 1}, {3, 3}, {4, 3}, {2, 2}, {1, 1}, {1, 1}}, {1, 0, 0, 0});
    std::vector<TPlaced> eighths;
    for (int t : {0, 64, 128, 192}) eighths.push_back(Note(0, t, 5, 2, 64, false));
    Beam(eighths, {0, 0, 0, 0});
    El(MarkAt(kind::Muting, Measure, 1, 1), {X(0) - 32, Bottom(0) + S - 32, X(256) - 64, Bottom(0) + S + 64}, 0);
    const TPlaced a = Note(0, 256, 5, 5, 256, false);
    El(MarkAt(kind::Vibrato, Measure, 0), {HeadX(a) - 32, Top(0) - 2 * S - 32, 3520 - 96, Top(0) - 2 * S + 32}, 0);
    Syllable("in", X(0), lyricY, 0);
    Syllable("the", X(128), lyricY, 0);
    SyllableWithHyphen("eve", X(256), lyricY, 0);

    // Measure 3: D at the fifth fret under a barre; a glissando; a string
    // number.
    NewSlot(3520, 4800, 3520);
    Space({0, 128, 256, 384});
    ChordFrame(X(0), frameBottom, 4, {{255, 0}, {1, 1}, {3, 3}, {3, 3}, {3, 3}, {1, 1}});
    const TPlaced d2 = Note(0, 0, 6, 1, 128, true), e2 = Note(0, 128, 6, 2, 128, true);
    {
      // A line rising from the D toward the E.
      TQSMark* gliss = MarkAt(kind::Glissando, d2.Note, 0);
      const int y = (HeadTop(d2) + HeadBottom(e2)) / 2;
      const int x = d2.Head->Box.Right + 12;
      El(gliss, {x, y - 48, x + Units('Z'), y - 16}, 0);
    }
    GlyphMark(MarkAt(kind::StringNumber, Measure, 3), glyphs::GuitarString3, HeadX(e2), Bottom(0) + 2 * S, 0, 64);
    Note(0, 256, 6, 0, 128, true);
    Note(0, 384, 5, 6, 128, true);
    El(MarkAt(kind::Barre, Measure, 5, 1, 0xA0), {X(0) - 32, Top(0) - 2 * S - 64, 4800 - 64, Top(0) - 2 * S + 64}, 0);
    Syllable("ning", X(0), lyricY, 0);
    Syllable("by", X(128), lyricY, 0);
    Syllable("the", X(256), lyricY, 0);
    Syllable("sea", X(384), lyricY, 0);

    // Measure 4: a harmonic at the twelfth fret, then the end.
    NewSlot(4800, kRight, 4800 + 64, false);
    Space({0});
    TPlaced harmonic = Note(0, 0, 6, 2, 512, false);
    harmonic.Note->Fields.HeadStyle = headstyle::Harmonic;
    El(MarkAt(kind::Flageolet, Measure, 11, 1), {X(0) - 64, Top(0) - 2 * S - 64, kRight - 96, Top(0) - 2 * S + 64},
       0);
    El(MarkAt(kind::CompositionEnd, Column, 0), {kRight - 40, Top(0), kRight, Bottom(0)}, 0);
  }

  // ------------------------------------------------------ page objects

  TQSCalcItem* PageElement(TQSItem* item, TRect box) { return AddPageElement(*Page, item, box); }
  TQSText* PageText(std::vector<std::string> lines, int x, int y, int size, uint8_t style, TColor color = clBlack,
                    int angle = 0) {
    auto* t = static_cast<TQSText*>(CreateItemByKind(kind::Text, &Score));
    t->Lines = std::move(lines);
    t->Fields.FontSize = static_cast<uint8_t>(size);
    t->Fields.FontStyle = style;
    t->Fields.Color = color;
    t->Fields.Angle = static_cast<uint16_t>(angle);
    int w = 0;
    for (const auto& l : t->Lines) w = std::max(w, TextUnits("Arial", size, Utf8ToUtf16(l), style));
    const int h = static_cast<int>(t->Lines.size()) * (8 * size * 96 / 72) * 115 / 100;
    t->Fields.X = static_cast<int16_t>(x);
    t->Fields.Y = static_cast<int16_t>(y);
    if (angle == 90) PageElement(t, {x - 24, y - w - 24, x + h + 24, y + 24});
    else PageElement(t, {x - 24, y - 24, x + w + 24, y + h + 24});
    return t;
  }
  int Centred(const std::string& text, int size, uint8_t style) const {
    return kPageWidth / 2 - TextUnits("Arial", size, Utf8ToUtf16(text), style) / 2;
  }
  // A small picture: a warm gradient under a dark diagonal band.
  static std::vector<uint8_t> Picture(int n) {
    const int row = (3 * n + 3) / 4 * 4, size = 54 + row * n;
    std::vector<uint8_t> f(static_cast<size_t>(size), 0);
    auto put32 = [&](int at, int v) {
      for (int i = 0; i < 4; ++i) f[static_cast<size_t>(at + i)] = static_cast<uint8_t>(v >> (8 * i));
    };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, n);
    put32(22, n);
    f[26] = 1;
    f[28] = 24;
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n; ++x) {
        uint8_t* p = &f[static_cast<size_t>(54 + y * row + 3 * x)];
        const bool band = std::abs(x - y) < n / 6;
        p[0] = band ? 60 : static_cast<uint8_t>(40 + 100 * y / n);    // blue
        p[1] = band ? 40 : static_cast<uint8_t>(120 + 100 * x / n);   // green
        p[2] = band ? 90 : 230;                                        // red
      }
    return f;
  }

  void BuildPageObjects() {
    PageText({"Evening Song"}, Centred("Evening Song", 20, fontstyle::Bold), 160, 20, fontstyle::Bold);
    PageText({"for piano and guitar"}, Centred("for piano and guitar", 10, fontstyle::Italic), 400, 10,
             fontstyle::Italic);
    PageText({"Q. Stave"}, kRight - TextUnits("Arial", 9, u"Q. Stave"), 560, 9, 0);
    PageText({"Quillstave 4 review page"}, kPageWidth - 200, 3600, 8, 0, clGray, 90);

    // A box of notes with a hatched ground.
    const int top = 3840;
    auto* box = static_cast<TQSRectangle*>(CreateItemByKind(kind::Rectangle, &Score));
    box->Fields = {static_cast<int16_t>(kLeft), static_cast<int16_t>(top), 2400, 640, 0, 0, 2, 0x804000, 0, {},
                   0xE8D0B0, 7};
    PageElement(box, {kLeft - 24, top - 24, kLeft + 2424, top + 664});
    PageText({"Performance notes"}, kLeft + 96, top + 64, 10, fontstyle::Bold, 0x804000);
    PageText({"Let the arpeggio ring through the pedal.", "Keep the half-tone bend light;",
              "the harmonic sounds at the twelfth fret."},
             kLeft + 96, top + 224, 9, 0, 0x402000);

    // Lines: arrows at both ends; a dot and a diamond.
    auto line = [&](int x1, int y1, int x2, int y2, uint8_t ends, uint8_t penStyle) {
      auto* l = static_cast<TQSLine*>(CreateItemByKind(kind::Line, &Score));
      l->Fields = {static_cast<int16_t>(x1), static_cast<int16_t>(y1), static_cast<int16_t>(x2),
                   static_cast<int16_t>(y2), 0, ends, 1, 0x000080, penStyle};
      PageElement(l, {std::min(x1, x2) - 88, std::min(y1, y2) - 88, std::max(x1, x2) + 88, std::max(y1, y2) + 88});
    };
    line(3280, top + 120, 4000, top + 120, 0x11, psSolid);
    line(3280, top + 480, 4000, top + 280, 0x23, psDash);
    PageText({"lines"}, 3560, top + 560, 8, 0, clGray);

    // An arc, a pie and a chord segment in boxes of 400.
    auto shape = [&](TQSItemType kind, int x, int ax, int ay, int bx, int by, uint32_t fill, uint8_t fillStyle) {
      auto* a = static_cast<TQSArc*>(CreateItemByKind(kind, &Score));
      a->Fields = {static_cast<int16_t>(x), static_cast<int16_t>(top + 80), 400, 400, static_cast<int16_t>(ax),
                   static_cast<int16_t>(ay), static_cast<int16_t>(bx), static_cast<int16_t>(by), 0, 0, 2, 0x303030, 0,
                   {}, fill, fillStyle};
      PageElement(a, {x - 24, top + 56, x + 424, top + 504});
    };
    const int cy = top + 280;
    // The upper half: counter-clockwise from the right to the left.
    shape(kind::Arc, 4240, 4640, cy, 4240, cy, 0, 1);
    // Three quarters: from the top round to the right.
    shape(kind::Pie, 4800, 5000, top + 80, 5200, cy, 0x0080FF, 0);
    // A cap cut off by a chord.
    shape(kind::ChordSegment, 5360, 5760, cy - 80, 5360, cy - 80, 0x40A040, 2);
    PageText({"arc"}, 4380, top + 560, 8, 0, clGray);
    PageText({"pie"}, 4940, top + 560, 8, 0, clGray);
    PageText({"chord"}, 5460, top + 560, 8, 0, clGray);

    // A picture in the title's corner.
    auto* image = static_cast<TQSImage*>(CreateItemByKind(kind::Image, &Score));
    image->Picture.LoadFromBytes(TQSGraphicType::Bitmap, Picture(24));
    image->Fields = {static_cast<int16_t>(kLeft), 96, 384, 384, 0, TQSImage::kStretch, 0};
    PageElement(image, {kLeft - 24, 72, kLeft + 408, 504});

    // The page number.
    auto* number = static_cast<TQSPageMark*>(CreateItemByKind(kind::PageMark, &Score));
    number->Fields.FontSize = 9;
    const int w = TextUnits("Arial", 9, u"-1-");
    number->Fields.X = static_cast<int16_t>(kPageWidth / 2 - w / 2);
    number->Fields.Y = 4880;
    PageElement(number, {kPageWidth / 2 - w / 2 - 24, 4856, kPageWidth / 2 + w / 2 + 24, 5000})->Text = "-1-";
  }

};

TEST(RenderSample, ASecondPageWithMarksTextsAndPageObjects) {
  TSample2 sample;
  sample.Build();
  TBitmap bitmap(kPageWidth * kZoom / 800, kPageHeight * kZoom / 800);
  TCanvas& canvas = bitmap.Canvas();
  std::unique_ptr<TGraphics> graphics;
  if (UseAntiAliasedSurface()) graphics = std::make_unique<TGraphics>(canvas);
  sample.Window.Zoom = kZoom;
  sample.Window.PaintPage(0, canvas, graphics.get(), kZoom, kZoom, 0, 0);
  const std::filesystem::path file = BuildDir() / "render-sample-2.png";
  SaveBitmapToPng(bitmap, file.string());
  EXPECT_TRUE(std::filesystem::exists(file));

  // Filled heads are dark at the centres the layout gave them.
  for (TPoint h : sample.Heads) {
    const int x = h.X * kZoom / 800, y = h.Y * kZoom / 800;
    const TColor c = bitmap.Pixel(x, y);
    EXPECT_LT(GetRValue(c) + GetGValue(c) + GetBValue(c), 3 * 0x60) << x << "," << y;
  }
  // The pie is filled with its colour, orange, but for its open quarter.
  EXPECT_EQ(bitmap.Pixel(4900 * kZoom / 800, 4220 * kZoom / 800), RGB(0xFF, 0x80, 0x00));
  EXPECT_EQ(bitmap.Pixel(5100 * kZoom / 800, 4020 * kZoom / 800), clWhite);
}

}  // namespace
}  // namespace qs::test
