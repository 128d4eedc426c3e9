#pragma once
// The steps the layout pass runs, each on the pass's context. Every group
// lives in a file of its own:
//   pass.cpp        pages, systems, staff rows and the measure loop
//   column.cpp      the column layout of one part in one measure, its
//                   column marks and the room model
//   notes.cpp       notes and rests of the column layout
//   chords.cpp      symbols placed beside the note heads of a chord, and
//                   grace notes
//   sounding.cpp    how notes sound: keys, accidentals, channels, drums
//   marks.cpp       marks, texts and symbols of the column layout
//   playorder.cpp   column items, events, dynamics and the play order
//   furniture.cpp   accolades, system-start clefs and keys, lyric spacing,
//                   part barlines
//   finish.cpp      tick positions, justification, open spans, absolute
//                   placement of a finished system
//   pageobjects.cpp the free page objects of a page
#include <cstdint>
#include <utility>
#include <vector>

namespace qs {

struct TLayoutContext;
struct TQSCalcMeasure;
struct TQSCalcEvent;
struct TQSCalcVisit;
struct TQSCalcItem;
struct TQSCalcStaff;
struct TQSCalcPage;
struct TQSCalcSystem;
class TQSItem;
class TQSNote;
class TQSPause;
class TQSVorschlag;
class TQSLiga;
class TQSEffect;
class TQSMeasure;

// ---------------------------------------------------------- column layout
// The items of the current part in measure h, and the measure's width.
void LayoutColumn(TLayoutContext& c, int h);
// A note or rest of the staff being laid out (first item loop).
void LayoutNote(TLayoutContext& c, TQSNote& note);
void LayoutRest(TLayoutContext& c, TQSPause& rest);
// Places the items collected for the chord at the chord tick (accidentals,
// clefs inside the measure, grace groups, arpeggios, tremolos) and empties
// the list.
void PlaceAccidentals(TLayoutContext& c);
// Hands the chord list on when an item at tick comes.
void FlushChordAt(TLayoutContext& c, int tick);
// How an effect note of a note sounds: the note's channel, program and
// voice, and the key of its own pitch (the note's key on a percussion
// staff).
void SetEffectSound(TLayoutContext& c, TQSEffect& effect, const TQSNote& note);
// Flags bit of a tie element continued into a second ending: its arc ends
// at the first tick of its slot.
constexpr uint8_t kTieEndsAtMeasureStart = 0x02;
// The marks and texts of the measure (second item loop).
void LayoutColumnMarks(TLayoutContext& c, TQSMeasure& measure);

// ------------------------------------------------- column items, playback
// Column-level items of measure h (time signatures, tempo, numbering,
// rehearsal marks, jumps, barlines, voltas, multi-measure rests, MIDI
// events).
void LayoutColumnItems(TLayoutContext& c, int h);
// Barlines inside the measure and the measure's minimum width.
void LayoutBarlines(TLayoutContext& c, int h);
// The measure number shown for the current measure.
void LayoutMeasureNumber(TLayoutContext& c);
// Trims the play order of the current piece and sets its times.
void FinishPlayOrder(TLayoutContext& c);
// The next visit of the current piece's play order (the caller fills it
// and counts it).
TQSCalcVisit* NewVisit(TLayoutContext& c, bool clearAll);
// Appends the visit of measure h when the measure made none.
void AppendMeasureVisit(TLayoutContext& c, int h);
// A new event of the current slot (a negative tick reaches back into the
// previous measures), ordered by tick.
TQSCalcEvent* AddEvent(TLayoutContext& c, TQSItem* item, int tick);
void AddDynamic(TLayoutContext& c, TQSItem* item, int startTick, int endTick);
void CopyStaffEvents(TLayoutContext& c, TQSCalcMeasure* source, int count, int staffVoice, int shift, int endTick,
                     int startTick);
void CopyMeasureEvents(TLayoutContext& c, int visitIndex, int staffVoice);

// ------------------------------------------------------- system furniture
void LayoutAccolades(TLayoutContext& c);
void LayoutSystemClefs(TLayoutContext& c);
void LayoutSystemKeys(TLayoutContext& c);
// Repeats the instrument names of measure 0 at a later system start;
// returns the width they take.
int RepeatInstrumentNames(TLayoutContext& c);
void FitLyrics(TLayoutContext& c);
void LayoutPartBarlines(TLayoutContext& c);
// The runs of consecutive staff rows of the system whose staves belong to
// one group (by default the staves of one part): first and last row index
// on the page.
std::vector<std::pair<int, int>> PartRowGroups(const TLayoutContext& c);

// ------------------------------------------------------ system finishing
void SetTickPositions(TLayoutContext& c, int slotCount);
void JustifySystem(TLayoutContext& c);
void ContinueOpenSpans(TLayoutContext& c);
void PlaceSystemElements(TLayoutContext& c);

// Each item element of a finished slot onto the page, by the item's kind.
struct TPlacement;
// furniture.cpp
void PlaceAccolade(TPlacement& p, TQSCalcItem& e);
void PlaceClef(TPlacement& p, TQSCalcItem& e);
void PlaceKey(TPlacement& p, TQSCalcItem& e);
void PlaceMeter(TPlacement& p, TQSCalcItem& e);
void PlaceMeasureLabel(TPlacement& p, TQSCalcItem& e);
void PlaceJumpSign(TPlacement& p, TQSCalcItem& e);
void PlaceBarline(TPlacement& p, TQSCalcItem& e);
void PlaceVolta(TPlacement& p, TQSCalcItem& e);
// notes.cpp
void PlaceNote(TPlacement& p, TQSCalcItem& e);
void PlaceRest(TPlacement& p, TQSCalcItem& e);
void PlaceNoteAttachment(TPlacement& p, TQSCalcItem& e);
void PlaceBarRepeat(TPlacement& p, TQSCalcItem& e);
void PlaceMultiRest(TPlacement& p, TQSCalcItem& e);
// marks.cpp
void PlaceText(TPlacement& p, TQSCalcItem& e);
void PlaceInstrumentName(TPlacement& p, TQSCalcItem& e);
void PlaceDynamics(TPlacement& p, TQSCalcItem& e);
void PlaceLineMark(TPlacement& p, TQSCalcItem& e, int index);
void PlaceBend(TPlacement& p, TQSCalcItem& e);
void PlaceMarkAtTick(TPlacement& p, TQSCalcItem& e);
// Directions (dynamics, hairpins, words, tempo and rehearsal marks, pedal
// marks, fermatas, segno and coda) of the placed system move away from
// their staff until they touch no staff line, note, rest, stem, beam, sign
// or other mark, in a score that asks for it.
void SettleMarks(TLayoutContext& c);
// Slurs of the placed system whose curve the layout chose (not the user)
// run from their first note to their last, over or under the notes,
// stems, beams and signs between, in a score that asks for it; a slur
// from a grace note to its main note is a short arc under or over the two
// heads.
void FitSlurs(TLayoutContext& c);
// In a score that asks for it, the staves of the placed system move apart
// until nothing of one touches anything of the next, and the system moves
// down clear of the system before it (as far as the page allows). False
// when the system no longer fits: its staves reach past the bottom margin
// or it cannot clear the system before it.
bool MakeRoomAroundStaves(TLayoutContext& c);
// How far a height lies from a staff's lines (0 between them).
int DistanceToStaff(const TQSCalcStaff& row, int y);
// The row of the staff an element's item belongs to: a mark's own staff,
// else the staff of its part in the system nearest to it; nullptr for
// items of no part.
const TQSCalcStaff* OwnStaffRow(const TQSCalcPage& page, const TQSCalcSystem& system, const TQSCalcItem& e);
// Notes the curve of a tie or slur as the layout's own choice.
void RememberLayoutCurve(TQSLiga& tie);
// The marks that stand above or below their staff by themselves and may
// move further away from it (kinds).
bool IsMovableMark(int type);
// The elements a mark above or below the staff keeps clear of: what a
// note draws, its signs, and the signs at the start of a measure.
bool IsObstacle(const TQSCalcItem& e);

// ------------------------------------------------------------ page objects
void LayoutPageObjects(TLayoutContext& c);

}  // namespace qs
