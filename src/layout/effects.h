#pragma once
// How a written note sounds: an arpeggio spreads a chord in time, a fermata
// holds a note longer, staccato shortens it, a trill, gruppetto, mordent or
// tremolo adds effect notes (TQSEffect items attached to the note), and
// grace notes take their time from the notes around them. The rules fill
// the playback start offset and playback length of the notes concerned;
// playback plays a note from its position plus the offset, for the
// playback length (the real length when 0), followed by its effect notes.
#include <vector>

namespace qs {

// A tremolo's strokes split the note into 2^strokes parts; more than 2^9
// would leave parts shorter than a tick even of a breve.
constexpr int kMaxTremoloStrokes = 9;

class TQSScore;
class TQSItem;

// Recomputes the playback fields of a note (kind 20) from the playing marks
// at its position, or of the notes around a grace group (kind 32); true
// when anything changed. Other items: false.
bool CalcNoteEffects(TQSScore& score, TQSItem* item);

// "Effects calculate": runs CalcNoteEffects for every note among the active
// view's selected items that is not a grace note, then once for the grace
// group of every selected grace note (selected grace groups themselves are
// not run). When one changed: a layout pass from page 0, OnChanged and
// OnRecalculate of the score. Nothing without an active view.
void CalcEffects(TQSScore& score, const std::vector<TQSItem*>& selectedItems);

}  // namespace qs
