#pragma once
// Time values that come from files and dialogs (meters, upbeats, tempos)
// and the fallbacks that stand in when one of them cannot be right. Every
// division by a meter, an upbeat note value or a tempo goes through these,
// so that a damaged value gives a sound result instead of a division by 0.
#include <algorithm>
#include <cstdint>

#include "score/units.h"

namespace qs {

// Used where a meter has a numerator or denominator of 0.
constexpr uint16_t kFallbackMeter = MakeMeter(4, 4);
// Used where a tempo is 0 or negative (quarter notes per minute).
constexpr int kFallbackTempo = 60;

constexpr bool ValidMeter(uint16_t meter) { return MeterNumerator(meter) > 0 && MeterDenominator(meter) > 0; }
constexpr uint16_t SafeMeter(uint16_t meter) { return ValidMeter(meter) ? meter : kFallbackMeter; }

// Ticks of a measure of the meter: numerator x 512 / denominator.
constexpr int MeterLength(uint16_t meter) {
  meter = SafeMeter(meter);
  return MeterNumerator(meter) * kTicksWhole / MeterDenominator(meter);
}

// One beat of a measure of the given length and meter: length div
// numerator, at least one tick.
constexpr int MeterBeat(int measureLength, uint16_t meter) {
  return std::max(1, measureLength / MeterNumerator(SafeMeter(meter)));
}

// The note value of the meter: 512 div denominator.
constexpr int MeterUnit(uint16_t meter) { return kTicksWhole / MeterDenominator(SafeMeter(meter)); }

// Upbeat word: count of upbeat notes in the high byte, their note value
// (2 half ... 128 128th) in the low byte. A count or a note value of 0
// means no upbeat.
constexpr bool HasUpbeat(uint16_t upbeat) { return MeterNumerator(upbeat) > 0 && MeterDenominator(upbeat) > 0; }
constexpr int UpbeatLength(uint16_t upbeat) { return HasUpbeat(upbeat) ? MeterLength(upbeat) : 0; }

constexpr int SafeTempo(int tempo) { return tempo > 0 ? tempo : kFallbackTempo; }

}  // namespace qs
