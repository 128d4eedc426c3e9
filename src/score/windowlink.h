#pragma once
// What the score model asks of a score view. The view implements this
// interface and attaches itself to its score.
#include <cstdint>

#include "base/events.h"

namespace qs {

class TQSScore;

// The input cursor: indexes into the score's lists and the tick within
// the measure.
struct TQSCursorPosition {
  int32_t Page = 0, Piece = 0, Part = 0, Measure = 0, Staff = 0, Voice = 0, Tick = 0;
};

// A short MIDI message: status, first and second data byte.
using TECOnPlayShortEvent = TEvent<int /*midiMessage*/, int /*data1*/, int /*data2*/>;

class TQSWindowLink {
 public:
  virtual ~TQSWindowLink() = default;

  // The score the view shows; set by the score when the view attaches.
  TQSScore* Score = nullptr;
  TQSCursorPosition CursorPosition;
  // Sends a short MIDI message while the view plays.
  TECOnPlayShortEvent OnPlayShort;

  // True while the view plays the score.
  virtual bool Playing() const = 0;
  // The index of the laid-out system that holds the cursor's measure; 0
  // when the cursor's measure is not laid out.
  virtual int CursorSystemIndex() const = 0;
  // Repaints the page area (or notes that a repaint is pending while the
  // score's update lock is held).
  virtual void InvalidatePages() = 0;
};

}  // namespace qs
