#pragma once
// Note velocities from the dynamics written in the score. The layout pass
// lists the dynamics marks, hairpins, accents and inscriptions of every
// measure slot in the slot's dynamics table; CalcDynamics evaluates the
// tables of a piece once, in measure order, into the level in force for
// each part, and a note's velocity is then read from the evaluated tables.
// What "forte" means is the host's answer to the score's OnGetDinamics and
// OnGetTerms, not a value of the score.
#include <vector>

namespace qs {

class TQSScore;
class TQSPiece;
class TQSPart;
class TQSMeasure;
class TQSItem;

// Evaluates the dynamics tables of the piece's laid-out slots: the levels
// of every part start at 64 and follow the entries in measure order.
void CalcDynamics(TQSPiece& piece);

// The velocity in force for the part of `measure` at tick `position`, read
// from the evaluated tables (a hairpin or a relative term in progress is
// interpolated); 64 when no entry applies.
int DynamicsVelocity(const TQSPiece& piece, const TQSMeasure& measure, int position);

// The ticks of the measure numbers fromMeasure to toMeasure: the length of
// each laid-out slot, and for measure numbers beyond the last laid-out one
// the length of the last (0 without slots). 0 when toMeasure < fromMeasure.
int TicksBetween(const TQSPiece& piece, int fromMeasure, int toMeasure);
// The same for the piece under the active view's cursor; 0 without one.
int TicksBetween(TQSScore& score, int fromMeasure, int toMeasure);

// The velocity of a note with flags B `noteFlags`: an enclosed note gets
// the host's bracket amount (a signed 16-bit value) added, limited to
// 0..127; other notes, and every note without a host, keep `velocity`.
int BracketVelocity(TQSScore& score, int noteFlags, int velocity);

// Sets the velocity of a note (kind 20) from the dynamics in force at its
// measure and tick, with the bracket amount; other items, and notes
// outside a measure, are left alone. True when the velocity changed.
bool CalcNoteVelocity(TQSScore& score, TQSItem* note);

// "Velocity calculate": recomputes the velocity of every note among the
// active view's selected items (each once). When one changed the score
// fires OnChanged and then OnRecalculate. Nothing without an active view.
void CalcVelocity(TQSScore& score, const std::vector<TQSItem*>& selectedItems);

// CalcDynamics for every piece in order; the layout pass runs it at its
// end when the score's AutoVelocity is set.
void ApplyAutoVelocity(TQSScore& score);

// The velocity rule of CalcNoteVelocity on a run of notes of a part: with
// toEnd every note from measure measureIndex (there from `position` on) to
// the part's last measure, otherwise the notes of measure measureIndex at
// exactly `position`. Nothing when measureIndex is beyond the part.
void CalcVelocities(TQSPart& part, int measureIndex, int position, bool toEnd);

}  // namespace qs
