#pragma once
// The shared units of the score model: ticks, the pitch byte, the
// staff/voice byte and the meter word.
#include <cstdint>

namespace qs {

// Positions and lengths are ticks, 512 to a whole note.
constexpr int kTicksWhole = 512;
constexpr int kTicksHalf = 256;
constexpr int kTicksQuarter = 128;
constexpr int kTicksEighth = 64;
constexpr int kTicksSixteenth = 32;

// Pitch byte: octave in the high four bits, diatonic step (0 = C ... 6 = B)
// in the low four. Middle C (MIDI key 60) is 0x50.
constexpr int PitchOctave(uint8_t pitch) { return pitch >> 4; }
constexpr int PitchStep(uint8_t pitch) { return pitch & 0x0F; }
constexpr uint8_t MakePitch(int octave, int step) { return static_cast<uint8_t>((octave << 4) | (step & 0x0F)); }
// The vertical order of pitches: step + 7 x octave.
constexpr int PitchLine(uint8_t pitch) { return PitchStep(pitch) + 7 * PitchOctave(pitch); }
// Where a keyboard part's two hands part: a note below middle C is written
// on the lower staff of a two-staff part, as a pianist reads it.
constexpr int kHandSplitLine = PitchLine(MakePitch(5, 0));

// Staff/voice byte: staff index within the part in the high four bits,
// voice index within the staff in the low four, so that a part addresses
// at most kMaxStaves staves and a staff kMaxVoices voices.
constexpr int kMaxStaves = 16;
constexpr int kMaxVoices = 16;
constexpr int StaffOf(uint8_t staffVoice) { return staffVoice >> 4; }
constexpr int VoiceOf(uint8_t staffVoice) { return staffVoice & 0x0F; }
constexpr uint8_t MakeStaffVoice(int staff, int voice) {
  return static_cast<uint8_t>(((staff & 0x0F) << 4) | (voice & 0x0F));
}

// Meter word: numerator in the high byte, denominator in the low byte.
constexpr int MeterNumerator(uint16_t meter) { return meter >> 8; }
constexpr int MeterDenominator(uint16_t meter) { return meter & 0xFF; }
constexpr uint16_t MakeMeter(int numerator, int denominator) {
  return static_cast<uint16_t>(((numerator & 0xFF) << 8) | (denominator & 0xFF));
}

}  // namespace qs
