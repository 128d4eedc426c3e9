#pragma once
// The properties of the measure under the cursor: its own beam grouping,
// and its column's own time signature, system break and page break. A new
// time signature trims or pads that measure number in every part.
#include <cstdint>

namespace qs {

class TQSScore;

// active: the measure groups its beams itself; style: 0 no beams, 1 the
// whole measure, 2 by beats, n > 2 in n - 1 groups. Both 0 without a
// cursor measure.
void GetMeasureJoinStyle(TQSScore& score, uint8_t& active, uint8_t& style);
void SetMeasureJoinStyle(TQSScore& score, uint8_t active, uint8_t style);
// timeSignature: numerator << 8 | denominator, 0 none; pageBreak: 0 none,
// else 1 + the empty pages after the break.
void GetMeasureProperties(TQSScore& score, uint16_t& timeSignature, uint16_t& staveBreak, uint16_t& pageBreak,
                          uint8_t& joinActive, uint8_t& joinStyle);
void SetMeasureProperties(TQSScore& score, uint16_t timeSignature, uint8_t staveBreak, uint16_t pageBreak,
                          uint8_t joinActive, uint8_t joinStyle);

}  // namespace qs
