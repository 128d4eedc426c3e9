#pragma once
// Entering notes, rests and grace notes at the input cursor, in the score's
// entry mode (overwrite or insert), each as one undo step. The palettes,
// the on-screen piano, the keyboard and the chord command call these with
// the note-palette modifier codes below.
#include <cstdint>
#include <vector>

#include "score/item.h"

namespace qs {

class TQSScore;
class TQSNote;
class TQSPause;
class TQSMark;
class TQSMeasure;
class TQSItemHolder;

// The note-palette modifier codes that come with a note or rest; codes not
// named here are ignored by the entry commands.
namespace modifier {
constexpr int Slide = 29, TieUp = 30, TieDown = 31, Small = 43, Dot = 45, DoubleDot = 46, TripleDot = 47,
              Flat = 50, DoubleFlat = 51, Sharp = 52, DoubleSharp = 53, Natural = 54, NaturalFlat = 55,
              NaturalSharp = 56, GlissandoUp = 66, GlissandoDown = 67, FallUp = 68, FallDown = 69, Lift = 72,
              Tuplet = 85,  // + the tuplet type: 85-95 with notes, 85-106 with rests
              LastNoteTuplet = 95, LastRestTuplet = 106, OpenHiHat = 131, HalfOpenHiHat = 132,
              Staccato = 141, Portamento = 142, Tremolo = 143,  // + level 0-4
              LastTremolo = 147, HandUp = 148, HandDown = 149;
}  // namespace modifier
using TQSModifiers = std::vector<int>;

// A mark attached to a note or rest: appended, or first in its list.
TQSMark* AttachMark(TQSItemHolder& holder, TQSItemType k, int variant, int value, bool first);

// The real length of a note value with the dots the modifier codes ask for
// (the last dot code wins).
int DottedLength(int duration, const TQSModifiers& modifiers);

// The clef offset in force at the active view's cursor (0 without a laid-out
// measure or clef): what a pitch line is counted from on the cursor's staff.
int ClefShiftAtCursor(TQSScore& score);

// A note of the given pitch and written length (1024 down to 4 ticks) at the
// cursor. bracket: enclosure + 1, 0 none; head: the head byte; tablature:
// string and fret from the cursor on a tablature staff. Returns the last
// note placed; nullptr when nothing could be entered. Afterwards the score's
// LastEntryLength holds the real length entered.
TQSNote* InsertNote(TQSScore& score, int octave, int step, int duration, const TQSModifiers& modifiers = {},
                    int bracket = 0, int head = 0, bool tablature = false);
// A rest of the given value at the cursor; returns the last rest placed.
TQSPause* InsertRest(TQSScore& score, int duration, const TQSModifiers& modifiers = {}, int bracket = 0);
// One grace note at the cursor, into the grace group there that follows
// (flags bit 0) or precedes its note the same way, or a new group with
// flags and value (and a slur when slur is set). reserved and bracket are
// not used.
void InsertGraceNote(TQSScore& score, int octave, int step, int duration, uint8_t flags, int reserved,
                     uint16_t value, bool slur, const TQSModifiers& modifiers, int bracket, int head);

// A tuplet mark of the type over unit-length notes at position of the
// staff/voice, inserted at its sorted place, with its slot lengths.
TQSMark* CreateTupletMark(TQSMeasure& measure, int staffVoice, int position, int type, int unit);

}  // namespace qs
