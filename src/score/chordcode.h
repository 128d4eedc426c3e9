#pragma once
// The chord code: the byte string that names a chord symbol everywhere (a
// score's chord symbols and guitar frames, the chord library, the palettes,
// MusicXML). Byte 0 counts the bytes from the root to the last element
// (0 = "N.C."), byte 1 says whether a bass byte follows the elements, byte
// 2 is the root; each element byte says what it is by its high nibble and
// carries a value or style in its low nibble.
#include <cstdint>
#include <vector>

namespace qs::chordcode {

constexpr int kCountOffset = 0, kHasBassOffset = 1, kRootOffset = 2, kFirstElementOffset = 3;
// The builder's buffer; no code is ever longer.
constexpr int kMaxCodeLength = 20;

// Root and bass bytes: the letter index 0..6 (C..B) in the low nibble, the
// sign in the high nibble.
constexpr uint8_t kNatural = 0x00, kSharp = 0x10, kFlat = 0x20;

// Element kinds (high nibble).
constexpr uint8_t kBase = 0x10, kMinor = 0x20, kMajor = 0x30, kSus = 0x40, kOmit = 0x50, kRaisedMarker = 0x60,
                  kBracket = 0x70, kAdd = 0x80, kAlter5 = 0x90, kAlter7 = 0xB0, kAlter9 = 0xC0, kAlter11 = 0xD0,
                  kAlter13 = 0xE0, kIgnored = 0xF0;

// Base numbers (low nibble of a kBase element): the chord's extent.
constexpr uint8_t kTriad = 0, kSixth = 1, kSeventh = 2, kNinth = 3, kEleventh = 4, kThirteenth = 5;

// Low nibble of a kAdd element: the added ninth, eleventh or thirteenth that
// follows is named as its simple interval ("add2", "add4", "add6").
constexpr uint8_t kAddSimple = 1;

// Alteration low nibble: 0 the plain number, else style * 2 + direction.
constexpr uint8_t kRaised = 1, kLowered = 2;
constexpr uint8_t Alteration(uint8_t style, uint8_t direction) { return static_cast<uint8_t>(style * 2 + direction); }
// Alteration styles: the sign behind the number, in front of it, "#"/"b",
// the words "aug"/"dim".
constexpr uint8_t kSignBehind = 0, kSignInFront = 1, kSharpFlat = 2, kWords = 3;

// Semitones from the root to each chord tone; chord naming and the reading
// back of entered chords use the same ones.
constexpr int kThirdSemitones = 4, kFourthSemitones = 5, kFifthSemitones = 7, kSixthSemitones = 9,
              kSeventhSemitones = 11, kNinthSemitones = 14, kEleventhSemitones = 17, kThirteenthSemitones = 21;

constexpr uint8_t HighNibble(uint8_t b) { return static_cast<uint8_t>(b & 0xF0); }
constexpr uint8_t LowNibble(uint8_t b) { return static_cast<uint8_t>(b & 0x0F); }

// The bytes a code occupies: count + has-bass + 2 (2 for "N.C.").
inline int CodeLength(const std::vector<uint8_t>& code) {
  if (code.size() < 2) return static_cast<int>(code.size());
  return code[kCountOffset] == 0 ? 2 : code[kCountOffset] + (code[kHasBassOffset] ? 1 : 0) + 2;
}

}  // namespace qs::chordcode
