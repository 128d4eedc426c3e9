#pragma once
// A note's accidentals read and written exactly as the layout draws and
// plays them, for the commands that respell notes (transposition, key
// changes), so that what they write sounds what they meant.
//
// On a staff of notes an accidental states the note's alteration outright:
// the first sharp- or flat-like one replaces the alteration in force for
// the step, later ones add to it, naturals set it; the note's alteration
// then stays in force for its step, on its staff, to the measure's end (a
// grace note's does not). A key signature in the measure puts its key in
// force from where it stands in the first staff's items and for the whole
// measure on the other staves. On tablature the accidentals add to the
// key's alteration and leave nothing in force; a grace note there sounds
// the key's alteration whatever it carries.
#include <functional>

namespace qs {

class TQSMark;
class TQSMeasure;
class TQSNote;
class TQSPart;

// Whether the staff (by index in the measure's part) is tablature.
bool IsTablature(const TQSMeasure& measure, int staff);

// The key signature in force at the start of measure index of the part:
// the last one of its earlier measures, nullptr when there is none.
const TQSMark* KeyAtMeasureStart(const TQSPart& part, int measureIndex);

// The same for measures asked for one after the other: from a measure to
// the next of its part it follows on without going back over the part.
class TKeyAtMeasureStart {
 public:
  const TQSMark* For(const TQSMeasure& measure);

 private:
  const TQSMeasure* last_ = nullptr;
  const TQSMark* key_ = nullptr;
};

// The reading of one staff (by index in its part) of one measure.
class TAccidentalReading {
 public:
  TAccidentalReading(const TQSMeasure& measure, int staff);
  // The same with the key in force at the measure's start already known.
  TAccidentalReading(const TQSMeasure& measure, int staff, const TQSMark* keyAtStart);

  bool Tablature() const { return tablature_; }
  // The alteration in semitones the note sounds where inForce is in force
  // for its step.
  int Sounding(const TQSNote& note, int inForce) const;
  // Rewrites the note's accidentals so that it sounds `wanted` where
  // inForce is in force: the last one takes the accidental needed (or goes
  // when none is), every other one goes, and one is added when needed and
  // missing.
  void Write(TQSNote& note, int wanted, int inForce) const;
  // Calls visit(note, inForce) for the notes the layout plays on the staff,
  // in the order it reads them (a grace group with the chord at its tick),
  // with the alteration in force for the note's step; visit returns the
  // note's alteration, which then stays in force as the layout keeps it
  // (a grace note's return value is not used).
  void Walk(const std::function<int(TQSNote&, int)>& visit) const;
  // The alteration in force where the layout reads the note; for a note
  // it does not play, the key's at the staff's start.
  int InForceFor(const TQSNote& note) const;

 private:
  const TQSMeasure& measure_;
  int staff_;
  bool tablature_;
  const TQSMark* startKey_;
};

// The alteration in semitones that applies to diatonic step (0 = C .. 6 = B)
// on staff at position of the measure: the key in force for its part,
// then the accidentals of the earlier notes of that step on that staff (on
// a tablature staff the key alone).
int AlterationInForce(const TQSMeasure& measure, int step, int staff, int position);

}  // namespace qs
