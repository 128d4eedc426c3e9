#pragma once
// What the score model reads of the layout's measure slots. The layout's
// slot record derives from this; the piece keeps the slots by measure
// number once a layout pass has run.
#include <cstdint>

#include "score/timing.h"

namespace qs {

class TQSMeasure;

struct TQSMeasureSlot {
  virtual ~TQSMeasureSlot() = default;

  // The measure number of the slot's first measure.
  uint16_t MeasureIndex = 0;
  // Meter and length of the slot's first measure, and of the measures after
  // it that the slot stands for (the meter in force at its end).
  uint16_t Meter = kFallbackMeter;
  uint16_t Length = kTicksWhole;
  uint16_t EndMeter = kFallbackMeter;
  uint16_t EndLength = kTicksWhole;

  // The length and meter of measure number measureIndex when this slot
  // stands for it: the first-measure values for the slot's first measure.
  int LengthFor(int measureIndex) const { return measureIndex == MeasureIndex ? Length : EndLength; }
  uint16_t MeterFor(int measureIndex) const { return measureIndex == MeasureIndex ? Meter : EndMeter; }
  // One beat of that measure (length div numerator).
  int BeatFor(int measureIndex) const { return MeterBeat(LengthFor(measureIndex), MeterFor(measureIndex)); }

  // The clef offset in force on staff row staffRow for the staff/voice byte
  // at a tick of the measure; the layout supplies it, 0 without a clef.
  virtual int ClefOffsetAt(const TQSMeasure& measure, int staffRow, int staffVoice, int tick) const {
    (void)measure, (void)staffRow, (void)staffVoice, (void)tick;
    return 0;
  }
};

}  // namespace qs
