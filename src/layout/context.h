#pragma once
// The working state of one layout pass, shared by the pass and every step
// it runs (column items, the column layout of notes, rests and marks,
// system furniture and finishing, page objects). A step takes the context,
// reads the current page, system, slot, part and staff from it and makes
// its elements through NewElement.
#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/canvas.h"
#include "score/calcrecords.h"

namespace qs {

class TQSScore;
class TQSPiece;
class TQSPart;
class TQSStaff;
class TQSMeasure;
class TQSColumn;
class TQSItem;
struct TQSSpacingTables;

// The room a placing step asks for at a tick, in whole pixels at zoom 100:
// the high byte of a Positions entry is the room to the left of the tick,
// the low byte the room to its right. A room only grows and never passes
// 255 (it would spill into the other half).
inline int LeftRoom(uint16_t entry) { return entry >> 8; }
inline int RightRoom(uint16_t entry) { return entry & 0xFF; }

// The first of the ticks from..end-1 of a Positions array that asks for
// room, end when none does. Most ticks ask for none: they are passed over
// sixteen at a time.
inline int NextRoomTick(const uint16_t* positions, int from, int end) {
  int t = from;
  for (; t + 16 <= end; t += 16) {
    uint64_t w[4];
    std::memcpy(w, positions + t, sizeof w);
    if ((w[0] | w[1] | w[2] | w[3]) != 0) break;
  }
  while (t < end && positions[t] == 0) ++t;
  return t;
}

// The measuring canvas of the pass: a font that keeps its name, size and
// style until a step changes them (a style set by one step stays in force
// for the measurements after it).
class TLayoutFonts {
 public:
  void Init(int pixelsPerInch, std::string musicFont, std::string textFont);
  // Sets the face and the size in points (the layout measures at eight
  // times the nominal size, so that pixel widths are layout units).
  void SetFont(const std::string& name, int size);
  void SetMusicFont(int size) { SetFont(music_, size); }
  void SetTextFont(int size) { SetFont(text_, size); }
  void SetStyle(uint8_t style) { font_.Style = style; }
  // Widths in pixels of a UTF-8 text and of one glyph code (a music glyph
  // when the face is the music font, else the character of that code).
  int TextWidth(std::string_view utf8) const;
  int GlyphWidth(uint8_t code) const;
  // The cell height of the face, what "the height of a letter" measures.
  int TextHeight() const;
  const TFont& Font() const { return font_; }
  int Size() const { return size_; }
  const std::string& MusicFontName() const { return music_; }
  const std::string& TextFontName() const { return text_; }

 private:
  TFont font_;
  int size_ = 0;
  std::string music_, text_;
  bool musicFace_ = false;
};

// One row of the accidental stacking table, in pixels left of a chord.
struct TStackRow {
  uint8_t HeadExtent = 0;
  uint8_t AccidentalEdge = 0;
  uint8_t Extent = 0;
};

// The working state of one column layout (one part in one measure). It
// lives for one call; the per-item steps of notes, rests, accidentals and
// marks share it.
struct TColumnState {
  TQSMeasure* Measure = nullptr;
  int StaffIndex = 0;
  // Alteration in force per diatonic step C..B, from the key signature in
  // force and the written accidentals so far.
  std::array<int, 7> Alteration{};
  // Items collected at one tick of the current staff that are placed
  // together beside the note heads, and their tick (-1 none yet).
  std::vector<TQSItem*> ChordList;
  int ChordTick = -1;
  std::array<TStackRow, 128> Stacking{};
  // Head elements of long notes in staves with several voices.
  std::vector<TQSCalcItem*> LongNotes;
  // Per voice: the stem element of the chord being built.
  std::array<TQSCalcItem*, kMaxVoices> OpenStem{};
  // The left room of tick 0 grew while placing symbols beside the heads.
  bool FirstPositionChanged = false;

  void BeginStaff() {
    ChordList.clear();
    ChordTick = -1;
    OpenStem.fill(nullptr);
  }
};

// The top of a staff row, 0 without one.
inline int RowTop(const TQSCalcStaff* row) { return row ? row->Top : 0; }
// Shifts a box down by dy (up when negative).
inline void MoveDown(TRect& box, int dy) {
  box.Top += dy;
  box.Bottom += dy;
}

struct TLayoutContext {
  explicit TLayoutContext(TQSScore& score);

  TQSScore& Score;

  // ------------------------------------------------ settings of the pass
  int Ppi = 96;
  int Scale = 100;
  bool PartView = false;
  int ViewPart = 0;  // part view: the part laid out
  // Page geometry in tenths of a millimetre and in units.
  long double LeftMarginT = 0, TopMarginT = 0, RightEdgeT = 0, BottomLimitT = 0;
  long double IntervalT = 0, LineSpaceT = 0;
  int LeftMargin = 0, TopMargin = 0, RightEdge = 0, BottomLimit = 0;
  // Glyph widths measured once per pass: music font at 128 and at 88.
  std::array<int, 256> Glyph128{};
  std::array<int, 256> Glyph88{};
  TLayoutFonts Fonts;

  // ------------------------------------------------------ running state
  int PieceIndex = 0;
  TQSPiece* Piece = nullptr;
  int MeasureIndex = 0;       // the measure within the piece
  int PageIndex = 0;
  int SystemIndex = 0;        // the system on the page
  int PieceSystemIndex = 0;   // the system of the piece on the page
  int SystemMeasures = 0;     // measures in the current system so far
  int PartIndex = 0;
  TQSPart* Part = nullptr;
  TQSStaff* Staff = nullptr;  // the current staff (its size scales boxes)
  TQSCalcStaff* Row = nullptr;  // the current staff row (new elements' row)
  long double Y = 0;          // top of the next staff, tenths of a millimetre
  int X = 0;                  // running x of the system, units
  int RightLimit = 0;
  int PageRows = 0;           // staff rows on the page so far
  int BoundaryY = 0;
  bool ContentFlag = false;
  int NoteInterval = 0;
  int AlignMode = 0;          // the current system's alignment mode
  long double ExtraGap = 0;   // vertical fill per staff row, tenths
  int LargestStaffSize = 100;
  bool Stop = false, PageBreak = false, NextPiece = false;
  TQSCalcPage* Page = nullptr;
  TQSCalcSystem* System = nullptr;
  TQSCalcMeasure* Slot = nullptr;
  TQSCalcSystemPart* SystemPart = nullptr;
  int StaffSpace = 48;        // of the current staff
  int TabLineDistance = 64;   // tablature line distance of the current staff
  int PageElements = 0;       // elements made on the page for page objects
  int MusicEndPage = -1;      // the page where the last piece ended, -1 not yet
  // Pages that hold fewer systems than their staves leave room for: a
  // system that no longer fitted once the systems moved apart starts the
  // next page (page -> systems it holds). Kept over the pass's restarts.
  std::map<int, int>* SystemsOnPage = nullptr;
  int RestartPage = -1;       // the page to lay out again with its new count, -1 none

  // ---------------------------------------------- per-measure state
  int SystemEndX = 0;
  int AccoladeWidth = 0;
  int AccoladeCover = 0;      // parts still covered by an enclosing accolade
  int AccoladeOffset = 0;     // where the accolades of covered parts stand
  bool FirstMeasureOfPage = false;
  bool VisitMade = false;
  int OwnVisit = 0;           // index of the measure's visit once VisitMade
  int LastTempoTick = 0;
  int MultiRestExtra = 0;
  bool MidMeasureBarline = false;
  bool EndBarline = false;
  bool PercussionClef = false;
  int NamesWidth = 0;         // widest instrument name of measure 0 (units)
  int WidestHeaderClef = 0;
  int HeaderRow = 0;          // row index walked by the system-start header
  uint16_t MeterInForce = kFallbackMeter;
  int RehearsalCounter = 0;   // number given to the next rehearsal mark
  TColumnState Col;
  // Events a step put into another slot than the current one, taken out
  // again when the measure moves on to the next system.
  std::vector<std::pair<TQSCalcMeasure*, TQSCalcEvent*>> ForeignEvents;

  // ------------------------------------------------------------ helpers
  // The next element of the current slot, reset to its initial state: the
  // item's layout link is cleared; with setFlag the measure's content flag
  // takes content.
  TQSCalcItem* NewElement(TQSItem* item, bool content, bool setFlag);
  // The same, chained in front of the item's earlier elements.
  TQSCalcItem* NewChainedElement(TQSItem* item, bool content, bool setFlag);
  // Size percent of the current staff (100 without one).
  int StaffSize() const;
  int StaffSizeOf(const TQSStaff* staff) const;
  // v x Scale x size / 10000, unchanged at 100 and 100.
  int Scaled(int v) const { return ScaledBy(v, StaffSize()); }
  int ScaledBy(int v, int size) const;
  int ScoreScaled(int v) const;  // v x Scale / 100
  // Boxes relative to a tick and a row, scaled for the current staff or
  // for the score only. Right holds a width.
  TRect StaffBox(int x, int top, int width, int bottom) const;
  TRect ScoreBox(int x, int top, int width, int bottom) const;
  // Staff space and tablature line distance of a staff of the given size.
  int StaffSpaceAt(int size) const;
  int TabDistanceAt(int size) const;
  // Makes a staff current: its size, StaffSpace and TabLineDistance.
  void SetStaff(TQSStaff* staff);
  // Tenths of a millimetre to units.
  int Units(long double tenths) const;
  // The spacing tables of the composition view (the piece's) or of the
  // part view (the viewed part's).
  const TQSSpacingTables* Tables() const;
  // Entry index of a spacing table, 0 beyond it.
  static int TableValue(const std::vector<int16_t>& table, int index);
  // The row of the page at index (nullptr beyond the rows of the page).
  TQSCalcStaff* PageRow(int index) const;
  // The row of staff `staff` of the current part in the current system
  // (nullptr when the system has no such row).
  TQSCalcStaff* PartRow(int staff) const;
  // The column of the current piece at the current measure number.
  TQSColumn* Column() const;
  // Room bytes of Positions: grow to at least the value, never above 255.
  void RaiseLeftRoom(int tick, int room);
  void RaiseRightRoom(int tick, int room);
  // The spacing rule of every timed item: left and right room at its tick
  // (a right room spread over the ticks it sounds with proportional
  // spacing); nothing with a fixed count of measures per line.
  void PlaceTimedRooms(int tick, int length, int left, int right);
  bool FixedMeasureCount() const { return AlignMode > 100; }
  // The parts laid out: the viewed one in part view, else every part of
  // the piece.
  std::vector<int> LaidOutParts() const;
  // The system record of part index p in the current system, nullptr when
  // the part is not laid out in it.
  TQSCalcSystemPart* SystemPartOf(int p) const;
  // The tick a placed item stands at (a grace note: its group's tick).
  static int AnchorTick(const TQSItem* item);
};

// One slot of a finished system while its elements are placed on the page:
// element boxes come relative to their tick and become absolute.
struct TPlacement {
  TLayoutContext& c;
  TQSCalcMeasure* Slot;
  int SlotIndex;

  int Left() const { return Slot->Box.Left; }
  // The x of a tick of the slot.
  int X(int tick) const;
  // The width of the slot's clef, key and time signature.
  int Header() const { return Slot->ClefWidth + Slot->KeyWidth + Slot->MeterWidth; }
  // A box whose Right holds its width moves right by dx; Right becomes its
  // right edge.
  static void MoveByWithWidth(TRect& box, int dx) {
    box.Left += dx;
    box.Right += box.Left;
  }
};

}  // namespace qs
